#ifndef LAUNCHER_TEXT_MODE_H
#define LAUNCHER_TEXT_MODE_H

#include <stddef.h>

// Windows text mode for reading: a CR LF pair is read as LF, a lone CR stays, and a Ctrl-Z
// ends the text. The state a stream keeps between reads:
struct TextMode {
  bool heldCr; // the last byte read was a CR, which the next byte settles
  bool ended;  // a Ctrl-Z was read
};

// Reads raw bytes from `source` (0 at its end or on an error).
typedef size_t (*ReadRawFunction)(void *source, char *into, size_t size);

// Fills `buffer` (at least 2 bytes) with text read through `readRaw`; returns how many
// bytes, 0 only at the end of the text.
size_t ReadText(TextMode *mode, char *buffer, size_t size, ReadRawFunction readRaw, void *source);

#endif
