// The font download on the system's fonts (Liberation Sans for "Arial", IPAGothic), through the
// GDI stand-in, and an independent check: the font the printer gets, put back together into a
// TrueType file, has the same glyph outlines for FreeType as the system's file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "font_download.h"
#include "font_fixture.h"
#include "oem_pdev.h"
#include "spool_capture.h"

namespace {

using rendertest::Bytes;
using rendertest::PutBE16;
using rendertest::PutBE32;
using rendertest::SpoolCapture;

LOGFONTW Font(const char16_t* face) {
    LOGFONTW font{};
    font.lfHeight = -300;
    font.lfWeight = 400;
    font.lfCharSet = 1;
    font.lfPitchAndFamily = 2;
    std::memcpy(font.lfFaceName, face, std::char_traits<char16_t>::length(face) * 2);
    return font;
}

// What the printer got, read back: the header's data blocks and each character.
struct Received {
    Bytes headerData;  // the ReadFontHeader data, concatenated
    struct Char {
        WORD code;
        WORD glyph;
        SHORT bearing;
        WORD advance;
        Bytes data;
    };
    std::vector<Char> chars;
    bool endChar = false;
};

WORD LE16(const Bytes& b, size_t at) {
    return WORD(b[at] | b[at + 1] << 8);
}
WORD BE16(const Bytes& b, size_t at) {
    return WORD(b[at] << 8 | b[at + 1]);
}
DWORD BE32(const Bytes& b, size_t at) {
    return DWORD(BE16(b, at)) << 16 | BE16(b, at + 2);
}
DWORD LE32(const Bytes& b, size_t at) {
    return LE16(b, at) | DWORD(LE16(b, at + 2)) << 16;
}

// Parses the PCL XL the download wrote; fails the test on anything it does not expect.
Received Parse(const std::string& wire, const std::string& name) {
    const Bytes b(wire.begin(), wire.end());
    Received out;
    size_t at = 0;
    auto expect = [&](const Bytes& bytes) {
        const bool ok = at + bytes.size() <= b.size() && std::equal(bytes.begin(), bytes.end(), b.begin() + at);
        EXPECT_TRUE(ok) << "at " << at;
        at += bytes.size();
        return ok;
    };
    Bytes fontName = {0xC8, 0xC1, static_cast<BYTE>(name.size()), 0x00};
    fontName.insert(fontName.end(), name.begin(), name.end());
    fontName.insert(fontName.end(), {0xF8, 0xA8});
    auto dataLength = [&]() -> DWORD {
        if (b[at] == 0xFB) {
            at += 2;
            return b[at - 1];
        }
        EXPECT_EQ(b[at], 0xFA);
        at += 5;
        return LE32(b, at - 4);
    };
    if (at < b.size() && b[at] == 0xC8 && b[at + 4 + name.size() + 2] == 0xC0) {
        if (!expect(fontName) || !expect({0xC0, 0x00, 0xF8, 0xA9, 0x4F})) return out;
        while (at < b.size() && b[at] == 0xC1) {
            const WORD length = LE16(b, at + 1);
            at += 3;
            if (!expect({0xF8, 0xA7, 0x50})) return out;
            EXPECT_EQ(dataLength(), length);
            out.headerData.insert(out.headerData.end(), b.begin() + at, b.begin() + at + length);
            at += length;
        }
        if (!expect({0x51})) return out;
    }
    if (at == b.size()) return out;
    if (!expect(fontName) || !expect({0x52})) return out;
    while (at < b.size() && b[at] == 0xC1) {
        Received::Char c{};
        c.code = LE16(b, at + 1);
        at += 3;
        if (!expect({0xF8, 0xA2, 0xC2})) return out;
        const DWORD size = LE32(b, at);
        at += 4;
        if (!expect({0xF8, 0xA3, 0x53})) return out;
        EXPECT_EQ(dataLength(), size);
        if (!expect({0x01, 0x01})) return out;
        EXPECT_EQ(BE16(b, at), size - 2);
        c.bearing = static_cast<SHORT>(BE16(b, at + 2));
        c.advance = BE16(b, at + 4);
        c.glyph = BE16(b, at + 6);
        c.data.assign(b.begin() + at + 8, b.begin() + at + size - 2);
        at += size - 2;
        out.chars.push_back(c);
    }
    out.endChar = expect({0x54});
    EXPECT_EQ(at, b.size());
    return out;
}

// The file fontconfig gives for a family, as the platform resolves it.
std::string FontFile(const char* family) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return file;
}

class SystemFontDownloadTest : public ::testing::Test {
protected:
    void Use(const char16_t* face) {
        m_pdev.m_helper = &m_spool;
        m_pdev.m_pdevobj = &m_devobj;
        m_pdev.m_fontCache.reset(CreateFontCache(&m_pdev));
        const LOGFONTW font = Font(face);
        ASSERT_EQ(FindOrAddFontEntry(m_pdev.m_fontCache.get(), &m_pdev.m_fontId, &font), S_OK);
    }
    FontCache* Cache() { return m_pdev.m_fontCache.get(); }

