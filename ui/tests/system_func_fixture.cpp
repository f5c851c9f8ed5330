#include "system_func_fixture.h"

#include <algorithm>
#include <cstring>

#include "spooler_forms.h"
#include "xpc.h"

namespace uitest {

std::u16string TestItem::Text(size_t i) const {
    const LPWSTR text = type.pOptParam[i].pData;
    return reinterpret_cast<ULONG_PTR>(text) > 0xFFFF ? std::u16string(text) : std::u16string();
}

void SystemFuncTest::SetUp() {
    UiTest::SetUp();
    m_heap = HeapCreate(0, 0, 0);
    ASSERT_TRUE(m_heap);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &m_printer, &defaults));
    ASSERT_LT(CompileByHandle(m_printer), 2u);
    ASSERT_EQ(CreateResources(&m_resources, m_printer, m_heap), S_OK);
    Reload();
}

void SystemFuncTest::TearDown() {
    m_func.reset();
    if (m_settings) m_settings->Release();
    if (m_resources) m_resources->Release();
    m_watermarks.reset();
    m_documents.reset();
    m_features.reset();
    if (m_printer) ClosePrinter(m_printer);
    if (m_heap) HeapDestroy(m_heap);
}

void SystemFuncTest::Reload() {
    m_func.reset();
    for (auto [store, name] : {std::pair{&m_watermarks, u"WATERMARKSETTINGS"}, {&m_documents, u"DOCUMENTSETTINGS"},
                               {&m_features, u"PRINTERFEATURE"}}) {
        XprStore* loaded = nullptr;
        ASSERT_LT(CreateByHandle(&loaded, m_printer, name), 2u);
        store->reset(loaded);
    }
    if (m_settings) m_settings->Release();
    m_settings = new CoDrvSettings();
    m_settings->AddRef();
    ASSERT_EQ(m_settings->Init(m_printer), S_OK);
}

QORVASystemFunc& SystemFuncTest::Func() {
    if (!m_func) {
        QORVASystemFuncContext context;
        context.m_heap = m_heap;
        context.m_printer = m_printer;
        context.m_printerName = kPrinter;
        context.m_resources = m_resources;
        context.m_settings = m_settings;
        context.m_watermarkSettings = m_watermarks.get();
        context.m_documentSettings = m_documents.get();
        context.m_printerFeature = m_features.get();
        context.m_itemTarget = &m_items;
        m_func = std::make_unique<QORVASystemFunc>(nullptr, context);
    }
    return *m_func;
}

void SystemFuncTest::Fill(TestItem& item, const std::vector<std::u16string>& texts) {
    auto* options = static_cast<POPTPARAM>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, texts.size() * sizeof(OPTPARAM)));
    ASSERT_TRUE(options);
    for (size_t i = 0; i < texts.size(); ++i) {
        auto* text = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, (texts[i].size() + 1) * sizeof(WCHAR)));
        std::copy(texts[i].begin(), texts[i].end(), text);
        options[i].cbSize = sizeof(OPTPARAM);
        options[i].pData = text;
        options[i].lParam = static_cast<LPARAM>(i);
    }
    item.type.pOptParam = options;
    item.type.Count = static_cast<WORD>(texts.size());
}

void SystemFuncTest::AddForm(const std::u16string& name, LONG width, LONG height, DWORD flags, LONG left) {
    PrinterHandle admin;
    std::u16string text = name;
    FORM_INFO_1W form{flags, text.data(), SIZEL{width, height}, RECTL{left, 0, width, height}};
    ASSERT_TRUE(AddFormW(admin.get(), 1, reinterpret_cast<LPBYTE>(&form))) << GetLastError();
}

LONG SystemFuncTest::Mark(const std::u16string& name, DWORD* type) {
    DWORD size = 4;  // stays 4 when there is no value
    const LONG mark = ReadMark(m_printer, name, type, &size);
    EXPECT_EQ(size, 4u);
    return mark;
}

void SystemFuncTest::SetMark(const std::u16string& name, DWORD value) {
    PrinterHandle admin;
    ASSERT_EQ(SetPrinterDataExW(admin.get(), u"CUSTOMMEDIA", name.c_str(), REG_DWORD,
                                reinterpret_cast<LPBYTE>(&value), sizeof value),
              static_cast<DWORD>(ERROR_SUCCESS));
}

std::vector<std::u16string> SystemFuncTest::UserForms() {
    DWORD needed = 0;
    DWORD count = 0;
    EnumFormsW(m_printer, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    EXPECT_TRUE(EnumFormsW(m_printer, 1, buffer.data(), needed, &needed, &count));
    std::vector<std::u16string> names;
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (forms[i].Flags == FORM_USER) names.emplace_back(forms[i].pName);
    return names;
}

std::vector<std::u16string> SystemFuncTest::Marks() {
    std::vector<std::u16string> names;
    for (const auto& value : palvex::ListPrinterData(kPrinter))
        if (value.key == u"CUSTOMMEDIA") names.push_back(value.valueName);
    return names;
}

}  // namespace uitest
