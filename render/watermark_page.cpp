// Which cells of the sheet the watermark goes on (N-up, reverse order, booklet, poster, manual
// duplex, first page only), a placement for each, and one drawing per placement.
#include <algorithm>
#include <cmath>
#include <vector>

#include "oem_pdev.h"
#include "page_layout.h"
#include "watermark_output.h"
#include "watermark_placement.h"

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

struct Sheet {
    LONG width = 0;   // printable
    LONG height = 0;
    LONG physicalWidth = 0;
    LONG physicalHeight = 0;
};

Sheet SheetOf(const OemPdev* pdev) {
    const GDIINFO& gdi = pdev->m_layout.m_gdiInfo;
    return Sheet{static_cast<LONG>(gdi.ulHorzRes), static_cast<LONG>(gdi.ulVertRes), gdi.szlPhysSize.cx,
                 gdi.szlPhysSize.cy};
}

// atan(a / b) in whole degrees, truncated.
SHORT DiagonalDegrees(LONG a, LONG b) {
    return static_cast<SHORT>(std::atan(static_cast<double>(a) / b) * kDegreesPerRadian);
}

bool ManualDuplex(const OemPdev* pdev) {
    const PageLayout& layout = pdev->m_layout;
    return layout.m_duplex != DMDUP_SIMPLEX && layout.m_duplex != 0 &&
           (layout.m_flags & (kLayoutDuplexType2 | kLayoutDuplexType3)) != 0;
}

class PagePass {
public:
    explicit PagePass(OemPdev* pdev) : m_pdev(pdev), m_layout(pdev->m_layout), m_watermark(pdev->m_layout.m_watermark) {}

    HRESULT Run();

private:
    HRESULT Draw(const WatermarkPlacement& placement) {
        m_result = DrawWatermarkText(m_pdev, placement);
        return m_result;
    }
    HRESULT Draw() { return Draw(m_placement); }
    // Each cell starts from the sheet's placement.
    void DrawCell(DWORD cell) {
        if (cell >= m_table.count) return;
        WatermarkPlacement placement = m_placement;
        PlaceInCell(m_pdev, &placement, m_table, cell);
        Draw(placement);
    }
    void DrawCells(DWORD count) {
        count = std::min(count, m_table.count);
        for (DWORD i = 0; i < count; ++i) DrawCell(i);
    }
    // The two booklet cells that hold pages a and b (0: none), page numbers above the page count
    // being blank; with first page only, only the cell of page 1 on the sheet that has it.
    void DrawBookletSide(DWORD a, DWORD b, bool firstPageSheet) {
        const DWORD pages = m_pdev->m_document.m_docPageCount;
        const DWORD numbers[2] = {a, b};
        for (DWORD cell = 0; cell < 2; ++cell) {
            const DWORD page = numbers[cell];
            if (page == 0 || page > pages) continue;
            if (m_watermark.m_firstPageOnly && (!firstPageSheet || page != 1)) continue;
            DrawCell(cell);
        }
    }
    void ForwardOrReverse();
    void Booklet();
    void ManualDuplexSheet();

    OemPdev* m_pdev;
    const PageLayout& m_layout;
    const WatermarkSettings& m_watermark;
    WatermarkPlacement m_placement;
    CellTable m_table;
    HRESULT m_result = S_OK;
};

