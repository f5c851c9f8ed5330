// Reading the compiled UI description into the sheet's option items.
#include "optitem_builder.h"


#include <cstring>
#include <new>

#include <win/unidrv_userdata.h>

#include "couipluginext.h"
#include "handler_factory.h"
#include "options/handler_factory_drv.h"
#include "item_key.h"
#include "optitem_handler.h"
#include "sheet_pages.h"
#include "kitstatus.h"
#include "xpr.h"

namespace {

constexpr WCHAR kNoResource[] = u"NO AVAILABLE RESOURCE";
constexpr WCHAR kEmpty[] = u"";
constexpr WORD kUseControlId = 65535;
constexpr WORD kHelpNoHelp = 65534;
constexpr DWORD kStandardGroupHelp[] = {1019, 1025, 1027, 1032, 1037};

// A column read into a zeroed value of its type (a field that cannot be read stays 0).
template <class T>
T Read(XprTable* table, LPCWSTR column) {
    BYTE buffer[16] = {};
    const WORD size = GetValueSize(table, column);
    if (size == 0 || size > sizeof buffer || GetValue(table, buffer, sizeof buffer, column) != 0) return T{};
    T value{};
    std::memcpy(&value, buffer, sizeof(T) < size ? sizeof(T) : size);
    return value;
}

LPCWSTR ReadText(XprTable* table, LPCWSTR column) {
    LPWSTR text = nullptr;
    if (GetValueSize(table, column) != sizeof text || GetValue(table, &text, sizeof text, column) != 0) return nullptr;
    return text;
}

// A block's text on the sheet's heap. The block packs its strings without regard to alignment, so
// its units are read byte-wise; what the sheet hands on is aligned. Null when the heap refuses.
LPWSTR CopyBlockText(HANDLE heap, const void* text) {
    if (!text) return nullptr;
    const auto* bytes = static_cast<const BYTE*>(text);
    size_t length = 0;
    for (WCHAR unit = 1; unit; ++length) std::memcpy(&unit, bytes + length * sizeof(WCHAR), sizeof unit);
    auto* copy = static_cast<LPWSTR>(HeapAlloc(heap, HEAP_ZERO_MEMORY, length * sizeof(WCHAR)));
    if (copy) std::memcpy(copy, bytes, length * sizeof(WCHAR));
    return copy;
}

HANDLE SheetHeap(CoUIPluginExt* state) {
    return state->Record() ? state->Record()->hOEMHeap : nullptr;
}

// A copy of text on the sheet's heap; null when the heap refuses.
LPWSTR CopyText(HANDLE heap, LPCWSTR text) {
    size_t length = 0;
    while (text[length]) ++length;
    auto* copy = static_cast<LPWSTR>(HeapAlloc(heap, HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR)));
    if (copy) std::memcpy(copy, text, length * sizeof(WCHAR));
    return copy;
}

// The text of a row: the resource string of idColumn, else the row's own text; "NO AVAILABLE
// RESOURCE" when the row names a string that does not exist and has none of its own.
LPWSTR RowText(CoUIPluginExt* state, XprTable* row, LPCWSTR idColumn, LPCWSTR textColumn, bool* duplicated) {
    *duplicated = false;
    const WORD id = Read<WORD>(row, idColumn);
    if (id && state->Resources())
        if (LPWSTR text = state->Resources()->DuplicateString(id)) {
            *duplicated = true;
            return text;
        }
    LPWSTR own = CopyBlockText(SheetHeap(state), ReadText(row, textColumn));
    if (own && *own) {
        *duplicated = true;
        return own;
    }
    return const_cast<LPWSTR>(id ? kNoResource : kEmpty);
}

// The option's value into lParam: one or two bytes in lParam itself, more as a heap copy.
bool ReadOptionValue(HANDLE heap, XprTable* option, LPARAM* lParam) {
    const WORD size = GetValueSize(option, u"VALUE");
    if (size == 0) return false;
    if (size <= 2) {
        BYTE value[8] = {};
        if (GetValue(option, value, sizeof value, u"VALUE") != 0) return false;
        WORD small = 0;
        std::memcpy(&small, value, size);
        *lParam = small;
        return true;
    }
    void* copy = HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
    if (!copy) return false;
    if (GetValue(option, copy, size, u"VALUE") != 0) {
        HeapFree(heap, 0, copy);
        *lParam = 0;
        return true;
    }
    *lParam = reinterpret_cast<LPARAM>(copy);
    return true;
}

