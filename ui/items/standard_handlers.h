// The standard handler classes: one per OPTTYPE type, and the default handler of items that no
// page provides. The driver's own handlers derive from these.
#pragma once

#include "optitem_handler.h"

class QORVAOptItemHandler2States : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
};

class QORVAOptItemHandler3States : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
};

// Scroll bar, track bar and up-down arrow keep their range in option 1 (IconID the minimum,
// lParam the maximum); values are clamped into it and the selection is the value.
class QORVAOptItemHandlerRange : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerRange(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);
    LONG_PTR SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) override;
    LONG_PTR GetSelValue(QORVAOptItemDlgLink* link, DWORD* isText) override;

protected:
    // Clamps a value read at the class's width into the range and selects it.
    void SelectClamped(LONG value);
};

class QORVAOptItemHandlerUDArrow : public QORVAOptItemHandlerRange {
public:
    using QORVAOptItemHandlerRange::QORVAOptItemHandlerRange;
    void SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) override;  // a signed 32-bit number
    void GetValue(QORVAOptItemDlgLink* link, LONG_PTR* value, DWORD* isText) override;
};

class QORVAOptItemHandlerTrackbar : public QORVAOptItemHandlerRange {
public:
    using QORVAOptItemHandlerRange::QORVAOptItemHandlerRange;
    void SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) override;  // a signed 16-bit number
};

class QORVAOptItemHandlerScrollbar : public QORVAOptItemHandlerRange {
public:
    using QORVAOptItemHandlerRange::QORVAOptItemHandlerRange;
    void SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) override;  // a signed 16-bit number
};

class QORVAOptItemHandlerList : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;

protected:
    ~QORVAOptItemHandlerList() override = default;  // only its list classes are made
};

class QORVAOptItemHandlerListbox : public QORVAOptItemHandlerList {
public:
    using QORVAOptItemHandlerList::QORVAOptItemHandlerList;
};

class QORVAOptItemHandlerCombobox : public QORVAOptItemHandlerList {
public:
    using QORVAOptItemHandlerList::QORVAOptItemHandlerList;
};

// The item's text lives in the buffer pSel, GetTextLimit characters long with its terminator.
class QORVAOptItemHandlerEditbox : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
    LONG_PTR SelectString(LPCWSTR text, QORVAOptItemDlgLink* link) override;
    void GetValue(QORVAOptItemDlgLink* link, LONG_PTR* value, DWORD* isText) override;
    void QSave(StoredItemSet* set) override;
    void QLoad(LPCWSTR text, DWORD* loadedOk) override;
};

// Pressing is Push; the selection never changes.
class QORVAOptItemHandlerPushbutton : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
    LONG_PTR GetSel() override;
    LONG_PTR SetCurSel(LONG_PTR selection, QORVAOptItemDlgLink* link) override;
    void SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) override;
    LONG_PTR GetSelValue(QORVAOptItemDlgLink* link, DWORD* isText) override;
};

class QORVAOptItemHandlerCheckbox : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
};

// Each option is one tab; its IconID holds the key of the tab's first item.
class QORVAOptItemHandlerTabCtrl : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
    // The handlers of one tab's items one after the other: cursor 0 on the first call; null at
    // the end. cursor and level are in/out.
    QORVAOptItemHandler* NextTabItem(LONG tab, DWORD* cursor, DWORD* level);
};

class QORVAOptItemHandlerNone : public QORVAOptItemHandler {
public:
    using QORVAOptItemHandler::QORVAOptItemHandler;
};

// For a key that no page item has: it owns a hidden two-option item whose DMPubID and
// UserItemID give the key back, and stays disabled (state bits 0xFFFF) until a constraint clears
// the reasons.
class QORVAOptItemHandlerDefault : public QORVAOptItemHandler {
public:
    QORVAOptItemHandlerDefault(HANDLE heap, QORVAOptItemHandlerFactory* factory, DWORD key);
    ~QORVAOptItemHandlerDefault() override;
    DWORD IsDefaultItem() override;

private:
    OPTITEM m_ownItem{};
};

// A handler of the standard class for an OPTTYPE type (TVOT_NONE and unknown types: None), made
// on the heap; null when the heap refuses.
QORVAOptItemHandler* MakeStandardHandler(HANDLE heap, QORVAOptItemHandlerFactory* factory, POPTITEM item);
