// QORVAOptItemHandler: the one way the plug-in reads or changes an option item (an OPTITEM with
// its OPTTYPE and OPTPARAM array). Dialog links show it, constraints watch and steer it, the
// factory commits or cancels it. It keeps the selection and the option lists, a word of state
// bits (each a reason why the item's controls are disabled, with a hint per reason), a
// visibility word, the chain of links that show it, and its place in the sheet's pending-refresh
// list so that each control is repainted once per burst of changes.
//
// Selections and option values are pointer-sized: an option's lParam is either the value itself
// (its bits 16 and up clear) or the address of the value (a u32) or of the option's text.
#pragma once

#include <win/compstui.h>
#include <win/windows.h>

#include "item_key.h"
#include "optitem_notify.h"

class QORVAOptItemDlgLink;
struct StoredItemSet;

// The last handler of the pending-refresh list points here.
inline QORVAOptItemHandler* const kPendingEnd = reinterpret_cast<QORVAOptItemHandler*>(~ULONG_PTR{0});

// OPTTYPE types the framework adds to the platform's: a push target that opens a property sheet,
// one that opens a common property sheet, and a tab item.
inline constexpr BYTE kTypePropSheet = 15;
inline constexpr BYTE kTypePropSheetUI = 16;
inline constexpr BYTE kTypeTabControl = 20;

class QORVAOptItemHandler : public QORVAOptItemNotify {
public:
    QORVAOptItemHandler(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);
    ~QORVAOptItemHandler() override;

    // Slots after the notify ones, in this order.
    virtual LPCWSTR LoadResString(DWORD id);
    virtual LONG GetTextLimit();
    virtual LONG GetOptionCount();
    virtual LONG GetVisibleOptionCount(QORVAOptItemDlgLink* link);
    virtual DWORD IsDefaultItem();
    virtual BYTE GetOptionFlags(LONG index);
    virtual BYTE SetOptionFlags(LONG index, BYTE set, BYTE clear, QORVAOptItemDlgLink* link);
    virtual LPCWSTR GetOptionText(LONG index, DWORD* visible, QORVAOptItemDlgLink* link);
    virtual void SetOptionText(LONG index, LPWSTR text);
    virtual ULONG_PTR GetOptionIconID(LONG index, DWORD* visible);
    virtual void SetOptionIconID(LONG index, ULONG_PTR id);
    virtual LPARAM GetOptionParam(LONG index, DWORD* visible);
    virtual void SetOptionParam(LONG index, LPARAM value);
    virtual LPCWSTR GetSelText(QORVAOptItemDlgLink* link);
    virtual ULONG_PTR GetSelIconID(QORVAOptItemDlgLink* link);
    virtual LONG_PTR StepSel(LONG delta, QORVAOptItemDlgLink* link);
    virtual void ReadControl(QORVAOptItemDlgLink* link);
    virtual LPCWSTR GetEditText();
    virtual LONG_PTR GetSel();
    virtual LPWSTR GetSelPtr();
    virtual LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link);
    virtual LONG_PTR SelectString(LPCWSTR text, QORVAOptItemDlgLink* link);
    virtual void SetValue(LONG_PTR value, QORVAOptItemDlgLink* link);
    virtual LONG_PTR GetOptionValue(LONG index, QORVAOptItemDlgLink* link);
    virtual LONG_PTR GetSelValue(QORVAOptItemDlgLink* link, DWORD* isText);
    virtual void GetValue(QORVAOptItemDlgLink* link, LONG_PTR* value, DWORD* isText);
    virtual DWORD Push(HWND parent);
    virtual void SaveSettings(HWND window);
    virtual void CancelSettings(HWND window);
    virtual DWORD IsStateClear(QORVAOptItemDlgLink* link, DWORD mask);
    virtual DWORD GetExtState();
    virtual void QSave(StoredItemSet* set);
    virtual void QLoad(LPCWSTR text, DWORD* loadedOk);

    // Hides (show 0) or shows an option; show's bit 0x8000 keeps the selection where it is.
    void HideOption(LONG index, DWORD show, QORVAOptItemDlgLink* link);
    // Renews one option's row in every control of the chain, then tells the observers.
    void ApplyParent(LONG index, QORVAOptItemDlgLink* link);
    void AttachDlgLink(QORVAOptItemDlgLink* link);
    // The chain's head, when the first link leaves it.
    void SetFirstLink(QORVAOptItemDlgLink* link) { m_firstLink = link; }
    // Whether the selection is the value itself (rather than an option index).
    bool IsValueItem();
    // Queues the item's controls for repainting (or repaints them at once).
    void Invalidate(QORVAOptItemDlgLink* link);
    void RefreshChain();
    DWORD ClearStateBits(DWORD mask);
    DWORD SetStateBits(DWORD mask);
    void SetExtState(DWORD value);
    // Sets (message id and bit non-zero) or clears one reason bit and keeps its hint: the extra
    // word in the high half, the message id in the low half.
    void SetLinkState(DWORD bit, WORD messageId, WORD extra);

    POPTITEM Item() const { return m_item; }
    DWORD ItemKey() const { return m_key; }
    DWORD Group() const { return m_group; }
    BYTE Type() const;  // the OPTTYPE type, TVOT_NONE without one
    QORVAOptItemHandlerFactory* Factory() const { return m_factory; }
    QORVAOptItemDlgLink* FirstLink() const { return m_firstLink; }
    DWORD StateBits() const { return m_stateBits; }
    DWORD Hint(DWORD slot) const { return slot < 9 ? m_hints[slot] : 0; }
    DWORD Note() const { return m_note; }
    void SetNote(DWORD note) { m_note = note; }
    void SetAlternateItem(POPTITEM item) { m_alternate = item; }
    void SetWrap(DWORD wrap) { m_wrap = wrap; }
    void SetBounds(LONG minimum, LONG maximum) {
        m_minimum = minimum;
        m_maximum = maximum;
    }
    LONG Minimum() const { return m_minimum; }
    LONG Maximum() const { return m_maximum; }
    void SetHasLink(DWORD hasLink) { m_hasLink = hasLink; }
    DWORD HasLink() const { return m_hasLink; }
    void SetImmediateRefresh(DWORD immediate) { m_immediateRefresh = immediate; }
    QORVAOptItemHandler* NextPending() const { return m_nextPending; }
    void SetNextPending(QORVAOptItemHandler* next) { m_nextPending = next; }
    DWORD Refreshed() const { return m_refreshed; }

