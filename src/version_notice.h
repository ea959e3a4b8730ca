#ifndef LAUNCHER_VERSION_NOTICE_H
#define LAUNCHER_VERSION_NOTICE_H

// With "-v" as the first argument, prints the notice and ends the process with code 0;
// otherwise returns at once.
void ShowVersionNotice(int argc, char *argv[]);

#endif
