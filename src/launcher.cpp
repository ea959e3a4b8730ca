// Starts the web server and the browser, shows the info screen, waits for Enter,
// then ends the browser and the server.
#include "launcher.h"

#include "info_screen.h"
#include "version_notice.h"

#define APPLICATION_URL "http://localhost/cgi-bin/dorvex.exe"

void FillStartupInfo(STARTUPINFOA *info) {
  info->cb = sizeof *info;
  info->lpReserved = nullptr;
  info->lpDesktop = nullptr;
  info->lpTitle = nullptr;
  info->dwX = 100;
  info->dwY = 100;
  info->dwXSize = 100;
  info->dwYSize = 100;
  info->dwXCountChars = 80;
  info->dwYCountChars = 25;
  info->dwFillAttribute = 0;
  info->dwFlags = STARTF_USESTDHANDLES;
  info->wShowWindow = 0;
  info->cbReserved2 = 0;
  info->lpReserved2 = nullptr;
  info->hStdInput = nullptr;
  info->hStdOutput = nullptr;
  info->hStdError = nullptr;
}

int main(int argc, char *argv[]) {
  ShowVersionNotice(argc, argv);

  // Zeroed, so a record whose start fails holds no process.
  auto *startup = static_cast<STARTUPINFOA *>(calloc(1, sizeof(STARTUPINFOA)));
  auto *server = static_cast<PROCESS_INFORMATION *>(calloc(1, sizeof(PROCESS_INFORMATION)));
  auto *browser = static_cast<PROCESS_INFORMATION *>(calloc(1, sizeof(PROCESS_INFORMATION)));
  if (startup == nullptr || server == nullptr || browser == nullptr) {
    free(browser);
    free(server);
    free(startup);
    return 0;
  }
  FillStartupInfo(startup);

  // Zeroed, so a failed query reads as "not NT" rather than as whatever the stack held.
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);

  // The browser's path depends on the Windows version: NT 4.0 and earlier had it from
  // the Plus! pack. The program paths are quoted, or Windows would try "c:\Program.exe"
  // first. CreateProcessA may write to its command line, so these are not const.
  char serverCommand[] = "\\Apache\\Apache.exe -w -X -f \\Apache\\conf\\httpd.conf -d \\Apache\\";
  char browserCommands[2][128] = {
      "\"c:\\Program Files\\Plus!\\Microsoft Internet\\iexplore.exe\" " APPLICATION_URL,
      "\"c:\\Program Files\\Internet Explorer\\iexplore.exe\" " APPLICATION_URL,
  };
  int chosen = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion <= 4 ? 0 : 1;

  CreateProcessA(nullptr, serverCommand, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                 nullptr, startup, server);
  CreateProcessA(nullptr, browserCommands[chosen], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                 nullptr, nullptr, startup, browser);

  ShowInfoScreen();

  // Wait for Enter, or for the end of the input. Only the first 9 characters of the line
  // are kept, and never looked at; whatever they are, a line feed ends the line.
  [[maybe_unused]] char line[1024];
  size_t stored = 0;
  fflush(stdout);
  for (int c = getc(stdin); c != EOF && c != '\n'; c = getc(stdin)) {
    if (stored < 9) {
      line[stored++] = static_cast<char>(c);
    }
  }

  if (browser->hProcess != nullptr) {
    TerminateProcess(browser->hProcess, 0);
  }
  if (server->hProcess != nullptr) {
    TerminateProcess(server->hProcess, 0);
  }

  free(browser);
  free(server);
  free(startup);
  return 0;
}
