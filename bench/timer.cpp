// Times programs side by side: runs each command in turn (A B A B ...), standard input
// at its end and standard output into a pipe that this program drains, and reports
// each command's median wall time from its start to its end, and its peak memory.
//
// timer RUNS -- LABEL PROGRAM [ARG...] -- LABEL PROGRAM [ARG...] ...
// prints one line per command: LABEL MEDIAN_MS MIN_MS MAX_MS PEAK_KIB OUTPUT_BYTES
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Command {
  std::string label;
  std::vector<char *> argv;
  std::vector<double> milliseconds;
  long peakKib = 0;
  long long outputBytes = -1;
};

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One run: from the spawn to the child's end and the end of its output.
void Run(Command &command) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    perror("pipe");
    exit(2);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);

  double start = Now();
  pid_t pid = 0;
  if (posix_spawn(&pid, command.argv[0], &actions, nullptr, command.argv.data(), environ) != 0) {
    fprintf(stderr, "timer: cannot start %s\n", command.argv[0]);
    exit(2);
  }
  close(pipeFds[1]);
  static char buffer[1 << 16];
  long long bytes = 0;
  ssize_t n = 0;
  while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
    bytes += n;
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  double end = Now();
  close(pipeFds[0]);
  posix_spawn_file_actions_destroy(&actions);

  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "timer: %s ended with status %d\n", command.label.c_str(), status);
    exit(2);
  }
  command.milliseconds.push_back(end - start);
  command.peakKib = std::max(command.peakKib, usage.ru_maxrss);
  command.outputBytes = bytes;
}

} // namespace

int main(int argc, char *argv[]) {
  if (argc < 5 || strcmp(argv[2], "--") != 0) {
    fprintf(stderr, "usage: timer RUNS -- LABEL PROGRAM [ARG...] [-- LABEL PROGRAM ...]\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  std::vector<Command> commands;
  for (int i = 2; i < argc; i++) {
    if (strcmp(argv[i], "--") == 0 && i + 2 < argc) {
      commands.emplace_back();
      commands.back().label = argv[++i];
    } else {
      commands.back().argv.push_back(argv[i]);
    }
  }
  for (Command &command : commands) {
    command.argv.push_back(nullptr);
    Run(command); // warm-up, not counted
    command.milliseconds.clear();
  }
  for (int run = 0; run < runs; run++) {
    for (Command &command : commands) {
      Run(command);
    }
  }
  for (Command &command : commands) {
    std::vector<double> &times = command.milliseconds;
    std::sort(times.begin(), times.end());
    size_t middle = times.size() / 2;
    double median = times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    printf("%s %.3f %.3f %.3f %ld %lld\n", command.label.c_str(), median, times.front(),
           times.back(), command.peakKib, command.outputBytes);
  }
  return 0;
}
