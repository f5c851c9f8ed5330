// Time of the simulated machine. The machine clock is this computer's clock unless a test has set
// a virtual clock (palvex/clock.h); every process on the machine then reads the same time.
#pragma once

#include "wintypes.h"

// The current time in UTC; wDayOfWeek counts from Sunday = 0.
WINBASEAPI void GetSystemTime(SYSTEMTIME* lpSystemTime);
// The current time in the computer's local time zone.
WINBASEAPI void GetLocalTime(SYSTEMTIME* lpSystemTime);
// Milliseconds since the system started, wrapping after 49.7 days.
WINBASEAPI DWORD GetTickCount(void);
