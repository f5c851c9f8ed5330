// QORVAOptItemDlgLinkListboxWMLIST: the watermark popup's list of watermarks (control 19052). A
// key typed into the list while a watermark is chosen goes on to the watermark's text box, so the
// user can start renaming at once; the arrow keys still move through the list.
#pragma once

#include "items/dlglink_list.h"

inline constexpr DWORD kWatermarkListBox = 19052;

class QORVAOptItemDlgLinkListboxWMLIST : public QORVAOptItemDlgLinkListbox {
public:
    QORVAOptItemDlgLinkListboxWMLIST(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                     DWORD style);

    LRESULT Command(WORD code, DWORD controlId) override;
    void UpdateControl(QORVAOptItemDlgLink* source) override;
    // WM_VKEYTOITEM: -1 lets the list box move the selection, -2 says the key was handled.
    LRESULT OnVKeyToItem(WPARAM wParam) override;

private:
    // The option the list last showed selected (-1: none yet).
    LONG m_lastSelected = -1;
};
