// The SNMP Manager API: identifiers, the request exchange against a recording listener (retries,
// request ids, replies that must be dropped) and against net-snmp's snmpd.
#include <gtest/gtest.h>

#include <win/mgmtapi.h>
#include <win/windows.h>

#include "snmp_test_peers.h"
#include "snmpd_fixture.h"

namespace {

using namespace palvex::testing;

std::vector<UINT> Arcs(const AsnObjectIdentifier& oid) { return std::vector<UINT>(oid.ids, oid.ids + oid.idLength); }

TEST(SnmpMgrStrToOid, ReadsDottedIdentifiers) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<UINT> arcs;
    } cases[] = {
        {".1.3.6.1.4.1.32473.1.205.1.1.1.0", true, {1, 3, 6, 1, 4, 1, 32473, 1, 205, 1, 1, 1, 0}},
        {"43.8.2.1.2.1.1", true, {1, 3, 6, 1, 2, 1, 43, 8, 2, 1, 2, 1, 1}},  // relative to mib-2
        {".1.4294967295", true, {1, 4294967295u}},
        {".1.4294967296", false, {}},
        {"", false, {}},
        {".", false, {}},
        {".1..3", false, {}},
        {".1.3.", false, {}},
        {".1.3.a", false, {}},
        {"system.sysDescr.0", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AsnObjectIdentifier oid{};
        std::string text = c.text;
        ASSERT_EQ(SnmpMgrStrToOid(text.data(), &oid), c.ok ? TRUE : FALSE);
        if (!c.ok) continue;
        EXPECT_EQ(Arcs(oid), c.arcs);
        SnmpUtilOidFree(&oid);
        EXPECT_EQ(static_cast<const void*>(oid.ids), nullptr);  // a copy: the member is not aligned
        EXPECT_EQ(oid.idLength, 0u);
    }
}

TEST(SnmpUtilOidCmp, OrdersByArcsThenLength) {
    UINT a[] = {1, 3, 6, 1}, b[] = {1, 3, 6, 2}, prefix[] = {1, 3, 6};
    AsnObjectIdentifier A{4, a}, B{4, b}, P{3, prefix}, empty{0, nullptr};
    EXPECT_EQ(SnmpUtilOidCmp(&A, &A), 0);
    EXPECT_LT(SnmpUtilOidCmp(&A, &B), 0);
    EXPECT_GT(SnmpUtilOidCmp(&B, &A), 0);
    EXPECT_LT(SnmpUtilOidCmp(&P, &A), 0);
    EXPECT_GT(SnmpUtilOidCmp(&A, &P), 0);
    EXPECT_LT(SnmpUtilOidCmp(&empty, &P), 0);
    AsnObjectIdentifier copy{};
    ASSERT_EQ(SnmpUtilOidCpy(&copy, &A), SNMPAPI_NOERROR);
    EXPECT_EQ(SnmpUtilOidCmp(&copy, &A), 0);
    EXPECT_NE(static_cast<const void*>(copy.ids), static_cast<const void*>(A.ids));
    SnmpUtilOidFree(&copy);
}

// A request list of the given identifiers with NULL values, freed with the SNMP free functions.
class VarBinds {
public:
    explicit VarBinds(std::initializer_list<const char*> names) {
        m_list.len = static_cast<UINT>(names.size());
        m_list.list = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(m_list.len * sizeof(SnmpVarBind)));
        UINT i = 0;
        for (const char* name : names) {
            std::string text = name;
            SnmpMgrStrToOid(text.data(), &m_list.list[i].name);
            m_list.list[i++].value.asnType = ASN_NULL;
        }
    }
    ~VarBinds() { SnmpUtilVarBindListFree(&m_list); }
    SnmpVarBindList* get() { return &m_list; }
    const SnmpVarBind& operator[](UINT i) const { return m_list.list[i]; }
    UINT size() const { return m_list.len; }

private:
    SnmpVarBindList m_list{};
};

class Session {
public:
    Session(const char* community, int timeoutMs, int retries) {
        std::string agent = "127.0.0.1", text = community;
        m_session = SnmpMgrOpen(agent.data(), text.data(), timeoutMs, retries);
    }
    ~Session() {
        if (m_session) SnmpMgrClose(m_session);
    }
    LPSNMP_MGR_SESSION get() const { return m_session; }

private:
    LPSNMP_MGR_SESSION m_session = nullptr;
};

const char kName[] = ".1.3.6.1.4.1.32473.1";

