// The page preview: a picture of one printed sheet as the current settings would make it (the
// paper, the pages placed on it, a sample page, the watermark, poster tiles, mirroring, edge marks,
// pictograms, a summary line and a size caption), drawn into an owner-drawn control. Its blocks
// lie in the UI session (preview_model.h).
#pragma once

#include <string>

#include <win/windows.h>
#include <win/wingdi_raster.h>

#include "session/preview_model.h"

class QORVAUISession;
class QORVAUISessionCore;

namespace paint {

class QORVAOptItemDlgLinkPagePreview {
public:
    // Points the blocks into the session, zero-fills them, loads the two cursors and resets.
    void Create(QORVAUISession* session, QORVAUISessionCore* core);
    // The settings to their first values, the unit name of inches, the caption, no paper names.
    void Reset();
    // Paints the whole control; the control window.
    HWND Paint(const DRAWITEMSTRUCT* item);
    // The size text: printable width, the times text, height and the unit name.
    std::u16string BuildCaption() const;

    QORVAPreviewSettings* Settings() const { return m_settings; }
    QORVAPreviewWatermark* Watermark() const { return m_watermark; }
    const QORVAPreviewLayout* Layout() const { return m_layout; }
    HCURSOR HotCursor() const { return m_hotCursor; }
    HCURSOR ArrowCursor() const { return m_arrowCursor; }

    // The grid of a sheet: rows x columns by pages per sheet and rotation.
    static SIZE Grid(DWORD pagesPerSheet, DWORD rotation);

private:
    // The drawing steps (the context in device units; cells and rectangles in device pixels).
    void DrawSheet(HDC dc);
    void DrawCell(HDC dc, const RECT& cell, int page);
    void DrawCellContent(HDC dc, const RECT& cell, int page);
    // A scaled page's dotted frame round the cell and the sheet's frame (nothing unless the page
    // is framed).
    void DrawPageFrames(HDC dc, const RECT& cell);
    void DrawWatermark(HDC dc, const RECT& cell);
    void DrawPie(HDC dc, const RECT& cell);
    void DrawBars(HDC dc, const RECT& cell);
    void DrawPageNumber(HDC dc, const RECT& cell, int page);
    void DrawPosterTiles(HDC dc, const RECT& cell);
    void DrawPictograms(HDC dc);
    void DrawEdgeMarks(HDC dc);
    void DrawCaptions(HDC dc);
    void DrawCentreLine(HDC dc);
    void TurnPicture(HDC memory);
    // A colour of the sample page as inverted and lighter make it.
    COLORREF Adjust(COLORREF colour) const;
    COLORREF Lighter(COLORREF colour) const;
    bool PageFramed() const;
    // Logical units (600 dpi) of the drawing square in device pixels.
    LONG ToPixels(double logical) const { return static_cast<LONG>(logical * m_scale); }

    QORVAPreviewLayout* m_layout = nullptr;
    QORVAPreviewSettings* m_settings = nullptr;
    QORVAPreviewWatermark* m_watermark = nullptr;
    DWORD* m_words = nullptr;
    HWND m_control = nullptr;
    QORVAUISessionCore* m_core = nullptr;
    QORVAUISession* m_session = nullptr;
    HCURSOR m_hotCursor = nullptr;
    HCURSOR m_arrowCursor = nullptr;
    // Set by each paint: device pixels per logical unit, the rectangles in device pixels.
    double m_scale = 1;   // along y (lengths and font heights)
    double m_scaleX = 1;  // along x
    RECT m_paper{};
    RECT m_sheet{};
    LONG m_cellGap = 0;  // device pixels
};

}  // namespace paint
