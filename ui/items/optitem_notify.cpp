#include "optitem_notify.h"

#include "handler_factory.h"
#include "optitem_handler.h"
#include "standard_handlers.h"

QORVAOptItemNotify::QORVAOptItemNotify(HANDLE heap, QORVAOptItemHandlerFactory* owner) : m_heap(heap), m_owner(owner) {}

QORVAOptItemNotify::~QORVAOptItemNotify() {
    ReleaseItemMap();
}

void QORVAOptItemNotify::Destroy() {
    FreeOnHeap(m_heap, this);
}

DWORD QORVAOptItemNotify::Notify(DWORD, WORD, DWORD) {
    return kAnswerPass;
}

DWORD QORVAOptItemNotify::RouteNotify(DWORD id, WORD code, DWORD depth) {
    if (!m_owner || !m_owner->NotificationsEnabled()) return kAnswerPass;
    DWORD answer = kAnswerPass;
    bool handled = false;
    if (m_attached && !m_attached->m_busy) {
        // The observer is not asked again about changes it makes from inside its own Notify.
        m_attached->m_busy = 1;
        answer = m_attached->Notify(id, code, depth);
        m_attached->m_busy = 0;
        handled = answer != kAnswerPass;
    }
    // Older observers of the item, at depth 1 so that they do not forward to the factory.
    if (!handled && m_next) answer = m_next->RouteNotify(id, code, 1);
    if (depth != 0) return answer;
    // The sheet-wide observers hear of it too. The factory itself forwards to nobody further.
    if (m_owner != this) m_owner->RouteNotify(id, code, depth + 1);
    return answer;
}

QORVAOptItemHandler* QORVAOptItemNotify::GetHandler(DWORD id) {
    if (!m_itemCache) {
        m_itemCache = MakeOnHeap<ItemHandlerMap>(m_heap, SheetHeapAllocator<ItemHandlerMap::value_type>(m_heap));
        if (!m_itemCache) return nullptr;
    }
    if (auto found = m_itemCache->find(id); found != m_itemCache->end()) return found->second;
    if (!m_owner) return nullptr;
    QORVAOptItemHandler* handler = m_owner->FindHandler(id);
    if (!handler) {
        handler = MakeOnHeap<QORVAOptItemHandlerDefault>(m_owner->Heap(), m_owner->Heap(), m_owner, id);
        m_owner->StoreHandler(id, handler);
    }
    if (!handler) return nullptr;
    try {
        m_itemCache->emplace(id, handler);
    } catch (const std::bad_alloc&) {
        // Not cached: the factory's map still has it for the next time.
    }
    return handler;
}

LONG QORVAOptItemNotify::GetItemValue(DWORD id) {
    QORVAOptItemHandler* handler = GetHandler(id);
    if (!handler) return 0;
    LONG_PTR value = 0;
    DWORD isText = 0;
    handler->GetValue(nullptr, &value, &isText);
    return isText ? 0 : static_cast<LONG>(value);
}

DWORD QORVAOptItemNotify::GetItemSel(DWORD id) {
    QORVAOptItemHandler* handler = GetHandler(id);
    return handler ? static_cast<DWORD>(handler->GetSel()) : 0;
}

QORVAOptItemHandler* QORVAOptItemNotify::WatchItem(DWORD id) {
    QORVAOptItemHandler* handler = GetHandler(id);
    ObserveItem(handler);
    return handler;
}

BOOL QORVAOptItemNotify::ObserveItem(QORVAOptItemHandler* handler) {
    if (!handler) return FALSE;
    auto* record = MakeOnHeap<QORVAOptItemNotify>(handler->Heap(), handler->Heap(), handler->Owner());
    if (!record) return FALSE;
    record->m_attached = this;
    record->m_next = handler->m_next;
    handler->m_next = record;
    return TRUE;
}

BOOL QORVAOptItemNotify::ObserveItemLast(QORVAOptItemHandler* handler) {
    if (!handler) return FALSE;
    auto* record = MakeOnHeap<QORVAOptItemNotify>(handler->Heap(), handler->Heap(), handler->Owner());
    if (!record) return FALSE;
    record->m_attached = this;
    QORVAOptItemNotify* last = handler;
    while (last->m_next) last = last->m_next;
    last->m_next = record;
    return TRUE;
}

void QORVAOptItemNotify::ReleaseItemMap() {
    if (!m_itemCache) return;
    for (auto& [key, handler] : *m_itemCache) {
        if (!handler) continue;
        // The handler belongs to the factory's map: it is only told to forget this observer.
        if (handler->m_attached == this) handler->m_attached = nullptr;
        QORVAOptItemNotify* previous = handler;
        QORVAOptItemNotify* record = handler->m_next;
        while (record) {
            QORVAOptItemNotify* following = record->m_next;
            if (record->m_attached == this) {
                previous->m_next = following;
                record->Destroy();
            } else {
                previous = record;
            }
            record = following;
        }
    }
    ItemHandlerMap* cache = m_itemCache;
    m_itemCache = nullptr;
    FreeOnHeap(m_heap, cache);
}
