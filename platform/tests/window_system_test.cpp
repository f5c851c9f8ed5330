// The headless window system: creation and destruction with their messages, text, fonts, the
// window tree, placement, visibility, window data and scripted message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <palvex/message_box.h>
#include <win/windows.h>

namespace {

struct Logged {
    HWND window;
    UINT message;
};
std::vector<Logged> g_log;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_log.push_back({window, message});
    return DefWindowProcW(window, message, wParam, lParam);
}

class WindowSystem : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        m_dialog = CreateWindowExW(0, u"#32770", u"Dialog", WS_POPUP | WS_VISIBLE, 100, 50, 300, 200, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(m_dialog, nullptr);
    }
    void TearDown() override {
        if (IsWindow(m_dialog)) DestroyWindow(m_dialog);
    }

    HWND Child(LPCWSTR windowClass, int id, int x = 0, int y = 0, int cx = 10, int cy = 10, HWND parent = nullptr,
               DWORD style = WS_CHILD | WS_VISIBLE) {
        return CreateWindowExW(0, windowClass, u"", style, x, y, cx, cy, parent ? parent : m_dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    HWND m_dialog = nullptr;
};

TEST_F(WindowSystem, StandardClassesWithoutRegardToCase) {
    for (LPCWSTR name : {u"Button", u"EDIT", u"static", u"ListBox", u"COMBOBOX", u"scrollbar"}) {
        HWND control = Child(name, 7);
        ASSERT_NE(control, nullptr);
    }
    SetLastError(0);
    EXPECT_EQ(Child(u"SysTreeView32", 8), nullptr);  // no page of the sheets uses a tree view
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(CreateWindowExW(0, u"Button", u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TLW_WITH_WSCHILD));
    WCHAR name[16];
    EXPECT_EQ(GetClassNameW(Child(u"combobox", 9), name, 16), 8);
    EXPECT_EQ(std::u16string(name), u"ComboBox");
}

TEST_F(WindowSystem, TextThroughMessages) {
    HWND edit = CreateWindowExW(0, u"Edit", u"first", WS_CHILD, 0, 0, 10, 10, m_dialog, nullptr, nullptr, nullptr);
    WCHAR text[8];
    EXPECT_EQ(GetWindowTextLengthW(edit), 5);
    ASSERT_TRUE(SetWindowTextW(edit, u"a longer text"));
    // A text that does not fit is cut to the buffer less its terminator.
    EXPECT_EQ(GetWindowTextW(edit, text, 8), 7);
    EXPECT_EQ(std::u16string(text), u"a longe");
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 13);
    EXPECT_EQ(GetWindowTextW(nullptr, text, 8), 0);
    EXPECT_EQ(text[0], u'\0');
}

TEST_F(WindowSystem, FontsOfControls) {
    HWND button = Child(u"Button", 1);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(SendMessageW(button, WM_GETFONT, 0, 0), 0);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), font);
}

TEST_F(WindowSystem, TreeEnumerationAndLookup) {
    HWND group = Child(u"Button", 10);
    HWND inner = Child(u"Edit", 11, 0, 0, 5, 5, group);
    HWND last = Child(u"Static", 12);
    std::vector<HWND> seen;
    EnumChildWindows(
        m_dialog, [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen, (std::vector<HWND>{group, inner, last}));
    EXPECT_EQ(GetDlgItem(m_dialog, 12), last);
    EXPECT_EQ(GetDlgItem(m_dialog, 11), nullptr);  // not a direct child
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CONTROL_ID_NOT_FOUND));
    EXPECT_EQ(GetParent(inner), group);
    EXPECT_TRUE(IsChild(m_dialog, inner));
    EXPECT_EQ(GetDlgCtrlID(last), 12);
    EXPECT_EQ(GetWindow(m_dialog, GW_CHILD), group);
    EXPECT_EQ(GetWindow(group, GW_HWNDNEXT), last);
}

TEST_F(WindowSystem, RectanglesInScreenAndClientCoordinates) {
    HWND group = Child(u"Button", 10, 20, 30, 100, 60);
    HWND inner = Child(u"Edit", 11, 5, 6, 40, 10, group);
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(inner, &rect));
    EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{125, 86, 165, 96}));
    ASSERT_TRUE(GetClientRect(inner, &rect));
    EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{0, 0, 40, 10}));
    ASSERT_TRUE(SetWindowPos(inner, nullptr, -40, -10, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    GetWindowRect(inner, &rect);
    EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{80, 70, 120, 80}));
    ASSERT_TRUE(MoveWindow(inner, 1, 2, 3, 4, TRUE));
    GetWindowRect(inner, &rect);
    EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{121, 82, 124, 86}));
}

