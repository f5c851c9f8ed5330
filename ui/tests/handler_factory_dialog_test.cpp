// The handler factory as a dialog procedure: which link slot each message reaches, OK, Cancel and
// Help of a level, and push dialogs with their undo levels.
#include <string>
#include <vector>

#include <palvex/ui_records.h>
#include <palvex/ui_script.h>
#include <win/commctrl.h>

#include "items/heap_object.h"
#include "items/optitem_builder.h"
#include "items/optitem_dlglink.h"
#include "optitem_sheet.h"
#include "sheet_pages.h"

namespace uitest {
namespace {

constexpr int kControl = 700;
constexpr int kOther = 701;
constexpr DWORD kItemKey = 310;
constexpr DWORD kPushKey = 320;

// A link that writes down each slot it is asked for and answers 7.
class RecordingLink final : public QORVAOptItemDlgLink {
public:
    RecordingLink(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD id, std::vector<std::string>* log)
        : QORVAOptItemDlgLink(heap, handler, control, id, 0), m_log(log) {}
    LRESULT DrawItem(LPARAM) override { return Note("DrawItem"); }
    LRESULT OnVKeyToItem(WPARAM key) override { return Note("OnVKeyToItem " + std::to_string(key)); }
    LRESULT OnNotify(LPARAM) override { return Note("OnNotify"); }
    LRESULT Help(DWORD id, DWORD command) override {
        return Note("Help " + std::to_string(id) + " " + std::to_string(command));
    }
    LRESULT HandleCommand(WORD code, DWORD id) override {
        // A change through the control: the handler is queued for repainting.
        m_handler->SetCurSel(1, this);
        return Note("HandleCommand " + std::to_string(code) + " " + std::to_string(id));
    }
    LRESULT OnHScroll(WPARAM) override { return Note("OnHScroll"); }
    LRESULT OnVScroll(WPARAM) override { return Note("OnVScroll"); }
    DWORD Detach(HWND) override {
        Note("Detach");
        return 1;
    }

private:
    LRESULT Note(const std::string& what) {
        m_log->push_back(what);
        return 7;
    }
    std::vector<std::string>* m_log;
};

// The property sheet's messages as the frame hears them.
std::vector<UINT> g_frameMessages;
LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PSM_CHANGED || message == PSM_UNCHANGED) g_frameMessages.push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

class FactoryDialog : public SheetTest {
protected:
    void SetUp() override {
        AddItem(kItemKey, TVOT_COMBOBOX, 8);
        g_frameMessages.clear();
        palvex::ResetUiRecords();
        palvex::ResetUserScript();
        m_frame = CreateWindowExW(0, u"Static", u"frame", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(m_frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc));
        m_help = Child(m_frame, IDHELP);
        EnableWindow(m_help, FALSE);
        m_page = CreateWindowExW(0, u"Static", u"page", WS_CHILD, 0, 0, 300, 200, m_frame, nullptr, nullptr, nullptr);
        m_control = Child(m_page, kControl);
        m_other = Child(m_page, kOther);
    }
    void TearDown() override {
        palvex::ResetUserScript();
        if (m_extension) m_extension->m_factory = nullptr;
        DestroyWindow(m_frame);
    }
    HWND Child(HWND parent, int id) {
        return CreateWindowExW(0, u"Button", u"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    RecordingLink* Bind(HWND control, int id) {
        QORVAOptItemHandler* handler = Handler(kItemKey);
        auto* link = MakeOnHeap<RecordingLink>(m_heap, m_heap, handler, control, static_cast<DWORD>(id), &m_log);
        SetPropW(control, MAKEINTATOM(GlobalFindAtomW(u"optItemHandler")), link);
        handler->AttachDlgLink(link);
        return link;
    }
    INT_PTR Send(UINT message, WPARAM wParam, LPARAM lParam) { return m_factory->DialogProc(m_page, message, wParam, lParam); }

    HWND m_frame = nullptr, m_help = nullptr, m_page = nullptr, m_control = nullptr, m_other = nullptr;
    std::vector<std::string> m_log;
};

TEST_F(FactoryDialog, EachMessageReachesTheLinkOfItsControl) {
    MakeFactory();
    Bind(m_control, kControl);
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iCtrlId = kControl;
    NMHDR header{m_control, kControl, 0};
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        INT_PTR answer;
        std::string slot;
    } cases[] = {
        {WM_DRAWITEM, kControl, 0, 7, "DrawItem"},
        {WM_VKEYTOITEM, 40, reinterpret_cast<LPARAM>(m_control), 7, "OnVKeyToItem 40"},
        {WM_NOTIFY, kControl, reinterpret_cast<LPARAM>(&header), 7, "OnNotify"},
        {WM_HELP, 0, reinterpret_cast<LPARAM>(&help), 7, "Help 700 12"},
        {WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_control), 0, 1, "Help 700 10"},
        {WM_COMMAND, MAKEWPARAM(kControl, CBN_SELCHANGE), reinterpret_cast<LPARAM>(m_control), 7, "HandleCommand 1 700"},
        {WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(m_control), 7, "OnHScroll"},
        {WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(m_control), 7, "OnVScroll"},
    };
    for (const Case& c : cases) {
        m_log.clear();
        EXPECT_EQ(Send(c.message, c.wParam, c.lParam), c.answer) << c.slot;
        ASSERT_EQ(m_log.size(), 1u) << c.slot;
        EXPECT_EQ(m_log[0], c.slot);
    }
    // The notification enabled the sheet's Help; the change was flushed and told to the sheet.
    EXPECT_TRUE(IsWindowEnabled(m_help));
    EXPECT_EQ(g_frameMessages, std::vector<UINT>{PSM_CHANGED});
    EXPECT_EQ(m_factory->PageChanged(), 1u);
    EXPECT_EQ(m_factory->PendingHead(), nullptr);
}

