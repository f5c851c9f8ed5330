// The pixels of device contexts and the pixel work the raster calls share.
#include "gdi/raster.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace palvex::gdi {

Raster::~Raster() {
    if (!m_surface) return;
    cairo_surface_mark_dirty(m_surface);
    cairo_surface_destroy(m_surface);
}

std::unique_ptr<Raster> Raster::Open(const DeviceContext& context) {
    std::unique_ptr<Raster> raster(new Raster);
    if (context.memory) {
        auto bitmap = Objects().Find(context.bitmap);
        if (!bitmap || bitmap->type != OBJ_BITMAP) return nullptr;
        RealisePixels(*bitmap);
        if (bitmap->pixels.empty()) return nullptr;
        raster->m_pixels = bitmap->pixels.data();
        raster->m_width = bitmap->width;
        raster->m_height = bitmap->height;
        raster->m_stride = bitmap->width;
        raster->m_mono = bitmap->bitsPixel == 1;
        raster->m_clip = RECT{0, 0, bitmap->width, bitmap->height};
        raster->m_surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(bitmap->pixels.data()),
                                                                CAIRO_FORMAT_RGB24, bitmap->width, bitmap->height,
                                                                bitmap->width * 4);
    } else if (context.canvas) {
        auto* surface = static_cast<cairo_surface_t*>(context.canvas);
        if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_RGB24) return nullptr;
        cairo_surface_flush(surface);
        raster->m_surface = cairo_surface_reference(surface);
        raster->m_pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
        raster->m_width = cairo_image_surface_get_width(surface);
        raster->m_height = cairo_image_surface_get_height(surface);
        raster->m_stride = cairo_image_surface_get_stride(surface) / 4;
        raster->m_x = context.originX;
        raster->m_y = context.originY;
        raster->m_clip = context.canvasClip;
    } else {
        return nullptr;
    }
    RECT& clip = raster->m_clip;
    clip.left = std::max<LONG>(clip.left, 0);
    clip.top = std::max<LONG>(clip.top, 0);
    clip.right = std::min<LONG>(clip.right, raster->m_width);
    clip.bottom = std::min<LONG>(clip.bottom, raster->m_height);
    if (context.clipping) {
        clip.left = std::max<LONG>(clip.left, context.clip.left + raster->m_x);
        clip.top = std::max<LONG>(clip.top, context.clip.top + raster->m_y);
        clip.right = std::min<LONG>(clip.right, context.clip.right + raster->m_x);
        clip.bottom = std::min<LONG>(clip.bottom, context.clip.bottom + raster->m_y);
    }
    if (clip.right < clip.left) clip.right = clip.left;
    if (clip.bottom < clip.top) clip.bottom = clip.top;
    return raster;
}

cairo_t* Raster::Cairo() const {
    cairo_t* cr = cairo_create(m_surface);
    cairo_rectangle(cr, m_clip.left, m_clip.top, m_clip.right - m_clip.left, m_clip.bottom - m_clip.top);
    cairo_clip(cr);
    cairo_translate(cr, m_x, m_y);
    return cr;
}

uint32_t PixelOf(const Raster& raster, COLORREF colour) {
    const uint32_t pixel = (uint32_t{GetRValue(colour)} << 16) | (uint32_t{GetGValue(colour)} << 8) | GetBValue(colour);
    if (!raster.mono()) return pixel;
    const int light = GetRValue(colour) * 30 + GetGValue(colour) * 59 + GetBValue(colour) * 11;
    return light >= 128 * 100 ? 0xFFFFFF : 0;
}

