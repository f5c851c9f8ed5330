// The manual port of the port page: an existing port of the machine, or a standard TCP/IP port
// made from a typed IPv4 address.
#pragma once

#include <string>
#include <vector>

#include "dialog_base.h"

class CDialogManualSetting : public CDialog {
public:
    explicit CDialogManualSetting(CDrvData* settings, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    BOOL OnCmdMsg(UINT id, int code) override;
    void OnOK() override;

    // The machine's ports into the combo box; FALSE (after its message) when none can be listed.
    BOOL FillPortList();

    CDrvData* m_pDrvData;
    std::vector<std::u16string> m_portNames;
    std::u16string m_chosenPort;
};
