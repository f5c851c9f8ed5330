// GetPrinterW levels 2 to 9 (internal to the platform library; GetPrinterW dispatches here).
#pragma once

#include <cstdint>

#include <win/wintypes.h>

namespace palvex::spool {

// Fills buffer with level 2 to 9 of the printer printerId, seen through a handle with
// grantedAccess, following GetPrinterW's sizing rules (winspool.h, winspool_levels.h). Returns
// ERROR_SUCCESS or the error GetPrinterW sets; another level gives ERROR_INVALID_LEVEL. Database
// failures throw, as the spooler's other readers do.
DWORD GetPrinterInfoLevel(int64_t printerId, ACCESS_MASK grantedAccess, DWORD level, LPBYTE buffer, DWORD size,
                          LPDWORD needed);

}  // namespace palvex::spool
