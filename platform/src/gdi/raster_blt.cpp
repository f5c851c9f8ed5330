// Block transfers between raster device contexts with raster operations, and the conversion of
// colour and monochrome pictures between them.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "gdi/raster.h"

using palvex::gdi::DeviceContext;
using palvex::gdi::DeviceContexts;
using palvex::gdi::Raster;

namespace {

// Whether the operation reads the source (its result differs between source bits 0 and 1).
bool UsesSource(DWORD rop) {
    const unsigned index = (rop >> 16) & 0xFF;
    return ((index >> 2) & 0x33) != (index & 0x33);
}

BOOL Transfer(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
              int hSrc, DWORD rop) {
    auto target = DeviceContexts().Find(hdcDest);
    if (!target) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const bool withSource = UsesSource(rop);
    auto source = withSource ? DeviceContexts().Find(hdcSrc) : nullptr;
    if (withSource && !source) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto into = Raster::Open(*target);
    if (!into) return TRUE;  // draws nowhere
    std::unique_ptr<Raster> from = withSource ? Raster::Open(*source) : nullptr;
    const POINT d0 = palvex::gdi::ToDevice(*target, xDest, yDest);
    const POINT d1 = palvex::gdi::ToDevice(*target, xDest + wDest, yDest + hDest);
    POINT s0{0, 0}, s1{0, 0};
    if (withSource) {
        s0 = palvex::gdi::ToDevice(*source, xSrc, ySrc);
        s1 = palvex::gdi::ToDevice(*source, xSrc + wSrc, ySrc + hSrc);
    }
    const int width = std::abs(d1.x - d0.x), height = std::abs(d1.y - d0.y);
    const int sourceWidth = s1.x - s0.x, sourceHeight = s1.y - s0.y;
    // A negative extent counts from its edge backwards, so the picture is mirrored.
    const bool mirrorX = (d1.x < d0.x) != (sourceWidth < 0), mirrorY = (d1.y < d0.y) != (sourceHeight < 0);
    const int left = std::min(d0.x, d1.x) + (d1.x < d0.x ? 1 : 0), top = std::min(d0.y, d1.y) + (d1.y < d0.y ? 1 : 0);
    const int sourceLeft = std::min(s0.x, s1.x) + (sourceWidth < 0 ? 1 : 0);
    const int sourceTop = std::min(s0.y, s1.y) + (sourceHeight < 0 ? 1 : 0);
    const int sw = std::abs(sourceWidth), sh = std::abs(sourceHeight);
    if (withSource && !from) return TRUE;  // a source that draws nowhere gives nothing
    // A context copying onto its own picture reads a snapshot of it.
    std::vector<uint32_t> snapshot;
    if (from && from->data() == into->data()) {
        snapshot.resize(size_t(from->width()) * from->height());
        for (int y = 0; y < from->height(); ++y)
            for (int x = 0; x < from->width(); ++x) snapshot[size_t(y) * from->width() + x] = from->Get(x, y);
    }
    // The source pixel at (x, y) of the source rectangle, converted to the target's kind: colour
    // to monochrome turns the source's background colour white and the rest black; monochrome to
    // colour turns black into the target's text colour and white into its background colour.
    const auto sourceAt = [&](int x, int y) -> uint32_t {
        const int px = sourceLeft + x + from->x(), py = sourceTop + y + from->y();
        if (!from->Inside(px, py)) return 0xFFFFFF;
        uint32_t pixel = snapshot.empty() ? from->Get(px, py) : snapshot[size_t(py) * from->width() + px];
        if (!from->mono() && into->mono()) pixel = pixel == palvex::gdi::PixelOf(*from, source->backgroundColour) ? 0xFFFFFF : 0;
        else if (from->mono() && !into->mono())
            pixel = palvex::gdi::PixelOf(*into, pixel ? target->backgroundColour : target->textColour);
        return pixel;
    };
    const uint32_t pattern = palvex::gdi::PixelOf(*into, palvex::gdi::CurrentBrush(*target)->colour);
    // Only the target pixels the context may draw on.
    const RECT& clip = into->clip();
    const int firstY = static_cast<int>(std::max<int64_t>(0, int64_t{clip.top} - top - into->y()));
    const int endY = static_cast<int>(std::min<int64_t>(height, int64_t{clip.bottom} - top - into->y()));
    const int firstX = static_cast<int>(std::max<int64_t>(0, int64_t{clip.left} - left - into->x()));
    const int endX = static_cast<int>(std::min<int64_t>(width, int64_t{clip.right} - left - into->x()));
    for (int y = firstY; y < endY; ++y)
        for (int x = firstX; x < endX; ++x) {
            const int px = left + x + into->x(), py = top + y + into->y();
            if (!into->Writable(px, py)) continue;
            uint32_t s = 0;
            if (from && sw > 0 && sh > 0) {
                int fx = static_cast<int>((int64_t{x} * sw) / width), fy = static_cast<int>((int64_t{y} * sh) / height);
                if (mirrorX) fx = sw - 1 - fx;
                if (mirrorY) fy = sh - 1 - fy;
                s = sourceAt(fx, fy);
            }
            into->Put(px, py, palvex::gdi::ApplyRop(rop, pattern, s, into->Get(px, py)));
        }
    return TRUE;
}

}  // namespace

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return Transfer(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

int SetStretchBltMode(HDC hdc, int mode) {
    auto context = DeviceContexts().Find(hdc);
    if (!context || mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return std::exchange(context->stretchMode, mode);
}

int GetStretchBltMode(HDC hdc) {
    auto context = DeviceContexts().Find(hdc);
    return context ? context->stretchMode : 0;
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
    return Transfer(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}
