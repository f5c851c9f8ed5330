// The headless user's steps through the wizard, and where a test looks while the wizard runs.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <palvex/message_box.h>
#include <win/commctrl.h>
#include <palvex/ui_script.h>

#include "dialog_base.h"
#include "pardex_app.h"
#include "pardex_dlg.h"

namespace pardex::testing {

inline palvex::UserAction Act(std::function<void(HWND)> body) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Run;
    action.run = std::move(body);
    return action;
}
inline palvex::UserAction Click(int id) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Click;
    action.control = id;
    return action;
}
inline palvex::UserAction Type(int id, std::u16string text) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::SetText;
    action.control = id;
    action.text = std::move(text);
    return action;
}
inline palvex::UserAction Tick(int id, int row) {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Tick;
    action.control = id;
    action.index = row;
    return action;
}
inline palvex::UserAction Wait() {
    palvex::UserAction action;
    action.kind = palvex::UserAction::Wait;
    return action;
}

inline CPardexDlg* HostOf(HWND window) {
    return dynamic_cast<CPardexDlg*>(reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER)));
}
inline CDialogBase* CurrentPage(HWND window) { return HostOf(window)->m_pages.current; }
inline HWND Page(HWND window) { return CurrentPage(window)->m_hWnd; }
inline int PageIndex(HWND window) { return HostOf(window)->m_pages.index; }
inline CDrvData& Settings(HWND window) { return HostOf(window)->m_drvData; }
// Shows a page as the page before it would, for tests that start in the middle of the road.
inline palvex::UserAction GoTo(int index) {
    return Act([index](HWND window) { ShowPage(HostOf(window), index); });
}

inline std::u16string ItemText(HWND page, int id) {
    WCHAR text[1024] = {};
    GetDlgItemTextW(page, id, text, 1024);
    return text;
}

// The rows of a report list view: column 0 and column 1.
inline std::vector<std::pair<std::u16string, std::u16string>> ListRows(HWND list) {
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::pair<std::u16string, std::u16string> texts;
        for (int column = 0; column < 2; ++column) {
            WCHAR text[300] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 300;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            (column == 0 ? texts.first : texts.second) = text;
        }
        rows.push_back(texts);
    }
    return rows;
}

// Runs the program with the user's actions and message-box answers; when the actions are done the
// user closes the wizard and confirms.
inline void RunWizard(std::vector<palvex::UserAction> actions, std::vector<int> answers = {}) {
    AfxSetCommandLine({});
    palvex::QueueUserActions(actions);
    answers.push_back(IDYES);
    palvex::QueueMessageBoxAnswers(answers);
    CPardexApp app;
    app.m_hInstance = AfxGetResourceHandle();
    app.InitInstance();
}

}  // namespace pardex::testing
