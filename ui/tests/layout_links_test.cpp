// The pages-per-sheet box, the collate box and the watermark colour combo box on a real page: the
// links come from the driver's link table, the pages-per-sheet item has the driver's handler, and
// every message goes the sheet's way (control -> dialog procedure -> link -> handler).
#include <palvex/ui_records.h>
#include <win/commctrl.h>
#include <win/wingdi_raster.h>

#include "dlglink_fixture.h"
#include "options/device_feature_handlers.h"
#include "options/factory_tables.h"

namespace uitest {
namespace {

using palvex::UserAction;

constexpr DWORD kCopies = 3, kPagesPerSheet = 16, kCollate = 1130, kBorders = 2300, kColour = 19352;
constexpr WORD kPagesBox = 2253, kPagesArrows = 2254, kCopiesBox = 1122, kOther = 900;
constexpr DWORD kExtendedChecked = 0x40;

// The driver's pages-per-sheet handler and the named links of the driver's table; every other
// control gets its link by window class.
class LayoutFactory final : public QORVAOptItemHandlerFactory {
public:
    using QORVAOptItemHandlerFactory::QORVAOptItemHandlerFactory;
    QORVAOptItemHandler* CreateHandler(POPTITEM item) override {
        if (GetPubID(item) != kPagesPerSheet) return QORVAOptItemHandlerFactory::CreateHandler(item);
        auto* handler = MakeOnHeap<QORVAOptItemHandlerNUP>(m_heap, m_heap, this, item);
        StoreHandler(kPagesPerSheet, handler);
        return handler;
    }
    void CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler) override {
        for (const Binding& binding : m_bindings) {
            if (binding.key != handler->ItemKey()) continue;
            HWND control = GetDlgItem(dialog, binding.control);
            if (!control) continue;
            QORVAOptItemDlgLink* link =
                binding.named ? LinkMakerOf(binding.linkClass)(m_heap, handler, control, binding.control, 0)
                              : CreateDlgLinkByClass(dialog, handler, binding.control, 0);
            handler->AttachDlgLink(link);
        }
    }
    void CreateConstraints() override {}
    void ApplyDefaults() override {}
    void PrepareItems() override {}

    struct Binding {
        DWORD key;
        WORD control;
        bool named = false;
        DrvLinkClass linkClass = DrvLinkClass::Count;
    };
    std::vector<Binding> m_bindings;
};

class LayoutLinksTest : public SheetTest {
protected:
    ~LayoutLinksTest() override {
        if (m_layout) m_layout->Destroy();
        palvex::ResetUserScript();
    }

    // Pages per sheet offers 1, 2, 4, 6, 9, 16 (the handler's texts of its resource ids).
    POPTITEM AddPagesPerSheet(LONG selection) {
        POPTITEM item = AddItem(kPagesPerSheet, TVOT_LISTBOX, 6);
        for (WORD i = 0; i < 6; ++i) item->pOptType->pOptParam[i].pData = reinterpret_cast<LPWSTR>(ULONG_PTR{64865u + i});
        item->Sel = selection;
        AddItem(kPagesPerSheetMirrorItem, TVOT_LISTBOX, 6);
        AddItem(kBorders, TVOT_CHKBOX, 2);
        return item;
    }
    POPTITEM AddCopiesAndCollate(LONG copies) {
        POPTITEM item = AddItem(kCopies, TVOT_UDARROW, 2);
        item->pOptType->pOptParam[1].IconID = 1;
        item->pOptType->pOptParam[1].lParam = 999;
        item->Sel = copies;
        AddItem(kCollate, TVOT_CHKBOX, 2);
        return item;
    }
    POPTITEM Item(DWORD key) { return m_layout->FindHandler(key)->Item(); }

    LayoutFactory* MakeLayoutFactory(std::vector<LayoutFactory::Binding> bindings) {
        m_layout = MakeSheetFactory<LayoutFactory>(m_heap, m_items, m_record, m_extension, &m_driver);
        m_layout->m_bindings = std::move(bindings);
        return m_layout;
    }
    void RunPage(const std::vector<TemplateControl>& controls, std::vector<UserAction> actions) {
        const std::vector<WORD> bytes = BuildTemplate(controls);
        actions.push_back(Act(UserAction::Close));
        palvex::QueueUserActions(actions);
        DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, FactoryPageProc,
                                reinterpret_cast<LPARAM>(static_cast<QORVAOptItemHandlerFactory*>(m_layout)));
    }
    static UserAction Act(UserAction::Kind kind, int control = 0, int index = 0, std::u16string text = {}) {
        return UserStep(kind, control, index, std::move(text));
    }
    static UserAction Check(std::function<void(HWND)> check) { return RunStep(std::move(check)); }

