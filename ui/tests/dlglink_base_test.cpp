// The link base on a real page: the class chosen for each control, the chain of one item's links,
// enabling by visible options, release at the dialog's end, subclassing, and context help.
#include <typeinfo>

#include <win/commctrl.h>
#include <win/htmlhelp.h>

#include <palvex/ui_records.h>

#include "dlglink_fixture.h"
#include "items/dlglink_buttons.h"
#include "items/dlglink_edit.h"
#include "items/dlglink_list.h"
#include "items/dlglink_listex.h"
#include "items/dlglink_range.h"
#include "items/dlglink_static.h"
#include "items/dlglink_tab.h"

namespace uitest {
namespace {

using palvex::UserAction;

class LinkBase : public LinkTest {};

TEST_F(LinkBase, EachControlGetsTheLinkOfItsClassStyleAndItemType) {
    struct Case {
        TemplateControl control;
        BYTE type;
        DWORD extra;
        const std::type_info* link;  // null: no link
    };
    const Case cases[] = {
        {{u"ComboBox", CBS_DROPDOWNLIST, 0, u""}, TVOT_COMBOBOX, 0, &typeid(QORVAOptItemDlgLinkCombobox)},
        {{u"LISTBOX", 0, 0, u""}, TVOT_LISTBOX, 0, &typeid(QORVAOptItemDlgLinkListbox)},
        {{u"ScrollBar", SBS_HORZ, 0, u""}, TVOT_SCROLLBAR, 0, &typeid(QORVAOptItemDlgLinkScrollbar)},
        {{u"Button", BS_PUSHBUTTON, 0, u""}, TVOT_2STATES, 0, &typeid(QORVAOptItemDlgLinkTogglebutton)},
        {{u"Button", BS_DEFPUSHBUTTON, 0, u""}, TVOT_PUSHBUTTON, 0, &typeid(QORVAOptItemDlgLinkPushbutton)},
        {{u"Button", BS_CHECKBOX, 0, u""}, TVOT_CHKBOX, 0, &typeid(QORVAOptItemDlgLinkCheckbox)},
        {{u"Button", BS_AUTORADIOBUTTON, 0, u""}, TVOT_LISTBOX, 0, &typeid(QORVAOptItemDlgLinkRadiobutton)},
        {{u"Button", BS_GROUPBOX, 0, u""}, TVOT_CHKBOX, 0, &typeid(QORVAOptItemDlgLinkStatic)},
        {{u"Button", BS_OWNERDRAW, 0, u""}, TVOT_CHKBOX, 0, nullptr},
        {{u"Edit", 0, 0, u""}, TVOT_UDARROW, 0, &typeid(QORVAOptItemDlgLinkUDArrowNumber)},
        {{u"Edit", 0, 0, u""}, TVOT_TRACKBAR, 0, &typeid(QORVAOptItemDlgLinkXBarNumber)},
        {{u"Edit", 0, 0, u""}, TVOT_SCROLLBAR, 0, &typeid(QORVAOptItemDlgLinkXBarNumber)},
        {{u"Edit", 0, 0, u""}, TVOT_LISTBOX, 0, &typeid(QORVAOptItemDlgLinkUDArrowList)},
        {{u"edit", 0, 0, u""}, TVOT_COMBOBOX, 0, &typeid(QORVAOptItemDlgLinkEditbox)},
        {{u"msctls_updown32", 0, 0, u""}, TVOT_UDARROW, 0, &typeid(QORVAOptItemDlgLinkUDArrowSpin)},
        {{u"SysTabControl32", 0, 0, u""}, TVOT_TABCONTROL, 0, &typeid(QORVAOptItemDlgLinkTabCtrl)},
        {{u"SysListView32", LVS_LIST, 0, u""}, TVOT_LISTBOX, 0, &typeid(QORVAOptItemDlgLinkListview)},
        {{u"ComboBoxEx32", CBS_DROPDOWNLIST, 0, u""}, TVOT_COMBOBOX, 0, &typeid(QORVAOptItemDlgLinkComboboxEx)},
        {{u"Static", SS_LEFT, 0, u""}, TVOT_2STATES, kLinkStatesText, &typeid(QORVAOptItemDlgLinkStaticStates)},
        {{u"Static", SS_LEFT, 0, u""}, TVOT_COMBOBOX, kLinkStatesText, &typeid(QORVAOptItemDlgLinkStatic)},
        {{u"Static", SS_LEFT, 0, u""}, TVOT_3STATES, 0, &typeid(QORVAOptItemDlgLinkStatic)},
        {{u"msctls_progress32", 0, 0, u""}, TVOT_SCROLLBAR, 0, nullptr},
    };
    std::vector<TemplateControl> controls;
    for (size_t i = 0; i < std::size(cases); ++i) {
        AddItem(static_cast<DWORD>(2000 + i), cases[i].type, 3);
        TemplateControl control = cases[i].control;
        control.id = static_cast<WORD>(100 + i * 10);  // radio groups need room for their buttons
        control.y = static_cast<short>(5 + (i % 10) * 15);
        control.x = static_cast<short>(5 + (i / 10) * 100);
        controls.push_back(control);
    }
    MakeLinkFactory();
    std::vector<const std::type_info*> made;
    QORVAOptItemDlgLink* missing = reinterpret_cast<QORVAOptItemDlgLink*>(1);
    RunPage(controls, {Check([&](HWND dialog) {
                for (size_t i = 0; i < std::size(cases); ++i) {
                    QORVAOptItemHandler* handler = m_links->FindHandler(static_cast<DWORD>(2000 + i));
                    QORVAOptItemDlgLink* link =
                        m_links->CreateDlgLinkByClass(dialog, handler, static_cast<DWORD>(100 + i * 10), cases[i].extra);
                    made.push_back(link ? &typeid(*link) : nullptr);
                }
                missing = m_links->CreateDlgLinkByClass(dialog, m_links->FindHandler(2000), 999, 0);
            })});
    ASSERT_EQ(made.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        if (!cases[i].link) {
            EXPECT_EQ(made[i], nullptr);
        } else {
            ASSERT_NE(made[i], nullptr);
            EXPECT_EQ(*made[i], *cases[i].link);
        }
    }
    EXPECT_EQ(missing, nullptr);
}

TEST_F(LinkBase, ChainOfOneItemAndEnablingByVisibleOptions) {
    constexpr DWORD kMedia = 3000;
    POPTITEM media = AddItem(kMedia, TVOT_COMBOBOX, 3);
    SetTexts(media, {u"Plain", u"Thick", u"Label"});
    media->pOptType->pOptParam[1].Flags |= OPTPF_HIDE;
    media->pOptType->pOptParam[2].Flags |= OPTPF_HIDE;
    MakeLinkFactory()->m_bindings = {{kMedia, 101, kLinkNeedsTwoOptions}, {kMedia, 102}, {kMedia, 103}};
    bool comboEnabled = true, comboEnabledLater = false, staticEnabled = false;
    // The control ids of the links found (the links go with the page).
    DWORD zero = 0, end = 0, display = 0, input = 0;
    DWORD zeroLast = 9, endLast = 9;
    auto idOf = [](QORVAOptItemDlgLink* link) { return link ? link->ControlId() : 0; };
    RunPage({{u"ComboBox", CBS_DROPDOWNLIST, 101, u""}, {u"Static", SS_LEFT, 102, u"Media", 5, 25},
             {u"Edit", ES_READONLY, 103, u"", 5, 45}},
            {Check([&](HWND dialog) {
                 // One visible option and no constraint: the combo box alone is disabled.
                 comboEnabled = Enabled(GetDlgItem(dialog, 101));
                 staticEnabled = Enabled(GetDlgItem(dialog, 102));
                 QORVAOptItemDlgLink* first = m_links->FindHandler(kMedia)->FirstLink();
                 zero = idOf(QORVAOptItemDlgLink::GetChainLink(first, 0, &zeroLast));
                 end = idOf(QORVAOptItemDlgLink::GetChainLink(first, 65534, &endLast));
                 display = idOf(QORVAOptItemDlgLink::FindInputLink(first, kLinkDisplay));
                 input = idOf(QORVAOptItemDlgLink::FindInputLink(first->NextLink(), kLinkInput));
                 m_links->FindHandler(kMedia)->HideOption(1, 1, nullptr);
                 m_links->FlushList();
             }),
             Check([&](HWND dialog) { comboEnabledLater = Enabled(GetDlgItem(dialog, 101)); })});
    EXPECT_FALSE(comboEnabled);
    EXPECT_TRUE(staticEnabled);
    EXPECT_TRUE(comboEnabledLater);
    EXPECT_EQ(zero, 101u);
    EXPECT_EQ(zeroLast, 0u);
    EXPECT_EQ(end, 103u);
    EXPECT_EQ(endLast, 1u);
    EXPECT_EQ(display, 102u);
    EXPECT_EQ(input, 103u);
}

TEST_F(LinkBase, OtherItemsTextsAndTheWatermarkSelectionThroughALink) {
    POPTITEM watermark = AddItem(2402, TVOT_COMBOBOX, 3);
    SetTexts(watermark, {u"None", u"Draft", u"Copy"});
    watermark->Sel = 1;
    AddItem(3000, TVOT_CHKBOX, 2);
    MakeLinkFactory()->m_bindings = {{3000, 101}};
    LONG_PTR selection = -5;
    std::u16string text, unknown = u"?";
    RunPage({{u"Button", BS_AUTOCHECKBOX, 101, u"a"}}, {Check([&](HWND dialog) {
                QORVAOptItemDlgLink* link = QORVAOptItemDlgLink::FromWindow(GetDlgItem(dialog, 101));
                selection = link->GetWatermarkSel();
                text = link->GetItemText(2402);
                unknown = link->GetItemText(4444);  // no page item: a default handler without texts
            })});
    EXPECT_EQ(selection, 1);
    EXPECT_EQ(text, u"Draft");
    EXPECT_EQ(unknown, u"");
}

TEST_F(LinkBase, DetachKeepsLinksOfAnotherDialogAndReleasesTheRest) {
    constexpr DWORD kPaper = 3100;
    POPTITEM paper = AddItem(kPaper, TVOT_LISTBOX, 3);
    SetTexts(paper, {u"A4", u"A5", u"B5"});
    MakeLinkFactory()->m_bindings = {{kPaper, 101}, {kPaper, 102}};
    const SIZE_T before = HeapUse();
    DWORD foreign = 9;
    bool propertyKept = false;
    RunPage({{u"ListBox", 0, 101, u"", 5, 5, 80, 40}, {u"ComboBox", CBS_DROPDOWNLIST, 102, u"", 5, 50}},
            {Check([&](HWND dialog) {
                HWND other = CreateWindowExW(0, u"#32770", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
                QORVAOptItemDlgLink* link = QORVAOptItemDlgLink::FromWindow(GetDlgItem(dialog, 101));
                foreign = link->Detach(other);
                propertyKept = QORVAOptItemDlgLink::FromWindow(GetDlgItem(dialog, 101)) == link;
                DestroyWindow(other);
            })});
    EXPECT_EQ(foreign, 0u);
    EXPECT_TRUE(propertyKept);
    EXPECT_EQ(m_links->m_released, 2);
    // The links, their row maps and their observer caches went back to the heap.
    EXPECT_EQ(HeapUse(), before);
}

// A link that watches every message of its control, as the driver's own links do.
class WatchingLink final : public QORVAOptItemDlgLinkStatic {
public:
    WatchingLink(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD id, std::vector<UINT>* seen)
        : QORVAOptItemDlgLinkStatic(heap, handler, control, id, 0), m_seen(seen) {
        SubclassControl();
    }
    LRESULT SetCursor(UINT message, WPARAM, LPARAM) override {
        m_seen->push_back(message);
        if (message == WM_NCDESTROY) m_procAtEnd = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_control, GWLP_WNDPROC));
        return 0;
    }
    WNDPROC m_procAtEnd = nullptr;
    WNDPROC Saved() const { return m_savedWndProc; }

private:
    std::vector<UINT>* m_seen;
};

TEST_F(LinkBase, SubclassedControlReachesItsLinkAndGetsItsProcedureBackAtTheEnd) {
    AddItem(3200, TVOT_CHKBOX, 2);
    MakeLinkFactory();
    std::vector<UINT> seen;
    WNDPROC own = nullptr, during = nullptr, atEnd = nullptr, saved = nullptr;
    RunPage({{u"Static", SS_LEFT, 101, u"x"}},
            {Check([&](HWND dialog) {
                HWND control = GetDlgItem(dialog, 101);
                own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
                auto* link = MakeOnHeap<WatchingLink>(m_heap, m_heap, m_links->FindHandler(3200), control, 101, &seen);
                saved = link->Saved();
                during = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
                SetWindowTextW(control, u"y");
                DestroyWindow(control);
                // At its last message the control had its own procedure again.
                atEnd = link->m_procAtEnd;
            })});
    EXPECT_EQ(saved, own);
    EXPECT_EQ(during, &QORVAOptItemDlgLink::SubclassProc);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), static_cast<UINT>(WM_SETTEXT));
    EXPECT_EQ(seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(atEnd, own);
}

