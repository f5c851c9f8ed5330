// The universal driver's page taken over by the first SHEET record, the tabs laid out once, and
// the first activation of a kit page before the universal driver's page was made.
#include "items/handler_factory.h"
#include "sheet_pages.h"

namespace {

constexpr int kTabTextChars = 64;
constexpr int kTabIconSize = 16;

bool PrinterSheet(const CoUIPluginExt* state) { return state->SheetMode() == OEMCUIP_PRNPROP; }
bool HasSheets(const CoUIPluginExt* state) {
    return state->UiType() == kUiTypeSheets && state->m_sheetCount > 0 && state->m_sheets;
}

// The frame's answer to a property-sheet message.
LRESULT Ask(HWND frame, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(frame, message, wParam, lParam);
}

HWND TabControl(HWND frame) { return reinterpret_cast<HWND>(Ask(frame, PSM_GETTABCONTROL)); }

// A person's click at the centre of a rectangle of the tab control.
void PostClick(HWND tab, const RECT& rect) {
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
    PostMessageW(tab, WM_LBUTTONUP, 0, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
}

void ClickTab(HWND tab, LONG index) {
    RECT rect{};
    if (index >= 0 && SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)))
        PostClick(tab, rect);
}

// The tab of the taken-over page: the page that carries the saved procedure, else where the
// universal driver's page stands before the kit's pages.
LONG TakenOverTab(CoUIPluginExt* state, HWND frame, LONG tabCount) {
    for (LONG i = 0; i < tabCount; ++i) {
        HWND page = reinterpret_cast<HWND>(Ask(frame, PSM_INDEXTOHWND, static_cast<WPARAM>(i)));
        if (page && GetPropW(page, kOriginalProcProperty)) return i;
    }
    const LONG index = tabCount - static_cast<LONG>(state->m_sheetCount);
    return index >= 0 ? index : tabCount - 2;
}

// The procedure of the taken-over page: the kit's page procedure first, the page's own after it.
INT_PTR CALLBACK TakenOverPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    CoUIPluginExt* state = SheetStateOf(page);
    auto original = reinterpret_cast<DLGPROC>(GetPropW(page, kOriginalProcProperty));
    INT_PTR answer = 0;
    if (state) {
        state->AddRef();
        answer = (PrinterSheet(state) ? DlgProcPrinter : DlgProcDocument)(page, message, wParam, lParam);
        state->Release();
    }
    if (answer == 0 && original) answer = original(page, message, wParam, lParam);
    return answer;
}

void Recalc(HWND frame) { Ask(frame, PSM_RECALCPAGESIZES); }

}  // namespace

