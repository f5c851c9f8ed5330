// Painting windows: BeginPaint and EndPaint, text, brushes and bitmaps on window device
// contexts, images loaded from files, and the common-control initialisation.
#include <cairo.h>

#include <cstring>
#include <utility>
#include <fstream>
#include <iterator>

#include <palvex/paths.h>
#include <win/commctrl.h>
#include <win/winuser.h>

#include "gdi/gdi_objects.h"
#include "user/window_canvas.h"
#include "user/window_store.h"

using palvex::gdi::DeviceContexts;
using palvex::gdi::GdiObject;
using palvex::gdi::Objects;

namespace {

cairo_t* CanvasOf(HDC dc, LONG* x, LONG* y) {
    auto context = DeviceContexts().Find(dc);
    if (!context || !context->canvas) return nullptr;
    *x = context->originX;
    *y = context->originY;
    return static_cast<cairo_t*>(context->canvas);
}

bool ReadHostFile(LPCWSTR path, std::vector<uint8_t>* bytes) {
    if (!path) return false;
    std::ifstream in(palvex::HostPath(path), std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The icon image of an .ico file's directory entry index.
HICON IconFromFile(const std::vector<uint8_t>& bytes, UINT index, int cx, int cy) {
    if (bytes.size() < 6) return nullptr;
    WORD reserved = 0, type = 0, count = 0;
    std::memcpy(&reserved, bytes.data(), 2);
    std::memcpy(&type, bytes.data() + 2, 2);
    std::memcpy(&count, bytes.data() + 4, 2);
    if (reserved != 0 || type != 1 || index >= count || bytes.size() < 6 + size_t{count} * 16) return nullptr;
    const uint8_t* entry = bytes.data() + 6 + size_t{index} * 16;
    DWORD size = 0, offset = 0;
    std::memcpy(&size, entry + 8, 4);
    std::memcpy(&offset, entry + 12, 4);
    if (offset > bytes.size() || size > bytes.size() - offset) return nullptr;
    return CreateIconFromResourceEx(const_cast<uint8_t*>(bytes.data() + offset), size, TRUE, 0x00030000, cx, cy, 0);
}

}  // namespace

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (!lpPaint || !IsWindow(hWnd)) {
        SetLastError(lpPaint ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::memset(lpPaint, 0, sizeof *lpPaint);
    HDC dc = GetDC(hWnd);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hWnd, WM_GETFONT, 0, 0)) ?: GetStockObject(DEFAULT_GUI_FONT));
    const palvex::win::PaintTarget target = palvex::win::CurrentPaintTarget();
    if (target.window == hWnd) {
        auto context = DeviceContexts().Find(dc);
        context->canvas = target.cr;
        context->originX = target.x;
        context->originY = target.y;
    }
    lpPaint->hdc = dc;
    GetClientRect(hWnd, &lpPaint->rcPaint);
    {
        auto& table = palvex::win::WindowTable::Get();
        std::lock_guard lock(table.Mutex());
        if (auto* window = table.Find(hWnd)) window->invalid = false;
    }
    return dc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint) return FALSE;
    ReleaseDC(hWnd, lpPaint->hdc);
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT*, BOOL) {
    auto& table = palvex::win::WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    auto* window = table.Find(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    window->invalid = true;  // the next picture paints it again
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) { return IsWindow(hWnd); }

int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    auto context = DeviceContexts().Find(hdc);
    if (!context || !lpchText || !lprc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string text = cchText < 0 ? std::u16string(lpchText) : std::u16string(lpchText, static_cast<size_t>(cchText));
    const LOGFONTW font = palvex::win::FontOf(context->font);
    cairo_t* cr = static_cast<cairo_t*>(context->canvas);
    if (!cr) return palvex::win::LayOutText(nullptr, font, context->textColour, text, *lprc, format);
    cairo_save(cr);
    cairo_translate(cr, context->originX, context->originY);
    if (context->backgroundMode == OPAQUE) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, lprc->left, lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top);
        cairo_fill(cr);
    }
    const int height = palvex::win::LayOutText(cr, font, context->textColour, text, *lprc, format);
    cairo_restore(cr);
    return height;
}

