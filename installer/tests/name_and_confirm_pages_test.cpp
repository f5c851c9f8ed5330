// The printer name page and the install confirmation on the machine: the limits of the boxes while
// the user types, the names Windows refuses, the duplicate-name check, the summary of the install,
// the warnings before it, and the install itself up to the completion page.
#include <palvex/network.h>
#include <palvex/os_profile.h>

#include <win/commctrl.h>

#include "dialog_printer_name.h"
#include "resource.h"
#include "wizard_script.h"
#include "worker_fixture.h"

namespace {

using namespace pardex::testing;

constexpr char16_t kCancelQuestion[] = u"セットアップを中止しますか？";

class NameAndConfirmPages : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        m_drvData.m_log.Close();  // the wizard's own settings write the log
        std::ofstream(Host(u"C:\\Pardex\\Pardex.exe")) << "the installer";  // kept for the removal
        palvex::SetNetworkAdapters({});
        palvex::SetNetworkAgents({});
    }
    // Puts the port page's results in place and shows the name page.
    palvex::UserAction FromThePortPage(const std::u16string& proposed = u"Office") {
        return Act([proposed](HWND window) {
            Settings(window).m_portName = u"IP_10.0.0.5";
            Settings(window).m_printerName = proposed;
            ShowPage(HostOf(window), 3);
        });
    }
    std::filesystem::path Picture(const char* name) { return std::filesystem::path(PARDEX_PICTURES) / name; }
};

TEST_F(NameAndConfirmPages, TheBoxesKeepTheirLimitsWhileTheUserTypes) {
    std::u16string name, comment;
    DWORD start = 0, end = 0;
    RunWizard({FromThePortPage(u""), Type(IDC_EDIT_PRINTERNAME, std::u16string(51, u'N')),
               Type(IDC_EDIT_COMMENT, std::u16string(300, u'c')), Act([&](HWND window) {
                   name = ItemText(Page(window), IDC_EDIT_PRINTERNAME);
                   comment = ItemText(Page(window), IDC_EDIT_COMMENT);
                   SendMessageW(GetDlgItem(Page(window), IDC_EDIT_PRINTERNAME), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                reinterpret_cast<LPARAM>(&end));
               })});
    EXPECT_EQ(name, std::u16string(50, u'N'));
    EXPECT_EQ(comment, std::u16string(255, u'c'));
    EXPECT_EQ(start, 50u);  // the caret stays at the end of what is kept
    EXPECT_EQ(end, 50u);
}

TEST_F(NameAndConfirmPages, NamesThisWindowsRefuses) {
    const std::u16string seven = u"プリンター名に「\\」と「,」は使用できません。";
    const std::u16string vista = u"プリンター名に「\\」「,」「!」は使用できません。";
    struct Case {
        DWORD major, minor;
        std::u16string name;
        std::u16string refusal;  // empty: the name page lets it through
    } const cases[] = {
        {6, 1, u"Office,2", seven}, {6, 1, u"Office\\2", seven}, {6, 1, u"Office!", u""}, {10, 0, u"Office!", u""},
        {6, 0, u"Office!", vista},  {6, 0, u"Office,2", vista},  {6, 0, u"Office 2", u""}, {6, 1, u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(palvex::ToUtf8(c.name) + " on " + std::to_string(c.major) + "." + std::to_string(c.minor));
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.majorVersion = c.major;
        profile.minorVersion = c.minor;
        palvex::SetOsProfile(profile);
        int page = -1;
        RunWizard({FromThePortPage(), Type(IDC_EDIT_PRINTERNAME, c.name), Click(IDC_BUTTON_NEXT),
                   Act([&](HWND window) { page = PageIndex(window); })});
        const auto boxes = palvex::TakeMessageBoxRecords();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0].text, c.refusal.empty() ? kCancelQuestion : c.refusal);
        EXPECT_EQ(page, c.refusal.empty() ? 4 : 3);
    }
}

