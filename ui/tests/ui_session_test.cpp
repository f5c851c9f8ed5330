// The UI session: its configuration record, its parts' lifecycle, its strings, the owner-drawn
// painters (colour rows and transparent logos) and the page preview's caption, grid and guards.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <palvex/ui_script.h>
#include <win/windows.h>
#include <win/wingdi_raster.h>

#include "session/owner_drawn.h"
#include "session/page_preview.h"
#include "session/ui_session.h"
#include "session_fixture.h"

namespace {

constexpr COLORREF kFace = RGB(240, 240, 240);  // the dialog face behind the controls

// The record as the driver's factory fills it on a 96-dpi screen.
std::vector<DWORD> Config() {
    std::vector<DWORD> config(kSessionConfigWords);
    const std::map<int, DWORD> named{{1, 130}, {2, 131}, {3, 130}, {4, 131}, {6, 160}, {7, 161}, {8, 162}, {9, 163},
                                     {38, 150}, {39, 151}, {40, 153}, {41, 154}, {42, 152}, {46, 100}, {47, 171},
                                     {48, 173}, {49, 172}};
    for (const auto& [word, value] : named) config[size_t(word)] = value;
    return config;
}

class UISession : public ::testing::Test {
protected:
    void SetUp() override {
        m_heap = HeapCreate(0, 0, 0);
        m_resources.m_strings = {{171, u" x "}, {172, u" mm"}, {173, u" in"}};
    }
    void TearDown() override {
        QORVAUISession::Destroy(m_session);
        HeapDestroy(m_heap);
    }
    QORVAUISession* Make() {
        const auto config = Config();
        m_session = QORVAUISession::Create(m_heap, &m_resources, config.data());
        return m_session;
    }

