// IP Helper adapter information of the simulated platform.
#pragma once

#include <ctime>

#include "winerror.h"
#include "wintypes.h"

#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif
#ifndef ERROR_NO_DATA
#define ERROR_NO_DATA 232L
#endif

#define MAX_ADAPTER_NAME_LENGTH 256
#define MAX_ADAPTER_DESCRIPTION_LENGTH 128
#define MAX_ADAPTER_ADDRESS_LENGTH 8

#define MIB_IF_TYPE_OTHER 1
#define MIB_IF_TYPE_ETHERNET 6
#define MIB_IF_TYPE_PPP 23
#define MIB_IF_TYPE_LOOPBACK 24
#define IF_TYPE_IEEE80211 71

struct IP_ADDRESS_STRING {
    char String[4 * 4];
};
typedef IP_ADDRESS_STRING IP_MASK_STRING;

// One IPv4 address with its mask, in dotted text; further addresses follow through Next.
struct IP_ADDR_STRING {
    IP_ADDR_STRING* Next;
    IP_ADDRESS_STRING IpAddress;
    IP_MASK_STRING IpMask;
    DWORD Context;
};
typedef IP_ADDR_STRING* PIP_ADDR_STRING;

struct IP_ADAPTER_INFO {
    IP_ADAPTER_INFO* Next;
    DWORD ComboIndex;
    char AdapterName[MAX_ADAPTER_NAME_LENGTH + 4];
    char Description[MAX_ADAPTER_DESCRIPTION_LENGTH + 4];
    UINT AddressLength;
    BYTE Address[MAX_ADAPTER_ADDRESS_LENGTH];
    DWORD Index;
    UINT Type;
    UINT DhcpEnabled;
    PIP_ADDR_STRING CurrentIpAddress;
    IP_ADDR_STRING IpAddressList;
    IP_ADDR_STRING GatewayList;
    IP_ADDR_STRING DhcpServer;
    BOOL HaveWins;
    IP_ADDR_STRING PrimaryWinsServer;
    IP_ADDR_STRING SecondaryWinsServer;
    time_t LeaseObtained;
    time_t LeaseExpires;
};
typedef IP_ADAPTER_INFO* PIP_ADAPTER_INFO;

static_assert(sizeof(IP_ADDR_STRING) == 48 && offsetof(IP_ADDR_STRING, IpMask) == 24 &&
              offsetof(IP_ADDR_STRING, Context) == 40);
static_assert(sizeof(IP_ADAPTER_INFO) == 704);
static_assert(offsetof(IP_ADAPTER_INFO, ComboIndex) == 8 && offsetof(IP_ADAPTER_INFO, AdapterName) == 12 &&
              offsetof(IP_ADAPTER_INFO, Description) == 272 && offsetof(IP_ADAPTER_INFO, AddressLength) == 404 &&
              offsetof(IP_ADAPTER_INFO, Address) == 408 && offsetof(IP_ADAPTER_INFO, Index) == 416 &&
              offsetof(IP_ADAPTER_INFO, Type) == 420 && offsetof(IP_ADAPTER_INFO, DhcpEnabled) == 424 &&
              offsetof(IP_ADAPTER_INFO, CurrentIpAddress) == 432 && offsetof(IP_ADAPTER_INFO, IpAddressList) == 440 &&
              offsetof(IP_ADAPTER_INFO, GatewayList) == 488 && offsetof(IP_ADAPTER_INFO, DhcpServer) == 536 &&
              offsetof(IP_ADAPTER_INFO, HaveWins) == 584 && offsetof(IP_ADAPTER_INFO, PrimaryWinsServer) == 592 &&
              offsetof(IP_ADAPTER_INFO, SecondaryWinsServer) == 640 && offsetof(IP_ADAPTER_INFO, LeaseObtained) == 688 &&
              offsetof(IP_ADAPTER_INFO, LeaseExpires) == 696);

// The machine's network adapters (palvex/network.h sets them) as a linked list of records in the
// caller's buffer, in adapter order; each adapter's further IPv4 addresses follow the records.
// Gateway, DHCP and WINS lists are empty. Results:
// - pOutBufLen NULL: ERROR_INVALID_PARAMETER;
// - no adapter: ERROR_NO_DATA;
// - pAdapterInfo NULL or *pOutBufLen below the size needed: ERROR_BUFFER_OVERFLOW with
//   *pOutBufLen the size needed;
// - otherwise NO_ERROR.
WINBASEAPI DWORD GetAdaptersInfo(PIP_ADAPTER_INFO pAdapterInfo, ULONG* pOutBufLen);
