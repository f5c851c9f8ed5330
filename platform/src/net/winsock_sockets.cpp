// Windows Sockets over the machine's simulated network: AF_INET datagram sockets, select on the
// read set, and dotted IPv4 texts for host lookup (there is no name service on this network).
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include <win/winbase.h>

#include "net/loopback_net.h"

#include <win/winsock2_sockets.h>

namespace {

std::mutex g_lock;
std::set<SOCKET> g_sockets;  // the open sockets: their descriptors

bool Known(SOCKET s) {
    std::lock_guard lock(g_lock);
    return g_sockets.count(s) != 0;
}

int Fail(int error) {
    SetLastError(static_cast<DWORD>(error));
    return SOCKET_ERROR;
}

uint32_t HostOrder(const BYTE address[4]) {
    return (uint32_t{address[0]} << 24) | (uint32_t{address[1]} << 16) | (uint32_t{address[2]} << 8) | address[3];
}

// A dotted IPv4 text, four numbers 0..255; false for anything else.
bool ParseDotted(const char* text, uint32_t& address) {
    if (!text) return false;
    address = 0;
    const char* p = text;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && *p++ != '.') return false;
        unsigned value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(*p++ - '0');
            ++digits;
        }
        if (digits == 0 || value > 255) return false;
        address = (address << 8) | value;
    }
    return *p == '\0';
}

ULONG NetworkOrder(uint32_t address) {
    ULONG result;
    const BYTE bytes[4] = {static_cast<BYTE>(address >> 24), static_cast<BYTE>(address >> 16), static_cast<BYTE>(address >> 8),
                           static_cast<BYTE>(address)};
    std::memcpy(&result, bytes, 4);
    return result;
}

uint32_t FromNetworkOrder(ULONG address) {
    BYTE bytes[4];
    std::memcpy(bytes, &address, 4);
    return HostOrder(bytes);
}

hostent* HostEntry(uint32_t address) {
    thread_local char name[16];
    thread_local ULONG addressBytes;
    thread_local char* addresses[2];
    thread_local char* aliases[1];
    thread_local hostent entry;
    std::snprintf(name, sizeof name, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF);
    addressBytes = NetworkOrder(address);
    addresses[0] = reinterpret_cast<char*>(&addressBytes);
    addresses[1] = nullptr;
    aliases[0] = nullptr;
    entry = hostent{name, aliases, AF_INET, 4, addresses};
    return &entry;
}

}  // namespace

int __WSAFDIsSet(SOCKET fd, fd_set* set) {
    if (!set) return 0;
    for (UINT i = 0; i < set->fd_count && i < FD_SETSIZE; ++i)
        if (set->fd_array[i] == fd) return 1;
    return 0;
}

SOCKET socket(int af, int type, int protocol) {
    if (af != AF_INET) return Fail(WSAEAFNOSUPPORT), INVALID_SOCKET;
    if (type != SOCK_DGRAM || (protocol != 0 && protocol != IPPROTO_UDP)) return Fail(WSAESOCKTNOSUPPORT), INVALID_SOCKET;
    const int fd = palvex::net::OpenUdpSocket();
    if (fd < 0) return Fail(WSAEINVAL), INVALID_SOCKET;
    std::lock_guard lock(g_lock);
    g_sockets.insert(static_cast<SOCKET>(fd));
    return static_cast<SOCKET>(fd);
}

int closesocket(SOCKET s) {
    {
        std::lock_guard lock(g_lock);
        if (!g_sockets.erase(s)) return Fail(WSAENOTSOCK);
    }
    palvex::net::CloseSocket(static_cast<int>(s));
    return 0;
}

