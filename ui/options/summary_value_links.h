// The information boxes of the three document pages: each static shows, one per line, the current
// values of settings that live on other pages (resolution, binding margin, paper source...) and
// rewrites its text whenever one of them changes.
//   1013  QORVAOptItemDlgLinkStaticMAINVALUE      Main page
//   2013  QORVAOptItemDlgLinkStaticLAYOUTVALUE    Layout page
//   3013  QORVAOptItemDlgLinkStaticADVANCEDVALUE  Advanced page
#pragma once

#include "items/dlglink_static.h"

// Characters of a box's text, its terminator included; a longer text is cut.
inline constexpr DWORD kSummaryTextChars = 256;
// Characters of the binding margin's text, its terminator included.
inline constexpr DWORD kBindingMarginTextChars = 64;

// The binding margin as the boxes show it: the amount of item 25611 (hundredths of a millimetre)
// while item 2602 is on, else 0, in millimetres rounded ("13  mm") or in inches with two
// decimals ("1.96 インチ") as item 17250 says.
void FormatBindingMargin(QORVAOptItemNotify* reader, LPWSTR text, DWORD chars);

// The part the three share: the watched items, and the text rebuilt from a format string.
class QORVAOptItemDlgLinkStaticSummary : public QORVAOptItemDlgLinkStatic {
public:
    DWORD Notify(DWORD id, WORD code, DWORD depth) override;
    // The box's text from its format (left as it is when the format is missing), then the chain.
    void UpdateControl(QORVAOptItemDlgLink* source) final;

protected:
    QORVAOptItemDlgLinkStaticSummary(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                     DWORD linkFlags);
    // Registers the link as an observer of each item and keeps its handler in handlers.
    void Watch(const DWORD* items, DWORD count, QORVAOptItemHandler** handlers);
    // The format string of the box (the string of its control id); false when it is missing.
    bool LoadFormat(LPWSTR format, DWORD chars);
    // Sets the box's text from the format and the page's values (margin: the binding margin's
    // text) through Show.
    virtual void ShowValues(LPCWSTR format, LPCWSTR margin) = 0;
    // Sets the box's text from the format and the values, cut to kSummaryTextChars.
    void Show(LPCWSTR format, ...);
    // The selected text of an item, empty when none.
    static LPCWSTR SelText(QORVAOptItemHandler* handler);
};

class QORVAOptItemDlgLinkStaticMAINVALUE : public QORVAOptItemDlgLinkStaticSummary {
public:
    QORVAOptItemDlgLinkStaticMAINVALUE(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                       DWORD linkFlags = 0);

protected:
    void ShowValues(LPCWSTR format, LPCWSTR margin) override;

private:
    QORVAOptItemHandler* m_handlers[8] = {};
};

class QORVAOptItemDlgLinkStaticLAYOUTVALUE : public QORVAOptItemDlgLinkStaticSummary {
public:
    QORVAOptItemDlgLinkStaticLAYOUTVALUE(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                         DWORD linkFlags = 0);

protected:
    void ShowValues(LPCWSTR format, LPCWSTR margin) override;

private:
    QORVAOptItemHandler* m_handlers[10] = {};
};

class QORVAOptItemDlgLinkStaticADVANCEDVALUE : public QORVAOptItemDlgLinkStaticSummary {
public:
    QORVAOptItemDlgLinkStaticADVANCEDVALUE(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                           DWORD linkFlags = 0);

protected:
    void ShowValues(LPCWSTR format, LPCWSTR margin) override;

private:
    QORVAOptItemHandler* m_handlers[10] = {};
};