TEST(LinkHelp, ContextIdsAndTheViewerChosenByTheHelpFile) {
    struct Case {
        DWORD key, helpIndex, context;
    };
    const Case contexts[] = {
        {5000, 700, 700},              // a kit item shows its own help index
        {5000, 65535, 1234},           // 65535: the control's id
        {99, 700, 1234},               // standard items: the control's id
        {0x800075C6, 30150, 1234},     // the special item: the control's id
        {0x80001000, 700, 1234},       // keys made from the help index: the control's id
    };
    for (const Case& c : contexts) EXPECT_EQ(ItemHelpContext(c.key, c.helpIndex, 1234), c.context) << c.key;

    palvex::ResetUiRecords();
    HWND owner = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(ShowItemHelp(owner, u"C:\\Help\\tovqeb.hlp", HELP_WM_HELP, 1234, 700));
    EXPECT_TRUE(ShowItemHelp(owner, u"C:\\Help\\tovqeb.chm", HELP_CONTEXTMENU, 1234, 700));
    EXPECT_FALSE(ShowItemHelp(owner, nullptr, HELP_WM_HELP, 1234, 700));
    const auto calls = palvex::TakeHelpCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_FALSE(calls[0].html);
    EXPECT_EQ(calls[0].file, u"C:\\HELP\\TOVQEB.HLP");
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_WM_HELP));
    EXPECT_EQ(calls[0].idPairs, (std::vector<DWORD>{1234, 700}));
    EXPECT_EQ(calls[0].window, owner);
    EXPECT_TRUE(calls[1].html);
    EXPECT_EQ(calls[1].file, u"C:\\HELP\\TOVQEB.CHM");
    EXPECT_EQ(calls[1].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(calls[1].data, 1234u);
    DestroyWindow(owner);
}

