// Page 6: what an update does (the model, the installed and the new version, whether the printers'
// settings are carried over, and the printers re-created), and the update itself, whose result
// the update's completion page shows.
#pragma once

#include "dialog_confirm.h"

class CDialogUpdateConfirm : public CDialogConfirm {
public:
    explicit CDialogUpdateConfirm(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnActivatePage(int previousIndex) override;

    void OnBnClickedButtonNext() override;
};
