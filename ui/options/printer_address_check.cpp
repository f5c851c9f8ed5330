#include "printer_address_check.h"

#include "items/optitem_handler.h"

namespace {
constexpr DWORD kUserTrackingCheck = 1145;
}

QVOptItemDlgLinkCheckUSRACTPRN::QVOptItemDlgLinkCheckUSRACTPRN(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                               DWORD controlId)
    : QORVAOptItemDlgLinkCheckbox(heap, handler, control, controlId) {
    UpdateControl(nullptr);
}

void QVOptItemDlgLinkCheckUSRACTPRN::UpdateControl(QORVAOptItemDlgLink* source) {
    QORVAOptItemDlgLinkCheckbox::UpdateControl(source);
    if (m_control && m_handler && GetItemValue(kUserTrackingCheck) == 1 && m_handler->StateBits() != 0)
        SendMessageW(m_control, BM_SETCHECK, BST_CHECKED, 0);
}
