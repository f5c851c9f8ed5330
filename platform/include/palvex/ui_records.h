// What the window system recorded of the calls that would open something outside the dialogs:
// help (WinHelpW, HtmlHelpW), programs started through the shell (ShellExecuteExW) and input
// method contexts moved between windows (ImmAssociateContext). Tests take the records and reset
// them; a test can also make the next shell start fail, as a user who refuses elevation would.
#pragma once

#include <string>
#include <vector>

#include <win/winuser.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct HelpCall {
    bool html = false;  // HtmlHelpW rather than WinHelpW
    HWND window = nullptr;
    std::u16string file;
    UINT command = 0;
    ULONG_PTR data = 0;
    std::vector<DWORD> idPairs;  // WinHelpW HELP_WM_HELP / HELP_CONTEXTMENU: the id pair list
};

struct ShellStart {
    HWND window = nullptr;
    std::u16string verb;  // "runas" asks for elevation
    std::u16string file;
    std::u16string parameters;
    std::u16string directory;
    int show = 0;
    bool started = false;
};

struct InputContextMove {
    HWND window = nullptr;
    bool associated = false;  // false: the window was left without a context
};

PALVEX_API std::vector<HelpCall> TakeHelpCalls();
PALVEX_API std::vector<ShellStart> TakeShellStarts();
PALVEX_API std::vector<InputContextMove> TakeInputContextMoves();
// The next count ShellExecuteExW calls fail with ERROR_CANCELLED.
PALVEX_API void RefuseShellStarts(int count);
// Drops every record and refusal.
PALVEX_API void ResetUiRecords();

}  // namespace palvex
