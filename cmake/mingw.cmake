# Cross-builds the Windows program with Debian's MinGW-w64 toolchain for the processor
# that the toolchain file names (mingw-i686.cmake, mingw-x86_64.cmake).
set(CMAKE_SYSTEM_NAME Windows)

set(toolchain_prefix ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
# The win32 thread model: the posix one would tie the program to libwinpthread-1.dll.
set(CMAKE_C_COMPILER ${toolchain_prefix}-gcc-win32)
set(CMAKE_CXX_COMPILER ${toolchain_prefix}-g++-win32)
set(CMAKE_RC_COMPILER ${toolchain_prefix}-windres)
set(CMAKE_OBJDUMP ${toolchain_prefix}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
