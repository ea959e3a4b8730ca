#include <sys/utsname.h>

#include <cstdlib>

#include "win32.h"

// Neither 1 (Windows 9x) nor 2 (NT): this system is told apart from both.
static const DWORD kPlatformPosix = 0x100;

BOOL GetVersionExA(OSVERSIONINFOA *version) {
  if (version == nullptr || version->dwOSVersionInfoSize != sizeof *version) {
    return FALSE;
  }
  struct utsname name {};
  if (uname(&name) != 0) {
    return FALSE;
  }
  // "6.1.0-18-amd64": major, minor, then the build number where there is one.
  char *rest = name.release;
  version->dwMajorVersion = static_cast<DWORD>(strtoul(rest, &rest, 10));
  version->dwMinorVersion = *rest == '.' ? static_cast<DWORD>(strtoul(rest + 1, &rest, 10)) : 0;
  version->dwBuildNumber = *rest == '.' ? static_cast<DWORD>(strtoul(rest + 1, &rest, 10)) : 0;
  version->dwPlatformId = kPlatformPosix;
  version->szCSDVersion[0] = '\0';
  return TRUE;
}
