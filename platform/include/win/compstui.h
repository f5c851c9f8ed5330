// Records of the common property sheet: an option item (OPTITEM), the option type that says how
// the item is shown and edited (OPTTYPE) and the options of that type (OPTPARAM). Layouts are the
// x64 ones: the sheet, the universal driver and the plug-ins all share these records in memory.
#pragma once

#include <cstddef>

#include "wintypes.h"
#include "winuser.h"

// OPTTYPE.Type: how an item is edited. The item's value lives in OPTITEM.Sel (an option index or
// a number) or, for TVOT_EDITBOX, in the text buffer that OPTITEM.pSel points to.
#define TVOT_2STATES 0     // two options; Sel the index
#define TVOT_3STATES 1     // three options; Sel the index
#define TVOT_UDARROW 2     // up-down number; pOptParam[1]: IconID minimum, lParam maximum
#define TVOT_TRACKBAR 3    // slider; pOptParam[1] the range, pOptParam[2] the step
#define TVOT_SCROLLBAR 4   // scroll bar; as TVOT_TRACKBAR
#define TVOT_LISTBOX 5     // list of Count options; Sel the index
#define TVOT_COMBOBOX 6    // drop-down list of Count options; Sel the index
#define TVOT_EDITBOX 7     // text in the buffer pSel; pOptParam[1].IconID its size in characters
#define TVOT_PUSHBUTTON 8  // a button
#define TVOT_CHKBOX 9      // check box; Sel 0 or 1
#define TVOT_NSTATES_EX 10 // options shown as a row of icons; Sel the index
#define TVOT_NONE 11       // no control; no option type

// OPTITEM.Flags.
#define OPTIF_COLLAPSE 0x00000001L
#define OPTIF_HIDE 0x00000002L
#define OPTIF_CALLBACK 0x00000004L
#define OPTIF_CHANGED 0x00000008L     // the user changed the value
#define OPTIF_CHANGEONCE 0x00000010L  // the value was changed at least once while the sheet was open
#define OPTIF_DISABLED 0x00000020L
#define OPTIF_ECB_CHECKED 0x00000040L  // the item's extended check box is checked

// OPTPARAM.Flags.
#define OPTPF_HIDE 0x01
#define OPTPF_DISABLED 0x02

// One option of an option type.
struct OPTPARAM {
    WORD cbSize;       // 48
    BYTE Flags;        // OPTPF_*
    BYTE Style;
    LPWSTR pData;      // the option's text, or a resource id below 0x10000
    ULONG_PTR IconID;
    LPARAM lParam;     // the option's value, kept for whoever made the option
    ULONG_PTR dwReserved[2];
};
typedef OPTPARAM* POPTPARAM;

// How an item is edited, with its options.
struct OPTTYPE {
    WORD cbSize;       // 48
    BYTE Type;         // TVOT_*
    BYTE Flags;
    WORD Count;        // options in pOptParam
    WORD BegCtrlID;
    POPTPARAM pOptParam;
    WORD Style;
    WORD wReserved[3];
    ULONG_PTR dwReserved[3];
};
typedef OPTTYPE* POPTTYPE;

// One item of the sheet's tree.
struct OPTITEM {
    WORD cbSize;       // 88
    BYTE Level;
    BYTE DlgPageIdx;
    DWORD Flags;       // OPTIF_*
    ULONG_PTR UserData;  // whoever made the item keeps its own record here
    LPWSTR pName;      // text, or a resource id below 0x10000
    union {
        LONG Sel;      // option index or number
        LPWSTR pSel;   // TVOT_EDITBOX: the text buffer
    };
    union {
        void* pExtChkBox;
        void* pExtPush;
    };
    POPTTYPE pOptType; // none for TVOT_NONE items
    DWORD HelpIndex;
    BYTE DMPubID;
    BYTE UserItemID;
    WORD wReserved;
    void* pOIExt;
    ULONG_PTR dwReserved[3];
};
typedef OPTITEM* POPTITEM;

// The extended check box an item may carry beside its control (OPTITEM.pExtChkBox); its state is
// the item's OPTIF_ECB_CHECKED flag.
struct EXTCHKBOX {
    WORD cbSize;       // 64
    WORD Flags;
    LPCWSTR pTitle;
    LPCWSTR pSeparator;
    LPCWSTR pCheckedName;
    ULONG_PTR IconID;
    WORD wReserved[4];
    ULONG_PTR dwReserved[2];
};
typedef EXTCHKBOX* PEXTCHKBOX;

