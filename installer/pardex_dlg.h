// The installer's main window: a modal dialog with a header band above the current wizard page,
// the page manager that creates and switches the pages, and the message boxes every page uses.
#pragma once

#include <afx/afxwin.h>

#include <string>

#include "drv_data.h"

class CDialogBase;
class CPardexDlg;

// The current page and the one page kept besides it, so that Back returns to a page as it was.
struct PageManager {
    int index = -1;
    CDialogBase* current = nullptr;
    CDialogBase* previous = nullptr;
    CPardexDlg* host = nullptr;
    CDrvData* settings = nullptr;
};

class CPardexDlg : public CDialog {
public:
    explicit CPardexDlg(BOOL uninstall);
    ~CPardexDlg() override;

    BOOL OnInitDialog() override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    BOOL OnCmdMsg(UINT id, int code) override;

    void SetWindowTitle(const std::u16string& text);
    void InitLayoutScale(HWND window, const RECT& design);

    HICON m_hIcon = nullptr;
    CDrvData m_drvData;
    PageManager m_pages;
    std::u16string m_headerText;
    BOOL m_uninstall;
    RECT m_headerRect{0, 0, 640, 64};
    RECT m_pageRect{};
};

// Design size of the wizard in pixels.
inline constexpr RECT kDesignRect{0, 0, 640, 480};
// Error codes of the error box: the configuration cannot be set up; a page cannot be shown.
inline constexpr DWORD kErrorConfiguration = 0x100;
inline constexpr DWORD kErrorPage = 0x500;

BOOL ShowPage(CPardexDlg* host, int index);
CDialogBase* CreatePage(PageManager* pages, int index);
BOOL ChangePage(PageManager* pages, int index);
int SetCompletePage(int index, CDialogBase* page);
void DestroyPages(PageManager* pages);

// [MsgBox] key with caption [MsgBox] Caption; IDCANCEL without showing anything when there are no
// settings.
int ShowMessageBox(CDrvData* settings, HWND owner, const std::u16string& key, UINT style);
// [MsgBox] ErrorMsg07 (or the built-in text) filled with the two codes, as a warning.
int ShowErrorBox(CDrvData* settings, HWND owner, DWORD first, DWORD second);