HRESULT PagePass::Run() {
    const Sheet sheet = SheetOf(m_pdev);
    const DWORD sheetIndex = m_pdev->m_document.m_pageCounter;
    const WatermarkOutputState& state = m_pdev->m_watermarkOutput;

    // 1. The page's own placement.
    m_placement.m_angle = static_cast<SHORT>(m_watermark.m_degree);
    if (m_watermark.m_angle == 1 && sheet.physicalWidth > 0)
        m_placement.m_angle = DiagonalDegrees(sheet.physicalHeight, sheet.physicalWidth);
    m_placement.m_size = m_watermark.m_size;
    m_placement.m_centreX = sheet.width / 2;
    m_placement.m_centreY = sheet.height / 2;
    m_placement.m_clip = RECTL{0, 0, sheet.width, sheet.height};
    m_placement.m_turnedSheet = m_layout.m_landscape;

    // 2. The area left by the binding margin.
    const RECTL binding{static_cast<LONG>(m_layout.m_bindingAdjustRect[0]), static_cast<LONG>(m_layout.m_bindingAdjustRect[1]),
                        static_cast<LONG>(m_layout.m_bindingAdjustRect[2]), static_cast<LONG>(m_layout.m_bindingAdjustRect[3])};
    if (binding.right != binding.left && binding.bottom != binding.top) {
        m_placement.m_clip = binding;
        m_placement.m_centreX = binding.left + (binding.right - binding.left) / 2;
        m_placement.m_centreY = binding.top + (binding.bottom - binding.top) / 2;
        if (sheet.width > 0) m_placement.m_cellRatio = static_cast<double>(binding.right - binding.left) / sheet.width;
    }

    // 3. A poster tile: the text is as large as the whole poster and centred on it.
    const LONG tilesASide = state.m_poster;
    if (tilesASide >= 2 && tilesASide <= 9) {
        const DWORD tiles = static_cast<DWORD>(tilesASide * tilesASide);
        m_placement.m_size *= tilesASide;
        if (state.m_posterTiles.size() == tiles) {
            const PosterTile& tile = state.m_posterTiles[sheetIndex % tiles];
            m_placement.m_centreX += tile.x * m_placement.m_centreX;
            m_placement.m_centreY += tile.y * m_placement.m_centreY;
        }
        if (m_watermark.m_firstPageOnly && sheetIndex >= tiles) return S_OK;
        return Draw();
    }

    // 4. Scaling.
    const WORD scale = state.m_scalePercent;
    const bool scaleToPaper = m_layout.m_scaleToPaper == 1;
    if (scale != 100) {
        const double factor = scale / 100.0;
        m_placement.m_size *= factor;
        if (!scaleToPaper) {
            if (m_layout.m_pagesPerSheet != 1 || m_placement.m_cellRatio == 0) {
                m_placement.m_centreX = static_cast<LONG>(m_placement.m_centreX * factor);
                m_placement.m_centreY = static_cast<LONG>(m_placement.m_centreY * factor);
            } else {
                m_placement.m_centreX = binding.left + static_cast<LONG>((binding.right - binding.left) / 2 * factor);
                m_placement.m_centreY = binding.top + static_cast<LONG>((binding.bottom - binding.top) / 2 * factor);
            }
        }
    }
    // 5.
    if (scaleToPaper || scale != 100) ClipForCell(m_pdev, &m_placement, 0);

    // 6. The cell table and the size of the text in a cell.
    const DWORD pages = m_layout.m_pagesPerSheet;
    DWORD layoutFlag = 0;
    if (pages == 2 || pages == 6) {
        SheetCells cells;
        if (FAILED(SheetCellRectangles(m_pdev, &cells))) return E_FAIL;
        layoutFlag = cells.m_rotated;
    }
    m_table = WatermarkCellTable(pages, m_layout.m_nupOrder, m_layout.m_landscape != 0, layoutFlag);
    const double w = sheet.width, h = sheet.height;
    double factor = 1.0;
    switch (pages) {
    case 2: factor = (w > 0 && h > 0) ? std::min(w, h) / std::max(w, h) : 1.0; break;
    case 4: factor = 0.5; break;
    case 6:
        if (w > 0 && h > 0) factor = w > h ? std::min(w / (3 * h), h / (2 * w)) : std::min(w / (2 * h), h / (3 * w));
        break;
    case 9: factor = 0.3333; break;
    case 16: factor = 0.25; break;
    default: break;
    }
    m_placement.m_widthFactor = factor;
    if (pages == 9) m_placement.m_size /= 3;
    else m_placement.m_size *= factor;
    if (m_placement.m_cellRatio != 0) {
        m_placement.m_size *= m_placement.m_cellRatio;
        m_placement.m_widthFactor *= m_placement.m_cellRatio;
    }

    if (ManualDuplex(m_pdev)) ManualDuplexSheet();
    else if (m_layout.m_booklet) Booklet();
    else ForwardOrReverse();
    return m_result;
}

// 7. Forward or reverse order.
void PagePass::ForwardOrReverse() {
    const DWORD sheetIndex = m_pdev->m_document.m_pageCounter;
    const DWORD pages = m_layout.m_pagesPerSheet;
    const LONG pageCount = static_cast<LONG>(m_pdev->m_document.m_docPageCount);
    if (pages == 1) {
        if (m_watermark.m_firstPageOnly && sheetIndex != 0) return;
        ClipForCell(m_pdev, &m_placement, 0);
        Draw();
        return;
    }
    LONG count = static_cast<LONG>(pages);
    if (m_layout.m_pageOrder == 0) {
        if (static_cast<LONG>((sheetIndex + 1) * pages) > pageCount)
            count = pageCount - static_cast<LONG>(pages * sheetIndex);
    } else if (sheetIndex == 0) {
        const std::vector<DWORD>& list = PageOrderList(m_pdev);
        const LONG first = list.empty() ? 1 : static_cast<LONG>(list[0]);
        // The last sheet comes first: it holds the pages from its first one to the end, and at most
        // a sheet's worth.
        count = static_cast<LONG>(pages) + first - 1 < pageCount ? static_cast<LONG>(pages) : pageCount - first + 1;
    }
    if (m_watermark.m_firstPageOnly) count = sheetIndex == 0 ? 1 : 0;
    if (count <= 0) return;
    DrawCells(static_cast<DWORD>(count));
}

