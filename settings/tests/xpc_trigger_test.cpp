// The compile trigger: which source a printer's description is, when it is compiled, and which
// printer-data blocks a compile replaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <palvex/files.h>
#include <palvex/machine.h>

#include "status_log.h"
#include "xpc_fixture.h"

namespace xpctest {
namespace {

using xprtest::ReadPrinterValue;
using xprtest::StatusLog;
using xprtest::WritePrinterValue;

const std::string kSection =
    "*XPDSTRUCT: MYINFO\n"
    "{\n"
    "    *FIELD: LEVEL\n"
    "    {\n"
    "        *FIELDTYPE: DWORD\n"
    "    }\n"
    "}\n"
    "*XPDSTRUCT: MYSETTINGS\n"
    "{\n"
    "    *FORCEWRITE: ON\n"
    "    *FIELD: COUNT\n"
    "    {\n"
    "        *FIELDTYPE: WORD\n"
    "        *WARNWHENEMPTY: OFF\n"
    "    }\n"
    "}\n"
    "*MYINFO: ONE\n"
    "{\n"
    "    *LEVEL: 5\n"
    "}\n"
    "*OEMDEVMODE: DEFAULT\n"
    "{\n"
    "    *_VERSION: 1\n"
    "    *_PDLTYPE: =PDLTYPE_PCL6\n"
    "}\n"
    "*PRINTERSETTINGS: DEFAULT\n"
    "{\n"
    "    *_VERSION: 1\n"
    "    *_PDLTYPE: 50\n"
    "    *_DRVTYPE: =DRVTYPE_GDI\n"
    "    *_PPRCOLLATEDCOPIES: 1\n"
    "}\n";

std::string Gpd(const std::string& section) {
    return Crlf("*GPDSpecVersion: \"1.0\"\n*% XPD BEGIN - DO NOT REMOVE THIS TAG\n*IgnoreBlock\n{\n" + section +
                "}\n*% XPD END - DO NOT REMOVE THIS TAG\n*Feature: InputBin\n");
}

FILETIME At(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

constexpr uint64_t kCreated = 133000000000000000ULL;
constexpr uint64_t kWritten = 133000000100000000ULL;

// The blocks a compile of the source may write, and the prelude's that it leaves alone.
const char16_t* const kBlocks[] = {u"MYINFO", u"MYSETTINGS", u"OEMDEVMODE", u"PRINTERSETTINGS", u"DOCUMENTFEATURE",
                                   u"PRINTERFEATURE", u"UIPINFO", u"PRNINFO", u"REGINFO"};

class XpcTriggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallPrinter(u"QX500.GPD");
        WriteMachineFile(DriverFile(u"QX500.GPD"), Gpd(kSection));
        SetTimes(kCreated, kWritten);
    }
    static void SetTimes(uint64_t creation, uint64_t lastWrite) {
        const FILETIME c = At(creation), w = At(lastWrite);
        palvex::SetFileTimes(DriverFile(u"QX500.GPD"), &c, &w);
    }
    static XpcCompileRequest Request() {
        XpcCompileRequest request{};
        std::u16string source = DriverFile(u"QX500.GPD");
        std::copy(std::begin(kPrinter), std::end(kPrinter), request.m_printerName);
        std::copy(std::begin(kDriver), std::end(kDriver), request.m_driverName);
        std::copy(source.begin(), source.end(), request.m_sourcePath);
        request.m_embedded = TRUE;
        return request;
    }
    // Puts a marker into every block so that a replaced block shows.
    static void Mark() {
        for (const char16_t* block : kBlocks) WritePrinterValue(kPrinter, block, {0xEE});
    }
    // The blocks a compile replaced since Mark.
    static std::vector<std::u16string> Replaced() {
        std::vector<std::u16string> replaced;
        for (const char16_t* block : kBlocks) {
            const std::vector<BYTE> bytes = ReadPrinterValue(kPrinter, block);
            if (bytes != std::vector<BYTE>{0xEE}) {
                EXPECT_GE(bytes.size(), 160u) << std::string(block, block + std::char_traits<char16_t>::length(block));
                EXPECT_EQ(Peek<DWORD>(bytes, 0), XPR_SIGNATURE);
                replaced.push_back(block);
            }
        }
        return replaced;
    }
    static std::vector<BYTE> Timestamp() { return ReadPrinterValue(kPrinter, u"Timestamp"); }
    static std::vector<BYTE> TimestampOf(uint64_t creation, uint64_t lastWrite) {
        std::vector<BYTE> bytes(16);
        std::memcpy(bytes.data(), &creation, 8);
        std::memcpy(bytes.data() + 8, &lastWrite, 8);
        return bytes;
    }

