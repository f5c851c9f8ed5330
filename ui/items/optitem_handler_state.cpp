// The handler base: option visibility, links, the pending-refresh list, state bits and pressing.
#include "handler_factory.h"
#include "optitem_dlglink.h"
#include "optitem_handler.h"

void QORVAOptItemHandler::HideOption(LONG index, DWORD show, QORVAOptItemDlgLink* link) {
    const POPTPARAM option = OptionAt(index);
    if (!option) return;
    const bool keepSelection = (show & 0x8000) != 0;
    const bool shown = (show & ~DWORD{0x8000}) != 0;
    const bool hidden = (option->Flags & OPTPF_HIDE) != 0;
    if (shown != hidden) return;  // already as asked
    if (!shown && !keepSelection && RawSel() == index) {
        // Off the option first: to the first other option that is not hidden.
        const LONG count = GetOptionCount();
        LONG first = 0;
        while (first < count && (first == index || (OptionAt(first)->Flags & OPTPF_HIDE))) ++first;
        if (first >= count) first = count - 1;
        SetCurSel(first, link);
    }
    if (shown) SetOptionFlags(index, 0, OPTPF_HIDE, link);
    else SetOptionFlags(index, OPTPF_HIDE, 0, link);
    if (m_firstLink) m_firstLink->ShowOption(index, shown ? 1 : 0, link);
}

void QORVAOptItemHandler::ApplyParent(LONG index, QORVAOptItemDlgLink* link) {
    if (index < 0) return;
    if (m_firstLink) m_firstLink->RefreshOption(index, link);
    RouteNotify(m_key, kNotifyChanged, 0);
    Invalidate(link);
}

void QORVAOptItemHandler::AttachDlgLink(QORVAOptItemDlgLink* link) {
    if (!link) return;
    if (!m_firstLink) {
        m_firstLink = link;
        return;
    }
    QORVAOptItemDlgLink* last = m_firstLink;
    while (last->NextLink()) last = last->NextLink();
    last->SetNextLink(link);
}

void QORVAOptItemHandler::Queue() {
    if (m_refreshed || m_nextPending || !m_factory) return;
    QORVAOptItemHandler* head = m_factory->PendingHead();
    m_nextPending = head ? head : kPendingEnd;
    m_factory->SetPendingHead(this);
}

void QORVAOptItemHandler::RefreshChain() {
    if (m_refreshed) return;
    m_refreshed = 1;
    if (m_firstLink) m_firstLink->UpdateControl(nullptr);
    QORVAOptItemHandler* next = m_nextPending;
    if (next && next != kPendingEnd) next->RefreshChain();
    m_nextPending = nullptr;
    m_refreshed = 0;
}

void QORVAOptItemHandler::Invalidate(QORVAOptItemDlgLink* link) {
    if (m_immediateRefresh) {
        RefreshChain();
        return;
    }
    if (link && link->Immediate() == 1 && m_factory) {
        Queue();
        m_factory->FlushList();
    }
    Queue();
}

DWORD QORVAOptItemHandler::ClearStateBits(DWORD mask) {
    const DWORD wasClear = m_stateBits == 0;
    m_stateBits &= ~mask;
    if (m_immediateRefresh) RefreshChain();
    else Queue();
    return wasClear;
}

DWORD QORVAOptItemHandler::SetStateBits(DWORD mask) {
    const DWORD wasClear = m_stateBits == 0;
    m_stateBits |= mask;
    if (m_immediateRefresh) RefreshChain();
    else Queue();
    return wasClear;
}

void QORVAOptItemHandler::SetExtState(DWORD value) {
    m_visibility = value;
    if (m_immediateRefresh) RefreshChain();
    else Queue();
}

void QORVAOptItemHandler::SetLinkState(DWORD bit, WORD messageId, WORD extra) {
    DWORD slot = 0;
    for (DWORD i = 0; i < 8; ++i)
        if (bit == (DWORD{0x100} << i)) slot = i + 1;
    m_hints[slot] = (DWORD{extra} << 16) | messageId;
    if (messageId && bit) m_stateBits |= bit;
    else m_stateBits &= ~bit;
    if (m_immediateRefresh) RefreshChain();
    else Queue();
}

DWORD QORVAOptItemHandler::IsStateClear(QORVAOptItemDlgLink*, DWORD mask) {
    return (m_stateBits & mask) == 0 ? 1 : 0;
}

DWORD QORVAOptItemHandler::GetExtState() {
    return m_visibility;
}

void QORVAOptItemHandler::SaveSettings(HWND) {}

void QORVAOptItemHandler::CancelSettings(HWND) {}

DWORD QORVAOptItemHandler::Push(HWND parent) {
    if (m_factory) return m_factory->PushHandler(this, parent);
    RouteNotify(m_key, kNotifyChanged, 0);
    return 0;
}
