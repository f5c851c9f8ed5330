// Button, edit, number, spin, scroll-bar and tab links on a real page, driven by the headless user.
#include <win/commctrl.h>
#include <win/imm.h>

#include <palvex/ui_records.h>

#include "dlglink_fixture.h"
#include "items/dlglink_edit.h"

namespace uitest {
namespace {

using palvex::UserAction;

class ControlLinks : public LinkTest {
protected:
    // Observers that turn one item's change into another item's state.
    struct Rule final : QORVAOptItemNotify {
        Rule(HANDLE heap, QORVAOptItemHandlerFactory* factory, DWORD key, std::function<void(LONG_PTR)> action)
            : QORVAOptItemNotify(heap, factory), m_key(key), m_action(std::move(action)) {}
        DWORD Notify(DWORD id, WORD code, DWORD) override {
            if (id == m_key && code == kNotifyChanged) m_action(GetHandler(m_key)->GetSel());
            return kAnswerPass;
        }
        DWORD m_key;
        std::function<void(LONG_PTR)> m_action;
    };
    void Observe(DWORD key, std::function<void(LONG_PTR)> action) {
        m_rules.push_back(std::make_unique<Rule>(m_heap, m_links, key, std::move(action)));
        ASSERT_TRUE(m_rules.back()->ObserveItem(m_links->FindHandler(key)));
    }
    ~ControlLinks() override {
        for (auto& rule : m_rules) rule->ReleaseItemMap();
    }
    std::vector<std::unique_ptr<Rule>> m_rules;
};

TEST_F(ControlLinks, CheckBoxAndRadioGroupSetTheirItemsAndTheDependantsState) {
    constexpr DWORD kDuplex = 1100, kBinding = 1200, kMargin = 1300;
    POPTITEM duplex = AddItem(kDuplex, TVOT_CHKBOX, 2);
    POPTITEM binding = AddItem(kBinding, TVOT_LISTBOX, 3);
    binding->pOptType->pOptParam[1].Flags |= OPTPF_HIDE;
    POPTITEM margin = AddItem(kMargin, TVOT_COMBOBOX, 2);
    SetTexts(margin, {u"5 mm", u"10 mm"});
    MakeLinkFactory()->m_bindings = {{kDuplex, 201}, {kBinding, 301}, {kMargin, 401}, {kMargin, 402}};
    // The margin needs duplex, and has nothing to show for binding option 2.
    Observe(kDuplex, [&](LONG_PTR on) {
        if (on) m_links->FindHandler(kMargin)->ClearStateBits(0x1);
        else m_links->FindHandler(kMargin)->SetStateBits(0x1);
    });
    Observe(kBinding, [&](LONG_PTR option) { m_links->FindHandler(kMargin)->SetExtState(option == 2 ? 0 : 1); });
    m_links->FindHandler(kMargin)->SetStateBits(0x1);

    struct State {
        UINT checked;
        bool marginEnabled, marginShown, labelShown;
        std::vector<bool> radios;
    };
    std::vector<State> seen;
    auto look = [&](HWND dialog) {
        State state{static_cast<UINT>(IsDlgButtonChecked(dialog, 201)), Enabled(GetDlgItem(dialog, 401)),
                    Visible(GetDlgItem(dialog, 401)), Visible(GetDlgItem(dialog, 402)), {}};
        for (int id = 301; id <= 303; ++id) {
            state.radios.push_back(IsDlgButtonChecked(dialog, id) == BST_CHECKED);
            state.radios.push_back(Enabled(GetDlgItem(dialog, id)));
        }
        seen.push_back(state);
    };
    RunPage({{u"Button", BS_AUTOCHECKBOX, 201, u"Duplex"},
             {u"Button", BS_AUTORADIOBUTTON | WS_GROUP, 301, u"Left", 5, 25},
             {u"Button", BS_AUTORADIOBUTTON, 302, u"Top", 5, 40},
             {u"Button", BS_AUTORADIOBUTTON, 303, u"None", 5, 55},
             {u"ComboBox", CBS_DROPDOWNLIST, 401, u"", 100, 5},
             {u"Static", SS_LEFT, 402, u"Margin", 100, 25}},
            {Check(look), Act(UserAction::Click, 201), Check(look), Act(UserAction::Click, 303), Check(look),
             Act(UserAction::Click, 301), Act(UserAction::Click, 201), Check(look)});
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].checked, BST_UNCHECKED);
    EXPECT_FALSE(seen[0].marginEnabled);
    // Option 1 is hidden: its button stays disabled.
    EXPECT_EQ(seen[0].radios, (std::vector<bool>{true, true, false, false, false, true}));
    EXPECT_EQ(seen[1].checked, BST_CHECKED);
    EXPECT_TRUE(seen[1].marginEnabled);
    EXPECT_TRUE(seen[1].marginShown);
    EXPECT_FALSE(seen[2].marginShown);
    EXPECT_FALSE(seen[2].labelShown);
    EXPECT_EQ(seen[2].radios, (std::vector<bool>{false, true, false, false, true, true}));
    EXPECT_TRUE(seen[3].marginShown);
    EXPECT_FALSE(seen[3].marginEnabled);
    EXPECT_EQ(duplex->Sel, 0);
    EXPECT_EQ(binding->Sel, 0);
}

