// Window classes, the message queue, dialogs made from templates, the standard controls and
// window painting of the headless window system (included by winuser.h).
//
// A dialog is a window of the dialog class "#32770" whose procedure is DefDlgProcW: it calls the
// dialog's DLGPROC first and does the default work when that answers FALSE. Modal loops take
// posted messages and, when none is waiting, the next action of the user script
// (palvex/ui_script.h), since no person sits at this screen.
#pragma once

#ifndef HIWORD
#define HIWORD(l) (static_cast<WORD>((((DWORD_PTR)(l)) >> 16) & 0xFFFF))
#endif
#define MAKEWPARAM(l, h) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define MAKELPARAM(l, h) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))))

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef HANDLE HBRUSH;

// Messages.
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_QUERYDRAGICON 0x0037
#define WM_NOTIFY 0x004E
#define WM_SETICON 0x0080
#define WM_GETICON 0x007F
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_CTLCOLORSTATIC 0x0138
#define WM_APP 0x8000

#define ICON_SMALL 0
#define ICON_BIG 1

// Dialog window data (GetWindowLongPtrW/SetWindowLongPtrW on a dialog).
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16

// Button messages and notifications.
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BN_CLICKED 0

// Edit messages and notifications.
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_SETREADONLY 0x00CF
#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_GETLIMITTEXT 0x00D5
#define EN_CHANGE 0x0300

// Static messages.
#define STM_SETICON 0x0170
#define STM_GETICON 0x0171
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173

// List box messages and notifications.
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LB_ERR (-1)
#define LBN_SELCHANGE 1

// Combo box messages and notifications.
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_ERR (-1)
#define CBN_SELCHANGE 1

// Window classes.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define DLGWINDOWEXTRA 30

struct WNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};
static_assert(sizeof(WNDCLASSEXW) == 80 && offsetof(WNDCLASSEXW, lpszClassName) == 64);

// The standard classes are known under every instance; a class registered by a module is found
// under that module's instance (or any instance when hInstance is null). An existing name:
// 0, ERROR_CLASS_ALREADY_EXISTS.
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
WINBASEAPI ATOM RegisterClassExW(const WNDCLASSEXW* lpwcx);
WINBASEAPI BOOL GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, WNDCLASSEXW* lpwcx);
WINBASEAPI BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);
// Messages registered by name: the same name (without regard to case) gives the same number in
// every process, from 0xC000 up.
WINBASEAPI UINT RegisterWindowMessageW(LPCWSTR lpString);

// Top-level windows of registered classes are visible to every process of the machine: FindWindowW
// finds them by class and title (either may be null), and SetForegroundWindow on one of another
// process makes it that process's foreground window (GetForegroundWindow there answers it).
WINBASEAPI HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
WINBASEAPI BOOL SetForegroundWindow(HWND hWnd);
WINBASEAPI HWND GetForegroundWindow(void);
WINBASEAPI HWND SetFocus(HWND hWnd);
WINBASEAPI HWND GetFocus(void);
WINBASEAPI BOOL IsIconic(HWND hWnd);

// Window properties.
WINBASEAPI BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData);
WINBASEAPI HANDLE GetPropW(HWND hWnd, LPCWSTR lpString);
WINBASEAPI HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString);

// The message queue: one per process, which every thread may post to; the user-interface thread
// takes the messages.
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
    DWORD lPrivate;
};
typedef MSG* LPMSG;
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
WINBASEAPI BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINBASEAPI void PostQuitMessage(int nExitCode);
// Waits for a message; FALSE for WM_QUIT.
WINBASEAPI BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
WINBASEAPI BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
WINBASEAPI BOOL TranslateMessage(const MSG* lpMsg);
WINBASEAPI LRESULT DispatchMessageW(const MSG* lpMsg);
WINBASEAPI BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg);

// Dialogs. The template's class name, when it has one, must be a registered class (a copy of
// "#32770" under another name serves); the dialog gets its font (DS_SETFONT, else the system
// font), items become child controls sized in dialog units, WM_SETFONT goes to each, and
// WM_INITDIALOG (lParam = dwInitParam) to the dialog procedure. A dialog with WS_VISIBLE is
// shown after WM_INITDIALOG.
WINBASEAPI HWND CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                                   DLGPROC lpDialogFunc, LPARAM dwInitParam);
WINBASEAPI HWND CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam);
// Runs the dialog modally: its owner is disabled while it runs, the loop ends when EndDialog was
// called, and the answer is EndDialog's result (-1 when the dialog could not be made).
WINBASEAPI INT_PTR DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                                   DLGPROC lpDialogFunc, LPARAM dwInitParam);
WINBASEAPI INT_PTR DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam);
WINBASEAPI BOOL EndDialog(HWND hDlg, INT_PTR nResult);
// The dialog manager's default handling: WM_CLOSE becomes WM_COMMAND IDCANCEL, WM_GETFONT answers
// the dialog font, DWLP_MSGRESULT is the answer to the DLGPROC's handled messages.
WINBASEAPI LRESULT DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
// Dialog units to pixels by the dialog's base units.
WINBASEAPI BOOL MapDialogRect(HWND hDlg, LPRECT lpRect);
WINBASEAPI LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
WINBASEAPI BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString);
WINBASEAPI UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax);
WINBASEAPI BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
WINBASEAPI UINT IsDlgButtonChecked(HWND hDlg, int nIDButton);

// Painting. BeginPaint gives a device context that draws into the window's picture while the
// window is being drawn (palvex/ui_script.h), and draws nowhere otherwise.
struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;
WINBASEAPI HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
WINBASEAPI BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
WINBASEAPI BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
WINBASEAPI BOOL UpdateWindow(HWND hWnd);

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_NOPREFIX 0x00000800
WINBASEAPI int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format);
#define OBJ_BRUSH 2
WINBASEAPI HBRUSH CreateSolidBrush(COLORREF color);
WINBASEAPI int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
WINBASEAPI BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);
#define SM_CXICON 11
#define SM_CYICON 12

// Bitmaps on device contexts: a memory device context holds the bitmap selected into it, and
// StretchBlt from it draws that bitmap.
#define SRCCOPY 0x00CC0020
#define BLACKONWHITE 1
#define COLORONCOLOR 3
#define HALFTONE 4
WINBASEAPI int SetStretchBltMode(HDC hdc, int mode);
WINBASEAPI int GetStretchBltMode(HDC hdc);
WINBASEAPI BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                           int wSrc, int hSrc, DWORD rop);

// Images from files: LoadImageW with LR_LOADFROMFILE reads a .bmp file (IMAGE_BITMAP) or the first
// image of an .ico file (IMAGE_ICON); ExtractIconW the icon nIconIndex of an .ico file.
#define LR_LOADFROMFILE 0x00000010
#define LR_CREATEDIBSECTION 0x00002000
WINBASEAPI HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
WINBASEAPI HICON ExtractIconW(HINSTANCE hInst, LPCWSTR pszExeFileName, UINT nIconIndex);
