// The page-preview model: the settings, watermark and layout blocks that live in the UI session.
// The preview link fills the settings and watermark blocks from the option items; the painter
// reads them, writes the layout block, and the link reads that for its pointer hit tests.
//
// Where the link's terms meet the painter's. Each model field of the link is one field of the
// blocks below (the blocks carry the painter's names):
//
//   link field          block field                  conversion
//   m_duplex            settings.pictogramKind       as is (0 none, 1 or 2 the pictogram pair)
//   m_duplexFlip        settings.edgeKind            as is (with rotation, the binding edge)
//   m_textBlack         settings.textBlack           as is (read only by the link)
//   m_mirrored          settings.rightToLeft         as is
//   m_rotated           settings.turned              as is
//   m_pagesPerSheet     settings.pagesPerSheet       as is (1, 2, 4, 6, 9, 16)
//   m_scaleSizeDiffers  settings.fitToPaper          as is
//   m_orientation       settings.rotation            as is (0 portrait, 2 landscape)
//   m_scale             settings.scalePercent        as is
//   m_borders           settings.borders             as is
//   m_wmkFirstPageOnly  settings.watermarkEveryPage  negated: everyPage = firstPageOnly ? 0 : 1
//   m_nupOrder          settings.sideCode            as is (orders 3 and 4 run right to left)
//   m_noWatermark       settings.noWatermark         as is
//   m_units             settings.units               as is (1 mm, else inches)
//   m_extent            settings.minimumExtent       as is (600-dpi dots)
//   m_paperWidth/Height settings.paperWidth/Height   as is (600-dpi dots)
//   m_scaleToWidth/H.   settings.printableWidth/H.   as is (the output paper, 600-dpi dots)
//   m_paperName         settings.documentPaperName   truncated to 32 characters
//   m_scaleToName       settings.outputPaperName     truncated to 32 characters
//   m_wmkText           watermark.text               truncated to 128 characters
//   m_wmkFont           watermark.faceName           truncated to 32 characters (a LOGFONT face)
//   m_wmkCharSet        watermark.charSet            as is
//   m_wmkSize           watermark.size               as is (points)
//   m_wmkStyle          watermark.style              as is (0 regular, 1 bold, 2 italic, 3 both)
//   m_wmkColor          watermark.colour             as is (COLORREF)
//   m_wmkAngle          watermark.angle              as is (degrees)
//   m_orientationHot    layout.sheetDevice           the sheet in client pixels
//   m_unitsHot          layout.captionBox            the size caption in client pixels
//
// ApplyLinkModel below makes that conversion and LinkModelOf reads it back: the link starts each
// update from what the blocks hold, fills a QORVAPreviewLinkModel and applies it.
#pragma once

#include <win/windows.h>

struct QORVAPreviewSettings {
    DWORD centreLine;          // nonzero: a dotted grey line through the middle of the sheet
    DWORD reserved1;
    DWORD pictogramKind;       // 0 none; 1 or 2: which pictogram pair
    DWORD edgeKind;            // with rotation, the sheet edge of the edge marks
    DWORD greyscale;           // nonzero: the sample picture in grey levels
    DWORD textBlack;           // the link's "print text in black"; not drawn
    DWORD inverted;            // the page in negative
    DWORD lighter;             // every sample colour halved toward white
    DWORD mirrorX;             // the page picture mirrored left to right
    DWORD rightToLeft;         // texts right to left
    DWORD turned;              // the page picture turned by 180 degrees (not with mirrorX)
    DWORD pagesPerSheet;       // 1, 2, 4, 6, 9 or 16; other values one page
    DWORD fitToPaper;          // the document paper fitted to the output paper
    DWORD atFullSize;          // set by the paint: the fit is 100 % both ways
    DWORD rotation;            // 0 and 1 portrait, others landscape
    DWORD pageKind;            // 8 and 17: pages touch; nonzero: page 2 carries the sample picture
    DWORD scalePercent;        // the scale of the summary; set by the paint while fitting
    DWORD linePitch;           // distance between sample text lines
    DWORD margin;              // inner margin of a page cell
    DWORD cellGap;             // set by the paint: the gap between page cells
    DWORD borders;             // page cells of a multi-page sheet framed
    DWORD watermarkEveryPage;  // zero: the watermark on the sheet's first page only
    DWORD posterTiles;         // 2 or more: the page in posterTiles x posterTiles tiles
    DWORD sparsePages;         // pages drawn with a few short lines only
    DWORD sideCode;            // pageKind 0: 3 and 4 put the pictogram at the lower left
    DWORD pairSide;            // pageKind set: 1 puts the pictogram at the lower left
    DWORD noWatermark;         // no watermark text
    DWORD reserved2;
    HWND control;              // set by the paint: the window being drawn
    DWORD units;               // 1 millimetres, 2 inches
    DWORD minimumExtent;       // a length the drawing square covers at least
    DWORD paperWidth;          // the document paper, 600-dpi dots
    DWORD paperHeight;
    DWORD printableWidth;      // the output (printable) size, 600-dpi dots
    DWORD printableHeight;
    DWORD reserved3;
    DWORD reserved4;
    WCHAR unitName[128];
    WCHAR documentPaperName[32];
    WCHAR outputPaperName[32];
};

struct QORVAPreviewWatermark {
    WCHAR text[128];
    WCHAR faceName[32];
    BYTE charSet;
    DWORD size;    // points
    DWORD style;   // 1 bold, 2 italic, 3 bold italic, others regular
    DWORD linkWords[2];
    COLORREF colour;
    LONG angle;    // degrees
};

struct QORVAPreviewLayout {
    RECT captionBox;     // the size caption, client pixels (the link's m_unitsHot)
    RECT cell;           // the page cell being drawn (logical)
    RECT paper;          // the document paper (logical)
    RECT sheet;          // the output sheet (logical)
    RECT sheetDevice;    // the sheet in client pixels, corners ordered (the link's m_orientationHot)
    RECT control;        // the control's client rectangle
    LONG placedPaperWidth, placedPaperHeight;
    LONG placedPrintableWidth, placedPrintableHeight;
    WCHAR caption[128];
};

// The link's model in its own terms.
struct QORVAPreviewLinkModel {
    DWORD m_duplex, m_duplexFlip, m_textBlack, m_mirrored, m_rotated, m_pagesPerSheet, m_scaleSizeDiffers;
    DWORD m_orientation, m_scale, m_borders, m_wmkFirstPageOnly, m_nupOrder, m_noWatermark, m_units, m_extent;
    DWORD m_paperWidth, m_paperHeight, m_scaleToWidth, m_scaleToHeight;
    const WCHAR* m_paperName;
    const WCHAR* m_scaleToName;
    const WCHAR* m_wmkText;
    const WCHAR* m_wmkFont;
    BYTE m_wmkCharSet;
    DWORD m_wmkSize, m_wmkStyle;
    COLORREF m_wmkColor;
    LONG m_wmkAngle;
};

// Writes the link's model into the blocks by the table above; the watermark fields other than
// noWatermark are left alone while noWatermark is set, as the link keeps them.
void ApplyLinkModel(const QORVAPreviewLinkModel& model, QORVAPreviewSettings* settings, QORVAPreviewWatermark* watermark);
// The blocks read back by the same table (the text fields point into the blocks), so that a value
// the link does not recognise leaves its field as it was.
QORVAPreviewLinkModel LinkModelOf(const QORVAPreviewSettings& settings, const QORVAPreviewWatermark& watermark);