static_assert(sizeof(OPTPARAM) == 48);
static_assert(offsetof(OPTPARAM, Flags) == 2 && offsetof(OPTPARAM, Style) == 3 && offsetof(OPTPARAM, pData) == 8);
static_assert(offsetof(OPTPARAM, IconID) == 16 && offsetof(OPTPARAM, lParam) == 24 &&
              offsetof(OPTPARAM, dwReserved) == 32);
static_assert(sizeof(OPTTYPE) == 48);
static_assert(offsetof(OPTTYPE, Type) == 2 && offsetof(OPTTYPE, Flags) == 3 && offsetof(OPTTYPE, Count) == 4);
static_assert(offsetof(OPTTYPE, BegCtrlID) == 6 && offsetof(OPTTYPE, pOptParam) == 8 && offsetof(OPTTYPE, Style) == 16);
static_assert(offsetof(OPTTYPE, dwReserved) == 24);
static_assert(sizeof(OPTITEM) == 88);
static_assert(offsetof(OPTITEM, Level) == 2 && offsetof(OPTITEM, DlgPageIdx) == 3 && offsetof(OPTITEM, Flags) == 4);
static_assert(offsetof(OPTITEM, UserData) == 8 && offsetof(OPTITEM, pName) == 16 && offsetof(OPTITEM, Sel) == 24);
static_assert(offsetof(OPTITEM, pSel) == 24 && offsetof(OPTITEM, pExtChkBox) == 32 && offsetof(OPTITEM, pOptType) == 40);
static_assert(offsetof(OPTITEM, HelpIndex) == 48 && offsetof(OPTITEM, DMPubID) == 52 && offsetof(OPTITEM, UserItemID) == 53);
static_assert(offsetof(OPTITEM, pOIExt) == 56 && offsetof(OPTITEM, dwReserved) == 64);
static_assert(sizeof(EXTCHKBOX) == 64);
static_assert(offsetof(EXTCHKBOX, pTitle) == 8 && offsetof(EXTCHKBOX, pSeparator) == 16 &&
              offsetof(EXTCHKBOX, pCheckedName) == 24);
static_assert(offsetof(EXTCHKBOX, IconID) == 32 && offsetof(EXTCHKBOX, wReserved) == 40 &&
              offsetof(EXTCHKBOX, dwReserved) == 48);

// The callback record the sheet hands to an item's callback (an item with OPTIF_CALLBACK): why it
// calls (Reason), the items, the item concerned with the selection it had before, and the dialog.
struct CPSUICBPARAM {
    WORD cbSize;       // 64
    WORD Reason;       // CPSUICB_REASON_*
    HWND hDlg;         // the page, or null when none is shown
    POPTITEM pOptItem; // the items of the callback's owner
    WORD cOptItem;
    WORD Flags;
    POPTITEM pCurItem; // the item concerned
    union {
        LONG OldSel;   // its selection before the change
        LPWSTR pOldSel;
    };
    ULONG_PTR UserData;
    ULONG_PTR Result;
};
typedef CPSUICBPARAM* PCPSUICBPARAM;

static_assert(sizeof(CPSUICBPARAM) == 64);
static_assert(offsetof(CPSUICBPARAM, Reason) == 2 && offsetof(CPSUICBPARAM, hDlg) == 8 &&
              offsetof(CPSUICBPARAM, pOptItem) == 16 && offsetof(CPSUICBPARAM, cOptItem) == 24);
static_assert(offsetof(CPSUICBPARAM, Flags) == 26 && offsetof(CPSUICBPARAM, pCurItem) == 32 &&
              offsetof(CPSUICBPARAM, OldSel) == 40 && offsetof(CPSUICBPARAM, UserData) == 48 &&
              offsetof(CPSUICBPARAM, Result) == 56);

// CPSUICBPARAM.Reason.
#define CPSUICB_REASON_SEL_CHANGED 0
#define CPSUICB_REASON_PUSHBUTTON 1
#define CPSUICB_REASON_ECB_CHANGED 2
#define CPSUICB_REASON_DLGPROC 3
#define CPSUICB_REASON_UNDO_CHANGES 4
#define CPSUICB_REASON_EXTPUSH 5
#define CPSUICB_REASON_APPLYNOW 6
#define CPSUICB_REASON_OPTITEM_SETFOCUS 7
#define CPSUICB_REASON_ITEMS_REVERTED 8
#define CPSUICB_REASON_ABOUT 9
#define CPSUICB_REASON_SETACTIVE 10
#define CPSUICB_REASON_KILLACTIVE 11

