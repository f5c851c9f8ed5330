// The removal and update runs on a machine where the wizard installed the model: what each leaves
// of the driver, its printers, print processor, packages, per-user key, kept installer and removal
// entry, and the runs that stop at once; then both roads as the user takes them, from the setup
// menu through their confirmation pages to their completion pages.
#include <palvex/jobs.h>
#include <palvex/printer_settings.h>
#include <palvex/spooler_admin.h>
#include <win/winreg.h>
#include <win/winspool_admin.h>

#include <win/winsvc.h>

#include "dialog_remove_prog.h"
#include "dialog_update_prog.h"
#include "install_worker.h"
#include "resource.h"
#include "wizard_script.h"
#include "worker_fixture.h"

namespace {

using namespace pardex::testing;
using Rows = std::vector<std::pair<std::u16string, std::u16string>>;

constexpr char16_t kInstallFolder[] = u"C:\\Program Files\\Orlune\\PrinterDrivers\\Korvel Palvex QM410_QF410_QF380";
constexpr char16_t kEntry[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvel Palvex QM410/QF410/QF380 Installer";
constexpr char16_t kUserKey[] = u"SOFTWARE\\Orlune\\Korvel Palvex QM410/QF410/QF380";

class RemoveAndUpdate : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        PrepareOfficePrinter();
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
    DWORD AddJob(const std::u16string& printer) {
        palvex::JobDesc job;
        job.printerName = printer;
        job.documentName = u"Report";
        return palvex::AddJob(job);
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

TEST_F(RemoveAndUpdate, APrintProcessorThatIsNotInstalledIsNoFailureButOneThatStaysStopsBeforeThePackages) {
    // The installed package has the x64 processor only: the x86 one was never there.
    m_drvData.m_inheritSettings = TRUE;
    CDialogUpdateProg& updated = Run<CDialogUpdateProg>();
    EXPECT_EQ(updated.m_resultCode, 0u) << updated.m_lastError;
    EXPECT_FALSE(LogHas("Print Processor Delete Error"));

    // A processor the spooler refuses to delete (its key cannot go) stops the run with 781 before
    // the driver packages, which could not be put back, are deleted.
    HKEY held = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\tovqebpp\\Held",
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &held, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(held);
    ASSERT_TRUE(m_drvData.FindInstalledDriver());
    ASSERT_TRUE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
    CDialogUpdateProg& stopped = Run<CDialogUpdateProg>();
    EXPECT_EQ(stopped.m_resultCode, 781u);
    EXPECT_TRUE(LogHas("[LV0] Print Processor Delete Error Windows x64 (5)\r\n"));
    EXPECT_TRUE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
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

// The wizard's road from the setup menu's choice to the confirmation page.
std::vector<palvex::UserAction> ChooseOnTheSetupMenu(int radio) {
    return {Click(IDC_BUTTON_AGREE), Click(radio), Click(IDC_BUTTON_NEXT)};
}

std::filesystem::path Picture(const char* name) { return std::filesystem::path(PARDEX_PICTURES) / name; }

TEST_F(RemoveAndUpdate, TheRemovalPageListsThePrintersAndItsNextRemovesOrStopsForJobs) {
    m_drvData.m_log.Close();  // the wizard's own settings write the log
    palvex::AddPrinter(u"Second", kModel, u"IP_10.0.0.5", u"tovqebpp");
    const std::u16string version = m_drvData.m_installedFileVersion;
    ASSERT_FALSE(version.empty());
    struct Case {
        const char* name;
        bool pendingJob;
        std::u16string message;  // on the removal's completion page
        std::vector<std::u16string> printersLeft;
        const char* picture;
    } const cases[] = {
        {"a job waits", true,
         u"印刷待ちのジョブがあるため、削除できませんでした。\n印刷が終わってからもう一度実行してください。",
         {u"Office", u"Second"}, nullptr},
        {"nothing waits", false, u"プリンタードライバーの削除が完了しました。", {}, "pardex-uninstallcomplete.png"},
    };
    DWORD job = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.pendingJob) job = AddJob(u"Office");
        else palvex::SetJobStatus(job, JOB_STATUS_DELETED);  // printed meanwhile
        Rows rows;
        std::u16string main, message;
        bool backVisible = false;
        int page = -1;
        auto actions = ChooseOnTheSetupMenu(IDC_RADIO_UNINSTALL);
        actions.push_back(Act([&](HWND window) {
            ASSERT_EQ(PageIndex(window), 8);
            rows = ListRows(GetDlgItem(Page(window), IDC_LIST_SUMMARY));
            main = ItemText(Page(window), IDC_STATIC_MESSAGE);
            backVisible = IsWindowVisible(GetDlgItem(Page(window), IDC_BUTTON_PREV));
            palvex::WriteWindowPicture(window, Picture("pardex-uninstallconfirm.png"));
        }));
        actions.push_back(Click(IDC_BUTTON_NEXT));
        actions.push_back(Act([&](HWND window) {
            page = PageIndex(window);
            message = ItemText(Page(window), IDC_STATIC_MESSAGE);
            if (c.picture) palvex::WriteWindowPicture(window, Picture(c.picture));
        }));
        RunWizard(actions, {IDNO});
        palvex::TakeMessageBoxRecords();
        // The first printer on the labelled row, every further one below it without a label.
        EXPECT_EQ(rows, (Rows{{u"モデル", kModel}, {u"バージョン", version}, {u"削除するプリンター", u"Office"}, {u"", u"Second"}}));
        EXPECT_EQ(main, u"次のプリンタードライバーとプリンターを削除します。よろしければ［削除］をクリックしてください。");
        EXPECT_TRUE(backVisible);  // chosen on the setup menu, the page leads back to it
        EXPECT_EQ(page, 9);
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(PrinterNames(), c.printersLeft);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kEntry), c.pendingJob);
        EXPECT_EQ(palvex::ListDrivers().size(), c.pendingJob ? 1u : 0u);
    }
    EXPECT_TRUE(LogHas("[LV0] Notify Error (Code:1028 LastError:3001)\r\n"));
    EXPECT_TRUE(LogHas("[LV1] CheckDriverActive QVJA 0\r\n"));
}

