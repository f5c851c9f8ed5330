// What the plug-in asks of the system it runs on.
#pragma once

#include <win/windows.h>

// True when the process's first module is the spooler's program "spoolsv.exe" (in any case).
bool RunningInSpooler();
// TRUE when the system is Windows 2000 (version 5.0 exactly).
BOOL RunningOnWindows2000();