// The option rows of the current feature row: the first fetched into *cursor, with their count.
bool FirstOption(XprStore* store, XprTable** cursor, WORD* count) {
    *cursor = nullptr;
    if (FetchRow(store, u"OPTION", cursor, nullptr) != 0 || !*cursor) return false;
    if (count) *count = static_cast<WORD>((*cursor)->m_endRow - (*cursor)->m_firstRow);
    return true;
}

WORD OptionCountFor(BYTE controlType, WORD rows) {
    switch (controlType) {
    case TVOT_2STATES: return 2;
    case TVOT_3STATES: return 3;
    case TVOT_UDARROW: return 2;
    case TVOT_TRACKBAR:
    case TVOT_SCROLLBAR: return 3;
    case TVOT_LISTBOX:
    case TVOT_COMBOBOX: return rows;
    case TVOT_EDITBOX: return 2;
    case TVOT_PUSHBUTTON: return 1;
    case TVOT_CHKBOX: return 1;
    case kTypePropSheet:
    case kTypePropSheetUI:
    case kTypeTabControl: return rows;
    default: return 0;
    }
}

bool ListRule(CoUIPluginExt* state, XprStore* store, XprTable* option, OPTTYPE* type) {
    HANDLE heap = SheetHeap(state);
    for (WORD i = 0; i < type->Count && option; ++i) {
        OPTPARAM& param = type->pOptParam[i];
        bool duplicated = false;
        param.pData = RowText(state, option, u"ITEMTEXTID", u"ITEMTEXT", &duplicated);
        param.Flags = Read<BYTE>(option, u"ITEMVISIBLE");
        param.IconID = Read<WORD>(option, u"ICONID");
        if (!ReadOptionValue(heap, option, &param.lParam)) param.lParam = i;
        if (type->Type == kTypePropSheet || type->Type == kTypeTabControl || type->Type == kTypePropSheetUI)
            param.IconID = Read<DWORD>(option, u"GROUP");
        if (type->Type == kTypePropSheetUI) param.lParam = Read<WORD>(option, u"ICONID");
        if (i + 1 < type->Count && (FetchRow(store, u"OPTION", &option, nullptr) != 0 || !option)) break;
    }
    return true;
}

bool FirstRowText(CoUIPluginExt* state, XprTable* option, OPTPARAM* param) {
    bool duplicated = false;
    param->pData = RowText(state, option, u"ITEMTEXTID", u"ITEMTEXT", &duplicated);
    param->IconID = Read<WORD>(option, u"ICONID");
    return true;
}

HRESULT RunRule(CoUIPluginExt* state, XprStore* store, XprTable* option, POPTITEM item, OPTTYPE* type) {
    HANDLE heap = SheetHeap(state);
    OPTPARAM* params = type->pOptParam;
    switch (type->Type) {
    case TVOT_UDARROW: {
        FirstRowText(state, option, &params[0]);
        item->Sel = Read<LONG>(option, u"VALUE");
        const WORD minimum = Read<WORD>(option, u"MINVALUE");
        const WORD maximum = Read<WORD>(option, u"MAXVALUE");
        params[1].IconID = minimum;
        params[1].lParam = minimum < maximum ? maximum : 65535;
        return S_OK;
    }
    case TVOT_TRACKBAR:
    case TVOT_SCROLLBAR: {
        FirstRowText(state, option, &params[0]);
        item->Sel = Read<SHORT>(option, u"VALUE");
        const WORD minimum = Read<WORD>(option, u"MINVALUE");
        const WORD maximum = Read<WORD>(option, u"MAXVALUE");
        params[1].IconID = minimum;
        params[1].lParam = static_cast<SHORT>(minimum) < static_cast<SHORT>(maximum) ? maximum : 65535;
        const WORD multiplier = Read<WORD>(option, u"MULVALUE");
        const WORD increment = Read<WORD>(option, u"INCVALUE");
        params[2].IconID = multiplier < 2 ? 1 : multiplier;
        params[2].lParam = increment > 1 ? increment : 1;
        return S_OK;
    }
    case TVOT_EDITBOX: {
        WORD length = 32;
        if (GetValueKind(option, u"VALUE") == XprColumnKind::CHAR && GetValueCount(option, u"VALUE") != 0)
            length = GetValueCount(option, u"VALUE");
        // One unit more than the field: the text always keeps its terminator.
        item->pSel = static_cast<LPWSTR>(HeapAlloc(heap, HEAP_ZERO_MEMORY, (size_t{length} + 1) * sizeof(WCHAR)));
        if (!item->pSel) return E_OUTOFMEMORY;
        FirstRowText(state, option, &params[0]);
        params[1].IconID = length;
        return S_OK;
    }
    case TVOT_PUSHBUTTON: {
        const WORD dialogId = Read<WORD>(option, u"ITEMTEXTID");
        if (dialogId == 0) return S_OK;
        type->Style |= OTS_PUSH_NO_DOT_DOT_DOT;
        auto* push = static_cast<PushTargetRecord*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(PushTargetRecord)));
        if (!push) return E_OUTOFMEMORY;
        push->m_sheet = state;
        push->m_dialogId = dialogId;
        LPCDLGTEMPLATEW dialog = nullptr;
        if (state->Resources() && SUCCEEDED(state->Resources()->LoadDialogTemplate(dialogId, &dialog, FALSE)))
            push->m_template = dialog;
        params[0].IconID = Read<WORD>(option, u"ICONID");
        params[0].Style = PUSHBUTTON_TYPE_CALLBACK;
        params[0].pData = reinterpret_cast<LPWSTR>(&PushItemCallback);
        params[0].lParam = reinterpret_cast<LPARAM>(push);
        return S_OK;
    }
    case TVOT_CHKBOX:
        params[0].IconID = Read<WORD>(option, u"ICONID");
        return S_OK;
    default:
        return ListRule(state, store, option, type) ? S_OK : E_FAIL;
    }
}

