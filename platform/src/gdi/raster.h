// The pixels a device context draws on (internal to the platform library): the bitmap selected
// into a memory context, or the picture of the window being drawn; and the pixel-level pieces the
// raster calls share (mapping, clipping, lines, fills, raster operations).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <win/wingdi_raster.h>

#include "gdi/gdi_objects.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

namespace palvex::gdi {

struct DeviceContext::Saved {
    HGDIOBJ font, pen, brush;
    COLORREF textColour, backgroundColour;
    int backgroundMode, mapMode;
    UINT textAlign;
    POINT position, windowOrigin, viewportOrigin;
    SIZE windowExtent, viewportExtent;
    bool clipping;
    RECT clip;
};

class Raster {
public:
    ~Raster();
    Raster(const Raster&) = delete;
    Raster& operator=(const Raster&) = delete;

    // The pixels of the context, or null when it draws nowhere (a window context outside a
    // picture, a printer context).
    static std::unique_ptr<Raster> Open(const DeviceContext& context);

    bool mono() const { return m_mono; }
    const uint32_t* data() const { return m_pixels; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The area the context may draw on, in pixel coordinates.
    const RECT& clip() const { return m_clip; }
    // Device units of the context to pixel coordinates.
    LONG x() const { return m_x; }
    LONG y() const { return m_y; }
    bool Writable(int px, int py) const {
        return px >= m_clip.left && px < m_clip.right && py >= m_clip.top && py < m_clip.bottom;
    }
    bool Inside(int px, int py) const { return px >= 0 && px < m_width && py >= 0 && py < m_height; }
    uint32_t Get(int px, int py) const { return m_pixels[size_t(py) * m_stride + px] & 0xFFFFFF; }
    void Put(int px, int py, uint32_t value) {
        if (Writable(px, py)) m_pixels[size_t(py) * m_stride + px] = value;
    }
    // A cairo context on the pixels with device (0, 0) at the origin and the clip applied; the
    // caller destroys it.
    cairo_t* Cairo() const;

private:
    Raster() = default;
    uint32_t* m_pixels = nullptr;
    int m_stride = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_mono = false;
    LONG m_x = 0;
    LONG m_y = 0;
    RECT m_clip{};
    cairo_surface_t* m_surface = nullptr;
};

// A COLORREF as a pixel of the raster (black or white on a monochrome one).
uint32_t PixelOf(const Raster& raster, COLORREF colour);
COLORREF ColourOf(uint32_t pixel);

// Logical to device units by the context's mapping.
POINT ToDevice(const DeviceContext& context, LONG x, LONG y);
POINT ToLogical(const DeviceContext& context, LONG x, LONG y);
// A logical length along x or y in device units (absolute).
double ScaleX(const DeviceContext& context);
double ScaleY(const DeviceContext& context);

// Makes the bitmap's pixels from its device-independent bits when it has none yet.
void RealisePixels(GdiObject& bitmap);
std::vector<uint32_t> DecodeDib(const std::vector<uint8_t>& dib, int* width, int* height);

// Pixel work in device units of the context (all clipped).
void FillDevice(Raster& raster, RECT rect, uint32_t pixel);
// A line of the pen from a to b, its last point left out.
void PenLine(Raster& raster, const DeviceContext& context, const GdiObject& pen, POINT a, POINT b);
// The result of the ternary raster operation (its index, bits 16 to 23 of the code) on pattern,
// source and target pixels.
uint32_t ApplyRop(DWORD rop, uint32_t pattern, uint32_t source, uint32_t target);

// The pen and brush selected (stock black pen and white brush when none is).
std::shared_ptr<GdiObject> CurrentPen(const DeviceContext& context);
std::shared_ptr<GdiObject> CurrentBrush(const DeviceContext& context);

// Text in the selected font at the reference point (device units) with the context's alignment,
// colour, background mode and the font's escapement; characters the face lacks in the linked
// Japanese face. With glyphs, the indices of the selected face are drawn instead.
void DrawTextRun(Raster& raster, const DeviceContext& context, LONG x, LONG y, UINT options, const RECT* rect,
                 const std::u16string& text, const std::vector<WORD>* glyphs);

}  // namespace palvex::gdi
