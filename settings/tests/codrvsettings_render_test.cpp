// The settings object built on the render plug-in's runtime: loading by the keyless walk, the
// private devmode requests, and the printer settings saved and mirrored.
#include <win/unidrv_userdata.h>

#include "codrvsettings_fixture.h"

namespace drvtest {
namespace {

using RenderSettingsTest = DrvSettingsTest;

TEST_F(RenderSettingsTest, LoadsAndAnswersTheDevmodeRequests) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    DWORD size = 0;
    ASSERT_EQ(settings->GetDevmodeSize(&size), S_OK);
    EXPECT_EQ(size, dm::kRecordSize);
    std::vector<BYTE> record(size);
    ASSERT_EQ(settings->GetDefaultDevmode(&size, record.data()), S_OK);
    EXPECT_EQ(Peek<DWORD>(record.data(), dm::kSize), dm::kRecordSize);
    EXPECT_EQ(Peek<DWORD>(record.data(), dm::kBindingMargin), 0x01020304u);
    WORD factor = 0;
    ASSERT_EQ(settings->GetFieldValue(record.data(), u"_SCALE_FACTOR", &factor, 2, SETTINGS_SELECT_DEVMODE), S_OK);
    EXPECT_EQ(factor, 100);
}

TEST_F(RenderSettingsTest, SavesAndMirrorsThePrinterSettings) {
    WriteMachineFile(DataFilePath(),
                     "*% RTI BEGIN - DO NOT REMOVE THIS TAG\r\n*% RTI END - DO NOT REMOVE THIS TAG\r\n");
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_PRINTER);
    std::u16string key = u"PRINTERSETTINGS._DUPLEXTYPE";
    USERDATA record{sizeof(USERDATA), 0, key.data(), {}};
    OPTPARAM options[2] = {};
    options[1].lParam = 3;
    OPTTYPE type{};
    type.Type = TVOT_LISTBOX;
    type.Count = 2;
    type.pOptParam = options;
    OPTITEM item{};
    item.Flags = OPTIF_CHANGED;
    item.UserData = reinterpret_cast<ULONG_PTR>(&record);
    item.pOptType = &type;
    item.Sel = 1;
    xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    ASSERT_EQ(settings->SetOptItems(&item, 1, nullptr, printer.get()), S_OK);
    EXPECT_EQ(ReadMachineFile(DataFilePath()),
              "*% RTI BEGIN - DO NOT REMOVE THIS TAG\r\n*Define: _PDLTYPE_32000000\r\n*Define: _DUPLEXTYPE_03000000\r\n"
              "*Define: _FORMASSIGN_01\r\n*Define: _LRGSIZESCL_00\r\n*Define: _OPTSOURCE_0200\r\n*Define: _MS_A4\r\n"
              "*% RTI END - DO NOT REMOVE THIS TAG\r\n");
    const std::vector<BYTE> stored = xprtest::ReadPrinterValue(kPrinter, u"PRINTERSETTINGS");
    ASSERT_EQ(stored.size(), PrinterBuilder().Build().size());
}

}  // namespace
}  // namespace drvtest
