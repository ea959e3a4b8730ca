// Runs launcher.exe under Wine as a user would, on a drive of its own with the stand-ins in
// the server's and the browsers' places, and checks what the run shows from outside: the
// console text, the children's command lines, start-up records and exit codes, the order
// they were ended in, and that nothing else was started or is left running.
//
//   driver setup STANDIN                       puts the stand-in in the places on c:
//   driver case NAME DRIVE LAUNCHER STANDIN NOTICE   runs one case on DRIVE (a letter)
//   driver lay NAME DRIVE LAUNCHER STANDIN     lays out a case that runs on a terminal, and
//                                              writes the screen it must show to screen.txt
//   driver check NAME DRIVE                    checks such a case's children once it ended
//   driver resource LAUNCHER VERSION OWNER     checks the version resource
//   driver leftovers                           ends and names whatever of a case still runs
//
// Prints what failed and exits with 1; exits with 0 when all was as expected.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const char kServer[] = "\\Apache\\Apache.exe";
const char kServerCommand[] =
    "\\Apache\\Apache.exe -w -X -f \\Apache\\conf\\httpd.conf -d \\Apache\\";
const char kUrl[] = "http://localhost/cgi-bin/dorvex.exe";
const char *const kBrowsers[] = {"c:\\Program Files\\Plus!\\Microsoft Internet\\iexplore.exe",
                                 "c:\\Program Files\\Internet Explorer\\iexplore.exe"};
// What Windows would start first if a path with spaces went unquoted.
const char *const kHijackers[] = {"c:\\Program.exe", "c:\\Program Files\\Internet.exe",
                                  "c:\\Program Files\\Plus!\\Microsoft.exe"};
const char *const kCaseProcesses[] = {"launcher.exe", "Apache.exe",   "iexplore.exe",
                                      "Program.exe",  "Internet.exe", "Microsoft.exe"};
const char kPrompt[] =
    "\r\n        ,   ,     ,\r\nAby zakonczyc, wcisnij klawisz \"Enter\"\r\n\r\n";
// Long enough that no wait here ends a working run; it only keeps a broken one from hanging.
const DWORD kPatience = 60000;
// How long the launcher's output may stand still before the prompt is taken as missing.
const DWORD kQuiet = 5000;

enum Browser { kPlus, kInternetExplorer, kNoBrowser };
// Standard input: a pipe held open until the launcher has ended, so that only what is typed
// can end the wait, an empty file, or a terminal (Wine's console on a pseudo-terminal, where
// console-run runs the case).
enum class Input { kPipe, kAtEnd, kTerminal };
// Standard output: a file, a pipe that this driver reads, no handle at all, or the terminal.
enum class Output { kFile, kPipe, kNone, kTerminal };

struct Case {
  const char *name;
  const char *windows;   // Wine's Version setting for the run
  const char *reports;   // platform and major version the children must see under it
  const char *arguments; // the command line after "launcher", exactly as typed
  bool hasInfo;
  std::string info;  // info.txt as written on the drive
  std::string shown; // what the console must show of it
  bool server;
  bool browsers;
  Input input;
  std::string typed; // once the screen is up; with the notice, ahead of the start
  Output output;
  Browser browser;
  bool notice;
};

// About 32 MiB of CR LF lines of every length up to 250, in every byte a text may hold, so
// that line breaks fall on every place of the C runtime's buffers.
std::string LongText() {
  std::string bytes;
  for (int c = 0x20; c <= 0xff; c++) {
    bytes += static_cast<char>(c);
  }
  bytes += bytes;
  std::string text;
  text.reserve((32u << 20) + 256);
  for (size_t line = 0; text.size() < 32u << 20; line++) {
    text.append(bytes, line % 224, line * 37 % 251);
    text += "\r\n";
  }
  return text;
}

