// The kit's own property pages (UI type 2): the pages added for the SHEET records, the take-over of
// the universal driver's page by the first record, the pages' dialog procedures with their help,
// the dialogs and nested sheets that push-button items open, and the relaunch of the printer sheet
// with administrator rights. Every page and dialog carries the sheet state in its "QORVAUIDATA"
// property.
#pragma once

#include <win/compstui.h>
#include <win/prsht.h>
#include <win/windows.h>

#include "couipluginext.h"

// Window properties of the plug-in's pages.
inline constexpr char16_t kSheetStateProperty[] = u"QORVAUIDATA";
inline constexpr char16_t kOriginalProcProperty[] = u"OrgDlgProc";
// The class of the driver's pointer-shaped statics (the page preview).
inline constexpr char16_t kStaticHandClass[] = u"StaticHand";
inline constexpr DWORD kStaticHandCursor = 100;
// The button of the driver's pages that offers the printer sheet with administrator rights.
inline constexpr int kElevateButton = 9353;

// The sheet state a page or dialog carries (null when none).
CoUIPluginExt* SheetStateOf(HWND window);

// Version tests of the running system (this version or a later one).
BOOL IsWindows60OrLater();
BOOL IsWindows61OrLater();

// Loads the visual-styles library from the system directory and keeps its dialog-texture call.
void LoadThemeCall(CoUIPluginExt* state);
// Registers "StaticHand" once per process (an existing class is kept); FALSE when it cannot.
BOOL RegisterStaticHand(CoUIPluginExt* state);

// The universal driver's page built from SHEET record 0 (TRUE when done now), the tabs laid out
// once, and the first activation of a kit page before the universal driver's page was made.
BOOL TakeOverPage(CoUIPluginExt* state, HWND page);
void LayoutTabs(CoUIPluginExt* state, HWND page);
void FirstActivation(CoUIPluginExt* state, HWND page);
// The item callback's part at CPSUICB_REASON_SETACTIVE (the elevation offer of the printer
// sheet in the platform's tree, the take-over the first time).
void OnSheetActivated(CoUIPluginExt* state, HWND page);

// The pages' dialog procedures.
INT_PTR CALLBACK DlgProcDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgProcPrinter(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The SHEET record a page's help belongs to: count - tabs + page index, kept inside the records.
DWORD HelpSheetIndex(DWORD sheetCount, LONG tabCount, LONG pageIndex);

// What push-button items open.
LONG CALLBACK PushCallback(CPSUICBPARAM* callback);
INT_PTR CALLBACK PushDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NestedPageDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A nested property sheet of the options of a TVOT_PROPSHEET item: pages (kept in *pages, at most
// maxPages) and a header for PropertySheetW. E_FAIL when no page can be made.
HRESULT BuildNestedPropertySheet(CoUIPluginExt* state, POPTITEM item, HWND parent, PROPSHEETPAGEW* pages,
                                 UINT maxPages, PROPSHEETHEADERW* header);
// The common property sheet of a TVOT_PROPSHEETUI item: its record for NestedSheetProc, made from
// the plug-in heap (FreeNestedComPropSheet frees it). E_FAIL when it would show nothing.
struct NestedSheetEntry {
    DWORD m_function;  // CPSFUNC_ADD_PROPSHEETPAGEW or CPSFUNC_ADD_PCOMPROPSHEETUIW
    LPARAM m_parameter;
};
struct NestedSheetRecord {
    CoUIPluginExt* m_state;
    HWND m_parent;
    LPCWSTR m_title;
    NestedSheetEntry* m_entries;
    DWORD m_count;
};
HRESULT BuildNestedComPropSheet(CoUIPluginExt* state, POPTITEM item, HWND parent, NestedSheetRecord** record);
void FreeNestedComPropSheet(NestedSheetRecord* record);
LONG CALLBACK NestedSheetProc(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG CALLBACK NestedItemCallback(CPSUICBPARAM* callback);
// TRUE as soon as one item of a standard group the item names has no handler or a handler without
// a generic dialog link.
BOOL HasUnplacedStandardItems(CoUIPluginExt* state, POPTITEM item);

// Starts the printer sheet with administrator rights and closes this one; 0.
LRESULT ElevateSheet(CoUIPluginExt* state, HWND page);
