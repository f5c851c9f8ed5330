// Raster device-context state: pens, brushes, bitmaps, system colours, the background colour,
// the mapping of logical units, clipping and saved states.
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "gdi/raster.h"

using palvex::gdi::DeviceContext;
using palvex::gdi::DeviceContexts;
using palvex::gdi::GdiObject;
using palvex::gdi::Objects;

namespace palvex::gdi {

void EndContext(DeviceContext& context) {
    for (HGDIOBJ held : {context.font, context.bitmap, context.pen, context.brush})
        if (auto object = Objects().Find(held)) --object->selections;
    context.font = context.bitmap = context.pen = context.brush = nullptr;
    for (const auto& saved : context.saved)
        for (HGDIOBJ held : {saved->font, saved->pen, saved->brush})
            if (auto object = Objects().Find(held)) --object->selections;
    context.saved.clear();
    if (context.canvas) cairo_surface_destroy(static_cast<cairo_surface_t*>(context.canvas));
    context.canvas = nullptr;
}

}  // namespace palvex::gdi

namespace {

std::shared_ptr<DeviceContext> Find(HDC hdc) {
    auto context = DeviceContexts().Find(hdc);
    if (!context) SetLastError(ERROR_INVALID_HANDLE);
    return context;
}

HBITMAP NewBitmap(int width, int height, bool mono) {
    if (width <= 0 || height <= 0 || int64_t{width} * height > (int64_t{1} << 26)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = std::make_shared<GdiObject>();
    bitmap->type = OBJ_BITMAP;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPixel = mono ? 1 : 32;
    bitmap->pixels.assign(size_t(width) * height, 0);  // black
    return Objects().Insert(std::move(bitmap));
}

}  // namespace

COLORREF GetSysColor(int nIndex) {
    switch (nIndex) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(105, 105, 105);
    case COLOR_3DLIGHT: return RGB(227, 227, 227);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    default: return 0;
    }
}

HBRUSH GetSysColorBrush(int nIndex) {
    static std::mutex mutex;
    static std::map<int, HBRUSH> brushes;
    std::lock_guard lock(mutex);
    HBRUSH& brush = brushes[nIndex];
    if (!brush) {
        auto object = std::make_shared<GdiObject>();
        object->type = OBJ_BRUSH;
        object->stock = true;
        object->colour = GetSysColor(nIndex);
        brush = Objects().Insert(std::move(object));
    }
    return brush;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto brush = std::make_shared<GdiObject>();
    brush->type = OBJ_BRUSH;
    brush->colour = color & 0xFFFFFF;
    return Objects().Insert(std::move(brush));
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
    if (iStyle != PS_SOLID && iStyle != PS_DASH && iStyle != PS_DOT && iStyle != PS_NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pen = std::make_shared<GdiObject>();
    pen->type = OBJ_PEN;
    pen->penStyle = iStyle;
    pen->penWidth = std::max(cWidth, 0);
    pen->colour = color & 0xFFFFFF;
    pen->hollow = iStyle == PS_NULL;
    return Objects().Insert(std::move(pen));
}

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    if (nPlanes != 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool mono = nBitCount == 1;
    HBITMAP handle = NewBitmap(nWidth, nHeight, mono);
    if (!handle) return nullptr;
    auto bitmap = Objects().Find(handle);
    if (lpBits) {
        const auto* bytes = static_cast<const uint8_t*>(lpBits);
        // Rows of whole 16-bit words, top row first.
        const size_t stride = mono ? (size_t(nWidth) + 15) / 16 * 2 : size_t(nWidth) * 4;
        for (int row = 0; row < nHeight; ++row)
            for (int col = 0; col < nWidth; ++col) {
                const uint8_t* line = bytes + stride * row;
                uint32_t pixel = 0;
                if (mono) pixel = (line[col / 8] >> (7 - col % 8)) & 1 ? 0xFFFFFF : 0;
                else std::memcpy(&pixel, line + size_t(col) * 4, 4);
                bitmap->pixels[size_t(row) * nWidth + col] = pixel & 0xFFFFFF;
            }
    }
    return handle;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    auto context = Find(hdc);
    if (!context) return nullptr;
    auto selected = context->memory ? Objects().Find(context->bitmap) : nullptr;
    return NewBitmap(cx, cy, selected && selected->bitsPixel == 1);
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    auto context = Find(hdc);
    if (!context) return CLR_INVALID;
    return std::exchange(context->backgroundColour, color & 0xFFFFFF);
}

COLORREF GetBkColor(HDC hdc) {
    auto context = Find(hdc);
    return context ? context->backgroundColour : CLR_INVALID;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    auto context = Find(hdc);
    if (!context) return nullptr;
    switch (type) {
    case OBJ_FONT: return context->font;
    case OBJ_BITMAP: return context->bitmap;
    case OBJ_PEN: return context->pen ? context->pen : GetStockObject(BLACK_PEN);
    case OBJ_BRUSH: return context->brush ? context->brush : GetStockObject(WHITE_BRUSH);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

namespace {

// The extents take effect only in MM_ANISOTROPIC (and MM_ISOTROPIC); 0 is refused.
BOOL SetExtent(HDC hdc, int x, int y, LPSIZE previous, SIZE DeviceContext::*extent) {
    auto context = Find(hdc);
    if (!context) return FALSE;
    if (previous) *previous = (*context).*extent;
    if (context->mapMode != MM_ANISOTROPIC && context->mapMode != MM_ISOTROPIC) return TRUE;
    if (x == 0 || y == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    (*context).*extent = SIZE{x, y};
    return TRUE;
}

BOOL SetOrigin(HDC hdc, int x, int y, LPPOINT previous, POINT DeviceContext::*origin) {
    auto context = Find(hdc);
    if (!context) return FALSE;
    if (previous) *previous = (*context).*origin;
    (*context).*origin = POINT{x, y};
    return TRUE;
}

}  // namespace

BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz) { return SetExtent(hdc, x, y, lpsz, &DeviceContext::windowExtent); }
BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz) {
    return SetExtent(hdc, x, y, lpsz, &DeviceContext::viewportExtent);
}
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetOrigin(hdc, x, y, lppt, &DeviceContext::windowOrigin); }
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return SetOrigin(hdc, x, y, lppt, &DeviceContext::viewportOrigin);
}

BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c) {
    auto context = Find(hdc);
    if (!context || (c > 0 && !lppt)) return FALSE;
    for (int i = 0; i < c; ++i) lppt[i] = palvex::gdi::ToDevice(*context, lppt[i].x, lppt[i].y);
    return TRUE;
}

BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c) {
    auto context = Find(hdc);
    if (!context || (c > 0 && !lppt)) return FALSE;
    for (int i = 0; i < c; ++i) lppt[i] = palvex::gdi::ToLogical(*context, lppt[i].x, lppt[i].y);
    return TRUE;
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    auto context = Find(hdc);
    if (!context) return ERROR;
    POINT a = palvex::gdi::ToDevice(*context, left, top), b = palvex::gdi::ToDevice(*context, right, bottom);
    RECT rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (context->clipping) {
        rect.left = std::max(rect.left, context->clip.left);
        rect.top = std::max(rect.top, context->clip.top);
        rect.right = std::min(rect.right, context->clip.right);
        rect.bottom = std::min(rect.bottom, context->clip.bottom);
    }
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    context->clipping = true;
    context->clip = rect;
    return rect.right > rect.left && rect.bottom > rect.top ? SIMPLEREGION : NULLREGION;
}

int SelectClipRgn(HDC hdc, HRGN hrgn) {
    auto context = Find(hdc);
    if (!context) return ERROR;
    if (hrgn) {  // regions are not made here; only "no clipping" is selected
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    context->clipping = false;
    return SIMPLEREGION;
}

int GetClipBox(HDC hdc, LPRECT lprect) {
    auto context = Find(hdc);
    if (!context || !lprect) return ERROR;
    RECT device = context->clip;
    if (!context->clipping) {
        auto bitmap = context->memory ? Objects().Find(context->bitmap) : nullptr;
        device = bitmap ? RECT{0, 0, bitmap->width, bitmap->height}
                        : RECT{context->canvasClip.left - context->originX, context->canvasClip.top - context->originY,
                               context->canvasClip.right - context->originX, context->canvasClip.bottom - context->originY};
    }
    const POINT a = palvex::gdi::ToLogical(*context, device.left, device.top);
    const POINT b = palvex::gdi::ToLogical(*context, device.right, device.bottom);
    *lprect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    return lprect->right > lprect->left && lprect->bottom > lprect->top ? SIMPLEREGION : NULLREGION;
}

int SaveDC(HDC hdc) {
    auto context = Find(hdc);
    if (!context) return 0;
    auto saved = std::make_shared<DeviceContext::Saved>(DeviceContext::Saved{
        context->font, context->pen, context->brush, context->textColour, context->backgroundColour,
        context->backgroundMode, context->mapMode, context->textAlign, context->position, context->windowOrigin,
        context->viewportOrigin, context->windowExtent, context->viewportExtent, context->clipping, context->clip});
    for (HGDIOBJ held : {saved->font, saved->pen, saved->brush})
        if (auto object = Objects().Find(held)) ++object->selections;
    context->saved.push_back(std::move(saved));
    return static_cast<int>(context->saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
    auto context = Find(hdc);
    if (!context) return FALSE;
    const int count = static_cast<int>(context->saved.size());
    const int index = nSavedDC < 0 ? count + nSavedDC : nSavedDC - 1;
    if (index < 0 || index >= count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DeviceContext::Saved state = *context->saved[size_t(index)];
    // The states saved after it go; each held its objects once.
    for (int i = count - 1; i >= index; --i) {
        const auto& dropped = *context->saved[size_t(i)];
        for (HGDIOBJ held : {dropped.font, dropped.pen, dropped.brush})
            if (auto object = Objects().Find(held)) --object->selections;
    }
    context->saved.resize(size_t(index));
    for (HGDIOBJ held : {context->font, context->pen, context->brush})
        if (auto object = Objects().Find(held)) --object->selections;
    for (HGDIOBJ held : {state.font, state.pen, state.brush})
        if (auto object = Objects().Find(held)) ++object->selections;
    context->font = state.font;
    context->pen = state.pen;
    context->brush = state.brush;
    context->textColour = state.textColour;
    context->backgroundColour = state.backgroundColour;
    context->backgroundMode = state.backgroundMode;
    context->mapMode = state.mapMode;
    context->textAlign = state.textAlign;
    context->position = state.position;
    context->windowOrigin = state.windowOrigin;
    context->viewportOrigin = state.viewportOrigin;
    context->windowExtent = state.windowExtent;
    context->viewportExtent = state.viewportExtent;
    context->clipping = state.clipping;
    context->clip = state.clip;
    return TRUE;
}
