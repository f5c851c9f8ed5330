// The universal printer driver's record behind OPTITEM.UserData: the driver hangs one on every
// item of its sheets, its own items and a plug-in's alike, and lets the plug-in fill the keyword
// of the plug-in's items. The settings kit keeps there the settings key of an item (a wide text
// such as "OEMDEVMODE._NUP_PAGES").
#pragma once

#include <cstddef>

#include "wintypes.h"

struct USERDATA {
    DWORD dwSize;
    ULONG_PTR dwItemID;
    LPWSTR pKeyWordName;  // the item's keyword, or null
    DWORD dwReserved[8];
};
typedef USERDATA* PUSERDATA;

static_assert(sizeof(USERDATA) == 56);
static_assert(offsetof(USERDATA, dwItemID) == 8 && offsetof(USERDATA, pKeyWordName) == 16 &&
              offsetof(USERDATA, dwReserved) == 24);
