// QvCom_GetTraysInfo against net-snmp's snmpd and against a recording listener that checks the
// exact requests and answers by hand.
#include <array>
#include <cstring>

#include "library_fixture.h"
#include "snmp_test_peers.h"
#include "snmpd_fixture.h"

// Found by argument lookup, so beside TRAYINFO.
inline bool operator==(const TRAYINFO& a, const TRAYINFO& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

inline std::ostream& operator<<(std::ostream& out, const TRAYINFO& t) {
    return out << "{" << t.inputType << ", " << t.paperSizeIndex << ", " << t.feedSize << ", " << t.crossFeedSize << ", "
               << t.mediaIndex << "}";
}

namespace {

using namespace palvex::testing;
using Trays = std::array<TRAYINFO, 4>;

constexpr WCHAR kSettingsKey[] = u"Software\\Orlune\\VORTAN\\PrinterDriverData\\OLTKCOM";

void SetSetting(const WCHAR* name, DWORD value, DWORD type = REG_DWORD) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(&value), sizeof(value)), ERROR_SUCCESS);
    RegCloseKey(key);
}

class TrayQueryTest : public tovqebco_test::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        // Short waits, so that the cases without an answer end soon.
        SetSetting(u"SNMP_TimeOut", 200);
        SetSetting(u"SNMP_Retries", 1);
    }

    BOOL Query(DWORD language, const WCHAR* community = nullptr, const WCHAR* agent = u"127.0.0.1") {
        std::memset(m_trays.data(), 0x7F, sizeof(m_trays));  // so that the initial records show
        return m_library.getTraysInfo(agent, community, language, m_trays.data());
    }

    static Trays Initial(LONG sizeIndex) { return {{{0, sizeIndex, 0, 0, 0}, {0, sizeIndex, 0, 0, 0}, {0, sizeIndex, 0, 0, 0}, {0, sizeIndex, 0, 0, 0}}}; }

    Trays m_trays{};
};

// ---- against snmpd ----

const char kEnterprise[] = "override .1.3.6.1.4.1.32473.1.205.1.1.1.0 octet_str \"Palvex QX500\"";

// An input's four columns as override lines; media null leaves the name column out.
std::vector<std::string> Input(int index, int type, const char* media, long feed, long cross) {
    std::string row = ".1." + std::to_string(index);
    std::vector<std::string> lines = {"override .1.3.6.1.2.1.43.8.2.1.2" + row + " integer " + std::to_string(type),
                                      "override .1.3.6.1.2.1.43.8.2.1.4" + row + " integer " + std::to_string(feed),
                                      "override .1.3.6.1.2.1.43.8.2.1.5" + row + " integer " + std::to_string(cross)};
    if (media) lines.push_back("override .1.3.6.1.2.1.43.8.2.1.12" + row + " octet_str \"" + media + "\"");
    return lines;
}

std::vector<std::string> Printer(bool withTray3Media = true, const char* enterprise = kEnterprise) {
    std::vector<std::string> lines = {enterprise};
    for (auto input : {Input(1, 4, "Plain", 297000, 210000), Input(2, 3, "Thick 1", 279400, 215900),
                       Input(3, 3, withTray3Media ? "Transparency" : nullptr, 182000, 257000),
                       Input(4, 3, "Plain", 297000, 210000), Input(5, 5, "Thick 2", 148500, 210000)})
        lines.insert(lines.end(), input.begin(), input.end());
    return lines;
}

class TrayQuerySnmpdTest : public TrayQueryTest, protected SnmpdAgent {};

