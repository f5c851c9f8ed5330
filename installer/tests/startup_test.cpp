// The installer's start-up on the machine: the main window with its first page, the command line,
// the configuration failure, page switching with its cache, closing through the page's question,
// and the single-instance rule with a second Pardex process.
#include <spawn.h>
#include <sys/wait.h>

#include <functional>

#include "dialog_base.h"
#include "installer_fixture.h"
#include "pardex_app.h"
#include "pardex_dlg.h"
#include "resource.h"

extern char** environ;

namespace {

using palvex::UserAction;
using pardex::testing::InstallerMachine;

UserAction Act(std::function<void(HWND)> body) {
    UserAction action;
    action.kind = UserAction::Run;
    action.run = std::move(body);
    return action;
}

std::u16string TextOf(HWND window) {
    WCHAR text[512];
    GetWindowTextW(window, text, 512);
    return text;
}

class Startup : public InstallerMachine {
protected:
    // Runs the program in this process with the command line and the user's actions; the user then
    // closes the window and answers Yes to the cancel question.
    void RunInstaller(const std::vector<std::u16string>& arguments, std::vector<UserAction> actions) {
        AfxSetCommandLine(arguments);
        palvex::QueueUserActions(actions);
        palvex::QueueMessageBoxAnswers({IDYES});
        CPardexApp app;
        app.m_hInstance = AfxGetResourceHandle();
        EXPECT_FALSE(app.InitInstance());
        AfxSetCommandLine({});
    }
    // The main window's dialog object while the script runs.
    static CPardexDlg* HostOf(HWND window) {
        return dynamic_cast<CPardexDlg*>(reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER)));
    }
};

TEST_F(Startup, FirstPageTitleAndLog) {
    std::u16string title, className;
    bool pageVisible = false;
    RunInstaller({}, {Act([&](HWND window) {
                     title = TextOf(window);
                     WCHAR name[64];
                     GetClassNameW(window, name, 64);
                     className = name;
                     CPardexDlg* host = HostOf(window);
                     ASSERT_NE(host, nullptr);
                     EXPECT_EQ(host->m_pages.index, 0);
                     pageVisible = IsWindowVisible(host->m_pages.current->m_hWnd);
                     EXPECT_EQ(host->m_headerText, u"使用許諾契約書をお読みください");
                 })});
    EXPECT_EQ(title, u"Korvel Palvex セットアップ - 使用許諾契約");
    EXPECT_EQ(className, u"Palvex Pardex Class");
    EXPECT_TRUE(pageVisible);
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);  // only the cancel question
    EXPECT_EQ(boxes[0].text, u"セットアップを中止しますか？");
    EXPECT_EQ(boxes[0].style, UINT{MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2});

    const std::string log = ReadLog();
    EXPECT_NE(log.find("[LV1] Log Open\r\n"), std::string::npos);
    EXPECT_NE(log.find("[LV1] Installer Version : 3.17.6821.36\r\n"), std::string::npos);
    EXPECT_NE(log.find("[LV1] Driver Version    : \r\n"), std::string::npos);  // no driver installed
    EXPECT_EQ(log.rfind("[LV1] Log Close\r\n") + 17, log.size());
}

TEST_F(Startup, UninstallParameterInAnyForm) {
    struct Case {
        const char16_t* parameter;
        BOOL uninstall;
    } const cases[] = {{u"Uninstall", TRUE}, {u"/UNINSTALL", TRUE}, {u"-uninstall", TRUE},
                       {u"Uninstal", FALSE},  {u"/x", FALSE},        {u"setup.ini", FALSE}};
    for (const auto& c : cases) {
        AfxSetCommandLine({c.parameter});
        CPardexCommandLineInfoClass info;
        CWinApp app;
        app.ParseCommandLine(info);
        EXPECT_EQ(info.m_uninstall, c.uninstall) << palvex::ToUtf8(c.parameter);
        EXPECT_TRUE(info.m_strFileName.empty());  // no standard option is acted on
    }
    AfxSetCommandLine({});
}