TEST_F(NameAndConfirmPages, TheNameIsStoredWithoutTrailingBlanksAndMustBeNew) {
    palvex::DriverDesc other;
    other.name = u"Other";
    other.driverPath = u"UNIDRV.DLL";
    palvex::AddDriver(other);
    palvex::AddPrinter(u"Office", u"Other");
    int pageAfterDuplicate = -1, pageAfterNew = -1;
    std::u16string stored, comment;
    BOOL setDefault = FALSE;
    RunWizard({FromThePortPage(u"Office"), Type(IDC_EDIT_PRINTERNAME, u"OFFICE  "), Click(IDC_BUTTON_NEXT),
               Act([&](HWND window) {
                   pageAfterDuplicate = PageIndex(window);
                   stored = Settings(window).m_printerName;
               }),
               Type(IDC_EDIT_PRINTERNAME, u"Office 2 \t "), Type(IDC_EDIT_COMMENT, u" 2nd floor "), Click(IDC_CHECK_DEFAULT),
               Click(IDC_BUTTON_NEXT), Act([&](HWND window) {
                   pageAfterNew = PageIndex(window);
                   setDefault = Settings(window).m_setDefault;
                   comment = Settings(window).m_comment;
                   stored = Settings(window).m_printerName;
               })});
    EXPECT_EQ(pageAfterDuplicate, 3);
    EXPECT_EQ(pageAfterNew, 4);
    EXPECT_EQ(stored, u"Office 2");
    EXPECT_EQ(comment, u" 2nd floor ");  // the comment is kept as typed
    EXPECT_TRUE(setDefault);
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"同じ名前のプリンターがすでにあります。別の名前を入力してください。");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
}

TEST_F(NameAndConfirmPages, TheSummaryShowsWhatWillBeInstalledAndBackKeepsTheChoices) {
    struct Case {
        bool setDefault;
        std::u16string lastValue;
        const char* picture;
    } const cases[] = {{false, u"", nullptr}, {true, u"通常使うプリンターに設定する", "pardex-installconfirm.png"}};
    for (const auto& c : cases) {
        std::vector<std::pair<std::u16string, std::u16string>> rows;
        bool noteVisible = true, defaultAgain = !c.setDefault;
        std::u16string main, nameAgain;
        std::vector<palvex::UserAction> actions{FromThePortPage(u"Office"), Type(IDC_EDIT_COMMENT, u"2nd floor")};
        if (c.setDefault) {
            actions.push_back(Click(IDC_CHECK_DEFAULT));
            actions.push_back(Act([&](HWND window) { palvex::WriteWindowPicture(window, Picture("pardex-printername.png")); }));
        }
        actions.push_back(Click(IDC_BUTTON_NEXT));
        actions.push_back(Act([&](HWND window) {
            ASSERT_EQ(PageIndex(window), 4);
            HWND page = Page(window);
            rows = ListRows(GetDlgItem(page, IDC_LIST_SUMMARY));
            noteVisible = IsWindowVisible(GetDlgItem(page, IDC_STATIC_NOTE));
            main = ItemText(page, IDC_STATIC_MESSAGE);
            if (c.picture) palvex::WriteWindowPicture(window, Picture(c.picture));
        }));
        actions.push_back(Click(IDC_BUTTON_PREV));
        actions.push_back(Act([&](HWND window) {
            EXPECT_EQ(PageIndex(window), 3);
            nameAgain = ItemText(Page(window), IDC_EDIT_PRINTERNAME);
            defaultAgain = IsDlgButtonChecked(Page(window), IDC_CHECK_DEFAULT) == BST_CHECKED;
        }));
        RunWizard(actions);
        const std::vector<std::pair<std::u16string, std::u16string>> expected{
            {u"モデル", u"Korvel Palvex QM410/QF410/QF380"}, {u"プリンター名", u"Office"}, {u"コメント", u"2nd floor"},
            {u"ポート", u"IP_10.0.0.5"},                       {u"その他", c.lastValue}};
        EXPECT_EQ(rows, expected);
        EXPECT_FALSE(noteVisible);
        EXPECT_EQ(main, u"次の設定でインストールします。よろしければ［インストール］をクリックしてください。");
        EXPECT_EQ(nameAgain, u"Office");
        EXPECT_EQ(defaultAgain, c.setDefault);
        palvex::TakeMessageBoxRecords();
    }
}