    HANDLE m_heap = nullptr;
    TableResources m_resources;
    QORVAUISession* m_session = nullptr;
};

TEST_F(UISession, PartsAreMadeAndReleasedWithTheThemeLibrary) {
    ASSERT_NE(Make(), nullptr);
    for (int n = 1; n <= 8; ++n) {
        ASSERT_NE(m_session->Painter(n), nullptr);
        EXPECT_EQ(m_session->Painter(n)->m_core, m_session->Core());
    }
    EXPECT_EQ(m_session->Painter(0), nullptr);
    EXPECT_EQ(m_session->Core()->m_config[47], 171u);
    EXPECT_NE(m_session->Core()->m_drawParentBackground, nullptr);
    EXPECT_NE(GetModuleHandleW(u"UXTHEME.DLL"), nullptr);
    EXPECT_EQ(m_session->LoadString(172), u" mm");
    EXPECT_EQ(m_session->LoadString(999), u"");
    QORVAUISession::Destroy(m_session);
    m_session = nullptr;
    EXPECT_EQ(GetModuleHandleW(u"UXTHEME.DLL"), nullptr);
}

TEST_F(UISession, ACreationThatFailsPartWayLeavesNoThemeLibraryBehind) {
    const auto config = Config();
    int failures = 0;
    for (SIZE_T limit = 8;; limit += 8) {
        HANDLE small = HeapCreate(0, 0, limit);
        QORVAUISession* session = QORVAUISession::Create(small, &m_resources, config.data());
        if (session) {
            QORVAUISession::Destroy(session);
            HeapDestroy(small);
            break;
        }
        ++failures;
        EXPECT_EQ(GetModuleHandleW(u"UXTHEME.DLL"), nullptr) << limit;
        HeapDestroy(small);
        ASSERT_LT(limit, SIZE_T{1} << 20);
    }
    EXPECT_GT(failures, 0);
}

TEST_F(UISession, VersionFiveHasNoThemeBackground) {
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.majorVersion = 5;
    profile.minorVersion = 0;
    palvex::SetOsProfile(profile);
    ASSERT_NE(Make(), nullptr);
    EXPECT_EQ(m_session->Core()->m_drawParentBackground, nullptr);
    EXPECT_EQ(m_session->Core()->m_themeModule, nullptr);
    EXPECT_EQ(GetModuleHandleW(u"UXTHEME.DLL"), nullptr);
}

TEST_F(UISession, ThePreviewStartsFromItsResetValues) {
    ASSERT_NE(Make(), nullptr);
    const QORVAPreviewSettings& s = *m_session->Preview()->Settings();
    EXPECT_EQ(s.pictogramKind, 1u);
    EXPECT_EQ(s.greyscale, 1u);
    EXPECT_EQ(s.pagesPerSheet, 1u);
    EXPECT_EQ(s.atFullSize, 1u);
    EXPECT_EQ(s.scalePercent, 100u);
    EXPECT_EQ(s.linePitch, 3u);
    EXPECT_EQ(s.sideCode, 1u);
    EXPECT_EQ(s.noWatermark, 1u);
    EXPECT_EQ(s.units, 2u);
    EXPECT_EQ(std::u16string(s.unitName), u" in");
    EXPECT_EQ(s.paperWidth, 0u);
}

TEST_F(UISession, TheCaptionGivesThePrintableSizeInTheUnits) {
    ASSERT_NE(Make(), nullptr);
    struct Case {
        DWORD units, rotation;
        const char16_t* unitName;
        std::u16string caption;
    } cases[] = {
        {1, 0, u" mm", u"210 x 297 mm"},
        {2, 0, u" in", u"8.27 x 11.69 in"},
        {1, 2, u" mm", u"297 x 210 mm"},   // landscape: the sides change places
        {2, 1, u" in", u"8.27 x 11.69 in"},
    };
    for (const Case& c : cases) {
        QORVAPreviewSettings& s = *m_session->Preview()->Settings();
        s.units = c.units;
        s.rotation = c.rotation;
        s.printableWidth = 4960;
        s.printableHeight = 7016;
        std::memcpy(s.unitName, c.unitName, (std::char_traits<char16_t>::length(c.unitName) + 1) * sizeof(WCHAR));
        EXPECT_EQ(m_session->Preview()->BuildCaption(), c.caption);
    }
}

TEST(PreviewGrid, PagesPerSheetAndRotationGiveRowsAndColumns) {
    struct Case {
        DWORD pages, rotation;
        LONG rows, columns;
    } cases[] = {{6, 2, 3, 2}, {6, 0, 2, 3}, {6, 1, 2, 3}, {2, 0, 1, 2}, {2, 3, 2, 1}, {4, 0, 2, 2},
                 {9, 2, 3, 3}, {16, 0, 4, 4}, {1, 0, 1, 1}, {3, 0, 1, 1}, {0, 2, 1, 1}};
    for (const Case& c : cases) {
        const SIZE grid = paint::QORVAOptItemDlgLinkPagePreview::Grid(c.pages, c.rotation);
        EXPECT_EQ(grid.cy, c.rows) << c.pages << " " << c.rotation;
        EXPECT_EQ(grid.cx, c.columns) << c.pages << " " << c.rotation;
    }
}

TEST(PreviewModel, TheLinksFieldsLandInThePaintersBlocks) {
    QORVAPreviewSettings settings{};
    QORVAPreviewWatermark watermark{};
    QORVAPreviewLinkModel model{};
    model.m_duplex = 2;
    model.m_duplexFlip = 1;
    model.m_mirrored = 1;
    model.m_pagesPerSheet = 4;
    model.m_orientation = 2;
    model.m_scale = 75;
    model.m_wmkFirstPageOnly = 1;
    model.m_nupOrder = 3;
    model.m_noWatermark = 1;
    model.m_scaleToWidth = 4960;
    model.m_paperName = u"A4 with a name far longer than thirty-two characters";
    model.m_wmkText = u"ignored";
    ApplyLinkModel(model, &settings, &watermark);
    EXPECT_EQ(settings.pictogramKind, 2u);
    EXPECT_EQ(settings.edgeKind, 1u);
    EXPECT_EQ(settings.rightToLeft, 1u);
    EXPECT_EQ(settings.pagesPerSheet, 4u);
    EXPECT_EQ(settings.rotation, 2u);
    EXPECT_EQ(settings.scalePercent, 75u);
    EXPECT_EQ(settings.watermarkEveryPage, 0u);
    EXPECT_EQ(settings.sideCode, 3u);
    EXPECT_EQ(settings.printableWidth, 4960u);
    EXPECT_EQ(std::u16string(settings.documentPaperName), u"A4 with a name far longer than ");  // 31 and the end
    EXPECT_EQ(watermark.text[0], u'\0');  // kept while no watermark is chosen
    model.m_noWatermark = 0;
    model.m_wmkFirstPageOnly = 0;
    model.m_wmkFont = u"Arial";
    model.m_wmkStyle = 3;
    model.m_wmkColor = RGB(128, 128, 128);
    ApplyLinkModel(model, &settings, &watermark);
    EXPECT_EQ(settings.watermarkEveryPage, 1u);
    EXPECT_EQ(std::u16string(watermark.text), u"ignored");
    EXPECT_EQ(std::u16string(watermark.faceName), u"Arial");
    EXPECT_EQ(watermark.style, 3u);
    EXPECT_EQ(watermark.colour, RGB(128, 128, 128));
}

// A memory picture for a painter that draws on an item's device context.
struct MemoryPicture {
    MemoryPicture(int width, int height) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(width, height, 1, 32, nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~MemoryPicture() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

TEST(ColourRow, SwatchFrameAndLabelSitByTheRowsWidth) {
    HWND combo = CreateWindowExW(0, u"ComboBox", u"", WS_POPUP, 0, 0, 80, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Red|255"));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Plain"));
    const LONG L = 5, T = 1, B = 19;  // a row 50 pixels wide
    struct Case {
        UINT item, state;
        COLORREF swatch, area;
    } cases[] = {{0, 0, RGB(255, 0, 0), RGB(255, 255, 255)},
                 {1, 0, RGB(0, 0, 0), RGB(255, 255, 255)},  // no "|": a black swatch
                 {0, ODS_SELECTED, RGB(255, 0, 0), GetSysColor(COLOR_HIGHLIGHT)}};
    for (const Case& c : cases) {
        MemoryPicture picture(60, 20);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_COMBOBOX;
        item.itemID = c.item;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = c.state;
        item.hwndItem = combo;
        item.hDC = picture.dc;
        item.rcItem = RECT{L, T, L + 50, B};
        paint::QORVAOptItemDlgLinkComboboxCOLOR::PaintColorItem(&item);
        // The swatch (L+2, T+3)-(L+8, B-3) in the colour, its frame one pixel out in black.
        EXPECT_EQ(GetPixel(picture.dc, L + 2, T + 3), c.swatch);
        EXPECT_EQ(GetPixel(picture.dc, L + 7, B - 4), c.swatch);
        EXPECT_EQ(GetPixel(picture.dc, L + 1, T + 2), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(picture.dc, L + 8, B - 3), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(picture.dc, L + 9, T + 5), RGB(0, 0, 0));  // outside the frame: untouched
        // The label area from L+10 in the row's colours; the label starts at L+14, T+2.
        for (LONG x = L + 10; x < L + 14; ++x)
            for (LONG y = T; y < B; ++y) ASSERT_EQ(GetPixel(picture.dc, x, y), c.area) << x << "," << y;
        int inked = 0;
        for (LONG x = L + 14; x < L + 50; ++x)
            for (LONG y = T + 2; y < B; ++y) inked += GetPixel(picture.dc, x, y) != c.area;
        EXPECT_GT(inked, 10);
        for (LONG x = L + 14; x < L + 50; ++x) EXPECT_EQ(GetPixel(picture.dc, x, T), c.area);  // nothing above T+2
    }
    DestroyWindow(combo);
}

// A parent that hands its owner-drawn children to a painter and keeps their picture.
std::function<void(const DRAWITEMSTRUCT*)> g_draw;

LRESULT CALLBACK PainterParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM && g_draw) {
        g_draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Painted : public UISession {
protected:
    void SetUp() override {
        UISession::SetUp();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PainterParent;
        windowClass.lpszClassName = u"PainterParent";
        RegisterClassExW(&windowClass);
    }
    void TearDown() override {
        if (m_surface) cairo_surface_destroy(m_surface);
        if (m_parent) DestroyWindow(m_parent);
        UnregisterClassW(u"PainterParent", nullptr);
        g_draw = nullptr;
        UISession::TearDown();
    }
    // A parent with one owner-drawn control of the class and style at (x, y).
    HWND Control(const char16_t* className, DWORD style, int x, int y, int w, int h) {
        m_parent = CreateWindowExW(0, u"PainterParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, w + 40, h + 40, nullptr,
                                   nullptr, nullptr, nullptr);
        return CreateWindowExW(0, className, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(250)), nullptr, nullptr);
    }
    // The picture of the parent; pixels are client coordinates of the parent.
    void Picture(const std::filesystem::path& png) {
        palvex::WriteWindowPicture(m_parent, png);
        if (m_surface) cairo_surface_destroy(m_surface);
        m_surface = cairo_image_surface_create_from_png(png.c_str());
        ASSERT_EQ(cairo_surface_status(m_surface), CAIRO_STATUS_SUCCESS);
    }
    COLORREF Pixel(int x, int y) const {
        const unsigned char* data = cairo_image_surface_get_data(m_surface);
        const uint32_t v = *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(m_surface) + (x + 1) * 4);
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    std::filesystem::path Out(const char* name) const { return std::filesystem::path(PALVEX_PICTURES) / name; }

    HWND m_parent = nullptr;
    cairo_surface_t* m_surface = nullptr;
};

TEST_F(Painted, AMadeMaskLetsTheCornerColourAreaShowThrough) {
    const COLORREF X = RGB(10, 200, 30), B = RGB(0, 0, 255);
    m_resources.AddBitmap(500, 6, 4, {X, X, X, X, X, X,  //
                                      X, B, B, B, X, X,  //
                                      X, B, X, B, X, X,  //
                                      X, B, B, B, X, X});
    ASSERT_NE(Make(), nullptr);
    HWND button = Control(u"Button", BS_OWNERDRAW, 10, 10, 12, 8);
    ASSERT_NE(button, nullptr);
    g_draw = [&](const DRAWITEMSTRUCT* item) {
        paint::QORVAOptItemDlgLinkCertLogo::PaintLogo(m_session->Painter(3), item, 500);
    };
    Picture(palvex::MachineRoot() / "certlogo.png");
    // The bitmap sits at (3, 2) of the 12 x 8 button, that is (13, 12) of the parent.
    EXPECT_EQ(Pixel(13, 12), kFace);  // the corner's colour is transparent
    EXPECT_EQ(Pixel(18, 13), kFace);
    EXPECT_EQ(Pixel(14, 13), B);
    EXPECT_EQ(Pixel(15, 14), X);      // the same colour, but not connected to the corner
    EXPECT_EQ(Pixel(12, 12), kFace);  // around the bitmap nothing is drawn
}

TEST_F(Painted, TheIniLogoFileIsDrawnAtTheLeftCentredAndNotOnFocusAlone) {
    // A 24-bit 4 x 2 bitmap file: white with one red pixel at (1, 0) (rows bottom-up).
    const auto folder = palvex::MachineRoot() / "logo";
    std::filesystem::create_directories(folder);
    const auto bmp = folder / "logo.bmp", ini = folder / "driver.ini";
    {
        std::vector<uint8_t> bytes(14 + 40 + 2 * 12, 0);
        auto put = [&](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i) bytes[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
        };
        bytes[0] = 'B';
        bytes[1] = 'M';
        put(2, static_cast<uint32_t>(bytes.size()), 4);
        put(10, 54, 4);
        put(14, 40, 4);
        put(18, 4, 4);
        put(22, 2, 4);
        put(26, 1, 2);
        put(28, 24, 2);
        for (size_t i = 54; i < bytes.size(); ++i) bytes[i] = 0xFF;
        const size_t top = 54 + 12;  // the second stored row is the top row
        bytes[top + 3] = 0;          // pixel (1, 0): blue 0, green 0, red 255
        bytes[top + 4] = 0;
        bytes[top + 5] = 0xFF;
        std::ofstream(bmp, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        std::ofstream(ini) << "[LOGO]\nFILE=" << bmp.string() << "\n";
    }
    m_resources.m_ini = std::u16string(ini.u16string());
    ASSERT_NE(Make(), nullptr);
    HWND logo = Control(u"Button", BS_OWNERDRAW, 10, 10, 20, 10);
    ASSERT_NE(logo, nullptr);
    g_draw = [&](const DRAWITEMSTRUCT* item) { paint::QORVAOptItemDlgLinkLogo::PaintLogo(m_session->Painter(1), item); };
    Picture(folder / "logo.png");
    // x 0, y (10 - 2) / 2 = 4: the white corner goes transparent, the red pixel stays.
    EXPECT_EQ(Pixel(10, 14), kFace);
    EXPECT_EQ(Pixel(11, 14), RGB(255, 0, 0));
    // A focus-only draw paints nothing and loads nothing.
    DRAWITEMSTRUCT focus{};
    focus.itemAction = ODA_FOCUS;
    focus.hwndItem = logo;
    const int loads = m_resources.m_bitmapLoads;
    m_resources.m_ini.clear();
    paint::QORVAOptItemDlgLinkLogo::PaintLogo(m_session->Painter(1), &focus);
    paint::QORVAOptItemDlgLinkAboutLogo::PaintLogo(m_session->Painter(2), &focus);
    EXPECT_EQ(m_resources.m_bitmapLoads, loads);
    std::filesystem::remove_all(folder);
}

// The preview painted into a static control of the parent, with settings for a picture.
struct PreviewCase {
    const char* name;
    std::function<void(QORVAPreviewSettings&, QORVAPreviewWatermark&)> set;
};

class Preview : public Painted {
protected:
    void Paint(const std::function<void(QORVAPreviewSettings&, QORVAPreviewWatermark&)>& set, const char* name,
               int width = 180, int height = 170) {
        if (!m_session) {
            ASSERT_NE(Make(), nullptr);
        }
        if (m_parent) DestroyWindow(m_parent);
        HWND control = Control(u"Static", SS_OWNERDRAW, 20, 20, width, height);
        ASSERT_NE(control, nullptr);
        auto* preview = m_session->Preview();
        preview->Reset();
        QORVAPreviewSettings& s = *preview->Settings();
        s.paperWidth = s.printableWidth = 4960;  // A4 in 600-dpi dots
        s.paperHeight = s.printableHeight = 7015;
        const char16_t a4[] = u"A4";
        std::memcpy(s.documentPaperName, a4, sizeof a4);
        std::memcpy(s.outputPaperName, a4, sizeof a4);
        set(s, *preview->Watermark());
        g_draw = [preview](const DRAWITEMSTRUCT* item) { preview->Paint(item); };
        Picture(Out(name));
    }
    // Runs of a colour along a row of the control (control coordinates).
    int Runs(int y, COLORREF colour, int from, int to) const {
        int runs = 0;
        bool inside = false;
        for (int x = from; x < to; ++x) {
            const bool here = Pixel(20 + x, 20 + y) == colour;
            if (here && !inside) ++runs;
            inside = here;
        }
        return runs;
    }
};

TEST_F(Preview, PicturesOfTheSheetShowItsLayout) {
    const PreviewCase cases[] = {
        {"preview-1up.png", [](QORVAPreviewSettings& s, QORVAPreviewWatermark&) { s.greyscale = 0; }},
        {"preview-4up.png",
         [](QORVAPreviewSettings& s, QORVAPreviewWatermark&) {
             s.pagesPerSheet = 4;
             s.borders = 1;
             s.greyscale = 0;
         }},
        {"preview-booklet.png",
         [](QORVAPreviewSettings& s, QORVAPreviewWatermark&) {
             s.pagesPerSheet = 2;
             s.pageKind = 8;
             s.pairSide = 1;
             s.centreLine = 1;
         }},
        {"preview-poster.png",
         [](QORVAPreviewSettings& s, QORVAPreviewWatermark&) {
             s.posterTiles = 3;
             s.greyscale = 0;
         }},
        {"preview-watermark.png",
         [](QORVAPreviewSettings& s, QORVAPreviewWatermark& w) {
             s.noWatermark = 0;
             s.greyscale = 0;
             const char16_t text[] = u"CONFIDENTIAL", face[] = u"DejaVu Sans";
             std::memcpy(w.text, text, sizeof text);
             std::memcpy(w.faceName, face, sizeof face);
             w.size = 60;
             w.style = 1;
             w.colour = RGB(255, 0, 0);
             w.angle = 45;
         }},
        {"preview-turned-landscape.png",
         [](QORVAPreviewSettings& s, QORVAPreviewWatermark&) {
             s.rotation = 2;
             s.turned = 1;
             s.scalePercent = 80;
             s.units = 1;
         }},
    };
    for (const PreviewCase& c : cases) {
        Paint(c.set, c.name);
        const QORVAPreviewLayout& layout = *m_session->Preview()->Layout();
        const RECT sheet = layout.sheetDevice;
        SCOPED_TRACE(c.name);
        // The sheet is framed in black inside the control, and the caption box lies under it.
        EXPECT_GT(sheet.right - sheet.left, 40);
        EXPECT_EQ(Pixel(20 + sheet.left, 20 + (sheet.top + sheet.bottom) / 2), RGB(0, 0, 0));
        EXPECT_GE(layout.captionBox.top, sheet.bottom);
        EXPECT_EQ(Pixel(20 + layout.captionBox.left + 1, 20 + layout.captionBox.top + 1), GetSysColor(COLOR_INFOBK));
        EXPECT_EQ(Pixel(20 + 1, 20 + 100), RGB(0xCC, 0xCC, 0xFE));  // the client colour left of the sheet
        // Every page lies on the paper (one page on a portrait or landscape sheet too), but for
        // the rounding of the whole-percent side ratio.
        const LONG slack = (layout.paper.right - layout.paper.left) / 100;
        EXPECT_GE(layout.cell.left, layout.paper.left - slack);
        EXPECT_LE(layout.cell.right, layout.paper.right + slack);
        EXPECT_GE(layout.cell.top, layout.paper.top);
        EXPECT_LE(layout.cell.bottom, layout.paper.bottom);
    }
}

TEST_F(Preview, PictogramsSitAtTheSheetsLowerCornerBySide) {
    // Right pictograms get a made mask (their white top row goes), left ones their own mask.
    const COLORREF W = RGB(255, 255, 255), R = RGB(255, 0, 0), B = RGB(0, 0, 255), K = RGB(0, 0, 0);
    const std::vector<COLORREF> right{W, W, W, W, R, R, R, R, R, R, R, R, R, R, R, R};
    m_resources.AddBitmap(150, 4, 4, right);
    m_resources.AddBitmap(152, 4, 4, std::vector<COLORREF>(16, B));
    m_resources.AddBitmap(154, 4, 4, std::vector<COLORREF>(16, K));
    struct Case {
        DWORD sideCode;
        bool left;
    } cases[] = {{1, false}, {3, true}, {4, true}};
    for (const Case& c : cases) {
        Paint([&](QORVAPreviewSettings& s, QORVAPreviewWatermark&) { s.sideCode = c.sideCode; }, "preview-pictogram.png");
        const RECT sheet = m_session->Preview()->Layout()->sheetDevice;
        SCOPED_TRACE(c.sideCode);
        if (c.left) {
            EXPECT_EQ(Pixel(20 + sheet.left + 3, 20 + sheet.bottom - 4), B);
        } else {
            EXPECT_EQ(Pixel(20 + sheet.right - 2, 20 + sheet.bottom - 2), R);
        }
    }
}

TEST_F(Preview, WatermarksOfAnySizeAndAngleAreDrawnWithoutOverflow) {
    struct Case {
        DWORD size;
        LONG angle;
    } cases[] = {{0xFFFFFFFFu, -2147483647 - 1}, {1, 2147483647}, {72, -90}, {200, 0}};
    for (const Case& c : cases) {
        Paint([&](QORVAPreviewSettings& s, QORVAPreviewWatermark& w) {
            s.noWatermark = 0;
            const char16_t text[] = u"DRAFT";
            std::memcpy(w.text, text, sizeof text);
            w.size = c.size;
            w.angle = c.angle;
            w.colour = RGB(0, 128, 0);
        }, "preview-watermark-range.png");
        // The sheet is still drawn and framed.
        const RECT sheet = m_session->Preview()->Layout()->sheetDevice;
        EXPECT_EQ(Pixel(20 + sheet.left, 20 + (sheet.top + sheet.bottom) / 2), RGB(0, 0, 0)) << c.size << " " << c.angle;
    }
}

TEST_F(Preview, PosterTilesDrawTwoLinesEachWayForThree) {
    Paint([](QORVAPreviewSettings& s, QORVAPreviewWatermark&) { s.posterTiles = 3; }, "preview-poster-3.png");
    const RECT sheet = m_session->Preview()->Layout()->sheetDevice;
    const COLORREF tile = RGB(32, 32, 32);
    EXPECT_EQ(Runs(sheet.top + (sheet.bottom - sheet.top) / 6, tile, sheet.left + 3, sheet.right - 3), 2);
}

TEST_F(Preview, FittingTheSamePaperIsFullSizeAndBookletPagesTouch) {
    Paint([](QORVAPreviewSettings& s, QORVAPreviewWatermark&) { s.fitToPaper = 1; }, "preview-fit.png");
    EXPECT_EQ(m_session->Preview()->Settings()->scalePercent, 100u);
    EXPECT_EQ(m_session->Preview()->Settings()->atFullSize, 1u);
    Paint([](QORVAPreviewSettings& s, QORVAPreviewWatermark&) {
        s.fitToPaper = 1;
        s.printableWidth = 2480;
    }, "preview-fit-half.png");
    EXPECT_EQ(m_session->Preview()->Settings()->scalePercent, 50u);
    EXPECT_EQ(m_session->Preview()->Settings()->atFullSize, 0u);
    for (DWORD kind : {8u, 17u}) {
        Paint([kind](QORVAPreviewSettings& s, QORVAPreviewWatermark&) {
            s.pageKind = kind;
            s.pagesPerSheet = 2;
        }, "preview-touching.png");
        EXPECT_EQ(m_session->Preview()->Settings()->cellGap, 0u);
    }
    Paint([](QORVAPreviewSettings& s, QORVAPreviewWatermark&) { s.pagesPerSheet = 2; }, "preview-2up.png");
    EXPECT_GT(m_session->Preview()->Settings()->cellGap, 0u);
}

TEST_F(Preview, SmallControlsAndPapersWithoutSizeGetAnEmptyPreview) {
    struct Case {
        const char* name;
        int side;
        DWORD paperWidth, paperHeight;
    } cases[] = {{"preview-40.png", 40, 4960, 7015},  // the square would divide by 0
                 {"preview-reset.png", 120, 0, 0},   // the reset state has no paper
                 {"preview-sliver.png", 120, 1, 7015},   // width x 100 below height: a ratio of 0
                 {"preview-huge.png", 120, 0xFFFFFFF0u, 7015}};  // beyond any paper
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Paint([&](QORVAPreviewSettings& s, QORVAPreviewWatermark&) {
            s.paperWidth = s.printableWidth = c.paperWidth;
            s.paperHeight = s.printableHeight = c.paperHeight;
        }, c.name, c.side, c.side);
        EXPECT_EQ(Pixel(20 + c.side / 4, 20 + c.side / 2), RGB(0xCC, 0xCC, 0xFE));
    }
}

}  // namespace