TEST_F(Startup, UninstallOpensTheRemovalPageWithoutBack) {
    std::u16string title;
    bool backVisible = true, nextVisible = false;
    RunInstaller({u"/UNINSTALL"}, {Act([&](HWND window) {
                     title = TextOf(window);
                     CPardexDlg* host = HostOf(window);
                     EXPECT_EQ(host->m_pages.index, 8);
                     HWND page = host->m_pages.current->m_hWnd;
                     backVisible = IsWindowVisible(GetDlgItem(page, IDC_BUTTON_PREV));
                     nextVisible = IsWindowVisible(GetDlgItem(page, IDC_BUTTON_NEXT));
                     const auto out = std::filesystem::path(PARDEX_PICTURES);
                     palvex::WriteWindowPicture(window, out / "pardex-uninstall.png");
                 })});
    EXPECT_EQ(title, u"Korvel Palvex セットアップ - アンインストールの確認");
    EXPECT_FALSE(backVisible);
    EXPECT_TRUE(nextVisible);
}

TEST_F(Startup, MissingHeaderImageWithoutErrorTextEndsWithTheBuiltInError) {
    std::filesystem::remove(Host(u"C:\\Pardex\\Resource\\Bmp\\HEADER_INDIGO.BMP"));
    WriteIni(u"C:\\Pardex\\Resource\\String\\0411\\String.ini", u"[MsgBox]\r\nCaption=セットアップ\r\n");
    const auto temp = Host(u"C:\\Users\\User\\AppData\\Local\\Temp\\orlune_drv");
    std::filesystem::create_directories(temp);
    std::ofstream(temp / "TOVQEB.INF") << "staged";
    RunInstaller({}, {});
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"エラーが発生しました。(0x00000100, 0x00000000)");
    EXPECT_EQ(boxes[0].caption, u"セットアップ");
    EXPECT_EQ(boxes[0].style, UINT{MB_ICONWARNING | MB_OK});
    EXPECT_FALSE(std::filesystem::exists(temp));  // the wizard's run still cleans up
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Users\\User\\AppData\\Local\\Temp\\QVJA_Install_log.txt")));
}

TEST_F(Startup, AnErrorTextThatIsNotTwoNumbersIsNotUsed) {
    std::filesystem::remove(Host(u"C:\\Pardex\\Resource\\Bmp\\installer.ico"));
    WriteIni(u"C:\\Pardex\\Resource\\String\\0411\\String.ini",
             u"[MsgBox]\r\nErrorMsg07=失敗 %s %s %s\r\n");  // would read the numbers as texts
    RunInstaller({}, {});
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"エラーが発生しました。(0x00000100, 0x00000000)");
}

TEST_F(Startup, PagesAreCachedOneBackAndAMissingPageKeepsTheCurrentOne) {
    CDialogBase *first = nullptr, *again = nullptr;
    bool secondDestroyed = false;
    std::u16string titleAfterChange;
    int indexAfterFailure = -1;
    RunInstaller({}, {Act([&](HWND window) {
                     CPardexDlg* host = HostOf(window);
                     first = host->m_pages.current;
                     ASSERT_TRUE(ShowPage(host, 1));
                     titleAfterChange = TextOf(window);
                     CDialogBase* second = host->m_pages.current;
                     HWND secondWindow = second->m_hWnd;
                     ASSERT_TRUE(ShowPage(host, 0));  // back: the same object, state kept
                     again = host->m_pages.current;
                     EXPECT_FALSE(IsWindowVisible(secondWindow));
                     ASSERT_TRUE(ShowPage(host, 2));  // a third page: the second goes
                     secondDestroyed = !IsWindow(secondWindow);
                     EXPECT_FALSE(ShowPage(host, 12));
                     indexAfterFailure = host->m_pages.index;
                 })});
    EXPECT_EQ(first, again);
    EXPECT_TRUE(secondDestroyed);
    EXPECT_EQ(titleAfterChange, u"Korvel Palvex セットアップ - 実行する操作を選択してください");  // the new page's Header text
    EXPECT_EQ(indexAfterFailure, 2);
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"エラーが発生しました。(0x00000500, 0x00000000)");
    EXPECT_NE(ReadLog().find("[LV0] Craete Dlg Failed 12\r\n"), std::string::npos);
}

