// The driver file copy page: the agreement leads to it when the INF is not beside the installer;
// Copy puts the language folder's files into a folder the user picks (or refuses the folder), Next
// stages them in the temporary driver folder, and every copy renames the INF kept under its marker
// name. The install then runs from the staged INF, and the staged folder goes when the program ends.
#include <palvex/folder_browser.h>
#include <palvex/network.h>

#include "dialog_drv_file_copy.h"
#include "resource.h"
#include "wizard_script.h"
#include "worker_fixture.h"

namespace {

using namespace pardex::testing;

constexpr char16_t kStaging[] = u"C:\\Users\\User\\AppData\\Local\\Temp\\orlune_drv";
constexpr char16_t kInvalidPath[] = u"フォルダーの指定が正しくありません。";

class DriverCopyPage : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        m_drvData.m_log.Close();
        palvex::SetNetworkAdapters({});
        palvex::SetNetworkAgents({});
        palvex::ResetFolderBrowserScript();
        // The language folder keeps the INF under its marker name, so the agreement sends the user
        // to the copy page.
        SetPardexKey("Setup", "JOGFILE", "TOVQEB.JOG");
        std::filesystem::rename(Host(u"C:\\Pardex\\0411\\TOVQEB.INF"), Host(u"C:\\Pardex\\0411\\TOVQEB.JOG"));
    }
    void TearDown() override {
        palvex::ResetFolderBrowserScript();
        WorkerMachine::TearDown();
    }
    bool Exists(const std::u16string& path) { return std::filesystem::exists(Host(path)); }
    CDialogDrvFileCopy* CopyPage(HWND window) { return dynamic_cast<CDialogDrvFileCopy*>(CurrentPage(window)); }
    std::filesystem::path Picture(const char* name) { return std::filesystem::path(PARDEX_PICTURES) / name; }
};

TEST_F(DriverCopyPage, TheAgreementLeadsHereAndTheInstallUsesTheStagedCopy) {
    StageDriverFiles();
    AddPort(u"10.0.0.5");
    std::ofstream(Host(u"C:\\Pardex\\Pardex.exe")) << "the installer";  // kept for the removal
    int afterAgree = -1, afterNext = -1, afterBack = -1, page = -1;
    std::u16string folder, infAfterFirst, savedAfterFirst, infAfterSecond, savedAfterSecond;
    bool markerStaged = true, infStaged = false;
    RunWizard({Click(IDC_BUTTON_AGREE), Act([&](HWND window) {
                   afterAgree = PageIndex(window);
                   folder = ItemText(Page(window), IDC_EDIT_COPYFOLDER);
                   palvex::WriteWindowPicture(window, Picture("pardex-drvfilecopy.png"));
               }),
               Click(IDC_BUTTON_NEXT), Act([&](HWND window) {
                   afterNext = PageIndex(window);
                   infAfterFirst = Settings(window).GetInfPath();
                   savedAfterFirst = Settings(window).m_savedInfPath;
                   infStaged = Exists(kStaging + std::u16string(u"\\TOVQEB.INF"));
                   markerStaged = Exists(kStaging + std::u16string(u"\\TOVQEB.JOG"));
               }),
               Click(IDC_BUTTON_PREV), Act([&](HWND window) { afterBack = PageIndex(window); }),
               Click(IDC_BUTTON_NEXT), Act([&](HWND window) {
                   infAfterSecond = Settings(window).GetInfPath();
                   savedAfterSecond = Settings(window).m_savedInfPath;
                   Settings(window).m_portName = u"IP_10.0.0.5";
                   Settings(window).m_printerName = u"Office";
                   ShowPage(HostOf(window), 3);
               }),
               Click(IDC_BUTTON_NEXT), Click(IDC_BUTTON_NEXT), Act([&](HWND window) { page = PageIndex(window); }),
               Click(IDC_BUTTON_END)},
              {IDNO});
    EXPECT_EQ(afterAgree, 11);
    EXPECT_EQ(folder, u"C:\\Users\\User\\Documents\\Orlune\\PrinterDrivers\\Korvel Palvex QM410_QF410_QF380\\0411");
    EXPECT_EQ(afterNext, 1);
    EXPECT_TRUE(infStaged);
    EXPECT_FALSE(markerStaged);
    EXPECT_EQ(infAfterFirst, kStaging + std::u16string(u"\\TOVQEB.INF"));
    EXPECT_EQ(savedAfterFirst, u"C:\\Pardex\\0411\\TOVQEB.INF");
    EXPECT_EQ(afterBack, 11);  // with staged files the setup menu's Back returns here
    EXPECT_EQ(infAfterSecond, infAfterFirst);
    EXPECT_EQ(savedAfterSecond, savedAfterFirst);  // staging again keeps the first saved path
    EXPECT_EQ(page, 5);
    EXPECT_TRUE(LogHas("[LV1] PrintUI.exe /if /b \"Office\" /f \"C:\\Users\\User\\AppData\\Local\\Temp\\orlune_drv\\TOVQEB.INF\" "
                       "/r \"IP_10.0.0.5\" /m \"Korvel Palvex QM410/QF410/QF380\"\r\n"));
    EXPECT_TRUE(LogHas("[LV3] CDialogDrvFileCopy::OnBnClickedButtonNext\r\n"));
    const auto printers = palvex::ListPrinters();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, u"Office");
    EXPECT_FALSE(Exists(kStaging));  // the program removed the staged files as it ended
    EXPECT_TRUE(Exists(u"C:\\Pardex\\0411\\TOVQEB.JOG"));  // the language folder is left as it was
}

