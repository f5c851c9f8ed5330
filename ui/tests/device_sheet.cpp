#include "device_sheet.h"


#include <cstring>

#include <palvex/clock.h>
#include <win/commctrl.h>

#include "coresources.h"
#include "items/optitem_dlglink.h"
#include "items/item_key.h"
#include "module_state.h"
#include "options/device_info_handlers.h"
#include "options/device_option_handler.h"
#include "options/device_page_links_lists.h"
#include "options/printer_address_check.h"
#include "options/printer_address_handler.h"
#include "drvstore.h"
#include "xpc.h"
#include "xpr.h"

namespace uitest {
namespace {

// One item of the sheet: its key, option type and options (value, text id; text id 0: no text).
struct SheetItem {
    DWORD key;
    BYTE type;
    std::vector<std::pair<LPARAM, DWORD>> options;
};

const std::vector<SheetItem>& Items() {
    static const std::vector<SheetItem> items = {
        {25101, TVOT_LISTBOX, {{0, 0}, {1, 0}}},
        {25103, TVOT_COMBOBOX, {{0, 25120}, {1, 25121}, {2, 25188}, {3, 25123}}},
        {25181, TVOT_LISTBOX, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {25201, TVOT_LISTBOX, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {25203,
         TVOT_COMBOBOX,
         {{11, 1217}, {6, 1238}, {13, 1220}, {9, 1216}, {1, 1226}, {5, 1225}, {12, 1219}, {8, 1215}, {17, 1224}, {0, 1213}}},
        {25205, TVOT_COMBOBOX, {{513, 1316}, {518, 1321}, {519, 1322}, {517, 1320}}},
        {25301, TVOT_CHKBOX, {{0, 0}}},
        {25303, TVOT_2STATES, {{0, 0}, {1, 0}}},
        {25104, TVOT_PUSHBUTTON, {{0, 0}}},
        {25308, TVOT_PUSHBUTTON, {{0, 0}}},
        {1143, TVOT_PUSHBUTTON, {{0, 0}}},
        {1145, TVOT_CHKBOX, {{0, 0}}},
        {9353, TVOT_PUSHBUTTON, {{0, 0}}},
        {25402, TVOT_EDITBOX, {{0, 0}, {64, 0}}},
        {25502, TVOT_EDITBOX, {{0, 0}, {64, 0}}},
        {kTonerSaveItem, TVOT_2STATES, {{0, 0}, {1, 0}}},
        {103, TVOT_PUSHBUTTON, {{0, 0}}},
        {1203, TVOT_COMBOBOX, {{9, 1216}, {1, 1226}, {0, 1213}}},
        {1141, TVOT_COMBOBOX, {{0, 0}, {1, 0}}},
        {1142, TVOT_PUSHBUTTON, {{0, 0}}},
        {25407, TVOT_PUSHBUTTON, {{0, 0}}},
        {25408, TVOT_PUSHBUTTON, {{0, 0}}},
        {25409, TVOT_PUSHBUTTON, {{0, 0}}},
        {25507, TVOT_PUSHBUTTON, {{0, 0}}},
        {25508, TVOT_PUSHBUTTON, {{0, 0}}},
        {25509, TVOT_PUSHBUTTON, {{0, 0}}},
    };
    return items;
}

WPARAM g_lastCommand = 0;

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) g_lastCommand = wParam;
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The style of a dialog template, plain or extended.
DWORD GetWindowLongFromTemplate(LPCDLGTEMPLATEW form) {
    const auto* words = reinterpret_cast<const WORD*>(form);
    if (words[0] == 1 && words[1] == 0xFFFF) {
        DWORD style = 0;
        std::memcpy(&style, reinterpret_cast<const BYTE*>(form) + 12, sizeof style);
        return style;
    }
    return form->style;
}

LPWSTR HeapText(HANDLE heap, const WCHAR* text) {
    const size_t length = text ? std::char_traits<char16_t>::length(text) : 0;
    auto* copy = static_cast<LPWSTR>(HeapAlloc(heap, HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR)));
    if (copy && length) std::memcpy(copy, text, length * sizeof(WCHAR));
    return copy;
}

}  // namespace

WPARAM LastDialogCommand() {
    return g_lastCommand;
}

std::vector<BYTE> Utf16Bytes(const std::u16string& text) {
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(char16_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

QORVAOptItemHandler* DeviceTestFactory::CreateHandler(POPTITEM item) {
    const DWORD key = item ? GetPubID(item) : 0;
    if (!key || FindHandler(key)) return FindHandler(key);
    QORVAOptItemHandler* handler = nullptr;
    if (key == kTrayListItem) handler = MakeOnHeap<QVOptItemHandlerDEVINFOPropSheet>(m_heap, m_heap, this, item);
    else if (key == kHeldJobIdItem || key == kUserTrackingIdItem)
        handler = MakeOnHeap<QVOptItemHandlerIDANDPWD>(m_heap, m_heap, this, item);
    else if (key == kTonerSaveItem) handler = MakeOnHeap<QVOptItemHandlerECONOMODE>(m_heap, m_heap, this, item);
    else if (key == kDeviceOptionChoiceItem)
        handler = MakeOnHeap<QORVAOptItemHandlerDEVOPTCOMBOBOX>(m_heap, m_heap, this, item);
    if (!handler) return QORVAOptItemHandlerFactory::CreateHandler(item);
    StoreHandler(key, handler);
    return handler;
}

void DeviceTestFactory::CreateDlgLink(HWND dialog, QORVAOptItemHandler* handler) {
    // The device page's rows of the driver's factory.
    const DWORD key = handler->ItemKey();
    HWND control = GetDlgItem(dialog, static_cast<int>(key));
    if (!control || GetPropW(control, u"optItemHandler")) return;
    QORVAOptItemDlgLink* link = nullptr;
    switch (key) {
    case 25101:
    case 25181:
    case 25201:
        SendMessageW(control, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        if (key == 25101) link = MakeOnHeap<QVOptItemDlgLinkListviewDEVOPTINFO>(m_heap, m_heap, handler, control, key);
        else link = MakeOnHeap<QVOptItemDlgLinkListviewTRAYINFO>(m_heap, m_heap, handler, control, key);
        break;
    case 25103: link = MakeOnHeap<QVOptItemDlgLinkComboboxDEVOPTCOMBOBOX>(m_heap, m_heap, handler, control, key); break;
    case 25203: link = MakeOnHeap<QVOptItemDlgLinkComboboxTRAYINFO_SIZE>(m_heap, m_heap, handler, control, key); break;
    case 25205: link = MakeOnHeap<QVOptItemDlgLinkComboboxTRAYINFO_TYPE>(m_heap, m_heap, handler, control, key); break;
    case 1145: link = MakeOnHeap<QVOptItemDlgLinkCheckUSRACTPRN>(m_heap, m_heap, handler, control, key); break;
    default: return;
    }
    handler->AttachDlgLink(link);
}

void DeviceSheetTest::SetUp() {
    UiTest::SetUp();
    SYSTEMTIME start{};
    start.wYear = 2026;
    start.wMonth = 12;
    start.wDay = 11;
    start.wHour = 9;
    palvex::SetVirtualClock(start);
    m_heap = HeapCreate(0, 0, 0);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &m_printer, &defaults));
    ASSERT_LT(CompileByHandle(m_printer), 2u);
    SetPrinterValue(u"Model", REG_SZ, Utf16Bytes(u"Palvex QX500"));
}

void DeviceSheetTest::OpenSheet(DWORD accessState, DWORD readOnly) {
    m_settings = new CoDrvSettings();
    m_settings->AddRef();
    ASSERT_EQ(m_settings->Init(m_printer), S_OK);
    m_settings->SetMode(SETTINGS_MODE_PRINTER);  // the printer sheet's settings
    m_extension = new CoUIPluginExt;
    m_extension->AddRef();
    m_record.cbSize = sizeof m_record;
    m_record.hOEMHeap = m_heap;
    m_record.hPrinter = m_printer;
    m_record.pPrinterName = const_cast<LPWSTR>(kPrinter);
    ASSERT_EQ(m_extension->Init(OEMCUIP_PRNPROP, &m_record, nullptr, m_settings), S_OK);
    m_extension->m_sheetWords[0] = kUiTypeSheets;
    m_extension->m_accessState = accessState;
    m_extension->m_readOnly = readOnly;
    IDrvResources* resources = m_extension->Resources();
    ASSERT_NE(resources, nullptr);

    m_items.clear();
    m_items.reserve(Items().size());
    for (const SheetItem& shape : Items()) {
        OPTITEM item{};
        item.cbSize = sizeof item;
        if (shape.key == kTonerSaveItem) {
            item.DMPubID = 100;
            item.UserItemID = 1;
            item.HelpIndex = kSpecialHelpIndex;
        } else {
            SplitKitKey(shape.key, &item.DMPubID, &item.UserItemID);
        }
        auto* type = static_cast<POPTTYPE>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
        type->cbSize = sizeof(OPTTYPE);
        type->Type = shape.type;
        type->Count = static_cast<WORD>(shape.options.size());
        type->pOptParam = static_cast<POPTPARAM>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTPARAM) * shape.options.size()));
        for (size_t i = 0; i < shape.options.size(); ++i) {
            OPTPARAM& option = type->pOptParam[i];
            option.cbSize = sizeof(OPTPARAM);
            option.lParam = shape.options[i].first;
            WCHAR text[64] = {};
            if (shape.options[i].second) resources->LoadString(shape.options[i].second, text, 64);
            option.pData = HeapText(m_heap, text);
        }
        item.pOptType = type;
        if (shape.type == TVOT_EDITBOX) item.pSel = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 64 * sizeof(WCHAR)));
        m_items.push_back(item);
    }
    m_record.pOEMOptItems = m_items.data();
    m_record.cOEMOptItems = static_cast<DWORD>(m_items.size());
    m_factory = MakeOnHeap<DeviceTestFactory>(m_heap, &m_record, m_extension, nullptr, nullptr);
    ASSERT_NE(m_factory, nullptr);
    for (OPTITEM& item : m_items) m_factory->CreateHandler(&item);
    ASSERT_NE(PrepareDevinfoData(m_printer, kPrinter), nullptr);
    m_rules = MakeOnHeap<QVOptItemConstraintDEVINFO>(m_heap, m_heap, m_factory);
    ASSERT_NE(m_rules, nullptr);
}

