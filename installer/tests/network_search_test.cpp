// The network search against agents on 127.0.0.1 that the machine lists as printers of its
// network: a recording listener that answers by hand (right, wrong, malformed) and net-snmp's
// snmpd. The search's time-out runs on the machine's virtual clock.
#include <palvex/clock.h>
#include <palvex/network.h>

#include "dialog_network_prog.h"
#include "drv_data.h"
#include "installer_fixture.h"
#include "snmp_get_util.h"
#include "snmp_test_peers.h"

#include <win/commctrl.h>

namespace {

using namespace palvex::testing;
using pardex::testing::InstallerMachine;

constexpr char kModel[] = "Korvel Palvex QM410/QF410/QF380";
constexpr char kMib[] = "1.3.6.1.4.1.32473.1.205.1.1.1.0";

bool IsGetNext(const Bytes& request) { return request.size() > 7 && request.size() > 7u + request[6] && request[7 + request[6]] == 0xA1; }

// Answers the discovery with sysDescr and the GET of the MIB object with value.
UdpAgent::Responder Printer(const std::string& sysDescr, Bytes value = Int(3)) {
    return [sysDescr, value](const Bytes& request, size_t) -> std::vector<Bytes> {
        if (IsGetNext(request)) return {Response(RequestIdOf(request), {VarBind("1.3.6.1.2.1.1.1.0", Octets(sysDescr))})};
        return {Response(RequestIdOf(request), {VarBind(kMib, value)})};
    };
}

class NetworkSearch : public InstallerMachine {
protected:
    void SetUp() override {
        InstallerMachine::SetUp();
        INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
        InitCommonControlsEx(&controls);
        palvex::SetVirtualClock(SYSTEMTIME{2026, 12, 5, 11, 9, 0, 0, 0});
        palvex::SetNetworkAdapters({palvex::NetworkAdapter{"eth0", "Ethernet", {0, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}, 2, 6, {{"192.168.1.20", "255.255.255.0"}}}});
        // Short waits for the GETs that get no answer.
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSnmpSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
        const DWORD timeout = 200, retries = 0;
        RegSetValueExW(key, u"SNMP_TimeOut", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&timeout), 4);
        RegSetValueExW(key, u"SNMP_Retries", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&retries), 4);
        RegCloseKey(key);
    }

    // Runs the search dialog modally as the port page does; the user waits for its end.
    // With a picture path the user looks at the dialog first.
    INT_PTR Search(int timeout = 5, const char* picture = nullptr) {
        palvex::UserAction look, wait;
        wait.kind = palvex::UserAction::Wait;
        look.kind = palvex::UserAction::Picture;
        if (picture) look.path = std::filesystem::path(PARDEX_PICTURES) / picture;
        if (picture) palvex::QueueUserActions({look});
        palvex::QueueUserActions({wait});
        CDialogNetworkProg search;
        search.m_pDrvData = &m_settings;
        search.m_timeout = timeout;
        return search.DoModal();
    }

    std::vector<std::pair<std::string, std::string>> Found() {
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& [name, address] : m_settings.m_foundPrinters) found.emplace_back(palvex::ToUtf8(name), palvex::ToUtf8(address));
        return found;
    }

    CDrvData m_settings;
};

TEST_F(NetworkSearch, TheDiscoveryGoesToTheBroadcastsStandInAndAMatchingPrinterIsListed) {
    UdpAgent printer(Printer("Korvel Palvex QM410"));
    UdpAgent elsewhere(Printer("Korvel Palvex QM410"));  // on another network: no broadcast reaches it
    palvex::SetNetworkAgents({{"192.168.1.50", printer.port()}, {"10.0.0.7", elsewhere.port()}});
    ASSERT_TRUE(m_settings.Init(AfxGetResourceHandle()));  // the dialog's font and texts
    EXPECT_EQ(Search(5, "pardex-networkprog.png"), 0);
    EXPECT_EQ(Found(), (std::vector<std::pair<std::string, std::string>>{{kModel, "192.168.1.50"}}));
    const auto received = printer.received();
    ASSERT_EQ(received.size(), 2u);  // the discovery, then the GET of the MIB object
    Bytes masked = received[0];
    ASSERT_EQ(masked.size(), 40u);
    masked[17] = masked[18] = 0;
    EXPECT_EQ(masked, Hex("30 26 02 01 00 04 06 77 6F 6D 62 61 74 A1 19 02 02 00 00 02 01 00 02 01 00 30 0D 30 0B"
                          "06 07 2B 06 01 02 01 01 01 05 00"));
    EXPECT_TRUE(elsewhere.received().empty());
}

