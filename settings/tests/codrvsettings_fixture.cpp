#include "codrvsettings_fixture.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <palvex/paths.h>

namespace drvtest {

using xprtest::BlockBuilder;
using xprtest::ColumnSpec;
using Kind = XprColumnKind;

namespace {

std::vector<BYTE> Bytes(const std::u16string& text, size_t units) {
    std::vector<BYTE> bytes(units * 2, 0);
    std::memcpy(bytes.data(), text.data(), std::min(text.size(), units) * 2);
    return bytes;
}

}  // namespace

BlockBuilder DevmodeBuilder() {
    BlockBuilder builder;
    const int table = builder.AddTable(u"OEMDEVMODE", {
                                                          {u"_SIZE", Kind::DWORD},
                                                          {u"_SIGNATURE", Kind::DWORD},
                                                          {u"_VERSION", Kind::DWORD},
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
    const int table = builder.AddTable(u"PRINTERSETTINGS", {
                                                               {u"_SIZE", Kind::DWORD},
                                                               {u"_SIGNATURE", Kind::DWORD},
                                                               {u"_VERSION", Kind::DWORD},
                                                               {u"_PDLTYPE", Kind::DWORD},
                                                               {u"_DUPLEXTYPE", Kind::DWORD},
                                                               {u"_FORMASSIGN", Kind::BYTE},
                                                               {u"_LRGSIZESCL", Kind::BYTE},
                                                               {u"_OPTSOURCE", Kind::WORD},
                                                               {u"_MEDIASIZE_1", Kind::CHAR, 8},
                                                               {u"_XPD_RESERVE", Kind::BYTE, 4},
                                                               {u"_COMMENT", Kind::CHAR, 8},
                                                           });
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
    if (mode == SETTINGS_MODE_PRINTER) EXPECT_EQ(settings->LoadDataFile(printer.get()), S_OK);
    settings->SetMode(mode);
    return settings;
}

void DrvSettingsTest::StoreBlock(const std::u16string& name, const BlockBuilder& builder) {
    xprtest::WritePrinterValue(kPrinter, name, builder.Build());
}

}  // namespace drvtest
