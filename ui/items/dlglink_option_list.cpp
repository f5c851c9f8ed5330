// The rows of list-like links.
#include "dlglink_option_list.h"

#include "optitem_handler.h"

QORVAOptItemDlgLinkOptionList::QORVAOptItemDlgLinkOptionList(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                             DWORD controlId, DWORD linkFlags, DWORD sorted)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags), m_sorted(sorted) {
    if (m_handler) m_rows.Init(m_heap, m_handler->GetOptionCount());
}

bool QORVAOptItemDlgLinkOptionList::AddVisibleRows() {
    if (!m_handler || !m_rows.Ready()) return false;
    for (LONG i = 0; i < m_rows.m_count; ++i) {
        DWORD visible = 0;
        LPCWSTR text = m_handler->GetOptionText(i, &visible, this);
        if (visible) AddOptionRow(i, text);
    }
    return true;
}

void QORVAOptItemDlgLinkOptionList::DeleteRowWith(LONG index, UINT deleteMsg) {
    const LONG row = m_rows.Removed(index);
    if (row >= 0) SendMessageW(m_control, deleteMsg, static_cast<WPARAM>(row), 0);
}

bool QORVAOptItemDlgLinkOptionList::WantsRow(LONG index) const {
    return m_rows.Ready() && index >= 0 && index < m_rows.m_count && m_rows.RowOf(index) < 0;
}

LONG QORVAOptItemDlgLinkOptionList::InsertionRow(LONG index) const {
    return m_sorted ? -1 : m_rows.RowsBefore(index);
}

void QORVAOptItemDlgLinkOptionList::SelectCurrentRow(UINT setSelMsg) {
    if (!m_handler) return;
    const LONG_PTR current = m_handler->GetSel();
    if (current == m_noSelection) return;
    m_updating = 1;
    SendMessageW(m_control, setSelMsg, static_cast<WPARAM>(m_rows.RowOf(static_cast<LONG>(current))), 0);
    m_updating = 0;
}

LONG QORVAOptItemDlgLinkOptionList::OptionOfSelectedRow(UINT getSelMsg) {
    return m_rows.OptionOf(static_cast<LONG>(SendMessageW(m_control, getSelMsg, 0, 0)));
}

LRESULT QORVAOptItemDlgLinkOptionList::ComboCommand(WORD code, UINT getSelMsg) {
    if (!m_handler || m_updating) return 0;
    if (code == CBN_SELCHANGE) {
        m_handler->ReadControl(nullptr);
        const LONG option = OptionOfSelectedRow(getSelMsg);
        if (option < 0) return 0;  // a row of no option
        m_handler->SetCurSel(option, this);
        return 1;
    }
    if (code == CBN_EDITCHANGE) {
        m_handler->ReadControl(this);
        m_handler->RouteNotify(m_controlId, CBN_EDITCHANGE, 0);
        RefreshNow();
    }
    return 0;
}

void QORVAOptItemDlgLinkOptionList::UpdateCombo(QORVAOptItemDlgLink* source, UINT setSelMsg) {
    if (source != this && m_handler) {
        m_updating = 1;
        ShowComboCurrent(m_handler, this, m_control, m_rows, m_noSelection, setSelMsg);
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

void QORVAOptItemDlgLinkOptionList::ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) {
    if (m_handler) {
        if (shown) {
            DWORD visible = 0;
            LPCWSTR text = m_handler->GetOptionText(index, &visible, this);
            AddOptionRow(index, text);
        } else {
            DeleteOptionRow(index);
        }
        SelectCurrent();
    }
    QORVAOptItemDlgLink::ShowOption(index, shown, source);
}

void QORVAOptItemDlgLinkOptionList::RefreshOption(LONG index, QORVAOptItemDlgLink* source) {
    if (m_handler) {
        DeleteOptionRow(index);
        DWORD visible = 0;
        LPCWSTR text = m_handler->GetOptionText(index, &visible, this);
        if (visible) AddOptionRow(index, text);
        SelectCurrent();
    }
    QORVAOptItemDlgLink::RefreshOption(index, source);
}

void QORVAOptItemDlgLinkOptionList::UpdateControl(QORVAOptItemDlgLink* source) {
    if (source != this && m_handler && m_handler->GetSel() != m_noSelection) SelectCurrent();
    QORVAOptItemDlgLink::UpdateControl(source);
}

DWORD QORVAOptItemDlgLinkOptionList::Detach(HWND dialog) {
    if (InOtherDialog(dialog)) return 0;
    m_rows.Free(m_heap);
    return QORVAOptItemDlgLink::Detach(dialog);
}
