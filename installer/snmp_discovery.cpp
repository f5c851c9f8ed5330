// The discovery request and the reader of its answers.
#include "snmp_discovery.h"

#include <atomic>
#include <cstring>
#include <vector>

namespace {

constexpr BYTE kSysDescrArc[] = {0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01};

}  // namespace

std::array<BYTE, kDiscoveryRequestSize> BuildDiscoveryRequest(WORD requestId) {
    return {0x30, 0x26,                                      // message
            0x02, 0x01, 0x00,                                // version 0 (SNMPv1)
            0x04, 0x06, 'w',  'o',  'm',  'b',  'a',  't',   // community
            0xA1, 0x19,                                      // GetNextRequest
            0x02, 0x02, static_cast<BYTE>(requestId & 0xFF), static_cast<BYTE>(requestId >> 8),
            0x02, 0x01, 0x00,                                // error-status
            0x02, 0x01, 0x00,                                // error-index
            0x30, 0x0D,                                      // bindings
            0x30, 0x0B,                                      // one binding
            0x06, 0x07, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01,  // sysDescr
            0x05, 0x00};
}

WORD NextDiscoveryRequestId() {
    static std::atomic<unsigned> counter{0};
    return static_cast<WORD>(counter.fetch_add(1));
}

BOOL GetBerLength(const BYTE* octets, size_t available, DWORD& length, size_t& used) {
    length = 0;
    used = 0;
    if (available < 1) return FALSE;
    if (octets[0] < 0x80) {
        length = octets[0];
        used = 1;
        return TRUE;
    }
    const size_t count = octets[0] & 0x7F;
    if (available < count + 1) return FALSE;
    used = count + 1;
    if (count > 3) return TRUE;  // longer than any datagram: length 0
    for (size_t i = 1; i <= count; ++i) length = (length << 8) | octets[i];
    return TRUE;
}

BOOL DecodeBerItem(const BYTE* data, size_t size, size_t position, BerItem& item) {
    if (position >= size) return FALSE;
    item.tag = data[position];
    size_t used = 0;
    if (!GetBerLength(data + position + 1, size - position - 1, item.length, used)) return FALSE;
    const size_t header = 1 + used;
    const size_t contentStart = position + header;
    if (item.tag == 0x30 || item.tag == 0xA2) {
        item.content = data + contentStart;
        item.advance = header;  // into the content
        return TRUE;
    }
    // A leaf is taken whole or passed over whole: its content must lie inside the datagram.
    if (item.length > size - contentStart) return FALSE;
    item.content = data + contentStart;
    item.advance = header + item.length;
    return TRUE;
}

BOOL ParseSnmpResponse(const BYTE* data, std::u16string& text, size_t length) {
    text.clear();
    if (!data) return FALSE;
    bool underSysDescr = false;
    size_t position = 0;
    while (position < length) {
        const BYTE tag = data[position];
        if (tag < 0x02 || tag > 0xA2) return FALSE;
        if (tag != 0x02 && tag != 0x04 && tag != 0x06 && tag != 0x30 && tag != 0xA2) return FALSE;
        BerItem item;
        if (!DecodeBerItem(data, length, position, item)) return FALSE;
        if (tag == 0x06) {
            if (item.length >= sizeof kSysDescrArc && std::memcmp(item.content, kSysDescrArc, sizeof kSysDescrArc) == 0)
                underSysDescr = true;
        } else if (tag == 0x04 && underSysDescr) {
            if (item.length >= 0x7FFFFFFF) return FALSE;
            std::vector<char> bytes(item.content, item.content + item.length);
            bytes.push_back('\0');
            if (item.length > 0) {
                const int count = MultiByteToWideChar(CP_ACP, 0, bytes.data(), -1, nullptr, 0);
                if (count <= 0) return FALSE;
                std::u16string converted(static_cast<size_t>(count), u'\0');
                MultiByteToWideChar(CP_ACP, 0, bytes.data(), -1, converted.data(), count);
                converted.resize(static_cast<size_t>(count - 1));
                // A text with a NUL inside ends there, as the zero-terminated copy has it.
                text = converted.c_str();
            }
            return TRUE;
        }
        position += item.advance;
    }
    return FALSE;
}
