// Static text links.
#include "dlglink_static.h"

#include "optitem_handler.h"

QORVAOptItemDlgLinkStatic::QORVAOptItemDlgLinkStatic(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                     DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    m_linkKind = kLinkDisplay;
}

QORVAOptItemDlgLinkStaticStates::QORVAOptItemDlgLinkStaticStates(HANDLE heap, QORVAOptItemHandler* handler,
                                                                 HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    m_linkKind = kLinkDisplay;
    UpdateControl(nullptr);
}

void QORVAOptItemDlgLinkStaticStates::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        LPCWSTR text = m_handler->GetSelText(this);
        SetDlgItemTextW(Dialog(), static_cast<int>(m_controlId), text ? text : u"");
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}