// The key of an item the driver hangs on its UserData record.
void SetKeyword(POPTITEM item, LPCWSTR key) {
    auto* record = reinterpret_cast<USERDATA*>(item->UserData);
    if (record) record->pKeyWordName = const_cast<LPWSTR>(key);
}

bool FillItem(CoUIPluginExt* state, XprTable* row, POPTITEM item) {
    HANDLE heap = SheetHeap(state);
    const bool tree = state->UiType() == kUiTypePages;
    item->cbSize = sizeof(OPTITEM);
    item->Level = Read<BYTE>(row, u"PROPLEVEL");
    item->Flags = Read<BYTE>(row, u"PROPVISIBLE") | OPTIF_COLLAPSE | OPTIF_CALLBACK;
    const WORD controlId = Read<WORD>(row, u"CONTROLID");
    WORD publicId = Read<WORD>(row, u"DMPUBID");
    if (publicId == kUseControlId) publicId = controlId;
    SplitKitKey(publicId, &item->DMPubID, &item->UserItemID);
    DWORD help = Read<WORD>(row, u"HELPID");
    if (tree && help == kUseControlId) help = controlId;
    else if (tree && help == kHelpNoHelp) help = 0;
    item->HelpIndex = help;
    bool duplicated = false;
    LPWSTR name = RowText(state, row, u"CONTROLTEXTID", u"CONTROLTEXT", &duplicated);
    if (tree && name[0]) {
        // The tree shows names without their final colon; the block's own text stays as it is.
        size_t length = 0;
        while (name[length]) ++length;
        if (name[length - 1] == u':') {
            if (!duplicated) name = CopyText(heap, name);
            if (!name) return false;
            name[length - 1] = 0;
        }
    }
    item->pName = name;
    const BYTE controlType = Read<BYTE>(row, u"CONTROLTYPE");
    if (controlType == TVOT_NONE) item->Sel = Read<WORD>(row, u"ICONID");
    return SUCCEEDED(BuildOptType(state, item, controlType));
}

}  // namespace

HRESULT ReadUIPInfo(CoUIPluginExt* state) {
    if (!state || !state->m_uipInfo) return E_FAIL;
    XprStore* store = state->m_uipInfo;
    XprTable* info = nullptr;
    while (FetchRow(store, u"UIPINFO", &info, nullptr) == 0 && info)
        if (Read<DWORD>(info, u"UIPMODE") == state->SheetMode()) break;
    if (!info) return S_OK;  // no row for this sheet: everything stays as it is
    if (!state->m_sheetWords[0]) state->m_sheetWords[0] = Read<DWORD>(info, u"UIPTYPE");
    if (!state->m_pdl) state->m_pdl = Read<DWORD>(info, u"UIPPDL");
    if (!state->m_driverFlag) state->m_driverFlag = Read<DWORD>(info, u"UIPDRV");
    if (state->UiType() != kUiTypeSheets) return S_OK;

    XprTable* sheet = nullptr;
    if (FetchRow(store, u"SHEET", &sheet, nullptr) != 0 || !sheet) {
        // No pages of its own: the sheet keeps its mode and shows no page of the kit.
        state->m_sheetCount = 0;
        return S_OK;
    }
    const DWORD count = static_cast<DWORD>(sheet->m_endRow - sheet->m_firstRow);
    HANDLE heap = SheetHeap(state);
    auto* block = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(ULONG_PTR) + count * sizeof(SheetPageRecord)));
    if (!block) return E_OUTOFMEMORY;
    *reinterpret_cast<ULONG_PTR*>(block) = count;
    state->m_sheets = reinterpret_cast<SheetPageRecord*>(block + sizeof(ULONG_PTR));
    DWORD filled = 0;
    while (sheet && filled < count) {
        SheetPageRecord& record = state->m_sheets[filled++];
        record.m_dialogId = Read<WORD>(sheet, u"DIALOGID");
        record.m_caption = CopyBlockText(heap, ReadText(sheet, u"CAPTION"));
        record.m_iconId = Read<DWORD>(sheet, u"ICONID");
        if (filled < count && (FetchRow(store, u"SHEET", &sheet, nullptr) != 0 || !sheet)) break;
    }
    state->m_sheetCount = filled;
    return S_OK;
}