TEST_F(NameAndConfirmPages, APrinterOfTheModelOnAnIppPortIsAskedAboutFirst) {
    palvex::DriverDesc driver;
    driver.name = kModel;
    driver.driverPath = u"UNIDRV.DLL";
    palvex::AddDriver(driver);
    palvex::AddPrinter(u"Web", kModel, u"http://10.0.0.9/ipp/print");
    int page = -1;
    RunWizard({FromThePortPage(u"Office"), Click(IDC_BUTTON_NEXT), Click(IDC_BUTTON_NEXT),
               Act([&](HWND window) { page = PageIndex(window); })},
              {IDNO});
    EXPECT_EQ(page, 4);  // the answer No keeps the page and starts nothing
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"IPP ポートのプリンターは削除され、作成し直されません。\n続けますか？");
    EXPECT_EQ(boxes[0].style, 0x134u);
    const auto printers = palvex::ListPrinters();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, u"Web");
}

TEST_F(NameAndConfirmPages, ThePortPageRefusesAnIppPortChosenByHand) {
    palvex::DriverDesc other;
    other.name = u"Other";
    other.driverPath = u"UNIDRV.DLL";
    palvex::AddDriver(other);
    palvex::AddPrinter(u"Web", u"Other", u"http://10.0.0.9/ipp/print");
    palvex::UserAction choose;
    choose.kind = palvex::UserAction::Choose;
    choose.control = IDC_COMBO_PORTS;
    choose.text = u"http://10.0.0.9/ipp/print Internet Port";  // the list shows each port with its kind
    std::u16string port = u"x";
    bool nextEnabled = true;
    RunWizard({GoTo(2), Click(IDC_RADIO_MANUAL), Click(IDC_BUTTON_MANUALSET), Click(IDC_RADIO_EXISTING), choose, Click(IDOK),
               Act([&](HWND window) {
                   port = ItemText(Page(window), IDC_EDIT_PRINTERPATH);
                   nextEnabled = IsWindowEnabled(GetDlgItem(Page(window), IDC_BUTTON_NEXT));
               })});
    EXPECT_TRUE(port.empty());
    EXPECT_FALSE(nextEnabled);
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"IPP ポートは選択できません。");
    EXPECT_TRUE(LogHas("[LV1] Select IPP Port.\r\n"));
}

TEST_F(NameAndConfirmPages, TheInstallRunsToTheCompletionPageWithTheDriverInUse) {
    StageDriverFiles();
    AddPort(u"10.0.0.5");
    HANDLE inUse = CreateMutexW(nullptr, TRUE, u"VORTAN_QVJA_DRIVERUSE_MUTEX");
    std::u16string message;
    int page = -1;
    RunWizard({FromThePortPage(u"Office"), Type(IDC_EDIT_COMMENT, u"2nd floor"), Click(IDC_BUTTON_NEXT), Click(IDC_BUTTON_NEXT),
               Act([&](HWND window) {
                   page = PageIndex(window);
                   message = ItemText(Page(window), IDC_STATIC_MESSAGE);
                   palvex::WriteWindowPicture(window, Picture("pardex-installcomplete.png"));
               }),
               Click(IDC_BUTTON_END)},
              {IDOK, IDNO});
    CloseHandle(inUse);
    EXPECT_EQ(page, 5);
    EXPECT_EQ(message, u"プリンタードライバーのインストールが完了しました。");
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);  // the warning, then the restart question at Finish
    EXPECT_EQ(boxes[0].text, u"プリンタードライバーを使用しているアプリケーションや印刷設定の画面を閉じてください。");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
    EXPECT_EQ(boxes[1].text, u"変更を有効にするにはコンピューターを再起動する必要があります。\n今すぐ再起動しますか？");
    EXPECT_TRUE(LogHas("[LV1] CheckDriverActive QVJA 1\r\n"));
    const auto printers = palvex::ListPrinters();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, u"Office");
    EXPECT_EQ(printers[0].portName, u"IP_10.0.0.5");
}

TEST_F(NameAndConfirmPages, AFailedInstallShowsItsCodeOnTheCompletionPage) {
    StageDriverFiles();
    AddPort(u"10.0.0.5");
    setenv("PALVEX_PRINTUI_FORCE", "exit:87", 1);
    std::u16string message;
    RunWizard({FromThePortPage(u"Office"), Click(IDC_BUTTON_NEXT), Click(IDC_BUTTON_NEXT),
               Act([&](HWND window) { message = ItemText(Page(window), IDC_STATIC_MESSAGE); }), Click(IDC_BUTTON_END)},
              {IDNO});
    EXPECT_EQ(message.rfind(u"インストールできませんでした。(コード: 514, エラー: ", 0), 0u) << palvex::ToUtf8(message);
    EXPECT_TRUE(palvex::ListPrinters().empty());
}

}  // namespace
