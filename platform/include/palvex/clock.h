// The simulated machine's clock: this computer's clock by default, or a virtual clock that tests
// set. A virtual clock stands still; it moves only when a process on the machine calls Sleep,
// which advances it by the time asked and returns at once. The choice is machine state, so every
// process on the machine sees the same time.
#pragma once

#include <win/wintypes.h>

namespace palvex {

// Starts a virtual clock at this UTC time (the tick count goes on from its current value).
// A time outside 1601-30827 or a field out of range throws std::invalid_argument.
__attribute__((visibility("default"))) void SetVirtualClock(const SYSTEMTIME& utc);

// True while the machine runs on a virtual clock.
__attribute__((visibility("default"))) bool MachineClockIsVirtual();

// Returns the machine to this computer's clock.
__attribute__((visibility("default"))) void UseRealClock();

}  // namespace palvex
