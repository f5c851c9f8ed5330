// Where a logical page lands on its sheet side: the N-up cell, the binding margin, the scaling
// factor of the printer language and whether the page is turned by a quarter; and poster tiles.
#include <algorithm>
#include <cstdlib>

#include "print_single_page_emf.h"

#include "coprocessoremf.h"
#include "paper_list.h"

namespace {

// A cell as a rectangle of the sheet in columns and rows of a grid.
struct Cell {
    LONG column, row, columns, rows;
};

bool IsTwoOrSix(DWORD n) { return n == 2 || n == 6; }

// The cell of position (from 0) for n pages on a sheet; false for a count without a grid.
bool CellOf(DWORD n, DWORD order, bool wide, DWORD position, Cell* cell) {
    if (order < 1 || order > 4) order = 1;
    LONG columns = 0, rows = 0;
    switch (n) {
    case 2:
        if (wide) {
            *cell = Cell{static_cast<LONG>(position), 0, 2, 1};
        } else {
            // Stacked: the first page goes to the bottom half in orders 1 and 2.
            const LONG row = order <= 2 ? 1 - static_cast<LONG>(position) : static_cast<LONG>(position);
            *cell = Cell{0, row, 1, 2};
        }
        return position < 2;
    case 4: columns = rows = 2; break;
    case 9: columns = rows = 3; break;
    case 16: columns = rows = 4; break;
    case 6: {
        if (position >= 6) return false;
        columns = wide ? 3 : 2;
        rows = wide ? 2 : 3;
        const LONG p = static_cast<LONG>(position);
        // The pages are turned, so their cells run in the turned order.
        switch (order) {
        case 1: *cell = Cell{p / rows, rows - 1 - p % rows, columns, rows}; return true;
        case 2: *cell = Cell{p % columns, rows - 1 - p / columns, columns, rows}; return true;
        case 3: *cell = Cell{p / rows, p % rows, columns, rows}; return true;
        default: *cell = Cell{p % columns, p / columns, columns, rows}; return true;
        }
    }
    default: return false;
    }
    if (position >= n) return false;
    const LONG p = static_cast<LONG>(position);
    switch (order) {
    case 1: *cell = Cell{p % columns, p / columns, columns, rows}; break;
    case 2: *cell = Cell{p / rows, p % rows, columns, rows}; break;
    case 3: *cell = Cell{columns - 1 - p % columns, p / columns, columns, rows}; break;
    default: *cell = Cell{columns - 1 - p / rows, p % rows, columns, rows}; break;
    }
    return true;
}

void Offset(RECT* rect, LONG dx, LONG dy) {
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
}

void Inset(RECT* rect, LONG dx, LONG dy) {
    rect->left += dx;
    rect->right -= dx;
    rect->top += dy;
    rect->bottom -= dy;
}

// A job's paper size in device units, less the unprintable margins of the sheet.
SIZE PrintableOf(SIZE tenths, LONG dpiX, LONG dpiY, LONG width, LONG height, LONG pw, LONG ph) {
    return SIZE{static_cast<LONG>(int64_t{tenths.cx} * dpiX / 254) + width + 1 - pw,
                static_cast<LONG>(int64_t{tenths.cy} * dpiY / 254) + height + 1 - ph};
}

}  // namespace

