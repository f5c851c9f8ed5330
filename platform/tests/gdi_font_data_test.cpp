// The font-file functions on the installed fonts: GetFontData, GetGlyphIndicesW, the map mode of a
// memory device context and the character range and set of GetTextMetricsW.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <win/windows.h>
#include <win/wingdi_charset.h>
#include <win/wingdi_fontdata.h>

namespace {

class MemoryDC {
public:
    explicit MemoryDC(const char16_t* face, BYTE charset = DEFAULT_CHARSET) {
        LOGFONTW font{};
        font.lfHeight = -300;
        font.lfCharSet = charset;
        std::memcpy(font.lfFaceName, face, std::char_traits<char16_t>::length(face) * 2);
        m_dc = CreateCompatibleDC(nullptr);
        m_font = CreateFontIndirectW(&font);
        m_previous = SelectObject(m_dc, m_font);
    }
    ~MemoryDC() {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_font);
    }
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_previous;
};

constexpr DWORD kHead = 0x64616568;  // 'head'

TEST(GdiFontData, ReadsTheFileAndItsTables) {
    MemoryDC dc(u"Arial");
    ASSERT_NE(dc.m_previous, nullptr);
    const DWORD fileSize = GetFontData(dc.m_dc, 0, 0, nullptr, 0);
    ASSERT_NE(fileSize, GDI_ERROR);
    BYTE offsetTable[12];
    ASSERT_EQ(GetFontData(dc.m_dc, 0, 0, offsetTable, sizeof offsetTable), 12u);
    EXPECT_EQ(offsetTable[0], 0x00);
    EXPECT_EQ(offsetTable[1], 0x01);  // TrueType outlines
    EXPECT_EQ(GetFontData(dc.m_dc, kHead, 0, nullptr, 0), 54u);
    BYTE head[54];
    ASSERT_EQ(GetFontData(dc.m_dc, kHead, 0, head, sizeof head), 54u);
    EXPECT_EQ(head[12] << 24 | head[13] << 16 | head[14] << 8 | head[15], 0x5F0F3CF5);  // magic
    // From an offset, and clipped at the end.
    BYTE tail[8];
    EXPECT_EQ(GetFontData(dc.m_dc, kHead, 50, tail, sizeof tail), 4u);
    EXPECT_EQ(GetFontData(dc.m_dc, kHead, 54, nullptr, 0), 0u);
    EXPECT_EQ(GetFontData(dc.m_dc, kHead, 55, nullptr, 0), GDI_ERROR);
    EXPECT_EQ(GetFontData(dc.m_dc, 0x78787878, 0, nullptr, 0), GDI_ERROR);  // 'xxxx'
    EXPECT_EQ(GetFontData(nullptr, 0, 0, nullptr, 0), GDI_ERROR);
}

TEST(GdiFontData, GlyphIndicesMarkWhatIsMissing) {
    MemoryDC dc(u"Arial");
    const char16_t text[] = u"A\u3042";
    WORD glyphs[2] = {};
    ASSERT_EQ(GetGlyphIndicesW(dc.m_dc, text, 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 2u);
    EXPECT_NE(glyphs[0], 0);
    EXPECT_NE(glyphs[0], 0xFFFF);
    EXPECT_EQ(glyphs[1], 0xFFFF);
    ASSERT_EQ(GetGlyphIndicesW(dc.m_dc, text, 2, glyphs, 0), 2u);
    EXPECT_EQ(glyphs[1], 0);
    EXPECT_EQ(GetGlyphIndicesW(dc.m_dc, nullptr, 2, glyphs, 0), GDI_ERROR);
}

TEST(GdiFontData, TwipsMetricsAndCharacterSets) {
    MemoryDC dc(u"Arial");
    EXPECT_EQ(SetMapMode(dc.m_dc, MM_TWIPS), MM_TEXT);
    TEXTMETRICW twips{};
    ASSERT_TRUE(GetTextMetricsW(dc.m_dc, &twips));
    EXPECT_EQ(SetMapMode(dc.m_dc, MM_TEXT), MM_TWIPS);
    EXPECT_EQ(GetMapMode(dc.m_dc), MM_TEXT);
    // A height of 300 logical units is the em in either mode.
    EXPECT_GT(twips.tmAscent + twips.tmDescent, 300);
    EXPECT_LT(twips.tmAscent + twips.tmDescent, 400);
    EXPECT_EQ(twips.tmFirstChar, u' ');
    EXPECT_GT(twips.tmLastChar, 0x2000);
    EXPECT_EQ(twips.tmCharSet, ANSI_CHARSET);

    MemoryDC gothic(u"IPAGothic", SHIFTJIS_CHARSET);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(gothic.m_dc, &tm));
    EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
    // A set the font does not cover falls back to ANSI.
    MemoryDC latin(u"Arial", SHIFTJIS_CHARSET);
    ASSERT_TRUE(GetTextMetricsW(latin.m_dc, &tm));
    EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
    EXPECT_EQ(SetMapMode(latin.m_dc, 3), 0);  // a mode it does not have
}

}  // namespace
