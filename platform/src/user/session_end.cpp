// Requests to end the session or restart the machine.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <palvex/machine.h>
#include <win/winuser.h>

BOOL ExitWindowsEx(UINT uFlags, DWORD) {
    std::error_code error;
    const auto folder = palvex::MachineRoot() / "kernel";
    std::filesystem::create_directories(folder, error);
    std::ofstream out(folder / "restart_requests.txt", std::ios::app);
    char line[16];
    std::snprintf(line, sizeof line, "%x\n", uFlags);
    out << line;
    if (!out) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