TEST_F(ControlLinks, CheckBoxOfADisabledItemShowsUncheckedUnlessItKeepsTheSelection) {
    POPTITEM item = AddItem(1100, TVOT_CHKBOX, 2);
    item->Sel = 1;
    MakeLinkFactory()->m_bindings = {{1100, 201}, {1100, 202, kLinkKeepSelection}};
    m_links->FindHandler(1100)->SetStateBits(0x1000);
    UINT plain = 9, keeping = 9;
    RunPage({{u"Button", BS_AUTOCHECKBOX, 201, u"A"}, {u"Button", BS_AUTOCHECKBOX, 202, u"B", 5, 25}},
            {Check([&](HWND dialog) {
                plain = IsDlgButtonChecked(dialog, 201);
                keeping = IsDlgButtonChecked(dialog, 202);
            })});
    EXPECT_EQ(plain, BST_UNCHECKED);
    EXPECT_EQ(keeping, BST_CHECKED);
}

TEST_F(ControlLinks, TypingCommitsTextAtOnceAndNumbersWhenTheFocusLeaves) {
    constexpr DWORD kName = 1500, kCopies = 1600;
    POPTITEM name = AddItem(kName, TVOT_EDITBOX, 2);
    name->pOptType->pOptParam[1].IconID = 8;  // seven characters and the terminator
    WCHAR buffer[8] = u"old";
    name->pSel = buffer;
    POPTITEM copies = AddItem(kCopies, TVOT_UDARROW, 2);
    copies->pOptType->pOptParam[1].IconID = 1;
    copies->pOptType->pOptParam[1].lParam = 10;
    copies->Sel = 3;
    MakeLinkFactory()->m_bindings = {{kName, 501}, {kCopies, 601}, {kCopies, 602}};
    palvex::TakeInputContextMoves();
    std::vector<std::pair<LONG, std::u16string>> seen;
    auto look = [&](HWND dialog) { seen.emplace_back(copies->Sel, TextOf(GetDlgItem(dialog, 601))); };
    std::u16string initialName, cutName;
    std::vector<palvex::InputContextMove> moves;
    RunPage({{u"Edit", ES_AUTOHSCROLL, 501, u""},
             {u"Edit", 0, 601, u"", 5, 25},
             {u"msctls_updown32", UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 602, u"", 85, 25, 10, 14}},
            {Check([&](HWND dialog) { initialName = TextOf(GetDlgItem(dialog, 501)); }),
             Act(UserAction::SetText, 501, 0, u"hello"),
             Act(UserAction::SetText, 601, 0, u"7"), Check(look),
             Act(UserAction::SetText, 501, 0, u"a longer name"), Check(look),
             Check([&](HWND dialog) { cutName = TextOf(GetDlgItem(dialog, 501)); }),
             Act(UserAction::SetText, 601, 0, u"abc"), Act(UserAction::SetText, 501, 0, u"x"), Check(look),
             Act(UserAction::SetText, 601, 0, u"2"), Act(UserAction::Spin, 602, 1), Check(look),
             Act(UserAction::Spin, 602, 20), Check(look), Act(UserAction::Spin, 602, -1), Check(look),
             Check([&](HWND) { moves = palvex::TakeInputContextMoves(); })});
    EXPECT_EQ(initialName, u"old");
    EXPECT_EQ(std::u16string(buffer), u"x");
    EXPECT_EQ(cutName, u"a longe");
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0], (std::pair<LONG, std::u16string>{3, u"7"}));   // typed, not yet committed
    EXPECT_EQ(seen[1], (std::pair<LONG, std::u16string>{7, u"7"}));   // committed on focus loss
    EXPECT_EQ(seen[2], (std::pair<LONG, std::u16string>{7, u"7"}));   // not a number: the value stays
    EXPECT_EQ(seen[3], (std::pair<LONG, std::u16string>{3, u"3"}));   // 2 committed, then one up
    EXPECT_EQ(seen[4], (std::pair<LONG, std::u16string>{10, u"10"})); // held at the maximum
    EXPECT_EQ(seen[5], (std::pair<LONG, std::u16string>{9, u"9"}));
    // Each box loses its input method while it has the focus and gets it back afterwards.
    ASSERT_GE(moves.size(), 4u);
    EXPECT_FALSE(moves[0].associated);
    EXPECT_TRUE(moves[1].associated);
    EXPECT_EQ(moves[0].window, moves[1].window);
}

