#include "drv_handler_sheet.h"

#include <algorithm>

#include "settings_binding.h"
#include "xpc.h"

namespace uitest {

void DrvSheetTest::SetUp() {
    UiTest::SetUp();
    m_heap = HeapCreate(0, 0, 0);
    ASSERT_TRUE(m_heap);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &m_printer, &defaults));
    ASSERT_LT(CompileByHandle(m_printer), 2u);
    m_items.reserve(32);  // the record points into the array
}

void DrvSheetTest::TearDown() {
    if (m_factory) m_factory->Destroy();
    if (m_extension) m_extension->Release();
    if (m_settings) m_settings->Release();
    if (m_parent) DestroyWindow(m_parent);
    if (m_printer) ClosePrinter(m_printer);
    if (m_heap) HeapDestroy(m_heap);
    UiTest::TearDown();
}

LPWSTR DrvSheetTest::HeapText(const std::u16string& text) {
    return uitest::HeapText(m_heap, text);
}

POPTITEM DrvSheetTest::AddItem(DWORD key, BYTE type, WORD count, std::vector<LPARAM> values,
                               std::vector<std::u16string> texts) {
    m_items.push_back(MakeTestItem(m_heap, key, type, count, values, texts));
    return &m_items.back();
}

void DrvSheetTest::MakeSheet(DWORD mode, DWORD uiType) {
    ASSERT_EQ(CreateBoundSettings(m_printer, mode == OEMCUIP_PRNPROP ? SETTINGS_MODE_PRINTER : SETTINGS_MODE_DOCUMENT,
                                  &m_settings),
              S_OK);
    DWORD size = 0;
    ASSERT_EQ(m_settings->GetDevmodeSize(&size), S_OK);
    m_privateDevmode.assign(size, 0);
    ASSERT_EQ(m_settings->GetDefaultDevmode(&size, m_privateDevmode.data()), S_OK);
    m_publicDevmode.dmSize = sizeof m_publicDevmode;
    m_record.cbSize = sizeof m_record;
    m_record.hPrinter = m_printer;
    m_record.pPrinterName = const_cast<LPWSTR>(kPrinter);
    m_record.hOEMHeap = m_heap;
    m_record.pPublicDM = &m_publicDevmode;
    m_record.pOEMDM = m_privateDevmode.data();
    m_record.pOEMOptItems = m_items.data();
    m_record.cOEMOptItems = static_cast<DWORD>(m_items.size());
    m_extension = new CoUIPluginExt;
    m_extension->AddRef();
    ASSERT_EQ(m_extension->Init(mode, &m_record, nullptr, m_settings), S_OK);
    m_extension->m_sheetWords[0] = uiType;
    m_factory = MakeOnHeap<TestFactory>(m_heap, &m_record, m_extension, nullptr, nullptr);
    ASSERT_TRUE(m_factory);
}

LONG_PTR DrvSheetTest::Value(DWORD key) {
    QORVAOptItemHandler* handler = m_factory->GetHandler(key);
    LONG_PTR value = -1;
    DWORD isText = 0;
    if (handler) handler->GetValue(nullptr, &value, &isText);
    return value;
}

HWND DrvSheetTest::Control(int id) {
    if (!m_parent)
        m_parent = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    return CreateWindowExW(0, u"Button", u"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 20, m_parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace uitest
