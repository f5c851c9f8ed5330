// The model's own description (package/TOVQEB.GPD): it compiles clean, declares every settings
// key the modules read, and its blocks have the sizes and field offsets worked out from it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <span>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <palvex/paths.h>

#include "status_log.h"
#include "xpc_fixture.h"

namespace xpctest {
namespace {

using xprtest::StatusLog;

std::string ModelDescription() {
    std::ifstream in(std::string(XPC_PACKAGE_DIR) + "/TOVQEB.GPD", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void SetSystem(DWORD major, DWORD minor) {
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.majorVersion = major;
    profile.minorVersion = minor;
    palvex::SetOsProfile(profile);
}

// The codes of a compile that are not information (asking for a severity reports too, so the
// codes are taken first).
std::vector<DWORD> Reports(const StatusLog& log) {
    const std::vector<DWORD> codes = log.codes();
    std::vector<DWORD> reports;
    for (DWORD code : codes)
        if (xprtest::Severity(code) != 0) reports.push_back(code);
    return reports;
}

class XpcModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallPrinter(u"TOVQEB.GPD");
        WriteMachineFile(DriverFile(u"TOVQEB.GPD"), ModelDescription());
    }
    DWORD Compile() {
        xprtest::PrinterHandle printer(kPrinter);
        return CompileByHandle(printer.get());
    }
    // The store of one compiled block, loaded by the runtime.
    static xprtest::StorePtr Load(const char16_t* name) {
        xprtest::PrinterHandle printer(kPrinter);
        XprStore* store = nullptr;
        EXPECT_EQ(CreateByHandle(&store, printer.get(), name), 0u);
        return xprtest::StorePtr(store);
    }
    static size_t RowsOf(XprStore* store, const char16_t* table, const char16_t* nested = nullptr) {
        size_t rows = 0;
        XprTable* cursor = nullptr;
        while (FetchRow(store, table, &cursor, nullptr) == 0) {
            if (!nested) {
                ++rows;
                continue;
            }
            XprTable* inner = nullptr;
            while (FetchRow(store, nested, &inner, nullptr) == 0) ++rows;
        }
        return rows;
    }

    palvex::TestMachine m_machine;
    StatusLog m_log;
};

TEST_F(XpcModelTest, CompilesWithoutAWarning) {
    for (const auto& [major, minor] : {std::pair<DWORD, DWORD>{6, 1}, {5, 1}}) {
        SetSystem(major, minor);
        xprtest::WritePrinterValue(kPrinter, u"Timestamp", {});  // force a full compile
        m_log.clear();
        EXPECT_EQ(Compile(), 0u);
        EXPECT_EQ(Reports(m_log), std::vector<DWORD>{});
    }
    // On later systems the edits by version do not apply, which is all a compile reports there.
    SetSystem(10, 0);
    xprtest::WritePrinterValue(kPrinter, u"Timestamp", {});
    m_log.clear();
    EXPECT_EQ(Compile(), 0u);
    EXPECT_EQ(Reports(m_log), (std::vector<DWORD>{XPC_UNKNOWN_OS_EXCLUDE, XPC_UNKNOWN_OS_INJECT}));
    // Nothing changed: nothing is compiled.
    m_log.clear();
    EXPECT_EQ(Compile(), 0u);
    EXPECT_TRUE(m_log.codes().empty());
}

TEST_F(XpcModelTest, EverySettingsKeyIsDeclared) {
    ASSERT_EQ(Compile(), 0u);
    const std::map<std::u16string, std::vector<std::u16string>> keys = {
        {u"OEMDEVMODE",
         {u"_ACC_DOCPAGECOUNT", u"_ACC_NUPPAGEORIENT", u"_BINDING_ADJUSTRECT", u"_BINDING_DIRECT_DUMMY",
          u"_BINDING_ENABLED", u"_BINDING_MARGIN", u"_BINDING_SHIFT", u"_BKL_MODE", u"_BOOKLET",
          u"_DATETIME_1STPAGEONLY", u"_DATETIME_DATEFMT", u"_DATETIME_ENABLED", u"_DATETIME_POS", u"_DATETIME_TIMEFMT",
          u"_FIRSTPAGESIZE", u"_GRAYSCALE", u"_GRXMODE", u"_MEDIASIZE", u"_MEDIASIZE_HEIGHT", u"_MEDIASIZE_WIDTH",
          u"_NUP_BORDER", u"_NUP_ORDER", u"_NUP_PAGES", u"_OEM_RESERVE", u"_PAGEORDER", u"_PDLTYPE", u"_POSTER",
          u"_POSTER_CROP", u"_PRINT_TYPE", u"_PRNTXTBLACK", u"_ROTATED", u"_SCALEDOCON_ENABLED", u"_SCALEDOCON_SIZE",
          u"_SCALEDOCON_TOFIT", u"_SCALE_FACTOR", u"_SIGNATURE", u"_SIZE", u"_VERSION", u"_WMK_1STPAGEONLY",
          u"_WMK_ANGLE", u"_WMK_COLOR", u"_WMK_DEGREE", u"_WMK_ENABLED", u"_WMK_FONT", u"_WMK_SHADE", u"_WMK_SIZE",
          u"_WMK_STYLE", u"_WMK_TEXT", u"_WMK_TEXT_IDX", u"_XPD_RESERVE"}},
        {u"PRINTERSETTINGS",
         {u"_DEVICETYPE", u"_DRVTYPE", u"_DUPLEXTYPE", u"_FORMASSIGN", u"_FORMSIZE", u"_FORMSIZE_LIST", u"_LRGSIZESCL",
          u"_OEM_RESERVE", u"_OPTSOURCE", u"_PDLTYPE", u"_PPRCOLLATEDCOPIES", u"_QV_GETCONF_AUTO",
          u"_QV_GETCONF_SOURCE", u"_SIGNATURE", u"_SIZE", u"_USRACTPRN_ENABLED", u"_VERSION", u"_WMKMODE",
          u"_XPD_RESERVE"}},
        {u"PRNINFO", {u"_MASTERUNITS", u"_PAGEMARGINS"}},
        {u"WATERMARKSETTINGS", {u"DIALOGIDS", u"_TEXT", u"_PERSIST"}},
        {u"DOCUMENTSETTINGS", {u"_TEXT", u"_PERSIST"}},
        {u"ICMPROFILES", {u"COLORMODE", u"BITDEPTH", u"NAME"}},
    };
    std::set<std::u16string> distinct;
    for (const auto& [block, names] : keys) {
        xprtest::StorePtr store = Load(block.c_str());
        ASSERT_TRUE(store);
        for (const std::u16string& name : names) {
            // Keys of the nested OPTION rows are found in the nested table.
            XprTable* table = store->m_root;
            if (name == u"_TEXT" || name == u"_PERSIST" || block == u"ICMPROFILES") {
                ASSERT_EQ(FindTable(store.get(), store->m_root, &table, u"OPTION"), 0u);
            }
            EXPECT_EQ(SelectColumn(table, name.c_str()), 0u) << std::string(name.begin(), name.end());
            if (name[0] == u'_') distinct.insert(name);
        }
    }
    EXPECT_EQ(distinct.size(), 67u);
}

TEST_F(XpcModelTest, BlockSizesOffsetsAndDefaults) {
    ASSERT_EQ(Compile(), 0u);
    // OEMDEVMODE: one table of 51 columns (TAG, the kit's 31 fields, the driver's 19), one row of
    // 8 + 393 + 40 bytes, the key "DEFAULT" (16 bytes): 160 + 51 * 108 + 441 + 16.
    EXPECT_EQ(xprtest::ReadPrinterValue(kPrinter, u"OEMDEVMODE").size(), 6125u);
    // PRINTERSETTINGS: 31 columns (TAG, 11 of the kit, 8 settings, 11 texts of 24 characters), a
    // row of 8 + 120 + 39 + 11 * 48 = 695 bytes, the key: 160 + 31 * 108 + 695 + 16.
    EXPECT_EQ(xprtest::ReadPrinterValue(kPrinter, u"PRINTERSETTINGS").size(), 4219u);

    struct Field {
        const char16_t* name;
        DWORD offset;  // in the row, after the 8-byte key
    };
    const Field devmode[] = {
        {u"_SIZE", 8}, {u"_PDLTYPE", 20}, {u"_NUP_PAGES", 26}, {u"_SCALE_FACTOR", 33}, {u"_WMK_TEXT", 37},
        {u"_WMK_FONT", 168}, {u"_WMK_COLOR", 296}, {u"_FIRSTPAGESIZE", 317}, {u"_OEM_RESERVE", 337},
        {u"_BINDING_ADJUSTRECT", 401}, {u"_BINDING_MARGIN", 419}, {u"_MEDIASIZE", 432}, {u"_ROTATED", 440},
    };
    const Field printer[] = {
        {u"_PDLTYPE", 20}, {u"_WMKMODE", 36}, {u"_OEM_RESERVE", 64}, {u"_FORMASSIGN", 128}, {u"_FORMSIZE", 129},
        {u"_FORMSIZE_LIST", 133}, {u"_OPTSOURCE", 162}, {u"_USRACTPRN_ENABLED", 166},
    };
    for (const auto& [block, fields] :
         {std::pair<const char16_t*, std::span<const Field>>{u"OEMDEVMODE", devmode}, {u"PRINTERSETTINGS", printer}}) {
        xprtest::StorePtr store = Load(block);
        for (const Field& field : fields) {
            ASSERT_EQ(SelectColumn(store->m_root, field.name), 0u);
            EXPECT_EQ(GetColumnDesc(store->m_root)->m_offset, field.offset)
                << std::string(field.name, field.name + std::char_traits<char16_t>::length(field.name));
        }
    }

    xprtest::StorePtr store = Load(u"OEMDEVMODE");
    XprTable* row = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"OEMDEVMODE", &row, u"DEFAULT"), 0u);
    auto value = [&](const char16_t* name) {
        DWORD v = 0;
        EXPECT_EQ(GetValue(row, &v, sizeof v, name), 0u);
        return v;
    };
    EXPECT_EQ(value(u"_PDLTYPE"), 52u);
    EXPECT_EQ(value(u"_SCALE_FACTOR"), 100u);
    EXPECT_EQ(value(u"_WMK_COLOR"), 0x00C0C0C0u);
    EXPECT_EQ(value(u"_FIRSTPAGESIZE"), 65536u);
    EXPECT_EQ(value(u"_BINDING_DIRECT_DUMMY"), 255u);
    EXPECT_EQ(value(u"_MEDIASIZE"), 9u);
    WCHAR font[64] = {};
    ASSERT_EQ(GetValue(row, font, sizeof font, u"_WMK_FONT"), 0u);
    EXPECT_EQ(std::u16string(font), u"Arial");
}

