// Text and bitmaps on window pictures.
#include <cairo-ft.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "gdi/gdi_objects.h"
#include "gdi/raster.h"
#include "crt/utf16.h"
#include "user/window_canvas.h"

namespace palvex::win {
namespace {

struct PictureSpot {
    cairo_surface_t* surface;
    LONG x, y;
    RECT clip;
};
thread_local std::map<HWND, PictureSpot> g_pictures;

void SetColour(cairo_t* cr, COLORREF colour) {
    cairo_set_source_rgb(cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
}

double Width(cairo_t* cr, const std::u16string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text::ToUtf8(text).c_str(), &extents);
    return extents.x_advance;
}

std::vector<std::u16string> Wrap(cairo_t* cr, const std::u16string& text, double width, UINT format) {
    std::vector<std::u16string> lines;
    std::vector<std::u16string> paragraphs;
    if (format & DT_SINGLELINE) {
        std::u16string line = text;
        for (auto& c : line)
            if (c == u'\r' || c == u'\n') c = u' ';
        paragraphs.push_back(line);
    } else {
        size_t start = 0;
        for (;;) {
            size_t end = text.find(u'\n', start);
            std::u16string part = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
            if (!part.empty() && part.back() == u'\r') part.pop_back();
            paragraphs.push_back(part);
            if (end == std::u16string::npos) break;
            start = end + 1;
        }
    }
    for (const auto& paragraph : paragraphs) {
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
            lines.push_back(paragraph);
            continue;
        }
        std::u16string rest = paragraph;
        while (!rest.empty()) {
            size_t fit = rest.size();
            while (fit > 1 && Width(cr, rest.substr(0, fit)) > width) --fit;
            if (fit < rest.size()) {
                const size_t blank = rest.rfind(u' ', fit);
                if (blank != std::u16string::npos && blank > 0) fit = blank + 1;
            }
            std::u16string line = rest.substr(0, fit);
            while (!line.empty() && line.back() == u' ') line.pop_back();
            lines.push_back(line);
            rest.erase(0, fit);
        }
        if (paragraph.empty()) lines.emplace_back();
    }
    return lines;
}

// Windows links its user-interface faces to a Japanese face for the characters they lack; the
// pictures do the same with the machine's Japanese Gothic face (a line with Japanese text is
// laid out in it whole).
LOGFONTW LinkedFont(const LOGFONTW& font, const std::u16string& text) {
    const bool japanese = std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x2E80; });
    return japanese ? gdi::LinkedFont(font) : font;
}

// Paints an image surface scaled into the rectangle, and releases it.
void PaintSurface(cairo_t* cr, cairo_surface_t* surface, double x, double y, double width, double height) {
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, width / w, height / h);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

}  // namespace

LOGFONTW FontOf(HGDIOBJ font) {
    if (auto object = gdi::Objects().Find(font); object && object->type == OBJ_FONT) return object->font;
    LOGFONTW fallback{};
    fallback.lfHeight = -12;
    fallback.lfWeight = 400;
    fallback.lfCharSet = 128;  // SHIFTJIS_CHARSET: the screen's Japanese dialog font
    const char16_t face[] = u"MS Shell Dlg";
    std::memcpy(fallback.lfFaceName, face, sizeof face);
    return fallback;
}