TEST_F(FactoryDialog, ControlsWithoutALinkAreLeftToTheDefault) {
    MakeFactory();
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iCtrlId = kOther;
    EXPECT_EQ(Send(WM_DRAWITEM, kOther, 0), 0);
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(kOther, BN_CLICKED), 0), 0);
    EXPECT_EQ(Send(WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
    EXPECT_EQ(Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_other), 0), 1);
    EXPECT_EQ(Send(WM_MOUSEMOVE, 0, 0), 0);
    EXPECT_FALSE(IsWindowEnabled(m_help));
}

TEST_F(FactoryDialog, OkAndItsAlternativeAndCancelEndTheDialog) {
    MakeFactory();
    for (WORD id : {WORD{IDOK}, WORD{8}, WORD{IDCANCEL}}) EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0), 1) << id;
}

TEST_F(FactoryDialog, HelpOfTheSheetLevelOpensHtmlHelpWithoutAContext) {
    MakeFactory();
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), 0), 0);
    const auto calls = palvex::TakeHelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].html);
    EXPECT_EQ(calls[0].data, 0u);
    EXPECT_EQ(calls[0].window, m_page);
}

TEST_F(FactoryDialog, DestroyingTheDialogFreesTheLinksThatLetGo) {
    MakeFactory();
    Bind(m_control, kControl);
    Bind(m_other, kOther);
    EXPECT_EQ(Send(WM_NCDESTROY, 0, 0), 1);
    EXPECT_EQ(m_log, (std::vector<std::string>{"Detach", "Detach"}));
    EXPECT_EQ(Handler(kItemKey)->FirstLink(), nullptr);
}

// --- push dialogs ------------------------------------------------------------------------------

// A popup without controls: OK and Cancel come as the keyboard gives them.
std::vector<WORD> PopupTemplate() {
    std::vector<WORD> words(12, 0);
    const DWORD style = WS_POPUP | WS_CAPTION;
    words[0] = static_cast<WORD>(style & 0xFFFF);
    words[1] = static_cast<WORD>(style >> 16);
    words[7] = 100;  // cx
    words[8] = 60;   // cy
    return words;
}

palvex::UserAction Step(std::function<void(HWND)> body) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Run;
    action.run = std::move(body);
    return action;
}

palvex::UserAction Press(palvex::UserAction::Kind kind) {
    palvex::UserAction action;
    action.kind = kind;
    return action;
}

