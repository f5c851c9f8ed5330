// The About box's driver name and version labels and the device page's elevation button.
#include <win/commctrl.h>
#include <win/strsafe.h>

#include "coresources.h"
#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "options/device_info_controls.h"
#include "options/info_links.h"
#include "sheet_pages.h"

namespace {

// A label's text read as a format: at most 254 characters.
constexpr int kFormatChars = 255;
// What the label shows: the format's result, cut to fit.
constexpr size_t kLabelChars = 512;
// The UI module's entry of the version table.
constexpr size_t kUiModuleEntry = 7;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsOneOf(char16_t c, const char16_t* set) {
    for (; *set; ++set)
        if (*set == c) return true;
    return false;
}

// The label's text as a format, or false when there is none.
bool ReadFormat(HWND control, WCHAR (&format)[kFormatChars]) {
    format[0] = u'\0';
    return control && GetWindowTextW(control, format, kFormatChars) > 0;
}

}  // namespace

bool FormatTakes(LPCWSTR format, const char16_t* conversions, int count) {
    if (!format) return false;
    int used = 0;
    for (const char16_t* c = format; *c; ++c) {
        if (*c != u'%') continue;
        ++c;
        if (*c == u'%') continue;
        while (IsOneOf(*c, u"-+ 0#")) ++c;
        while (IsDigit(*c)) ++c;
        if (*c == u'.') {
            ++c;
            while (IsDigit(*c)) ++c;
        }
        if (!*c || !IsOneOf(*c, conversions) || ++used > count) return false;
    }
    return true;
}

// --- labels --------------------------------------------------------------------------------------

QORVAOptItemDlgLinkStaticDRVNAME::QORVAOptItemDlgLinkStaticDRVNAME(HANDLE heap, QORVAOptItemHandler* handler,
                                                                   HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkStatic(heap, handler, control, controlId, 0) {
    IDrvResources* resources = ResourcesOf(handler ? handler->Factory() : nullptr);
    LPCWSTR name = resources ? resources->GetDriverName() : nullptr;
    const ModuleVersionTable* versions = resources ? resources->GetModuleVersions() : nullptr;
    WCHAR format[kFormatChars];
    if (!name || !versions || !ReadFormat(m_control, format) || !FormatTakes(format, u"s", 2)) return;
    // The result goes into a buffer of known size: a long driver name is cut, never written past it.
    WCHAR text[kLabelChars];
    StringCchPrintfW(text, kLabelChars, format, name, versions->m_entries[kUiModuleEntry].m_fileVersion);
    SetWindowTextW(m_control, text);
}

QORVAOptItemDlgLinkStaticDRVVERSION::QORVAOptItemDlgLinkStaticDRVVERSION(HANDLE heap, QORVAOptItemHandler* handler,
                                                                         HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkStatic(heap, handler, control, controlId, 0) {
    IDrvResources* resources = ResourcesOf(handler ? handler->Factory() : nullptr);
    const ModuleVersionTable* versions = resources ? resources->GetModuleVersions() : nullptr;
    WCHAR format[kFormatChars];
    if (!versions || !ReadFormat(m_control, format) || !FormatTakes(format, u"diu", 4)) return;
    const DWORD* version = versions->m_productVersion;
    WCHAR text[kLabelChars];
    StringCchPrintfW(text, kLabelChars, format, static_cast<int>(version[0]), static_cast<int>(version[1]),
                     static_cast<int>(version[2]), static_cast<int>(version[3]));
    SetWindowTextW(m_control, text);
}

// --- elevation -----------------------------------------------------------------------------------

QORVAOptItemDlgLinkPushbuttonELEVATE::QORVAOptItemDlgLinkPushbuttonELEVATE(HANDLE heap, QORVAOptItemHandler* handler,
                                                                           HWND control, DWORD controlId)
    : QORVAOptItemDlgLinkPushbutton(heap, handler, control, controlId, 0) {
    if (m_control && IsWindows60OrLater()) SendMessageW(m_control, BCM_SETSHIELD, 0, TRUE);
}

LRESULT QORVAOptItemDlgLinkPushbuttonELEVATE::Command(WORD code, DWORD) {
    if (code != BN_CLICKED) return 1;
    QORVAOptItemHandlerFactory* factory = m_handler ? m_handler->Factory() : nullptr;
    ElevateSheet(factory ? factory->Extension() : nullptr, Dialog());
    return 1;
}
