// The handler factory: handlers by key, the nested levels' undo records, the pending-refresh list,
// the item callback of the common property sheet and the commit on Apply.
#include "handler_factory.h"

#include <cstring>
#include <span>

#include "couipluginext.h"
#include "kitstatus.h"
#include "kittrace.h"
#include "optitem_dlglink.h"
#include "optitem_handler.h"
#include "standard_handlers.h"
#include "system_func.h"
#include "xpc.h"

namespace {

constexpr UINT kPsmChanged = WM_USER + 104;
constexpr UINT kPsmUnchanged = WM_USER + 109;
constexpr int kApplyButton = 12321;

XprStore* OpenStore(HANDLE printer, LPCWSTR name) {
    XprStore* store = nullptr;
    if (!printer || printer == INVALID_HANDLE_VALUE) return nullptr;
    if (CreateByHandle(&store, printer, name) >= KIT_SEVERITY_ERROR) return nullptr;
    return store;
}

void CloseStore(XprStore* store) {
    if (!store) return;
    FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
}

void FreeUndoRecord(UndoRecord* record) {
    if (!record) return;
    HANDLE heap = record->m_heap;
    if (record->m_text) HeapFree(heap, 0, record->m_text);
    HeapFree(heap, 0, record);
}

}  // namespace

struct QORVAOptItemHandlerFactory::HandlerValueTarget final : QORVAItemValueTarget {
    explicit HandlerValueTarget(QORVAOptItemHandlerFactory* factory) : m_factory(factory) {}
    LONG SetItemValue(DWORD itemKey, LONG value) override {
        QORVAOptItemHandler* handler = m_factory->GetHandler(itemKey);
        if (!handler) return 0;
        handler->SetValue(value, nullptr);
        return 1;
    }
    LONG SelectItemString(DWORD itemKey, LPCWSTR text) override {
        QORVAOptItemHandler* handler = m_factory->GetHandler(itemKey);
        return handler ? static_cast<LONG>(handler->SelectString(text, nullptr)) : 0;
    }
    QORVAOptItemHandlerFactory* m_factory;
};

QORVAOptItemHandlerFactory::QORVAOptItemHandlerFactory(POEMCUIPPARAM record, CoUIPluginExt* extension,
                                                       IPrintOemDriverUI* driverUI, void* subclassValue)
    : QORVAOptItemNotify(record ? record->hOEMHeap : nullptr, this),
      m_extension(extension),
      m_driverUI(driverUI),
      m_record(record),
      m_subclassValue(subclassValue),
      m_sheetWords(extension ? extension->SheetWords() : nullptr),
      m_userData(m_heap),
      m_handlers(SheetHeapAllocator<ItemHandlerMap::value_type>(m_heap)) {
    if (record) {
        const DWORD count = record->cDrvOptItems + record->cOEMOptItems;
        m_firstItem = record->cDrvOptItems && record->pDrvOptItems ? record->pDrvOptItems : record->pOEMOptItems;
        m_lastItem = m_firstItem && count ? m_firstItem + (count - 1) : nullptr;
    }
    m_storedSettings = static_cast<StoredSettingsRecord*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(StoredSettingsRecord)));
    if (m_storedSettings && record) {
        m_storedSettings->m_factory = this;
        m_storedSettings->m_heap = m_heap;
        if (SheetMode() != OEMCUIP_PRNPROP) {
            m_storedSettings->m_watermarkSettings = OpenStore(record->hPrinter, u"WATERMARKSETTINGS");
            m_storedSettings->m_documentSettings = OpenStore(record->hPrinter, u"DOCUMENTSETTINGS");
        }
        m_storedSettings->m_printerFeature = OpenStore(record->hPrinter, u"PRINTERFEATURE");
    }
    m_handlerAtom = GlobalAddAtomW(u"optItemHandler");
    m_valueTarget = MakeOnHeap<HandlerValueTarget>(m_heap, this);
    QORVASystemFuncContext context;
    context.m_heap = m_heap;
    if (record) {
        context.m_printer = record->hPrinter;
        context.m_printerName = record->pPrinterName;
    }
    if (extension) {
        context.m_resources = extension->Resources();
        context.m_settings = extension->Settings();
    }
    if (m_storedSettings) {
        context.m_watermarkSettings = m_storedSettings->m_watermarkSettings;
        context.m_documentSettings = m_storedSettings->m_documentSettings;
        context.m_printerFeature = m_storedSettings->m_printerFeature;
    }
    context.m_itemTarget = m_valueTarget;
    m_systemFunc = MakeOnHeap<QORVASystemFunc>(m_heap, this, context);
}

