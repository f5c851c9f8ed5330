// The watermark drawn over each played page and the date stamp drawn once per sheet side, both
// with GDI text on the printer DC.
#include "watermark_stamp.h"

#include <algorithm>
#include <cmath>

#include "print_single_page_emf.h"

namespace {

constexpr double kPi = 3.1415926;

// Draws text at origin with the font, colour and transparent background, clipped to rect, and
// restores the DC.
HRESULT DrawText(HDC dc, HFONT font, const RECT& rect, POINT origin, COLORREF colour, const WCHAR* text, int length) {
    const HGDIOBJ oldFont = SelectObject(dc, font);
    const COLORREF oldColour = SetTextColor(dc, colour);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const BOOL drawn = ExtTextOutW(dc, origin.x, origin.y, ETO_CLIPPED, &rect, text, static_cast<UINT>(length), nullptr);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    return drawn ? S_OK : E_FAIL;
}

// The extent of the text in the font on the DC; false when it cannot be measured.
bool MeasureText(HDC dc, HFONT font, const WCHAR* text, int length, SIZE* extent) {
    const HGDIOBJ old = SelectObject(dc, font);
    const BOOL measured = GetTextExtentPoint32W(dc, text, length, extent);
    SelectObject(dc, old);
    return measured != FALSE;
}

int TextLength(const WCHAR* text, size_t capacity) {
    size_t length = 0;
    while (length < capacity && text[length]) ++length;
    return static_cast<int>(length);
}

}  // namespace

namespace watermark {

LONG FontHeight(WORD size, LONG dpi, DWORD nupPages, WORD scalingFactor, LONG physicalWidth, LONG physicalHeight) {
    const LONG height = MulDiv(size, dpi * 100, 7200);
    double scale = 1;
    if (scalingFactor == 100) {
        switch (nupPages) {
        case 2: scale = physicalWidth > 0 ? static_cast<double>(physicalHeight / 2) / physicalWidth : 1; break;
        case 4: scale = 0.5; break;
        case 6: scale = physicalHeight > 0 ? static_cast<double>(physicalWidth / 2) / physicalHeight : 1; break;
        case 9: scale = 0.33; break;
        case 16: scale = 0.25; break;
        default: break;
        }
    } else {
        scale = scalingFactor / 100.0;
    }
    return static_cast<LONG>(height * scale);
}

COLORREF Colour(COLORREF colour, WORD shade, DWORD pdlType) {
    if (pdlType == 41 || pdlType == 51) return colour;
    LONG red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
    LONG e = 255 - std::min<LONG>(shade, 255);
    if (red == green && green == blue) {
        red = green = blue = 0;
        if (shade == 232) e = 0;
    }
    auto lighten = [e](LONG channel) { return 255 - ((255 - channel) * e / 255); };
    return RGB(lighten(red), lighten(green), lighten(blue)) | 0x000F0F0F;
}

LONG Angle(BYTE mode, WORD degree, bool turned, const RECT& rect) {
    if (mode == 2) return 0;
    if (turned && mode == 1) {
        const double width = rect.right - rect.left, height = rect.bottom - rect.top;
        if (width <= 0) return 90;
        return static_cast<LONG>(std::atan(height / width) * 180 / kPi);
    }
    return degree;
}

POINT CentredOrigin(const RECT& rect, SIZE extent, LONG angle) {
    const LONG h = extent.cx / 2, v = extent.cy / 2;
    const double theta = angle * kPi / 180;
    return POINT{(rect.left + rect.right) / 2 - static_cast<LONG>(h * std::cos(theta)) -
                     static_cast<LONG>(v * std::sin(theta)),
                 (rect.top + rect.bottom) / 2 + static_cast<LONG>(std::sin(theta) * h) -
                     static_cast<LONG>(v * std::cos(theta))};
}

}  // namespace watermark