// The 1-up page of a job on one paper printed on the scale paper: fitted whole, cut at the edges,
// centred or scaled by the ratio of the papers.
HRESULT PrintSinglePageEMF::ScaleToPaper(LONG width, LONG height, LONG pw, LONG ph, bool shift, LONG dpiX, LONG dpiY,
                                         RECT* document, RECT* clip) {
    if (!m_processor || !m_processor->jobDevmode()) return E_FAIL;
    DWORD percent = 100;
    SIZE jobPaper{}, scalePaper{};
    if (FAILED(GetPaperList(m_processor->printerName().c_str(), m_processor->jobDevmode()->dmPaperSize,
                            static_cast<short>(m_job.scalingSize), m_pageLandscape, &percent, &jobPaper, &scalePaper)))
        return E_FAIL;
    const SIZE target = shift ? SIZE{width + 1, height + 1}
                              : PrintableOf(scalePaper, dpiX, dpiY, width, height, pw, ph);
    const SIZE job = PrintableOf(jobPaper, dpiX, dpiY, width, height, pw, ph);
    if (target.cx <= 0 || target.cy <= 0 || job.cx <= 0 || job.cy <= 0) return E_FAIL;
    if (m_job.scalingToFit) {
        LONG fitWidth = MulDiv(target.cy, job.cx, job.cy), fitHeight = target.cy;
        if (fitWidth > target.cx) {
            fitWidth = target.cx;
            fitHeight = MulDiv(target.cx, job.cy, job.cx);
        }
        const LONG left = (target.cx - fitWidth) / 2, top = (target.cy - fitHeight) / 2;
        *document = RECT{left, top, left + fitWidth, top + fitHeight};
    } else if (job.cx > target.cx && job.cy > target.cy) {
        Inset(document, -(job.cx - target.cx) / 2, -(job.cy - target.cy) / 2);
    } else if (job.cx <= target.cx && job.cy <= target.cy) {
        const LONG left = (target.cx - job.cx) / 2, top = (target.cy - job.cy) / 2;
        *document = RECT{left, top, left + job.cx, top + job.cy};
    } else {
        const LONG scaledWidth = static_cast<LONG>(int64_t{width + 1} * percent / 100);
        const LONG scaledHeight = static_cast<LONG>(int64_t{height + 1} * percent / 100);
        const LONG left = (width + 1 - scaledWidth) / 2, top = (height + 1 - scaledHeight) / 2;
        *document = RECT{left, top, left + scaledWidth, top + scaledHeight};
        if (percent >= 100) *clip = RECT{0, 0, width + 1, height + 1};
    }
    return S_OK;
}

