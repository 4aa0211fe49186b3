# Cross-build for Windows with Debian's MinGW-w64 (posix thread model), tests
# run through Wine. Included by the per-architecture toolchain files, which
# set CMAKE_SYSTEM_PROCESSOR, _triple and _packages (the compilers' packages).
set(CMAKE_SYSTEM_NAME Windows)

find_program(_mingw_cxx NAMES ${_triple}-g++-posix ${_triple}-g++)
find_program(_mingw_cc NAMES ${_triple}-gcc-posix ${_triple}-gcc)
find_program(_mingw_rc NAMES ${_triple}-windres)
if(NOT _mingw_cxx OR NOT _mingw_cc OR NOT _mingw_rc)
  message(FATAL_ERROR "MinGW-w64 for ${_triple} not found: run scripts/install-deps.sh "
                      "(packages ${_packages})")
endif()
set(CMAKE_C_COMPILER ${_mingw_cc})
set(CMAKE_CXX_COMPILER ${_mingw_cxx})
set(CMAKE_RC_COMPILER ${_mingw_rc})

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every Windows test program runs through winebench, which gives it the
# project's Wine prefix and a private X screen.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/winebench.py run)