TEST_F(ControlLinks, ABoxThatKeepsItsInputMethodLeavesTheContextAlone) {
    POPTITEM name = AddItem(1500, TVOT_EDITBOX, 2);
    name->pOptType->pOptParam[1].IconID = 8;
    WCHAR buffer[8] = u"";
    name->pSel = buffer;
    MakeLinkFactory()->m_bindings = {{1500, 501}};
    std::vector<palvex::InputContextMove> moves;
    RunPage({{u"Edit", 0, 501, u""}, {u"Edit", 0, 502, u"", 5, 25}},
            {Check([&](HWND dialog) {
                 auto* box = dynamic_cast<QORVAOptItemDlgLinkEditbox*>(QORVAOptItemDlgLink::FromWindow(GetDlgItem(dialog, 501)));
                 ASSERT_NE(box, nullptr);
                 box->SetKeepIme(1);
                 palvex::TakeInputContextMoves();
             }),
             Act(UserAction::SetText, 501, 0, u"kept"), Act(UserAction::SetText, 502, 0, u"other"),
             Check([&](HWND) { moves = palvex::TakeInputContextMoves(); })});
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(std::u16string(buffer), u"kept");
}

TEST_F(ControlLinks, ScrollBarStepsPagesAndFollowsTheThumbWithinItsRange) {
    constexpr DWORD kScale = 20;  // a standard item: its selection is its value
    POPTITEM scale = AddItem(kScale, TVOT_SCROLLBAR, 3);
    scale->pOptType->pOptParam[1].IconID = 10;
    scale->pOptType->pOptParam[1].lParam = 60;
    scale->Sel = 20;
    MakeLinkFactory()->m_bindings = {{kScale, 701}, {kScale, 702}};
    SCROLLINFO range{};
    std::vector<std::tuple<LONG, int, std::u16string>> seen;
    auto scroll = [&](WORD code, WORD position = 0) {
        return Check([&, code, position](HWND dialog) {
            HWND bar = GetDlgItem(dialog, 701);
            SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar));
            seen.emplace_back(scale->Sel, GetScrollPos(bar, SB_CTL), TextOf(GetDlgItem(dialog, 702)));
        });
    };
    RunPage({{u"ScrollBar", SBS_HORZ, 701, u""}, {u"Edit", 0, 702, u"", 5, 25}},
            {Check([&](HWND dialog) {
                 range.cbSize = sizeof range;
                 range.fMask = SIF_RANGE | SIF_PAGE;
                 GetScrollInfo(GetDlgItem(dialog, 701), SB_CTL, &range);
             }),
             scroll(SB_LINEDOWN), scroll(SB_PAGEDOWN), scroll(SB_TOP), scroll(SB_PAGEUP), scroll(SB_THUMBTRACK, 55),
             scroll(SB_PAGEDOWN), scroll(SB_LINEDOWN), scroll(SB_ENDSCROLL)});
    EXPECT_EQ(range.nMin, 10);
    EXPECT_EQ(range.nMax, 60);
    EXPECT_EQ(range.nPage, 1u);
    using Seen = std::tuple<LONG, int, std::u16string>;
    EXPECT_EQ(seen, (std::vector<Seen>{{21, 21, u"21"},
                                       {31, 31, u"31"},
                                       {30, 30, u"30"},  // to the top is one step, not the minimum
                                       {20, 20, u"20"},
                                       {55, 55, u"55"},
                                       {60, 60, u"60"},
                                       {60, 60, u"60"},
                                       {60, 60, u"60"}}));
}

