// The raster GDI on small memory bitmaps, pixel by pixel, and window device contexts drawing into
// the window's picture.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/ui_script.h>
#include <palvex/utf8.h>
#include <win/windows.h>
#include <win/wingdi_raster.h>

namespace {

// A memory context holding a colour (or monochrome) bitmap of the given pixels, row by row.
class Canvas {
public:
    Canvas(int width, int height, const std::vector<COLORREF>& pixels = {}, bool mono = false)
        : m_width(width), m_height(height) {
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < static_cast<int>(pixels.size()); ++i) SetPixel(m_dc, i % width, i / width, pixels[size_t(i)]);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> out;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) out.push_back(GetPixel(m_dc, x, y));
        return out;
    }
    HDC dc() const { return m_dc; }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(RasterGdi, RasterOperationsCombineTargetSourceAndBrush) {
    // Target red (0x0000FF), source RGB(15, 15, 15) (0x0F0F0F), brush green (0x00FF00).
    struct Case {
        DWORD rop;
        COLORREF expected;
    } cases[] = {
        {SRCCOPY, 0x0F0F0F},   {SRCINVERT, 0x0F0FF0}, {SRCAND, 0x00000F},    {SRCPAINT, 0x0F0FFF},
        {NOTSRCCOPY, 0xF0F0F0}, {MERGEPAINT, 0xF0F0FF}, {PATINVERT, 0x00FFFF}, {PATCOPY, 0x00FF00},
        {DSTINVERT, 0xFFFF00}, {BLACKNESS, 0x000000}, {WHITENESS, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        Canvas target(2, 1, {kRed, kRed}), source(2, 1, {RGB(15, 15, 15), RGB(15, 15, 15)});
        HBRUSH brush = CreateSolidBrush(kGreen);
        HGDIOBJ old = SelectObject(target.dc(), brush);
        ASSERT_TRUE(BitBlt(target.dc(), 1, 0, 1, 1, source.dc(), 0, 0, c.rop)) << std::hex << c.rop;
        EXPECT_EQ(target.Pixels(), (std::vector<COLORREF>{kRed, c.expected})) << std::hex << c.rop;
        SelectObject(target.dc(), old);
        DeleteObject(brush);
    }
}

TEST(RasterGdi, ColourAndMonochromeConvertByTheBackgroundColour) {
    const COLORREF key = RGB(128, 128, 0);
    Canvas colour(3, 1, {key, kBlue, key});
    Canvas mono(3, 1, {}, true);
    SetBkColor(colour.dc(), key);
    ASSERT_TRUE(BitBlt(mono.dc(), 0, 0, 3, 1, colour.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(mono.Pixels(), (std::vector<COLORREF>{kWhite, kBlack, kWhite}));
    // Back to colour: black takes the target's text colour, white its background colour.
    Canvas back(3, 1);
    SetTextColor(back.dc(), RGB(1, 2, 3));
    SetBkColor(back.dc(), RGB(9, 8, 7));
    ASSERT_TRUE(BitBlt(back.dc(), 0, 0, 3, 1, mono.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(back.Pixels(), (std::vector<COLORREF>{RGB(9, 8, 7), RGB(1, 2, 3), RGB(9, 8, 7)}));
    // A monochrome bitmap only holds black and white.
    SetPixel(mono.dc(), 1, 0, RGB(200, 200, 200));
    EXPECT_EQ(GetPixel(mono.dc(), 1, 0), kWhite);
}

TEST(RasterGdi, FloodFillFollowsTheFourConnectedArea) {
    const COLORREF A = kRed, B = kBlue, C = kGreen;
    const std::vector<COLORREF> picture{A, A, B, A,  //
                                        A, B, B, A,  //
                                        A, A, A, B};
    // Surface from (0, 0) over A, and the same area by the border B; (3, 0) and (3, 1) are A but
    // touch the area only across a corner or B.
    const std::vector<COLORREF> filled{C, C, B, A,  //
                                       C, B, B, A,  //
                                       C, C, C, B};
    for (const bool surface : {true, false}) {
        Canvas canvas(4, 3, picture);
        HBRUSH brush = CreateSolidBrush(C);
        HGDIOBJ old = SelectObject(canvas.dc(), brush);
        ASSERT_TRUE(surface ? ExtFloodFill(canvas.dc(), 0, 0, A, FLOODFILLSURFACE) : FloodFill(canvas.dc(), 0, 0, B));
        EXPECT_EQ(canvas.Pixels(), filled) << surface;
        // A start outside the colour fills nothing.
        EXPECT_FALSE(ExtFloodFill(canvas.dc(), 2, 0, A, FLOODFILLSURFACE));
        EXPECT_FALSE(ExtFloodFill(canvas.dc(), 9, 9, A, FLOODFILLSURFACE));
        SelectObject(canvas.dc(), old);
        DeleteObject(brush);
    }
}

TEST(RasterGdi, AnisotropicMappingScalesShapesAndClipping) {
    Canvas canvas(12, 22);
    RECT all{0, 0, 12, 22};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(canvas.dc(), &all, red);
    EXPECT_EQ(SetMapMode(canvas.dc(), MM_ANISOTROPIC), MM_TEXT);
    ASSERT_TRUE(SetWindowExtEx(canvas.dc(), 100, 100, nullptr));
    ASSERT_TRUE(SetViewportExtEx(canvas.dc(), 10, 20, nullptr));
    POINT points[2] = {{50, 50}, {100, 100}};
    ASSERT_TRUE(LPtoDP(canvas.dc(), points, 2));
    EXPECT_EQ(points[0].x, 5);
    EXPECT_EQ(points[0].y, 10);
    EXPECT_EQ(points[1].x, 10);
    EXPECT_EQ(points[1].y, 20);
    // Rectangle(0, 0, 100, 100) covers device pixels 0..9 x 0..19: black rim, white inside.
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH));
    ASSERT_TRUE(Rectangle(canvas.dc(), 0, 0, 100, 100));
    SetMapMode(canvas.dc(), MM_TEXT);
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), kBlack);
    EXPECT_EQ(GetPixel(canvas.dc(), 9, 19), kBlack);
    EXPECT_EQ(GetPixel(canvas.dc(), 9, 5), kBlack);
    EXPECT_EQ(GetPixel(canvas.dc(), 5, 10), kWhite);
    EXPECT_EQ(GetPixel(canvas.dc(), 10, 10), kRed);
    EXPECT_EQ(GetPixel(canvas.dc(), 5, 20), kRed);
    // A clip keeps a fill inside it.
    ASSERT_EQ(IntersectClipRect(canvas.dc(), 2, 2, 4, 3), SIMPLEREGION);
    FillRect(canvas.dc(), &all, red);
    EXPECT_EQ(GetPixel(canvas.dc(), 3, 2), kRed);
    EXPECT_EQ(GetPixel(canvas.dc(), 1, 2), CLR_INVALID);  // outside the clip nothing is read
    SelectClipRgn(canvas.dc(), nullptr);
    EXPECT_EQ(GetPixel(canvas.dc(), 1, 2), kWhite);
    DeleteObject(red);
}

TEST(RasterGdi, LinesLeaveOutTheirLastPixelAndDotsRunThreeOnThreeOff) {
    Canvas canvas(14, 2, std::vector<COLORREF>(28, kWhite));
    HPEN dot = CreatePen(PS_DOT, 1, kBlack);
    HGDIOBJ old = SelectObject(canvas.dc(), dot);
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    ASSERT_TRUE(LineTo(canvas.dc(), 12, 0));
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    MoveToEx(canvas.dc(), 0, 1, nullptr);
    LineTo(canvas.dc(), 3, 1);
    const COLORREF K = kBlack, W = kWhite;
    EXPECT_EQ(canvas.Pixels(), (std::vector<COLORREF>{K, K, K, W, W, W, K, K, K, W, W, W, W, W,  //
                                                      K, K, K, W, W, W, W, W, W, W, W, W, W, W}));
    SelectObject(canvas.dc(), old);
    DeleteObject(dot);
}

TEST(RasterGdi, RectangleFramesItsInnerPixelsAndPieFillsItsSlice) {
    const COLORREF W = kWhite, K = kBlack, G = kGreen;
    Canvas canvas(6, 5, std::vector<COLORREF>(30, W));
    HBRUSH green = CreateSolidBrush(G);
    HGDIOBJ oldBrush = SelectObject(canvas.dc(), green);
    ASSERT_TRUE(Rectangle(canvas.dc(), 1, 1, 5, 4));
    EXPECT_EQ(canvas.Pixels(), (std::vector<COLORREF>{W, W, W, W, W, W,  //
                                                      W, K, K, K, K, W,  //
                                                      W, K, G, G, K, W,  //
                                                      W, K, K, K, K, W,  //
                                                      W, W, W, W, W, W}));
    SelectObject(canvas.dc(), oldBrush);
    // A quarter from the ray to the right counter-clockwise to the ray upwards: the top right.
    Canvas pie(20, 20, std::vector<COLORREF>(400, W));
    SelectObject(pie.dc(), green);
    SelectObject(pie.dc(), GetStockObject(NULL_PEN));
    ASSERT_TRUE(Pie(pie.dc(), 0, 0, 20, 20, 20, 10, 10, 0));
    EXPECT_EQ(GetPixel(pie.dc(), 14, 5), G);
    EXPECT_EQ(GetPixel(pie.dc(), 5, 5), W);
    EXPECT_EQ(GetPixel(pie.dc(), 14, 14), W);
    EXPECT_EQ(GetPixel(pie.dc(), 19, 0), W);  // outside the ellipse
    SelectObject(pie.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(green);
}

TEST(RasterGdi, ShapesFarBeyondTheBitmapDrawOnlyTheirVisiblePart) {
    const COLORREF W = kWhite, K = kBlack, R = kRed;
    Canvas canvas(4, 3, std::vector<COLORREF>(12, R));
    const int far = 2000000000;
    SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH));
    ASSERT_TRUE(Rectangle(canvas.dc(), -far, -far, far, far));  // the rim lies outside: all inside
    ASSERT_TRUE(Pie(canvas.dc(), -far, -far, far, far, far, 0, far, 0));  // a whole ellipse
    MoveToEx(canvas.dc(), -far, 1, nullptr);
    ASSERT_TRUE(LineTo(canvas.dc(), far, 1));
    const POINT triangle[3] = {{-far, 2}, {far, 2}, {far, 3}};
    SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
    ASSERT_TRUE(Polygon(canvas.dc(), triangle, 3));
    EXPECT_EQ(canvas.Pixels(), (std::vector<COLORREF>{W, W, W, W, K, K, K, K, W, W, W, W}));
    Canvas source(2, 2, {R, R, R, R});
    ASSERT_TRUE(PatBlt(canvas.dc(), -far, -far, far + 1, far + 1, BLACKNESS));
    ASSERT_TRUE(BitBlt(canvas.dc(), -far, 2, far + 2, 1, source.dc(), -far, 0, SRCCOPY));
    ASSERT_TRUE(StretchBlt(canvas.dc(), 3, 0, 1, 3, source.dc(), 0, 0, far, far, SRCCOPY));
    // (0, 0) black; row 2 the source's two columns; the stretched source at x 3 its origin.
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), K);
    EXPECT_EQ(GetPixel(canvas.dc(), 1, 0), W);
    EXPECT_EQ(GetPixel(canvas.dc(), 1, 2), R);
    EXPECT_EQ(GetPixel(canvas.dc(), 2, 2), W);
    EXPECT_EQ(GetPixel(canvas.dc(), 3, 0), R);
}