TEST_F(DriverCopyPage, CopyRefusesFoldersItCannotUse) {
    struct Case {
        std::u16string target;
        std::string line;
        bool networkRefusal;
    } const cases[] = {
        {u"\\\\server\\drivers", "[LV0] Error Path 1 (NetworkPath)\r\n", true},
        {u"\\Drivers", "[LV0] Error Path 1 (NetworkPath)\r\n", true},
        {u"", "[LV0] Error Path 2 (Blank\r\n", false},
        {u"Q:\\Drivers", "[LV0] Check Access PATH NG\r\n", false},
        {u"Drivers", "[LV0] Check Access PATH NG\r\n", false},  // relative: not taken for a network path
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(palvex::ToUtf8(c.target));
        std::filesystem::remove(Host(u"C:\\Users\\User\\AppData\\Local\\Temp\\QVJA_Install_log.txt"));
        int page = -1, copyState = -1;
        RunWizard({Click(IDC_BUTTON_AGREE), Type(IDC_EDIT_COPYFOLDER, c.target), Click(IDC_BUTTON_COPY), Act([&](HWND window) {
                       page = PageIndex(window);
                       copyState = Settings(window).m_copyState;
                   })});
        EXPECT_EQ(page, 11);
        EXPECT_EQ(copyState, 2);
        EXPECT_TRUE(LogHas(c.line));
        EXPECT_EQ(LogHas("Error Path 1 (NetworkPath)"), c.networkRefusal);
        const auto boxes = palvex::TakeMessageBoxRecords();
        ASSERT_GE(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, kInvalidPath);
    }
}

TEST_F(DriverCopyPage, CopyAsksBeforeItWritesIntoAFolderThatHoldsFiles) {
    struct Case {
        bool holdsFiles;
        bool exists;
        int answer;
        bool copied;
    } const cases[] = {{false, true, 0, true}, {false, false, 0, true}, {true, true, IDNO, false}, {true, true, IDYES, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.holdsFiles) + std::to_string(c.exists) + std::to_string(c.answer));
        std::filesystem::remove_all(Host(u"C:\\Drivers"));
        if (c.exists) std::filesystem::create_directories(Host(u"C:\\Drivers"));
        if (c.holdsFiles) std::ofstream(Host(u"C:\\Drivers\\notes.txt")) << "mine";
        int page = -1;
        std::u16string inf, copied;
        RunWizard({Click(IDC_BUTTON_AGREE), Type(IDC_EDIT_COPYFOLDER, u"C:\\Drivers"), Click(IDC_BUTTON_COPY),
                   Act([&](HWND window) {
                       page = PageIndex(window);
                       inf = Settings(window).GetInfPath();
                       copied = Settings(window).m_copiedInfPath;
                   })},
                  c.answer ? std::vector<int>{c.answer} : std::vector<int>{});
        const auto boxes = palvex::TakeMessageBoxRecords();
        ASSERT_GE(boxes.size(), 1u);
        size_t next = 0;
        if (c.holdsFiles) {
            EXPECT_EQ(boxes[next].text, u"フォルダーにファイルがあります。コピーを続けますか？");
            EXPECT_EQ(boxes[next++].style, static_cast<UINT>(MB_YESNO | MB_ICONWARNING));
        }
        EXPECT_EQ(Exists(u"C:\\Drivers\\TOVQEB.INF"), c.copied);
        EXPECT_FALSE(Exists(u"C:\\Drivers\\TOVQEB.JOG"));
        if (c.copied) {
            ASSERT_GT(boxes.size(), next);
            EXPECT_EQ(boxes[next].text, u"ドライバーファイルをコピーしました。");
            EXPECT_EQ(boxes[next].style, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
            EXPECT_EQ(page, 1);
            EXPECT_EQ(copied, u"C:\\Drivers\\TOVQEB.INF");
            EXPECT_EQ(inf, copied);
        } else {
            EXPECT_EQ(page, 11);
            EXPECT_EQ(inf, u"C:\\Pardex\\0411\\TOVQEB.INF");
        }
        if (c.holdsFiles) {
            EXPECT_TRUE(Exists(u"C:\\Drivers\\notes.txt"));
        }
    }
}

