// List links on a real page: rows of the visible options, numbered copies of a text, sorted rows,
// hidden options, and the selection the user makes reaching the right option.
#include <win/commctrl.h>

#include "dlglink_fixture.h"

namespace uitest {
namespace {

using palvex::UserAction;

constexpr DWORD kPaper = 1000;
constexpr WORD kPaperBox = 101;

class ListLinks : public LinkTest {
protected:
    POPTITEM Paper(BYTE type) {
        POPTITEM item = AddItem(kPaper, type, 4);
        SetTexts(item, {u"Letter", u"A4", u"Legal", u"B5"});
        return item;
    }
    QORVAOptItemHandler* PaperHandler() { return m_links->FindHandler(kPaper); }
};

TEST_F(ListLinks, SortedComboWithAHiddenOptionSelectsTheChosenRowsOption) {
    POPTITEM item = Paper(TVOT_COMBOBOX);
    item->pOptType->pOptParam[1].Flags |= OPTPF_HIDE;  // A4
    item->Sel = 3;
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}};
    std::vector<std::u16string> rows;
    std::u16string shown;
    RunPage({{u"ComboBox", CBS_DROPDOWNLIST | CBS_SORT, kPaperBox, u""}},
            {Check([&](HWND dialog) {
                 rows = Rows(GetDlgItem(dialog, kPaperBox));
                 shown = SelectedRow(GetDlgItem(dialog, kPaperBox));
             }),
             Act(UserAction::Choose, kPaperBox, 0, u"Legal")});
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"B5", u"Legal", u"Letter"}));
    EXPECT_EQ(shown, u"B5");
    // Row 1 of the sorted box is option 2.
    EXPECT_EQ(item->Sel, 2);
}

TEST_F(ListLinks, ListBoxRowsFollowHiddenAndShownOptions) {
    POPTITEM item = AddItem(kPaper, TVOT_LISTBOX, 4);
    SetTexts(item, {u"T", u"T", u"T", u"U"});
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}};
    std::vector<std::vector<std::u16string>> seen;
    auto look = [&](HWND dialog) { seen.push_back(Rows(GetDlgItem(dialog, kPaperBox))); };
    RunPage({{u"ListBox", LBS_NOTIFY, kPaperBox, u"", 5, 5, 80, 60}},
            {Check(look), Check([&](HWND) { PaperHandler()->HideOption(1, 0, nullptr); }), Check(look),
             Check([&](HWND) { PaperHandler()->HideOption(1, 1, nullptr); }), Check(look),
             Check([&](HWND) { PaperHandler()->HideOption(0, 0, nullptr); }), Check(look),
             Act(UserAction::Choose, kPaperBox, 0, u"U")});
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], (std::vector<std::u16string>{u"T", u"T #2", u"T #3", u"U"}));
    EXPECT_EQ(seen[1], (std::vector<std::u16string>{u"T", u"T #3", u"U"}));
    // Shown again between its neighbours, with its old copy number.
    EXPECT_EQ(seen[2], (std::vector<std::u16string>{u"T", u"T #2", u"T #3", u"U"}));
    EXPECT_EQ(seen[3], (std::vector<std::u16string>{u"T #2", u"T #3", u"U"}));
    EXPECT_EQ(item->Sel, 3);
}

TEST_F(ListLinks, ComboShowsAHiddenCurrentOptionsTextAndFollowsOtherLinks) {
    POPTITEM item = Paper(TVOT_COMBOBOX);
    item->Sel = 2;
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}, {kPaper, 102}};
    std::u16string text, selected, listSelected;
    RunPage({{u"ComboBox", CBS_DROPDOWNLIST, kPaperBox, u""}, {u"ListBox", LBS_NOTIFY, 102, u"", 5, 30, 80, 60}},
            {Check([&](HWND) {
                 PaperHandler()->HideOption(2, 0x8000, nullptr);
                 m_links->FlushList();
             }),
             Check([&](HWND dialog) {
                 // Hidden while selected: no row, the text stays in the box.
                 text = TextOf(GetDlgItem(dialog, kPaperBox));
                 selected = SelectedRow(GetDlgItem(dialog, kPaperBox));
             }),
             Act(UserAction::Choose, 102, 0, u"B5"),
             Check([&](HWND dialog) { listSelected = SelectedRow(GetDlgItem(dialog, kPaperBox)); })});
    EXPECT_EQ(text, u"Legal");
    EXPECT_EQ(selected, u"");
    EXPECT_EQ(item->Sel, 3);
    EXPECT_EQ(listSelected, u"B5");
}

TEST_F(ListLinks, SortedListViewWithColumnsSelectsTheRowsOption) {
    POPTITEM item = Paper(TVOT_LISTBOX);
    item->pName = const_cast<LPWSTR>(u"Paper;Size");
    item->pOptType->pOptParam[0].Flags |= OPTPF_HIDE;  // Letter
    item->Sel = 2;
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}};
    std::vector<std::u16string> rows, columns;
    std::u16string selected;
    RunPage({{u"SysListView32", LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING, kPaperBox, u"", 5, 5, 120, 80}},
            {Check([&](HWND dialog) {
                 HWND list = GetDlgItem(dialog, kPaperBox);
                 rows = Rows(list);
                 selected = SelectedRow(list);
                 for (int i = 0; i < 3; ++i) {
                     WCHAR text[32] = {};
                     LVCOLUMNW column{};
                     column.mask = LVCF_TEXT;
                     column.pszText = text;
                     column.cchTextMax = 32;
                     if (SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)))
                         columns.emplace_back(text);
                 }
             }),
             Act(UserAction::Choose, kPaperBox, 0, u"B5")});
    EXPECT_EQ(columns, (std::vector<std::u16string>{u"Paper", u"Size"}));
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"A4", u"B5", u"Legal"}));
    EXPECT_EQ(selected, u"Legal");  // option 2 is row 2, though fewer rows than options
    // Row 1 is option 3, not option 1.
    EXPECT_EQ(item->Sel, 3);
}