TEST(RasterGdi, StretchBltMirrorsWithANegativeExtent) {
    Canvas source(3, 1, {kRed, kGreen, kBlue});
    Canvas target(3, 2);
    ASSERT_TRUE(StretchBlt(target.dc(), 2, 0, -3, 1, source.dc(), 0, 0, 3, 1, SRCCOPY));
    ASSERT_TRUE(StretchBlt(target.dc(), 0, 1, 3, 1, source.dc(), 2, 0, -3, 1, SRCCOPY));
    EXPECT_EQ(target.Pixels(), (std::vector<COLORREF>{kBlue, kGreen, kRed, kBlue, kGreen, kRed}));
}

TEST(RasterGdi, ObjectsAreSelectedOnceAndGoBackToTheirContext) {
    HDC first = CreateCompatibleDC(nullptr), second = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    HGDIOBJ stock = SelectObject(first, bitmap);
    ASSERT_NE(stock, nullptr);
    BITMAP facts{};
    ASSERT_EQ(GetObjectW(stock, sizeof facts, &facts), int(sizeof facts));
    EXPECT_EQ(facts.bmBitsPixel, 1);  // a new memory context holds a 1 x 1 monochrome bitmap
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);  // one context at a time
    EXPECT_FALSE(DeleteObject(bitmap));                // still selected
    EXPECT_EQ(GetDeviceCaps(second, BITSPIXEL), 1);
    HBITMAP compatible = CreateCompatibleBitmap(second, 4, 4);
    ASSERT_EQ(GetObjectW(compatible, sizeof facts, &facts), int(sizeof facts));
    EXPECT_EQ(facts.bmBitsPixel, 1);
    EXPECT_EQ(SelectObject(first, stock), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(compatible));
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    EXPECT_EQ(SelectObject(first, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(first, OBJ_PEN), pen);
    EXPECT_EQ(SaveDC(first), 1);
    SelectObject(first, GetStockObject(WHITE_PEN));
    ASSERT_TRUE(RestoreDC(first, -1));
    EXPECT_EQ(GetCurrentObject(first, OBJ_PEN), pen);
    SelectObject(first, GetStockObject(BLACK_PEN));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteDC(first));
    EXPECT_TRUE(DeleteDC(second));
}

