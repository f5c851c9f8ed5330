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
#define WM_SETCURSOR 0x0020
#define WM_DRAWITEM 0x002B
#define WM_MEASUREITEM 0x002C
#define WM_VKEYTOITEM 0x002E
#define WM_HELP 0x0053
#define WM_CONTEXTMENU 0x007B
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_CTLCOLOREDIT 0x0133
#define WM_CTLCOLORLISTBOX 0x0134
#define WM_CTLCOLORBTN 0x0135
#define WM_CTLCOLORDLG 0x0136
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_DEVICECHANGE 0x0219
#define MK_LBUTTON 0x0001
#ifndef GET_X_LPARAM
#define GET_X_LPARAM(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))
#endif

// Owner-drawn controls: the parent gets WM_DRAWITEM (wParam the control id) with this record and a
// device context that draws the control.
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_GRAYED 0x0002
#define ODS_DISABLED 0x0004
#define ODS_CHECKED 0x0008
#define ODS_FOCUS 0x0010
#define ODS_COMBOBOXEDIT 0x1000
struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;
static_assert(sizeof(DRAWITEMSTRUCT) == 64 && offsetof(DRAWITEMSTRUCT, hwndItem) == 24 &&
              offsetof(DRAWITEMSTRUCT, rcItem) == 40 && offsetof(DRAWITEMSTRUCT, itemData) == 56);

// WM_NOTIFY: lParam points to a record that starts with this header.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
typedef NMHDR* LPNMHDR;
static_assert(sizeof(NMHDR) == 24 && offsetof(NMHDR, code) == 16);

// WM_HELP's record.
#define HELPINFO_WINDOW 0x0001
struct HELPINFO {
    UINT cbSize;
    int iContextType;
    int iCtrlId;
    HANDLE hItemHandle;
    DWORD_PTR dwContextId;
    POINT MousePos;
};
typedef HELPINFO* LPHELPINFO;
static_assert(sizeof(HELPINFO) == 40 && offsetof(HELPINFO, hItemHandle) == 16);

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
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008
#define BN_CLICKED 0
#define BN_SETFOCUS 6
#define BN_KILLFOCUS 7

// Edit messages and notifications.
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_SETREADONLY 0x00CF
#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_GETLIMITTEXT 0x00D5
#define EM_REPLACESEL 0x00C2
#define EM_SCROLLCARET 0x00B7
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400

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
#define LB_SELECTSTRING 0x018C
#define LB_FINDSTRING 0x018F
#define LB_GETITEMRECT 0x0198
#define LB_GETITEMHEIGHT 0x01A1
#define LB_FINDSTRINGEXACT 0x01A2
#define LB_ERR (-1)
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5

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
#define CB_LIMITTEXT 0x0141
#define CB_SELECTSTRING 0x014D
#define CB_FINDSTRING 0x014C
#define CB_GETITEMHEIGHT 0x0154
#define CB_FINDSTRINGEXACT 0x0158
#define CB_ERR (-1)
#define CBN_SELCHANGE 1
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_SELENDOK 9

// Scroll bars: a SBS_HORZ or SBS_VERT control keeps a range and a position; the user's moves reach
// its parent as WM_HSCROLL / WM_VSCROLL (LOWORD(wParam) the code, HIWORD the thumb position,
// lParam the scroll bar).
#define SBM_SETPOS 0x00E0
#define SBM_GETPOS 0x00E1
#define SBM_SETRANGE 0x00E2
#define SBM_GETRANGE 0x00E3
#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_BOTTOM 7
#define SB_ENDSCROLL 8
WINBASEAPI int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);
WINBASEAPI int GetScrollPos(HWND hWnd, int nBar);
WINBASEAPI BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
WINBASEAPI BOOL GetScrollRange(HWND hWnd, int nBar, int* lpMinPos, int* lpMaxPos);
// Range, page and position in one call. With a page of n the position goes no higher than
// nMax - n + 1; SIF_DISABLENOSCROLL is taken and has nothing to disable here.
#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_DISABLENOSCROLL 0x0008
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)
struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};
typedef SCROLLINFO* LPSCROLLINFO;
typedef const SCROLLINFO* LPCSCROLLINFO;
static_assert(sizeof(SCROLLINFO) == 28);
// Answers the position afterwards.
WINBASEAPI int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw);
WINBASEAPI BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi);

// Window classes.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_GLOBALCLASS 0x4000
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

// Window properties, named by a text or by an atom (MAKEINTATOM). An atom names the property of the
// text it stands for, so both ways reach the same property.
WINBASEAPI BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData);
WINBASEAPI HANDLE GetPropW(HWND hWnd, LPCWSTR lpString);
WINBASEAPI HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString);

// The global atom table of the process: each text (without regard to case) has one atom from
// 0xC000 up and a count of its adds; GlobalDeleteAtom takes one count away and drops the atom at 0
// (answering 0; the atom when it is still in use). Integer atoms (below 0xC000) are their own.
WINBASEAPI ATOM GlobalAddAtomW(LPCWSTR lpString);
WINBASEAPI ATOM GlobalFindAtomW(LPCWSTR lpString);
WINBASEAPI ATOM GlobalDeleteAtom(ATOM nAtom);
WINBASEAPI UINT GlobalGetAtomNameW(ATOM nAtom, LPWSTR lpBuffer, int nSize);

// Help: WinHelpW does not open a help viewer here; every call is recorded (palvex/ui_records.h).
#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_CONTENTS 0x0003
#define HELP_CONTEXTPOPUP 0x0008
#define HELP_FINDER 0x000B
#define HELP_CONTEXTMENU 0x000A
#define HELP_WM_HELP 0x000C
WINBASEAPI BOOL WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

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
// The control's text as a decimal number: spaces before it are skipped, a minus sign is taken when
// bSigned; 0 and *lpTranslated FALSE when other characters follow or the number does not fit.
WINBASEAPI UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
WINBASEAPI BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
WINBASEAPI BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
WINBASEAPI UINT IsDlgButtonChecked(HWND hDlg, int nIDButton);
// Checks the button nIDCheckButton and unchecks the other buttons with ids from nIDFirstButton to
// nIDLastButton.
WINBASEAPI BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);

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
