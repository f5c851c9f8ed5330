// The update run: its progress dialog and its worker, which replaces the installed driver by the
// package's, re-creates the model's printers (carrying their settings over when the installed
// version allows it) and keeps the installer for removal. It cannot be cancelled.
#pragma once

#include "progress_dialog.h"

class CDialogUpdateProg : public CDialogProg {
public:
    explicit CDialogUpdateProg(CDrvData* drvData, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
};

// Result codes of the update run besides those of the replacement (kUpdateRoad).
inline constexpr DWORD kUpdateStartFailed = 768;
inline constexpr DWORD kUpdateCopyFailed = 776;

UINT UpdateThreadProc(LPVOID dialog);
