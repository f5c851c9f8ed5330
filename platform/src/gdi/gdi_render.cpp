// Pictures of printed sides (palvex/recording_dc.h), drawn with cairo: the played pages'
// metafiles (frames, lines and text) and the text drawn on the side, each under its world
// transform, on a white sheet of the side's paper.
#include <cairo-ft.h>
#include <cairo.h>

#include <cmath>
#include <map>
#include <stdexcept>

#include "gdi/emf_format.h"
#include "gdi/emf_page.h"
#include "gdi/gdi_printer_dc.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

void SetColour(cairo_t* cr, COLORREF colour) {
    cairo_set_source_rgb(cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
}

void ApplyTransform(cairo_t* cr, const XFORM& xf) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, xf.eM11, xf.eM12, xf.eM21, xf.eM22, xf.eDx, xf.eDy);
    cairo_transform(cr, &matrix);
}

// The distance from a to b, whatever the two coordinates: a page's numbers come from outside.
double Span(LONG a, LONG b) { return static_cast<double>(b) - a; }

void ClipTo(cairo_t* cr, LONG left, LONG top, LONG right, LONG bottom) {
    cairo_rectangle(cr, left, top, Span(left, right), Span(top, bottom));
    cairo_clip(cr);
}

// Strokes the current path with a pen of width units (at least one pixel of the picture).
void Stroke(cairo_t* cr, double width) {
    double pixelX = 1;
    double pixelY = 0;
    cairo_device_to_user_distance(cr, &pixelX, &pixelY);
    const double pixel = std::hypot(pixelX, pixelY);
    cairo_set_line_width(cr, std::max(width, pixel));
    cairo_stroke(cr);
}

// Text in a LOGFONTW at a reference point, aligned as GDI aligns it, in the font file that GDI
// measures the font with.
void DrawText(cairo_t* cr, const LOGFONTW& font, const std::u16string& text, double x, double y, UINT align,
              COLORREF colour) {
    if (text.empty()) return;
    gdi::WithFontFace(font, [&](FT_FaceRec_* face) {
        cairo_font_face_t* fontFace = gdi::CairoFontFace(face, font);
        cairo_save(cr);
        cairo_set_font_face(cr, fontFace);
        double size = 12;
        if (font.lfHeight < 0) {
            size = -double(font.lfHeight);
        } else if (font.lfHeight > 0) {
            cairo_set_font_size(cr, 1);
            cairo_font_extents_t unit;
            cairo_font_extents(cr, &unit);
            size = font.lfHeight / std::max(unit.ascent + unit.descent, 0.01);
        }
        cairo_set_font_size(cr, size);
        const std::string utf8 = text::ToUtf8(text);
        cairo_font_extents_t fontExtents;
        cairo_font_extents(cr, &fontExtents);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, utf8.c_str(), &extents);
        double dx = 0;
        if ((align & TA_CENTER) == TA_CENTER) {
            dx = -extents.x_advance / 2;
        } else if (align & TA_RIGHT) {
            dx = -extents.x_advance;
        }
        double dy = fontExtents.ascent;  // TA_TOP
        if ((align & TA_BASELINE) == TA_BASELINE) {
            dy = 0;
        } else if (align & TA_BOTTOM) {
            dy = -fontExtents.descent;
        }
        cairo_translate(cr, x, y);
        cairo_rotate(cr, -static_cast<double>(font.lfEscapement) / 10.0 * M_PI / 180.0);
        cairo_move_to(cr, dx, dy);
        SetColour(cr, colour);
        cairo_show_text(cr, utf8.c_str());
        cairo_restore(cr);
        cairo_font_face_destroy(fontFace);
    });
}

// What playing a metafile keeps between its records.
struct PlayState {
    struct Object {
        enum { Pen, Brush, Font } kind;
        emf::LogPen pen;
        bool nullBrush = false;
        COLORREF brushColour = 0xFFFFFF;
        LOGFONTW font{};
    };
    std::map<uint32_t, Object> objects;
    emf::LogPen pen{0, 0, 0};
    bool nullPen = false;
    bool nullBrush = false;
    COLORREF brushColour = 0xFFFFFF;
    LOGFONTW font{};
    UINT align = TA_LEFT | TA_TOP;
    COLORREF textColour = 0;
    POINTL position{};
};

