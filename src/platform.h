// The Win32 kernel and C runtime calls the launcher makes: on Windows the platform's own
// kernel and our runtime on it, our POSIX layer and the C library everywhere else. This is
// the only place that differs.
#ifndef LAUNCHER_PLATFORM_H
#define LAUNCHER_PLATFORM_H

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "crt/crt.h"
#else
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "posix/win32.h"
#endif

#endif