int LayOutText(cairo_t* cr, const LOGFONTW& requested, COLORREF colour, const std::u16string& text, const RECT& rect,
               UINT format) {
    const LOGFONTW font = LinkedFont(requested, text);
    // "&" marks the next character as the keyboard mnemonic (underlined on screen, not drawn
    // here); "&&" is an ampersand.
    std::u16string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && !(format & DT_NOPREFIX) && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    int height = 0;
    cairo_surface_t* scratch = nullptr;
    cairo_t* measure = cr;
    if (!measure) {
        scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        measure = cairo_create(scratch);
    }
    gdi::WithFontFace(font, [&](FT_FaceRec_* face) {
        cairo_font_face_t* fontFace = gdi::CairoFontFace(face, font);
        cairo_save(measure);
        cairo_set_font_face(measure, fontFace);
        cairo_set_font_size(measure, font.lfHeight < 0 ? -double(font.lfHeight) : (font.lfHeight ? font.lfHeight * 0.8 : 12));
        cairo_font_extents_t extents;
        cairo_font_extents(measure, &extents);
        const double lineHeight = extents.ascent + extents.descent;
        const auto lines = Wrap(measure, shown, rect.right - rect.left, format);
        height = static_cast<int>(lineHeight * lines.size() + 0.5);
        if (cr) {
            double y = rect.top;
            if (format & DT_VCENTER) y = (rect.top + rect.bottom - lineHeight * lines.size()) / 2;
            else if (format & DT_BOTTOM) y = rect.bottom - lineHeight * lines.size();
            cairo_rectangle(cr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
            cairo_clip(cr);
            SetColour(cr, colour);
            for (const auto& line : lines) {
                const double w = Width(cr, line);
                double x = rect.left;
                if (format & DT_CENTER) x = (rect.left + rect.right - w) / 2;
                else if (format & DT_RIGHT) x = rect.right - w;
                cairo_move_to(cr, x, y + extents.ascent);
                cairo_show_text(cr, text::ToUtf8(line).c_str());
                y += lineHeight;
            }
        }
        cairo_restore(measure);
        cairo_font_face_destroy(fontFace);
    });
    if (scratch) {
        cairo_destroy(measure);
        cairo_surface_destroy(scratch);
    }
    return height;
}

int TextWidth(const LOGFONTW& requested, const std::u16string& text) {
    const LOGFONTW font = LinkedFont(requested, text);
    std::u16string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    double width = 0;
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* measure = cairo_create(scratch);
    gdi::WithFontFace(font, [&](FT_FaceRec_* face) {
        cairo_font_face_t* fontFace = gdi::CairoFontFace(face, font);
        cairo_set_font_face(measure, fontFace);
        cairo_set_font_size(measure, font.lfHeight < 0 ? -double(font.lfHeight) : (font.lfHeight ? font.lfHeight * 0.8 : 12));
        width = Width(measure, shown);
        cairo_set_font_face(measure, nullptr);
        cairo_font_face_destroy(fontFace);
    });
    cairo_destroy(measure);
    cairo_surface_destroy(scratch);
    return static_cast<int>(width + 0.5);
}

namespace {

// 0x00RRGGBB pixels, top row first, painted into the box.
void DrawPixels(cairo_t* cr, const uint32_t* pixels, int w, int h, double x, double y, double width, double height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_surface_flush(surface);
    uint8_t* out = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < h; ++row) std::memcpy(out + size_t(stride) * row, pixels + size_t(row) * w, size_t(w) * 4);
    cairo_surface_mark_dirty(surface);
    PaintSurface(cr, surface, x, y, width, height);
}

}  // namespace

bool DrawDib(cairo_t* cr, const std::vector<uint8_t>& dib, double x, double y, double width, double height) {
    int w = 0, h = 0;
    const std::vector<uint32_t> pixels = gdi::DecodeDib(dib, &w, &h);
    if (pixels.empty()) return false;
    DrawPixels(cr, pixels.data(), w, h, x, y, width, height);
    return true;
}

bool DrawBitmap(cairo_t* cr, gdi::GdiObject& bitmap, double x, double y, double width, double height) {
    gdi::RealisePixels(bitmap);
    if (bitmap.pixels.empty()) return false;
    DrawPixels(cr, bitmap.pixels.data(), bitmap.width, bitmap.height, x, y, width, height);
    return true;
}

namespace {

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* cursor = static_cast<std::pair<const uint8_t*, size_t>*>(closure);
    if (cursor->second < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, cursor->first, length);
    cursor->first += length;
    cursor->second -= length;
    return CAIRO_STATUS_SUCCESS;
}

