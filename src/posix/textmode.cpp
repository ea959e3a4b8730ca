// Windows text mode for reading, which this platform's C runtime does not have, and
// standard output buffered as the Windows program has it.
#include <fcntl.h>
#include <stdio_ext.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "../text_mode.h"
#include "win32.h"

namespace {

// Fully buffered, on a terminal too, in large blocks: written out when full, before the
// wait and at the exit. Written by one thread only: no lock taken for each write.
char output[64 * 1024];
__attribute__((constructor)) void BufferStandardOutput() {
  setvbuf(stdout, output, _IOFBF, sizeof output);
  __fsetlocking(stdout, FSETLOCKING_BYCALLER);
}

struct TextFile {
  int fd;
  TextMode mode;
  char buffer[64 * 1024]; // read in large blocks, as the Windows runtime reads
};

size_t ReadRaw(void *source, char *into, size_t size) {
  ssize_t n = read(*static_cast<int *>(source), into, size);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

ssize_t ReadFromText(void *cookie, char *out, size_t size) {
  auto *text = static_cast<TextFile *>(cookie);
  return static_cast<ssize_t>(ReadText(&text->mode, out, size, ReadRaw, &text->fd));
}

int CloseText(void *cookie) {
  auto *text = static_cast<TextFile *>(cookie);
  int result = close(text->fd);
  free(text);
  return result;
}

} // namespace

FILE *_fsopen(const char *name, const char *mode, int /*share*/) {
  if (mode[0] != 'r' || strchr(mode, 'b') != nullptr || strchr(mode, '+') != nullptr) {
    return fopen(name, mode);
  }
  int fd = open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  auto *text = static_cast<TextFile *>(calloc(1, sizeof(TextFile)));
  if (text == nullptr) {
    close(fd);
    return nullptr;
  }
  text->fd = fd;
  cookie_io_functions_t functions = {ReadFromText, nullptr, nullptr, CloseText};
  FILE *file = fopencookie(text, "r", functions);
  if (file == nullptr) {
    CloseText(text);
    return nullptr;
  }
  // Read by one thread only: a lock taken for each read would cost time for nothing.
  __fsetlocking(file, FSETLOCKING_BYCALLER);
  setvbuf(file, text->buffer, _IOFBF, sizeof text->buffer);
  return file;
}
