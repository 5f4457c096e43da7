# Sanitizer trees compile the project's own libraries and programs with the
# standard headers they use most precompiled: parsing them is about a
# quarter of a library source's compile time under the sanitizers.
#
# One header per kind of code, as GCC accepts a precompiled header only from
# matching options (-Winvalid-pch with -Werror stops the build otherwise):
# position-independent (libraries, the plug-in) and position-independent
# executable (programs). Trees without sanitizers (release, packaging) and
# trees compiled through ccache (TESSEL_PRECOMPILE_HEADERS off) go without,
# so they still check that every source includes what it uses.
set(TESSEL_PRECOMPILED_STANDARD_HEADERS
  <algorithm> <array> <atomic> <chrono> <cmath> <cstdint> <cstring> <functional>
  <memory> <mutex> <optional> <span> <string> <string_view> <thread> <vector>)

# Every target defined in dir and the directories below it.
function(tessel_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    tessel_targets_below(${subdir} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# tessel_precompile_standard_headers(dir...): the C++ targets of those directories.
function(tessel_precompile_standard_headers)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/tessel_standard_headers.cpp CONTENT "int main() { return 0; }\n")
  add_library(tessel_standard_headers_pic OBJECT EXCLUDE_FROM_ALL ${CMAKE_BINARY_DIR}/tessel_standard_headers.cpp)
  add_executable(tessel_standard_headers_pie EXCLUDE_FROM_ALL ${CMAKE_BINARY_DIR}/tessel_standard_headers.cpp)
  foreach(owner tessel_standard_headers_pic tessel_standard_headers_pie)
    target_precompile_headers(${owner} PRIVATE ${TESSEL_PRECOMPILED_STANDARD_HEADERS})
  endforeach()
  foreach(dir IN LISTS ARGN)
    tessel_targets_below(${dir} targets)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(type STREQUAL "EXECUTABLE")
        target_precompile_headers(${target} REUSE_FROM tessel_standard_headers_pie)
      elseif(type MATCHES "^(STATIC|SHARED|MODULE|OBJECT)_LIBRARY$")
        target_precompile_headers(${target} REUSE_FROM tessel_standard_headers_pic)
      endif()
    endforeach()
  endforeach()
endfunction()
