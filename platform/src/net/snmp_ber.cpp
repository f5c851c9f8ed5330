#include "net/snmp_ber.h"

#include <limits>

namespace palvex::snmp {

namespace {

// Universal and application tags used by SNMPv1.
constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kOctetString = 0x04;
constexpr uint8_t kNull = 0x05;
constexpr uint8_t kObjectId = 0x06;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kIpAddress = 0x40;
constexpr uint8_t kCounter32 = 0x41;
constexpr uint8_t kGauge32 = 0x42;
constexpr uint8_t kTimeTicks = 0x43;
constexpr uint8_t kOpaque = 0x44;
constexpr uint8_t kCounter64 = 0x46;
constexpr uint8_t kUnsigned32 = 0x47;
constexpr uint8_t kNoSuchObject = 0x80;
constexpr uint8_t kNoSuchInstance = 0x81;
constexpr uint8_t kEndOfMibView = 0x82;

constexpr size_t kMaxArcs = 128;

bool IsPduType(uint8_t tag) { return tag >= 0xA0 && tag <= 0xA3; }

// ---- encoding ----

using Bytes = std::vector<uint8_t>;

void PutLength(Bytes& out, size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<uint8_t>(length));
        return;
    }
    uint8_t digits[sizeof(size_t)];
    int count = 0;
    for (size_t rest = length; rest != 0; rest >>= 8) digits[count++] = static_cast<uint8_t>(rest & 0xFF);
    out.push_back(static_cast<uint8_t>(0x80 | count));
    while (count > 0) out.push_back(digits[--count]);
}

void PutTlv(Bytes& out, uint8_t tag, const Bytes& content) {
    out.push_back(tag);
    PutLength(out, content.size());
    out.insert(out.end(), content.begin(), content.end());
}

// Two's complement in the fewest bytes that keep the sign.
Bytes SignedContent(int64_t value) {
    Bytes bytes;
    for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> shift));
    size_t first = 0;
    while (first + 1 < bytes.size() &&
           ((bytes[first] == 0x00 && (bytes[first + 1] & 0x80) == 0) || (bytes[first] == 0xFF && (bytes[first + 1] & 0x80) != 0)))
        ++first;
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end());
}