void Select(PlayState& state, uint32_t index) {
    if (index & emf::kStockObject) {
        switch (index & ~emf::kStockObject) {
        case emf::kWhiteBrush: state.nullBrush = false; state.brushColour = 0xFFFFFF; break;
        case emf::kNullBrush: state.nullBrush = true; break;
        case emf::kBlackPen: state.nullPen = false; state.pen = {0, 0, 0}; break;
        case emf::kNullPen: state.nullPen = true; break;
        default: break;
        }
        return;
    }
    const auto it = state.objects.find(index);
    if (it == state.objects.end()) return;
    switch (it->second.kind) {
    case PlayState::Object::Pen: state.pen = it->second.pen; state.nullPen = it->second.pen.style == 5; break;
    case PlayState::Object::Brush:
        state.nullBrush = it->second.nullBrush;
        state.brushColour = it->second.brushColour;
        break;
    case PlayState::Object::Font: state.font = it->second.font; break;
    }
}

void PlayMetafile(cairo_t* cr, const std::vector<BYTE>& bytes, const RECT& document) {
    const std::span<const uint8_t> emf(bytes);
    const emf::EmfHeader header = emf::ReadEmfHeader(emf);
    // Pixels of the reference device per hundredth of a millimetre.
    const double perX = header.micrometers.cx > 0 ? header.device.cx / (header.micrometers.cx / 10.0)
                                                  : header.device.cx / (header.millimeters.cx * 100.0);
    const double perY = header.micrometers.cy > 0 ? header.device.cy / (header.micrometers.cy / 10.0)
                                                  : header.device.cy / (header.millimeters.cy * 100.0);
    const double frameLeft = header.frame.left * perX;
    const double frameTop = header.frame.top * perY;
    const double frameWidth = (Span(header.frame.left, header.frame.right) + 1) * perX;
    const double frameHeight = (Span(header.frame.top, header.frame.bottom) + 1) * perY;
    if (!(frameWidth > 0) || !(frameHeight > 0) || !std::isfinite(frameWidth) || !std::isfinite(frameHeight)) return;

    cairo_save(cr);
    cairo_translate(cr, document.left, document.top);
    cairo_scale(cr, Span(document.left, document.right) / frameWidth, Span(document.top, document.bottom) / frameHeight);
    cairo_translate(cr, -frameLeft, -frameTop);
    PlayState state;
    emf::ForEachRecord(emf, [&](uint32_t type, std::span<const uint8_t> record) {
        switch (type) {
        case emf::EMR_CREATEPEN: {
            PlayState::Object object{PlayState::Object::Pen, emf::DecodePen(record)};
            state.objects[emf::RecordValue(record, 8)] = object;
            break;
        }
        case emf::EMR_CREATEBRUSHINDIRECT: {
            PlayState::Object object{PlayState::Object::Brush, {}};
            object.nullBrush = emf::RecordValue(record, 12) == 1;  // BS_NULL
            object.brushColour = emf::RecordValue(record, 16);
            state.objects[emf::RecordValue(record, 8)] = object;
            break;
        }
        case emf::EMR_EXTCREATEFONTINDIRECTW: {
            PlayState::Object object{PlayState::Object::Font, {}};
            object.font = emf::DecodeFont(record);
            state.objects[emf::RecordValue(record, 8)] = object;
            break;
        }
        case emf::EMR_SELECTOBJECT: Select(state, emf::RecordValue(record, 8)); break;
        case emf::EMR_DELETEOBJECT: state.objects.erase(emf::RecordValue(record, 8)); break;
        case emf::EMR_SETTEXTALIGN: state.align = emf::RecordValue(record, 8); break;
        case emf::EMR_SETTEXTCOLOR: state.textColour = emf::RecordValue(record, 8); break;
        case emf::EMR_MOVETOEX:
            state.position = {static_cast<LONG>(emf::RecordValue(record, 8)), static_cast<LONG>(emf::RecordValue(record, 12))};
            break;
        case emf::EMR_LINETO: {
            const POINTL to{static_cast<LONG>(emf::RecordValue(record, 8)), static_cast<LONG>(emf::RecordValue(record, 12))};
            if (!state.nullPen) {
                cairo_move_to(cr, state.position.x, state.position.y);
                cairo_line_to(cr, to.x, to.y);
                SetColour(cr, state.pen.colour);
                Stroke(cr, state.pen.width);
            }
            state.position = to;
            break;
        }
        case emf::EMR_RECTANGLE: {
            const RECTL box = emf::DecodeRect(record, 8);
            cairo_rectangle(cr, box.left, box.top, Span(box.left, box.right), Span(box.top, box.bottom));
            if (!state.nullBrush) {
                SetColour(cr, state.brushColour);
                cairo_fill_preserve(cr);
            }
            if (!state.nullPen) {
                SetColour(cr, state.pen.colour);
                Stroke(cr, state.pen.width);
            }
            cairo_new_path(cr);
            break;
        }
        case emf::EMR_EXTTEXTOUTW: {
            const emf::ExtTextOut text = emf::DecodeText(record);
            cairo_save(cr);
            if (text.rectangle && (text.options & ETO_CLIPPED))
                ClipTo(cr, text.rectangle->left, text.rectangle->top, text.rectangle->right, text.rectangle->bottom);
            DrawText(cr, state.font, text.text, text.reference.x, text.reference.y, state.align, state.textColour);
            cairo_restore(cr);
            break;
        }
        default: break;
        }
    });
    cairo_restore(cr);
}