// Each version also carries an info text, so the C runtime's text mode is seen on the way.
const std::vector<Case> kCases = {
    {"nt40", "nt40", "2.4", "", true, "Pierwszy wiersz\r\nDrugi wiersz\r\n",
     "Pierwszy wiersz\r\nDrugi wiersz\r\n", true, true, Input::kPipe, "\r\n", Output::kFile, kPlus,
     false},
    {"win95", "win95", "1.4", "", true, "Pierwszy wiersz\nDrugi wiersz\n",
     "Pierwszy wiersz\r\nDrugi wiersz\r\n", true, true, Input::kPipe, "\r\n", Output::kFile,
     kInternetExplorer, false},
    {"win98", "win98", "1.4", "", true,
     "Przed znakiem\r\n\x1A"
     "Po znaku\r\n",
     "Przed znakiem\r\n", true, true, Input::kPipe, "\r\n", Output::kFile, kInternetExplorer,
     false},
    {"win2k", "win2k", "2.5", "", true, "Raz\0dwa\0\0trzy\n"s, "Razdwatrzy\r\n", true, true,
     Input::kPipe, "\r\n", Output::kFile, kInternetExplorer, false},
    {"winxp", "winxp", "2.5", "", true, "Samotny\rCR\nOstatni bez konca",
     "Samotny\rCR\r\nOstatni bez konca", true, true, Input::kPipe, "\r\n", Output::kFile,
     kInternetExplorer, false},
    {"win10", "win10", "2.6", "", true, std::string(250, 'x') + "\r\n",
     std::string(250, 'x') + "\r\n", true, true, Input::kPipe, "\r\n", Output::kFile,
     kInternetExplorer, false},
    {"no-server", "winxp", "2.5", "", false, "", "", false, true, Input::kPipe, "\r\n",
     Output::kFile, kInternetExplorer, false},
    {"nothing", "winxp", "2.5", "", false, "", "", false, false, Input::kAtEnd, "", Output::kFile,
     kNoBrowser, false},
    {"notice", "winxp", "2.5", " -v", true, "Nie do pokazania\r\n", "", true, true, Input::kPipe,
     "\r\n", Output::kFile, kNoBrowser, true},
    // The command line as Windows programs split it: quotes group and are dropped.
    {"notice-quoted", "winxp", "2.5", " \"-v\"", true, "Nie do pokazania\r\n", "", true, true,
     Input::kPipe, "\r\n", Output::kFile, kNoBrowser, true},
    {"notice-quote-inside", "winxp", "2.5", " -\"v\"", true, "Nie do pokazania\r\n", "", true, true,
     Input::kPipe, "\r\n", Output::kFile, kNoBrowser, true},
    {"quoted-with-space", "winxp", "2.5", " \"-v x\"", true, "Uruchomienie\r\n", "Uruchomienie\r\n",
     true, true, Input::kPipe, "\r\n", Output::kFile, kInternetExplorer, false},
    {"quote-after-switch", "winxp", "2.5", " -v\"x\"", true, "Uruchomienie\r\n", "Uruchomienie\r\n",
     true, true, Input::kPipe, "\r\n", Output::kFile, kInternetExplorer, false},
    // The wait: a line feed ends the line whatever came before it; a Ctrl-Z ends the input.
    {"wait-nul-in-line", "winxp", "2.5", "", true, "Czekanie\r\n", "Czekanie\r\n", true, true,
     Input::kPipe, "abc\0\r\n"s, Output::kFile, kInternetExplorer, false},
    {"wait-nul-first", "winxp", "2.5", "", true, "Czekanie\r\n", "Czekanie\r\n", true, true,
     Input::kPipe, "\0\r\n"s, Output::kFile, kInternetExplorer, false},
    {"wait-ctrl-z", "winxp", "2.5", "", true, "Czekanie\r\n", "Czekanie\r\n", true, true,
     Input::kPipe, "\x1a\r\n", Output::kFile, kInternetExplorer, false},
    {"output-pipe", "winxp", "2.5", "", true, "Do potoku\r\n", "Do potoku\r\n", true, true,
     Input::kPipe, "\r\n", Output::kPipe, kInternetExplorer, false},
    {"output-none", "winxp", "2.5", "", true, "Donikad\r\n", "", true, true, Input::kPipe, "\r\n",
     Output::kNone, kInternetExplorer, false},
    {"long-info", "winxp", "2.5", "", true, LongText(), LongText(), true, true, Input::kPipe,
     "\r\n", Output::kFile, kInternetExplorer, false},
    {"console", "win10", "2.6", "", true, "Pierwszy wiersz\r\nDrugi wiersz\r\n",
     "Pierwszy wiersz\r\nDrugi wiersz\r\n", true, true, Input::kTerminal, "\r\n", Output::kTerminal,
     kInternetExplorer, false},
};