    palvex::TestMachine m_machine;
    StatusLog m_log;
};

const std::vector<std::u16string> kEverything = {u"MYINFO", u"MYSETTINGS", u"OEMDEVMODE", u"PRINTERSETTINGS",
                                                 u"DOCUMENTFEATURE", u"PRINTERFEATURE"};

TEST_F(XpcTriggerTest, TheTimestampDecidesWhatIsCompiled) {
    const XpcCompileRequest request = Request();

    // No "Timestamp": everything with rows (or force-write) is saved, and the times are kept.
    Mark();
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_EQ(Replaced(), kEverything);
    EXPECT_EQ(Timestamp(), TimestampOf(kCreated, kWritten));

    // The same times: nothing happens.
    Mark();
    m_log.clear();
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_TRUE(Replaced().empty());
    EXPECT_TRUE(m_log.codes().empty());

    // A later write: a recompile that keeps OEMDEVMODE and every *SETTINGS* block.
    SetTimes(kCreated, kWritten + 1);
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_EQ(Replaced(), (std::vector<std::u16string>{u"MYINFO", u"DOCUMENTFEATURE", u"PRINTERFEATURE"}));
    EXPECT_EQ(Timestamp(), TimestampOf(kCreated, kWritten + 1));

    // A later creation alone does the same.
    Mark();
    SetTimes(kCreated + 1, kWritten + 1);
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_EQ(Replaced(), (std::vector<std::u16string>{u"MYINFO", u"DOCUMENTFEATURE", u"PRINTERFEATURE"}));

    // A source copied over with older times is not compiled.
    Mark();
    SetTimes(kCreated - 5, kWritten - 5);
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_TRUE(Replaced().empty());
    EXPECT_EQ(Timestamp(), TimestampOf(kCreated + 1, kWritten + 1));
}

TEST_F(XpcTriggerTest, ARecompileSavesSettingsThePrinterDoesNotHoldYet) {
    const XpcCompileRequest request = Request();
    ASSERT_EQ(CompileIfChanged(&request), 0u);
    // A newer description brings a further settings structure: it is saved, while the stored
    // settings blocks stay.
    WriteMachineFile(DriverFile(u"QX500.GPD"),
                     Gpd(kSection + "*XPDSTRUCT: NEWSETTINGS\n{\n *FORCEWRITE: ON\n *FIELD: V\n"
                                    " { *FIELDTYPE: BYTE\n *WARNWHENEMPTY: OFF }\n}\n"));
    SetTimes(kCreated, kWritten + 1);
    Mark();
    EXPECT_TRUE(ReadPrinterValue(kPrinter, u"NEWSETTINGS").empty());
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_EQ(Replaced(), (std::vector<std::u16string>{u"MYINFO", u"DOCUMENTFEATURE", u"PRINTERFEATURE"}));
    const std::vector<BYTE> added = ReadPrinterValue(kPrinter, u"NEWSETTINGS");
    ASSERT_GE(added.size(), 160u);
    EXPECT_EQ(Peek<DWORD>(added, 0), XPR_SIGNATURE);
    // Once held, it is kept like the others.
    WritePrinterValue(kPrinter, u"NEWSETTINGS", {0xEE});
    SetTimes(kCreated, kWritten + 2);
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_EQ(ReadPrinterValue(kPrinter, u"NEWSETTINGS"), std::vector<BYTE>{0xEE});
}

TEST_F(XpcTriggerTest, CompiledBlocksLoadAndHoldTheirValues) {
    const XpcCompileRequest request = Request();
    ASSERT_EQ(CompileIfChanged(&request), 0u);
    xprtest::PrinterHandle printer(kPrinter);
    XprStore* store = nullptr;
    ASSERT_EQ(CreateByHandle(&store, printer.get(), u"PRINTERSETTINGS"), 0u);
    xprtest::StorePtr owned(store);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store, u"PRINTERSETTINGS", &cursor, u"DEFAULT"), 0u);
    DWORD value = 0;
    ASSERT_EQ(GetValue(cursor, &value, sizeof value, u"_PDLTYPE"), 0u);
    EXPECT_EQ(value, 50u);
    ASSERT_EQ(GetValue(cursor, &value, sizeof value, u"_DRVTYPE"), 0u);
    EXPECT_EQ(value, 1u);
}