TEST_F(ControlLinks, TabsShowThePagesOfTheSelectedOptionEvenWithAHiddenTab) {
    constexpr DWORD kTabs = 1800;
    POPTITEM tabs = AddItem(kTabs, TVOT_TABCONTROL, 3);
    SetTexts(tabs, {u"Layout", u"Finishing", u"Quality"});
    const DWORD firstKeys[] = {1810, 1820, 1830};
    for (int i = 0; i < 3; ++i) tabs->pOptType->pOptParam[i].IconID = firstKeys[i];
    tabs->pOptType->pOptParam[1].Flags |= OPTPF_HIDE;
    for (DWORD key : {1810u, 1811u, 1820u, 1830u}) AddItem(key, TVOT_CHKBOX, 2)->Level = 1;
    MakeLinkFactory()->m_bindings = {{kTabs, 801}, {1810, 811}, {1811, 812}, {1820, 821}, {1830, 831}};
    std::vector<std::vector<bool>> seen;
    std::vector<std::u16string> labels;
    auto look = [&](HWND dialog) {
        std::vector<bool> shown;
        for (int id : {811, 812, 821, 831}) shown.push_back(Visible(GetDlgItem(dialog, id)));
        seen.push_back(shown);
    };
    RunPage({{u"SysTabControl32", 0, 801, u"", 5, 5, 200, 150},
             {u"Button", BS_AUTOCHECKBOX, 811, u"A", 10, 30},
             {u"Button", BS_AUTOCHECKBOX, 812, u"B", 10, 45},
             {u"Button", BS_AUTOCHECKBOX, 821, u"C", 10, 30},
             {u"Button", BS_AUTOCHECKBOX, 831, u"D", 10, 30}},
            {Check(look),
             Check([&](HWND dialog) {
                 HWND tab = GetDlgItem(dialog, 801);
                 for (int i = 0; i < 3; ++i) {
                     WCHAR text[32] = {};
                     TCITEMW item{};
                     item.mask = TCIF_TEXT;
                     item.pszText = text;
                     item.cchTextMax = 32;
                     if (SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
                         labels.emplace_back(text);
                 }
             }),
             Act(UserAction::Tab, 801, 1), Check(look), Check([&](HWND) { EXPECT_EQ(tabs->Sel, 2); }),
             Act(UserAction::Tab, 801, 0), Check(look),
             // The hidden option comes back as the middle tab.
             Check([&](HWND) {
                 m_links->FindHandler(kTabs)->HideOption(1, 1, nullptr);
                 m_links->FlushList();
             }),
             Act(UserAction::Tab, 801, 1), Check(look)});
    EXPECT_EQ(labels, (std::vector<std::u16string>{u"Layout", u"Quality"}));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[3], (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(seen[0], (std::vector<bool>{true, true, false, false}));
    // The second tab is the third option: its page, not the hidden option's.
    EXPECT_EQ(seen[1], (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(seen[2], (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(tabs->Sel, 1);
}

TEST_F(ControlLinks, ARenamedTabIsRelabelledAndSelectedWithItsPage) {
    constexpr DWORD kTabs = 1800;
    POPTITEM tabs = AddItem(kTabs, TVOT_TABCONTROL, 2);
    SetTexts(tabs, {u"Layout", u"Quality"});
    tabs->pOptType->pOptParam[0].IconID = 1810;
    tabs->pOptType->pOptParam[1].IconID = 1820;
    for (DWORD key : {1810u, 1820u}) AddItem(key, TVOT_CHKBOX, 2)->Level = 1;
    MakeLinkFactory()->m_bindings = {{kTabs, 801}, {1810, 811}, {1820, 821}};
    std::u16string label;
    int current = -1;
    bool first = true, second = false;
    RunPage({{u"SysTabControl32", 0, 801, u"", 5, 5, 200, 150},
             {u"Button", BS_AUTOCHECKBOX, 811, u"A", 10, 30},
             {u"Button", BS_AUTOCHECKBOX, 821, u"B", 10, 30}},
            {Check([&](HWND dialog) {
                m_links->FindHandler(kTabs)->SetOptionText(1, const_cast<LPWSTR>(u"Colour"));
                m_links->FindHandler(kTabs)->ApplyParent(1, nullptr);
                m_links->FlushList();
                HWND tab = GetDlgItem(dialog, 801);
                WCHAR text[32] = {};
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = 32;
                SendMessageW(tab, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
                label = text;
                current = static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0));
                first = Visible(GetDlgItem(dialog, 811));
                second = Visible(GetDlgItem(dialog, 821));
            })});
    EXPECT_EQ(label, u"Colour");
    EXPECT_EQ(current, 1);
    EXPECT_EQ(tabs->Sel, 1);
    EXPECT_FALSE(first);
    EXPECT_TRUE(second);
}

TEST_F(ControlLinks, ToggleButtonStepsAndStaticsShowTheState) {
    constexpr DWORD kOrder = 1900;
    POPTITEM order = AddItem(kOrder, TVOT_3STATES, 3);
    SetTexts(order, {u"Off", u"On", u"Auto"});
    MakeLinkFactory()->m_bindings = {{kOrder, 901, kLinkKeepSelection}, {kOrder, 902, kLinkNeedsTwoOptions},
                                     {kOrder, 903, kLinkStatesText}, {kOrder, 904}, {kOrder, 905}};
    Recorder observer('O', m_heap, m_links, &m_log);
    ASSERT_TRUE(observer.ObserveItem(m_links->FindHandler(kOrder)));
    std::vector<std::u16string> seen;
    auto look = [&](HWND dialog) {
        seen.push_back(TextOf(GetDlgItem(dialog, 901)) + u"/" + TextOf(GetDlgItem(dialog, 903)) + u"/" +
                       TextOf(GetDlgItem(dialog, 904)));
    };
    RunPage({{u"Button", BS_PUSHBUTTON, 901, u""}, {u"Button", BS_PUSHBUTTON, 902, u"", 5, 25},
             {u"Static", SS_LEFT, 903, u"", 5, 45}, {u"Static", SS_LEFT, 904, u"label", 5, 65},
             {u"Button", BS_PUSHBUTTON, 905, u"", 5, 85}},
            {Check(look), Act(UserAction::Click, 901), Check(look), Act(UserAction::Click, 902),
             Act(UserAction::Click, 902), Check(look), Act(UserAction::Click, 905)});
    observer.ReleaseItemMap();
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"Off/Off/label", u"On/On/label", u"Auto/Auto/label"}));
    // A toggle that steps neither way tells the observers that it was pressed, by its control id.
    std::vector<std::pair<DWORD, WORD>> told;
    for (const auto& [name, id, code, depth] : m_log)
        if (code != kNotifyInitialise) told.emplace_back(id, code);
    EXPECT_EQ(told, (std::vector<std::pair<DWORD, WORD>>{
                        {kOrder, kNotifyChanged}, {kOrder, kNotifyChanged}, {kOrder, kNotifyChanged}, {905, kNotifyChanged}}));
    EXPECT_EQ(order->Sel, 2);
}

}  // namespace
}  // namespace uitest
