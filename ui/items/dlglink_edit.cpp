// Edit box and number box links.
#include "dlglink_edit.h"

#include <string>
#include <vector>

#include <win/imm.h>
#include <win/strsafe.h>

#include "optitem_handler.h"

namespace {

// The input contexts taken from the box that has the focus, one for each kind of box.
HIMC g_editContext = nullptr;
HIMC g_numberContext = nullptr;

constexpr int kNumberChars = 32;

void WriteNumber(HWND box, LONG_PTR value) {
    WCHAR text[kNumberChars];
    StringCchPrintfW(text, kNumberChars, u"%d", static_cast<int>(value));
    SetWindowTextW(box, text);
}

}  // namespace

BOOL ReadNumberBox(HWND box, DWORD* number) {
    WCHAR text[kNumberChars] = {};
    GetWindowTextW(box, text, kNumberChars);
    const WCHAR* at = text;
    while (*at == u' ') ++at;
    if (*at < u'0' || *at > u'9') return FALSE;
    unsigned long long value = 0;
    for (; *at >= u'0' && *at <= u'9'; ++at) {
        value = value * 10 + static_cast<unsigned>(*at - u'0');
        if (value > 0xFFFFFFFFull) return FALSE;
    }
    while (*at == u' ') ++at;
    if (*at) return FALSE;
    *number = static_cast<DWORD>(value);
    return TRUE;
}

// --- edit box ---------------------------------------------------------------------------------

QORVAOptItemDlgLinkEditbox::QORVAOptItemDlgLinkEditbox(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                       DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    if (m_handler) {
        const LONG limit = m_handler->GetTextLimit();
        if (limit > 1) SendMessageW(m_control, EM_LIMITTEXT, static_cast<WPARAM>(limit - 1), 0);
    }
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkEditbox::Command(WORD code, DWORD) {
    if (!m_handler || m_updating) return 0;
    switch (code) {
    case EN_SETFOCUS:
        if (!m_keepIme) g_editContext = ImmAssociateContext(m_control, nullptr);
        break;
    case EN_KILLFOCUS:
        if (!m_keepIme && g_editContext) {
            ImmAssociateContext(m_control, g_editContext);
            g_editContext = nullptr;
        }
        break;
    case EN_CHANGE: {
        const LONG limit = m_handler->GetTextLimit();
        if (limit <= 0) break;
        std::vector<WCHAR> text(static_cast<size_t>(limit) + 1, u'\0');
        GetWindowTextW(m_control, text.data(), limit + 1);
        m_updating = 1;
        m_handler->SelectString(text.data(), this);
        m_updating = 0;
        break;
    }
    default:
        break;
    }
    return 1;
}

void QORVAOptItemDlgLinkEditbox::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler && !m_updating && source != this) {
        LONG_PTR value = 0;
        DWORD isText = 0;
        m_handler->GetValue(this, &value, &isText);
        std::u16string text;
        if (isText) {
            if (value) text = reinterpret_cast<LPCWSTR>(value);
        } else {
            WCHAR number[kNumberChars];
            StringCchPrintfW(number, kNumberChars, u"%d", static_cast<int>(value));
            text = number;
        }
        // The same text is not written again: the caret stays where the user left it.
        const int length = GetWindowTextLengthW(m_control);
        std::vector<WCHAR> shown(static_cast<size_t>(length) + 1, u'\0');
        GetWindowTextW(m_control, shown.data(), length + 1);
        if (text != shown.data()) {
            m_updating = 1;
            SetWindowTextW(m_control, text.c_str());
            m_updating = 0;
        }
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// --- up/down number box -------------------------------------------------------------------------

QORVAOptItemDlgLinkUDArrowNumber::QORVAOptItemDlgLinkUDArrowNumber(HANDLE heap, QORVAOptItemHandler* handler,
                                                                   HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkUDArrowNumber::Command(WORD code, DWORD) {
    if (!m_handler || m_updating) return 0;
    switch (code) {
    case EN_SETFOCUS:
        if (!m_keepIme) g_numberContext = ImmAssociateContext(m_control, nullptr);
        break;
    case EN_KILLFOCUS:
        if (!m_keepIme && g_numberContext) {
            ImmAssociateContext(m_control, g_numberContext);
            g_numberContext = nullptr;
        }
        Commit();
        break;
    default:
        break;
    }
    return 0;
}

void QORVAOptItemDlgLinkUDArrowNumber::Commit() {
    if (!m_handler) return;
    DWORD number = 0;
    if (ReadNumberBox(m_control, &number)) m_handler->SetValue(number, this);
    RefreshNow();
}

void QORVAOptItemDlgLinkUDArrowNumber::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        m_updating = 1;
        WriteNumber(m_control, m_handler->GetSel());
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// --- track-bar and scroll-bar number box ------------------------------------------------------

QORVAOptItemDlgLinkXBarNumber::QORVAOptItemDlgLinkXBarNumber(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                             DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkXBarNumber::Command(WORD code, DWORD) {
    if (!m_handler || m_updating) return 0;
    if (code == EN_KILLFOCUS) Commit();
    return 0;
}

void QORVAOptItemDlgLinkXBarNumber::Commit() {
    if (!m_handler) return;
    DWORD number = 0;
    if (ReadNumberBox(m_control, &number)) m_handler->SetValue(number, this);
    RefreshNow();
}

void QORVAOptItemDlgLinkXBarNumber::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        m_updating = 1;
        WriteNumber(m_control, m_handler->GetSel());
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

// --- list item's text box -----------------------------------------------------------------------

QORVAOptItemDlgLinkUDArrowList::QORVAOptItemDlgLinkUDArrowList(HANDLE heap, QORVAOptItemHandler* handler,
                                                               HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLink(heap, handler, control, controlId, linkFlags) {
    UpdateControl(nullptr);
}

void QORVAOptItemDlgLinkUDArrowList::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        LPCWSTR text = m_handler->GetSelText(this);
        m_updating = 1;
        SetDlgItemTextW(Dialog(), static_cast<int>(m_controlId), text ? text : u"");
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}
