// The first pages of the wizard on the machine: the agreement text, the setup menu by the installed
// driver, the port page with the search, the manual port and the name it proposes, and the road
// back and forth through the navigation graph.
#include <palvex/clock.h>
#include <palvex/network.h>

#include "dialog_base.h"
#include "dialog_licence.h"
#include "dialog_printer_port.h"
#include "drv_data.h"
#include "installer_fixture.h"
#include "pardex_app.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "snmp_test_peers.h"
#include "wizard_script.h"

#include <win/commctrl.h>

namespace {

using palvex::UserAction;
using pardex::testing::ExpectStandardPort;
using pardex::testing::InstallerMachine;
using namespace palvex::testing;

using pardex::testing::Act;
using pardex::testing::Click;
using pardex::testing::Wait;

using pardex::testing::HostOf;
using pardex::testing::Page;
using pardex::testing::PageIndex;

std::u16string ItemText(HWND page, int id) {
    WCHAR text[1024] = {};
    GetDlgItemTextW(page, id, text, 1024);
    return text;
}

class WizardPages : public InstallerMachine {
protected:
    void SetUp() override {
        InstallerMachine::SetUp();
        palvex::SetVirtualClock(SYSTEMTIME{2026, 12, 5, 11, 9, 0, 0, 0});
        palvex::SetNetworkAdapters({palvex::NetworkAdapter{"eth0", "Ethernet", {0, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}, 2, 6, {{"192.168.1.20", "255.255.255.0"}}}});
    }
    // Runs the program with the user's actions; the user then closes it and confirms.
    void RunInstaller(std::vector<UserAction> actions, std::vector<int> answers = {}) {
        AfxSetCommandLine({});
        palvex::QueueUserActions(actions);
        answers.push_back(IDYES);
        palvex::QueueMessageBoxAnswers(answers);
        CPardexApp app;
        app.m_hInstance = AfxGetResourceHandle();
        EXPECT_FALSE(app.InitInstance());
    }
    std::filesystem::path Picture(const char* name) { return std::filesystem::path(PARDEX_PICTURES) / name; }
};

TEST_F(WizardPages, TheAgreementTextIsTheFilesUtf16Characters) {
    const std::u16string path = u"C:\\Pardex\\Resource\\Licence\\0411\\Licence.txt";
    struct Case {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"", u""},
        {std::string("\xFF\xFE" "A\0B\0", 6), u"\uFEFFAB"},  // a byte-order mark is part of the text
        {std::string("A\0B\0C", 5), u"AB"},                  // an odd last byte is dropped
    };
    for (const auto& c : cases) {
        std::ofstream(Host(path), std::ios::binary | std::ios::trunc) << c.bytes;
        std::u16string text = u"old";
        EXPECT_TRUE(CDialogLicence::ReadLicenceText(path, text));
        EXPECT_EQ(text, c.text);
    }
    std::u16string text;
    EXPECT_FALSE(CDialogLicence::ReadLicenceText(u"C:\\Pardex\\missing.txt", text));
}

TEST_F(WizardPages, AMissingAgreementIsReported) {
    std::filesystem::remove(Host(u"C:\\Pardex\\Resource\\Licence\\0411\\Licence.txt"));
    std::u16string shown = u"x";
    RunInstaller({Act([&](HWND window) { shown = ItemText(Page(window), IDC_EDIT_LICENCE); })});
    EXPECT_TRUE(shown.empty());
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(u"エラーが発生しました。(0x00000100, 0x00000", 0), 0u);
}

TEST_F(WizardPages, TheSetupMenuOffersWhatTheInstalledDriverAllows) {
    bool update = true, uninstall = true, install = false;
    std::u16string main;
    RunInstaller({Act([&](HWND window) {
                      std::u16string licence = ItemText(Page(window), IDC_EDIT_LICENCE);
                      EXPECT_FALSE(licence.empty());
                      palvex::WriteWindowPicture(window, Picture("pardex-licence.png"));
                  }),
                  Click(IDC_BUTTON_AGREE), Act([&](HWND window) {
                      ASSERT_EQ(PageIndex(window), 1);
                      HWND page = Page(window);
                      install = IsWindowEnabled(GetDlgItem(page, IDC_RADIO_INSTALL));
                      update = IsWindowEnabled(GetDlgItem(page, IDC_RADIO_UPDATE));
                      uninstall = IsWindowEnabled(GetDlgItem(page, IDC_RADIO_UNINSTALL));
                      main = ItemText(page, IDC_STATIC_MESSAGE);
                      palvex::WriteWindowPicture(window, Picture("pardex-setupmenu.png"));
                  }),
                  Click(IDC_BUTTON_PREV), Act([&](HWND window) { EXPECT_EQ(PageIndex(window), 0); })});
    EXPECT_TRUE(install);
    EXPECT_FALSE(update);  // no driver installed: only install is offered
    EXPECT_FALSE(uninstall);
    EXPECT_EQ(main, u"実行する操作を選んで［次へ］をクリックしてください。");
}

