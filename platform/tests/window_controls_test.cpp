// The standard controls as the option pages use them: sorted and owner-drawn lists, the edit
// box's limit (on typing, not on WM_SETTEXT) and selection, focus notifications, scroll bars.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <palvex/ui_script.h>
#include <win/windows.h>

#include "parent_window.h"

namespace {

struct ParentLog {
    std::vector<std::pair<int, int>> commands;  // (id, code)
    std::vector<std::pair<UINT, WPARAM>> scrolls;
};
ParentLog* g_parent = nullptr;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && g_parent) g_parent->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    if ((message == WM_HSCROLL || message == WM_VSCROLL) && g_parent) g_parent->scrolls.emplace_back(message, wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        m_parent.emplace(u"ControlsTestParent", ParentProc, 400, 300);
        ASSERT_NE(m_parent->get(), nullptr);
        g_parent = &m_log;
    }
    void TearDown() override {
        m_parent.reset();
        g_parent = nullptr;
    }
    HWND Make(const char16_t* className, DWORD style, int id) {
        return m_parent->Child(className, style, id, 0, 0, 100, 80);
    }
    static std::vector<std::u16string> Rows(HWND list, UINT count, UINT getText) {
        std::vector<std::u16string> rows;
        const auto n = SendMessageW(list, count, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            WCHAR text[64] = {};
            SendMessageW(list, getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            rows.emplace_back(text);
        }
        return rows;
    }

    std::optional<palvex::testing::ParentWindow> m_parent;
    ParentLog m_log;
};

TEST_F(Controls, SortedListsInsertWithoutRegardToCaseAndKeepTheSelection) {
    struct Kind {
        const char16_t* className;
        DWORD sortStyle;
        UINT add, insert, count, getText, getSel, setSel, findExact, selectString;
    } const kinds[] = {
        {u"ListBox", LBS_SORT, LB_ADDSTRING, LB_INSERTSTRING, LB_GETCOUNT, LB_GETTEXT, LB_GETCURSEL, LB_SETCURSEL,
         LB_FINDSTRINGEXACT, LB_SELECTSTRING},
        {u"ComboBox", CBS_SORT | CBS_DROPDOWNLIST, CB_ADDSTRING, CB_INSERTSTRING, CB_GETCOUNT, CB_GETLBTEXT, CB_GETCURSEL,
         CB_SETCURSEL, CB_FINDSTRINGEXACT, CB_SELECTSTRING},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(reinterpret_cast<const char*>(kind.className));
        HWND list = Make(kind.className, kind.sortStyle, 10);
        for (const char16_t* text : {u"letter", u"A4", u"b5", u"Legal"})
            SendMessageW(list, kind.add, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(Rows(list, kind.count, kind.getText), (std::vector<std::u16string>{u"A4", u"b5", u"Legal", u"letter"}));
        SendMessageW(list, kind.setSel, 2, 0);  // Legal
        // An insert goes where it is asked to, even in a sorted list; the selection follows its row.
        EXPECT_EQ(SendMessageW(list, kind.insert, 0, reinterpret_cast<LPARAM>(u"0")), 0);
        EXPECT_EQ(SendMessageW(list, kind.getSel, 0, 0), 3);
        EXPECT_EQ(SendMessageW(list, kind.add, 0, reinterpret_cast<LPARAM>(u"B4")), 2);  // between A4 and b5
        EXPECT_EQ(SendMessageW(list, kind.getSel, 0, 0), 4);
        EXPECT_EQ(SendMessageW(list, kind.findExact, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"LETTER")), 5);
        EXPECT_EQ(SendMessageW(list, kind.findExact, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"Let")), -1);
        EXPECT_EQ(SendMessageW(list, kind.selectString, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"le")), 4);
        EXPECT_EQ(SendMessageW(list, kind.getSel, 0, 0), 4);
        DestroyWindow(list);
    }
    // A combo box shows the selected row in its field.
    HWND combo = Make(u"ComboBox", CBS_DROPDOWNLIST, 11);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"はがき"));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    WCHAR text[16] = {};
    GetWindowTextW(combo, text, 16);
    EXPECT_EQ(std::u16string(text), u"はがき");
}

