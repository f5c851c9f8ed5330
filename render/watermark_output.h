// The watermark of a page, written when the universal driver ends the page (command callbacks 312
// and 313): first the watermark's font and characters go to the printer (EmitWatermark), then,
// only when they are there, the text is drawn onto the cells of the sheet (DrawWatermarkPage).
#pragma once

#include <win/windows.h>

struct OemPdev;

// The page gets a watermark: watermark output is on, the PDEV draws text as graphics or the
// printer's watermark mode is 2, and the watermark text is not empty.
bool WatermarkPassDue(const OemPdev* pdev);
// The page's watermark when it is due. The page end that follows does not depend on it.
void RunWatermarkPass(OemPdev* pdev);

// The watermark's font for the page: the text's height from _WMK_SIZE (times the poster's tiles a
// side) at the vertical resolution, scaled on one page per sheet, its angle in tenths of a degree
// (a quarter turn more on 2 and 6 pages per sheet), weight and italic by the style, the face cut
// to 31 characters; every other field 0. Builds the poster's tile table as it goes.
LOGFONTW WatermarkFont(OemPdev* pdev);
// Puts the watermark's font and the characters of its text on the printer: S_OK when they are
// there, a failure otherwise (nothing is then drawn).
HRESULT EmitWatermark(OemPdev* pdev);
// Draws the watermark text over the page being ended: the result of the last drawing, S_OK when
// nothing was to be drawn.
HRESULT DrawWatermarkPage(OemPdev* pdev);
// At the document's end: the downloaded-font state and the poster tile table go.
void ReleaseWatermarkState(OemPdev* pdev);
// At a new DEVMODE (ResetPDEV), after the page layout's carry has moved the downloaded fonts: the
// poster tiles, the scale and poster values and the code-mapped text move to the new PDEV.
void CarryWatermarkState(OemPdev* newPdev, OemPdev* oldPdev);