TEST_F(XpcTriggerTest, AFailedStructureLeavesNoTimestamp) {
    WriteMachineFile(DriverFile(u"QX500.GPD"),
                     Gpd(kSection + "*XPDSTRUCT: BROKEN\n{\n *FIELD: V\n { *FIELDTYPE: DYNAMIC }\n}\n"
                                    "*BROKEN: X\n{\n *REFERENCES: NOTAREFERENCE\n}\n"));
    SetTimes(kCreated, kWritten);
    const XpcCompileRequest request = Request();
    Mark();
    EXPECT_EQ(CompileIfChanged(&request), KIT_SEVERITY_ERROR);
    EXPECT_NE(std::find(m_log.codes().begin(), m_log.codes().end(), XPC_BAD_REFERENCE), m_log.codes().end());
    EXPECT_TRUE(Timestamp().empty());
    EXPECT_EQ(Replaced(), kEverything);  // the others are compiled all the same
    Mark();
    EXPECT_EQ(CompileIfChanged(&request), KIT_SEVERITY_ERROR);  // and again next time
    EXPECT_EQ(Replaced(), kEverything);
}

TEST_F(XpcTriggerTest, RefusalsAndMissingSources) {
    // A source that cannot be opened: nothing to do.
    XpcCompileRequest request = Request();
    const std::u16string missing = DriverFile(u"NONE.GPD");
    std::fill(std::begin(request.m_sourcePath), std::end(request.m_sourcePath), 0);
    std::copy(missing.begin(), missing.end(), request.m_sourcePath);
    EXPECT_EQ(CompileIfChanged(&request), 0u);
    EXPECT_TRUE(Timestamp().empty());

    // Without the right to write printer data the compile fails instead of claiming success.
    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    request = Request();
    EXPECT_EQ(CompileIfChanged(&request), KIT_SEVERITY_ERROR);
    EXPECT_EQ(m_log.last(), XPR_OPEN_FAILED);
    palvex::SetPrinterDeniedAccess(kPrinter, 0);

    request.m_driverName[0] = 0;
    EXPECT_EQ(CompileIfChanged(&request), KIT_SEVERITY_FATAL);
    EXPECT_EQ(CompileIfChanged(nullptr), KIT_SEVERITY_FATAL);
    EXPECT_EQ(CompileByHandle(nullptr), KIT_SEVERITY_FATAL);
}

TEST_F(XpcTriggerTest, ByHandleTheDescriptionIsADependentXpdOrTheDataFile) {
    {
        // The data file with the embedded section.
        xprtest::PrinterHandle printer(kPrinter);
        EXPECT_EQ(CompileByHandle(printer.get()), 0u);
        EXPECT_EQ(ReadPrinterValue(kPrinter, u"MYINFO").empty(), false);
    }
    // A driver whose dependent files hold an .XPD file: that file is read as it is.
    palvex::DriverDesc driver;
    driver.name = u"Palvex Other";
    driver.dataFile = u"OTHER.GPD";
    driver.dependentFiles = {u"OTHERRES.DLL", u"other.xpd"};
    palvex::AddDriver(driver);
    palvex::AddPrinter(u"Other Printer", u"Palvex Other");
    WriteMachineFile(DriverFile(u"OTHER.GPD"), Crlf("*NotXpd\n"));
    WriteMachineFile(DriverFile(u"other.xpd"), Crlf(kSection));
    xprtest::PrinterHandle other(u"Other Printer");
    EXPECT_EQ(CompileByHandle(other.get()), 0u);
    EXPECT_FALSE(ReadPrinterValue(u"Other Printer", u"MYINFO").empty());
    EXPECT_EQ(ReadPrinterValue(u"Other Printer", u"Timestamp").size(), 16u);
}

TEST_F(XpcTriggerTest, ByHandleAnUnchangedDescriptionIsFoundWithoutTheRightToWrite) {
    const XpcCompileRequest request = Request();
    ASSERT_EQ(CompileIfChanged(&request), 0u);
    Mark();
    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    xprtest::PrinterHandle user(kPrinter, PRINTER_ACCESS_USE);
    m_log.clear();
    EXPECT_EQ(CompileByHandle(user.get()), 0u);
    EXPECT_TRUE(m_log.codes().empty());
    EXPECT_TRUE(Replaced().empty());

    // A newer description must be written: without the right, the compile fails as before.
    SetTimes(kCreated, kWritten + 1);
    EXPECT_EQ(CompileByHandle(user.get()), KIT_SEVERITY_ERROR);
    EXPECT_EQ(m_log.last(), XPR_OPEN_FAILED);
    EXPECT_TRUE(Replaced().empty());
    EXPECT_EQ(Timestamp(), TimestampOf(kCreated, kWritten));

    palvex::SetPrinterDeniedAccess(kPrinter, 0);
    EXPECT_EQ(CompileByHandle(user.get()), 0u);
    EXPECT_EQ(Replaced(), (std::vector<std::u16string>{u"MYINFO", u"DOCUMENTFEATURE", u"PRINTERFEATURE"}));
    EXPECT_EQ(Timestamp(), TimestampOf(kCreated, kWritten + 1));
}

}  // namespace
}  // namespace xpctest
