// ShellExecuteExW: nothing is started on the headless machine; the request is recorded.
#include <win/shellapi.h>

#include "user/ui_records.h"

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo) {
    if (!pExecInfo || pExecInfo->cbSize != sizeof(SHELLEXECUTEINFOW) || !pExecInfo->lpFile || !*pExecInfo->lpFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    palvex::ShellStart start;
    start.window = pExecInfo->hwnd;
    start.verb = pExecInfo->lpVerb ? pExecInfo->lpVerb : u"";
    start.file = pExecInfo->lpFile;
    start.parameters = pExecInfo->lpParameters ? pExecInfo->lpParameters : u"";
    start.directory = pExecInfo->lpDirectory ? pExecInfo->lpDirectory : u"";
    start.show = pExecInfo->nShow;
    pExecInfo->hProcess = nullptr;
    if (!palvex::win::RecordShellStart(start)) {
        pExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(5));  // SE_ERR_ACCESSDENIED
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    pExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
    return TRUE;
}
