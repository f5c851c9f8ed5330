// Drawing on a window picture with cairo (internal to the platform library): text in a GDI font
// laid out as DrawTextW lays it out, and device-independent bitmaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <palvex/user_objects.h>
#include <win/winuser.h>

typedef struct _cairo cairo_t;

namespace palvex::gdi {
struct DeviceContext;
struct GdiObject;
}

namespace palvex::win {

// Lays out text in the rectangle (DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_SINGLELINE,
// DT_WORDBREAK; "\n" breaks lines unless DT_SINGLELINE) and draws it when cr is not null. Returns
// the height of the text. Lines break at a blank where one fits, else between characters (as
// Japanese text breaks).
int LayOutText(cairo_t* cr, const LOGFONTW& font, COLORREF colour, const std::u16string& text, const RECT& rect,
               UINT format);
// The width of one line of text in the font ("&" marks a mnemonic, as in LayOutText).
int TextWidth(const LOGFONTW& font, const std::u16string& text);
// Draws a packed device-independent bitmap stretched into the rectangle; false when the bytes are
// not one this can read.
bool DrawDib(cairo_t* cr, const std::vector<uint8_t>& dib, double x, double y, double width, double height);
// Draws a bitmap object (its pixels once drawn on, else its device-independent bits) stretched
// into the rectangle.
bool DrawBitmap(cairo_t* cr, gdi::GdiObject& bitmap, double x, double y, double width, double height);
// The image bytes an icon or cursor was made from (a cursor's start with its hot spot).
bool IconBytes(HICON icon, std::vector<uint8_t>* bytes, IconDescription* description);
// Draws an icon (its colour image through its mask or alpha) scaled into the rectangle.
bool DrawIconImage(cairo_t* cr, HICON icon, double x, double y, double width, double height);
// The font of a GDI font object, or the dialog font of the headless screen.
LOGFONTW FontOf(HGDIOBJ font);

// ExtTextOutW on a device context that draws into pixels (a window being drawn into its
// picture, a memory context): the text at (x, y) by the context's alignment, font, escapement,
// colour and background mode, ETO_OPAQUE / ETO_CLIPPED with the rectangle; with glyphs, those
// glyph indices of the font instead of the text.
BOOL CanvasTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const std::u16string& text,
                   const std::vector<WORD>* glyphs = nullptr);

// While a window's picture is drawn, each window is entered with the place it takes on the
// picture (cr's current origin and clip), so that its device contexts (GetDC, BeginPaint) draw
// there; the entries go when the picture is done.
void EnterPicture(HWND window, cairo_t* cr);
void ClearPictures();
// Gives a new device context of the window the picture it is being drawn on, if it is.
void AttachPicture(HWND window, gdi::DeviceContext* context);

}  // namespace palvex::win
