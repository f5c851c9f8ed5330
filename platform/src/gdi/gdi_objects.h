// GDI objects and device contexts (internal to the platform library).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <win/wingdi.h>
#include <win/winuser.h>

#include "kernel/handle_table.h"

struct FT_FaceRec_;
typedef struct _cairo_font_face cairo_font_face_t;

namespace palvex::gdi {

struct GdiObject {
    DWORD type = 0;  // OBJ_FONT, OBJ_BITMAP, OBJ_BRUSH or OBJ_PEN
    bool stock = false;
    std::atomic<int> selections{0};  // device contexts that have it selected
    LOGFONTW font{};
    // Bitmaps: the size and depth, and the packed device-independent bitmap they were made from.
    LONG width = 0;
    LONG height = 0;
    WORD bitsPixel = 0;
    std::vector<uint8_t> dib;
    // The bitmap's own pixels (0x00RRGGBB, top row first; black and white only at one bit per
    // pixel), made from dib when it is first drawn on or from; then they are the picture.
    std::vector<uint32_t> pixels;
    COLORREF colour = 0;  // brushes and pens
    bool hollow = false;  // the null brush and the null pen draw nothing
    int penStyle = 0;     // PS_SOLID, PS_DASH or PS_DOT
    int penWidth = 1;     // logical units; 0 is one pixel
};

struct PrinterDevice;

struct DeviceContext {
    HGDIOBJ font = nullptr;
    int dpi = 96;
    int mapMode = 1;  // MM_TEXT
    int graphicsMode = GM_COMPATIBLE;
    XFORM transform{1, 0, 0, 1, 0, 0};
    COLORREF textColour = 0;
    int backgroundMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    // Memory device contexts: the bitmap selected into them.
    HGDIOBJ bitmap = nullptr;
    int stretchMode = 1;  // BLACKONWHITE
    // Raster drawing (raster.h): the pen, brush and background colour, the current position, the
    // mapping of logical to device units and the clip rectangle in device units.
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    COLORREF backgroundColour = 0xFFFFFF;
    POINT position{0, 0};
    POINT windowOrigin{0, 0};
    SIZE windowExtent{1, 1};
    POINT viewportOrigin{0, 0};
    SIZE viewportExtent{1, 1};
    bool clipping = false;
    RECT clip{0, 0, 0, 0};
    struct Saved;
    std::vector<std::shared_ptr<Saved>> saved;  // SaveDC's states
    bool memory = false;  // a memory device context: draws into its selected bitmap
    // Window device contexts while a window's picture is drawn (window_picture.cpp): the picture's
    // image surface (a cairo_surface_t*, referenced), the window's client origin on it and the
    // part of the picture the window covers.
    void* canvas = nullptr;
    LONG originX = 0;
    LONG originY = 0;
    RECT canvasClip{0, 0, 0, 0};
    // Printer device contexts only (gdi_printer_dc.h).
    std::shared_ptr<PrinterDevice> printer;
};

HandleTable<GdiObject>& Objects();
HandleTable<DeviceContext>& DeviceContexts();
// GetStockObject's index of the 1 x 1 monochrome bitmap a new memory device context holds.
constexpr int kStockMonoBitmap = 0x100;
// Lets go of what a device context holds (its selected objects, its window picture) before the
// context is removed.
void EndContext(DeviceContext& context);

// A bitmap object made from a packed device-independent bitmap, or null when the bytes are not
// one (a header that does not fit, a size or depth it cannot have, bits beyond the bytes). The
// pixels follow the colour table, or start pixelsAt bytes from the header when that is not 0 (a
// .bmp file's own offset of its pixels, which may leave a gap after the colours).
HBITMAP CreateBitmapFromPackedDib(const uint8_t* bytes, size_t size, size_t pixelsAt = 0);

// Pixel metrics of a font at a resolution (internal to the font functions).
struct FontMetrics {
    LONG ascent = 0;
    LONG descent = 0;
    LONG internalLeading = 0;
    LONG averageWidth = 0;
    LONG maxWidth = 0;
    WCHAR firstChar = u' ';
    WCHAR lastChar = 0xFFFC;
    BYTE charset = 0;  // ANSI_CHARSET
};
// The context's logical units per inch: its resolution, or 1440 in MM_TWIPS.
int LogicalUnitsPerInch(const DeviceContext& context);
bool MeasureFont(const LOGFONTW& font, int dpi, FontMetrics* metrics);
// Bytes of the font's file (table 0) or of one of its tables from offset on, as GetFontData reads
// them: *answer is the size from offset to the end (buffer null) or the count copied. False when
// the font has no TrueType file, the table is not there, or offset lies beyond it.
bool ReadFontFile(const LOGFONTW& font, DWORD table, DWORD offset, void* buffer, DWORD size, DWORD* answer);
// The glyph of each UTF-16 unit from the font's Unicode map (0, or 0xFFFF with markMissing, for a
// character it lacks); false when the font cannot be opened.
bool GlyphIndices(const LOGFONTW& font, const WCHAR* text, int count, WORD* indices, bool markMissing);
// The width of the text, each character the face lacks measured in the linked face, as text is
// drawn.
bool MeasureText(const LOGFONTW& font, int dpi, const WCHAR* text, int count, LONG* width);
// The face that stands in for the characters a face lacks: Windows links its faces to a Japanese
// face, and so does this machine, with its Japanese Gothic face.
LOGFONTW LinkedFont(const LOGFONTW& font);
// Whether the font's own face has a glyph for the character (true when it cannot be opened).
bool HasCharacter(const LOGFONTW& font, char32_t character);
// Runs body with the FreeType face of the font (its FT_Face) under the font catalog's lock, for
// drawing text with it; false when no font file can be found or opened.
bool WithFontFace(const LOGFONTW& font, const std::function<void(FT_FaceRec_* face)>& body);
// A cairo font face for drawing the font with its FreeType face (inside WithFontFace's body): a
// bold font whose face has no bold of its own (the Japanese Gothic) is made bold from the regular
// outlines, as Windows does. The caller destroys it.
cairo_font_face_t* CairoFontFace(FT_FaceRec_* face, const LOGFONTW& font);

}  // namespace palvex::gdi
