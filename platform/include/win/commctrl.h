// Common controls: the tab control, list view, extended combo box, up-down arrows, progress bar,
// image lists and property sheets of the headless window system. The classes exist from the start,
// so initialising the common control classes only checks its argument.
#pragma once

#include "commctrl_styles.h"
#include "winuser.h"

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
typedef INITCOMMONCONTROLSEX* LPINITCOMMONCONTROLSEX;

// FALSE when the record is missing or its size is not the record's.
WINBASEAPI BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

// Class names.
#define WC_TABCONTROLW u"SysTabControl32"
#define WC_LISTVIEWW u"SysListView32"
#define WC_COMBOBOXEXW u"ComboBoxEx32"
#define UPDOWN_CLASSW u"msctls_updown32"
#define PROGRESS_CLASSW u"msctls_progress32"
#define WC_TREEVIEWW u"SysTreeView32"

#define NM_CLICK (0U - 2U)
#define NM_DBLCLK (0U - 3U)

// Image lists: icons kept in order, each drawn at the list's size.
typedef struct _IMAGELIST* HIMAGELIST;
#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020
WINBASEAPI HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
WINBASEAPI BOOL ImageList_Destroy(HIMAGELIST himl);
WINBASEAPI int ImageList_GetImageCount(HIMAGELIST himl);
// i -1 appends the icon; another index replaces that image. Answers the image's index, -1 on
// failure. The list keeps its own copy of the icon.
WINBASEAPI int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)
WINBASEAPI BOOL ImageList_Remove(HIMAGELIST himl, int i);
WINBASEAPI BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
WINBASEAPI HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);

// Push buttons: the shield of an action that needs administrator rights (wParam TRUE shows it).
#define BCM_FIRST 0x1600
#define BCM_SETSHIELD (BCM_FIRST + 0x000C)

// Tab control.
#define TCS_BUTTONS 0x0100
#define TCS_MULTILINE 0x0200
#define TCIF_TEXT 0x0001
#define TCIF_IMAGE 0x0002
#define TCIF_PARAM 0x0008
#define TCM_FIRST 0x1300
#define TCM_GETIMAGELIST (TCM_FIRST + 2)
#define TCM_SETIMAGELIST (TCM_FIRST + 3)
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEMW (TCM_FIRST + 60)
#define TCM_SETITEMW (TCM_FIRST + 61)
#define TCM_INSERTITEMW (TCM_FIRST + 62)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_HITTEST (TCM_FIRST + 13)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCM_GETCURFOCUS (TCM_FIRST + 47)
#define TCM_SETCURFOCUS (TCM_FIRST + 48)
#define TCN_FIRST (0U - 550U)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)
struct TCITEMW {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
typedef TCITEMW* LPTCITEMW;
static_assert(sizeof(TCITEMW) == 40 && offsetof(TCITEMW, pszText) == 16 && offsetof(TCITEMW, lParam) == 32);
#define TCHT_NOWHERE 0x0001
#define TCHT_ONITEM 0x0006
struct TCHITTESTINFO {
    POINT pt;
    UINT flags;
};

// List view.
#define LVS_ICON 0x0000
#define LVS_SMALLICON 0x0002
#define LVS_LIST 0x0003
#define LVS_TYPEMASK 0x0003
#define LVS_SORTASCENDING 0x0010
#define LVS_SORTDESCENDING 0x0020
#define LVS_NOCOLUMNHEADER 0x4000
#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008
#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
// Check boxes are the row's state image: 1 unchecked, 2 checked.
#define LVIS_STATEIMAGEMASK 0xF000
#define INDEXTOSTATEIMAGEMASK(i) (static_cast<UINT>(i) << 12)
#define LVNI_ALL 0x0000
#define LVNI_SELECTED 0x0002
#define LVCF_FMT 0x0001
#define LVCFMT_LEFT 0x0000
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008
#define LVM_FIRST 0x1000
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMW (LVM_FIRST + 75)
#define LVM_SETITEMW (LVM_FIRST + 76)
#define LVM_INSERTITEMW (LVM_FIRST + 77)
#define LVM_GETITEMTEXTW (LVM_FIRST + 115)
#define LVM_SETITEMTEXTW (LVM_FIRST + 116)
#define LVM_GETCOLUMNW (LVM_FIRST + 95)
#define LVM_INSERTCOLUMNW (LVM_FIRST + 97)
#define LVM_DELETECOLUMN (LVM_FIRST + 28)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#define LVS_EX_CHECKBOXES 0x00000004
#define LVS_EX_FULLROWSELECT 0x00000020
#define LVN_FIRST (0U - 100U)
#define LVN_ITEMCHANGING (LVN_FIRST - 0)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_ITEMCHANGEDW LVN_ITEMCHANGED
struct LVITEMW {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
    int iGroupId;
    UINT cColumns;
    UINT* puColumns;
    int* piColFmt;
    int iGroup;
};
typedef LVITEMW* LPLVITEMW;
static_assert(sizeof(LVITEMW) == 88 && offsetof(LVITEMW, pszText) == 24 && offsetof(LVITEMW, lParam) == 40);
struct LVCOLUMNW {
    UINT mask;
    int fmt;
    int cx;
    LPWSTR pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
    int cxMin;
    int cxDefault;
    int cxIdeal;
};
typedef LVCOLUMNW* LPLVCOLUMNW;
static_assert(sizeof(LVCOLUMNW) == 56 && offsetof(LVCOLUMNW, pszText) == 16);
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
typedef NMLISTVIEW* LPNMLISTVIEW;
static_assert(sizeof(NMLISTVIEW) == 64 && offsetof(NMLISTVIEW, uChanged) == 40 && offsetof(NMLISTVIEW, lParam) == 56);

// The list view's calls as the platform's macros make them.
inline int ListView_GetItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
inline BOOL ListView_SetCheckState(HWND list, int item, BOOL check) {
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(check ? 2 : 1);
    return static_cast<BOOL>(SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state)));
}
inline BOOL ListView_GetCheckState(HWND list, int item) {
    return ((static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK)) >> 12) - 1) == 1;
}

