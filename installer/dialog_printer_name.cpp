// The printer name page.
#include "dialog_printer_name.h"

#include <win/winspool_levels.h>

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

namespace {

constexpr int kNameLimit = 50;
constexpr int kCommentLimit = 255;

std::u16string TextOf(HWND window) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::u16string TrimRight(std::u16string text) {
    while (!text.empty() && std::u16string_view(u" \t\r\n\v\f").find(text.back()) != std::u16string_view::npos) text.pop_back();
    return text;
}

}  // namespace

PrinterNameRule PrinterNameRuleOfWindows() {
    if (IsWindowsVersionOrLater(6, 1)) return {u"\\,", u"ErrorPrinterName7"};
    return {u"\\,!", u"ErrorPrinterNameVista"};
}

CDialogPrinterName::CDialogPrinterName(CWnd* parent) : CDialogBase(IDD_PRINTERNAME, parent) {
    m_pageIndex = 3;
    m_section = u"PrinterName";
}

BOOL CDialogPrinterName::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetPageTexts({{IDC_STATIC_MESSAGE, u"Main"}, {IDC_STATIC_PRINTER, u"StaticPrinter"},
                  {IDC_STATIC_COMMENT, u"StaticComment"}, {IDC_CHECK_DEFAULT, u"CheckAvailable"}});
    return TRUE;
}

void CDialogPrinterName::OnActivatePage(int) {
    if (!m_pDrvData) return;
    SetDlgItemTextW(m_hWnd, IDC_EDIT_PRINTERNAME, m_pDrvData->m_printerName.c_str());
    SetDlgItemTextW(m_hWnd, IDC_EDIT_COMMENT, m_pDrvData->m_comment.c_str());
    CheckDlgButton(m_hWnd, IDC_CHECK_DEFAULT, m_pDrvData->m_setDefault ? BST_CHECKED : BST_UNCHECKED);
}

void CDialogPrinterName::LimitEditText(int id, int limit) {
    HWND edit = GetDlgItem(id);
    if (!edit) return;
    std::u16string text = TextOf(edit);
    if (text.size() <= static_cast<size_t>(limit)) return;
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    text.resize(static_cast<size_t>(limit));
    SetWindowTextW(edit, text.c_str());
    const DWORD most = static_cast<DWORD>(limit);
    SendMessageW(edit, EM_SETSEL, std::min(start, most), std::min(end, most));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

BOOL CDialogPrinterName::CheckPrinterName() {
    const PrinterNameRule rule = PrinterNameRuleOfWindows();
    const std::u16string name = TextOf(GetDlgItem(IDC_EDIT_PRINTERNAME));
    if (name.find_first_of(rule.forbidden) == std::u16string::npos) return TRUE;
    ShowMessageBox(m_pDrvData, m_hWnd, rule.messageKey, kWarning);
    return FALSE;
}

void CDialogPrinterName::OnBnClickedButtonNext() {
    if (!m_pDrvData || !m_pHost || !CheckPrinterName()) return;
    PrinterList printers;
    DWORD error = 0;
    if (!EnumAllPrinters2(printers, error)) {
        if (error == RPC_S_SERVER_UNAVAILABLE) ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg06", kWarning);
        else ShowErrorBox(m_pDrvData, m_hWnd, 1281, error);
        return;
    }
    const std::u16string name = TrimRight(TextOf(GetDlgItem(IDC_EDIT_PRINTERNAME)));
    const std::u16string wanted = UpperCase(name);
    const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(printers.joined.data());
    for (DWORD i = 0; i < printers.count; ++i) {
        if (records[i].pPrinterName && UpperCase(records[i].pPrinterName) == wanted) {
            ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg04", kWarning);
            return;
        }
    }
    m_name = name;
    m_commentText = TextOf(GetDlgItem(IDC_EDIT_COMMENT));
    m_pDrvData->m_printerName = m_name;
    m_pDrvData->m_comment = m_commentText;
    m_pDrvData->m_setDefault = IsDlgButtonChecked(m_hWnd, IDC_CHECK_DEFAULT) == BST_CHECKED ? 1 : 0;
    ShowPage(m_pHost, 4);
}

BOOL CDialogPrinterName::OnCmdMsg(UINT id, int code) {
    if (code == EN_UPDATE && id == IDC_EDIT_PRINTERNAME) {
        LimitEditText(IDC_EDIT_PRINTERNAME, kNameLimit);
        return TRUE;
    }
    if (code == EN_UPDATE && id == IDC_EDIT_COMMENT) {
        LimitEditText(IDC_EDIT_COMMENT, kCommentLimit);
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_BUTTON_PREV) {
        if (m_pHost) ShowPage(m_pHost, 2);
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_BUTTON_NEXT) {
        OnBnClickedButtonNext();
        return TRUE;
    }
    return CDialogBase::OnCmdMsg(id, code);
}
