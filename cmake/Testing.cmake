# GoogleTest and the helpers that register the project's tests under the
# labels native (host), wine (Windows programs run through Wine) and e2e.
enable_testing()
include(GoogleTest)

set(QUORVANE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest sources, compiled with the cross toolchain")
if(CMAKE_CROSSCOMPILING AND EXISTS ${QUORVANE_GTEST_SOURCE_DIR}/CMakeLists.txt)
  # Debian ships GoogleTest as sources; the MinGW toolchain compiles them.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUORVANE_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL SYSTEM)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
set(QUORVANE_GTEST_MAIN GTest::gtest_main)

# The 32-bit Windows tree's tests are named "win32.<test>", so that one
# summary over both Windows trees tells them apart.
set(QUORVANE_TEST_PREFIX "")
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QUORVANE_TEST_PREFIX "win32.")
endif()

if(CMAKE_CROSSCOMPILING)
  # The prefix all Wine tests of the tree share; created once by the fixture in
  # tests/. The trees' prefixes are apart, so their tests may run side by side.
  set(QUORVANE_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
  set(QUORVANE_WINE_FIXTURE ${QUORVANE_TEST_PREFIX}wineprefix)
  set(QUORVANE_WINEBENCH ${PROJECT_SOURCE_DIR}/scripts/winebench.py)
endif()

# A GoogleTest program of the project. On the host every case is its own CTest
# test; a Windows program is one test run through Wine (one Wine start, not
# one per case).
function(quorvane_add_gtest target)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} ${QUORVANE_GTEST_MAIN} quorvane_warnings)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${QUORVANE_TEST_PREFIX}${target} COMMAND ${target})
    quorvane_wine_test_properties(${QUORVANE_TEST_PREFIX}${target} ${ARG_LABEL})
  elseif(WIN32)
    add_test(NAME ${QUORVANE_TEST_PREFIX}${target} COMMAND ${target})
    set_tests_properties(${QUORVANE_TEST_PREFIX}${target} PROPERTIES LABELS ${ARG_LABEL})
  else()
    set(prefix "")
    if(QUORVANE_SANITIZE)
      set(prefix "asan.")
    endif()
    gtest_discover_tests(${target} TEST_PREFIX "${prefix}" PROPERTIES LABELS ${ARG_LABEL}
                         DISCOVERY_TIMEOUT 30)
  endif()
endfunction()

# Every test that runs a Windows program needs the shared prefix, and the
# tests take turns: one wineserver, one global atom table, one set of windows.
function(quorvane_wine_test_properties test label)
  set_tests_properties(${test} PROPERTIES
    LABELS "${label}"
    FIXTURES_REQUIRED ${QUORVANE_WINE_FIXTURE}
    RESOURCE_LOCK ${QUORVANE_WINE_FIXTURE}
    TIMEOUT 300
    ENVIRONMENT "QUORVANE_WINEPREFIX=${QUORVANE_WINEPREFIX}")
endfunction()
