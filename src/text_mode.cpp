#include "text_mode.h"

#include <string.h>

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
    // Nothing from a Ctrl-Z on is read.
    const char *end = in + read;
    if (const void *stop = memchr(in, '\x1a', read)) {
      mode->ended = true;
      end = static_cast<const char *>(stop);
    }
    while (in < end) {
      // The text up to the next CR stands as it is.
      const char *cr = static_cast<const char *>(memchr(in, '\r', static_cast<size_t>(end - in)));
      const char *stop = cr != nullptr ? cr : end;
      memmove(out, in, static_cast<size_t>(stop - in));
      out += stop - in;
      in = stop;
      if (cr == nullptr) {
        break;
      }
      in++;
      // The byte after the CR settles it; at the end of a read, the next read does.
      if (in == end && !mode->ended) {
        mode->heldCr = true;
      } else if (in == end || *in != '\n') {
        *out++ = '\r';
      }
    }
    // A read of nothing but a held CR gives nothing yet: read on.
    if (out != buffer || read == 0) {
      return static_cast<size_t>(out - buffer);
    }
  }
}
