// Links of buttons: check box, push button, radio-button group and the toggle button that steps a
// two- or three-state item.
#pragma once

#include "optitem_dlglink.h"

class QORVAOptItemDlgLinkCheckbox : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkCheckbox(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                DWORD linkFlags = 0);
    // Any notification: the check mark becomes the selection (1 checked, else 0).
    LRESULT Command(WORD code, DWORD controlId) override;
    // Checked when the selection is nonzero; unchecked while the item is disabled, unless the
    // link keeps the selection shown.
    void UpdateControl(QORVAOptItemDlgLink* source) override;
};

class QORVAOptItemDlgLinkPushbutton : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkPushbutton(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                  DWORD linkFlags = 0);
    // Any notification presses the item (its dialog opens over the button's dialog).
    LRESULT Command(WORD code, DWORD controlId) override;
};

// The group is the buttons with ids from the link's control id to control id + option count - 1,
// one per option; the link is stored on every one of them.
class QORVAOptItemDlgLinkRadiobutton : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkRadiobutton(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                   DWORD linkFlags = 0);
    DWORD Detach(HWND dialog) override;
    // A button of the group selects its option (id 0: the first checked button's).
    LRESULT HandleCommand(WORD code, DWORD controlId) override;
    void UpdateControl(QORVAOptItemDlgLink* source) override;

protected:
    DWORD LastId() const;
};

class QORVAOptItemDlgLinkTogglebutton : public QORVAOptItemDlgLink {
public:
    QORVAOptItemDlgLinkTogglebutton(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId,
                                    DWORD linkFlags = 0);
    // Steps the selection (forward with flag 0x80000000, backward with 0x40000000), else tells the
    // item's observers that the button was pressed.
    LRESULT Command(WORD code, DWORD controlId) override;
    // The caption is the selected option's text.
    void UpdateControl(QORVAOptItemDlgLink* source) override;

protected:
    LONG m_step;
};
