// The handler factory as the dialog procedure of the kit's pages and nested dialogs: each control
// message goes to the link the control carries, OK and Cancel end a nested dialog, Help opens the
// level's help; the controls queued by a change are repainted once the link has answered.
#include <win/htmlhelp.h>

#include "coresources.h"
#include "couipluginext.h"
#include "handler_factory.h"
#include "kittrace.h"
#include "optitem_dlglink.h"
#include "optitem_handler.h"

namespace {

constexpr int kHelpButton = 9;
constexpr WORD kOkAlternative = 8;
constexpr size_t kHelpPathChars = 260;

}  // namespace

void OpenSheetHelp(IDrvResources* resources, HWND window, DWORD contextId) {
    LPCWSTR file = resources ? resources->GetHelpFileName() : nullptr;
    WCHAR path[kHelpPathChars + 1] = {};
    if (file) lstrcpynW(path, file, static_cast<int>(kHelpPathChars + 1));
    for (WCHAR& c : path)
        if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - u'a' + u'A');
    bool winHelp = false;
    for (size_t i = 0; path[i] && !winHelp; ++i)
        winHelp = path[i] == u'.' && path[i + 1] == u'H' && path[i + 2] == u'L' && path[i + 3] == u'P';
    if (winHelp) WinHelpW(window, path, HELP_CONTEXT, contextId);
    else HtmlHelpW(window, path, HH_HELP_CONTEXT, contextId);
}

QORVAOptItemDlgLink* QORVAOptItemHandlerFactory::LinkOf(HWND window) const {
    if (!window || !m_handlerAtom) return nullptr;
    return static_cast<QORVAOptItemDlgLink*>(GetPropW(window, MAKEINTATOM(m_handlerAtom)));
}

void QORVAOptItemHandlerFactory::LevelHelp() {
    const DWORD helpId = m_depth > 0 ? m_helpIds[m_depth - 1] : 0;
    DebugTrace(3, u"QORVAOptItemHandlerFactory::DialogProc WM_COMMAND(IDHELP ID=(%d))\n", static_cast<int>(helpId));
    OpenSheetHelp(m_extension ? m_extension->Resources() : nullptr, m_dialogs[m_depth], helpId);
}

INT_PTR QORVAOptItemHandlerFactory::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_depth == 0) m_dialogs[0] = dialog;
    LRESULT answer = 0;
    switch (message) {
    case WM_DRAWITEM:
        if (QORVAOptItemDlgLink* link = LinkOf(GetDlgItem(dialog, LOWORD(wParam)))) answer = link->DrawItem(lParam);
        return answer;
    case WM_VKEYTOITEM:
        if (QORVAOptItemDlgLink* link = LinkOf(reinterpret_cast<HWND>(lParam))) {
            answer = link->OnVKeyToItem(wParam);
            FlushPending(dialog);
        }
        return answer;
    case WM_NOTIFY: {
        QORVAOptItemDlgLink* link = LinkOf(GetDlgItem(dialog, LOWORD(wParam)));
        if (!link) return 0;
        if (HWND help = GetDlgItem(GetParent(dialog), kHelpButton); help && !IsWindowEnabled(help))
            EnableWindow(help, TRUE);
        answer = link->OnNotify(lParam);
        FlushPending(dialog);
        return answer;
    }
    case WM_HELP: {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        if (!info) return 0;
        if (QORVAOptItemDlgLink* link = LinkOf(GetDlgItem(dialog, info->iCtrlId)))
            answer = link->Help(static_cast<DWORD>(info->iCtrlId), HELP_WM_HELP);
        return answer;
    }
    case WM_CONTEXTMENU: {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (QORVAOptItemDlgLink* link = LinkOf(window))
            link->Help(static_cast<DWORD>(GetDlgCtrlID(window)), HELP_CONTEXTMENU);
        return 1;
    }
    case WM_NCDESTROY:
        // Each link lets go of its control; those that say so leave their handler's chain.
        for (auto& [key, handler] : m_handlers) {
            if (!handler) continue;
            QORVAOptItemDlgLink* previous = nullptr;
            for (QORVAOptItemDlgLink* link = handler->FirstLink(); link;) {
                QORVAOptItemDlgLink* next = link->NextLink();
                if (link->Detach(dialog)) {
                    if (previous) previous->SetNextLink(next);
                    else handler->SetFirstLink(next);
                    link->Destroy();
                } else {
                    previous = link;
                }
                link = next;
            }
        }
        return 1;
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        if (id == IDOK || id == kOkAlternative) {
            OnOK(dialog);
            EndDialog(dialog, 1);
            return 1;
        }
        if (id == IDCANCEL) {
            OnCancel(dialog);
            EndDialog(dialog, 0);
            return 1;
        }
        if (id == IDHELP) {
            LevelHelp();
            return 0;
        }
        if (QORVAOptItemDlgLink* link = LinkOf(GetDlgItem(dialog, id))) {
            answer = link->HandleCommand(HIWORD(wParam), id);
            FlushPending(dialog);
        }
        return answer;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (QORVAOptItemDlgLink* link = LinkOf(reinterpret_cast<HWND>(lParam))) {
            answer = message == WM_HSCROLL ? link->OnHScroll(wParam) : link->OnVScroll(wParam);
            FlushPending(dialog);
        }
        return answer;
    default:
        return 0;
    }
}
