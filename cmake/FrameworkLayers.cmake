# What keeps the framework's layers apart (the layers and their libraries are defined in
# cmake/ClockTargets.cmake, lowest first).
#
# The linker guards the direction: each layer is a library linked only to the layers below it,
# and vv_add_layer_link_checks links each one whole without the layers above, so that a call
# up a layer fails the build.
#
# The includes guard what the linker cannot see: a header of types or inline code included up a
# layer (no call for the linker to miss), a layer's detail/ folder is for that layer
# alone, the Testing.h hook headers are for tests, benchmarks and fuzzing (no framework header
# and none of the system's own code, app/, clock/ and prefs/, includes one), and the system's
# own code includes no detail/ header. An include is spelled from the source root
# ("framework/media/Sound.h"), so that these checks read where it goes. Checked when the
# build is configured, so that a wrong include stops the build at once.

function(vv_check_framework_layers root)
  set(order core files media ui app)
  file(GLOB_RECURSE files RELATIVE ${root} CONFIGURE_DEPENDS
    ${root}/framework/*.h ${root}/framework/*.cpp)
  set(problems "")
  foreach(file ${files})
    file(STRINGS ${root}/${file} lines REGEX "^#include \"")
    string(REGEX MATCH "^framework/[a-z]+/" ownLayer "${file}")
    string(REGEX REPLACE "^framework/([a-z]+)/.*" "\\1" ownName "${file}")
    list(FIND order "${ownName}" ownRank)
    foreach(line ${lines})
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      string(REGEX REPLACE "^framework/([a-z]+)/.*" "\\1" includedName "${included}")
      list(FIND order "${includedName}" includedRank)
      if(NOT included MATCHES "^framework/")
        string(APPEND problems "\n  ${file}: \"${included}\" is not spelled from the source root")
      elseif(ownRank GREATER -1 AND includedRank GREATER ownRank)
        string(APPEND problems "\n  ${file} includes a layer above its own: ${included}")
      elseif(included MATCHES "/detail/" AND (NOT ownLayer OR NOT included MATCHES "^${ownLayer}"))
        string(APPEND problems "\n  ${file} reaches into another layer's internals: ${included}")
      elseif(file MATCHES "\\.h$" AND NOT file MATCHES "/Testing\\.h$" AND included MATCHES "/Testing\\.h$")
        string(APPEND problems "\n  ${file}: a header of the framework includes a test-only header")
      endif()
    endforeach()
  endforeach()

  file(GLOB_RECURSE system RELATIVE ${root} CONFIGURE_DEPENDS
    ${root}/app/*.h ${root}/app/*.cpp ${root}/clock/*.h ${root}/clock/*.cpp
    ${root}/prefs/*.h ${root}/prefs/*.cpp)
  foreach(file ${system})
    file(STRINGS ${root}/${file} lines REGEX "^#include \"(framework/.*/detail/|(framework/|clock/)?([a-z]+/)?Testing\\.h)")
    # The clock's tables define their own hook.
    if(file STREQUAL "clock/TextTables.cpp")
      list(FILTER lines EXCLUDE REGEX "\"clock/Testing\\.h\"")
    endif()
    if(lines)
      string(APPEND problems "\n  ${file} includes a framework internal or a test-only header: ${lines}")
    endif()
  endforeach()
  if(problems)
    message(FATAL_ERROR "Includes that break the framework's layers:${problems}")
  endif()
endfunction()

# A static library leaves its undefined symbols to the program, and every program links all
# the layers, so a call up a layer would link unseen. Here each layer is linked whole
# (--whole-archive) into a program of nothing else but the layers below it and its own outside
# libraries: a symbol it uses from a layer above is undefined there, and the build stops. They
# are built with everything else (ALL), so CI stops too.
function(vv_add_layer_link_checks)
  set(main ${CMAKE_BINARY_DIR}/layer_link_check.cpp)
  file(CONFIGURE OUTPUT ${main} CONTENT "int main() { return 0; }\n")
  foreach(layer ${VV_FRAMEWORK_LAYERS})
    add_executable(framework_${layer}_link_check ${main})
    target_link_libraries(framework_${layer}_link_check PRIVATE
      "$<LINK_LIBRARY:WHOLE_ARCHIVE,framework_${layer}>")
    set_target_properties(framework_${layer}_link_check PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer_link_checks)
  endforeach()
endfunction()
