// The headless user's "tick" of a list view row: the row's check box turns over as a click on it
// would turn it, the parent hears LVN_ITEMCHANGED, and lists that cannot be clicked are left alone.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <palvex/ui_script.h>
#include <win/commctrl.h>
#include <win/windows.h>

namespace {

constexpr int kChecked = 300, kPlain = 301, kDisabled = 302;

struct Seen {
    std::vector<std::pair<int, int>> changes;  // LVN_ITEMCHANGED: control, row
    std::vector<std::vector<bool>> checks;     // each list's rows as the dialog ends
    HWND focus = nullptr;
    HWND checkedList = nullptr;
};
Seen* g_seen = nullptr;

HWND MakeList(HWND dialog, int id, DWORD extended, bool enabled) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 80, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended);
    for (const char16_t* text : {u"Palvex QX500", u"Palvex QX700"}) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = 99;
        item.pszText = const_cast<LPWSTR>(text);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    EnableWindow(list, enabled);
    return list;
}

INT_PTR CALLBACK ListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        g_seen->checkedList = MakeList(dialog, kChecked, LVS_EX_CHECKBOXES, true);
        MakeList(dialog, kPlain, 0, true);
        MakeList(dialog, kDisabled, LVS_EX_CHECKBOXES, false);
        return TRUE;
    case WM_NOTIFY: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change->hdr.code == LVN_ITEMCHANGED) g_seen->changes.emplace_back(static_cast<int>(change->hdr.idFrom), change->iItem);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            g_seen->focus = GetFocus();
            for (int id : {kChecked, kPlain, kDisabled}) {
                std::vector<bool> rows;
                for (int row = 0; row < 2; ++row) rows.push_back(ListView_GetCheckState(GetDlgItem(dialog, id), row));
                g_seen->checks.push_back(rows);
            }
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

TEST(ListViewTick, TurnsTheRowsCheckBoxOverAsAClickWould) {
    Seen seen;
    g_seen = &seen;
    palvex::ResetUserScript();
    const auto script = std::filesystem::temp_directory_path() / ("palvex-tick-" + std::to_string(getpid()) + ".txt");
    std::ofstream(script) << "tick 300 1\ntick 300 0\ntick 300 1\n"
                          << "tick 300 2\ntick 300 -1\n"  // rows the list does not hold
                          << "tick 301 0\ntick 302 0\ntick 303 0\n";
    ASSERT_TRUE(palvex::LoadUserScript(script));
    // WS_POPUP | WS_VISIBLE | DS_SETFONT off, no controls: the lists are made by the dialog itself.
    alignas(4) const WORD bytes[] = {0x0000, 0x9000, 0, 0, 0, 0, 0, 220, 120, 0, 0, u'L', 0};
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes), nullptr, ListDialogProc, 0), IDCANCEL);
    std::filesystem::remove(script);
    g_seen = nullptr;

    // Row 1 ticked, row 0 ticked, row 1 ticked again: it turns back.
    EXPECT_EQ(seen.changes, (std::vector<std::pair<int, int>>{{kChecked, 1}, {kChecked, 0}, {kChecked, 1}}));
    ASSERT_EQ(seen.checks.size(), 3u);
    EXPECT_EQ(seen.checks[0], (std::vector<bool>{true, false}));
    EXPECT_EQ(seen.checks[1], (std::vector<bool>{false, false}));  // no check boxes: nothing to click
    EXPECT_EQ(seen.checks[2], (std::vector<bool>{false, false}));  // disabled
    EXPECT_EQ(seen.focus, seen.checkedList);  // the click gave the list the focus
}

TEST(ListViewTick, TheScriptLineNeedsAControlAndARow) {
    palvex::ResetUserScript();
    const auto script = std::filesystem::temp_directory_path() / ("palvex-tick-bad-" + std::to_string(getpid()) + ".txt");
    for (const char* line : {"tick\n", "tick 300\n", "tick 300 x\n"}) {
        std::ofstream(script, std::ios::trunc) << line;
        EXPECT_FALSE(palvex::LoadUserScript(script)) << line;
    }
    std::filesystem::remove(script);
}

}  // namespace