std::vector<std::string> failures;

void Fail(const std::string &what) {
  failures.push_back(what);
}

// Bytes as C would write them, so a stray CR or NUL is visible in a message.
std::string Visible(const std::string &bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    char escaped[8];
    snprintf(escaped, sizeof escaped, "\\x%02x", c);
    text += c == '\r'               ? "\\r"s
            : c == '\n'             ? "\\n"s
            : c == '\\' || c == '"' ? "\\"s + static_cast<char>(c)
            : c < 0x20 || c > 0x7e  ? std::string(escaped)
                                    : std::string(1, static_cast<char>(c));
  }
  return "\"" + text + "\"";
}

void Expect(const std::string &what, const std::string &seen, const std::string &expected) {
  if (seen == expected) {
    return;
  }
  if (seen.size() + expected.size() <= 2000) {
    Fail(what + ": " + Visible(seen) + ", expected " + Visible(expected));
    return;
  }
  // A long text is shown where it first differs.
  size_t at = std::mismatch(seen.begin(), seen.begin() + std::min(seen.size(), expected.size()),
                            expected.begin())
                  .first -
              seen.begin();
  size_t from = at < 40 ? 0 : at - 40;
  Fail(what + ": " + std::to_string(seen.size()) + " bytes, expected " +
       std::to_string(expected.size()) + "; from byte " + std::to_string(from) + ": " +
       Visible(seen.substr(from, 80)) + ", expected " + Visible(expected.substr(from, 80)));
}

bool Exists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadAll(const std::string &path, std::string *bytes) {
  FILE *in = fopen(path.c_str(), "rb");
  if (in == nullptr) {
    return false;
  }
  char buffer[4096];
  size_t n;
  bytes->clear();
  while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) {
    bytes->append(buffer, n);
  }
  fclose(in);
  return true;
}

void WriteAll(const std::string &path, const std::string &bytes) {
  FILE *out = fopen(path.c_str(), "wb");
  if (out == nullptr || fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
    Fail("cannot write " + path);
  }
  if (out != nullptr) {
    fclose(out);
  }
}

void Copy(const std::string &from, const std::string &to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
    Fail("cannot copy " + from + " to " + to);
  }
}

// Creates every missing folder on the way to the file.
void MakeFoldersFor(const std::string &file) {
  for (size_t at = file.find('\\', 3); at != std::string::npos; at = file.find('\\', at + 1)) {
    CreateDirectoryA(file.substr(0, at).c_str(), nullptr);
  }
}

// A stand-in's record: one key=value a line.
std::map<std::string, std::string> ParseRecord(const std::string &text) {
  std::map<std::string, std::string> record;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    size_t equals = line.find('=');
    if (equals != std::string::npos) {
      record[line.substr(0, equals)] = line.substr(equals + 1);
    }
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return record;
}

void SetWindowsVersion(const char *program, const char *version) {
  HKEY key;
  std::string path = "Software\\Wine\\AppDefaults\\"s + program;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    Fail("cannot open " + path);
    return;
  }
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(version),
                 static_cast<DWORD>(strlen(version) + 1));
  RegCloseKey(key);
}

