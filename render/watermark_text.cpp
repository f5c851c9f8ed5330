// One drawing of the watermark text in PCL XL: a fixed sequence that saves the graphics state, sets
// the clip, angle, colour and shade pattern, selects the downloaded font and draws the code-mapped
// text with its own advances from a start point the font's measures give, then restores the state.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <win/wingdi_fontdata.h>

#include "oem_pdev.h"
#include "pclxl_writer.h"
#include "watermark_placement.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr short kMonochrome = 1;  // DMCOLOR_MONOCHROME

// Rows 1 to 8 of each pattern, four bytes a row; rows 9 to 16 repeat them. A pixel of 1 takes the
// palette's white, 0 the watermark colour.
constexpr BYTE kShadeRows[9][8][4] = {
    // 0: solid colour.
    {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
    // 32
    {{0x60, 0x60, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0x06, 0x06}, {0x04, 0x06, 0, 0}, {0, 0, 0, 0},
     {0x60, 0x60, 0, 0}, {0, 0, 0, 0}},
    // 64
    {{0xE0, 0xE0, 0, 0}, {0x60, 0x60, 0, 0}, {0, 0, 0, 0}, {0, 0, 0x06, 0x0E}, {0x0E, 0x0E, 0, 0}, {0x06, 0x06, 0, 0},
     {0, 0, 0, 0}, {0xE0, 0xE0, 0, 0}},
    // 96
    {{0xF0, 0xF0, 0, 0}, {0x60, 0x60, 0, 0}, {0x06, 0x06, 0, 0}, {0x0E, 0x0E, 0, 0}, {0x0F, 0x0F, 0, 0},
     {0x06, 0x06, 0, 0}, {0x60, 0x60, 0, 0}, {0x0E, 0x0E, 0, 0}},
    // 128
    {{0xF0, 0xF0, 0, 0}, {0xE0, 0xE0, 0, 0}, {0x0E, 0x0F, 0, 0}, {0x0F, 0x0F, 0, 0}, {0x0F, 0x0F, 0, 0},
     {0x0E, 0x0E, 0, 0}, {0xF0, 0xF0, 0, 0}, {0xF0, 0xF0, 0, 0}},
    // 192
    {{0xF1, 0xF1, 0, 0}, {0xF9, 0xF9, 0, 0}, {0xBF, 0xFF, 0, 0}, {0x1F, 0x1F, 0, 0}, {0x1F, 0x1F, 0, 0},
     {0x9F, 0x9F, 0, 0}, {0xFF, 0xFF, 0, 0}, {0xF1, 0xF1, 0, 0}},
    // 224
    {{0xF9, 0xF9, 0, 0}, {0xFF, 0xFF, 0, 0}, {0xFF, 0xFF, 0, 0}, {0x9F, 0x9F, 0, 0}, {0x9F, 0x9F, 0, 0},
     {0xBF, 0xFF, 0, 0}, {0xFF, 0xFF, 0, 0}, {0xF9, 0xF9, 0, 0}},
    // 232
    {{0xFE, 0xFE, 0, 0}, {0xFF, 0xFF, 0, 0}, {0xFF, 0xFF, 0, 0}, {0xEF, 0xEF, 0, 0}, {0xEF, 0xEF, 0, 0},
     {0xFF, 0xFF, 0, 0}, {0xFF, 0xFF, 0, 0}, {0xFE, 0xFE, 0, 0}},
    // any other value
    {{0xF0, 0xF0, 0, 0}, {0xF9, 0xF1, 0, 0}, {0x9F, 0x9F, 0, 0}, {0x0F, 0x0F, 0, 0}, {0x0F, 0x0F, 0, 0},
     {0x1F, 0x1F, 0, 0}, {0xF9, 0xF9, 0, 0}, {0xF0, 0xF0, 0, 0}},
};

struct ShadePatterns {
    BYTE m_bytes[9][64];
    ShadePatterns() {
        for (int p = 0; p < 9; ++p)
            for (int row = 0; row < 16; ++row) std::copy_n(kShadeRows[p][row % 8], 4, &m_bytes[p][row * 4]);
    }
};

size_t ShadeIndex(WORD shade) {
    switch (shade) {
    case 0: return 0;
    case 32: return 1;
    case 64: return 2;
    case 96: return 3;
    case 128: return 4;
    case 192: return 5;
    case 224: return 6;
    case 232: return 7;
    default: return 8;
    }
}

// The device's values are 16-bit on the wire: a value beyond them stops at the nearest end rather
// than wrapping to the far side of the page.
SHORT Clamp16(double value) {
    if (value > std::numeric_limits<SHORT>::max()) return std::numeric_limits<SHORT>::max();
    if (value < std::numeric_limits<SHORT>::min()) return std::numeric_limits<SHORT>::min();
    return static_cast<SHORT>(value);
}

// Keeps the first failed write's result; the drawing goes on to its end regardless, so the
// printer's graphics state is restored whatever was lost.
class Drawing {
public:
    explicit Drawing(OemPdev* pdev) : m_pdev(pdev) {}
    Drawing& operator<<(HRESULT result) {
        if (SUCCEEDED(m_result) && FAILED(result)) m_result = result;
        return *this;
    }
    HRESULT Bytes(std::initializer_list<BYTE> bytes) { return WriteXLBytes(m_pdev, bytes); }
    HRESULT SInt16(SHORT value) {
        return WriteXLBytes(m_pdev, {xl::kSInt16, static_cast<BYTE>(value & 0xFF), static_cast<BYTE>((value >> 8) & 0xFF)});
    }
    HRESULT result() const { return m_result; }

private:
    OemPdev* m_pdev;
    HRESULT m_result = S_OK;
};

// What the font's measures give for the text.
struct TextMeasures {
    LONG width = 0;
    LONG height = 0;
    LONG descent = 0;
    std::vector<LONG> charWidths;  // one per character of the text
};

LONG Scaled(LONG value, double factor) {
    return factor != 1.0 ? static_cast<LONG>(value * factor) : value;
}

// On a memory device context in MM_TWIPS with the cache entry's font selected. What cannot be
// measured stays 0.
TextMeasures MeasureText(const LOGFONTW& logFont, const std::u16string& text, double widthFactor) {
    TextMeasures measures;
    measures.charWidths.assign(text.size(), 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return measures;
    const int previousMode = SetMapMode(dc, MM_TWIPS);
    HFONT font = CreateFontIndirectW(&logFont);
    HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    if (previousFont && GetTextMetricsW(dc, &metrics)) {
        measures.descent = metrics.tmDescent;
        for (size_t i = 0; i < text.size(); ++i) {
            INT width = 0;
            if (GetCharWidth32W(dc, text[i], text[i], &width)) measures.charWidths[i] = Scaled(width, widthFactor);
        }
        SIZE extent{};
        if (GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent)) {
            measures.width = extent.cx;
            measures.height = extent.cy;
        }
        if (measures.width == 0)
            for (LONG width : measures.charWidths) measures.width += width;
        if (measures.height == 0) measures.height = metrics.tmAscent + metrics.tmInternalLeading + metrics.tmDescent;
    }
    if (previousFont) SelectObject(dc, previousFont);
    if (font) DeleteObject(font);
    if (previousMode) SetMapMode(dc, previousMode);
    DeleteDC(dc);
    return measures;
}

// The resolution CharSize is worked out at: dmPrintQuality, or for its negative DMRES_* values the
// PDEV's resolution.
double PrintQuality(const OemPdev* pdev) {
    const short quality = pdev->m_publicDevmode ? pdev->m_publicDevmode->dmPrintQuality : 0;
    return quality > 0 ? quality : pdev->m_layout.m_resolution;
}

}  // namespace

