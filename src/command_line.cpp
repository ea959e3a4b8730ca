#include "command_line.h"

int SplitCommandLine(const char *line, char *words, char **argv) {
  int count = 0;
  const char *p = line;
  char *out = words;
  for (;;) {
    while (*p == ' ' || *p == '\t') {
      p++;
    }
    if (*p == '\0') {
      argv[count] = nullptr;
      return count;
    }
    argv[count] = out;
    bool quoted = false;
    while (*p != '\0' && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '\\' && count > 0) {
        int slashes = 0;
        for (; *p == '\\'; p++) {
          slashes++;
        }
        bool escapes = *p == '"';
        for (int i = escapes ? slashes / 2 : slashes; i > 0; i--) {
          *out++ = '\\';
        }
        if (escapes && slashes % 2 == 1) {
          *out++ = *p++;
        }
      } else if (*p == '"') {
        quoted = !quoted;
        p++;
      } else {
        *out++ = *p++;
      }
    }
    *out++ = '\0';
    count++;
  }
}
