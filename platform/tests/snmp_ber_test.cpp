// The SNMPv1 message codec, byte for byte against encodings worked out by hand from the basic
// encoding rules, and its refusal of malformed datagrams.
#include <gtest/gtest.h>

#include <climits>

#include <win/snmp.h>

#include "../src/net/snmp_ber.h"
#include "snmp_test_peers.h"

namespace {

using palvex::snmp::DecodeMessage;
using palvex::snmp::EncodeMessage;
using palvex::snmp::Message;
using palvex::snmp::Value;
using palvex::testing::Bytes;
using palvex::testing::Hex;
using palvex::testing::operator+;

Value Integer(int64_t n, uint8_t type = ASN_INTEGER) {
    Value v;
    v.type = type;
    v.number = n;
    return v;
}

Value Octets(const std::string& text, uint8_t type = ASN_OCTETSTRING) {
    Value v;
    v.type = type;
    v.bytes.assign(text.begin(), text.end());
    return v;
}

Value ObjectId(std::vector<uint32_t> arcs) {
    Value v;
    v.type = ASN_OBJECTIDENTIFIER;
    v.oid = std::move(arcs);
    return v;
}

// A SET of 1.3.6 = value, community "c", request id 1.
Message SetOf(const Value& value) {
    Message m;
    m.community = {'c'};
    m.pdu.type = SNMP_PDU_SET;
    m.pdu.requestId = 1;
    m.pdu.varBinds.push_back({{1, 3, 6}, value});
    return m;
}

// The bytes of SetOf for a value TLV of v bytes (v < 100, so every length is short):
// 30 25+v | 02 01 00 | 04 01 63 | A3 17+v | 02 01 01 | 02 01 00 | 02 01 00 | 30 6+v | 30 4+v | 06 02 2B 06 | value
Bytes SetBytes(const Bytes& value) {
    auto v = static_cast<uint8_t>(value.size());
    return Bytes{0x30, static_cast<uint8_t>(25 + v)} + Hex("020100 040163 A3") + Bytes{static_cast<uint8_t>(17 + v)} +
           Hex("020101 020100 020100 30") + Bytes{static_cast<uint8_t>(6 + v), 0x30, static_cast<uint8_t>(4 + v)} +
           Hex("06022B06") + value;
}

TEST(SnmpCodec, EncodesTheClassicGetOfSysDescr) {
    Message m;
    m.community = {'p', 'u', 'b', 'l', 'i', 'c'};
    m.pdu.type = SNMP_PDU_GET;
    m.pdu.requestId = 0x12345678;
    m.pdu.varBinds.push_back({{1, 3, 6, 1, 2, 1, 1, 1, 0}, Value{}});
    EXPECT_EQ(EncodeMessage(m), Hex("3029 020100 04067075626C6963 A01C 020412345678 020100 020100 300E 300C "
                                    "06082B06010201010100 0500"));
}

struct ValueCase {
    const char* what;
    Value value;
    const char* tlv;
};

TEST(SnmpCodec, EncodesEachValueType) {
    const ValueCase cases[] = {
        {"zero", Integer(0), "020100"},
        {"127", Integer(127), "02017F"},
        {"128 needs a sign byte", Integer(128), "02020080"},
        {"-1", Integer(-1), "0201FF"},
        {"-129", Integer(-129), "0202FF7F"},
        {"297000", Integer(297000), "0203048828"},
        {"-2", Integer(-2), "0201FE"},
        {"INT32_MIN", Integer(INT32_MIN), "020480000000"},
        {"INT32_MAX", Integer(INT32_MAX), "02047FFFFFFF"},
        {"Counter32 max", Integer(4294967295LL, ASN_COUNTER32), "410500FFFFFFFF"},
        {"Gauge32 128", Integer(128, ASN_GAUGE32), "42020080"},
        {"TimeTicks 0", Integer(0, ASN_TIMETICKS), "430100"},
        {"IpAddress", Octets("\xC0\xA8\x01\x14", ASN_IPADDRESS), "4004C0A80114"},
        {"OCTET STRING", Octets("Plain"), "0405506C61696E"},
        {"empty OCTET STRING", Octets(""), "0400"},
        {"NULL", Value{}, "0500"},
        {"enterprise arc", ObjectId({1, 3, 6, 1, 4, 1, 32473}), "06082B06010401 81FD59"},
        {"first arcs 2.100", ObjectId({2, 100, 3}), "0603813403"},
        {"largest arc", ObjectId({1, 3, 4294967295u}), "06062B8FFFFFFF7F"},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EncodeMessage(SetOf(c.value)), SetBytes(Hex(c.tlv)));
    }
}

