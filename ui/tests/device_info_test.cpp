// The device record and the device page's rules: trays from printer data, the record list, the
// tray query against snmpd, Apply's printer data ("PrinterInputTrayInfos", "printMediaReady")
// and what a cancelled sheet leaves behind.
#include <array>
#include <cstring>

#include <palvex/message_box.h>
#include <palvex/network.h>
#include <win/commctrl.h>

#include "device_sheet.h"
#include "module_state.h"
#include "options/device_info_controls.h"
#include "options/device_info_handlers.h"
#include "snmp_test_peers.h"
#include "spooler_forms.h"

inline bool operator==(const TRAYINFO& a, const TRAYINFO& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }
inline std::ostream& operator<<(std::ostream& out, const TRAYINFO& t) {
    return out << "{" << t.inputType << ", " << t.paperSizeIndex << ", " << t.feedSize << ", " << t.crossFeedSize << ", "
               << t.mediaIndex << "}";
}

namespace uitest {
namespace {

using Trays = std::array<TRAYINFO, 4>;
using namespace palvex::testing;

Trays TraysOf(const TRAYINFO (&table)[4]) {
    Trays trays;
    std::memcpy(trays.data(), table, sizeof table);
    return trays;
}

std::vector<BYTE> TableBytes(const Trays& trays, size_t size = 80) {
    std::vector<BYTE> bytes(sizeof(Trays));
    std::memcpy(bytes.data(), trays.data(), bytes.size());
    bytes.resize(size);
    return bytes;
}

std::vector<BYTE> MultiSz(const std::u16string& list) {
    std::vector<BYTE> bytes(list.size() * sizeof(char16_t));
    std::memcpy(bytes.data(), list.data(), bytes.size());
    return bytes;
}

const Trays kDefaultA4 = {{{4, 3, 0, 0, 0}, {0, 3, 0, 0, 0}, {0, 3, 0, 0, 0}, {5, 3, 0, 0, 0}}};

// ---- the record and the list, without a sheet ----

class DeviceRecordTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
    }
    void TearDown() override {
        m_handle.reset();
        UiTest::TearDown();
    }
    HANDLE Printer() {
        if (!m_handle) m_handle = std::make_unique<PrinterHandle>();
        return m_handle->get();
    }
    std::unique_ptr<PrinterHandle> m_handle;
};

TEST_F(DeviceRecordTest, TraysComeFromPrinterDataOrTheMarketsDefaults) {
    const Trays stored = {{{4, 4, 279400, 215900, 0}, {3, 7, 420000, 297000, 1}, {3, 2, 1, 2, 3}, {5, 9, 1, 2, 0}}};
    struct Case {
        const char* what;
        int market;  // -1: no "Market"
        std::vector<BYTE> value;  // empty: no stored trays
        Trays trays;
    } cases[] = {
        {"nothing stored, no market: A4", -1, {}, kDefaultA4},
        {"market 1041: A4", 1041, {}, kDefaultA4},
        {"market 1033: Letter", 1033, {}, {{{4, 4, 0, 0, 0}, {0, 4, 0, 0, 0}, {0, 4, 0, 0, 0}, {5, 4, 0, 0, 0}}}},
        {"a whole table", 1033, TableBytes(stored), stored},
        {"40 bytes: trays 1 and 2, the rest zero", 1041, TableBytes(stored, 40), {{stored[0], stored[1], {}, {}}}},
        {"84 bytes: the defaults", 1041, TableBytes(stored, 84), kDefaultA4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrinterHandle admin;
        DeletePrinterDataExW(admin.get(), u"PrinterDriverData", u"Market");
        DeletePrinterDataExW(admin.get(), u"PrinterDriverData", kTrayInfosValue);
        if (c.market >= 0) SetPrinterNumber(u"Market", static_cast<DWORD>(c.market));
        if (!c.value.empty()) SetPrinterValue(kTrayInfosValue, REG_BINARY, c.value);
        QVDevinfoData* record = PrepareDevinfoData(Printer(), kPrinter);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(TraysOf(record->m_stored), c.trays);
        EXPECT_EQ(TraysOf(record->m_working), c.trays);
    }
}

TEST_F(DeviceRecordTest, ARecordBelongsToItsHandleAndPrinter) {
    HANDLE handle = Printer();
    QVDevinfoData* record = PrepareDevinfoData(handle, kPrinter);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(PrepareDevinfoData(handle, kPrinter), record);  // prepared again: the same record, reloaded
    EXPECT_EQ(FindDevinfoData(handle, kPrinter), record);
    EXPECT_EQ(FindDevinfoData(handle, u"Other Printer"), nullptr);
    EXPECT_EQ(FindDevinfoData(reinterpret_cast<HANDLE>(0x1234), kPrinter), nullptr);

    // The spooler hands the handle value out again for another printer: the first printer's typed
    // address never reaches it, and the list does not grow.
    std::memcpy(record->m_typedAddress, u"10.0.0.1", 18);
    record->m_addressChanged = 1;
    QVDevinfoData* other = PrepareDevinfoData(handle, u"Other Printer");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->m_typedAddress[0], 0);
    EXPECT_EQ(other->m_addressChanged, 0u);
    EXPECT_EQ(FindDevinfoData(handle, kPrinter), nullptr);
    int nodes = 0;
    for (ui::DeviceDataNode* node = ui::DeviceDataList(); node; node = node->m_next) ++nodes;
    EXPECT_EQ(nodes, 1);
}

