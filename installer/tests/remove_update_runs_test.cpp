// The removal and update runs on a machine where the wizard installed the model: what each leaves
// of the driver, its printers, print processor, packages, per-user key, kept installer and removal
// entry, and the runs that stop at once.
#include <palvex/jobs.h>
#include <palvex/printer_settings.h>
#include <palvex/spooler_admin.h>
#include <win/winreg.h>
#include <win/winspool_admin.h>

#include "dialog_remove_prog.h"
#include "dialog_update_prog.h"
#include "install_worker.h"
#include "worker_fixture.h"

namespace {

using pardex::testing::kModel;
using pardex::testing::WorkerMachine;

constexpr char16_t kInstallFolder[] = u"C:\\Program Files\\Orlune\\PrinterDrivers\\Korvel Palvex QM410_QF410_QF380";
constexpr char16_t kEntry[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvel Palvex QM410/QF410/QF380 Installer";
constexpr char16_t kUserKey[] = u"SOFTWARE\\Orlune\\Korvel Palvex QM410/QF410/QF380";

class RemoveAndUpdate : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        StageDriverFiles();
        std::ofstream(Host(u"C:\\Pardex\\Pardex.exe")) << "the installer";
        AddPort(u"10.0.0.5");
        m_drvData.m_printerName = u"Office";
        m_drvData.m_portName = u"IP_10.0.0.5";
        CDialogInstallProg install(&m_drvData);
        install.DoModal();
        ASSERT_EQ(install.m_resultCode, 0u);
        ASSERT_TRUE(m_drvData.FindInstalledDriver());
        // The per-user account key the UI plug-in writes.
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kUserKey + std::u16string(u"\\QVJA\\PrinterDriverData")).c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    template <typename Dialog>
    Dialog& Run() {
        auto dialog = std::make_unique<Dialog>(&m_drvData);
        Dialog& ran = *dialog;
        ran.DoModal();
        m_dialog = std::move(dialog);
        return ran;
    }