HRESULT PrintSinglePageEMF::GetPageCoordinates(RECT* document, RECT* border, RECT* clip, DWORD position, bool* turn) {
    *turn = false;
    *border = RECT{-1, -1, -1, -1};
    *clip = RECT{-1, -1, -1, -1};
    if (!m_dc || position == 0) return E_FAIL;
    const DWORD n = m_job.nupPages ? m_job.nupPages : 1;
    if (n != 1 && n != 2 && n != 4 && n != 6 && n != 9 && n != 16) return E_FAIL;
    const LONG dpiX = GetDeviceCaps(m_dc, LOGPIXELSX), dpiY = GetDeviceCaps(m_dc, LOGPIXELSY);
    const LONG physicalWidth = GetDeviceCaps(m_dc, PHYSICALWIDTH), physicalHeight = GetDeviceCaps(m_dc, PHYSICALHEIGHT);
    const LONG horz = GetDeviceCaps(m_dc, DESKTOPHORZRES), vert = GetDeviceCaps(m_dc, DESKTOPVERTRES);
    if (dpiX <= 0 || dpiY <= 0 || physicalWidth <= 0 || physicalHeight <= 0 || horz <= 1 || vert <= 1) return E_FAIL;

    // Aspect units: sizes are kept in units that make a device unit square.
    const LONG ux = n == 1 || dpiX == dpiY ? 1 : dpiX;
    const LONG uy = n == 1 || dpiX == dpiY ? 1 : dpiY;
    LONG width = uy * (horz - 1), height = ux * (vert - 1);
    const LONG pw = uy * physicalWidth, ph = ux * physicalHeight;

    // A change of form size: the sheet is bound as if it were the other side of a duplex sheet.
    bool secondSide = m_secondSide;
    const SIZE physical{physicalWidth, physicalHeight};
    if (m_previousPhysical.cx && !(physical.cx == m_previousPhysical.cx && physical.cy == m_previousPhysical.cy) &&
        !(physical.cx == m_previousPhysical.cy && physical.cy == m_previousPhysical.cx))
        secondSide = !secondSide;
    m_previousPhysical = physical;

    // The binding edge: 1 puts the margin along the top, 0 along the left.
    bool edgeTop;
    if (m_job.bindingDirect == 255) {
        edgeTop = physicalHeight < physicalWidth;
        if (std::max(physicalWidth, physicalHeight) >= 7016) edgeTop = !edgeTop;
        if (IsTwoOrSix(n)) edgeTop = !edgeTop;
    } else {
        edgeTop = m_job.bindingDirect == 1;
    }

    // The margin, and with shifting the shrunk sizes and the centring offset on the other axis.
    const LONG margin = m_job.bindingOn ? static_cast<LONG>(int64_t{dpiX} * m_job.bindingMargin / 2540) : 0;
    const bool shift = m_job.bindingOn && m_job.bindingShift == 1;
    LONG centring = 0;
    if (shift && margin > 0) {
        const bool alongHeight = IsTwoOrSix(n) ? !edgeTop : edgeTop;
        LONG& along = alongHeight ? height : width;
        LONG& other = alongHeight ? width : height;
        // The margin is a device length along one axis: in aspect units a row is ux, a column uy.
        const int64_t marginUnits = int64_t{margin} * (alongHeight ? ux : uy);
        if (along > marginUnits) {
            const LONG shrunk = static_cast<LONG>(int64_t{other} * (along - marginUnits) / along);
            // The centring offset goes on the other axis, back in device units.
            centring = (other - shrunk) / 2 / (alongHeight ? uy : ux);
            other = shrunk;
            along -= static_cast<LONG>(marginUnits);
        }
    }
    // What the page may cover after shrinking, in device units.
    m_bindingAdjust = RECT{0, 0, width / uy, height / ux};

    // Moves a rectangle by the binding margin: reversed on the front of a duplex sheet, where
    // shifting drops it; the centring offset goes on the other axis.
    const bool duplexFront = m_duplex != DMDUP_SIMPLEX && !secondSide;
    const LONG move = !m_job.bindingOn ? 0 : duplexFront ? (shift ? 0 : -margin) : margin;
    auto bind = [&](RECT* rect, bool top) {
        if (!m_job.bindingOn) return;
        if (top) Offset(rect, centring, move);
        else Offset(rect, move, centring);
    };

    const bool factorScaled = (m_job.pdlType >= 30 && m_job.pdlType <= 59) ||
                              (m_job.pdlType >= 10 && m_job.pdlType <= 19 && !m_job.scalingOn);
    const WORD factor = m_job.scalingFactor ? m_job.scalingFactor : 100;

    if (n == 1) {
        // A 1-up page is clipped only when scaled: by a factor, to the unscaled page (which moves
        // with the margin); onto another paper, where ScaleToPaper says.
        *document = RECT{0, 0, width + 1, height + 1};
        if (m_job.scalingOn && FAILED(ScaleToPaper(width, height, pw, ph, shift, dpiX, dpiY, document, clip)))
            return E_FAIL;
        if (factorScaled && factor != 100) {
            *clip = *document;
            bind(clip, edgeTop);
            document->right = static_cast<LONG>(int64_t{document->right} * factor / 100);
            document->bottom = static_cast<LONG>(int64_t{document->bottom} * factor / 100);
        }
        bind(document, edgeTop);
        bind(&m_bindingAdjust, edgeTop);
        return S_OK;
    }

    // N-up: the cell of the position; the page keeps its aspect inside it, centred.
    const bool wide = width > height || (width == height && m_pageLandscape);
    Cell cell{};
    if (!CellOf(n, m_job.nupOrder, wide, position - 1, &cell)) return E_FAIL;
    // The cells divide the sheet in aspect units, where one device unit is uy wide and ux high.
    const LONG sheetWidth = width + uy, sheetHeight = height + ux;
    auto cellBox = [&](const Cell& c) {
        return RECT{static_cast<LONG>(int64_t{sheetWidth} * c.column / c.columns),
                    static_cast<LONG>(int64_t{sheetHeight} * c.row / c.rows),
                    static_cast<LONG>(int64_t{sheetWidth} * (c.column + 1) / c.columns),
                    static_cast<LONG>(int64_t{sheetHeight} * (c.row + 1) / c.rows)};
    };
    RECT box = cellBox(cell);
    // Every cell of a grid has the grid's shape: judged on one cell's rounded box, neighbouring
    // cells of a nearly square grid could turn differently and two pages land in one cell.
    const bool cellWide = int64_t{sheetWidth} * cell.rows > int64_t{sheetHeight} * cell.columns;
    *turn = IsTwoOrSix(n) || (cellWide != (pw > ph));
    if (*turn && !IsTwoOrSix(n)) {
        // A turned grid of L x L: the cells run in the turned order.
        const LONG l = n == 4 ? 2 : n == 9 ? 3 : 4;
        const LONG p = static_cast<LONG>(position - 1);
        const LONG remapped = p / l + l * (l - p % l - 1);
        if (!CellOf(n, m_job.nupOrder, wide, static_cast<DWORD>(remapped), &cell)) return E_FAIL;
        box = cellBox(cell);
    }
    // The whole physical page, turned when asked, fitted into the cell.
    const LONG pageWidth = *turn ? ph : pw, pageHeight = *turn ? pw : ph;
    const LONG cellWidth = box.right - box.left, cellHeight = box.bottom - box.top;
    LONG fitWidth = cellWidth, fitHeight = static_cast<LONG>(int64_t{cellWidth} * pageHeight / pageWidth);
    if (fitHeight > cellHeight) {
        fitHeight = cellHeight;
        fitWidth = static_cast<LONG>(int64_t{cellHeight} * pageWidth / pageHeight);
    }
    RECT page{box.left + (cellWidth - fitWidth) / 2, box.top + (cellHeight - fitHeight) / 2, 0, 0};
    page.right = page.left + fitWidth;
    page.bottom = page.top + fitHeight;
    // Only the printable part of the page is played: pull it in by the scaled physical offsets.
    const LONG offsetX = uy * GetDeviceCaps(m_dc, PHYSICALOFFSETX), offsetY = ux * GetDeviceCaps(m_dc, PHYSICALOFFSETY);
    const LONG insetAlongX = static_cast<LONG>(int64_t{*turn ? offsetY : offsetX} * fitWidth / pageWidth);
    const LONG insetAlongY = static_cast<LONG>(int64_t{*turn ? offsetX : offsetY} * fitHeight / pageHeight);
    Inset(&page, insetAlongX, insetAlongY);
    // Back to device units.
    auto deviceUnits = [&](RECT* rect) {
        rect->left /= uy;
        rect->right /= uy;
        rect->top /= ux;
        rect->bottom /= ux;
    };
    deviceUnits(&page);
    deviceUnits(&box);
    *document = page;
    const bool edge = IsTwoOrSix(n) ? !edgeTop : edgeTop;
    bind(document, edge);
    bind(&box, edge);
    bind(&m_bindingAdjust, edge);

    if (m_job.nupBorder) {
        if (IsTwoOrSix(n)) {
            const LONG e = dpiX < 600 ? 5 : 30;
            if (GetDeviceCaps(m_dc, PHYSICALOFFSETX) == 0 || GetDeviceCaps(m_dc, PHYSICALOFFSETY) == 0)
                Inset(document, e, e);
            Inset(document, e, e);
            *border = *document;
        } else {
            const double r = static_cast<double>(pw) / ph;
            const LONG v = 9 * dpiX * 100 / 7200 - 15;
            const LONG u = n == 9 ? 15 : n == 16 ? 10 : 30;
            *border = box;
            if (r < 1) {
                Inset(border, v, static_cast<LONG>(v * r));
                *document = *border;
                Inset(document, u, static_cast<LONG>(u * r));
            } else {
                Inset(border, static_cast<LONG>(v * r), v);
                *document = *border;
                Inset(document, static_cast<LONG>(u * r), u);
            }
        }
    }
    *clip = *document;
    return S_OK;
}

