// Dialogs made from templates and the dialog manager's default procedure.
#include <cstring>
#include <string>

#include <win/winuser.h>

#include "crt/utf16.h"
#include "user/dialog_template.h"
#include "user/window_store.h"

using palvex::win::DialogState;
using palvex::win::Window;
using palvex::win::WindowTable;

namespace palvex::win {
INT_PTR RunModalLoop(HWND dialog);
}

namespace {

// Templates handed over in memory carry no size; a well-formed one ends long before this.
constexpr size_t kIndirectTemplateBound = 64 * 1024;
constexpr char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::shared_ptr<DialogState> StateOf(HWND dialog) {
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    Window* window = table.Find(dialog);
    return window ? window->dialog : nullptr;
}

std::u16string NameText(const palvex::dlg::NameOrOrdinal& name) {
    return name.kind == palvex::dlg::NameOrOrdinal::kText ? name.text : std::u16string();
}

}  // namespace

HWND palvex::win::CreateDialogFromTemplate(HINSTANCE instance, const palvex::dlg::DialogTemplate& dialog, HWND parent,
                                           DLGPROC procedure, LPARAM initParam) {
    std::u16string className = u"#32770";
    if (dialog.windowClass.kind == palvex::dlg::NameOrOrdinal::kText) className = dialog.windowClass.text;

    HFONT font = dialog.hasFont ? palvex::win::CreateTemplateFont(dialog.faceName, dialog.pointSize,
                                                                   dialog.extended ? dialog.weight : 400,
                                                                   dialog.italic, dialog.charSet)
                                : nullptr;
    int unitX = 0, unitY = 0;
    palvex::win::MeasureBaseUnits(font, &unitX, &unitY);
    auto toPixelsX = [&](int v) { return MulDiv(v, unitX, 4); };
    auto toPixelsY = [&](int v) { return MulDiv(v, unitY, 8); };

    const DWORD style = dialog.style & ~static_cast<DWORD>(WS_VISIBLE);
    const std::u16string title = NameText(dialog.title);
    HWND window = CreateWindowExW(dialog.exStyle, reinterpret_cast<LPCWSTR>(className.c_str()),
                                  reinterpret_cast<LPCWSTR>(title.c_str()), style, toPixelsX(dialog.x),
                                  toPixelsY(dialog.y), toPixelsX(dialog.cx), toPixelsY(dialog.cy), parent, nullptr,
                                  instance, reinterpret_cast<LPVOID>(initParam));
    if (!window) {
        if (font) DeleteObject(font);
        return nullptr;
    }
    {
        auto& table = WindowTable::Get();
        std::lock_guard lock(table.Mutex());
        Window* record = table.Find(window);
        if (!record->dialog) record->dialog = std::make_shared<DialogState>();
        record->dialog->procedure = procedure;
        record->dialog->font = font;
        record->dialog->ownsFont = font != nullptr;
        record->dialog->baseUnitX = unitX;
        record->dialog->baseUnitY = unitY;
    }
    if (font) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    HWND firstTabStop = nullptr;
    for (const auto& item : dialog.items) {
        std::u16string itemClass = NameText(item.windowClass);
        if (item.windowClass.kind == palvex::dlg::NameOrOrdinal::kOrdinal) {
            const char16_t* name = palvex::dlg::ItemClassName(item.windowClass.ordinal);
            itemClass = name ? name : u"";
        }
        std::u16string itemTitle = NameText(item.title);
        if (item.title.kind == palvex::dlg::NameOrOrdinal::kOrdinal) itemTitle.clear();
        const DWORD itemStyle = item.style | WS_CHILD;
        HWND control = CreateWindowExW(item.exStyle, reinterpret_cast<LPCWSTR>(itemClass.c_str()),
                                       reinterpret_cast<LPCWSTR>(itemTitle.c_str()), itemStyle, toPixelsX(item.x),
                                       toPixelsY(item.y), toPixelsX(item.cx), toPixelsY(item.cy), window,
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance,
                                       item.creationData.empty() ? nullptr : const_cast<uint8_t*>(item.creationData.data()));
        if (!control) {
            const DWORD error = GetLastError();
            DestroyWindow(window);
            SetLastError(error);
            return nullptr;
        }
        // A picture control names its image by an ordinal of the module's resources.
        if (item.title.kind == palvex::dlg::NameOrOrdinal::kOrdinal && itemClass == u"Static") {
            const LPCWSTR id = MAKEINTRESOURCEW(item.title.ordinal);
            if ((itemStyle & SS_TYPEMASK) == SS_ICON)
                SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(instance, id)), 0);
            else if ((itemStyle & SS_TYPEMASK) == SS_BITMAP)
                SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(LoadBitmapW(instance, id)));
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!firstTabStop && (itemStyle & WS_TABSTOP) && !(itemStyle & WS_DISABLED)) firstTabStop = control;
    }
    if (!IsWindow(window)) return nullptr;
    if (SendMessageW(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam) && firstTabStop &&
        IsWindow(firstTabStop))
        SetFocus(firstTabStop);
    if (!IsWindow(window)) return nullptr;
    if (dialog.style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

namespace {

HWND CreateIndirect(HINSTANCE instance, const void* bytes, size_t size, HWND parent, DLGPROC procedure, LPARAM init) {
    palvex::dlg::DialogTemplate dialog;
    if (!bytes || !palvex::dlg::ParseDialogTemplate(bytes, size, &dialog)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (parent && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return palvex::win::CreateDialogFromTemplate(instance, dialog, parent, procedure, init);
}

// The dialog template resource; false, with ERROR_RESOURCE_NAME_NOT_FOUND set, when there is none.
bool FindTemplate(HINSTANCE instance, LPCWSTR name, const void** bytes, size_t* size) {
    HRSRC resource = FindResourceW(instance, name, RT_DIALOG);
    if (resource) {
        *bytes = LockResource(LoadResource(instance, resource));
        *size = SizeofResource(instance, resource);
        if (*bytes) return true;
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return false;
}

// The top-level window that owns windows made with this parent.
HWND OwnerOf(HWND parent) {
    while (parent && (GetWindowLongW(parent, GWL_STYLE) & (WS_CHILD | WS_POPUP)) == WS_CHILD) parent = GetParent(parent);
    return parent;
}

INT_PTR RunModal(HWND owner, HWND dialog) {
    if (!dialog) {
        if (owner) EnableWindow(owner, TRUE);
        return -1;
    }
    ShowWindow(dialog, SW_SHOW);
    const INT_PTR result = palvex::win::RunModalLoop(dialog);
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
    return result;
}

// Messages whose answer is the dialog procedure's own result rather than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

}  // namespace

// Base units of a dialog font: the average width of the alphabet and the font's height.
void palvex::win::MeasureBaseUnits(HFONT font, int* x, int* y) {
    const LONG system = GetDialogBaseUnits();
    *x = LOWORD(system);
    *y = HIWORD(system);
    if (!font) return;
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent{};
    TEXTMETRICW metrics{};
    if (GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(kAlphabet), 52, &extent) && GetTextMetricsW(dc, &metrics)) {
        *x = (extent.cx + 26) / 52;
        *y = metrics.tmHeight;
    }
    if (previous) SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
}

HFONT palvex::win::CreateTemplateFont(const std::u16string& face, WORD pointSize, WORD weight, BYTE italic,
                                      BYTE charSet) {
    LOGFONTW logFont{};
    HDC screen = GetDC(nullptr);
    logFont.lfHeight = -MulDiv(pointSize ? pointSize : 8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    logFont.lfWeight = weight;
    logFont.lfItalic = italic;
    logFont.lfCharSet = charSet;
    const size_t length = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    std::memcpy(logFont.lfFaceName, face.data(), length * sizeof(WCHAR));
    return CreateFontIndirectW(&logFont);
}

HWND CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    const void* bytes = nullptr;
    size_t size = 0;
    if (!FindTemplate(hInstance, lpTemplateName, &bytes, &size)) return nullptr;
    return CreateIndirect(hInstance, bytes, size, hWndParent, lpDialogFunc, dwInitParam);
}

HWND CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent, DLGPROC lpDialogFunc,
                                LPARAM dwInitParam) {
    return CreateIndirect(hInstance, lpTemplate, kIndirectTemplateBound, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    const void* bytes = nullptr;
    size_t size = 0;
    if (!FindTemplate(hInstance, lpTemplateName, &bytes, &size)) return -1;
    HWND owner = OwnerOf(hWndParent);
    if (owner) EnableWindow(owner, FALSE);
    return RunModal(owner, CreateIndirect(hInstance, bytes, size, owner, lpDialogFunc, dwInitParam));
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND owner = OwnerOf(hWndParent);
    if (owner) EnableWindow(owner, FALSE);
    return RunModal(owner, CreateIndirect(hInstance, hDialogTemplate, kIndirectTemplateBound, owner, lpDialogFunc,
                                          dwInitParam));
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    auto state = StateOf(hDlg);
    if (!state) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    state->ended = true;
    state->result = nResult;
    return TRUE;
}

LRESULT DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto state = StateOf(hDlg);
    if (state && state->procedure) {
        state->messageResult = 0;
        const INT_PTR handled = state->procedure(hDlg, Msg, wParam, lParam);
        if (AnswersDirectly(Msg)) return handled;
        if (handled) return state->messageResult;
    }
    switch (Msg) {
    case WM_INITDIALOG:
        return 0;
    case WM_CLOSE:
        SendMessageW(hDlg, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
        return 0;
    case WM_GETFONT:
        if (state && state->font) return reinterpret_cast<LRESULT>(state->font);
        return DefWindowProcW(hDlg, Msg, wParam, lParam);
    case WM_NCDESTROY:
        if (state && state->ownsFont && state->font) {
            DeleteObject(state->font);
            state->font = nullptr;
        }
        return 0;
    default:
        return DefWindowProcW(hDlg, Msg, wParam, lParam);
    }
}

BOOL MapDialogRect(HWND hDlg, LPRECT lpRect) {
    auto state = StateOf(hDlg);
    if (!state || !lpRect) {
        SetLastError(state ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    lpRect->left = MulDiv(lpRect->left, state->baseUnitX, 4);
    lpRect->right = MulDiv(lpRect->right, state->baseUnitX, 4);
    lpRect->top = MulDiv(lpRect->top, state->baseUnitY, 8);
    lpRect->bottom = MulDiv(lpRect->bottom, state->baseUnitY, 8);
    return TRUE;
}

LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control ? SendMessageW(control, Msg, wParam, lParam) : 0;
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control ? SetWindowTextW(control, lpString) : FALSE;
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
    if (lpString && cchMax > 0) lpString[0] = u'\0';
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control ? static_cast<UINT>(GetWindowTextW(control, lpString, cchMax)) : 0;
}

UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated) *lpTranslated = FALSE;
    WCHAR text[64] = {};
    if (!GetDlgItemTextW(hDlg, nIDDlgItem, text, 64) && !GetDlgItem(hDlg, nIDDlgItem)) return 0;
    const WCHAR* at = text;
    while (*at == u' ') ++at;
    const bool negative = bSigned && *at == u'-';
    if (negative) ++at;
    if (*at < u'0' || *at > u'9') return 0;
    unsigned long long value = 0;
    for (; *at >= u'0' && *at <= u'9'; ++at) {
        value = value * 10 + static_cast<unsigned>(*at - u'0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    if (*at) return 0;
    if (bSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
    if (lpTranslated) *lpTranslated = TRUE;
    return negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    const std::string digits = bSigned ? std::to_string(static_cast<int>(uValue)) : std::to_string(uValue);
    return SetDlgItemTextW(hDlg, nIDDlgItem, palvex::text::FromUtf8(digits).c_str());
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND control = GetDlgItem(hDlg, nIDButton);
    if (!control) return FALSE;
    SendMessageW(control, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND control = GetDlgItem(hDlg, nIDButton);
    return control ? static_cast<UINT>(SendMessageW(control, BM_GETCHECK, 0, 0)) : 0;
}
