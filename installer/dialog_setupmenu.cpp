// The setup menu.
#include "dialog_setupmenu.h"

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

CDialogSetupmenu::CDialogSetupmenu(CWnd* parent) : CDialogBase(IDD_SETUPMENU, parent) {
    m_pageIndex = 1;
    m_section = u"Setupmenu";
}

BOOL CDialogSetupmenu::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetPageTexts({{IDC_STATIC_MESSAGE, u"Main"}, {IDC_RADIO_INSTALL, u"RadioInstall"},
                  {IDC_RADIO_UPDATE, u"RadioUpdate"}, {IDC_RADIO_UNINSTALL, u"RadioUninstall"},
                  {IDC_STATIC_INSTALL, u"StaticInstall"}, {IDC_STATIC_UPDATE, u"StaticUpdate"},
                  {IDC_STATIC_UNINSTALL, u"StaticUninstall"}});
    const int choice = m_pDrvData ? m_pDrvData->m_setupChoice : 0;
    const int radio = choice == 1 ? IDC_RADIO_UPDATE : choice == 2 ? IDC_RADIO_UNINSTALL : IDC_RADIO_INSTALL;
    for (int id : {IDC_RADIO_INSTALL, IDC_RADIO_UPDATE, IDC_RADIO_UNINSTALL})
        CheckDlgButton(m_hWnd, id, id == radio ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CDialogSetupmenu::OnActivatePage(int) {
    if (!m_pDrvData) return;
    if (!m_pDrvData->m_driverInstalled) {
        EnableItems({IDC_RADIO_UNINSTALL, IDC_STATIC_UNINSTALL, IDC_RADIO_UPDATE, IDC_STATIC_UPDATE}, FALSE);
        return;
    }
    if (m_pDrvData->ExistPrinterOfModel()) {
        EnableItems({IDC_RADIO_UPDATE, IDC_STATIC_UPDATE, IDC_RADIO_UNINSTALL, IDC_STATIC_UNINSTALL}, TRUE);
        return;
    }
    const DWORD error = m_pDrvData->m_printerEnumError;
    if (error == RPC_S_SERVER_UNAVAILABLE) {
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg06", kWarning);
    } else if (error != 0) {
        ShowErrorBox(m_pDrvData, m_hWnd, 1281, error);
    } else {
        EnableItems({IDC_RADIO_INSTALL, IDC_STATIC_INSTALL, IDC_RADIO_UNINSTALL, IDC_STATIC_UNINSTALL}, TRUE);
        EnableItems({IDC_RADIO_UPDATE, IDC_STATIC_UPDATE}, FALSE);
    }
}

void CDialogSetupmenu::StoreChoice() {
    if (!m_pDrvData) return;
    m_pDrvData->m_setupChoice = IsDlgButtonChecked(m_hWnd, IDC_RADIO_UPDATE) == BST_CHECKED      ? 1
                                : IsDlgButtonChecked(m_hWnd, IDC_RADIO_UNINSTALL) == BST_CHECKED ? 2
                                                                                                 : 0;
}

int CDialogSetupmenu::CompareInstalled() { return CompareVersion(m_pDrvData->m_installedFileVersion, m_pDrvData->GetVersion()); }

void CDialogSetupmenu::SetInheritSettings() {
    m_pDrvData->m_inheritSettings = CompareInstalled() == 0 ? TRUE : m_pDrvData->IsInheritListed();
}

void CDialogSetupmenu::OnBnClickedButtonPrev() {
    StoreChoice();
    if (m_pHost && m_pDrvData) ShowPage(m_pHost, m_pDrvData->m_copyState == 1 ? 11 : 0);
}

void CDialogSetupmenu::StartInstall() {
    if (m_pDrvData->m_driverInstalled) {
        if (CompareInstalled() < 0) {
            ShowMessageBox(m_pDrvData, m_hWnd, u"NewDriverInstalled", kWarning);
            EndWizard();
            return;
        }
        SetInheritSettings();
    }
    if (m_pDrvData->ExistPrinterOfModel()) {
        const char16_t* question = m_pDrvData->m_inheritSettings ? u"Replace" : u"ReplaceNoInheriting";
        if (ShowMessageBox(m_pDrvData, m_hWnd, question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            OnBnClickedButtonCancel();
            return;
        }
    }
    m_pDrvData->m_useUsb = FALSE;
    ShowPage(m_pHost, 2);
}

void CDialogSetupmenu::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost) return;
    StoreChoice();
    switch (m_pDrvData->m_setupChoice) {
    case 0:
        if (!m_pDrvData->CheckSupportOS()) {
            ShowMessageBox(m_pDrvData, m_hWnd, u"NoSupportOS", kWarning);
            EndWizard();
            return;
        }
        StartInstall();
        return;
    case 1:
        if (!m_pDrvData->m_driverInstalled) {
            ShowPage(m_pHost, 6);
            return;
        }
        if (CompareInstalled() < 0) {
            ShowMessageBox(m_pDrvData, m_hWnd, u"UpdateImpossible", kWarning);
            EndWizard();
            return;
        }
        SetInheritSettings();
        if (!m_pDrvData->CheckSupportOS()) {
            ShowMessageBox(m_pDrvData, m_hWnd, u"NoSupportOS", kWarning);
            EndWizard();
            return;
        }
        ShowPage(m_pHost, 6);
        return;
    default:
        if (m_pDrvData->m_driverInstalled) {
            if (CompareInstalled() < 0) {
                ShowMessageBox(m_pDrvData, m_hWnd, u"RemoveImpossible", kWarning);
                EndWizard();
                return;
            }
            if (!m_pDrvData->CheckSupportOS() &&
                ShowMessageBox(m_pDrvData, m_hWnd, u"UninstalOnlNoSupportOS", MB_YESNO | MB_ICONWARNING) != IDYES) {
                EndWizard();
                return;
            }
        }
        ShowPage(m_pHost, 8);
        return;
    }
}

BOOL CDialogSetupmenu::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED && id == IDC_BUTTON_PREV) {
        OnBnClickedButtonPrev();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_BUTTON_NEXT) {
        OnBnClickedButtonNext();
        return TRUE;
    }
    return CDialogBase::OnCmdMsg(id, code);
}
