# The Windows program for 64-bit Windows, with Debian's x86_64-w64-mingw32 cross compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
