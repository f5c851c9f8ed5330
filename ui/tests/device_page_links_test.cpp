// The device page's list views and combo boxes: what they show of the printer's trays and which
// choices each tray row offers.
#include <cstring>

#include <palvex/message_box.h>
#include <palvex/os_profile.h>
#include <win/commctrl.h>

#include "device_sheet.h"
#include "items/optitem_dlglink.h"
#include "items/optitem_handler.h"
#include "options/device_info_controls.h"
#include "options/device_page_links_lists.h"
#include "spooler_forms.h"

namespace uitest {
namespace {

class DevicePageLinksTest : public DeviceSheetTest {
protected:
    std::u16string Cell(HWND list, int row, int column) {
        WCHAR text[64];
        RowText(list, row, column, text, 64);
        return text;
    }
    std::vector<bool> Shown(DWORD key) {
        std::vector<bool> shown;
        QORVAOptItemHandler* handler = Handler(key);
        for (LONG i = 0; i < handler->GetOptionCount(); ++i) shown.push_back((handler->GetOptionFlags(i) & OPTPF_HIDE) == 0);
        return shown;
    }
    // The list view's notice of a newly selected row, as its dialog passes it on.
    void ChooseRow(HWND list, int row) {
        SelectRow(list, row);
        NMLISTVIEW change{};
        change.hdr.hwndFrom = list;
        change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = row;
        change.uChanged = LVIF_STATE;
        change.uNewState = LVIS_SELECTED;
        LinkOfControl(list)->OnNotify(reinterpret_cast<LPARAM>(&change));
    }
    LRESULT Focus(HWND dialog, int id, WORD code) { return LinkOfControl(GetDlgItem(dialog, id))->Command(code, id); }
};

TEST_F(DevicePageLinksTest, TheDeviceOptionsListShowsTheInstalledTrays) {
    struct Case {
        const char* what;
        LONG tray2, tray3;
        std::u16string text;
        LONG choice;
    } cases[] = {
        {"no optional tray", 0, 0, u"トレイ1", 0},
        {"tray 2", 3, 0, u"トレイ1＋トレイ2", 1},
        {"both optional trays", 3, 3, u"トレイ1＋トレイ2＋トレイ3", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenSheet();
        Record()->m_working[kTray2].inputType = c.tray2;
        Record()->m_working[kTray3].inputType = c.tray3;
        HWND list = GetDlgItem(OpenPage(25000), 25101);
        EXPECT_EQ(Cell(list, 0, 0), u"トレイ");
        EXPECT_EQ(Cell(list, 0, 1), c.text);
        EXPECT_EQ(Cell(list, 1, 0), u"手差しユニット");
        EXPECT_EQ(Cell(list, 1, 1), u"あり");
        EXPECT_EQ(SelectedRow(list), 0);
        EXPECT_EQ(Shown(25103), (std::vector<bool>{true, true, true, false}));
        EXPECT_EQ(Handler(25103)->GetSel(), c.choice);
        CloseSheet();
    }
}

TEST_F(DevicePageLinksTest, SelectingTheManualFeedRowOffersOnlyInstalled) {
    OpenSheet();
    HWND list = GetDlgItem(OpenPage(25000), 25101);
    ChooseRow(list, 1);
    EXPECT_EQ(Shown(25103), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(std::u16string(Handler(25103)->GetSelText(nullptr)), u"あり");
    ChooseRow(list, 0);
    EXPECT_EQ(Shown(25103), (std::vector<bool>{true, true, true, false}));
}

TEST_F(DevicePageLinksTest, TheTrayListsShowSizesMediaAndWhichTraysAreThere) {
    SetPrinterNumber(u"Market", 1041);
    OpenSheet();
    QVDevinfoData* record = Record();
    record->m_working[kTray2] = TRAYINFO{3, 2, 257000, 182000, 1};
    record->m_stored[kTray2] = record->m_working[kTray2];
    HWND page = OpenPage(25000);
    HWND list = GetDlgItem(page, 25181);
    const std::u16string expected[4][3] = {
        {u"トレイ1", u"A4", u"普通紙"}, {u"トレイ2", u"B5", u"厚紙1"}, {u"トレイ3", u"A4", u"普通紙"}, {u"手差し", u"A4", u"普通紙"}};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column) EXPECT_EQ(Cell(list, row, column), expected[row][column]) << row << column;
    EXPECT_FALSE(IsWindowEnabled(list));  // the page's list only shows
    EXPECT_EQ(RowImage(list, 0), 1);
    EXPECT_EQ(RowImage(list, 1), 1);
    EXPECT_EQ(RowImage(list, 2), 0);
    EXPECT_EQ(RowImage(list, 3), 1);

    // A tray the printer reports without its paper shows the warning image once the page is told.
    record->m_working[kTray3] = TRAYINFO{3, 3, kSizeNotKnown, kSizeNotKnown, 0};
    LinkOfControl(list)->UpdateControl(nullptr);
    EXPECT_EQ(RowImage(list, 2), 0);
    record->m_working[kTray3].feedSize = 297000;
    LinkOfControl(list)->UpdateControl(nullptr);
    EXPECT_EQ(RowImage(list, 2), 1);
    EXPECT_FALSE(IsWindowEnabled(list));
}

TEST_F(DevicePageLinksTest, EachTrayOffersItsOwnSizesAndMedia) {
    SetPrinterNumber(u"Market", 1033);
    OpenSheet();
    HWND popup = OpenPopup(25200);
    HWND list = GetDlgItem(popup, 25201);
    EXPECT_EQ(SelectedRow(list), 0);
    // Size options: A5 Statement B5 A4 Letter Legal B4 A3 11x17 custom.
    struct Case {
        int row;
        std::vector<bool> sizes;
        LRESULT media;
    } cases[] = {
        {0, {false, true, true, true, true, true, true, true, true, false}, 1},
        {1, {true, true, true, true, true, true, true, true, true, false}, 3},
        {3, {true, true, true, true, true, true, true, true, true, true}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        SelectRow(list, c.row);
        Focus(popup, 25203, CBN_SETFOCUS);
        EXPECT_EQ(Shown(25203), c.sizes);
        Focus(popup, 25203, CBN_KILLFOCUS);
        EXPECT_EQ(Shown(25203), std::vector<bool>(10, true));
        Focus(popup, 25205, CBN_SETFOCUS);
        EXPECT_EQ(SendMessageW(GetDlgItem(popup, 25205), CB_GETCOUNT, 0, 0), c.media);
        EXPECT_EQ(Shown(25205), std::vector<bool>(4, true));  // entries go, the item's options stay
        Focus(popup, 25205, CBN_KILLFOCUS);
        EXPECT_EQ(SendMessageW(GetDlgItem(popup, 25205), CB_GETCOUNT, 0, 0), 4);
    }
}

TEST_F(DevicePageLinksTest, TheCustomSizeIsNamedByTheRegisteredForm) {
    RegisterCustomMedia(u"CardX", {100000, 148000});
    OpenSheet();
    Record()->m_working[kManualFeed] = TRAYINFO{5, 9, 148000, 100000, 0};
    HWND popup = OpenPopup(25200);
    DWORD visible = 0;
    EXPECT_EQ(std::u16string(Handler(25203)->GetOptionText(9, &visible, nullptr)), u"CardX");
    EXPECT_EQ(Cell(GetDlgItem(popup, 25201), 3, 1), u"CardX");
}

TEST_F(DevicePageLinksTest, UserTrackingStaysShownCheckedWhileItCannotBeChanged) {
    struct Case {
        const char* what;
        LONG value;
        DWORD state;
        bool checked, enabled;
    } cases[] = {{"on, changeable", 1, 0, true, true}, {"on, locked", 1, 0x1, true, false}, {"off, locked", 0, 0x1, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenSheet();
        Handler(1145)->SetCurSel(c.value, nullptr);
        if (c.state) Handler(1145)->SetStateBits(c.state);
        HWND page = OpenPage(25000);
        EXPECT_EQ(IsDlgButtonChecked(page, 1145) == BST_CHECKED, c.checked);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(page, 1145)) != 0, c.enabled);
        CloseSheet();
    }
}

TEST_F(DevicePageLinksTest, APaperSizeTheListDoesNotShowFallsBackToTheMarketsPaper) {
    struct Case {
        int market;
        const char16_t* paper;
    } cases[] = {{-1, u"A4"}, {1041, u"A4"}, {1033, u"Letter"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.market);
        if (c.market >= 0) SetPrinterNumber(u"Market", static_cast<DWORD>(c.market));
        OpenSheet();
        HWND page = OpenPage(25000);
        HWND combo = CreateWindowExW(0, u"COMBOBOX", u"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0, 0, 100, 100, page,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(1203)), nullptr, nullptr);
        QORVAOptItemHandler* size = Handler(1203);
        size->SetCurSel(2, nullptr);          // a size of a form that went away
        size->HideOption(2, 0x8000, nullptr);  // not listed, still selected
        auto* link = MakeOnHeap<QVOptItemDlgLinkComboboxMediaSize>(m_heap, m_heap, size, combo, 1203);
        size->AttachDlgLink(link);
        EXPECT_EQ(std::u16string(size->GetSelText(nullptr)), c.paper);
        CloseSheet();
    }
}

TEST_F(DevicePageLinksTest, TheChoicesNoteShowsOncePerSheetAndNeverOnWindows51) {
    struct Case {
        DWORD major, minor;
        size_t notes;
    } cases[] = {{10, 0, 1}, {6, 1, 1}, {5, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.major * 10 + c.minor);
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.majorVersion = c.major;
        profile.minorVersion = c.minor;
        palvex::SetOsProfile(profile);
        palvex::ResetMessageBoxScript();
        OpenSheet();
        HWND page = OpenPage(25000);
        HWND combo = GetDlgItem(page, 25103);
        for (WPARAM row : {1, 2, 0}) {
            SendMessageW(combo, CB_SETCURSEL, row, 0);
            LinkOfControl(combo)->HandleCommand(CBN_SELCHANGE, 25103);
        }
        const auto boxes = palvex::TakeMessageBoxRecords();
        ASSERT_EQ(boxes.size(), c.notes);
        if (c.notes) {
            EXPECT_EQ(boxes[0].caption, u"通知");
            EXPECT_EQ(boxes[0].owner, page);
        }
        // The choice still reaches the trays and the setting.
        EXPECT_EQ(Record()->m_working[kTray2].inputType, kInputNone);
        EXPECT_EQ(SheetSetting(u"_OPTSOURCE", 2), 1u);
        CloseSheet();
    }
}

}  // namespace
}  // namespace uitest
