// Text on raster device contexts: ExtTextOutW's drawing, TextOutW, DrawTextW and the glyph
// placement the watermark text asks for.
#include <cairo-ft.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <win/wingdi_raster.h>

#include "crt/utf16.h"
#include "gdi/raster.h"
#include "user/window_canvas.h"

using palvex::gdi::DeviceContext;
using palvex::gdi::DeviceContexts;
using palvex::gdi::Objects;
using palvex::gdi::Raster;

namespace palvex::gdi {
namespace {

// One character placed on the line: the face that draws it and where it starts.
struct Placed {
    LOGFONTW font;
    std::u16string text;
    double x;
};

// The characters of the text at the advances GetTextExtentPoint32W measures (so that drawing
// and measuring agree), each in the face that has it: the font's own, else the linked face.
std::vector<Placed> Place(const DeviceContext& context, const LOGFONTW& font, const std::u16string& text, double* width) {
    std::vector<Placed> placed;
    const LOGFONTW linked = LinkedFont(font);
    const int dpi = LogicalUnitsPerInch(context);
    double at = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        size_t units = 1;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            units = 2;
        }
        LONG advance = 0;
        MeasureText(font, dpi, text.data() + i, static_cast<int>(units), &advance);
        placed.push_back(Placed{HasCharacter(font, c) ? font : linked, text.substr(i, units), at});
        at += advance * ScaleX(context);
        i += units - 1;
    }
    *width = at;
    return placed;
}

// Runs body with a cairo font face of the font set on cr at the size.
template <class Body>
void WithFace(cairo_t* cr, const LOGFONTW& font, double size, Body&& body) {
    WithFontFace(font, [&](FT_FaceRec_* face) {
        cairo_font_face_t* fontFace = CairoFontFace(face, font);
        cairo_save(cr);
        cairo_set_font_face(cr, fontFace);
        cairo_set_font_size(cr, size);
        body();
        cairo_restore(cr);
        cairo_font_face_destroy(fontFace);
    });
}

void SetColour(cairo_t* cr, const Raster& raster, COLORREF colour) {
    const uint32_t pixel = PixelOf(raster, colour);
    cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0, (pixel & 0xFF) / 255.0);
}

}  // namespace

void DrawTextRun(Raster& raster, const DeviceContext& context, LONG x, LONG y, UINT options, const RECT* rect,
                 const std::u16string& text, const std::vector<WORD>* glyphs) {
    auto object = Objects().Find(context.font);
    const LOGFONTW font = object && object->type == OBJ_FONT ? object->font : win::FontOf(nullptr);
    FontMetrics metrics;
    if (!MeasureFont(font, LogicalUnitsPerInch(context), &metrics)) return;
    const double scale = ScaleY(context);
    const double size = std::max<double>(1, (metrics.ascent + metrics.descent - metrics.internalLeading) * scale);
    const double ascent = metrics.ascent * scale, descent = metrics.descent * scale;
    cairo_t* cr = raster.Cairo();
    if (raster.mono()) cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* fontOptions = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fontOptions, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, fontOptions);
    cairo_font_options_destroy(fontOptions);
    if (rect) {
        const POINT a = ToDevice(context, rect->left, rect->top), b = ToDevice(context, rect->right, rect->bottom);
        if (options & ETO_OPAQUE) {
            SetColour(cr, raster, context.backgroundColour);
            cairo_rectangle(cr, std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
            cairo_fill(cr);
        }
        if (options & ETO_CLIPPED) {
            cairo_rectangle(cr, std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
            cairo_clip(cr);
        }
    }
    // Lay out: the characters (or the glyphs of the face) and the line's width.
    std::vector<Placed> placed;
    std::vector<cairo_glyph_t> shown;
    double width = 0;
    if (glyphs) {
        WithFace(cr, font, size, [&] {
            for (WORD glyph : *glyphs) {
                cairo_glyph_t g{glyph, width, 0};
                cairo_text_extents_t extents;
                cairo_glyph_extents(cr, &g, 1, &extents);
                shown.push_back(g);
                width += extents.x_advance;
            }
        });
    } else {
        placed = Place(context, font, text, &width);
    }
    const POINT origin = ToDevice(context, x, y);
    cairo_translate(cr, origin.x, origin.y);
    cairo_rotate(cr, -font.lfEscapement / 10.0 * M_PI / 180.0);
    double left = 0;
    if ((context.textAlign & TA_CENTER) == TA_CENTER) left = -width / 2;
    else if (context.textAlign & TA_RIGHT) left = -width;
    double baseline = ascent;
    if ((context.textAlign & TA_BASELINE) == TA_BASELINE) baseline = 0;
    else if (context.textAlign & TA_BOTTOM) baseline = -descent;
    if (context.backgroundMode == OPAQUE) {
        SetColour(cr, raster, context.backgroundColour);
        cairo_rectangle(cr, left, baseline - ascent, width, ascent + descent);
        cairo_fill(cr);
    }
    SetColour(cr, raster, context.textColour);
    if (glyphs) {
        for (auto& g : shown) {
            g.x += left;
            g.y = baseline;
        }
        WithFace(cr, font, size, [&] { cairo_show_glyphs(cr, shown.data(), static_cast<int>(shown.size())); });
    } else {
        // Characters of one face are drawn under one face set.
        for (size_t first = 0; first < placed.size();) {
            size_t last = first;
            while (last < placed.size() &&
                   std::u16string_view(placed[last].font.lfFaceName) == std::u16string_view(placed[first].font.lfFaceName))
                ++last;
            WithFace(cr, placed[first].font, size, [&] {
                for (size_t i = first; i < last; ++i) {
                    cairo_move_to(cr, left + placed[i].x, baseline);
                    cairo_show_text(cr, text::ToUtf8(placed[i].text).c_str());
                }
            });
            first = last;
        }
    }
    cairo_destroy(cr);
}

}  // namespace palvex::gdi

