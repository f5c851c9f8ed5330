// The install run on a fresh machine: the driver package, its print processor, the port and the
// printer; the replacement of an installed driver with its printers' settings carried over; and
// the runs that stop before anything changes.
#include <palvex/jobs.h>
#include <palvex/printer_settings.h>
#include <palvex/spooler_admin.h>
#include <win/winreg.h>
#include <win/winspool_admin.h>

#include "install_worker.h"
#include "worker_fixture.h"

namespace {

using pardex::testing::kModel;
using pardex::testing::WorkerMachine;

constexpr char16_t kTemp[] = u"C:\\Users\\User\\AppData\\Local\\Temp\\";
constexpr char16_t kInstallFolder[] = u"C:\\Program Files\\Orlune\\PrinterDrivers\\Korvel Palvex QM410_QF410_QF380";

class InstallWorker : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        PrepareOfficePrinter();
        m_drvData.m_comment = u"2nd floor";
        m_drvData.m_setDefault = TRUE;
    }

    CDialogInstallProg& Run(int mode = 0) {
        m_dialog = std::make_unique<CDialogInstallProg>(&m_drvData);
        m_dialog->m_mode = mode;
        m_dialog->DoModal();
        return *m_dialog;
    }

    std::vector<std::u16string> PrinterNames() {
        std::vector<std::u16string> names;
        for (const auto& printer : palvex::ListPrinters()) names.push_back(printer.name);
        return names;
    }
    bool Exists(const std::u16string& path) { return std::filesystem::exists(Host(path)); }

    std::unique_ptr<CDialogInstallProg> m_dialog;
};