HANDLE Inheritable(const std::string &path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail("cannot open " + path);
  }
  return file;
}

// Ends whatever of a case is still running, and says so.
void EndLeftovers() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    const char *base = strrchr(entry.szExeFile, '\\');
    base = base != nullptr ? base + 1 : entry.szExeFile;
    for (const char *name : kCaseProcesses) {
      if (_stricmp(base, name) == 0) {
        Fail("still running: "s + base + " (pid " + std::to_string(entry.th32ProcessID) + ")");
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        TerminateProcess(process, 1);
        CloseHandle(process);
      }
    }
  }
  CloseHandle(snapshot);
}

struct Child {
  std::string path;    // the program's place, its record beside it
  std::string command; // the command line it must have been given
  std::map<std::string, std::string> record;
  HANDLE process = nullptr;
};

void CheckRecord(const Case &test, const Child &child) {
  const std::map<std::string, std::string> &r = child.record;
  auto field = [&r](const char *key) {
    auto found = r.find(key);
    return found == r.end() ? "(none)"s : found->second;
  };
  Expect(child.path + " command line", field("cmdline"), child.command);
  Expect(child.path + " dwFlags", field("flags"), "256");
  Expect(child.path + " position", field("position"), "100,100");
  Expect(child.path + " size", field("size"), "100,100");
  Expect(child.path + " console size", field("console"), "80,25");
  // Wine's GetStartupInfoA shows a null handle as INVALID_HANDLE_VALUE; GetStdHandle shows
  // it as it is. A handle passed on would show as itself in both.
  std::string none = sizeof(HANDLE) == 4 ? "0xffffffff" : "0xffffffffffffffff";
  Expect(child.path + " start-up handles", field("startup_handles"),
         none + "," + none + "," + none);
  Expect(child.path + " standard handles", field("std_handles"), "0x0,0x0,0x0");
  // The version the launcher chose by: the children run under the same setting.
  std::string version = field("version");
  Expect(child.path + " Windows version", version.substr(0, version.rfind('.')), test.reports);
}

// A case's drive, as it would be laid out on a CD, and what may run from it.
struct Layout {
  std::string root;
  std::string server;
  std::vector<std::string> places; // every place a program could be started from
  std::vector<Child> children;     // the server, then the browser, as far as they are expected
};

Layout Expected(const Case &test, const std::string &drive) {
  Layout layout;
  layout.root = drive + ":\\";
  layout.server = drive + ":" + kServer;
  layout.places = {layout.server, kBrowsers[0], kBrowsers[1]};
  layout.places.insert(layout.places.end(), std::begin(kHijackers), std::end(kHijackers));
  if (test.server && !test.notice) {
    layout.children.push_back({layout.server, kServerCommand, {}, nullptr});
  }
  if (test.browser != kNoBrowser) {
    const char *browser = kBrowsers[test.browser];
    layout.children.push_back({browser, "\""s + browser + "\" " + kUrl, {}, nullptr});
  }
  return layout;
}