QORVAOptItemHandlerFactory::~QORVAOptItemHandlerFactory() {
    ReleaseItemMap();
    for (UndoMap*& map : m_changeMaps) {
        if (!map) continue;
        for (auto& [handler, undo] : *map) FreeUndoRecord(undo);
        FreeOnHeap(m_heap, map);
        map = nullptr;
    }
    FreeOnHeap(m_heap, m_systemFunc);
    m_systemFunc = nullptr;
    FreeOnHeap(m_heap, m_valueTarget);
    m_valueTarget = nullptr;
    if (m_handlerAtom) GlobalDeleteAtom(m_handlerAtom);
    if (m_storedSettings) {
        CloseStore(m_storedSettings->m_watermarkSettings);
        CloseStore(m_storedSettings->m_documentSettings);
        CloseStore(m_storedSettings->m_printerFeature);
        HeapFree(m_heap, 0, m_storedSettings);
        m_storedSettings = nullptr;
    }
    // The handlers themselves, their links and items go with the sheet's heap.
}

DWORD QORVAOptItemHandlerFactory::GetPubID(const OPTITEM* item, WORD* group) {
    return ::GetPubID(item, &m_userData, group);
}

QORVAOptItemHandler* QORVAOptItemHandlerFactory::FindHandler(DWORD key) const {
    const auto found = m_handlers.find(key);
    return found == m_handlers.end() ? nullptr : found->second;
}