void DeviceSheetTest::CloseSheet() {
    for (auto window = m_windows.rbegin(); window != m_windows.rend(); ++window) DestroyWindow(*window);
    m_windows.clear();
    m_frame = nullptr;
    if (m_rules) {
        m_rules->ReleaseItemMap();
        m_rules->Destroy();
        m_rules = nullptr;
    }
    if (m_factory) {
        m_factory->Destroy();
        m_factory = nullptr;
    }
    if (m_extension) m_extension->Release();
    m_extension = nullptr;
    if (m_settings) m_settings->Release();
    m_settings = nullptr;
}

void DeviceSheetTest::TearDown() {
    CloseSheet();
    if (m_printer) ClosePrinter(m_printer);
    if (m_heap) HeapDestroy(m_heap);
    palvex::UseRealClock();
    UiTest::TearDown();
}

void DeviceSheetTest::Apply() {
    m_factory->OnOK(nullptr);
    m_settings->SetOptItems(m_record.pOEMOptItems, m_record.cOEMOptItems, nullptr, m_printer);
    CompileByHandle(m_printer);
}

HWND DeviceSheetTest::OpenPage(DWORD dialogId) {
    LPCDLGTEMPLATEW form = m_extension->Resources()->GetDialogTemplate(dialogId, FALSE);
    EXPECT_NE(form, nullptr) << dialogId;
    // A page is a child window: the sheet's frame stands behind it.
    if (!m_frame) {
        m_frame = CreateWindowExW(0, u"STATIC", u"frame", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        m_windows.push_back(m_frame);
    }
    const bool child = (GetWindowLongFromTemplate(form) & WS_CHILD) != 0;
    HWND dialog = CreateDialogIndirectParamW(nullptr, form, child ? m_frame : nullptr, QuietProc, 0);
    EXPECT_NE(dialog, nullptr) << dialogId;
    m_windows.push_back(dialog);
    m_factory->InitDialog(dialog);
    return dialog;
}

HWND DeviceSheetTest::OpenPopup(DWORD dialogId) {
    m_factory->BeginPushLevel(dialogId);
    return OpenPage(dialogId);
}

std::vector<BYTE> DeviceSheetTest::Data(LPCWSTR key, LPCWSTR name, DWORD* type) {
    DWORD needed = 0, found = 0;
    GetPrinterDataExW(m_printer, key, name, &found, nullptr, 0, &needed);
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataExW(m_printer, key, name, &found, bytes.data(), needed, &needed) != ERROR_SUCCESS) return {};
    if (type) *type = found;
    return bytes;
}