TEST_F(DeviceRecordTest, OptionalTraysCountTrays2And3OfTheWorkingTable) {
    QVDevinfoData* record = PrepareDevinfoData(Printer(), kPrinter);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(CountOptionalTrays(Printer(), kPrinter), 0u);
    record->m_working[kTray2].inputType = kInputOptionalTray;
    EXPECT_EQ(CountOptionalTrays(Printer(), kPrinter), 1u);
    record->m_working[kTray3].inputType = kInputOptionalTray;
    record->m_working[kManualFeed].inputType = kInputNone;  // not an optional tray
    EXPECT_EQ(CountOptionalTrays(Printer(), kPrinter), 2u);
    EXPECT_EQ(CountOptionalTrays(nullptr), 0u);
}

TEST_F(DeviceRecordTest, ACustomSizeIsNamedByTheFormThisDriverRegistered) {
    RegisterCustomMedia(u"Foreign", {120000, 150000}, std::nullopt);  // not marked
    RegisterCustomMedia(u"Unmarked", {130000, 150000}, 0);
    RegisterCustomMedia(u"CardX", {100000, 148000});
    WCHAR name[40];
    struct Case {
        const char* what;
        DWORD capacity;
        LONG size1, size2;
        const char16_t* found;  // null: none
    } cases[] = {
        {"as registered", 32, 100000, 148000, u"CardX"},
        {"turned", 32, 148000, 100000, u"CardX"},
        {"a form of another driver", 32, 120000, 150000, nullptr},
        {"marked 0", 32, 130000, 150000, nullptr},
        {"no size", 32, 0, 0, nullptr},
        {"a buffer below 32 characters", 31, 100000, 148000, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        name[0] = u'?';
        EXPECT_EQ(FindCustomMediaFormName(Printer(), name, c.capacity, c.size1, c.size2), c.found ? 1 : 0);
        if (c.found) {
            EXPECT_EQ(std::u16string(name), c.found);
        }
    }
}

// ---- the sheet: Apply and the printer data it writes ----

class DeviceApplyTest : public DeviceSheetTest {};

TEST_F(DeviceApplyTest, DefaultTraysPublishTheirPaperAndStoreNoTable) {
    struct Case {
        const char* what;
        int market;
        std::u16string published;
    } cases[] = {
        {"no market", -1, std::u16string(u"A4\0\0", 4)},
        {"market 1033", 1033, std::u16string(u"Letter\0\0", 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.market >= 0) SetPrinterNumber(u"Market", static_cast<DWORD>(c.market));
        OpenSheet();
        const DWORD before = GetTickCount();
        Apply();
        EXPECT_EQ(GetTickCount() - before, 1000u);  // the pause after Apply, on the machine's clock
        EXPECT_FALSE(HasData(u"PrinterDriverData", kTrayInfosValue));
        DWORD type = 0;
        EXPECT_EQ(Data(u"DsDriver", u"printMediaReady", &type), MultiSz(c.published));
        EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
        CloseSheet();
    }
    // The bytes of the first case, as the directory service reads them.
    SetPrinterNumber(u"Market", 1041);
    OpenSheet();
    Apply();
    EXPECT_EQ(Data(u"DsDriver", u"printMediaReady"), (std::vector<BYTE>{0x41, 0, 0x34, 0, 0, 0, 0, 0}));
}

TEST_F(DeviceApplyTest, PublishedNamesFollowTheStoredTrays) {
    const Trays stored = {{{4, 4, 279400, 215900, 0}, {3, 7, 420000, 297000, 1}, {3, 2, 1, 2, 3}, {5, 9, 1, 2, 0}}};
    struct Case {
        const char* what;
        std::vector<BYTE> value;
        std::u16string published;
    } cases[] = {
        {"40 bytes: trays 1 and 2", TableBytes(stored, 40), std::u16string(u"Letter\0A3\0\0", 11)},
        {"the same size twice is named once",
         TableBytes({{{4, 3, 0, 0, 0}, {3, 3, 0, 0, 0}, {0, 2, 0, 0, 0}, {5, 9, 1, 1, 0}}}),
         std::u16string(u"A4\0不定形サイズ\0\0", 11)},
        {"a size the table lacks names nothing", TableBytes({{{4, 12, 0, 0, 0}, {3, 6, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}}),
         std::u16string(u"B4\0\0", 4)},
        {"no tray at all: the empty list", TableBytes({}), std::u16string(u"\0", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetPrinterValue(kTrayInfosValue, REG_BINARY, c.value);
        OpenSheet();
        Apply();
        EXPECT_EQ(Data(u"DsDriver", u"printMediaReady"), MultiSz(c.published));
        EXPECT_EQ(Data(u"PrinterDriverData", kTrayInfosValue), c.value);  // unchanged trays: not written again
        CloseSheet();
    }
}

TEST_F(DeviceApplyTest, AFailedTableWriteIsTriedAgainOnTheNextApply) {
    OpenSheet();
    Record()->m_working[kTray2] = TRAYINFO{3, 6, 364000, 257000, 0};
    RefuseData("PRINTERINPUTTRAYINFOS");
    Apply();
    EXPECT_FALSE(HasData(u"PrinterDriverData", kTrayInfosValue));
    // The stored table is still what printer data holds, and so is the published list.
    EXPECT_EQ(TraysOf(Record()->m_stored), kDefaultA4);
    EXPECT_EQ(Data(u"DsDriver", u"printMediaReady"), MultiSz(std::u16string(u"A4\0\0", 4)));

    AllowData();
    Apply();
    Trays expected = kDefaultA4;
    expected[kTray2] = TRAYINFO{3, 6, 364000, 257000, 0};
    EXPECT_EQ(Data(u"PrinterDriverData", kTrayInfosValue), TableBytes(expected));
    EXPECT_EQ(Data(u"DsDriver", u"printMediaReady"), MultiSz(std::u16string(u"A4\0B4\0\0", 7)));
}

TEST_F(DeviceApplyTest, AnAddressThatCouldNotBeStoredIsStoredOnTheNextApply) {
    OpenSheet();
    std::memcpy(Record()->m_typedAddress, u"192.168.1.9", 24);
    Record()->m_addressChanged = 1;
    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    Apply();
    EXPECT_FALSE(HasData(u"PrinterDriverData", u"PrinterIPaddr"));
    EXPECT_EQ(Record()->m_addressChanged, 1u);
    palvex::SetPrinterDeniedAccess(kPrinter, 0);
    Apply();
    EXPECT_EQ(Data(u"PrinterDriverData", u"PrinterIPaddr"), Utf16Bytes(u"192.168.1.9"));
    EXPECT_EQ(Record()->m_addressChanged, 0u);
}

TEST_F(DeviceApplyTest, TheTrayPopupsOkTakesItsRowsIntoTheRecordAndThePage) {
    OpenSheet();
    HWND page = OpenPage(25000);
    HWND popup = OpenPopup(25200);
    HWND rows = GetDlgItem(popup, 25201);
    const struct {
        const char16_t* size;
        const char16_t* media;
    } typed[] = {{u"B5", u"厚紙1"}, {u"A3", u"OHP"}, {u"no such size", u"no such media"}, {u"Letter", u"厚紙2"}};
    for (int row = 0; row < 4; ++row) {
        SetRowText(rows, row, 1, typed[row].size);
        SetRowText(rows, row, 2, typed[row].media);
    }
    m_factory->OnOK(popup);
    const Trays expected = {{{4, 2, 0, 0, 1}, {0, 7, 0, 0, 3}, {0, 3, 0, 0, 0}, {5, 4, 0, 0, 2}}};
    EXPECT_EQ(TraysOf(Record()->m_working), expected);
    EXPECT_EQ(TraysOf(Record()->m_stored), kDefaultA4);  // until Apply
    WCHAR text[64];
    RowText(GetDlgItem(page, 25181), 3, 2, text, 64);
    EXPECT_EQ(std::u16string(text), u"厚紙2");
}

// ---- the tray query ----

const char kEnterprise[] = "override .1.3.6.1.4.1.32473.1.205.1.1.1.0 octet_str \"Palvex QX500\"";

std::vector<std::string> Input(int index, int type, const char* media, long feed, long cross) {
    const std::string row = ".1." + std::to_string(index);
    std::vector<std::string> lines = {"override .1.3.6.1.2.1.43.8.2.1.2" + row + " integer " + std::to_string(type),
                                      "override .1.3.6.1.2.1.43.8.2.1.4" + row + " integer " + std::to_string(feed),
                                      "override .1.3.6.1.2.1.43.8.2.1.5" + row + " integer " + std::to_string(cross)};
    if (media) lines.push_back("override .1.3.6.1.2.1.43.8.2.1.12" + row + " octet_str \"" + media + "\"");
    return lines;
}

// A4 plain in tray 1, B5 thick 1 in tray 2, tray 3 without a media name (answered as not
// installed) and a 148 x 100 mm card in the manual feed.
std::vector<std::string> Printer(const char* tray2Media = "Thick 1", const char* enterprise = kEnterprise) {
    std::vector<std::string> lines = {enterprise};
    for (auto input : {Input(1, 4, "Plain", 297000, 210000), Input(2, 3, tray2Media, 257000, 182000),
                       Input(3, 3, nullptr, 182000, 257000), Input(5, 5, "Plain", 148000, 100000)})
        lines.insert(lines.end(), input.begin(), input.end());
    return lines;
}

class DeviceQueryTest : public DeviceSheetTest {
protected:
    void SetUp() override {
        DeviceSheetTest::SetUp();
        palvex::ResetMessageBoxScript();
        // The typed address, mapped by the machine to the agent of the test.
        SetStoredSetting(u"_QV_GETCONF_SOURCE", 1, 1);
        SetPrinterValue(u"PrinterIPaddr", REG_SZ, Utf16Bytes(u"192.168.0.10"));
    }
    void TearDown() override {
        palvex::SetNetworkAgents({});
        DeviceSheetTest::TearDown();
    }
    void Start(const std::vector<std::string>& lines) {
        if (Snmpd::Program().empty()) GTEST_SKIP() << "net-snmp's snmpd is not installed (scripts/setup.sh installs it)";
        m_snmpd = std::make_unique<Snmpd>(lines);
        ASSERT_TRUE(m_snmpd->running()) << m_snmpd->error();
        palvex::SetNetworkAgents({{"192.168.0.10", m_snmpd->port()}});
    }
    // The texts of the message boxes shown since the last call.
    std::vector<std::u16string> Messages() {
        std::vector<std::u16string> texts;
        for (const auto& box : palvex::TakeMessageBoxRecords()) texts.push_back(box.text);
        return texts;
    }
    void PushAsk() { Handler(25104)->RouteNotify(25104, 0, 0); }

    std::unique_ptr<Snmpd> m_snmpd;
};

TEST_F(DeviceQueryTest, AnAcceptedAnswerBecomesTheTraysThatApplyStores) {
    Start(Printer());
    OpenSheet();
    OpenPage(25000);
    Messages();
    PushAsk();
    // The optional trays changed: the once-only note follows.
    EXPECT_EQ(Messages(), (std::vector<std::u16string>{
                              u"装置情報の取得に成功しました。",
                              u"[OK]ボタン、もしくは[適用]ボタンを押してから\nプロパティを閉じると設定が反映されます。"}));
    // Tray 3 answered as not installed keeps the page's size and media.
    const Trays answered = {{{4, 3, 297000, 210000, 0}, {3, 2, 257000, 182000, 1}, {0, 3, 0, 0, 0}, {5, 9, 148000, 100000, 0}}};
    EXPECT_EQ(TraysOf(Record()->m_working), answered);
    EXPECT_EQ(SheetSetting(u"_OPTSOURCE", 2), 2u);  // one optional tray
    EXPECT_EQ(StoredSetting(u"_OPTSOURCE", 2), 1u);  // not before Apply

    Apply();
    EXPECT_EQ(Data(u"PrinterDriverData", kTrayInfosValue),
              (std::vector<BYTE>{
                  0x04, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x28, 0x88, 0x04, 0x00, 0x50, 0x34, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00,
                  0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0xE8, 0xEB, 0x03, 0x00, 0xF0, 0xC6, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00,
                  0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                  0x05, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x20, 0x42, 0x02, 0x00, 0xA0, 0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Data(u"DsDriver", u"printMediaReady"), MultiSz(std::u16string(u"A4\0B5\0不定形サイズ\0\0", 14)));
    EXPECT_EQ(StoredSetting(u"_OPTSOURCE", 2), 2u);

    // With a form this driver registered for the card's size, the card is published by its name.
    RegisterCustomMedia(u"CardX", {100000, 148000});
    Apply();
    EXPECT_EQ(Data(u"DsDriver", u"printMediaReady"), MultiSz(std::u16string(u"A4\0B5\0CardX\0\0", 13)));
}

TEST_F(DeviceQueryTest, AFailedOrRejectedQueryChangesNothing) {
    struct Case {
        const char* what;
        std::vector<std::string> printer;
        std::u16string message;
    } cases[] = {
        {"tray 2 holds a media the driver does not know", Printer("Glossy"),
         u"不正な装置情報を取得しました。\nプリンター本体の設定を確認してください。"},
        {"the printer is not one of ours", Printer("Thick 1", "override .1.3.6.1.4.1.32473.1.205.1.1.1.0 integer 1"),
         u"装置情報の取得に失敗しました。\nプリンタプロパティのポートの設定が正しいか、または\n[取得設定]を確認してください。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start(c.printer);
        OpenSheet();
        OpenPage(25000);
        Messages();
        PushAsk();
        EXPECT_EQ(Messages(), std::vector<std::u16string>{c.message});
        EXPECT_EQ(TraysOf(Record()->m_working), kDefaultA4);
        Apply();
        EXPECT_FALSE(HasData(u"PrinterDriverData", kTrayInfosValue));
        CloseSheet();
        m_snmpd.reset();
    }
}

TEST_F(DeviceQueryTest, TheQueryMatchesSizesInTheMarketsLanguage) {
    // Statement in tray 2: a tray size in the US, in Japan only a manual-feed size. The agent only
    // knows the library's own community, so every answer also shows that none was given.
    std::vector<std::string> printer = {kEnterprise};
    for (auto input : {Input(1, 4, "Plain", 297000, 210000), Input(2, 3, "Plain", 215900, 139700),
                       Input(3, 3, nullptr, 182000, 257000), Input(5, 5, "Plain", 297000, 210000)})
        printer.insert(printer.end(), input.begin(), input.end());
    struct Case {
        const char* what;
        int market;  // -1: none, which asks in Japanese
        std::u16string message;
        LONG tray2Size;
    } cases[] = {
        {"no market", -1, u"不正な装置情報を取得しました。\nプリンター本体の設定を確認してください。", 3},
        {"market 1041", 1041, u"不正な装置情報を取得しました。\nプリンター本体の設定を確認してください。", 3},
        {"market 1033", 1033, u"装置情報の取得に成功しました。", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrinterHandle admin;
        DeletePrinterDataExW(admin.get(), u"PrinterDriverData", u"Market");
        if (c.market >= 0) SetPrinterNumber(u"Market", static_cast<DWORD>(c.market));
        Start(printer);
        OpenSheet();
        OpenPage(25000);
        Messages();
        PushAsk();
        const std::vector<std::u16string> shown = Messages();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown[0], c.message);
        EXPECT_EQ(Record()->m_working[kTray2].paperSizeIndex, c.tray2Size);
        CloseSheet();
        m_snmpd.reset();
    }
}

TEST_F(DeviceQueryTest, AnAddressTheDriverMayNotUseIsNeverAsked) {
    // An agent that records every datagram: no query may reach it.
    UdpAgent agent([](const Bytes&, size_t) { return std::vector<Bytes>{}; });
    ScopedAgentPort loopback(agent.port());
    for (const char16_t* address : {u"127.0.0.1", u"0.1.2.3", u"224.0.0.1", u"printer.local"}) {
        SCOPED_TRACE(std::string(address, address + std::char_traits<char16_t>::length(address)));
        SetPrinterValue(u"PrinterIPaddr", REG_SZ, Utf16Bytes(address));
        palvex::SetNetworkAgents({{"0.1.2.3", agent.port()}, {"224.0.0.1", agent.port()}});
        OpenSheet();
        OpenPage(25000);
        Messages();
        PushAsk();
        EXPECT_EQ(Messages().size(), 1u);  // 33302
        CloseSheet();
    }
    EXPECT_TRUE(agent.received().empty());
}

TEST_F(DeviceQueryTest, TheAutomaticQueryRunsOncePerPageAndOnlyWithFullAccess) {
    SetStoredSetting(u"_QV_GETCONF_AUTO", 1, 1);
    // A printer that answers the first request with a value of the wrong type: the query fails at
    // once, so every further try would show as another datagram.
    UdpAgent agent([](const Bytes& request, size_t) {
        if (request.size() < 16) return std::vector<Bytes>{};
        Bytes reply = request;
        reply[13] = 0xA2;
        return std::vector<Bytes>{reply};
    });
    palvex::SetNetworkAgents({{"192.168.0.10", agent.port()}});
    struct Case {
        const char* what;
        DWORD access;
        size_t datagrams;
    } cases[] = {{"full access", 2, 1}, {"no full access", 1, 0}, {"the driver ini locked", 4, 0}};
    size_t seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenSheet(c.access);
        OpenPage(25000);  // every item of the page hears that it opened
        EXPECT_EQ(m_rules->Queried(), 0u);
        EXPECT_EQ(agent.received().size() - seen, c.datagrams);
        seen = agent.received().size();
        EXPECT_TRUE(Messages().empty());  // the automatic query reports nothing
        CloseSheet();
    }
}

TEST_F(DeviceQueryTest, ACancelledSheetLeavesTheSettingsAndTheTraysAsTheyWere) {
    Start(Printer());
    SetStoredSetting(u"_QV_GETCONF_AUTO", 1, 1);
    OpenSheet();
    OpenPage(25000);
    EXPECT_EQ(m_rules->Queried(), 1u);
    EXPECT_EQ(SheetSetting(u"_OPTSOURCE", 2), 2u);
    CloseSheet();  // Cancel
    EXPECT_EQ(StoredSetting(u"_OPTSOURCE", 2), 1u);
    EXPECT_FALSE(HasData(u"PrinterDriverData", kTrayInfosValue));
    // The next sheet starts from the stored trays again.
    OpenSheet(1);
    EXPECT_EQ(TraysOf(Record()->m_working), kDefaultA4);
}

TEST_F(DeviceQueryTest, ATypedAddressIsStoredOnApplyAndForgottenOnCancel) {
    OpenSheet();
    HWND popup = OpenPopup(25300);
    SetWindowTextW(GetDlgItem(popup, 25305), u"192.168.7.7");
    m_factory->OnOK(popup);
    m_factory->EndPushLevel(FALSE);
    EXPECT_EQ(std::u16string(Record()->m_typedAddress), u"192.168.7.7");
    CloseSheet();  // Cancel: nothing reaches printer data, and the next sheet has no typed address
    EXPECT_EQ(Data(u"PrinterDriverData", u"PrinterIPaddr"), Utf16Bytes(u"192.168.0.10"));
    OpenSheet();
    EXPECT_EQ(Record()->m_typedAddress[0], 0);
    EXPECT_EQ(Record()->m_addressChanged, 0u);

    popup = OpenPopup(25300);
    SetWindowTextW(GetDlgItem(popup, 25305), u"192.168.7.8");
    m_factory->OnOK(popup);
    m_factory->EndPushLevel(FALSE);
    Apply();
    EXPECT_EQ(Data(u"PrinterDriverData", u"PrinterIPaddr"), Utf16Bytes(u"192.168.7.8"));
    EXPECT_EQ(Record()->m_addressChanged, 0u);
}

// ---- the page's other rules ----

class DevicePageTest : public DeviceSheetTest {};

TEST_F(DevicePageTest, TheDeviceOptionChoiceSetsTheOptionalTrays) {
    OpenSheet();
    HWND page = OpenPage(25000);
    HWND list = GetDlgItem(page, 25101);
    SelectRow(list, 0);
    struct Case {
        LONG choice;
        LONG tray2, tray3;
        WORD source;
    } cases[] = {{2, 3, 3, 3}, {1, 3, 0, 2}, {0, 0, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        Handler(25103)->SetCurSel(c.choice, nullptr);
        EXPECT_EQ(Record()->m_working[kTray2].inputType, c.tray2);
        EXPECT_EQ(Record()->m_working[kTray3].inputType, c.tray3);
        EXPECT_EQ(SheetSetting(u"_OPTSOURCE", 2), c.source);
        WCHAR text[64];
        RowText(list, 0, 1, text, 64);
        EXPECT_EQ(std::u16string(text), std::u16string(Handler(25103)->GetSelText(nullptr)));
        EXPECT_EQ(RowImage(GetDlgItem(page, 25181), 1), c.tray2 ? 1 : 0);
    }
}

TEST_F(DevicePageTest, ARowOfTheDeviceOptionsListOffersItsOwnChoices) {
    OpenSheet();
    HWND page = OpenPage(25000);
    HWND list = GetDlgItem(page, 25101);
    SetRowText(list, 0, 1, u"トレイ1＋トレイ2");
    SetRowText(list, 1, 1, u"あり");
    QORVAOptItemHandler* choice = Handler(25103);
    struct Case {
        int row;
        std::vector<bool> shown;
        LONG selected;
    } cases[] = {{0, {true, true, true, false}, 1}, {1, {false, false, false, true}, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        SelectRow(list, c.row);
        Handler(25101)->RouteNotify(25101, 0, 0);
        for (LONG i = 0; i < 4; ++i) EXPECT_EQ((choice->GetOptionFlags(i) & OPTPF_HIDE) == 0, c.shown[i]) << i;
        EXPECT_EQ(choice->GetSel(), c.selected);
    }
    // Choosing a row only shows its value: the trays and the setting stay.
    EXPECT_EQ(Record()->m_working[kTray2].inputType, kInputNone);
    EXPECT_EQ(SheetSetting(u"_OPTSOURCE", 2), 1u);
}

TEST_F(DevicePageTest, ARowOfTheTrayPopupSelectsItsSizeAndMediaAndTheirChangesGoBackToIt) {
    OpenSheet();
    HWND popup = OpenPopup(25200);
    HWND list = GetDlgItem(popup, 25201);
    SetRowText(list, 1, 1, u"A3");
    SetRowText(list, 1, 2, u"OHP");
    SelectRow(list, 1);
    Handler(25201)->RouteNotify(25201, 0, 0);
    EXPECT_EQ(Handler(25203)->GetSel(), 7);  // A3
    EXPECT_EQ(Handler(25205)->GetSel(), 3);  // OHP
    Handler(25203)->SetCurSel(3, nullptr);   // A4
    Handler(25205)->SetCurSel(1, nullptr);
    WCHAR text[64];
    RowText(list, 1, 1, text, 64);
    EXPECT_EQ(std::u16string(text), u"A4");
    RowText(list, 1, 2, text, 64);
    EXPECT_EQ(std::u16string(text), u"厚紙1");
}

TEST_F(DevicePageTest, OpeningAPageLetsTheElevationButtonShowItsState) {
    OpenSheet();
    Handler(9353)->SetStateBits(0x1FF);
    OpenPage(25000);
    EXPECT_EQ(Handler(9353)->StateBits(), 0x100u);
}

TEST_F(DevicePageTest, TheDefaultsButtonEmptiesAndDisablesTheAddress) {
    OpenSheet();
    HWND popup = OpenPopup(25300);
    HWND edit = GetDlgItem(popup, 25305);
    Handler(25303)->SetCurSel(1, nullptr);
    EXPECT_TRUE(IsWindowEnabled(edit));
    SetWindowTextW(edit, u"10.0.0.9");
    Handler(25301)->SetCurSel(1, nullptr);
    Handler(25308)->RouteNotify(25308, 0, 0);
    EXPECT_EQ(Handler(25301)->GetSel(), 0);
    EXPECT_EQ(Handler(25303)->GetSel(), 0);
    EXPECT_EQ(GetWindowTextLengthW(edit), 0);
    EXPECT_FALSE(IsWindowEnabled(edit));
}

TEST_F(DevicePageTest, UserTrackingEnablesItsButtonFromTheCheckBox) {
    struct Case {
        const char* what;
        DWORD access, readOnly;
        bool checked;
        bool buttonDisabled, labelEnabled;
    } cases[] = {
        {"checked", 2, 0, true, false, true},
        {"unchecked, full access: the label stays", 2, 0, false, true, true},
        {"unchecked, no full access", 1, 0, false, true, false},
        {"read-only", 2, 1, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenSheet(c.access, c.readOnly);
        HWND page = OpenPage(25000);
        CheckDlgButton(page, 1145, c.checked ? BST_CHECKED : BST_UNCHECKED);
        Handler(1145)->RouteNotify(1145, 0, 0);
        EXPECT_EQ((Handler(1143)->StateBits() & 0x1) != 0, c.buttonDisabled);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(page, 1144)) != 0, c.labelEnabled);
        CloseSheet();
    }
}

TEST_F(DevicePageTest, TheTonerSaveItemNamesItselfAndItsOptions) {
    OpenSheet();
    QORVAOptItemHandler* toner = Handler(kTonerSaveItem);
    ASSERT_NE(toner, nullptr);
    EXPECT_EQ(std::u16string(toner->Item()->pName), u"トナー節約(&T)");
    DWORD visible = 0;
    EXPECT_EQ(std::u16string(toner->GetOptionText(0, &visible, nullptr)), u"標準");
    EXPECT_EQ(std::u16string(toner->GetOptionText(1, &visible, nullptr)), u"節約");
}

}  // namespace
}  // namespace uitest
