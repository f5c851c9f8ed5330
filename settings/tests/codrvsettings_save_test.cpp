// Printer-mode SetOptItems: the printer settings saved as printer data and mirrored into the
// driver's GPD or PPD data file.
#include <deque>

#include <win/unidrv_userdata.h>

#include "cmswriter.h"
#include "codrvsettings_fixture.h"
#include "driver_columns.h"

namespace drvtest {
namespace {

constexpr char kRti[] =
    "*GPDFileVersion: 1.0\r\n*% RTI BEGIN - DO NOT REMOVE THIS TAG\r\n*Define: OLD\r\n"
    "*% RTI END - DO NOT REMOVE THIS TAG\r\n*% CMS BEGIN - DO NOT REMOVE THIS TAG\r\n"
    "*% CMS END - DO NOT REMOVE THIS TAG\r\n";
constexpr char kMirror[] =
    "*% RTI BEGIN - DO NOT REMOVE THIS TAG\r\n*Define: _PDLTYPE_32000000\r\n*Define: _DUPLEXTYPE_01000000\r\n"
    "*Define: _FORMASSIGN_00\r\n*Define: _LRGSIZESCL_00\r\n*Define: _OPTSOURCE_0200\r\n*Define: _MS_A4\r\n"
    "*% RTI END - DO NOT REMOVE THIS TAG\r\n";
// kRti once the printer settings are mirrored into it.
const std::string kRtiMirrored = std::string("*GPDFileVersion: 1.0\r\n") + kMirror +
                                 "*% CMS BEGIN - DO NOT REMOVE THIS TAG\r\n*% CMS END - DO NOT REMOVE THIS TAG\r\n";

// One check-box item on _FORMASSIGN, changed to off.
struct FormAssignItem {
    FormAssignItem() {
        m_record.dwSize = sizeof m_record;
        m_record.pKeyWordName = m_key.data();
        m_option.cbSize = sizeof m_option;
        m_type.cbSize = sizeof m_type;
        m_type.Type = TVOT_CHKBOX;
        m_type.Count = 1;
        m_type.pOptParam = &m_option;
        m_item.cbSize = sizeof m_item;
        m_item.Flags = OPTIF_CHANGED;
        m_item.UserData = reinterpret_cast<ULONG_PTR>(&m_record);
        m_item.pOptType = &m_type;
        m_item.Sel = 0;
    }
    std::u16string m_key = u"PRINTERSETTINGS._FORMASSIGN";
    USERDATA m_record{};
    OPTPARAM m_option{};
    OPTTYPE m_type{};
    OPTITEM m_item{};
};

// A field of the printer's stored PRINTERSETTINGS.
BYTE StoredFormAssign() {
    xprtest::StorePtr store = xprtest::NewStore();
    EXPECT_EQ(xprtest::AdoptBytes(store.get(), xprtest::ReadPrinterValue(kPrinter, u"PRINTERSETTINGS"), u"PRINTERSETTINGS"), 0u);
    XprTable* cursor = nullptr;
    EXPECT_EQ(FetchRow(store.get(), u"PRINTERSETTINGS", &cursor, nullptr), 0u);
    BYTE value = 0xEE;
    EXPECT_EQ(GetValue(cursor, &value, 1, u"_FORMASSIGN"), 0u);
    return value;
}

class SaveTest : public DrvSettingsTest {
protected:
    explicit SaveTest(std::u16string dataFile = u"PALVEXT.GPD") : DrvSettingsTest(std::move(dataFile)) {}

    // With the data file holding before, a printer-mode settings object saves the form-assignment
    // check box set to sel; returns the data file as the save leaves it.
    std::string SaveFormAssign(const std::string& before, LONG sel = 0) {
        WriteMachineFile(DataFilePath(), before);
        SettingsPtr settings = MakeSettings(SETTINGS_MODE_PRINTER);
        FormAssignItem item;
        item.m_item.Sel = sel;
        xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
        EXPECT_EQ(settings->SetOptItems(&item.m_item, 1, nullptr, printer.get()), S_OK);
        return ReadMachineFile(DataFilePath());
    }
};

TEST_F(SaveTest, SavesThePrinterSettingsAndMirrorsThemIntoTheGpd) {
    EXPECT_EQ(SaveFormAssign(kRti), kRtiMirrored);
    EXPECT_EQ(StoredFormAssign(), 0);
}

TEST_F(SaveTest, ACustomMediaRewriteInBetweenIsKept) {
    // The settings object reads the data file when the printer sheet opens ...
    WriteMachineFile(DataFilePath(), kRti);
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_PRINTER);
    // ... the user then saves custom media, which rewrites the CMS section ...
    xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    CmsFileWriter writer;
    writer.m_printer = printer.get();
    ASSERT_TRUE(LoadCmsContext(&writer));
    CustomMediaRecord record{};
    std::copy_n(u"Card", 4, record.m_name);
    record.m_form.Size = {100000, 148000};
    OPTPARAM option{};
    option.lParam = reinterpret_cast<LPARAM>(&record);
    CustomMediaList list{};
    list.Count = 1;
    list.pOptParam = &option;
    ASSERT_EQ(WriteGpdCustomMedia(&writer, &list), S_OK);
    const std::string withMedia = ReadMachineFile(DataFilePath());
    ASSERT_NE(withMedia.find("*Option: CUSTOM_00CA"), std::string::npos);

