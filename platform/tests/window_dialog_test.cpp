// The dialog manager: dialogs from templates with their controls in dialog units, the dialog
// procedure's messages, modal loops driven by the user script, worker messages, the standard
// controls' notifications, and pictures of what the dialog shows.
#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include <palvex/machine.h>
#include <palvex/message_box.h>
#include <palvex/ui_script.h>
#include <palvex/utf8.h>
#include <win/windows.h>

namespace {

constexpr int kSettings = 200;
constexpr int kName = 1001, kShare = 1002, kLocal = 1003, kNetwork = 1004, kTray = 1005, kForms = 1006;

struct Seen {
    std::vector<UINT> messages;
    std::vector<std::pair<int, int>> commands;  // (id, code)
    LPARAM initParam = 0;
    bool refuseCancel = false;
};
Seen* g_seen = nullptr;

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen->messages.push_back(message);
    switch (message) {
    case WM_INITDIALOG:
        g_seen->initParam = lParam;
        SendDlgItemMessageW(dialog, kTray, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"トレイ1"));
        SendDlgItemMessageW(dialog, kTray, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"手差しトレイ"));
        SendDlgItemMessageW(dialog, kForms, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"A4"));
        SendDlgItemMessageW(dialog, kForms, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Letter"));
        CheckDlgButton(dialog, kLocal, BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        g_seen->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDOK) EndDialog(dialog, 42);
        if (LOWORD(wParam) == IDCANCEL && !g_seen->refuseCancel) EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_USER + 1001:
        SetDlgItemTextW(dialog, kName, u"from the worker");
        return TRUE;
    default:
        return FALSE;
    }
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = std::string(PALVEX_WINDOW_RESOURCE_DIR) + "/window_test_res.dll";
        m_module = LoadLibraryExW(palvex::FromUtf8(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
        g_seen = &m_seen;
        palvex::ResetUserScript();
        palvex::ResetMessageBoxScript();
    }
    void TearDown() override {
        palvex::ResetUserScript();
        FreeLibrary(m_module);
        g_seen = nullptr;
    }
    INT_PTR Run(const std::vector<palvex::UserAction>& actions, HWND owner = nullptr) {
        palvex::QueueUserActions(actions);
        return DialogBoxParamW(m_module, MAKEINTRESOURCEW(kSettings), owner, SettingsProc, 7);
    }
    static palvex::UserAction Act(palvex::UserAction::Kind kind, int control = 0, int index = 0,
                                  std::u16string text = {}) {
        palvex::UserAction action;
        action.kind = kind;
        action.control = control;
        action.index = index;
        action.text = std::move(text);
        return action;
    }

    HMODULE m_module = nullptr;
    Seen m_seen;
};

TEST_F(Dialogs, ControlsFromTheTemplateInDialogUnits) {
    HWND dialog = CreateDialogParamW(m_module, MAKEINTRESOURCEW(kSettings), nullptr, SettingsProc, 7);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(m_seen.initParam, 7);
    EXPECT_FALSE(IsWindowVisible(dialog));  // the template has no WS_VISIBLE

    WCHAR text[64];
    GetWindowTextW(dialog, text, 64);
    EXPECT_EQ(std::u16string(text), u"プリンターの設定");
    struct Expected {
        int id;
        const char16_t* className;
        RECT units;  // x, y, cx, cy as the template has them
    } const table[] = {
        {kName, u"Edit", {7, 19, 226, 14}},        {kShare, u"Button", {7, 38, 150, 10}},
        {kTray, u"ComboBox", {124, 56, 109, 60}}, {kForms, u"ListBox", {124, 74, 109, 40}},
        {IDOK, u"Button", {129, 139, 50, 14}},
    };
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW logFont{};
    GetObjectW(font, sizeof logFont, &logFont);
    EXPECT_EQ(std::u16string(logFont.lfFaceName), u"MS Shell Dlg");
    EXPECT_EQ(logFont.lfHeight, -12);  // 9 points at 96 pixels per inch
    for (const auto& row : table) {
        SCOPED_TRACE(row.id);
        HWND control = GetDlgItem(dialog, row.id);
        ASSERT_NE(control, nullptr);
        GetClassNameW(control, text, 64);
        EXPECT_EQ(std::u16string(text), row.className);
        RECT expected = row.units;
        MapDialogRect(dialog, &expected);
        RECT screen{}, origin{};
        GetWindowRect(control, &screen);
        GetWindowRect(dialog, &origin);
        EXPECT_EQ(screen.left - origin.left, expected.left);
        EXPECT_EQ(screen.top - origin.top, expected.top);
        EXPECT_EQ(screen.right - screen.left, expected.right);  // position and size are mapped apart
        EXPECT_EQ(screen.bottom - screen.top, expected.bottom);
        EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
    }
    EXPECT_EQ(IsDlgButtonChecked(dialog, kLocal), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageW(dialog, kTray, CB_GETCOUNT, 0, 0), 2);
    DestroyWindow(dialog);
}