// An unsigned value as a non-negative INTEGER: a leading zero byte when the top bit is set.
Bytes UnsignedContent(uint64_t value) {
    Bytes bytes;
    do {
        bytes.insert(bytes.begin(), static_cast<uint8_t>(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    if (bytes.front() & 0x80) bytes.insert(bytes.begin(), 0x00);
    return bytes;
}

void PutBase128(Bytes& out, uint64_t value) {
    uint8_t groups[10];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<uint8_t>(0x80 | groups[--count]));
    out.push_back(groups[0]);
}

bool OidContent(const Oid& oid, Bytes& content) {
    if (oid.size() < 2 || oid.size() > kMaxArcs || oid[0] > 2 || (oid[0] < 2 && oid[1] >= 40)) return false;
    PutBase128(content, uint64_t{oid[0]} * 40 + oid[1]);
    for (size_t i = 2; i < oid.size(); ++i) PutBase128(content, oid[i]);
    return true;
}

bool PutValue(Bytes& out, const Value& value) {
    Bytes content;
    switch (value.type) {
    case kInteger:
        if (value.number < std::numeric_limits<int32_t>::min() || value.number > std::numeric_limits<int32_t>::max())
            return false;
        content = SignedContent(value.number);
        break;
    case kCounter32:
    case kGauge32:
    case kTimeTicks:
    case kUnsigned32:
        if (value.number < 0 || value.number > std::numeric_limits<uint32_t>::max()) return false;
        content = UnsignedContent(static_cast<uint64_t>(value.number));
        break;
    case kOctetString:
    case kOpaque:
        content = value.bytes;
        break;
    case kIpAddress:
        if (value.bytes.size() != 4) return false;
        content = value.bytes;
        break;
    case kNull:
        break;
    case kObjectId:
        if (!OidContent(value.oid, content)) return false;
        break;
    default:  // Counter64 and the exception values are SNMPv2 only.
        return false;
    }
    PutTlv(out, value.type, content);
    return true;
}

// ---- decoding ----

// A run of bytes read front to back; every read is bounded by what the run holds.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_pos == m_bytes.size(); }

    // One TLV: its one-byte tag and its content, which must lie wholly inside the run.
    bool Next(uint8_t& tag, std::span<const uint8_t>& content) {
        if (m_bytes.size() - m_pos < 2) return false;
        tag = m_bytes[m_pos++];
        if ((tag & 0x1F) == 0x1F) return false;  // multi-byte tags are not used by SNMP
        size_t length = m_bytes[m_pos++];
        if (length & 0x80) {
            size_t count = length & 0x7F;
            if (count == 0 || count > 4 || m_bytes.size() - m_pos < count) return false;  // indefinite or too long
            length = 0;
            for (size_t i = 0; i < count; ++i) length = (length << 8) | m_bytes[m_pos++];
        }
        if (length > m_bytes.size() - m_pos) return false;
        content = m_bytes.subspan(m_pos, length);
        m_pos += length;
        return true;
    }

    bool Expect(uint8_t wanted, std::span<const uint8_t>& content) {
        uint8_t tag = 0;
        return Next(tag, content) && tag == wanted;
    }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
};

// A two's complement integer of 1 to 9 content bytes that fits [low, high].
bool ReadSigned(std::span<const uint8_t> content, int64_t low, int64_t high, int64_t& value) {
    if (content.empty() || content.size() > 8) return false;
    int64_t result = (content[0] & 0x80) ? -1 : 0;
    for (uint8_t byte : content) result = static_cast<int64_t>((static_cast<uint64_t>(result) << 8) | byte);
    if (result < low || result > high) return false;
    value = result;
    return true;
}

bool ReadInt32(std::span<const uint8_t> content, int32_t& value) {
    int64_t wide = 0;
    if (!ReadSigned(content, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), wide)) return false;
    value = static_cast<int32_t>(wide);
    return true;
}

bool ReadCounter64(std::span<const uint8_t> content, uint64_t& value) {
    if (content.empty() || content.size() > 9 || (content[0] & 0x80)) return false;
    if (content.size() == 9 && content[0] != 0) return false;
    uint64_t result = 0;
    for (uint8_t byte : content) result = (result << 8) | byte;
    value = result;
    return true;
}

bool ReadOid(std::span<const uint8_t> content, Oid& oid) {
    if (content.empty()) return false;
    Oid arcs;
    size_t pos = 0;
    while (pos < content.size()) {
        if (content[pos] == 0x80) return false;  // a sub-identifier never starts with padding
        uint64_t value = 0;
        bool complete = false;
        while (pos < content.size()) {
            uint8_t byte = content[pos++];
            value = (value << 7) | (byte & 0x7F);
            if (value > std::numeric_limits<uint32_t>::max() + uint64_t{80}) return false;
            if ((byte & 0x80) == 0) {
                complete = true;
                break;
            }
        }
        if (!complete) return false;
        if (arcs.empty()) {
            uint64_t first = value < 40 ? 0 : value < 80 ? 1 : 2;
            uint64_t second = value - first * 40;
            if (second > std::numeric_limits<uint32_t>::max()) return false;
            arcs.push_back(static_cast<uint32_t>(first));
            arcs.push_back(static_cast<uint32_t>(second));
        } else {
            if (value > std::numeric_limits<uint32_t>::max()) return false;
            arcs.push_back(static_cast<uint32_t>(value));
        }
        if (arcs.size() > kMaxArcs) return false;
    }
    oid = std::move(arcs);
    return true;
}