// What an item callback answers.
#define CPSUICB_ACTION_NONE 0
#define CPSUICB_ACTION_OPTIF_CHANGED 1
#define CPSUICB_ACTION_REINIT_ITEMS 2
#define CPSUICB_ACTION_NO_APPLY_EXIT 3
#define CPSUICB_ACTION_ITEMS_APPLIED 4

// OPTTYPE.Style and OPTPARAM.Style of push buttons.
#define OTS_PUSH_NO_DOT_DOT_DOT 0x0040
#define PUSHBUTTON_TYPE_CALLBACK 1

#define TVOT_PROPSHEET 15    // a button that opens a property sheet
#define TVOT_PROPSHEETUI 16  // a button that opens a common property sheet
#define TVOT_TABCONTROL 20   // a tab control; Sel the tab

// Push-button styles (OPTPARAM.Style of a TVOT_PUSHBUTTON item's option).
#define PUSHBUTTON_TYPE_DLGPROC 0
#define PUSHBUTTON_TYPE_HTCLRADJ 2
#define PUSHBUTTON_TYPE_HTSETUP 3

// The common property sheet: a tree of handles, each a set of pages that its owner added through
// the sheet's function (PFNCOMPROPSHEET). CommonPropertySheetUIW calls the caller's PFNPROPSHEETUI
// to fill the root, builds one property sheet of every page in tree order and runs it modally.
#include "prsht.h"

typedef LONG_PTR(CALLBACK* PFNCOMPROPSHEET)(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2);
struct PROPSHEETUI_INFO {
    WORD cbSize;
    WORD Version;
    WORD Flags;
    WORD Reason;
    HANDLE hComPropSheet;
    PFNCOMPROPSHEET pfnComPropSheet;
    LPARAM lParamInit;
    ULONG_PTR UserData;
    ULONG_PTR Result;
};
typedef PROPSHEETUI_INFO* PPROPSHEETUI_INFO;
static_assert(sizeof(PROPSHEETUI_INFO) == 48 && offsetof(PROPSHEETUI_INFO, hComPropSheet) == 8 &&
              offsetof(PROPSHEETUI_INFO, Result) == 40);
#define PROPSHEETUI_INFO_VERSION 0x0100
#define PSUIINFO_UNICODE 0x0001
typedef LONG(CALLBACK* PFNPROPSHEETUI)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);

#define PROPSHEETUI_REASON_INIT 0
#define PROPSHEETUI_REASON_GET_INFO_HEADER 1
#define PROPSHEETUI_REASON_DESTROY 2
#define PROPSHEETUI_REASON_SET_RESULT 3
#define PROPSHEETUI_REASON_GET_ICON 4
#define PROPSHEETUI_REASON_BEFORE_INIT 5

// GET_INFO_HEADER's record (lParam).
#define PSUIHDRF_OBSOLETE 0x0001
#define PSUIHDRF_NOAPPLYNOW 0x0002
#define PSUIHDRF_PROPTITLE 0x0004
#define PSUIHDRF_USEHICON 0x0008
#define PSUIHDRF_DEFTITLE 0x0010
#define PSUIHDRF_EXACT_PTITLE 0x0020
struct PROPSHEETUI_INFO_HEADER {
    WORD cbSize;
    WORD Flags;
    LPWSTR pTitle;
    HWND hWndParent;
    HINSTANCE hInst;
    union {
        HICON hIcon;
        ULONG_PTR IconID;
    };
};
typedef PROPSHEETUI_INFO_HEADER* PPROPSHEETUI_INFO_HEADER;
static_assert(sizeof(PROPSHEETUI_INFO_HEADER) == 40 && offsetof(PROPSHEETUI_INFO_HEADER, hWndParent) == 16);

// SET_RESULT's record (lParam): the handle whose result is told, and the result.
struct SETRESULT_INFO {
    WORD cbSize;
    WORD wReserved;
    HANDLE hSetResult;
    LRESULT Result;
};
typedef SETRESULT_INFO* PSETRESULT_INFO;
static_assert(sizeof(SETRESULT_INFO) == 24);

// Results of the sheet (CommonPropertySheetUIW's *pResult and SET_RESULT).
#define CPSUI_CANCEL 0
#define CPSUI_OK 1
#define CPSUI_RESTARTWINDOWS 2
#define CPSUI_REBOOTSYSTEM 3
#define ERR_CPSUI_GETLASTERROR (-1)