TEST_F(NetworkSearch, OnlyExactPatternsAndPrintersThatAnswerTheObjectAreListed) {
    struct Case {
        const char* name;
        UdpAgent::Responder responder;
        bool listed;
    } cases[] = {
        {"exact", Printer("Korvel Palvex QF380"), true},
        {"long sysDescr", Printer(std::string(200, 'Z')), false},
        {"letter case differs", Printer("korvel palvex QM410"), false},
        {"object without a value", Printer("Korvel Palvex QM410", Null()), false},
        {"no answer to the GET",
         [](const Bytes& request, size_t) -> std::vector<Bytes> {
             if (!IsGetNext(request)) return {};
             return {Response(RequestIdOf(request), {VarBind("1.3.6.1.2.1.1.1.0", Octets("Korvel Palvex QM410"))})};
         },
         false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        UdpAgent printer(c.responder);
        palvex::SetNetworkAgents({{"192.168.1.77", printer.port()}});
        EXPECT_EQ(Search(), 0);
        EXPECT_EQ(Found().size(), c.listed ? 1u : 0u);
    }
}

TEST_F(NetworkSearch, MalformedAndCutRepliesAreIgnored) {
    const Bytes good = Response(Hex("00 00"), {VarBind("1.3.6.1.2.1.1.1.0", Octets("Korvel Palvex QM410"))});
    UdpAgent noisy([&](const Bytes& request, size_t) -> std::vector<Bytes> {
        if (!IsGetNext(request)) return {Response(RequestIdOf(request), {VarBind(kMib, Int(3))})};
        std::vector<Bytes> replies = {Hex("30 84 FF FF FF FF"), Hex("30 0C 06 07 2B 06 01 02 01 01 01 04 83 FF FF FF"), Hex("04"), {}};
        for (size_t cut = 1; cut < good.size(); cut += 7) replies.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        replies.push_back(Bytes(2000, 0x30));  // longer than the reader's buffer
        return replies;
    });
    palvex::SetNetworkAgents({{"192.168.1.60", noisy.port()}});
    EXPECT_EQ(Search(), 0);
    EXPECT_TRUE(Found().empty());
}

TEST_F(NetworkSearch, NoAdapterAddressAndTheLimitedBroadcast) {
    palvex::SetNetworkAdapters({});
    EXPECT_EQ(Search(), -2);

    palvex::SetNetworkAdapters({palvex::NetworkAdapter{"eth0", "Ethernet", {0, 1, 2, 3, 4, 5}, 2, 6, {}}});  // 0.0.0.0/0.0.0.0
    std::vector<std::u16string> targets;
    EXPECT_TRUE(CDialogNetworkProg::GetBroadcastAddresses(targets));
    EXPECT_EQ(targets, std::vector<std::u16string>{u"255.255.255.255"});
    UdpAgent printer(Printer("Korvel Palvex QM410"));
    palvex::SetNetworkAgents({{"172.16.5.5", printer.port()}});
    EXPECT_EQ(Search(), 0);
    EXPECT_EQ(Found(), (std::vector<std::pair<std::string, std::string>>{{kModel, "172.16.5.5"}}));
}

TEST_F(NetworkSearch, TheResponseDumpAtLogLevelThree) {
    SetPardexKey("Setup", "LOGLEVEL", "3");
    ASSERT_TRUE(m_settings.Init(AfxGetResourceHandle()));  // opens the log at LOGLEVEL
    std::vector<BYTE> bytes(18);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(i);
    DumpResponseData(&m_settings, bytes.data(), bytes.size());
    m_settings.m_log.Close();
    const std::string log = ReadLog();
    EXPECT_NE(log.find("[LV3] 0x00,0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0a,0x0b,0x0c,0x0d,0x0e,0x0f,\r\n"), std::string::npos);
    EXPECT_NE(log.find("[LV3] 0x10,0x11,\r\n"), std::string::npos);
    EXPECT_NE(log.find("[LV3] --------\r\n"), std::string::npos);
}

TEST_F(NetworkSearch, SnmpGetAnswersTheTypeOfTheValue) {
    Bytes asked;
    UdpAgent printer([&](const Bytes& request, size_t) -> std::vector<Bytes> {
        asked = request;
        return {Response(RequestIdOf(request), {VarBind("1.3.6.1.2.1.43.15.1.1.2.1.1", Int(47))})};
    });
    palvex::SetNetworkAgents({{"192.168.1.50", printer.port()}});
    EXPECT_EQ(SnmpGet(u"", u"192.168.1.50"), ASN_INTEGER);
    // The default object: prtInterpreterLangFamily.1.1, asked with the community "wombat".
    const Bytes oid = Oid("1.3.6.1.2.1.43.15.1.1.2.1.1");
    EXPECT_NE(std::search(asked.begin(), asked.end(), oid.begin(), oid.end()), asked.end());
    const Bytes community = Octets("wombat");
    EXPECT_NE(std::search(asked.begin(), asked.end(), community.begin(), community.end()), asked.end());

    EXPECT_EQ(SnmpGet(u"1.3.x.1", u"192.168.1.50"), 0);  // no valid identifier: nothing sent
    EXPECT_EQ(printer.received().size(), 1u);
    EXPECT_EQ(SnmpGet(u"", u""), 0);
    EXPECT_EQ(SnmpGet(u"", u"192.168.1.99"), 0);  // not on the network
}

TEST_F(NetworkSearch, APrinterAnsweredBySnmpd) {
    if (Snmpd::Program().empty()) GTEST_SKIP() << "net-snmp's snmpd is not installed (scripts/setup.sh installs it)";
    Snmpd snmpd({"sysdescr Korvel Palvex QF410", std::string("override .") + kMib + " octet_str \"Palvex\""});
    ASSERT_TRUE(snmpd.running()) << snmpd.error();
    palvex::SetNetworkAgents({{"192.168.1.40", snmpd.port()}});
    EXPECT_EQ(Search(), 0);
    EXPECT_EQ(Found(), (std::vector<std::pair<std::string, std::string>>{{kModel, "192.168.1.40"}}));
}

}  // namespace