namespace datestamp {

bool Origin(const RECT& r, SIZE extent, BYTE position, bool vertical, POINT* origin) {
    const LONG cx = extent.cx, cy = extent.cy;
    if (!vertical) {
        switch (position) {
        case 0: *origin = POINT{r.left, r.top}; return true;
        case 1: *origin = POINT{(r.right + r.left - cx) / 2, r.top}; return true;
        case 2: *origin = POINT{r.right - cx, r.top}; return true;
        case 3: *origin = POINT{r.left, r.bottom - cy}; return true;
        case 4: *origin = POINT{(r.right + r.left - cx) / 2, r.bottom - cy}; return true;
        case 5: *origin = POINT{r.right - cx, r.bottom - cy}; return true;
        default: return false;
        }
    }
    switch (position) {
    case 0: *origin = POINT{r.left, r.bottom}; return true;
    case 1: *origin = POINT{r.left, (r.bottom + r.top + cx) / 2}; return true;
    case 2: *origin = POINT{r.left, r.top + cx}; return true;
    case 3: *origin = POINT{r.right - cy, r.bottom}; return true;
    case 4: *origin = POINT{r.right - cy, (r.bottom + r.top + cx) / 2}; return true;
    case 5: *origin = POINT{r.right - cy, r.top + cx}; return true;
    default: return false;
    }
}

}  // namespace datestamp

HRESULT PrintSinglePageEMF::DrawWatermark(const RECT& rect, DWORD flags) {
    if (!m_dc) return E_FAIL;
    const WORD factor = m_job.scalingFactor ? m_job.scalingFactor : 100;
    const LONG height = watermark::FontHeight(m_job.watermark.size, GetDeviceCaps(m_dc, LOGPIXELSX), m_job.nupPages,
                                              factor, GetDeviceCaps(m_dc, PHYSICALWIDTH),
                                              GetDeviceCaps(m_dc, PHYSICALHEIGHT));
    const LONG angle = watermark::Angle(m_job.watermark.angle, m_job.watermark.degree,
                                        (flags & playflag::kTurned) != 0, rect);
    LOGFONTW font{};
    font.lfHeight = -height;
    font.lfEscapement = font.lfOrientation = angle * 10;
    font.lfWeight = m_job.watermark.style == 2 || m_job.watermark.style == 4 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = m_job.watermark.style == 3 || m_job.watermark.style == 4;
    font.lfPitchAndFamily = 2;
    for (size_t i = 0; i < 31 && m_job.watermarkFont[i]; ++i) font.lfFaceName[i] = m_job.watermarkFont[i];
    const HFONT handle = CreateFontIndirectW(&font);
    if (!handle) return E_FAIL;

    const int length = TextLength(m_job.watermarkText, std::size(m_job.watermarkText));
    SIZE extent{};
    if (!MeasureText(m_dc, handle, m_job.watermarkText, length, &extent)) {
        DeleteObject(handle);
        return E_FAIL;
    }
    return DrawText(m_dc, handle, rect, watermark::CentredOrigin(rect, extent, angle),
                    watermark::Colour(m_job.watermark.color, m_job.watermark.shade, m_job.pdlType),
                    m_job.watermarkText, length);
}

HRESULT PrintSinglePageEMF::DrawDateAndTime(const RECT& rect) {
    if (!m_dc) return E_FAIL;
    const bool vertical = m_job.nupPages == 2 || m_job.nupPages == 6;
    LOGFONTW font{};
    // 9 points, truncated (300 dpi gives 37).
    font.lfHeight = -(9 * GetDeviceCaps(m_dc, LOGPIXELSX) * 100 / 7200);
    font.lfEscapement = font.lfOrientation = vertical ? 900 : 0;
    font.lfWeight = FW_NORMAL;
    font.lfPitchAndFamily = 2;
    const char16_t face[] = u"Arial";
    std::copy(std::begin(face), std::end(face), font.lfFaceName);
    const HFONT handle = CreateFontIndirectW(&font);
    if (!handle) return E_FAIL;
    const int length = TextLength(m_job.dateText, std::size(m_job.dateText));
    SIZE extent{};
    POINT origin{};
    if (!MeasureText(m_dc, handle, m_job.dateText, length, &extent) ||
        !datestamp::Origin(rect, extent, m_job.datePosition, vertical, &origin)) {
        DeleteObject(handle);
        return E_FAIL;
    }
    return DrawText(m_dc, handle, rect, origin, RGB(0, 0, 0), m_job.dateText, length);
}