BOOL TakeOverPage(CoUIPluginExt* state, HWND page) {
    if (!state || !page || !HasSheets(state) || !state->Resources()) return FALSE;
    HWND frame = GetParent(page);
    if (GetPropW(frame, kOriginalProcProperty) || GetPropW(page, kOriginalProcProperty)) return FALSE;
    IDrvResources* resources = state->Resources();
    const DWORD dialogId = state->m_sheets[0].m_dialogId;
    bool built = PrinterSheet(state) && IsWindows61OrLater() &&
                 SUCCEEDED(resources->CreateDialogControls(dialogId + 2, page, FALSE));
    if (!built) built = SUCCEEDED(resources->CreateDialogControls(dialogId, page, FALSE));
    if (!built) return FALSE;
    SetPropW(page, kSheetStateProperty, state);
    if (state->Factory()) state->Factory()->InitDialog(page);
    const LONG_PTR original = GetWindowLongPtrW(page, DWLP_DLGPROC);
    SetPropW(page, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
    SetPropW(frame, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
    SetWindowLongPtrW(page, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&TakenOverPageProc));
    return TRUE;
}

void LayoutTabs(CoUIPluginExt* state, HWND page) {
    if (!state || !page || state->m_laidOut || !HasSheets(state)) return;
    state->m_laidOut = 1;
    HWND frame = GetParent(page);
    const bool printer = PrinterSheet(state);
    if (printer) EnableWindow(GetDlgItem(frame, IDHELP), FALSE);
    // Hidden while a kit page is set up; the first activation of that page shows it again.
    if (printer && state->m_accessState == kAccessDenied && !state->m_takenOver && GetWindowRect(frame, &state->m_savedFrame))
        SetWindowPos(frame, nullptr, -(state->m_savedFrame.right - state->m_savedFrame.left),
                     -(state->m_savedFrame.bottom - state->m_savedFrame.top), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    WCHAR text[kTabTextChars] = {};
    IDrvResources* resources = state->Resources();
    if (!resources || FAILED(resources->LoadString(state->m_sheets[0].m_dialogId, text, kTabTextChars)) || !text[0])
        return;
    HWND tab = TabControl(frame);
    const LONG tabCount = static_cast<LONG>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    const LONG index = TakenOverTab(state, frame, tabCount);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    SendMessageW(tab, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));

    for (DWORD i = 0; i < state->m_sheetCount; ++i) {
        const DWORD iconId = state->m_sheets[i].m_iconId;
        if (!iconId) continue;
        if (!state->m_tabImages) {
            state->m_tabImages = ImageList_Create(kTabIconSize, kTabIconSize, ILC_COLOR32 | ILC_MASK,
                                                  static_cast<int>(state->m_sheetCount + 1), 1);
            if (!state->m_tabImages) break;
            SendMessageW(tab, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(state->m_tabImages));
        }
        HICON icon = nullptr;
        if (FAILED(resources->LoadIcon(iconId, kTabIconSize, &icon)) || !icon) continue;
        TCITEMW image{};
        image.mask = TCIF_IMAGE;
        image.iImage = ImageList_AddIcon(state->m_tabImages, icon);
        SendMessageW(tab, TCM_SETITEMW, static_cast<WPARAM>(index + static_cast<LONG>(i)), reinterpret_cast<LPARAM>(&image));
    }
    if (printer) ClickTab(tab, state->m_accessState == kAccessDenied ? index + 1 : 0);
    if (printer && state->m_accessState != kAccessDenied) Recalc(frame);
}

void FirstActivation(CoUIPluginExt* state, HWND page) {
    if (!state || !page || state->m_takenOver) return;
    HWND frame = GetParent(page);
    HWND tab = TabControl(frame);
    const bool printer = PrinterSheet(state);
    const bool hidden = printer && state->m_accessState == kAccessDenied;
    const LONG index = static_cast<LONG>(Ask(frame, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page)));
    RECT noted{};
    bool haveRect = false;
    if (index >= 0) {
        const LONG which = state->m_readOnly || hidden ? 0 : index;
        haveRect = SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(&noted)) != 0;
        // The universal driver's page is made when it is shown; its activation takes it over.
        Ask(frame, PSM_SETCURSEL, static_cast<WPARAM>(index - 1), 0);
    }
    if (!state->m_takenOver) {
        HWND previous = index > 0 ? reinterpret_cast<HWND>(Ask(frame, PSM_INDEXTOHWND, static_cast<WPARAM>(index - 1)))
                                  : nullptr;
        if (!previous) return;
        if (TakeOverPage(state, previous)) LayoutTabs(state, previous);
    }
    if (index >= 0) Ask(frame, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (hidden) Ask(frame, PSM_SETCURSEL, 0, 0);
    if ((!printer || hidden) && haveRect) PostClick(tab, noted);
    state->m_takenOver = 1;
    if (hidden) {
        SetWindowPos(frame, nullptr, state->m_savedFrame.left, state->m_savedFrame.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Recalc(frame);
    }
}

void OnSheetActivated(CoUIPluginExt* state, HWND page) {
    if (!state) return;
    if (PrinterSheet(state) && state->UiType() == kUiTypePages && state->m_accessState != kAccessFull)
        ElevateSheet(state, page);
    if (state->m_takenOver) return;
    state->m_takenOver = 1;
    if (TakeOverPage(state, page)) LayoutTabs(state, page);
}
