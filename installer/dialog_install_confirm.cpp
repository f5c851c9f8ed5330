// The install confirmation page.
#include "dialog_install_confirm.h"

#include <win/commctrl.h>

#include "drv_data.h"
#include "install_worker.h"
#include "printer_operations.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

CDialogInstallConfirm::CDialogInstallConfirm(CWnd* parent) : CDialogConfirm(parent) {
    m_pageIndex = 4;
    m_section = u"InstallConfirm";
}

BOOL CDialogInstallConfirm::OnInitDialog() {
    CDialogConfirm::OnInitDialog();
    ::ShowWindow(GetDlgItem(IDC_STATIC_NOTE), SW_HIDE);
    SetItemText(IDC_STATIC_MESSAGE, u"Main");
    SetButtonTexts();
    if (!m_pDrvData) return TRUE;
    m_rowLabels.clear();
    for (const char16_t* key : {u"TextModel", u"TextPrinter", u"TextComment", u"TextPort", u"TextEtc"}) {
        std::u16string label;
        m_pDrvData->GetString(label, m_section, key);
        m_rowLabels.push_back(label);
    }
    InsertSummaryColumns(200, 300);
    return TRUE;
}

void CDialogInstallConfirm::OnActivatePage(int) {
    SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
    if (!m_pDrvData) return;
    std::u16string available;
    if (m_pDrvData->m_setDefault) m_pDrvData->GetString(available, m_section, u"TextAvailable");
    m_rowValues = {m_pDrvData->GetModelName(), m_pDrvData->m_printerName, m_pDrvData->m_comment, m_pDrvData->m_portName,
                   available};
    FillPrinterList();
}

void CDialogInstallConfirm::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost) return;
    if (!CheckUpdatePrinters(m_hWnd, m_pDrvData)) return;
    WarnWhenDriverActive();
    CDialogInstallProg install(m_pDrvData, this);
    install.m_mode = 0;
    install.DoModal();
    m_pDrvData->m_completeMessage = GetResultMessage(&install, u"InstallComplete");
    ShowPage(m_pHost, 5);
}

BOOL CDialogInstallConfirm::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED && id == IDC_BUTTON_PREV) {
        if (m_pHost) ShowPage(m_pHost, 3);
        return TRUE;
    }
    return CDialogConfirm::OnCmdMsg(id, code);
}
