// Links of list boxes and combo boxes: one row per visible option, in option order or sorted by
// the control, the current option's row selected. The map from options to rows (dlglink_rows.h)
// is the only way between an option index and a row.
#pragma once

#include "dlglink_option_list.h"

class QORVAOptItemDlgLinkList : public QORVAOptItemDlgLinkOptionList {
public:
    // Adds the row of one option (its text numbered when an earlier option has the same text);
    // answers the option index.
    virtual LONG Fill(HWND control, LONG index, LPCWSTR text);

protected:
    // The control's messages: add in sorted order, delete, insert at a row, read and set the
    // selected row. With fill the rows of the visible options are added, the current one selected,
    // the control enabled and shown and the link stored on it; without, only the map is made.
    QORVAOptItemDlgLinkList(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId, DWORD linkFlags,
                            UINT addMsg, UINT deleteMsg, UINT insertMsg, UINT getCurSelMsg, UINT setCurSelMsg,
                            DWORD sorted, BOOL fill);

    // The rows of every visible option, the selection, enable/show and the window property.
    void FillRows();
    // Through Fill, which a kind may override.
    void AddOptionRow(LONG index, LPCWSTR text) override;
    void DeleteOptionRow(LONG index) override;
    // Selects the current option's row (none when it has no row).
    void SelectCurrent() override;
    // The option of the selected row (-1: none).
    LONG SelectedOption();

    UINT m_addMsg;
    UINT m_deleteMsg;
    UINT m_insertMsg;
    UINT m_getCurSelMsg;
    UINT m_setCurSelMsg;
    DWORD m_selChangeCode = 1;
};

class QORVAOptItemDlgLinkCombobox : public QORVAOptItemDlgLinkList {
public:
    QORVAOptItemDlgLinkCombobox(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                DWORD linkFlags = 0, BOOL fill = TRUE);
    // CBN_SELCHANGE selects the row's option; CBN_EDITCHANGE hands the typed text to the handler.
    LRESULT Command(WORD code, DWORD controlId) override;
    // The handler's edit text, else the current option's row, else its text as the window text.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};

class QORVAOptItemDlgLinkListbox : public QORVAOptItemDlgLinkList {
public:
    QORVAOptItemDlgLinkListbox(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                               DWORD linkFlags = 0, BOOL fill = TRUE);
    LRESULT Command(WORD code, DWORD controlId) override;
};
