// The watermark's drawing: one PCL XL drawing byte for byte (its start point and advances worked
// out from the font file's own metrics), colours and shade patterns, the clip of a cell, the
// angle, and which sheets and cells of a job get the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include "model_hooks.h"
#include "oem_pdev.h"
#include "spool_capture.h"
#include "watermark_output.h"
#include "watermark_placement.h"

namespace {

using rendertest::SpoolCapture;
using Bytes = std::string;

// The test sheet: A4 at 600 dpi with a printable area of 4800 x 6600.
constexpr LONG kWidth = 4800, kHeight = 6600, kPhysWidth = 4960, kPhysHeight = 7016;

class WatermarkPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pdev = std::make_unique<OemPdev>();
        m_devmode = DEVMODEW{};
        m_spool.Clear();
        FillModelHooks(&m_hooks);
        m_devmode.dmCopies = 1;
        m_devmode.dmCollate = 1;
        m_devmode.dmDuplex = DMDUP_SIMPLEX;
        m_devmode.dmFields = DM_YRESOLUTION;
        m_devmode.dmYResolution = 600;
        m_devmode.dmPrintQuality = 600;
        m_devmode.dmColor = 2;
        m_pdev->m_hooks = &m_hooks;
        m_pdev->m_helper = &m_spool;
        m_pdev->m_publicDevmode = &m_devmode;
        m_pdev->m_pdevobj = &m_devobj;
        m_pdev->m_pdlType = 50;
        m_pdev->m_modeFlags = kModeTextAsGraphics;
        m_devobj.pdevOEM = m_pdev.get();
        PageLayout& layout = m_pdev->m_layout;
        layout.m_gdiInfo.ulHorzRes = kWidth;
        layout.m_gdiInfo.ulVertRes = kHeight;
        layout.m_gdiInfo.ulLogPixelsX = layout.m_gdiInfo.ulLogPixelsY = 600;
        layout.m_gdiInfo.szlPhysSize = SIZEL{kPhysWidth, kPhysHeight};
        layout.m_copies = 1;
        layout.m_collate = 1;
        layout.m_duplex = DMDUP_SIMPLEX;
        layout.m_nupOrder = 1;
        WatermarkSettings& watermark = layout.m_watermark;
        watermark.m_on = 1;
        watermark.m_text = u"ABA";
        watermark.m_font = u"Arial";
        watermark.m_size = 36;
        watermark.m_color = 0x0000FF;
    }
    // The font and characters on the printer, then only what the drawing writes.
    void Emit() {
        ASSERT_EQ(EmitWatermark(m_pdev.get()), S_OK);
        m_spool.Clear();
    }
    WatermarkPlacement Placement(SHORT angle) {
        WatermarkPlacement placement;
        placement.m_centreX = kWidth / 2;
        placement.m_centreY = kHeight / 2;
        placement.m_clip = RECTL{85, 213, 4875, 6803};
        placement.m_angle = angle;
        placement.m_size = 36;
        return placement;
    }
    // The drawings written, by their opening bytes (PushGS, SetPageDefaultCTM, real32_xy).
    size_t Drawings() const {
        size_t count = 0;
        for (size_t at = m_spool.m_bytes.find("\x61\x74\xD5"); at != std::string::npos;
             at = m_spool.m_bytes.find("\x61\x74\xD5", at + 1))
            ++count;
        return count;
    }

    PluginHooks m_hooks;
    SpoolCapture m_spool;
    DEVMODEW m_devmode{};
    DEVOBJ m_devobj{};
    std::unique_ptr<OemPdev> m_pdev;
};

// --- Little-endian PCL XL values --------------------------------------------------------------------

void U16(Bytes& b, int v) {
    b += char(v & 0xFF);
    b += char((v >> 8) & 0xFF);
}
void Real(Bytes& b, float v) {
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8) b += char((bits >> shift) & 0xFF);
}
Bytes Of(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b += char(v);
    return b;
}

