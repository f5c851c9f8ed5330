// The settings object's lifetime, loading and field access by settings key.
#include <algorithm>
#include <array>
#include <cstring>

#include "codrvsettings_fixture.h"

namespace drvtest {
namespace {

using FieldsTest = DrvSettingsTest;

// A private devmode record with guard bytes after it: the record is the default row's bytes.
struct Record {
    std::array<BYTE, dm::kRecordSize + 8> m_bytes{};
    BYTE* data() { return m_bytes.data(); }
};

Record DefaultRecord(CoDrvSettings* settings) {
    Record record;
    record.m_bytes.fill(0xEE);
    DWORD size = dm::kRecordSize;
    EXPECT_EQ(settings->GetDefaultDevmode(&size, record.data()), S_OK);
    return record;
}

TEST_F(FieldsTest, QueryInterfaceAnswersOnlyIUnknownAndReleaseDeletes) {
    auto* settings = new CoDrvSettings;
    EXPECT_EQ(settings->AddRef(), 1u);
    void* object = reinterpret_cast<void*>(1);
    constexpr IID kOther = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(settings->QueryInterface(kOther, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(settings->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<IUnknown*>(settings));
    EXPECT_EQ(settings->Release(), 1u);
    EXPECT_EQ(settings->Release(), 0u);  // deleted: the sanitizer build would see a leak otherwise
}

TEST_F(FieldsTest, InitSetsSizeAndSignatureOfBothRowsInMemoryOnly) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    DWORD size = 0, signature = 0;
    EXPECT_EQ(settings->GetFieldValue(nullptr, u"_SIZE", &size, 4, SETTINGS_SELECT_PRINTER), S_OK);
    EXPECT_EQ(settings->GetFieldValue(nullptr, u"_SIGNATURE", &signature, 4, SETTINGS_SELECT_PRINTER), S_OK);
    EXPECT_EQ(size, ps::kRecordSize);
    EXPECT_EQ(signature, 0x33444B51u);  // "QKD3"
    Record record = DefaultRecord(settings.get());
    EXPECT_EQ(Peek<DWORD>(record.data(), dm::kSize), dm::kRecordSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data()) + dm::kSignature, 4), "QKD3");

