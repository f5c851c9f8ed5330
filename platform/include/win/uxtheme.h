// Visual themes (UXTHEME.DLL): a themed control paints its parent's background behind itself.
#pragma once

#include "winuser.h"

typedef HANDLE HTHEME;

// Paints the part of the window's parent under rect (client coordinates of hwnd; the whole client
// area without one) into hdc: the parent's dialog face colour.
WINBASEAPI HRESULT DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* prc);
typedef HRESULT(WINAPI* DRAWTHEMEPARENTBACKGROUND)(HWND hwnd, HDC hdc, const RECT* prc);
