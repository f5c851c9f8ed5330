// Windows Sockets start-up and address texts. The SNMP manager keeps its own sockets; this is the
// part of the socket library the installer calls directly.
#include <atomic>
#include <cstring>
#include <string>

#include <win/winbase.h>
#include <win/winsock2.h>

namespace {

std::atomic<int> g_startups{0};
thread_local int g_lastError = 0;

int Fail(int error) {
    g_lastError = error;
    SetLastError(static_cast<DWORD>(error));
    return -1;  // SOCKET_ERROR
}

// "a.b.c.d" with each number 0..255 in decimal.
bool ParseIPv4(const std::u16string& text, BYTE address[4]) {
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != u'.') return false;
            ++at;
        }
        unsigned value = 0;
        size_t digits = 0;
        while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && digits < 4) {
            value = value * 10 + (text[at++] - u'0');
            ++digits;
        }
        if (digits == 0 || value > 255) return false;
        address[part] = static_cast<BYTE>(value);
    }
    return at == text.size();
}

}  // namespace

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    if (!lpWSAData) return WSAEFAULT;
    const BYTE major = LOBYTE(wVersionRequested), minor = HIBYTE(wVersionRequested);
    if (major < 1 || (major == 1 && minor < 1)) return WSAVERNOTSUPPORTED;
    std::memset(lpWSAData, 0, sizeof *lpWSAData);
    lpWSAData->wVersion = major >= 2 ? MAKEWORD(2, 2) : wVersionRequested;
    lpWSAData->wHighVersion = MAKEWORD(2, 2);
    std::strcpy(lpWSAData->szDescription, "WinSock 2.0");
    std::strcpy(lpWSAData->szSystemStatus, "Running");
    ++g_startups;
    return 0;
}

int WSACleanup(void) {
    if (g_startups <= 0) return Fail(WSANOTINITIALISED);
    --g_startups;
    return 0;
}

int WSAStringToAddressW(LPWSTR AddressString, INT AddressFamily, WSAPROTOCOL_INFOW*, LPSOCKADDR lpAddress,
                        INT* lpAddressLength) {
    if (g_startups <= 0) return Fail(WSANOTINITIALISED);
    if (!AddressString || !lpAddressLength || AddressFamily != AF_INET) return Fail(WSAEINVAL);
    if (!lpAddress || *lpAddressLength < static_cast<INT>(sizeof(SOCKADDR_IN))) {
        *lpAddressLength = sizeof(SOCKADDR_IN);
        return Fail(WSAEFAULT);
    }
    std::u16string text = AddressString;
    unsigned port = 0;
    if (const size_t colon = text.find(u':'); colon != std::u16string::npos) {
        const std::u16string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) return Fail(WSAEINVAL);
        for (char16_t c : digits) {
            if (c < u'0' || c > u'9') return Fail(WSAEINVAL);
            port = port * 10 + (c - u'0');
        }
        if (port > 65535) return Fail(WSAEINVAL);
        text.resize(colon);
    }
    SOCKADDR_IN address{};
    if (!ParseIPv4(text, address.sin_addr)) return Fail(WSAEINVAL);
    address.sin_family = AF_INET;
    address.sin_port = static_cast<unsigned short>(((port & 0xFF) << 8) | (port >> 8));
    std::memcpy(lpAddress, &address, sizeof address);
    *lpAddressLength = sizeof(SOCKADDR_IN);
    return 0;
}

int WSAGetLastError(void) { return g_lastError; }
