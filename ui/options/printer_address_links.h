// The buttons of the held-job popup (25407 OK, 25408 Cancel, 25409 Clear; dialog 25400) and of
// the user-tracking popup (25507, 25508, 25509; dialog 25500). They fill the popup's ID and
// password boxes from the account's handler, and on a click confirm, cancel or clear them.
#pragma once

#include "items/optitem_dlglink.h"

class QVOptItemHandlerIDANDPWD;

class QVOptItemDlgLinkPushbuttonIDANDPWD : public QORVAOptItemDlgLink {
public:
    QVOptItemDlgLinkPushbuttonIDANDPWD(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId);
    LRESULT Command(WORD code, DWORD controlId) override;

private:
    QVOptItemHandlerIDANDPWD* Account();
    void ClearBoxes(HWND popup);
    void ConfirmHeldJob(HWND popup);
    void CancelHeldJob(HWND popup);
    void ConfirmUserTracking(HWND popup);

    DWORD m_idBox = 0;
    DWORD m_passwordBox = 0;
    DWORD m_accountItem = 0;
};
