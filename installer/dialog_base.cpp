// The wizard page base and the completion page.
#include "dialog_base.h"

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

namespace {

BOOL CALLBACK SetFontOfChild(HWND window, LPARAM font) {
    SendMessageW(window, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

}  // namespace

void SetFontToDescendants(HWND window, CDrvData* settings) {
    if (!settings || !settings->m_font9) return;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(settings->m_font9), TRUE);
    EnumChildWindows(window, SetFontOfChild, reinterpret_cast<LPARAM>(settings->m_font9));
}

CDialogBase::CDialogBase(UINT templateId, CWnd* parent) : CDialog(templateId, parent), m_templateIdOfPage(templateId) {}

BOOL CDialogBase::OnInitDialog() {
    CDialog::OnInitDialog();
    SetFontToDescendants(m_hWnd, m_pDrvData);
    if (m_pHost) {
        const RECT& area = m_pHost->m_pageRect;
        MoveWindow(m_hWnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    }
    return TRUE;
}

void CDialogBase::SetItemText(int id, const char16_t* key) {
    if (!m_pDrvData || !GetDlgItem(id)) return;
    std::u16string text;
    m_pDrvData->GetString(text, m_section, key);
    SetDlgItemTextW(m_hWnd, id, text.c_str());
}

void CDialogBase::SetButtonTexts() {
    SetItemText(IDC_BUTTON_PREV, u"ButtonPrev");
    SetItemText(IDC_BUTTON_NEXT, u"ButtonNext");
    SetItemText(IDCANCEL, u"ButtonCancel");
}

void CDialogBase::SetPageTexts(std::initializer_list<std::pair<int, const char16_t*>> texts) {
    for (const auto& [id, key] : texts) SetItemText(id, key);
    SetButtonTexts();
}

std::u16string CDialogBase::ItemText(int id, int capacity) const {
    std::u16string text(static_cast<size_t>(capacity), u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(GetDlgItem(id), text.data(), capacity)));
    return text;
}

void CDialogBase::EndWizard() {
    EndDialog(0);
    if (m_pHost) m_pHost->EndDialog(0);
}

void CDialogBase::EnableItems(std::initializer_list<int> ids, BOOL enable) {
    for (int id : ids)
        if (HWND item = GetDlgItem(id)) EnableWindow(item, enable);
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
    if (m_pHost) ShowPage(m_pHost, 1);
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

CDialogComplete::CDialogComplete(CWnd* parent) : CDialogBase(IDD_COMPLETE, parent) {}

BOOL CDialogComplete::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetItemText(IDC_BUTTON_END, u"ButtonEnd");
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
    EndWizard();
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
