// QORVAOptItemDlgLink: binds one option item's handler to one control window of a kit page or
// popup. What the handlers rely on is here: the chain of links of one handler (each holds the
// next), the repaint of a control from the item's state, and the per-option renewals that walk
// the chain. The control-kind subclasses override these slots.
#pragma once

#include <win/windows.h>

#include "optitem_notify.h"

class QORVAOptItemDlgLink : public QORVAOptItemNotify {
public:
    QORVAOptItemDlgLink(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId, DWORD linkFlags);
    ~QORVAOptItemDlgLink() override;

    // Slots after the notify ones, in this order.
    virtual DWORD Detach(HWND dialog);
    virtual LRESULT Command(WORD code, DWORD controlId);
    virtual LRESULT HandleCommand(WORD code, DWORD controlId);
    virtual LRESULT DrawItem(LPARAM drawItem);
    virtual LRESULT SetCursor(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNotify(LPARAM header);
    virtual void Commit();
    virtual LRESULT Help(DWORD controlId, DWORD command);
    virtual LRESULT OnHScroll(WPARAM wParam);
    virtual LRESULT OnVScroll(WPARAM wParam);
    virtual LRESULT OnVKeyToItem(WPARAM wParam);
    virtual void ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source);
    virtual void RefreshOption(LONG index, QORVAOptItemDlgLink* source);
    virtual void UpdateControl(QORVAOptItemDlgLink* source);

    QORVAOptItemHandler* Handler() const { return m_handler; }
    HWND Control() const { return m_control; }
    QORVAOptItemDlgLink* NextLink() const { return m_nextLink; }
    void SetNextLink(QORVAOptItemDlgLink* link) { m_nextLink = link; }
    // Non-zero: a change through this link repaints every queued control at once.
    DWORD Immediate() const { return m_immediate; }
    void SetImmediate(DWORD immediate) { m_immediate = immediate; }

protected:
    QORVAOptItemHandler* m_handler = nullptr;
    HWND m_control = nullptr;
    DWORD m_controlId = 0;
    DWORD m_linkFlags = 0;
    DWORD m_updating = 0;
    DWORD m_immediate = 0;
    DWORD m_linkKind = 1;
    QORVAOptItemDlgLink* m_nextLink = nullptr;
    WNDPROC m_savedWndProc = nullptr;
};
