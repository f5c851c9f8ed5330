// Links of the controls that step a value: the up/down arrows beside a number or list box, and the
// scroll bar of a scroll-bar or track-bar item.
#pragma once

#include "optitem_dlglink.h"

class QORVAOptItemDlgLinkUDArrowSpin : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkUDArrowSpin(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                   DWORD linkFlags = 0);
    // UDN_DELTAPOS: the buddy box commits what was typed, then the selection steps by one (up for
    // a delta of 0 or less, down for a positive one); the arrows keep their own position.
    LRESULT OnNotify(LPARAM header) override;
    // The item's input box gets its caret at the start.
    LRESULT OnVScroll(WPARAM wParam) override;

protected:
    // The buddy box takes what was typed in it, so that a step starts from there and the typed
    // text is not lost when the box is written again.
    void CommitBuddy();
};

class QORVAOptItemDlgLinkScrollbar : public QORVAOptItemDlgLink {
public:
    // The range comes from option 1: minimum its icon id, maximum its parameter; page 1.
    QORVAOptItemDlgLinkScrollbar(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                 DWORD linkFlags = 0);
    // Lines step by one, pages by ten, the thumb sets the value.
    LRESULT OnHScroll(WPARAM wParam) override;
    // The position is the item's value.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};
