// The cell rectangles of the watermark pass: where each logical page of the sheet lies on the
// printable area, by pages per sheet, _NUP_ORDER and the shape of the physical page.
#include <algorithm>
#include <vector>

#include <win/winspool_forms.h>

#include "oem_pdev.h"
#include "page_layout.h"

namespace {

struct Grid {
    LONG m_columns = 1;
    LONG m_rows = 1;
};

// The sheet's grid of cells over a printable area of w x h.
bool GridFor(DWORD pages, LONG w, LONG h, Grid* grid) {
    const bool tall = w <= h;
    switch (pages) {
    case 1: *grid = {1, 1}; return true;
    case 2: *grid = tall ? Grid{1, 2} : Grid{2, 1}; return true;
    case 4: *grid = {2, 2}; return true;
    case 6: *grid = tall ? Grid{2, 3} : Grid{3, 2}; return true;
    case 9: *grid = {3, 3}; return true;
    case 16: *grid = {4, 4}; return true;
    default: return false;
    }
}

// Column and row of page i in a grid of the page's own orientation, by _NUP_ORDER.
void PlaceInOrder(BYTE order, LONG i, const Grid& grid, LONG* column, LONG* row) {
    switch (order) {
    case 2:  // columns top to bottom, left column first
        *row = i % grid.m_rows;
        *column = i / grid.m_rows;
        break;
    case 3:  // rows right to left, top row first
        *column = grid.m_columns - 1 - i % grid.m_columns;
        *row = i / grid.m_columns;
        break;
    case 4:  // columns top to bottom, right column first
        *row = i % grid.m_rows;
        *column = grid.m_columns - 1 - i / grid.m_rows;
        break;
    default:  // rows left to right, top row first
        *column = i % grid.m_columns;
        *row = i / grid.m_columns;
        break;
    }
}

// A page of width x height fitted into the cell, keeping its shape, centred in the free direction.
RECTL FitInto(const RECTL& cell, LONG width, LONG height) {
    const LONG cw = cell.right - cell.left;
    const LONG ch = cell.bottom - cell.top;
    if (width <= 0 || height <= 0 || cw <= 0 || ch <= 0) return cell;
    LONG fw = cw;
    LONG fh = ch;
    if (static_cast<LONGLONG>(width) * ch > static_cast<LONGLONG>(height) * cw)
        fh = MulDiv(height, cw, width);
    else
        fw = MulDiv(width, ch, height);
    const LONG left = cell.left + (cw - fw) / 2;
    const LONG top = cell.top + (ch - fh) / 2;
    return RECTL{left, top, left + fw, top + fh};
}

// The size (tenths of a millimetre, portrait) of a paper of the printer's list, or false.
bool PaperSize(const OemPdev* pdev, DWORD paper, POINT* size) {
    const LPCWSTR printer = pdev->m_printerName.c_str();
    const int count = DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, nullptr, nullptr);
    if (count <= 0) return false;
    std::vector<WORD> papers(static_cast<size_t>(count));
    std::vector<POINT> sizes(static_cast<size_t>(count));
    if (DeviceCapabilitiesW(printer, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()), nullptr) != count ||
        DeviceCapabilitiesW(printer, nullptr, DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()), nullptr) != count)
        return false;
    for (int i = 0; i < count; ++i)
        if (papers[static_cast<size_t>(i)] == paper) {
            *size = sizes[static_cast<size_t>(i)];
            return true;
        }
    return false;
}

