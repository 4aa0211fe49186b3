# GoogleTest and the helpers that register the project's tests under the
# labels native (host), wine (Windows programs run through Wine) and e2e.
enable_testing()
include(GoogleTest)

if(WIN32)
  # Debian ships GoogleTest as sources; the MinGW toolchain compiles them.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(QUORVANE_GTEST_MAIN GTest::gtest_main)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()

  # The prefix all Wine tests share; created once by the fixture below.
  set(QUORVANE_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
  set(QUORVANE_WINEBENCH ${PROJECT_SOURCE_DIR}/scripts/winebench.py)
else()
  find_package(GTest REQUIRED)
  set(QUORVANE_GTEST_MAIN GTest::gtest_main)
endif()

# A GoogleTest program of the project. On the host every case is its own CTest
# test; a Windows program is one test run through Wine (one Wine start, not
# one per case).
function(quorvane_add_gtest target)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} ${QUORVANE_GTEST_MAIN} quorvane_warnings)
  if(WIN32)
    add_test(NAME ${target} COMMAND ${target})
    quorvane_wine_test_properties(${target} ${ARG_LABEL})
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
