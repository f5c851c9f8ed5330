// QORVAOptItemHandlerFactory: the hub of one property sheet. It owns the handler of every option
// item (by item key), makes handlers of the standard classes, keeps the UserData list of the key
// rule, the nested-dialog levels with their undo records, the pending-refresh list and the
// notifications switch, and commits the items on Apply. It is abstract: the driver's subclass
// supplies the constraints, the defaults, the item preparation and the links of its controls.
// The factory is its own owner in the notify base; the sheet-wide constraints attach to it.
#pragma once

#include <unordered_map>

#include <win/compstui.h>
#include <win/prcomoem_ui.h>
#include <win/windows.h>

#include "item_key.h"
#include "optitem_notify.h"
#include "xpr.h"

class CoUIPluginExt;
struct IDrvResources;
class QORVAOptItemDlgLink;
class QORVASystemFunc;

// The common property sheet's callback record.
struct CPSUICBPARAM;

inline constexpr DWORD kMaxPushLevels = 5;

// Opens the driver's help at a context: WinHelp for a ".HLP" file, else HTML Help.
void OpenSheetHelp(IDrvResources* resources, HWND window, DWORD contextId);

// An undo record of one nested level: the selection (or, for edit items, the text) a handler had
// when the level opened.
struct UndoRecord {
    HANDLE m_heap;
    LONG_PTR m_selection;
    LPWSTR m_text;  // heap copy for edit items, else null
};

using UndoMap = std::unordered_map<QORVAOptItemHandler*, UndoRecord*, std::hash<QORVAOptItemHandler*>,
                                   std::equal_to<QORVAOptItemHandler*>,
                                   SheetHeapAllocator<std::pair<QORVAOptItemHandler* const, UndoRecord*>>>;

// The stores the sheet's stored settings are kept in: on the document sheet WATERMARKSETTINGS,
// DOCUMENTSETTINGS and PRINTERFEATURE, on the printer sheet PRINTERFEATURE.
struct StoredSettingsRecord {
    QORVAOptItemHandlerFactory* m_factory;
    HANDLE m_heap;
    XprStore* m_watermarkSettings;
    XprStore* m_documentSettings;
    XprStore* m_printerFeature;
};

class QORVAOptItemHandlerFactory : public QORVAOptItemNotify {
public:
    QORVAOptItemHandlerFactory(POEMCUIPPARAM record, CoUIPluginExt* extension, IPrintOemDriverUI* driverUI,
                               void* subclassValue);
    ~QORVAOptItemHandlerFactory() override;

