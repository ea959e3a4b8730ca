#include "info_screen.h"

#include <cstdio>

#include "platform.h"

static const char kClosingPrompt[] = "\n"
                                     "        ,   ,     ,\n"
                                     "Aby zakonczyc, wcisnij klawisz \"Enter\"\n"
                                     "\n";

void ShowInfoScreen() {
  // Text mode: CR LF comes in as LF, and a Ctrl-Z ends the text.
  FILE *info = _fsopen("info.txt", "rt", _SH_DENYNO);
  if (info != nullptr) {
    // Pieces of at most 98 characters; a NUL byte ends a piece and is dropped.
    char piece[100];
    int c = 0;
    while (c != EOF) {
      size_t stored = 0;
      while (stored < 98 && (c = getc(info)) != EOF && c != '\0') {
        piece[stored++] = static_cast<char>(c);
      }
      fwrite(piece, 1, stored, stdout);
    }
  }
  fputs(kClosingPrompt, stdout);
  if (info != nullptr) {
    fclose(info);
  }
}
