// Stands in for the web server and the browser: records what it was given in a file
// beside itself ("<its path>.record"), then waits to be ended.
#ifdef _WIN32
// On Windows it records what Windows handed over: the command line as one text, the
// start-up record and the standard handles, and the version the platform reports.
#include <windows.h>

#include <cstdio>
#include <string>

static std::string Number(unsigned long long value) {
  char text[32];
  snprintf(text, sizeof text, "%llu", value);
  return text;
}

static std::string Handle(HANDLE handle) {
  char text[32];
  snprintf(text, sizeof text, "0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(handle)));
  return text;
}

int main() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);

  std::string record = "pid=" + Number(GetCurrentProcessId()) + "\n";
  record += "path=" + std::string(self) + "\n";
  record += "cmdline=" + std::string(GetCommandLineA()) + "\n";
  record += "flags=" + Number(startup.dwFlags) + "\n";
  record += "position=" + Number(startup.dwX) + "," + Number(startup.dwY) + "\n";
  record += "size=" + Number(startup.dwXSize) + "," + Number(startup.dwYSize) + "\n";
  record += "console=" + Number(startup.dwXCountChars) + "," + Number(startup.dwYCountChars) + "\n";
  record += "startup_handles=" + Handle(startup.hStdInput) + "," + Handle(startup.hStdOutput) +
            "," + Handle(startup.hStdError) + "\n";
  record += "std_handles=" + Handle(GetStdHandle(STD_INPUT_HANDLE)) + "," +
            Handle(GetStdHandle(STD_OUTPUT_HANDLE)) + "," + Handle(GetStdHandle(STD_ERROR_HANDLE)) +
            "\n";
  record += "version=" + Number(version.dwPlatformId) + "." + Number(version.dwMajorVersion) + "." +
            Number(version.dwMinorVersion) + "\n";

  std::string temporary = std::string(self) + ".part";
  if (FILE *out = fopen(temporary.c_str(), "wb")) {
    fputs(record.c_str(), out);
    fclose(out);
    MoveFileExA(temporary.c_str(), (std::string(self) + ".record").c_str(),
                MOVEFILE_REPLACE_EXISTING);
  }
  Sleep(INFINITE);
}
#else
// Natively, with a file "<its path>.exit" beside it, it ends by itself after recording.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static std::string Link(const std::string &path) {
  char target[PATH_MAX];
  ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
  return n < 0 ? std::string("closed") : std::string(target, static_cast<size_t>(n));
}

int main(int argc, char *argv[]) {
  std::string self = Link("/proc/self/exe");
  std::string record = "pid=" + std::to_string(getpid()) + "\n";
  record += "leader=" + std::string(getsid(0) == getpid() ? "yes" : "no") + "\n";
  char cwd[PATH_MAX];
  record += "cwd=" + std::string(getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?") + "\n";
  record += "argc=" + std::to_string(argc) + "\n";
  for (int i = 0; i < argc; i++) {
    record += "arg" + std::to_string(i) + "=" + argv[i] + "\n";
  }
  for (int fd = 0; fd < 3; fd++) {
    record += "fd" + std::to_string(fd) + "=" + Link("/proc/self/fd/" + std::to_string(fd)) + "\n";
  }
  // Every other descriptor it holds, but the one that lists them.
  std::string others;
  if (DIR *fds = opendir("/proc/self/fd")) {
    while (dirent *entry = readdir(fds)) {
      int fd = atoi(entry->d_name);
      if (entry->d_name[0] != '.' && fd > 2 && fd != dirfd(fds)) {
        others += (others.empty() ? "" : ",") + std::to_string(fd);
      }
    }
    closedir(fds);
  }
  record += "others=" + others + "\n";

  std::string temporary = self + ".part";
  if (FILE *out = fopen(temporary.c_str(), "w")) {
    fputs(record.c_str(), out);
    fclose(out);
    rename(temporary.c_str(), (self + ".record").c_str());
  }
  if (access((self + ".exit").c_str(), F_OK) == 0) {
    return 7;
  }
  for (;;) {
    pause();
  }
}
#endif