    static const std::vector<TemplateControl>& LayoutControls() {
        static const std::vector<TemplateControl> controls = {
            {u"Edit", ES_AUTOHSCROLL, kPagesBox, u""},
            {u"msctls_updown32", UDS_AUTOBUDDY | UDS_ALIGNRIGHT, kPagesArrows, u"", 85, 5, 10, 14},
            {u"Button", BS_AUTOCHECKBOX, static_cast<WORD>(kBorders), u"Borders", 5, 25},
            {u"Edit", ES_AUTOHSCROLL, kCopiesBox, u"", 5, 45},
            {u"Button", BS_AUTOCHECKBOX, static_cast<WORD>(kCollate), u"Collate", 5, 65},
            {u"Edit", ES_AUTOHSCROLL, kOther, u"", 5, 85},
        };
        return controls;
    }
    static std::vector<LayoutFactory::Binding> LayoutBindings() {
        return {{kPagesPerSheet, kPagesBox, true, DrvLinkClass::UDArrowListNUP},
                {kPagesPerSheet, kPagesArrows},
                {kBorders, static_cast<WORD>(kBorders)},
                {kCopies, kCopiesBox},
                {kCollate, static_cast<WORD>(kCollate), true, DrvLinkClass::CheckCOLLATE}};
    }

    RecordingDriverUI m_driver;
    LayoutFactory* m_layout = nullptr;
    int m_extendedBox = 0;  // what an item's extended check box points to
};

TEST_F(LayoutLinksTest, ATypedPagesPerSheetCountSnapsToTheNearestOfferedOne) {
    POPTITEM pages = AddPagesPerSheet(1);
    MakeLayoutFactory(LayoutBindings());
    struct Case {
        std::u16string typed;
        LONG chosen;
        std::u16string shown;
    } cases[] = {
        {u"5", 2, u"4"},     // as near to 4 as to 6: the earlier option
        {u"12", 4, u"9"},
        {u"100", 5, u"16"},  // typing reaches the count the arrows do not
        {u"3000", 0, u"1"},  // nothing within 999: the first option
        {u"9", 4, u"9"},
        {u"abc", 4, u"9"},   // no number: the choice stays and is shown again
    };
    std::vector<std::pair<LONG, std::u16string>> seen;
    std::vector<LONG> mirrored;
    std::u16string opened;
    std::vector<UserAction> actions = {Check([&](HWND dialog) { opened = TextOf(GetDlgItem(dialog, kPagesBox)); })};
    palvex::TakeInputContextMoves();
    for (const Case& c : cases) {
        actions.push_back(Act(UserAction::SetText, kPagesBox, 0, c.typed));
        actions.push_back(Act(UserAction::SetText, kOther, 0, u"x"));  // the focus leaves the box
        actions.push_back(Check([&](HWND dialog) {
            seen.emplace_back(pages->Sel, TextOf(GetDlgItem(dialog, kPagesBox)));
            mirrored.push_back(Item(kPagesPerSheetMirrorItem)->Sel);
        }));
    }
    // The box is left without an input method while it has the focus, and gets it back after.
    std::vector<bool> pagesBoxMoves;
    actions.push_back(Check([&](HWND dialog) {
        for (const auto& move : palvex::TakeInputContextMoves())
            if (move.window == GetDlgItem(dialog, kPagesBox)) pagesBoxMoves.push_back(move.associated);
    }));
    RunPage(LayoutControls(), actions);

    EXPECT_EQ(opened, u"2");
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string(cases[i].typed.begin(), cases[i].typed.end()));
        EXPECT_EQ(seen[i].first, cases[i].chosen);
        EXPECT_EQ(seen[i].second, cases[i].shown);
        EXPECT_EQ(mirrored[i], cases[i].chosen);
    }
    ASSERT_EQ(pagesBoxMoves.size(), 2 * std::size(cases));
    for (size_t i = 0; i < pagesBoxMoves.size(); ++i) EXPECT_EQ(pagesBoxMoves[i], i % 2 == 1) << i;
}

TEST_F(LayoutLinksTest, TheArrowsFirstTakeWhatWasTypedThenStep) {
    POPTITEM pages = AddPagesPerSheet(0);
    MakeLayoutFactory(LayoutBindings());
    std::vector<std::pair<LONG, std::u16string>> seen;
    auto look = [&](HWND dialog) { seen.emplace_back(pages->Sel, TextOf(GetDlgItem(dialog, kPagesBox))); };
    RunPage(LayoutControls(), {Act(UserAction::SetText, kPagesBox, 0, u"7"), Act(UserAction::Spin, kPagesArrows, 1),
                               Check(look), Act(UserAction::Spin, kPagesArrows, 1), Check(look)});
    // 7 is taken as 6, then one up is 9; the arrows stop short of 16 and wrap to 1.
    EXPECT_EQ(seen, (std::vector<std::pair<LONG, std::u16string>>{{4, u"9"}, {0, u"1"}}));
}