HRESULT CountSheetItems(CoUIPluginExt* state, POEMCUIPPARAM param) {
    if (!state || !param || !state->m_features) return E_NOTIMPL;
    XprTable* table = nullptr;
    if (FindTable(state->m_features, state->m_features->m_root, &table, state->m_featureTable) != 0 || !table)
        return E_NOTIMPL;
    if (state->UiType() == kUiTypePages && state->SheetMode() == OEMCUIP_DOCPROP) return E_NOTIMPL;
    if (table->m_rowCount == 0) return E_NOTIMPL;
    param->cOEMOptItems = table->m_rowCount;
    if (state->Resources()) state->Resources()->GetHelpFileName();
    return S_OK;
}

HRESULT FillOptItems(CoUIPluginExt* state) {
    POEMCUIPPARAM record = state ? state->Record() : nullptr;
    if (!record) return E_FAIL;
    if (!record->pOEMOptItems || record->cOEMOptItems == 0) return S_OK;
    XprTable* row = nullptr;
    for (DWORD i = 0; i < record->cOEMOptItems; ++i) {
        if (FetchRow(state->m_features, state->m_featureTable, &row, nullptr) != 0 || !row) return E_FAIL;
        if (!FillItem(state, row, &record->pOEMOptItems[i])) return E_FAIL;
    }
    return S_OK;
}

HRESULT BuildOptType(CoUIPluginExt* state, POPTITEM item, BYTE controlType) {
    if (!item) return E_INVALIDARG;
    if (controlType == TVOT_NONE) return S_OK;
    XprTable* option = nullptr;
    WORD rows = 0;
    if (!FirstOption(state->m_features, &option, &rows)) return E_FAIL;
    HANDLE heap = SheetHeap(state);
    SetKeyword(item, CopyBlockText(heap, GetIndirectValue(option)));
    auto* type = static_cast<POPTTYPE>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
    if (!type) return E_OUTOFMEMORY;
    type->cbSize = sizeof(OPTTYPE);
    type->Type = controlType;
    type->Count = OptionCountFor(controlType, rows);
    if (type->Count) {
        type->pOptParam = static_cast<POPTPARAM>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTPARAM) * type->Count));
        if (!type->pOptParam) return E_OUTOFMEMORY;
        for (WORD i = 0; i < type->Count; ++i) type->pOptParam[i].cbSize = sizeof(OPTPARAM);
    }
    item->pOptType = type;
    if (!type->Count) return S_OK;
    const HRESULT ruled = RunRule(state, state->m_features, option, item, type);
    if (ruled == E_OUTOFMEMORY) return ruled;
    return FAILED(ruled) ? E_FAIL : S_OK;
}

namespace {

void AddStandardGroup(CoUIPluginExt* state, DWORD group) {
    if (group == 0) return;
    for (DWORD& slot : state->m_standardGroups) {
        if (slot == group) return;
        if (slot == 0) {
            slot = group;
            return;
        }
    }
}

bool IsStandardGroupHelp(DWORD help) {
    for (DWORD id : kStandardGroupHelp)
        if (help == id) return true;
    return false;
}

}  // namespace