COLORREF ColourOf(uint32_t pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

namespace {

bool Anisotropic(const DeviceContext& context) { return context.mapMode == MM_ANISOTROPIC || context.mapMode == MM_ISOTROPIC; }

double Ratio(LONG viewport, LONG window) { return window ? double(viewport) / window : 1.0; }

// One coordinate taken from one space (window or viewport) to the other: moved between the
// origins, and scaled by the extents when the mapping mode scales.
LONG MapAxis(bool scaled, LONG value, LONG fromOrigin, LONG fromExtent, LONG toOrigin, LONG toExtent) {
    if (!scaled) return value - fromOrigin + toOrigin;
    return static_cast<LONG>(std::lround((value - fromOrigin) * Ratio(toExtent, fromExtent))) + toOrigin;
}

}  // namespace

POINT ToDevice(const DeviceContext& context, LONG x, LONG y) {
    const bool scaled = Anisotropic(context);
    return POINT{MapAxis(scaled, x, context.windowOrigin.x, context.windowExtent.cx, context.viewportOrigin.x, context.viewportExtent.cx),
                 MapAxis(scaled, y, context.windowOrigin.y, context.windowExtent.cy, context.viewportOrigin.y, context.viewportExtent.cy)};
}

POINT ToLogical(const DeviceContext& context, LONG x, LONG y) {
    const bool scaled = Anisotropic(context);
    return POINT{MapAxis(scaled, x, context.viewportOrigin.x, context.viewportExtent.cx, context.windowOrigin.x, context.windowExtent.cx),
                 MapAxis(scaled, y, context.viewportOrigin.y, context.viewportExtent.cy, context.windowOrigin.y, context.windowExtent.cy)};
}

double ScaleX(const DeviceContext& context) {
    return Anisotropic(context) ? std::fabs(Ratio(context.viewportExtent.cx, context.windowExtent.cx)) : 1.0;
}

double ScaleY(const DeviceContext& context) {
    return Anisotropic(context) ? std::fabs(Ratio(context.viewportExtent.cy, context.windowExtent.cy)) : 1.0;
}

std::vector<uint32_t> DecodeDib(const std::vector<uint8_t>& dib, int* width, int* height) {
    BITMAPINFOHEADER header{};
    *width = *height = 0;
    if (dib.size() < sizeof(header)) return {};
    std::memcpy(&header, dib.data(), sizeof(header));
    const int bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};
    if (header.biHeight == INT32_MIN) return {};
    const int w = header.biWidth;
    const int h = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (w <= 0 || h <= 0 || header.biSize < sizeof(header) || header.biSize > dib.size()) return {};
    size_t colours = header.biClrUsed;
    if (colours == 0 && bits <= 8) colours = size_t{1} << bits;
    if (header.biCompression == BI_BITFIELDS) colours = 3;
    const uint8_t* palette = dib.data() + header.biSize;
    if (size_t(palette - dib.data()) + colours * 4 > dib.size()) return {};
    const uint8_t* bytes = palette + colours * 4;
    const size_t stride = (size_t(w) * bits + 31) / 32 * 4;
    if (size_t(h) > (dib.size() - size_t(bytes - dib.data())) / stride) return {};
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int row = 0; row < h; ++row) {
        const uint8_t* in = bytes + stride * (header.biHeight < 0 ? row : h - 1 - row);
        for (int col = 0; col < w; ++col) {
            uint32_t r = 0, g = 0, b = 0;
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const int shift = (perByte - 1 - col % perByte) * bits;
                const size_t index = (in[col / perByte] >> shift) & ((1 << bits) - 1);
                if (index < colours) {
                    b = palette[index * 4];
                    g = palette[index * 4 + 1];
                    r = palette[index * 4 + 2];
                }
            } else if (bits == 16) {
                const unsigned v = in[col * 2] | (in[col * 2 + 1] << 8);
                r = ((v >> 10) & 31) * 255 / 31;
                g = ((v >> 5) & 31) * 255 / 31;
                b = (v & 31) * 255 / 31;
            } else {
                const uint8_t* p = in + col * (bits / 8);
                b = p[0];
                g = p[1];
                r = p[2];
            }
            pixels[size_t(row) * w + col] = (r << 16) | (g << 8) | b;
        }
    }
    *width = w;
    *height = h;
    return pixels;
}

void RealisePixels(GdiObject& bitmap) {
    if (!bitmap.pixels.empty() || bitmap.type != OBJ_BITMAP || bitmap.width <= 0 || bitmap.height <= 0) return;
    int w = 0, h = 0;
    if (!bitmap.dib.empty()) bitmap.pixels = DecodeDib(bitmap.dib, &w, &h);
    if (bitmap.pixels.empty()) bitmap.pixels.assign(size_t(bitmap.width) * bitmap.height, 0);
    if (bitmap.bitsPixel == 1)  // a one-bit picture keeps black and white only
        for (auto& pixel : bitmap.pixels) pixel = pixel ? 0xFFFFFF : 0;
}

