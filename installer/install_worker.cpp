// The install run's workers and the driver replacement sequence.
#include "install_worker.h"

#include <win/winfiles_move.h>
#include <win/winfiles_temp.h>
#include <win/winspool_admin.h>
#include <win/winspool_levels.h>

#include "drv_data.h"
#include "printer_operations.h"
#include "removal_operations.h"
#include "spooler_restart.h"
#include "utilities.h"

namespace {

std::u16string TempFolder() {
    WCHAR folder[260] = {};
    GetTempPathW(260, folder);
    return folder;
}

// The user's default printer, read into a buffer the size the call asks for.
std::u16string DefaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::u16string name(size, u'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(size ? size - 1 : 0);
    return name;
}

CDialogProg* Dialog(LPVOID parameter) { return static_cast<CDialogProg*>(parameter); }

}  // namespace

CDialogInstallProg::CDialogInstallProg(CDrvData* drvData, CWnd* parent) : CDialogProg(drvData, u"InstallProg", parent) {}

BOOL CDialogInstallProg::OnInitDialog() {
    CDialogProg::OnInitDialog();
    const AFX_THREADPROC workers[] = {InstallThreadProc, InstallDriverThreadProc, InstallVistaThreadProc};
    // An install cannot be cancelled.
    StartFixedWorker(m_mode >= 0 && m_mode <= 2 ? workers[m_mode] : InstallThreadProc, 512);
    return TRUE;
}

UINT InstallThreadProc(LPVOID parameter) {
    CDialogProg* dialog = Dialog(parameter);
    CDrvData* drvData = dialog->m_pDrvData;
    drvData->WriteLogFormat(1, u"[Install] Begin\r\n");
    if (drvData->m_driverInstalled) {
        if (!UpdateFunc(dialog)) return 0;
    } else {
        DWORD error = 0;
        DeleteDriverPackage(drvData, error, dialog);  // stale packages of the same INF
    }
    if (!InstallPrinter(dialog)) return 0;
    drvData->WriteLogFormat(1, u"Copy Uninstaller\r\n");
    if (!CopyUninstaller(dialog, drvData)) {
        PostResult(dialog, 520, 0);
        return 0;
    }
    drvData->WriteLogFormat(1, u"Reg Uninstaller Info\r\n");
    RegUninstallerInfo(drvData);
    drvData->WriteLogFormat(1, u"[Install] end\r\n");
    PostProgress(dialog, 100);
    return 0;
}

UINT InstallDriverThreadProc(LPVOID parameter) {
    CDialogProg* dialog = Dialog(parameter);
    CDrvData* drvData = dialog->m_pDrvData;
    drvData->WriteLogFormat(1, u"[Install] Win 7 begin\r\n");
    if (drvData->m_driverInstalled) {
        if (!UpdateFunc(dialog)) return 0;
    } else {
        DWORD error = 0;
        DeleteDriverPackage(drvData, error, dialog);
    }
    const std::u16string line = commands::AddDriver(drvData->GetModelName(),
                                                    GetNativeArchitecture() == 9 ? u"x64" : u"x86",
                                                    drvData->GetInfPath(), true);
    drvData->WriteLogFormat(1, u"%s\r\n", line.c_str());
    DWORD exitCode = 0, lastError = 0;
    if (!RunProcess(line, drvData, exitCode, lastError)) {
        PostResult(dialog, 517, lastError);
        return 0;
    }
    drvData->WriteLogFormat(1, u"[Install] Win 7 end\r\n");
    PostProgress(dialog, 100);
    return 0;
}

UINT InstallVistaThreadProc(LPVOID parameter) {
    CDialogProg* dialog = Dialog(parameter);
    CDrvData* drvData = dialog->m_pDrvData;
    drvData->WriteLogFormat(1, u"[Install] Vista\r\n");
    if (drvData->m_driverInstalled) {
        if (!UpdateFunc(dialog)) return 0;
    } else {
        DWORD error = 0;
        DeleteDriverPackage(drvData, error, dialog);
    }
    drvData->WriteLogFormat(1, u"[Install] Vista end\r\n");
    PostProgress(dialog, 100);
    return 0;
}

