// Field access by settings key: where a field of the selected table lies in a record, and the
// bounded copies in and out of it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "codrvsettings.h"
#include "kitstatus.h"
#include "xprimpl.h"

int CoDrvSettings::TableIndex(DWORD selector) const {
    if (selector == SETTINGS_SELECT_OWN) selector = m_mode;
    if (selector == SETTINGS_SELECT_DEVMODE) return 0;
    if (selector == SETTINGS_SELECT_PRINTER) return 1;
    return -1;
}

BYTE* CoDrvSettings::PrinterRecord() const {
    const XprTable* table = m_cursors[1];
    if (!table || table->m_currentRow >= table->m_endRow || table->m_currentRow >= table->m_rowCount) return nullptr;
    return xpr::RowAt(table, table->m_currentRow) + SETTINGS_KEY_BYTES;
}

void CoDrvSettings::SizeScratch() {
    size_t widest = sizeof m_smallScratch;
    for (const XprTable* table : m_cursors) {
        if (!table) continue;
        for (WORD i = 0; i < table->m_columnCount; ++i)
            widest = std::max<size_t>(widest, xpr::FieldSize(&table->m_columns[i]));
    }
    try {
        m_scratch.assign(widest, 0);
    } catch (const std::bad_alloc&) {
        m_scratch.clear();
    }
}

BYTE* CoDrvSettings::Scratch() {
    BYTE* scratch = m_scratch.empty() ? m_smallScratch : m_scratch.data();
    std::memset(scratch, 0, m_scratch.empty() ? sizeof m_smallScratch : m_scratch.size());
    return scratch;
}

HRESULT CoDrvSettings::LocateField(PVOID record, LPCWSTR name, DWORD selector, FieldPlace* place) {
    const int index = TableIndex(selector);
    if (index < 0) return E_INVALIDARG;
    if (!record) {
        // Without a record only the printer settings can be meant: their current row.
        if (index != 1) return E_INVALIDARG;
        record = PrinterRecord();
    }
    XprTable* table = m_cursors[index];
    if (!table) {
        ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        return E_FAIL;
    }
    if (!record) return E_FAIL;
    if (name && name[0]) {
        if (SelectColumn(table, name) != 0) return E_FAIL;
    } else if (table->m_currentColumn >= table->m_columnCount) {
        return E_FAIL;
    }
    const XprColumn* column = GetColumnDesc(table);
    // The key column is not part of a record.
    if (!column || column->m_offset < SETTINGS_KEY_BYTES) return E_FAIL;
    place->m_address = static_cast<BYTE*>(record) + (column->m_offset - SETTINGS_KEY_BYTES);
    place->m_size = static_cast<DWORD>(xpr::FieldSize(column));
    place->m_kind = column->m_kind;
    place->m_table = table;
    return S_OK;
}

HRESULT CoDrvSettings::GetFieldValue(PVOID record, LPCWSTR name, PVOID destination, DWORD size, DWORD selector) {
    if (!name || !destination || !size) return E_INVALIDARG;
    FieldPlace field;
    if (const HRESULT located = LocateField(record, name, selector, &field); FAILED(located)) return located;
    const DWORD copied = std::min(size, field.m_size);
    std::memmove(destination, field.m_address, copied);
    std::memset(static_cast<BYTE*>(destination) + copied, 0, size - copied);
    return S_OK;
}

PVOID CoDrvSettings::GetFieldPtr(PVOID record, LPCWSTR name, DWORD selector) {
    FieldPlace field;
    if (FAILED(LocateField(record, name, selector, &field))) return Scratch();
    return field.m_address;
}

HRESULT CoDrvSettings::SetFieldValue(PVOID record, LPCWSTR name, LPCVOID source, DWORD size, DWORD selector) {
    if (!name || !source || !size) return E_INVALIDARG;
    FieldPlace field;
    if (const HRESULT located = LocateField(record, name, selector, &field); FAILED(located)) return located;
    const DWORD copied = std::min(size, field.m_size);
    std::memmove(field.m_address, source, copied);
    std::memset(field.m_address + copied, 0, field.m_size - copied);
    // A string written into the printer settings must be taken into the block's pool before the
    // block is saved.
    if (field.m_kind == XprColumnKind::STRING && field.m_table == m_cursors[1] && m_stores[1]) {
        const auto at = reinterpret_cast<uintptr_t>(field.m_address);
        const auto block = reinterpret_cast<uintptr_t>(m_stores[1]->m_block);
        if (at >= block && at < block + m_stores[1]->m_blockSize) m_stores[1]->m_dirty = 1;
    }
    return S_OK;
}
