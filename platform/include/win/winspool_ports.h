// EnumPortsW: the ports of the local machine (the local ports and the standard TCP/IP ports).
// Level 2 names each port's monitor ("Local Port", "Standard TCP/IP Port") and types: the local
// ports PORT_TYPE_WRITE | PORT_TYPE_READ, the standard TCP/IP ports PORT_TYPE_WRITE |
// PORT_TYPE_NET_ATTACHED.
#pragma once

#include "wintypes.h"

#define PORT_TYPE_WRITE 0x0001
#define PORT_TYPE_READ 0x0002
#define PORT_TYPE_REDIRECTED 0x0004
#define PORT_TYPE_NET_ATTACHED 0x0008

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
