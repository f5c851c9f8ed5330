// The sheets push-button items open: a property sheet of kit pages (TVOT_PROPSHEET), or a common
// property sheet (TVOT_PROPSHEETUI) of kit pages and copies of the items of standard groups.
#include <cstring>
#include <vector>

#include "items/handler_factory.h"
#include "items/optitem_handler.h"
#include "model_hooks.h"
#include "module_state.h"
#include "sheet_pages.h"

namespace {

constexpr UINT kPageSizeOld = 96;
constexpr UINT kPageSize = 104;
constexpr DWORD kNestedHeaderFlags = PSH_NOAPPLYNOW | PSH_HASHELP;  // 0x280
constexpr DWORD kNestedInfoFlags = 0x22;  // exact title, no Apply button
constexpr DWORD kStandardGroupBit = 0x80000000u;
constexpr BYTE kTrueTypeOption = 8;  // DMPUB_TTOPTION
constexpr DWORD kIcmMethod = 10;     // DMPUB_ICMMETHOD
constexpr WORD kCallerVersion = 0x100;
constexpr WORD kItemVersion = 0x400;

// The standard groups whose items the universal driver keeps under a group item of that help id.
bool IsDriverGroup(DWORD group) {
    return group == 1019 || group == 1025 || group == 1027 || group == 1032 || group == 1037;
}

bool IsListedGroup(const CoUIPluginExt* state, DWORD group) {
    for (DWORD listed : state->m_standardGroups)
        if (listed && listed == group) return true;
    return false;
}

// The items of one group: what follows `first` with a deeper level.
void AddChildren(POPTITEM first, POPTITEM end, std::vector<POPTITEM>* items) {
    for (POPTITEM item = first + 1; item < end && item->Level > first->Level; ++item) items->push_back(item);
}

DWORD DeeperFollowers(POPTITEM first, POPTITEM end) {
    DWORD count = 0;
    for (POPTITEM item = first + 1; item < end && item->Level > first->Level; ++item) ++count;
    return count;
}

// The sheet items a standard group stands for, in order; *trueType the universal driver's
// TrueType item put in front of them (group 1019 only), else null.
std::vector<POPTITEM> GroupItems(CoUIPluginExt* state, DWORD group, POPTITEM* trueType) {
    std::vector<POPTITEM> items;
    *trueType = nullptr;
    POEMCUIPPARAM record = state->Record();
    QORVAOptItemHandlerFactory* factory = state->Factory();
    if (!record || !factory) return items;
    POPTITEM driver = record->pDrvOptItems;
    POPTITEM driverEnd = driver ? driver + record->cDrvOptItems : nullptr;
    POPTITEM plugin = record->pOEMOptItems;
    POPTITEM pluginEnd = plugin ? plugin + record->cOEMOptItems : nullptr;
    if (IsDriverGroup(group)) {
        for (POPTITEM item = driver; item && item < driverEnd; ++item) {
            if (item->HelpIndex != group) continue;
            AddChildren(item, driverEnd, &items);
            break;
        }
        if (group == 1019)
            for (POPTITEM item = driver; item && item < driverEnd; ++item)
                if (item->DMPubID == kTrueTypeOption) {
                    *trueType = item;
                    break;
                }
        return items;
    }
    for (POPTITEM item = plugin; item && item < pluginEnd; ++item)
        if (factory->GetPubID(item) == group) {
            AddChildren(item, pluginEnd, &items);
            return items;
        }
    for (POPTITEM item = driver; item && item < driverEnd; ++item) {
        if (factory->GetPubID(item) != group) continue;
        const DWORD count = group == kIcmMethod ? 2 : DeeperFollowers(item, driverEnd);
        for (DWORD i = 0; i < count && item + i < driverEnd; ++i) items.push_back(item + i);
        break;
    }
    return items;
}

QORVAOptItemHandler* HandlerOf(CoUIPluginExt* state, POPTITEM item) {
    QORVAOptItemHandlerFactory* factory = state->Factory();
    return factory ? factory->FindHandler(factory->GetPubID(item)) : nullptr;
}

bool Unplaced(QORVAOptItemHandler* handler) { return !handler || !handler->HasLink(); }

LPCWSTR OptionText(const OPTPARAM& option) { return option.pData ? option.pData : u""; }

PROPSHEETPAGEW KitPage(CoUIPluginExt* state, LPCDLGTEMPLATEW dialog) {
    PROPSHEETPAGEW page{};
    page.dwSize = IsWindows50() ? kPageSizeOld : kPageSize;
    page.dwFlags = PSP_DLGINDIRECT | PSP_HASHELP;
    page.hInstance = ui::ModuleHandle();
    page.pResource = dialog;
    page.pfnDlgProc = NestedPageDlgProc;
    page.lParam = reinterpret_cast<LPARAM>(state);
    return page;
}

LPCDLGTEMPLATEW LoadTemplate(CoUIPluginExt* state, DWORD id) {
    LPCDLGTEMPLATEW dialog = nullptr;
    if (!state->Resources() || id == 0 || id > 0xFFFF) return nullptr;
    return SUCCEEDED(state->Resources()->LoadDialogTemplate(id, &dialog, FALSE)) ? dialog : nullptr;
}

template <class T>
T* HeapArray(HANDLE heap, size_t count) {
    return static_cast<T*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(T) * (count ? count : 1)));
}