// Draws the side's pages and texts in device units from the corner of the printable area.
void DrawSide(cairo_t* cr, const PrintedSide& side) {
    for (const auto& drawing : side.order) {
        cairo_save(cr);
        if (!drawing.isText && drawing.index < side.pages.size()) {
            const PlayedPage& page = side.pages[drawing.index];
            ApplyTransform(cr, page.transform);
            if (page.border) {
                cairo_rectangle(cr, page.border->left, page.border->top, Span(page.border->left, page.border->right),
                                Span(page.border->top, page.border->bottom));
                cairo_set_source_rgb(cr, 0, 0, 0);
                Stroke(cr, 0);
            }
            if (page.clip) ClipTo(cr, page.clip->left, page.clip->top, page.clip->right, page.clip->bottom);
            if (page.metafile) PlayMetafile(cr, *page.metafile, page.document);
        } else if (drawing.isText && drawing.index < side.texts.size()) {
            const DrawnText& text = side.texts[drawing.index];
            ApplyTransform(cr, text.transform);
            if (text.rectangle && (text.options & ETO_CLIPPED))
                ClipTo(cr, text.rectangle->left, text.rectangle->top, text.rectangle->right, text.rectangle->bottom);
            DrawText(cr, text.font, text.text, text.position.x, text.position.y, text.alignment, text.colour);
        }
        cairo_restore(cr);
    }
}

}  // namespace

void WriteSidePicture(const DcLog& log, const PrintedSide& side, const std::filesystem::path& png, double pixelsPerInch) {
    if (side.devMode >= log.devModes.size()) throw std::runtime_error("the side's DEVMODE is not in the log");
    const PrinterGeometry geometry = GeometryOfDevMode(log.devModes[side.devMode]);
    const double scaleX = pixelsPerInch / geometry.dpiX;
    const double scaleY = pixelsPerInch / geometry.dpiY;
    const int width = std::max(1, static_cast<int>(std::lround(geometry.physicalWidth * scaleX)));
    const int height = std::max(1, static_cast<int>(std::lround(geometry.physicalHeight * scaleY)));

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    // Device units, from the corner of the printable area.
    cairo_scale(cr, scaleX, scaleY);
    cairo_translate(cr, geometry.offsetX, geometry.offsetY);
    DrawSide(cr, side);
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, png.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + png.string() + ": " + cairo_status_to_string(status));
}

bool RasterizeSide(const PrintedSide& side, LONG width, LONG height, LONG bandRows, const RasterBandSink& band) {
    if (width <= 0 || height <= 0 || bandRows <= 0) return false;
    const LONG rows = std::min(bandRows, height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, rows);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return false;
    }
    std::vector<BYTE> rgb;
    bool sent = true;
    // Each band draws the whole side shifted up by the band's top, so that one band's memory is
    // all a page of any size needs.
    for (LONG top = 0; top < height && sent; top += rows) {
        const LONG count = std::min(rows, height - top);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_translate(cr, 0, -static_cast<double>(top));
        DrawSide(cr, side);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const BYTE* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(count) * 3);
        BYTE* out = rgb.data();
        for (LONG y = 0; y < count; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * static_cast<size_t>(stride));
            for (LONG x = 0; x < width; ++x) {
                const uint32_t pixel = row[x];
                *out++ = static_cast<BYTE>(pixel >> 16);
                *out++ = static_cast<BYTE>(pixel >> 8);
                *out++ = static_cast<BYTE>(pixel);
            }
        }
        sent = band(top, count, rgb);
    }
    cairo_surface_destroy(surface);
    return sent;
}

std::vector<std::filesystem::path> WriteSidePictures(const DcLog& log, const std::filesystem::path& folder,
                                                     const std::string& stem, double pixelsPerInch) {
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> files;
    for (const PrintedSide* side : log.sides()) {
        files.push_back(folder / (stem + "-" + std::to_string(files.size() + 1) + ".png"));
        WriteSidePicture(log, *side, files.back(), pixelsPerInch);
    }
    return files;
}

}  // namespace palvex
