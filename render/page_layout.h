// The job's layout as the plug-in sees it, kept in the OEM PDEV: scaling, N-up cells with their
// line marks, booklet, duplex kind, poster, watermark settings, the resolution, and the document's
// page and sheet counts with the page counter. It is loaded from the settings at EnablePDEV, at the
// first StartDoc and at each StartPage, advanced at each page end, and carried to a new PDEV when
// the DEVMODE changes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <win/prcomoem.h>
#include <win/windows.h>

struct OemPdev;

// Most cells a sheet holds.
inline constexpr DWORD kMaxCells = 16;
// The pages per sheet that _NUP_PAGES indexes (values from 6 up mean one page).
inline constexpr DWORD kPagesPerSheet[] = {1, 2, 4, 6, 9, 16};

// Pages per sheet for a stored _NUP_PAGES value.
inline DWORD PagesPerSheetFor(BYTE index) {
    return index < 6 ? kPagesPerSheet[index] : 1;
}

// Layout flags.
inline constexpr DWORD kLayoutPageOrder0 = 0x1;
inline constexpr DWORD kLayoutPageOrder1 = 0x2;
inline constexpr DWORD kLayoutBooklet = 0x4;
inline constexpr DWORD kLayoutDuplexType2 = 0x10;
inline constexpr DWORD kLayoutDuplexType3 = 0x20;
inline constexpr DWORD kLayoutPageSettingsLoaded = 0x100;

// The line marks of one N-up cell: a horizontal line above or below its centre, a vertical one
// left or right of it.
inline constexpr BYTE kMarkAbove = 0x1;
inline constexpr BYTE kMarkBelow = 0x2;
inline constexpr BYTE kMarkLeft = 0x4;
inline constexpr BYTE kMarkRight = 0x8;

// Most characters of the watermark text and font name.
inline constexpr size_t kWatermarkChars = 64;

struct WatermarkSettings {
    BYTE m_on = 0;
    BYTE m_firstPageOnly = 0;
    std::u16string m_text;
    std::u16string m_font;
    BYTE m_angle = 0;
    WORD m_degree = 0;
    DWORD m_color = 0;
    WORD m_shade = 0;
    WORD m_size = 0;
    BYTE m_style = 0;
    DWORD m_mode = 0;  // the printer's _WMKMODE
};

// What one page draws besides the application's output; made by the watermark pass and freed at
// each page end.
struct PageObjects {
    std::vector<BYTE> m_pageBuffer;
};

struct PageLayout {
    GDIINFO m_gdiInfo{};                 // as the universal driver enabled the PDEV
    SIZEL m_surfaceSize{};               // of the page's surface at StartPage
    DWORD m_scaleMode = 0;               // 0 none, 1 enlarge, 2 fit to paper
    WORD m_scalePercent = 100;
    BYTE m_scaleToPaper = 0;             // _SCALEDOCON_ENABLED
    BYTE m_scaleToFit = 0;               // _SCALEDOCON_TOFIT
    WORD m_scaleToPaperSize = 0;         // _SCALEDOCON_SIZE
    LONG m_targetWidth = 0;              // device units
    LONG m_targetHeight = 0;
    BYTE m_rotated = 0;                  // _ROTATED
    BYTE m_printTextBlack = 0;           // _PRNTXTBLACK
    DWORD m_landscape = 0;
    DWORD m_firstPageLandscape = 0;
    WORD m_copies = 1;
    WORD m_collate = 1;
    DWORD m_nupOn = 0;
    DWORD m_pagesPerSheet = 1;
    BYTE m_nupBorder = 0;
    BYTE m_nupOrder = 0;
    DWORD m_cellCount = 1;
    POINTL m_cellCentres[kMaxCells] = {};
    SIZEL m_cellSize{};
    BYTE m_lineMarks[kMaxCells] = {};    // kMark* per cell
    double m_scaleFactor = 1.0;
    WORD m_duplex = 0;                   // the public dmDuplex
    DWORD m_duplexType = 0;              // the printer's _DUPLEXTYPE
    BYTE m_booklet = 0;
    BYTE m_bookletSide = 0;              // 1 or 2
    BYTE m_pageOrder = 0;
    DWORD m_flags = 0;                   // kLayout*
    BYTE m_poster = 0;
    BYTE m_posterCrop = 0;
    DWORD m_deviceType = 1;
    WatermarkSettings m_watermark;
    DWORD m_bindingAdjustRect[4] = {};
    DWORD m_nupPageOrient = 0;           // bit i: logical page i of the sheet is landscape
    WORD m_resolution = 600;
    DWORD m_firstPagePaperSize = 0xFFFFFFFF;  // none
    std::unique_ptr<PageObjects> m_pageObjects;
    // The page-order list of the document (PageOrderList), built on first use for the page count
    // it was asked for.
    std::vector<DWORD> m_pageOrderList;
    DWORD m_pageOrderListPages = 0;
    bool m_pageOrderListBuilt = false;
};