// The copies of a standard group's items, adjusted for the nested tree; null when none.
POPTITEM CopyGroup(CoUIPluginExt* state, HANDLE heap, DWORD group, WORD* count) {
    POPTITEM trueType = nullptr;
    const std::vector<POPTITEM> items = GroupItems(state, group, &trueType);
    if (items.empty() && !trueType) return nullptr;
    const size_t total = items.size() + (trueType ? 1 : 0);
    POPTITEM copies = HeapArray<OPTITEM>(heap, total);
    if (!copies) return nullptr;
    const BYTE shift = items.empty() || items[0]->Level == 0 ? 0 : static_cast<BYTE>(items[0]->Level - 1);
    size_t at = 0;
    if (trueType) {
        copies[at] = *trueType;
        copies[at].Level = 2;
        ++at;
    }
    for (POPTITEM item : items) {
        copies[at] = *item;
        copies[at].Level = static_cast<BYTE>(item->Level - shift);
        ++at;
    }
    for (size_t i = 0; i < total; ++i) {
        OPTITEM& copy = copies[i];
        copy.DlgPageIdx = 0;
        QORVAOptItemHandler* handler = HandlerOf(state, &copy);
        if (Unplaced(handler)) {
            if (!(copy.Flags & OPTIF_DISABLED)) copy.Flags &= ~static_cast<DWORD>(OPTIF_HIDE);
            copy.Flags &= ~static_cast<DWORD>(OPTIF_COLLAPSE);
        }
        if (handler) {
            if (handler->IsStateClear(nullptr, 0xFFFFFFFFu) == 0) copy.Flags |= OPTIF_DISABLED;
            if (handler->GetExtState() == 0) copy.Flags |= OPTIF_HIDE;
        }
    }
    *count = static_cast<WORD>(total);
    return copies;
}

}  // namespace

HRESULT BuildNestedPropertySheet(CoUIPluginExt* state, POPTITEM item, HWND parent, PROPSHEETPAGEW* pages, UINT maxPages,
                                 PROPSHEETHEADERW* header) {
    if (!state || !item || !item->pOptType || !item->pOptType->pOptParam || !pages || !header) return E_INVALIDARG;
    const OPTTYPE* type = item->pOptType;
    UINT made = 0;
    for (WORD i = 0; i < type->Count && made < maxPages; ++i) {
        const ULONG_PTR id = type->pOptParam[i].IconID;
        if (id == 0) continue;
        LPCDLGTEMPLATEW dialog = LoadTemplate(state, static_cast<DWORD>(id));
        if (!dialog) continue;
        pages[made++] = KitPage(state, dialog);
    }
    if (made == 0) return E_FAIL;
    *header = PROPSHEETHEADERW{};
    header->dwSize = sizeof(PROPSHEETHEADERW);
    header->dwFlags = kNestedHeaderFlags | PSH_PROPSHEETPAGE;
    header->hwndParent = parent;
    header->hInstance = ui::ModuleHandle();
    header->pszCaption = item->pName;
    header->nPages = made;
    header->ppsp = pages;
    return S_OK;
}

