// Page 8: what a removal takes off the system (the model, its installed version and every printer
// that uses its driver), and the removal itself, whose result the removal's completion page
// shows. Started for removal, the page is the first one and has no Back.
#pragma once

#include "dialog_confirm.h"

class CDialogRemoveConfirm : public CDialogConfirm {
public:
    explicit CDialogRemoveConfirm(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnActivatePage(int previousIndex) override;

    void OnBnClickedButtonNext() override;
};