bool ReadValue(uint8_t tag, std::span<const uint8_t> content, Value& value) {
    value = Value{};
    value.type = tag;
    switch (tag) {
    case kInteger: {
        int32_t number = 0;
        if (!ReadInt32(content, number)) return false;
        value.number = number;
        return true;
    }
    case kCounter32:
    case kGauge32:
    case kTimeTicks:
    case kUnsigned32:
        return ReadSigned(content, 0, std::numeric_limits<uint32_t>::max(), value.number);
    case kCounter64:
        return ReadCounter64(content, value.counter64);
    case kOctetString:
    case kOpaque:
        value.bytes.assign(content.begin(), content.end());
        return true;
    case kIpAddress:
        if (content.size() != 4) return false;
        value.bytes.assign(content.begin(), content.end());
        return true;
    case kObjectId:
        return ReadOid(content, value.oid);
    case kNull:
    case kNoSuchObject:
    case kNoSuchInstance:
    case kEndOfMibView:
        return content.empty();
    default:
        return false;
    }
}

bool ReadVarBinds(std::span<const uint8_t> content, std::vector<VarBind>& varBinds) {
    Reader list(content);
    while (!list.AtEnd()) {
        std::span<const uint8_t> pair;
        if (!list.Expect(kSequence, pair)) return false;
        Reader fields(pair);
        std::span<const uint8_t> name;
        std::span<const uint8_t> valueContent;
        uint8_t valueTag = 0;
        VarBind varBind;
        if (!fields.Expect(kObjectId, name) || !ReadOid(name, varBind.name)) return false;
        if (!fields.Next(valueTag, valueContent) || !ReadValue(valueTag, valueContent, varBind.value)) return false;
        if (!fields.AtEnd()) return false;
        varBinds.push_back(std::move(varBind));
    }
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeMessage(const Message& message) {
    if (!IsPduType(message.pdu.type)) return {};
    Bytes bindings;
    for (const VarBind& varBind : message.pdu.varBinds) {
        Bytes name;
        if (!OidContent(varBind.name, name)) return {};
        Bytes pair;
        PutTlv(pair, kObjectId, name);
        if (!PutValue(pair, varBind.value)) return {};
        PutTlv(bindings, kSequence, pair);
    }
    Bytes pdu;
    PutTlv(pdu, kInteger, SignedContent(message.pdu.requestId));
    PutTlv(pdu, kInteger, SignedContent(message.pdu.errorStatus));
    PutTlv(pdu, kInteger, SignedContent(message.pdu.errorIndex));
    PutTlv(pdu, kSequence, bindings);
    Bytes body;
    PutTlv(body, kInteger, SignedContent(message.version));
    PutTlv(body, kOctetString, message.community);
    PutTlv(body, message.pdu.type, pdu);
    Bytes datagram;
    PutTlv(datagram, kSequence, body);
    if (datagram.size() > kMaxDatagram) return {};
    return datagram;
}

std::optional<Message> DecodeMessage(std::span<const uint8_t> datagram) {
    Reader outer(datagram);
    std::span<const uint8_t> body;
    if (!outer.Expect(kSequence, body) || !outer.AtEnd()) return std::nullopt;

    Message message;
    Reader fields(body);
    std::span<const uint8_t> content;
    if (!fields.Expect(kInteger, content) || !ReadInt32(content, message.version)) return std::nullopt;
    if (!fields.Expect(kOctetString, content)) return std::nullopt;
    message.community.assign(content.begin(), content.end());
    std::span<const uint8_t> pduContent;
    if (!fields.Next(message.pdu.type, pduContent) || !IsPduType(message.pdu.type) || !fields.AtEnd()) return std::nullopt;

    Reader pdu(pduContent);
    if (!pdu.Expect(kInteger, content) || !ReadInt32(content, message.pdu.requestId)) return std::nullopt;
    if (!pdu.Expect(kInteger, content) || !ReadInt32(content, message.pdu.errorStatus)) return std::nullopt;
    if (!pdu.Expect(kInteger, content) || !ReadInt32(content, message.pdu.errorIndex)) return std::nullopt;
    if (!pdu.Expect(kSequence, content) || !ReadVarBinds(content, message.pdu.varBinds)) return std::nullopt;
    if (!pdu.AtEnd()) return std::nullopt;
    return message;
}

}  // namespace palvex::snmp
