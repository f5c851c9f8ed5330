// Property sheets: a frame dialog with a tab control, one page per tab (a child dialog made from
// the page's template, at the latest when its tab is first selected) and the buttons OK (IDOK),
// Cancel (IDCANCEL), Apply (12321, disabled until a page reports a change with PSM_CHANGED) and
// Help (IDHELP, with PSH_HASHELP). The frame tells its pages through WM_NOTIFY (a PSHNOTIFY) and
// is driven by the PSM_ messages. Included by commctrl.h.
#pragma once

#include "winuser.h"

struct _PSP;
typedef _PSP* HPROPSHEETPAGE;

#define ID_APPLY_NOW 12321
#define ID_PSTABCONTROL 12320

// Page flags.
#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080
#define PSP_PREMATURE 0x00000400
#define PSP_USEFUSIONCONTEXT 0x00004000

#define PSPCB_ADDREF 0
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

struct PROPSHEETPAGEW;
typedef UINT(CALLBACK* LPFNPSPCALLBACKW)(HWND hwnd, UINT uMsg, PROPSHEETPAGEW* ppsp);

// A page. The frame keeps a copy of the record (dwSize bytes of it, at most this whole record) and
// gives the page's dialog procedure a pointer to that copy as WM_INITDIALOG's lParam.
struct PROPSHEETPAGEW {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCWSTR pszTemplate;
        LPCDLGTEMPLATEW pResource;
    };
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszTitle;
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKW pfnCallback;
    UINT* pcRefParent;
    LPCWSTR pszHeaderTitle;
    LPCWSTR pszHeaderSubTitle;
    HANDLE hActCtx;
    union {
        HBITMAP hbmHeader;
        LPCWSTR pszbmHeader;
    };
};
typedef PROPSHEETPAGEW* LPPROPSHEETPAGEW;
typedef const PROPSHEETPAGEW* LPCPROPSHEETPAGEW;
static_assert(sizeof(PROPSHEETPAGEW) == 104 && offsetof(PROPSHEETPAGEW, pResource) == 16 &&
              offsetof(PROPSHEETPAGEW, pfnDlgProc) == 40 && offsetof(PROPSHEETPAGEW, lParam) == 48 &&
              offsetof(PROPSHEETPAGEW, hActCtx) == 88);
#define PROPSHEETPAGEW_V3_SIZE 96

// Sheet flags.
#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400
#define PSH_RTLREADING 0x00000800
#define PSH_NOCONTEXTHELP 0x02000000

typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND, UINT, LPARAM);
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

struct PROPSHEETHEADERW {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCWSTR pStartPage;
    };
    union {
        LPCPROPSHEETPAGEW ppsp;
        HPROPSHEETPAGE* phpage;
    };
    PFNPROPSHEETCALLBACK pfnCallback;
    union {
        HBITMAP hbmWatermark;
        LPCWSTR pszbmWatermark;
    };
    HANDLE hplWatermark;
    union {
        HBITMAP hbmHeader;
        LPCWSTR pszbmHeader;
    };
};
typedef PROPSHEETHEADERW* LPPROPSHEETHEADERW;
typedef const PROPSHEETHEADERW* LPCPROPSHEETHEADERW;
static_assert(sizeof(PROPSHEETHEADERW) == 96 && offsetof(PROPSHEETHEADERW, nPages) == 40 &&
              offsetof(PROPSHEETHEADERW, phpage) == 56 && offsetof(PROPSHEETHEADERW, pfnCallback) == 64);
#define PROPSHEETHEADERW_V1_SIZE 72

// Notifications to the pages.
#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2
// lParam: TRUE for PSN_APPLY sent by OK, FALSE by Apply.
struct PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
};
typedef PSHNOTIFY* LPPSHNOTIFY;

// Messages to the frame.
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_RESTARTWINDOWS (WM_USER + 105)
#define PSM_REBOOTSYSTEM (WM_USER + 106)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETCURSELID (WM_USER + 114)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_SETTITLEW (WM_USER + 120)
#define PSM_HWNDTOINDEX (WM_USER + 129)
#define PSM_INDEXTOHWND (WM_USER + 130)
#define PSM_PAGETOINDEX (WM_USER + 131)
#define PSM_INDEXTOPAGE (WM_USER + 132)
#define PSM_IDTOINDEX (WM_USER + 133)
#define PSM_INDEXTOID (WM_USER + 134)
#define PSM_GETRESULT (WM_USER + 135)
#define PSM_RECALCPAGESIZES (WM_USER + 136)

#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

// A page handle owns a copy of the record. Pages given to PropertySheetW belong to the sheet from
// then on and are destroyed with it.
WINBASEAPI HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW constPropSheetPagePointer);
WINBASEAPI BOOL DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage);
// Runs the sheet modally (the script drives it, palvex/ui_script.h): 1 when a page's changes were
// applied (OK or Apply), 0 when none were, -1 when the sheet could not be made.
WINBASEAPI INT_PTR PropertySheetW(LPCPROPSHEETHEADERW lppsph);