BOOL InstallPrinter(CDialogProg* dialog) {
    CDrvData* drvData = dialog->m_pDrvData;
    drvData->WriteLogFormat(1, u"[Add Printer] Begin\r\n");
    const std::u16string line = commands::AddPrinter(drvData->m_printerName, drvData->GetInfPath(), drvData->m_portName,
                                                     drvData->GetModelName());
    drvData->WriteLogFormat(1, u"%s\r\n", line.c_str());
    DWORD exitCode = 0, lastError = 0;
    if (!RunProcess(line, drvData, exitCode, lastError)) {
        // The command's own failure, not the thread's last error after it.
        PostResult(dialog, 514, lastError);
        return FALSE;
    }
    if (!ExistPrinterDriver(drvData->GetModelName())) {
        drvData->WriteLogFormat(0, u"Failed Add Driver %s\r\n", drvData->GetModelName().c_str());
        PostResult(dialog, 515, 0);
        return FALSE;
    }
    if (!CheckInstallPrinter(drvData->m_printerName)) {
        drvData->WriteLogFormat(0, u"Failed Add Printer %s\r\n", drvData->m_printerName.c_str());
        PostResult(dialog, 516, 0);
        return FALSE;
    }
    drvData->WriteLogFormat(1, u"Add Check End\r\n");
    PostProgress(dialog, 75);
    if (!SetPrinterComment(drvData, exitCode, lastError)) {
        drvData->WriteLogFormat(0, u"Set Comment (Exit:%d Error:%d)\r\n", static_cast<int>(exitCode),
                                static_cast<int>(lastError));
        PostResult(dialog, 518, 0);
        return FALSE;
    }
    PostProgress(dialog, 90);
    if (drvData->m_setDefault) {
        drvData->WriteLogFormat(1, u"Set Default Printer %s\r\n", drvData->m_printerName.c_str());
        if (!SetDefaultPrinterW(drvData->m_printerName.c_str())) {
            drvData->WriteLogFormat(0, u"Error SetDefault Printer\r\n");
            PostResult(dialog, 519, 0);
            return FALSE;
        }
    }
    drvData->WriteLogFormat(1, u"[Add Printer] end\r\n");
    return TRUE;
}