TEST_F(Controls, OwnerDrawnListWithoutStringsKeepsTheCallersValues) {
    HWND list = Make(u"ListBox", LBS_OWNERDRAWFIXED | LBS_SORT, 12);
    SendMessageW(list, LB_ADDSTRING, 0, 0x3000);
    SendMessageW(list, LB_ADDSTRING, 0, 0x1000);  // no strings: no sorting either
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 0, 0), 0x3000);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 1, 0), 0x1000);
    LPARAM value = 0;
    EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(&value)), static_cast<LRESULT>(sizeof(LPARAM)));
    EXPECT_EQ(value, 0x1000);
}

TEST_F(Controls, TheLimitHoldsTypingButNotTheProgramsText) {
    HWND edit = Make(u"Edit", WS_TABSTOP, 20);
    SendMessageW(edit, EM_LIMITTEXT, 4, 0);
    SetWindowTextW(edit, u"123456");
    EXPECT_EQ(GetWindowTextLengthW(edit), 6);
    SetWindowTextW(edit, u"");
    // The user types in a modal dialog of this window's parent's kind: here straight to the edit.
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"123456"));
    WCHAR text[16] = {};
    GetWindowTextW(edit, text, 16);
    EXPECT_EQ(std::u16string(text), u"1234");
    // Typing over a selection keeps the rest, within the limit.
    SendMessageW(edit, EM_SETSEL, 1, 3);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"ab"));
    GetWindowTextW(edit, text, 16);
    EXPECT_EQ(std::u16string(text), u"1ab4");
    DWORD start = 9, end = 9;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 3u);
    EXPECT_EQ(end, 3u);
    EXPECT_EQ(m_log.commands.back(), std::make_pair(20, static_cast<int>(EN_CHANGE)));
}

TEST_F(Controls, EditSelection) {
    HWND edit = Make(u"Edit", 0, 21);
    SetWindowTextW(edit, u"abcdef");
    struct Case {
        int start, end;
        DWORD wantStart, wantEnd;
    } const cases[] = {
        {0, -1, 0, 6}, {2, 4, 2, 4}, {4, 2, 2, 4}, {3, 99, 3, 6}, {-1, 0, 6, 6},
    };
    for (const auto& c : cases) {
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
        const LRESULT both = SendMessageW(edit, EM_GETSEL, 0, 0);
        EXPECT_EQ(LOWORD(both), c.wantStart) << c.start << "," << c.end;
        EXPECT_EQ(HIWORD(both), c.wantEnd) << c.start << "," << c.end;
    }
}

TEST_F(Controls, FocusMovesWithKillAndSetNotifications) {
    HWND first = Make(u"Edit", WS_TABSTOP, 30);
    HWND second = Make(u"Edit", WS_TABSTOP, 31);
    HWND combo = Make(u"ComboBox", CBS_DROPDOWN, 32);
    m_log.commands.clear();
    SetFocus(first);
    SetFocus(second);
    SetFocus(combo);
    EXPECT_EQ(m_log.commands, (std::vector<std::pair<int, int>>{{30, EN_SETFOCUS},
                                                               {30, EN_KILLFOCUS},
                                                               {31, EN_SETFOCUS},
                                                               {31, EN_KILLFOCUS},
                                                               {32, CBN_SETFOCUS}}));
    EXPECT_EQ(GetFocus(), combo);
}

TEST_F(Controls, ScrollBarKeepsItsPositionInItsRange) {
    HWND bar = Make(u"ScrollBar", SBS_HORZ, 40);
    EXPECT_EQ(SendMessageW(bar, SBM_GETPOS, 0, 0), 0);
    SendMessageW(bar, SBM_SETRANGE, 10, 50);
    EXPECT_EQ(SendMessageW(bar, SBM_SETPOS, 70, TRUE), 10);  // the previous position, moved into the range
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 50);
    int low = 0, high = 0;
    EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &low, &high));
    EXPECT_EQ(low, 10);
    EXPECT_EQ(high, 50);
    SetScrollPos(bar, SB_CTL, 5, TRUE);
    EXPECT_EQ(SendMessageW(bar, SBM_GETPOS, 0, 0), 10);
}

TEST_F(Controls, OwnerDrawnButtonClicksLikeAPushButton) {
    HWND button = Make(u"Button", BS_OWNERDRAW, 50);
    m_log.commands.clear();
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(m_log.commands, (std::vector<std::pair<int, int>>{{50, BN_CLICKED}}));
    EnableWindow(button, FALSE);
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(m_log.commands.size(), 1u);
}

}  // namespace