TEST_F(Dialogs, ScriptedUserEndsTheModalLoopThroughTheDialogProcedure) {
    HWND owner = CreateWindowExW(0, u"#32770", u"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    std::u16string typed;
    UINT radioLocal = 9, radioNetwork = 9, share = 9;
    LRESULT tray = -5;
    palvex::UserAction inspect = Act(palvex::UserAction::Run);
    inspect.run = [&](HWND dialog) {
        WCHAR buffer[64];
        GetDlgItemTextW(dialog, kName, buffer, 64);
        typed = buffer;
        radioLocal = IsDlgButtonChecked(dialog, kLocal);
        radioNetwork = IsDlgButtonChecked(dialog, kNetwork);
        share = IsDlgButtonChecked(dialog, kShare);
        tray = SendDlgItemMessageW(dialog, kTray, CB_GETCURSEL, 0, 0);
        EXPECT_FALSE(IsWindowEnabled(GetParent(dialog)));  // the owner waits while the dialog runs
        EXPECT_EQ(palvex::ActiveModalDialog(), dialog);
    };
    const INT_PTR result = Run({Act(palvex::UserAction::SetText, kName, 0, u"事務所 2F"),
                                Act(palvex::UserAction::Check, kShare, 1), Act(palvex::UserAction::Click, kNetwork),
                                Act(palvex::UserAction::Select, kTray, 1), inspect,
                                Act(palvex::UserAction::Click, IDOK)},
                               owner);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(typed, u"事務所 2F");
    EXPECT_EQ(share, UINT{BST_CHECKED});
    EXPECT_EQ(radioNetwork, UINT{BST_CHECKED});
    EXPECT_EQ(radioLocal, UINT{BST_UNCHECKED});  // one radio button of a group at a time
    EXPECT_EQ(tray, 1);
    // The name box has the focus from the start (the first tab stop); each click moves the focus
    // to what is clicked, so the box and the combo box hear it leave.
    const std::vector<std::pair<int, int>> commands = {
        {kName, EN_SETFOCUS},    {kName, EN_UPDATE},      {kName, EN_CHANGE},     {kName, EN_KILLFOCUS},
        {kShare, BN_CLICKED},    {kNetwork, BN_CLICKED},  {kTray, CBN_SETFOCUS},  {kTray, CBN_SELCHANGE},
        {kTray, CBN_KILLFOCUS},  {IDOK, BN_CLICKED}};
    EXPECT_EQ(m_seen.commands, commands);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(palvex::ActiveModalDialog(), nullptr);
    DestroyWindow(owner);
}

TEST_F(Dialogs, WithoutActionsTheUserClosesAndARefusedCloseStillEnds) {
    EXPECT_EQ(Run({}), IDCANCEL);  // WM_CLOSE became IDCANCEL
    ASSERT_FALSE(m_seen.commands.empty());
    EXPECT_EQ(m_seen.commands.back(), std::make_pair(IDCANCEL, 0));

    m_seen = {};
    m_seen.refuseCancel = true;
    EXPECT_EQ(Run({}), IDCANCEL);  // the user walks away from a dialog that will not close
}

TEST_F(Dialogs, HiddenOrDisabledControlsIgnoreClicks) {
    palvex::UserAction hide = Act(palvex::UserAction::Run);
    hide.run = [](HWND dialog) {
        ShowWindow(GetDlgItem(dialog, IDOK), SW_HIDE);
        EnableWindow(GetDlgItem(dialog, kShare), FALSE);
    };
    EXPECT_EQ(Run({hide, Act(palvex::UserAction::Click, IDOK), Act(palvex::UserAction::Click, kShare)}), IDCANCEL);
    for (const auto& command : m_seen.commands) EXPECT_NE(command.first, IDOK);
    for (const auto& command : m_seen.commands) EXPECT_NE(command.first, kShare);
}

TEST_F(Dialogs, WorkerMessagesArriveThroughTheQueue) {
    std::thread worker;
    std::u16string shown;
    palvex::UserAction start = Act(palvex::UserAction::Run);
    start.run = [&](HWND dialog) {
        worker = std::thread([dialog] { PostMessageW(dialog, WM_USER + 1001, 100, 0); });
    };
    palvex::UserAction read = Act(palvex::UserAction::Run);
    read.run = [&](HWND dialog) {
        WCHAR buffer[64];
        GetDlgItemTextW(dialog, kName, buffer, 64);
        shown = buffer;
    };
    Run({start, Act(palvex::UserAction::Wait), read});
    worker.join();
    EXPECT_EQ(shown, u"from the worker");
}

TEST_F(Dialogs, AReportTheLoopDispatchedBeforeTheWaitEndsTheWait) {
    // The worker has posted before the user's next step, so the loop dispatches the report first;
    // waiting for it must not then wait for another one.
    std::u16string shown;
    palvex::UserAction start = Act(palvex::UserAction::Run);
    start.run = [&](HWND dialog) {
        std::thread([dialog] { PostMessageW(dialog, WM_USER + 1001, 100, 0); }).join();
    };
    palvex::UserAction read = Act(palvex::UserAction::Run);
    read.run = [&](HWND dialog) {
        WCHAR buffer[64];
        GetDlgItemTextW(dialog, kName, buffer, 64);
        shown = buffer;
    };
    Run({start, Act(palvex::UserAction::Wait), read});
    EXPECT_EQ(shown, u"from the worker");
}

TEST_F(Dialogs, TemplatesInMemoryAndMissingResources) {
    // A classic template without a font: WS_POPUP, one push button "OK" (id 1) at (5, 5, 40, 14).
    alignas(4) const WORD bytes[] = {0x0000, 0x8000, 0, 0, 1, 0, 0, 100, 50, 0, 0, u'T', 0, 0,
                                     0x0000, 0x5001, 0, 0, 5, 5, 40, 14, 1, 0xFFFF, 0x0080, u'O', u'K', 0, 0};
    HWND dialog =
        CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes), nullptr, SettingsProc, 3);
    ASSERT_NE(dialog, nullptr);
    RECT button{};
    GetClientRect(GetDlgItem(dialog, IDOK), &button);
    EXPECT_EQ(button.right, 40 * 8 / 4);  // the system font's base units, 8 by 16
    EXPECT_EQ(button.bottom, 14 * 16 / 8);
    DestroyWindow(dialog);
    EXPECT_EQ(DialogBoxParamW(m_module, MAKEINTRESOURCEW(999), nullptr, SettingsProc, 0), -1);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_RESOURCE_NAME_NOT_FOUND});
}

