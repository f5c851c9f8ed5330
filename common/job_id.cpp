// QvCom_AssignJobID: the job identifier from the first network adapter's address and the UTC time.
#include <win/iphlpapi.h>

#include <climits>

#include "tovqebco.h"

namespace {

constexpr WCHAR kNoAddress[] = u"FFFFFFFFFFFF";
constexpr size_t kAddressBytes = 6;

// Adapter records in a zeroed block of the process heap, freed when the holder goes.
class AdapterBuffer {
public:
    ~AdapterBuffer() { Free(); }
    bool Allocate(ULONG size) {
        Free();
        m_size = size;
        m_data = static_cast<IP_ADAPTER_INFO*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
        return m_data != nullptr;
    }
    void Free() {
        if (m_data) HeapFree(GetProcessHeap(), 0, m_data);
        m_data = nullptr;
    }
    IP_ADAPTER_INFO* data() const { return m_data; }
    ULONG& size() { return m_size; }

private:
    IP_ADAPTER_INFO* m_data = nullptr;
    ULONG m_size = 0;
};

enum class AddressResult { Found, NotAvailable, Failed };

// The first adapter's address as twelve hexadecimal digits. An adapter whose address is shorter
// than six bytes counts as having none.
AddressResult FirstAdapterAddress(WCHAR (&text)[13]) {
    AdapterBuffer buffer;
    if (!buffer.Allocate(sizeof(IP_ADAPTER_INFO))) return AddressResult::Failed;
    DWORD result = GetAdaptersInfo(buffer.data(), &buffer.size());
    if (result == ERROR_BUFFER_OVERFLOW) {
        if (!buffer.Allocate(buffer.size())) return AddressResult::Failed;
        result = GetAdaptersInfo(buffer.data(), &buffer.size());
    }
    if (result == ERROR_INVALID_PARAMETER) return AddressResult::Failed;
    if (result != NO_ERROR || buffer.data()->AddressLength < kAddressBytes) return AddressResult::NotAvailable;
    const BYTE* address = buffer.data()->Address;
    StringCchPrintfW(text, 13, u"%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2], address[3], address[4],
                     address[5]);
    return AddressResult::Found;
}

}  // namespace

TOVQEBCO_API BOOL QvCom_AssignJobID(BYTE* buffer, DWORD* length) {
    if (!length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WCHAR address[13];
    switch (FirstAdapterAddress(address)) {
    case AddressResult::Failed:
        return FALSE;
    case AddressResult::NotAvailable:
        StringCchCopyW(address, 13, kNoAddress);
        break;
    case AddressResult::Found:
        break;
    }

    SYSTEMTIME now;
    GetSystemTime(&now);
    WCHAR identifier[32];
    StringCchPrintfW(identifier, 32, u"%s%02d%02d%02d%02d%02d%03d", address, now.wMonth, now.wDay, now.wHour, now.wMinute,
                     now.wSecond, now.wMilliseconds);

    int needed = WideCharToMultiByte(CP_UTF8, 0, identifier, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        *length = 0;
        return FALSE;
    }
    if (!buffer) {
        *length = static_cast<DWORD>(needed);
        return TRUE;
    }
    if (*length < static_cast<DWORD>(needed)) {
        *length = static_cast<DWORD>(needed);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    int capacity = *length > INT_MAX ? INT_MAX : static_cast<int>(*length);
    int written = WideCharToMultiByte(CP_UTF8, 0, identifier, -1, reinterpret_cast<LPSTR>(buffer), capacity, nullptr, nullptr);
    *length = written > 0 ? static_cast<DWORD>(written) : 0;
    return written > 0 ? TRUE : FALSE;
}