// Extended combo box: a combo box whose rows carry images. Its own messages come with the combo
// box messages (CB_GETCURSEL, CB_SETCURSEL, CB_DELETESTRING, CB_GETCOUNT...), which act on its
// rows.
#define CBEIF_TEXT 0x00000001
#define CBEIF_IMAGE 0x00000002
#define CBEIF_SELECTEDIMAGE 0x00000004
#define CBEIF_LPARAM 0x00000020
#define CBEM_SETIMAGELIST (WM_USER + 2)
#define CBEM_GETIMAGELIST (WM_USER + 3)
#define CBEM_DELETEITEM CB_DELETESTRING
#define CBEM_GETCOMBOCONTROL (WM_USER + 6)
#define CBEM_GETEDITCONTROL (WM_USER + 7)
#define CBEM_INSERTITEMW (WM_USER + 11)
#define CBEM_SETITEMW (WM_USER + 12)
#define CBEM_GETITEMW (WM_USER + 13)
struct COMBOBOXEXITEMW {
    UINT mask;
    INT_PTR iItem;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int iOverlay;
    int iIndent;
    LPARAM lParam;
};
typedef COMBOBOXEXITEMW* PCOMBOBOXEXITEMW;
static_assert(sizeof(COMBOBOXEXITEMW) == 56 && offsetof(COMBOBOXEXITEMW, pszText) == 16 &&
              offsetof(COMBOBOXEXITEMW, lParam) == 48);

// Up-down arrows: a range, a position and a buddy window whose text shows the position
// (UDS_SETBUDDYINT). A press sends UDN_DELTAPOS first; a nonzero answer keeps the position.
#define UDS_WRAP 0x0001
#define UDS_ALIGNLEFT 0x0008
#define UDS_HORZ 0x0040
#define UDM_SETRANGE (WM_USER + 101)
#define UDM_GETRANGE (WM_USER + 102)
#define UDM_SETPOS (WM_USER + 103)
#define UDM_GETPOS (WM_USER + 104)
#define UDM_SETBUDDY (WM_USER + 105)
#define UDM_GETBUDDY (WM_USER + 106)
#define UDM_SETRANGE32 (WM_USER + 111)
#define UDM_GETRANGE32 (WM_USER + 112)
#define UDM_SETPOS32 (WM_USER + 113)
#define UDM_GETPOS32 (WM_USER + 114)
#define UDN_FIRST (0U - 721U)
#define UDN_DELTAPOS (UDN_FIRST - 1)
struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};
typedef NMUPDOWN* LPNMUPDOWN;
static_assert(sizeof(NMUPDOWN) == 32);

// Progress bar.
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETRANGE (WM_USER + 7)
#define PBM_GETPOS (WM_USER + 8)
#define PBM_SETMARQUEE (WM_USER + 10)

#include "prsht.h"
