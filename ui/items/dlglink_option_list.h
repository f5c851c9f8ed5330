// What the links of list-like controls (list box, combo box, extended combo box, list view)
// share: one row per visible option kept in the option map (dlglink_rows.h), rows added and
// deleted as options are shown, hidden or renamed, and the current option's row selected. Each
// kind says how a row is added, deleted and selected.
#pragma once

#include "dlglink_rows.h"
#include "optitem_dlglink.h"

class QORVAOptItemDlgLinkOptionList : public QORVAOptItemDlgLink {
public:
    DWORD Detach(HWND dialog) override;
    void ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) override;
    void RefreshOption(LONG index, QORVAOptItemDlgLink* source) override;
    // Selects the current option's row when another link caused the change.
    void UpdateControl(QORVAOptItemDlgLink* source) override;

protected:
    // Makes the map of the handler's options (without it the link shows no rows; a refused
    // allocation is not reported).
    QORVAOptItemDlgLinkOptionList(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                  DWORD linkFlags, DWORD sorted);

    // Adds the row of one option with its text.
    virtual void AddOptionRow(LONG index, LPCWSTR text) = 0;
    // Deletes an option's row (nothing when it has none).
    virtual void DeleteOptionRow(LONG index) = 0;
    // Selects the current option's row.
    virtual void SelectCurrent() = 0;

    // Adds the rows of every visible option; false (and no rows) without a handler or map.
    bool AddVisibleRows();
    // Deletes an option's row with the control's delete message.
    void DeleteRowWith(LONG index, UINT deleteMsg);
    // Whether an option may get a row: the map is there, the option is one of it and has none.
    bool WantsRow(LONG index) const;
    // Where an option's new row goes: -1 (the control sorts) or after the rows of the options
    // before it.
    LONG InsertionRow(LONG index) const;
    // Selects the current option's row with the control's select message (none when it has no
    // row; nothing when there is no current option).
    void SelectCurrentRow(UINT setSelMsg);
    // The option of the selected row, read with the control's message (-1: none).
    LONG OptionOfSelectedRow(UINT getSelMsg);
    // A combo box's notifications: a selection change selects the row's option, an edit change
    // hands the typed text to the handler.
    LRESULT ComboCommand(WORD code, UINT getSelMsg);
    // Shows the current option in a combo box unless this link caused the change.
    void UpdateCombo(QORVAOptItemDlgLink* source, UINT setSelMsg);

    LONG m_noSelection = -1;
    DWORD m_sorted;
    OptionRows m_rows;
};
