// The values of the watermark text drawn over a played page: its font height, angle and colour,
// worked out from the job's watermark settings and the device.
#pragma once

#include <win/windows.h>

namespace watermark {

// The font height in device units of a watermark of size points at dpi, scaled for N-up pages
// (the physical sheet size decides the 2- and 6-up scale) or by a scaling factor other than 100.
LONG FontHeight(WORD size, LONG dpi, DWORD nupPages, WORD scalingFactor, LONG physicalWidth, LONG physicalHeight);

// The colour the text is drawn in: the colour as it is for the colour printer languages 41 and
// 51, else lightened by shade (a grey counts as black, and shade 232 then gives white).
COLORREF Colour(COLORREF colour, WORD shade, DWORD pdlType);

// The escapement angle in degrees: mode 2 is level, mode 1 on a turned page follows the diagonal
// of the rectangle, otherwise degree.
LONG Angle(BYTE mode, WORD degree, bool turned, const RECT& rect);

// Where text of extent (cx, cy) starts so that it is centred in rect at angle degrees.
POINT CentredOrigin(const RECT& rect, SIZE extent, LONG angle);

}  // namespace watermark

namespace datestamp {

// Where the date stamp of extent (cx, cy) starts in rect at position 0-5; vertical for 2- and
// 6-up sheets. False for another position.
bool Origin(const RECT& rect, SIZE extent, BYTE position, bool vertical, POINT* origin);

}  // namespace datestamp
