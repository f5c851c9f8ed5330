// GDI object handles (fonts, bitmaps), the stock fonts and the screen device context.
#include <cstring>

#include <win/wingdi.h>
#include <win/wingdi_fontdata.h>
#include <win/wingdi_raster.h>

#include <palvex/screen.h>

#include "gdi/gdi_objects.h"
#include "gdi/gdi_printer_dc.h"
#include "gdi/raster.h"
#include "user/window_canvas.h"

namespace palvex::gdi {

HandleTable<GdiObject>& Objects() {
    static auto* table = new HandleTable<GdiObject>;  // outlives every static destructor
    return *table;
}

HandleTable<DeviceContext>& DeviceContexts() {
    static auto* table = new HandleTable<DeviceContext>;
    return *table;
}

HBITMAP CreateBitmapFromPackedDib(const uint8_t* bytes, size_t size, size_t pixelsAt) {
    BITMAPINFOHEADER header{};
    if (!bytes || size < sizeof(header)) return nullptr;
    std::memcpy(&header, bytes, sizeof(header));
    if (header.biSize < sizeof(header) || header.biSize > size) return nullptr;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN || header.biPlanes != 1) return nullptr;
    const WORD bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
    if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) return nullptr;
    const uint64_t width = static_cast<uint64_t>(header.biWidth);
    const uint64_t height = static_cast<uint64_t>(header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight);
    uint64_t colours = header.biClrUsed;
    if (colours == 0 && bits <= 8) colours = uint64_t{1} << bits;
    if (header.biCompression == BI_BITFIELDS) colours = 3;
    const uint64_t stride = (width * bits + 31) / 32 * 4;
    // Each part is checked against the bytes left after the ones before it, by division, so that
    // no sum or product of the header's numbers can wrap.
    uint64_t left = size - header.biSize;
    if (colours > left / 4) return nullptr;
    left -= colours * 4;
    const uint64_t headerAndColours = uint64_t{header.biSize} + colours * 4;
    if (pixelsAt != 0) {
        if (pixelsAt < headerAndColours || pixelsAt > size) return nullptr;
        left = size - pixelsAt;
    }
    if (stride > left / height) return nullptr;
    auto bitmap = std::make_shared<GdiObject>();
    bitmap->type = OBJ_BITMAP;
    bitmap->width = header.biWidth;
    bitmap->height = static_cast<LONG>(height);
    bitmap->bitsPixel = bits;
    // Kept packed: the pixels right after the colours, wherever the file had them.
    const uint8_t* pixels = bytes + (pixelsAt != 0 ? pixelsAt : headerAndColours);
    bitmap->dib.assign(bytes, bytes + headerAndColours);
    bitmap->dib.insert(bitmap->dib.end(), pixels, pixels + stride * height);
    return Objects().Insert(std::move(bitmap));
}

}  // namespace palvex::gdi

using palvex::gdi::DeviceContext;
using palvex::gdi::DeviceContexts;
using palvex::gdi::GdiObject;
using palvex::gdi::Objects;

namespace {

HGDIOBJ StockFont(const char16_t* face, LONG height, LONG weight) {
    auto font = std::make_shared<GdiObject>();
    font->type = OBJ_FONT;
    font->stock = true;
    font->font.lfHeight = height;
    font->font.lfWeight = weight;
    font->font.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(font->font.lfFaceName, face, std::char_traits<char16_t>::length(face) * sizeof(WCHAR));
    return Objects().Insert(std::move(font));
}

// A stock brush or pen of one colour, or a hollow one.
std::shared_ptr<GdiObject> StockColoured(DWORD type, COLORREF colour, bool hollow) {
    auto object = std::make_shared<GdiObject>();
    object->type = type;
    object->stock = true;
    object->colour = colour;
    object->hollow = hollow;
    return object;
}

HGDIOBJ StockBrush(COLORREF colour, bool hollow) { return Objects().Insert(StockColoured(OBJ_BRUSH, colour, hollow)); }

HGDIOBJ StockPen(COLORREF colour, bool hollow) {
    auto pen = StockColoured(OBJ_PEN, colour, hollow);
    pen->penStyle = hollow ? PS_NULL : PS_SOLID;
    return Objects().Insert(std::move(pen));
}

// The 1 x 1 monochrome bitmap a new memory device context holds.
HGDIOBJ StockMonoBitmap() {
    auto bitmap = std::make_shared<GdiObject>();
    bitmap->type = OBJ_BITMAP;
    bitmap->stock = true;
    bitmap->width = bitmap->height = 1;
    bitmap->bitsPixel = 1;
    bitmap->pixels.assign(1, 0);
    return Objects().Insert(std::move(bitmap));
}

}  // namespace