HRESULT BuildNestedComPropSheet(CoUIPluginExt* state, POPTITEM item, HWND parent, NestedSheetRecord** result) {
    if (!result) return E_INVALIDARG;
    *result = nullptr;
    if (!state || !item || !item->pOptType || !item->pOptType->pOptParam || !state->Record()) return E_INVALIDARG;
    HANDLE heap = state->Record()->hOEMHeap;
    const OPTTYPE* type = item->pOptType;
    auto* record = HeapArray<NestedSheetRecord>(heap, 1);
    if (!record) return E_OUTOFMEMORY;
    record->m_state = state;
    record->m_parent = parent;
    record->m_title = item->pName;
    record->m_entries = HeapArray<NestedSheetEntry>(heap, type->Count);
    if (!record->m_entries) {
        HeapFree(heap, 0, record);
        return E_OUTOFMEMORY;
    }
    IDrvResources* resources = state->Resources();
    for (WORD i = 0; i < type->Count; ++i) {
        const OPTPARAM& option = type->pOptParam[i];
        const DWORD id = static_cast<DWORD>(option.IconID);
        if (id == 0) continue;
        if (!(id & kStandardGroupBit)) {
            LPCDLGTEMPLATEW dialog = LoadTemplate(state, id);
            auto* page = dialog ? HeapArray<PROPSHEETPAGEW>(heap, 1) : nullptr;
            if (!page) continue;
            *page = KitPage(state, dialog);
            if (state->m_activationContext && state->m_activationContext != INVALID_HANDLE_VALUE) {
                page->dwFlags |= PSP_USEFUSIONCONTEXT;
                page->hActCtx = state->m_activationContext;
            }
            record->m_entries[record->m_count++] = {CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(page)};
            continue;
        }
        const DWORD group = id & ~kStandardGroupBit;
        if (!IsListedGroup(state, group)) continue;
        WORD count = 0;
        POPTITEM copies = CopyGroup(state, heap, group, &count);
        if (!copies) continue;
        auto* dialogPage = HeapArray<DLGPAGE>(heap, 1);
        auto* sheet = HeapArray<COMPROPSHEETUI>(heap, 1);
        if (!dialogPage || !sheet) continue;
        dialogPage->cbSize = sizeof(DLGPAGE);
        dialogPage->DlgTemplateID = DP_STD_TREEVIEWPAGE;
        dialogPage->pTabName = const_cast<LPWSTR>(OptionText(option));
        dialogPage->IconID = static_cast<ULONG_PTR>(option.lParam);
        LPWSTR driverName = resources ? const_cast<LPWSTR>(resources->GetDriverName()) : nullptr;
        sheet->cbSize = sizeof(COMPROPSHEETUI);
        sheet->Flags = state->m_readOnly ? 0 : CPSUIF_UPDATE_PERMISSION;
        sheet->hInstCaller = ui::ModuleHandle();
        sheet->pCallerName = driverName;
        sheet->pOptItemName = driverName;
        sheet->UserData = reinterpret_cast<ULONG_PTR>(state);
        sheet->pHelpFile = resources ? const_cast<LPWSTR>(resources->GetHelpFileName()) : nullptr;
        sheet->pfnCallBack = NestedItemCallback;
        sheet->pOptItem = copies;
        sheet->cOptItem = count;
        sheet->pDlgPage = dialogPage;
        sheet->cDlgPage = 1;
        sheet->CallerVersion = kCallerVersion;
        sheet->OptItemVersion = kItemVersion;
        record->m_entries[record->m_count++] = {CPSFUNC_ADD_PCOMPROPSHEETUIW, reinterpret_cast<LPARAM>(sheet)};
    }
    if (record->m_count == 0) {
        FreeNestedComPropSheet(record);
        return E_FAIL;
    }
    *result = record;
    return S_OK;
}

void FreeNestedComPropSheet(NestedSheetRecord* record) {
    if (!record || !record->m_state || !record->m_state->Record()) return;
    HANDLE heap = record->m_state->Record()->hOEMHeap;
    for (DWORD i = 0; i < record->m_count; ++i) {
        const NestedSheetEntry& entry = record->m_entries[i];
        if (entry.m_function == CPSFUNC_ADD_PCOMPROPSHEETUIW) {
            auto* sheet = reinterpret_cast<COMPROPSHEETUI*>(entry.m_parameter);
            HeapFree(heap, 0, sheet->pOptItem);
            HeapFree(heap, 0, sheet->pDlgPage);
        }
        HeapFree(heap, 0, reinterpret_cast<void*>(entry.m_parameter));
    }
    HeapFree(heap, 0, record->m_entries);
    HeapFree(heap, 0, record);
}

LONG CALLBACK NestedSheetProc(PROPSHEETUI_INFO* info, LPARAM lParam) {
    auto* record = info ? reinterpret_cast<NestedSheetRecord*>(info->lParamInit) : nullptr;
    if (!record) return -1;
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        for (DWORD i = 0; i < record->m_count; ++i)
            info->pfnComPropSheet(info->hComPropSheet, record->m_entries[i].m_function, record->m_entries[i].m_parameter, 0);
        return 1;
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto* header = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
        if (!header) return -1;
        header->Flags = kNestedInfoFlags;
        header->pTitle = const_cast<LPWSTR>(record->m_title);
        header->hWndParent = record->m_parent;
        header->hInst = ui::ModuleHandle();
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
        const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
        if (result) info->Result = result->Result;
        return 1;
    }
    default:
        return 1;
    }
}

LONG CALLBACK NestedItemCallback(CPSUICBPARAM* callback) {
    if (!callback || callback->Reason != CPSUICB_REASON_SEL_CHANGED || !callback->pCurItem) return CPSUICB_ACTION_NONE;
    auto* state = reinterpret_cast<CoUIPluginExt*>(callback->UserData);
    if (!state || !state->Factory()) return CPSUICB_ACTION_NONE;
    state->AddRef();
    state->Factory()->OnPush(callback, 1);
    state->Release();
    return CPSUICB_ACTION_NONE;
}

BOOL HasUnplacedStandardItems(CoUIPluginExt* state, POPTITEM item) {
    if (!state || !item || !item->pOptType || !item->pOptType->pOptParam) return FALSE;
    const OPTTYPE* type = item->pOptType;
    for (WORD i = 0; i < type->Count; ++i) {
        const DWORD id = static_cast<DWORD>(type->pOptParam[i].IconID);
        if (!(id & kStandardGroupBit)) continue;
        POPTITEM trueType = nullptr;
        std::vector<POPTITEM> items = GroupItems(state, id & ~kStandardGroupBit, &trueType);
        if (trueType) items.insert(items.begin(), trueType);
        for (POPTITEM member : items)
            if (Unplaced(HandlerOf(state, member))) return TRUE;
    }
    return FALSE;
}
