// The machine's process list, which EnumProcesses and OpenProcess answer from. It holds the
// programs started with CreateProcessW while they run (by their Windows path), and processes a
// test or the machine's tool lists by name to stand for programs that run on the machine without
// being started here (the spooler's "C:\Windows\System32\spoolsv.exe", an application). The list
// is machine state: every process on the same machine root sees it.
#pragma once

#include <string>
#include <vector>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct MachineProcess {
    DWORD id = 0;
    std::u16string image;  // the program's Windows path
    bool started = false;  // a real child process started with CreateProcessW
};

// Lists a process that runs under this program path; its id (ids of listed processes lie above
// those of real processes).
PALVEX_API DWORD ListMachineProcess(const std::u16string& image);
// Takes a listed process off the list (an unknown id is ignored).
PALVEX_API void UnlistMachineProcess(DWORD id);
// The running processes of the list, in the order EnumProcesses gives them (without the idle
// process and this one).
PALVEX_API std::vector<MachineProcess> MachineProcesses();
// Ends every running program started with CreateProcessW on this machine (SIGTERM) and empties the
// list. For a test's end, so that no helper program outlives its machine.
PALVEX_API void EndMachineProcesses();

}  // namespace palvex