TEST(RasterGdi, CharactersTheFaceLacksMeasureInTheLinkedFace) {
    // DejaVu Sans has no kana: "あ" is measured (and drawn) in the linked Japanese Gothic face.
    const auto font = [](const char16_t* face) {
        LOGFONTW f{};
        f.lfHeight = -12;
        std::memcpy(f.lfFaceName, face, std::char_traits<char16_t>::length(face) * sizeof(WCHAR));
        return CreateFontIndirectW(&f);
    };
    HFONT latin = font(u"DejaVu Sans"), japanese = font(u"IPAGothic");
    HDC screen = GetDC(nullptr);
    SIZE kana{}, letter{}, mixed{}, linked{};
    SelectObject(screen, japanese);
    ASSERT_TRUE(GetTextExtentPoint32W(screen, u"あ", 1, &linked));
    SelectObject(screen, latin);
    ASSERT_TRUE(GetTextExtentPoint32W(screen, u"あ", 1, &kana));
    ASSERT_TRUE(GetTextExtentPoint32W(screen, u"A", 1, &letter));
    ASSERT_TRUE(GetTextExtentPoint32W(screen, u"Aあ", 2, &mixed));
    EXPECT_EQ(linked.cx, 12);  // a full-width character of a 12-pixel em
    EXPECT_EQ(kana.cx, linked.cx);
    EXPECT_EQ(mixed.cx, letter.cx + linked.cx);
    SelectObject(screen, GetStockObject(SYSTEM_FONT));
    ReleaseDC(nullptr, screen);
    DeleteObject(latin);
    DeleteObject(japanese);
}

