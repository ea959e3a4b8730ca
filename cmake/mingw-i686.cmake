# The Windows program for 32-bit Windows, with Debian's i686-w64-mingw32 cross compilers.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
