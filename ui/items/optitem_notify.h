// QORVAOptItemNotify: the root of every option-item object (handlers, dialog links, constraints
// and the sheet's handler factory). It routes a change of one item to the observers that watch
// it and then to the sheet-wide observers of the factory, and keeps a per-object cache from item
// key to handler, filled on demand from the factory's handler map.
//
// A notification is (item key, code, depth). Answers: 1 not handled, pass on; 2 refuse (the
// caller undoes the change); 4 accept, the caller then sends 0xFFFC; anything else handled.
#pragma once

#include <functional>
#include <unordered_map>

#include <win/windows.h>

#include "heap_object.h"

class QORVAOptItemHandler;
class QORVAOptItemHandlerFactory;

// Codes the framework sends itself.
inline constexpr WORD kNotifyChanged = 0;           // the item's value changed or it was pressed
inline constexpr WORD kNotifyCommitting = 0xFFFB;   // the printer sheet is being committed (id 0)
inline constexpr WORD kNotifyFollowUp = 0xFFFC;     // after an answer 4 (id 0)
inline constexpr WORD kNotifyRefused = 0xFFFD;      // a change was refused and undone (id 0)
inline constexpr WORD kNotifyInitialise = 0xFFFE;   // bring dependent items into line (id 0)
inline constexpr WORD kNotifyStoredSet = 0xFFFF;    // the item was loaded from a stored set

inline constexpr DWORD kAnswerPass = 1;
inline constexpr DWORD kAnswerRefuse = 2;
inline constexpr DWORD kAnswerAcceptFollowUp = 4;

using ItemHandlerMap = std::unordered_map<DWORD, QORVAOptItemHandler*, std::hash<DWORD>, std::equal_to<DWORD>,
                                          SheetHeapAllocator<std::pair<const DWORD, QORVAOptItemHandler*>>>;

class QORVAOptItemNotify {
public:
    QORVAOptItemNotify(HANDLE heap, QORVAOptItemHandlerFactory* owner);
    QORVAOptItemNotify(const QORVAOptItemNotify&) = delete;
    QORVAOptItemNotify& operator=(const QORVAOptItemNotify&) = delete;

    // Slots in this order head every derived class's table.
    virtual DWORD RouteNotify(DWORD id, WORD code, DWORD depth);
    virtual DWORD Notify(DWORD id, WORD code, DWORD depth);
    virtual ~QORVAOptItemNotify();

    // The deleting destructor: the object goes back to the heap it was made from.
    void Destroy();

    // The handler of a key: from this object's cache, else the factory's map, else a new default
    // handler entered in the factory's map. Null only when the heap refuses.
    QORVAOptItemHandler* GetHandler(DWORD id);
    // The handler's value (GetValue with no link; 0 when it reports none) and selection.
    LONG GetItemValue(DWORD id);
    DWORD GetItemSel(DWORD id);
    // Frees the cache and every observer record this object put on a cached handler's chain.
    void ReleaseItemMap();
    // Registers this object as an observer of the handler's item: a new chain record in front of
    // the handler's older observers. FALSE when the heap refuses.
    BOOL ObserveItem(QORVAOptItemHandler* handler);
    // The same, with the record behind every observer the handler already has: this object hears
    // of a change after the others have had their say.
    BOOL ObserveItemLast(QORVAOptItemHandler* handler);
    // The handler of an item (GetHandler) with this object registered as its observer.
    QORVAOptItemHandler* WatchItem(DWORD id);

    QORVAOptItemNotify* AttachedObserver() const { return m_attached; }
    QORVAOptItemNotify* NextObserver() const { return m_next; }
    void SetAttachedObserver(QORVAOptItemNotify* observer) { m_attached = observer; }
    HANDLE Heap() const { return m_heap; }
    QORVAOptItemHandlerFactory* Owner() const { return m_owner; }

protected:
    ItemHandlerMap* m_itemCache = nullptr;
    DWORD m_busy = 0;                         // 1 while Notify runs on behalf of an attached object
    QORVAOptItemNotify* m_attached = nullptr; // asked first
    QORVAOptItemNotify* m_next = nullptr;     // asked when the attached observer passes
    HANDLE m_heap = nullptr;
    QORVAOptItemHandlerFactory* m_owner = nullptr;

    friend class QORVAOptItemHandlerFactory;
};
