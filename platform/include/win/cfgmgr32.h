// The configuration manager's wait for the device installations Windows still has to finish.
#pragma once

#include "wintypes.h"

// WAIT_OBJECT_0 when no installation is pending, WAIT_TIMEOUT when one still is after the time-out
// (milliseconds of the machine's clock; 0 only asks), WAIT_FAILED with the last error otherwise.
WINBASEAPI DWORD CMP_WaitNoPendingInstallEvents(DWORD dwTimeout);
