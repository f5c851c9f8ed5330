// Button links.
#include "dlglink_buttons.h"

#include "optitem_handler.h"

// --- check box --------------------------------------------------------------------------------

QORVAOptItemDlgLinkCheckbox::QORVAOptItemDlgLinkCheckbox(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                         DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkCheckbox::Command(WORD, DWORD) {
    if (!m_handler || m_updating) return 0;
    const bool checked = SendMessageW(m_control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    m_handler->SetCurSel(checked ? 1 : 0, this);
    return 1;
}

void QORVAOptItemDlgLinkCheckbox::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        bool checked = m_handler->GetSel() != 0;
        if (!m_handler->IsStateClear(this, 0xFFFFFFFFu) && !(m_linkFlags & kLinkKeepSelection)) checked = false;
        m_updating = 1;
        SendMessageW(m_control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// --- push button ------------------------------------------------------------------------------

QORVAOptItemDlgLinkPushbutton::QORVAOptItemDlgLinkPushbutton(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                             DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {}

LRESULT QORVAOptItemDlgLinkPushbutton::Command(WORD, DWORD) {
    if (!m_handler) return 0;
    m_handler->Push(Dialog());
    return 1;
}

// --- radio buttons ----------------------------------------------------------------------------

QORVAOptItemDlgLinkRadiobutton::QORVAOptItemDlgLinkRadiobutton(HANDLE heap, QORVAOptItemHandler* handler,
                                                               HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    HWND dialog = Dialog();
    for (DWORD id = m_controlId; m_handler && id <= LastId(); ++id) StoreOn(GetDlgItem(dialog, static_cast<int>(id)));
    UpdateControl(nullptr);
}

DWORD QORVAOptItemDlgLinkRadiobutton::LastId() const {
    const LONG count = m_handler ? m_handler->GetOptionCount() : 0;
    return count > 0 ? m_controlId + static_cast<DWORD>(count) - 1 : m_controlId;
}

DWORD QORVAOptItemDlgLinkRadiobutton::Detach(HWND dialog) {
    if (InOtherDialog(dialog)) return 0;
    HWND parent = Dialog();
    // The other buttons of the group carry the link too.
    for (DWORD id = m_controlId + 1; parent && m_handler && id <= LastId(); ++id)
        if (HWND button = GetDlgItem(parent, static_cast<int>(id)); button && QORVAOptItemDlgLink::FromWindow(button) == this)
            RemoveFrom(button);
    return QORVAOptItemDlgLink::Detach(dialog);
}

LRESULT QORVAOptItemDlgLinkRadiobutton::HandleCommand(WORD, DWORD controlId) {
    if (!m_handler || m_updating) return 0;
    HWND dialog = Dialog();
    LONG option = -1;
    if (controlId != 0) {
        if (controlId >= m_controlId && controlId <= LastId()) option = static_cast<LONG>(controlId - m_controlId);
    } else {
        for (DWORD id = m_controlId; id <= LastId(); ++id)
            if (IsDlgButtonChecked(dialog, static_cast<int>(id)) == BST_CHECKED) {
                option = static_cast<LONG>(id - m_controlId);
                break;
            }
    }
    if (option < 0) return 0;
    m_handler->SetCurSel(option, this);
    return 1;
}

void QORVAOptItemDlgLinkRadiobutton::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        HWND dialog = Dialog();
        if (source != this) {
            m_updating = 1;
            CheckRadioButton(dialog, static_cast<int>(m_controlId), static_cast<int>(LastId()),
                             static_cast<int>(m_controlId + static_cast<DWORD>(m_handler->GetSel())));
            m_updating = 0;
        }
        const bool itemEnabled = m_handler->IsStateClear(this, 0xFFFFFFFFu) != 0;
        const bool shown = m_handler->GetExtState() != 0;
        for (DWORD id = m_controlId; id <= LastId(); ++id) {
            HWND button = GetDlgItem(dialog, static_cast<int>(id));
            if (!button) continue;
            const bool hidden = (m_handler->GetOptionFlags(static_cast<LONG>(id - m_controlId)) & OPTPF_HIDE) != 0;
            EnableWindow(button, itemEnabled && !hidden ? TRUE : FALSE);
            ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
        }
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// --- toggle button ----------------------------------------------------------------------------

QORVAOptItemDlgLinkTogglebutton::QORVAOptItemDlgLinkTogglebutton(HANDLE heap, QORVAOptItemHandler* handler,
                                                                 HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags),
      m_step((linkFlags & kLinkKeepSelection) ? 1 : (linkFlags & kLinkNeedsTwoOptions) ? -1 : 0) {
    if (m_handler) {
        LPCWSTR text = m_handler->GetSelText(this);
        SetDlgItemTextW(Dialog(), static_cast<int>(m_controlId), text ? text : u"");
    }
}

LRESULT QORVAOptItemDlgLinkTogglebutton::Command(WORD, DWORD) {
    if (!m_handler) return 0;
    if (m_step) m_handler->StepSel(m_step, this);
    else m_handler->RouteNotify(m_controlId, kNotifyChanged, 0);
    return 1;
}

void QORVAOptItemDlgLinkTogglebutton::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        LPCWSTR text = m_handler->GetSelText(this);
        SetDlgItemTextW(Dialog(), static_cast<int>(m_controlId), text ? text : u"");
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}
