#include "options/summary_value_links.h"

#include <cstdarg>
#include <iterator>

#include <win/strsafe.h>

#include "items/optitem_handler.h"
#include "options/binding_margin_links_units.h"
#include "options/device_info_controls.h"
#include "options/factory_tables.h"

namespace {

constexpr DWORD kBindingMarginItem = 2602;
constexpr DWORD kBindingAmountItem = 25611;
constexpr DWORD kUnitTextChars = 32;
constexpr DWORD kFormatChars = 64;

constexpr DWORD kCopiesItem = 3;
constexpr DWORD kResolutionItem = 5;
constexpr DWORD kSourceItem = 4;
constexpr DWORD kMediaTypeItem = 12;
constexpr DWORD kDateStampItem = 2621;
constexpr DWORD kDocumentSizeItem = 1203;
constexpr DWORD kOutputSizeItem = 3102;
constexpr DWORD kPrintMethodItem = 1141;

constexpr DWORD kMainItems[] = {kMediaTypeItem, kSourceItem, kResolutionItem, kBindingMarginItem, kDateStampItem,
                                kEcoModeKey, kUnitsItem, kBindingAmountItem};
constexpr DWORD kLayoutItems[] = {kResolutionItem, kDocumentSizeItem, kCopiesItem, kOutputSizeItem, kBindingMarginItem,
                                  kPrintMethodItem, kEcoModeKey, kUnitsItem, kBindingAmountItem, kDateStampItem};
constexpr DWORD kAdvancedItems[] = {kDocumentSizeItem, kOutputSizeItem, kBindingMarginItem, kSourceItem, kMediaTypeItem,
                                    kPrintMethodItem, kCopiesItem, kDateStampItem, kUnitsItem, kBindingAmountItem};

IDrvResources* ResourcesOfLink(QORVAOptItemNotify* link) {
    return link ? ResourcesOf(link->Owner()) : nullptr;
}

}  // namespace

void FormatBindingMargin(QORVAOptItemNotify* reader, LPWSTR text, DWORD chars) {
    if (!text || chars == 0) return;
    text[0] = 0;
    if (!reader) return;
    const bool on = reader->GetItemValue(kBindingMarginItem) != 0;
    const LONGLONG amount = on ? reader->GetItemValue(kBindingAmountItem) : 0;
    const bool millimetres = ShowsMillimetres(reader);
    WCHAR unit[kUnitTextChars];
    LoadUnitName(reader, millimetres, unit, kUnitTextChars);
    if (millimetres) {
        StringCchPrintfW(text, chars, u"%d %s", static_cast<int>(MarginMillimetres(amount)), unit);
    } else {
        StringCchPrintfW(text, chars, u"%1.2f %s", MarginInches(amount), unit);
    }
}

