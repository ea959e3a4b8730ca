// Stands in for the web server and the browser: does nothing until it is ended.
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

int main() {
  for (;;) {
#ifdef _WIN32
    Sleep(INFINITE);
#else
    pause();
#endif
  }
}
