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
    // Pieces of at most 98 characters. NUL bytes are dropped: the text on both sides of
    // them is shown joined.
    char piece[100];
    size_t read = 0;
    while ((read = fread(piece, 1, 98, info)) > 0) {
      const char *end = piece + read;
      for (const char *next = piece; next < end;) {
        const void *nul = memchr(next, '\0', static_cast<size_t>(end - next));
        const char *stop = nul != nullptr ? static_cast<const char *>(nul) : end;
        fwrite(next, 1, static_cast<size_t>(stop - next), stdout);
        next = stop + 1;
      }
    }
  }
  fputs(kClosingPrompt, stdout);
  if (info != nullptr) {
    fclose(info);
  }
}
