// Character functions of the window system.
#include <win/winuser.h>

#include "crt/utf16.h"

DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength) {
    if (!lpsz) return 0;
    for (DWORD i = 0; i < cchLength; ++i) lpsz[i] = palvex::text::Upcase(lpsz[i]);
    return cchLength;
}
