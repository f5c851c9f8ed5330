// The HTML Help control. No help viewer runs here: every call is recorded (palvex/ui_records.h)
// and answers a window handle-like nonzero value for the commands that open help.
#pragma once

#include "winuser.h"

#define HH_DISPLAY_TOPIC 0x0000
#define HH_HELP_CONTEXT 0x000F
#define HH_CLOSE_ALL 0x0012
#define HH_TP_HELP_CONTEXTMENU 0x0010
#define HH_TP_HELP_WM_HELP 0x0011

WINBASEAPI HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData);
