// WinHelpW: no help viewer runs here; the call is recorded.
#include <win/winuser.h>

#include "user/ui_records.h"

BOOL WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    if (hWndMain && !IsWindow(hWndMain)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    palvex::HelpCall call;
    call.window = hWndMain;
    call.file = lpszHelp ? lpszHelp : u"";
    call.command = uCommand;
    call.data = dwData;
    // HELP_WM_HELP and HELP_CONTEXTMENU name a list of {control id, context id} pairs ending in 0.
    if ((uCommand == HELP_WM_HELP || uCommand == HELP_CONTEXTMENU) && dwData) {
        const auto* ids = reinterpret_cast<const DWORD*>(dwData);
        for (int i = 0; i < 512 && ids[i]; i += 2) {
            call.idPairs.push_back(ids[i]);
            call.idPairs.push_back(ids[i + 1]);
        }
    }
    palvex::win::RecordHelpCall(call);
    return TRUE;
}
