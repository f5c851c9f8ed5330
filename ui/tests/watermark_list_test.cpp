// The watermark list on the UI test printer: its entries from the stored rows, each watermark's
// attributes following the selection, the chosen index in the devmode, the popup's New and
// Delete buttons and text box, OK writing the rows, Cancel reading them again, the list box's
// keys, and a stored setting naming a watermark the list no longer holds.
#include <string>
#include <vector>

#include <palvex/message_box.h>
#include <palvex/ui_script.h>

#include "driver_sheet.h"
#include "items/dlglink_list.h"
#include "items/optitem_builder.h"
#include "items/stored_set.h"
#include "options/factory_tables.h"
#include "options/page_rule_flags.h"
#include "options/watermark_list.h"
#include "options/watermark_list_constraint.h"
#include "options/watermark_list_link.h"
#include "sheet_pages.h"

namespace uitest {
namespace {

using palvex::UserAction;

constexpr DWORD kPushItem = 2450;  // the layout page's button that opens the popup
constexpr DWORD kPopup = 19001;
constexpr DWORD kAngle = 19202, kDegree = 19250, kFont = 19302, kShade = 19402, kSize = 19452, kStyle = 19502;

const std::vector<std::u16string> kStoredTexts = {u"<なし>", u"CONFIDENTIAL", u"DRAFT", u"COPY", u"", u"", u"", u"", u"", u""};

UserAction Act(UserAction::Kind kind, int control = 0, std::u16string text = {}) {
    UserAction action;
    action.kind = kind;
    action.control = control;
    action.text = std::move(text);
    return action;
}

UserAction Do(std::function<void(HWND)> run) {
    UserAction action;
    action.kind = UserAction::Run;
    action.run = std::move(run);
    return action;
}

std::u16string Entry(const std::u16string& key, const std::u16string& value) {
    return std::u16string(1, char16_t{0xFFFD}) + key + char16_t{0xFFFE} + value + char16_t{0xFFFF};
}

class WatermarkListTest : public DriverSheetTest {
protected:
    void SetUp() override {
        DriverSheetTest::SetUp();
        palvex::ResetMessageBoxScript();
        AddItem(kWatermarkListItem, TVOT_COMBOBOX, std::vector<std::u16string>{u"None"});
        AddItem(kWatermarkSwitchItem, TVOT_2STATES, 2);
        AddItem(kAngle, TVOT_3STATES, {u"Diagonal", u"Horizontal", u"Own"}, {1, 2, 3});
        AddItem(kDegree, TVOT_UDARROW, 2, {0, 359});
        AddItem(kFont, TVOT_COMBOBOX, {u"Arial", u"Courier New"});
        AddItem(kShade, TVOT_COMBOBOX, {u"0", u"64", u"128"}, {0, 64, 128});
        AddItem(kSize, TVOT_UDARROW, 2, {0, 200});
        AddItem(kStyle, TVOT_COMBOBOX, {u"Plain", u"Outline"}, {1, 2});
        AddItem(kWatermarkNewButton, TVOT_PUSHBUTTON, 1);
        AddItem(kWatermarkDeleteButton, TVOT_PUSHBUTTON, 1);
        AddItem(kPushItem, TVOT_PUSHBUTTON, 1);
        OpenSheet();
    }
    void TearDown() override {
        if (m_extension) m_extension->m_factory = nullptr;
        DriverSheetTest::TearDown();
        palvex::ResetUserScript();
        palvex::ResetMessageBoxScript();
    }
    // The sheet over the printer's stored rows, with the popup's rules as the factory makes them.
    void OpenSheet() {
        MakeFactory();
        const ConstraintMaker maker = ConstraintMakerOf(DrvConstraintClass::WMK);
        ASSERT_TRUE(maker);
        ASSERT_TRUE(maker(m_heap, m_factory));
        // The popup's dialog procedure reaches the factory through the sheet state.
        m_extension->m_factory = m_factory;
        ASSERT_TRUE(RegisterStaticHand(m_extension));  // the preview's class
        m_push = {m_extension, kPopup, m_extension->Resources()->GetDialogTemplate(kPopup, FALSE)};
        ASSERT_TRUE(m_push.m_template);
        Handler(kPushItem)->Item()->pOptType->pOptParam[0].lParam = reinterpret_cast<LPARAM>(&m_push);
    }
    // Closes the sheet after its Apply and opens it again on what was saved.
    void ApplyAndReopen() {
        m_factory->OnOK(nullptr);
        m_extension->m_factory = nullptr;
        CloseSheet();
        OpenSheet();
    }
    // Opens the popup from the page's button and runs the actions in it; the user closes it with
    // the last one (Ok or Cancel).
    void RunPopup(std::vector<UserAction> actions) {
        actions.insert(actions.begin(), Do([this](HWND dialog) { LinkTextBox(dialog); }));
        palvex::QueueUserActions(actions);
        Handler(kPushItem)->Push(nullptr);
    }
    // The text box's own filter link belongs to the edit boxes; until the factory makes one the
    // plain edit link hands the typing to the list the same way.
    void LinkTextBox(HWND dialog) {
        HWND edit = GetDlgItem(dialog, kWatermarkMessageEdit);
        ASSERT_TRUE(edit);
        if (QORVAOptItemDlgLink::FromWindow(edit)) return;
        QORVAOptItemHandler* list = Handler(kWatermarkListItem);
        list->AttachDlgLink(m_factory->CreateDlgLinkByClass(dialog, list, kWatermarkMessageEdit, 0));
    }
    QORVAOptItemHandlerWMCOMBOBOX* List() { return dynamic_cast<QORVAOptItemHandlerWMCOMBOBOX*>(Handler(kWatermarkListItem)); }
    std::vector<std::u16string> Texts() {
        std::vector<std::u16string> texts;
        for (LONG i = 0; i < Handler(kWatermarkListItem)->GetOptionCount(); ++i)
            texts.push_back(Hidden(kWatermarkListItem, i) ? u"" : Text(kWatermarkListItem, i));
        return texts;
    }
    LONG Value(DWORD key) { return m_factory->GetItemValue(key); }
    WORD TextIndex() {
        WORD index = 0xFFFF;
        EXPECT_EQ(m_settings->GetFieldValue(m_privateDevmode.data(), u"_WMK_TEXT_IDX", &index, sizeof index,
                                            SETTINGS_SELECT_DEVMODE),
                  S_OK);
        return index;
    }
    std::vector<std::u16string> ListRows(HWND dialog) {
        HWND list = GetDlgItem(dialog, kWatermarkListBox);
        std::vector<std::u16string> rows;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            WCHAR text[64] = {};
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }

