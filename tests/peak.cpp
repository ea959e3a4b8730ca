// A small parent that runs a program and writes its peak resident memory (KiB) to a
// file; a fork of a large parent would count that parent's memory too.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[]) {
  if (argc < 3) {
    return 2;
  }
  pid_t child = fork();
  if (child == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (FILE *out = fopen(argv[1], "w")) {
    fprintf(out, "%ld\n", usage.ru_maxrss);
    fclose(out);
  }
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
