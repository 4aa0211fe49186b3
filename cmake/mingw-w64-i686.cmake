# 32-bit Windows (the win32 preset).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_triple i686-w64-mingw32)
set(_packages "g++-mingw-w64-i686-posix, binutils-mingw-w64-i686")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