TEST_F(ListLinks, ListViewWithoutANameHasOneHeaderlessColumn) {
    POPTITEM item = Paper(TVOT_LISTBOX);
    item->Sel = 1;
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}};
    DWORD style = 0;
    int width = 0;
    std::u16string selected;
    RunPage({{u"SysListView32", LVS_REPORT | LVS_SINGLESEL, kPaperBox, u"", 5, 5, 120, 80}},
            {Check([&](HWND dialog) {
                HWND list = GetDlgItem(dialog, kPaperBox);
                style = static_cast<DWORD>(GetWindowLongW(list, GWL_STYLE));
                width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
                selected = SelectedRow(list);
            })});
    EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
    RECT client{0, 0, 120, 80};
    EXPECT_EQ(width, client.right * 8 / 4);  // the client width in pixels (base units 8 by 16)
    EXPECT_EQ(selected, u"A4");
}

TEST_F(ListLinks, ExtendedComboSelectsThroughItsRows) {
    POPTITEM item = Paper(TVOT_COMBOBOX);
    item->pOptType->pOptParam[0].Flags |= OPTPF_HIDE;
    item->Sel = 1;
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}};
    std::vector<std::u16string> rows;
    RunPage({{u"ComboBoxEx32", CBS_DROPDOWNLIST, kPaperBox, u""}},
            {Check([&](HWND dialog) { rows = Rows(GetDlgItem(dialog, kPaperBox)); }),
             Act(UserAction::Choose, kPaperBox, 0, u"Legal")});
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"A4", u"Legal", u"B5"}));
    EXPECT_EQ(item->Sel, 2);
}

TEST_F(ListLinks, TypingIntoAComboBoxTellsTheObserversAndKeepsTheTypedText) {
    POPTITEM item = Paper(TVOT_COMBOBOX);
    item->pOptType->pOptParam[1].IconID = 6;  // five characters and the terminator
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}};
    Recorder observer('O', m_heap, m_links, &m_log);
    ASSERT_TRUE(observer.ObserveItem(PaperHandler()));
    std::u16string typed, chosen;
    RunPage({{u"ComboBox", CBS_DROPDOWN, kPaperBox, u""}},
            {Act(UserAction::SetText, kPaperBox, 0, u"Custom size"),
             Check([&](HWND dialog) { typed = TextOf(GetDlgItem(dialog, kPaperBox)); }),
             Act(UserAction::Choose, kPaperBox, 0, u"B5"),
             Check([&](HWND dialog) { chosen = TextOf(GetDlgItem(dialog, kPaperBox)); })});
    observer.ReleaseItemMap();
    EXPECT_EQ(typed, u"Custo");
    EXPECT_EQ(chosen, u"B5");
    EXPECT_EQ(item->Sel, 3);
    // What the observer was told besides the page's opening: the edit, then the choice.
    std::vector<std::pair<DWORD, WORD>> told;
    for (const auto& [name, id, code, depth] : m_log)
        if (code != kNotifyInitialise) told.emplace_back(id, code);
    EXPECT_EQ(told, (std::vector<std::pair<DWORD, WORD>>{{kPaperBox, CBN_EDITCHANGE}, {kPaper, kNotifyChanged}}));
}

TEST_F(ListLinks, ARenamedOptionGetsItsRowAgainInEveryListOfTheItem) {
    POPTITEM item = Paper(TVOT_COMBOBOX);
    item->Sel = 1;
    MakeLinkFactory()->m_bindings = {{kPaper, kPaperBox}, {kPaper, 102}};
    std::vector<std::u16string> combo, list;
    std::u16string selected;
    RunPage({{u"ComboBox", CBS_DROPDOWNLIST | CBS_SORT, kPaperBox, u""},
             {u"ListBox", LBS_NOTIFY, 102, u"", 5, 30, 80, 60}},
            {Check([&](HWND dialog) {
                PaperHandler()->SetOptionText(1, const_cast<LPWSTR>(u"Z4"));
                PaperHandler()->ApplyParent(1, nullptr);
                m_links->FlushList();
                combo = Rows(GetDlgItem(dialog, kPaperBox));
                list = Rows(GetDlgItem(dialog, 102));
                selected = SelectedRow(GetDlgItem(dialog, kPaperBox));
            })});
    EXPECT_EQ(combo, (std::vector<std::u16string>{u"B5", u"Legal", u"Letter", u"Z4"}));
    EXPECT_EQ(list, (std::vector<std::u16string>{u"Letter", u"Z4", u"Legal", u"B5"}));
    EXPECT_EQ(selected, u"Z4");
}

}  // namespace
}  // namespace uitest
