// The device page's choice box 25103, where the user changes the value of the installed option
// selected in the list view 25101. The device-information rules set the row it shows and decide
// its choices; its link shows a one-time notice that the change takes effect with OK or Apply.
#pragma once

#include "items/standard_handlers.h"

inline constexpr DWORD kDeviceOptionChoiceItem = 25103;

class QORVAOptItemHandlerDEVOPTCOMBOBOX : public QORVAOptItemHandlerCombobox {
public:
    QORVAOptItemHandlerDEVOPTCOMBOBOX(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);

    // Records the index as the requested one even when it is already selected.
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;

    DWORD RequestedIndex() const { return m_requested; }
    DWORD Row() const { return m_row; }
    void SetRow(DWORD row) { m_row = row; }
    DWORD NoticePending() const { return m_noticePending; }
    void ClearNotice() { m_noticePending = 0; }

private:
    DWORD m_requested = 0;
    DWORD m_row = 0;
    DWORD m_noticePending = 1;
};
