#include "standard_handlers.h"

#include <cstring>
#include <string>

#include "decimal_text.h"
#include "handler_factory.h"
#include "stored_set.h"

// --- scroll bar, track bar, up-down arrow -------------------------------------------------------

QORVAOptItemHandlerRange::QORVAOptItemHandlerRange(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item)
    : QORVAOptItemHandler(heap, factory, item) {
    m_minimum = static_cast<LONG>(GetOptionIconID(1, nullptr));
    m_maximum = static_cast<LONG>(GetOptionParam(1, nullptr));
    m_wrap = 0;
}

void QORVAOptItemHandlerRange::SelectClamped(LONG value) {
    if (value > m_maximum) value = m_maximum;
    if (value < m_minimum) value = m_minimum;
    SetCurSel(value, nullptr);
}

LONG_PTR QORVAOptItemHandlerRange::SelectString(LPCWSTR text, QORVAOptItemDlgLink*) {
    const LONG_PTR old = RawSel();
    LONG_PTR number = 0;
    if (ReadSignedDecimal(text, &number)) SetValue(number, nullptr);
    return old;
}

LONG_PTR QORVAOptItemHandlerRange::GetSelValue(QORVAOptItemDlgLink*, DWORD* isText) {
    if (isText) *isText = 0;
    return RawSel();
}

void QORVAOptItemHandlerUDArrow::SetValue(LONG_PTR value, QORVAOptItemDlgLink*) {
    SelectClamped(static_cast<LONG>(value));
}

// The selection of an up-down item is always its number, whatever its size.
void QORVAOptItemHandlerUDArrow::GetValue(QORVAOptItemDlgLink*, LONG_PTR* value, DWORD* isText) {
    if (value) *value = RawSel();
    if (isText) *isText = 0;
}

void QORVAOptItemHandlerTrackbar::SetValue(LONG_PTR value, QORVAOptItemDlgLink*) {
    SelectClamped(static_cast<SHORT>(value));
}

void QORVAOptItemHandlerScrollbar::SetValue(LONG_PTR value, QORVAOptItemDlgLink*) {
    SelectClamped(static_cast<SHORT>(value));
}

// --- edit box -------------------------------------------------------------------------------

LONG_PTR QORVAOptItemHandlerEditbox::SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) {
    if (!m_item) return kAnswerPass;
    LPWSTR buffer = SelIsText() ? m_item->pSel : nullptr;
    if (m_factory && !m_factory->Closing() && m_factory->Depth() >= 1) m_factory->RecordUndo(this, 0, buffer);
    // The buffer holds GetTextLimit characters with the terminator: a longer text is cut there.
    const LONG limit = GetTextLimit();
    if (buffer && limit > 0 && text) {
        size_t length = 0;
        while (text[length] && length + 1 < static_cast<size_t>(limit)) ++length;
        std::memmove(buffer, text, length * sizeof(WCHAR));
        buffer[length] = 0;
    }
    m_item->Flags |= OPTIF_CHANGED;
    Invalidate(link);
    if (m_factory && m_factory->DriverUI() && (m_key < 100 || m_factory->UiType() == 1)) {
        const DWORD mode = m_factory->SheetMode() == OEMCUIP_PRNPROP ? OEMCUIP_PRNPROP : OEMCUIP_DOCPROP;
        PVOID uiObject = m_factory->Record() ? m_factory->Record()->poemuiobj : nullptr;
        m_factory->DriverUI()->DrvUpdateUISetting(uiObject, m_item, 0, mode);
    }
    return RouteNotify(m_key, kNotifyChanged, 0);
}

void QORVAOptItemHandlerEditbox::GetValue(QORVAOptItemDlgLink*, LONG_PTR* value, DWORD* isText) {
    if (value) *value = reinterpret_cast<LONG_PTR>(GetSelPtr());
    if (isText) *isText = 1;
}

void QORVAOptItemHandlerEditbox::QSave(StoredItemSet* set) {
    LPCWSTR text = GetSelPtr();
    if (!text) text = u"";
    if (*text != kSetTextLead) {
        WriteStoredSet(set, m_key, text);
        return;
    }
    // A text that itself starts with the text lead would lose it on loading (which drops one
    // lead): it is written behind a lead of its own.
    std::u16string lead(1, kSetTextLead);
    lead += text;
    WriteStoredSet(set, m_key, lead.c_str());
}

void QORVAOptItemHandlerEditbox::QLoad(LPCWSTR text, DWORD*) {
    if (!text) return;
    if (*text == kSetTextLead) ++text;
    SelectString(text, nullptr);
}

// --- push button ----------------------------------------------------------------------------

LONG_PTR QORVAOptItemHandlerPushbutton::GetSel() {
    return 0;
}

LONG_PTR QORVAOptItemHandlerPushbutton::SetCurSel(LONG_PTR, QORVAOptItemDlgLink*) {
    return 0;
}

void QORVAOptItemHandlerPushbutton::SetValue(LONG_PTR, QORVAOptItemDlgLink*) {}

