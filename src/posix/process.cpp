// Child processes the Windows way: a command line split by the Windows rules, paths
// of the application's drive mapped onto this system, and a kill that reaches only
// the child it names.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "../command_line.h"
#include "win32.h"

namespace {

// Windows has no SIGPIPE: a write to a reader that has gone simply fails. And its
// children are never reaped behind the parent's back, so an id it holds stays that
// child's; an inherited "ignore" of SIGCHLD would let the system reap them.
__attribute__((constructor)) void AdoptWindowsSignals() {
  signal(SIGPIPE, SIG_IGN);
  signal(SIGCHLD, SIG_DFL);
}

// "\dir\file" and "c:\dir\file" both name "/dir/file": the application's drive is
// this system's root.
std::string MapPath(std::string path) {
  if (path.size() >= 3 && isalpha(static_cast<unsigned char>(path[0])) != 0 && path[1] == ':' &&
      path[2] == '\\') {
    path.erase(0, 2);
  }
  for (char &c : path) {
    if (c == '\\') {
      c = '/';
    }
  }
  return path;
}

} // namespace

// The Win32 signature: a writable command line and an untyped environment block.
BOOL CreateProcessA(LPCSTR applicationName,
                    LPSTR commandLine, // NOLINT(readability-non-const-parameter)
                    SECURITY_ATTRIBUTES * /*processAttributes*/,
                    SECURITY_ATTRIBUTES * /*threadAttributes*/, BOOL inheritHandles,
                    // cppcheck-suppress constParameter
                    DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                    STARTUPINFOA *startupInfo, PROCESS_INFORMATION *processInformation) {
  const char *line = commandLine != nullptr ? commandLine : "";
  size_t length = strlen(line);
  std::vector<char> words(length + 1);
  std::vector<char *> argv(length / 2 + 2);
  int count = SplitCommandLine(line, words.data(), argv.data());
  // Only the launcher's own environment is passed on: a Windows environment block is
  // not the list of strings this system takes.
  if ((applicationName == nullptr && count == 0) || environment != nullptr) {
    return FALSE;
  }
  std::string program = MapPath(applicationName != nullptr ? applicationName : argv[0]);
  if (count > 0) {
    argv[0] = program.data();
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);

  // Null standard handles leave the child with none; here they lead to /dev/null,
  // since a closed descriptor 0 to 2 would be taken by the next file it opens.
  if (startupInfo != nullptr && (startupInfo->dwFlags & STARTF_USESTDHANDLES) != 0) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  if (inheritHandles == FALSE) {
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  }
  if (currentDirectory != nullptr) {
    std::string directory = MapPath(currentDirectory);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  }

  // The child starts with the signals as a new program has them, not as we set them.
  sigset_t all;
  sigset_t none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  // A detached child has no console of ours: a session of its own, out of reach of
  // the signals of our terminal.
  if ((creationFlags & DETACHED_PROCESS) != 0) {
    flags |= POSIX_SPAWN_SETSID;
  }
  posix_spawnattr_setflags(&attributes, flags);

  pid_t pid = 0;
  int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0 || pid <= 0) {
    return FALSE;
  }
  // A handle is a pid, never dereferenced.
  processInformation->hProcess =
      reinterpret_cast<HANDLE>(static_cast<intptr_t>(pid)); // NOLINT(performance-no-int-to-ptr)
  processInformation->hThread = nullptr;
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = 0;
  return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT /*exitCode*/) {
  // Never 0 or -1, which would signal our whole group or every process we may reach.
  auto pid = static_cast<pid_t>(reinterpret_cast<intptr_t>(process));
  if (pid <= 0 || reinterpret_cast<intptr_t>(process) != pid) {
    return FALSE;
  }
  return kill(pid, SIGKILL) == 0 ? TRUE : FALSE;
}