// The document's counts. The job identifier is 0 until a document starts on the PDEV.
struct DocumentCounters {
    DWORD m_jobId = 0;
    DWORD m_docPageCount = 0;      // _ACC_DOCPAGECOUNT of the job's private devmode
    DWORD m_spoolerPageCount = 0;  // the spooler's page count of the job
    DWORD m_sheetCount = 0;
    DWORD m_pageCounter = 0;       // pages ended so far
};

// At EnablePDEV: the device's GDIINFO (may be null), the scaling of a job in the spooler, black
// text, and the scaled target size.
void LoadLayoutSettings(OemPdev* pdev, const GDIINFO* gdiInfo);
// At the first StartDoc, at each StartPage and after ResetPDEV: the page's settings from the
// public and private devmodes and the printer settings, and the N-up cells.
void LoadPageSettings(OemPdev* pdev);
// At each StartPage, given the surface's size.
void StartPageLayout(OemPdev* pdev, SIZEL surfaceSize);
// At each page end: frees the page's objects and counts the page.
void FreePageObjects(OemPdev* pdev);
// Counts the job's sheets: mode 0 from the spooler's page count of the job (a job the spooler does
// not have, or one without a DEVMODE, leaves the counts as they are), mode 1 from the page count
// already held.
void CountDuplexSheets(OemPdev* pdev, DWORD mode);
// At ResetPDEV: moves the document's state from the old PDEV to the new one. E_FAIL when either is
// missing.
HRESULT CarryPDEVState(OemPdev* newPdev, OemPdev* oldPdev);
// Before a line is drawn: sets the marks of the N-up cells a horizontal or vertical line crosses.
void MarkCellCrossings(OemPdev* pdev, LONG x1, LONG y1, LONG x2, LONG y2);

// --- Page-order lists and cell rectangles, for the watermark pass ---------------------------------

// Most pages a document may say it has (_ACC_DOCPAGECOUNT) for the plug-in to plan its sheets.
inline constexpr DWORD kMaxDocumentPages = 100000;

// The page numbers of a job of pageCount logical pages in the order the sheets come out, as the
// watermark pass reads them (one entry per sheet without booklet, four per booklet sheet; numbers
// above the page count are blank booklet pages, 0 an entry the order leaves unset). Without
// booklet the list has an even length; a single sheet gets its list too ({1, 0}), so that its
// first entry can always be read. No pages, no list. E_INVALIDARG for more than
// kMaxDocumentPages pages, E_FAIL for a booklet side other than 1 or 2, E_OUTOFMEMORY when the
// list cannot be had (the list is then empty in each case).
HRESULT BuildPageOrderList(const OemPdev* pdev, DWORD pageCount, std::vector<DWORD>* list);
// The document's list for its _ACC_DOCPAGECOUNT, built on first use and kept in the layout; empty
// when it cannot be built.
const std::vector<DWORD>& PageOrderList(OemPdev* pdev);

// The entry of the page-order list that the current sheet of a manual-duplex job prints, and the
// entry of the job's first page. m_hasFirstPage is false where there is none (collated copies
// before the last run of fronts).
struct ManualDuplexEntry {
    DWORD m_index = 0;
    bool m_hasFirstPage = false;
    DWORD m_firstPageIndex = 0;
};
// False when the sheet has no entry: a list with no half to count in (fewer than two entries,
// four for a booklet), or a sheet past the list's end. Copies of 0 count as 1.
bool ManualDuplexListEntry(const OemPdev* pdev, DWORD listLength, ManualDuplexEntry* entry);

// Where logical page i of the sheet goes, in device units of the printable area: the page fitted
// into its cell keeping the physical page's shape (m_page), and the whole cell (m_cell), which
// stands in when the page's rectangle does not lie inside the printable area.
struct CellRectangles {
    RECTL m_page{};
    RECTL m_cell{};
};
struct SheetCells {
    DWORD m_count = 0;          // pages per sheet
    DWORD m_rotated = 0;        // 1: the pages lie turned in their cells
    CellRectangles m_cells[kMaxCells];
};
// The sheet's cells in the order of _NUP_ORDER. E_FAIL for a resolution or physical size of 0, or
// pages per sheet that are no N-up count.
HRESULT SheetCellRectangles(const OemPdev* pdev, SheetCells* cells);
// The rectangle lies inside the printable area and is not empty.
bool InsidePrintableArea(const OemPdev* pdev, const RECTL& rect);
