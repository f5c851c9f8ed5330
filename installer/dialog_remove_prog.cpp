// The removal run's dialog and worker.
#include "dialog_remove_prog.h"

#include <win/shlobj.h>
#include <win/sysinfoapi_product.h>
#include <win/winfiles_move.h>
#include <win/winreg.h>
#include <win/winspool_admin.h>

#include "drv_data.h"
#include "printer_operations.h"
#include "removal_operations.h"
#include "spooler_restart.h"
#include "utilities.h"

namespace {

// The driver of the current environment, again after one restart of the spooler when it is held.
BOOL DeleteCurrentDriver(CDialogProg* dialog, const std::u16string& model) {
    CDrvData* drvData = dialog->m_pDrvData;
    drvData->WriteLogFormat(1, u"Delete Driver : %s\r\n", model.c_str());
    if (DeleteModelDriver(model, nullptr)) return TRUE;
    drvData->WriteLogFormat(1, u"DeletePrinterDriverEx failed %d\r\n", static_cast<int>(GetLastError()));
    CRestartService restart(drvData, 30000, 30000);
    DWORD restartError = 0;
    int stopPhase = 1;
    if (!restart.RestartService(restartError, stopPhase)) {
        drvData->WriteLogFormat(1, stopPhase ? u"RestartService [stop] failed %d\r\n" : u"RestartService [start] failed %d\r\n",
                                static_cast<int>(restartError));
        PostResult(dialog, kRemoveDriverFailed, restartError);
        return FALSE;
    }
    drvData->WriteLogFormat(1, u"Restart Spooler\r\n");
    if (DeleteModelDriver(model, nullptr)) return TRUE;
    PostResult(dialog, kRemoveDriverFailed, GetLastError());
    return FALSE;
}

// The driver of the environment the system's other architecture uses, when it is there.
BOOL DeleteOtherDriver(CDialogProg* dialog, const std::u16string& model) {
    CDrvData* drvData = dialog->m_pDrvData;
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    const bool native64 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    const char16_t* other = native64 ? u"Windows NT x86" : u"Windows x64";
    if (!drvData->ExistDriverForEnvironment(other)) return TRUE;
    if (!DeleteModelDriver(model, other)) {
        const DWORD error = GetLastError();
        if (native64) drvData->WriteLogFormat(0, u"Delete Driver [x86] Error %x\r\n", error);
        else drvData->WriteLogFormat(1, u"Delete Driver [x64] Error %x\r\n", error);
        PostResult(dialog, kRemoveDriverFailed, error);
        return FALSE;
    }
    drvData->WriteLogFormat(1, native64 ? u"Delete Driver [x86]\r\n" : u"Delete Driver [x64]\r\n");
    return TRUE;
}

}  // namespace

CDialogRemoveProg::CDialogRemoveProg(CDrvData* drvData, CWnd* parent) : CDialogProg(drvData, u"UninstallProg", parent) {}

BOOL CDialogRemoveProg::OnInitDialog() {
    CDialogProg::OnInitDialog();
    StartFixedWorker(RemoveThreadProc, kRemoveStartFailed);  // a removal cannot be cancelled
    return TRUE;
}

UINT RemoveThreadProc(LPVOID parameter) {
    auto* dialog = static_cast<CDialogProg*>(parameter);
    CDrvData* drvData = dialog->m_pDrvData;
    const std::u16string model = drvData->GetModelName();
    drvData->WriteLogFormat(1, u"[Remove] Begin\r\n");
    drvData->WriteLogFormat(1, u"job Check\r\n");
    if (HasPendingJobs(model)) {
        PostResult(dialog, kRemoveJobsPending, ERROR_PRINTER_DRIVER_IN_USE);
        return 0;
    }

    std::vector<std::u16string> names;
    std::vector<DWORD> attributes;
    DWORD listError = 0;
    ListModelPrinters(model, names, attributes, listError);  // none when the enumeration fails
    DWORD lastError = 0;
    if (!DeleteInstalledPrinters(names, attributes, drvData, lastError, dialog->m_reportWindow)) {
        PostResult(dialog, kRemovePrinterFailed, lastError);
        return 0;
    }
    if (!DeleteCurrentDriver(dialog, model) || !DeleteOtherDriver(dialog, model)) return 0;
    PostProgress(dialog, 80);

    // Whether a processor was there to delete does not matter for the removal.
    drvData->WriteLogFormat(1, u"Delete Print Processor %s\r\n", drvData->GetProcessorName().c_str());
    DWORD processorError = 0;
    DeletePrintProcessorFile(drvData, u"Windows NT x86", drvData->GetProcessorName(), processorError);
    DeletePrintProcessorFile(drvData, u"Windows x64", drvData->GetProcessorName(), processorError);
    PostProgress(dialog, 90);

    if (!model.empty()) DeleteRegistryTree(u"SOFTWARE\\Orlune\\" + model);
    DWORD packageError = 0;
    DeleteDriverPackage(drvData, packageError, dialog);
    if (packageError != 0) {
        PostResult(dialog, kRemovePackageFailed, 0);
        return 0;
    }

    // The kept installer may be the program that runs now: it goes when Windows starts again.
    std::u16string folder;
    GetInstallFolder(folder, drvData);
    MoveFileExW((folder + u"\\" + kKeptInstallerName).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    DsDeleteDirectoryOnReboot(folder);

    drvData->WriteLogFormat(1, u"Delete RegInfo\r\n");
    const std::u16string entry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + model + u" Installer";
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, entry.c_str());
    drvData->WriteLogFormat(1, u"[Remove] end\r\n");
    PostProgress(dialog, 100);
    return 0;
}
