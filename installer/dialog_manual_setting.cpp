// The manual port dialog.
#include "dialog_manual_setting.h"

#include <win/winspool_ports.h>

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

CDialogManualSetting::CDialogManualSetting(CDrvData* settings, CWnd* parent)
    : CDialog(IDD_MANUALSETTING, parent), m_pDrvData(settings) {}

BOOL CDialogManualSetting::OnInitDialog() {
    CDialog::OnInitDialog();
    SetFontToDescendants(m_hWnd, m_pDrvData);
    if (m_pDrvData) {
        std::u16string text;
        m_pDrvData->GetString(text, u"ManualSetting", u"Window");
        SetWindowText(text);
        const std::pair<int, const char16_t*> texts[] = {{IDC_STATIC_MESSAGE, u"Main"}, {IDC_RADIO_EXISTING, u"RadioExistance"},
                                                         {IDC_RADIO_IPADDR, u"RadioIPAddr"}, {IDOK, u"ButtonOK"},
                                                         {IDCANCEL, u"ButtonCancel"}};
        for (const auto& [id, key] : texts) {
            m_pDrvData->GetString(text, u"ManualSetting", key);
            SetDlgItemTextW(m_hWnd, id, text.c_str());
        }
    }
    if (FillPortList()) {
        CheckDlgButton(m_hWnd, IDC_RADIO_EXISTING, BST_CHECKED);
        EnableWindow(GetDlgItem(IDC_COMBO_PORTS), TRUE);
        EnableWindow(GetDlgItem(IDC_EDIT_IPADDR), FALSE);
    } else {
        EnableWindow(GetDlgItem(IDC_RADIO_EXISTING), FALSE);
        EnableWindow(GetDlgItem(IDC_RADIO_IPADDR), TRUE);
        CheckDlgButton(m_hWnd, IDC_RADIO_IPADDR, BST_CHECKED);
        EnableWindow(GetDlgItem(IDC_EDIT_IPADDR), TRUE);
        EnableWindow(GetDlgItem(IDC_COMBO_PORTS), FALSE);
    }
    return TRUE;
}

BOOL CDialogManualSetting::FillPortList() {
    DWORD needed = 0, count = 0;
    if (EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count)) {
        if (m_pDrvData) m_pDrvData->WriteLogFormat(0, u"Enum Prots\r\n");
        return FALSE;
    }
    const DWORD error = GetLastError();
    if (error == RPC_S_SERVER_UNAVAILABLE) {
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg06", kWarning);
        return FALSE;
    }
    if (error != ERROR_INSUFFICIENT_BUFFER) {
        ShowErrorBox(m_pDrvData, m_hWnd, 1282, error);
        return FALSE;
    }
    std::vector<BYTE> buffer(needed);
    if (!EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count)) {
        ShowErrorBox(m_pDrvData, m_hWnd, 1282, GetLastError());
        return FALSE;
    }
    const auto* ports = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
    HWND combo = GetDlgItem(IDC_COMBO_PORTS);
    for (DWORD i = 0; i < count; ++i) {
        const std::u16string name = ports[i].pPortName ? ports[i].pPortName : u"";
        m_portNames.push_back(name);
        WCHAR line[600];
        _snwprintf(line, 600, u"%s %s", name.c_str(), ports[i].pDescription ? ports[i].pDescription : u"");
        SendMessageW(combo, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(line));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    return m_portNames.empty() ? FALSE : TRUE;
}

void CDialogManualSetting::OnOK() {
    if (m_pDrvData) m_pDrvData->WriteLogFormat(3, u"CDialogManualSetting::OnBnClickedOk\r\n");
    if (IsDlgButtonChecked(m_hWnd, IDC_RADIO_EXISTING) == BST_CHECKED) {
        const auto selection = static_cast<int>(SendMessageW(GetDlgItem(IDC_COMBO_PORTS), CB_GETCURSEL, 0, 0));
        if (selection < 0 || static_cast<size_t>(selection) >= m_portNames.size()) return;
        m_chosenPort = m_portNames[static_cast<size_t>(selection)];
        EndDialog(IDOK);
        return;
    }
    WCHAR address[64] = {};
    GetDlgItemTextW(m_hWnd, IDC_EDIT_IPADDR, address, 64);
    if (!CheckIPAddr(address)) {
        if (m_pDrvData) m_pDrvData->WriteLogFormat(0, u"CheckIPAddr Failed %s\r\n", address);
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg02", kWarning);
        return;
    }
    std::u16string port;
    if (!AddStandardPort(address, port)) {
        if (m_pDrvData) m_pDrvData->WriteLogFormat(0, u"Add Standard Port %s\r\n", address);
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg03", kWarning);
        return;
    }
    m_chosenPort = port;
    EndDialog(IDOK);
}

BOOL CDialogManualSetting::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED && (id == IDC_RADIO_EXISTING || id == IDC_RADIO_IPADDR)) {
        EnableWindow(GetDlgItem(IDC_COMBO_PORTS), id == IDC_RADIO_EXISTING);
        EnableWindow(GetDlgItem(IDC_EDIT_IPADDR), id == IDC_RADIO_IPADDR);
        return TRUE;
    }
    return CDialog::OnCmdMsg(id, code);
}
