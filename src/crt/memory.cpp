// Memory from the process heap, and the few string and memory functions that the program
// and the compiler call.
#include <windows.h>

#include "crt.h"

void *calloc(size_t count, size_t size) {
  if (size != 0 && count > static_cast<size_t>(-1) / size) {
    return nullptr;
  }
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * size);
}

void free(void *block) {
  if (block != nullptr) {
    HeapFree(GetProcessHeap(), 0, block);
  }
}

int strcmp(const char *a, const char *b) {
  while (*a != '\0' && *a == *b) {
    a++;
    b++;
  }
  return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

// Built without the compiler's loop-to-call patterns, or these would call themselves.
void *memcpy(void *to, const void *from, size_t size) {
  auto *out = static_cast<char *>(to);
  const auto *in = static_cast<const char *>(from);
  while (size-- > 0) {
    *out++ = *in++;
  }
  return to;
}

void *memset(void *to, int value, size_t size) {
  auto *out = static_cast<char *>(to);
  while (size-- > 0) {
    *out++ = static_cast<char>(value);
  }
  return to;
}

void *memmove(void *to, const void *from, size_t size) {
  auto *out = static_cast<char *>(to);
  const auto *in = static_cast<const char *>(from);
  if (out <= in) {
    return memcpy(to, from, size);
  }
  while (size-- > 0) {
    out[size] = in[size];
  }
  return to;
}

void *memchr(const void *block, int value, size_t size) {
  const auto *in = static_cast<const unsigned char *>(block);
  for (; size > 0; size--, in++) {
    if (*in == static_cast<unsigned char>(value)) {
      return const_cast<unsigned char *>(in);
    }
  }
  return nullptr;
}
