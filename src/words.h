#ifndef LAUNCHER_WORDS_H
#define LAUNCHER_WORDS_H

#include <stddef.h>

// Text scanned a machine word at a time rather than a byte at a time. Loads and stores
// need no alignment: the compiler makes them single moves.
typedef size_t Word;

inline Word LoadWord(const char *at) {
  Word word;
  __builtin_memcpy(&word, at, sizeof word);
  return word;
}

inline void StoreWord(char *at, Word word) {
  __builtin_memcpy(at, &word, sizeof word);
}

// The byte in every byte of a word.
inline Word Spread(unsigned char byte) {
  return static_cast<Word>(-1) / 0xff * byte;
}

// Not zero just where x has a zero byte (in its high bit): 0x80 there and not a borrow
// from a byte below.
inline Word ZeroBytes(Word x) {
  return (x - Spread(1)) & ~x & Spread(0x80);
}

// Whether a word holds a byte equal to the one that `spread` holds in every byte: that byte
// is a zero byte of word ^ spread.
inline bool HoldsByte(Word word, Word spread) {
  return ZeroBytes(word ^ spread) != 0;
}

#endif
