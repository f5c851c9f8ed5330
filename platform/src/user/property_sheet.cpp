// Property sheets: the frame dialog with its tab control, pages and buttons, and the PSM_ messages
// that drive it.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include <win/commctrl.h>
#include <win/winosinfo.h>

#include "user/dialog_template.h"
#include "user/window_store.h"

// A page handle: the page's record and, once made, its window.
struct _PSP {
    PROPSHEETPAGEW record{};
    HWND window = nullptr;
    bool changed = false;
    bool owned = false;  // by a running sheet, which destroys it at its end
};

namespace {

constexpr size_t kTemplateBound = 64 * 1024;

struct Sheet {
    HWND frame = nullptr;
    HWND tab = nullptr;
    DWORD flags = 0;
    std::vector<HPROPSHEETPAGE> pages;
    int current = -1;
    bool applied = false;
    INT_PTR restart = 0;
    RECT pageArea{};
};

std::map<HWND, std::shared_ptr<Sheet>>& Sheets() {
    static auto* sheets = new std::map<HWND, std::shared_ptr<Sheet>>;  // UI thread only
    return *sheets;
}

std::shared_ptr<Sheet> SheetOf(HWND frame) {
    auto it = Sheets().find(frame);
    return it == Sheets().end() ? nullptr : it->second;
}

bool Japanese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

bool PageTemplate(HPROPSHEETPAGE page, palvex::dlg::DialogTemplate* dialog) {
    const PROPSHEETPAGEW& record = page->record;
    if (record.dwFlags & PSP_DLGINDIRECT)
        return record.pResource && palvex::dlg::ParseDialogTemplate(record.pResource, kTemplateBound, dialog);
    HRSRC resource = FindResourceW(record.hInstance, record.pszTemplate, RT_DIALOG);
    if (!resource) return false;
    const void* bytes = LockResource(LoadResource(record.hInstance, resource));
    return bytes && palvex::dlg::ParseDialogTemplate(bytes, SizeofResource(record.hInstance, resource), dialog);
}

std::u16string PageTitle(HPROPSHEETPAGE page) {
    const PROPSHEETPAGEW& record = page->record;
    if ((record.dwFlags & PSP_USETITLE) && record.pszTitle) {
        if (!IS_INTRESOURCE(record.pszTitle)) return record.pszTitle;
        WCHAR buffer[256] = {};
        LoadStringW(record.hInstance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(record.pszTitle)), buffer, 256);
        return buffer;
    }
    palvex::dlg::DialogTemplate dialog;
    return PageTemplate(page, &dialog) ? dialog.title.text : std::u16string();
}

LRESULT NotifyPage(const Sheet& sheet, HWND page, UINT code, LPARAM lParam = 0) {
    if (!page || !IsWindow(page)) return 0;
    PSHNOTIFY notify{};
    notify.hdr.hwndFrom = sheet.frame;
    notify.hdr.idFrom = 0;
    notify.hdr.code = code;
    notify.lParam = lParam;
    return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

void EnableButton(HWND frame, int id, bool enable) {
    if (HWND button = GetDlgItem(frame, id)) EnableWindow(button, enable);
}

bool AnyChanged(const Sheet& sheet) {
    return std::any_of(sheet.pages.begin(), sheet.pages.end(), [](HPROPSHEETPAGE p) { return p->changed; });
}

// Makes the page's dialog as a child of the frame over the tab's display area.
HWND CreatePage(Sheet& sheet, HPROPSHEETPAGE page) {
    if (page->window && IsWindow(page->window)) return page->window;
    palvex::dlg::DialogTemplate dialog;
    if (!PageTemplate(page, &dialog)) return nullptr;
    dialog.style = (dialog.style & ~static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME)) |
                   WS_CHILD | DS_CONTROL;
    if (page->record.dwFlags & PSP_USECALLBACK && page->record.pfnCallback)
        page->record.pfnCallback(nullptr, PSPCB_CREATE, &page->record);
    HWND window = palvex::win::CreateDialogFromTemplate(page->record.hInstance, dialog, sheet.frame, page->record.pfnDlgProc,
                                                        reinterpret_cast<LPARAM>(&page->record));
    if (!window) return nullptr;
    page->window = window;
    SetWindowPos(window, HWND_TOP, sheet.pageArea.left, sheet.pageArea.top, sheet.pageArea.right - sheet.pageArea.left,
                 sheet.pageArea.bottom - sheet.pageArea.top, SWP_NOACTIVATE);
    return window;
}