TEST(SnmpMgrRequest, SendsTheSameRequestOncePerRetryWhenNoAnswerComes) {
    UdpAgent agent;
    ScopedAgentPort port(agent.port());
    Session session("wombat", 30, 2);
    ASSERT_NE(session.get(), nullptr);
    VarBinds list{kName};
    AsnInteger status = -1, index = -1;
    EXPECT_EQ(SnmpMgrRequest(session.get(), SNMP_PDU_GET, list.get(), &status, &index), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(SNMP_MGMTAPI_TIMEOUT));
    auto packets = agent.received();
    ASSERT_EQ(packets.size(), 3u);  // the first try and two retries
    EXPECT_EQ(packets[1], packets[0]);
    EXPECT_EQ(packets[2], packets[0]);
    ASSERT_EQ(list.size(), 1u);  // left as it was
    EXPECT_EQ(list[0].value.asnType, ASN_NULL);
}

TEST(SnmpMgrRequest, APortWithoutAnAgentTimesOut) {
    uint16_t closedPort;
    {
        UdpAgent gone;  // its port is free again once it is gone; the refusals that come back are ignored
        closedPort = gone.port();
    }
    ScopedAgentPort port(closedPort);
    Session session("wombat", 20, 2);
    VarBinds list{kName};
    AsnInteger status = -1, index = -1;
    EXPECT_EQ(SnmpMgrRequest(session.get(), SNMP_PDU_GET, list.get(), &status, &index), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(SNMP_MGMTAPI_TIMEOUT));
}

TEST(SnmpMgrRequest, TakesAnAnswerToAnyTryOfTheRequest) {
    UdpAgent agent([](const Bytes& request, size_t index) -> std::vector<Bytes> {
        if (index == 0) return {};
        return {Response(RequestIdOf(request), {VarBind("1.3.6.1.4.1.32473.1", Int(7))})};
    });
    ScopedAgentPort port(agent.port());
    Session session("wombat", 50, 3);
    VarBinds list{kName};
    AsnInteger status = -1, index = -1;
    ASSERT_NE(SnmpMgrRequest(session.get(), SNMP_PDU_GET, list.get(), &status, &index), 0);
    EXPECT_EQ(agent.received().size(), 2u);
    EXPECT_EQ(list[0].value.asnValue.number, 7);
}

TEST(SnmpMgrRequest, DropsEveryReplyButTheWellFormedAnswerToItsRequest) {
    UdpAgent agent([](const Bytes& request, size_t) -> std::vector<Bytes> {
        Bytes id = RequestIdOf(request);
        Bytes otherId = id;
        otherId.back() ^= 0x01;
        Bytes right = Response(id, {VarBind("1.3.6.1.4.1.32473.1", Octets("right"))});
        Bytes cut(right.begin(), right.end() - 3);
        Bytes overlong = right;
        overlong[1] += 10;  // claims more than the datagram holds
        Bytes asRequest = right;
        asRequest[13] = 0xA0;  // a GET, not a response (tag after 30 L 02 01 00 04 06 "wombat")
        Bytes version2 = right;
        version2[4] = 0x01;  // SNMPv2c
        return {Response(otherId, {VarBind("1.3.6.1.4.1.32473.1", Octets("stale"))}), cut, overlong, asRequest, version2,
                Hex("00"), right};
    });
    ScopedAgentPort port(agent.port());
    Session session("wombat", 2000, 0);
    VarBinds list{kName};
    AsnInteger status = -1, index = -1;
    ASSERT_NE(SnmpMgrRequest(session.get(), SNMP_PDU_GET, list.get(), &status, &index), 0);
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(list[0].value.asnType, ASN_OCTETSTRING);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(list[0].value.asnValue.string.stream), list[0].value.asnValue.string.length),
              "right");
    EXPECT_EQ(status, 0);
}

TEST(SnmpMgrRequest, ReportsTheAgentsErrorAndHandsBackItsBindings) {
    UdpAgent agent([](const Bytes& request, size_t) -> std::vector<Bytes> {
        return {Response(RequestIdOf(request), {VarBind("1.3.6.1.4.1.32473.1", Null()), VarBind("1.3.6.1.4.1.32473.2", Null())},
                         SNMP_ERRORSTATUS_NOSUCHNAME, 2)};
    });
    ScopedAgentPort port(agent.port());
    Session session("wombat", 2000, 0);
    VarBinds list{kName, ".1.3.6.1.4.1.32473.2"};
    AsnInteger status = -1, index = -1;
    ASSERT_NE(SnmpMgrRequest(session.get(), SNMP_PDU_GET, list.get(), &status, &index), 0);
    EXPECT_EQ(status, SNMP_ERRORSTATUS_NOSUCHNAME);
    EXPECT_EQ(index, 2);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(Arcs(list[1].name), (std::vector<UINT>{1, 3, 6, 1, 4, 1, 32473, 2}));
    EXPECT_EQ(list[1].value.asnType, ASN_NULL);
}