TEST_F(LayoutLinksTest, TheBordersBoxAndTheDriversExtendedCheckBoxFollowEachOther) {
    struct Case {
        const char* what;
        bool extendedBox;
        DWORD flagsAtOpen;
        LONG bordersAtOpen;
        UINT shownAtOpen;
    } cases[] = {
        {"checked driver box", true, OPTIF_HIDE | kExtendedChecked, 0, BST_CHECKED},
        {"unchecked driver box", true, OPTIF_HIDE, 1, BST_UNCHECKED},
        {"no driver box", false, OPTIF_HIDE, 1, BST_CHECKED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_items.clear();
        m_driver.m_calls.clear();
        POPTITEM pages = AddPagesPerSheet(1);
        pages->pExtChkBox = c.extendedBox ? &m_extendedBox : nullptr;
        m_items.back().Sel = c.bordersAtOpen;
        MakeLayoutFactory(LayoutBindings());
        pages->Flags = c.flagsAtOpen;  // the factory shows the driver's items while the page opens
        std::vector<Seen> told;
        Recorder borders('b', m_heap, m_layout, &told);
        // Through its own map, so that letting go removes it from the item again.
        ASSERT_TRUE(borders.ObserveItem(borders.GetHandler(kBorders)));
        UINT shown = 0, clicked = 0;
        DWORD flagsAfterClick = 0;
        std::vector<Seen> toldAtOpen;
        RunPage(LayoutControls(),
                {Check([&](HWND dialog) {
                     shown = IsDlgButtonChecked(dialog, kBorders);
                     toldAtOpen = told;
                 }),
                 Act(UserAction::Click, static_cast<int>(kBorders)),
                 Check([&](HWND dialog) {
                     clicked = IsDlgButtonChecked(dialog, kBorders);
                     flagsAfterClick = pages->Flags;
                 })});
        borders.ReleaseItemMap();
        EXPECT_EQ(shown, c.shownAtOpen);
        // Copying the driver's state when the page opens tells nobody.
        EXPECT_TRUE(std::none_of(toldAtOpen.begin(), toldAtOpen.end(), [](const Seen& s) { return std::get<2>(s) == kNotifyChanged; }));
        EXPECT_NE(clicked, shown);
        if (!c.extendedBox) {
            EXPECT_TRUE(m_driver.m_calls.empty());
            EXPECT_EQ(flagsAfterClick & (kExtendedChecked | OPTIF_CHANGED), 0u);
        } else {
            const DWORD checkedNow = clicked == BST_CHECKED ? kExtendedChecked : 0;
            EXPECT_EQ(flagsAfterClick & kExtendedChecked, checkedNow);
            EXPECT_EQ(flagsAfterClick & (OPTIF_HIDE | OPTIF_CHANGED), static_cast<DWORD>(OPTIF_HIDE | OPTIF_CHANGED));
            // The driver hears of the item shown, as it takes no notice of hidden ones.
            ASSERT_EQ(m_driver.m_calls.size(), 1u);
            EXPECT_EQ(std::get<0>(m_driver.m_calls[0]), pages);
            EXPECT_EQ(std::get<1>(m_driver.m_calls[0]) & (OPTIF_HIDE | kExtendedChecked), checkedNow);
            EXPECT_EQ(std::get<2>(m_driver.m_calls[0]), static_cast<DWORD>(OEMCUIP_DOCPROP));
        }
        m_layout->Destroy();
        m_layout = nullptr;
        m_extension->Release();
        m_extension = nullptr;
    }
}

TEST_F(LayoutLinksTest, CollatingIsOfferedFromTwoCopiesAndFollowsTheDriversCheckBox) {
    POPTITEM copies = AddCopiesAndCollate(2);
    copies->pExtChkBox = &m_extendedBox;
    MakeLayoutFactory(LayoutBindings());
    copies->Flags = OPTIF_HIDE | kExtendedChecked;
    struct State {
        bool enabled;
        UINT checked;
    };
    std::vector<State> seen;
    auto look = [&](HWND dialog) {
        HWND collate = GetDlgItem(dialog, static_cast<int>(kCollate));
        seen.push_back({Enabled(collate), IsDlgButtonChecked(dialog, static_cast<int>(kCollate))});
    };
    DWORD flagsAfterClick = 0;
    RunPage(LayoutControls(),
            {Check(look), Act(UserAction::SetText, kCopiesBox, 0, u"1"), Act(UserAction::SetText, kOther, 0, u"x"),
             Check(look), Act(UserAction::SetText, kCopiesBox, 0, u"3"), Act(UserAction::SetText, kOther, 0, u"y"),
             Check(look), Act(UserAction::Click, static_cast<int>(kCollate)),
             Check([&](HWND dialog) {
                 look(dialog);
                 flagsAfterClick = copies->Flags;
             })});
    ASSERT_EQ(seen.size(), 4u);
    // The driver's checked box checks the kit's collate item when the page opens.
    EXPECT_TRUE(seen[0].enabled);
    EXPECT_EQ(seen[0].checked, static_cast<UINT>(BST_CHECKED));
    EXPECT_FALSE(seen[1].enabled);  // one copy
    EXPECT_TRUE(seen[2].enabled);
    EXPECT_EQ(seen[2].checked, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(seen[3].checked, static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(Item(kCollate)->Sel, 0);
    EXPECT_EQ(flagsAfterClick & (kExtendedChecked | OPTIF_HIDE | OPTIF_CHANGED),
              static_cast<DWORD>(OPTIF_HIDE | OPTIF_CHANGED));
    ASSERT_FALSE(m_driver.m_calls.empty());
    EXPECT_EQ(std::get<0>(m_driver.m_calls.back()), copies);
    EXPECT_EQ(std::get<1>(m_driver.m_calls.back()) & (OPTIF_HIDE | kExtendedChecked), 0u);
}

TEST_F(LayoutLinksTest, OneCopyDisablesCollatingWhenThePageOpens) {
    AddCopiesAndCollate(1);
    MakeLayoutFactory(LayoutBindings());
    bool enabled = true;
    RunPage(LayoutControls(), {Check([&](HWND dialog) { enabled = Enabled(GetDlgItem(dialog, static_cast<int>(kCollate))); })});
    EXPECT_FALSE(enabled);
}

TEST_F(LayoutLinksTest, TheColourComboListsEachShownColourWithItsValueAndPaintsItsSwatch) {
    POPTITEM colour = AddItem(kColour, TVOT_COMBOBOX, 4,
                              {Behind(0x000000), Behind(0x0000FF), Behind(0x00FF00), Behind(0xFFFFFF)});
    const char16_t* names[] = {u"黒", u"赤", u"緑", u"白"};
    for (int i = 0; i < 4; ++i) colour->pOptType->pOptParam[i].pData = const_cast<LPWSTR>(names[i]);
    colour->pOptType->pOptParam[2].Flags |= OPTPF_HIDE;
    colour->Sel = 1;
    MakeLayoutFactory({{kColour, static_cast<WORD>(kColour), true, DrvLinkClass::ComboboxCOLOR}});
    std::vector<std::u16string> rows;
    std::u16string selected;
    COLORREF swatch = 0, afterChoice = 0;
    LONG chosen = -1;
    // A row drawn as the combo box asks its dialog to.
    auto paintRow = [](HWND dialog, UINT row) {
        HWND combo = GetDlgItem(dialog, static_cast<int>(kColour));
        HDC screen = GetDC(dialog);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 20);
        HGDIOBJ old = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_COMBOBOX;
        draw.CtlID = kColour;
        draw.itemID = row;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hwndItem = combo;
        draw.hDC = dc;
        draw.rcItem = {0, 0, 100, 20};
        SendMessageW(dialog, WM_DRAWITEM, kColour, reinterpret_cast<LPARAM>(&draw));
        const COLORREF pixel = GetPixel(dc, 10, 10);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(dialog, screen);
        return pixel;
    };
    RunPage({{u"ComboBox", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, static_cast<WORD>(kColour), u"", 5, 5,
              120, 80}},
            {Check([&](HWND dialog) {
                 HWND combo = GetDlgItem(dialog, static_cast<int>(kColour));
                 rows = Rows(combo);
                 selected = SelectedRow(combo);
                 swatch = paintRow(dialog, 1);
             }),
             Act(UserAction::Select, static_cast<int>(kColour), 2),
             Check([&](HWND dialog) {
                 chosen = colour->Sel;
                 afterChoice = paintRow(dialog, 2);
             })});
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"黒|0", u"赤|255", u"白|16777215"}));
    EXPECT_EQ(selected, u"赤|255");
    EXPECT_EQ(swatch, RGB(255, 0, 0));
    EXPECT_EQ(chosen, 3);  // the third row is the fourth option
    EXPECT_EQ(afterChoice, RGB(255, 255, 255));
}

}  // namespace
}  // namespace uitest
