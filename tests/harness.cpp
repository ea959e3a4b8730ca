#include "harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char kServer[] = "/Apache/Apache.exe";
const char kBrowserPlus[] = "/Program Files/Plus!/Microsoft Internet/iexplore.exe";
const char kBrowserIE[] = "/Program Files/Internet Explorer/iexplore.exe";
const std::vector<std::string> kPlanted = {"/Program", "/Program Files/Plus!/Microsoft",
                                           "/Program Files/Internet"};
const std::string kPrompt = "\n        ,   ,     ,\nAby zakonczyc, wcisnij klawisz \"Enter\"\n\n";

namespace {

const auto kPatience = std::chrono::seconds(10);

std::string CaseDir(const Case &c) {
  return std::string(ROOTS_DIR) + "/" + c.name;
}

std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Install(const std::string &from, const std::string &to) {
  fs::create_directories(fs::path(to).parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// The root: the launcher, the stand-ins, info.txt, and mount points for what the
// programs need of the system (its libraries, /dev/null, /proc).
void Lay(const Case &c, const std::string &root) {
  fs::remove_all(CaseDir(c));
  for (const char *dir : {"usr", "proc", "dev"}) {
    fs::create_directories(root + "/" + dir);
  }
  for (const char *file : {"/dev/null", "/dev/full"}) {
    std::ofstream(root + file).close();
  }
  for (const char *link : {"bin", "lib", "lib64"}) {
    fs::create_directory_symlink(std::string("usr/") + link, root + "/" + link);
  }
  Install(LAUNCHER_PATH, root + "/launcher");
  Install(PEAK_PATH, root + "/peak");
  for (const std::string &program : c.programs) {
    Install(STANDIN_PATH, root + program);
  }
  for (const std::string &program : c.exiting) {
    std::ofstream(root + program + ".exit").close();
  }
  fs::create_directories(root + c.cwd);
  if (c.infoIsDirectory) {
    fs::create_directories(root + c.cwd + "/info.txt");
  } else if (c.info) {
    std::ofstream(root + c.cwd + "/info.txt", std::ios::binary) << *c.info;
  }
}

[[noreturn]] void Fail(const char *what) {
  perror(what);
  _exit(120);
}

void Bind(const char *from, const std::string &to, unsigned long extra) {
  if (mount(from, to.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
    Fail("bind mount");
  }
  if (extra != 0 &&
      mount(nullptr, to.c_str(), nullptr, MS_BIND | MS_REMOUNT | extra, nullptr) != 0) {
    Fail("remount");
  }
}

// The state of a process of our PID namespace ('S', 'Z', ...), or 0 when it has none.
char State(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  size_t paren = line.rfind(')');
  return paren != std::string::npos && paren + 2 < line.size() ? line[paren + 2] : '\0';
}

// The processes of our PID namespace but ourselves (its first process) and `except`.
std::map<int, char> Processes(int except) {
  std::map<int, char> states;
  DIR *proc = opendir("/proc");
  while (dirent *entry = proc != nullptr ? readdir(proc) : nullptr) {
    int pid = atoi(entry->d_name);
    char state = pid > 1 && pid != except ? State(pid) : '\0';
    if (state != '\0') {
      states[pid] = state;
    }
  }
  if (proc != nullptr) {
    closedir(proc);
  }
  return states;
}

// The launcher's own process: its descriptors as the case sets them, then exec.
[[noreturn]] void StartLauncher(const Case &c, int input, int output, int error) {
  if (!c.interactive) {
    setpgid(0, 0); // a stray signal to "our group" then reaches the launcher alone
    if (dup2(error, 2) < 0) {
      Fail("dup2");
    }
    if (c.input == Input::Closed) {
      close(0);
    } else if (dup2(input, 0) < 0) {
      Fail("dup2");
    }
    if (c.output == Output::Closed) {
      close(1);
    } else if (dup2(output, 1) < 0) {
      Fail("dup2");
    }
  }
  close_range(3, ~0U, 0);
  if (c.extraDescriptor && open("/dev/null", O_RDONLY) != 3) {
    Fail("extra descriptor");
  }
  if (c.extraDescriptor && (dup2(3, 5) != 5 || close(3) != 0)) {
    Fail("extra descriptor");
  }
  if (c.sigchldIgnored) {
    signal(SIGCHLD, SIG_IGN);
  }
  std::vector<std::string> words;
  if (c.measured) {
    words = {"/peak", "/peak.kib"};
  }
  if (c.traced) {
    // LeakSanitizer, in a sanitizer build, cannot work under ptrace; the other cases have it.
    const char *sanitizer = getenv("ASAN_OPTIONS");
    std::string options = std::string(sanitizer != nullptr ? sanitizer : "") + ":detect_leaks=0";
    setenv("ASAN_OPTIONS", options.c_str(), 1);
    // The launcher alone (no -f): strace keeps its group and descriptors and ends as it did.
    words.insert(words.end(), {"/usr/bin/strace", "-qq", "-e", "trace=kill", "-e", "signal=none",
                               "-o", "/launcher.kills", "--"});
  }
  words.push_back("/launcher");
  words.insert(words.end(), c.args.begin(), c.args.end());
  std::vector<char *> argv;
  for (std::string &word : words) {
    argv.push_back(&word[0]);
  }
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  Fail("exec");
}

// A stand-in's record, one key=value a line; empty when there is none.
std::map<std::string, std::string> ParseRecord(const std::string &path) {
  std::map<std::string, std::string> record;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    size_t equals = line.find('=');
    record[line.substr(0, equals)] = equals == std::string::npos ? "" : line.substr(equals + 1);
  }
  return record;
}

// The whole of a file, however far its descriptor has read.
std::string Contents(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0) {
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

bool EndsWith(const std::string &text, const std::string &end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool AllRecorded(const Case &c) {
  for (const std::string &program : c.awaited) {
    if (access((program + ".record").c_str(), F_OK) != 0) {
      return false;
    }
  }
  return true;
}

// The first process of the PID namespace: it enters the root, starts the launcher,
// feeds it, and reaps everything; what it saw goes to `report`.
[[noreturn]] void RunRoot(const Case &c, const std::string &root, int report) {
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    Fail("private mounts");
  }
  Bind("/usr", root + "/usr", MS_RDONLY);
  Bind("/dev/null", root + "/dev/null", 0);
  Bind("/dev/full", root + "/dev/full", 0);
  if (mount("proc", (root + "/proc").c_str(), "proc", 0, nullptr) != 0) {
    Fail("proc");
  }
  std::string dir = CaseDir(c);
  int output = -1;
  int shown = -1; // the same file, to read what the launcher has written so far
  int gone[2] = {-1, -1};
  if (c.output == Output::File) {
    output = open((dir + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    shown = open((dir + "/stdout").c_str(), O_RDONLY | O_CLOEXEC);
  } else if (c.output == Output::Full) {
    output = open("/dev/full", O_WRONLY | O_CLOEXEC);
  } else if (c.output == Output::PipeGone) {
    if (pipe2(gone, O_CLOEXEC) != 0) {
      Fail("pipe");
    }
    close(gone[0]);
    output = gone[1];
  }
  int error = open((dir + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int feed[2];
  if (pipe2(feed, O_CLOEXEC) != 0) {
    Fail("pipe");
  }
  int input = feed[0];
  if (c.input == Input::DevNull) {
    input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  }
  if (chroot(root.c_str()) != 0 || chdir(c.cwd.c_str()) != 0) {
    Fail("chroot");
  }

  pid_t launcher = fork();
  if (launcher < 0) {
    Fail("fork");
  }
  if (launcher == 0) {
    StartLauncher(c, input, output, error);
  }
  close(feed[0]);
  if (c.interactive || (c.input != Input::Enter && c.input != Input::Open)) {
    close(feed[1]);
  }

  std::ostringstream seen;
  int status = 0;
  bool ended = false;
  auto deadline = Clock::now() + (c.interactive ? std::chrono::hours(24) : kPatience);
  auto finished = [&] {
    if (!ended && waitpid(launcher, &status, WNOHANG) == launcher) {
      ended = true;
    }
    return ended;
  };
  if (c.input == Input::Enter && !c.interactive) {
    while (!finished() && !AllRecorded(c) && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A stand-in that ends by itself takes a moment to do so: a zombie, or gone if
    // something reaped it.
    for (const std::string &program : c.exiting) {
      int pid = atoi(ParseRecord(program + ".record")["pid"].c_str());
      while (!finished() && pid > 0 && State(pid) != '\0' && State(pid) != 'Z' &&
             Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
    // What the launcher shows before it is given any input: once it ends with the prompt,
    // or whatever is there after a while (a launcher that holds it back until the end).
    if (shown >= 0) {
      std::string before;
      auto enough = Clock::now() + std::chrono::seconds(2);
      while (!EndsWith(before = Contents(shown), kPrompt) && !finished() && Clock::now() < enough) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      seen << "before " << before.size() << "\n" << before << "\n";
    }
    signal(SIGPIPE, SIG_IGN);
    if (!c.partial.empty() && write(feed[1], c.partial.data(), c.partial.size()) > 0) {
      int unread = 1;
      while (!finished() && ioctl(feed[1], FIONREAD, &unread) == 0 && unread > 0 &&
             Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
      // Time for a launcher that took the part for the whole line to act on it.
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    for (auto [pid, state] : Processes(launcher)) {
      seen << "held " << pid << " " << state << "\n";
    }
    if (write(feed[1], c.line.data(), c.line.size()) < 0) {
      seen << "unread\n";
    }
    if (c.endAfterLine) {
      close(feed[1]);
    }
  }
  while (!finished() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!ended) {
    kill(launcher, SIGKILL);
    waitpid(launcher, &status, 0);
  } else {
    seen << "ended\n";
  }
  seen << "status " << status << "\n";

  // What the launcher started is ours now; whatever it ended must come to an end.
  auto reaping = Clock::now() + std::chrono::seconds(3);
  for (;;) {
    int childStatus = 0;
    pid_t pid = waitpid(-1, &childStatus, WNOHANG);
    if (pid > 0) {
      seen << "reaped " << pid << " " << childStatus << "\n";
    } else if ((pid < 0 && errno == ECHILD) || Clock::now() > reaping) {
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  seen << "running " << Processes(0).size() << "\n";
  std::string text = seen.str();
  if (write(report, text.data(), text.size()) < 0) {
    _exit(121);
  }
  _exit(0);
}

} // namespace

Outcome Launch(const Case &c) {
  std::string root = CaseDir(c) + "/root";
  Lay(c, root);
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    return {};
  }
  fflush(nullptr);
  pid_t outer = fork();
  if (outer == 0) {
    if (unshare(CLONE_NEWNS | CLONE_NEWPID) != 0) {
      Fail("unshare");
    }
    pid_t first = fork();
    if (first == 0) {
      RunRoot(c, root, report[1]);
    }
    int status = 0;
    waitpid(first, &status, 0);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 122);
  }
  close(report[1]);
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(report[0], buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(n));
  }
  close(report[0]);
  waitpid(outer, nullptr, 0);

  Outcome outcome;
  std::istringstream lines(text);
  std::string word;
  while (lines >> word) {
    int pid = 0;
    if (word == "ended") {
      outcome.ended = true;
    } else if (word == "status") {
      lines >> outcome.status;
    } else if (word == "reaped") {
      lines >> pid >> outcome.reaped[pid];
    } else if (word == "held") {
      lines >> pid >> outcome.heldBefore[pid];
    } else if (word == "running") {
      lines >> outcome.running;
    } else if (word == "before") {
      size_t size = 0;
      lines >> size;
      lines.get();
      outcome.outBefore.resize(size);
      lines.read(&outcome.outBefore[0], static_cast<std::streamsize>(size));
    }
  }
  outcome.out = Slurp(CaseDir(c) + "/stdout");
  outcome.err = Slurp(CaseDir(c) + "/stderr");
  if (c.measured) {
    outcome.peakKiB = atol(Slurp(root + "/peak.kib").c_str());
  }
  if (c.traced) {
    std::ifstream trace(root + "/launcher.kills");
    for (std::string line; std::getline(trace, line);) {
      int pid = 0;
      char signal[32] = "";
      if (sscanf(line.c_str(), "kill(%d, %31[^)])", &pid, signal) == 2) {
        outcome.kills.emplace_back(pid, signal);
      }
    }
  }
  return outcome;
}

std::map<std::string, std::string> Record(const Case &c, const std::string &program) {
  return ParseRecord(InRoot(c, program + ".record"));
}

std::vector<std::string> Arguments(const std::map<std::string, std::string> &record) {
  std::vector<std::string> args;
  int count = record.count("argc") != 0 ? atoi(record.at("argc").c_str()) : 0;
  for (int i = 0; i < count; i++) {
    auto arg = record.find("arg" + std::to_string(i));
    args.push_back(arg != record.end() ? arg->second : "?");
  }
  return args;
}

std::string InRoot(const Case &c, const std::string &path) {
  return CaseDir(c) + "/root" + path;
}

bool ExitedZero(const Outcome &o) {
  return o.ended && WIFEXITED(o.status) && WEXITSTATUS(o.status) == 0;
}

bool Killed(int status) {
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::string ThisTest() {
  const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char &ch : name) {
    if (ch == '/') {
      ch = '_';
    }
  }
  return name;
}