    PushTargetRecord m_push{};
};

TEST_F(WatermarkListTest, TheStoredRowsAreTheEntries) {
    QORVAOptItemHandlerWMCOMBOBOX* list = List();
    ASSERT_TRUE(list);
    EXPECT_EQ(Texts(), kStoredTexts);
    EXPECT_EQ(list->GetTextLimit(), 32);
    EXPECT_EQ(list->FirstFreeEntry(), 4);
    EXPECT_EQ(list->GetSel(), 0);

    // An index the rows no longer reach (a devmode from a longer list) is no watermark.
    m_extension->m_factory = nullptr;
    CloseSheet();
    m_items[0].Sel = 12;
    OpenSheet();
    EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 0);
}

TEST_F(WatermarkListTest, EachWatermarkBringsItsAttributesAndTheSwitchFollows) {
    struct Case {
        LONG entry;
        LONG angle, shade, size, style, on;
    } cases[] = {
        {1, 1, 0, 72, 2, 1},    // CONFIDENTIAL, as described
        {3, 2, 128, 72, 2, 1},  // COPY: horizontal
        {2, 1, 0, 96, 1, 1},    // DRAFT
        {0, 1, 0, 72, 1, 0},    // no watermark: as described too, and the switch goes off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        Handler(kWatermarkListItem)->SetCurSel(c.entry, nullptr);
        EXPECT_EQ(Value(kAngle), c.angle);
        EXPECT_EQ(Value(kShade), c.shade);
        EXPECT_EQ(Value(kSize), c.size);
        EXPECT_EQ(Value(kStyle), c.style);
        EXPECT_EQ(Value(kWatermarkSwitchItem), c.on);
    }
}

TEST_F(WatermarkListTest, AWatermarkKeepsTheAttributesTheUserGaveIt) {
    QORVAOptItemHandler* list = Handler(kWatermarkListItem);
    list->SetCurSel(1, nullptr);
    Handler(kSize)->SetValue(150, nullptr);
    Handler(kShade)->SetCurSel(1, nullptr);
    list->SetCurSel(2, nullptr);
    EXPECT_EQ(Value(kSize), 96);
    // Coming back takes what the user set, not the description's values again.
    list->SetCurSel(1, nullptr);
    EXPECT_EQ(Value(kSize), 150);
    EXPECT_EQ(Value(kShade), 64);
    list->SetCurSel(2, nullptr);
    EXPECT_EQ(Value(kSize), 96);
}

TEST_F(WatermarkListTest, ApplyWritesTheChosenEntrysIndex) {
    struct Case {
        const char* what;
        bool hide;
        WORD index;
    } cases[] = {{"entry 2", false, 2}, {"entry 2 hidden", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QORVAOptItemHandler* list = Handler(kWatermarkListItem);
        list->SetCurSel(2, nullptr);
        if (c.hide) list->HideOption(2, 0x8000, nullptr);
        m_factory->OnOK(nullptr);
        EXPECT_EQ(TextIndex(), c.index);
        EXPECT_EQ(list->GetSel(), c.index);
        list->HideOption(2, 1, nullptr);
    }
}

TEST_F(WatermarkListTest, NewMakesAnUntitledWatermarkWhoseTextTheUserTypesAtOnce) {
    std::vector<std::u16string> rows;
    std::u16string focused;
    DWORD selStart = 1, selEnd = 0;
    RunPopup({Act(UserAction::Click, kWatermarkNewButton), Do([&](HWND dialog) {
                  rows = ListRows(dialog);
                  HWND edit = GetDlgItem(dialog, kWatermarkMessageEdit);
                  focused = GetFocus() == edit ? u"text box" : u"elsewhere";
                  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
              }),
              Act(UserAction::SetText, kWatermarkMessageEdit, u"SECRET"),
              Act(UserAction::Ok)});
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"<なし>", u"CONFIDENTIAL", u"DRAFT", u"COPY", u"無題"}));
    EXPECT_EQ(focused, u"text box");
    EXPECT_EQ(selStart, 0u);
    EXPECT_EQ(selEnd, 2u);
    EXPECT_EQ(Text(kWatermarkListItem, 4), u"SECRET");
    EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 4);
    EXPECT_EQ(Value(kWatermarkSwitchItem), 1);

    ApplyAndReopen();
    std::vector<std::u16string> stored = kStoredTexts;
    stored[4] = u"SECRET";
    EXPECT_EQ(Texts(), stored);
}

