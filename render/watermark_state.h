// What the watermark output keeps in the OEM PDEV between pages: the scale and poster values it
// read last, the poster's tile offsets, and the watermark text as codes of the downloaded font.
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>

// One poster tile's offset from the page centre, in half page sizes.
struct PosterTile {
    LONG x = 0;
    LONG y = 0;
};

struct WatermarkOutputState {
    WORD m_scalePercent = 100;           // _SCALE_FACTOR as the last watermark read it
    BYTE m_poster = 0;                   // _POSTER as the last watermark read it
    std::vector<PosterTile> m_posterTiles;  // N x N for a poster of N tiles a side, else empty
    std::u16string m_mappedText;         // the watermark text as codes of the downloaded font
};
