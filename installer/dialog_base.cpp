// The wizard page base, the pages' shells and the completion page.
#include "dialog_base.h"

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

namespace {

// Back of each page (the wizard's navigation); -1: the page has no Back.
int BackTarget(int index, const CDrvData* settings) {
    switch (index) {
    case 1: return settings && settings->m_copyState == 1 ? 11 : 0;
    case 2: return 1;
    case 3: return 2;
    case 4: return 3;
    case 6:
    case 8:
    case 10: return 1;
    case 11: return 0;
    default: return -1;
    }
}

BOOL CALLBACK SetFontOfChild(HWND window, LPARAM font) {
    SendMessageW(window, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

}  // namespace

CDialogBase::CDialogBase(UINT templateId, CWnd* parent) : CDialog(templateId, parent), m_templateIdOfPage(templateId) {}

BOOL CDialogBase::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pDrvData && m_pDrvData->m_font9) {
        SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_pDrvData->m_font9), TRUE);
        EnumChildWindows(m_hWnd, SetFontOfChild, reinterpret_cast<LPARAM>(m_pDrvData->m_font9));
    }
    if (m_pHost) {
        const RECT& area = m_pHost->m_pageRect;
        MoveWindow(m_hWnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    }
    return TRUE;
}

void CDialogBase::SetButtonTexts() {
    if (!m_pDrvData) return;
    const std::pair<int, const char16_t*> buttons[] = {
        {IDC_BUTTON_PREV, u"ButtonPrev"}, {IDC_BUTTON_NEXT, u"ButtonNext"}, {IDCANCEL, u"ButtonCancel"}};
    for (const auto& [id, key] : buttons) {
        if (!GetDlgItem(id)) continue;
        std::u16string text;
        m_pDrvData->GetString(text, m_section, key);
        SetDlgItemTextW(m_hWnd, id, text.c_str());
    }
}

void CDialogBase::GetWindowTitle(std::u16string& title) {
    if (m_caption.empty() && m_pDrvData) m_pDrvData->GetString(m_caption, m_section, u"Window");
    title = m_caption;
}

void CDialogBase::GetHeaderText(std::u16string& header) {
    if (m_header.empty() && m_pDrvData) m_pDrvData->GetString(m_header, m_section, u"Header");
    header = m_header;
}

int CDialogBase::QueryCancel() {
    return ShowMessageBox(m_pDrvData, m_hWnd, u"Cancel", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES ? 1 : 0;
}

void CDialogBase::OnBnClickedButtonCancel() {
    if (m_pHost) PostMessageW(m_pHost->m_hWnd, WM_CLOSE, 0, 0);
}

void CDialogBase::OnBnClickedButtonPrev() {
    const int target = BackTarget(m_pageIndex, m_pDrvData);
    if (m_pHost && target >= 0) ShowPage(m_pHost, target);
}

BOOL CDialogBase::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnBnClickedButtonCancel();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_BUTTON_PREV) {
        OnBnClickedButtonPrev();
        return TRUE;
    }
    return CDialog::OnCmdMsg(id, code);
}

#define PAGE_CONSTRUCTOR(Class, templateId, index, section)                    \
    Class::Class(CWnd* parent) : CDialogBase(templateId, parent) {            \
        m_pageIndex = index;                                                   \
        m_section = section;                                                   \
    }

PAGE_CONSTRUCTOR(CDialogLicence, IDD_LICENCE, 0, u"Licence")
PAGE_CONSTRUCTOR(CDialogSetupmenu, IDD_SETUPMENU, 1, u"Setupmenu")
PAGE_CONSTRUCTOR(CDialogPrinterPort, IDD_PRINTERPORT, 2, u"PrinterPort")
PAGE_CONSTRUCTOR(CDialogPrinterName, IDD_PRINTERNAME, 3, u"PrinterName")
PAGE_CONSTRUCTOR(CDialogInstallConfirm, IDD_CONFIRM, 4, u"InstallConfirm")
PAGE_CONSTRUCTOR(CDialogUpdateConfirm, IDD_CONFIRM, 6, u"UpdateConfirm")
PAGE_CONSTRUCTOR(CDialogRemoveConfirm, IDD_CONFIRM, 8, u"UninstallConfirm")
PAGE_CONSTRUCTOR(CDialogConnectSelect, IDD_CONNECTSELECT, 10, u"ConnectSelect")
PAGE_CONSTRUCTOR(CDialogDrvFileCopy, IDD_DRVFILECOPY, 11, u"DriverCopy")
PAGE_CONSTRUCTOR(CDialogComplete, IDD_COMPLETE, 0, u"")

BOOL CDialogLicence::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetButtonTexts();
    return TRUE;
}

BOOL CDialogRemoveConfirm::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetButtonTexts();
    std::u16string message;
    if (m_pDrvData) m_pDrvData->GetString(message, m_section, u"Message");
    SetDlgItemTextW(m_hWnd, IDC_STATIC_MESSAGE, message.c_str());
    return TRUE;
}

void CDialogRemoveConfirm::OnActivatePage(int previousIndex) {
    ::ShowWindow(GetDlgItem(IDC_BUTTON_PREV), previousIndex == m_pageIndex ? SW_HIDE : SW_SHOW);
}

BOOL CDialogComplete::OnInitDialog() {
    CDialogBase::OnInitDialog();
    std::u16string finish;
    if (m_pDrvData) m_pDrvData->GetString(finish, m_section, u"ButtonEnd");
    SetDlgItemTextW(m_hWnd, IDC_BUTTON_END, finish.c_str());
    if (m_pDrvData) SetDlgItemTextW(m_hWnd, IDC_STATIC_MESSAGE, m_pDrvData->m_completeMessage.c_str());
    return TRUE;
}

BOOL CDialogComplete::OnCmdMsg(UINT id, int code) {
    if (code != BN_CLICKED || id != IDC_BUTTON_END) return CDialogBase::OnCmdMsg(id, code);
    if ((m_pageIndex == 5 || m_pageIndex == 7 || m_pageIndex == 9) &&
        ShowMessageBox(m_pDrvData, m_hWnd, u"Restart", MB_YESNO | MB_ICONWARNING) == IDYES) {
        m_pDrvData->WriteLogFormat(1, u"Shutdown\r\n");
        RestartWindows();
    }
    EndDialog(0);
    if (m_pHost) m_pHost->EndDialog(0);
    return TRUE;
}

int CDialogComplete::QueryCancel() {
    if ((m_pageIndex == 5 || m_pageIndex == 9) &&
        ShowMessageBox(m_pDrvData, m_hWnd, u"Restart", MB_YESNO | MB_ICONWARNING) == IDYES) {
        m_pDrvData->WriteLogFormat(1, u"Shutdown (Cancel)\r\n");
        RestartWindows();
    }
    return 1;
}
