#include "codrvsettings_fixture.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <palvex/clock.h>
#include <palvex/paths.h>

#include "driver_columns.h"

namespace drvtest {

using xprtest::BlockBuilder;
using Kind = XprColumnKind;

std::vector<BYTE> Bytes(const std::u16string& text, size_t units) {
    std::vector<BYTE> bytes(units * 2, 0);
    std::memcpy(bytes.data(), text.data(), std::min(text.size(), units) * 2);
    return bytes;
}

BlockBuilder DevmodeBuilder() {
    BlockBuilder builder;
    const auto columns = xprtest::Columns(xprtest::RecordHeadColumns(), {
        {u"_NUP_PAGES", Kind::BYTE},
        {u"_BKL_MODE", Kind::BYTE},
        {u"_MEDIASIZE", Kind::WORD},
        {u"_SCALEDOCON_ENABLED", Kind::BYTE},
        {u"_SCALEDOCON_SIZE", Kind::WORD},
        {u"_SCALE_FACTOR", Kind::WORD},
        {u"_WMK_TEXT", Kind::CHAR, 8},
        {u"_WMK_TEXT_IDX", Kind::WORD},
        {u"_SCALE_LEVEL", Kind::SHORT},
        {u"_BINDING_MARGIN", Kind::DWORD},
    });
    const int table = builder.AddTable(u"OEMDEVMODE", columns);
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetDword(table, row, u"_VERSION", 3);
    builder.SetBytes(table, row, u"_NUP_PAGES", {2});
    builder.SetBytes(table, row, u"_MEDIASIZE", {9, 0});
    builder.SetBytes(table, row, u"_SCALEDOCON_SIZE", {9, 0});
    builder.SetBytes(table, row, u"_SCALE_FACTOR", {100, 0});
    builder.SetBytes(table, row, u"_WMK_TEXT", Bytes(u"DRAFT", 8));
    builder.SetDword(table, row, u"_BINDING_MARGIN", 0x01020304);
    return builder;
}

BlockBuilder PrinterBuilder() {
    BlockBuilder builder;
    const auto columns = xprtest::Columns(xprtest::PrinterSettingsLeadColumns(), {
        {u"_DUPLEXTYPE", Kind::DWORD},
        {u"_FORMASSIGN", Kind::BYTE},
        {u"_LRGSIZESCL", Kind::BYTE},
        {u"_OPTSOURCE", Kind::WORD},
        {u"_MEDIASIZE_1", Kind::CHAR, 8},
        {u"_XPD_RESERVE", Kind::BYTE, 4},
        {u"_COMMENT", Kind::CHAR, 8},
    });
    const int table = builder.AddTable(u"PRINTERSETTINGS", columns);
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetDword(table, row, u"_VERSION", 3);
    builder.SetDword(table, row, u"_PDLTYPE", 50);
    builder.SetDword(table, row, u"_DUPLEXTYPE", 1);
    builder.SetBytes(table, row, u"_FORMASSIGN", {1});
    builder.SetBytes(table, row, u"_OPTSOURCE", {2, 0});
    builder.SetBytes(table, row, u"_MEDIASIZE_1", Bytes(u"_MS_A4", 8));
    builder.SetBytes(table, row, u"_XPD_RESERVE", {1, 2, 3, 4});
    return builder;
}

BlockBuilder WriterSettingsBuilder(BYTE formAssign, WORD source, BYTE scaling) {
    BlockBuilder builder;
    const auto columns = xprtest::Columns(xprtest::PrinterSettingsLeadColumns(), {
        {u"_FORMASSIGN", Kind::BYTE},
        {u"_OPTSOURCE", Kind::WORD},
        {u"_LRGSIZESCL", Kind::BYTE},
        {u"_MEDIASIZE_1", Kind::CHAR, 20},
        {u"_MEDIASIZE_2", Kind::CHAR, 20},
        {u"_MEDIATYPE_1", Kind::CHAR, 20},
        {u"_OFFSET", Kind::SHORT},
        {u"_MEDIASIZE_9", Kind::CHAR, 20},
        {u"_COLOR", Kind::COLORREF},
        {u"_BIG", Kind::DWORD64},
        {u"_XPD_RESERVE", Kind::BYTE, 4},
        {u"_OEM_RESERVE", Kind::BYTE, 2},
        {u"_NOTE", Kind::DYNAMIC},
        {u"_NOREC", Kind::DYNAMIC},
        {u"_LINK", Kind::STRING},
        {u"_EMPTY", Kind::CHAR, 4},
        {u"_PATTERN", Kind::BYTE, 70},
        {u"_KANJI", Kind::CHAR, 8},
    });
    const int table = builder.AddTable(u"PRINTERSETTINGS", columns);
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetDword(table, row, u"_VERSION", 3);
    builder.SetDword(table, row, u"_PDLTYPE", 50);
    builder.SetBytes(table, row, u"_FORMASSIGN", {formAssign});
    builder.SetBytes(table, row, u"_OPTSOURCE", {static_cast<BYTE>(source), static_cast<BYTE>(source >> 8)});
    builder.SetBytes(table, row, u"_LRGSIZESCL", {scaling});
    builder.SetBytes(table, row, u"_MEDIASIZE_1", Bytes(u"_MEDIASIZE_A4", 20));
    builder.SetBytes(table, row, u"_MEDIASIZE_2", Bytes(u"_MEDIASIZE_LETTER", 20));
    builder.SetBytes(table, row, u"_MEDIATYPE_1", Bytes(u"_MEDIATYPE_PLAIN", 20));
    builder.SetBytes(table, row, u"_OFFSET", {0xFE, 0xFF});
    builder.SetBytes(table, row, u"_MEDIASIZE_9", Bytes(u"_MEDIASIZE_B5", 20));
    builder.SetDword(table, row, u"_COLOR", 0x00112233);
    builder.SetBytes(table, row, u"_BIG", {8, 7, 6, 5, 4, 3, 2, 1});
    builder.SetBytes(table, row, u"_XPD_RESERVE", {1, 2, 3, 4});
    builder.SetBytes(table, row, u"_OEM_RESERVE", {5, 6});
    builder.SetRecord(table, row, u"_NOTE", std::nullopt, Kind::CHAR, 2, 3, {'H', 0, 'i', 0, 0, 0});
    builder.SetString(table, row, u"_LINK", u"abc");
    std::vector<BYTE> pattern(70);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<BYTE>(i);
    builder.SetBytes(table, row, u"_PATTERN", pattern);
    builder.SetBytes(table, row, u"_KANJI", Bytes(u"_\u65E5\u672C", 8));
    return builder;
}

BoundTable BindFirstRow(const BlockBuilder& builder, const std::u16string& table) {
    BoundTable bound;
    bound.m_store = xprtest::NewStore();
    EXPECT_EQ(xprtest::AdoptBytes(bound.m_store.get(), builder.Build(), table), 0u);
#if defined(XPR_VARIANT_UI)
    EXPECT_EQ(FetchRow(bound.m_store.get(), table.c_str(), &bound.m_cursor, nullptr), 0u);
#else
    EXPECT_EQ(FetchRow(bound.m_store.get(), table.c_str(), &bound.m_cursor), 0u);
#endif
    return bound;
}

void WriteMachineFile(const std::u16string& path, const std::string& bytes) {
    const std::filesystem::path host = palvex::HostPath(path);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadMachineFile(const std::u16string& path) {
    std::ifstream in(palvex::HostPath(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read a machine file");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ReadTestData(const std::string& name) {
    std::ifstream in(std::string(WRITERS_TEST_DATA) + "/" + name, std::ios::binary);
    if (!in) throw std::runtime_error("no test data " + name);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void DrvSettingsTest::SetUp() {
    // Retries sleep on the machine clock: a virtual one lets them run at once.
    palvex::SetVirtualClock(SYSTEMTIME{2024, 5, 0, 17, 9, 30, 0, 0});
    palvex::DriverDesc driver;
    driver.name = kDriver;
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = m_dataFileName;
    palvex::AddDriver(driver);
    palvex::AddPrinter(kPrinter, kDriver);
    StoreBlock(u"OEMDEVMODE", DevmodeBuilder());
    StoreBlock(u"PRINTERSETTINGS", PrinterBuilder());

    xprtest::PrinterHandle printer(kPrinter);
    DWORD needed = 0;
    GetPrinterDriverW(printer.get(), nullptr, 3, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    ASSERT_TRUE(GetPrinterDriverW(printer.get(), nullptr, 3, info.data(), needed, &needed));
    m_dataFilePath = reinterpret_cast<const DRIVER_INFO_3W*>(info.data())->pDataFile;
    WriteMachineFile(m_dataFilePath, "*GPDFileVersion: 1.0\r\n");
}

SettingsPtr DrvSettingsTest::MakeSettings(DWORD mode) {
    SettingsPtr settings(new CoDrvSettings);
    settings->AddRef();
    xprtest::PrinterHandle printer(kPrinter);
    EXPECT_EQ(settings->Init(printer.get()), S_OK);
    if (mode == SETTINGS_MODE_PRINTER) {
        EXPECT_EQ(settings->LoadDataFile(printer.get()), S_OK);
    }
    settings->SetMode(mode);
    return settings;
}

void DrvSettingsTest::StoreBlock(const std::u16string& name, const BlockBuilder& builder) {
    xprtest::WritePrinterValue(kPrinter, name, builder.Build());
}

}  // namespace drvtest
