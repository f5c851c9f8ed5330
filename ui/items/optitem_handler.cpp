// The handler base: options, selection and the notification of a change.
#include "optitem_handler.h"

#include "decimal_text.h"
#include "handler_factory.h"
#include "optitem_dlglink.h"

namespace {

const WCHAR kEmptyText[] = u"";

bool SameText(LPCWSTR a, LPCWSTR b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

}  // namespace

QORVAOptItemHandler::QORVAOptItemHandler(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item)
    : QORVAOptItemNotify(heap, factory), m_item(item), m_factory(factory) {
    if (item) {
        m_maximum = GetOptionCount() - 1;
        if (factory) m_key = factory->GetPubID(item, &m_group);
    }
}

QORVAOptItemHandler::~QORVAOptItemHandler() {
    if (m_textCache) HeapFree(m_heap, 0, m_textCache);
}

BYTE QORVAOptItemHandler::Type() const {
    return m_item && m_item->pOptType ? m_item->pOptType->Type : TVOT_NONE;
}

POPTPARAM QORVAOptItemHandler::OptionAt(LONG index) const {
    if (!m_item || !m_item->pOptType || !m_item->pOptType->pOptParam) return nullptr;
    if (index < 0 || index >= m_item->pOptType->Count) return nullptr;
    return &m_item->pOptType->pOptParam[index];
}

bool QORVAOptItemHandler::SelIsText() const {
    return m_item && Type() == TVOT_EDITBOX && m_item->pSel;
}

LONG_PTR QORVAOptItemHandler::RawSel() const {
    if (!m_item) return 0;
    if (Type() == TVOT_EDITBOX) return reinterpret_cast<LONG_PTR>(m_item->pSel);
    return m_item->Sel;
}

void QORVAOptItemHandler::StoreSel(LONG_PTR selection) {
    m_item->Sel = static_cast<LONG>(selection);
}

LPCWSTR QORVAOptItemHandler::LoadResString(DWORD) {
    return kEmptyText;
}

LONG QORVAOptItemHandler::GetTextLimit() {
    const POPTPARAM range = OptionAt(1);
    return range ? static_cast<LONG>(range->IconID) : 0;
}

LONG QORVAOptItemHandler::GetOptionCount() {
    return m_item && m_item->pOptType ? m_item->pOptType->Count : 0;
}

LONG QORVAOptItemHandler::GetVisibleOptionCount(QORVAOptItemDlgLink*) {
    LONG visible = 0;
    for (LONG i = 0; i < GetOptionCount(); ++i)
        if (const POPTPARAM option = OptionAt(i); option && !(option->Flags & OPTPF_HIDE)) ++visible;
    return visible;
}

DWORD QORVAOptItemHandler::IsDefaultItem() {
    return 0;
}

BYTE QORVAOptItemHandler::GetOptionFlags(LONG index) {
    const POPTPARAM option = OptionAt(index);
    return option ? option->Flags : 0;
}

BYTE QORVAOptItemHandler::SetOptionFlags(LONG index, BYTE set, BYTE clear, QORVAOptItemDlgLink* link) {
    BYTE flags = 0;
    if (const POPTPARAM option = OptionAt(index)) {
        option->Flags = static_cast<BYTE>((option->Flags | set) & ~clear);
        flags = option->Flags;
    }
    if (m_item) m_item->Flags |= OPTIF_CHANGED;
    Invalidate(link);
    return flags;
}

LPCWSTR QORVAOptItemHandler::GetOptionText(LONG index, DWORD* visible, QORVAOptItemDlgLink*) {
    const POPTPARAM option = OptionAt(index);
    if (visible) *visible = option && !(option->Flags & OPTPF_HIDE);
    if (!option || !option->pData) return nullptr;
    if (IsAddressValue(reinterpret_cast<ULONG_PTR>(option->pData))) return option->pData;
    // A resource id: loaded once, then kept per option.
    const LONG count = GetOptionCount();
    if (!m_textCache && count > 0) {
        m_textCache = static_cast<LPCWSTR*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(LPCWSTR) * count));
        m_textCacheCount = m_textCache ? count : 0;
    }
    if (index < m_textCacheCount && m_textCache[index]) return m_textCache[index];
    LPCWSTR text = LoadResString(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(option->pData)));
    if (index < m_textCacheCount) m_textCache[index] = text;
    return text;
}

void QORVAOptItemHandler::SetOptionText(LONG index, LPWSTR text) {
    if (const POPTPARAM option = OptionAt(index)) option->pData = text;
}

ULONG_PTR QORVAOptItemHandler::GetOptionIconID(LONG index, DWORD* visible) {
    const POPTPARAM option = OptionAt(index);
    if (visible) *visible = option && !(option->Flags & OPTPF_HIDE);
    return option ? option->IconID : 0;
}

