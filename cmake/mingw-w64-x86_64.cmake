# 64-bit Windows (the win64 preset).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)
set(_packages "g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