    SpoolCapture m_spool;
    DEVOBJ m_devobj{};
    OemPdev m_pdev;
};

TEST_F(SystemFontDownloadTest, ArialGoesOnceAndTheNextPageSendsNothing) {
    Use(u"Arial");
    std::u16string mapped;
    ASSERT_EQ(DownloadXLFontHeader(Cache(), kWatermarkFontId), S_OK);
    ASSERT_EQ(DownloadXLChars(Cache(), kWatermarkFontId, u"ABA", &mapped), S_OK);
    EXPECT_EQ(mapped, u"ABA");
    const Received got = Parse(m_spool.m_bytes, "Arial_WM");
    ASSERT_EQ(got.chars.size(), 2u);
    EXPECT_EQ(got.chars[0].code, u'A');
    EXPECT_EQ(got.chars[1].code, u'B');
    EXPECT_TRUE(got.endChar);
    EXPECT_EQ(Cache()->m_current->m_charset, 0);
    EXPECT_EQ(Cache()->m_context.m_dc, nullptr);  // released

    // The next page with the same settings: a cache hit, no byte.
    m_spool.Clear();
    const LOGFONTW font = Font(u"Arial");
    ASSERT_EQ(FindOrAddFontEntry(Cache(), &m_pdev.m_fontId, &font), S_OK);
    mapped.clear();
    ASSERT_EQ(DownloadXLFontHeader(Cache(), kWatermarkFontId), S_OK);
    ASSERT_EQ(DownloadXLChars(Cache(), kWatermarkFontId, u"BAB", &mapped), S_OK);
    EXPECT_EQ(m_spool.m_bytes, "");
    EXPECT_EQ(mapped, u"BAB");
    EXPECT_EQ(SelectFontEntry(Cache(), 0), E_INVALIDARG);
    EXPECT_EQ(SelectFontEntry(Cache(), 7), E_FAIL);
    EXPECT_EQ(DownloadXLChars(Cache(), 7, u"A", &mapped), E_FAIL);
}

TEST_F(SystemFontDownloadTest, AFailedDriverWriteLeavesTheHeaderUnsent) {
    Use(u"Arial");
    m_spool.m_failFromCall = 3;
    std::u16string mapped;
    EXPECT_EQ(DownloadXLChars(Cache(), kWatermarkFontId, u"A", &mapped), E_FAIL);
    EXPECT_EQ(Cache()->m_current->m_headerSent, 0u);
    EXPECT_TRUE(Cache()->m_current->m_downloadedChars.empty());
    // The printer takes bytes again: the whole font goes.
    m_spool.m_failFromCall = ~0u;
    m_spool.Clear();
    ASSERT_EQ(DownloadXLChars(Cache(), kWatermarkFontId, u"A", &mapped), S_OK);
    EXPECT_FALSE(Parse(m_spool.m_bytes, "Arial_WM").headerData.empty());
}

TEST_F(SystemFontDownloadTest, JapaneseCharactersTakeCodesFrom128) {
    Use(u"IPAGothic");
    std::u16string mapped;
    const std::u16string text = u"\u900f\u304b\u3057A";  // 透かしA
    ASSERT_EQ(DownloadXLChars(Cache(), kWatermarkFontId, text, &mapped), S_OK);
    EXPECT_EQ(mapped, std::u16string({128, 129, 130, u'A'}));
    const Received got = Parse(m_spool.m_bytes, "IPAGothic_WM");
    ASSERT_EQ(got.chars.size(), 4u);
    m_spool.Clear();
    mapped.clear();
    ASSERT_EQ(DownloadXLChars(Cache(), kWatermarkFontId, text, &mapped), S_OK);
    EXPECT_EQ(m_spool.m_bytes, "");
    EXPECT_EQ(mapped, std::u16string({128, 129, 130, u'A'}));
}

