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

if(CMAKE_CROSSCOMPILING)
  # The prefix all Wine tests share; created once by the fixture in tests/.
  set(QUORVANE_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
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
    add_test(NAME ${target} COMMAND ${target})
    quorvane_wine_test_properties(${target} ${ARG_LABEL})
  elseif(WIN32)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS ${ARG_LABEL})
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
    FIXTURES_REQUIRED wineprefix
    RESOURCE_LOCK wineprefix
    TIMEOUT 300
    ENVIRONMENT "QUORVANE_WINEPREFIX=${QUORVANE_WINEPREFIX}")
endfunction()
