// Common controls. The headless window system has its standard controls from the start, so
// initialising the common control classes only checks its argument.
#pragma once

#include "winuser.h"

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
typedef INITCOMMONCONTROLSEX* LPINITCOMMONCONTROLSEX;

// FALSE when the record is missing or its size is not the record's.
WINBASEAPI BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);
