// The device page's user-tracking check box (1145). While the item is disabled the box still
// shows it switched on, so that a user without the right to change it sees what the driver sends.
#pragma once

#include "items/dlglink_buttons.h"

class QVOptItemDlgLinkCheckUSRACTPRN : public QORVAOptItemDlgLinkCheckbox {
public:
    QVOptItemDlgLinkCheckUSRACTPRN(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
    // The check box's own refresh, then: switched on and disabled shows checked.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};