TEST_F(LinkBase, HelpIsRefusedForItemsWithoutAHelpIndex) {
    POPTITEM none = AddItem(3300, TVOT_CHKBOX, 2);
    POPTITEM hidden = AddItem(3301, TVOT_CHKBOX, 2);
    hidden->HelpIndex = 65534;
    POPTITEM shown = AddItem(3302, TVOT_CHKBOX, 2);
    shown->HelpIndex = 700;
    (void)none;
    MakeLinkFactory()->m_bindings = {{3300, 101}, {3301, 102}, {3302, 103}};
    std::vector<LRESULT> answers;
    RunPage({{u"Button", BS_AUTOCHECKBOX, 101, u"a"}, {u"Button", BS_AUTOCHECKBOX, 102, u"b", 5, 25},
             {u"Button", BS_AUTOCHECKBOX, 103, u"c", 5, 45}},
            {Check([&](HWND dialog) {
                for (int id : {101, 102, 103}) {
                    HELPINFO info{};
                    info.cbSize = sizeof info;
                    info.iContextType = HELPINFO_WINDOW;
                    info.iCtrlId = id;
                    info.hItemHandle = GetDlgItem(dialog, id);
                    answers.push_back(SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
                }
            })});
    EXPECT_EQ(answers, (std::vector<LRESULT>{0, 0, 1}));
}

}  // namespace
}  // namespace uitest