TEST_F(WindowSystem, ZOrderOfSiblings) {
    HWND a = Child(u"Button", 1), b = Child(u"Button", 2), c = Child(u"Button", 3);
    SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(m_dialog, GW_CHILD), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
    SetWindowPos(a, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
}

TEST_F(WindowSystem, VisibilityAndEnabledStateWithTheirMessages) {
    HWND button = CreateWindowExW(0, u"Button", u"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, m_dialog, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LoggingProc));
    EXPECT_TRUE(IsWindowVisible(button));
    EXPECT_TRUE(ShowWindow(button, SW_HIDE));
    EXPECT_FALSE(ShowWindow(button, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(button));
    ShowWindow(button, SW_SHOW);
    ShowWindow(m_dialog, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(button));  // a hidden parent hides its children
    EXPECT_FALSE(EnableWindow(button, FALSE));
    EXPECT_TRUE(EnableWindow(button, FALSE) != FALSE);
    EXPECT_FALSE(IsWindowEnabled(button));
    std::vector<UINT> messages;
    for (const Logged& entry : g_log) messages.push_back(entry.message);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_SHOWWINDOW, WM_SHOWWINDOW, WM_ENABLE}));
}

TEST_F(WindowSystem, WindowDataAndSubclassing) {
    HWND edit = Child(u"Edit", 42);
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_ID), 42);
    EXPECT_EQ(GetWindowLongW(edit, GWL_STYLE), LONG(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(SetWindowLongPtrW(edit, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_USERDATA), 1234);
    SetWindowLongW(edit, GWL_EXSTYLE, WS_EX_LAYOUTRTL);
    EXPECT_EQ(GetWindowLongW(edit, GWL_EXSTYLE), LONG(WS_EX_LAYOUTRTL));
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(m_dialog));
    EXPECT_EQ(GetWindowLongPtrW(edit, 64), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
    // A window procedure taken over still reaches the original through CallWindowProcW.
    static WNDPROC original = nullptr;
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_GETTEXTLENGTH) return 99;
        return CallWindowProcW(original, w, m, wp, lp);
    })));
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(GetWindowTextLengthW(edit), 99);
    SendMessageW(edit, WM_SETFONT, 5, 0);
    EXPECT_EQ(SendMessageW(edit, WM_GETFONT, 0, 0), 5);
}

TEST_F(WindowSystem, DestructionOrderAndCleanUp) {
    HWND group = CreateWindowExW(0, u"Button", u"", WS_CHILD, 0, 0, 1, 1, m_dialog, nullptr, nullptr, nullptr);
    HWND inner = CreateWindowExW(0, u"Edit", u"", WS_CHILD, 0, 0, 1, 1, group, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(group, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LoggingProc));
    SetWindowLongPtrW(inner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LoggingProc));
    ASSERT_TRUE(DestroyWindow(group));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Logged& entry : g_log) order.emplace_back(entry.window, entry.message);
    const std::vector<std::pair<HWND, UINT>> expected = {
        {group, WM_DESTROY}, {inner, WM_DESTROY}, {inner, WM_NCDESTROY}, {group, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(group));
    EXPECT_FALSE(IsWindow(inner));
    EXPECT_EQ(GetWindow(m_dialog, GW_CHILD), nullptr);
    EXPECT_FALSE(DestroyWindow(group));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(MessageBoxScript, AnswersInOrderThenTheDefaultButton) {
    palvex::ResetMessageBoxScript();
    palvex::QueueMessageBoxAnswers({IDYES, IDCANCEL});
    EXPECT_EQ(MessageBoxW(nullptr, u"one", u"Caption", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, u"two", nullptr, MB_OKCANCEL | MB_ICONWARNING), IDCANCEL);
    EXPECT_EQ(MessageBoxW(nullptr, u"three", u"C", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"four", u"C", MB_OK), IDOK);
    const auto records = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].caption, u"Error");
    EXPECT_EQ(records[1].text, u"two");
    EXPECT_EQ(records[1].style, UINT(MB_OKCANCEL | MB_ICONWARNING));
    EXPECT_TRUE(palvex::TakeMessageBoxRecords().empty());
}

}  // namespace
