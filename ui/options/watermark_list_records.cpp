// The watermark list's rows and the attribute sets of its entries: read from WATERMARKSETTINGS,
// captured from and applied to the attribute items, handed back to the rows on OK.
#include <algorithm>
#include <cstring>

#include "couipluginext.h"
#include "items/handler_factory.h"
#include "items/optitem_dlglink.h"
#include "items/system_func.h"
#include "options/watermark_list.h"

QORVAOptItemHandlerWMCOMBOBOX::QORVAOptItemHandlerWMCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory,
                                                             POPTITEM item)
    : QORVAOptItemHandlerCombobox(heap, factory, item) {
    LoadEntries();
    // A stored index the rows no longer reach falls back to no watermark.
    if (m_item && (m_item->Sel < 0 || m_item->Sel >= GetOptionCount())) m_item->Sel = 0;
}

LONG QORVAOptItemHandlerWMCOMBOBOX::GetTextLimit() {
    return kWatermarkTextLimit;
}

void QORVAOptItemHandlerWMCOMBOBOX::LoadEntries() {
    QORVASystemFunc* system = m_factory ? m_factory->SystemFunc() : nullptr;
    LPWSTR* persist = nullptr;
    const DWORD rows = system && m_item ? system->LoadWatermarkSettings(m_item, &persist) : 0;
    if (rows == 0) return;
    // The old options' texts went back to the heap with the old list.
    std::fill(std::begin(m_texts), std::end(m_texts), nullptr);
    SetBounds(0, static_cast<LONG>(rows) - 1);
    m_entries = static_cast<LONG>(rows < static_cast<DWORD>(kWatermarkEntries) ? rows : kWatermarkEntries);
    for (LONG i = 0; i < m_entries && persist; ++i) {
        if (!persist[i]) continue;
        const size_t length = StoredSetLength(persist[i]);
        if (!length) continue;
        EntryRecord* record = MakeRecord(i, 1);
        if (!record) continue;
        StoredItemSet& set = record->m_set;
        auto* text = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR)));
        if (!text) continue;
        std::memcpy(text, persist[i], length * sizeof(WCHAR));
        set.m_text = text;
        set.m_used = static_cast<DWORD>(length);
        set.m_capacity = static_cast<DWORD>(length + 1);
    }
    if (persist) HeapFree(m_heap, 0, persist);
}

void QORVAOptItemHandlerWMCOMBOBOX::FreeRecords() {
    for (EntryRecord*& record : m_records) {
        if (!record) continue;
        FreeStoredSet(&record->m_set);
        HeapFree(m_heap, 0, record);
        record = nullptr;
    }
}

QORVAOptItemHandlerWMCOMBOBOX::EntryRecord* QORVAOptItemHandlerWMCOMBOBOX::MakeRecord(LONG index, DWORD useCount) {
    if (index < 0 || index >= m_entries) return nullptr;
    if (!m_records[index]) {
        auto* record = static_cast<EntryRecord*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(EntryRecord)));
        if (!record) return nullptr;
        record->m_set.m_heap = m_heap;
        m_records[index] = record;
    }
    m_records[index]->m_useCount = useCount;
    return m_records[index];
}

void QORVAOptItemHandlerWMCOMBOBOX::Capture(LONG index) {
    EntryRecord* record = index >= 0 && index < m_entries ? m_records[index] : nullptr;
    if (!record || !m_factory) return;
    ++record->m_useCount;
    StoredItemSet& set = record->m_set;
    set.m_used = 0;
    if (set.m_text) set.m_text[0] = 0;
    for (DWORD key : kWatermarkStoredItems)
        if (QORVAOptItemHandler* handler = m_factory->FindHandler(key)) handler->QSave(&set);
}

void QORVAOptItemHandlerWMCOMBOBOX::ApplyRecord(LONG index) {
    EntryRecord* record = index >= 0 && index < m_entries ? m_records[index] : nullptr;
    if (!record || !record->m_set.m_text || !record->m_set.m_used || !m_factory) return;
    StoredSetApply apply{m_factory, record->m_set.m_text};
    ApplyStoredSet(&apply);
}

LPWSTR QORVAOptItemHandlerWMCOMBOBOX::CopyForRows(LONG index) {
    EntryRecord* record = index >= 0 && index < m_entries ? m_records[index] : nullptr;
    if (!record || record->m_useCount <= 1 || !record->m_set.m_text) return nullptr;
    const size_t length = record->m_set.m_used;
    auto* copy = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR)));
    if (copy) std::memcpy(copy, record->m_set.m_text, length * sizeof(WCHAR));
    return copy;
}

void QORVAOptItemHandlerWMCOMBOBOX::SaveSettings(HWND window) {
    if (GetSel() == -1) {
        SetCurSel(0, nullptr);
        return;
    }
    QORVASystemFunc* system = m_factory ? m_factory->SystemFunc() : nullptr;
    if (window && system) {
        Capture(static_cast<LONG>(GetSel()));
        const LONG count = GetOptionCount();
        auto* persist = count > 0 ? static_cast<LPWSTR*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, count * sizeof(LPWSTR)))
                                  : nullptr;
        if (persist) {
            // The rows keep pointing at the copies until the sheet saves them: they stay on the
            // sheet heap, which outlives the rows' block.
            for (LONG i = 0; i < count; ++i) persist[i] = CopyForRows(i);
            system->SaveWatermarkSettings(m_item, persist, static_cast<DWORD>(count));
            HeapFree(m_heap, 0, persist);
        }
    }
    if (IsHidden(static_cast<LONG>(GetSel()))) SetCurSel(0, nullptr);

    POEMCUIPPARAM record = m_factory ? m_factory->Record() : nullptr;
    CoUIPluginExt* extension = m_factory ? m_factory->Extension() : nullptr;
    IDrvSettings* settings = extension ? extension->Settings() : nullptr;
    if (!record || !record->pOEMDM || !settings) return;
    const WORD index = static_cast<WORD>(GetSel());
    settings->SetFieldValue(record->pOEMDM, u"_WMK_TEXT_IDX", &index, sizeof index, SETTINGS_SELECT_DEVMODE);
}

void QORVAOptItemHandlerWMCOMBOBOX::CancelSettings(HWND) {
    const LONG count = GetOptionCount();
    for (LONG i = 0; i < count; ++i)
        if (!IsHidden(i)) HideOption(i, 0, nullptr);
    FreeRecords();
    LoadEntries();
    if (!m_firstLink) return;
    for (LONG i = 0; i < GetOptionCount(); ++i) m_firstLink->ShowOption(i, IsHidden(i) ? 0 : 1, nullptr);
}
