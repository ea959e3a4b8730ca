// The entry point: the command line split into arguments, main called, its result the
// exit code. Nothing else runs before main: there are no constructors and no TLS.
#include <windows.h>

#include "../command_line.h"
#include "crt.h"

#define CRT_STRING(x) CRT_STRING_OF(x)
#define CRT_STRING_OF(x) #x

// main, called by its link name: C++ lets no code call main by its own.
extern "C" int ProgramMain(int argc,
                           char *argv[]) __asm__(CRT_STRING(__USER_LABEL_PREFIX__) "main");

// GCC's main calls this first to run constructors; there are none.
extern "C" void __main() {}

extern "C" [[noreturn]] void LauncherStart() __asm__("LauncherStart");

void LauncherStart() {
  const char *line = GetCommandLineA();
  if (line == nullptr) {
    line = "";
  }
  size_t length = static_cast<size_t>(lstrlenA(line));
  auto *words = static_cast<char *>(calloc(length + 1, 1));
  auto *argv = static_cast<char **>(calloc(length / 2 + 2, sizeof(char *)));
  static char *none[1] = {nullptr};
  int argc = 0;
  if (words != nullptr && argv != nullptr) {
    argc = SplitCommandLine(line, words, argv);
  } else {
    argv = none;
  }
  exit(ProgramMain(argc, argv));
}

void exit(int code) {
  fflush(stdout);
  ExitProcess(static_cast<UINT>(code));
}