    // Slots after the notify ones, in this order.
    virtual QORVAOptItemHandler* CreateHandler(POPTITEM item);
    virtual void CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler);
    virtual void CreateConstraints() = 0;
    virtual void ApplyDefaults() = 0;
    virtual void PrepareItems() = 0;
    virtual LRESULT InitDialog(HWND dialog);
    virtual INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnOK(HWND dialog);
    virtual void OnCancel(HWND dialog);
    virtual DWORD OnPush(CPSUICBPARAM* callback, DWORD sync);

    // The link of one control chosen by its window class and style (null when the control is missing
    // or its class has no link); the handler is marked as having a link.
    QORVAOptItemDlgLink* CreateDlgLinkByClass(HWND dialog, QORVAOptItemHandler* handler, DWORD controlId,
                                              DWORD extraFlags);
    // The common property sheet's callback of the plug-in's items.
    LONG OnCallback(CPSUICBPARAM* callback);
    // Repaints every queued handler's controls; the list is empty afterwards. With a page window
    // (and no nested level open or closing) the property sheet is first told that it changed.
    void FlushPending(HWND dialog);
    void FlushList();
    // Closes the innermost nested level, undoing its changes when asked.
    void EndPushLevel(BOOL undo);
    // A push button's dialog: opens the dialog or nested sheet of its push target record on a
    // nested level of its own and closes the level (undone when the dialog was cancelled).
    // Answers whether the sheet is the platform's tree (UI type 1).
    DWORD PushHandler(QORVAOptItemHandler* handler, HWND parent);

    // The key of an item on this sheet (with the sheet's UserData list).
    DWORD GetPubID(const OPTITEM* item, WORD* group = nullptr);
    // The handler map: a key's handler (null when none) and a new entry (FALSE when the heap refuses).
    QORVAOptItemHandler* FindHandler(DWORD key) const;
    BOOL StoreHandler(DWORD key, QORVAOptItemHandler* handler);
    const ItemHandlerMap& Handlers() const { return m_handlers; }

    // Nested levels and their undo records (a handler's first change per level is kept).
    DWORD Depth() const { return m_depth; }
    DWORD Closing() const { return m_closing; }
    // Opens a nested level (FALSE at the deepest level: the dialog then has no level of its own).
    BOOL BeginPushLevel(DWORD helpId);
    void RecordUndo(QORVAOptItemHandler* handler, LONG_PTR selection, LPCWSTR text);

    // The pending-refresh list.
    QORVAOptItemHandler* PendingHead() const { return m_pendingHead; }
    void SetPendingHead(QORVAOptItemHandler* head) { m_pendingHead = head; }

    DWORD NotificationsEnabled() const { return m_notificationsEnabled; }
    void SetNotificationsEnabled(DWORD enabled) { m_notificationsEnabled = enabled; }
    DWORD UiType() const { return m_sheetWords ? m_sheetWords[0] : 0; }
    DWORD SheetMode() const { return m_sheetWords ? m_sheetWords[1] : 0; }
    POEMCUIPPARAM Record() const { return m_record; }
    IPrintOemDriverUI* DriverUI() const { return m_driverUI; }
    CoUIPluginExt* Extension() const { return m_extension; }
    void* SubclassValue() const { return m_subclassValue; }
    StoredSettingsRecord* StoredSettings() const { return m_storedSettings; }
    QORVASystemFunc* SystemFunc() const { return m_systemFunc; }
    POPTITEM FirstItem() const { return m_firstItem; }
    POPTITEM LastItem() const { return m_lastItem; }
    DWORD PageChanged() const { return m_pageChanged; }

protected:
    // Writes the stored-settings stores of the sheet by printer name (the sheet's Apply); FALSE
    // when a store could not be written (a missing store is only reported).
    BOOL SaveStoredSettings();
    // The help of the open level (IDHELP of a page or nested dialog).
    void LevelHelp();
    // The link a window carries in its "optItemHandler" property (null when none).
    QORVAOptItemDlgLink* LinkOf(HWND window) const;

    CoUIPluginExt* m_extension = nullptr;
    IPrintOemDriverUI* m_driverUI = nullptr;
    POEMCUIPPARAM m_record = nullptr;
    void* m_subclassValue = nullptr;
    StoredSettingsRecord* m_storedSettings = nullptr;
    const DWORD* m_sheetWords = nullptr;  // UI type, sheet mode
    UserDataList m_userData;
    DWORD m_depth = 0;
    DWORD m_closing = 0;
    UndoMap* m_changeMaps[kMaxPushLevels] = {};
    DWORD m_helpIds[kMaxPushLevels] = {};
    HWND m_dialogs[kMaxPushLevels + 1] = {};
    ItemHandlerMap m_handlers;
    POPTITEM m_firstItem = nullptr;
    POPTITEM m_lastItem = nullptr;
    QORVAOptItemHandler* m_pendingHead = nullptr;
    DWORD m_notificationsEnabled = 1;
    DWORD m_pageChanged = 0;
    // The sheet's system functions (custom media, device lists, stored settings, fonts); null only
    // when the heap refused it.
    QORVASystemFunc* m_systemFunc = nullptr;
    // Where the system functions put stored values: the item's handler, fetched or made.
    struct HandlerValueTarget;
    HandlerValueTarget* m_valueTarget = nullptr;
    // The "optItemHandler" atom, held for the sheet's lifetime.
    ATOM m_handlerAtom = 0;
    DWORD m_restoring = 0;
    DWORD m_currentPage = 0;
    // The last Apply could not write a store.
    DWORD m_saveFailed = 0;
};
