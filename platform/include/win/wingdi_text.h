// Text in the code page of the selected font, and font pitches.
#pragma once

#include "wingdi.h"

#ifndef DEFAULT_PITCH
#define DEFAULT_PITCH 0
#endif
#ifndef FIXED_PITCH
#define FIXED_PITCH 1
#endif
#ifndef VARIABLE_PITCH
#define VARIABLE_PITCH 2
#endif

// Draws c bytes of text at (x, y) as ExtTextOutW draws it (no options), converted to UTF-16 from
// the code page of the selected font's character set (the machine's code page for a character set
// that has none, or one the machine cannot convert). Not a device context: FALSE,
// ERROR_INVALID_HANDLE; c below 0 or text missing: FALSE, ERROR_INVALID_PARAMETER.
WINBASEAPI BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
