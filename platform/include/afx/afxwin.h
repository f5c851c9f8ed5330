// A small application-framework layer in the manner of the class library the installer was
// written with: an application object with a command-line parser, and dialog classes on the
// platform's dialog manager. Messages reach a dialog object through its virtual WindowProc, whose
// default sends commands to OnCmdMsg (OnOK for IDOK, OnCancel for IDCANCEL), WM_PAINT to OnPaint
// and WM_QUERYDRAGICON to OnQueryDragIcon, in place of the library's message-map macros.
#pragma once

#include <string>
#include <vector>

#include <win/commctrl.h>
#include <win/windows.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

class PALVEX_API CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    virtual BOOL DestroyWindow();
    void SetWindowText(const std::u16string& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::u16string GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetFocus() { ::SetFocus(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }

    HWND m_hWnd = nullptr;
};

class PALVEX_API CDialog : public CWnd {
public:
    // templateId names a dialog template of the application's resources (AfxGetResourceHandle).
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; the answer of EndDialog, or -1 when it could not be made.
    virtual INT_PTR DoModal();
    // Makes the dialog as a modeless window, a child of parent when the template says WS_CHILD.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // A command (a control id and its notification code); TRUE when it was handled.
    virtual BOOL OnCmdMsg(UINT id, int code);
    virtual void OnPaint();
    virtual HCURSOR OnQueryDragIcon() { return nullptr; }
    // Every message of the dialog; the default dispatches as the header says and answers FALSE
    // (not handled) for the others, which the dialog manager then handles.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam, BOOL* handled);

    UINT m_templateId;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

class PALVEX_API CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;
    // Each parameter; flag is TRUE when it was written with a leading "/" or "-", which is taken
    // off. The base records the first plain parameter as the file name.
    virtual void ParseParam(const WCHAR* param, BOOL flag, BOOL last);

    std::u16string m_strFileName;
};

class PALVEX_API CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    void ParseCommandLine(CCommandLineInfo& info);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

// The one application object, or null.
PALVEX_API CWinApp* AfxGetApp();
// The module whose resources dialogs are made from (the program's, unless set).
PALVEX_API HINSTANCE AfxGetResourceHandle();
PALVEX_API void AfxSetResourceHandle(HINSTANCE instance);
// The program's entry: keeps the command line (without the program name), runs InitInstance of
// the application object and, when it answers TRUE, a message loop until WM_QUIT.
PALVEX_API int AfxWinMain(HINSTANCE instance, int argc, char** argv);
// Replaces the command line ParseCommandLine reads (for tests).
PALVEX_API void AfxSetCommandLine(const std::vector<std::u16string>& arguments);
