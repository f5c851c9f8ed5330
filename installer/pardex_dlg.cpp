// The main window and its header band.
#include "pardex_dlg.h"

#include <win/sysinfoapi_product.h>

#include "dialog_base.h"
#include "install_log.h"
#include "resource.h"
#include "utilities.h"

CPardexDlg::CPardexDlg(BOOL uninstall) : CDialog(IDD_PARDEX_DIALOG), m_uninstall(uninstall) {
    m_hIcon = LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CPardexDlg::~CPardexDlg() {
    DestroyPages(&m_pages);
    if (g_pInstallLog == &m_drvData.m_log) g_pInstallLog = nullptr;
}

void CPardexDlg::InitLayoutScale(HWND window, const RECT& design) {
    if (!m_drvData.m_resolutionRead) {
        HDC screen = GetDC(nullptr);
        m_drvData.m_logPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
        m_drvData.m_logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        m_drvData.m_resolutionRead = 1;
    }
    // The dialog-unit size of the design surface in this dialog's font.
    RECT units{0, 0, 366, 274};
    MapDialogRect(window, &units);
    m_drvData.m_scaleX = static_cast<double>(units.right) / design.right;
    m_drvData.m_scaleY = static_cast<double>(units.bottom) / design.bottom;
}

BOOL CPardexDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!m_drvData.Init(AfxGetResourceHandle())) {
        ShowErrorBox(&m_drvData, m_hWnd, kErrorConfiguration, 0);
        EndDialog(0);
        return FALSE;
    }
    m_hIcon = m_drvData.m_setupIcon;
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    const int first = m_uninstall ? 8 : 0;
    InitLayoutScale(m_hWnd, kDesignRect);
    m_headerRect.left = static_cast<LONG>(m_headerRect.left * m_drvData.m_scaleX);
    m_headerRect.right = static_cast<LONG>(m_headerRect.right * m_drvData.m_scaleX);
    m_headerRect.top = static_cast<LONG>(m_headerRect.top * m_drvData.m_scaleY);
    m_headerRect.bottom = static_cast<LONG>(m_headerRect.bottom * m_drvData.m_scaleY);
    m_pageRect = {m_headerRect.left, m_headerRect.bottom, m_headerRect.right,
                  static_cast<LONG>(kDesignRect.bottom * m_drvData.m_scaleY)};

    m_pages.index = first;
    m_pages.host = this;
    m_pages.settings = &m_drvData;
    m_pages.current = CreatePage(&m_pages, first);
    if (!m_pages.current) {
        // A wizard without its first page has nothing to show: say so and end.
        ShowErrorBox(&m_drvData, m_hWnd, kErrorPage, 0);
        EndDialog(0);
        return FALSE;
    }
    m_pages.current->ShowWindow(SW_SHOW);
    m_pages.current->OnActivatePage(first);
    m_pages.current->GetHeaderText(m_headerText);
    std::u16string title;
    m_pages.current->GetWindowTitle(title);
    SetWindowTitle(title);
    g_pInstallLog = &m_drvData.m_log;

    m_drvData.WriteLogFormat(1, u"Installer Version : %s\r\n", m_drvData.GetVersion().c_str());
    m_drvData.WriteLogFormat(1, u"Driver Version    : %s\r\n", m_drvData.m_installedFileVersion.c_str());
    return TRUE;
}

void CPardexDlg::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    if (IsIconic()) {
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, m_hIcon);
    } else {
        if (m_drvData.m_headerImage) {
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ previous = SelectObject(memory, m_drvData.m_headerImage);
            BITMAP bitmap{};
            GetObjectW(m_drvData.m_headerImage, sizeof bitmap, &bitmap);
            const int mode = SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, m_headerRect.left, m_headerRect.top, m_headerRect.right - m_headerRect.left,
                       m_headerRect.bottom - m_headerRect.top, memory, 0, 0, bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
            SetStretchBltMode(dc, mode);
            if (previous && previous != m_drvData.m_headerImage) SelectObject(memory, previous);
            DeleteDC(memory);
        }
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ font = SelectObject(dc, m_drvData.m_font14);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT header = m_headerRect;
        DrawTextW(dc, m_headerText.c_str(), -1, &header, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (font) SelectObject(dc, font);
    }
    EndPaint(m_hWnd, &paint);
}

HCURSOR CPardexDlg::OnQueryDragIcon() { return m_hIcon; }

BOOL CPardexDlg::OnCmdMsg(UINT id, int code) {
    if (id == IDCANCEL && code == 0) {
        if (m_pages.current && !m_pages.current->QueryCancel()) return FALSE;  // the page keeps the wizard open
        DestroyPages(&m_pages);
    }
    return CDialog::OnCmdMsg(id, code);
}

void CPardexDlg::SetWindowTitle(const std::u16string& text) {
    std::u16string common;
    m_drvData.GetString(common, u"COMMON", u"Window");
    WCHAR title[1200];
    _snwprintf(title, 1200, u"%s - %s", common.c_str(), text.c_str());
    SetWindowText(title);
}
