// Windows text mode for reading, which this platform's C runtime does not have.
#include <stdio_ext.h>

#include <cstdlib>
#include <cstring>

#include "win32.h"

namespace {

struct TextFile {
  FILE *raw;
  bool ended; // a Ctrl-Z was read
};

ssize_t ReadText(void *cookie, char *out, size_t size) {
  auto *text = static_cast<TextFile *>(cookie);
  if (text->ended) {
    return 0;
  }
  size_t read = fread(out, 1, size, text->raw);
  size_t kept = 0;
  for (size_t i = 0; i < read; i++) {
    char c = out[i];
    if (c == '\x1a') {
      text->ended = true;
      break;
    }
    if (c == '\r') {
      if (i + 1 < read) {
        if (out[i + 1] == '\n') {
          continue; // the LF that follows is kept in its place
        }
      } else {
        // The pair may straddle two reads.
        int next = getc(text->raw);
        if (next == '\n') {
          c = '\n';
        } else if (next != EOF) {
          ungetc(next, text->raw);
        }
      }
    }
    out[kept++] = c;
  }
  return static_cast<ssize_t>(kept);
}

int CloseText(void *cookie) {
  auto *text = static_cast<TextFile *>(cookie);
  int result = fclose(text->raw);
  free(text);
  return result;
}

} // namespace

FILE *_fsopen(const char *name, const char *mode, int /*share*/) {
  if (mode[0] != 'r' || strchr(mode, 'b') != nullptr || strchr(mode, '+') != nullptr) {
    return fopen(name, mode);
  }
  FILE *raw = fopen(name, "rb");
  if (raw == nullptr) {
    return nullptr;
  }
  auto *text = static_cast<TextFile *>(calloc(1, sizeof(TextFile)));
  if (text == nullptr) {
    fclose(raw);
    return nullptr;
  }
  text->raw = raw;
  cookie_io_functions_t functions = {ReadText, nullptr, nullptr, CloseText};
  FILE *file = fopencookie(text, "r", functions);
  if (file == nullptr) {
    CloseText(text);
    return nullptr;
  }
  // Read by one thread only: a lock taken for each character would cost most of the
  // time of the copy.
  __fsetlocking(file, FSETLOCKING_BYCALLER);
  return file;
}