// A bold font is drawn bold, also in a face that has no bold of its own: more of the line is
// inked than in the regular weight.
TEST(RasterGdi, BoldTextIsDrawnBoldInEveryFace) {
    const auto inked = [](const char16_t* face, LONG weight, const char16_t* text) {
        Canvas canvas(120, 20);
        RECT all{0, 0, 120, 20};
        FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        LOGFONTW f{};
        f.lfHeight = -14;
        f.lfWeight = weight;
        std::memcpy(f.lfFaceName, face, std::char_traits<char16_t>::length(face) * sizeof(WCHAR));
        HFONT font = CreateFontIndirectW(&f);
        HGDIOBJ old = SelectObject(canvas.dc(), font);
        TextOutW(canvas.dc(), 2, 2, text, static_cast<int>(std::char_traits<char16_t>::length(text)));
        SelectObject(canvas.dc(), old);
        DeleteObject(font);
        size_t dark = 0;
        for (COLORREF pixel : canvas.Pixels()) dark += GetRValue(pixel) < 128;
        return dark;
    };
    const struct {
        const char16_t* face;
        const char16_t* text;
    } cases[] = {{u"DejaVu Sans", u"Caution"}, {u"IPAGothic", u"注意してください"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(palvex::ToUtf8(c.face));
        const size_t regular = inked(c.face, FW_NORMAL, c.text), bold = inked(c.face, FW_BOLD, c.text);
        EXPECT_GT(regular, 0u);
        EXPECT_GT(bold, regular + regular / 5);
    }
}

// The same in a window's picture: a static control given a bold font shows its text bold.
TEST(RasterGdi, AStaticWithABoldFontShowsItsTextBold) {
    palvex::TestMachine machine;
    const auto inked = [](LONG weight) {
        HWND label = CreateWindowExW(0, u"Static", u"注意してください", WS_POPUP | WS_VISIBLE, 0, 0, 160, 24, nullptr,
                                     nullptr, nullptr, nullptr);
        LOGFONTW f{};
        f.lfHeight = -12;
        f.lfWeight = weight;
        f.lfCharSet = 128;
        std::memcpy(f.lfFaceName, u"Segoe UI", sizeof u"Segoe UI");
        HFONT font = CreateFontIndirectW(&f);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        const auto png = palvex::MachineRoot() / ("bold-" + std::to_string(weight) + ".png");
        palvex::WriteWindowPicture(label, png);
        DestroyWindow(label);
        DeleteObject(font);
        cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
        size_t dark = 0;
        if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
            const unsigned char* data = cairo_image_surface_get_data(surface);
            for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
                for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
                    dark += (data[y * cairo_image_surface_get_stride(surface) + x * 4 + 2] < 50);  // the black text
        }
        cairo_surface_destroy(surface);
        std::filesystem::remove(png);
        return dark;
    };
    const size_t regular = inked(FW_NORMAL), bold = inked(FW_BOLD);
    EXPECT_GT(regular, 0u);
    EXPECT_GT(bold, regular + regular / 5);
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH red = CreateSolidBrush(kRed);
        FillRect(item->hDC, &item->rcItem, red);
        DeleteObject(red);
        // The control's own device context draws on the same place.
        HDC dc = GetDC(item->hwndItem);
        SetPixel(dc, 2, 3, kBlue);
        ReleaseDC(item->hwndItem, dc);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(RasterGdi, OwnerDrawnControlsDrawIntoTheWindowPicture) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.lpszClassName = u"RasterOwner";
    RegisterClassExW(&windowClass);
    HWND parent = CreateWindowExW(0, u"RasterOwner", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(parent, nullptr);
    HWND control = CreateWindowExW(0, u"Static", u"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 10, 20, 30, 20, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(5)), nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    const auto png = palvex::MachineRoot() / "raster-owner.png";
    palvex::WriteWindowPicture(parent, png);
    cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
    const auto pixel = [&](int x, int y) {
        const unsigned char* data = cairo_image_surface_get_data(surface);
        return *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface) + x * 4) & 0xFFFFFF;
    };
    // The picture has a one-pixel border: the window's client (0, 0) is at (1, 0).
    EXPECT_EQ(pixel(1 + 10, 20), 0xFF0000u);          // the control's corner, red
    EXPECT_EQ(pixel(1 + 39, 39), 0xFF0000u);          // its far corner
    EXPECT_EQ(pixel(1 + 10 + 2, 20 + 3), 0x0000FFu);  // the blue pixel of its own context
    EXPECT_NE(pixel(1 + 9, 20), 0xFF0000u);           // nothing outside the control
    EXPECT_NE(pixel(1 + 40, 20), 0xFF0000u);
    cairo_surface_destroy(surface);
    std::filesystem::remove(png);
    DestroyWindow(parent);
    UnregisterClassW(u"RasterOwner", nullptr);
}