TEST_F(DriverCopyPage, NextAfterCopyInstallsFromTheStagedCopy) {
    std::filesystem::create_directories(Host(u"C:\\Drivers"));
    std::u16string inf, saved;
    RunWizard({Click(IDC_BUTTON_AGREE), Type(IDC_EDIT_COPYFOLDER, u"C:\\Drivers"), Click(IDC_BUTTON_COPY), GoTo(11),
               Click(IDC_BUTTON_NEXT), Act([&](HWND window) {
                   inf = Settings(window).GetInfPath();
                   saved = Settings(window).m_savedInfPath;
               })});
    EXPECT_EQ(inf, kStaging + std::u16string(u"\\TOVQEB.INF"));
    EXPECT_EQ(saved, u"C:\\Drivers\\TOVQEB.INF");
}

TEST_F(DriverCopyPage, BrowseStartsAtTheTypedFolderAndTakesTheChosenOne) {
    std::filesystem::create_directories(Host(u"C:\\Drivers"));
    using Answer = palvex::FolderBrowserAnswer;
    palvex::QueueFolderBrowserAnswers({Answer{Answer::Folder, u"C:\\Chosen"}, Answer{Answer::NoPath, u""}, Answer{Answer::Cancel, u""}});
    std::vector<std::u16string> shown;
    auto look = Act([&](HWND window) { shown.push_back(ItemText(Page(window), IDC_EDIT_COPYFOLDER)); });
    RunWizard({Click(IDC_BUTTON_AGREE), Type(IDC_EDIT_COPYFOLDER, u"C:\\Drivers"), Click(IDC_BUTTON_BROWSE), look,
               Type(IDC_EDIT_COPYFOLDER, u"C:\\Missing"), Click(IDC_BUTTON_BROWSE), look, Click(IDC_BUTTON_BROWSE), look});
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"C:\\Chosen", u"C:\\Missing", u"C:\\Missing"}));
    const auto browsers = palvex::TakeFolderBrowserRecords();
    ASSERT_EQ(browsers.size(), 3u);
    EXPECT_EQ(browsers[0].title, u"コピー先を選択してください");
    EXPECT_EQ(browsers[0].flags, 0x43u);
    EXPECT_EQ(browsers[0].owner, nullptr);
    EXPECT_FALSE(browsers[0].rootGiven);
    EXPECT_EQ(browsers[0].selection, u"C:\\Drivers");
    EXPECT_EQ(browsers[1].selection, u"C:\\Users\\User\\Documents");  // a folder that is not there: the documents
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kInvalidPath);  // the item without a path
}

TEST_F(DriverCopyPage, MissingDriverFilesEndTheWizard) {
    std::filesystem::remove(Host(u"C:\\Pardex\\0411\\TOVQEB.JOG"));
    RunWizard({Click(IDC_BUTTON_AGREE)});
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);  // no cancel question: the wizard ended
    EXPECT_EQ(boxes[0].text, u"ドライバーファイルが見つかりません。");
}

}  // namespace