BOOL ReplaceDriver(CDialogProg* dialog, const ReplacementRoad& road, Replacement& replacement) {
    CDrvData* drvData = dialog->m_pDrvData;
    const std::u16string model = drvData->GetModelName();
    drvData->WriteLogFormat(1, u"[Update Func] begin\r\n");
    if (HasPendingJobs(model)) {
        PostResult(dialog, road.jobsPending, ERROR_PRINTER_DRIVER_IN_USE);
        return FALSE;
    }

    // The printers of the old driver: recorded, and their settings saved when they are carried over.
    PrinterList list;
    DWORD error = 0;
    if (!EnumAllPrinters2(list, error)) list.count = 0;
    const std::u16string defaultPrinter = DefaultPrinter();
    drvData->WriteLogFormat(1, u"GetDefaultPrinter %s\r\n", defaultPrinter.c_str());
    replacement.tempFolder = TempFolder();
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(list.joined.data());
    std::vector<std::u16string> settingsFiles;
    for (DWORD i = 0; i < list.count; ++i) {
        const PRINTER_INFO_2W& info = printers[i];
        if (UpperCase(info.pDriverName ? info.pDriverName : u"") == UpperCase(model)) {
            ReplacedPrinter printer;
            printer.name = info.pPrinterName ? info.pPrinterName : u"";
            printer.port = info.pPortName ? info.pPortName : u"";
            printer.share = info.pShareName ? info.pShareName : u"";
            printer.attributes = info.Attributes;
            drvData->WriteLogFormat(1, u"[%d] %s %s\r\n", static_cast<int>(i), printer.name.c_str(), printer.port.c_str());
            printer.settingsFile = MakeUniqueName(MakeFileNameSafe(printer.name), settingsFiles);
            settingsFiles.push_back(printer.settingsFile);
            if (info.cJobs > 0) {
                PostResult(dialog, road.driverFailed, ERROR_PRINTER_HAS_JOBS_QUEUED);
                return FALSE;
            }
            printer.recreate = !IsIppPort(printer.port);
            printer.save = drvData->m_inheritSettings != FALSE;
            DWORD openError = 0;
            if (printer.save && IsPrinterConnection(printer.attributes) && !ExistPrinter(printer.name, openError))
                printer.save = false;
            if (!printer.recreate) printer.save = false;
            if (printer.recreate && printer.save) {
                const std::u16string line =
                    commands::SaveSettings(printer.name, replacement.tempFolder + printer.settingsFile);
                DWORD exitCode = 0, lastError = 0;
                if (!RunProcess(line, drvData, exitCode, lastError)) {
                    PostResult(dialog, road.saveFailed, lastError);
                    return FALSE;
                }
                printer.saved = true;
            }
            replacement.printers.push_back(std::move(printer));
        }
        PostProgress(dialog, static_cast<int>(road.examineScale * i / list.count));
    }

    PostProgress(dialog, road.examineScale);
    std::vector<std::u16string> names;
    std::vector<DWORD> attributes;
    for (const auto& printer : replacement.printers) names.push_back(printer.name), attributes.push_back(printer.attributes);
    DWORD deleteError = 0;
    if (!DeleteInstalledPrinters(names, attributes, drvData, deleteError, nullptr)) {
        PostResult(dialog, road.saveFailed, deleteError);
        return FALSE;
    }

    // The old driver; a driver the spooler still holds goes after one restart of the spooler.
    PostProgress(dialog, road.printersDeleted);
    drvData->WriteLogFormat(1, u"Delete Printer Driver %s\r\n", model.c_str());
    if (!DeleteModelDriver(model, nullptr)) {
        drvData->WriteLogFormat(0, u"DeletePrinterDriverEx failed %d\r\n", static_cast<int>(GetLastError()));
        CRestartService restart(drvData, 30000, 30000);
        DWORD restartError = 0;
        int stopPhase = 1;
        if (!restart.RestartService(restartError, stopPhase)) {
            if (stopPhase) {
                drvData->WriteLogFormat(0, u"RestartService [stop] failed %d\r\n", static_cast<int>(restartError));
                PostResult(dialog, road.stopFailed, restartError);
            } else {
                drvData->WriteLogFormat(0, u"RestartService [start] failed %d\r\n", static_cast<int>(restartError));
                PostResult(dialog, road.startFailed, restartError);
            }
            return FALSE;
        }
        drvData->WriteLogFormat(1, u"Restart Spooler\r\n");
        if (!DeleteModelDriver(model, nullptr)) {
            PostResult(dialog, road.driverFailed, GetLastError());
            return FALSE;
        }
    }
    const bool native64 = GetNativeArchitecture() == 9;
    const char16_t* other = native64 ? u"Windows NT x86" : u"Windows x64";
    bool reinstallOther = false;
    if (drvData->ExistDriverForEnvironment(other)) {
        if (!DeleteModelDriver(model, other)) {
            const DWORD otherError = GetLastError();
            drvData->WriteLogFormat(0, native64 ? u"Delete Driver [x86] Error %x\r\n" : u"Delete Driver [x64] Error %x\r\n",
                                    otherError);
            PostResult(dialog, road.driverFailed, otherError);
            return FALSE;
        }
        drvData->WriteLogFormat(1, native64 ? u"Delete Driver [x86]\r\n" : u"Delete Driver [x64]\r\n");
        reinstallOther = true;
    }

    // The print processor of both environments, then the old packages. Each deletion keeps its own
    // error; one that failed stops the run before the packages, which could not be put back.
    PostProgress(dialog, road.driversDeleted);
    drvData->WriteLogFormat(1, u"Delete Print Processor %s\r\n", drvData->GetProcessorName().c_str());
    DWORD x86Error = 0, x64Error = 0;
    DeletePrintProcessorFile(drvData, u"Windows NT x86", drvData->GetProcessorName(), x86Error);
    DeletePrintProcessorFile(drvData, u"Windows x64", drvData->GetProcessorName(), x64Error);
    PostProgress(dialog, road.processorsDeleted);
    DWORD leftError = x86Error ? x86Error : x64Error;
    if (leftError == 0) DeleteDriverPackage(drvData, leftError, dialog);
    if (leftError != 0) {
        PostResult(dialog, road.leftError, 0);
        return FALSE;
    }

    // The printers again, with the new driver.
    bool driverReady = false;
    std::vector<std::u16string> batch;
    for (const auto& printer : replacement.printers) batch.push_back(printer.name);
    for (size_t i = 0; i < replacement.printers.size(); ++i) {
        ReplacedPrinter& printer = replacement.printers[i];
        if (!printer.recreate) continue;
        DWORD exitCode = 0, lastError = 0;
        if (IsPrinterConnection(printer.attributes)) {
            if (!driverReady && !RunInstallDriver(drvData, exitCode, lastError, GetNativeArchitecture()))
                drvData->WriteLogFormat(0, u"RunInstallDriver Failed. %d %d\r\n", static_cast<int>(exitCode),
                                        static_cast<int>(lastError));
            if (!RunInstallNetwork(drvData, printer.name, printer.port, exitCode, lastError))
                drvData->WriteLogFormat(0, u"RunInstallNetwork Failed. %d %d\r\n", static_cast<int>(exitCode),
                                        static_cast<int>(lastError));
            if (CheckInstallPrinter(printer.name)) {
                driverReady = true;
            } else {
                printer.save = false;
                drvData->WriteLogFormat(0, u"CheckInstallPrinter Failed. %d %d\r\n", static_cast<int>(GetLastError()), 0);
            }
            continue;
        }
        if (printer.name.find(u'\\') != std::u16string::npos) {
            std::u16string display;
            MakeNetworkPrinterName(printer.name, display);
            const std::u16string renamed = GetNewPrinterName(display, batch, static_cast<int>(i), drvData);
            if (renamed.empty()) {
                drvData->WriteLogFormat(0, u"Network Printer %s Replace Failed.\r\n", printer.name.c_str());
                continue;
            }
            drvData->WriteLogFormat(1, u"Network Printer %s -> %s\r\n", printer.name.c_str(), renamed.c_str());
            printer.name = renamed;
            batch[i] = renamed;
        }
        if (!RunInstall(printer.name, printer.port, printer.share, drvData, exitCode, lastError)) {
            replacement.allGood = false;
            if (replacement.firstError == 0) replacement.firstError = lastError;
            drvData->WriteLogFormat(0, u"RunInstall Failed. %d %d\r\n", static_cast<int>(exitCode),
                                    static_cast<int>(lastError));
        }
        if (CheckInstallPrinter(printer.name)) {
            driverReady = true;
        } else {
            const DWORD checkError = GetLastError();
            printer.save = false;
            replacement.allGood = false;
            if (replacement.firstError == 0) replacement.firstError = checkError;
            drvData->WriteLogFormat(0, u"CheckInstallPrinter Failed. %d %d\r\n", static_cast<int>(checkError), 0);
        }
    }

    if (!defaultPrinter.empty()) {
        drvData->WriteLogFormat(1, u"SetDefaultPrinter %s\r\n", defaultPrinter.c_str());
        SetDefaultPrinterW(defaultPrinter.c_str());
        drvData->WriteLogFormat(1, u"SetDefault Printer end\r\n");
    }
    if (reinstallOther) {
        DWORD exitCode = 0, lastError = 0;
        if (!RunInstallDriver(drvData, exitCode, lastError, native64 ? 0 : 9))
            drvData->WriteLogFormat(0, native64 ? u"RunInstallDriver Failed. [x86] %d %d\r\n"
                                                : u"RunInstallDriver Failed. [x64] %d %d\r\n",
                                    static_cast<int>(exitCode), static_cast<int>(lastError));
    }
    return TRUE;
}