HRESULT PrintSinglePageEMF::PlayPage(HANDLE pageHandle, DWORD page, DWORD position, DWORD flags) {
    if (!m_gdi || page == 0) return E_FAIL;
    if (m_job.posterTiles > 0) return PlayPosterTiles(pageHandle, page, flags);
    RECT document, border, clip;
    bool turn = false;
    if (FAILED(GetPageCoordinates(&document, &border, &clip, position, &turn))) return E_FAIL;
    if (flags & playflag::kTurned) turn = !turn;

    RECT target = document;
    if (turn) {
        const bool back = (flags & playflag::kBookletBack) != 0;
        const XFORM quarter = back ? XFORM{0, 1, -1, 0, 0, 0} : XFORM{0, -1, 1, 0, 0, 0};
        const XFORM move{1, 0, 0, 1, static_cast<FLOAT>(back ? document.right : document.left),
                         static_cast<FLOAT>(back ? document.top : document.bottom)};
        if (!SetWorldTransform(m_dc, &quarter) || !ModifyWorldTransform(m_dc, &move, MWT_RIGHTMULTIPLY)) {
            ModifyWorldTransform(m_dc, nullptr, MWT_IDENTITY);
            return E_FAIL;
        }
        target = RECT{0, 0, document.bottom - document.top, document.right - document.left};
        // The frame is drawn in the page's turned space too.
        if (border.left != -1) {
            border = back ? RECT{border.top - document.top, document.right - border.right,
                                 border.bottom - document.top, document.right - border.left}
                          : RECT{document.bottom - border.bottom, border.left - document.left,
                                 document.bottom - border.top, border.right - document.left};
        }
    }

    const DWORD n = m_job.nupPages ? m_job.nupPages : 1;
    RECT* clipping = nullptr;
    if (n == 1) {
        if (clip.left != -1 && clip.top != -1 && clip.right != -1 && clip.bottom != -1) clipping = &clip;
    } else {
        clip = document;
        if (!m_job.nupBorder) {
            const bool fine = GetDeviceCaps(m_dc, LOGPIXELSX) >= 600;
            const LONG grow = n == 9 ? (fine ? 15 : 2) : n == 16 ? (fine ? 10 : 1) : (fine ? 30 : 5);
            Inset(&clip, -grow, -grow);
        }
        clipping = &clip;
    }
    if (turn && clipping) {
        // The clip goes with the page into the turned space, grown as much on every side.
        const LONG grow = document.left - clipping->left;
        *clipping = target;
        Inset(clipping, -grow, -grow);
    }
    const bool framed = m_job.nupBorder && n > 1;
    if (FAILED(m_gdi->GDIPlayPage(m_spool, page, pageHandle, &target, framed ? &border : nullptr, clipping))) {
        ModifyWorldTransform(m_dc, nullptr, MWT_IDENTITY);
        return E_FAIL;
    }
    const bool pdlDraws = m_job.pdlType >= 30 && m_job.pdlType <= 59;
    if (m_job.graphicsMode != 0 && m_job.watermark.color != 2 && m_job.watermark.enabled &&
        (page == 1 || !m_job.watermark.firstPageOnly) && pdlDraws)
        DrawWatermark(target, flags);
    return ModifyWorldTransform(m_dc, nullptr, MWT_IDENTITY) ? S_OK : E_FAIL;
}