// 8. Booklet.
void PagePass::Booklet() {
    const DWORD sheetIndex = m_pdev->m_document.m_pageCounter;
    const std::vector<DWORD>& list = PageOrderList(m_pdev);
    if (static_cast<size_t>(sheetIndex + 1) * m_layout.m_pagesPerSheet > list.size()) return;
    m_placement.m_backSide = sheetIndex & 1;
    DrawBookletSide(list[2 * sheetIndex], list[2 * sheetIndex + 1], sheetIndex == 0);
}

// 9. Manual duplex: the sheets come in the order of the page-order list, fronts and backs apart.
void PagePass::ManualDuplexSheet() {
    const std::vector<DWORD>& list = PageOrderList(m_pdev);
    const DWORD length = static_cast<DWORD>(list.size());
    // A list too short for one side, or a sheet past its end, has nothing to draw on.
    ManualDuplexEntry entry;
    if (!ManualDuplexListEntry(m_pdev, length, &entry)) return;
    const DWORD k = entry.m_index;
    const bool firstPageSheet = entry.m_hasFirstPage && k == entry.m_firstPageIndex;
    const DWORD pageCount = m_pdev->m_document.m_docPageCount;

    if (m_layout.m_booklet) {
        if (2 * k + 1 >= length) return;
        DrawBookletSide(list[2 * k], list[2 * k + 1], firstPageSheet);
        return;
    }
    if (list[k] == 0) return;
    if (m_layout.m_pagesPerSheet == 1) {
        if (m_watermark.m_firstPageOnly && !firstPageSheet) return;
        Draw();
        return;
    }
    if (m_watermark.m_firstPageOnly) {
        if (firstPageSheet) DrawCell(0);
        return;
    }
    DWORD count = 0;
    for (DWORD j = 0; j < m_layout.m_pagesPerSheet; ++j)
        if (list[k] + j <= pageCount) ++count;
    DrawCells(count);
}

}  // namespace

void ClipForCell(OemPdev* pdev, WatermarkPlacement* placement, DWORD cell) {
    SheetCells cells;
    if (FAILED(SheetCellRectangles(pdev, &cells)) || cell >= kMaxCells) return;
    const CellRectangles& rects = cells.m_cells[cell];
    RECTL rect = InsidePrintableArea(pdev, rects.m_page) ? rects.m_page : rects.m_cell;
    const Sheet sheet = SheetOf(pdev);
    const LONG shiftX = (sheet.physicalWidth - sheet.width) / 2;
    const LONG shiftY = (sheet.physicalHeight - sheet.height) / 2;
    placement->m_clip = RECTL{rect.left + shiftX + 5, rect.top + shiftY + 5, rect.right + shiftX - 5,
                              rect.bottom + shiftY - 5};
}

void PlaceInCell(OemPdev* pdev, WatermarkPlacement* placement, const CellTable& table, DWORD cell) {
    const Sheet sheet = SheetOf(pdev);
    const PageLayout& layout = pdev->m_layout;
    if (cell < table.count) {
        const CellFractions& f = table.cells[cell];
        if (placement->m_cellRatio != 0) {
            // The area the binding margin leaves.
            const DWORD* rect = layout.m_bindingAdjustRect;
            const RECTL area{static_cast<LONG>(rect[0]), static_cast<LONG>(rect[1]), static_cast<LONG>(rect[2]),
                             static_cast<LONG>(rect[3])};
            const double areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
            placement->m_centreX = static_cast<LONG>(areaWidth * f.centreX) + area.left;
            placement->m_centreY = static_cast<LONG>(areaHeight * f.centreY) + area.top;
        } else {
            placement->m_centreX = static_cast<LONG>(sheet.width * f.centreX);
            placement->m_centreY = static_cast<LONG>(sheet.height * f.centreY);
        }
    }
    ClipForCell(pdev, placement, cell);

    const bool landscapePage = cell < 32 && (layout.m_nupPageOrient >> cell) & 1;
    const bool turned = layout.m_landscape ? !landscapePage : landscapePage;
    placement->m_turnedPage = turned ? 1 : 0;
    const bool diagonal = layout.m_watermark.m_angle == 1 && sheet.physicalHeight > 0;
    bool quarterTurn = false;
    if (layout.m_pagesPerSheet == 2 || layout.m_pagesPerSheet == 6) {
        if (turned && diagonal) placement->m_angle = DiagonalDegrees(sheet.physicalWidth, sheet.physicalHeight);
        quarterTurn = !turned;
    } else if (turned) {
        if (diagonal) placement->m_angle = DiagonalDegrees(sheet.physicalWidth, sheet.physicalHeight);
        quarterTurn = true;
    }
    if (quarterTurn) placement->m_angle = static_cast<SHORT>(placement->m_angle + (placement->m_backSide ? -90 : 90));
}

HRESULT DrawWatermarkPage(OemPdev* pdev) {
    if (!pdev) return E_FAIL;
    return PagePass(pdev).Run();
}
