// The machine's job table (internal to the platform library).
#pragma once

#include <cstdint>
#include <optional>

#include <win/wintypes.h>

namespace palvex::spool {

// The job's status alone (its row's other columns unread), or nothing for an unknown job.
std::optional<DWORD> JobStatus(DWORD id);

// Jobs of the printer that are still in its queue (not deleted).
DWORD CountQueuedJobs(int64_t printerId);
// The job's place in its printer's queue, counted from 1 among the jobs not deleted; 0 for a
// deleted job.
DWORD QueuePosition(int64_t printerId, DWORD jobId);

}  // namespace palvex::spool
