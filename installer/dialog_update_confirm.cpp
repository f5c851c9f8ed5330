// The update confirmation page.
#include "dialog_update_confirm.h"

#include <win/commctrl.h>

#include "dialog_update_prog.h"
#include "drv_data.h"
#include "pardex_dlg.h"
#include "printer_operations.h"
#include "resource.h"
#include "utilities.h"

CDialogUpdateConfirm::CDialogUpdateConfirm(CWnd* parent) : CDialogConfirm(parent) {
    m_pageIndex = 6;
    m_section = u"UpdateConfirm";
}

BOOL CDialogUpdateConfirm::OnInitDialog() {
    CDialogConfirm::OnInitDialog();
    const BOOL inherit = m_pDrvData && m_pDrvData->m_inheritSettings;
    HWND caution = GetDlgItem(IDC_STATIC_NOTE);
    if (inherit) {
        SetItemText(IDC_STATIC_MESSAGE, u"Main");
        ::ShowWindow(caution, SW_HIDE);
    } else {
        // The settings are lost: the page says so in bold under the summary.
        SetItemText(IDC_STATIC_MESSAGE, u"MainNotInherit");
        SetItemText(IDC_STATIC_NOTE, u"Caution");
        if (m_pDrvData && m_pDrvData->m_font9Bold)
            SendMessageW(caution, WM_SETFONT, reinterpret_cast<WPARAM>(m_pDrvData->m_font9Bold), TRUE);
        ::ShowWindow(caution, SW_SHOW);
    }
    SetButtonTexts();
    SetRowLabels({u"TextModel", u"TextOldVersion", u"TextNewVersion", u"TextInherit", u"TextUpdatePrinter"});
    InsertSummaryColumns(200, 300);
    return TRUE;
}

void CDialogUpdateConfirm::OnActivatePage(int) {
    SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
    m_rowValues.clear();
    if (!m_pDrvData) return;
    std::u16string inherit;
    m_pDrvData->GetString(inherit, m_section, m_pDrvData->m_inheritSettings ? u"TextCanInherit" : u"TextCannotInherit");
    m_rowValues = {m_pDrvData->GetModelName(), m_pDrvData->m_installedFileVersion, m_pDrvData->GetVersion(), inherit};
    DWORD error = 0;
    if (AppendModelPrinters(error)) FillPrinterList();
}

void CDialogUpdateConfirm::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost) return;
    if (!CheckUpdatePrinters(m_hWnd, m_pDrvData)) return;
    WarnWhenDriverActive();
    CDialogUpdateProg update(m_pDrvData, this);
    update.DoModal();
    m_pDrvData->m_completeMessage = GetResultMessage(&update, u"UpdateComplete");
    ShowPage(m_pHost, 7);
}
