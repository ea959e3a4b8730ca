#ifndef LAUNCHER_INFO_SCREEN_H
#define LAUNCHER_INFO_SCREEN_H

// Copies info.txt from the current directory to standard output, then the closing prompt.
void ShowInfoScreen();

#endif