TEST(SnmpCodec, UsesLongLengthsBeyond127Bytes) {
    // 200 bytes: 04 81 C8; varbind 4+203 = 207 (81 CF); list 210 (81 D2); PDU 9+213 = 222 (81 DE);
    // message 6+225 = 231 (81 E7).
    EXPECT_EQ(EncodeMessage(SetOf(Octets(std::string(200, 'x')))),
              Hex("3081E7 020100 040163 A381DE 020101 020100 020100 3081D2 3081CF 06022B06 0481C8") + Bytes(200, 'x'));
    // 300 bytes: 04 82 01 2C; 308 (01 34); 312 (01 38); 9+316 = 325 (01 45); 6+329 = 335 (01 4F).
    EXPECT_EQ(EncodeMessage(SetOf(Octets(std::string(300, 'x')))),
              Hex("3082014F 020100 040163 A3820145 020101 020100 020100 30820138 30820134 06022B06 0482012C") +
                  Bytes(300, 'x'));
}

TEST(SnmpCodec, RefusesWhatSnmpV1CannotCarry) {
    Value counter64;
    counter64.type = ASN_COUNTER64;
    struct Case {
        const char* what;
        Message message;
    } cases[] = {
        {"one-arc name", [] { Message m = SetOf(Value{}); m.pdu.varBinds[0].name = {1}; return m; }()},
        {"first arc 3", [] { Message m = SetOf(Value{}); m.pdu.varBinds[0].name = {3, 1}; return m; }()},
        {"second arc 40 under 1", [] { Message m = SetOf(Value{}); m.pdu.varBinds[0].name = {1, 40}; return m; }()},
        {"Counter64", SetOf(counter64)},
        {"IpAddress of 3 bytes", SetOf(Octets("abc", ASN_IPADDRESS))},
        {"INTEGER beyond 32 bits", SetOf(Integer(int64_t{1} << 31))},
        {"negative Gauge32", SetOf(Integer(-1, ASN_GAUGE32))},
        {"larger than a datagram", SetOf(Octets(std::string(70000, 'x')))},
        {"trap PDU", [] { Message m = SetOf(Value{}); m.pdu.type = SNMP_PDU_V1TRAP; return m; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(EncodeMessage(c.message).empty());
    }
}

// A response as a printer sends it: id 42, noSuchName at index 2, four bindings.
const Bytes kResponse = Hex(
    "306A 020100 0406776F6D626174 A25D 02012A 020102 020102 3052"
    " 3011 060C2B060102012B0802010201 01 020104"
    " 3015 060C2B060102012B0802010C01 01 0405506C61696E"
    " 3013 060C2B060102012B0802010401 01 0203048828"
    " 3011 060C2B060102012B0802010501 01 0201FE");

TEST(SnmpCodec, DecodesAResponse) {
    auto message = DecodeMessage(kResponse);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->version, 0);
    EXPECT_EQ(message->community, (std::vector<uint8_t>{'w', 'o', 'm', 'b', 'a', 't'}));
    EXPECT_EQ(message->pdu.type, SNMP_PDU_RESPONSE);
    EXPECT_EQ(message->pdu.requestId, 42);
    EXPECT_EQ(message->pdu.errorStatus, SNMP_ERRORSTATUS_NOSUCHNAME);
    EXPECT_EQ(message->pdu.errorIndex, 2);
    ASSERT_EQ(message->pdu.varBinds.size(), 4u);
    const std::vector<uint32_t> type = {1, 3, 6, 1, 2, 1, 43, 8, 2, 1, 2, 1, 1};
    EXPECT_EQ(message->pdu.varBinds[0].name, type);
    EXPECT_EQ(message->pdu.varBinds[0].value, Integer(4));
    EXPECT_EQ(message->pdu.varBinds[1].value, Octets("Plain"));
    EXPECT_EQ(message->pdu.varBinds[2].value, Integer(297000));
    EXPECT_EQ(message->pdu.varBinds[3].value, Integer(-2));
}

TEST(SnmpCodec, DecodesEveryValueTypeAnAgentSends) {
    struct Case {
        const char* tlv;
        Value value;
    } cases[] = {
        {"410500FFFFFFFF", Integer(4294967295LL, ASN_COUNTER32)},
        {"42020080", Integer(128, ASN_GAUGE32)},
        {"4301 00", Integer(0, ASN_TIMETICKS)},
        {"4004C0A80114", Octets("\xC0\xA8\x01\x14", ASN_IPADDRESS)},
        {"4403010203", Octets("\x01\x02\x03", ASN_OPAQUE)},
        {"06082B06010401 81FD59", ObjectId({1, 3, 6, 1, 4, 1, 32473})},
        {"06 02 8134", ObjectId({2, 100})},
        {"8000", [] { Value v; v.type = SNMP_EXCEPTION_NOSUCHOBJECT; return v; }()},
        {"8100", [] { Value v; v.type = SNMP_EXCEPTION_NOSUCHINSTANCE; return v; }()},
        {"8200", [] { Value v; v.type = SNMP_EXCEPTION_ENDOFMIBVIEW; return v; }()},
        {"4609 00FFFFFFFFFFFFFFFF", [] { Value v; v.type = ASN_COUNTER64; v.counter64 = UINT64_MAX; return v; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tlv);
        Bytes value = Hex(c.tlv);
        Bytes varBind = palvex::testing::Tlv(0x30, Hex("06022B06") + value);
        Bytes pdu = Hex("020101 020100 020100") + palvex::testing::Tlv(0x30, varBind);
        Bytes datagram = palvex::testing::Tlv(0x30, Hex("020100 040163") + palvex::testing::Tlv(0xA2, pdu));
        auto message = DecodeMessage(datagram);
        ASSERT_TRUE(message.has_value());
        ASSERT_EQ(message->pdu.varBinds.size(), 1u);
        EXPECT_EQ(message->pdu.varBinds[0].value, c.value);
    }
}

TEST(SnmpCodec, RefusesEveryCutOfAResponse) {
    for (size_t length = 0; length < kResponse.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(DecodeMessage(std::span<const uint8_t>(kResponse.data(), length)).has_value());
    }
}

TEST(SnmpCodec, RefusesMalformedDatagrams) {
    struct Case {
        const char* what;
        const char* hex;
    } cases[] = {
        {"empty sequence", "3000"},
        {"length beyond the datagram", "3030 020100 040163 A20B 020101 020100 020100 3000"},
        {"indefinite length", "3080 020100 040163 A20B 020101 020100 020100 3000 0000"},
        {"five-byte length", "308500000000 13 020100 040163 A20B 020101 020100 020100 3000"},
        {"byte after the message", "3013 020100 040163 A20B 020101 020100 020100 3000 00"},
        {"byte after the bindings", "3014 020100 040163 A20C 020101 020100 020100 3000 05"},
        {"inner length beyond its container", "3013 020100 040163 A20B 020101 020100 020100 3001"},
        {"multi-byte tag", "3013 020100 040163 BF0B 020101 020100 020100 3000"},
        {"version not an INTEGER", "3013 040100 040163 A20B 020101 020100 020100 3000"},
        {"trap PDU", "3013 020100 040163 A40B 020101 020100 020100 3000"},
        {"empty INTEGER", "3012 020100 040163 A20A 0200 020100 020100 3000"},
        {"request id of 9 bytes", "301B 020100 040163 A213 0209000000000000000001 020100 020100 3000"},
        {"request id beyond 32 bits", "3017 020100 040163 A20F 02050100000000 020100 020100 3000"},
        {"name not an identifier", "301B 020100 040163 A213 020101 020100 020100 3008 3006 04022B06 0500"},
        {"identifier cut mid-arc", "301B 020100 040163 A213 020101 020100 020100 3008 3006 06022B86 0500"},
        {"identifier arc with padding", "301C 020100 040163 A214 020101 020100 020100 3009 3007 06032B8006 0500"},
        {"arc beyond 32 bits", "3020 020100 040163 A218 020101 020100 020100 300D 300B 06072B908080808000 0500"},
        {"NULL with content", "301B 020100 040163 A213 020101 020100 020100 3008 3006 06012B 050100"},
        {"unknown value type", "301A 020100 040163 A212 020101 020100 020100 3007 3005 06012B 0900"},
        {"IpAddress of 3 bytes", "301D 020100 040163 A215 020101 020100 020100 300A 3008 06012B 4003010203"},
        {"negative Counter32", "301B 020100 040163 A213 020101 020100 020100 3008 3006 06012B 4101FF"},
        {"binding with a third element", "301C 020100 040163 A214 020101 020100 020100 3009 3007 06012B 0500 0500"},
        {"binding without a value", "3018 020100 040163 A210 020101 020100 020100 3005 3003 06012B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(DecodeMessage(Hex(c.hex)).has_value());
    }
}

TEST(SnmpCodec, RoundTripsARequest) {
    Message m;
    m.community = {'w', 'o', 'm', 'b', 'a', 't'};
    m.pdu.type = SNMP_PDU_GETNEXT;
    m.pdu.requestId = INT32_MAX;
    m.pdu.varBinds = {{{1, 3, 6, 1, 2, 1, 1}, Value{}}, {{1, 3, 6, 1, 4, 1, 32473, 1}, Octets(std::string(130, 'q'))}};
    auto decoded = DecodeMessage(EncodeMessage(m));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, m);
}

}  // namespace