int IndexOf(const Sheet& sheet, HPROPSHEETPAGE page) {
    auto it = std::find(sheet.pages.begin(), sheet.pages.end(), page);
    return it == sheet.pages.end() ? -1 : static_cast<int>(it - sheet.pages.begin());
}

// Shows page index and tells it PSN_SETACTIVE. A page may select another one while it is told;
// the last selection wins.
void Activate(Sheet& sheet, int index) {
    if (index < 0 || index >= static_cast<int>(sheet.pages.size())) return;
    HPROPSHEETPAGE page = sheet.pages[static_cast<size_t>(index)];
    HWND window = CreatePage(sheet, page);
    if (!window) return;
    const int previous = sheet.current;
    sheet.current = index;
    SendMessageW(sheet.tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (previous >= 0 && previous != index && previous < static_cast<int>(sheet.pages.size()))
        if (HWND old = sheet.pages[static_cast<size_t>(previous)]->window) ShowWindow(old, SW_HIDE);
    ShowWindow(window, SW_SHOW);
    EnableButton(sheet.frame, IDHELP, (page->record.dwFlags & PSP_HASHELP) != 0);
    NotifyPage(sheet, window, PSN_SETACTIVE);
}

// Asks the current page to let go (PSN_KILLACTIVE); false when it refuses.
bool Deactivate(Sheet& sheet) {
    if (sheet.current < 0 || sheet.current >= static_cast<int>(sheet.pages.size())) return true;
    return NotifyPage(sheet, sheet.pages[static_cast<size_t>(sheet.current)]->window, PSN_KILLACTIVE) == 0;
}

bool Select(Sheet& sheet, int index) {
    if (index < 0 || index >= static_cast<int>(sheet.pages.size())) return false;
    if (index == sheet.current) return true;
    if (!Deactivate(sheet)) return false;
    Activate(sheet, index);
    return true;
}

// PSN_APPLY to every page made; a page that answers PSNRET_INVALID... is selected and stops it.
bool Apply(Sheet& sheet, bool ok) {
    if (!Deactivate(sheet)) return false;
    for (size_t i = 0; i < sheet.pages.size(); ++i) {
        HWND window = sheet.pages[i]->window;
        if (!window || !IsWindow(window)) continue;
        const LRESULT answer = NotifyPage(sheet, window, PSN_APPLY, ok ? TRUE : FALSE);
        if (answer == PSNRET_INVALID || answer == PSNRET_INVALID_NOCHANGEPAGE) {
            if (answer == PSNRET_INVALID) Activate(sheet, static_cast<int>(i));
            return false;
        }
    }
    for (HPROPSHEETPAGE page : sheet.pages) page->changed = false;
    sheet.applied = true;
    EnableButton(sheet.frame, ID_APPLY_NOW, false);
    return true;
}

// Lays the frame out round the largest page: the tab control with the pages in its display
// area, the buttons in a row below it at the right.
void Layout(Sheet& sheet) {
    int unitX = 0, unitY = 0;
    palvex::win::MeasureBaseUnits(reinterpret_cast<HFONT>(SendMessageW(sheet.frame, WM_GETFONT, 0, 0)), &unitX, &unitY);
    auto dx = [&](int v) { return MulDiv(v, unitX, 4); };
    auto dy = [&](int v) { return MulDiv(v, unitY, 8); };
    int width = dx(212), height = dy(188);  // the smallest page a sheet shows
    for (HPROPSHEETPAGE page : sheet.pages) {
        palvex::dlg::DialogTemplate dialog;
        if (!PageTemplate(page, &dialog)) continue;
        width = std::max(width, dx(dialog.cx));
        height = std::max(height, dy(dialog.cy));
    }
    const int margin = dx(7);
    RECT tab{0, 0, width, height};
    SendMessageW(sheet.tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tab));
    const LONG shiftX = margin - tab.left, shiftY = dy(7) - tab.top;
    tab = {tab.left + shiftX, tab.top + shiftY, tab.right + shiftX, tab.bottom + shiftY};
    SetWindowPos(sheet.tab, nullptr, tab.left, tab.top, tab.right - tab.left, tab.bottom - tab.top, SWP_NOZORDER);
    RECT area = tab;
    SendMessageW(sheet.tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    sheet.pageArea = area;
    for (HPROPSHEETPAGE page : sheet.pages)
        if (page->window && IsWindow(page->window))
            SetWindowPos(page->window, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    const int buttonWidth = dx(50), buttonHeight = dy(14), gap = dx(4);
    const int top = tab.bottom + dy(7);
    int right = tab.right;
    for (int id : {IDHELP, ID_APPLY_NOW, IDCANCEL, IDOK}) {
        HWND button = GetDlgItem(sheet.frame, id);
        if (!button || !(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE)) continue;
        SetWindowPos(button, nullptr, right - buttonWidth, top, buttonWidth, buttonHeight, SWP_NOZORDER);
        right -= buttonWidth + gap;
    }
    SetWindowPos(sheet.frame, nullptr, 0, 0, tab.right + margin, top + buttonHeight + dy(7), SWP_NOMOVE | SWP_NOZORDER);
}

void AddPage(Sheet& sheet, HPROPSHEETPAGE page, int at = -1) {
    page->owned = true;
    const int index = at < 0 || at > static_cast<int>(sheet.pages.size()) ? static_cast<int>(sheet.pages.size()) : at;
    sheet.pages.insert(sheet.pages.begin() + index, page);
    std::u16string title = PageTitle(page);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageW(sheet.tab, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (sheet.current >= index) ++sheet.current;
}

void ReleasePage(HPROPSHEETPAGE page) {
    if (page->record.dwFlags & PSP_USECALLBACK && page->record.pfnCallback)
        page->record.pfnCallback(nullptr, PSPCB_RELEASE, &page->record);
    delete page;
}

void RemovePage(Sheet& sheet, int index) {
    if (index < 0 || index >= static_cast<int>(sheet.pages.size())) return;
    HPROPSHEETPAGE page = sheet.pages[static_cast<size_t>(index)];
    sheet.pages.erase(sheet.pages.begin() + index);
    SendMessageW(sheet.tab, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    if (page->window && IsWindow(page->window)) DestroyWindow(page->window);
    ReleasePage(page);
    if (sheet.current == index) {
        sheet.current = -1;
        if (!sheet.pages.empty()) Activate(sheet, std::min(index, static_cast<int>(sheet.pages.size()) - 1));
    } else if (sheet.current > index) {
        --sheet.current;
        SendMessageW(sheet.tab, TCM_SETCURSEL, static_cast<WPARAM>(sheet.current), 0);
    }
}

// What the sheet answers: 0 when nothing was applied, else 1, or the restart the pages asked for
// (ID_PSRESTARTWINDOWS, ID_PSREBOOTSYSTEM).
INT_PTR Outcome(const Sheet& sheet, bool applied) {
    if (!applied) return 0;
    return sheet.restart ? sheet.restart : 1;
}

LRESULT Answer(HWND frame, LRESULT value) {
    SetWindowLongPtrW(frame, DWLP_MSGRESULT, value);
    return TRUE;
}

int TemplateId(HPROPSHEETPAGE page) {
    const PROPSHEETPAGEW& record = page->record;
    if (!(record.dwFlags & PSP_DLGINDIRECT) && IS_INTRESOURCE(record.pszTemplate))
        return static_cast<int>(reinterpret_cast<ULONG_PTR>(record.pszTemplate));
    return 0;
}

INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    auto sheet = SheetOf(frame);
    if (!sheet) return FALSE;
    const auto pageWindow = [&](int index) -> HWND {
        return index >= 0 && index < static_cast<int>(sheet->pages.size()) ? sheet->pages[static_cast<size_t>(index)]->window
                                                                          : nullptr;
    };
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (Apply(*sheet, true)) EndDialog(frame, Outcome(*sheet, true));
            return TRUE;
        case IDCANCEL:
            if (NotifyPage(*sheet, pageWindow(sheet->current), PSN_QUERYCANCEL)) return TRUE;
            for (HPROPSHEETPAGE page : sheet->pages)
                if (page->window) NotifyPage(*sheet, page->window, PSN_RESET);
            EndDialog(frame, Outcome(*sheet, sheet->applied));
            return TRUE;
        case ID_APPLY_NOW:
            Apply(*sheet, false);
            return TRUE;
        case IDHELP:
            NotifyPage(*sheet, pageWindow(sheet->current), PSN_HELP);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || header->hwndFrom != sheet->tab) return FALSE;
        if (header->code == TCN_SELCHANGING) return Answer(frame, Deactivate(*sheet) ? FALSE : TRUE);
        if (header->code == TCN_SELCHANGE) Activate(*sheet, static_cast<int>(SendMessageW(sheet->tab, TCM_GETCURSEL, 0, 0)));
        return TRUE;
    }
    case PSM_SETCURSEL: {
        int index = static_cast<int>(wParam);
        if (lParam) index = IndexOf(*sheet, reinterpret_cast<HPROPSHEETPAGE>(lParam));
        return Answer(frame, Select(*sheet, index));
    }
    case PSM_SETCURSELID: {
        for (size_t i = 0; i < sheet->pages.size(); ++i)
            if (TemplateId(sheet->pages[i]) == static_cast<int>(lParam)) return Answer(frame, Select(*sheet, static_cast<int>(i)));
        return Answer(frame, FALSE);
    }
    case PSM_ADDPAGE: {
        auto* page = reinterpret_cast<HPROPSHEETPAGE>(lParam);
        if (!page) return Answer(frame, FALSE);
        AddPage(*sheet, page);
        Layout(*sheet);
        return Answer(frame, TRUE);
    }
    case PSM_REMOVEPAGE: {
        int index = static_cast<int>(wParam);
        if (lParam) index = IndexOf(*sheet, reinterpret_cast<HPROPSHEETPAGE>(lParam));
        RemovePage(*sheet, index);
        return Answer(frame, 0);
    }
    case PSM_CHANGED:
    case PSM_UNCHANGED: {
        for (HPROPSHEETPAGE page : sheet->pages)
            if (page->window == reinterpret_cast<HWND>(wParam)) page->changed = message == PSM_CHANGED;
        if (!(sheet->flags & PSH_NOAPPLYNOW)) EnableButton(frame, ID_APPLY_NOW, AnyChanged(*sheet));
        return Answer(frame, 0);
    }
    case PSM_APPLY:
        return Answer(frame, Apply(*sheet, false));
    case PSM_PRESSBUTTON: {
        int id = 0;
        switch (wParam) {
        case PSBTN_OK: id = IDOK; break;
        case PSBTN_CANCEL: id = IDCANCEL; break;
        case PSBTN_APPLYNOW: id = ID_APPLY_NOW; break;
        case PSBTN_HELP: id = IDHELP; break;
        default: return Answer(frame, FALSE);
        }
        HWND button = GetDlgItem(frame, id);
        if (button && !IsWindowEnabled(button)) return Answer(frame, FALSE);
        SendMessageW(frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return Answer(frame, TRUE);
    }
    case PSM_CANCELTOCLOSE:
        SetDlgItemTextW(frame, IDCANCEL, Japanese() ? u"閉じる" : u"Close");
        EnableButton(frame, IDOK, false);
        return Answer(frame, 0);
    case PSM_RESTARTWINDOWS:
        sheet->restart |= ID_PSRESTARTWINDOWS;
        return Answer(frame, 0);
    case PSM_REBOOTSYSTEM:
        sheet->restart |= ID_PSREBOOTSYSTEM;
        return Answer(frame, 0);
    case PSM_QUERYSIBLINGS:
        for (HPROPSHEETPAGE page : sheet->pages)
            if (page->window)
                if (LRESULT answer = SendMessageW(page->window, PSM_QUERYSIBLINGS, wParam, lParam)) return Answer(frame, answer);
        return Answer(frame, 0);
    case PSM_SETTITLEW: {
        std::u16string title;
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        if (text && IS_INTRESOURCE(text)) {
            WCHAR buffer[256] = {};
            LoadStringW(nullptr, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buffer, 256);
            title = buffer;
        } else if (text) {
            title = text;
        }
        if (wParam & PSH_PROPTITLE) title = Japanese() ? title + u"のプロパティ" : u"Properties for " + title;
        SetWindowTextW(frame, title.c_str());
        return Answer(frame, 0);
    }
    case PSM_GETTABCONTROL:
        return Answer(frame, reinterpret_cast<LRESULT>(sheet->tab));
    case PSM_GETCURRENTPAGEHWND:
        return Answer(frame, reinterpret_cast<LRESULT>(pageWindow(sheet->current)));
    case PSM_HWNDTOINDEX:
        for (size_t i = 0; i < sheet->pages.size(); ++i)
            if (sheet->pages[i]->window == reinterpret_cast<HWND>(wParam)) return Answer(frame, static_cast<LRESULT>(i));
        return Answer(frame, -1);
    case PSM_INDEXTOHWND:
        return Answer(frame, reinterpret_cast<LRESULT>(pageWindow(static_cast<int>(wParam))));
    case PSM_PAGETOINDEX:
        return Answer(frame, IndexOf(*sheet, reinterpret_cast<HPROPSHEETPAGE>(lParam)));
    case PSM_INDEXTOPAGE: {
        const int index = static_cast<int>(wParam);
        return Answer(frame, index >= 0 && index < static_cast<int>(sheet->pages.size())
                                 ? reinterpret_cast<LRESULT>(sheet->pages[static_cast<size_t>(index)])
                                 : 0);
    }
    case PSM_IDTOINDEX:
        for (size_t i = 0; i < sheet->pages.size(); ++i)
            if (TemplateId(sheet->pages[i]) == static_cast<int>(lParam)) return Answer(frame, static_cast<LRESULT>(i));
        return Answer(frame, -1);
    case PSM_INDEXTOID: {
        const int index = static_cast<int>(wParam);
        return Answer(frame, index >= 0 && index < static_cast<int>(sheet->pages.size())
                                 ? TemplateId(sheet->pages[static_cast<size_t>(index)])
                                 : 0);
    }
    case PSM_GETRESULT:
        return Answer(frame, Outcome(*sheet, sheet->applied));
    case PSM_RECALCPAGESIZES:
        Layout(*sheet);
        return Answer(frame, TRUE);
    default:
        return FALSE;
    }
}

HWND MakeButton(HWND frame, int id, const char16_t* text, DWORD style, HFONT font) {
    HWND button = CreateWindowExW(0, u"Button", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0, frame,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (button) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

// The frame's own font: the dialog font of the screen, 9 points.
HFONT FrameFont() {
    return palvex::win::CreateTemplateFont(u"MS Shell Dlg", 9, FW_NORMAL, 0, Japanese() ? SHIFTJIS_CHARSET : DEFAULT_CHARSET);
}

}  // namespace

namespace palvex::win {

bool IsPropertySheetFrame(HWND window) { return SheetOf(window) != nullptr; }

}  // namespace palvex::win

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) {
    if (!page || page->dwSize < offsetof(PROPSHEETPAGEW, pfnCallback) || page->dwSize > 4096) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* handle = new _PSP;
    std::memcpy(&handle->record, page, std::min<size_t>(page->dwSize, sizeof(PROPSHEETPAGEW)));
    if (handle->record.dwSize < PROPSHEETPAGEW_V3_SIZE) handle->record.hActCtx = nullptr;
    if (handle->record.dwFlags & PSP_USECALLBACK && handle->record.pfnCallback)
        handle->record.pfnCallback(nullptr, PSPCB_ADDREF, &handle->record);
    return handle;
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage) {
    if (!hPSPage) return FALSE;
    if (hPSPage->window && IsWindow(hPSPage->window)) DestroyWindow(hPSPage->window);
    ReleasePage(hPSPage);
    return TRUE;
}

INT_PTR PropertySheetW(LPCPROPSHEETHEADERW header) {
    if (!header || header->dwSize < PROPSHEETHEADERW_V1_SIZE || (header->dwFlags & (PSH_WIZARD | PSH_MODELESS))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    auto sheet = std::make_shared<Sheet>();
    sheet->flags = header->dwFlags;
    std::vector<HPROPSHEETPAGE> pages;
    for (UINT i = 0; i < header->nPages; ++i) {
        HPROPSHEETPAGE page = nullptr;
        if (header->dwFlags & PSH_PROPSHEETPAGE) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(header->ppsp);
            size_t offset = 0;
            for (UINT j = 0; j < i; ++j) offset += reinterpret_cast<const PROPSHEETPAGEW*>(bytes + offset)->dwSize;
            page = CreatePropertySheetPageW(reinterpret_cast<const PROPSHEETPAGEW*>(bytes + offset));
        } else {
            page = header->phpage ? header->phpage[i] : nullptr;
        }
        if (page) pages.push_back(page);
    }
    auto releaseAll = [&] {
        for (HPROPSHEETPAGE page : pages) DestroyPropertySheetPage(page);
    };
    std::u16string caption;
    if (header->pszCaption && IS_INTRESOURCE(header->pszCaption)) {
        WCHAR buffer[256] = {};
        LoadStringW(header->hInstance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(header->pszCaption)), buffer, 256);
        caption = buffer;
    } else if (header->pszCaption) {
        caption = header->pszCaption;
    }
    if (header->dwFlags & PSH_PROPTITLE) caption = Japanese() ? caption + u"のプロパティ" : u"Properties for " + caption;

    HWND owner = header->hwndParent;
    while (owner && (GetWindowLongW(owner, GWL_STYLE) & (WS_CHILD | WS_POPUP)) == WS_CHILD) owner = GetParent(owner);
    HWND frame = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, u"#32770", caption.c_str(),
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, 0, owner, nullptr,
                                 header->hInstance, nullptr);
    if (!frame) {
        releaseAll();
        return -1;
    }
    sheet->frame = frame;
    Sheets()[frame] = sheet;
    HFONT font = FrameFont();
    {
        auto& table = palvex::win::WindowTable::Get();
        std::lock_guard lock(table.Mutex());
        auto* window = table.Find(frame);
        window->dialog->procedure = FrameProc;
        window->dialog->font = font;
        window->dialog->ownsFont = font != nullptr;
        palvex::win::MeasureBaseUnits(font, &window->dialog->baseUnitX, &window->dialog->baseUnitY);
    }
    SendMessageW(frame, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    sheet->tab = CreateWindowExW(0, WC_TABCONTROLW, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                 frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_PSTABCONTROL)), nullptr, nullptr);
    SendMessageW(sheet->tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const bool japanese = Japanese();
    MakeButton(frame, IDOK, u"OK", BS_DEFPUSHBUTTON, font);
    MakeButton(frame, IDCANCEL, japanese ? u"キャンセル" : u"Cancel", BS_PUSHBUTTON, font);
    if (!(header->dwFlags & PSH_NOAPPLYNOW))
        EnableWindow(MakeButton(frame, ID_APPLY_NOW, japanese ? u"適用(&A)" : u"&Apply", BS_PUSHBUTTON, font), FALSE);
    if (header->dwFlags & PSH_HASHELP) MakeButton(frame, IDHELP, japanese ? u"ヘルプ" : u"Help", BS_PUSHBUTTON, font);
    for (HPROPSHEETPAGE page : pages) AddPage(*sheet, page);
    pages.clear();  // the sheet owns them now
    Layout(*sheet);
    for (HPROPSHEETPAGE page : sheet->pages)
        if (page->record.dwFlags & PSP_PREMATURE) CreatePage(*sheet, page);
    if ((header->dwFlags & PSH_USECALLBACK) && header->pfnCallback) header->pfnCallback(frame, PSCB_INITIALIZED, 0);

    int start = 0;
    if (header->dwFlags & PSH_USEPSTARTPAGE) {
        for (size_t i = 0; i < sheet->pages.size() && header->pStartPage; ++i)
            if (PageTitle(sheet->pages[i]) == header->pStartPage) start = static_cast<int>(i);
    } else if (header->nStartPage < sheet->pages.size()) {
        start = static_cast<int>(header->nStartPage);
    }
    Activate(*sheet, start);

    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(frame, SW_SHOW);
    const INT_PTR result = palvex::win::RunModalLoop(frame);
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(frame);
    for (HPROPSHEETPAGE page : sheet->pages) ReleasePage(page);
    Sheets().erase(frame);
    return result;
}
