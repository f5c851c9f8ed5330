// EnumPortsW: the ports of the local machine (the local ports and the standard TCP/IP ports).
#pragma once

#include "wintypes.h"

#define PORT_TYPE_WRITE 0x0001
#define PORT_TYPE_READ 0x0002

struct PORT_INFO_1W {
    LPWSTR pName;
};
struct PORT_INFO_2W {
    LPWSTR pPortName;
    LPWSTR pMonitorName;
    LPWSTR pDescription;
    DWORD fPortType;
    DWORD Reserved;
};
static_assert(sizeof(PORT_INFO_2W) == 32);

// Levels 1 and 2, with the two-call sizing of the Enum*W calls (ERROR_INSUFFICIENT_BUFFER and the
// size needed). Only the local machine (pName null or empty).
WINBASEAPI BOOL EnumPortsW(LPWSTR pName, DWORD Level, LPBYTE pPort, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned);