HRESULT BuildSheetItems(CoUIPluginExt* state, POEMCUIPPARAM param) {
    if (!state || !param) return E_FAIL;
    if (FAILED(FillOptItems(state))) return E_FAIL;
    param->pOEMUserData = state;
    param->OEMCUIPCallback = state->SheetMode() == OEMCUIP_PRNPROP ? PrinterCallback : DocumentCallback;

    if (state->SheetMode() == OEMCUIP_PRNPROP) {
        // The printer sheet edits the printer's own settings, mirrored into the data file.
        if (!param->hPrinter || param->hPrinter == INVALID_HANDLE_VALUE) return E_FAIL;
        CoDrvSettings* settings = new (std::nothrow) CoDrvSettings;
        if (!settings) return E_FAIL;
        settings->AddRef();
        if (FAILED(settings->Init(param->hPrinter))) {
            settings->Release();
            return E_FAIL;
        }
        settings->SetMode(SETTINGS_MODE_PRINTER);
        if (FAILED(settings->LoadDataFile(param->hPrinter))) {
            settings->Release();
            return E_FAIL;
        }
        if (state->m_settings) state->m_settings->Release();
        state->m_settings = settings;
    }

    POPTITEM driverItems = param->pDrvOptItems;
    const DWORD driverCount = driverItems ? param->cDrvOptItems : 0;
    POPTITEM pluginItems = param->pOEMOptItems;
    const DWORD pluginCount = pluginItems ? param->cOEMOptItems : 0;
    if (state->UiType() == kUiTypeSheets) {
        for (DWORD i = 0; i < driverCount; ++i)
            if (IsStandardGroupHelp(driverItems[i].HelpIndex)) AddStandardGroup(state, driverItems[i].HelpIndex);
        for (DWORD i = 0; i < pluginCount; ++i) {
            const OPTTYPE* type = pluginItems[i].pOptType;
            if (!type || type->Type != kTypePropSheetUI || !type->pOptParam) continue;
            for (WORD o = 0; o < type->Count; ++o)
                AddStandardGroup(state, static_cast<DWORD>(type->pOptParam[o].IconID) & 0x7FFFFFFFu);
        }
    }

    // Items built anew (a new record, items or heap) get a factory of their own.
    if (state->m_factory && (state->m_factory->Heap() != param->hOEMHeap ||
                             state->m_factory->FirstItem() != (driverCount ? driverItems : pluginItems))) {
        state->m_factory->Destroy();
        state->m_factory = nullptr;
    }
    if (!state->m_factory) {
        state->m_factory =
            MakeOnHeap<QORVAOptItemHandlerFactoryDrv>(param->hOEMHeap, param, state, state->Helper(), state->Settings());
        if (!state->m_factory) return E_FAIL;
    }
    QORVAOptItemHandlerFactory* factory = state->m_factory;
    for (DWORD i = 0; i < driverCount; ++i) factory->CreateHandler(&driverItems[i]);
    for (DWORD i = 0; i < pluginCount; ++i) factory->CreateHandler(&pluginItems[i]);
    factory->CreateConstraints();

    if (state->UiType() == kUiTypeSheets) {
        // The kit's pages show the items: the platform's tree keeps only what it cannot do without.
        for (DWORD i = 0; i < driverCount; ++i) driverItems[i].Flags |= OPTIF_HIDE;
        for (DWORD i = 0; i < pluginCount; ++i) pluginItems[i].Flags |= OPTIF_HIDE;
        if (state->SheetMode() == OEMCUIP_DOCPROP) {
            for (DWORD i = 0; i < driverCount; ++i)
                if (factory->GetPubID(&driverItems[i]) == 1) {
                    driverItems[i].Flags &= ~OPTIF_HIDE;
                    break;
                }
        } else {
            if (pluginCount) pluginItems[0].Flags &= ~OPTIF_HIDE;
            if (driverCount) driverItems[0].Flags &= ~OPTIF_HIDE;
        }
    }
    if (state->Resources()) state->Resources()->GetHelpFileName();
    return S_OK;
}

namespace {

LONG SheetCallback(CPSUICBPARAM* callback, OEMCUIPPARAM* param) {
    auto* state = param ? static_cast<CoUIPluginExt*>(param->pOEMUserData) : nullptr;
    if (!state || !callback) return CPSUICB_ACTION_NONE;
    state->AddRef();
    if (callback->Reason == CPSUICB_REASON_SETACTIVE) OnSheetActivated(state, callback->hDlg);
    const LONG answer = state->Factory() ? state->Factory()->OnCallback(callback) : CPSUICB_ACTION_NONE;
    state->Release();
    return answer;
}

}  // namespace

LONG APIENTRY DocumentCallback(CPSUICBPARAM* callback, OEMCUIPPARAM* param) {
    return SheetCallback(callback, param);
}

LONG APIENTRY PrinterCallback(CPSUICBPARAM* callback, OEMCUIPPARAM* param) {
    return SheetCallback(callback, param);
}

LONG CALLBACK PushItemCallback(CPSUICBPARAM* callback) {
    return PushCallback(callback);
}
