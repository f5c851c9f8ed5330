// Dialog templates of the resource provider and the controls made from them on a host window.
#include <cstring>
#include <new>

#include "coresources_impl.h"
#include "coresources_template.h"
#include "kittrace.h"

namespace {

constexpr DWORD kMaxResourceId = 65535;
constexpr DWORD kCaptionChars = 256;
constexpr WCHAR kVistaDialogFace[] = u"Segoe UI";
constexpr WCHAR kDefaultDialogFace[] = u"MS Shell Dlg";
constexpr WORD kDefaultPointSize = 8;
constexpr LONG kDialogFontWeight = 300;
constexpr WCHAR kBaseUnitSample[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

bool IsWindows6OrLater() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExW(&version) && version.dwMajorVersion >= 6;
}

bool IsRightToLeft(WORD language) {
    return language == 1025 || language == 1037;  // Arabic (Saudi Arabia), Hebrew
}

// The window class of a template item: its text, or the name of a standard control atom.
LPCWSTR ItemClassName(const DlgTemplateName& name) {
    static const WCHAR* const kAtomNames[] = {u"BUTTON", u"EDIT", u"STATIC", u"LISTBOX", u"SCROLLBAR", u"COMBOBOX"};
    if (!name.m_present) return nullptr;
    if (!name.m_isOrdinal) return name.m_text.c_str();
    return name.m_ordinal >= 0x80 && name.m_ordinal <= 0x85 ? kAtomNames[name.m_ordinal - 0x80] : nullptr;
}

BOOL CALLBACK HideChild(HWND window, LPARAM) {
    CoResources::HideHostControl(window);
    return TRUE;
}

}  // namespace

HRESULT CoResources::LoadDialogTemplateEntry(DWORD id, BOOL caption, const TemplateCacheEntry** entry) {
    if (id == 0 || id > kMaxResourceId || !entry) return E_INVALIDARG;
    if (!m_resourceLibrary) return E_FAIL;
    caption = caption ? TRUE : FALSE;
    for (const Language& language : m_languages) {
        // The cache also keys on the caption flag: a copy made without the caption rewrite must not
        // answer a request with it, nor the other way round.
        for (const TemplateCacheEntry& cached : m_templates) {
            if (cached.m_id == id && cached.m_language == language.m_language && cached.m_caption == caption) {
                *entry = &cached;
                return S_OK;
            }
        }
        HMODULE module = nullptr;
        HRSRC resource = nullptr;
        for (HMODULE candidate : {m_resourceLibrary, ResourcesOwnModule()}) {
            if (candidate && (resource = FindResourceExW(candidate, RT_DIALOG, MAKEINTRESOURCEW(id), language.m_language))) {
                module = candidate;
                break;
            }
        }
        if (!resource) continue;
        const auto* source = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
        const DWORD sourceSize = SizeofResource(module, resource);
        if (!source) return E_FAIL;

        DlgTemplateRewrite rewrite;
        if (caption) {
            WCHAR title[kCaptionChars];
            if (FAILED(LoadString(id, title, kCaptionChars))) title[0] = u'\0';
            rewrite.m_setTitle = true;
            rewrite.m_title = title;
        }
        rewrite.m_setFace = IsWindows6OrLater();
        rewrite.m_faceName = kVistaDialogFace;
        if (IsRightToLeft(language.m_language)) rewrite.m_addExStyle = WS_EX_LAYOUTRTL;

        BYTE* copy = static_cast<BYTE*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, CORESOURCES_TEMPLATE_BYTES));
        if (!copy) return E_OUTOFMEMORY;
        size_t written = 0;
        if (!RewriteDlgTemplate(source, sourceSize, rewrite, copy, CORESOURCES_TEMPLATE_BYTES, &written)) {
            // A malformed template, or one whose rewrite would not fit the buffer, is refused whole.
            DebugTrace(1, u"%s: template [%u] malformed or larger than [%u] bytes\n", u"CoResources::LoadDialogTemplate", id,
                       static_cast<DWORD>(CORESOURCES_TEMPLATE_BYTES));
            HeapFree(m_heap, 0, copy);
            return E_FAIL;
        }
        try {
            m_templates.push_back({id, language.m_language, caption, copy, written});
        } catch (const std::bad_alloc&) {
            HeapFree(m_heap, 0, copy);
            return E_OUTOFMEMORY;
        }
        *entry = &m_templates.back();
        return S_OK;
    }
    return E_INVALIDARG;
}

STDMETHODIMP CoResources::LoadDialogTemplate(DWORD id, LPCDLGTEMPLATEW* dialogTemplate, BOOL caption) {
    if (!dialogTemplate) return E_INVALIDARG;
    *dialogTemplate = nullptr;
    const TemplateCacheEntry* entry = nullptr;
    const HRESULT result = LoadDialogTemplateEntry(id, caption, &entry);
    if (SUCCEEDED(result)) *dialogTemplate = reinterpret_cast<LPCDLGTEMPLATEW>(entry->m_template);
    return result;
}

