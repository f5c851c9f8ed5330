// The printer sheet started again with administrator rights, in place of this one.
#include <string>

#include <win/shellapi.h>

#include "sheet_pages.h"

LRESULT ElevateSheet(CoUIPluginExt* state, HWND page) {
    if (!state) return 0;
    WCHAR system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    const std::u16string program = std::u16string(system) + u"\\rundll32.exe";
    const std::u16string parameters =
        std::u16string(u"printui.dll,PrintUIEntry /p /n \"") + state->m_printerName + u"\"";
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.hwnd = page;
    start.lpVerb = u"runas";
    start.lpFile = program.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    // A refused start leaves this sheet open.
    if (!ShellExecuteExW(&start)) return 0;
    if (HWND frame = page ? GetParent(page) : nullptr) PostMessageW(frame, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return 0;
}
