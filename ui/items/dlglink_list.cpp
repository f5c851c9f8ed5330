// List box and combo box links.
#include "dlglink_list.h"

#include "optitem_handler.h"

QORVAOptItemDlgLinkList::QORVAOptItemDlgLinkList(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                 DWORD controlId, DWORD linkFlags, UINT addMsg, UINT deleteMsg,
                                                 UINT insertMsg, UINT getCurSelMsg, UINT setCurSelMsg, DWORD sorted,
                                                 BOOL fill)
    : QORVAOptItemDlgLinkOptionList(heap, handler, control, controlId, linkFlags, sorted),
      m_addMsg(addMsg),
      m_deleteMsg(deleteMsg),
      m_insertMsg(insertMsg),
      m_getCurSelMsg(getCurSelMsg),
      m_setCurSelMsg(setCurSelMsg) {
    if (fill) FillRows();
}

void QORVAOptItemDlgLinkList::FillRows() {
    if (AddVisibleRows()) SelectCurrent();
    EnableAndShow();
    StoreOn(m_control);
}

LONG QORVAOptItemDlgLinkList::Fill(HWND control, LONG index, LPCWSTR text) {
    if (!WantsRow(index)) return index;
    const std::u16string row = m_rows.NumberCopy(m_handler, this, index, text);
    const LPARAM rowText = reinterpret_cast<LPARAM>(row.c_str());
    const LRESULT at = m_sorted ? SendMessageW(control, m_addMsg, 0, rowText)
                                : SendMessageW(control, m_insertMsg, static_cast<WPARAM>(m_rows.RowsBefore(index)), rowText);
    if (at >= 0) m_rows.Inserted(index, static_cast<LONG>(at));
    return index;
}

void QORVAOptItemDlgLinkList::AddOptionRow(LONG index, LPCWSTR text) {
    Fill(m_control, index, text);
}

void QORVAOptItemDlgLinkList::DeleteOptionRow(LONG index) {
    DeleteRowWith(index, m_deleteMsg);
}

void QORVAOptItemDlgLinkList::SelectCurrent() {
    SelectCurrentRow(m_setCurSelMsg);
}

LONG QORVAOptItemDlgLinkList::SelectedOption() {
    return OptionOfSelectedRow(m_getCurSelMsg);
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
    return ComboCommand(code, m_getCurSelMsg);
}

void QORVAOptItemDlgLinkCombobox::UpdateControl(QORVAOptItemDlgLink* source) {
    UpdateCombo(source, CB_SETCURSEL);
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