BOOL QORVAOptItemHandlerFactory::StoreHandler(DWORD key, QORVAOptItemHandler* handler) {
    try {
        m_handlers[key] = handler;
        return TRUE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

QORVAOptItemHandler* QORVAOptItemHandlerFactory::CreateHandler(POPTITEM item) {
    if (!item) return nullptr;
    const DWORD key = GetPubID(item);
    if (key == 0) return nullptr;
    if (QORVAOptItemHandler* existing = FindHandler(key)) return existing;
    QORVAOptItemHandler* handler = MakeStandardHandler(m_heap, this, item);
    if (handler && !StoreHandler(key, handler)) {
        handler->Destroy();
        return nullptr;
    }
    return handler;
}

void QORVAOptItemHandlerFactory::CreateDlgLink(HWND, QORVAOptItemHandler*) {}

LRESULT QORVAOptItemHandlerFactory::InitDialog(HWND dialog) {
    m_dialogs[m_depth] = dialog;
    for (auto& [key, handler] : m_handlers) {
        if (!handler) continue;
        if (key < 100 && handler->Item()) handler->Item()->Flags &= ~OPTIF_HIDE;
        CreateDlgLink(dialog, handler);
    }
    for (auto& [key, handler] : m_handlers)
        if (handler) handler->RouteNotify(0, kNotifyInitialise, 0);
    FlushList();
    if (m_depth > 0 && m_dialogs[0]) {
        HWND apply = GetDlgItem(GetParent(m_dialogs[0]), kApplyButton);
        m_pageChanged = apply && IsWindowEnabled(apply) ? 1 : 0;
    }
    return 1;
}

void QORVAOptItemHandlerFactory::OnOK(HWND dialog) {
    for (auto& [key, handler] : m_handlers)
        if (handler) handler->SaveSettings(dialog);
    if (SheetMode() == OEMCUIP_PRNPROP)
        for (auto& [key, handler] : m_handlers)
            if (handler) handler->RouteNotify(0, kNotifyCommitting, 0);
    if (!dialog) m_saveFailed = SaveStoredSettings() ? 0 : 1;
}

BOOL QORVAOptItemHandlerFactory::SaveStoredSettings() {
    if (!m_storedSettings) return TRUE;
    BOOL saved = TRUE;
    LPCWSTR name = m_record ? m_record->pPrinterName : nullptr;
    XprStore* document[] = {m_storedSettings->m_watermarkSettings, m_storedSettings->m_documentSettings};
    XprStore* printer[] = {m_storedSettings->m_printerFeature};
    const bool printerSheet = SheetMode() == OEMCUIP_PRNPROP;
    for (XprStore* store : printerSheet ? std::span<XprStore*>(printer) : std::span<XprStore*>(document)) {
        if (!store || !store->m_block || !name || !*name) {
            ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
            continue;
        }
        const DWORD severity = store->m_dirty ? CompactByName(store, name) : SaveByName(store, name, FALSE);
        if (severity >= KIT_SEVERITY_ERROR) saved = FALSE;
    }
    return saved;
}

void QORVAOptItemHandlerFactory::OnCancel(HWND dialog) {
    for (auto& [key, handler] : m_handlers)
        if (handler) handler->CancelSettings(dialog);
}

DWORD QORVAOptItemHandlerFactory::OnPush(CPSUICBPARAM* callback, DWORD sync) {
    if (!callback || !callback->pCurItem) return 0;
    QORVAOptItemHandler* handler = GetHandler(GetPubID(callback->pCurItem));
    if (!handler) return 0;
    if (sync == 1) {
        POPTITEM item = callback->pCurItem;
        if (item->pOptType && item->pOptType->Type == TVOT_EDITBOX) {
            if (item->pSel) handler->SelectString(item->pSel, nullptr);
        } else {
            handler->SetValue(item->Sel, nullptr);
        }
    }
    return handler->Push(callback->hDlg);
}

LONG QORVAOptItemHandlerFactory::OnCallback(CPSUICBPARAM* callback) {
    if (!callback) return CPSUICB_ACTION_NONE;
    switch (callback->Reason) {
    case CPSUICB_REASON_SEL_CHANGED: {
        POPTITEM item = callback->pCurItem;
        QORVAOptItemHandler* handler = item ? GetHandler(GetPubID(item)) : nullptr;
        if (!handler) return CPSUICB_ACTION_NONE;
        LONG_PTR value = 0;
        DWORD isText = 0;
        handler->GetValue(nullptr, &value, &isText);
        if (isText) {
            if (value) handler->SelectString(reinterpret_cast<LPCWSTR>(value), nullptr);
            return CPSUICB_ACTION_NONE;
        }
        // The tree has already stored the new selection: the handler is given the change from the
        // selection before it, so that the observers see it (and a refusal can put it back).
        if (handler->Item() == item && handler->Type() != TVOT_EDITBOX) item->Sel = callback->OldSel;
        handler->SetValue(value, nullptr);
        return CPSUICB_ACTION_NONE;
    }
    case CPSUICB_REASON_APPLYNOW: {
        if (callback->hDlg) {
            // An edit in progress ends when the focus leaves it.
            if (HWND ok = GetDlgItem(callback->hDlg, IDOK)) {
                HWND previous = GetFocus();
                SetFocus(ok);
                SetFocus(previous);
            }
        }
        OnOK(nullptr);
        bool applied = m_saveFailed == 0;
        IDrvSettings* settings = m_extension ? m_extension->Settings() : nullptr;
        if (settings && m_record && m_record->pOEMOptItems && m_record->cOEMOptItems) {
            HRESULT written = S_OK;
            if (SheetMode() == OEMCUIP_PRNPROP) {
                written = settings->SetOptItems(m_record->pOEMOptItems, m_record->cOEMOptItems, nullptr, m_record->hPrinter);
                CompileByHandle(m_record->hPrinter);
            } else {
                written = settings->SetOptItems(m_record->pOEMOptItems, m_record->cOEMOptItems, m_record->pOEMDM, nullptr);
            }
            if (FAILED(written)) applied = false;
        }
        // What was written stays written; the sheet is told that the Apply did not go through whole.
        if (!applied) {
            DebugTrace(1, u"QORVAOptItemHandlerFactory::OnCallback APPLYNOW not saved\n");
            return CPSUICB_ACTION_NO_APPLY_EXIT;
        }
        return CPSUICB_ACTION_ITEMS_APPLIED;
    }
    default:
        return CPSUICB_ACTION_NONE;
    }
}

void QORVAOptItemHandlerFactory::FlushList() {
    QORVAOptItemHandler* head = m_pendingHead;
    m_pendingHead = nullptr;
    if (head && !head->Refreshed()) head->RefreshChain();
}

void QORVAOptItemHandlerFactory::FlushPending(HWND dialog) {
    QORVAOptItemHandler* head = m_pendingHead;
    m_pendingHead = nullptr;
    if (!head) return;
    if (dialog && m_depth == 0 && !m_closing) {
        SendMessageW(GetParent(dialog), kPsmChanged, reinterpret_cast<WPARAM>(dialog), 0);
        m_pageChanged = 1;
    }
    if (!head->Refreshed()) head->RefreshChain();
}

BOOL QORVAOptItemHandlerFactory::BeginPushLevel(DWORD helpId) {
    if (m_depth >= kMaxPushLevels) return FALSE;
    UndoMap* map = MakeOnHeap<UndoMap>(m_heap, SheetHeapAllocator<UndoMap::value_type>(m_heap));
    m_helpIds[m_depth] = helpId;
    m_changeMaps[m_depth] = map;
    ++m_depth;
    return TRUE;
}

void QORVAOptItemHandlerFactory::RecordUndo(QORVAOptItemHandler* handler, LONG_PTR selection, LPCWSTR text) {
    if (m_closing || m_depth == 0 || m_depth > kMaxPushLevels || !handler) return;
    UndoMap* map = m_changeMaps[m_depth - 1];
    if (!map || map->count(handler)) return;  // only the first change of a level is kept
    auto* record = static_cast<UndoRecord*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(UndoRecord)));
    if (!record) return;
    record->m_heap = m_heap;
    record->m_selection = selection;
    if (text) {
        size_t length = 0;
        while (text[length]) ++length;
        record->m_text = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR)));
        if (!record->m_text) {
            HeapFree(m_heap, 0, record);
            return;
        }
        std::memcpy(record->m_text, text, length * sizeof(WCHAR));
    }
    try {
        map->emplace(handler, record);
    } catch (const std::bad_alloc&) {
        FreeUndoRecord(record);
    }
}

void QORVAOptItemHandlerFactory::EndPushLevel(BOOL undo) {
    m_closing = 1;
    if (m_depth == 0) {
        m_closing = 0;
        return;
    }
    --m_depth;
    if (UndoMap* map = m_changeMaps[m_depth]) {
        for (auto& [handler, record] : *map) {
            if (undo) {
                if (record->m_text) handler->SelectString(record->m_text, nullptr);
                else handler->SetCurSel(record->m_selection, nullptr);
            }
            FreeUndoRecord(record);
        }
        FreeOnHeap(m_heap, map);
        m_changeMaps[m_depth] = nullptr;
    }
    HWND opener = m_dialogs[m_depth];
    if (undo) {
        FlushList();
        if (m_pageChanged != 1 && opener) SendMessageW(GetParent(opener), kPsmUnchanged, reinterpret_cast<WPARAM>(opener), 0);
    } else {
        if (opener) SendMessageW(GetParent(opener), kPsmChanged, reinterpret_cast<WPARAM>(opener), 0);
        m_pageChanged = 1;
    }
    m_closing = 0;
}