// Puts the printer's font back into a TrueType file: the GT segment's tables, with the glyphs that
// came as characters in a glyf and loca of their own.
Bytes Reassemble(const Received& got, WORD* numGlyphs) {
    const Bytes& h = got.headerData;
    // 8-byte font header, then "GT" and its size, then the sfnt.
    EXPECT_EQ(h[8], 'G');
    EXPECT_EQ(h[9], 'T');
    const DWORD gtSize = BE32(h, 10);
    const Bytes sfnt(h.begin() + 14, h.begin() + 14 + gtSize);
    const WORD count = BE16(sfnt, 4);
    rendertest::FontTables tables;
    for (WORD i = 0; i < count; ++i) {
        const std::string tag(sfnt.begin() + 12 + 16 * i, sfnt.begin() + 16 + 16 * i);
        const DWORD offset = BE32(sfnt, 20 + 16 * i), length = BE32(sfnt, 24 + 16 * i);
        if (tag == "gdir") continue;
        EXPECT_LE(offset + length, sfnt.size()) << tag;
        tables[tag] = Bytes(sfnt.begin() + offset, sfnt.begin() + offset + length);
    }
    EXPECT_TRUE(tables.count("head") && tables.count("maxp"));
    *numGlyphs = BE16(tables["maxp"], 4);
    std::map<WORD, const Received::Char*> glyphs;
    for (const auto& c : got.chars) glyphs[c.glyph] = &c;
    Bytes glyf, loca, hmtx;
    for (DWORD g = 0; g < *numGlyphs; ++g) {
        PutBE32(loca, glyf.size());
        const auto it = glyphs.find(static_cast<WORD>(g));
        PutBE16(hmtx, it == glyphs.end() ? 0 : it->second->advance);
        PutBE16(hmtx, it == glyphs.end() ? 0 : static_cast<WORD>(it->second->bearing));
        if (it == glyphs.end()) continue;
        glyf.insert(glyf.end(), it->second->data.begin(), it->second->data.end());
        glyf.resize((glyf.size() + 3) / 4 * 4, 0);
    }
    PutBE32(loca, glyf.size());
    tables["head"][50] = 0;
    tables["head"][51] = 1;  // long loca
    Bytes hhea;
    PutBE32(hhea, 0x00010000);
    hhea.resize(34, 0);
    PutBE16(hhea, *numGlyphs);
    tables["hhea"] = hhea;
    tables["hmtx"] = hmtx;
    tables["glyf"] = glyf;
    tables["loca"] = loca;
    return rendertest::BuildSfnt(tables);
}

TEST_F(SystemFontDownloadTest, TheReassembledFontHasTheSameOutlines) {
    for (const char* family : {"Arial", "IPAGothic"}) {
        SCOPED_TRACE(family);
        m_spool.Clear();
        const std::u16string face(family, family + std::strlen(family));
        Use(face.c_str());
        std::u16string mapped;
        // Letters, accented letters (composites in many fonts), digits and kana.
        ASSERT_EQ(DownloadXLChars(Cache(), kWatermarkFontId, u"Wm\u00c4\u00e9\u01fa1\u00c5\u3042", &mapped), S_OK);
        const Received got = Parse(m_spool.m_bytes, std::string(family) + "_WM");
        ASSERT_FALSE(got.chars.empty());
        const size_t components = std::count_if(got.chars.begin(), got.chars.end(), [](const auto& c) { return c.code == 0xFFFF; });
        // Liberation Sans builds its accented letters from components.
        if (std::string(family) == "Arial") {
            EXPECT_GT(components, 0u);
        }
        WORD numGlyphs = 0;
        const Bytes file = Reassemble(got, &numGlyphs);

        FT_Library library = nullptr;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        FT_Face original = nullptr, rebuilt = nullptr;
        ASSERT_EQ(FT_New_Face(library, FontFile(family).c_str(), 0, &original), 0);
        ASSERT_EQ(FT_New_Memory_Face(library, file.data(), static_cast<FT_Long>(file.size()), 0, &rebuilt), 0);
        EXPECT_EQ(rebuilt->num_glyphs, original->num_glyphs);
        for (const auto& c : got.chars) {
            SCOPED_TRACE(c.glyph);
            ASSERT_EQ(FT_Load_Glyph(original, c.glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
            const int points = original->glyph->outline.n_points, contours = original->glyph->outline.n_contours;
            ASSERT_EQ(FT_Load_Glyph(rebuilt, c.glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
            EXPECT_EQ(rebuilt->glyph->outline.n_points, points);
            EXPECT_EQ(rebuilt->glyph->outline.n_contours, contours);
            EXPECT_EQ(rebuilt->glyph->metrics.horiAdvance, original->glyph->metrics.horiAdvance);
        }
        FT_Done_Face(rebuilt);
        FT_Done_Face(original);
        FT_Done_FreeType(library);
    }
}

TEST_F(SystemFontDownloadTest, PCLFontOfArial) {
    Use(u"Arial");
    ASSERT_EQ(DownloadPCLFontHeader(Cache(), kWatermarkFontId), S_OK);
    const std::string& sent = m_spool.m_bytes;
    const std::string start = "\x1b%0A\x1b*c16385D\x1b)s";
    ASSERT_EQ(sent.substr(0, start.size()), start);
    const size_t w = sent.find('W', start.size());
    const std::string font = sent.substr(w + 1);
    EXPECT_EQ(std::to_string(font.size()), sent.substr(start.size(), w - start.size()));
    unsigned sum = 0;
    for (size_t i = 64; i < font.size(); ++i) sum += static_cast<BYTE>(font[i]);
    EXPECT_EQ(sum % 256, 0u);
    EXPECT_EQ(font.substr(72, 2), "CE");
    EXPECT_NE(font.find("PA"), std::string::npos);  // the font has OS/2: its PANOSE goes
    m_spool.Clear();
    std::u16string mapped;
    ASSERT_EQ(DownloadPCLChars(Cache(), kWatermarkFontId, u"A", &mapped), S_OK);
    const std::string character = "\x1b*c16385D\x1b*c65E\x1b(s";
    EXPECT_EQ(m_spool.m_bytes.substr(0, character.size()), character);
}

}  // namespace
