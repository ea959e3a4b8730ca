// Runs the launcher as a process in a private root of its own: a tree under the
// build folder, entered through a private mount namespace and a chroot, inside a
// PID namespace whose first process (ours) reaps what the launcher leaves behind.
// When that first process ends, the kernel ends everything left in the root.
#ifndef LAUNCHER_TESTS_HARNESS_H
#define LAUNCHER_TESTS_HARNESS_H

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Where the launcher looks for the server and the browsers, as seen in the root.
extern const char kServer[];
extern const char kBrowserPlus[];
extern const char kBrowserIE[];
// Where a program would run in the browser's place if its unquoted path were split.
extern const std::vector<std::string> kPlanted;
// The closing prompt, byte for byte.
extern const std::string kPrompt;

enum class Input {
  Enter,   // a pipe; `line` is written once the awaited stand-ins have recorded, and the pipe
           // held open until the launcher ends, so that only the line can end the wait
  End,     // a pipe closed from the start
  Open,    // a pipe held open and never written
  Closed,  // descriptor 0 closed
  DevNull, // /dev/null
};

enum class Output {
  File,     // a file, read back into Outcome::out
  Closed,   // descriptor 1 closed
  PipeGone, // a pipe whose reader has gone
  Full,     // /dev/full
};

struct Case {
  explicit Case(std::string folder) : name(std::move(folder)) {}
  std::string name; // the root's folder; unique for each case
  std::vector<std::string> args;
  std::string cwd = "/";
  std::vector<std::string> programs; // where stand-ins are installed
  std::vector<std::string> exiting;  // stand-ins among them that end by themselves
  std::optional<std::string> info;   // info.txt in the current directory
  bool infoIsDirectory = false;
  Input input = Input::Enter;
  std::string line = "\n";
  bool endAfterLine = false; // Enter: the pipe is closed right after `line`
  std::string partial;       // written before `line`, and read by the launcher, before `heldBefore`
  std::vector<std::string> awaited; // stand-ins that must have recorded before the line
  Output output = Output::File;
  bool sigchldIgnored = false;  // the caller starts the launcher with SIGCHLD ignored
  bool extraDescriptor = false; // the caller leaves descriptor 5 open and inheritable
  bool measured = false;        // started through a small parent that reads its peak memory
  bool interactive = false;     // the caller's own terminal as standard input and output
  bool traced = false;          // started under strace, its parent, to record its kill calls
};

struct Outcome {
  bool ended = false;             // the launcher ended within the time allowed
  int status = -1;                // its wait status
  long peakKiB = 0;               // its peak resident memory, for a measured case
  std::string out;                // its standard output
  std::string outBefore;          // Enter, File: its standard output before any input was written
  std::string err;                // its standard error
  std::map<int, int> reaped;      // every other process of the root that ended: id, wait status
  std::map<int, char> heldBefore; // state of every other process just before the line was sent
  int running = 0;                // processes of the root still running at the end
  std::vector<std::pair<int, std::string>> kills; // traced: its kill calls in order, pid and signal
};

Outcome Launch(const Case &c);

// What a stand-in recorded of itself; empty when it never ran.
std::map<std::string, std::string> Record(const Case &c, const std::string &program);

// The stand-in's arguments, argv[0] first.
std::vector<std::string> Arguments(const std::map<std::string, std::string> &record);

// The host path of a file in the case's root.
std::string InRoot(const Case &c, const std::string &path);

// The launcher ended, with exit code 0.
bool ExitedZero(const Outcome &o);

bool Killed(int status);

// The running test's name, as a folder name: each case gets a root of its own.
std::string ThisTest();

#endif
