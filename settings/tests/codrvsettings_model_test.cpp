// The settings object over the model's own description (package/TOVQEB.GPD), compiled into the
// printer's data: the private devmode's size, default bytes and field offsets, and the GPD mirror
// of the model's printer settings, all worked out from the description field by field.
#include <fstream>
#include <map>

#include <win/unidrv_userdata.h>

#include "codrvsettings_fixture.h"
#include "xpc.h"

namespace drvtest {
namespace {

std::string ModelDescription() {
    std::ifstream in(PALVEX_MODEL_DATA_FILE, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ModelTest : public DrvSettingsTest {
protected:
    ModelTest() : DrvSettingsTest(u"TOVQEB.GPD") {}
    void SetUp() override {
        DrvSettingsTest::SetUp();
        WriteMachineFile(DataFilePath(), ModelDescription());
        xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
        xprtest::WritePrinterValue(kPrinter, u"Timestamp", {});  // compile everything
        ASSERT_LT(CompileByHandle(printer.get()), 2u);
    }
};

// Record offsets: the kit's fields, then the model's, packed in declaration order.
const std::map<std::u16string, DWORD> kOffsets = {
    {u"_SIZE", 0}, {u"_SIGNATURE", 4}, {u"_VERSION", 8}, {u"_PDLTYPE", 12}, {u"_PAGEORDER", 16},
    {u"_BOOKLET", 17}, {u"_NUP_PAGES", 18}, {u"_NUP_BORDER", 19}, {u"_NUP_ORDER", 20},
    {u"_SCALEDOCON_ENABLED", 21}, {u"_SCALEDOCON_SIZE", 22}, {u"_SCALEDOCON_TOFIT", 24}, {u"_SCALE_FACTOR", 25},
    {u"_WMK_ENABLED", 27}, {u"_WMK_1STPAGEONLY", 28}, {u"_WMK_TEXT", 29}, {u"_WMK_ANGLE", 157},
    {u"_WMK_DEGREE", 158}, {u"_WMK_FONT", 160}, {u"_WMK_COLOR", 288}, {u"_WMK_SHADE", 292}, {u"_WMK_SIZE", 294},
    {u"_WMK_STYLE", 296}, {u"_WMK_TEXT_IDX", 297}, {u"_POSTER", 299}, {u"_POSTER_CROP", 300},
    {u"_ACC_DOCPAGECOUNT", 301}, {u"_ACC_NUPPAGEORIENT", 305}, {u"_FIRSTPAGESIZE", 309}, {u"_XPD_RESERVE", 313},
    {u"_OEM_RESERVE", 329}, {u"_BINDING_ADJUSTRECT", 393}, {u"_BINDING_DIRECT_DUMMY", 409},
    {u"_BINDING_ENABLED", 410}, {u"_BINDING_MARGIN", 411}, {u"_BINDING_SHIFT", 415}, {u"_BKL_MODE", 416},
    {u"_DATETIME_1STPAGEONLY", 417}, {u"_DATETIME_DATEFMT", 418}, {u"_DATETIME_ENABLED", 419},
    {u"_DATETIME_POS", 420}, {u"_DATETIME_TIMEFMT", 421}, {u"_GRAYSCALE", 422}, {u"_GRXMODE", 423},
    {u"_MEDIASIZE", 424}, {u"_MEDIASIZE_HEIGHT", 426}, {u"_MEDIASIZE_WIDTH", 428}, {u"_PRINT_TYPE", 430},
    {u"_PRNTXTBLACK", 431}, {u"_ROTATED", 432},
};
constexpr DWORD kRecordSize = 433;

TEST_F(ModelTest, PrivateDevmodeSizeOffsetsAndDefault) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    DWORD size = 0;
    ASSERT_EQ(settings->GetDevmodeSize(&size), S_OK);
    EXPECT_EQ(size, kRecordSize);

    std::vector<BYTE> record(kRecordSize);
    ASSERT_EQ(settings->GetDefaultDevmode(&size, record.data()), S_OK);
    for (const auto& [key, offset] : kOffsets)
        EXPECT_EQ(static_cast<BYTE*>(settings->GetFieldPtr(record.data(), key.c_str(), SETTINGS_SELECT_DEVMODE)),
                  record.data() + offset)
            << std::string(key.begin(), key.end());

    std::vector<BYTE> expected(kRecordSize, 0);
    auto put = [&](const char16_t* key, auto value) { Poke(expected.data(), kOffsets.at(key), value); };
    put(u"_SIZE", DWORD{kRecordSize});
    put(u"_SIGNATURE", DWORD{860113745});
    put(u"_VERSION", DWORD{1});
    put(u"_PDLTYPE", DWORD{52});  // PDLTYPE_PCL6_COLOR
    put(u"_NUP_ORDER", BYTE{1});
    put(u"_SCALEDOCON_SIZE", WORD{9});  // DM_MEDIASIZE_A4
    put(u"_SCALEDOCON_TOFIT", BYTE{1});
    put(u"_SCALE_FACTOR", WORD{100});
    put(u"_WMK_ANGLE", BYTE{1});
    put(u"_WMK_DEGREE", WORD{45});
    const char16_t font[] = u"Arial";
    std::memcpy(expected.data() + kOffsets.at(u"_WMK_FONT"), font, 10);
    put(u"_WMK_COLOR", DWORD{0x00C0C0C0});
    put(u"_WMK_SIZE", WORD{72});
    put(u"_WMK_STYLE", BYTE{1});
    put(u"_FIRSTPAGESIZE", DWORD{65536});
    put(u"_BINDING_DIRECT_DUMMY", BYTE{255});
    put(u"_BINDING_MARGIN", DWORD{1000});
    put(u"_DATETIME_POS", BYTE{2});
    put(u"_DATETIME_TIMEFMT", BYTE{1});
    put(u"_GRXMODE", BYTE{1});
    put(u"_MEDIASIZE", WORD{9});
    put(u"_MEDIASIZE_HEIGHT", WORD{2970});
    put(u"_MEDIASIZE_WIDTH", WORD{2100});
    EXPECT_EQ(record, expected);
}

TEST_F(ModelTest, ThePrinterSettingsAreMirroredIntoTheModelsGpd) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_PRINTER);
    std::u16string key = u"PRINTERSETTINGS._LRGSIZESCL";
    USERDATA record{sizeof(USERDATA), 0, key.data(), {}};
    OPTPARAM option{};
    OPTTYPE type{};
    type.Type = TVOT_CHKBOX;
    type.Count = 1;
    type.pOptParam = &option;
    OPTITEM item{};
    item.Flags = OPTIF_CHANGEONCE;
    item.UserData = reinterpret_cast<ULONG_PTR>(&record);
    item.pOptType = &type;
    item.Sel = 1;
    xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    ASSERT_EQ(settings->SetOptItems(&item, 1, nullptr, printer.get()), S_OK);

