// Messages between windows as a property sheet's code relies on them: subclassing through
// GWLP_WNDPROC with CallWindowProcW, a dialog procedure replaced through DWLP_DLGPROC, window
// properties by name or by a counted global atom, WM_NCDESTROY reaching children first, posted
// messages drained by the modal loop, and scripted modal dialogs nested six deep with their
// message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <palvex/message_box.h>
#include <palvex/ui_script.h>
#include <win/windows.h>

namespace {

std::vector<std::string>* g_trace = nullptr;
WNDPROC g_original = nullptr;
WNDPROC g_firstSubclass = nullptr;

LRESULT CALLBACK FirstSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) g_trace->push_back("first");
    return CallWindowProcW(g_original, window, message, wParam, lParam);
}

LRESULT CALLBACK SecondSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) g_trace->push_back("second");
    if (message == WM_GETTEXTLENGTH) return 99;  // answered here, the others never hear it
    return CallWindowProcW(g_firstSubclass, window, message, wParam, lParam);
}

TEST(WindowMessages, SubclassChainRunsNewestFirst) {
    std::vector<std::string> trace;
    g_trace = &trace;
    HWND edit = CreateWindowExW(0, u"Edit", u"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    g_original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FirstSubclass)));
    g_firstSubclass =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SecondSubclass)));
    EXPECT_EQ(g_firstSubclass, FirstSubclass);
    SetWindowTextW(edit, u"abc");
    EXPECT_EQ(trace, (std::vector<std::string>{"second", "first"}));
    EXPECT_EQ(GetWindowTextLengthW(edit), 99);
    WCHAR text[8] = {};
    GetWindowTextW(edit, text, 8);
    EXPECT_EQ(std::u16string(text), u"abc");  // the class procedure kept the text
    // Putting the class procedure back ends the chain.
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
    trace.clear();
    SetWindowTextW(edit, u"x");
    EXPECT_TRUE(trace.empty());
    DestroyWindow(edit);
    g_trace = nullptr;
}

INT_PTR CALLBACK OriginalDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_USER + 1) g_trace->push_back("original");
    return message == WM_USER + 1;
}

DLGPROC g_saved = nullptr;
INT_PTR CALLBACK TakenOverProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1) g_trace->push_back("taken over");
    return g_saved(dialog, message, wParam, lParam);
}

TEST(WindowMessages, DialogProcedureIsReadAtEveryMessage) {
    std::vector<std::string> trace;
    g_trace = &trace;
    HWND dialog = CreateWindowExW(0, u"#32770", u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(OriginalDialogProc));
    SendMessageW(dialog, WM_USER + 1, 0, 0);
    g_saved = reinterpret_cast<DLGPROC>(SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(TakenOverProc)));
    EXPECT_EQ(g_saved, OriginalDialogProc);
    SendMessageW(dialog, WM_USER + 1, 0, 0);
    EXPECT_EQ(trace, (std::vector<std::string>{"original", "taken over", "original"}));
    DestroyWindow(dialog);
    g_trace = nullptr;
}

TEST(WindowMessages, PropertiesByNameOrAtomAndCountedAtoms) {
    HWND window = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const ATOM atom = GlobalAddAtomW(u"optItemHandler");
    ASSERT_GE(atom, 0xC000);
    EXPECT_EQ(GlobalAddAtomW(u"OPTITEMHANDLER"), atom);  // the same text, without regard to case
    EXPECT_EQ(GlobalFindAtomW(u"optitemhandler"), atom);
    WCHAR name[32] = {};
    EXPECT_EQ(GlobalGetAtomNameW(atom, name, 32), 14u);
    EXPECT_EQ(std::u16string(name), u"optItemHandler");

    int link = 0;
    EXPECT_TRUE(SetPropW(window, MAKEINTATOM(atom), &link));
    EXPECT_EQ(GetPropW(window, MAKEINTATOM(atom)), &link);
    EXPECT_EQ(GetPropW(window, u"optItemHandler"), &link);  // the atom names the text's property
    int sheet = 0;
    EXPECT_TRUE(SetPropW(window, u"QORVAUIDATA", &sheet));
    EXPECT_EQ(GetPropW(window, u"qorvauidata"), &sheet);
    EXPECT_EQ(RemovePropW(window, MAKEINTATOM(atom)), &link);
    EXPECT_EQ(GetPropW(window, u"optItemHandler"), nullptr);

    // Two adds need two deletes.
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomW(u"optItemHandler"), atom);
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomW(u"optItemHandler"), 0);
    EXPECT_FALSE(SetPropW(window, MAKEINTATOM(atom), &link));  // an atom that is gone names nothing
    EXPECT_EQ(GlobalAddAtomW(u"#42"), 42);  // integer atoms are their own
    DestroyWindow(window);
}