LONG_PTR QORVAOptItemHandlerPushbutton::GetSelValue(QORVAOptItemDlgLink*, DWORD* isText) {
    if (isText) *isText = 0;
    return 0;
}

// --- tab control ----------------------------------------------------------------------------

QORVAOptItemHandler* QORVAOptItemHandlerTabCtrl::NextTabItem(LONG tab, DWORD* cursor, DWORD* level) {
    constexpr DWORD kCursorEnd = 4096;
    const POPTPARAM option = OptionAt(tab);
    if (!option || !cursor || !level || !m_factory || !m_item) return nullptr;
    const DWORD firstKey = static_cast<DWORD>(option->IconID);
    const POPTPARAM nextTab = OptionAt(tab + 1);
    POPTITEM first = m_factory->FirstItem();
    POPTITEM last = m_factory->LastItem();
    if (*cursor >= kCursorEnd || !first || !last) return nullptr;
    POPTITEM item = nullptr;
    if (*cursor == 0) {
        for (POPTITEM at = m_item; at >= first && at <= last; ++at) {
            if (m_factory->GetPubID(at) == firstKey) {
                item = at;
                break;
            }
        }
        if (!item) return nullptr;
        *level = item->Level;
        *cursor = static_cast<DWORD>(item - first);
    } else {
        item = first + *cursor;
        if (item > last || item->Level < *level) return nullptr;
        if (nextTab && m_factory->GetPubID(item) == static_cast<DWORD>(nextTab->IconID)) return nullptr;
    }
    QORVAOptItemHandler* handler = GetHandler(m_factory->GetPubID(item));
    *cursor += 1;
    return handler;
}

// --- default handler ------------------------------------------------------------------------

QORVAOptItemHandlerDefault::QORVAOptItemHandlerDefault(HANDLE heap, QORVAOptItemHandlerFactory* factory, DWORD key)
    : QORVAOptItemHandler(heap, factory, nullptr) {
    m_item = &m_ownItem;
    m_ownItem.cbSize = sizeof(OPTITEM);
    SplitKitKey(key, &m_ownItem.DMPubID, &m_ownItem.UserItemID);
    m_key = key;
    auto* type = static_cast<POPTTYPE>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
    auto* options = static_cast<POPTPARAM>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 2 * sizeof(OPTPARAM)));
    if (type && options) {
        for (int i = 0; i < 2; ++i) {
            options[i].cbSize = sizeof(OPTPARAM);
            options[i].Flags = OPTPF_HIDE;
        }
        type->cbSize = sizeof(OPTTYPE);
        type->Type = TVOT_2STATES;
        type->Count = 2;
        type->pOptParam = options;
        m_ownItem.pOptType = type;
    } else {
        // Without memory the handler has no options.
        if (type) HeapFree(heap, 0, type);
        if (options) HeapFree(heap, 0, options);
    }
    m_maximum = GetOptionCount() - 1;
    m_stateBits = 0xFFFF;
}

QORVAOptItemHandlerDefault::~QORVAOptItemHandlerDefault() = default;

DWORD QORVAOptItemHandlerDefault::IsDefaultItem() {
    return 1;
}

QORVAOptItemHandler* MakeStandardHandler(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item) {
    const BYTE type = item && item->pOptType ? item->pOptType->Type : TVOT_NONE;
    switch (type) {
    case TVOT_2STATES: return MakeOnHeap<QORVAOptItemHandler2States>(heap, heap, factory, item);
    case TVOT_3STATES: return MakeOnHeap<QORVAOptItemHandler3States>(heap, heap, factory, item);
    case TVOT_UDARROW: return MakeOnHeap<QORVAOptItemHandlerUDArrow>(heap, heap, factory, item);
    case TVOT_TRACKBAR: return MakeOnHeap<QORVAOptItemHandlerTrackbar>(heap, heap, factory, item);
    case TVOT_SCROLLBAR: return MakeOnHeap<QORVAOptItemHandlerScrollbar>(heap, heap, factory, item);
    case TVOT_LISTBOX: return MakeOnHeap<QORVAOptItemHandlerListbox>(heap, heap, factory, item);
    case TVOT_COMBOBOX: return MakeOnHeap<QORVAOptItemHandlerCombobox>(heap, heap, factory, item);
    case TVOT_EDITBOX: return MakeOnHeap<QORVAOptItemHandlerEditbox>(heap, heap, factory, item);
    case TVOT_PUSHBUTTON: return MakeOnHeap<QORVAOptItemHandlerPushbutton>(heap, heap, factory, item);
    case TVOT_CHKBOX: return MakeOnHeap<QORVAOptItemHandlerCheckbox>(heap, heap, factory, item);
    case kTypeTabControl: return MakeOnHeap<QORVAOptItemHandlerTabCtrl>(heap, heap, factory, item);
    default: return MakeOnHeap<QORVAOptItemHandlerNone>(heap, heap, factory, item);
    }
}
