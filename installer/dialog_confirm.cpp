// The confirmation pages' base.
#include "dialog_confirm.h"

#include <algorithm>

#include <win/commctrl.h>

#include "drv_data.h"
#include "pardex_dlg.h"
#include "removal_operations.h"
#include "resource.h"
#include "utilities.h"

CDialogConfirm::CDialogConfirm(CWnd* parent) : CDialogBase(IDD_CONFIRM, parent) {}

HWND CDialogConfirm::List() const { return GetDlgItem(IDC_LIST_SUMMARY); }

void CDialogConfirm::InsertSummaryColumns(int nameWidth, int valueWidth) {
    if (!m_pDrvData) return;
    std::u16string name, value;
    m_pDrvData->GetString(name, u"PrinterPort", u"ColumnName");
    m_pDrvData->GetString(value, u"PrinterPort", u"ColumnAddress");
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.pszText = name.data();
    column.cx = static_cast<int>(nameWidth * m_pDrvData->m_scaleX);
    column.iSubItem = 0;
    SendMessageW(List(), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = value.data();
    column.cx = static_cast<int>(valueWidth * m_pDrvData->m_scaleX);
    column.iSubItem = 1;
    SendMessageW(List(), LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
}

void CDialogConfirm::SetRowLabels(std::initializer_list<const char16_t*> keys) {
    m_rowLabels.clear();
    for (const char16_t* key : keys) {
        std::u16string label;
        if (m_pDrvData) m_pDrvData->GetString(label, m_section, key);
        m_rowLabels.push_back(label);
    }
}

BOOL CDialogConfirm::AppendModelPrinters(DWORD& error) {
    std::vector<DWORD> attributes;
    return ListModelPrinters(m_pDrvData ? m_pDrvData->GetModelName() : std::u16string(), m_rowValues, attributes, error);
}

void CDialogConfirm::FillPrinterList() {
    const size_t rows = std::max(m_rowLabels.size(), m_rowValues.size());
    for (size_t row = 0; row < rows; ++row) {
        std::u16string label = row < m_rowLabels.size() ? m_rowLabels[row] : std::u16string();
        std::u16string value = row < m_rowValues.size() ? m_rowValues[row] : std::u16string();
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = label.data();
        const LRESULT at = SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (at < 0) continue;
        item.iSubItem = 1;
        item.pszText = value.data();
        SendMessageW(List(), LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
    }
}

void CDialogConfirm::WarnWhenDriverActive() {
    const std::u16string market = m_pDrvData->GetMarketName();
    const BOOL active = CheckDriverActive(market);
    m_pDrvData->WriteLogFormat(1, u"CheckDriverActive %s %d\r\n", market.c_str(), active);
    if (active) ShowMessageBox(m_pDrvData, m_hWnd, u"CloseProperty", MB_ICONWARNING | MB_OK);
}

BOOL CDialogConfirm::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED && id == IDC_BUTTON_NEXT) {
        OnBnClickedButtonNext();
        return TRUE;
    }
    return CDialogBase::OnCmdMsg(id, code);
}
