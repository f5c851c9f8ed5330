// Links of edit boxes: the text box of an edit item, the number boxes of up/down, track-bar and
// scroll-bar items, and the box that shows a list item's selected text beside its arrows. While an
// edit or up/down number box has the focus its input method is switched off, unless the link
// keeps it (m_keepIme); the context taken away is kept module-wide (one for edit boxes, one for
// number boxes) until the focus leaves.
#pragma once

#include <win/imm.h>

#include "optitem_dlglink.h"

// A box whose input method is switched off while it has the focus, unless the link keeps it.
class QORVAOptItemDlgLinkImeBox : public QORVAOptItemDlgLink {
public:
    using QORVAOptItemDlgLink::QORVAOptItemDlgLink;

    // Nonzero: the input method stays on while the box has the focus.
    void SetKeepIme(DWORD keep) { m_keepIme = keep; }

protected:
    // EN_SETFOCUS takes the box's input context away into kept, EN_KILLFOCUS puts it back.
    void SwitchIme(WORD code, HIMC& kept);

    DWORD m_keepIme = 0;  // nonzero: the input method stays on while the box has the focus
};

class QORVAOptItemDlgLinkEditbox : public QORVAOptItemDlgLinkImeBox {
public:
    QORVAOptItemDlgLinkEditbox(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                               DWORD linkFlags = 0);
    // Focus codes move the input context; EN_CHANGE hands the typed text to the handler.
    LRESULT Command(WORD code, DWORD controlId) override;
    // The text is the handler's value text, unless this link caused the change.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};

// The number box of a number item.
class QORVAOptItemDlgLinkNumberBox : public QORVAOptItemDlgLinkImeBox {
public:
    // Focus codes move the input context; leaving the box commits its number.
    LRESULT Command(WORD code, DWORD controlId) override;
    // The typed number becomes the item's value; the box then shows the stored value again.
    void Commit() override;
    // The selection as a signed decimal number.
    void UpdateControl(QORVAOptItemDlgLink* source) override;

protected:
    // keepIme nonzero: the input method is never switched off.
    QORVAOptItemDlgLinkNumberBox(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                 DWORD linkFlags, DWORD keepIme);
};

// The box of an up/down item: its input method is off while it has the focus.
class QORVAOptItemDlgLinkUDArrowNumber : public QORVAOptItemDlgLinkNumberBox {
public:
    QORVAOptItemDlgLinkUDArrowNumber(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                     DWORD linkFlags = 0);
};

// The box beside a track bar or scroll bar: its input method stays as it is.
class QORVAOptItemDlgLinkXBarNumber : public QORVAOptItemDlgLinkNumberBox {
public:
    QORVAOptItemDlgLinkXBarNumber(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                  DWORD linkFlags = 0);
};

// Shows the selected option's text; its arrows step the item.
class QORVAOptItemDlgLinkUDArrowList : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkUDArrowList(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                   DWORD linkFlags = 0);
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};

// Reads a number box as an unsigned decimal number (the whole text, at most 10 digits that fit a
// u32); FALSE when it does not read.
BOOL ReadNumberBox(HWND box, DWORD* number);
