// Windows Sockets: UDP sockets, select, host lookup and IPv4 address texts. The datagrams travel
// on the machine's simulated network, which stays on 127.0.0.0/8 (palvex/network.h).
#pragma once

#include "wintypes.h"

//
// This computer's C library has sockets under the same names, and the C++ library brings some of
// its declarations into every file (fd_set, select, timeval). The Windows names are therefore
// macros for names of the platform's own, defined after the C library's declarations; timeval is
// the C library's, which has the same two fields. Include this header after every other header.
#include <sys/select.h>
#include <sys/time.h>

#include "winsock2.h"

#undef FD_SETSIZE
#undef FD_ZERO
#undef FD_SET
#undef FD_ISSET
#undef FD_CLR
#define fd_set PalvexWinsockFdSet
#define in_addr PalvexWinsockInAddr
#define hostent PalvexWinsockHostent
#define __WSAFDIsSet palvex_winsock_WSAFDIsSet
#define socket palvex_winsock_socket
#define closesocket palvex_winsock_closesocket
#define sendto palvex_winsock_sendto
#define recvfrom palvex_winsock_recvfrom
#define select palvex_winsock_select
#define gethostbyname palvex_winsock_gethostbyname
#define gethostbyaddr palvex_winsock_gethostbyaddr
#define inet_addr palvex_winsock_inet_addr
#define inet_ntoa palvex_winsock_inet_ntoa
#define htons palvex_winsock_htons
#define ntohs palvex_winsock_ntohs

typedef UINT_PTR SOCKET;
#define INVALID_SOCKET (~static_cast<SOCKET>(0))
#define SOCKET_ERROR (-1)
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_UDP 17
#define INADDR_NONE 0xFFFFFFFFUL
#define WSAENOTSOCK 10038L
#define WSAEAFNOSUPPORT 10047L
#define WSAESOCKTNOSUPPORT 10044L
#define WSAEWOULDBLOCK 10035L
#define WSAHOST_NOT_FOUND 11001L

struct in_addr {
    ULONG s_addr;  // network order
};
typedef in_addr IN_ADDR;

#define FD_SETSIZE 64
struct fd_set {
    UINT fd_count;
    SOCKET fd_array[FD_SETSIZE];
};
struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};
typedef hostent HOSTENT;

WINBASEAPI int __WSAFDIsSet(SOCKET fd, fd_set* set);
#define FD_ZERO(set) ((set)->fd_count = 0)
#define FD_ISSET(fd, set) __WSAFDIsSet(static_cast<SOCKET>(fd), (set))
// Adds a socket once, and none beyond FD_SETSIZE, as the platform's macro does.
#define FD_SET(fd, set)                                                                                 \
    do {                                                                                                \
        UINT palvexAt = 0;                                                                              \
        while (palvexAt < (set)->fd_count && (set)->fd_array[palvexAt] != static_cast<SOCKET>(fd)) ++palvexAt; \
        if (palvexAt == (set)->fd_count && (set)->fd_count < FD_SETSIZE)                                \
            (set)->fd_array[(set)->fd_count++] = static_cast<SOCKET>(fd);                               \
    } while (0)

// AF_INET datagram sockets only.
WINBASEAPI SOCKET socket(int af, int type, int protocol);
WINBASEAPI int closesocket(SOCKET s);
WINBASEAPI int sendto(SOCKET s, const char* buf, int len, int flags, const SOCKADDR* to, int tolen);
WINBASEAPI int recvfrom(SOCKET s, char* buf, int len, int flags, SOCKADDR* from, int* fromlen);
// Only the read set is supported; the write and error sets must be null or empty. A null time-out
// waits without end. The time passes on the machine clock.
WINBASEAPI int select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout);
// Dotted IPv4 texts only (the simulated network has no names); the entry lives per thread until
// the next call.
WINBASEAPI hostent* gethostbyname(const char* name);
WINBASEAPI hostent* gethostbyaddr(const char* addr, int len, int type);
// "a.b.c.d" in network order, or INADDR_NONE.
WINBASEAPI ULONG inet_addr(const char* cp);
// The dotted text of an address, in a per-thread buffer.
WINBASEAPI char* inet_ntoa(in_addr in);
WINBASEAPI USHORT htons(USHORT hostshort);
WINBASEAPI USHORT ntohs(USHORT netshort);
