#include "filtered_edit.h"

#include <algorithm>
#include <vector>

#include <win/strsafe.h>
#include <win/winnls.h>

#include "coresources.h"
#include "device_info_controls.h"
#include "items/optitem_handler.h"
#include "printer_address.h"

namespace {

constexpr DWORD kWarningCaption = 33300;
constexpr DWORD kAccountWarning = 33429;
constexpr DWORD kWatermarkWarning = 19514;
constexpr DWORD kCustomNameWarning = 17262;
constexpr DWORD kAccountWidth = 16;
constexpr DWORD kUserTrackingId = 25502;  // takes full-width text: names may be written in kana

constexpr char16_t kAccountRemoved[] = u"+\"";
constexpr char16_t kWatermarkRemoved[] = u"=";
constexpr char16_t kCustomNameRemoved[] = u"=\\";

bool IsIn(const char16_t* set, WCHAR c) {
    for (; set && *set; ++set)
        if (*set == c) return true;
    return false;
}

// A caret position after removed characters went, as the 16-bit position the edit takes.
WPARAM Shifted(DWORD position, DWORD removed) {
    return position > removed ? (position - removed) & 0xFFFF : 0;
}

// The account a popup's button already put into a box, taken before the link writes into it.
std::optional<std::u16string> FilledText(HWND box) {
    WCHAR text[kAccountChars] = {};
    if (box) GetWindowTextW(box, text, kAccountChars);
    if (!text[0]) return std::nullopt;
    return std::u16string(text);
}

}  // namespace

EditFilterRule IdAndPasswordRule(DWORD controlId) {
    return {kAccountRemoved, controlId != kUserTrackingId, kAccountWidth, kAccountWarning};
}

EditFilterResult FilterEditText(const std::u16string& text, const EditFilterRule& rule) {
    EditFilterResult result;
    if (text.empty()) return result;
    std::vector<WORD> types(text.size(), 0);
    GetStringTypeExW(LOCALE_SYSTEM_DEFAULT, CT_CTYPE3, text.data(), static_cast<int>(text.size()), types.data());
    DWORD width = 0;
    for (size_t i = 0; i < text.size() && text[i]; ++i) {
        const WCHAR c = text[i];
        const WORD type = types[i];
        if (IsIn(rule.m_removed, c)) {
            ++result.m_removed;
            result.m_refused = true;
            continue;
        }
        if (rule.m_halfWidthOnly && (!(type & C3_HALFWIDTH) || (type & C3_KATAKANA))) result.m_refused = true;
        else result.m_text.push_back(c);
        if (!rule.m_widthLimit) continue;
        width += (type & C3_HALFWIDTH) ? 1 : 2;
        if (width >= rule.m_widthLimit) {
            // A full-width character that does not fit any more is cut, as is all that follows.
            if (width > rule.m_widthLimit && !result.m_text.empty()) result.m_text.pop_back();
            break;
        }
    }
    return result;
}

QVOptItemDlgLinkEditboxFiltered::QVOptItemDlgLinkEditboxFiltered(HANDLE heap, QORVAOptItemHandler* handler,
                                                                 HWND control, DWORD controlId, DWORD linkFlags,
                                                                 const EditFilterRule& rule,
                                                                 std::optional<std::u16string> keptText)
    : QORVAOptItemDlgLinkEditbox(heap, handler, control, controlId, linkFlags), m_rule(rule) {
    m_acceptedText[0] = 0;
    if (!m_handler || !m_control) return;
    if (keptText) {
        m_updating = 1;
        SetWindowTextW(m_control, keptText->c_str());
        m_updating = 0;
    }
    WCHAR opening[kAcceptedChars] = {};
    GetWindowTextW(m_control, opening, kAcceptedChars);
    Accept(opening, m_handler->GetTextLimit());
}

void QVOptItemDlgLinkEditboxFiltered::Accept(LPCWSTR text, LONG limit) {
    StringCchCopyW(m_acceptedText, std::min<size_t>(kAcceptedChars, limit > 0 ? static_cast<size_t>(limit) : 0), text);
}

LRESULT QVOptItemDlgLinkEditboxFiltered::Command(WORD code, DWORD controlId) {
    // The focus codes move the input context of every edit box alike.
    if (code == EN_SETFOCUS || code == EN_KILLFOCUS) QORVAOptItemDlgLinkEditbox::Command(code, controlId);
    if (m_updating) return 0;
    if (code != EN_CHANGE || !m_handler || m_handler->GetTextLimit() <= 0) return 1;
    Filter();
    return 1;
}

void QVOptItemDlgLinkEditboxFiltered::Filter() {
    const LONG limit = m_handler->GetTextLimit();
    std::vector<WCHAR> typed(static_cast<size_t>(limit) + 1, u'\0');
    GetWindowTextW(m_control, typed.data(), limit);
    const LRESULT selection = SendMessageW(m_control, EM_GETSEL, 0, 0);
    const DWORD start = LOWORD(selection), end = HIWORD(selection);

    const EditFilterResult filtered = FilterEditText(typed.data(), m_rule);
    if (filtered.m_refused) {
        if (IDrvResources* resources = ResourcesOf(m_owner))
            resources->MessageBox(CurrentDialog(m_owner), m_rule.m_warningId, kWarningCaption, MB_ICONEXCLAMATION);
    } else {
        Accept(filtered.m_text.c_str(), limit);
    }
    std::vector<WCHAR> shown(static_cast<size_t>(limit) + 1, u'\0');
    StringCchCopyW(shown.data(), static_cast<size_t>(limit), m_acceptedText);

    m_updating = 1;
    m_handler->SelectString(shown.data(), this);
    SetWindowTextW(m_control, shown.data());
    SendMessageW(m_control, EM_SETSEL, Shifted(start, filtered.m_removed), static_cast<LPARAM>(Shifted(end, filtered.m_removed)));
    m_updating = 0;
}

QVOptItemDlgLinkEditboxIDANDPWD::QVOptItemDlgLinkEditboxIDANDPWD(HANDLE heap, QORVAOptItemHandler* handler,
                                                                 HWND control, DWORD controlId, DWORD linkFlags)
    : QVOptItemDlgLinkEditboxFiltered(heap, handler, control, controlId, linkFlags, IdAndPasswordRule(controlId),
                                      FilledText(control)) {}

void QVOptItemDlgLinkEditboxIDANDPWD::UpdateControl(QORVAOptItemDlgLink* source) {
    QORVAOptItemDlgLink::UpdateControl(source);
}

QVOptItemDlgLinkEditboxWMKMessage::QVOptItemDlgLinkEditboxWMKMessage(HANDLE heap, QORVAOptItemHandler* handler,
                                                                     HWND control, DWORD controlId, DWORD linkFlags)
    : QVOptItemDlgLinkEditboxFiltered(heap, handler, control, controlId, linkFlags,
                                      {kWatermarkRemoved, false, 0, kWatermarkWarning}) {}

QVOptItemDlgLinkEditboxCMSName::QVOptItemDlgLinkEditboxCMSName(HANDLE heap, QORVAOptItemHandler* handler,
                                                               HWND control, DWORD controlId, DWORD linkFlags)
    : QVOptItemDlgLinkEditboxFiltered(heap, handler, control, controlId, linkFlags,
                                      {kCustomNameRemoved, false, 0, kCustomNameWarning}) {}