protected:
    POPTPARAM OptionAt(LONG index) const;  // null outside 0..Count-1
    // The selection as a pointer-sized value: the text buffer of an edit item, else Sel.
    LONG_PTR RawSel() const;
    // Whether the selection is a text (the buffer of an edit item).
    bool SelIsText() const;
    void StoreSel(LONG_PTR selection);
    // Tells the universal driver about a changed item (the rule of SetCurSel; hideAround: clear
    // the hide flag for the call on items not keyed by DMPubID and UserItemID).
    void TellDriver(bool hideAround);
    // Queues this handler unless it is refreshed or queued already.
    void Queue();

    POPTITEM m_item = nullptr;
    POPTITEM m_alternate = nullptr;
    DWORD m_wrap = 1;
    LONG m_minimum = 0;
    LONG m_maximum = -1;
    QORVAOptItemDlgLink* m_firstLink = nullptr;
    DWORD m_stateBits = 0;
    DWORD m_visibility = 1;
    DWORD m_hasLink = 0;
    DWORD m_immediateRefresh = 0;
    QORVAOptItemHandler* m_nextPending = nullptr;
    DWORD m_refreshed = 0;
    LPCWSTR* m_textCache = nullptr;
    LONG m_textCacheCount = 0;
    QORVAOptItemHandlerFactory* m_factory = nullptr;
    // The reason hints: slot 0 for other bits, slots 1 to 8 for bits 0x100 to 0x8000.
    DWORD m_hints[9] = {};
    DWORD m_note = 0;
    DWORD m_key = 0;
    WORD m_group = 0;
};
