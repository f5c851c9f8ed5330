// The input method manager: every window has an input context of its own until one is associated
// with it; ImmAssociateContext is recorded (palvex/ui_records.h) so tests see an edit box lose and
// regain its input method.
#pragma once

#include "winuser.h"

typedef struct _HIMC* HIMC;

// The input context the window has now (its own one, or the one associated with it; null after
// association with none).
WINBASEAPI HIMC ImmGetContext(HWND hWnd);
WINBASEAPI BOOL ImmReleaseContext(HWND hWnd, HIMC hIMC);
// Associates hIMC (null: none) with the window and answers the context it had.
WINBASEAPI HIMC ImmAssociateContext(HWND hWnd, HIMC hIMC);