TEST_F(WizardPages, UnsupportedWindowsEndsTheInstallRoad) {
    SetPardexKey("NONSUPPORT", "VER_001", "*.*.*.*.*");
    RunInstaller({Click(IDC_BUTTON_AGREE), Click(IDC_BUTTON_NEXT)});
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);  // the refusal ends the wizard: no cancel question follows
    EXPECT_EQ(boxes[0].text, u"このバージョンの Windows はサポートされていません。");
    EXPECT_TRUE(palvex::ListPorts().empty());
}

TEST_F(WizardPages, AFoundPrinterGetsItsPortAndTheRoadGoesBackAndForth) {
    UdpAgent printer([](const Bytes& request, size_t) -> std::vector<Bytes> {
        const bool getNext = request.size() > 8 && request[7 + request[6]] == 0xA1;
        if (getNext) return {Response(RequestIdOf(request), {VarBind("1.3.6.1.2.1.1.1.0", Octets("Korvel Palvex QM410"))})};
        return {Response(RequestIdOf(request), {VarBind("1.3.6.1.4.1.32473.1.205.1.1.1.0", Int(1))})};
    });
    palvex::SetNetworkAgents({{"192.168.1.50", printer.port()}});
    palvex::DriverDesc other;
    other.name = u"Other";
    other.driverPath = u"UNIDRV.DLL";
    palvex::AddDriver(other);
    palvex::AddPrinter(u"Korvel Palvex QM410/QF410/QF380", u"Other");
    palvex::AddPrinter(u"korvel palvex qm410/qf410/qf380(1)", u"Other");
    int rows = 0;
    bool nextBeforeCheck = true, nextAfterCheck = false, checkedAgain = false, searchedAgain = false;
    std::u16string proposed, port;
    size_t requestsBeforeBack = 0;
    RunInstaller({Click(IDC_BUTTON_AGREE), Click(IDC_BUTTON_NEXT), Wait(), Act([&](HWND window) {
                      ASSERT_EQ(PageIndex(window), 2);
                      HWND list = GetDlgItem(Page(window), IDC_LIST_PRINTERS);
                      rows = ListView_GetItemCount(list);
                      nextBeforeCheck = IsWindowEnabled(GetDlgItem(Page(window), IDC_BUTTON_NEXT));
                      ListView_SetCheckState(list, 0, TRUE);  // the user ticks the printer
                      nextAfterCheck = IsWindowEnabled(GetDlgItem(Page(window), IDC_BUTTON_NEXT));
                      palvex::WriteWindowPicture(window, Picture("pardex-printerport.png"));
                  }),
                  Click(IDC_BUTTON_NEXT), Act([&](HWND window) {
                      EXPECT_EQ(PageIndex(window), 3);
                      proposed = HostOf(window)->m_drvData.m_printerName;
                      port = HostOf(window)->m_drvData.m_portName;
                      requestsBeforeBack = 0;
                  }),
                  Click(IDC_BUTTON_PREV), Act([&](HWND window) {
                      EXPECT_EQ(PageIndex(window), 2);
                      HWND list = GetDlgItem(Page(window), IDC_LIST_PRINTERS);
                      checkedAgain = ListView_GetCheckState(list, 0);
                      searchedAgain = false;
                  }),
                  Click(IDC_BUTTON_PREV), Act([&](HWND window) { EXPECT_EQ(PageIndex(window), 1); })});
    EXPECT_EQ(rows, 1);
    EXPECT_FALSE(nextBeforeCheck);
    EXPECT_TRUE(nextAfterCheck);
    EXPECT_EQ(proposed, u"Korvel Palvex QM410/QF410/QF380(2)");
    EXPECT_EQ(port, u"IP_192.168.1.50");
    EXPECT_TRUE(checkedAgain);
    EXPECT_EQ(printer.received().size(), 2u);  // one discovery and one GET: coming back searched no more
    const auto ports = palvex::ListPorts();
    ASSERT_EQ(ports.size(), 1u);
    ExpectStandardPort(ports[0], u"192.168.1.50");
    (void)searchedAgain;
    (void)requestsBeforeBack;
}