TEST_F(Startup, AnsweringNoKeepsTheWizardOpen) {
    int closes = 0;
    AfxSetCommandLine({});
    palvex::QueueUserActions({Act([&](HWND window) {
                                  ++closes;
                                  SendMessageW(window, WM_CLOSE, 0, 0);  // answered No: still open
                                  EXPECT_TRUE(IsWindowVisible(window));
                              }),
                              Act([&](HWND window) {
                                  ++closes;
                                  // The page's Cancel button posts WM_CLOSE to the host.
                                  CPardexDlg* host = HostOf(window);
                                  SendMessageW(GetDlgItem(host->m_pages.current->m_hWnd, IDCANCEL), BM_CLICK, 0, 0);
                              })});
    palvex::QueueMessageBoxAnswers({IDNO, IDYES});
    CPardexApp app;
    app.m_hInstance = AfxGetResourceHandle();
    app.InitInstance();
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(palvex::TakeMessageBoxRecords().size(), 2u);
}

// A second Pardex process while this test plays the first installer.
class SecondInstance : public InstallerMachine {
protected:
    struct Outcome {
        int exitCode = -1;
        std::vector<std::string> boxes;
    };
    Outcome RunPardex() {
        const std::string boxLog = (m_machine.root() / "boxes.txt").string();
        std::vector<std::string> environment{"PALVEX_MACHINE=" + m_machine.root().string(),
                                             "PALVEX_PROCESS_IMAGE=C:\\Pardex\\Pardex.exe",
                                             "PALVEX_MESSAGE_BOX_LOG=" + boxLog};
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string program = PARDEX_PROGRAM;
        char* argv[] = {program.data(), nullptr};
        pid_t pid = 0;
        Outcome outcome;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return outcome;
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(boxLog);
        for (std::string line; std::getline(in, line);) outcome.boxes.push_back(line);
        return outcome;
    }
    HWND FirstInstallerWindow() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        GetClassInfoExW(nullptr, u"#32770", &windowClass);
        windowClass.lpszClassName = kInstallerClass;
        RegisterClassExW(&windowClass);
        return CreateWindowExW(0, kInstallerClass, u"Korvel Palvex セットアップ", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                               nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        UnregisterClassW(kInstallerClass, nullptr);
        InstallerMachine::TearDown();
    }
};

TEST_F(SecondInstance, SameMarketBringsTheFirstForward) {
    HANDLE first = CreateMutexW(nullptr, TRUE, kInstallerMutex);
    HANDLE market = CreateMutexW(nullptr, TRUE, u"Palvex Pardex QVJA Mutex");
    HWND window = FirstInstallerWindow();
    ASSERT_NE(window, nullptr);
    const Outcome outcome = RunPardex();
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(GetForegroundWindow(), window);
    DestroyWindow(window);
    CloseHandle(market);
    CloseHandle(first);
}

TEST_F(SecondInstance, AnotherMarketIsToldAndLeavesTheSharedFolder) {
    HANDLE first = CreateMutexW(nullptr, TRUE, kInstallerMutex);  // an installer of another market
    const auto temp = Host(u"C:\\Users\\User\\AppData\\Local\\Temp\\orlune_drv");
    std::filesystem::create_directories(temp);
    std::ofstream(temp / "TOVQEB.INF") << "staged by the running installer";
    const Outcome outcome = RunPardex();
    EXPECT_EQ(outcome.exitCode, 0);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0],
              "Korvel Palvex セットアップ\t別のインストーラーが実行中です。\\n終了してからもう一度実行してください。\t48\t1");
    EXPECT_TRUE(std::filesystem::exists(temp / "TOVQEB.INF"));  // the running installer's files stay
    CloseHandle(first);
}

}  // namespace