    std::string lines;
    for (const char* line :
         {"_PDLTYPE_34000000", "_DRVTYPE_01000000", "_DEVICETYPE_02000000", "_DUPLEXTYPE_01000000", "_WMKMODE_02000000",
          "_PPRCOLLATEDCOPIES_01000000", "_FORMASSIGN_00", "_FORMSIZE_09000000",
          "_FORMSIZE_LIST_09000000090000000900000009000000090000000900000009000000", "_LRGSIZESCL_01",
          "_OPTSOURCE_0100", "_QV_GETCONF_AUTO_00", "_QV_GETCONF_SOURCE_00", "_USRACTPRN_ENABLED_00", "_MEDIASIZE_A3",
          "_MEDIASIZE_A4", "_MEDIASIZE_A5", "_MEDIASIZE_B4", "_MEDIASIZE_B5", "_MEDIASIZE_LETTER", "_MEDIASIZE_LEGAL",
          "_MEDIATYPE_PLAIN", "_MEDIATYPE_THICK", "_MEDIATYPE_TRANSPARENCY", "_MEDIATYPE_LABELS"})
        lines += std::string("*Define: ") + line + "\r\n";
    std::string expected = ModelDescription();
    const std::string begin = "*% RTI BEGIN - DO NOT REMOVE THIS TAG\r\n";
    expected.insert(expected.find(begin) + begin.size(), lines);
    EXPECT_EQ(ReadMachineFile(DataFilePath()), expected);
}

}  // namespace
}  // namespace drvtest