BOOL RestorePrinters(CDialogProg* dialog, const ReplacementRoad& road, const Replacement& replacement,
                     const char16_t* restoreLine, int level) {
    CDrvData* drvData = dialog->m_pDrvData;
    for (size_t i = 0; i < replacement.printers.size(); ++i) {
        const ReplacedPrinter& printer = replacement.printers[i];
        if (!printer.recreate || !printer.save) {
            drvData->WriteLogFormat(level, u"[%d] Setting Restore - Through\r\n", static_cast<int>(i));
            continue;
        }
        const std::u16string line = commands::RestoreSettings(printer.name, replacement.tempFolder + printer.settingsFile);
        drvData->WriteLogFormat(level, restoreLine, static_cast<int>(i), line.c_str());
        DWORD exitCode = 0, lastError = 0;
        if (!RunProcess(line, drvData, exitCode, lastError)) {
            PostResult(dialog, road.restoreFailed, lastError);
            return FALSE;
        }
    }
    drvData->WriteLogFormat(1, u"Setting Restore - End\r\n");
    return TRUE;
}

void DeleteSettingsFiles(CDrvData* drvData, const Replacement& replacement) {
    for (const auto& printer : replacement.printers) {
        if (!printer.saved) continue;
        const std::u16string path = replacement.tempFolder + printer.settingsFile;
        if (!DeleteFileW(path.c_str())) drvData->WriteLogFormat(0, u"DeleteTmpFile error - %s\r\n", path.c_str());
    }
}

BOOL UpdateFunc(CDialogProg* dialog) {
    CDrvData* drvData = dialog->m_pDrvData;
    Replacement replacement;
    if (!ReplaceDriver(dialog, kInstallRoad, replacement)) return FALSE;
    if (!drvData->m_inheritSettings) {
        if (!replacement.allGood) {
            PostResult(dialog, kInstallRoad.recreateFailed, replacement.firstError);
            return FALSE;
        }
        drvData->WriteLogFormat(1, u"[Update Func] end (not Inherit)\r\n");
        return TRUE;
    }
    PostProgress(dialog, 45);
    if (!RestorePrinters(dialog, kInstallRoad, replacement, u"[%d] Setting Restore %s\r\n", 1)) return FALSE;
    PostProgress(dialog, 50);
    DeleteSettingsFiles(drvData, replacement);
    if (!replacement.allGood) {
        PostResult(dialog, kInstallRoad.recreateFailed, replacement.firstError);
        return FALSE;
    }
    drvData->WriteLogFormat(1, u"[Update] end\r\n");
    return TRUE;
}