TEST_F(WizardPages, PrinterNamesAndTimeOuts) {
    const std::u16string model60(60, u'M');
    struct Case {
        std::u16string base;
        std::vector<std::u16string> existing;
        std::u16string expected;
    } cases[] = {
        {u"M", {}, u"M"},
        {u"M", {u"M", u"m(1)"}, u"M(2)"},
        {model60, {}, model60.substr(0, 50)},
        {model60, {model60.substr(0, 50)}, model60.substr(0, 44) + u"(1)"},
    };
    for (auto& c : cases) {
        std::vector<PRINTER_INFO_5W> records(c.existing.size());
        for (size_t i = 0; i < c.existing.size(); ++i) records[i].pPrinterName = c.existing[i].data();
        EXPECT_EQ(MakePrinterName(c.base, records.data(), static_cast<DWORD>(records.size())), c.expected);
    }

    struct Timeout {
        std::u16string typed;
        int used;
        std::u16string shown;
    } timeouts[] = {{u"0", 1, u"1"}, {u"25", 10, u"10"}, {u"abc", 1, u"1"}, {u"7", 7, u"7"}, {u"-3", 10, u"10"}};
    RunInstaller({Click(IDC_BUTTON_AGREE), Click(IDC_BUTTON_NEXT), Wait(), Act([&](HWND window) {
                      auto* page = dynamic_cast<CDialogPrinterPort*>(HostOf(window)->m_pages.current);
                      ASSERT_NE(page, nullptr);
                      for (const auto& t : timeouts) {
                          SetDlgItemTextW(page->m_hWnd, IDC_EDIT_TIMEOUT, t.typed.c_str());
                          EXPECT_EQ(page->GetTimeoutValue(), t.used);
                          EXPECT_EQ(ItemText(page->m_hWnd, IDC_EDIT_TIMEOUT), t.shown);
                      }
                  })});
}

TEST_F(WizardPages, TheManualDialogRefusesABadAddressAndMakesAPortForAGoodOne) {
    palvex::SetNetworkAgents({});
    // The manual dialog lists the existing ports; an IPP port among them is refused by the page.
    std::u16string before, after;
    RunInstaller({Click(IDC_BUTTON_AGREE), Click(IDC_BUTTON_NEXT), Wait(), Click(IDC_RADIO_MANUAL), Act([&](HWND window) { before = ItemText(Page(window), IDC_EDIT_PRINTERPATH); }),
                  Click(IDC_BUTTON_MANUALSET),
                  Click(IDC_RADIO_IPADDR), Act([&](HWND dialog) {
                      SetDlgItemTextW(dialog, IDC_EDIT_IPADDR, u"127.0.0.1");
                      palvex::WriteWindowPicture(dialog, Picture("pardex-manualsetting.png"));
                  }),
                  Click(IDOK),  // refused: a loopback address
                  Act([&](HWND dialog) { SetDlgItemTextW(dialog, IDC_EDIT_IPADDR, u"10.0.0.5"); }), Click(IDOK),
                  Act([&](HWND window) { after = ItemText(Page(window), IDC_EDIT_PRINTERPATH); })});
    EXPECT_TRUE(before.empty());
    EXPECT_EQ(after, u"IP_10.0.0.5");
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"IP アドレスが正しくありません。");
}

}  // namespace

namespace {

class WizardWithDriver : public WizardPages {
protected:
    void SetUp() override {
        WizardPages::SetUp();
        InstallModelDriver();
    }
};

TEST_F(WizardWithDriver, TheSetupMenuChecksTheInstalledVersionOnEveryRoad) {
    struct Case {
        const char* version;  // of this package
        int radio;
        std::u16string message;
        BOOL inherit;
    } const cases[] = {
        {"3.17.6821.36", IDC_RADIO_INSTALL, u"このモデルのプリンターがあります。設定を引き継がずにドライバーを置き換えますか？", FALSE},
        {"1.01.2.0", IDC_RADIO_INSTALL, u"このモデルのプリンターがあります。設定を引き継いでドライバーを置き換えますか？", TRUE},
        {"1.0", IDC_RADIO_INSTALL, u"新しいバージョンのプリンタードライバーがインストールされています。", FALSE},
        {"1.0", IDC_RADIO_UPDATE, u"新しいバージョンのプリンタードライバーがインストールされているため、アップデートできません。", FALSE},
        {"1.0", IDC_RADIO_UNINSTALL, u"新しいバージョンのプリンタードライバーがインストールされているため、削除できません。", FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        SetPardexKey("Setup", "VERSION", c.version);
        bool updateEnabled = false, uninstallEnabled = false;
        BOOL inherit = -1;
        RunInstaller({Click(IDC_BUTTON_AGREE), Act([&](HWND window) {
                          HWND page = Page(window);
                          updateEnabled = IsWindowEnabled(GetDlgItem(page, IDC_RADIO_UPDATE));
                          uninstallEnabled = IsWindowEnabled(GetDlgItem(page, IDC_RADIO_UNINSTALL));
                      }),
                      Click(c.radio), Act([&](HWND window) {
                          // The answer No to a replace question offers the cancel question next.
                          SendMessageW(GetDlgItem(Page(window), IDC_BUTTON_NEXT), BM_CLICK, 0, 0);
                          if (IsWindow(window)) inherit = HostOf(window)->m_drvData.m_inheritSettings;
                      })},
                     {IDNO});
        EXPECT_TRUE(updateEnabled);
        EXPECT_TRUE(uninstallEnabled);
        const auto boxes = palvex::TakeMessageBoxRecords();
        ASSERT_GE(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        if (c.radio == IDC_RADIO_INSTALL) {
            EXPECT_EQ(inherit, c.inherit);
        }
    }
}

}  // namespace
