// The few Win32 kernel and C runtime names the launcher uses, for POSIX systems.
// Written from what the launcher expects of them; the records keep the Win32 field
// names and widths.
#ifndef LAUNCHER_POSIX_WIN32_H
#define LAUNCHER_POSIX_WIN32_H

#include <cstdint>
#include <cstdio>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using CHAR = char;
using LPSTR = char *;
using LPCSTR = const char *;
using LPBYTE = BYTE *;
using LPVOID = void *;
// A process handle here is the process id.
using HANDLE = void *;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

constexpr DWORD STARTF_USESTDHANDLES = 0x100;
constexpr DWORD DETACHED_PROCESS = 8;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes on every platform");

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};

// Fills the record from uname: the platform id is neither Windows 9x nor NT.
BOOL GetVersionExA(OSVERSIONINFOA *version);

// Splits the command line as Windows does, maps the program's path onto this system
// and spawns it; returns at once. On failure returns FALSE and leaves the record alone.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    SECURITY_ATTRIBUTES *processAttributes, SECURITY_ATTRIBUTES *threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, STARTUPINFOA *startupInfo,
                    PROCESS_INFORMATION *processInformation);

// Kills the process at once; refuses a handle that names no process.
BOOL TerminateProcess(HANDLE process, UINT exitCode);

// The C runtime's shared open. In a read mode without "b" the file is read as
// Windows text: CR LF comes in as LF, a lone CR stays, and a Ctrl-Z ends the text.
constexpr int _SH_DENYNO = 0x40; // NOLINT(bugprone-reserved-identifier)
// NOLINTNEXTLINE(bugprone-reserved-identifier)
FILE *_fsopen(const char *name, const char *mode, int share);

#endif
