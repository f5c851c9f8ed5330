// The dialog-link base: what every link does unless its control kind says otherwise.
#include "optitem_dlglink.h"

#include "optitem_handler.h"

QORVAOptItemDlgLink::QORVAOptItemDlgLink(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                         DWORD linkFlags)
    : QORVAOptItemNotify(heap, handler ? handler->Factory() : nullptr),
      m_handler(handler),
      m_control(control),
      m_controlId(controlId),
      m_linkFlags(linkFlags) {}

QORVAOptItemDlgLink::~QORVAOptItemDlgLink() = default;

DWORD QORVAOptItemDlgLink::Detach(HWND) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::Command(WORD, DWORD) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::HandleCommand(WORD code, DWORD controlId) {
    return Command(code, controlId);
}

LRESULT QORVAOptItemDlgLink::DrawItem(LPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::SetCursor(UINT, WPARAM, LPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::OnNotify(LPARAM) {
    return 0;
}

void QORVAOptItemDlgLink::Commit() {}

LRESULT QORVAOptItemDlgLink::Help(DWORD, DWORD) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::OnHScroll(WPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::OnVScroll(WPARAM) {
    return 0;
}

LRESULT QORVAOptItemDlgLink::OnVKeyToItem(WPARAM) {
    return 0;
}

void QORVAOptItemDlgLink::ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source) {
    if (m_nextLink) m_nextLink->ShowOption(index, shown, source);
}

void QORVAOptItemDlgLink::RefreshOption(LONG index, QORVAOptItemDlgLink* source) {
    if (m_nextLink) m_nextLink->RefreshOption(index, source);
}

// Enabled while the item has no reason to be disabled, shown while it is visible; then the next
// control of the chain.
void QORVAOptItemDlgLink::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler && m_control) {
        bool enabled = m_handler->IsStateClear(this, 0xFFFFFFFFu) != 0;
        if ((m_linkFlags & 0x40000000u) && m_handler->GetVisibleOptionCount(this) < 2) enabled = false;
        EnableWindow(m_control, enabled ? TRUE : FALSE);
        ShowWindow(m_control, m_handler->GetExtState() > 0 ? SW_SHOW : SW_HIDE);
    }
    if (m_nextLink) m_nextLink->UpdateControl(source);
}
