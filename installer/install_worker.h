// The install run: its progress dialog, its three workers and the driver replacement sequence
// that the install and update runs share (printers of the old driver saved and deleted, the old
// driver, print processor and packages deleted, the printers re-created and their settings
// restored).
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>

#include "progress_dialog.h"

class CDrvData;

// Mode 0: driver and printer; 1: the driver alone (Windows 7 and later); 2: Windows Vista, where
// the device's own installation brings the driver.
class CDialogInstallProg : public CDialogProg {
public:
    explicit CDialogInstallProg(CDrvData* drvData, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    int m_mode = 0;
};

UINT InstallThreadProc(LPVOID dialog);
UINT InstallDriverThreadProc(LPVOID dialog);
UINT InstallVistaThreadProc(LPVOID dialog);
// Adds the wizard's printer; posts its own result codes.
BOOL InstallPrinter(CDialogProg* dialog);

// The codes and percentages a road reports the replacement sequence with.
struct ReplacementRoad {
    DWORD saveFailed, driverFailed, recreateFailed, restoreFailed, jobsPending, stopFailed, startFailed, leftError;
    int examineScale;         // progress scale * i / n while the printers are examined, then scale
    int printersDeleted;      // after the printers are deleted
    int driversDeleted;       // after the drivers are deleted
    int processorsDeleted;    // after the print processors are deleted
};
inline constexpr ReplacementRoad kInstallRoad{522, 523, 525, 526, 528, 530, 531, 532, 10, 15, 25, 35};
inline constexpr ReplacementRoad kUpdateRoad{770, 771, 773, 774, 777, 779, 780, 781, 20, 30, 50, 70};

// One printer of the old driver, from its examination to its restore.
struct ReplacedPrinter {
    std::u16string name;  // the new name once it was re-created under another
    std::u16string port;
    std::u16string share;
    DWORD attributes = 0;
    std::u16string settingsFile;  // in the temporary folder
    bool recreate = true;         // not for an IPP port
    bool save = false;            // the settings are carried over
    bool saved = false;           // the settings file was written
};

struct Replacement {
    std::vector<ReplacedPrinter> printers;
    bool allGood = true;
    DWORD firstError = 0;
    std::u16string tempFolder;
};

// The sequence up to the re-created printers and the reinstalled drivers of the other
// architecture; FALSE after it posted the road's failure code.
BOOL ReplaceDriver(CDialogProg* dialog, const ReplacementRoad& road, Replacement& replacement);
// Restores each re-created printer's saved settings, logging each with its own line; FALSE after
// posting the road's restore code.
BOOL RestorePrinters(CDialogProg* dialog, const ReplacementRoad& road, const Replacement& replacement,
                     const char16_t* restoreLine, int level);
void DeleteSettingsFiles(CDrvData* drvData, const Replacement& replacement);
// The install road's whole replacement; TRUE on success.
BOOL UpdateFunc(CDialogProg* dialog);
