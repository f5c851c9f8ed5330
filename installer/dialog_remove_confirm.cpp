// The removal confirmation page.
#include "dialog_remove_confirm.h"

#include <win/commctrl.h>

#include "dialog_remove_prog.h"
#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

CDialogRemoveConfirm::CDialogRemoveConfirm(CWnd* parent) : CDialogConfirm(parent) {
    m_pageIndex = 8;
    m_section = u"UninstallConfirm";
}

BOOL CDialogRemoveConfirm::OnInitDialog() {
    CDialogConfirm::OnInitDialog();
    ::ShowWindow(GetDlgItem(IDC_STATIC_NOTE), SW_HIDE);
    SetItemText(IDC_STATIC_MESSAGE, u"Main");
    SetButtonTexts();
    SetRowLabels({u"TextModel", u"TextVersion", u"TextDeletePrinter"});
    InsertSummaryColumns(200, 300);
    if (m_pHost && m_pHost->m_uninstall) ::ShowWindow(GetDlgItem(IDC_BUTTON_PREV), SW_HIDE);
    return TRUE;
}

void CDialogRemoveConfirm::OnActivatePage(int) {
    SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
    if (!m_pDrvData) return;
    m_rowValues = {m_pDrvData->GetModelName(), m_pDrvData->m_installedFileVersion};
    DWORD error = 0;
    if (!AppendModelPrinters(error)) {
        // Without the printers the summary would promise less than the removal takes.
        m_rowValues.clear();
        ::EnableWindow(GetDlgItem(IDC_BUTTON_NEXT), FALSE);
        if (error == RPC_S_SERVER_UNAVAILABLE) ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg06", MB_ICONWARNING | MB_OK);
        else ShowErrorBox(m_pDrvData, m_hWnd, 1281, error);
        return;
    }
    ::EnableWindow(GetDlgItem(IDC_BUTTON_NEXT), TRUE);
    FillPrinterList();
}

void CDialogRemoveConfirm::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost) return;
    WarnWhenDriverActive();
    CDialogRemoveProg remove(m_pDrvData, this);
    remove.DoModal();
    m_pDrvData->m_completeMessage = GetResultMessage(&remove, u"UninstallComplete");
    ShowPage(m_pHost, 9);
}
