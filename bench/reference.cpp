// The least a launch can do: start the two programs detached, with no standard
// handles of ours, write the prompt, read the line and end them.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

#include <cstdio>

static pid_t Start(const char *path, const char *argument) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  char *argv[] = {const_cast<char *>(path), const_cast<char *>(argument), nullptr};
  pid_t pid = 0;
  posix_spawn(&pid, path, &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int main() {
  pid_t server = Start("/Apache/Apache.exe", "-w");
  pid_t browser =
      Start("/Program Files/Internet Explorer/iexplore.exe", "http://localhost/cgi-bin/dorvex.exe");
  fputs("\n        ,   ,     ,\nAby zakonczyc, wcisnij klawisz \"Enter\"\n\n", stdout);
  fflush(stdout);
  char line[16];
  fgets(line, sizeof line, stdin);
  // A start that failed leaves 0, which would signal our whole group.
  if (browser > 0) {
    kill(browser, SIGKILL);
  }
  if (server > 0) {
    kill(server, SIGKILL);
  }
  return 0;
}