QORVAOptItemDlgLinkStaticSummary::QORVAOptItemDlgLinkStaticSummary(HANDLE heap, QORVAOptItemHandler* handler,
                                                                   HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkStatic(heap, handler, control, controlId, linkFlags) {}

DWORD QORVAOptItemDlgLinkStaticSummary::Notify(DWORD, WORD, DWORD) {
    UpdateControl(nullptr);
    return kAnswerPass;
}

void QORVAOptItemDlgLinkStaticSummary::Watch(const DWORD* items, DWORD count, QORVAOptItemHandler** handlers) {
    for (DWORD i = 0; i < count; ++i) {
        handlers[i] = GetHandler(items[i]);
        ObserveItem(handlers[i]);
    }
}

void QORVAOptItemDlgLinkStaticSummary::UpdateControl(QORVAOptItemDlgLink* source) {
    WCHAR margin[kBindingMarginTextChars];
    WCHAR format[kFormatChars];
    FormatBindingMargin(this, margin, kBindingMarginTextChars);
    if (LoadFormat(format, kFormatChars)) ShowValues(format, margin);
    QORVAOptItemDlgLinkStatic::UpdateControl(source);
}

bool QORVAOptItemDlgLinkStaticSummary::LoadFormat(LPWSTR format, DWORD chars) {
    LoadText(ResourcesOfLink(this), m_controlId, format, chars);
    return format[0] != 0;
}

void QORVAOptItemDlgLinkStaticSummary::Show(LPCWSTR format, ...) {
    WCHAR text[kSummaryTextChars];
    va_list args;
    va_start(args, format);
    // Texts that do not fit are cut; the box shows what it can.
    const HRESULT result = StringCchVPrintfW(text, kSummaryTextChars, format, args);
    va_end(args);
    if (FAILED(result) && result != STRSAFE_E_INSUFFICIENT_BUFFER) text[0] = 0;
    if (m_control) SetWindowTextW(m_control, text);
}

LPCWSTR QORVAOptItemDlgLinkStaticSummary::SelText(QORVAOptItemHandler* handler) {
    LPCWSTR text = handler ? handler->GetSelText(nullptr) : nullptr;
    return text ? text : u"";
}

// --- Main page -------------------------------------------------------------------------------

QORVAOptItemDlgLinkStaticMAINVALUE::QORVAOptItemDlgLinkStaticMAINVALUE(HANDLE heap, QORVAOptItemHandler* handler,
                                                                       HWND control, DWORD, DWORD linkFlags)
    : QORVAOptItemDlgLinkStaticSummary(heap, handler, control, 1013, linkFlags) {
    Watch(kMainItems, std::size(kMainItems), m_handlers);
}

void QORVAOptItemDlgLinkStaticMAINVALUE::ShowValues(LPCWSTR format, LPCWSTR margin) {
    // resolution, binding margin, paper source, media type, date stamp, toner save
    Show(format, SelText(m_handlers[2]), margin, SelText(m_handlers[1]), SelText(m_handlers[0]),
         SelText(m_handlers[4]), SelText(m_handlers[5]));
}

// --- Layout page -----------------------------------------------------------------------------

QORVAOptItemDlgLinkStaticLAYOUTVALUE::QORVAOptItemDlgLinkStaticLAYOUTVALUE(HANDLE heap, QORVAOptItemHandler* handler,
                                                                           HWND control, DWORD,
                                                                           DWORD linkFlags)
    : QORVAOptItemDlgLinkStaticSummary(heap, handler, control, 2013, linkFlags) {
    Watch(kLayoutItems, std::size(kLayoutItems), m_handlers);
}

void QORVAOptItemDlgLinkStaticLAYOUTVALUE::ShowValues(LPCWSTR format, LPCWSTR margin) {
    // resolution, document size, output size, binding margin, print method, copies, toner save
    Show(format, SelText(m_handlers[0]), SelText(m_handlers[1]), SelText(m_handlers[3]), margin,
         SelText(m_handlers[5]), static_cast<int>(GetItemValue(kCopiesItem)), SelText(m_handlers[6]));
}

// --- Advanced page ---------------------------------------------------------------------------

QORVAOptItemDlgLinkStaticADVANCEDVALUE::QORVAOptItemDlgLinkStaticADVANCEDVALUE(HANDLE heap,
                                                                               QORVAOptItemHandler* handler,
                                                                               HWND control, DWORD,
                                                                               DWORD linkFlags)
    : QORVAOptItemDlgLinkStaticSummary(heap, handler, control, 3013, linkFlags) {
    Watch(kAdvancedItems, std::size(kAdvancedItems), m_handlers);
}

void QORVAOptItemDlgLinkStaticADVANCEDVALUE::ShowValues(LPCWSTR format, LPCWSTR margin) {
    // document size, output size, binding margin, paper source, media type, print method,
    // copies, date stamp
    Show(format, SelText(m_handlers[0]), SelText(m_handlers[1]), margin, SelText(m_handlers[3]),
         SelText(m_handlers[4]), SelText(m_handlers[5]), static_cast<int>(GetItemValue(kCopiesItem)),
         SelText(m_handlers[7]));
}
