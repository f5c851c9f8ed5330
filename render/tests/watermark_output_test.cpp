// The watermark's font: the LOGFONTW the page's settings make (as the font cache keeps it and
// CreateFontIndirectW gets it), the poster's tile table, the cache's life over a document, and the
// page types that get no watermark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "render_fixture.h"
#include "watermark_output.h"
#include "wired_pdev.h"

namespace {

class WatermarkOutputTest : public ::testing::Test, protected rendertest::WiredPdev {
protected:
    void SetUp() override { SetWatermarkPage(u"ABA", 36); }
    const LOGFONTW& CachedFont() {
        static const LOGFONTW none{};
        return m_pdev.m_fontCache && m_pdev.m_fontCache->m_current ? m_pdev.m_fontCache->m_current->m_logFont : none;
    }
};

TEST_F(WatermarkOutputTest, TheFontOfThePagesSettings) {
    struct Case {
        const char* name;
        WORD scale;
        DWORD pages;
        BYTE angleMode;
        WORD degree;
        BYTE style;
        LONG height;
        LONG escapement;
        LONG weight;
        BYTE italic;
    };
    const Case cases[] = {
        {"36 pt at 600 dpi", 100, 1, 0, 0, 0, -300, 0, 400, 0},
        {"scaled to 50 %", 50, 1, 0, 0, 0, -150, 0, 400, 0},
        {"2-up keeps its size", 50, 2, 0, 0, 0, -300, 900, 400, 0},
        {"by degree 45 on 2-up", 100, 2, 3, 45, 0, -300, 1350, 400, 0},
        {"350 degrees on 2-up", 100, 2, 3, 350, 0, -300, 800, 400, 0},
        {"diagonal 30 degrees", 100, 1, 1, 30, 0, -300, 300, 400, 0},
        {"horizontal ignores the degree", 100, 1, 2, 45, 0, -300, 0, 400, 0},
        {"horizontal on 6-up", 100, 6, 2, 45, 0, -300, 900, 400, 0},
        {"bold", 100, 1, 0, 0, 2, -300, 0, 700, 0},
        {"italic", 100, 1, 0, 0, 3, -300, 0, 400, 1},
        {"bold italic", 100, 4, 0, 0, 4, -300, 0, 700, 1},
        {"scaled 4-up", 150, 4, 0, 0, 1, -300, 0, 400, 0},
        {"enlarged 1-up", 150, 1, 0, 0, 0, -450, 0, 400, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pdev.m_fontCache.reset();
        m_pdev.m_watermarkOutput.m_scalePercent = c.scale;  // no settings object: the value stays
        m_pdev.m_layout.m_pagesPerSheet = c.pages;
        m_pdev.m_layout.m_watermark.m_angle = c.angleMode;
        m_pdev.m_layout.m_watermark.m_degree = c.degree;
        m_pdev.m_layout.m_watermark.m_style = c.style;
        ASSERT_EQ(EmitWatermark(&m_pdev), S_OK);
        const LOGFONTW& font = CachedFont();
        EXPECT_EQ(font.lfHeight, c.height);
        EXPECT_EQ(font.lfEscapement, c.escapement);
        EXPECT_EQ(font.lfOrientation, c.escapement);
        EXPECT_EQ(font.lfWeight, c.weight);
        EXPECT_EQ(font.lfItalic, c.italic);
        EXPECT_EQ(font.lfCharSet, 1);
        EXPECT_EQ(font.lfPitchAndFamily, 2);
        EXPECT_EQ(std::u16string(font.lfFaceName), u"Arial");
        // Every other field is 0.
        LOGFONTW rest = font;
        rest.lfHeight = rest.lfEscapement = rest.lfOrientation = rest.lfWeight = 0;
        rest.lfItalic = rest.lfCharSet = rest.lfPitchAndFamily = 0;
        std::fill(std::begin(rest.lfFaceName), std::end(rest.lfFaceName), u'\0');
        const LOGFONTW zero{};
        EXPECT_EQ(std::memcmp(&rest, &zero, sizeof zero), 0);
    }
}

TEST_F(WatermarkOutputTest, AFaceOf40CharactersIsCutTo31) {
    m_pdev.m_layout.m_watermark.m_font = std::u16string(u"Liberation Sans") + std::u16string(25, u'x');
    ASSERT_EQ(m_pdev.m_layout.m_watermark.m_font.size(), 40u);
    const LOGFONTW font = WatermarkFont(&m_pdev);
    EXPECT_EQ(std::u16string(font.lfFaceName), m_pdev.m_layout.m_watermark.m_font.substr(0, 31));
}

TEST_F(WatermarkOutputTest, APosterMultipliesTheSizeAndLaysOutItsTiles) {
    m_pdev.m_layout.m_watermark.m_size = 20;
    m_pdev.m_watermarkOutput.m_poster = 3;
    const LOGFONTW font = WatermarkFont(&m_pdev);
    EXPECT_EQ(font.lfHeight, -500);  // 60 pt at 600 dpi
    const std::vector<std::pair<LONG, LONG>> expected = {{2, 2},  {0, 2},  {-2, 2},  {2, 0}, {0, 0},
                                                         {-2, 0}, {2, -2}, {0, -2}, {-2, -2}};
    std::vector<std::pair<LONG, LONG>> tiles;
    for (const PosterTile& tile : m_pdev.m_watermarkOutput.m_posterTiles) tiles.emplace_back(tile.x, tile.y);
    EXPECT_EQ(tiles, expected);
    // A count outside 2 to 9 is no poster.
    for (BYTE count : {0, 1, 10}) {
        m_pdev.m_watermarkOutput.m_poster = count;
        EXPECT_EQ(WatermarkFont(&m_pdev).lfHeight, -167) << int(count);
        EXPECT_TRUE(m_pdev.m_watermarkOutput.m_posterTiles.empty());
    }
}

TEST_F(WatermarkOutputTest, TheVerticalResolutionComesFromTheDevmodeOrThePdev) {
    m_devmode.dmYResolution = 300;
    EXPECT_EQ(WatermarkFont(&m_pdev).lfHeight, -150);
    m_devmode.dmFields = 0;
    m_pdev.m_layout.m_resolution = 1200;
    EXPECT_EQ(WatermarkFont(&m_pdev).lfHeight, -600);
}

TEST_F(WatermarkOutputTest, OnePagesFontIsSentOnceADocument) {
    ASSERT_EQ(EmitWatermark(&m_pdev), S_OK);
    ASSERT_TRUE(m_pdev.m_fontCache);
    EXPECT_EQ(m_pdev.m_fontCache->m_current->m_fontId, kWatermarkFontId);
    EXPECT_EQ(m_pdev.m_fontCache->m_current->m_headerSent, 1u);
    EXPECT_EQ(m_pdev.m_watermarkOutput.m_mappedText, u"ABA");
    EXPECT_NE(m_spool.m_bytes.find("Arial_WM"), std::string::npos);
    // The next page: same font, nothing sent.
    m_spool.Clear();
    ASSERT_EQ(EmitWatermark(&m_pdev), S_OK);
    EXPECT_EQ(m_spool.m_bytes, "");
    EXPECT_EQ(m_pdev.m_fontCache->m_entries.size(), 1u);
    // The document's end drops the cache: the next document sends the font again.
    ReleaseWatermarkState(&m_pdev);
    EXPECT_FALSE(m_pdev.m_fontCache);
    ASSERT_EQ(EmitWatermark(&m_pdev), S_OK);
    EXPECT_NE(m_spool.m_bytes.find("Arial_WM"), std::string::npos);
}

TEST_F(WatermarkOutputTest, AFailedDownloadDestroysTheCacheAndTheTiles) {
    m_pdev.m_watermarkOutput.m_poster = 2;
    m_spool.m_failFromCall = 10;
    EXPECT_EQ(EmitWatermark(&m_pdev), E_FAIL);
    EXPECT_FALSE(m_pdev.m_fontCache);
    EXPECT_TRUE(m_pdev.m_watermarkOutput.m_posterTiles.empty());
    // The next page starts a new cache and sends the whole font.
    m_spool.m_failFromCall = ~0u;
    m_spool.Clear();
    ASSERT_EQ(EmitWatermark(&m_pdev), S_OK);
    EXPECT_EQ(m_pdev.m_fontCache->m_current->m_headerSent, 1u);
    EXPECT_EQ(m_pdev.m_watermarkOutput.m_posterTiles.size(), 4u);
}

TEST_F(WatermarkOutputTest, PageTypesWithoutAPclXLDrawingGetNothing) {
    for (DWORD type : {20u, 30u, 39u, 60u}) {
        m_pdev.m_pdlType = type;
        m_spool.Clear();
        EXPECT_EQ(EmitWatermark(&m_pdev), E_FAIL) << type;
        EXPECT_FALSE(m_pdev.m_fontCache);
        EXPECT_EQ(m_spool.m_bytes, "");
        // The page end then sends only its own command.
        INT result = 0;
        EXPECT_EQ(hrOEMCommandCallback(&m_devobj, 313, 0, nullptr, &result), S_OK);
        EXPECT_EQ(m_spool.m_bytes, std::string("\xc1\x01\x00\xf8\x31\x44", 6)) << type;
    }
}

TEST_F(WatermarkOutputTest, APcl5PageGetsThePcl5Font) {
    m_pdev.m_pdlType = 45;
    ASSERT_EQ(EmitWatermark(&m_pdev), S_OK);
    // ESC %0A, the font identifier, the descriptor's size.
    EXPECT_EQ(m_spool.m_bytes.rfind("\x1b%0A\x1b*c16385D\x1b)s", 0), 0u);
    EXPECT_EQ(m_pdev.m_watermarkOutput.m_mappedText, u"ABA");
}

}  // namespace

namespace rendertest {
namespace {

using WatermarkJobTest = RenderTest;

// A job's watermark settings: "DRAFT" in Arial, 36 pt, text drawn as graphics.
void WatermarkJob(JobDevMode& job) {
    constexpr DWORD kWmkSize = 298;
    job.SetByte(at::kWmkEnabled, 1).SetByte(at::kGrxMode, 0).Set<WORD>(kWmkSize, 36);
    const std::u16string text = u"DRAFT", face = u"Arial";
    for (size_t i = 0; i < text.size(); ++i) job.Set<char16_t>(at::kWmkText + 2 * DWORD(i), text[i]);
    for (size_t i = 0; i < face.size(); ++i) job.Set<char16_t>(at::kWmkFont + 2 * DWORD(i), face[i]);
}

size_t Occurrences(const std::vector<BYTE>& bytes, const std::string& what) {
    const std::string all(bytes.begin(), bytes.end());
    size_t count = 0;
    for (size_t at = all.find(what); at != std::string::npos; at = all.find(what, at + 1)) ++count;
    return count;
}

TEST_F(WatermarkJobTest, ANewDevModeKeepsTheFontOnThePrinterAndTheScaleIsReadAtEachPage) {
    auto host = MakeHost();
    JobDevMode job = DefaultJob(*host);
    WatermarkJob(job);
    job.Set<WORD>(at::kScaleFactor, 50);
    ASSERT_TRUE(host->StartDocument(u"Doc", 1, job.get()));
    ASSERT_TRUE(host->StartPage());
    ASSERT_TRUE(host->EndPage());
    ASSERT_TRUE(PdevOf(*host)->m_fontCache);
    EXPECT_EQ(PdevOf(*host)->m_fontCache->m_current->m_logFont.lfHeight, -150);  // 36 pt at 600 dpi, 50 %

    job->dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_TRUE(host->ChangeDevMode(job.get()));
    ASSERT_TRUE(host->StartPage());
    ASSERT_TRUE(host->EndPage());
    ASSERT_TRUE(host->EndDocument());

    // One font header (FontName, FontFormat 0, BeginFontHeader), one drawing on each page, each
    // before its page's end.
    const std::string header = std::string("Arial_WM\xF8\xA8\xC0\x00\xF8\xA9\x4F", 15);
    EXPECT_EQ(Occurrences(host->output(), header), 1u);
    EXPECT_EQ(Occurrences(host->output(), "\x61\x74\xD5"), 2u);
    const std::string all(host->output().begin(), host->output().end());
    EXPECT_LT(all.rfind("\x61\x74\xD5"), all.rfind(std::string("\xC1\x01\x00\xF8\x31\x44", 6)));
    // The document's end drops the downloaded fonts.
    EXPECT_FALSE(PdevOf(*host)->m_fontCache);
}

}  // namespace
}  // namespace rendertest