STDMETHODIMP_(LPCDLGTEMPLATEW) CoResources::GetDialogTemplate(DWORD id, BOOL caption) {
    LPCDLGTEMPLATEW dialogTemplate = nullptr;
    return SUCCEEDED(LoadDialogTemplate(id, &dialogTemplate, caption)) ? dialogTemplate : nullptr;
}

void CoResources::HideHostControl(HWND window) {
    RECT rect{};
    if (GetWindowRect(window, &rect)) {
        const LONG style = GetWindowLongW(window, GWL_STYLE);
        SetWindowLongW(window, GWL_STYLE, style & ~static_cast<LONG>(WS_GROUP | WS_TABSTOP));
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        SetWindowPos(window, nullptr, -width, -height, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window, SW_HIDE);
    EnableWindow(window, FALSE);
}

HRESULT CoResources::CreateDialogFont(const DlgTemplateInfo* dialog) {
    if (m_dialogFont) return S_OK;
    LOGFONTW font{};
    const bool fromTemplate = dialog && dialog->m_hasFont;
    lstrcpynW(font.lfFaceName, fromTemplate ? dialog->m_faceName.c_str() : kDefaultDialogFace, LF_FACESIZE);
    const WORD points = fromTemplate && dialog->m_pointSize ? dialog->m_pointSize : kDefaultPointSize;
    font.lfWeight = kDialogFontWeight;
    font.lfCharSet = fromTemplate ? dialog->m_charSet : DEFAULT_CHARSET;
    HDC screen = GetDC(nullptr);
    font.lfHeight = -MulDiv(points, screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96, 72);
    m_dialogFont = CreateFontIndirectW(&font);
    bool measured = false;
    if (m_dialogFont && screen) {
        HGDIOBJ previous = SelectObject(screen, m_dialogFont);
        SIZE extent{};
        TEXTMETRICW metrics{};
        if (previous && GetTextExtentPoint32W(screen, kBaseUnitSample, 52, &extent) && GetTextMetricsW(screen, &metrics)) {
            m_baseUnitX = static_cast<DWORD>((extent.cx + 26) / 52);
            m_baseUnitY = static_cast<DWORD>(metrics.tmHeight);
            measured = true;
        }
        if (previous) SelectObject(screen, previous);
    }
    if (screen) ReleaseDC(nullptr, screen);
    if (!measured) {
        const LONG units = GetDialogBaseUnits();
        m_baseUnitX = LOWORD(units);
        m_baseUnitY = HIWORD(units);
    }
    return m_dialogFont ? S_OK : E_FAIL;
}

STDMETHODIMP CoResources::CreateDialogControls(DWORD dialogId, HWND host, BOOL caption) {
    if (dialogId == 0 || dialogId > kMaxResourceId || !host) return E_INVALIDARG;
    const TemplateCacheEntry* entry = nullptr;
    HRESULT result = LoadDialogTemplateEntry(dialogId, caption, &entry);
    if (FAILED(result)) return result;
    DlgTemplateInfo dialog;
    try {
        if (!ReadDlgTemplate(entry->m_template, entry->m_size, &dialog)) return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    EnumChildWindows(host, HideChild, 0);
    if (!dialog.m_title.empty()) SetWindowTextW(host, dialog.m_title.c_str());
    CreateDialogFont(dialog.m_hasFont ? &dialog : nullptr);

    result = S_OK;
    for (const DlgTemplateItem& item : dialog.m_items) {
        LPCWSTR className = ItemClassName(item.m_class);
        WCHAR ordinalTitle[16];
        LPCWSTR title = u"";
        if (item.m_title.m_present && item.m_title.m_isOrdinal) {
            StringCchPrintfW(ordinalTitle, std::size(ordinalTitle), u"#%d", item.m_title.m_ordinal);
            title = ordinalTitle;
        } else if (item.m_title.m_present) {
            title = item.m_title.m_text.c_str();
        }
        const int x = item.m_x * static_cast<int>(m_baseUnitX) / 4;
        const int y = item.m_y * static_cast<int>(m_baseUnitY) / 8;
        const int width = item.m_cx * static_cast<int>(m_baseUnitX) / 4;
        const int height = item.m_cy * static_cast<int>(m_baseUnitY) / 8;
        HWND control = CreateWindowExW(item.m_exStyle, className, title, item.m_style, x, y, width, height, host,
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.m_id)), ResourcesOwnModule(), nullptr);
        if (!control) {
            DebugTrace(1, u"%s: CreateWindowEx id=[%u] err=[%d]\n", u"CoResources::CreateDialogControls", item.m_id,
                       GetLastError());
            result = E_FAIL;
            continue;
        }
        if (m_dialogFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_dialogFont), FALSE);
    }
    if (dialog.m_extended && (dialog.m_exStyle & WS_EX_LAYOUTRTL))
        SetWindowLongW(host, GWL_EXSTYLE, GetWindowLongW(host, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_LAYOUTRTL));
    return result;
}
