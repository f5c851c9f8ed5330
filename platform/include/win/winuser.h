// The headless window system of the simulated platform: windows of the standard classes with
// their class, styles, id, parent, text, rectangle and font, window procedures and messages;
// dialog templates; icons, cursors and bitmaps loaded from resources; message boxes answered by a
// test script (palvex/message_box.h).
//
// Nothing is drawn: windows keep their state and answer the calls that read it. They have no
// non-client area, so a window's client area is its whole rectangle. Coordinates of a child
// window are relative to its parent's client area; a top-level window's are screen coordinates.
#pragma once

#include "wingdi.h"
#include "winresource.h"
#include "winresrc.h"

// Errors of the window functions.
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_INVALID_INDEX 1413L
#define ERROR_CONTROL_ID_NOT_FOUND 1421L

typedef HANDLE HMENU;
typedef HANDLE HICON;
typedef HICON HCURSOR;
typedef WORD ATOM;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);

struct POINT {
    LONG x;
    LONG y;
};
typedef POINT* LPPOINT;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;
static_assert(sizeof(POINT) == 8 && sizeof(RECT) == 16);

#define MAKEINTATOM(i) (reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_SHOWWINDOW 0x0018
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_CHAR 0x0102  // a typed character (wParam)
#define WM_USER 0x0400

// Window data of Get/SetWindowLongPtrW.
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// SetWindowPos.
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOOWNERZORDER 0x0200
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))

// GetWindow relations.
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5

#define CW_USEDEFAULT (static_cast<int>(0x80000000))

// Message boxes.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define MB_RIGHT 0x00080000L
#define MB_RTLREADING 0x00100000L
#define MB_TYPEMASK 0x0000000FL
#define MB_DEFMASK 0x00000F00L


// Image loading.
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_DEFAULTSIZE 0x00000040
#define LR_SHARED 0x00008000

// Window creation data handed to WM_NCCREATE and WM_CREATE (lParam points to it).
struct CREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};
typedef CREATESTRUCTW* LPCREATESTRUCTW;
static_assert(sizeof(CREATESTRUCTW) == 80 && offsetof(CREATESTRUCTW, style) == 48 && offsetof(CREATESTRUCTW, dwExStyle) == 72);

// Dialog templates. A template is a header, then (each on a WORD boundary) the menu, the class and
// the title, each 0x0000 (none), 0xFFFF and an ordinal, or a NUL-terminated text; with DS_SETFONT
// the font (point size, for extended templates also weight, italic and character set, then the
// face name). Each item follows on a DWORD boundary: its header, class and title as above (an
// item's class ordinals 0x80 to 0x85 name Button, Edit, Static, ListBox, ScrollBar and ComboBox),
// then a WORD count of creation-data bytes and those bytes.
#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
};
struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
};
#pragma pack(pop)
typedef DLGTEMPLATE* LPDLGTEMPLATEW;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;
static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18);
// An extended template starts with the WORDs 1 (version) and 0xFFFF (signature), then the help
// id, extended style, style, item count and rectangle (26 bytes); its items start with help id,
// extended style and style, then the rectangle and a DWORD id (24 bytes).
#define DLGTEMPLATEEX_SIGNATURE 0xFFFF

// Windows of the standard classes: "Button", "Edit", "Static", "ListBox", "ComboBox",
// "ScrollBar" and the dialog class "#32770" (names compare without regard to case). Another class
// name: ERROR_CANNOT_FIND_WND_CLASS. WS_CHILD without a parent: ERROR_TLW_WITH_WSCHILD. For a child
// window hMenu is its id. The window gets WM_NCCREATE (DefWindowProcW takes the text from it)
// and WM_CREATE; a FALSE or -1 answer destroys it and the call fails.
WINBASEAPI HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                                int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                LPVOID lpParam);
// Sends WM_DESTROY to the window, destroys its children, then sends it WM_NCDESTROY.
WINBASEAPI BOOL DestroyWindow(HWND hWnd);
WINBASEAPI BOOL IsWindow(HWND hWnd);
// Visible: WS_VISIBLE on the window and every ancestor.
WINBASEAPI BOOL IsWindowVisible(HWND hWnd);
WINBASEAPI BOOL IsWindowEnabled(HWND hWnd);
WINBASEAPI BOOL IsChild(HWND hWndParent, HWND hWnd);

// Messages go straight to the window's procedure.
WINBASEAPI LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINBASEAPI LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// The default answers: WM_NCCREATE keeps the creation text, WM_SETTEXT, WM_GETTEXT and
// WM_GETTEXTLENGTH work on the window text; other messages answer 0.
WINBASEAPI LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

