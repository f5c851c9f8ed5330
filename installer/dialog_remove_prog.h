// The removal run: its progress dialog and its worker, which takes the model's printers, its
// driver of both environments, its print processor, its per-user settings key and its driver
// package off the system, lets the kept installer go at the next start, and drops the removal
// entry. It cannot be cancelled.
#pragma once

#include "progress_dialog.h"

class CDialogRemoveProg : public CDialogProg {
public:
    explicit CDialogRemoveProg(CDrvData* drvData, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
};

// Result codes of the removal run.
inline constexpr DWORD kRemoveStartFailed = 1024;
inline constexpr DWORD kRemovePrinterFailed = 1025;
inline constexpr DWORD kRemoveDriverFailed = 1026;
inline constexpr DWORD kRemoveJobsPending = 1028;
inline constexpr DWORD kRemovePackageFailed = 1030;

UINT RemoveThreadProc(LPVOID dialog);