HGDIOBJ GetStockObject(int i) {
    static HGDIOBJ systemFont = StockFont(u"System", 16, FW_BOLD);
    static HGDIOBJ guiFont = StockFont(u"MS Shell Dlg", -11, FW_NORMAL);
    static HGDIOBJ brushes[] = {StockBrush(RGB(255, 255, 255), false), StockBrush(RGB(192, 192, 192), false),
                                StockBrush(RGB(128, 128, 128), false), StockBrush(RGB(64, 64, 64), false),
                                StockBrush(RGB(0, 0, 0), false), StockBrush(0, true)};
    static HGDIOBJ pens[] = {StockPen(RGB(255, 255, 255), false), StockPen(RGB(0, 0, 0), false), StockPen(0, true)};
    static HGDIOBJ monoBitmap = StockMonoBitmap();
    switch (i) {
    case SYSTEM_FONT: return systemFont;
    case DEFAULT_GUI_FONT: return guiFont;
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH: return brushes[i];
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN: return pens[i - WHITE_PEN];
    case palvex::gdi::kStockMonoBitmap: return monoBitmap;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HFONT CreateFontIndirectW(const LOGFONTW* lplf) {
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto font = std::make_shared<GdiObject>();
    font->type = OBJ_FONT;
    font->font = *lplf;
    font->font.lfFaceName[LF_FACESIZE - 1] = u'\0';
    return Objects().Insert(std::move(font));
}

BOOL DeleteObject(HGDIOBJ ho) {
    auto object = Objects().Find(ho);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->stock) return TRUE;
    if (object->selections > 0) return FALSE;
    Objects().Remove(ho);
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ h) {
    auto object = Objects().Find(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return object->type;
}

int GetObjectW(HANDLE h, int c, LPVOID pv) {
    auto object = Objects().Find(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (object->type == OBJ_FONT) {
        if (!pv) return sizeof(LOGFONTW);
        if (c < static_cast<int>(sizeof(LOGFONTW))) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(pv, &object->font, sizeof(LOGFONTW));
        return sizeof(LOGFONTW);
    }
    if (!pv) return sizeof(BITMAP);
    if (c < static_cast<int>(sizeof(BITMAP))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    BITMAP bitmap{};
    bitmap.bmWidth = object->width;
    bitmap.bmHeight = object->height;
    bitmap.bmWidthBytes = (object->width * object->bitsPixel + 15) / 16 * 2;
    bitmap.bmPlanes = 1;
    bitmap.bmBitsPixel = object->bitsPixel;
    std::memcpy(pv, &bitmap, sizeof(bitmap));
    return sizeof(BITMAP);
}

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !DeviceContexts().Find(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HDC memory = GetDC(nullptr);
    auto context = DeviceContexts().Find(memory);
    context->memory = true;
    context->bitmap = GetStockObject(palvex::gdi::kStockMonoBitmap);
    return memory;
}

int SetMapMode(HDC hdc, int iMode) {
    auto context = DeviceContexts().Find(hdc);
    if (!context || (iMode != MM_TEXT && iMode != MM_TWIPS && iMode != MM_ANISOTROPIC && iMode != MM_ISOTROPIC)) {
        SetLastError(context ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    const int previous = context->mapMode;
    context->mapMode = iMode;
    if (iMode == MM_TEXT || iMode == MM_TWIPS) context->windowExtent = context->viewportExtent = SIZE{1, 1};
    return previous;
}

int GetMapMode(HDC hdc) {
    auto context = DeviceContexts().Find(hdc);
    return context ? context->mapMode : 0;
}

HDC GetDC(HWND hWnd) {
    auto context = std::make_shared<DeviceContext>();
    context->font = GetStockObject(SYSTEM_FONT);
    context->dpi = palvex::ScreenDpi();
    ++Objects().Find(context->font)->selections;
    // A window being drawn into its picture draws there.
    if (hWnd) palvex::win::AttachPicture(hWnd, context.get());
    return DeviceContexts().Insert(std::move(context));
}

int ReleaseDC(HWND, HDC hDC) {
    auto context = DeviceContexts().Find(hDC);
    if (!context) return 0;
    palvex::gdi::EndContext(*context);
    DeviceContexts().Remove(hDC);
    return 1;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    auto context = DeviceContexts().Find(hdc);
    auto object = Objects().Find(h);
    if (!context || !object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ* slot = nullptr;
    switch (object->type) {
    case OBJ_FONT: slot = &context->font; break;
    case OBJ_PEN: slot = &context->pen; break;
    case OBJ_BRUSH: slot = &context->brush; break;
    case OBJ_BITMAP:
        // Only a memory context takes a bitmap, and one bitmap is in one context at a time.
        if (!context->memory || (object->selections > 0 && context->bitmap != h)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        slot = &context->bitmap;
        break;
    default: SetLastError(ERROR_INVALID_HANDLE); return nullptr;
    }
    HGDIOBJ previous = *slot;
    if (!previous) previous = GetStockObject(object->type == OBJ_PEN ? BLACK_PEN : WHITE_BRUSH);
    if (previous == h) return previous;
    if (auto old = Objects().Find(*slot)) --old->selections;
    ++object->selections;
    *slot = h;
    return previous;
}

int GetDeviceCaps(HDC hdc, int index) {
    auto context = DeviceContexts().Find(hdc);
    if (!context) return 0;
    if (context->printer) return palvex::gdi::PrinterDeviceCaps(*context->printer, index);
    switch (index) {
    case TECHNOLOGY: return DT_RASDISPLAY;
    case LOGPIXELSX:
    case LOGPIXELSY: return context->dpi;
    case HORZRES: return 1920;
    case VERTRES: return 1080;
    case BITSPIXEL: {
        auto bitmap = context->memory ? Objects().Find(context->bitmap) : nullptr;
        return bitmap && bitmap->bitsPixel == 1 ? 1 : 32;
    }
    default: return 0;
    }
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
    auto context = DeviceContexts().Find(hdc);
    auto font = context ? Objects().Find(context->font) : nullptr;
    if (!font || !lptm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    palvex::gdi::FontMetrics metrics;
    const int unitsPerInch = palvex::gdi::LogicalUnitsPerInch(*context);
    if (!palvex::gdi::MeasureFont(font->font, unitsPerInch, &metrics)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    TEXTMETRICW tm{};
    tm.tmAscent = metrics.ascent;
    tm.tmDescent = metrics.descent;
    tm.tmHeight = metrics.ascent + metrics.descent;
    tm.tmInternalLeading = metrics.internalLeading;
    tm.tmAveCharWidth = metrics.averageWidth;
    tm.tmMaxCharWidth = metrics.maxWidth;
    tm.tmWeight = font->font.lfWeight ? font->font.lfWeight : FW_NORMAL;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = context->dpi;
    tm.tmFirstChar = metrics.firstChar;
    tm.tmLastChar = metrics.lastChar;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = u' ';
    tm.tmItalic = font->font.lfItalic;
    tm.tmUnderlined = font->font.lfUnderline;
    tm.tmStruckOut = font->font.lfStrikeOut;
    tm.tmCharSet = metrics.charset;
    *lptm = tm;
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
    auto context = DeviceContexts().Find(hdc);
    auto font = context ? Objects().Find(context->font) : nullptr;
    if (!font || !psizl || c < 0 || (c > 0 && !lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    palvex::gdi::FontMetrics metrics;
    LONG width = 0;
    const int unitsPerInch = palvex::gdi::LogicalUnitsPerInch(*context);
    if (!palvex::gdi::MeasureFont(font->font, unitsPerInch, &metrics) ||
        !palvex::gdi::MeasureText(font->font, unitsPerInch, lpString, c, &width)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    psizl->cx = width;
    psizl->cy = metrics.ascent + metrics.descent;
    return TRUE;
}

BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer) {
    auto context = DeviceContexts().Find(hdc);
    auto font = context ? Objects().Find(context->font) : nullptr;
    if (!font || !lpBuffer || iLast < iFirst || iLast > 0xFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int unitsPerInch = palvex::gdi::LogicalUnitsPerInch(*context);
    for (UINT code = iFirst; code <= iLast; ++code) {
        const WCHAR character = static_cast<WCHAR>(code);
        LONG width = 0;
        if (!palvex::gdi::MeasureText(font->font, unitsPerInch, &character, 1, &width)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        lpBuffer[code - iFirst] = width;
    }
    return TRUE;
}

int MulDiv(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0) return -1;
    const int64_t product = int64_t{nNumber} * nNumerator;
    int64_t quotient = product / nDenominator;
    const int64_t remainder = product % nDenominator;
    // Half away from zero.
    if (remainder != 0 && 2 * (remainder < 0 ? -remainder : remainder) >= (nDenominator < 0 ? -int64_t{nDenominator} : nDenominator))
        quotient += ((product < 0) != (nDenominator < 0)) ? -1 : 1;
    if (quotient > INT32_MAX || quotient < INT32_MIN) return -1;
    return static_cast<int>(quotient);
}