WINBASEAPI BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString);
WINBASEAPI int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
WINBASEAPI int GetWindowTextLengthW(HWND hWnd);
// The class name (as the class was registered, e.g. "Button").
WINBASEAPI int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);

// Children in z-order (first is top). EnumChildWindows visits each child and then its
// descendants, until the callback answers FALSE.
WINBASEAPI BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
// A direct child with that id; none: null, ERROR_CONTROL_ID_NOT_FOUND.
WINBASEAPI HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
WINBASEAPI int GetDlgCtrlID(HWND hWnd);
// The parent of a child window, the owner of a top-level one.
WINBASEAPI HWND GetParent(HWND hWnd);
WINBASEAPI HWND GetWindow(HWND hWnd, UINT uCmd);

// The window's rectangle in screen coordinates; the client rectangle from (0, 0).
WINBASEAPI BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
WINBASEAPI BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
// Points between the client coordinates of two windows (null: the screen); MapWindowPoints answers
// the horizontal move in its low word and the vertical in its high word.
WINBASEAPI BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint);
WINBASEAPI BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
WINBASEAPI int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
WINBASEAPI BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
WINBASEAPI BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
// Returns whether the window was visible before. SW_HIDE clears WS_VISIBLE, the others set it;
// a change sends WM_SHOWWINDOW.
WINBASEAPI BOOL ShowWindow(HWND hWnd, int nCmdShow);
// Returns whether the window was disabled before; a change sends WM_ENABLE.
WINBASEAPI BOOL EnableWindow(HWND hWnd, BOOL bEnable);

// GWL_STYLE, GWL_EXSTYLE, GWLP_ID, GWLP_USERDATA, GWLP_WNDPROC, GWLP_HINSTANCE, GWLP_HWNDPARENT.
// Another index: 0, ERROR_INVALID_INDEX. Set returns the previous value.
WINBASEAPI LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex);
WINBASEAPI LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
WINBASEAPI LONG GetWindowLongW(HWND hWnd, int nIndex);
WINBASEAPI LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong);

// The dialog base units of the system font: width in the low word, height in the high word.
WINBASEAPI LONG GetDialogBaseUnits(void);

// Answers from the test script (palvex/message_box.h) and records owner, caption, text and style.
// A null caption reads "Error". Without a scripted answer the default button answers.
WINBASEAPI int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);

// Icons and cursors made from the bytes of an icon or cursor image (a BITMAPINFOHEADER with the
// colour and mask bits, or a PNG; a cursor's bytes start with the hot spot). dwVer must be
// 0x00030000. cxDesired/cyDesired 0 take the image's own size (LR_DEFAULTSIZE the system's).
// Bad bytes: null, ERROR_INVALID_DATA.
WINBASEAPI HICON CreateIconFromResourceEx(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer, int cxDesired,
                                          int cyDesired, UINT Flags);
// The image id in an icon or cursor group directory that suits the size best: the closest size,
// then the most colours. 0 when the directory has no entries or is not of that kind.
WINBASEAPI int LookupIconIdFromDirectoryEx(PBYTE presbits, BOOL fIcon, int cxDesired, int cyDesired, UINT Flags);
// The group resource lpIconName of the module, its best image for the system size (32 x 32).
WINBASEAPI HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
WINBASEAPI HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
// The pointer's shape for this thread: SetCursor answers the one it replaces (null: none).
WINBASEAPI HCURSOR SetCursor(HCURSOR hCursor);
WINBASEAPI HCURSOR GetCursor();
// Whether the point lies in the rectangle: right and bottom edges excluded.
WINBASEAPI BOOL PtInRect(const RECT* lprc, POINT pt);
// A bitmap resource (a packed device-independent bitmap).
WINBASEAPI HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
WINBASEAPI HICON CopyIcon(HICON hIcon);
WINBASEAPI BOOL DestroyIcon(HICON hIcon);
WINBASEAPI BOOL DestroyCursor(HCURSOR hCursor);

// Upper-cases cchLength characters in place with the platform's simple case mapping; returns
// the characters processed.
WINBASEAPI DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength);
#include "winuser_dialog.h"

// Ending the session. EWX_REBOOT asks the machine to restart: nothing stops here; the request is
// appended to <machine root>/kernel/restart_requests.txt (the flags in hexadecimal, one a line)
// for the test or tool that plays the user.
#define EWX_LOGOFF 0x00000000
#define EWX_SHUTDOWN 0x00000001
#define EWX_REBOOT 0x00000002
#define EWX_FORCE 0x00000004
WINBASEAPI BOOL ExitWindowsEx(UINT uFlags, DWORD dwReason);
