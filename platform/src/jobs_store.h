// The machine's job table (internal to the platform library).
#pragma once

#include <cstdint>

#include <win/wintypes.h>

namespace palvex::spool {

// Jobs of the printer that are still in its queue (not deleted).
DWORD CountQueuedJobs(int64_t printerId);

}  // namespace palvex::spool
