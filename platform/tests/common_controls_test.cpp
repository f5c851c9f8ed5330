// The common controls: the tab control's hit test and selection notifications, the list view's
// columns, rows, sorting and selection, the extended combo box's images, the up-down arrows with
// their buddy and UDN_DELTAPOS, the progress bar and image lists.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <palvex/ui_script.h>
#include <win/commctrl.h>
#include <win/windows.h>

#include <unistd.h>

#include "parent_window.h"

namespace {

struct Notes {
    std::vector<UINT> codes;
    std::vector<int> deltas;          // UDN_DELTAPOS
    std::vector<std::pair<int, UINT>> listChanges;  // LVN_ITEMCHANGED: row, new state
    std::vector<int> scrollPositions;
    LRESULT answer = 0;               // to TCN_SELCHANGING and UDN_DELTAPOS
};
Notes* g_notes = nullptr;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && g_notes) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        g_notes->codes.push_back(header->code);
        if (header->code == UDN_DELTAPOS) g_notes->deltas.push_back(reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta);
        if (header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            g_notes->listChanges.emplace_back(change->iItem, change->uNewState);
        }
        if (header->code == TCN_SELCHANGING || header->code == UDN_DELTAPOS) return g_notes->answer;
        return 0;
    }
    if (message == WM_VSCROLL && g_notes) g_notes->scrollPositions.push_back(HIWORD(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

class CommonControls : public ::testing::Test {
protected:
    void SetUp() override {
        m_parent.emplace(u"CommonControlsParent", ParentProc, 500, 400);
        ASSERT_NE(m_parent->get(), nullptr);
        g_notes = &m_notes;
    }
    void TearDown() override {
        m_parent.reset();
        g_notes = nullptr;
    }
    // r: left, top, width, height.
    HWND Make(const char16_t* className, DWORD style, int id, RECT r = {0, 0, 300, 100}) {
        return m_parent->Child(className, style, id, r.left, r.top, r.right, r.bottom);
    }

    std::optional<palvex::testing::ParentWindow> m_parent;
    Notes m_notes;
};

void AddTab(HWND tab, int at, const char16_t* text) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(text);
    SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
}

TEST_F(CommonControls, TabHitTestSelectsWithNotifications) {
    HWND tab = Make(WC_TABCONTROLW, 0, 100);
    AddTab(tab, 0, u"基本設定");
    AddTab(tab, 1, u"レイアウト");
    AddTab(tab, 2, u"詳細");
    EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);  // the first tab inserted is selected
    RECT first{}, third{};
    ASSERT_TRUE(SendMessageW(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first)));
    ASSERT_TRUE(SendMessageW(tab, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third)));
    EXPECT_LT(first.right, third.left + 1);
    struct Case {
        POINT point;
        int hit;
    } const cases[] = {
        {{(first.left + first.right) / 2, (first.top + first.bottom) / 2}, 0},
        {{(third.left + third.right) / 2, (third.top + third.bottom) / 2}, 2},
        {{third.right + 5, third.top + 2}, -1},
        {{first.left + 2, first.bottom + 20}, -1},  // the display area is no tab
    };
    for (const auto& c : cases) {
        TCHITTESTINFO info{c.point, 0};
        EXPECT_EQ(SendMessageW(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), c.hit);
        EXPECT_EQ(info.flags, c.hit < 0 ? static_cast<UINT>(TCHT_NOWHERE) : static_cast<UINT>(TCHT_ONITEM));
    }
    const LPARAM onThird = MAKELPARAM((third.left + third.right) / 2, (third.top + third.bottom) / 2);
    m_notes.answer = TRUE;  // the parent refuses to let the selection go
    SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, onThird);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(m_notes.codes, (std::vector<UINT>{TCN_SELCHANGING}));
    m_notes.answer = FALSE;
    m_notes.codes.clear();
    SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, onThird);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(m_notes.codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
    m_notes.codes.clear();
    SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, onThird);  // the selected tab again: nothing
    EXPECT_TRUE(m_notes.codes.empty());
    // TCM_SETCURSEL selects quietly; deleting the selected tab leaves none selected.
    EXPECT_EQ(SendMessageW(tab, TCM_SETCURSEL, 1, 0), 2);
    EXPECT_TRUE(m_notes.codes.empty());
    SendMessageW(tab, TCM_DELETEITEM, 1, 0);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), -1);
    WCHAR text[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(tab, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::u16string(text), u"詳細");
    RECT area{0, 0, 300, 100};
    SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    EXPECT_GT(area.top, first.bottom - 1);
    RECT back = area;
    SendMessageW(tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(back.top, 0);
    EXPECT_EQ(back.right, 300);
}

TEST_F(CommonControls, ListViewColumnsRowsSortingAndSelection) {
    HWND view = Make(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING, 200);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 80;
    column.pszText = const_cast<LPWSTR>(u"名前");
    EXPECT_EQ(SendMessageW(view, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)), 0);
    column.pszText = const_cast<LPWSTR>(u"サイズ");
    EXPECT_EQ(SendMessageW(view, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)), 1);
    int row = 0;
    for (const char16_t* name : {u"Letter", u"A4", u"B5"}) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = 99;
        item.pszText = const_cast<LPWSTR>(name);
        item.lParam = ++row;
        SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<LPWSTR>(u"210 x 297");
    SendMessageW(view, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&sub));
    WCHAR text[32] = {};
    LVITEMW read{};
    read.mask = LVIF_TEXT | LVIF_PARAM;
    read.pszText = text;
    read.cchTextMax = 32;
    const std::pair<const char16_t*, LPARAM> expected[] = {{u"A4", 2}, {u"B5", 3}, {u"Letter", 1}};
    for (int i = 0; i < 3; ++i) {
        read.iItem = i;
        read.iSubItem = 0;
        ASSERT_TRUE(SendMessageW(view, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)));
        EXPECT_EQ(std::u16string(text), expected[i].first);
        EXPECT_EQ(read.lParam, expected[i].second);
    }
    read.iSubItem = 1;
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&read)), 9);
    EXPECT_EQ(std::u16string(text), u"210 x 297");

    LVITEMW state{};
    state.state = state.stateMask = LVIS_SELECTED;
    SendMessageW(view, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    SendMessageW(view, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));  // single selection: 1 lets go
    EXPECT_EQ(m_notes.listChanges, (std::vector<std::pair<int, UINT>>{{1, LVIS_SELECTED}, {1, 0}, {2, LVIS_SELECTED}}));
    EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMSTATE, 1, LVIS_SELECTED), 0);
    EXPECT_TRUE(SendMessageW(view, LVM_DELETEITEM, 0, 0));
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
}