bool DeviceSheetTest::HasData(LPCWSTR key, LPCWSTR name) {
    DWORD needed = 0, type = 0;
    const DWORD error = GetPrinterDataExW(m_printer, key, name, &type, nullptr, 0, &needed);
    return error == ERROR_SUCCESS || error == ERROR_MORE_DATA;
}

DWORD DeviceSheetTest::StoredSetting(LPCWSTR field, DWORD size) {
    auto* fresh = new CoDrvSettings();
    fresh->AddRef();
    DWORD value = 0;
    if (SUCCEEDED(fresh->Init(m_printer))) fresh->GetFieldValue(nullptr, field, &value, size, 1);
    fresh->Release();
    return value;
}

void DeviceSheetTest::SetStoredSetting(LPCWSTR field, DWORD value, DWORD size) {
    XprStore* loaded = nullptr;
    ASSERT_LT(CreateByHandle(&loaded, m_printer, u"PRINTERSETTINGS"), 2u);
    const OwnedStore store(loaded);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchFirstRow(store.get(), u"PRINTERSETTINGS", &cursor), 0u);
    ASSERT_EQ(SetValue(cursor, &value, size, field), 0u);
    ASSERT_LT(SaveByHandle(store.get(), m_printer, FALSE), 2u);
}

DWORD DeviceSheetTest::SheetSetting(LPCWSTR field, DWORD size) {
    DWORD value = 0;
    m_settings->GetFieldValue(nullptr, field, &value, size, 1);
    return value;
}

void DeviceSheetTest::RefuseData(const char* valueName, const char* table) {
    const std::string column = std::string(table) == "reg_values" ? "name_key" : "value_key";
    const std::string trigger = "CREATE TRIGGER refuse_data BEFORE INSERT ON " + std::string(table) + " WHEN NEW." + column +
                                " = '" + valueName + "' BEGIN SELECT RAISE(ABORT, 'disk full'); END;";
    ASSERT_TRUE(RunMachineSql(m_machine, trigger));
}

void DeviceSheetTest::AllowData() {
    ASSERT_TRUE(RunMachineSql(m_machine, "DROP TRIGGER IF EXISTS refuse_data;"));
}

}  // namespace uitest
