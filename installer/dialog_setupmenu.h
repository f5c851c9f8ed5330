// Page 1: install, update or uninstall, with the checks of the installed driver's version and of
// the Windows version that decide whether the chosen road may start.
#pragma once

#include "dialog_base.h"

class CDialogSetupmenu : public CDialogBase {
public:
    explicit CDialogSetupmenu(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnActivatePage(int previousIndex) override;
    BOOL OnCmdMsg(UINT id, int code) override;

    void OnBnClickedButtonPrev();
    void OnBnClickedButtonNext();

private:
    // The checked radio as m_setupChoice (update 1, uninstall 2, anything else 0).
    void StoreChoice();
    // Install after the system check; FALSE when the wizard was ended or closing was offered.
    void StartInstall();
    // m_inheritSettings for an installed driver that is not newer: equal versions carry settings
    // over, otherwise the [INHERIT] list decides.
    void SetInheritSettings();
    // Negative when the installed driver is newer than this package's.
    int CompareInstalled();
};