BOOL palvex::win::CanvasTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const std::u16string& text) {
    auto context = DeviceContexts().Find(dc);
    if (!context || !context->canvas) return FALSE;
    auto* cr = static_cast<cairo_t*>(context->canvas);
    const LOGFONTW font = palvex::win::FontOf(context->font);
    cairo_save(cr);
    cairo_translate(cr, context->originX, context->originY);
    if (rect && (options & ETO_OPAQUE)) {
        cairo_set_source_rgb(cr, 1, 1, 1);  // the window background of the screen's colours
        cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
        cairo_fill(cr);
    }
    if (rect && (options & ETO_CLIPPED)) {
        cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
        cairo_clip(cr);
    }
    const int width = palvex::win::TextWidth(font, text);
    const int height = palvex::win::LayOutText(nullptr, font, 0, text, RECT{0, 0, 10000, 10000}, DT_SINGLELINE | DT_NOPREFIX);
    int left = x;
    if ((context->textAlign & TA_CENTER) == TA_CENTER) left -= width / 2;
    else if (context->textAlign & TA_RIGHT) left -= width;
    int top = y;
    if ((context->textAlign & TA_BASELINE) == TA_BASELINE) top -= height * 4 / 5;
    else if (context->textAlign & TA_BOTTOM) top -= height;
    palvex::win::LayOutText(cr, font, context->textColour, text, RECT{left, top, left + width + 2, top + height},
                            DT_SINGLELINE | DT_NOPREFIX);
    cairo_restore(cr);
    return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto brush = std::make_shared<GdiObject>();
    brush->type = OBJ_BRUSH;
    brush->colour = color;
    return Objects().Insert(std::move(brush));
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    auto brush = Objects().Find(hbr);
    LONG x = 0, y = 0;
    if (!lprc || !brush || brush->type != OBJ_BRUSH || !DeviceContexts().Find(hDC)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cairo_t* cr = CanvasOf(hDC, &x, &y)) {
        cairo_set_source_rgb(cr, GetRValue(brush->colour) / 255.0, GetGValue(brush->colour) / 255.0,
                             GetBValue(brush->colour) / 255.0);
        cairo_rectangle(cr, x + lprc->left, y + lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top);
        cairo_fill(cr);
    }
    return 1;
}

BOOL DrawIcon(HDC hDC, int, int, HICON hIcon) {
    // Icons are shown only by minimised windows, which pictures do not draw.
    return DeviceContexts().Find(hDC) && hIcon ? TRUE : FALSE;
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

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int, int, int, int, DWORD rop) {
    auto source = DeviceContexts().Find(hdcSrc);
    auto target = DeviceContexts().Find(hdcDest);
    if (!source || !target || rop != SRCCOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto bitmap = Objects().Find(source->bitmap);
    if (!bitmap || bitmap->type != OBJ_BITMAP) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    LONG x = 0, y = 0;
    if (cairo_t* cr = CanvasOf(hdcDest, &x, &y)) palvex::win::DrawDib(cr, bitmap->dib, x + xDest, y + yDest, wDest, hDest);
    return TRUE;
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (!(fuLoad & LR_LOADFROMFILE)) {
        if (type == IMAGE_BITMAP) return LoadBitmapW(hInst, name);
        if (type == IMAGE_ICON) return LoadIconW(hInst, name);
        if (type == IMAGE_CURSOR) return LoadCursorW(hInst, name);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    if (!ReadHostFile(name, &bytes)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    HANDLE image = nullptr;
    if (type == IMAGE_BITMAP) {
        // A .bmp file is a 14-byte file header ("BM") and a packed device-independent bitmap.
        if (bytes.size() > 14 && bytes[0] == 'B' && bytes[1] == 'M')
            image = palvex::gdi::CreateBitmapFromPackedDib(bytes.data() + 14, bytes.size() - 14);
    } else if (type == IMAGE_ICON) {
        image = IconFromFile(bytes, 0, cx, cy);
    }
    if (!image) SetLastError(ERROR_INVALID_DATA);
    return image;
}

HICON ExtractIconW(HINSTANCE, LPCWSTR pszExeFileName, UINT nIconIndex) {
    std::vector<uint8_t> bytes;
    if (!ReadHostFile(pszExeFileName, &bytes)) return nullptr;
    return IconFromFile(bytes, nIconIndex, 0, 0);
}