TEST(SnmpMgrRequest, RefusesBadArguments) {
    AsnInteger status = 0, index = 0;
    VarBinds list{kName};
    EXPECT_EQ(SnmpMgrRequest(nullptr, SNMP_PDU_GET, list.get(), &status, &index), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(SNMP_MGMTAPI_INVALID_SESSION));
    EXPECT_EQ(SnmpMgrClose(nullptr), FALSE);

    UdpAgent agent;
    ScopedAgentPort port(agent.port());
    Session session("wombat", 10, 0);
    EXPECT_EQ(SnmpMgrRequest(session.get(), SNMP_PDU_RESPONSE, list.get(), &status, &index), 0);
    EXPECT_EQ(SnmpMgrRequest(session.get(), SNMP_PDU_GET, nullptr, &status, &index), 0);
    EXPECT_EQ(agent.received().size(), 0u);

    std::string community = "wombat", empty;
    EXPECT_EQ(SnmpMgrOpen(nullptr, community.data(), 10, 0), nullptr);
    EXPECT_EQ(SnmpMgrOpen(empty.data(), community.data(), 10, 0), nullptr);
    std::string agentAddress = "127.0.0.1";
    EXPECT_EQ(SnmpMgrOpen(agentAddress.data(), nullptr, 10, 0), nullptr);
    EXPECT_EQ(SnmpMgrOpen(agentAddress.data(), community.data(), -1, 0), nullptr);
}

// ---- against net-snmp's agent ----

class SnmpdTest : public ::testing::Test, protected SnmpdAgent {};

TEST_F(SnmpdTest, GetsValuesOfEveryKind) {
    if (!Start({"override .1.3.6.1.4.1.32473.1.1.0 integer -2", "override .1.3.6.1.4.1.32473.1.2.0 octet_str \"Thick 1\"",
                "override .1.3.6.1.4.1.32473.1.3.0 object_id .1.3.6.1.4.1.32473.9", "override .1.3.6.1.4.1.32473.1.4.0 uinteger 4000000000"})) return;
    Session session("wombat", 1000, 1);
    VarBinds list{".1.3.6.1.4.1.32473.1.1.0", ".1.3.6.1.4.1.32473.1.2.0", ".1.3.6.1.4.1.32473.1.3.0", ".1.3.6.1.4.1.32473.1.4.0"};
    AsnInteger status = -1, index = -1;
    ASSERT_NE(SnmpMgrRequest(session.get(), SNMP_PDU_GET, list.get(), &status, &index), 0);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].value.asnType, ASN_INTEGER);
    EXPECT_EQ(list[0].value.asnValue.number, -2);
    ASSERT_EQ(list[1].value.asnType, ASN_OCTETSTRING);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(list[1].value.asnValue.string.stream), list[1].value.asnValue.string.length),
              "Thick 1");
    ASSERT_EQ(list[2].value.asnType, ASN_OBJECTIDENTIFIER);
    EXPECT_EQ(Arcs(list[2].value.asnValue.object), (std::vector<UINT>{1, 3, 6, 1, 4, 1, 32473, 9}));
    EXPECT_EQ(list[3].value.asnType, ASN_GAUGE32);
    EXPECT_EQ(list[3].value.asnValue.gauge, 4000000000u);
}

TEST_F(SnmpdTest, AnswersNoSuchNameForAMissingObjectAndGetNextWalksOn) {
    if (!Start({"override .1.3.6.1.4.1.32473.1.1.0 integer 1", "override .1.3.6.1.4.1.32473.1.3.0 integer 3"})) return;
    Session session("wombat", 1000, 1);
    VarBinds missing{".1.3.6.1.4.1.32473.1.1.0", ".1.3.6.1.4.1.32473.1.2.0"};
    AsnInteger status = -1, index = -1;
    ASSERT_NE(SnmpMgrRequest(session.get(), SNMP_PDU_GET, missing.get(), &status, &index), 0);
    EXPECT_EQ(status, SNMP_ERRORSTATUS_NOSUCHNAME);
    EXPECT_EQ(index, 2);

    VarBinds next{".1.3.6.1.4.1.32473.1.1.0"};
    ASSERT_NE(SnmpMgrRequest(session.get(), SNMP_PDU_GETNEXT, next.get(), &status, &index), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Arcs(next[0].name), (std::vector<UINT>{1, 3, 6, 1, 4, 1, 32473, 1, 3, 0}));
    EXPECT_EQ(next[0].value.asnValue.number, 3);
}

TEST_F(SnmpdTest, AWrongCommunityGetsNoAnswer) {
    if (!Start({"override .1.3.6.1.4.1.32473.1.1.0 integer 1"})) return;
    Session session("public", 50, 1);
    VarBinds list{".1.3.6.1.4.1.32473.1.1.0"};
    AsnInteger status = -1, index = -1;
    EXPECT_EQ(SnmpMgrRequest(session.get(), SNMP_PDU_GET, list.get(), &status, &index), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(SNMP_MGMTAPI_TIMEOUT));
}

}  // namespace
