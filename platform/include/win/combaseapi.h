// The task allocator: memory a COM method hands to its caller, who frees it with CoTaskMemFree.
#pragma once

#include "wintypes.h"

// cb bytes (uninitialised), or NULL when there is no memory. A size of 0 gives a valid block.
WINBASEAPI LPVOID CoTaskMemAlloc(SIZE_T cb);
// Frees a block of CoTaskMemAlloc; NULL is ignored.
WINBASEAPI void CoTaskMemFree(LPVOID pv);