TEST_F(WatermarkListTest, TheTextBoxRefusesAnEqualsSignAndKeepsTheWatermarksText) {
    const std::u16string warning = u"スタンプメッセージに、'=' は使えません。";
    struct Case {
        const char* what;
        std::function<void(HWND)> type;
        std::u16string shown;  // the box's text and the watermark's after the typing
        bool warned;
    } cases[] = {
        {"a refused key first", [](HWND edit) {
             SendMessageW(edit, EM_SETSEL, 100, 100);
             SendMessageW(edit, WM_CHAR, u'=', 0);
         }, u"DRAFT", true},
        {"a pasted text holding =", [](HWND edit) { SetWindowTextW(edit, u"a=b"); }, u"DRAFT", true},
        {"anything else, full width too", [](HWND edit) { SetWindowTextW(edit, u"C:\\秘密 ＋\""); },
         u"C:\\秘密 ＋\"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Handler(kWatermarkListItem)->SetCurSel(2, nullptr);
        std::u16string shown;
        RunPopup({Do([&](HWND dialog) {
                      HWND edit = GetDlgItem(dialog, kWatermarkMessageEdit);
                      c.type(edit);
                      WCHAR text[64] = {};
                      GetWindowTextW(edit, text, 64);
                      shown = text;
                  }),
                  Act(UserAction::Cancel)});
        EXPECT_EQ(shown, c.shown);
        const auto boxes = palvex::TakeMessageBoxRecords();
        ASSERT_EQ(boxes.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(boxes[0].text, warning);
        }
    }
}

TEST_F(WatermarkListTest, DeleteAsksFirstAndHidesTheChosenWatermark) {
    struct Case {
        int answer;
        bool hidden;
    } cases[] = {{IDCANCEL, false}, {IDOK, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        palvex::QueueMessageBoxAnswers({c.answer});
        std::vector<std::u16string> rows;
        RunPopup({Act(UserAction::Choose, kWatermarkListBox, u"DRAFT"), Act(UserAction::Click, kWatermarkDeleteButton),
                  Do([&](HWND dialog) { rows = ListRows(dialog); }), Act(UserAction::Ok)});
        const std::vector<palvex::MessageBoxRecord> shown = palvex::TakeMessageBoxRecords();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, u"選ばれた[スタンプ]を消去してもよろしいですか？");
        EXPECT_EQ(shown[0].caption, u"警告");
        EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
        EXPECT_EQ(Hidden(kWatermarkListItem, 2), c.hidden);
        if (c.hidden) {
            EXPECT_EQ(rows, (std::vector<std::u16string>{u"<なし>", u"CONFIDENTIAL", u"COPY"}));
            // The selection went to the first entry still shown: no watermark.
            EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 0);
        } else {
            EXPECT_EQ(rows, (std::vector<std::u16string>{u"<なし>", u"CONFIDENTIAL", u"DRAFT", u"COPY"}));
            EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 2);
        }
    }
    ApplyAndReopen();
    std::vector<std::u16string> stored = kStoredTexts;
    stored[2] = u"";
    EXPECT_EQ(Texts(), stored);
}

