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

// The copies are the processor's own string moves, fast on any x86 from the 386 on; and
// built without the compiler's loop-to-call patterns, or the loops here would call themselves.
void *memcpy(void *to, const void *from, size_t size) {
  void *out = to;
  __asm__ volatile("rep movsb" : "+D"(out), "+S"(from), "+c"(size) : : "memory");
  return to;
}

void *memmove(void *to, const void *from, size_t size) {
  auto *out = static_cast<char *>(to);
  const auto *in = static_cast<const char *>(from);
  // A forward move is right unless it would overwrite what it has yet to read.
  if (out <= in || out >= in + size) {
    return memcpy(to, from, size);
  }
  while (size-- > 0) {
    out[size] = in[size];
  }
  return to;
}

void *memset(void *to, int value, size_t size) {
  void *out = to;
  __asm__ volatile("rep stosb" : "+D"(out), "+c"(size) : "a"(value) : "memory");
  return to;
}

namespace {

// Text scanned a machine word at a time. A load needs no alignment: the compiler makes it
// a single move.
using Word = size_t;

Word LoadWord(const char *at) {
  Word word;
  __builtin_memcpy(&word, at, sizeof word);
  return word;
}

// The byte in every byte of a word.
Word Spread(unsigned char byte) {
  return static_cast<Word>(-1) / 0xff * byte;
}

// Not zero just where x has a zero byte (in its high bit): 0x80 there and no borrow from a
// byte below.
Word ZeroBytes(Word x) {
  return (x - Spread(1)) & ~x & Spread(0x80);
}

} // namespace

// A byte equal to the value is a zero byte of word ^ Spread(value).
void *memchr(const void *block, int value, size_t size) {
  const auto *in = static_cast<const char *>(block);
  const char *end = in + size;
  const Word spread = Spread(static_cast<unsigned char>(value));
  // Two words a step: the test of both costs little more than the test of one.
  while (static_cast<size_t>(end - in) >= 2 * sizeof(Word) &&
         (ZeroBytes(LoadWord(in) ^ spread) | ZeroBytes(LoadWord(in + sizeof(Word)) ^ spread)) ==
             0) {
    in += 2 * sizeof(Word);
  }
  for (; in != end; in++) {
    if (*in == static_cast<char>(value)) {
      return const_cast<char *>(in);
    }
  }
  return nullptr;
}