TEST_F(TrayQuerySnmpdTest, ReadsAllFourTraysByLanguage) {
    if (!Start(Printer())) return;
    struct Case {
        DWORD language;
        Trays trays;
    } cases[] = {
        {1041, {{{4, 3, 297000, 210000, 0}, {3, 4, 279400, 215900, 1}, {3, 2, 182000, 257000, 3}, {5, 0, 148500, 210000, 2}}}},
        {1033, {{{4, 3, 297000, 210000, 0}, {3, 4, 279400, 215900, 1}, {3, -1, 182000, 257000, 3}, {5, 0, 148500, 210000, 2}}}},
        {2052, {{{4, -1, 297000, 210000, 0}, {3, -1, 279400, 215900, 1}, {3, -1, 182000, 257000, 3}, {5, 9, 148500, 210000, 2}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_TRUE(Query(c.language));  // no community: the default one, which the agent knows
        EXPECT_EQ(m_trays, c.trays);
    }
}

TEST_F(TrayQuerySnmpdTest, AMissingColumnLosesItsTrayOnly) {
    if (!Start(Printer(false))) return;  // input 3 has no media name: the agent answers noSuchName for its request
    EXPECT_TRUE(Query(1041));
    Trays expected = {{{4, 3, 297000, 210000, 0}, {3, 4, 279400, 215900, 1}, {0, -1, 0, 0, -1}, {5, 0, 148500, 210000, 2}}};
    EXPECT_EQ(m_trays, expected);
}

TEST_F(TrayQuerySnmpdTest, AWrongCommunityGetsNoAnswer) {
    if (!Start(Printer())) return;
    EXPECT_FALSE(Query(1041, u"public"));
    EXPECT_EQ(m_trays, Initial(3));
}

TEST_F(TrayQuerySnmpdTest, AnEnterpriseObjectOfAnotherTypeFailsTheQuery) {
    if (!Start(Printer(true, "override .1.3.6.1.4.1.32473.1.205.1.1.1.0 integer 1"))) return;
    EXPECT_FALSE(Query(1033));
    EXPECT_EQ(m_trays, Initial(4));
}

// ---- against the recording listener ----

// Answers every request with its own bindings (NULL values), the enterprise object with an empty
// OCTET STRING: the request turned into a response.
std::vector<Bytes> Echo(const Bytes& request, size_t index) {
    if (request.size() < 16) return {};
    Bytes reply = request;
    reply[13] = 0xA2;
    if (index == 0) reply[reply.size() - 2] = 0x04;
    return {reply};
}

TEST_F(TrayQueryTest, SendsFiveGetRequestsInTheirOrder) {
    UdpAgent agent(Echo);
    ScopedAgentPort port(agent.port());
    EXPECT_TRUE(Query(1041));
    // Every variable came back NULL: no input is there and no size matches.
    Trays none = {{{0, -1, 0, 0, -1}, {0, -1, 0, 0, -1}, {0, -1, 0, 0, -1}, {0, -1, 0, 0, -1}}};
    EXPECT_EQ(m_trays, none);

    auto packets = agent.received();
    ASSERT_EQ(packets.size(), 5u);
    std::vector<Bytes> ids;
    for (size_t k = 0; k < packets.size(); ++k) {
        SCOPED_TRACE(k);
        const Bytes& p = packets[k];
        ASSERT_GT(p.size(), 17u);
        uint8_t idLength = p[16];
        ASSERT_GE(idLength, 1);
        ASSERT_LE(idLength, 4);
        Bytes id(p.begin() + 17, p.begin() + 17 + idLength);
        EXPECT_EQ(id[0] & 0x80, 0);  // a positive request id
        ids.push_back(id);
        Bytes expected;
        if (k == 0) {
            // GET 1.3.6.1.4.1.32473.1.205.1.1.1.0: the name is 2B 06 01 04 01, 32473 as 81 FD 59, 01,
            // 205 as 81 4D, 01 01 01 00 (15 bytes); binding 2+15+2 = 19, list 21, PDU 31 + id,
            // message 44 + id.
            expected = Bytes{0x30, static_cast<uint8_t>(44 + idLength)} + Hex("020100 0406776F6D626174 A0") +
                       Bytes{static_cast<uint8_t>(31 + idLength), 0x02, idLength} + id +
                       Hex("020100 020100 3015 3013 060F 2B0601040181FD5901814D01010100 0500");
        } else {
            // GET of columns 2, 12, 4, 5 of input 1, 2, 3 or 5: each name 2B 06 01 02 01 2B 08 02 01,
            // the column, 01, the input (12 bytes); binding 2+12+2 = 16 (30 10), list 4 x 18 = 72 (30 48),
            // PDU 82 + id, message 95 + id.
            const uint8_t input = k == 4 ? 5 : static_cast<uint8_t>(k);
            Bytes list;
            for (uint8_t column : {2, 12, 4, 5})
                list = list + Hex("3010 060C 2B060102012B080201") + Bytes{column, 0x01, input} + Hex("0500");
            expected = Bytes{0x30, static_cast<uint8_t>(95 + idLength)} + Hex("020100 0406776F6D626174 A0") +
                       Bytes{static_cast<uint8_t>(82 + idLength), 0x02, idLength} + id + Hex("020100 020100 3048") + list;
        }
        EXPECT_EQ(p, expected);
    }
    for (size_t a = 0; a < ids.size(); ++a)
        for (size_t b = a + 1; b < ids.size(); ++b) EXPECT_NE(ids[a], ids[b]);
}

TEST_F(TrayQueryTest, MatchesEachVariableWithTheNextAnswerInOrder) {
    const std::string entry = "1.3.6.1.2.1.43.8.2.1.";
    auto name = [&](int column, int input) { return entry + std::to_string(column) + ".1." + std::to_string(input); };
    UdpAgent agent([&](const Bytes& request, size_t index) -> std::vector<Bytes> {
        Bytes id = RequestIdOf(request);
        switch (index) {
        case 0:
            return {Response(id, {VarBind("1.3.6.1.4.1.32473.1.205.1.1.1.0", Octets("QX500"))})};
        case 1:  // input 1 without its media name
            return {Response(id, {VarBind(name(2, 1), Int(4)), VarBind(name(4, 1), Int(297000)), VarBind(name(5, 1), Int(210000))})};
        case 2:  // input 2 with the media name first: it matches, the type before it does not
            return {Response(id, {VarBind(name(12, 2), Octets("Plain")), VarBind(name(2, 2), Int(3)),
                                  VarBind(name(4, 2), Int(279400)), VarBind(name(5, 2), Int(215900))})};
        case 3:  // input 3 of another type, a name in other case, an unknown feed size
            return {Response(id, {VarBind(name(2, 3), Int(4)), VarBind(name(12, 3), Octets("plain")), VarBind(name(4, 3), Int(-2)),
                                  VarBind(name(5, 3), Int(257000))})};
        default:  // the manual feed with unknown sizes, the feed size as text
            return {Response(id, {VarBind(name(2, 5), Int(5)), VarBind(name(12, 5), Octets("Thick 2")),
                                  VarBind(name(4, 5), Octets("-2")), VarBind(name(5, 5), Int(-2))})};
        }
    });
    ScopedAgentPort port(agent.port());
    EXPECT_TRUE(Query(1041));
    Trays expected = {{{4, 3, 297000, 210000, -1}, {0, -1, 0, 0, 0}, {0, 3, -2, 257000, -1}, {5, 9, 0, -2, 2}}};
    EXPECT_EQ(m_trays, expected);
}

// A media name is one of the model's names exactly, as an OCTET STRING: a prefix, a longer name,
// an empty one or a value of another type names no medium.
TEST_F(TrayQueryTest, MediaNamesMatchWholeAndOnlyAsText) {
    struct NameCase {
        const char* name;
        Bytes value;
        LONG mediaIndex;
    };
    const NameCase cases[] = {
        {"a known name", Octets("Thick 1"), 1},
        {"a prefix of a name", Octets("Thick "), -1},
        {"a name and more", Octets("Plain paper"), -1},
        {"an empty name", Octets(""), -1},
        {"the index as a number", Int(0), -1},
        {"a name with the OBJECT IDENTIFIER type", Tlv(0x06, Text("Plain")), -1},
    };
    const std::string entry = "1.3.6.1.2.1.43.8.2.1.";
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        UdpAgent agent([&](const Bytes& request, size_t index) -> std::vector<Bytes> {
            const Bytes id = RequestIdOf(request);
            if (index == 0) return {Response(id, {VarBind("1.3.6.1.4.1.32473.1.205.1.1.1.0", Octets("QX500"))})};
            const std::string input = index == 4 ? "5" : std::to_string(index);
            auto name = [&](int column) { return entry + std::to_string(column) + ".1." + input; };
            return {Response(id, {VarBind(name(2), Int(4)), VarBind(name(12), c.value), VarBind(name(4), Int(297000)),
                                  VarBind(name(5), Int(210000))})};
        });
        ScopedAgentPort port(agent.port());
        EXPECT_TRUE(Query(1041));
        for (const TRAYINFO& tray : m_trays) EXPECT_EQ(tray.mediaIndex, c.mediaIndex);
    }
}

TEST_F(TrayQueryTest, StopsAtTheFirstTrayWithoutAnAnswer) {
    UdpAgent agent([](const Bytes& request, size_t index) -> std::vector<Bytes> {
        if (index >= 3) return {};  // the enterprise object, inputs 1 and 2, then silence
        return Echo(request, index);
    });
    ScopedAgentPort port(agent.port());
    EXPECT_FALSE(Query(1033));
    Trays expected = {{{0, -1, 0, 0, -1}, {0, -1, 0, 0, -1}, {0, 4, 0, 0, 0}, {0, 4, 0, 0, 0}}};
    EXPECT_EQ(m_trays, expected);
    EXPECT_EQ(agent.received().size(), 3u + 2u);  // input 3's request and its one retry
}

TEST_F(TrayQueryTest, TakesTimeOutAndRetriesFromTheUsersSettings) {
    struct Case {
        const char* what;
        std::optional<DWORD> retries;
        DWORD type;
        size_t packets;
    } cases[] = {
        {"no retries value: 3", std::nullopt, REG_DWORD, 4},
        {"0 retries", 0, REG_DWORD, 1},
        {"2 retries", 2, REG_DWORD, 3},
        {"a value of another type: 3", 1, REG_BINARY, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegDeleteValueW(key, u"SNMP_Retries");
        RegCloseKey(key);
        SetSetting(u"SNMP_TimeOut", 20);
        if (c.retries) SetSetting(u"SNMP_Retries", *c.retries, c.type);
        UdpAgent silent;
        ScopedAgentPort port(silent.port());
        EXPECT_FALSE(Query(1041));
        EXPECT_EQ(silent.received().size(), c.packets);
    }
}

TEST_F(TrayQueryTest, RefusesMissingOrEmptyArgumentsWithTheInitialTable) {
    UdpAgent agent(Echo);
    ScopedAgentPort port(agent.port());
    const std::u16string tooLong(256, u'c');
    struct Case {
        const char* what;
        const WCHAR* agentAddress;
        const WCHAR* community;
        DWORD language;
        LONG sizeIndex;
    } cases[] = {
        {"no agent", nullptr, nullptr, 1041, 3},
        {"empty agent", u"", nullptr, 1033, 4},
        {"empty community", u"127.0.0.1", u"", 2052, 4},
        {"community over 255 characters", u"127.0.0.1", tooLong.c_str(), 1041, 3},
        {"only the low 16 bits of the language count", nullptr, nullptr, 0x10000 | 1041, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Query(c.language, c.community, c.agentAddress));
        EXPECT_EQ(m_trays, Initial(c.sizeIndex));
    }
    EXPECT_EQ(agent.received().size(), 0u);
    EXPECT_FALSE(m_library.getTraysInfo(u"127.0.0.1", nullptr, 1041, nullptr));
}

}  // namespace
