// Edit boxes that refuse characters the printer or the stored settings cannot carry: the held-job
// and user-tracking IDs and passwords (they go into the job header), the watermark text and the
// custom paper size's name (an "=" or "\" would break the stored settings). Every change the user
// makes is filtered; a refused one brings a warning and the box goes back to the last text it
// accepted, so the handler only ever sees filtered or accepted text.
#pragma once

#include <optional>
#include <string>

#include "items/dlglink_edit.h"

// What one box refuses.
struct EditFilterRule {
    const char16_t* m_removed;  // characters that are dropped and counted as removed
    bool m_halfWidthOnly;       // only half-width characters, and no half-width katakana
    DWORD m_widthLimit;         // 0: none; else the width the text may take, a full-width character counting 2
    DWORD m_warningId;          // the warning's text
};

// The rule of a box by its control id (held-job and user-tracking boxes).
EditFilterRule IdAndPasswordRule(DWORD controlId);

// Outcome of filtering one text.
struct EditFilterResult {
    std::u16string m_text;  // what is kept
    DWORD m_removed = 0;    // characters of the removed set that were dropped
    bool m_refused = false; // some character was not allowed: the change is refused
};

// Filters text (its characters classified by CT_CTYPE3) by the rule.
EditFilterResult FilterEditText(const std::u16string& text, const EditFilterRule& rule);

class QVOptItemDlgLinkEditboxFiltered : public QORVAOptItemDlgLinkEditbox {
public:
    // The box starts out having accepted the text it opens with, so that a first refused keystroke
    // restores that text rather than emptying the box. With keptText the box opens with that text
    // instead of the handler's.
    QVOptItemDlgLinkEditboxFiltered(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                    DWORD linkFlags, const EditFilterRule& rule, std::optional<std::u16string> keptText = {});
    // Focus codes move the input context as every edit box does; EN_CHANGE runs the filter.
    LRESULT Command(WORD code, DWORD controlId) override;

    LPCWSTR AcceptedText() const { return m_acceptedText; }

private:
    void Filter();
    void Accept(LPCWSTR text, LONG limit);

    static constexpr DWORD kAcceptedChars = 260;
    EditFilterRule m_rule;
    WCHAR m_acceptedText[kAcceptedChars];
};

// The popup's buttons fill the account boxes from the account and read them back on OK: a box
// they filled before its link was made keeps that text, and refreshes never write over it.
class QVOptItemDlgLinkEditboxIDANDPWD final : public QVOptItemDlgLinkEditboxFiltered {
public:
    QVOptItemDlgLinkEditboxIDANDPWD(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                    DWORD linkFlags = 0);
    // Enabled, shown and the chain; the text stays the account's.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};

class QVOptItemDlgLinkEditboxWMKMessage final : public QVOptItemDlgLinkEditboxFiltered {
public:
    QVOptItemDlgLinkEditboxWMKMessage(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                      DWORD linkFlags = 0);
};

class QVOptItemDlgLinkEditboxCMSName final : public QVOptItemDlgLinkEditboxFiltered {
public:
    QVOptItemDlgLinkEditboxCMSName(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                   DWORD linkFlags = 0);
};