TEST_F(InstallWorker, InstallsTheDriverPackageAndThePrinter) {
    CDialogInstallProg& dialog = Run();
    EXPECT_EQ(dialog.m_resultCode, 0u);
    EXPECT_EQ(dialog.m_lastError, 0u);

    // The driver with its files in the driver folder, the print processor in its own.
    const auto drivers = palvex::ListDrivers();
    ASSERT_EQ(drivers.size(), 1u);
    EXPECT_EQ(drivers[0].name, kModel);
    EXPECT_EQ(drivers[0].dataFile, u"TOVQEB.GPD");
    EXPECT_EQ(drivers[0].configFile, u"UNIDRVUI.DLL");
    for (const char16_t* file : {u"TOVQEB.GPD", u"TOVQEB.INI", u"TOVQEBRES.DLL", u"tovqebui.dll", u"tovqebxl.dll"})
        EXPECT_TRUE(Exists(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\" + std::u16string(file)));
    EXPECT_TRUE(palvex::PrintProcessorFile(u"tovqebpp").has_value());
    EXPECT_TRUE(Exists(u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\tovqebpp.dll"));
    EXPECT_TRUE(Exists(u"C:\\Windows\\INF\\oem0.inf"));

    // The printer on its port, with its comment, as the default printer.
    const auto printers = palvex::ListPrinters();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, u"Office");
    EXPECT_EQ(printers[0].driverName, kModel);
    EXPECT_EQ(printers[0].portName, u"IP_10.0.0.5");
    EXPECT_EQ(printers[0].printProcessor, u"tovqebpp");
    EXPECT_EQ(palvex::GetPrinterSettings(u"Office").comment, u"2nd floor");
    WCHAR defaultPrinter[64] = {};
    DWORD size = 64;
    ASSERT_TRUE(GetDefaultPrinterW(defaultPrinter, &size));
    EXPECT_EQ(std::u16string(defaultPrinter), u"Office");

    // The installer kept for its removal.
    for (const char16_t* file : {u"\\Pardex.exe", u"\\Pardex.ini", u"\\Resource\\Bmp\\installer.ico", u"\\0411\\TOVQEB.INF"})
        EXPECT_TRUE(Exists(kInstallFolder + std::u16string(file))) << palvex::ToUtf8(file);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvel Palvex QM410/QF410/QF380 "
                            u"Installer",
                            0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_TRUE(LogHas("[LV1] PrintUI.exe /if /b \"Office\" /f \"C:\\Pardex\\0411\\TOVQEB.INF\" /r \"IP_10.0.0.5\" /m "
                       "\"Korvel Palvex QM410/QF410/QF380\"\r\n"));
    EXPECT_TRUE(LogHas("[LV1] [Install] end\r\n"));
    EXPECT_FALSE(LogHas("[Update Func]"));  // nothing was installed before
}

TEST_F(InstallWorker, ReplacesAnInstalledDriverAndCarriesItsPrintersOver) {
    ASSERT_EQ(Run().m_resultCode, 0u);
    palvex::AddPrinter(u"A/B", kModel, u"IP_10.0.0.5", u"tovqebpp");
    palvex::AddPrinter(u"A?B", kModel, u"IP_10.0.0.5", u"tovqebpp");
    palvex::AddPrinter(u"Web", kModel, u"http://10.0.0.9/ipp/print", u"tovqebpp");
    auto settings = palvex::GetPrinterSettings(u"A/B");
    settings.comment = u"kept";
    palvex::SetPrinterSettings(u"A/B", settings);
    // The spooler still holds the old driver's files: it is restarted once to let them go.
    palvex::HoldDriverFiles(kModel);

    ASSERT_TRUE(m_drvData.FindInstalledDriver());
    m_drvData.m_inheritSettings = TRUE;
    m_drvData.m_printerName = u"Office 2";
    m_drvData.m_setDefault = FALSE;
    CDialogInstallProg& dialog = Run();
    EXPECT_EQ(dialog.m_resultCode, 0u) << dialog.m_lastError;

    // Printers re-created under their names (the IPP printer is not), the new one added.
    EXPECT_EQ(PrinterNames(), (std::vector<std::u16string>{u"A/B", u"A?B", u"Office", u"Office 2"}));
    EXPECT_EQ(palvex::GetPrinterSettings(u"A/B").comment, u"kept");
    EXPECT_EQ(palvex::GetPrinterSettings(u"Office").comment, u"2nd floor");
    const std::string temp = palvex::ToUtf8(kTemp);
    EXPECT_TRUE(LogHas("Setting Restore PrintUI.exe /Sr /n \"A/B\" /a \"" + temp + "A_B\" f d\r\n"));
    EXPECT_TRUE(LogHas("Setting Restore PrintUI.exe /Sr /n \"A?B\" /a \"" + temp + "A_B1\" f d\r\n"));
    EXPECT_FALSE(Exists(kTemp + std::u16string(u"A_B")));
    EXPECT_FALSE(Exists(kTemp + std::u16string(u"A_B1")));
    EXPECT_TRUE(LogHas("[LV0] DeletePrinterDriverEx failed 3001\r\n"));
    EXPECT_TRUE(LogHas("[LV1] Restart Spooler\r\n"));
    EXPECT_TRUE(LogHas("[LV1] [Update] end\r\n"));
    // The default printer was Office and stays so.
    WCHAR defaultPrinter[64] = {};
    DWORD size = 64;
    ASSERT_TRUE(GetDefaultPrinterW(defaultPrinter, &size));
    EXPECT_EQ(std::u16string(defaultPrinter), u"Office");
}

TEST_F(InstallWorker, ALongDefaultPrinterNameIsRestored) {
    ASSERT_EQ(Run().m_resultCode, 0u);
    const std::u16string longName(70, u'L');
    palvex::AddPrinter(longName, kModel, u"IP_10.0.0.5", u"tovqebpp");
    ASSERT_TRUE(SetDefaultPrinterW(longName.c_str()));
    ASSERT_TRUE(m_drvData.FindInstalledDriver());
    m_drvData.m_printerName = u"Office 2";
    m_drvData.m_setDefault = FALSE;
    EXPECT_EQ(Run().m_resultCode, 0u);
    WCHAR defaultPrinter[128] = {};
    DWORD size = 128;
    ASSERT_TRUE(GetDefaultPrinterW(defaultPrinter, &size));
    EXPECT_EQ(std::u16string(defaultPrinter), longName);
    EXPECT_TRUE(LogHas("[LV1] [Update Func] end (not Inherit)\r\n"));
}

TEST_F(InstallWorker, StopsBeforeAnythingChanges) {
    ASSERT_EQ(Run().m_resultCode, 0u);
    ASSERT_TRUE(m_drvData.FindInstalledDriver());
    m_drvData.m_printerName = u"Office 2";
    palvex::JobDesc job;
    job.printerName = u"Office";
    job.documentName = u"Report";
    palvex::AddJob(job);

    CDialogInstallProg& dialog = Run();
    EXPECT_EQ(dialog.m_resultCode, 528u);
    EXPECT_EQ(dialog.m_lastError, 3001u);
    EXPECT_TRUE(LogHas("[LV0] Notify Error (Code:528 LastError:3001)\r\n"));
    EXPECT_EQ(PrinterNames(), std::vector<std::u16string>{u"Office"});
    EXPECT_EQ(palvex::ListDrivers().size(), 1u);
}

TEST_F(InstallWorker, ACommandThatFailsEndsTheRun) {
    struct Case {
        const char* name;
        const char* force;
        DWORD code, lastError;
    };
    const Case cases[] = {
        // The add-printer command's own code comes with 514.
        {"the command fails", "exit:1796", 514, 1796},
        {"the command hangs", "hang", 514, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setenv("PALVEX_PRINTUI_FORCE", c.force, 1);
        CDialogInstallProg& dialog = Run();
        EXPECT_EQ(dialog.m_resultCode, c.code);
        EXPECT_EQ(dialog.m_lastError, c.lastError);
        EXPECT_TRUE(PrinterNames().empty());
    }
}

TEST_F(InstallWorker, TheDriverAlone) {
    CDialogInstallProg& dialog = Run(1);
    EXPECT_EQ(dialog.m_resultCode, 0u);
    EXPECT_EQ(palvex::ListDrivers().size(), 1u);
    EXPECT_TRUE(PrinterNames().empty());
    EXPECT_TRUE(LogHas("[LV1] PrintUI.exe /ia /K /m \"Korvel Palvex QM410/QF410/QF380\" /h \"x64\" /v 3 /f "
                       "\"C:\\Pardex\\0411\\TOVQEB.INF\"\r\n"));

    setenv("PALVEX_PRINTUI_FORCE", "exit:2", 1);
    m_drvData.m_driverInstalled = FALSE;
    EXPECT_EQ(Run(1).m_resultCode, 517u);
    EXPECT_EQ(m_dialog->m_lastError, 2u);
}

}  // namespace