void LayOut(const Case &test, const Layout &layout, const std::string &launcher,
            const std::string &standin) {
  for (const char *program : {"launcher.exe", "Apache.exe", "iexplore.exe"}) {
    SetWindowsVersion(program, test.windows);
  }
  Copy(launcher, layout.root + "launcher.exe");
  DeleteFileA((layout.root + "info.txt").c_str());
  if (test.hasInfo) {
    WriteAll(layout.root + "info.txt", test.info);
  }
  MakeFoldersFor(layout.server);
  DeleteFileA(layout.server.c_str());
  if (test.server) {
    Copy(standin, layout.server);
  }
  for (const std::string &place : layout.places) {
    DeleteFileA((place + ".record").c_str());
  }
  if (!test.browsers) {
    for (const char *browser : kBrowsers) {
      MoveFileExA(browser, (browser + ".away"s).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
  }
}

// Nothing but the expected children may have been started, on any version, and nothing of
// the case may still run.
void CheckNothingElse(const Case &test, const Layout &layout) {
  for (const std::string &place : layout.places) {
    bool expectedChild = false;
    for (const Child &child : layout.children) {
      expectedChild = expectedChild || child.path == place;
    }
    if (!expectedChild && Exists(place + ".record")) {
      Fail("started: " + place);
    }
  }
  EndLeftovers();
  if (!test.browsers) {
    for (const char *browser : kBrowsers) {
      MoveFileExA((browser + ".away"s).c_str(), browser, MOVEFILE_REPLACE_EXISTING);
    }
  }
}

bool EndsWith(const std::string &text, const std::string &end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Adds what has come of the launcher's output so far: all that the pipe holds, or the file
// up to its end.
void ReadOn(HANDLE screen, bool pipe, std::string *shown) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD held = 0;
    if (pipe && (!PeekNamedPipe(screen, nullptr, 0, nullptr, &held, nullptr) || held == 0)) {
      return;
    }
    DWORD got = 0;
    if (!ReadFile(screen, buffer.data(), pipe ? std::min(held, size) : size, &got, nullptr) ||
        got == 0) {
      return;
    }
    shown->append(buffer.data(), got);
  }
}

// Reads the output until it ends with the prompt, or has stood still for too long.
void WaitForPrompt(HANDLE screen, bool pipe, std::string *shown) {
  DWORD quiet = 0;
  for (DWORD waited = 0; waited < kPatience && quiet < kQuiet; waited += 20) {
    size_t before = shown->size();
    ReadOn(screen, pipe, shown);
    if (EndsWith(*shown, kPrompt)) {
      return;
    }
    quiet = shown->size() == before ? quiet + 20 : 0;
    Sleep(20);
  }
}

void RunCase(const Case &test, const std::string &drive, const std::string &launcher,
             const std::string &standin, const std::string &noticeFile) {
  Layout layout = Expected(test, drive);
  LayOut(test, layout, launcher, standin);
  const std::string &root = layout.root;
  std::vector<Child> &children = layout.children;

  // Standard input: a pipe that this driver writes into, or an empty file.
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE input = nullptr;
  HANDLE keyboard = nullptr;
  if (test.input == Input::kPipe) {
    CreatePipe(&input, &keyboard, &inherit, 0);
    SetHandleInformation(keyboard, HANDLE_FLAG_INHERIT, 0);
  } else {
    WriteAll(root + "empty.txt", "");
    input = Inheritable(root + "empty.txt", GENERIC_READ, OPEN_EXISTING);
  }
  // Standard output, and this driver's own end of it to read what has come so far.
  bool pipe = test.output == Output::kPipe;
  HANDLE output = nullptr;
  HANDLE screen = nullptr;
  if (test.output == Output::kFile) {
    output = Inheritable(root + "stdout.txt", GENERIC_WRITE, CREATE_ALWAYS);
    screen =
        CreateFileA((root + "stdout.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  } else if (pipe) {
    CreatePipe(&screen, &output, &inherit, 0);
    SetHandleInformation(screen, HANDLE_FLAG_INHERIT, 0);
  }
  HANDLE errors = Inheritable(root + "stderr.txt", GENERIC_WRITE, CREATE_ALWAYS);
  DWORD written;
  if (test.notice) {
    // Typed ahead: with -v it must stay unread.
    WriteFile(keyboard, test.typed.data(), static_cast<DWORD>(test.typed.size()), &written,
              nullptr);
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  PROCESS_INFORMATION started = {};
  // The command line exactly as typed at the drive's prompt; the program named apart, so
  // that no search can find another.
  std::string program = root + "launcher.exe";
  std::string command = "launcher"s + test.arguments;
  if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                      root.c_str(), &startup, &started)) {
    Fail("cannot start " + program + " as " + command + ": error " +
         std::to_string(GetLastError()));
  }
  if (output != nullptr) {
    CloseHandle(output);
  }
  CloseHandle(errors);

  std::string shown;
  std::string expected = test.shown + kPrompt;
  if (test.input == Input::kPipe && !test.notice) {
    // Typed only once every child is up and holds a handle here, and the screen is complete:
    // the input stays open, so only what is typed can end the wait.
    DWORD waited = 0;
    for (Child &child : children) {
      std::string text;
      while (!ReadAll(child.path + ".record", &text) && waited < kPatience) {
        Sleep(50);
        waited += 50;
      }
      child.record = ParseRecord(text);
      DWORD pid = strtoul(child.record["pid"].c_str(), nullptr, 10);
      child.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
      if (child.process == nullptr) {
        Fail(child.path + " did not start");
      }
    }
    if (screen != nullptr) {
      WaitForPrompt(screen, pipe, &shown);
      Expect("console output before any input", shown, expected);
    }
    WriteFile(keyboard, test.typed.data(), static_cast<DWORD>(test.typed.size()), &written,
              nullptr);
  }

  // Read on while it runs, so that a pipe never fills.
  DWORD waited = 0;
  while (WaitForSingleObject(started.hProcess, 20) == WAIT_TIMEOUT && waited < kPatience) {
    waited += 20;
    if (screen != nullptr) {
      ReadOn(screen, pipe, &shown);
    }
  }
  bool ended = WaitForSingleObject(started.hProcess, 0) == WAIT_OBJECT_0;
  if (!ended) {
    Fail("launcher.exe did not end");
    TerminateProcess(started.hProcess, 1);
  }
  DWORD code = 1;
  GetExitCodeProcess(started.hProcess, &code);
  Expect("launcher.exe exit code", std::to_string(code), "0");
  if (screen != nullptr) {
    ReadOn(screen, pipe, &shown);
  }
  std::vector<FILETIME> ends;
  for (Child &child : children) {
    if (child.process == nullptr) {
      continue;
    }
    // Ended by the launcher before it exits; after one that hung, they are leftovers.
    if (WaitForSingleObject(child.process, ended ? kPatience : 0) == WAIT_OBJECT_0) {
      GetExitCodeProcess(child.process, &code);
      Expect(child.path + " exit code", std::to_string(code), "0");
      FILETIME start, end, kernel, user;
      if (GetProcessTimes(child.process, &start, &end, &kernel, &user)) {
        ends.push_back(end);
      }
    } else {
      Fail(child.path + " was not ended");
    }
    CloseHandle(child.process);
    CheckRecord(test, child);
  }
  // Wine stamps a process's end when it is terminated: the server's must come last.
  if (ends.size() == 2 && CompareFileTime(&ends[0], &ends[1]) <= 0) {
    Fail("the server was ended before the browser, or at the same time");
  }

  if (test.notice) {
    // The notice as written for this build, each line ended by CR LF on the console.
    std::string notice;
    if (!ReadAll(noticeFile, &notice)) {
      Fail("cannot read " + noticeFile);
    }
    expected.clear();
    for (char c : notice) {
      expected += c == '\n' ? "\r\n" : std::string(1, c);
    }
    DWORD unread = 0;
    PeekNamedPipe(input, nullptr, 0, nullptr, &unread, nullptr);
    Expect("input left unread", std::to_string(unread), std::to_string(test.typed.size()));
  }
  if (screen != nullptr) {
    Expect("console output", shown, expected);
    CloseHandle(screen);
  }
  std::string errorText;
  ReadAll(root + "stderr.txt", &errorText);
  Expect("standard error", errorText, "");

  CheckNothingElse(test, layout);
  CloseHandle(input);
  CloseHandle(keyboard);
  CloseHandle(started.hProcess);
  CloseHandle(started.hThread);
}

// A case that runs on a terminal: laid out here, run by console-run, checked here after.
void LayTerminalCase(const Case &test, const std::string &drive, const std::string &launcher,
                     const std::string &standin) {
  Layout layout = Expected(test, drive);
  LayOut(test, layout, launcher, standin);
  // The screen as the terminal shows it: lines, with no CR.
  std::string screen;
  for (char c : test.shown + kPrompt) {
    if (c != '\r') {
      screen += c;
    }
  }
  WriteAll(layout.root + "screen.txt", screen);
}

void CheckTerminalCase(const Case &test, const std::string &drive) {
  Layout layout = Expected(test, drive);
  for (Child &child : layout.children) {
    std::string text;
    if (!ReadAll(child.path + ".record", &text)) {
      Fail(child.path + " did not start");
      continue;
    }
    child.record = ParseRecord(text);
    CheckRecord(test, child);
  }
  CheckNothingElse(test, layout);
}

void CheckResource(const std::string &launcher, const std::string &version,
                   const std::string &owner) {
  DWORD ignored;
  std::vector<char> data(GetFileVersionInfoSizeA(launcher.c_str(), &ignored));
  if (data.empty() ||
      !GetFileVersionInfoA(launcher.c_str(), 0, static_cast<DWORD>(data.size()), data.data())) {
    Fail("no version resource in " + launcher);
    return;
  }
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT size = 0;
  VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&fixed), &size);
  unsigned major = 0, minor = 0, patch = 0;
  sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch);
  if (fixed == nullptr || fixed->dwFileVersionMS != (major << 16 | minor) ||
      fixed->dwFileVersionLS != patch << 16 || fixed->dwProductVersionMS != (major << 16 | minor) ||
      fixed->dwProductVersionLS != patch << 16) {
    Fail("file or product version is not " + version + ".0");
  }
  auto text = [&data](const char *name) {
    char *value = nullptr;
    UINT length = 0;
    std::string path = "\\StringFileInfo\\041504E2\\"s + name;
    VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void **>(&value), &length);
    return value != nullptr ? std::string(value) : "(none)"s;
  };
  Expect("FileVersion", text("FileVersion"), version);
  Expect("ProductVersion", text("ProductVersion"), version);
  Expect("CompanyName", text("CompanyName"), owner);
  if (text("FileDescription").size() < 10) {
    Fail("FileDescription: " + Visible(text("FileDescription")));
  }
}

} // namespace