HRESULT PrintSinglePageEMF::PlayPosterTiles(HANDLE pageHandle, DWORD page, DWORD flags) {
    const LONG tiles = m_job.posterTiles >= 2 && m_job.posterTiles <= 9 ? m_job.posterTiles : 1;
    const LONG tileWidth = GetDeviceCaps(m_dc, DESKTOPHORZRES), tileHeight = GetDeviceCaps(m_dc, DESKTOPVERTRES);
    if (tileWidth <= 4 || tileHeight <= 4) return E_FAIL;
    RECT document{2, 2, tileWidth - 2, tileHeight - 2};
    const bool pdlDraws = m_job.pdlType >= 30 && m_job.pdlType <= 59;
    const bool crop = m_job.posterCrop == 1 ||
                      ((pdlDraws || (m_job.pdlType >= 10 && m_job.pdlType <= 19)) && m_job.graphicsMode == 0);
    RECT border = crop ? RECT{3, 3, tileWidth - 3, tileHeight - 3} : RECT{-1, -1, -1, -1};
    for (LONG row = 0; row < tiles; ++row) {
        for (LONG column = 0; column < tiles; ++column) {
            if (FAILED(StartSide(false))) return E_FAIL;
            const XFORM scale{static_cast<FLOAT>(tiles), 0, 0, static_cast<FLOAT>(tiles),
                              static_cast<FLOAT>(-column * tileWidth), static_cast<FLOAT>(-row * tileHeight)};
            RECT clip = document;
            const bool played = SetWorldTransform(m_dc, &scale) &&
                                SUCCEEDED(m_gdi->GDIPlayPage(m_spool, page, pageHandle, &document, crop ? &border : nullptr, &clip));
            if (played && m_job.watermark.enabled && pdlDraws && (m_job.graphicsMode != 0 || m_job.grayscale != 1))
                DrawWatermark(document, flags);
            const bool reset = ModifyWorldTransform(m_dc, nullptr, MWT_IDENTITY);
            if (FAILED(EndSide()) || !played || !reset) return E_FAIL;
        }
    }
    return S_OK;
}