TEST_F(Dialogs, ScriptFileDrivesTheUserAndAnswersMessageBoxes) {
    const auto folder = std::filesystem::temp_directory_path() / ("palvex-script-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const auto script = folder / "script.txt";
    {
        std::ofstream out(script);
        out << "# a user who types, looks and agrees\n"
            << "text 1001 テスト\n"
            << "dump " << (folder / "tree.txt").string() << "\n"
            << "picture " << (folder / "settings.png").string() << "\n"
            << "answer 7\n"
            << "click 1\n";
    }
    RECT client{};
    palvex::UserAction measure = Act(palvex::UserAction::Run);
    measure.run = [&](HWND dialog) { GetClientRect(dialog, &client); };
    palvex::QueueUserActions({measure});
    ASSERT_TRUE(palvex::LoadUserScript(script));
    EXPECT_EQ(MessageBoxW(nullptr, u"?", u"Q", MB_YESNO), IDNO);
    EXPECT_EQ(DialogBoxParamW(m_module, MAKEINTRESOURCEW(kSettings), nullptr, SettingsProc, 0), 42);
    std::ifstream tree(folder / "tree.txt");
    std::string first, second;
    std::getline(tree, first);
    EXPECT_EQ(first, "#32770 id=0 \"プリンターの設定\" (0,0)-(" + std::to_string(client.right) + "," +
                         std::to_string(client.bottom) + ")");
    std::string all((std::istreambuf_iterator<char>(tree)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("  Edit id=1001 \"テスト\""), std::string::npos);
    EXPECT_NE(all.find("  Button id=1003 \"ローカル\""), std::string::npos);
    EXPECT_NE(all.find("[checked]"), std::string::npos);
    cairo_surface_t* picture = cairo_image_surface_create_from_png((folder / "settings.png").c_str());
    EXPECT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(picture), client.right + 2);  // a frame pixel each side
    EXPECT_EQ(cairo_image_surface_get_height(picture), client.bottom + 30 + 1);  // the caption bar above
    cairo_surface_destroy(picture);
    std::ofstream bad(script);
    bad << "fly 12\n";
    bad.close();
    EXPECT_FALSE(palvex::LoadUserScript(script));
    if (!std::getenv("PALVEX_KEEP_PICTURES")) std::filesystem::remove_all(folder);
}

}  // namespace
