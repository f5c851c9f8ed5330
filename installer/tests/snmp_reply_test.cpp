// The bytes of the network search: the discovery request, and the reader of answers from any
// sender, whole, in long length forms, for other objects, cut short and malformed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snmp_discovery.h"
#include "snmp_test_peers.h"

namespace {

using namespace palvex::testing;

// An answer of the discovery: sysDescr.0 (or another object) with its value.
Bytes Answer(const Bytes& value, const std::string& object = "1.3.6.1.2.1.1.1.0") {
    return Response(Hex("00 07"), {VarBind(object, value)});
}

bool Parse(const Bytes& bytes, std::u16string& text) { return ParseSnmpResponse(bytes.data(), text, bytes.size()); }

TEST(DiscoveryRequest, FortyBytesWithTheRequestIdLowByteFirst) {
    const auto request = BuildDiscoveryRequest(0x1234);
    EXPECT_EQ(Bytes(request.begin(), request.end()),
              Hex("30 26 02 01 00 04 06 77 6F 6D 62 61 74 A1 19 02 02 34 12 02 01 00 02 01 00 30 0D 30 0B"
                  "06 07 2B 06 01 02 01 01 01 05 00"));
    const WORD first = NextDiscoveryRequestId();
    EXPECT_EQ(NextDiscoveryRequestId(), static_cast<WORD>(first + 1));
}

TEST(BerLength, ShortLongAndCut) {
    struct Case {
        Bytes octets;
        BOOL ok;
        DWORD length;
        size_t used;
    } cases[] = {
        {Hex("7F"), TRUE, 127, 1},
        {Hex("81 C8"), TRUE, 200, 2},
        {Hex("82 01 90"), TRUE, 400, 3},
        {Hex("83 01 00 00"), TRUE, 65536, 4},
        {Hex("84 00 00 00 01"), TRUE, 0, 5},  // longer than any datagram
        {Hex("82 01"), FALSE, 0, 0},          // its octets run past the data
        {Hex(""), FALSE, 0, 0},
    };
    for (const auto& c : cases) {
        DWORD length = 99;
        size_t used = 99;
        EXPECT_EQ(GetBerLength(c.octets.data(), c.octets.size(), length, used), c.ok);
        if (c.ok) {
            EXPECT_EQ(length, c.length);
            EXPECT_EQ(used, c.used);
        }
    }
}

TEST(SnmpReply, TheSysDescrTextInShortAndLongForms) {
    const std::string text200(200, 'A'), text400(400, 'B');
    struct Case {
        Bytes bytes;
        std::u16string text;
    } cases[] = {
        {Answer(Octets("Korvel Palvex QM410")), u"Korvel Palvex QM410"},
        {Answer(Octets(text200)), std::u16string(200, u'A')},  // 04 81 C8 ...
        {Answer(Octets(text400)), std::u16string(400, u'B')},  // 04 82 01 90 ...
        {Answer(Octets("")), u""},
    };
    EXPECT_EQ(Bytes(cases[1].bytes.end() - 203, cases[1].bytes.end() - 200), Hex("04 81 C8"));
    for (const auto& c : cases) {
        std::u16string text = u"x";
        EXPECT_TRUE(Parse(c.bytes, text));
        EXPECT_EQ(text, c.text);
    }
}

TEST(SnmpReply, OtherObjectsAndValuesGiveNoText) {
    const Bytes cases[] = {
        Answer(Oid("1.3.6.1.4.1.32473.1"), "1.3.6.1.2.1.1.2.0"),  // sysObjectID: no OCTET STRING
        Answer(Octets("Korvel Palvex QM410"), "1.3.6.1.2.1.1.5.0"),  // sysName: another arc
        Answer(Null()),                                               // NULL value ends the walk
        Answer(Octets("x"), "1.3.6"),                                 // identifier shorter than the arc
        Tlv(0x30, Int(0) + Octets("wombat") + Tlv(0xA0, Int(1))),    // a request, not a response
    };
    for (const Bytes& bytes : cases) {
        std::u16string text;
        EXPECT_FALSE(Parse(bytes, text));
    }
}

// Every prefix of an answer, and answers whose lengths claim more than the datagram holds, are
// refused without reading past the bytes (the ASan build checks the reads).
TEST(SnmpReply, CutAndMalformedRepliesAreRefused) {
    const Bytes whole = Answer(Octets(std::string(300, 'C')));
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        std::vector<uint8_t> exact(prefix);  // its own allocation, so a read past it is caught
        std::u16string text;
        EXPECT_FALSE(ParseSnmpResponse(exact.data(), text, exact.size())) << "cut at " << cut;
    }
    const Bytes malformed[] = {
        Hex("30 82 FF FF 02 01 00 04 84 FF FF FF FF"),                       // community longer than anything
        Hex("30 10 02 01 00 04 06 77 6F 6D 62 61 74 A2 03 06 07 2B 06 01"),  // identifier cut in the middle
        Hex("30 0C 06 07 2B 06 01 02 01 01 01 04 83 FF FF FF"),              // sysDescr claiming 16 MB
        Hex("30 0C 06 07 2B 06 01 02 01 01 01 04 7F 41"),                    // sysDescr claiming 127 bytes
        Hex("30 03 02 85"),                                                  // length octets past the end
        Hex("01 00"), Hex("A3 00"), Hex("FF"),                               // tags outside the walk
    };
    for (const Bytes& bytes : malformed) {
        std::vector<uint8_t> exact(bytes);
        std::u16string text;
        EXPECT_FALSE(ParseSnmpResponse(exact.data(), text, exact.size()));
    }
}

}  // namespace