void FillDevice(Raster& raster, RECT rect, uint32_t pixel) {
    const LONG left = std::max<LONG>(rect.left + raster.x(), raster.clip().left);
    const LONG top = std::max<LONG>(rect.top + raster.y(), raster.clip().top);
    const LONG right = std::min<LONG>(rect.right + raster.x(), raster.clip().right);
    const LONG bottom = std::min<LONG>(rect.bottom + raster.y(), raster.clip().bottom);
    for (LONG py = top; py < bottom; ++py)
        for (LONG px = left; px < right; ++px) raster.Put(px, py, pixel);
}

void PenLine(Raster& raster, const DeviceContext& context, const GdiObject& pen, POINT a, POINT b) {
    if (pen.hollow) return;
    const uint32_t pixel = PixelOf(raster, pen.colour);
    // A styled pen fills its gaps with the background colour in the opaque background mode.
    const bool gapsFilled = context.backgroundMode == OPAQUE;
    const uint32_t gap = PixelOf(raster, context.backgroundColour);
    const int width = std::max(1, static_cast<int>(std::lround(pen.penWidth * ScaleX(context))));
    // Cosmetic patterns in pixels: dots three on and three off, dashes eighteen on and six off.
    const int on = pen.penStyle == PS_DOT ? 3 : 18, period = pen.penStyle == PS_DOT ? 6 : 24;
    // A long line is first cut to the part near the drawable area (its pattern then starts at the
    // cut), so that no line walks further than the picture.
    const RECT& clip = raster.clip();
    const double margin = width + 2;
    const double left = clip.left - raster.x() - margin, right = clip.right - raster.x() + margin;
    const double top = clip.top - raster.y() - margin, bottom = clip.bottom - raster.y() + margin;
    if (std::max(std::llabs(static_cast<long long>(b.x) - a.x), std::llabs(static_cast<long long>(b.y) - a.y)) > 4096) {
        double t0 = 0, t1 = 1;
        const double ddx = double(b.x) - a.x, ddy = double(b.y) - a.y;
        const double p[4] = {-ddx, ddx, -ddy, ddy}, q[4] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0) {
                if (q[i] < 0) return;
                continue;
            }
            const double r = q[i] / p[i];
            if (p[i] < 0) t0 = std::max(t0, r);
            else t1 = std::min(t1, r);
        }
        if (t0 > t1) return;
        const POINT from{static_cast<LONG>(std::lround(a.x + t0 * ddx)), static_cast<LONG>(std::lround(a.y + t0 * ddy))};
        const POINT to{static_cast<LONG>(std::lround(a.x + t1 * ddx)), static_cast<LONG>(std::lround(a.y + t1 * ddy))};
        a = from;
        if (t1 < 1) b = POINT{to.x + (ddx > 0) - (ddx < 0), to.y + (ddy > 0) - (ddy < 0)};
        else b = to;
    }
    LONG x = a.x, y = a.y;
    const LONG dx = std::labs(b.x - a.x), dy = -std::labs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    LONG error = dx + dy;
    for (int step = 0; x != b.x || y != b.y; ++step) {
        const bool drawn = pen.penStyle == PS_SOLID || width > 1 || step % period < on;
        if (drawn || gapsFilled) {
            const int from = -(width - 1) / 2;
            for (int i = from; i < from + width; ++i)
                for (int j = from; j < from + width; ++j)
                    raster.Put(x + raster.x() + i, y + raster.y() + j, drawn ? pixel : gap);
        }
        const LONG twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

uint32_t ApplyRop(DWORD rop, uint32_t pattern, uint32_t source, uint32_t target) {
    const unsigned index = (rop >> 16) & 0xFF;
    uint32_t result = 0;
    for (unsigned combination = 0; combination < 8; ++combination) {
        if (!(index & (1u << combination))) continue;
        const uint32_t p = (combination & 4) ? pattern : ~pattern;
        const uint32_t s = (combination & 2) ? source : ~source;
        const uint32_t d = (combination & 1) ? target : ~target;
        result |= p & s & d;
    }
    return result & 0xFFFFFF;
}

std::shared_ptr<GdiObject> CurrentPen(const DeviceContext& context) {
    auto pen = Objects().Find(context.pen);
    return pen ? pen : Objects().Find(GetStockObject(BLACK_PEN));
}

std::shared_ptr<GdiObject> CurrentBrush(const DeviceContext& context) {
    auto brush = Objects().Find(context.brush);
    return brush ? brush : Objects().Find(GetStockObject(WHITE_BRUSH));
}

}  // namespace palvex::gdi
