#ifndef LAUNCHER_LAUNCHER_H
#define LAUNCHER_LAUNCHER_H

#include "platform.h"

// Sets every field of the start-up record shared by the server and the browser.
void FillStartupInfo(STARTUPINFOA *info);

#endif
