// Standard input and output and the files the program reads, on kernel32's handles. Output
// is buffered and written out when the buffer fills, before standard input is read, and at
// the exit.
#include <windows.h>

#include "../text_mode.h"
#include "crt.h"

struct FILE {
  char *buffer;
  size_t capacity;
  DWORD standard;          // STD_INPUT_HANDLE or STD_OUTPUT_HANDLE, or 0 for a file of our own
  HANDLE handle = nullptr; // a file's handle
  bool text = true;
  TextMode mode = {};
  bool atEnd = false;
  char *next = nullptr; // input: the unread bytes, up to `end`
  char *end = nullptr;
  size_t used = 0; // output: the bytes waiting to be written
};

namespace {

char outputBuffer[64 * 1024];
char inputBuffer[512];
const size_t kFileBuffer = 64 * 1024;

FILE streams[2] = {
    {inputBuffer, sizeof inputBuffer, STD_INPUT_HANDLE},
    {outputBuffer, sizeof outputBuffer, STD_OUTPUT_HANDLE},
};

// Standard handles are asked for when used: they may change, and may be missing.
HANDLE HandleOf(const FILE *stream) {
  HANDLE handle = stream->standard != 0 ? GetStdHandle(stream->standard) : stream->handle;
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

size_t ReadRaw(void *source, char *into, size_t size) {
  DWORD read = 0;
  HANDLE handle = *static_cast<HANDLE *>(source);
  if (handle == nullptr || !ReadFile(handle, into, static_cast<DWORD>(size), &read, nullptr)) {
    return 0;
  }
  return read;
}

// Refills the buffer; false at the end of the input.
bool Fill(FILE *stream) {
  if (stream->atEnd) {
    return false;
  }
  if (stream == stdin) {
    fflush(stdout);
  }
  HANDLE handle = HandleOf(stream);
  size_t got = stream->text
                   ? ReadText(&stream->mode, stream->buffer, stream->capacity, ReadRaw, &handle)
                   : ReadRaw(&handle, stream->buffer, stream->capacity);
  stream->next = stream->buffer;
  stream->end = stream->buffer + got;
  stream->atEnd = got == 0;
  return got != 0;
}

} // namespace

FILE *const stdin = &streams[0];
FILE *const stdout = &streams[1];

FILE *_fsopen(const char *name, const char *mode, int share) {
  // Only reading is offered: "r", then "t" or "b".
  if (mode[0] != 'r') {
    return nullptr;
  }
  bool binary = false;
  for (const char *m = mode + 1; *m != '\0'; m++) {
    if (*m == 'b') {
      binary = true;
    } else if (*m != 't') {
      return nullptr;
    }
  }
  DWORD sharing = share == _SH_DENYNO ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
  HANDLE handle = CreateFileA(name, GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  auto *stream = static_cast<FILE *>(calloc(1, sizeof(FILE) + kFileBuffer));
  if (stream == nullptr) {
    CloseHandle(handle);
    return nullptr;
  }
  // Zeroed as it comes, so all but these is as a new stream has it.
  stream->buffer = reinterpret_cast<char *>(stream + 1);
  stream->capacity = kFileBuffer;
  stream->handle = handle;
  stream->text = !binary;
  return stream;
}

int fclose(FILE *stream) {
  fflush(stream);
  if (stream->standard != 0) {
    return 0;
  }
  BOOL closed = CloseHandle(stream->handle);
  free(stream);
  return closed ? 0 : EOF;
}

size_t fread(void *data, size_t size, size_t count, FILE *stream) {
  if (size == 0) {
    return 0;
  }
  auto *out = static_cast<char *>(data);
  size_t wanted = size * count;
  size_t done = 0;
  while (done < wanted && (stream->next != stream->end || Fill(stream))) {
    size_t part = static_cast<size_t>(stream->end - stream->next);
    if (part > wanted - done) {
      part = wanted - done;
    }
    memcpy(out + done, stream->next, part);
    stream->next += part;
    done += part;
  }
  return done / size;
}

int getc(FILE *stream) {
  if (stream->next == stream->end && !Fill(stream)) {
    return EOF;
  }
  return static_cast<unsigned char>(*stream->next++);
}

size_t fwrite(const void *data, size_t size, size_t count, FILE *stream) {
  const auto *in = static_cast<const char *>(data);
  const char *last = in + size * count;
  while (in != last) {
    // Room for a line feed's CR LF.
    if (stream->capacity - stream->used < 2) {
      fflush(stream);
    }
    char *out = stream->buffer + stream->used;
    size_t part = static_cast<size_t>(last - in);
    if (part > stream->capacity - stream->used - 1) {
      part = stream->capacity - stream->used - 1;
    }
    const void *lf = stream->text ? memchr(in, '\n', part) : nullptr;
    if (lf != nullptr) {
      part = static_cast<size_t>(static_cast<const char *>(lf) - in);
    }
    memcpy(out, in, part);
    out += part;
    in += part;
    if (lf != nullptr) {
      *out++ = '\r';
      *out++ = *in++;
    }
    stream->used = static_cast<size_t>(out - stream->buffer);
  }
  return count;
}

int fputs(const char *text, FILE *stream) {
  fwrite(text, 1, static_cast<size_t>(lstrlenA(text)), stream);
  return 0;
}

int fflush(FILE *stream) {
  if (stream == nullptr) {
    stream = stdout;
  }
  // A write that fails (no handle, a reader gone, a full disk) drops the buffer: nobody is
  // told, as nobody would be.
  HANDLE handle = HandleOf(stream);
  const char *out = stream->buffer;
  DWORD left = static_cast<DWORD>(stream->used);
  DWORD written = 0;
  // Older Windows write no more than about 32 KiB to a console at once.
  DWORD most = handle != nullptr && GetFileType(handle) == FILE_TYPE_CHAR ? 16 * 1024 : left;
  while (left > 0 && handle != nullptr &&
         WriteFile(handle, out, left < most ? left : most, &written, nullptr) && written > 0) {
    out += written;
    left -= written;
  }
  stream->used = 0;
  return 0;
}
