// The watermark list's selection and texts: choosing an entry, the text box renaming, deleting
// and making watermarks, and the watermark kept by its text in stored settings.
#include <algorithm>

#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/system_func.h"
#include "options/page_rule_flags.h"
#include "options/watermark_list.h"

namespace {

// Characters of a text compared when a stored setting looks its watermark up.
constexpr size_t kCompareChars = 64;
// Option flag the kit's lists read as "changed by the user".
constexpr BYTE kOptionEdited = 0x08;
// HideOption: show the option, and keep the selection where it is.
constexpr DWORD kShow = 1;
constexpr DWORD kKeepSelection = 0x8000;

bool SameStart(LPCWSTR a, LPCWSTR b, size_t chars) {
    for (size_t i = 0; i < chars; ++i) {
        if (a[i] != b[i]) return false;
        if (!a[i]) return true;
    }
    return true;
}

}  // namespace

LONG_PTR QORVAOptItemHandlerWMCOMBOBOX::SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) {
    const LONG_PTR current = GetSel();
    if (selection == current) return current;
    m_edited = 0;
    Capture(static_cast<LONG>(current));
    if (selection >= 0) {
        const LONG index = static_cast<LONG>(selection);
        // Only an entry that never had attributes takes the description's: a stored or edited
        // set is the user's and stays as it is.
        if (index < m_entries && !m_records[index] && MakeRecord(index, 0)) {
            if (QORVASystemFunc* system = m_factory ? m_factory->SystemFunc() : nullptr)
                system->LoadWatermarkDialogIds(static_cast<DWORD>(index));
            Capture(index);
        }
        ApplyRecord(index);
    }
    if (QORVAOptItemHandler* watermarkOn = GetHandler(kWatermarkSwitchItem))
        watermarkOn->SetValue(selection < 1 ? 0 : 1, nullptr);
    return QORVAOptItemHandlerCombobox::SetCurSel(selection, link);
}

void QORVAOptItemHandlerWMCOMBOBOX::PutText(LONG index, LPCWSTR text) {
    if (index < 0 || index >= GetOptionCount() || index >= kWatermarkEntries || !text) return;
    LPWSTR& own = m_texts[index];
    if (!own) {
        own = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, kWatermarkTextLimit * sizeof(WCHAR)));
        if (!own) return;
    }
    lstrcpynW(own, text, kWatermarkTextLimit);
    // The option's value is its text, as the rows gave it.
    SetOptionText(index, own);
    SetOptionParam(index, reinterpret_cast<LPARAM>(own));
}

LONG QORVAOptItemHandlerWMCOMBOBOX::FirstFreeEntry() {
    // Entry 0 is no watermark: never a slot, whatever its row holds.
    for (LONG i = 1; i < GetOptionCount(); ++i)
        if (IsHidden(i)) return i;
    return -1;
}

void QORVAOptItemHandlerWMCOMBOBOX::EmptySelected(LONG selection, QORVAOptItemDlgLink* link) {
    PutText(selection, u"");
    ApplyParent(selection, link);
    HideOption(selection, kKeepSelection, link);
}

void QORVAOptItemHandlerWMCOMBOBOX::RenameSelected(LONG selection, LPCWSTR text, QORVAOptItemDlgLink* link) {
    PutText(selection, text);
    if (m_edited) {
        if (m_firstLink) m_firstLink->RefreshOption(selection, link);
        HideOption(selection, kShow | kKeepSelection, link);
        return;
    }
    HideOption(selection, kShow | kKeepSelection, link);
    ApplyParent(selection, link);
    SetOptionFlags(selection, kOptionEdited, 0, link);
    m_edited = 1;
}

void QORVAOptItemHandlerWMCOMBOBOX::MakeEntry(LPCWSTR text, QORVAOptItemDlgLink* link) {
    const LONG slot = FirstFreeEntry();
    if (slot < 0) return;
    PutText(slot, text);
    SetCurSel(slot, link);
    HideOption(slot, kShow, link);
    m_edited = 1;
}

LONG_PTR QORVAOptItemHandlerWMCOMBOBOX::SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) {
    const LONG_PTR previous = GetSel();
    if (!m_newEntry && !link) return QORVAOptItemHandlerCombobox::SelectString(text, link);
    if (!text) return previous;
    const LONG selection = static_cast<LONG>(previous);
    if (!*text) {
        // An emptied text deletes the watermark; the selection stays on it until OK.
        if (selection >= 1) EmptySelected(selection, link);
    } else if (!m_newEntry && selection >= 1) {
        RenameSelected(selection, text, link);
    } else {
        MakeEntry(text, link);
    }
    return previous;
}

DWORD QORVAOptItemHandlerWMCOMBOBOX::IsStateClear(QORVAOptItemDlgLink* link, DWORD mask) {
    const DWORD clear = QORVAOptItemHandlerCombobox::IsStateClear(link, mask);
    if (!link || link->ControlId() != kWatermarkMessageEdit) return clear;
    // With no watermark chosen, typing makes one: only while a slot is free.
    return clear && (GetSel() != 0 || FirstFreeEntry() >= 0) ? 1 : 0;
}

void QORVAOptItemHandlerWMCOMBOBOX::QSave(StoredItemSet* set) {
    if (!set) return;
    LPCWSTR text = GetSelText(nullptr);
    WriteStoredSet(set, m_key, text ? text : u"");
}

void QORVAOptItemHandlerWMCOMBOBOX::QLoad(LPCWSTR text, DWORD*) {
    if (!text) return;
    m_mismatch = 0;
    QORVAOptItemHandlerCombobox::SelectString(text, nullptr);
    LPCWSTR selected = GetSelText(nullptr);
    if (!selected || !SameStart(selected, text, kCompareChars)) m_mismatch = 1;
}

bool WatermarkTextMismatch(QORVAOptItemHandler* watermarkList) {
    const auto* list = dynamic_cast<QORVAOptItemHandlerWMCOMBOBOX*>(watermarkList);
    return list && list->TextMismatch();
}