// The icon's image as a surface with transparency: a PNG as it is; a bitmap image's colours
// through its AND mask (or its alpha at 32 bits).
cairo_surface_t* IconSurface(const std::vector<uint8_t>& image, const IconDescription& description) {
    if (description.png) {
        std::pair<const uint8_t*, size_t> cursor{image.data(), image.size()};
        cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(ReadBytes, &cursor);
        if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) return surface;
        cairo_surface_destroy(surface);
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    if (image.size() < sizeof(header)) return nullptr;
    std::memcpy(&header, image.data(), sizeof(header));
    const int w = description.imageWidth, h = description.imageHeight, bits = description.bitCount;
    size_t colours = header.biClrUsed;
    if (colours == 0 && bits <= 8) colours = size_t{1} << bits;
    const uint8_t* palette = image.data() + header.biSize;
    const uint8_t* pixels = palette + colours * 4;
    const size_t stride = (size_t(w) * bits + 31) / 32 * 4, maskStride = (size_t(w) + 31) / 32 * 4;
    const uint8_t* mask = pixels + stride * h;
    if (size_t(mask - image.data()) + maskStride * h > image.size()) return nullptr;  // checked when made
    bool alpha = false;
    if (bits == 32)
        for (int i = 0; i < w * h && !alpha; ++i) alpha = pixels[size_t(i) * 4 + 3] != 0;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(surface);
    uint8_t* out = cairo_image_surface_get_data(surface);
    const int outStride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < h; ++row) {
        const uint8_t* in = pixels + stride * (h - 1 - row);
        const uint8_t* maskRow = mask + maskStride * (h - 1 - row);
        auto* target = reinterpret_cast<uint32_t*>(out + size_t(outStride) * row);
        for (int col = 0; col < w; ++col) {
            uint32_t r = 0, g = 0, b = 0, a = 255;
            if (bits <= 8) {
                const int perByte = 8 / bits, shift = (perByte - 1 - col % perByte) * bits;
                const size_t index = (in[col / perByte] >> shift) & ((1 << bits) - 1);
                if (index < colours) {
                    b = palette[index * 4];
                    g = palette[index * 4 + 1];
                    r = palette[index * 4 + 2];
                }
            } else if (bits >= 24) {
                const uint8_t* p = in + col * (bits / 8);
                b = p[0];
                g = p[1];
                r = p[2];
                if (alpha) a = p[3];
            }
            if (!alpha && (maskRow[col / 8] >> (7 - col % 8)) & 1) a = 0;
            // Cairo keeps colours premultiplied by their alpha.
            target[col] = (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

}  // namespace

bool DrawIconImage(cairo_t* cr, HICON icon, double x, double y, double width, double height) {
    std::vector<uint8_t> bytes;
    IconDescription description;
    if (!icon || !IconBytes(icon, &bytes, &description) || !description.isIcon) return false;
    cairo_surface_t* surface = IconSurface(bytes, description);
    if (!surface) return false;
    PaintSurface(cr, surface, x, y, width, height);
    return true;
}

void EnterPicture(HWND window, cairo_t* cr) {
    double x = 0, y = 0;
    cairo_user_to_device(cr, &x, &y);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    cairo_user_to_device(cr, &x1, &y1);
    cairo_user_to_device(cr, &x2, &y2);
    const auto at = [](double v) { return static_cast<LONG>(std::lround(v)); };
    g_pictures[window] = PictureSpot{cairo_get_target(cr), at(x), at(y),
                                     RECT{at(std::min(x1, x2)), at(std::min(y1, y2)), at(std::max(x1, x2)), at(std::max(y1, y2))}};
}

void ClearPictures() { g_pictures.clear(); }

void AttachPicture(HWND window, gdi::DeviceContext* context) {
    auto it = g_pictures.find(window);
    if (it == g_pictures.end()) return;
    context->canvas = cairo_surface_reference(it->second.surface);
    context->originX = it->second.x;
    context->originY = it->second.y;
    context->canvasClip = it->second.clip;
}

}  // namespace palvex::win
