// The nested sheets of TVOT_PROPSHEET and TVOT_PROPSHEETUI items: which items of a standard group
// are copied, how the copies are adjusted, and the common property sheet made of them.
#include <palvex/ui_script.h>
#include <win/commctrl.h>

#include "optitem_sheet.h"
#include "sheet_pages.h"

namespace uitest {
namespace {

constexpr DWORD kGroup = 400;
constexpr DWORD kFirstChild = 401;
constexpr DWORD kSecondChild = 402;
constexpr DWORD kSheetItem = 410;
constexpr DWORD kGroupBit = 0x80000000u;

class NestedSheets : public SheetTest {
protected:
    // Driver items (the first three): a font group 1019 with one child, and the TrueType item;
    // then the kit's items: group 400 with two children and a TVOT_PROPSHEETUI item naming groups.
    void SetUp() override {
        POPTITEM fonts = AddItem(2, TVOT_2STATES, 2);  // a driver item
        fonts->HelpIndex = 1019;
        fonts->Level = 1;
        AddItem(5, TVOT_2STATES, 2)->Level = 2;                 // the font group's child
        AddItem(8, TVOT_2STATES, 2)->Level = 1;                 // DMPUB_TTOPTION
        AddItem(kGroup, TVOT_COMBOBOX, 2)->Level = 1;
        POPTITEM first = AddItem(kFirstChild, TVOT_COMBOBOX, 3);
        first->Level = 2;
        first->Flags = OPTIF_HIDE | OPTIF_COLLAPSE;
        POPTITEM second = AddItem(kSecondChild, TVOT_COMBOBOX, 3);
        second->Level = 3;
        second->Flags = OPTIF_HIDE | OPTIF_COLLAPSE | OPTIF_DISABLED;
        POPTITEM sheet = AddItem(kSheetItem, kTypePropSheetUI, 4);
        sheet->Level = 1;
        sheet->pName = const_cast<LPWSTR>(u"Fonts and more");
        OPTPARAM* options = sheet->pOptType->pOptParam;
        options[0].IconID = kGroupBit | kGroup;
        options[0].pData = const_cast<LPWSTR>(u"Group 400");
        options[0].lParam = 77;
        options[1].IconID = 0;                  // no page
        options[2].IconID = kGroupBit | 999;    // a group the sheet does not list
        options[3].IconID = kGroupBit | 1019;
        options[3].pData = const_cast<LPWSTR>(u"Fonts");
        MakeFactory();
        m_record.pDrvOptItems = m_items.data();
        m_record.cDrvOptItems = 3;
        m_record.pOEMOptItems = m_items.data() + 3;
        m_record.cOEMOptItems = static_cast<DWORD>(m_items.size() - 3);
        m_extension->CountOptItems(&m_record);  // the sheet state's record
        m_extension->m_factory = m_factory;
        m_extension->m_standardGroups[0] = kGroup;
        m_extension->m_standardGroups[1] = 1019;
    }
    void TearDown() override {
        palvex::ResetUserScript();
        m_extension->m_factory = nullptr;
    }
    POPTITEM SheetItem() { return &m_items.back(); }
    const COMPROPSHEETUI& Entry(const NestedSheetRecord* record, DWORD i) {
        return *reinterpret_cast<const COMPROPSHEETUI*>(record->m_entries[i].m_parameter);
    }
};

TEST_F(NestedSheets, EachListedGroupBecomesATreePageOfAdjustedCopies) {
    Handler(kSecondChild)->SetStateBits(0x100);  // a reason to be disabled
    Handler(kFirstChild)->SetExtState(0);        // hidden
    NestedSheetRecord* record = nullptr;
    ASSERT_EQ(BuildNestedComPropSheet(m_extension, SheetItem(), nullptr, &record), S_OK);
    ASSERT_EQ(record->m_count, 2u);  // group 400 and the font group; 0 and 999 are skipped
    EXPECT_EQ(std::u16string(record->m_title), u"Fonts and more");

    const COMPROPSHEETUI& group = Entry(record, 0);
    EXPECT_EQ(record->m_entries[0].m_function, static_cast<DWORD>(CPSFUNC_ADD_PCOMPROPSHEETUIW));
    ASSERT_EQ(group.cOptItem, 2);
    EXPECT_EQ(group.pOptItem[0].DMPubID, m_items[4].DMPubID);
    EXPECT_EQ(group.pOptItem[0].Level, 1);  // the first item below the group at level 1
    EXPECT_EQ(group.pOptItem[1].Level, 2);
    EXPECT_EQ(group.pOptItem[0].DlgPageIdx, 0);
    // No link places them: shown and expanded, unless disabled; then the handlers' state.
    EXPECT_EQ(group.pOptItem[0].Flags, static_cast<DWORD>(OPTIF_HIDE));
    EXPECT_EQ(group.pOptItem[1].Flags, static_cast<DWORD>(OPTIF_HIDE | OPTIF_DISABLED));
    EXPECT_EQ(group.cDlgPage, 1);
    EXPECT_EQ(group.pDlgPage[0].DlgTemplateID, DP_STD_TREEVIEWPAGE);
    EXPECT_EQ(std::u16string(group.pDlgPage[0].pTabName), u"Group 400");
    EXPECT_EQ(group.pDlgPage[0].IconID, 77u);
    EXPECT_EQ(group.Flags, CPSUIF_UPDATE_PERMISSION);
    EXPECT_EQ(group.UserData, reinterpret_cast<ULONG_PTR>(m_extension));
    EXPECT_EQ(group.CallerVersion, 0x100);
    EXPECT_EQ(group.OptItemVersion, 0x400);

    // The font group: the TrueType item at level 2 in front of the group's child.
    const COMPROPSHEETUI& fonts = Entry(record, 1);
    ASSERT_EQ(fonts.cOptItem, 2);
    EXPECT_EQ(fonts.pOptItem[0].DMPubID, 8);
    EXPECT_EQ(fonts.pOptItem[0].Level, 2);
    EXPECT_EQ(fonts.pOptItem[1].DMPubID, 5);
    FreeNestedComPropSheet(record);
}

TEST_F(NestedSheets, ASheetWithNothingToShowIsRefused) {
    m_extension->m_standardGroups[0] = 0;
    m_extension->m_standardGroups[1] = 0;
    NestedSheetRecord* record = nullptr;
    EXPECT_EQ(BuildNestedComPropSheet(m_extension, SheetItem(), nullptr, &record), E_FAIL);
    EXPECT_EQ(record, nullptr);
    // Without the resource library no kit page can be made either.
    PROPSHEETPAGEW pages[4];
    PROPSHEETHEADERW header{};
    SheetItem()->pOptType->pOptParam[1].IconID = 16001;
    EXPECT_EQ(BuildNestedPropertySheet(m_extension, SheetItem(), nullptr, pages, 4, &header), E_FAIL);
}

TEST_F(NestedSheets, StandardItemsAreUnplacedUntilEveryOneHasALink) {
    EXPECT_TRUE(HasUnplacedStandardItems(m_extension, SheetItem()));
    for (DWORD key : {kFirstChild, kSecondChild, DWORD{5}, DWORD{8}}) Handler(key)->SetHasLink(1);
    EXPECT_FALSE(HasUnplacedStandardItems(m_extension, SheetItem()));
}

TEST_F(NestedSheets, TheNestedSheetShowsTheCopiesAndAChangeReachesTheSheetsHandler) {
    NestedSheetRecord* record = nullptr;
    ASSERT_EQ(BuildNestedComPropSheet(m_extension, SheetItem(), nullptr, &record), S_OK);
    std::u16string caption, firstTab;
    int tabs = 0;
    palvex::UserAction look;
    look.kind = palvex::UserAction::Run;
    look.run = [&](HWND frame) {
        WCHAR text[64] = {};
        GetWindowTextW(frame, text, 64);
        caption = text;
        HWND tab = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0));
        tabs = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tab, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        firstTab = text;
        EXPECT_EQ(GetDlgItem(frame, ID_APPLY_NOW), nullptr);  // no Apply button
    };
    palvex::UserAction cancel;
    cancel.kind = palvex::UserAction::Cancel;
    palvex::QueueUserActions({look, cancel});
    DWORD result = CPSUI_OK;
    CommonPropertySheetUIW(nullptr, NestedSheetProc, reinterpret_cast<LPARAM>(record), &result);
    EXPECT_EQ(caption, u"Fonts and more");
    EXPECT_EQ(tabs, 2);
    EXPECT_EQ(firstTab, u"Group 400");
    EXPECT_EQ(result, static_cast<DWORD>(CPSUI_CANCEL));

    // A selection in the nested tree goes to the sheet's own handler of the item.
    POPTITEM copy = Entry(record, 0).pOptItem;
    copy->Sel = 2;
    CPSUICBPARAM callback{};
    callback.cbSize = sizeof callback;
    callback.Reason = CPSUICB_REASON_SEL_CHANGED;
    callback.pCurItem = copy;
    callback.UserData = reinterpret_cast<ULONG_PTR>(m_extension);
    EXPECT_EQ(NestedItemCallback(&callback), CPSUICB_ACTION_NONE);
    EXPECT_EQ(Handler(kFirstChild)->GetSel(), 2);
    FreeNestedComPropSheet(record);
}

}  // namespace
}  // namespace uitest
