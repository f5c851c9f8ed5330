// GetAdaptersInfo: the machine's adapters as IP_ADAPTER_INFO records in the caller's buffer.
#include <cstring>
#include <exception>

#include <palvex/network.h>
#include <win/iphlpapi.h>
#include <win/winbase.h>

namespace {

void CopyText(char* destination, size_t capacity, const std::string& text) {
    size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

void FillAddress(IP_ADDR_STRING& entry, const palvex::NetworkAddress& address) {
    CopyText(entry.IpAddress.String, sizeof(entry.IpAddress.String), address.address);
    CopyText(entry.IpMask.String, sizeof(entry.IpMask.String), address.mask);
}

}  // namespace

WINBASEAPI DWORD GetAdaptersInfo(PIP_ADAPTER_INFO pAdapterInfo, ULONG* pOutBufLen) {
    if (!pOutBufLen) return ERROR_INVALID_PARAMETER;
    std::vector<palvex::NetworkAdapter> adapters;
    try {
        adapters = palvex::MachineNetworkAdapters();
    } catch (const std::exception&) {
        return ERROR_NOT_SUPPORTED;
    }
    if (adapters.empty()) return ERROR_NO_DATA;

    // The adapter records first, then the addresses beyond each adapter's first.
    size_t extraAddresses = 0;
    for (const auto& adapter : adapters)
        if (adapter.ipv4.size() > 1) extraAddresses += adapter.ipv4.size() - 1;
    size_t needed = adapters.size() * sizeof(IP_ADAPTER_INFO) + extraAddresses * sizeof(IP_ADDR_STRING);
    if (!pAdapterInfo || *pOutBufLen < needed) {
        *pOutBufLen = static_cast<ULONG>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }

    std::memset(pAdapterInfo, 0, needed);
    auto* extra = reinterpret_cast<IP_ADDR_STRING*>(pAdapterInfo + adapters.size());
    for (size_t i = 0; i < adapters.size(); ++i) {
        const palvex::NetworkAdapter& adapter = adapters[i];
        IP_ADAPTER_INFO& record = pAdapterInfo[i];
        record.Next = i + 1 < adapters.size() ? &pAdapterInfo[i + 1] : nullptr;
        record.ComboIndex = adapter.index;
        CopyText(record.AdapterName, sizeof(record.AdapterName), adapter.name);
        CopyText(record.Description, sizeof(record.Description), adapter.description);
        record.AddressLength = static_cast<UINT>(std::min<size_t>(adapter.address.size(), MAX_ADAPTER_ADDRESS_LENGTH));
        if (record.AddressLength > 0) std::memcpy(record.Address, adapter.address.data(), record.AddressLength);
        record.Index = adapter.index;
        record.Type = adapter.type;
        if (adapter.ipv4.empty()) {
            FillAddress(record.IpAddressList, {"0.0.0.0", "0.0.0.0"});
            continue;
        }
        FillAddress(record.IpAddressList, adapter.ipv4[0]);
        IP_ADDR_STRING* previous = &record.IpAddressList;
        for (size_t k = 1; k < adapter.ipv4.size(); ++k) {
            FillAddress(*extra, adapter.ipv4[k]);
            previous->Next = extra;
            previous = extra++;
        }
    }
    return NO_ERROR;
}