    bool KeyExists(HKEY root, const std::u16string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    bool Exists(const std::u16string& path) { return std::filesystem::exists(Host(path)); }
    std::vector<std::u16string> PrinterNames() {
        std::vector<std::u16string> names;
        for (const auto& printer : palvex::ListPrinters()) names.push_back(printer.name);
        return names;
    }
    void AddJob(const std::u16string& printer) {
        palvex::JobDesc job;
        job.printerName = printer;
        job.documentName = u"Report";
        palvex::AddJob(job);
    }

    std::unique_ptr<CDialogProg> m_dialog;
};

TEST_F(RemoveAndUpdate, ARemovalLeavesNothingOfTheModel) {
    palvex::AddPrinter(u"Second", kModel, u"IP_10.0.0.5", u"tovqebpp");
    palvex::DriverDesc other;
    other.name = u"Palvex Test Other";
    palvex::AddDriver(other);
    palvex::AddPrinter(u"Other", other.name, u"FILE:", u"winprint");  // not the model's: stays
    // The spooler holds the driver until it is restarted once.
    palvex::HoldDriverFiles(kModel);
    ASSERT_TRUE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));

    CDialogRemoveProg& dialog = Run<CDialogRemoveProg>();
    EXPECT_EQ(dialog.m_resultCode, 0u) << dialog.m_lastError;
    EXPECT_EQ(PrinterNames(), std::vector<std::u16string>{u"Other"});
    for (const auto& driver : palvex::ListDrivers()) EXPECT_NE(driver.name, kModel);
    EXPECT_FALSE(palvex::PrintProcessorFile(u"tovqebpp").has_value());
    EXPECT_FALSE(Exists(u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\tovqebpp.dll"));
    EXPECT_FALSE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
    // The kept installer goes when Windows starts again (its texts and the program may be in use).
    std::ifstream pending(m_machine.root() / "kernel" / "pending_file_operations.txt");
    const std::string scheduled((std::istreambuf_iterator<char>(pending)), {});
    const std::string folder = palvex::ToUtf8(kInstallFolder);
    for (const std::string& path : {folder + "\\Pardex.exe\t\n", folder + "\\Resource\\String\\0411\\String.ini\t\n",
                                    folder + "\t\n"})
        EXPECT_NE(scheduled.find(path), std::string::npos) << path;
    EXPECT_FALSE(Exists(kInstallFolder + std::u16string(u"\\0411\\TOVQEB.INF")));

    EXPECT_LT(LogAt("[LV1] [Remove] Begin\r\n"), LogAt("[LV1] Delete Driver : Korvel Palvex QM410/QF410/QF380\r\n"));
    EXPECT_TRUE(LogHas("[LV1] DeletePrinterDriverEx failed 3001\r\n"));
    EXPECT_EQ(LogCount("Restart Spooler\r\n"), 1u);
    EXPECT_TRUE(LogHas("[LV1] Delete Print Processor tovqebpp\r\n"));
    EXPECT_LT(LogAt("[LV1] Delete RegInfo\r\n"), LogAt("[LV1] [Remove] end\r\n"));
    EXPECT_FALSE(LogHas("Notify Error"));
}

TEST_F(RemoveAndUpdate, ARemovalWithAPendingJobDeletesNothing) {
    AddJob(u"Office");
    CDialogRemoveProg& dialog = Run<CDialogRemoveProg>();
    EXPECT_EQ(dialog.m_resultCode, 1028u);
    EXPECT_EQ(dialog.m_lastError, 3001u);
    EXPECT_TRUE(LogHas("[LV0] Notify Error (Code:1028 LastError:3001)\r\n"));
    EXPECT_EQ(PrinterNames(), std::vector<std::u16string>{u"Office"});
    EXPECT_EQ(palvex::ListDrivers().size(), 1u);
    EXPECT_TRUE(palvex::PrintProcessorFile(u"tovqebpp").has_value());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
}

TEST_F(RemoveAndUpdate, AnUpdateRecreatesThePrintersWithOrWithoutTheirSettings) {
    struct Case {
        const char* name;
        BOOL inherit;
        const char* kind;  // the log line that tells the road
        const char16_t* comment;  // Office's comment after the update
    } const cases[] = {
        {"inheriting", TRUE, "[LV1] Restore Pritner\r\n", u"kept"},
        {"not inheriting", FALSE, "[LV1] No Inherit Data\r\n", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto settings = palvex::GetPrinterSettings(u"Office");
        settings.comment = u"kept";
        palvex::SetPrinterSettings(u"Office", settings);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEntry);
        m_drvData.m_inheritSettings = c.inherit;
        ASSERT_TRUE(m_drvData.FindInstalledDriver());

        CDialogUpdateProg& dialog = Run<CDialogUpdateProg>();
        EXPECT_EQ(dialog.m_resultCode, 0u) << dialog.m_lastError;
        EXPECT_EQ(PrinterNames(), std::vector<std::u16string>{u"Office"});
        const auto printers = palvex::ListPrinters();
        EXPECT_EQ(printers[0].driverName, kModel);
        EXPECT_EQ(printers[0].portName, u"IP_10.0.0.5");
        EXPECT_EQ(palvex::GetPrinterSettings(u"Office").comment, c.comment);
        EXPECT_TRUE(LogHas(c.kind));
        EXPECT_TRUE(LogHas("[LV1] [Update] end\r\n"));
        // The installer kept again and registered for its removal.
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kEntry));
        EXPECT_TRUE(Exists(kInstallFolder + std::u16string(u"\\Pardex.exe")));
    }
}

TEST_F(RemoveAndUpdate, AnUpdateStopsAtOnceForPendingJobs) {
    AddJob(u"Office");
    m_drvData.m_inheritSettings = TRUE;
    CDialogUpdateProg& dialog = Run<CDialogUpdateProg>();
    EXPECT_EQ(dialog.m_resultCode, 777u);
    EXPECT_EQ(dialog.m_lastError, 3001u);
    EXPECT_EQ(PrinterNames(), std::vector<std::u16string>{u"Office"});
    EXPECT_EQ(palvex::ListDrivers().size(), 1u);
}

}  // namespace