int sendto(SOCKET s, const char* buf, int len, int, const SOCKADDR* to, int tolen) {
    if (!Known(s)) return Fail(WSAENOTSOCK);
    if (!buf || len < 0 || !to || tolen < static_cast<int>(sizeof(SOCKADDR_IN))) return Fail(WSAEFAULT);
    SOCKADDR_IN target;
    std::memcpy(&target, to, sizeof target);
    if (target.sin_family != AF_INET) return Fail(WSAEAFNOSUPPORT);
    const auto port = static_cast<uint16_t>(ntohs(target.sin_port));
    const long sent = palvex::net::SendDatagram(static_cast<int>(s), reinterpret_cast<const uint8_t*>(buf), static_cast<size_t>(len),
                                                HostOrder(target.sin_addr), port);
    return sent < 0 ? Fail(WSAEINVAL) : static_cast<int>(sent);
}

int recvfrom(SOCKET s, char* buf, int len, int, SOCKADDR* from, int* fromlen) {
    if (!Known(s)) return Fail(WSAENOTSOCK);
    if (!buf || len < 0 || (from && (!fromlen || *fromlen < static_cast<int>(sizeof(SOCKADDR_IN))))) return Fail(WSAEFAULT);
    uint32_t address = 0;
    uint16_t port = 0;
    const long received = palvex::net::ReceiveDatagram(static_cast<int>(s), reinterpret_cast<uint8_t*>(buf), static_cast<size_t>(len), address, port);
    if (received < 0) return Fail(WSAEWOULDBLOCK);
    if (from) {
        SOCKADDR_IN sender{};
        sender.sin_family = AF_INET;
        sender.sin_port = htons(port);
        const ULONG bytes = NetworkOrder(address);
        std::memcpy(sender.sin_addr, &bytes, 4);
        std::memcpy(from, &sender, sizeof sender);
        *fromlen = sizeof sender;
    }
    return static_cast<int>(received);
}

int select(int, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout) {
    if ((writefds && writefds->fd_count) || (exceptfds && exceptfds->fd_count)) return Fail(WSAEINVAL);
    if (!readfds || readfds->fd_count == 0 || readfds->fd_count > FD_SETSIZE) return Fail(WSAEINVAL);
    std::vector<int> fds;
    for (UINT i = 0; i < readfds->fd_count; ++i) {
        if (!Known(readfds->fd_array[i])) return Fail(WSAENOTSOCK);
        fds.push_back(static_cast<int>(readfds->fd_array[i]));
    }
    long timeoutMs = 24L * 3600 * 1000;
    if (timeout) {
        if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return Fail(WSAEINVAL);
        timeoutMs = static_cast<long>(timeout->tv_sec) * 1000 + timeout->tv_usec / 1000;
    }
    const std::vector<int> ready = palvex::net::WaitReadable(fds, timeoutMs);
    FD_ZERO(readfds);
    for (int fd : ready) FD_SET(static_cast<SOCKET>(fd), readfds);
    return static_cast<int>(readfds->fd_count);
}

hostent* gethostbyname(const char* name) {
    uint32_t address = 0;
    if (!ParseDotted(name, address)) {
        SetLastError(WSAHOST_NOT_FOUND);
        return nullptr;
    }
    return HostEntry(address);
}

hostent* gethostbyaddr(const char* addr, int len, int type) {
    if (!addr || len != 4 || type != AF_INET) {
        SetLastError(WSAEFAULT);
        return nullptr;
    }
    ULONG bytes;
    std::memcpy(&bytes, addr, 4);
    return HostEntry(FromNetworkOrder(bytes));
}

ULONG inet_addr(const char* cp) {
    uint32_t address = 0;
    return ParseDotted(cp, address) ? NetworkOrder(address) : INADDR_NONE;
}

char* inet_ntoa(in_addr in) {
    thread_local char text[16];
    const uint32_t address = FromNetworkOrder(in.s_addr);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

USHORT htons(USHORT hostshort) { return static_cast<USHORT>((hostshort >> 8) | (hostshort << 8)); }
USHORT ntohs(USHORT netshort) { return static_cast<USHORT>((netshort >> 8) | (netshort << 8)); }