void QORVAOptItemHandler::SetOptionIconID(LONG index, ULONG_PTR id) {
    if (const POPTPARAM option = OptionAt(index)) option->IconID = id;
}

LPARAM QORVAOptItemHandler::GetOptionParam(LONG index, DWORD* visible) {
    const POPTPARAM option = OptionAt(index);
    if (visible) *visible = option && !(option->Flags & OPTPF_HIDE);
    if (!option) return 0;
    if (!m_alternate) return option->lParam;
    const OPTTYPE* type = m_alternate->pOptType;
    if (!type || !type->pOptParam || index >= type->Count) return 0;
    return type->pOptParam[index].lParam;
}

void QORVAOptItemHandler::SetOptionParam(LONG index, LPARAM value) {
    if (const POPTPARAM option = OptionAt(index)) option->lParam = value;
}

LPCWSTR QORVAOptItemHandler::GetSelText(QORVAOptItemDlgLink* link) {
    return GetOptionText(static_cast<LONG>(RawSel()), nullptr, link);
}

ULONG_PTR QORVAOptItemHandler::GetSelIconID(QORVAOptItemDlgLink*) {
    return GetOptionIconID(static_cast<LONG>(RawSel()), nullptr);
}

LONG_PTR QORVAOptItemHandler::StepSel(LONG delta, QORVAOptItemDlgLink* link) {
    LONG_PTR next = RawSel() + delta;
    if (next > m_maximum) next = m_wrap == 1 ? m_minimum : m_maximum;
    else if (next < m_minimum) next = m_wrap == 1 ? m_maximum : m_minimum;
    return SetCurSel(next, link);
}

void QORVAOptItemHandler::ReadControl(QORVAOptItemDlgLink*) {}

LPCWSTR QORVAOptItemHandler::GetEditText() {
    return nullptr;
}

LONG_PTR QORVAOptItemHandler::GetSel() {
    return RawSel();
}

LPWSTR QORVAOptItemHandler::GetSelPtr() {
    return SelIsText() ? m_item->pSel : nullptr;
}

void QORVAOptItemHandler::TellDriver(bool hideAround) {
    if (!m_item || !m_factory || IsDefaultItem()) return;
    IPrintOemDriverUI* driverUI = m_factory->DriverUI();
    if (!driverUI) return;
    const DWORD mode = m_factory->SheetMode() == OEMCUIP_PRNPROP ? OEMCUIP_PRNPROP : OEMCUIP_DOCPROP;
    PVOID uiObject = m_factory->Record() ? m_factory->Record()->poemuiobj : nullptr;
    const bool kitKeyed = m_item->DMPubID >= 100 || m_item->UserItemID != 0;
    if (kitKeyed) {
        // The driver knows the plug-in's own items only when it shows them in its tree.
        if (m_factory->UiType() == 1) driverUI->DrvUpdateUISetting(uiObject, m_item, 0, mode);
        return;
    }
    if (!hideAround) {
        driverUI->DrvUpdateUISetting(uiObject, m_item, 0, mode);
        return;
    }
    // The driver takes no notice of hidden items: shown for the call, then as it was.
    const DWORD hidden = m_item->Flags & OPTIF_HIDE;
    m_item->Flags &= ~OPTIF_HIDE;
    driverUI->DrvUpdateUISetting(uiObject, m_item, 0, mode);
    m_item->Flags |= hidden;
}

LONG_PTR QORVAOptItemHandler::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    const LONG_PTR old = RawSel();
    // An edit item's selection is its text buffer: only SelectString changes it.
    if (!m_item || selection == old || Type() == TVOT_EDITBOX) return old;
    if (m_factory && !m_factory->Closing() && m_factory->Depth() >= 1) m_factory->RecordUndo(this, old, nullptr);
    StoreSel(selection);
    m_item->Flags |= OPTIF_CHANGED;
    const DWORD answer = RouteNotify(m_key, kNotifyChanged, 0);
    if (answer == kAnswerRefuse) {
        StoreSel(old);
        RouteNotify(0, kNotifyRefused, 0);
    } else {
        if (answer == kAnswerAcceptFollowUp) RouteNotify(0, kNotifyFollowUp, 0);
        TellDriver(true);
    }
    Invalidate(link);
    return old;
}

LONG_PTR QORVAOptItemHandler::SelectString(LPCWSTR text, QORVAOptItemDlgLink*) {
    if (!text) return RawSel();
    const LONG count = GetOptionCount();
    if (count > 1) {
        for (LONG i = 0; i < count; ++i) {
            DWORD visible = 0;
            LPCWSTR option = GetOptionText(i, &visible, nullptr);
            if (!option) break;
            if (visible && SameText(option, text)) return SetCurSel(i, nullptr);
        }
        return RawSel();
    }
    LONG_PTR number = 0;
    if (!ReadSignedDecimal(text, &number)) return RawSel();
    return SetCurSel(number, nullptr);
}
