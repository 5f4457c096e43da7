# tessel_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [LABELS concurrency x11] [PLUGIN])
#
# x11: the test drives the X display (XTest moves the one pointer), so x11
# tests never run at the same time as each other.
#
# PLUGIN: the test loads the built TesselEQ.so, whose path it finds in the
# TESSEL_PLUGIN_PATH definition.
#
# One executable per concept, registered with CTest test by test.
# Under ThreadSanitizer only tests labelled "concurrency" are built: the
# rest already run under AddressSanitizer and would only slow the build.
include(GoogleTest)
find_package(GTest REQUIRED)

# Every test source is compiled with GoogleTest and the common standard
# headers precompiled once per tree, which saves 0.3-1 s of CPU per test
# source under the sanitizers. The headers belong to a small executable of
# their own, compiled like a test (same -fPIE, same GoogleTest
# definitions): GCC accepts a precompiled header only from matching
# options, and -Winvalid-pch with -Werror stops the build when they differ.
# Trees compiled through ccache go without it (TESSEL_PRECOMPILE_HEADERS):
# the cache hashes the 120 MB header, which differs from tree to tree, so
# no tree could reuse the test objects another one compiled; and there
# every test source still has to include what it uses.
if(TESSEL_PRECOMPILE_HEADERS)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/tessel_test_headers.cpp CONTENT "int main() { return 0; }\n")
  add_executable(tessel_test_headers EXCLUDE_FROM_ALL ${CMAKE_BINARY_DIR}/tessel_test_headers.cpp)
  target_link_libraries(tessel_test_headers PRIVATE GTest::gtest)
  target_precompile_headers(tessel_test_headers PRIVATE
    <gtest/gtest.h>
    <algorithm> <array> <atomic> <chrono> <cmath> <cstdint> <cstdio> <cstdlib>
    <cstring> <filesystem> <fstream> <functional> <limits> <memory> <random>
    <set> <stdexcept> <string> <thread> <vector>)
endif()

# All test programs and, through their dependencies, what they load: the
# ThreadSanitizer tree builds only this (cmake --build build/tsan --target tessel_tests).
add_custom_target(tessel_tests)

function(tessel_add_test name)
  cmake_parse_arguments(T "PLUGIN" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(TESSEL_SANITIZE STREQUAL "thread" AND NOT "concurrency" IN_LIST T_LABELS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(TESSEL_PRECOMPILE_HEADERS)
    target_precompile_headers(${name} REUSE_FROM tessel_test_headers)
  endif()
  add_dependencies(tessel_tests ${name})
  if(T_PLUGIN)
    add_dependencies(${name} TesselEQ)
    target_compile_definitions(${name} PRIVATE TESSEL_PLUGIN_PATH="$<TARGET_FILE:TesselEQ>")
  endif()
  # Editors opened by tests keep their settings in the build tree, never in
  # the user's own configuration.
  set(properties TIMEOUT 600 ENVIRONMENT "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
  if(T_LABELS)
    # gtest_discover_tests splits list-valued properties, which would shift
    # every property after them; several labels therefore travel as one,
    # "x11,concurrency", which ctest -L (a regular expression) finds by each.
    string(JOIN "," label ${T_LABELS})
    list(APPEND properties LABELS "${label}")
  endif()
  if("x11" IN_LIST T_LABELS)
    list(APPEND properties RESOURCE_LOCK x11_display)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES ${properties})
endfunction()