    // ... and applies the printer sheet: the custom media stay.
    FormAssignItem item;
    ASSERT_EQ(settings->SetOptItems(&item.m_item, 1, nullptr, printer.get()), S_OK);
    const size_t cms = withMedia.find("*% CMS BEGIN");
    EXPECT_EQ(ReadMachineFile(DataFilePath()), std::string("*GPDFileVersion: 1.0\r\n") + kMirror + withMedia.substr(cms));
}

TEST_F(SaveTest, AGpdWithoutTagsIsLeftAndTheSaveStillSucceeds) {
    const std::string plain = "*GPDFileVersion: 1.0\r\n*Feature: X\r\n";
    EXPECT_EQ(SaveFormAssign(plain), plain);
    EXPECT_EQ(StoredFormAssign(), 0);
}

TEST_F(SaveTest, AStringWrittenIntoThePrinterSettingsIsTakenIntoTheBlock) {
    // A printer settings block with a STRING field.
    xprtest::BlockBuilder withString;
    const int table = withString.AddTable(
        u"PRINTERSETTINGS", xprtest::Columns(xprtest::RecordHeadColumns(), {{u"_OWNER", XprColumnKind::STRING}}));
    withString.SetString(table, withString.AddRow(table, u"DEFAULT"), u"_OWNER", u"old");
    StoreBlock(u"PRINTERSETTINGS", withString);
    WriteMachineFile(DataFilePath(), kRti);
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_PRINTER);
    const std::u16string owner = u"Accounts";
    const LPCWSTR link = owner.c_str();
    ASSERT_EQ(settings->SetFieldValue(nullptr, u"_OWNER", &link, sizeof link, SETTINGS_SELECT_PRINTER), S_OK);
    FormAssignItem item;  // names a field this block lacks: skipped
    xprtest::PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    ASSERT_EQ(settings->SetOptItems(&item.m_item, 1, nullptr, printer.get()), S_OK);

    xprtest::StorePtr store = xprtest::NewStore();
    ASSERT_EQ(xprtest::AdoptBytes(store.get(), xprtest::ReadPrinterValue(kPrinter, u"PRINTERSETTINGS"), u"PRINTERSETTINGS"), 0u);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"PRINTERSETTINGS", &cursor, nullptr), 0u);
    LPCWSTR stored = nullptr;
    ASSERT_EQ(GetValue(cursor, &stored, sizeof stored, u"_OWNER"), 0u);
    EXPECT_EQ(std::u16string(stored), owner);
    // The object still reads its printer settings after the block moved.
    const void* field = settings->GetFieldPtr(nullptr, u"_OWNER", SETTINGS_SELECT_PRINTER);
    EXPECT_EQ(std::u16string(Peek<LPCWSTR>(field, 0)), owner);
}

// The data file's kind is the text after the last '.' of its path, whatever its case; a file of
// another kind is never rewritten, even when it holds the GPD tags.
enum class TakenAs { Gpd, Ppd, Other };

struct DispatchCase {
    const char* name;
    const char16_t* file;
    TakenAs taken;
};

class DispatchTest : public SaveTest, public ::testing::WithParamInterface<DispatchCase> {
protected:
    DispatchTest() : SaveTest(GetParam().file) {}
};

TEST_P(DispatchTest, ByTheDataFilesExtensionIgnoringCase) {
    std::string input = kRti, expected = input;
    switch (GetParam().taken) {
    case TakenAs::Gpd:
        expected = kRtiMirrored;
        break;
    case TakenAs::Ppd:
        // form assignment turned off, source 2, no large-size scaling
        input = ReadTestData("ppd_input.ppd");
        expected = ReadTestData("ppd_noformassign.ppd");
        break;
    case TakenAs::Other:
        break;
    }
    EXPECT_EQ(SaveFormAssign(input), expected);
    EXPECT_EQ(StoredFormAssign(), 0);
}

INSTANTIATE_TEST_SUITE_P(DataFileKinds, DispatchTest,
                         ::testing::Values(DispatchCase{"LowerCaseGpd", u"palvext.gpd", TakenAs::Gpd},
                                           DispatchCase{"MixedCasePpd", u"PalvexT.pPd", TakenAs::Ppd},
                                           DispatchCase{"Txt", u"PALVEXT.TXT", TakenAs::Other},
                                           DispatchCase{"GpdNotLast", u"PALVEXT.GPD.OLD", TakenAs::Other},
                                           DispatchCase{"NoDot", u"PALVEXTGPD", TakenAs::Other}),
                         [](const auto& info) { return std::string(info.param.name); });

class PpdSaveTest : public SaveTest {
protected:
    PpdSaveTest() : SaveTest(u"PALVEXT.PPD") {}
};

TEST_F(PpdSaveTest, APpdDataFileIsMirroredByItsSwitches) {
    StoreBlock(u"PRINTERSETTINGS", WriterSettingsBuilder(1, 2, 1));
    // unchanged: form assignment stays on
    EXPECT_EQ(SaveFormAssign(ReadTestData("ppd_input.ppd"), 1), ReadTestData("ppd_formassign.ppd"));
}

}  // namespace
}  // namespace drvtest