// The sheet's functions.
#define CPSFUNC_ADD_HPROPSHEETPAGE 0
#define CPSFUNC_ADD_PROPSHEETPAGEW 1
#define CPSFUNC_ADD_PCOMPROPSHEETUIA 2
#define CPSFUNC_ADD_PCOMPROPSHEETUIW 3
#define CPSFUNC_ADD_PFNPROPSHEETUIA 4
#define CPSFUNC_ADD_PFNPROPSHEETUIW 5
#define CPSFUNC_DELETE_HCOMPROPSHEET 6
#define CPSFUNC_SET_HSTARTPAGE 7
#define CPSFUNC_GET_PAGECOUNT 8
#define CPSFUNC_SET_RESULT 9
#define CPSFUNC_GET_HPSUIPAGES 10
#define CPSFUNC_LOAD_CPSUI_STRINGA 11
#define CPSFUNC_LOAD_CPSUI_STRINGW 12
#define CPSFUNC_LOAD_CPSUI_ICON 13
#define CPSFUNC_GET_PFNPROPSHEETUI_ICON 14
#define CPSFUNC_ADD_PROPSHEETPAGEA 15
#define CPSFUNC_INSERT_PSUIPAGEA 16
#define CPSFUNC_INSERT_PSUIPAGEW 17
#define CPSFUNC_SET_PSUIPAGE_TITLEA 18
#define CPSFUNC_SET_PSUIPAGE_TITLEW 19
#define CPSFUNC_SET_PSUIPAGE_ICON 20
#define CPSFUNC_SET_DATABLOCK 21
#define CPSFUNC_QUERY_DATABLOCK 22
#define CPSFUNC_SET_DMPUB_HIDEBITS 23
#define CPSFUNC_IGNORE_CPSUI_PSN_APPLY 24
#define CPSFUNC_DO_APPLY_CPSUI 25
#define CPSFUNC_SET_FUSION_CONTEXT 26

// The item callback of a COMPROPSHEETUI (CPSUICBPARAM above).
typedef LONG(CALLBACK* _CPSUICALLBACK)(PCPSUICBPARAM pCPSUICBParam);

// A page of a COMPROPSHEETUI: a dialog template of the caller, or one of the sheet's own pages
// (DP_STD_TREEVIEWPAGE shows the items as a tree).
#define DP_STD_TREEVIEWPAGE 0xFFFF
#define DP_STD_DOCPROPPAGE2 0xFFFE
#define DP_STD_DOCPROPPAGE1 0xFFFD
#define DPF_ICONID_AS_HICON 0x0001
#define DPF_USE_HDLGTEMPLATE 0x0002
struct DLGPAGE {
    WORD cbSize;
    WORD Flags;
    DLGPROC DlgProc;
    LPWSTR pTabName;
    ULONG_PTR IconID;
    union {
        WORD DlgTemplateID;
        HANDLE hDlgTemplate;
    };
};
typedef DLGPAGE* PDLGPAGE;
static_assert(sizeof(DLGPAGE) == 40 && offsetof(DLGPAGE, pTabName) == 16 && offsetof(DLGPAGE, DlgTemplateID) == 32);

#define CPSUIF_UPDATE_PERMISSION 0x0001
#define CPSUIF_ICONID_AS_HICON 0x0002
#define CPSUIF_ABOUT_CALLBACK 0x0004
#define COMPROPSHEETUI_VERSION 0x0100
struct COMPROPSHEETUI {
    WORD cbSize;
    WORD Flags;
    HINSTANCE hInstCaller;
    LPWSTR pCallerName;
    ULONG_PTR UserData;
    LPWSTR pHelpFile;
    _CPSUICALLBACK pfnCallBack;
    POPTITEM pOptItem;
    PDLGPAGE pDlgPage;
    WORD cOptItem;
    WORD cDlgPage;
    ULONG_PTR IconID;
    LPWSTR pOptItemName;
    WORD CallerVersion;
    WORD OptItemVersion;
    ULONG_PTR dwReserved[4];
};
typedef COMPROPSHEETUI* PCOMPROPSHEETUI;
static_assert(sizeof(COMPROPSHEETUI) == 128 && offsetof(COMPROPSHEETUI, pfnCallBack) == 40 &&
              offsetof(COMPROPSHEETUI, cOptItem) == 64 && offsetof(COMPROPSHEETUI, IconID) == 72 &&
              offsetof(COMPROPSHEETUI, CallerVersion) == 88);

// Runs the common property sheet of pfnPropSheetUI modally on hWndOwner. *pResult (when given)
// gets the sheet's result (CPSUI_OK or CPSUI_CANCEL). Answers the number of pages shown (0 when
// there were none), ERR_CPSUI_GETLASTERROR when the sheet could not be made.
WINBASEAPI LONG CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam, LPDWORD pResult);