TEST_F(WatermarkListTest, AnEmptiedTextDeletesTheWatermarkOnOkAndNoWatermarkIsNeverRenamed) {
    std::vector<std::u16string> rows;
    LONG selectedBeforeOk = -1;
    RunPopup({Act(UserAction::Choose, kWatermarkListBox, u"COPY"), Act(UserAction::SetText, kWatermarkMessageEdit, u""),
              Do([&](HWND dialog) {
                  rows = ListRows(dialog);
                  selectedBeforeOk = static_cast<LONG>(Handler(kWatermarkListItem)->GetSel());
              }),
              Act(UserAction::Ok)});
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"<なし>", u"CONFIDENTIAL", u"DRAFT"}));
    EXPECT_EQ(selectedBeforeOk, 3);  // still chosen until the popup closes
    EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 0);
    EXPECT_EQ(TextIndex(), 0);

    // Typing with no watermark chosen makes a new one in the first free slot; entry 0 keeps its
    // text. A watermark's text keeps 31 characters.
    const std::u16string typed(40, u'M');
    RunPopup({Act(UserAction::SetText, kWatermarkMessageEdit, typed), Act(UserAction::Ok)});
    EXPECT_EQ(Text(kWatermarkListItem, 0), u"<なし>");
    EXPECT_EQ(Text(kWatermarkListItem, 3), typed.substr(0, 31));
    EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 3);
    ApplyAndReopen();
    std::vector<std::u16string> stored = kStoredTexts;
    stored[3] = typed.substr(0, 31);
    EXPECT_EQ(Texts(), stored);
}

TEST_F(WatermarkListTest, CancelPutsBackTheStoredList) {
    Handler(kWatermarkListItem)->SetCurSel(1, nullptr);
    palvex::QueueMessageBoxAnswers({IDOK});
    std::vector<std::u16string> rows;
    RunPopup({Act(UserAction::Choose, kWatermarkListBox, u"DRAFT"), Act(UserAction::SetText, kWatermarkMessageEdit, u"DRAFT 2"),
              Act(UserAction::Choose, kWatermarkListBox, u"COPY"), Act(UserAction::Click, kWatermarkDeleteButton),
              Act(UserAction::Click, kWatermarkNewButton), Do([&](HWND dialog) { rows = ListRows(dialog); }),
              Act(UserAction::Cancel)});
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"<なし>", u"CONFIDENTIAL", u"DRAFT 2", u"無題"}));
    EXPECT_EQ(Texts(), kStoredTexts);
    EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 1);
    EXPECT_EQ(Value(kSize), 72);
}

TEST_F(WatermarkListTest, AWatermarksAttributesAreStoredWithItOnOk) {
    RunPopup({Act(UserAction::Choose, kWatermarkListBox, u"CONFIDENTIAL"),
              Do([&](HWND) { Handler(kSize)->SetValue(150, nullptr); }), Act(UserAction::Choose, kWatermarkListBox, u"DRAFT"),
              Act(UserAction::Ok)});
    ApplyAndReopen();
    QORVAOptItemHandler* list = Handler(kWatermarkListItem);
    list->SetCurSel(1, nullptr);
    EXPECT_EQ(Value(kSize), 150);
    EXPECT_EQ(Value(kStyle), 2);
    list->SetCurSel(2, nullptr);
    EXPECT_EQ(Value(kSize), 96);
}

