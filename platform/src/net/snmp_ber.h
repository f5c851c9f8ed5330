// SNMPv1 messages and their basic-encoding-rules (BER) form, as sent and received over UDP
// (internal to the platform library).
//
// The decoder reads a datagram it does not trust: every tag is one byte, every length is definite
// and is checked against the bytes that hold it, integers must fit their type, and nothing may
// follow the message. Any breach makes the whole datagram malformed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace palvex::snmp {

using Oid = std::vector<uint32_t>;

// One value: type is an ASN_ tag of win/snmp.h; the member that type selects holds the content.
struct Value {
    uint8_t type = 0x05;          // ASN_NULL
    int64_t number = 0;           // INTEGER, Counter32, Gauge32, TimeTicks, Unsigned32
    uint64_t counter64 = 0;       // Counter64
    std::vector<uint8_t> bytes;   // OCTET STRING, IpAddress, Opaque
    Oid oid;                      // OBJECT IDENTIFIER

    bool operator==(const Value&) const = default;
};

struct VarBind {
    Oid name;
    Value value;

    bool operator==(const VarBind&) const = default;
};

struct Pdu {
    uint8_t type = 0xA0;          // SNMP_PDU_GET
    int32_t requestId = 0;
    int32_t errorStatus = 0;
    int32_t errorIndex = 0;
    std::vector<VarBind> varBinds;

    bool operator==(const Pdu&) const = default;
};

struct Message {
    int32_t version = 0;          // 0 is SNMPv1
    std::vector<uint8_t> community;
    Pdu pdu;

    bool operator==(const Message&) const = default;
};

// Largest SNMP message that one UDP datagram carries.
inline constexpr size_t kMaxDatagram = 65507;

// Exported from the platform library for the codec's own tests only.
#define PALVEX_SNMP_CODEC_API __attribute__((visibility("default")))

// Encodes a GET, GETNEXT, SET or response message. Empty when the message cannot be encoded: an
// identifier with fewer than two arcs or first arcs that BER cannot join (first above 2, or second
// above 39 under a first of 0 or 1), a value type that SNMPv1 cannot carry, or a result larger
// than one datagram.
PALVEX_SNMP_CODEC_API std::vector<uint8_t> EncodeMessage(const Message& message);

// Decodes one datagram; nullopt when it is malformed in any way.
PALVEX_SNMP_CODEC_API std::optional<Message> DecodeMessage(std::span<const uint8_t> datagram);

}  // namespace palvex::snmp
