// Where a logical page lands on its sheet side. This is the plain placement: 1-up fills the
// printable area, N-up divides it into a grid of equal cells filled row by row, and poster tiles
// scale the page n times over n x n sheets. The watermark and the date stamp draw nothing yet.
#include "print_single_page_emf.h"

namespace {

void GridOf(DWORD pages, bool wide, LONG* columns, LONG* rows) {
    switch (pages) {
    case 2: *columns = wide ? 2 : 1; *rows = wide ? 1 : 2; return;
    case 4: *columns = 2; *rows = 2; return;
    case 6: *columns = wide ? 3 : 2; *rows = wide ? 2 : 3; return;
    case 9: *columns = 3; *rows = 3; return;
    case 16: *columns = 4; *rows = 4; return;
    default: *columns = 0; *rows = 0; return;
    }
}

}  // namespace

HRESULT PrintSinglePageEMF::GetPageCoordinates(RECT* document, RECT* border, RECT* clip, DWORD position, bool* turn) {
    *turn = false;
    const RECT area = m_job.printable;
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return E_FAIL;
    *border = RECT{-1, -1, -1, -1};
    const DWORD n = m_job.nupPages ? m_job.nupPages : 1;
    if (n == 1) {
        *document = area;
        *clip = area;
        return S_OK;
    }
    LONG columns = 0, rows = 0;
    GridOf(n, width > height, &columns, &rows);
    if (!columns || position == 0 || position > n) return E_FAIL;
    const LONG cell = static_cast<LONG>(position - 1);
    const LONG column = cell % columns, row = cell / columns;
    *document = RECT{area.left + width * column / columns, area.top + height * row / rows,
                     area.left + width * (column + 1) / columns, area.top + height * (row + 1) / rows};
    *clip = *document;
    if (m_job.nupBorder) *border = *document;
    return S_OK;
}

HRESULT PrintSinglePageEMF::PlayPage(HANDLE, DWORD page, DWORD position, DWORD flags) {
    if (!m_gdi || page == 0) return E_FAIL;
    if (m_job.posterTiles > 0) return PlayPosterTiles(page, flags);
    RECT document, border, clip;
    bool turn = false;
    if (FAILED(GetPageCoordinates(&document, &border, &clip, position, &turn))) return E_FAIL;
    const bool framed = m_job.nupPages > 1 && m_job.nupBorder;
    if (FAILED(m_gdi->GDIPlayPage(m_spool, page, &document, framed ? &border : nullptr, &clip))) return E_FAIL;
    if (m_job.watermark.enabled) DrawWatermark(document, flags);
    return ModifyWorldTransform(m_dc, nullptr, MWT_IDENTITY) ? S_OK : E_FAIL;
}

HRESULT PrintSinglePageEMF::PlayPosterTiles(DWORD page, DWORD flags) {
    const LONG tiles = m_job.posterTiles >= 2 && m_job.posterTiles <= 9 ? m_job.posterTiles : 1;
    const LONG tileWidth = GetDeviceCaps(m_dc, DESKTOPHORZRES), tileHeight = GetDeviceCaps(m_dc, DESKTOPVERTRES);
    if (tileWidth <= 4 || tileHeight <= 4) return E_FAIL;
    RECT document{2, 2, tileWidth - 2, tileHeight - 2};
    for (LONG row = 0; row < tiles; ++row) {
        for (LONG column = 0; column < tiles; ++column) {
            if (FAILED(StartSide())) return E_FAIL;
            const XFORM scale{static_cast<FLOAT>(tiles), 0, 0, static_cast<FLOAT>(tiles),
                              static_cast<FLOAT>(-column * tileWidth), static_cast<FLOAT>(-row * tileHeight)};
            RECT clip = document;
            const bool played = SetWorldTransform(m_dc, &scale) &&
                                SUCCEEDED(m_gdi->GDIPlayPage(m_spool, page, &document, nullptr, &clip));
            if (played && m_job.watermark.enabled) DrawWatermark(document, flags);
            const bool reset = ModifyWorldTransform(m_dc, nullptr, MWT_IDENTITY);
            if (FAILED(EndSide()) || !played || !reset) return E_FAIL;
        }
    }
    return S_OK;
}

HRESULT PrintSinglePageEMF::DrawWatermark(const RECT&, DWORD) { return S_OK; }

HRESULT PrintSinglePageEMF::DrawDateAndTime(const RECT&) { return S_OK; }
