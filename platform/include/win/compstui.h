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
