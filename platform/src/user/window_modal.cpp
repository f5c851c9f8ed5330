// Modal loops and the headless user's script (palvex/ui_script.h).
#include <cstdlib>
#include <utility>
#include <deque>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include <palvex/message_box.h>
#include <palvex/ui_script.h>
#include <win/winuser.h>

#include "crt/utf16.h"
#include "user/window_store.h"

namespace {

struct Script {
    std::mutex mutex;
    std::deque<palvex::UserAction> actions;
    bool environmentRead = false;
};

Script& TheScript() {
    static auto* script = new Script;  // outlives every static destructor
    return *script;
}

thread_local std::vector<HWND> g_modalDialogs;

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

bool IsClass(HWND window, const char16_t* name) {
    WCHAR buffer[64];
    GetClassNameW(window, buffer, 64);
    return palvex::text::Upcase(buffer) == palvex::text::Upcase(name);
}

void Perform(HWND dialog, const palvex::UserAction& action) {
    using palvex::UserAction;
    HWND control = action.control ? FindControl(dialog, action.control) : nullptr;
    switch (action.kind) {
    case UserAction::Click:
        if (control) SendMessageW(control, BM_CLICK, 0, 0);
        break;
    case UserAction::SetText:
        if (control && IsWindowEnabled(control)) {
            std::u16string text = action.text;
            if (IsClass(control, u"Edit")) text.resize(std::min<size_t>(text.size(), SendMessageW(control, EM_GETLIMITTEXT, 0, 0)));
            SetWindowTextW(control, text.c_str());
        }
        break;
    case UserAction::Check:
        if (control && IsWindowEnabled(control) &&
            (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) != (action.index != 0))
            SendMessageW(control, BM_CLICK, 0, 0);
        break;
    case UserAction::Select:
        if (control && IsWindowEnabled(control)) {
            const bool combo = IsClass(control, u"ComboBox");
            SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(action.index), 0);
            Notify(control, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
        }
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
    while (!Ended(dialog)) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {  // left for the loop outside this one
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            DispatchMessageW(&message);
            continue;
        }
        UserAction action;
        if (TakeAction(&action)) {
            Perform(dialog, action);
        } else if (!closed) {
            closed = true;  // the user has nothing more to do here and closes the window
            SendMessageW(dialog, WM_CLOSE, 0, 0);
        } else {
            EndDialog(dialog, IDCANCEL);  // it would not close: the user walks away
        }
    }
    g_modalDialogs.pop_back();
    return Result(dialog);
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
        if (verb == "click" || verb == "text" || verb == "check" || verb == "select") {
            if (!(words >> action.control)) return false;
            action.kind = verb == "click" ? UserAction::Click
                          : verb == "text" ? UserAction::SetText
                          : verb == "check" ? UserAction::Check
                                            : UserAction::Select;
            if (action.kind == UserAction::SetText) {
                std::getline(words >> std::ws, rest);
                action.text = text::FromUtf8(rest);
            } else if (action.kind != UserAction::Click && !(words >> action.index)) {
                return false;
            }
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

}  // namespace palvex