    // Printer data is not written by Init.
    const std::vector<BYTE> stored = xprtest::ReadPrinterValue(kPrinter, u"PRINTERSETTINGS");
    EXPECT_EQ(stored, PrinterBuilder().Build());
}

// Init of a settings object on a new printer of the test driver holding the blocks given (an
// empty one is left out); the object answers no devmode size after a refused Init.
HRESULT InitOnPrinter(const std::u16string& printer, const std::vector<BYTE>& devmode, const std::vector<BYTE>& settings) {
    palvex::AddPrinter(printer, kDriver);
    if (!devmode.empty()) xprtest::WritePrinterValue(printer, u"OEMDEVMODE", devmode);
    if (!settings.empty()) xprtest::WritePrinterValue(printer, u"PRINTERSETTINGS", settings);
    SettingsPtr object(new CoDrvSettings);
    object->AddRef();
    xprtest::PrinterHandle handle(printer);
    const HRESULT result = object->Init(handle.get());
    DWORD size = 1;
    if (FAILED(result)) {
        EXPECT_EQ(object->GetDevmodeSize(&size), E_NOTIMPL);
        EXPECT_EQ(size, 0u);
        // No default record to copy: the size given is cleared.
        BYTE buffer[64] = {};
        size = sizeof buffer;
        EXPECT_EQ(object->GetDefaultDevmode(&size, buffer), E_FAIL);
        EXPECT_EQ(size, 0u);
    }
    return result;
}

TEST_F(FieldsTest, InitFailsWithoutEitherBlock) {
    EXPECT_EQ(InitOnPrinter(u"Bare OEMDEVMODE", {}, PrinterBuilder().Build()), E_FAIL);
    EXPECT_EQ(InitOnPrinter(u"Bare PRINTERSETTINGS", DevmodeBuilder().Build(), {}), E_FAIL);
}

// Records are rows without their 8-byte key: a block keyed otherwise is not taken, as every field
// place and record copy would land past the record.
TEST_F(FieldsTest, InitRefusesBlocksWhoseRowsAreNotKeyedRecords) {
    // XprColumn: name (96 bytes), then its offset in the row at 96; 108 bytes a column.
    constexpr size_t kColumnBytes = 108, kOffset = 96;
    struct Case {
        const char* name;
        void (*change)(std::vector<BYTE>& bytes, DWORD columns);
    };
    const Case cases[] = {
        {"no key column", [](std::vector<BYTE>& b, DWORD columns) { b[columns + 2] = 'X'; }},  // "TAX"
        {"the key after two fields",
         [](std::vector<BYTE>& b, DWORD columns) {
             const DWORD places[] = {8, 0, 4};  // TAG, _SIZE, _SIGNATURE
             for (size_t i = 0; i < 3; ++i) std::memcpy(b.data() + columns + i * kColumnBytes + kOffset, &places[i], 4);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string printer = u"Odd keys " + std::u16string(c.name, c.name + std::strlen(c.name));
        xprtest::BlockLayout layout;
        std::vector<BYTE> devmode = DevmodeBuilder().Build(&layout);
        c.change(devmode, layout.m_columns[0]);
        EXPECT_EQ(InitOnPrinter(printer, devmode, PrinterBuilder().Build()), E_FAIL);
    }
}

TEST_F(FieldsTest, GetFieldValueCopiesWithinTheFieldAndTheBuffer) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(settings.get());
    record.data()[dm::kBklMode] = 0x7F;  // the byte after _NUP_PAGES
    struct Case {
        const char16_t* name;
        DWORD size;
        std::vector<BYTE> expected;  // the destination's bytes after the call (guard 0xAA beyond size)
    };
    const Case cases[] = {
        {u"_NUP_PAGES", 4, {2, 0, 0, 0, 0xAA}},                // wider buffer: the rest zero-filled
        {u"_BINDING_MARGIN", 2, {4, 3, 0xAA}},                  // narrower buffer: only size bytes
        {u"_BINDING_MARGIN", 4, {4, 3, 2, 1, 0xAA}},
        {u"_WMK_TEXT", 18, {'D', 0, 'R', 0, 'A', 0, 'F', 0, 'T', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAA}},
        {u"_SIZE", 4, {dm::kRecordSize, 0, 0, 0, 0xAA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " case " << (&c - cases));
        std::vector<BYTE> buffer(c.expected.size(), 0xAA);
        EXPECT_EQ(settings->GetFieldValue(record.data(), c.name, buffer.data(), c.size, SETTINGS_SELECT_DEVMODE), S_OK);
        EXPECT_EQ(buffer, c.expected);
    }
}

TEST_F(FieldsTest, FieldAccessRefusals) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(settings.get());
    DWORD value = 0;
    struct Case {
        PVOID record;
        const char16_t* name;
        void* buffer;
        DWORD size;
        DWORD selector;
        HRESULT expected;
    };
    const Case cases[] = {
        {nullptr, u"_NUP_PAGES", &value, 4, SETTINGS_SELECT_DEVMODE, E_INVALIDARG},  // no record for a devmode
        {nullptr, u"_NUP_PAGES", &value, 4, SETTINGS_SELECT_OWN, E_INVALIDARG},      // own mode is the document
        {record.data(), nullptr, &value, 4, SETTINGS_SELECT_DEVMODE, E_INVALIDARG},
        {record.data(), u"_NUP_PAGES", nullptr, 4, SETTINGS_SELECT_DEVMODE, E_INVALIDARG},
        {record.data(), u"_NUP_PAGES", &value, 0, SETTINGS_SELECT_DEVMODE, E_INVALIDARG},
        {record.data(), u"_NUP_PAGES", &value, 4, 3, E_INVALIDARG},
        {record.data(), u"_NO_SUCH", &value, 4, SETTINGS_SELECT_DEVMODE, E_FAIL},
        {record.data(), u"_nup_pages", &value, 4, SETTINGS_SELECT_DEVMODE, E_FAIL},  // names are exact
        {record.data(), u"TAG", &value, 4, SETTINGS_SELECT_DEVMODE, E_FAIL},         // the key is no field
        {record.data(), u"_DUPLEXTYPE", &value, 4, SETTINGS_SELECT_DEVMODE, E_FAIL}, // a printer field
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(settings->GetFieldValue(c.record, c.name, c.buffer, c.size, c.selector), c.expected);
        if (c.buffer && c.size) {
            EXPECT_EQ(settings->SetFieldValue(c.record, c.name, c.buffer, c.size, c.selector), c.expected);
        }
    }
}

TEST_F(FieldsTest, SetFieldValueWritesOnlyItsFieldAndClearsTheRest) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(settings.get());
    const Record before = record;

    const DWORD wide = 0xFFFFFFFF;
    ASSERT_EQ(settings->SetFieldValue(record.data(), u"_NUP_PAGES", &wide, 4, SETTINGS_SELECT_DEVMODE), S_OK);
    const BYTE narrow = 0x55;
    ASSERT_EQ(settings->SetFieldValue(record.data(), u"_BINDING_MARGIN", &narrow, 1, SETTINGS_SELECT_DEVMODE), S_OK);
    const char16_t text[] = u"OK";
    ASSERT_EQ(settings->SetFieldValue(record.data(), u"_WMK_TEXT", text, sizeof text, SETTINGS_SELECT_DEVMODE), S_OK);

    Record expected = before;
    expected.m_bytes[dm::kNupPages] = 0xFF;
    Poke<DWORD>(expected.data(), dm::kBindingMargin, 0x55);
    std::fill_n(expected.data() + dm::kWmkText, 16, 0);
    Poke<char16_t>(expected.data(), dm::kWmkText, u'O');
    Poke<char16_t>(expected.data(), dm::kWmkText + 2, u'K');
    EXPECT_EQ(record.m_bytes, expected.m_bytes);
}

TEST_F(FieldsTest, PrinterFieldsWithoutRecordAreTheCurrentPrinterRow) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_PRINTER);
    const DWORD duplex = 3;
    ASSERT_EQ(settings->SetFieldValue(nullptr, u"_DUPLEXTYPE", &duplex, 4, SETTINGS_SELECT_OWN), S_OK);
    auto* field = static_cast<BYTE*>(settings->GetFieldPtr(nullptr, u"_DUPLEXTYPE", SETTINGS_SELECT_PRINTER));
    EXPECT_EQ(Peek<DWORD>(field, 0), 3u);
    auto* pdl = static_cast<BYTE*>(settings->GetFieldPtr(nullptr, u"_PDLTYPE", SETTINGS_SELECT_OWN));
    EXPECT_EQ(field - pdl, static_cast<ptrdiff_t>(ps::kDuplexType - ps::kPdlType));
    EXPECT_EQ(Peek<DWORD>(pdl, 0), 50u);
    // An empty name keeps the column selected last.
    DWORD again = 0;
    EXPECT_EQ(settings->GetFieldValue(nullptr, u"", &again, 4, SETTINGS_SELECT_PRINTER), S_OK);
    EXPECT_EQ(again, 50u);
}