TEST_F(WatermarkListTest, TheButtonsFollowTheList) {
    QORVAOptItemHandler* newButton = Handler(kWatermarkNewButton);
    QORVAOptItemHandler* deleteButton = Handler(kWatermarkDeleteButton);
    QORVAOptItemHandler* degree = Handler(kDegree);
    Handler(kWatermarkListItem)->RouteNotify(0, kNotifyInitialise, 0);  // as a page opens
    EXPECT_EQ(newButton->StateBits() & 0x400, 0u);
    EXPECT_EQ(newButton->Hint(3), 0x80000000u);
    EXPECT_EQ(deleteButton->StateBits() & 1, 1u);  // no watermark chosen
    EXPECT_EQ(degree->StateBits() & 1, 1u);        // the diagonal angle

    Handler(kAngle)->SetCurSel(2, nullptr);
    EXPECT_EQ(degree->StateBits() & 1, 0u);
    // New fills the six free slots; then the list is full.
    for (int i = 0; i < 6; ++i) newButton->Push(nullptr);
    EXPECT_EQ(List()->FirstFreeEntry(), -1);
    EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 9);
    EXPECT_EQ(newButton->StateBits() & 0x400, 0x400u);
    EXPECT_EQ(newButton->Hint(3), 0x8000814Du);
    EXPECT_EQ(deleteButton->StateBits() & 1, 0u);
    newButton->Push(nullptr);
    EXPECT_EQ(Handler(kWatermarkListItem)->GetSel(), 9);
    EXPECT_EQ(Text(kWatermarkListItem, 9), u"無題");
}

TEST_F(WatermarkListTest, AStoredSettingRecallsTheWatermarkByItsText) {
    QORVAOptItemHandler* list = Handler(kWatermarkListItem);
    list->SetCurSel(2, nullptr);
    StoredItemSet set{m_heap, nullptr, nullptr, 0, 0};
    list->QSave(&set);
    EXPECT_EQ(std::u16string(set.m_text, set.m_used), Entry(u"962", u"DRAFT"));
    FreeStoredSet(&set);

    struct Case {
        std::u16string text;
        LONG selection;
        bool mismatch;
    } cases[] = {{u"COPY", 3, false}, {u"GONE", 3, true}, {u"CONFIDENTIAL", 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        std::u16string text = Entry(u"962", c.text);
        StoredSetApply apply{m_factory, text.data()};
        ApplyStoredSet(&apply);
        EXPECT_EQ(list->GetSel(), c.selection);
        EXPECT_EQ(WatermarkTextMismatch(list), c.mismatch);
    }
    EXPECT_FALSE(WatermarkTextMismatch(Handler(kSize)));
}

TEST_F(WatermarkListTest, KeysInTheListGoToTheTextBoxWhileAWatermarkIsChosen) {
    struct Case {
        const char* what;
        LONG entry;
        WORD key;
        LRESULT answer;
        bool toTextBox;
    } cases[] = {
        {"a letter on a watermark", 2, 'A', -2, true},
        {"a letter on no watermark", 0, 'A', -2, false},
        {"the down arrow", 2, 40 /* down */, -1, false},
        {"the left arrow", 1, 37 /* left */, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Handler(kWatermarkListItem)->SetCurSel(c.entry, nullptr);
        LRESULT answer = 0;
        bool toTextBox = false;
        RunPopup({Do([&](HWND dialog) {
                      HWND list = GetDlgItem(dialog, kWatermarkListBox);
                      SetFocus(list);
                      answer = m_factory->DialogProc(dialog, WM_VKEYTOITEM, MAKEWPARAM(c.key, 0), reinterpret_cast<LPARAM>(list));
                      toTextBox = GetFocus() == GetDlgItem(dialog, kWatermarkMessageEdit);
                  }),
                  Act(UserAction::Cancel)});
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(toTextBox, c.toTextBox);
    }
}

}  // namespace
}  // namespace uitest