// The metrics the system's "Arial" has in its file, scaled to an em of 300 units as the font is
// measured: the advance of each character, the ascent and descent of the Windows metrics.
struct FileMetrics {
    LONG advanceA = 0, advanceB = 0, ascent = 0, descent = 0;
};
FileMetrics ArialMetrics() {
    FileMetrics metrics;
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Arial"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* path = nullptr;
    std::string file;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0) return metrics;
    if (FT_New_Face(library, file.c_str(), 0, &face) == 0) {
        const double scale = 300.0 / face->units_per_EM;
        FT_Fixed a = 0, b = 0;
        FT_Get_Advance(face, FT_Get_Char_Index(face, 'A'), FT_LOAD_NO_SCALE, &a);
        FT_Get_Advance(face, FT_Get_Char_Index(face, 'B'), FT_LOAD_NO_SCALE, &b);
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        metrics.advanceA = std::lround(a * scale);
        metrics.advanceB = std::lround(b * scale);
        if (os2) {
            metrics.ascent = std::lround(os2->usWinAscent * scale);
            metrics.descent = std::lround(os2->usWinDescent * scale);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return metrics;
}

TEST_F(WatermarkPageTest, TheDrawingOfABAByteForByte) {
    m_pdev->m_layout.m_watermark.m_angle = 3;
    m_pdev->m_layout.m_watermark.m_degree = 45;
    Emit();
    const FileMetrics font = ArialMetrics();
    ASSERT_GT(font.advanceA, 0);
    ASSERT_GT(font.ascent, 0);

    ASSERT_EQ(DrawWatermarkText(m_pdev.get(), Placement(45)), S_OK);

    // The start point: half the text's width back along the angle, the baseline offset across it,
    // on the physical page (margins 80 and 208).
    const double a = 45 * 3.14159265358979323846 / 180;
    const LONG width = 2 * font.advanceA + font.advanceB;
    const LONG hw = width / 2, hh = (font.ascent + font.descent) / 2 - font.descent;
    const LONG dx1 = LONG(hw * std::cos(a)), dy1 = LONG(hw * std::sin(a));
    const LONG dx2 = LONG(hh * std::sin(a)), dy2 = LONG(hh * std::cos(a));
    const int startX = 2400 - dx1 + dx2 + 80, startY = 3300 + dy1 + dy2 + 208;
    const int advanceA = int(font.advanceA * std::cos(a)), advanceB = int(font.advanceB * std::cos(a));

    Bytes expected = Of({0x61, 0x74, 0xD5});
    Real(expected, 1.0f);
    Real(expected, 1.0f);
    expected += Of({0xF8, 0xA4, 0x65, 0xC5});
    Real(expected, 0.0f);
    expected += Of({0xF8, 0xB1, 0x7D});
    expected += Of({0xE3, 85, 0, 213, 0, 0x0B, 0x13, 0x93, 0x1A, 0xF8, 0x42, 0xC0, 0x00, 0xF8, 0x53, 0x68});
    expected += Of({0xD3, 0, 0, 0, 0, 0xF8, 0xA5, 0x66});
    expected += Of({0xC3, 45, 0, 0xF8, 0xA1, 0x64});
    expected += Of({0xC0, 0x01, 0xF8, 0x2D, 0x78, 0xC0, 0x01, 0xF8, 0x2D, 0x7C});
    expected += Of({0xC0, 0x02, 0xF8, 0x03, 0xC0, 0x02, 0xF8, 0x02, 0xC8, 0xC1, 0x06, 0x00, 0xFF, 0x00, 0x00, 0xFF,
                    0xFF, 0xFF, 0xF8, 0x06, 0x6A});
    expected += Of({0xD3, 0, 0, 0, 0, 0xF8, 0x4C, 0x6B});
    expected += Of({0xC0, 0x01, 0xF8, 0x64, 0xC0, 0x00, 0xF8, 0x62, 0xC1, 0x10, 0x00, 0xF8, 0x6C, 0xC1, 0x10, 0x00,
                    0xF8, 0x6B, 0xD1, 0x10, 0x00, 0x10, 0x00, 0xF8, 0x67, 0xC3, 0x01, 0x00, 0xF8, 0x69, 0xC0, 0x00,
                    0xF8, 0x68, 0xB3, 0xC1, 0x00, 0x00, 0xF8, 0x6D, 0xC1, 0x10, 0x00, 0xF8, 0x63, 0xC0, 0x00, 0xF8,
                    0x65, 0xB4, 0xFB, 0x40});
    expected += Bytes(64, '\0');  // shade 0: solid colour
    expected += Of({0xB5, 0xC3, 0x01, 0x00, 0xF8, 0x08, 0x63});
    expected += Of({0xC0, 0x01, 0xF8, 0x2D, 0x78, 0xC0, 0x01, 0xF8, 0x2D, 0x7C});
    expected += Of({0xC0, 0xFC, 0xF8, 0x2C, 0x7B});
    expected += Of({0xC8, 0xC1, 8, 0}) + "Arial_WM" + Of({0xF8, 0xA8, 0xC5});
    Real(expected, 300.0f);  // 36 / 72 x 600
    expected += Of({0xF8, 0xA6, 0xC1, 0x10, 0x00, 0xF8, 0xAA, 0x6F});
    expected += Of({0xD3});
    U16(expected, startX);
    U16(expected, startY);
    expected += Of({0xF8, 0x4C, 0x6B});
    expected += Of({0xC8, 0xC1, 3, 0, 'A', 'B', 'A', 0xF8, 0xAB});
    expected += Of({0xCB, 0xC1, 3, 0});
    for (int advance : {advanceA, advanceB, advanceA}) U16(expected, advance);
    expected += Of({0xF8, 0xAF, 0xCB, 0xC1, 3, 0});
    for (int advance : {advanceA, advanceB, advanceA}) U16(expected, -advance);
    expected += Of({0xF8, 0xB0, 0xA8});
    expected += Of({0xD3, 0, 0, 0, 0, 0xF8, 0xA5, 0x66, 0xC3, 0, 0, 0xF8, 0xA1, 0x64, 0x60});
    EXPECT_EQ(m_spool.m_bytes, expected);
}

// The palette's six bytes in a drawing.
Bytes PaletteOf(const std::string& drawing) {
    const size_t at = drawing.find(Of({0xC8, 0xC1, 0x06, 0x00}));
    return at == std::string::npos ? Bytes() : drawing.substr(at + 4, 6);
}
// The 64 pattern bytes of a drawing.
Bytes PatternOf(const std::string& drawing) {
    const size_t at = drawing.find(Of({0xB4, 0xFB, 0x40}));
    return at == std::string::npos ? Bytes() : drawing.substr(at + 3, 64);
}

TEST_F(WatermarkPageTest, ColoursAndShades) {
    Emit();
    struct Case {
        const char* name;
        DWORD colour;
        short dmColor;
        Bytes palette;
    };
    const Case cases[] = {
        {"blue", 0xFF0000, 2, Of({0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"grey prints black", 0x808080, 2, Of({0, 0, 0, 0xFF, 0xFF, 0xFF})},
        {"monochrome page prints black", 0x0000FF, 1, Of({0, 0, 0, 0xFF, 0xFF, 0xFF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_spool.Clear();
        m_pdev->m_layout.m_watermark.m_color = c.colour;
        m_devmode.dmColor = c.dmColor;
        ASSERT_EQ(DrawWatermarkText(m_pdev.get(), Placement(0)), S_OK);
        EXPECT_EQ(PaletteOf(m_spool.m_bytes), c.palette);
    }
    // Patterns: rows 9 to 16 repeat rows 1 to 8; values without a pattern of their own take the last.
    const Bytes eight32 = Of({0x60, 0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x06, 0x06,
                              0x04, 0x06, 0, 0, 0, 0, 0, 0, 0x60, 0x60, 0, 0, 0, 0, 0, 0});
    const Bytes eightOther = Of({0xF0, 0xF0, 0, 0, 0xF9, 0xF1, 0, 0, 0x9F, 0x9F, 0, 0, 0x0F, 0x0F, 0, 0,
                                 0x0F, 0x0F, 0, 0, 0x1F, 0x1F, 0, 0, 0xF9, 0xF9, 0, 0, 0xF0, 0xF0, 0, 0});
    const Bytes eight232 = Of({0xFE, 0xFE, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 0xEF, 0xEF, 0, 0,
                               0xEF, 0xEF, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 0xFE, 0xFE, 0, 0});
    const std::pair<WORD, Bytes> shades[] = {
        {32, eight32 + eight32}, {232, eight232 + eight232}, {160, eightOther + eightOther},
        {100, eightOther + eightOther}, {0, Bytes(64, '\0')},
    };
    for (const auto& [shade, pattern] : shades) {
        m_spool.Clear();
        m_pdev->m_layout.m_watermark.m_shade = shade;
        ASSERT_EQ(DrawWatermarkText(m_pdev.get(), Placement(0)), S_OK);
        EXPECT_EQ(PatternOf(m_spool.m_bytes), pattern) << shade;
    }
}

TEST_F(WatermarkPageTest, CharSizeTakesTheResolutionForANegativePrintQuality) {
    Emit();
    m_devmode.dmPrintQuality = -4;  // DMRES_HIGH
    m_pdev->m_layout.m_resolution = 1200;
    ASSERT_EQ(DrawWatermarkText(m_pdev.get(), Placement(0)), S_OK);
    Bytes size = Of({0xC5});
    Real(size, 600.0f);  // 36 / 72 x 1200
    size += Of({0xF8, 0xA6});
    EXPECT_NE(m_spool.m_bytes.find(size), std::string::npos);
}

TEST_F(WatermarkPageTest, AStartPointBeyond16BitsStopsAtTheEdge) {
    Emit();
    WatermarkPlacement placement = Placement(0);
    placement.m_centreX = 40000;  // a 9 x 9 poster's far tile
    placement.m_centreY = -40000;
    ASSERT_EQ(DrawWatermarkText(m_pdev.get(), placement), S_OK);
    EXPECT_NE(m_spool.m_bytes.find(Of({0xD3, 0xFF, 0x7F, 0x00, 0x80, 0xF8, 0x4C, 0x6B})), std::string::npos);
}

TEST_F(WatermarkPageTest, TheClipOfAOnePageCell) {
    WatermarkPlacement placement;
    ClipForCell(m_pdev.get(), &placement, 0);
    EXPECT_EQ(placement.m_clip.left, 85);
    EXPECT_EQ(placement.m_clip.top, 213);
    EXPECT_EQ(placement.m_clip.right, 4875);
    EXPECT_EQ(placement.m_clip.bottom, 6803);
}

// The clip box, angle and cursor of each drawing written.
struct Drawn {
    SHORT left, top, right, bottom, angle;
};
std::vector<Drawn> DrawnOf(const std::string& bytes) {
    std::vector<Drawn> drawn;
    auto s16 = [&](size_t at) { return SHORT(BYTE(bytes[at]) | BYTE(bytes[at + 1]) << 8); };
    for (size_t at = bytes.find("\x61\x74\xD5"); at != std::string::npos; at = bytes.find("\x61\x74\xD5", at + 1)) {
        const size_t box = bytes.find('\xE3', at);
        const size_t angle = bytes.find(Of({0xF8, 0xA1, 0x64}), at);
        if (box == std::string::npos || angle == std::string::npos) break;
        drawn.push_back(Drawn{s16(box + 1), s16(box + 3), s16(box + 5), s16(box + 7), s16(angle - 2)});
    }
    return drawn;
}

TEST_F(WatermarkPageTest, TheDiagonalAngleAndAPostersCentre) {
    m_pdev->m_layout.m_watermark.m_angle = 1;
    m_pdev->m_layout.m_watermark.m_degree = 10;
    Emit();
    ASSERT_EQ(DrawWatermarkPage(m_pdev.get()), S_OK);
    const auto drawn = DrawnOf(m_spool.m_bytes);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].angle, 54);  // atan(7016 / 4960) = 54.74

    // Poster 2 x 2, tile 0: the text is centred on the poster's middle, the tile's lower right
    // corner; the size doubles.
    m_pdev->m_layout.m_watermark.m_angle = 0;
    m_pdev->m_layout.m_watermark.m_degree = 0;
    m_pdev->m_watermarkOutput.m_poster = 2;
    Emit();
    ASSERT_EQ(DrawWatermarkPage(m_pdev.get()), S_OK);
    Bytes size = Of({0xC5});
    Real(size, 600.0f);
    EXPECT_NE(m_spool.m_bytes.find(size + Of({0xF8, 0xA6})), std::string::npos);
    // Unturned text of width w: the start point is (4800 - w/2 + 80, 6600 + baseline offset + 208).
    const size_t cursor = m_spool.m_bytes.rfind(Of({0xF8, 0x4C, 0x6B}));
    ASSERT_NE(cursor, std::string::npos);
    const LONG x = SHORT(BYTE(m_spool.m_bytes[cursor - 4]) | BYTE(m_spool.m_bytes[cursor - 3]) << 8);
    const LONG y = SHORT(BYTE(m_spool.m_bytes[cursor - 2]) | BYTE(m_spool.m_bytes[cursor - 1]) << 8);
    const FileMetrics font = ArialMetrics();
    const LONG height = 2 * (font.ascent + font.descent);  // measured at double the size
    EXPECT_EQ(x, 4800 - (2 * (2 * font.advanceA + font.advanceB)) / 2 + 80);
    EXPECT_EQ(y, 6600 + height / 2 - 2 * font.descent + 208);
}

TEST_F(WatermarkPageTest, FourUpCellsGetTheirCentresAndClips) {
    m_pdev->m_layout.m_pagesPerSheet = 4;
    m_pdev->m_document.m_docPageCount = 4;
    Emit();
    ASSERT_EQ(DrawWatermarkPage(m_pdev.get()), S_OK);
    const auto drawn = DrawnOf(m_spool.m_bytes);
    ASSERT_EQ(drawn.size(), 4u);
    // The pages' rectangles in rows from the top left: each page fitted into its 2400 x 3300 cell
    // with the sheet's shape (3300 x 4960 / 7016 = 2333 wide) and centred (33 in), then on the
    // physical page (80, 208 more) and 5 pixels in.
    const std::vector<std::vector<SHORT>> boxes = {{118, 213, 2441, 3503}, {2518, 213, 4841, 3503},
                                                   {118, 3513, 2441, 6803}, {2518, 3513, 4841, 6803}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ((std::vector<SHORT>{drawn[i].left, drawn[i].top, drawn[i].right, drawn[i].bottom}), boxes[i]);
        EXPECT_EQ(drawn[i].angle, 0);
    }
}


TEST(WatermarkCellTables, CellsInTheOrderOfNupOrder) {
    struct Case {
        DWORD pages;
        BYTE order;
        bool landscape;
        DWORD flag;
        DWORD cell;
        CellFractions expected;
    };
    const Case cases[] = {
        {2, 1, false, 0, 0, {0, 0.5, 1, 1, 0.5, 0.75}},       // portrait: bottom half first
        {2, 3, false, 0, 0, {0, 0, 1, 0.5, 0.5, 0.25}},       // order 3: top half first
        {2, 1, true, 0, 1, {0.5, 0, 1, 1, 0.75, 0.5}},        // landscape: right half second
        {4, 4, false, 0, 1, {0.5, 0.5, 1, 1, 0.75, 0.75}},    // right column, top to bottom
        {9, 1, false, 0, 4, {0.33, 0.33, 0.66, 0.66, 0.5, 0.5}},
        {9, 3, false, 0, 0, {0.66, 0, 1, 0.33, 0.83, 0.16}},  // rows right to left
        {16, 2, false, 0, 1, {0, 0.25, 0.25, 0.5, 0.125, 0.375}},
        {6, 1, false, 0, 5, {0.5, 0.67, 1, 1, 0.75, 0.83}},   // 2 columns x 3 rows
        {6, 1, true, 0, 2, {0.67, 0, 1, 0.5, 0.83, 0.25}},    // 3 columns x 2 rows
        {6, 2, true, 1, 0, {0, 1, 0.33, 0.5, 0.165, 0.75}},   // turned table: top below bottom
        {6, 3, false, 1, 3, {0.5, 0, 1, 0.33, 0.75, 0.165}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pages) + " order " + std::to_string(c.order) + " cell " + std::to_string(c.cell));
        const CellTable table = WatermarkCellTable(c.pages, c.order, c.landscape, c.flag);
        ASSERT_EQ(table.count, c.pages);
        const CellFractions& f = table.cells[c.cell];
        EXPECT_DOUBLE_EQ(f.left, c.expected.left);
        EXPECT_DOUBLE_EQ(f.top, c.expected.top);
        EXPECT_DOUBLE_EQ(f.right, c.expected.right);
        EXPECT_DOUBLE_EQ(f.bottom, c.expected.bottom);
        EXPECT_DOUBLE_EQ(f.centreX, c.expected.centreX);
        EXPECT_DOUBLE_EQ(f.centreY, c.expected.centreY);
    }
    EXPECT_EQ(WatermarkCellTable(1, 1, false, 0).count, 0u);
}

TEST_F(WatermarkPageTest, TwoUpPagesTurnWithTheirCells) {
    PageLayout& layout = m_pdev->m_layout;
    layout.m_pagesPerSheet = 2;
    layout.m_watermark.m_degree = 30;
    m_pdev->m_document.m_docPageCount = 2;
    struct Case {
        DWORD orient;  // _ACC_NUPPAGEORIENT
        BYTE angleMode;
        SHORT first, second;
    };
    // On a portrait sheet a portrait page lies turned in its half: it takes a quarter turn; a
    // landscape page is upright and keeps the angle, or with the diagonal takes the page's diagonal.
    const Case cases[] = {{0x0, 0, 120, 120}, {0x2, 0, 120, 30}, {0x3, 1, 35, 35}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orient);
        layout.m_nupPageOrient = c.orient;
        layout.m_watermark.m_angle = c.angleMode;
        Emit();
        ASSERT_EQ(DrawWatermarkPage(m_pdev.get()), S_OK);
        const auto drawn = DrawnOf(m_spool.m_bytes);
        ASSERT_EQ(drawn.size(), 2u);
        EXPECT_EQ(drawn[0].angle, c.first);
        EXPECT_EQ(drawn[1].angle, c.second);
    }
}

TEST_F(WatermarkPageTest, WhichSheetsAndCellsGetTheWatermark) {
    struct Job {
        const char* name;
        DWORD pagesPerSheet;
        DWORD pages;
        BYTE pageOrder;
        BYTE booklet;       // 0, or the side (1, 2)
        BYTE poster;
        BYTE firstPageOnly;
        bool manualDuplex;
        std::vector<size_t> drawingsBySheet;
    };
    const Job jobs[] = {
        {"1-up", 1, 3, 0, 0, 0, 0, false, {1, 1, 1}},
        {"1-up first page only", 1, 3, 0, 0, 0, 1, false, {1, 0, 0}},
        {"4-up", 4, 10, 0, 0, 0, 0, false, {4, 4, 2}},
        {"4-up first page only", 4, 10, 0, 0, 0, 1, false, {1, 0, 0}},
        {"4-up reverse", 4, 10, 1, 0, 0, 0, false, {2, 4, 4}},
        {"booklet of 8", 2, 8, 0, 1, 0, 0, false, {2, 2, 2, 2}},
        {"booklet of 6", 2, 6, 0, 1, 0, 0, false, {1, 1, 2, 2}},
        {"poster 2", 1, 1, 0, 0, 2, 0, false, {1, 1, 1, 1, 1}},
        {"poster 2 first page only", 1, 1, 0, 0, 2, 1, false, {1, 1, 1, 1, 0}},
        {"manual duplex", 1, 4, 0, 0, 0, 0, true, {1, 1, 1, 1}},
        {"manual duplex first page only", 1, 4, 0, 0, 0, 1, true, {0, 0, 1, 0}},
    };
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.name);
        SetUp();
        PageLayout& layout = m_pdev->m_layout;
        layout.m_pagesPerSheet = job.pagesPerSheet;
        layout.m_pageOrder = job.pageOrder;
        layout.m_flags = job.pageOrder ? kLayoutPageOrder1 : kLayoutPageOrder0;
        layout.m_booklet = job.booklet ? 1 : 0;
        layout.m_bookletSide = job.booklet;
        if (job.booklet) layout.m_flags |= kLayoutBooklet;
        if (job.manualDuplex) {
            layout.m_duplex = DMDUP_VERTICAL;
            m_devmode.dmDuplex = DMDUP_VERTICAL;
            layout.m_duplexType = 2;
            layout.m_flags |= kLayoutDuplexType2;
        }
        layout.m_watermark.m_firstPageOnly = job.firstPageOnly;
        m_pdev->m_watermarkOutput.m_poster = job.poster;
        m_pdev->m_document.m_docPageCount = job.pages;
        for (size_t sheet = 0; sheet < job.drawingsBySheet.size(); ++sheet) {
            m_pdev->m_document.m_pageCounter = static_cast<DWORD>(sheet);
            Emit();
            EXPECT_EQ(DrawWatermarkPage(m_pdev.get()), S_OK);
            EXPECT_EQ(Drawings(), job.drawingsBySheet[sheet]) << "sheet " << sheet;
        }
    }
}

TEST_F(WatermarkPageTest, AManualDuplexJobWithoutAListOrCopiesDrawsWithoutDividingByZero) {
    PageLayout& layout = m_pdev->m_layout;
    layout.m_duplex = DMDUP_VERTICAL;
    layout.m_duplexType = 2;
    layout.m_flags |= kLayoutDuplexType2;
    for (WORD collate : {WORD(1), WORD(0)}) {
        for (WORD copies : {WORD(0), WORD(1)}) {
            for (DWORD pages : {0u, 1u}) {
                SCOPED_TRACE(std::to_string(collate) + " " + std::to_string(copies) + " " + std::to_string(pages));
                layout.m_collate = collate;
                layout.m_copies = copies;
                m_pdev->m_document.m_docPageCount = pages;
                m_pdev->m_document.m_pageCounter = 0;
                Emit();
                EXPECT_EQ(DrawWatermarkPage(m_pdev.get()), S_OK);
                EXPECT_LE(Drawings(), 1u);
            }
        }
    }
}

}  // namespace
