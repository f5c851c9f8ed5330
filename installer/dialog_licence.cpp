// The agreement page.
#include "dialog_licence.h"

#include <win/fileapi.h>

#include "drv_data.h"
#include "pardex_dlg.h"
#include "resource.h"
#include "utilities.h"

CDialogLicence::CDialogLicence(CWnd* parent) : CDialogBase(IDD_LICENCE, parent) {
    m_pageIndex = 0;
    m_section = u"Licence";
}

CDialogLicence::~CDialogLicence() {
    if (m_background) DeleteObject(m_background);
}

BOOL CDialogLicence::ReadLicenceText(const std::u16string& path, std::u16string& text) {
    text.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    const DWORD length = GetFileSize(file, nullptr);
    BOOL read = length != INVALID_FILE_SIZE;
    if (read && length >= 2) {
        std::u16string characters(length / 2, u'\0');
        DWORD got = 0;
        read = ReadFile(file, characters.data(), (length / 2) * 2, &got, nullptr);
        characters.resize(got / 2);
        text = std::move(characters);
    }
    CloseHandle(file);
    return read;
}

BOOL CDialogLicence::OnInitDialog() {
    CDialogBase::OnInitDialog();
    SetItemText(IDC_BUTTON_AGREE, u"ButtonAgree");
    SetItemText(IDC_BUTTON_DISAGREE, u"ButtonDisagree");
    SetItemText(IDCANCEL, u"ButtonCancel");
    m_background = CreateSolidBrush(RGB(255, 255, 255));  // the window colour
    if (m_pDrvData) {
        // Without its agreement the wizard must not go on as if the user had read one: say so.
        std::u16string text;
        if (!ReadLicenceText(m_pDrvData->GetLicencePath(), text)) {
            const DWORD error = GetLastError();
            m_pDrvData->WriteLogFormat(0, u"Licence Read Failed %s (WinError %x)\r\n", m_pDrvData->GetLicencePath().c_str(), error);
            ShowErrorBox(m_pDrvData, m_hWnd, kErrorConfiguration, error);
        }
        SetDlgItemTextW(m_hWnd, IDC_EDIT_LICENCE, text.c_str());
        if (m_pDrvData->m_filesCopied != 0 && m_pDrvData->m_filesCopied != 1) m_pDrvData->m_filesCopied = 0;
    }
    return TRUE;
}

void CDialogLicence::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (m_pDrvData && m_pDrvData->m_logoImage) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, m_pDrvData->m_logoImage);
        BITMAP bitmap{};
        GetObjectW(m_pDrvData->m_logoImage, sizeof bitmap, &bitmap);
        const int mode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, static_cast<int>(224 * m_pDrvData->m_scaleX), static_cast<int>(320 * m_pDrvData->m_scaleY), memory, 0, 0,
                   bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
        SetStretchBltMode(dc, mode);
        if (previous && previous != m_pDrvData->m_logoImage) SelectObject(memory, previous);
        DeleteDC(memory);
    }
    EndPaint(m_hWnd, &paint);
}

LRESULT CDialogLicence::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled) {
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == GetDlgItem(IDC_EDIT_LICENCE) && m_background) {
        *handled = TRUE;
        return reinterpret_cast<LRESULT>(m_background);
    }
    return CDialogBase::WindowProc(message, wParam, lParam, handled);
}

void CDialogLicence::OnBnClickedButtonAgree() {
    if (!m_pDrvData || !m_pHost) return;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(m_pDrvData->GetInfPath().c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        if (!IsAdminUser()) {
            ShowMessageBox(m_pDrvData, m_hWnd, u"ErrorMsg05", MB_ICONWARNING | MB_OK);
            EndWizard();
            return;
        }
        ShowPage(m_pHost, m_pDrvData->m_copyState == 1 ? 11 : 1);
        return;
    }
    if (m_pDrvData->m_filesCopied == 0) ShowPage(m_pHost, 11);
    else if (m_pDrvData->m_filesCopied == 1) ShowPage(m_pHost, 1);
}

BOOL CDialogLicence::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED && id == IDC_BUTTON_AGREE) {
        OnBnClickedButtonAgree();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_BUTTON_DISAGREE) {
        OnBnClickedButtonCancel();
        return TRUE;
    }
    return CDialogBase::OnCmdMsg(id, code);
}
