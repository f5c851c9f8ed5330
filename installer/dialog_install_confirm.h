// Page 4: the summary of the install (model, printer name, comment, port, default printer) and
// the install itself, whose result the completion page shows.
#pragma once

#include "dialog_confirm.h"

class CDialogInstallConfirm : public CDialogConfirm {
public:
    explicit CDialogInstallConfirm(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnActivatePage(int previousIndex) override;
    BOOL OnCmdMsg(UINT id, int code) override;

    void OnBnClickedButtonNext() override;
};
