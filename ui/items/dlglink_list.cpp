// List box and combo box links.
#include "dlglink_list.h"

#include "optitem_handler.h"

QORVAOptItemDlgLinkList::QORVAOptItemDlgLinkList(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                 DWORD controlId, DWORD linkFlags, UINT addMsg, UINT deleteMsg,
                                                 UINT insertMsg, UINT getCurSelMsg, UINT setCurSelMsg, DWORD sorted,
                                                 BOOL fill)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags),
      m_addMsg(addMsg),
      m_deleteMsg(deleteMsg),
      m_insertMsg(insertMsg),
      m_getCurSelMsg(getCurSelMsg),
      m_setCurSelMsg(setCurSelMsg),
      m_sorted(sorted) {
    // Without the map the link shows no rows (a refused allocation is not reported).
    if (m_handler) m_rows.Init(m_heap, m_handler->GetOptionCount());
    if (fill) FillRows();
}

void QORVAOptItemDlgLinkList::FillRows() {
    if (m_handler && m_rows.Ready()) {
        for (LONG i = 0; i < m_rows.m_count; ++i) {
            DWORD visible = 0;
            LPCWSTR text = m_handler->GetOptionText(i, &visible, this);
            if (visible) Fill(m_control, i, text);
        }
        SelectCurrent();
    }
    EnableAndShow();
    StoreOn(m_control);
}

LONG QORVAOptItemDlgLinkList::Fill(HWND control, LONG index, LPCWSTR text) {
    if (!m_rows.Ready() || index < 0 || index >= m_rows.m_count || m_rows.RowOf(index) >= 0) return index;
    const std::u16string row = m_rows.NumberCopy(m_handler, this, index, text);
    const LPARAM rowText = reinterpret_cast<LPARAM>(row.c_str());
    const LRESULT at = m_sorted ? SendMessageW(control, m_addMsg, 0, rowText)
                                : SendMessageW(control, m_insertMsg, static_cast<WPARAM>(m_rows.RowsBefore(index)), rowText);
    if (at >= 0) m_rows.Inserted(index, static_cast<LONG>(at));
    return index;
}

void QORVAOptItemDlgLinkList::DeleteOptionRow(LONG index) {
    const LONG row = m_rows.Removed(index);
    if (row >= 0) SendMessageW(m_control, m_deleteMsg, static_cast<WPARAM>(row), 0);
}

void QORVAOptItemDlgLinkList::SelectCurrent() {
    if (!m_handler) return;
    const LONG_PTR current = m_handler->GetSel();
    if (current == m_noSelection) return;
    m_updating = 1;
    SendMessageW(m_control, m_setCurSelMsg, static_cast<WPARAM>(m_rows.RowOf(static_cast<LONG>(current))), 0);
    m_updating = 0;
}

LONG QORVAOptItemDlgLinkList::SelectedOption() {
    return m_rows.OptionOf(static_cast<LONG>(SendMessageW(m_control, m_getCurSelMsg, 0, 0)));
}

void QORVAOptItemDlgLinkList::ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) {
    if (m_handler) {
        if (shown) {
            DWORD visible = 0;
            LPCWSTR text = m_handler->GetOptionText(index, &visible, this);
            Fill(m_control, index, text);
        } else {
            DeleteOptionRow(index);
        }
        SelectCurrent();
    }
    QORVAOptItemDlgLink::ShowOption(index, shown, source);
}

void QORVAOptItemDlgLinkList::RefreshOption(LONG index, QORVAOptItemDlgLink* source) {
    if (m_handler) {
        DeleteOptionRow(index);
        DWORD visible = 0;
        LPCWSTR text = m_handler->GetOptionText(index, &visible, this);
        if (visible) Fill(m_control, index, text);
        SelectCurrent();
    }
    QORVAOptItemDlgLink::RefreshOption(index, source);
}

void QORVAOptItemDlgLinkList::UpdateControl(QORVAOptItemDlgLink* source) {
    if (source != this && m_handler && m_handler->GetSel() != m_noSelection) SelectCurrent();
    QORVAOptItemDlgLink::UpdateControl(source);
}

DWORD QORVAOptItemDlgLinkList::Detach(HWND dialog) {
    if (HWND parent = m_control ? GetParent(m_control) : nullptr; parent && parent != dialog) return 0;
    m_rows.Free(m_heap);
    return QORVAOptItemDlgLink::Detach(dialog);
}

// --- combo box --------------------------------------------------------------------------------

QORVAOptItemDlgLinkCombobox::QORVAOptItemDlgLinkCombobox(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                         DWORD controlId, DWORD linkFlags, BOOL fill)
    : QORVAOptItemDlgLinkList(heap, handler, control, controlId, linkFlags, CB_ADDSTRING, CB_DELETESTRING,
                              CB_INSERTSTRING, CB_GETCURSEL, CB_SETCURSEL, (linkFlags & CBS_SORT) ? 1 : 0, fill) {
    if (m_handler && (linkFlags & 0x3) == CBS_DROPDOWN) {
        const LONG limit = m_handler->GetTextLimit();
        if (limit > 1) SendMessageW(m_control, EM_LIMITTEXT, static_cast<WPARAM>(limit - 1), 0);
    }
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkCombobox::Command(WORD code, DWORD) {
    if (!m_handler || m_updating) return 0;
    if (code == CBN_SELCHANGE) {
        m_handler->ReadControl(nullptr);
        const LONG option = SelectedOption();
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

void QORVAOptItemDlgLinkCombobox::UpdateControl(QORVAOptItemDlgLink* source) {
    if (source != this && m_handler) {
        m_updating = 1;
        ShowComboCurrent(m_handler, this, m_control, m_rows, m_noSelection, CB_SETCURSEL);
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// --- list box ---------------------------------------------------------------------------------

QORVAOptItemDlgLinkListbox::QORVAOptItemDlgLinkListbox(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                       DWORD controlId, DWORD linkFlags, BOOL fill)
    : QORVAOptItemDlgLinkList(heap, handler, control, controlId, linkFlags, LB_ADDSTRING, LB_DELETESTRING,
                              LB_INSERTSTRING, LB_GETCURSEL, LB_SETCURSEL, (linkFlags & LBS_SORT) ? 1 : 0, fill) {}

LRESULT QORVAOptItemDlgLinkListbox::Command(WORD code, DWORD) {
    if (!m_handler || m_updating || code != m_selChangeCode) return 0;
    const LONG option = SelectedOption();
    if (option < 0) return 0;
    m_handler->SetCurSel(option, this);
    return 1;
}
