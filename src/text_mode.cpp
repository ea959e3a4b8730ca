#include "text_mode.h"

size_t ReadText(TextMode *mode, char *buffer, size_t size, ReadRawFunction readRaw, void *source) {
  for (;;) {
    if (mode->ended) {
      return 0;
    }
    // Raw bytes go in one place to the right, so a CR held back from the last read
    // still fits in front of them.
    const char *in = buffer + 1;
    size_t read = readRaw(source, buffer + 1, size - 1);
    char *out = buffer;
    if (mode->heldCr) {
      mode->heldCr = false;
      if (read == 0 || in[0] != '\n') {
        *out++ = '\r';
      }
    }
    for (size_t i = 0; i < read; i++) {
      char c = in[i];
      if (c == '\x1a') {
        mode->ended = true;
        break;
      }
      if (c == '\r') {
        if (i + 1 == read) {
          mode->heldCr = true;
          break;
        }
        if (in[i + 1] == '\n') {
          continue;
        }
      }
      *out++ = c;
    }
    // A read of nothing but a held CR gives nothing yet: read on.
    if (out != buffer || read == 0) {
      return static_cast<size_t>(out - buffer);
    }
  }
}
