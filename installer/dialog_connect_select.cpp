// The connection choice and the USB road.
#include "dialog_connect_select.h"

#include "dialog_wait_prog.h"
#include "drv_data.h"
#include "install_worker.h"
#include "pardex_dlg.h"
#include "printer_operations.h"
#include "resource.h"
#include "utilities.h"

CDialogConnectSelect::CDialogConnectSelect(CWnd* parent) : CDialogBase(IDD_CONNECTSELECT, parent) {
    m_pageIndex = 10;
    m_section = u"ConnectSelect";
}

BOOL CDialogConnectSelect::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetPageTexts({{IDC_STATIC_MESSAGE, u"Main"}, {IDC_RADIO_NETWORK, u"RadioNetwork"}, {IDC_RADIO_USB, u"RadioUSB"},
                  {IDC_STATIC_NETWORK, u"StaticNetwork"}, {IDC_STATIC_USB, u"StaticUSB"}});
    const bool usb = m_pDrvData && m_pDrvData->m_useUsb;
    CheckDlgButton(m_hWnd, IDC_RADIO_NETWORK, usb ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(m_hWnd, IDC_RADIO_USB, usb ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

BOOL CDialogConnectSelect::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED && id == IDC_BUTTON_NEXT) {
        OnBnClickedButtonNext();
        return TRUE;
    }
    return CDialogBase::OnCmdMsg(id, code);
}

void CDialogConnectSelect::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost) return;
    CDrvData& data = *m_pDrvData;
    if (data.m_driverInstalled) {
        const int compared = CompareVersion(data.m_installedFileVersion, data.GetVersion());
        if (compared < 0) {
            data.WriteLogFormat(1, u"New Driver already Installed\r\n");
            ShowMessageBox(m_pDrvData, m_hWnd, u"NewDriverInstalled", kWarning);
            EndWizard();
            return;
        }
        data.m_inheritSettings = compared == 0 ? TRUE : data.IsInheritListed();
        if (data.ExistPrinterOfModel() &&
            ShowMessageBox(m_pDrvData, m_hWnd, data.m_inheritSettings ? u"Replace" : u"ReplaceNoInheriting",
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            PostMessageW(m_pHost->m_hWnd, WM_CLOSE, 0, 0);
            return;
        }
    }
    data.m_useUsb = IsDlgButtonChecked(m_hWnd, IDC_RADIO_USB) == BST_CHECKED ? TRUE : FALSE;
    if (!data.m_useUsb) {
        ShowPage(m_pHost, 2);
        return;
    }
    InstallForUsb();
}

void CDialogConnectSelect::InstallForUsb() {
    CDrvData& data = *m_pDrvData;
    if (!CheckUpdatePrinters(m_hWnd, m_pDrvData)) return;
    const std::u16string market = data.GetMarketName();
    const BOOL active = CheckDriverActive(market);
    data.WriteLogFormat(1, u"CheckDriverActive %s %d\r\n", market.c_str(), active);
    if (active) ShowMessageBox(m_pDrvData, m_hWnd, u"CloseProperty", kWarning);

    const bool windows7 = IsWindowsVersionOrLater(6, 1);
    DWORD code = 0, lastError = 0;
    bool cancelled = false;
    {
        CDialogInstallProg install(m_pDrvData, m_pHost);
        install.m_mode = windows7 ? 1 : 2;
        install.DoModal();
        code = install.m_resultCode;
        lastError = install.m_lastError;
    }
    if (code == 0) {
        CDialogWaitProg wait(m_pDrvData, m_pHost);
        wait.m_waitMode = windows7 ? 1 : 0;
        wait.DoModal();
        code = wait.m_resultCode;
        lastError = wait.m_lastError;
        cancelled = wait.m_cancelled;
    }

    std::u16string text;
    const char16_t* key = code == 0     ? u"CompleteMsg"
                          : code == 528 ? u"ErrorMsgJob"
                          : code == 529 ? u"ErrorMsgUi"
                          : code == kWaitNoPrinter7 ? u"ErrorMsgUSB7"
                          : cancelled   ? u"CancelMsg"
                                        : u"ErrorMsg";
    data.GetString(text, u"InstallComplete", key);
    if (std::u16string(key) == u"ErrorMsg") text = FormatTwoNumbers(text, code, lastError);
    data.m_completeMessage = text;
    ShowPage(m_pHost, 5);
}
