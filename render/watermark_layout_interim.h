// Interim stand-ins for the page layout's page-order list and cell rectangles, with the same
// surface as the page layout gives them, until that work is on this branch.
#pragma once

#include <vector>

#include <win/windows.h>

#include "page_layout.h"

struct OemPdev;

const std::vector<DWORD>& PageOrderList(OemPdev* pdev);
struct CellRectangles {
    RECTL m_page{};
    RECTL m_cell{};
};
struct SheetCells {
    DWORD m_count = 0;
    DWORD m_rotated = 0;
    CellRectangles m_cells[kMaxCells];
};
HRESULT SheetCellRectangles(const OemPdev* pdev, SheetCells* cells);
bool InsidePrintableArea(const OemPdev* pdev, const RECTL& rect);