// Counts the pixels of a colour in a picture of the window.
long CountColour(HWND window, const std::filesystem::path& png, uint32_t colour) {
    palvex::WriteWindowPicture(window, png);
    cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
    long count = 0;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
                if ((*reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF) == colour) ++count;
    }
    cairo_surface_destroy(surface);
    return count;
}

TEST_F(CommonControls, ListViewCheckBoxesAndTheProgressMarquee) {
    HWND view = Make(WC_LISTVIEWW, LVS_REPORT, 300);
    // The mask (wParam) limits which extended styles change; 0 changes them all.
    EXPECT_EQ(SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT), 0);
    EXPECT_EQ(SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, 0),
              LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(SendMessageW(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_CHECKBOXES);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 200;
    column.pszText = const_cast<LPWSTR>(u"プリンター名");
    SendMessageW(view, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<LPWSTR>(u"Palvex QX500");
    ASSERT_EQ(SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 0);
    // A new row starts unchecked; checking it is a state change the parent hears of.
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
    EXPECT_FALSE(ListView_GetCheckState(view, 0));
    const auto pictures = std::filesystem::temp_directory_path() / ("controls-" + std::to_string(getpid()));
    std::filesystem::create_directories(pictures);
    const long inkUnchecked = CountColour(view, pictures / "unchecked.png", 0x000000);
    EXPECT_TRUE(ListView_SetCheckState(view, 0, TRUE));
    EXPECT_TRUE(ListView_GetCheckState(view, 0));
    EXPECT_EQ(m_notes.listChanges, (std::vector<std::pair<int, UINT>>{{0, INDEXTOSTATEIMAGEMASK(2)}}));
    EXPECT_GT(CountColour(view, pictures / "checked.png", 0x000000), inkUnchecked);  // the tick

    // The marquee's block shows only on a bar with the marquee style.
    constexpr uint32_t kGreen = 0x06B025;
    HWND plain = Make(PROGRESS_CLASSW, 0, 301);
    SendMessageW(plain, PBM_SETMARQUEE, TRUE, 50);
    EXPECT_EQ(CountColour(plain, pictures / "plain.png", kGreen), 0);
    HWND marquee = Make(PROGRESS_CLASSW, PBS_MARQUEE, 302);
    SendMessageW(marquee, PBM_SETMARQUEE, TRUE, 50);
    EXPECT_GT(CountColour(marquee, pictures / "marquee.png", kGreen), 0);
    SendMessageW(marquee, PBM_SETMARQUEE, FALSE, 0);
    EXPECT_EQ(CountColour(marquee, pictures / "stopped.png", kGreen), 0);
    std::filesystem::remove_all(pictures);
}

TEST_F(CommonControls, ALabelWithoutWordWrapKeepsEachLineOnOneLine) {
    // Three words that fit the box only one per line: a wrapping label shows them all, one that
    // does not wrap shows the first line cut at the box's edge.
    const auto pictures = std::filesystem::temp_directory_path() / ("labels-" + std::to_string(getpid()));
    std::filesystem::create_directories(pictures);
    long ink[2] = {};
    int i = 0;
    for (DWORD style : {DWORD{SS_LEFT}, DWORD{SS_LEFTNOWORDWRAP}}) {
        HWND label = Make(u"Static", style, 310 + i, {0, 0, 40, 60});
        SetWindowTextW(label, u"WWW WWW WWW");
        ink[i] = CountColour(label, pictures / ("label" + std::to_string(i) + ".png"), 0x000000);
        ++i;
    }
    EXPECT_GT(ink[1], 0);
    EXPECT_LT(ink[1], ink[0]);
    std::filesystem::remove_all(pictures);
}

TEST_F(CommonControls, UpDownAsksItsParentAndShowsThePositionInItsBuddy) {
    HWND buddy = Make(u"Edit", 0, 300, {10, 10, 60, 20});
    HWND updown = Make(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 301, {0, 0, 16, 20});
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(updown, UDM_GETBUDDY, 0, 0)), buddy);
    RECT box{}, arrows{};
    GetWindowRect(buddy, &box);
    GetWindowRect(updown, &arrows);
    EXPECT_EQ(arrows.left, box.right);  // the arrows sit at the right of the shrunk box
    EXPECT_EQ(box.right - box.left, 44);

    SendMessageW(updown, UDM_SETRANGE32, 1, 3);
    SendMessageW(updown, UDM_SETPOS32, 0, 2);
    WCHAR text[8] = {};
    GetWindowTextW(buddy, text, 8);
    EXPECT_EQ(std::u16string(text), u"2");
    // Up, up (stops at 3), down; the parent refuses one press.
    const struct {
        bool up;
        LRESULT answer;
        int position;
    } steps[] = {{true, 0, 3}, {true, 0, 3}, {false, TRUE, 3}, {false, 0, 2}};
    for (const auto& step : steps) {
        m_notes.answer = step.answer;
        SendMessageW(updown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, step.up ? 2 : 18));
        EXPECT_EQ(SendMessageW(updown, UDM_GETPOS32, 0, 0), step.position);
    }
    EXPECT_EQ(m_notes.deltas, (std::vector<int>{1, 1, -1, -1}));
    EXPECT_EQ(m_notes.scrollPositions, (std::vector<int>{3, 3, 2}));
    GetWindowTextW(buddy, text, 8);
    EXPECT_EQ(std::u16string(text), u"2");
    // A new up-down counts from 100 down to 0: its up arrow steps toward 0.
    HWND plain = Make(UPDOWN_CLASSW, 0, 302, {0, 40, 16, 20});
    m_notes.deltas.clear();
    m_notes.answer = 0;
    SendMessageW(plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 2));
    EXPECT_EQ(m_notes.deltas, std::vector<int>{-1});
}

