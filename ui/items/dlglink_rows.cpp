// The option-to-row map of list links.
#include "dlglink_rows.h"

#include <vector>

#include <win/strsafe.h>

#include "optitem_handler.h"

namespace {

bool SameText(LPCWSTR a, LPCWSTR b) {
    if (!a || !b) return a == b;
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

}  // namespace

BOOL OptionRows::Init(HANDLE heap, LONG count) {
    m_count = 0;
    if (count <= 0) return TRUE;
    m_rowOfOption = static_cast<LONG*>(HeapAlloc(heap, 0, sizeof(LONG) * count));
    m_copyNumber = static_cast<DWORD*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(DWORD) * count));
    if (!m_rowOfOption || !m_copyNumber) {
        Free(heap);
        return FALSE;
    }
    for (LONG i = 0; i < count; ++i) m_rowOfOption[i] = -1;
    m_count = count;
    return TRUE;
}

void OptionRows::Free(HANDLE heap) {
    if (m_rowOfOption) HeapFree(heap, 0, m_rowOfOption);
    if (m_copyNumber) HeapFree(heap, 0, m_copyNumber);
    m_rowOfOption = nullptr;
    m_copyNumber = nullptr;
    m_count = 0;
}

LONG OptionRows::RowOf(LONG option) const {
    return Ready() && option >= 0 && option < m_count ? m_rowOfOption[option] : -1;
}

LONG OptionRows::OptionOf(LONG row) const {
    if (!Ready() || row < 0) return -1;
    for (LONG i = 0; i < m_count; ++i)
        if (m_rowOfOption[i] == row) return i;
    return -1;
}

LONG OptionRows::RowsBefore(LONG option) const {
    LONG rows = 0;
    for (LONG i = 0; Ready() && i < option && i < m_count; ++i)
        if (m_rowOfOption[i] >= 0) ++rows;
    return rows;
}

std::u16string OptionRows::NumberCopy(QORVAOptItemHandler* handler, QORVAOptItemDlgLink* link, LONG option,
                                      LPCWSTR text) {
    const std::u16string plain = text ? text : u"";
    if (!Ready() || option < 0 || option >= m_count) return plain;
    std::vector<bool> taken(static_cast<size_t>(option) + 1, false);
    for (LONG j = 0; j < option; ++j) {
        if (m_rowOfOption[j] < 0 || m_copyNumber[j] > static_cast<DWORD>(option)) continue;
        if (SameText(handler->GetOptionText(j, nullptr, link), text)) taken[m_copyNumber[j]] = true;
    }
    DWORD copy = 0;
    while (taken[copy]) ++copy;
    m_copyNumber[option] = copy;
    if (copy == 0) return plain;
    // The text, a space, "#" and the number: room for every digit of a DWORD.
    std::vector<WCHAR> row(plain.size() + 16);
    if (FAILED(StringCchPrintfW(row.data(), row.size(), u"%s #%d", plain.c_str(), static_cast<int>(copy + 1)))) return plain;
    return row.data();
}

void OptionRows::Inserted(LONG option, LONG row) {
    if (!Ready() || option < 0 || option >= m_count || row < 0) return;
    for (LONG i = 0; i < m_count; ++i)
        if (i != option && m_rowOfOption[i] >= row) ++m_rowOfOption[i];
    m_rowOfOption[option] = row;
}

LONG OptionRows::Removed(LONG option) {
    const LONG row = RowOf(option);
    if (row < 0) return -1;
    m_rowOfOption[option] = -1;
    for (LONG i = 0; i < m_count; ++i)
        if (m_rowOfOption[i] > row) --m_rowOfOption[i];
    return row;
}

void ShowComboCurrent(QORVAOptItemHandler* handler, QORVAOptItemDlgLink* link, HWND control, const OptionRows& rows,
                      LONG noSelection, UINT setSelMessage) {
    if (LPCWSTR editText = handler->GetEditText()) {
        SetWindowTextW(control, editText);
        return;
    }
    const LONG current = static_cast<LONG>(handler->GetSel());
    const LONG row = rows.RowOf(current);
    if (current != noSelection && row >= 0 &&
        SendMessageW(control, setSelMessage, static_cast<WPARAM>(row), 0) != CB_ERR)
        return;
    if (row < 0) SendMessageW(control, setSelMessage, static_cast<WPARAM>(-1), 0);
    LPCWSTR text = handler->GetOptionText(current, nullptr, link);
    SetWindowTextW(control, text ? text : u"");
}