std::vector<std::pair<std::string, UINT>>* g_destroyed = nullptr;
LRESULT CALLBACK NamedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_DESTROY || message == WM_NCDESTROY) && g_destroyed) {
        WCHAR text[16] = {};
        DefWindowProcW(window, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
        std::string name;
        for (WCHAR c : std::u16string(text)) name += static_cast<char>(c);
        g_destroyed->emplace_back(name, message);
        // The window's properties are still there at WM_NCDESTROY.
        if (message == WM_NCDESTROY) {
            EXPECT_NE(GetPropW(window, u"link"), nullptr);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowMessages, NcDestroyReachesChildrenBeforeTheirParent) {
    std::vector<std::pair<std::string, UINT>> destroyed;
    g_destroyed = &destroyed;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = NamedProc;
    windowClass.lpszClassName = u"NamedWindow";
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    HWND page = CreateWindowExW(0, u"NamedWindow", u"page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND group = CreateWindowExW(0, u"NamedWindow", u"group", WS_CHILD, 0, 0, 10, 10, page, nullptr, nullptr, nullptr);
    CreateWindowExW(0, u"NamedWindow", u"combo", WS_CHILD, 0, 0, 10, 10, group, nullptr, nullptr, nullptr);
    CreateWindowExW(0, u"NamedWindow", u"edit", WS_CHILD, 0, 0, 10, 10, page, nullptr, nullptr, nullptr);
    static int marker = 0;
    for (HWND w : {page, group}) SetPropW(w, u"link", &marker);
    SetPropW(GetWindow(group, GW_CHILD), u"link", &marker);
    SetPropW(GetWindow(group, GW_HWNDNEXT), u"link", &marker);
    DestroyWindow(page);
    const std::vector<std::pair<std::string, UINT>> expected = {
        {"page", WM_DESTROY},     {"group", WM_DESTROY},   {"combo", WM_DESTROY}, {"combo", WM_NCDESTROY},
        {"group", WM_NCDESTROY}, {"edit", WM_DESTROY},    {"edit", WM_NCDESTROY}, {"page", WM_NCDESTROY}};
    EXPECT_EQ(destroyed, expected);
    UnregisterClassW(u"NamedWindow", nullptr);
    g_destroyed = nullptr;
}

TEST(WindowMessages, PointsMapBetweenWindows) {
    HWND frame = CreateWindowExW(0, u"#32770", u"", WS_POPUP, 100, 50, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND page = CreateWindowExW(0, u"#32770", u"", WS_CHILD, 10, 30, 300, 200, frame, nullptr, nullptr, nullptr);
    HWND tab = CreateWindowExW(0, u"Static", u"", WS_CHILD, 5, 5, 100, 20, page, nullptr, nullptr, nullptr);
    POINT point{1, 2};
    EXPECT_TRUE(ClientToScreen(tab, &point));
    EXPECT_EQ(point.x, 116);
    EXPECT_EQ(point.y, 87);
    EXPECT_TRUE(ScreenToClient(page, &point));
    EXPECT_EQ(point.x, 6);
    EXPECT_EQ(point.y, 7);
    POINT corners[2] = {{0, 0}, {100, 20}};
    EXPECT_EQ(MapWindowPoints(tab, frame, corners, 2), MAKELONG(15, 35));
    EXPECT_EQ(corners[1].x, 115);
    EXPECT_EQ(corners[1].y, 55);
    DestroyWindow(frame);
}

// A dialog that opens the next level from a script step until six are open; each level shows a
// message box and records what it heard.
struct Level {
    int depth;
    std::vector<std::string>* trace;
};

INT_PTR CALLBACK LevelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* level = reinterpret_cast<Level*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!level) return FALSE;
    if (message == WM_USER + 7) level->trace->push_back("posted at " + std::to_string(level->depth));
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 100 + level->depth);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR OpenLevel(HWND owner, Level* level) {
    // The smallest template: a dialog with no items.
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialogTemplate{{WS_POPUP | WS_CAPTION, 0, 0, 0, 0, 100, 50}, 0, 0, 0};
    return DialogBoxIndirectParamW(nullptr, &dialogTemplate.header, owner, LevelProc, reinterpret_cast<LPARAM>(level));
}

TEST(WindowMessages, ScriptedModalDialogsNestSixDeep) {
    palvex::ResetUserScript();
    palvex::ResetMessageBoxScript();
    std::vector<std::string> trace;
    std::vector<Level> levels(palvex::kMaxModalDepth);
    std::vector<INT_PTR> results(palvex::kMaxModalDepth, -5);
    std::vector<palvex::UserAction> actions;
    for (int depth = 0; depth + 1 < palvex::kMaxModalDepth; ++depth) {
        levels[static_cast<size_t>(depth + 1)] = {depth + 1, &trace};
        palvex::UserAction open;
        open.kind = palvex::UserAction::Run;
        open.run = [&, depth](HWND dialog) {
            PostMessageW(dialog, WM_USER + 7, 0, 0);
            results[static_cast<size_t>(depth + 1)] = OpenLevel(dialog, &levels[static_cast<size_t>(depth + 1)]);
        };
        actions.push_back(open);
    }
    // In the innermost dialog: a message box answered by the script, then OK in every level.
    palvex::UserAction ask;
    ask.kind = palvex::UserAction::Run;
    ask.run = [&](HWND dialog) {
        trace.push_back("depth " + std::to_string(palvex::ModalDialogs().size()));
        trace.push_back("answer " + std::to_string(MessageBoxW(dialog, u"続けますか?", u"確認", MB_YESNO | MB_ICONQUESTION)));
    };
    actions.push_back(ask);
    for (int i = 0; i < palvex::kMaxModalDepth; ++i) {
        palvex::UserAction ok;
        ok.kind = palvex::UserAction::Ok;
        actions.push_back(ok);
    }
    palvex::QueueUserActions(actions);
    palvex::QueueMessageBoxAnswers({IDNO});
    levels[0] = {0, &trace};
    results[0] = OpenLevel(nullptr, &levels[0]);
    for (int depth = 0; depth < palvex::kMaxModalDepth; ++depth) EXPECT_EQ(results[static_cast<size_t>(depth)], 100 + depth);
    // Each posted message reached its dialog through the next inner loop, before that loop's next step.
    ASSERT_EQ(trace.size(), 7u);
    for (int depth = 0; depth < 5; ++depth) EXPECT_EQ(trace[static_cast<size_t>(depth)], "posted at " + std::to_string(depth));
    EXPECT_EQ(trace[5], "depth 6");
    EXPECT_EQ(trace[6], "answer " + std::to_string(IDNO));
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"確認");
    EXPECT_EQ(boxes[0].text, u"続けますか?");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes[0].answer, IDNO);
    EXPECT_NE(boxes[0].owner, nullptr);
    EXPECT_TRUE(palvex::ModalDialogs().empty());
}

}  // namespace
