// The second half of a page's watermark: where on the sheet the text goes (one placement per N-up
// cell, booklet side or poster tile that holds a page) and the PCL XL drawing of each placement.
#pragma once

#include <win/windows.h>

#include "font_cache.h"

struct OemPdev;

// Where and how one copy of the watermark text is drawn, in device pixels of the printable area.
struct WatermarkPlacement {
    LONG m_centreX = 0;
    LONG m_centreY = 0;
    RECTL m_clip{};                 // clips the drawing
    SHORT m_angle = 0;              // degrees, counter-clockwise
    DWORD m_fontId = kWatermarkFontId;
    double m_size = 0;              // points
    double m_widthFactor = 1.0;     // scales character widths and offsets (N-up cells)
    double m_cellRatio = 0.0;       // binding rectangle's width over the printable width; 0: none
    DWORD m_backSide = 0;           // the back side of a booklet sheet
    DWORD m_turnedPage = 0;         // the logical page's orientation differs from the sheet's
    DWORD m_turnedSheet = 0;
};

// One N-up cell as fractions of the page: left, top, right, bottom, centre x, centre y.
struct CellFractions {
    double left, top, right, bottom, centreX, centreY;
};
// The cells of a sheet in cell order.
struct CellTable {
    const CellFractions* cells = nullptr;
    DWORD count = 0;
};
// The cell table of pages per sheet (2, 4, 6, 9, 16), _NUP_ORDER, sheet orientation and, for 6
// pages, the layout flag the page layout gives with the sheet's rectangles; empty for other counts.
CellTable WatermarkCellTable(DWORD pagesPerSheet, BYTE nupOrder, bool landscape, DWORD layoutFlag);

// The shade pattern of _WMK_SHADE: 16 rows of 4 bytes.
const BYTE* ShadePattern(WORD shade);

// Writes one drawing of the watermark text: its clip, angle, colour and shade, the downloaded
// font, and the code-mapped text from the start point the font's measures give. The result of the
// driver's writes.
HRESULT DrawWatermarkText(OemPdev* pdev, const WatermarkPlacement& placement);
// Centre, clip and angle of the placement for a cell of the table.
void PlaceInCell(OemPdev* pdev, WatermarkPlacement* placement, const CellTable& table, DWORD cell);
// The clip of a cell: its page rectangle (or the whole cell when the page's does not lie inside
// the printable area) on the physical page, 5 pixels in from each edge.
void ClipForCell(OemPdev* pdev, WatermarkPlacement* placement, DWORD cell);
