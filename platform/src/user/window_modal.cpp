// Modal loops and the headless user's script (palvex/ui_script.h).
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <deque>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include <palvex/message_box.h>
#include <palvex/ui_script.h>
#include <win/commctrl.h>
#include <win/winuser.h>

#include "comctl/list_view_user.h"
#include "crt/utf16.h"
#include "user/window_store.h"

namespace {

struct Script {
    std::mutex mutex;
    std::deque<palvex::UserAction> actions;
    bool environmentRead = false;
    std::vector<std::string> missed;  // the actions that found nothing to act on
};

Script& TheScript() {
    static auto* script = new Script;  // outlives every static destructor
    return *script;
}

thread_local std::vector<HWND> g_modalDialogs;
std::function<void(HWND, INT_PTR)> g_endObserver;

bool TakeAction(palvex::UserAction* action) {
    palvex::win::ReadEnvironmentScript();
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    if (script.actions.empty()) return false;
    *action = std::move(script.actions.front());
    script.actions.pop_front();
    return true;
}

// The visible descendant with that id, nearest the dialog first.
HWND FindControl(HWND dialog, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(window) == s->id && IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Notify(HWND control, WORD code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

using palvex::win::IsClassNamed;

// A person's click moves the focus to the control first (a focused edit box hears EN_KILLFOCUS).
bool TakeFocus(HWND control) {
    if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
    SetFocus(control);
    return true;
}

bool IsComboKind(HWND control) { return IsClassNamed(control, u"ComboBox") || IsClassNamed(control, u"ComboBoxEx32"); }

// The row of a list-like control whose text is text (without regard to case); -1 when none is.
int RowOfText(HWND control, const std::u16string& text) {
    const palvex::win::ControlState state = palvex::win::ControlOf(control);
    const std::u16string wanted = palvex::text::Upcase(text);
    for (size_t i = 0; i < state.items.size(); ++i)
        if (palvex::text::Upcase(state.items[i].text) == wanted) return static_cast<int>(i);
    return -1;
}

void SelectRow(HWND control, int row) {
    if (row < 0 || !TakeFocus(control)) return;
    if (IsClassNamed(control, u"SysListView32")) {
        LVITEMW item{};
        item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    } else if (IsClassNamed(control, u"SysTabControl32")) {
        RECT rect{};
        if (SendMessageW(control, TCM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)))
            SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
    } else if (IsComboKind(control)) {
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
        Notify(control, CBN_SELCHANGE);
    } else {
        SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        Notify(control, LBN_SELCHANGE);
    }
}

// The tab control a tab action clicks: the one named, else the innermost property sheet's.
HWND TabControlFor(HWND dialog, int control) {
    if (control) return FindControl(dialog, control);
    return FindControl(dialog, ID_PSTABCONTROL);
}

void PressButton(HWND dialog, int id) {
    if (HWND button = FindControl(dialog, id)) {
        if (TakeFocus(button)) SendMessageW(button, BM_CLICK, 0, 0);
        return;
    }
    // A dialog without the button still hears the command a keyboard would give it.
    if (!palvex::win::IsPropertySheetFrame(dialog) && (id == IDOK || id == IDCANCEL))
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// Notes an action that found nothing to act on.
void Missed(const std::string& what) {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    script.missed.push_back(what);
}

void Perform(HWND dialog, const palvex::UserAction& action) {
    using palvex::UserAction;
    HWND control = action.control ? FindControl(dialog, action.control) : nullptr;
    if (action.control && !control) Missed("no control " + std::to_string(action.control));
    const bool rowByText = action.kind == UserAction::Choose || (action.kind == UserAction::Tab && !action.text.empty());
    if (rowByText) {
        HWND list = action.kind == UserAction::Tab ? TabControlFor(dialog, action.control) : control;
        if (list && RowOfText(list, action.text) < 0)
            Missed("no row \"" + palvex::text::ToUtf8(action.text) + "\" in control " +
                   std::to_string(GetDlgCtrlID(list)));
    }
    switch (action.kind) {
    case UserAction::Click:
        if (TakeFocus(control)) SendMessageW(control, BM_CLICK, 0, 0);
        break;
    case UserAction::SetText:
        if (!TakeFocus(control)) break;
        if (IsClassNamed(control, u"Edit")) {
            // The user selects what is there and types over it: the limit holds what is typed.
            SendMessageW(control, EM_SETSEL, 0, -1);
            SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(action.text.c_str()));
        } else if (IsComboKind(control)) {
            std::u16string text = action.text;
            text.resize(std::min<size_t>(text.size(), SendMessageW(control, EM_GETLIMITTEXT, 0, 0)));
            DefWindowProcW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            Notify(control, CBN_EDITCHANGE);
        } else {
            SetWindowTextW(control, action.text.c_str());
        }
        break;
    case UserAction::Check:
        if (control && IsWindowEnabled(control) &&
            (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) != (action.index != 0) && TakeFocus(control))
            SendMessageW(control, BM_CLICK, 0, 0);
        break;
    case UserAction::Select:
        SelectRow(control, action.index);
        break;
    case UserAction::Choose:
        if (control) SelectRow(control, RowOfText(control, action.text));
        break;
    case UserAction::Spin:
        if (!control || !IsWindowEnabled(control)) break;
        for (int i = 0; i < std::abs(action.index); ++i) {
            if (IsClassNamed(control, u"ScrollBar")) {
                const bool vertical = GetWindowLongW(control, GWL_STYLE) & SBS_VERT;
                SendMessageW(GetParent(control), vertical ? WM_VSCROLL : WM_HSCROLL,
                             MAKEWPARAM(action.index > 0 ? SB_LINEDOWN : SB_LINEUP, 0), reinterpret_cast<LPARAM>(control));
            } else {
                palvex::win::PressUpDown(control, action.index > 0);
            }
        }
        break;
    case UserAction::Tab:
        if (HWND tab = TabControlFor(dialog, action.control))
            SelectRow(tab, action.text.empty() ? action.index : RowOfText(tab, action.text));
        break;
    case UserAction::Apply:
        PressButton(dialog, ID_APPLY_NOW);
        break;
    case UserAction::Ok:
        PressButton(dialog, IDOK);
        break;
    case UserAction::Cancel:
        PressButton(dialog, IDCANCEL);
        break;
    case UserAction::Help:
        PressButton(dialog, IDHELP);
        break;
    case UserAction::Close:
        SendMessageW(dialog, WM_CLOSE, 0, 0);
        break;
    case UserAction::Wait: {
        MSG message;
        if (GetMessageW(&message, nullptr, 0, 0)) DispatchMessageW(&message);
        else PostQuitMessage(static_cast<int>(message.wParam));
        break;
    }
    case UserAction::Picture:
        palvex::WriteWindowPicture(dialog, action.path);
        break;
    case UserAction::Dump: {
        std::ofstream out(action.path, std::ios::trunc);
        out << palvex::DescribeWindowTree(dialog);
        break;
    }
    case UserAction::Run:
        if (action.run) action.run(dialog);
        break;
    case UserAction::Tick: palvex::win::ClickListViewCheckBox(control, action.index); break;
    }
}

bool Ended(HWND dialog) {
    auto& table = palvex::win::WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    palvex::win::Window* window = table.Find(dialog);
    return !window || !window->dialog || window->dialog->ended;
}

INT_PTR Result(HWND dialog) {
    auto& table = palvex::win::WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    palvex::win::Window* window = table.Find(dialog);
    return window && window->dialog ? window->dialog->result : -1;
}

}  // namespace

namespace palvex::win {

void ReadEnvironmentScript() {
    Script& script = TheScript();
    {
        std::lock_guard lock(script.mutex);
        if (std::exchange(script.environmentRead, true)) return;
    }
    if (const char* file = std::getenv("PALVEX_UI_SCRIPT"); file && *file) LoadUserScript(file);
}

INT_PTR RunModalLoop(HWND dialog) {
    g_modalDialogs.push_back(dialog);
    bool closed = false;
    // A worker's report the loop has already dispatched since the user's last step: a following
    // wait is then over at once instead of waiting for a report that already came.
    bool reportSinceLastStep = false;
    while (!Ended(dialog)) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {  // left for the loop outside this one
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (LastMessageFromAnotherThread()) reportSinceLastStep = true;
            DispatchMessageW(&message);
            continue;
        }
        UserAction action;
        if (TakeAction(&action)) {
            if (action.kind == UserAction::Wait && std::exchange(reportSinceLastStep, false)) continue;
            reportSinceLastStep = false;
            Perform(dialog, action);
        } else if (!closed) {
            closed = true;  // the user has nothing more to do here and closes the window
            SendMessageW(dialog, WM_CLOSE, 0, 0);
        } else {
            EndDialog(dialog, IDCANCEL);  // it would not close: the user walks away
        }
    }
    const INT_PTR result = Result(dialog);
    if (g_endObserver) g_endObserver(dialog, result);
    g_modalDialogs.pop_back();
    return result;
}

}  // namespace palvex::win