const BYTE* ShadePattern(WORD shade) {
    static const ShadePatterns patterns;
    return patterns.m_bytes[ShadeIndex(shade)];
}

HRESULT DrawWatermarkText(OemPdev* pdev, const WatermarkPlacement& placement) {
    if (!pdev || !pdev->m_fontCache || !pdev->m_fontCache->m_current) return E_FAIL;
    const FontCacheEntry& entry = *pdev->m_fontCache->m_current;
    const WatermarkSettings& watermark = pdev->m_layout.m_watermark;
    const std::u16string& mapped = pdev->m_watermarkOutput.m_mappedText;
    const GDIINFO& gdi = pdev->m_layout.m_gdiInfo;
    Drawing d(pdev);

    d << d.Bytes({xl::kPushGS, xl::kSetPageDefaultCTM});
    d << d.Bytes({xl::kReal32XY}) << WriteXLReal32(pdev, 1.0f) << WriteXLReal32(pdev, 1.0f) << WriteXLAttr(pdev, xl::kCharScale)
      << d.Bytes({xl::kSetCharScale});
    d << d.Bytes({xl::kReal32}) << WriteXLReal32(pdev, 0.0f) << WriteXLAttr(pdev, xl::kCharBoldValue)
      << d.Bytes({xl::kSetCharBoldValue});
    d << WriteXLSInt16Box(pdev, Clamp16(placement.m_clip.left), Clamp16(placement.m_clip.top),
                          Clamp16(placement.m_clip.right), Clamp16(placement.m_clip.bottom))
      << WriteXLAttr(pdev, xl::kBoundingBox) << d.Bytes({xl::kUByte, 0x00}) << WriteXLAttr(pdev, xl::kClipRegion)
      << d.Bytes({xl::kSetClipRectangle});
    d << WriteXLSInt16XY(pdev, 0, 0) << WriteXLAttr(pdev, xl::kCharShear) << d.Bytes({xl::kSetCharShear});
    d << d.SInt16(placement.m_angle) << WriteXLAttr(pdev, xl::kCharAngle) << d.Bytes({xl::kSetCharAngle});
    const auto transparent = [&] {
        d << d.Bytes({xl::kUByte, 0x01}) << WriteXLAttr(pdev, xl::kTxMode) << d.Bytes({xl::kSetPaintTxMode});
        d << d.Bytes({xl::kUByte, 0x01}) << WriteXLAttr(pdev, xl::kTxMode) << d.Bytes({xl::kSetSourceTxMode});
    };
    transparent();

    // The palette: the watermark colour, then white. Grey colours and monochrome pages print black
    // through the shade pattern.
    BYTE red = GetRValue(watermark.m_color), green = GetGValue(watermark.m_color), blue = GetBValue(watermark.m_color);
    const bool monochrome = pdev->m_publicDevmode && pdev->m_publicDevmode->dmColor == kMonochrome;
    if (monochrome || (red == green && green == blue)) red = green = blue = 0;
    const BYTE palette[6] = {red, green, blue, 0xFF, 0xFF, 0xFF};
    d << d.Bytes({xl::kUByte, 0x02}) << WriteXLAttr(pdev, xl::kColorSpace);
    d << d.Bytes({xl::kUByte, 0x02}) << WriteXLAttr(pdev, xl::kPaletteDepth);
    d << WriteXLUByteArray(pdev, palette, sizeof palette) << WriteXLAttr(pdev, xl::kPaletteData)
      << d.Bytes({xl::kSetColorSpace});
    d << WriteXLSInt16XY(pdev, 0, 0) << WriteXLAttr(pdev, xl::kPoint) << d.Bytes({xl::kSetCursor});

    // The shade pattern, 16 x 16 pixels of one bit.
    d << d.Bytes({xl::kUByte, 0x01}) << WriteXLAttr(pdev, xl::kColorMapping);
    d << d.Bytes({xl::kUByte, 0x00}) << WriteXLAttr(pdev, xl::kColorDepth);
    d << WriteXLUInt16(pdev, 16) << WriteXLAttr(pdev, xl::kSourceWidth);
    d << WriteXLUInt16(pdev, 16) << WriteXLAttr(pdev, xl::kSourceHeight);
    d << WriteXLUInt16XY(pdev, 16, 16) << WriteXLAttr(pdev, xl::kDestinationSize);
    d << d.SInt16(1) << WriteXLAttr(pdev, xl::kPatternDefineID);
    d << d.Bytes({xl::kUByte, 0x00}) << WriteXLAttr(pdev, xl::kPatternPersistence);
    d << d.Bytes({xl::kBeginRastPattern});
    d << WriteXLUInt16(pdev, 0) << WriteXLAttr(pdev, xl::kStartLine);
    d << WriteXLUInt16(pdev, 16) << WriteXLAttr(pdev, xl::kBlockHeight);
    d << d.Bytes({xl::kUByte, 0x00}) << WriteXLAttr(pdev, xl::kCompressMode);
    d << d.Bytes({xl::kReadRastPattern, xl::kDataLengthByte, 64});
    const BYTE* pattern = ShadePattern(watermark.m_shade);
    d << WriteSpool(pdev, pattern, 64);
    d << d.Bytes({xl::kEndRastPattern});
    d << d.SInt16(1) << WriteXLAttr(pdev, xl::kPatternSelectID) << d.Bytes({xl::kSetBrushSource});
    transparent();
    d << d.Bytes({xl::kUByte, 0xFC}) << WriteXLAttr(pdev, xl::kROP3) << d.Bytes({xl::kSetROP});

    // The downloaded font at the placement's size.
    d << WriteXLUByteArray(pdev, reinterpret_cast<const BYTE*>(entry.m_fontName.data()), entry.m_fontName.size())
      << WriteXLAttr(pdev, xl::kFontName);
    d << d.Bytes({xl::kReal32}) << WriteXLReal32(pdev, static_cast<float>(placement.m_size / 72.0 * PrintQuality(pdev)))
      << WriteXLAttr(pdev, xl::kCharSize);
    d << WriteXLUInt16(pdev, static_cast<WORD>(entry.m_symbolSet)) << WriteXLAttr(pdev, xl::kSymbolSet)
      << d.Bytes({xl::kSetFont});

    // The start point: the text's middle on the centre, turned by the angle, on the physical page.
    const std::u16string& text = watermark.m_text;
    const TextMeasures measures = MeasureText(entry.m_logFont, text, placement.m_widthFactor);
    const double angle = placement.m_angle * kPi / 180.0;
    const LONG hw = measures.width / 2;
    const LONG hh = measures.height / 2 - measures.descent;
    const double factor = placement.m_widthFactor;
    const LONG dx1 = Scaled(static_cast<LONG>(hw * std::cos(angle)), factor);
    const LONG dy1 = Scaled(static_cast<LONG>(hw * std::sin(angle)), factor);
    const LONG dx2 = Scaled(static_cast<LONG>(hh * std::sin(angle)), factor);
    const LONG dy2 = Scaled(static_cast<LONG>(hh * std::cos(angle)), factor);
    const LONG marginX = (gdi.szlPhysSize.cx - static_cast<LONG>(gdi.ulHorzRes)) / 2;
    const LONG marginY = (gdi.szlPhysSize.cy - static_cast<LONG>(gdi.ulVertRes)) / 2;
    const double startX = static_cast<double>(placement.m_centreX) - dx1 + dx2 + marginX;
    const double startY = static_cast<double>(placement.m_centreY) + dy1 + dy2 + marginY;
    d << WriteXLSInt16XY(pdev, Clamp16(startX), Clamp16(startY)) << WriteXLAttr(pdev, xl::kPoint)
      << d.Bytes({xl::kSetCursor});

    std::vector<BYTE> codes(mapped.size());
    std::vector<SHORT> xAdvances(mapped.size()), yAdvances(mapped.size());
    for (size_t i = 0; i < mapped.size(); ++i) {
        codes[i] = static_cast<BYTE>(mapped[i] & 0xFF);
        const LONG width = i < measures.charWidths.size() ? measures.charWidths[i] : 0;
        xAdvances[i] = Clamp16(std::trunc(width * std::cos(angle)));
        yAdvances[i] = Clamp16(-std::trunc(width * std::sin(angle)));
    }
    d << WriteXLUByteArray(pdev, codes.data(), codes.size()) << WriteXLAttr(pdev, xl::kTextData);
    d << WriteXLSInt16Array(pdev, xAdvances.data(), xAdvances.size()) << WriteXLAttr(pdev, xl::kXSpacingData);
    d << WriteXLSInt16Array(pdev, yAdvances.data(), yAdvances.size()) << WriteXLAttr(pdev, xl::kYSpacingData);
    d << d.Bytes({xl::kText});

    d << WriteXLSInt16XY(pdev, 0, 0) << WriteXLAttr(pdev, xl::kCharShear) << d.Bytes({xl::kSetCharShear});
    d << d.SInt16(0) << WriteXLAttr(pdev, xl::kCharAngle) << d.Bytes({xl::kSetCharAngle});
    d << d.Bytes({xl::kPopGS});
    return d.result();
}
