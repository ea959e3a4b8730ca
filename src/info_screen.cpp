#include "info_screen.h"

#include "platform.h"

static const char kClosingPrompt[] = "\n"
                                     "        ,   ,     ,\n"
                                     "Aby zakonczyc, wcisnij klawisz \"Enter\"\n"
                                     "\n";

void ShowInfoScreen() {
  // Text mode: CR LF comes in as LF, and a Ctrl-Z ends the text.
  FILE *info = _fsopen("info.txt", "rt", _SH_DENYNO);
  if (info != nullptr) {
    // Pieces of at most 98 characters; NUL bytes are dropped.
    char piece[100];
    size_t read = 0;
    while ((read = fread(piece, 1, 98, info)) > 0) {
      size_t stored = 0;
      for (size_t i = 0; i < read; i++) {
        if (piece[i] != '\0') {
          piece[stored++] = piece[i];
        }
      }
      fwrite(piece, 1, stored, stdout);
    }
  }
  fputs(kClosingPrompt, stdout);
  if (info != nullptr) {
    fclose(info);
  }
}
