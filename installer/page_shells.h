// The wizard pages whose own controls and steps are still to come: each brings its template,
// index and section so that the page manager can show it and Back leads where it should.
#pragma once

#include "dialog_base.h"

class CDialogUpdateConfirm : public CDialogBase {
public:
    explicit CDialogUpdateConfirm(CWnd* parent);
    BOOL OnInitDialog() override;
};
class CDialogRemoveConfirm : public CDialogBase {
public:
    explicit CDialogRemoveConfirm(CWnd* parent);
    BOOL OnInitDialog() override;
    // Started for removal, the page is the first one and there is nothing to go back to.
    void OnActivatePage(int previousIndex) override;
};
