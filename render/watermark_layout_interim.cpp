#include "watermark_layout_interim.h"

#include "oem_pdev.h"

const std::vector<DWORD>& PageOrderList(OemPdev* pdev) {
    static thread_local std::vector<DWORD> list;
    list.clear();
    const PageLayout& layout = pdev->m_layout;
    const DWORD pages = pdev->m_document.m_docPageCount;
    const DWORD n = layout.m_pagesPerSheet ? layout.m_pagesPerSheet : 1;
    if (layout.m_booklet) {
        const DWORD sheets = (pages + 3) / 4;
        for (DWORD k = 0; k < sheets; ++k) {
            const DWORD a = 2 * k + 1, t = 4 * sheets, b = t - a;
            list.insert(list.end(), {b + 1, a, a + 1, b});
        }
        return list;
    }
    const DWORD sheets = (pages + n - 1) / n;
    for (DWORD s = 0; s < sheets; ++s) list.push_back(layout.m_pageOrder ? 1 + (sheets - 1 - s) * n : 1 + s * n);
    if (list.size() % 2) list.push_back(0);
    return list;
}

HRESULT SheetCellRectangles(const OemPdev* pdev, SheetCells* cells) {
    const PageLayout& layout = pdev->m_layout;
    const LONG w = static_cast<LONG>(layout.m_gdiInfo.ulHorzRes), h = static_cast<LONG>(layout.m_gdiInfo.ulVertRes);
    if (!w || !h) return E_FAIL;
    *cells = SheetCells{};
    cells->m_count = layout.m_pagesPerSheet;
    LONG columns = 1, rows = 1;
    switch (layout.m_pagesPerSheet) {
    case 1: break;
    case 2: (w <= h ? rows : columns) = 2; break;
    case 4: columns = rows = 2; break;
    case 6: if (w <= h) { rows = 3; columns = 2; } else { rows = 2; columns = 3; } break;
    case 9: columns = rows = 3; break;
    case 16: columns = rows = 4; break;
    default: return E_FAIL;
    }
    for (LONG i = 0; i < columns * rows; ++i) {
        const LONG c = i % columns, r = i / columns;
        const RECTL rect{c * w / columns, r * h / rows, (c + 1) * w / columns, (r + 1) * h / rows};
        cells->m_cells[i] = CellRectangles{rect, rect};
    }
    return S_OK;
}

bool InsidePrintableArea(const OemPdev* pdev, const RECTL& rect) {
    const PageLayout& layout = pdev->m_layout;
    return rect.left >= 0 && rect.top >= 0 && rect.right > rect.left && rect.bottom > rect.top &&
           rect.right <= static_cast<LONG>(layout.m_gdiInfo.ulHorzRes) &&
           rect.bottom <= static_cast<LONG>(layout.m_gdiInfo.ulVertRes);
}
