// The Win32 kernel and C runtime calls the launcher makes: the platform's own on
// Windows, our POSIX layer everywhere else. This is the only place that differs.
#ifndef LAUNCHER_PLATFORM_H
#define LAUNCHER_PLATFORM_H

#ifdef _WIN32
#include <share.h>
#include <windows.h>
#else
#include "posix/win32.h"
#endif

#endif
