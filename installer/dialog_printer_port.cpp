// The port page.
#include "dialog_printer_port.h"

#include <win/commctrl.h>

#include "dialog_manual_setting.h"
#include "dialog_network_prog.h"
#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

namespace {

// The room for the text of the page's edit fields.
constexpr int kItemTextCapacity = 512;

}  // namespace

std::u16string MakePrinterName(const std::u16string& base, const PRINTER_INFO_5W* records, DWORD count) {
    auto taken = [&](const std::u16string& candidate) {
        const std::u16string wanted = UpperCase(candidate);
        for (DWORD i = 0; i < count; ++i)
            if (records[i].pPrinterName && UpperCase(records[i].pPrinterName) == wanted) return true;
        return false;
    };
    const std::u16string first = base.substr(0, 50);
    if (!taken(first)) return first;
    const std::u16string stem = base.substr(0, 44);
    for (int n = 1;; ++n) {
        WCHAR candidate[64];
        _snwprintf(candidate, 64, u"%s(%d)", stem.c_str(), n);
        if (!taken(candidate)) return candidate;
    }
}

std::u16string MakeDefaultPrinterName(CDrvData* settings, HWND owner, const std::u16string& model) {
    PrinterList list;
    DWORD error = 0;
    if (EnumAllPrinters5(list, error))
        return MakePrinterName(model, reinterpret_cast<const PRINTER_INFO_5W*>(list.joined.data()), list.count);
    if (error == RPC_S_SERVER_UNAVAILABLE) {
        settings->WriteLogFormat(0, u"RPC_S_SERVER_UNAVAILABLE\r\n");
        ShowMessageBox(settings, owner, u"ErrorMsg06", kWarning);
    } else {
        settings->WriteLogFormat(0, u"MakePrinterName Failed.\r\n");
        ShowErrorBox(settings, owner, 1281, error);
    }
    return u"";
}

CDialogPrinterPort::CDialogPrinterPort(CWnd* parent) : CDialogBase(IDD_PRINTERPORT, parent) {
    m_pageIndex = 2;
    m_section = u"PrinterPort";
}

HWND CDialogPrinterPort::List() const { return GetDlgItem(IDC_LIST_PRINTERS); }

