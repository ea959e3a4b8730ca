// The C runtime calls the launcher makes, for Windows, on kernel32 alone: Windows 95 ships
// no msvcrt.dll. Standard output and input are in text mode, as the C runtime has them:
// a line feed goes out as CR LF, and reading follows the text-mode rules.
#ifndef LAUNCHER_CRT_H
#define LAUNCHER_CRT_H

#include <stddef.h>

#define EOF (-1)
#define _SH_DENYNO 0x40

struct FILE;

extern "C" {

extern FILE *const stdin;
extern FILE *const stdout;

// Opens a file for reading only ("r" text, "rb" binary), never creating it; with
// _SH_DENYNO other programs may read and write it meanwhile.
FILE *_fsopen(const char *name, const char *mode, int share);
int fclose(FILE *stream);
size_t fread(void *data, size_t size, size_t count, FILE *stream);
int getc(FILE *stream);
size_t fwrite(const void *data, size_t size, size_t count, FILE *stream);
int fputs(const char *text, FILE *stream);
int fflush(FILE *stream);

// Writes out standard output and ends the process.
[[noreturn]] void exit(int code);

void *calloc(size_t count, size_t size);
void free(void *block);
int strcmp(const char *a, const char *b);
void *memcpy(void *to, const void *from, size_t size);
void *memset(void *to, int value, size_t size);
void *memmove(void *to, const void *from, size_t size);
void *memchr(const void *block, int value, size_t size);
}

#endif