namespace palvex {

void QueueUserActions(const std::vector<UserAction>& actions) {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    script.actions.insert(script.actions.end(), actions.begin(), actions.end());
}

void ResetUserScript() {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    script.actions.clear();
    script.missed.clear();
}

std::vector<std::string> TakeMissedUserActions() {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    return std::exchange(script.missed, {});
}

bool LoadUserScript(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) return false;
    std::vector<UserAction> actions;
    std::vector<int> answers;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string verb;
        if (!(words >> verb) || verb[0] == '#') continue;
        UserAction action;
        std::string rest;
        auto rest_text = [&]() {
            std::getline(words >> std::ws, rest);
            return text::FromUtf8(rest);
        };
        if (verb == "click" || verb == "text" || verb == "check" || verb == "select" || verb == "choose" ||
            verb == "spin" || verb == "tick") {
            if (!(words >> action.control)) return false;
            action.kind = verb == "click"    ? UserAction::Click
                          : verb == "text"   ? UserAction::SetText
                          : verb == "check"  ? UserAction::Check
                          : verb == "select" ? UserAction::Select
                          : verb == "choose" ? UserAction::Choose
                          : verb == "tick"   ? UserAction::Tick
                                             : UserAction::Spin;
            if (action.kind == UserAction::SetText || action.kind == UserAction::Choose) {
                action.text = rest_text();
            } else if (action.kind != UserAction::Click && !(words >> action.index)) {
                return false;
            }
        } else if (verb == "tab" || verb == "tabof") {
            action.kind = UserAction::Tab;
            if (verb == "tabof" && !(words >> action.control)) return false;
            const std::u16string which = rest_text();
            if (which.empty()) return false;
            if (std::all_of(which.begin(), which.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }) &&
                which.size() < 6)
                action.index = std::stoi(rest);
            else
                action.text = which;
        } else if (verb == "apply" || verb == "ok" || verb == "cancel" || verb == "help") {
            action.kind = verb == "apply" ? UserAction::Apply
                          : verb == "ok"  ? UserAction::Ok
                          : verb == "cancel" ? UserAction::Cancel
                                             : UserAction::Help;
        } else if (verb == "close") {
            action.kind = UserAction::Close;
        } else if (verb == "wait") {
            action.kind = UserAction::Wait;
        } else if (verb == "picture" || verb == "dump") {
            std::getline(words >> std::ws, rest);
            if (rest.empty()) return false;
            action.kind = verb == "picture" ? UserAction::Picture : UserAction::Dump;
            action.path = rest;
        } else if (verb == "answer") {
            int answer = 0;
            if (!(words >> answer)) return false;
            answers.push_back(answer);
            continue;
        } else {
            return false;
        }
        actions.push_back(std::move(action));
    }
    QueueUserActions(actions);
    QueueMessageBoxAnswers(answers);
    return true;
}

HWND ActiveModalDialog() { return g_modalDialogs.empty() ? nullptr : g_modalDialogs.back(); }

std::vector<HWND> ModalDialogs() { return g_modalDialogs; }

void SetModalEndObserver(std::function<void(HWND dialog, INT_PTR result)> observer) {
    g_endObserver = std::move(observer);
}

}  // namespace palvex