BOOL CDialogPrinterPort::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetPageTexts({{IDC_RADIO_AUTO, u"RadioAuto"}, {IDC_RADIO_MANUAL, u"RadioManual"},
                  {IDC_STATIC_TIMEOUT, u"StaticTimeout"}, {IDC_BUTTON_CLEAR, u"ButtonClear"},
                  {IDC_BUTTON_UPDATE, u"ButtonUpdate"}, {IDC_STATIC_PRINTERPATH, u"StaticPrinterPath"},
                  {IDC_BUTTON_MANUALSET, u"ButtonManualSet"}});
    if (!m_pDrvData) return TRUE;
    std::u16string name, address;
    m_pDrvData->GetString(name, m_section, u"ColumnName");
    m_pDrvData->GetString(address, m_section, u"ColumnAddress");
    if (!m_pDrvData->m_resolutionRead) {
        HDC screen = GetDC(nullptr);
        m_pDrvData->m_logPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
        m_pDrvData->m_logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        m_pDrvData->m_resolutionRead = 1;
    }
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = name.data();
    column.cx = static_cast<int>(250 * m_pDrvData->m_scaleX);
    SendMessageW(List(), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = address.data();
    column.cx = MulDiv(280, m_pDrvData->m_logPixelsX, 96);
    column.iSubItem = 1;
    SendMessageW(List(), LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    const DWORD styles = static_cast<DWORD>(SendMessageW(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles | LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    return TRUE;
}

void CDialogPrinterPort::OnActivatePage(int previousIndex) {
    if (!m_pDrvData) return;
    SendMessageW(GetDlgItem(IDC_SPIN_TIMEOUT), UDM_SETRANGE32, 1, 10);
    SendMessageW(GetDlgItem(IDC_SPIN_TIMEOUT), UDM_SETPOS32, 0, m_pDrvData->m_searchTimeout);
    SetPortMode(m_pDrvData->m_portMode);
    EnablePortControls(m_pDrvData->m_portMode);
    SetDlgItemTextW(m_hWnd, IDC_EDIT_PRINTERPATH, m_pDrvData->m_portPath.c_str());
    FillSearchList();
    if (previousIndex == 1 || previousIndex == 10) {
        if (IsDlgButtonChecked(m_hWnd, IDC_RADIO_AUTO) == BST_CHECKED) {
            RunSearch();
            return;
        }
    } else {
        CheckOnlyRow(m_pDrvData->m_chosenRow);
    }
    UpdateNextButton();
}

void CDialogPrinterPort::SetPortMode(int mode) {
    CheckDlgButton(m_hWnd, IDC_RADIO_AUTO, mode != 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_RADIO_MANUAL, mode == 1 ? BST_CHECKED : BST_UNCHECKED);
    if (m_pDrvData) m_pDrvData->m_portMode = mode;
    EnablePortControls(mode);
}

void CDialogPrinterPort::EnablePortControls(int mode) {
    EnableItems({IDC_LIST_PRINTERS, IDC_STATIC_TIMEOUT, IDC_EDIT_TIMEOUT, IDC_SPIN_TIMEOUT, IDC_BUTTON_CLEAR, IDC_BUTTON_UPDATE}, mode != 1);
    EnableItems({IDC_STATIC_PRINTERPATH, IDC_EDIT_PRINTERPATH, IDC_BUTTON_MANUALSET}, mode == 1);
}

void CDialogPrinterPort::UpdateNextButton() {
    const bool manual = IsDlgButtonChecked(m_hWnd, IDC_RADIO_MANUAL) == BST_CHECKED;
    const BOOL enable = manual ? !ItemText(IDC_EDIT_PRINTERPATH, kItemTextCapacity).empty() : GetCheckedRow() != -1;
    EnableWindow(GetDlgItem(IDC_BUTTON_NEXT), enable);
}

void CDialogPrinterPort::SetTimeoutValue(int seconds) {
    if (seconds > 10) seconds = 10;
    if (seconds == 0) seconds = 1;
    WCHAR text[16];
    _snwprintf(text, 16, u"%d", seconds);
    SetDlgItemTextW(m_hWnd, IDC_EDIT_TIMEOUT, text);
}

int CDialogPrinterPort::GetTimeoutValue() {
    // Decimal digits from the start; anything else ends the number (text that is no number is 0).
    const std::u16string text = ItemText(IDC_EDIT_TIMEOUT, kItemTextCapacity);
    unsigned long long value = 0;
    size_t at = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (negative) ++at;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9' && value <= 0xFFFFFFFFull; ++at) value = value * 10 + (text[at] - u'0');
    unsigned seconds = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(value);
    if (negative) seconds = 0u - seconds;  // read unsigned, as the platform's reader does
    if (seconds == 0) seconds = 1;
    if (seconds > 10) seconds = 10;
    SetTimeoutValue(static_cast<int>(seconds));
    return static_cast<int>(seconds);
}

void CDialogPrinterPort::FillSearchList() {
    SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
    if (!m_pDrvData) return;
    int row = 0;
    for (auto& [name, address] : m_pDrvData->m_foundPrinters) {
        std::u16string first = name, second = address;
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = first.data();
        const int at = static_cast<int>(SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        item.iSubItem = 1;
        item.pszText = second.data();
        SendMessageW(List(), LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
        ++row;
    }
}

void CDialogPrinterPort::RunSearch() {
    CDialogNetworkProg search;
    search.m_pDrvData = m_pDrvData;
    search.m_timeout = GetTimeoutValue();
    if (search.DoModal() != 0) {
        ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg10", kWarning);
        m_pDrvData->m_foundPrinters.clear();
    }
    FillSearchList();
    UpdateNextButton();
    ::SetFocus(List());
}

int CDialogPrinterPort::GetCheckedRow() {
    const int count = ListView_GetItemCount(List());
    for (int row = 0; row < count; ++row)
        if (ListView_GetCheckState(List(), row)) {
            if (m_pDrvData) m_pDrvData->m_chosenRow = row;
            return row;
        }
    return -1;
}

void CDialogPrinterPort::CheckOnlyRow(int row) {
    if (row < 0) return;
    m_checking = true;
    const int count = ListView_GetItemCount(List());
    for (int other = 0; other < count; ++other) ListView_SetCheckState(List(), other, other == row);
    m_checking = false;
}

LRESULT CDialogPrinterPort::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) {
    if (message == WM_NOTIFY && lParam) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change->hdr.idFrom == IDC_LIST_PRINTERS && change->hdr.code == LVN_ITEMCHANGED) {
            const UINT oldCheck = change->uOldState & LVIS_STATEIMAGEMASK, newCheck = change->uNewState & LVIS_STATEIMAGEMASK;
            if (!m_checking && oldCheck != newCheck && (newCheck >> 12) == 2) CheckOnlyRow(change->iItem);
            UpdateNextButton();
            *handled = TRUE;
            return 0;
        }
    }
    return CDialogBase::WindowProc(message, wParam, lParam, handled);
}

void CDialogPrinterPort::OnBnClickedButtonPrev() {
    if (!m_pDrvData || !m_pHost) return;
    m_pDrvData->m_portMode = IsDlgButtonChecked(m_hWnd, IDC_RADIO_MANUAL) == BST_CHECKED ? 1 : 0;
    m_pDrvData->m_searchTimeout = GetTimeoutValue();
    m_pDrvData->m_portPath = ItemText(IDC_EDIT_PRINTERPATH, kItemTextCapacity);
    ShowPage(m_pHost, 1);
}

void CDialogPrinterPort::OnBnClickedButtonManualSet() {
    CDialogManualSetting manual(m_pDrvData, this);
    if (manual.DoModal() == IDOK) {
        if (IsIppPort(manual.m_chosenPort)) {
            m_pDrvData->WriteLogFormat(1, u"Select IPP Port.\r\n");
            ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg09", kWarning);
        } else {
            SetDlgItemTextW(m_hWnd, IDC_EDIT_PRINTERPATH, manual.m_chosenPort.c_str());
        }
    }
    UpdateNextButton();
}

void CDialogPrinterPort::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost) return;
    const bool manual = IsDlgButtonChecked(m_hWnd, IDC_RADIO_MANUAL) == BST_CHECKED;
    std::u16string port;
    if (manual) {
        port = ItemText(IDC_EDIT_PRINTERPATH, kItemTextCapacity);
    } else {
        const int row = GetCheckedRow();
        WCHAR address[260] = {};
        LVITEMW item{};
        item.iSubItem = 1;
        item.pszText = address;
        item.cchTextMax = 260;
        if (row >= 0) SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        if (!AddStandardPort(address, port)) {
            m_pDrvData->WriteLogFormat(0, u"AddStandardPort Failed. %s %s\r\n", address, port.c_str());
            ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg03", kWarning);
            return;
        }
    }
    const std::u16string name = MakeDefaultPrinterName(m_pDrvData, m_hWnd, m_pDrvData->GetModelName());
    if (name.empty()) return;
    m_pDrvData->m_portName = port;
    m_pDrvData->m_printerName = name;
    m_pDrvData->m_portPath = ItemText(IDC_EDIT_PRINTERPATH, kItemTextCapacity);
    m_pDrvData->m_chosenRow = GetCheckedRow();
    m_pDrvData->m_portMode = manual ? 1 : 0;
    m_pDrvData->m_searchTimeout = GetTimeoutValue();
    ShowPage(m_pHost, 3);
}

BOOL CDialogPrinterPort::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_BUTTON_PREV: OnBnClickedButtonPrev(); return TRUE;
        case IDC_BUTTON_NEXT: OnBnClickedButtonNext(); return TRUE;
        case IDC_BUTTON_MANUALSET: OnBnClickedButtonManualSet(); return TRUE;
        case IDC_BUTTON_UPDATE: RunSearch(); return TRUE;
        case IDC_BUTTON_CLEAR:
            SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
            EnableWindow(GetDlgItem(IDC_BUTTON_NEXT), FALSE);
            return TRUE;
        case IDC_RADIO_AUTO:
        case IDC_RADIO_MANUAL:
            EnablePortControls(id == IDC_RADIO_MANUAL ? 1 : 0);
            UpdateNextButton();
            return TRUE;
        default: break;
        }
    }
    return CDialogBase::OnCmdMsg(id, code);
}
