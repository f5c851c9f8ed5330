// Page 10: how the printer is connected. The network continues with the port page; USB installs
// the driver alone, waits until Windows has made the USB printer with it, and ends on page 5.
#pragma once

#include "dialog_base.h"

class CDialogConnectSelect : public CDialogBase {
public:
    explicit CDialogConnectSelect(CWnd* parent);

    BOOL OnInitDialog() override;
    BOOL OnCmdMsg(UINT id, int code) override;

    void OnBnClickedButtonNext();

private:
    // The USB road from the driver-only install to the completion text.
    void InstallForUsb();
};
