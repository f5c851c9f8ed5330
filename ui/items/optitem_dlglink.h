// QORVAOptItemDlgLink: binds one option item's handler to one control window of a kit page or
// popup. The factory makes one link per bound control when a page opens; its dialog procedure
// finds a control's link through the window property under the "optItemHandler" atom and hands
// the link the control's messages. A link turns the control's notifications into handler calls
// and writes the handler's state back into the control (UpdateControl). One handler may own
// several links (an edit box with its arrows, a static that echoes the value); they form a chain
// that every refresh walks. The control-kind classes (dlglink_*.h) override single slots.
//
// Links come zero-filled from the sheet heap and are freed at the dialog's WM_NCDESTROY without
// a destructor, after Detach: whatever a link allocates, Detach gives back.
#pragma once

#include <win/windows.h>

#include "optitem_notify.h"

// Kit flags in the high bits of a link's flags (the low 16 bits are the control's style).
inline constexpr DWORD kLinkStatesText = 0x20000000;       // a static shows a two/three-state item's text
inline constexpr DWORD kLinkNeedsTwoOptions = 0x40000000;  // disabled below two visible options; toggle steps back
inline constexpr DWORD kLinkKeepSelection = 0x80000000;    // check box shows its state while disabled; toggle steps on

// Link kinds: a control the user changes the item through, and a static that only shows it.
inline constexpr DWORD kLinkInput = 1;
inline constexpr DWORD kLinkDisplay = 2;

class QORVAOptItemDlgLink : public QORVAOptItemNotify {
public:
    QORVAOptItemDlgLink(HANDLE heap, QORVAOptItemHandler* handler, HWND control, DWORD controlId, DWORD linkFlags);
    ~QORVAOptItemDlgLink() override;

    // Slots after the notify ones, in this order.
    // Releases what the link holds unless its control belongs to another dialog; nonzero when the
    // caller may free the link.
    virtual DWORD Detach(HWND dialog);
    virtual LRESULT Command(WORD code, DWORD controlId);
    virtual LRESULT HandleCommand(WORD code, DWORD controlId);
    virtual LRESULT DrawItem(LPARAM drawItem);
    // Every message of a subclassed control, before the control's own procedure.
    virtual LRESULT SetCursor(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNotify(LPARAM header);
    // Takes typed text from the control into the item.
    virtual void Commit();
    // Context help of the item for the control (HELP_WM_HELP or HELP_CONTEXTMENU); 0 when the
    // item has none.
    virtual LRESULT Help(DWORD controlId, DWORD command);
    virtual LRESULT OnHScroll(WPARAM wParam);
    virtual LRESULT OnVScroll(WPARAM wParam);
    virtual LRESULT OnVKeyToItem(WPARAM wParam);
    // One option was hidden or shown, or its text changed: the base passes it down the chain.
    virtual void ShowOption(LONG index, DWORD shown, QORVAOptItemDlgLink* source);
    virtual void RefreshOption(LONG index, QORVAOptItemDlgLink* source);
    // Writes the item's state into the control (source: the link whose control caused the
    // change, or none), enables and shows it, then the next link of the chain.
    virtual void UpdateControl(QORVAOptItemDlgLink* source);

    // The link count steps after first (0: first itself; 65534 reaches the chain's end); *isLast
    // tells whether the link reached is the last of the chain.
    static QORVAOptItemDlgLink* GetChainLink(QORVAOptItemDlgLink* first, DWORD count, DWORD* isLast);
    // The first link of the chain whose kind is kind, or null.
    static QORVAOptItemDlgLink* FindInputLink(QORVAOptItemDlgLink* first, DWORD kind);
    // The window procedure links put on controls they subclass (the control's own one is kept in
    // savedWndProc and put back at WM_NCDESTROY).
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The link stored on a control, or null.
    static QORVAOptItemDlgLink* FromWindow(HWND control);

    // The selection of the watermark item (key 2402).
    LONG_PTR GetWatermarkSel();
    // The selected option's text of an item; empty when its handler gives none.
    LPCWSTR GetItemText(DWORD itemKey);

    QORVAOptItemHandler* Handler() const { return m_handler; }
    HWND Control() const { return m_control; }
    DWORD ControlId() const { return m_controlId; }
    DWORD LinkFlags() const { return m_linkFlags; }
    DWORD LinkKind() const { return m_linkKind; }
    QORVAOptItemDlgLink* NextLink() const { return m_nextLink; }
    void SetNextLink(QORVAOptItemDlgLink* link) { m_nextLink = link; }
    // Non-zero: a change through this link repaints every queued control at once.
    DWORD Immediate() const { return m_immediate; }
    void SetImmediate(DWORD immediate) { m_immediate = immediate; }

protected:
    // The enabling and showing of UpdateControl, without the chain.
    void EnableAndShow();
    // Stores this link on a window under the "optItemHandler" property.
    void StoreOn(HWND window);
    // Removes the "optItemHandler" property from a window.
    static void RemoveFrom(HWND window);
    // The control's dialog.
    HWND Dialog() const;
    // Whether the control lives on in a dialog other than dialog (a destroyed one has no parent):
    // its link is kept then.
    bool InOtherDialog(HWND dialog) const;
    // Repaints the handler's chain at once with this link as source and runs the sheet's pending
    // refreshes, unless the handler is refreshing already.
    void RefreshNow();
    // Puts SubclassProc on the control, keeping its own procedure.
    void SubclassControl();

    QORVAOptItemHandler* m_handler = nullptr;
    HWND m_control = nullptr;
    DWORD m_controlId = 0;
    DWORD m_linkFlags = 0;
    DWORD m_updating = 0;
    DWORD m_immediate = 0;  // the reserved word: the immediate-refresh mark
    DWORD m_linkKind = kLinkInput;
    QORVAOptItemDlgLink* m_nextLink = nullptr;
    WNDPROC m_savedWndProc = nullptr;
};

// The context id a help request for an item shows: its HelpIndex for items keyed 100 to
// 0x7FFFFFFF (not the special key 0x800075C6, not HelpIndex 65535), else the control id.
DWORD ItemHelpContext(DWORD itemKey, DWORD helpIndex, DWORD controlId);
// Opens help for a control: a path that contains ".HLP" (the path is upper-cased first) through
// WinHelpW with the id pair list {control id, context id, 0, 0}, any other through HtmlHelpW of
// hhctrl.ocx (HH_HELP_CONTEXT with the control id). FALSE when nothing could be opened.
BOOL ShowItemHelp(HWND owner, LPCWSTR helpFile, UINT command, DWORD controlId, DWORD contextId);