// A .bmp file of size bytes: the file header with the pixels' offset, a 40-byte info header with
// one plane, the rest zeros.
struct BitmapFile {
    BitmapFile(size_t size, uint32_t pixelsAt, uint32_t width, uint32_t height, uint8_t bits) : bytes(size, 0) {
        bytes[0] = 'B';
        bytes[1] = 'M';
        Put32(2, static_cast<uint32_t>(size));
        Put32(10, pixelsAt);
        Put32(14, 40);
        Put32(18, width);
        Put32(22, height);
        bytes[26] = 1;
        bytes[28] = bits;
    }
    void Put32(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    // Written as the file at a machine path.
    void Write(const char16_t* machinePath) const {
        const auto path = palvex::HostPath(machinePath);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    std::vector<uint8_t> bytes;
};

// A .bmp file whose header numbers would need more bytes than any file holds: their sum must not
// wrap round to something small, or the bitmap would claim a size its bytes never had.
TEST(RasterGdi, ABitmapFileWhoseSizesWrapIsRefused) {
    palvex::TestMachine machine;
    BitmapFile file(70, 54, 0x7FFFFFFF, 0x7FFFFFFF, 32);
    file.Put32(46, 0xFFFFFFFF);  // colours used
    file.Write(u"C:\\wrap.bmp");
    EXPECT_EQ(LoadImageW(nullptr, u"C:\\wrap.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_DATA});
}

// A .bmp file's pixels start where its file header says, which need not be right after the
// colours: some writers leave a gap there.
TEST(RasterGdi, ABitmapFileIsReadFromItsPixelOffset) {
    palvex::TestMachine machine;
    // 2 x 1 pixels at 24 bits (a 6-byte row padded to 8) after the 54 bytes of headers, at offset
    // 64: ten bytes of 0xEE between the headers and the pixels.
    BitmapFile file(72, 64, 2, 1, 24);
    std::fill(file.bytes.begin() + 54, file.bytes.begin() + 64, 0xEE);
    const uint8_t pixels[6] = {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF};  // blue, red (B, G, R each)
    std::copy(std::begin(pixels), std::end(pixels), file.bytes.begin() + 64);
    const struct {
        uint32_t pixelsAt;
        bool loads;
    } cases[] = {{64, true}, {73, false}, {50, false}};  // the gap; past the file; inside the header
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pixelsAt);
        file.Put32(10, c.pixelsAt);
        file.Write(u"C:\\gap.bmp");
        auto bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, u"C:\\gap.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        ASSERT_EQ(bitmap != nullptr, c.loads);
        if (!bitmap) continue;
        HDC context = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(context, bitmap);
        EXPECT_EQ(GetPixel(context, 0, 0), RGB(0, 0, 255));
        EXPECT_EQ(GetPixel(context, 1, 0), RGB(255, 0, 0));
        SelectObject(context, old);
        DeleteDC(context);
        DeleteObject(bitmap);
    }
}

}  // namespace
