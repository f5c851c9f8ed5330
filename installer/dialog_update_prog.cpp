// The update run's dialog and worker.
#include "dialog_update_prog.h"

#include "drv_data.h"
#include "install_worker.h"
#include "removal_operations.h"

namespace {

// Keeps the installer and registers it for removal, then reports the run's end: 773 when a local
// printer could not be re-created, else done.
void KeepInstaller(CDialogProg* dialog, const Replacement& replacement, const char16_t* copyLine,
                   const char16_t* registerLine) {
    CDrvData* drvData = dialog->m_pDrvData;
    if (copyLine) drvData->WriteLogFormat(1, copyLine);
    if (!CopyUninstaller(dialog, drvData)) {
        PostResult(dialog, kUpdateCopyFailed, 0);
        return;
    }
    drvData->WriteLogFormat(1, registerLine);
    RegUninstallerInfo(drvData);
    drvData->WriteLogFormat(1, u"[Update] end\r\n");
    if (!replacement.allGood) PostResult(dialog, kUpdateRoad.recreateFailed, replacement.firstError);
    else PostProgress(dialog, 100);
}

}  // namespace

CDialogUpdateProg::CDialogUpdateProg(CDrvData* drvData, CWnd* parent) : CDialogProg(drvData, u"UpdateProg", parent) {}

BOOL CDialogUpdateProg::OnInitDialog() {
    CDialogProg::OnInitDialog();
    StartFixedWorker(UpdateThreadProc, kUpdateStartFailed);  // an update cannot be cancelled
    return TRUE;
}

UINT UpdateThreadProc(LPVOID parameter) {
    auto* dialog = static_cast<CDialogProg*>(parameter);
    CDrvData* drvData = dialog->m_pDrvData;
    drvData->WriteLogFormat(1, u"[Update] begin\r\n");
    Replacement replacement;
    if (!ReplaceDriver(dialog, kUpdateRoad, replacement)) return 0;
    if (!drvData->m_inheritSettings) {
        drvData->WriteLogFormat(1, u"No Inherit Data\r\n");
        KeepInstaller(dialog, replacement, nullptr, u"Register Uninstall Info\r\n");
        return 0;
    }
    PostProgress(dialog, 90);
    drvData->WriteLogFormat(1, u"Restore Pritner\r\n");
    if (!RestorePrinters(dialog, kUpdateRoad, replacement, u"[%d] %s\r\n", 0)) return 0;
    PostProgress(dialog, 95);
    DeleteSettingsFiles(drvData, replacement);
    KeepInstaller(dialog, replacement, u"Copy Uninstaller\r\n", u"Reg Uninstaller Info\r\n");
    return 0;
}
