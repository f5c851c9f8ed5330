// The dialog procedures of the kit's pages, of the dialogs push buttons open and of the pages of
// nested sheets. Each keeps the sheet state in "QORVAUIDATA" and leaves the controls to the
// sheet's handler factory.
#include "items/handler_factory.h"
#include "items/optitem_builder.h"
#include "kittrace.h"
#include "sheet_pages.h"

namespace {

constexpr DWORD kEnableTabTexture = 6;  // ETDT_ENABLETAB

// The state a page's WM_INITDIALOG brings: the page record's lParam.
CoUIPluginExt* StateOfPageRecord(LPARAM lParam) {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    return record ? reinterpret_cast<CoUIPluginExt*>(record->lParam) : nullptr;
}

void Attach(CoUIPluginExt* state, HWND window) {
    SetPropW(window, kSheetStateProperty, state);
    if (state->Factory()) state->Factory()->InitDialog(window);
}

// A dialog answers a notification through DWLP_MSGRESULT, not through its procedure's result
// (which only says that it handled the message): an up-down control, for one, keeps its position
// only when the answer to UDN_DELTAPOS reaches it.
INT_PTR AnswerNotify(HWND window, UINT message, INT_PTR answer) {
    if (message == WM_NOTIFY) SetWindowLongPtrW(window, DWLP_MSGRESULT, answer);
    return answer;
}

// The factory's answer for a message of a window that carries the sheet state (0 without one).
INT_PTR ToFactory(CoUIPluginExt* state, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    QORVAOptItemHandlerFactory* factory = state ? state->Factory() : nullptr;
    return AnswerNotify(window, message, factory ? factory->DialogProc(window, message, wParam, lParam) : 0);
}

// The same for a window whose sheet state is on the window (FALSE without one); the state lives
// until the factory has answered.
INT_PTR ToSheetFactory(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CoUIPluginExt* state = SheetStateOf(window);
    if (!state) return FALSE;
    state->AddRef();
    const INT_PTR answer = ToFactory(state, window, message, wParam, lParam);
    state->Release();
    return answer;
}

void PageHelp(CoUIPluginExt* state, HWND page, LPCWSTR traceFormat) {
    HWND frame = GetParent(page);
    HWND tab = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0));
    const LONG tabs = static_cast<LONG>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    const LONG index = static_cast<LONG>(SendMessageW(frame, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0));
    if (!state->m_sheets || state->m_sheetCount == 0) return;
    const DWORD helpId = state->m_sheets[HelpSheetIndex(state->m_sheetCount, tabs, index)].m_dialogId;
    DebugTrace(3, traceFormat, static_cast<int>(helpId));
    OpenSheetHelp(state->Resources(), page, helpId);
}

INT_PTR PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam, LPCWSTR helpTrace) {
    if (message == WM_INITDIALOG) {
        CoUIPluginExt* state = StateOfPageRecord(lParam);
        if (!state) return TRUE;
        state->AddRef();
        Attach(state, page);
        LayoutTabs(state, page);
        state->Release();
        return TRUE;
    }
    CoUIPluginExt* state = SheetStateOf(page);
    if (!state) return FALSE;
    state->AddRef();
    INT_PTR answer = ToFactory(state, page, message, wParam, lParam);
    if (answer != 1 && message == WM_NOTIFY && lParam) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == static_cast<UINT>(PSN_HELP)) {
            PageHelp(state, page, helpTrace);
            answer = AnswerNotify(page, message, TRUE);
        } else if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
            FirstActivation(state, page);
        }
    }
    state->Release();
    return answer;
}

}  // namespace

DWORD HelpSheetIndex(DWORD sheetCount, LONG tabCount, LONG pageIndex) {
    if (sheetCount == 0) return 0;
    const LONG index = static_cast<LONG>(sheetCount) - tabCount + pageIndex;
    if (pageIndex < 0 || index < 0) return 0;
    return static_cast<DWORD>(index) >= sheetCount ? sheetCount - 1 : static_cast<DWORD>(index);
}

INT_PTR CALLBACK DlgProcDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PageProc(window, message, wParam, lParam, u"DlgProcDocument PSN_HELP ID=(%d)\n");
}

INT_PTR CALLBACK DlgProcPrinter(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PageProc(window, message, wParam, lParam, u"DlgProcPrinter PSN_HELP ID=(%d)\n");
}

LONG CALLBACK PushCallback(CPSUICBPARAM* callback) {
    POPTITEM item = callback ? callback->pCurItem : nullptr;
    const OPTTYPE* type = item ? item->pOptType : nullptr;
    const auto* push = type && type->Count > 0 && type->pOptParam
                           ? reinterpret_cast<const PushTargetRecord*>(type->pOptParam[0].lParam)
                           : nullptr;
    CoUIPluginExt* state = push ? push->m_sheet : nullptr;
    if (!state || !state->Factory()) return CPSUICB_ACTION_NONE;
    state->AddRef();
    const LONG answer = static_cast<LONG>(state->Factory()->OnPush(callback, 0));
    state->Release();
    return answer;
}

INT_PTR CALLBACK PushDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<CoUIPluginExt*>(lParam);
        if (!state) return TRUE;
        Attach(state, window);
        if (IsWindows60OrLater())
            SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) & ~static_cast<LONG>(WS_EX_CONTEXTHELP));
        return TRUE;
    }
    return ToSheetFactory(window, message, wParam, lParam);
}

INT_PTR CALLBACK NestedPageDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CoUIPluginExt* state = StateOfPageRecord(lParam);
        if (!state) return TRUE;
        if (state->m_themeCall) state->m_themeCall(window, kEnableTabTexture);
        Attach(state, window);
        return TRUE;
    }
    return ToSheetFactory(window, message, wParam, lParam);
}
