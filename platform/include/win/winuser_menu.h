// The window menu (system menu) of a window with WS_SYSMENU: its Close item can be greyed, as a
// program does while a close would break what it is doing.
#pragma once

#include "winuser.h"

#define WM_SYSCOMMAND 0x0112
#define SC_CLOSE 0xF060
#define MF_BYCOMMAND 0x00000000
#define MF_ENABLED 0x00000000
#define MF_GRAYED 0x00000001
#define MF_DISABLED 0x00000002

// The window's menu (bRevert FALSE); null for a window without WS_SYSMENU or an invalid window.
WINBASEAPI HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);
// Only the Close item (SC_CLOSE, by command) is known; the previous state, or -1 for another item.
WINBASEAPI BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
// MF_GRAYED | MF_DISABLED when the item is greyed, 0 when enabled, -1 for another item.
WINBASEAPI UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