// One page per sheet: the source page fitted to the paper when scaling to paper, else the printable
// area scaled by the percentage.
RECTL SinglePage(const OemPdev* pdev, LONG w, LONG h) {
    const PageLayout& layout = pdev->m_layout;
    const RECTL whole{0, 0, w, h};
    if (layout.m_scaleToPaper == 1) {
        const PDEVMODEW devmode = pdev->m_publicDevmode;
        DWORD paper = layout.m_firstPagePaperSize;
        if (paper == 0xFFFFFFFF) paper = devmode ? static_cast<DWORD>(devmode->dmPaperSize) : 0;
        POINT size{};
        if (!PaperSize(pdev, paper, &size)) return whole;
        if (layout.m_landscape) std::swap(size.x, size.y);
        const LONG resolution = layout.m_resolution;
        const LONG width = MulDiv(size.x, resolution, 254) - (layout.m_gdiInfo.szlPhysSize.cx - w);
        const LONG height = MulDiv(size.y, resolution, 254) - (layout.m_gdiInfo.szlPhysSize.cy - h);
        return FitInto(whole, width, height);
    }
    if (layout.m_scalePercent != 100)
        return RECTL{0, 0, MulDiv(w, layout.m_scalePercent, 100), MulDiv(h, layout.m_scalePercent, 100)};
    return whole;
}

}  // namespace

HRESULT SheetCellRectangles(const OemPdev* pdev, SheetCells* cells) {
    if (!pdev || !cells) return E_INVALIDARG;
    const PageLayout& layout = pdev->m_layout;
    const LONG w = static_cast<LONG>(layout.m_gdiInfo.ulHorzRes);
    const LONG h = static_cast<LONG>(layout.m_gdiInfo.ulVertRes);
    const LONG physicalWidth = layout.m_gdiInfo.szlPhysSize.cx;
    const LONG physicalHeight = layout.m_gdiInfo.szlPhysSize.cy;
    Grid sheet;
    if (layout.m_resolution == 0 || physicalWidth <= 0 || physicalHeight <= 0 || w <= 0 || h <= 0 ||
        !GridFor(layout.m_pagesPerSheet, w, h, &sheet))
        return E_FAIL;

    *cells = SheetCells{};
    cells->m_count = layout.m_pagesPerSheet;
    if (layout.m_pagesPerSheet == 1) {
        cells->m_cells[0].m_cell = RECTL{0, 0, w, h};
        cells->m_cells[0].m_page = SinglePage(pdev, w, h);
        return S_OK;
    }

    // A page whose shape differs from its cell's lies turned a quarter to the left: its top
    // towards the sheet's left edge. The order then runs in the page's own grid.
    // Judged on the grid, not on one cell's rounded size: every cell turns alike.
    const bool wideCell = static_cast<LONGLONG>(w) * sheet.m_rows > static_cast<LONGLONG>(h) * sheet.m_columns;
    const bool widePage = physicalWidth > physicalHeight;
    const bool rotated = wideCell != widePage;
    cells->m_rotated = rotated ? 1 : 0;
    const Grid pageGrid = rotated ? Grid{sheet.m_rows, sheet.m_columns} : sheet;
    const LONG pageWidth = rotated ? physicalHeight : physicalWidth;
    const LONG pageHeight = rotated ? physicalWidth : physicalHeight;

    for (LONG i = 0; i < static_cast<LONG>(layout.m_pagesPerSheet); ++i) {
        LONG column = 0;
        LONG row = 0;
        PlaceInOrder(layout.m_nupOrder, i, pageGrid, &column, &row);
        if (rotated) {
            const LONG pageColumn = column;
            column = row;
            row = pageGrid.m_columns - 1 - pageColumn;
        }
        const RECTL cell{column * w / sheet.m_columns, row * h / sheet.m_rows, (column + 1) * w / sheet.m_columns,
                         (row + 1) * h / sheet.m_rows};
        CellRectangles& out = cells->m_cells[i];
        out.m_cell = cell;
        out.m_page = FitInto(cell, pageWidth, pageHeight);
    }
    return S_OK;
}

bool InsidePrintableArea(const OemPdev* pdev, const RECTL& rect) {
    if (!pdev) return false;
    const LONG w = static_cast<LONG>(pdev->m_layout.m_gdiInfo.ulHorzRes);
    const LONG h = static_cast<LONG>(pdev->m_layout.m_gdiInfo.ulVertRes);
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom && rect.right <= w &&
           rect.bottom <= h;
}