int main(int argc, char *argv[]) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "setup") {
    for (const char *place : kBrowsers) {
      MakeFoldersFor(place);
      Copy(args[1], place);
    }
    for (const char *place : kHijackers) {
      MakeFoldersFor(place);
      Copy(args[1], place);
    }
  } else if ((args.size() == 6 && args[0] == "case") || (args.size() == 5 && args[0] == "lay") ||
             (args.size() == 3 && args[0] == "check")) {
    const Case *found = nullptr;
    for (const Case &test : kCases) {
      found = args[1] == test.name ? &test : found;
    }
    bool terminal = args[0] != "case";
    if (found == nullptr || (found->output == Output::kTerminal) != terminal) {
      Fail("no case " + args[1] + " to " + args[0]);
    } else if (args[0] == "case") {
      RunCase(*found, args[2], args[3], args[4], args[5]);
    } else if (args[0] == "lay") {
      LayTerminalCase(*found, args[2], args[3], args[4]);
    } else {
      CheckTerminalCase(*found, args[2]);
    }
  } else if (args.size() == 4 && args[0] == "resource") {
    CheckResource(args[1], args[2], args[3]);
  } else if (args.size() == 1 && args[0] == "leftovers") {
    EndLeftovers();
  } else {
    Fail("usage: driver setup STANDIN | case NAME DRIVE LAUNCHER STANDIN NOTICE | "
         "lay NAME DRIVE LAUNCHER STANDIN | check NAME DRIVE | "
         "resource LAUNCHER VERSION OWNER | leftovers");
  }
  for (const std::string &failure : failures) {
    printf("FAILED: %s\n", failure.c_str());
  }
  return failures.empty() ? 0 : 1;
}
