#include "custom_media_handlers.h"

#include <algorithm>
#include <iterator>

#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/system_func.h"
#include "options/custom_media_file.h"
#include "options/quick_settings.h"

namespace {

constexpr DWORD kPaperSizeItem = 1203;

}  // namespace

bool IsNamedMedium(const CustomMediaRecord* record) {
    return record && record->m_form.pName && !IsBlankName(record->m_name);
}

QORVAOptItemHandlerCMCOMBOBOX::QORVAOptItemHandlerCMCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                             POPTITEM item)
    : QORVAOptItemHandlerTypedCombobox(heap, factory, item, kCustomMediaNameLimit - 1) {
    QORVASystemFunc* systemFunc = factory ? factory->SystemFunc() : nullptr;
    // The description's options give way to the registered sizes.
    if (systemFunc && item && factory->SheetMode() != OEMCUIP_PRNPROP)
        m_count = systemFunc->GetCustomMediaList(item, CUSTOM_MEDIA_LIST_DIALOG);
    if (m_count == 0) m_count = static_cast<DWORD>(std::max<LONG>(GetOptionCount(), 0));
    m_maximum = static_cast<LONG>(m_count) - 1;
}

LONG QORVAOptItemHandlerCMCOMBOBOX::GetTextLimit() {
    return kCustomMediaNameLimit;
}

CustomMediaRecord* QORVAOptItemHandlerCMCOMBOBOX::Record(LONG index) {
    if (index < 0 || index >= static_cast<LONG>(m_count) || index >= GetOptionCount()) return nullptr;
    return reinterpret_cast<CustomMediaRecord*>(GetOptionParam(index, nullptr));
}

LONG_PTR QORVAOptItemHandlerCMCOMBOBOX::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    ForgetTyped();
    const LONG_PTR previous = GetSel();
    if (selection == previous) return previous;
    return QORVAOptItemHandlerCombobox::SetCurSel(selection, link);
}

LONG_PTR QORVAOptItemHandlerCMCOMBOBOX::SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) {
    if (!text || m_count == 0) return GetSel();
    // A deleted size leaves a free entry among the registered ones: the walk goes past it.
    for (LONG i = 0; i + 1 < static_cast<LONG>(m_count); ++i) {
        const CustomMediaRecord* record = Record(i);
        if (IsNamedMedium(record) && SameEntryText(record->m_name, text)) return SetCurSel(i, link);
    }
    return SetCurSel(static_cast<LONG>(m_count) - 1, link);
}

void QORVAOptItemHandlerCMCOMBOBOX::SetEntry(LONG index, LPCWSTR name) {
    CustomMediaRecord* record = Record(index);
    if (index < 0 || !record) return;
    const size_t length = name ? std::min(std::char_traits<char16_t>::length(name), size_t{kCustomMediaNameLimit - 1}) : 0;
    std::fill(std::begin(record->m_name), std::end(record->m_name), u'\0');
    if (name) std::copy_n(name, length, record->m_name);
    HideOption(index, 1, nullptr);
    if (m_firstLink) {
        m_firstLink->RefreshOption(index, nullptr);
        m_firstLink->UpdateControl(nullptr);
    }
    RouteNotify(m_key, kNotifyChanged, 0);
    Invalidate(nullptr);
}

void QORVAOptItemHandlerCMCOMBOBOX::SaveSettings(HWND window) {
    if (!m_factory) return;
    if (!window) {
        POEMCUIPPARAM sheet = m_factory->Record();
        if (sheet && m_item && m_item->pOptType) RewriteCustomMediaFile(sheet->hPrinter, m_item->pOptType);
        return;
    }
    const LONG selection = static_cast<LONG>(GetSel());
    if (selection == static_cast<LONG>(m_count) - 1 || !m_factory->SystemFunc()) return;
    const CustomMediaRecord* record = Record(selection);
    if (!IsNamedMedium(record)) return;
    QORVAOptItemHandler* paper = GetHandler(kPaperSizeItem);
    if (!paper) return;
    paper->SetValue(static_cast<LONG_PTR>(m_factory->SystemFunc()->GetPaperIdByName(record->m_name)), nullptr);
    if (QORVAOptItemDlgLink* link = paper->FirstLink()) link->UpdateControl(nullptr);
    paper->RouteNotify(kPaperSizeItem, kNotifyChanged, 0);
    paper->Invalidate(nullptr);
}

LONG QORVAOptItemHandlerCMEDITBOX::GetTextLimit() {
    return kCustomMediaNameLimit;
}
