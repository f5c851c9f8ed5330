// The shared printer operations: command lines, running a command, comments, deleting printers,
// the warnings before an update and names for re-created printers.
#include <cstdlib>

#include <palvex/jobs.h>
#include <palvex/printer_settings.h>
#include <win/winspool_admin.h>
#include <win/winspool_levels.h>

#include "printer_operations.h"
#include "worker_fixture.h"

namespace {

using pardex::testing::kModel;
using pardex::testing::WorkerMachine;

constexpr char16_t kStrings[] =
    u"[MsgBox]\r\nCaption=Pardex\r\nUpdateIppWarning=IPP printers are not re-created\r\n"
    u"UpdateNetPrintDenyAccess=A shared printer refuses access\r\nUpdateNetPrintWarning=A shared printer is gone\r\n";

class PrinterOperations : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        WriteIni(u"C:\\Pardex\\Resource\\String\\0411\\String.ini", kStrings);
        SetPardexKey("Setup", "INFFILE", "x.inf");
    }
    void SetWindows(DWORD major, DWORD minor) {
        auto profile = palvex::GetOsProfile();
        profile.majorVersion = major;
        profile.minorVersion = minor;
        palvex::SetOsProfile(profile);
    }
    void SetAttributes(const std::u16string& printer, DWORD attributes) {
        auto settings = palvex::GetPrinterSettings(printer);
        settings.attributes = attributes;
        palvex::SetPrinterSettings(printer, settings);
    }
    void Force(const char* outcome) { setenv("PALVEX_PRINTUI_FORCE", outcome, 1); }
};

TEST_F(PrinterOperations, CommandLinesByWindowsVersion) {
    const std::u16string inf = u"C:\\Pardex\\0411\\x.inf";
    const std::u16string name = u"My \"Q\"";
    SetWindows(6, 1);
    EXPECT_EQ(m_drvData.GetInfPath(), inf);
    EXPECT_EQ(commands::AddPrinter(name, inf, u"IP_10.0.0.5", kModel),
              u"PrintUI.exe /if /b \"My \\\"Q\\\"\" /f \"C:\\Pardex\\0411\\x.inf\" /r \"IP_10.0.0.5\" /m "
              u"\"Korvel Palvex QM410/QF410/QF380\"");
    EXPECT_EQ(commands::AddPrinter(u"P", inf, u"IP_1.2.3.4", kModel, u"Share 1"),
              u"PrintUI.exe /if /b \"P\" /f \"C:\\Pardex\\0411\\x.inf\" /r \"IP_1.2.3.4\" /m "
              u"\"Korvel Palvex QM410/QF410/QF380\" /Z \"Share 1\"");
    EXPECT_EQ(commands::SetComment(name, u"c"), u"PrintUI.exe /Xs /n \"My \\\"Q\\\"\" comment \"c\"");
    EXPECT_EQ(commands::AddDriver(kModel, u"x64", inf, true),
              u"PrintUI.exe /ia /K /m \"Korvel Palvex QM410/QF410/QF380\" /h \"x64\" /v 3 /f "
              u"\"C:\\Pardex\\0411\\x.inf\"");
    EXPECT_EQ(commands::SaveSettings(u"A/B", u"C:\\T\\A_B"), u"PrintUI.exe /Ss /n \"A/B\" /a \"C:\\T\\A_B\"");
    EXPECT_EQ(commands::RestoreSettings(u"A/B", u"C:\\T\\A_B"), u"PrintUI.exe /Sr /n \"A/B\" /a \"C:\\T\\A_B\" f d");
    EXPECT_EQ(commands::DeleteConnection(name), u"PrintUI.exe /dn /n \"My \\\"Q\\\"\"");
    EXPECT_EQ(commands::DeletePackage(u"oem3.inf"), u"PnPUtil -f -d \"oem3.inf\"");

    SetWindows(5, 1);
    const std::u16string rundll = u"rundll32.exe printui.dll,PrintUIEntry ";
    EXPECT_EQ(commands::SetComment(name, u"c"), rundll + u"/Xs /n \"My \\\"Q\\\"\" comment \"c\"");
    EXPECT_EQ(commands::AddConnection(name, inf, u"IP_10.0.0.5", kModel),
              rundll + u"/in /n \"My \\\"Q\\\"\" /f \"C:\\Pardex\\0411\\x.inf\" /r \"IP_10.0.0.5\" /m "
                       u"\"Korvel Palvex QM410/QF410/QF380\"");
    EXPECT_EQ(commands::AddDriver(kModel, u"x86", inf, false),
              rundll + u"/ia /K /m \"Korvel Palvex QM410/QF410/QF380\" /h \"x86\" /f \"C:\\Pardex\\0411\\x.inf\"");
}

