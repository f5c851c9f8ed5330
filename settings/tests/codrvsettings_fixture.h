// A printer for the settings object's tests: its driver's data file, and small OEMDEVMODE and
// PRINTERSETTINGS blocks laid out by hand in its printer data.
//
// The test private devmode (record offsets = row offsets - 8; record size 45):
//   0  _SIZE DWORD              4  _SIGNATURE DWORD        8  _VERSION DWORD
//   12 _NUP_PAGES BYTE          13 _BKL_MODE BYTE          14 _MEDIASIZE WORD
//   16 _SCALEDOCON_ENABLED BYTE 17 _SCALEDOCON_SIZE WORD   19 _SCALE_FACTOR WORD
//   21 _WMK_TEXT CHAR[8]        37 _WMK_TEXT_IDX WORD      39 _SCALE_LEVEL SHORT
//   41 _BINDING_MARGIN DWORD
// Default row "DEFAULT": _VERSION 3, _NUP_PAGES 2, _MEDIASIZE 9, _SCALEDOCON_SIZE 9,
// _SCALE_FACTOR 100, _WMK_TEXT "DRAFT", _BINDING_MARGIN 0x01020304.
//
// The test printer settings (record size 60):
//   0  _SIZE DWORD              4  _SIGNATURE DWORD        8  _VERSION DWORD
//   12 _PDLTYPE DWORD           16 _DUPLEXTYPE DWORD       20 _FORMASSIGN BYTE
//   21 _LRGSIZESCL BYTE         22 _OPTSOURCE WORD         24 _MEDIASIZE_1 CHAR[8]
//   40 _XPD_RESERVE BYTE[4]     44 _COMMENT CHAR[8]
// Row "DEFAULT": _VERSION 3, _PDLTYPE 50, _DUPLEXTYPE 1, _FORMASSIGN 1, _OPTSOURCE 2,
// _MEDIASIZE_1 "_MS_A4", _XPD_RESERVE 1 2 3 4, _COMMENT empty.
#pragma once

#include <gtest/gtest.h>

#include <palvex/machine.h>

#include <string>
#include <vector>

#include "block_builder.h"
#include "codrvsettings.h"
#include "le_fields.h"
#include "status_log.h"
#include "store_fixture.h"

namespace drvtest {

constexpr char16_t kPrinter[] = u"Palvex Settings Test";
constexpr char16_t kDriver[] = u"Palvex Settings Driver";

// Record offsets of the test private devmode.
namespace dm {
constexpr DWORD kSize = 0, kSignature = 4, kVersion = 8, kNupPages = 12, kBklMode = 13, kMediaSize = 14,
                kScaleEnabled = 16, kScaleSize = 17, kScaleFactor = 19, kWmkText = 21, kWmkTextIdx = 37,
                kScaleLevel = 39, kBindingMargin = 41;
constexpr DWORD kRecordSize = 45;
}  // namespace dm

// Record offsets of the test printer settings.
namespace ps {
constexpr DWORD kSize = 0, kSignature = 4, kVersion = 8, kPdlType = 12, kDuplexType = 16, kFormAssign = 20,
                kLargeScaling = 21, kOptSource = 22, kMediaSize1 = 24, kReserve = 40, kComment = 44;
constexpr DWORD kRecordSize = 60;
}  // namespace ps

// The blocks as stored: OEMDEVMODE with its default row, PRINTERSETTINGS with its row.
xprtest::BlockBuilder DevmodeBuilder();
xprtest::BlockBuilder PrinterBuilder();

// The printer settings the writers' tests mirror, one row "DEFAULT", columns in this order:
//   _SIZE, _SIGNATURE, _VERSION DWORD; _PDLTYPE DWORD 50; _FORMASSIGN BYTE formAssign;
//   _OPTSOURCE WORD source; _LRGSIZESCL BYTE scaling; _MEDIASIZE_1 CHAR[20] "_MEDIASIZE_A4";
//   _MEDIASIZE_2 CHAR[20] "_MEDIASIZE_LETTER"; _MEDIATYPE_1 CHAR[20] "_MEDIATYPE_PLAIN";
//   _OFFSET SHORT -2; _MEDIASIZE_9 CHAR[20] "_MEDIASIZE_B5"; _COLOR COLORREF 0x00112233;
//   _BIG DWORD64 0x0102030405060708; _XPD_RESERVE BYTE[4] 1 2 3 4; _OEM_RESERVE BYTE[2] 5 6;
//   _NOTE DYNAMIC (a CHAR record "Hi"); _NOREC DYNAMIC (no record); _LINK STRING "abc";
//   _EMPTY CHAR[4] ""; _PATTERN BYTE[70] 0, 1, ... 69; _KANJI CHAR[8] "_" U+65E5 U+672C.
xprtest::BlockBuilder WriterSettingsBuilder(BYTE formAssign = 1, WORD source = 2, BYTE scaling = 1);

// The bytes of a CHAR field of units characters holding text (cut to fit, the rest zero).
std::vector<BYTE> Bytes(const std::u16string& text, size_t units);

// A block taken into a store with its first row bound.
struct BoundTable {
    xprtest::StorePtr m_store;
    XprTable* m_cursor = nullptr;
};
BoundTable BindFirstRow(const xprtest::BlockBuilder& builder, const std::u16string& table);

using xprtest::Peek;
using xprtest::Poke;

// Whole files of the machine.
void WriteMachineFile(const std::u16string& path, const std::string& bytes);
std::string ReadMachineFile(const std::u16string& path);
// A file of the test data folder.
std::string ReadTestData(const std::string& name);

// Releases a settings object.
struct SettingsRelease {
    void operator()(CoDrvSettings* settings) const { settings->Release(); }
};
using SettingsPtr = std::unique_ptr<CoDrvSettings, SettingsRelease>;

class DrvSettingsTest : public ::testing::Test {
protected:
    // dataFile: the driver's data file name (in the driver folder).
    explicit DrvSettingsTest(std::u16string dataFile = u"PALVEXT.GPD") : m_dataFileName(std::move(dataFile)) {}
    void SetUp() override;

    // A settings object made as its creators make it: one reference, Init, the mode, and in
    // printer mode the data file.
    SettingsPtr MakeSettings(DWORD mode);

    // Replaces a block in the printer's data.
    void StoreBlock(const std::u16string& name, const xprtest::BlockBuilder& builder);
    // The data file's full path.
    const std::u16string& DataFilePath() const { return m_dataFilePath; }

    palvex::TestMachine m_machine;
    xprtest::StatusLog m_log;
    std::u16string m_dataFileName;
    std::u16string m_dataFilePath;
};

}  // namespace drvtest
