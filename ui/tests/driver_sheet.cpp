#include "driver_sheet.h"

#include <algorithm>

#include <palvex/machine.h>

#include "items/item_key.h"
#include "xpc.h"

namespace uitest {

void DriverSheetTest::SetUp() {
    UiTest::SetUp();
    m_heap = HeapCreate(0, 0, 0);
    ASSERT_TRUE(m_heap);
    // The items must not move once the factory holds them.
    m_items.reserve(64);
}

void DriverSheetTest::TearDown() {
    CloseSheet();
    if (m_heap) HeapDestroy(m_heap);
    UiTest::TearDown();
}

void DriverSheetTest::CloseSheet() {
    if (m_factory) m_factory->Destroy();
    m_factory = nullptr;
    if (m_extension) m_extension->Release();
    m_extension = nullptr;
    if (m_settings) m_settings->Release();
    m_settings = nullptr;
    if (m_printer) ClosePrinter(m_printer);
    m_printer = nullptr;
}

POPTITEM DriverSheetTest::AddItem(DWORD key, BYTE type, WORD count, std::vector<LPARAM> values) {
    m_items.push_back(MakeTestItem(m_heap, key, type, count, values));
    return &m_items.back();
}

POPTITEM DriverSheetTest::AddItem(DWORD key, BYTE type, const std::vector<std::u16string>& texts,
                                  std::vector<LPARAM> values) {
    m_items.push_back(MakeTestItem(m_heap, key, type, static_cast<WORD>(texts.size()), values, texts));
    return &m_items.back();
}

POPTITEM DriverSheetTest::AddNamedItem(const std::u16string& name, BYTE type, WORD count) {
    POPTITEM item = AddItem(0, type, count);
    item->DMPubID = 0;
    item->pName = HeapText(m_heap, name);
    return item;
}

QORVAOptItemHandlerFactoryDrv* DriverSheetTest::MakeFactory(DWORD uiType, DWORD sheetMode, const std::u16string& printer) {
    m_printerName = printer;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    EXPECT_TRUE(OpenPrinterW(m_printerName.data(), &m_printer, &defaults));
    EXPECT_LT(CompileByHandle(m_printer), 2u);
    m_settings = new CoDrvSettings();
    m_settings->AddRef();
    EXPECT_EQ(m_settings->Init(m_printer), S_OK);
    DWORD size = 0;
    if (SUCCEEDED(m_settings->GetDevmodeSize(&size)) && size) {
        m_privateDevmode.assign(size, 0);
        EXPECT_EQ(m_settings->GetDefaultDevmode(&size, m_privateDevmode.data()), S_OK);
    }
    m_record.cbSize = sizeof m_record;
    m_record.hPrinter = m_printer;
    m_record.pPrinterName = m_printerName.data();
    m_record.hOEMHeap = m_heap;
    m_record.pOEMOptItems = m_items.data();
    m_record.cOEMOptItems = static_cast<DWORD>(m_items.size());
    m_record.pOEMDM = m_privateDevmode.empty() ? nullptr : m_privateDevmode.data();
    m_extension = new CoUIPluginExt;
    m_extension->AddRef();
    EXPECT_EQ(m_extension->Init(sheetMode, &m_record, nullptr, m_settings), S_OK);
    m_extension->m_sheetWords[0] = uiType;
    m_factory = MakeOnHeap<QORVAOptItemHandlerFactoryDrv>(m_heap, &m_record, m_extension, nullptr, nullptr);
    for (OPTITEM& item : m_items) m_factory->CreateHandler(&item);
    return m_factory;
}

std::u16string DriverSheetTest::Text(DWORD key, LONG index) {
    QORVAOptItemHandler* handler = Handler(key);
    LPCWSTR text = handler ? handler->GetOptionText(index, nullptr, nullptr) : nullptr;
    return text ? std::u16string(text) : std::u16string();
}

}  // namespace uitest