TEST_F(FieldsTest, GetFieldPtrPointsIntoTheRecordOrAtAClearedScratch) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(settings.get());
    EXPECT_EQ(settings->GetFieldPtr(record.data(), u"_SCALE_FACTOR", SETTINGS_SELECT_DEVMODE),
              record.data() + dm::kScaleFactor);

    for (const char16_t* missing : {u"_NO_SUCH", u"TAG", u"_DUPLEXTYPE"}) {
        auto* scratch = static_cast<BYTE*>(settings->GetFieldPtr(record.data(), missing, SETTINGS_SELECT_DEVMODE));
        ASSERT_NE(scratch, nullptr);
        EXPECT_TRUE(scratch < record.data() || scratch >= record.data() + record.m_bytes.size());
        // As wide as the widest field (16 bytes here), and read as 0 whatever was written before.
        for (int i = 0; i < 16; ++i) EXPECT_EQ(scratch[i], 0);
        std::fill_n(scratch, 16, 0x99);
    }
    // Before Init the object has no tables, and the scratch still serves.
    CoDrvSettings* bare = new CoDrvSettings;
    bare->AddRef();
    auto* scratch = static_cast<BYTE*>(bare->GetFieldPtr(record.data(), u"_NUP_PAGES", SETTINGS_SELECT_DEVMODE));
    ASSERT_NE(scratch, nullptr);
    std::fill_n(scratch, 8, 0x99);
    EXPECT_EQ(Peek<uint64_t>(bare->GetFieldPtr(nullptr, u"_NUP_PAGES", SETTINGS_SELECT_PRINTER), 0), 0u);
    bare->Release();
}

}  // namespace
}  // namespace drvtest
