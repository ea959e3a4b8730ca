// Runs launcher.exe under Wine as a user would, on a drive of its own with the stand-ins in
// the server's and the browsers' places, and checks what the run shows from outside: the
// console text, the children's command lines, start-up records and exit codes, and that
// nothing else was started or is left running.
//
//   driver setup STANDIN                       puts the stand-in in the places on c:
//   driver case NAME DRIVE LAUNCHER STANDIN NOTICE   runs one case on DRIVE (a letter)
//   driver resource LAUNCHER VERSION OWNER     checks the version resource
//   driver leftovers                           ends and names whatever of a case still runs
//
// Prints what failed and exits with 1; exits with 0 when all was as expected.
#include <windows.h>

#include <tlhelp32.h>

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

enum Browser { kPlus, kInternetExplorer, kNoBrowser };
enum class Input { kEnter, kAtEnd };

struct Case {
  const char *name;
  const char *windows; // Wine's Version setting for the run
  const char *reports; // platform and major version the children must see under it
  const char *arguments;
  bool hasInfo;
  std::string info;  // info.txt as written on the drive
  std::string shown; // what the console must show of it
  bool server;
  bool browsers;
  Input input;
  Browser browser;
  bool notice;
};

// Each version also carries an info text, so the C runtime's text mode is seen on the way.
const std::vector<Case> kCases = {
    {"nt40", "nt40", "2.4", "", true, "Pierwszy wiersz\r\nDrugi wiersz\r\n",
     "Pierwszy wiersz\r\nDrugi wiersz\r\n", true, true, Input::kEnter, kPlus, false},
    {"win95", "win95", "1.4", "", true, "Pierwszy wiersz\nDrugi wiersz\n",
     "Pierwszy wiersz\r\nDrugi wiersz\r\n", true, true, Input::kEnter, kInternetExplorer, false},
    {"win98", "win98", "1.4", "", true,
     "Przed znakiem\r\n\x1A"
     "Po znaku\r\n",
     "Przed znakiem\r\n", true, true, Input::kEnter, kInternetExplorer, false},
    {"win2k", "win2k", "2.5", "", true, "Raz\0dwa\0\0trzy\n"s, "Razdwatrzy\r\n", true, true,
     Input::kEnter, kInternetExplorer, false},
    {"winxp", "winxp", "2.5", "", true, "Samotny\rCR\nOstatni bez konca",
     "Samotny\rCR\r\nOstatni bez konca", true, true, Input::kEnter, kInternetExplorer, false},
    {"win10", "win10", "2.6", "", true, std::string(250, 'x') + "\r\n",
     std::string(250, 'x') + "\r\n", true, true, Input::kEnter, kInternetExplorer, false},
    {"no-server", "winxp", "2.5", "", false, "", "", false, true, Input::kEnter, kInternetExplorer,
     false},
    {"nothing", "winxp", "2.5", "", false, "", "", false, false, Input::kAtEnd, kNoBrowser, false},
    {"notice", "winxp", "2.5", " -v", true, "Nie do pokazania\r\n", "", true, true, Input::kEnter,
     kNoBrowser, true},
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
  if (seen != expected) {
    Fail(what + ": " + Visible(seen) + ", expected " + Visible(expected));
  }
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

void RunCase(const Case &test, const std::string &drive, const std::string &launcher,
             const std::string &standin, const std::string &noticeFile) {
  std::string root = drive + ":\\";
  for (const char *program : {"launcher.exe", "Apache.exe", "iexplore.exe"}) {
    SetWindowsVersion(program, test.windows);
  }

  // The case's drive, as it would be laid out on a CD.
  Copy(launcher, root + "launcher.exe");
  DeleteFileA((root + "info.txt").c_str());
  if (test.hasInfo) {
    WriteAll(root + "info.txt", test.info);
  }
  std::string server = drive + ":" + kServer;
  MakeFoldersFor(server);
  DeleteFileA(server.c_str());
  if (test.server) {
    Copy(standin, server);
  }
  std::vector<std::string> places = {server, kBrowsers[0], kBrowsers[1]};
  places.insert(places.end(), std::begin(kHijackers), std::end(kHijackers));
  for (const std::string &place : places) {
    DeleteFileA((place + ".record").c_str());
  }
  if (!test.browsers) {
    for (const char *browser : kBrowsers) {
      MoveFileExA(browser, (browser + ".away"s).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
  }

  std::vector<Child> children;
  if (test.server && !test.notice) {
    children.push_back({server, kServerCommand, {}, nullptr});
  }
  if (test.browser != kNoBrowser) {
    const char *browser = kBrowsers[test.browser];
    children.push_back({browser, "\""s + browser + "\" " + kUrl, {}, nullptr});
  }

  // Standard input: a pipe that this driver writes Enter into, or an empty file.
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE input = nullptr;
  HANDLE keyboard = nullptr;
  if (test.input == Input::kEnter) {
    CreatePipe(&input, &keyboard, &inherit, 0);
    SetHandleInformation(keyboard, HANDLE_FLAG_INHERIT, 0);
  } else {
    WriteAll(root + "empty.txt", "");
    input = Inheritable(root + "empty.txt", GENERIC_READ, OPEN_EXISTING);
  }
  HANDLE output = Inheritable(root + "stdout.txt", GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE errors = Inheritable(root + "stderr.txt", GENERIC_WRITE, CREATE_ALWAYS);
  DWORD written;
  if (test.notice) {
    // Typed ahead: with -v it must stay unread.
    WriteFile(keyboard, "\r\n", 2, &written, nullptr);
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  PROCESS_INFORMATION started = {};
  std::string command = "\"" + root + "launcher.exe\"" + test.arguments;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, root.c_str(),
                      &startup, &started)) {
    Fail("cannot start " + command);
  }
  CloseHandle(output);
  CloseHandle(errors);

  if (test.input == Input::kEnter && !test.notice) {
    // Enter only once every child is up and holds a handle here.
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
    WriteFile(keyboard, "\r\n", 2, &written, nullptr);
  }

  DWORD code = 1;
  if (WaitForSingleObject(started.hProcess, kPatience) != WAIT_OBJECT_0) {
    Fail("launcher.exe did not end");
    TerminateProcess(started.hProcess, 1);
  }
  GetExitCodeProcess(started.hProcess, &code);
  Expect("launcher.exe exit code", std::to_string(code), "0");
  for (Child &child : children) {
    if (child.process == nullptr) {
      continue;
    }
    code = 1;
    WaitForSingleObject(child.process, kPatience);
    GetExitCodeProcess(child.process, &code);
    Expect(child.path + " exit code", std::to_string(code), "0");
    CloseHandle(child.process);
    CheckRecord(test, child);
  }

  std::string shown;
  ReadAll(root + "stdout.txt", &shown);
  std::string expected = test.shown + kPrompt;
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
    Expect("input left unread", std::to_string(unread), "2");
  }
  Expect("console output", shown, expected);
  std::string errorText;
  ReadAll(root + "stderr.txt", &errorText);
  Expect("standard error", errorText, "");

  // Nothing but the expected children may have been started, on any version.
  for (const std::string &place : places) {
    bool expectedChild = false;
    for (const Child &child : children) {
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
  CloseHandle(input);
  CloseHandle(keyboard);
  CloseHandle(started.hProcess);
  CloseHandle(started.hThread);
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
  } else if (args.size() == 6 && args[0] == "case") {
    const Case *found = nullptr;
    for (const Case &test : kCases) {
      found = args[1] == test.name ? &test : found;
    }
    if (found == nullptr) {
      Fail("no case " + args[1]);
    } else {
      RunCase(*found, args[2], args[3], args[4], args[5]);
    }
  } else if (args.size() == 4 && args[0] == "resource") {
    CheckResource(args[1], args[2], args[3]);
  } else if (args.size() == 1 && args[0] == "leftovers") {
    EndLeftovers();
  } else {
    Fail("usage: driver setup STANDIN | case NAME DRIVE LAUNCHER STANDIN NOTICE | "
         "resource LAUNCHER VERSION OWNER | leftovers");
  }
  for (const std::string &failure : failures) {
    printf("FAILED: %s\n", failure.c_str());
  }
  return failures.empty() ? 0 : 1;
}