TEST_F(CommonControls, ProgressBarAndImageLists) {
    HWND bar = Make(PROGRESS_CLASSW, 0, 400);
    EXPECT_EQ(SendMessageW(bar, PBM_SETRANGE32, 0, 50), MAKELONG(0, 100));
    SendMessageW(bar, PBM_SETPOS, 20, 0);
    SendMessageW(bar, PBM_SETSTEP, 20, 0);
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessageW(bar, PBM_STEPIT, 0, 0), 40);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50);

    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_ReplaceIcon(list, -1, nullptr), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    HWND combo = Make(WC_COMBOBOXEXW, CBS_DROPDOWNLIST, 401);
    EXPECT_EQ(SendMessageW(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list)), 0);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    item.pszText = const_cast<LPWSTR>(u"カラー");
    item.iImage = item.iSelectedImage = 0;
    EXPECT_EQ(SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 0);
    item.pszText = const_cast<LPWSTR>(u"白黒");
    item.iImage = item.iSelectedImage = 1;
    EXPECT_EQ(SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 1);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    COMBOBOXEXITEMW read{};
    read.mask = CBEIF_IMAGE;
    read.iItem = -1;  // the selected row
    EXPECT_TRUE(SendMessageW(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)));
    EXPECT_EQ(read.iImage, 1);
    DestroyWindow(combo);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
}

}  // namespace
