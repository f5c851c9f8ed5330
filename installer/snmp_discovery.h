// The bytes of the network search: the SNMPv1 GetNextRequest for sysDescr that goes to every
// broadcast address, and the reader of the answers. The reader takes bytes from any sender on the
// network, so every length it meets is checked against what the datagram holds.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include <win/windows.h>

inline constexpr size_t kDiscoveryRequestSize = 40;

// The request with this request-id (its low byte first).
std::array<BYTE, kDiscoveryRequestSize> BuildDiscoveryRequest(WORD requestId);
// The next request-id of the process: 0, 1, 2, ... (wrapping at 16 bits).
WORD NextDiscoveryRequestId();

// One BER length at octets (available bytes there): its value and the octets it takes. FALSE when
// the length's octets run past the data. A long form of more than three octets gives 0.
BOOL GetBerLength(const BYTE* octets, size_t available, DWORD& length, size_t& used);

// One item at data[position] of the walk: its tag, its content and how far the walk moves on
// (past the whole item, or into a SEQUENCE or GetResponse). FALSE when the item's header, or the
// content of an item the walk takes or passes over, runs past the data.
struct BerItem {
    BYTE tag = 0;
    const BYTE* content = nullptr;
    DWORD length = 0;
    size_t advance = 0;
};
BOOL DecodeBerItem(const BYTE* data, size_t size, size_t position, BerItem& item);

// The sysDescr text of an answer (the first OCTET STRING after an object identifier under
// 1.3.6.1.2.1.1.1), converted from the ANSI code page; FALSE when the answer holds none or is
// malformed.
BOOL ParseSnmpResponse(const BYTE* data, std::u16string& text, size_t length);