TEST_F(RemoveAndUpdate, TheRemovalPageWithoutTheSpoolerOffersNothingToRemove) {
    m_drvData.m_log.Close();
    Rows rows{{u"x", u"y"}};
    bool next = true;
    RunWizard({Act([&](HWND window) {
                   SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
                   SC_HANDLE spooler = OpenServiceW(manager, u"spooler", SERVICE_STOP);
                   SERVICE_STATUS status{};
                   ControlService(spooler, SERVICE_CONTROL_STOP, &status);
                   CloseServiceHandle(spooler);
                   CloseServiceHandle(manager);
                   ShowPage(HostOf(window), 8);
                   rows = ListRows(GetDlgItem(Page(window), IDC_LIST_SUMMARY));
                   next = IsWindowEnabled(GetDlgItem(Page(window), IDC_BUTTON_NEXT));
               })});
    const auto boxes = palvex::TakeMessageBoxRecords();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"印刷スプーラーが実行されていません。");
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(next);
}

TEST_F(RemoveAndUpdate, TheUpdatePageTellsWhetherTheSettingsAreKeptAndItsNextUpdates) {
    m_drvData.m_log.Close();
    palvex::AddPrinter(u"Second", kModel, u"IP_10.0.0.5", u"tovqebpp");
    palvex::AddPrinter(u"Third", kModel, u"IP_10.0.0.5", u"tovqebpp");
    const std::u16string installed = m_drvData.m_installedFileVersion;
    struct Case {
        bool sameVersion;  // the package's is the installed one, which keeps the settings; else a newer unlisted one
        std::u16string main;
        std::u16string caution;  // empty: hidden
        std::u16string inherit;
        const char* picture;
    } const cases[] = {
        {true, u"次の設定でプリンタードライバーをアップデートします。プリンターの設定は引き継がれます。", u"",
         u"引き継ぐ", "pardex-updateconfirm.png"},
        {false, u"次の設定でプリンタードライバーをアップデートします。",
         u"プリンターの設定は引き継がれません。アップデート後にもう一度設定してください。", u"引き継がない",
         "pardex-updateconfirm-notinherit.png"},
    };
    for (const Case& c : cases) {
        const std::u16string version = c.sameVersion ? installed : u"3.18.0.1";
        SCOPED_TRACE(palvex::ToUtf8(version));
        SetPardexKey("Setup", "VERSION", palvex::ToUtf8(version));
        Rows rows;
        std::u16string main, caution, message;
        bool cautionBold = false;
        int page = -1;
        auto actions = ChooseOnTheSetupMenu(IDC_RADIO_UPDATE);
        actions.push_back(Act([&](HWND window) {
            ASSERT_EQ(PageIndex(window), 6);
            HWND note = GetDlgItem(Page(window), IDC_STATIC_NOTE);
            rows = ListRows(GetDlgItem(Page(window), IDC_LIST_SUMMARY));
            main = ItemText(Page(window), IDC_STATIC_MESSAGE);
            if (IsWindowVisible(note)) caution = ItemText(Page(window), IDC_STATIC_NOTE);
            cautionBold = SendMessageW(note, WM_GETFONT, 0, 0) == reinterpret_cast<LRESULT>(Settings(window).m_font9Bold);
            palvex::WriteWindowPicture(window, Picture(c.picture));
        }));
        actions.push_back(Click(IDC_BUTTON_NEXT));
        actions.push_back(Act([&](HWND window) {
            page = PageIndex(window);
            message = ItemText(Page(window), IDC_STATIC_MESSAGE);
            palvex::WriteWindowPicture(window, Picture("pardex-updatecomplete.png"));
        }));
        RunWizard(actions, {IDNO});
        palvex::TakeMessageBoxRecords();
        EXPECT_EQ(rows, (Rows{{u"モデル", kModel},
                              {u"現在のバージョン", installed},
                              {u"新しいバージョン", version},
                              {u"設定の引き継ぎ", c.inherit},
                              {u"アップデートするプリンター", u"Office"},
                              {u"", u"Second"},
                              {u"", u"Third"}}));
        EXPECT_EQ(main, c.main);
        EXPECT_EQ(caution, c.caution);
        EXPECT_EQ(cautionBold, !c.sameVersion);  // the caution stands out in the bold font
        EXPECT_EQ(page, 7);
        EXPECT_EQ(message, u"プリンタードライバーのアップデートが完了しました。");
        EXPECT_EQ(PrinterNames(), (std::vector<std::u16string>{u"Office", u"Second", u"Third"}));
    }
    EXPECT_TRUE(LogHas("[LV1] No Inherit Data\r\n"));
    EXPECT_TRUE(LogHas("[LV1] Restore Pritner\r\n"));
}

}  // namespace
