// Up/down arrow and scroll bar links.
#include "dlglink_range.h"

#include <win/commctrl.h>

#include "optitem_handler.h"

namespace {

// Puts the caret at the start of the item's input box when that is another control.
void CaretToStart(QORVAOptItemHandler* handler, QORVAOptItemDlgLink* self) {
    QORVAOptItemDlgLink* input = QORVAOptItemDlgLink::FindInputLink(handler->FirstLink(), kLinkInput);
    if (input && input != self) SendMessageW(input->Control(), EM_SETSEL, 0, 0);
}

}  // namespace

// --- up/down arrows -----------------------------------------------------------------------------

QORVAOptItemDlgLinkUDArrowSpin::QORVAOptItemDlgLinkUDArrowSpin(HANDLE heap, QORVAOptItemHandler* handler,
                                                               HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {}

LRESULT QORVAOptItemDlgLinkUDArrowSpin::OnNotify(LPARAM header) {
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    if (!change || !m_handler || change->hdr.code != UDN_DELTAPOS) return 0;
    CommitBuddy();
    m_handler->StepSel(change->iDelta <= 0 ? 1 : -1, this);
    return 1;
}

void QORVAOptItemDlgLinkUDArrowSpin::CommitBuddy() {
    HWND buddy = reinterpret_cast<HWND>(SendMessageW(m_control, UDM_GETBUDDY, 0, 0));
    if (QORVAOptItemDlgLink* box = FromWindow(buddy)) box->Commit();
}

LRESULT QORVAOptItemDlgLinkUDArrowSpin::OnVScroll(WPARAM) {
    if (m_handler) CaretToStart(m_handler, this);
    return 0;
}

// --- scroll bar ---------------------------------------------------------------------------------

QORVAOptItemDlgLinkScrollbar::QORVAOptItemDlgLinkScrollbar(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                           DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    if (!m_handler) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = static_cast<int>(m_handler->GetOptionIconID(1, nullptr));
    info.nMax = static_cast<int>(m_handler->GetOptionParam(1, nullptr));
    info.nPage = 1;
    info.nPos = info.nMin;
    SetScrollInfo(m_control, SB_CTL, &info, FALSE);
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkScrollbar::OnHScroll(WPARAM wParam) {
    if (!m_handler) return 0;
    CaretToStart(m_handler, this);
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
    case SB_TOP:
        m_handler->StepSel(-1, this);
        break;
    case SB_LINEDOWN:
    case SB_BOTTOM:
        m_handler->StepSel(1, this);
        break;
    case SB_PAGEUP:
        m_handler->StepSel(-10, this);
        break;
    case SB_PAGEDOWN:
        m_handler->StepSel(10, this);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        m_handler->SetValue(HIWORD(wParam), this);
        break;
    default:
        break;
    }
    return 0;
}

void QORVAOptItemDlgLinkScrollbar::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        LONG_PTR value = 0;
        m_handler->GetValue(nullptr, &value, nullptr);
        SetScrollPos(m_control, SB_CTL, static_cast<int>(value), TRUE);
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}
