#ifndef LAUNCHER_COMMAND_LINE_H
#define LAUNCHER_COMMAND_LINE_H

// Splits a Windows command line into words as the Windows C runtime does: blanks separate
// words, double quotes group them and vanish, and backslashes count only before a double
// quote, where each pair stands for one backslash and an odd one makes the quote literal.
// The first word, the program, takes its backslashes as they stand.
// `words` must hold strlen(line) + 1 characters and `argv` strlen(line) / 2 + 2 pointers;
// returns the number of words, with argv[count] null.
int SplitCommandLine(const char *line, char *words, char **argv);

#endif