BOOL palvex::win::CanvasTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const std::u16string& text,
                                const std::vector<WORD>* glyphs) {
    auto context = DeviceContexts().Find(dc);
    if (!context) return FALSE;
    if (auto raster = Raster::Open(*context))
        palvex::gdi::DrawTextRun(*raster, *context, x, y, options, rect, text, glyphs);
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
    if (c < 0 || (c > 0 && !lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    auto context = DeviceContexts().Find(hdc);
    if (!context || !lpchText || !lprc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string text = cchText < 0 ? std::u16string(lpchText) : std::u16string(lpchText, static_cast<size_t>(cchText));
    const LOGFONTW font = palvex::win::FontOf(context->font);
    if (format & DT_WORD_ELLIPSIS) {
        // The text shortened from its end with "..." until it fits the rectangle's width.
        const int room = lprc->right - lprc->left;
        if (palvex::win::TextWidth(font, text) > room) {
            while (!text.empty() && palvex::win::TextWidth(font, text + u"...") > room) text.pop_back();
            text += u"...";
        }
    }
    if (format & DT_CALCRECT) {
        const int height = palvex::win::LayOutText(nullptr, font, 0, text, *lprc, format);
        lprc->bottom = lprc->top + height;
        if (format & DT_SINGLELINE) lprc->right = lprc->left + palvex::win::TextWidth(font, text);
        return height;
    }
    auto raster = Raster::Open(*context);
    if (!raster) return palvex::win::LayOutText(nullptr, font, context->textColour, text, *lprc, format);
    cairo_t* cr = raster->Cairo();
    if (context->backgroundMode == OPAQUE) {
        const uint32_t pixel = palvex::gdi::PixelOf(*raster, context->backgroundColour);
        cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0, (pixel & 0xFF) / 255.0);
        cairo_rectangle(cr, lprc->left, lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top);
        cairo_fill(cr);
    }
    const int height = palvex::win::LayOutText(cr, font, context->textColour, text, *lprc, format);
    cairo_destroy(cr);
    return height;
}

DWORD GetCharacterPlacementW(HDC hdc, LPCWSTR lpString, int nCount, int, GCP_RESULTSW* lpResults, DWORD) {
    auto context = DeviceContexts().Find(hdc);
    auto font = context ? Objects().Find(context->font) : nullptr;
    if (!font || font->type != OBJ_FONT || nCount < 0 || (nCount > 0 && !lpString) || !lpResults) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Glyphs only of the face's own characters: text that needs the linked face is not placed.
    std::vector<WORD> indices(static_cast<size_t>(nCount));
    if (nCount > 0 && !palvex::gdi::GlyphIndices(font->font, lpString, nCount, indices.data(), true)) return 0;
    if (std::find(indices.begin(), indices.end(), 0xFFFF) != indices.end()) return 0;
    const UINT room = lpResults->nGlyphs;
    if (lpResults->lpGlyphs) {
        if (room < static_cast<UINT>(nCount)) return 0;
        std::copy(indices.begin(), indices.end(), reinterpret_cast<WORD*>(lpResults->lpGlyphs));
    }
    if (lpResults->lpOrder)
        for (int i = 0; i < nCount; ++i) lpResults->lpOrder[i] = static_cast<UINT>(i);
    lpResults->nGlyphs = static_cast<UINT>(nCount);
    lpResults->nMaxFit = nCount;
    SIZE size{};
    if (!GetTextExtentPoint32W(hdc, lpString, nCount, &size)) return 0;
    return (static_cast<DWORD>(size.cy & 0xFFFF) << 16) | static_cast<DWORD>(size.cx & 0xFFFF);
}