TEST_F(PrinterOperations, RunProcessOutcomes) {
    m_machine.AddPrinterWithDriver(u"Office");
    struct Case {
        const char* name;
        const char* force;  // the command's forced outcome, or none
        std::u16string line;
        BOOL result;
        DWORD exitCode, lastError;
        const char* logged;
    };
    const Case cases[] = {
        {"success", nullptr, u"PrintUI.exe /Xs /n \"Office\" comment \"x\"", TRUE, 0, 55, nullptr},
        // The failing command's own code is the error, not a stale last error of the thread.
        {"non-zero exit", "exit:1797", u"PrintUI.exe /Xs /n \"Office\" comment \"x\"", FALSE, 1797, 1797,
         "[LV0] ExitCode 1797 LastError 1797\r\n"},
        {"no such program", nullptr, u"NoSuchProgram.exe /x", FALSE, 77, ERROR_FILE_NOT_FOUND,
         "[LV0] ShellExecuteEx Failed. 2\r\n"},
        {"runs past EXE_TIMEOUT", "hang", u"rundll32.exe printui.dll,PrintUIEntry /Xs /n \"Office\" comment \"x\"",
         FALSE, 77, 55, "[LV0] Run Timeout\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.force) Force(c.force);
        else unsetenv("PALVEX_PRINTUI_FORCE");
        DWORD exitCode = 77, lastError = 55;
        const DWORD before = GetTickCount();
        EXPECT_EQ(RunProcess(c.line, &m_drvData, exitCode, lastError), c.result);
        EXPECT_EQ(exitCode, c.exitCode);
        EXPECT_EQ(lastError, c.lastError);
        if (c.logged) {
            EXPECT_TRUE(LogHas(c.logged));
        }
        if (c.force && std::string(c.force) == "hang") {
            EXPECT_EQ(GetTickCount() - before, 180000u);  // EXE_TIMEOUT on the machine clock
        }
    }
}

TEST_F(PrinterOperations, CommentOfAPrinterWithAQuoteInItsName) {
    m_machine.AddPrinterWithDriver(u"My \"Q\"");
    m_drvData.m_printerName = u"My \"Q\"";
    m_drvData.m_comment = u"2nd floor \"east\"";
    DWORD exitCode = 0, lastError = 0;
    EXPECT_TRUE(SetPrinterComment(&m_drvData, exitCode, lastError));
    EXPECT_EQ(palvex::GetPrinterSettings(u"My \"Q\"").comment, u"2nd floor \"east\"");
    EXPECT_TRUE(LogHas("[LV1] PrintUI.exe /Xs /n \"My \\\"Q\\\"\" comment \"2nd floor \\\"east\\\"\"\r\n"));

    m_drvData.m_printerName = u"Gone";
    EXPECT_FALSE(SetPrinterComment(&m_drvData, exitCode, lastError));
    EXPECT_EQ(exitCode, static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    EXPECT_TRUE(LogHas("[LV0] Comment Failed (Exit:1801 Error:1801)\r\n"));
}

TEST_F(PrinterOperations, DeletingPrinters) {
    for (const char16_t* name : {u"Local", u"Locked", u"Shared", u"Busy"}) m_machine.AddPrinterWithDriver(name, kModel);
    palvex::SetPrinterDeniedAccess(u"Locked", PRINTER_ALL_ACCESS);
    SetAttributes(u"Shared", 0x18);
    DWORD lastError = 0;
    // A local printer that cannot be opened is passed over; a connection goes by its command.
    EXPECT_TRUE(DeleteInstalledPrinters({u"Local", u"Locked", u"Shared"}, {0x40, 0x40, 0x18}, &m_drvData, lastError,
                                        nullptr));
    std::vector<std::u16string> left;
    for (const auto& printer : palvex::ListPrinters()) left.push_back(printer.name);
    EXPECT_EQ(left, (std::vector<std::u16string>{u"Busy", u"Locked"}));
    EXPECT_TRUE(LogHas("[LV3] Printer Shared Attribute 18)\r\n"));
    EXPECT_TRUE(LogHas("[LV1] PrintUI.exe /dn /n \"Shared\"\r\n"));

    palvex::JobDesc job;
    job.printerName = u"Busy";
    job.documentName = u"Report";
    palvex::AddJob(job);
    EXPECT_FALSE(DeleteInstalledPrinters({u"Busy"}, {0x40}, &m_drvData, lastError, nullptr));
    EXPECT_EQ(lastError, static_cast<DWORD>(ERROR_PRINTER_HAS_JOBS_QUEUED));
    EXPECT_TRUE(LogHas("[LV0] Delete Printer Failed (Error:3009)\r\n"));
    EXPECT_TRUE(DeleteInstalledPrinters({}, {}, &m_drvData, lastError, nullptr));
}

TEST_F(PrinterOperations, WarningsBeforeAnUpdate) {
    m_machine.AddPrinterWithDriver(u"Remote", kModel);
    m_machine.AddPrinterWithDriver(u"Other", u"Another Driver");
    palvex::AddPrinter(u"Web", kModel, u"http://10.0.0.9/ipp/print");
    // The user may print on the shared printer but not manage it.
    palvex::SetPrinterDeniedAccess(u"Remote", PRINTER_ACCESS_ADMINISTER);
    SetAttributes(u"Remote", 0x18);

    palvex::QueueMessageBoxAnswers({IDNO});
    EXPECT_FALSE(CheckUpdatePrinters(nullptr, &m_drvData));
    auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"IPP printers are not re-created");
    EXPECT_EQ(boxes[0].style, 0x134u);

    palvex::QueueMessageBoxAnswers({IDYES, IDYES});
    EXPECT_TRUE(CheckUpdatePrinters(nullptr, &m_drvData));
    boxes = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, u"A shared printer refuses access");
    EXPECT_TRUE(LogHas("Cannot open Check["));
}

TEST_F(PrinterOperations, NamesForRecreatedPrinters) {
    const std::u16string sixty(60, u'n');
    std::u16string taken = sixty.substr(0, 50), first = sixty.substr(0, 44) + u"(1)";
    std::vector<PRINTER_INFO_5W> printers(2);
    printers[0].pPrinterName = taken.data();
    printers[1].pPrinterName = first.data();
    struct Case {
        std::u16string wanted;
        std::vector<std::u16string> batch;
        int own;
        std::u16string name;
    };
    const Case cases[] = {
        {u"Free", {}, 0, u"Free"},
        {sixty, {}, 0, sixty.substr(0, 44) + u"(2)"},                 // cut to 50, then numbered from 44
        {u"Mine", {u"Mine"}, 0, u"Mine"},                                 // its own batch entry does not count
        {u"Mine", {u"Other", u"MINE"}, 0, u"Mine(1)"},                    // another's does, in any case
        {sixty.substr(0, 55), {}, 0, sixty.substr(0, 44) + u"(2)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeBatchPrinterName(c.wanted, printers.data(), 2, c.batch, c.own), c.name);
}

}  // namespace
