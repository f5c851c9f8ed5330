// National-language support: the lead bytes of the double-byte code pages.
#pragma once

#include "stringapiset.h"

// Whether the byte begins a two-byte character in the code page: the machine's code pages
// (CP_ACP, CP_THREAD_ACP), 932 (lead bytes 0x81 to 0x9F and 0xE0 to 0xFC), 1252 and CP_UTF8 (no
// lead bytes). Any other code page: FALSE and ERROR_INVALID_PARAMETER.
WINBASEAPI BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
