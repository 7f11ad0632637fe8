# The framework, the clock's own code and the media generator as libraries: one definition
# for the program's build (the root CMakeLists.txt) and the fuzz build (fuzz/), which differ
# only in compiler and flags. Include it with VV_ROOT naming the source tree, after the
# compile options are set.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

# Where CI builds (CI=true, as .ci/run runs), a warning is an error, so that none lands.
if("$ENV{CI}" STREQUAL "true")
  add_compile_options(-Werror)
endif()

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
# The MP3 decoder the mixer links: headers only, loaded with the first sound as the mixer is.
pkg_check_modules(LIBMPG123 REQUIRED libmpg123)
# libjpeg-turbo, the library behind Qt's JPEG reader, called directly for its scaled decode.
pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)

# Our application framework on Qt and SDL, one static library per layer, each linked only to
# the layers below it, so that a call up a layer has nothing to resolve against
# (vv_add_layer_link_checks in FrameworkLayers.cmake makes the linker say so). Qt, SDL and
# libjpeg are private to the layers that use them, so the system's own code cannot reach past
# the framework. SDL_mixer is not linked: the media layer loads it when the first sound is
# opened (framework/media/detail/MixerLibrary.h), so only its headers are used; libmpg123
# likewise (framework/media/detail/Mpg123Library.h).
set(VV_FRAMEWORK_LAYERS core files media ui app)
set(vv_below "")
foreach(layer ${VV_FRAMEWORK_LAYERS})
  file(GLOB_RECURSE vv_sources CONFIGURE_DEPENDS ${VV_ROOT}/framework/${layer}/*.cpp
       ${VV_ROOT}/framework/${layer}/*.h)
  add_library(framework_${layer} STATIC ${vv_sources})
  target_include_directories(framework_${layer} PUBLIC ${VV_ROOT})
  target_link_libraries(framework_${layer} PUBLIC ${vv_below})
  list(PREPEND vv_below framework_${layer})
endforeach()
target_link_libraries(framework_core PRIVATE Qt6::Core)
target_link_libraries(framework_media PRIVATE Qt6::Gui Qt6::Core ${CMAKE_DL_LIBS} PkgConfig::LIBJPEG)
target_include_directories(framework_media SYSTEM PRIVATE ${SDL2MIXER_INCLUDE_DIRS} ${LIBMPG123_INCLUDE_DIRS})
target_compile_options(framework_media PRIVATE ${SDL2MIXER_CFLAGS_OTHER})
# The media layer installs the files layer's picture and sound openers from a static
# initialiser (framework/media/detail/Openers.cpp). Nothing calls into that object file, so every
# program that links the layer names its anchor here, or the linker would leave it out of the
# archive and FolderItem would open no picture and no sound.
target_link_options(framework_media INTERFACE "LINKER:--undefined=fw_media_openers_anchor")
target_link_libraries(framework_ui PRIVATE Qt6::Widgets Qt6::Gui Qt6::Core)
target_link_libraries(framework_app PRIVATE Qt6::Widgets Qt6::Gui Qt6::Core)
foreach(layer core media ui app)
  set_target_properties(framework_${layer} PROPERTIES AUTOMOC ON)
endforeach()
# The whole framework, for the system's code, the tests, fuzzing and the benchmarks.
add_library(framework INTERFACE)
target_link_libraries(framework INTERFACE framework_app)

# The clock itself, all but its main().
file(GLOB SYSTEM_SOURCES CONFIGURE_DEPENDS ${VV_ROOT}/app/*.cpp ${VV_ROOT}/app/*.h ${VV_ROOT}/clock/*.cpp
     ${VV_ROOT}/clock/*.h ${VV_ROOT}/prefs/*.cpp ${VV_ROOT}/prefs/*.h)
list(FILTER SYSTEM_SOURCES EXCLUDE REGEX ".*/app/main\\.cpp$")
add_library(vantosystem STATIC ${SYSTEM_SOURCES})
target_include_directories(vantosystem PUBLIC ${VV_ROOT})
target_link_libraries(vantosystem PUBLIC framework)

# Picture and sound generation shared by the demo payload generator, the tests and fuzzing.
file(GLOB MEDIAGEN_SOURCES CONFIGURE_DEPENDS ${VV_ROOT}/tools/mediagen/*.cpp ${VV_ROOT}/tools/mediagen/*.h)
add_library(mediagen STATIC ${MEDIAGEN_SOURCES})
target_include_directories(mediagen PUBLIC ${VV_ROOT}/tools)
target_link_libraries(mediagen PUBLIC Qt6::Gui Qt6::Core PRIVATE mp3lame)