class PushDialogs : public FactoryDialog {
protected:
    void SetUp() override {
        m_template = PopupTemplate();
        FactoryDialog::SetUp();
        POPTITEM push = AddItem(kPushKey, TVOT_PUSHBUTTON, 1);
        m_push.m_dialogId = 900;
        m_push.m_template = reinterpret_cast<LPCDLGTEMPLATEW>(m_template.data());
        push->pOptType->pOptParam[0].lParam = reinterpret_cast<LPARAM>(&m_push);
        MakeFactory();
        m_push.m_sheet = m_extension;
        m_extension->m_factory = m_factory;
        Send(WM_NULL, 0, 0);  // the page is the sheet level's dialog
    }
    LONG_PTR Value() { return Handler(kItemKey)->GetSel(); }
    DWORD Push(HWND parent) { return Handler(kPushKey)->Push(parent); }

    std::vector<WORD> m_template;
    PushTargetRecord m_push{};
};

TEST_F(PushDialogs, CancelUndoesTheLevelAndTellsTheSheetNothingChanged) {
    palvex::QueueUserActions({Step([&](HWND) { Handler(kItemKey)->SetCurSel(3, nullptr); }), Press(palvex::UserAction::Cancel)});
    EXPECT_EQ(Push(m_page), 0u);
    EXPECT_EQ(Value(), 0);
    EXPECT_EQ(m_factory->Depth(), 0u);
    EXPECT_EQ(g_frameMessages, std::vector<UINT>{PSM_UNCHANGED});
}

TEST_F(PushDialogs, OkKeepsTheLevelsChangesAndMarksThePageChanged) {
    palvex::QueueUserActions({Step([&](HWND) { Handler(kItemKey)->SetCurSel(3, nullptr); }), Press(palvex::UserAction::Ok)});
    Push(m_page);
    EXPECT_EQ(Value(), 3);
    EXPECT_EQ(g_frameMessages, std::vector<UINT>{PSM_CHANGED});
    EXPECT_EQ(m_factory->PageChanged(), 1u);
}

TEST_F(PushDialogs, TheHelpOfALevelIsItsTargetsContext) {
    palvex::QueueUserActions({Step([&](HWND dialog) { m_factory->DialogProc(dialog, WM_COMMAND, IDHELP, 0); }),
                              Press(palvex::UserAction::Cancel)});
    Push(m_page);
    const auto calls = palvex::TakeHelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].data, 900u);  // no sheet item has the target key: the key itself
}

TEST_F(PushDialogs, ASixthDialogOpensWithoutALevelAndCancelsEachLevelToItsOpeningValue) {
    std::vector<palvex::UserAction> actions;
    for (LONG level = 1; level <= 6; ++level)
        actions.push_back(Step([this, level](HWND dialog) {
            Handler(kItemKey)->SetCurSel(level, nullptr);
            if (level < 6) Push(dialog);
        }));
    DWORD depthInSixth = 0;
    LONG_PTR afterSixth = -1, afterFifth = -1;
    actions.push_back(Step([&](HWND) { depthInSixth = m_factory->Depth(); }));
    actions.push_back(Press(palvex::UserAction::Cancel));  // the sixth
    actions.push_back(Step([&](HWND) { afterSixth = Value(); }));
    actions.push_back(Press(palvex::UserAction::Cancel));  // the fifth
    actions.push_back(Step([&](HWND) { afterFifth = Value(); }));
    for (int i = 0; i < 4; ++i) actions.push_back(Press(palvex::UserAction::Cancel));
    palvex::QueueUserActions(actions);
    Push(m_page);
    EXPECT_EQ(depthInSixth, 5u);
    EXPECT_EQ(afterSixth, 6);  // the sixth dialog's change cannot be undone
    EXPECT_EQ(afterFifth, 4);  // the value the fifth level opened with
    EXPECT_EQ(Value(), 0);
    EXPECT_EQ(m_factory->Depth(), 0u);
}

TEST_F(FactoryDialog, AnEditItemsOwnTextPushedIntoItsHandlerStaysWhole) {
    POPTITEM edit = AddItem(330, TVOT_EDITBOX, 2);
    edit->pOptType->pOptParam[1].IconID = 16;
    edit->pSel = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 16 * sizeof(WCHAR)));
    lstrcpynW(edit->pSel, u"Draft copy", 16);
    MakeFactory();
    CPSUICBPARAM callback{};
    callback.cbSize = sizeof callback;
    callback.pCurItem = edit;
    m_factory->OnPush(&callback, 1);
    EXPECT_EQ(std::u16string(edit->pSel), u"Draft copy");
}

}  // namespace
}  // namespace uitest
