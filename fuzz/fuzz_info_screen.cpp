// Runs the info screen on a generated info.txt and compares what it writes with the
// text the reading rules give: everything before the first Ctrl-Z, CR LF as LF, NUL
// bytes dropped, every other byte as it is, then the closing prompt.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "info_screen.h"

namespace {

const char kClosingPrompt[] = "\n"
                              "        ,   ,     ,\n"
                              "Aby zakonczyc, wcisnij klawisz \"Enter\"\n"
                              "\n";

std::string Expected(const uint8_t *data, size_t size) {
  std::string text;
  for (size_t i = 0; i < size && data[i] != 0x1a; i++) {
    if (data[i] == '\0' || (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')) {
      continue;
    }
    text += static_cast<char>(data[i]);
  }
  return text + kClosingPrompt;
}

// The info screen reads info.txt from the current directory, so each run steps into a
// private directory and back: libFuzzer keeps relative paths to its corpus.
int home = -1;
int work = -1;
int out = -1;
char workPath[] = FUZZ_WORK_ROOT "/work-XXXXXX";

void RemoveWork() {
  unlinkat(work, "info.txt", 0);
  rmdir(workPath);
}

void Setup() {
  if (mkdtemp(workPath) == nullptr) {
    perror("mkdtemp");
    abort();
  }
  home = open(".", O_RDONLY | O_DIRECTORY);
  work = open(workPath, O_RDONLY | O_DIRECTORY);
  // Standard output goes to memory for good; libFuzzer reports on standard error.
  out = memfd_create("stdout", 0);
  if (home < 0 || work < 0 || out < 0 || dup2(out, STDOUT_FILENO) < 0) {
    perror("setup");
    abort();
  }
  atexit(RemoveWork);
}

void WriteInfo(const uint8_t *data, size_t size) {
  int fd = openat(work, "info.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size) || close(fd) != 0) {
    perror("info.txt");
    abort();
  }
}

std::string Written() {
  std::string text(static_cast<size_t>(lseek(out, 0, SEEK_END)), '\0');
  if (pread(out, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
    perror("pread");
    abort();
  }
  return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (home < 0) {
    Setup();
  }
  WriteInfo(data, size);
  if (ftruncate(out, 0) != 0 || fseek(stdout, 0, SEEK_SET) != 0 || fchdir(work) != 0) {
    perror("run");
    abort();
  }
  ShowInfoScreen();
  if (fflush(stdout) != 0 || fchdir(home) != 0) {
    perror("run");
    abort();
  }

  std::string written = Written();
  std::string expected = Expected(data, size);
  if (written != expected) {
    size_t at = 0;
    while (at < written.size() && at < expected.size() && written[at] == expected[at]) {
      at++;
    }
    fprintf(stderr, "info screen: %zu bytes written, %zu expected, first difference at %zu\n",
            written.size(), expected.size(), at);
    abort();
  }
  return 0;
}
