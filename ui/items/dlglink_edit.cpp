// Edit box and number box links.
#include "dlglink_edit.h"

#include <string>
#include <vector>

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

// --- input method ------------------------------------------------------------------------------

void QORVAOptItemDlgLinkImeBox::SwitchIme(WORD code, HIMC& kept) {
    if (m_keepIme) return;
    if (code == EN_SETFOCUS) {
        kept = ImmAssociateContext(m_control, nullptr);
    } else if (code == EN_KILLFOCUS && kept) {
        ImmAssociateContext(m_control, kept);
        kept = nullptr;
    }
}

// --- edit box ---------------------------------------------------------------------------------

QORVAOptItemDlgLinkEditbox::QORVAOptItemDlgLinkEditbox(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                       DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkImeBox(heap, handler, control, controlId, linkFlags) {
    if (m_handler) {
        const LONG limit = m_handler->GetTextLimit();
        if (limit > 1) SendMessageW(m_control, EM_LIMITTEXT, static_cast<WPARAM>(limit - 1), 0);
    }
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkEditbox::Command(WORD code, DWORD) {
    if (!m_handler || m_updating) return 0;
    SwitchIme(code, g_editContext);
    if (code == EN_CHANGE) {
        const LONG limit = m_handler->GetTextLimit();
        if (limit <= 0) return 1;
        std::vector<WCHAR> text(static_cast<size_t>(limit) + 1, u'\0');
        GetWindowTextW(m_control, text.data(), limit + 1);
        m_updating = 1;
        m_handler->SelectString(text.data(), this);
        m_updating = 0;
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

// --- number boxes ------------------------------------------------------------------------------

QORVAOptItemDlgLinkNumberBox::QORVAOptItemDlgLinkNumberBox(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                           DWORD controlId, DWORD linkFlags, DWORD keepIme)
    : QORVAOptItemDlgLinkImeBox(heap, handler, control, controlId, linkFlags) {
    m_keepIme = keepIme;
    UpdateControl(nullptr);
}

LRESULT QORVAOptItemDlgLinkNumberBox::Command(WORD code, DWORD) {
    if (!m_handler || m_updating) return 0;
    SwitchIme(code, g_numberContext);
    if (code == EN_KILLFOCUS) Commit();
    return 0;
}

void QORVAOptItemDlgLinkNumberBox::Commit() {
    if (!m_handler) return;
    DWORD number = 0;
    if (ReadNumberBox(m_control, &number)) m_handler->SetValue(number, this);
    RefreshNow();
}

void QORVAOptItemDlgLinkNumberBox::UpdateControl(QORVAOptItemDlgLink* source) {
    if (m_handler) {
        m_updating = 1;
        WriteNumber(m_control, m_handler->GetSel());
        m_updating = 0;
    }
    QORVAOptItemDlgLink::UpdateControl(source);
}

QORVAOptItemDlgLinkUDArrowNumber::QORVAOptItemDlgLinkUDArrowNumber(HANDLE heap, QORVAOptItemHandler* handler,
                                                                   HWND control, DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkNumberBox(heap, handler, control, controlId, linkFlags, 0) {}

QORVAOptItemDlgLinkXBarNumber::QORVAOptItemDlgLinkXBarNumber(HANDLE heap, QORVAOptItemHandler* handler, HWND control,
                                                             DWORD controlId, DWORD linkFlags)
    : QORVAOptItemDlgLinkNumberBox(heap, handler, control, controlId, linkFlags, 1) {}

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