TEST_F(XpcModelTest, SheetsItemsAndStoredSettings) {
    ASSERT_EQ(Compile(), 0u);
    struct Count {
        const char16_t* block;
        const char16_t* nested;
        size_t rows;
    };
    const Count counts[] = {
        {u"UIPINFO", nullptr, 2},           {u"UIPINFO", u"SHEET", 5},
        {u"DOCUMENTFEATURE", nullptr, 72},  {u"PRINTERFEATURE", nullptr, 28},
        {u"WATERMARKSETTINGS", u"OPTION", 10}, {u"DOCUMENTSETTINGS", u"OPTION", 10},
        {u"ICMPROFILES", u"OPTION", 2},     {u"REGINFO", u"REGENTRY", 2},
        {u"PRNINFO", nullptr, 1},
    };
    for (const Count& count : counts) {
        xprtest::StorePtr store = Load(count.block);
        EXPECT_EQ(RowsOf(store.get(), count.block, count.nested), count.rows)
            << std::string(count.block, count.block + std::char_traits<char16_t>::length(count.block));
    }

    // Every item's options are typed like the settings field the item edits, and name it.
    xprtest::StorePtr features = Load(u"DOCUMENTFEATURE");
    XprTable* row = nullptr;
    ASSERT_EQ(FetchRow(features.get(), u"DOCUMENTFEATURE", &row, u"NUP_PAGES"), 0u);
    XprTable* option = nullptr;
    ASSERT_EQ(FetchRow(features.get(), u"OPTION", &option, nullptr), 0u);
    EXPECT_EQ(UnalignedText(GetIndirectValue(option)), u"OEMDEVMODE._NUP_PAGES");
    EXPECT_EQ(GetValueKind(option, u"VALUE"), XprColumnKind::BYTE);
    ASSERT_EQ(FetchRow(features.get(), u"DOCUMENTFEATURE", &row, u"WMK_FONT"), 0u);
    option = nullptr;
    ASSERT_EQ(FetchRow(features.get(), u"OPTION", &option, nullptr), 0u);
    EXPECT_EQ(GetValueKind(option, u"VALUE"), XprColumnKind::CHAR);
    EXPECT_EQ(GetValueCount(option, u"VALUE"), 64u);
}

TEST_F(XpcModelTest, TruncatedOrDamagedDescriptionsFailAndAreTriedAgain) {
    const std::string text = ModelDescription();
    SetSystem(6, 1);
    for (size_t cut = 0; cut < text.size(); cut += text.size() / 29) {
        std::string damaged = text.substr(0, cut);
        if (cut % 2) damaged += "}\r\n{\r\n\"";
        WriteMachineFile(DriverFile(u"TOVQEB.GPD"), damaged);
        xprtest::WritePrinterValue(kPrinter, u"Timestamp", {});
        SCOPED_TRACE(cut);
        const DWORD result = Compile();
        if (cut == 0) {
            EXPECT_EQ(result, 0u);  // an empty description describes nothing, which is no fault
            continue;
        }
        // A cut description is an error, and no timestamp says it was compiled: the next call
        // tries again instead of keeping what the damaged text gave.
        EXPECT_EQ(result, KIT_SEVERITY_ERROR);
        EXPECT_TRUE(xprtest::ReadPrinterValue(kPrinter, u"Timestamp").empty());
    }
}

}  // namespace
}  // namespace xpctest
