// Windows Sockets: start-up and the conversion of address texts (what the installer uses).
#pragma once

#include "wintypes.h"

#ifndef MAKEWORD
#define MAKEWORD(low, high) (static_cast<WORD>((static_cast<BYTE>(low)) | (static_cast<WORD>(static_cast<BYTE>(high)) << 8)))
#define LOBYTE(w) (static_cast<BYTE>((w) & 0xFF))
#define HIBYTE(w) (static_cast<BYTE>(((w) >> 8) & 0xFF))
#endif

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
typedef WSADATA* LPWSADATA;

#define AF_INET 2
#define AF_INET6 23
#define WSAEINVAL 10022L
#define WSAEFAULT 10014L
#define WSANOTINITIALISED 10093L
#define WSAVERNOTSUPPORTED 10092L

typedef unsigned short ADDRESS_FAMILY;
struct SOCKADDR {
    ADDRESS_FAMILY sa_family;
    char sa_data[14];
};
typedef SOCKADDR* LPSOCKADDR;
struct SOCKADDR_IN {
    ADDRESS_FAMILY sin_family;
    unsigned short sin_port;  // network order
    BYTE sin_addr[4];         // network order: the first byte is the address's first number
    char sin_zero[8];
};
static_assert(sizeof(SOCKADDR) == 16 && sizeof(SOCKADDR_IN) == 16);
struct WSAPROTOCOL_INFOW;

// 2.2 and below 2.2's major number 2: 0; a version below 1.1: WSAVERNOTSUPPORTED.
WINBASEAPI int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
WINBASEAPI int WSACleanup(void);
// A dotted IPv4 address "a.b.c.d" with an optional ":port" (AF_INET only here); 0 on success,
// else SOCKET_ERROR (-1) with WSAEINVAL (a text that is not an address) or WSAEFAULT (the buffer
// is smaller than a SOCKADDR_IN, *lpAddressLength tells the size). Needs WSAStartup first.
WINBASEAPI int WSAStringToAddressW(LPWSTR AddressString, INT AddressFamily, WSAPROTOCOL_INFOW* lpProtocolInfo,
                                   LPSOCKADDR lpAddress, INT* lpAddressLength);
WINBASEAPI int WSAGetLastError(void);
