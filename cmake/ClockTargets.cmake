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

# Our application framework on Qt and SDL. Its Qt and SDL dependencies stay private, so the
# system's own code cannot reach past it. SDL_mixer is not linked: the framework loads it
# when the first sound is opened (framework/media/detail/MixerLibrary.h), so only its headers are used;
# libmpg123 likewise (framework/media/detail/Mpg123Library.h).
file(GLOB_RECURSE FRAMEWORK_SOURCES CONFIGURE_DEPENDS ${VV_ROOT}/framework/*.cpp ${VV_ROOT}/framework/*.h)
add_library(framework STATIC ${FRAMEWORK_SOURCES})
set_target_properties(framework PROPERTIES AUTOMOC ON)
target_include_directories(framework PUBLIC ${VV_ROOT})
target_include_directories(framework SYSTEM PRIVATE ${SDL2MIXER_INCLUDE_DIRS} ${LIBMPG123_INCLUDE_DIRS})
target_compile_options(framework PRIVATE ${SDL2MIXER_CFLAGS_OTHER})
target_link_libraries(framework PRIVATE Qt6::Widgets Qt6::Gui Qt6::Core ${CMAKE_DL_LIBS} PkgConfig::LIBJPEG)

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
