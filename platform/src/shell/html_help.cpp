// The HTML Help control: no viewer runs here; the call is recorded.
#include <win/htmlhelp.h>

#include "user/ui_records.h"

HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData) {
    palvex::HelpCall call;
    call.html = true;
    call.window = hwndCaller;
    call.file = pszFile ? pszFile : u"";
    call.command = uCommand;
    call.data = dwData;
    palvex::win::RecordHelpCall(call);
    // The help window the control would show; the caller only tests it for null.
    return uCommand == HH_CLOSE_ALL ? nullptr : hwndCaller;
}
