// The font download on fonts held as bytes: the PCL XL header and characters byte for byte, the
// PCL 5 descriptor, the codes characters get, and malformed fonts refused.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "font_download.h"
#include "font_download_internal.h"
#include "font_fixture.h"
#include "oem_pdev.h"
#include "spool_capture.h"

namespace {

using rendertest::Bytes;
using rendertest::FixtureFont;
using rendertest::FontTables;
using rendertest::MemoryFontSource;
using rendertest::SpoolCapture;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A ReadFontHeader block of a short piece: C1 len F8 A7 50 FB len, then the bytes.
Bytes ShortBlock(const Bytes& data) {
    const BYTE n = static_cast<BYTE>(data.size());
    return Cat({{0xC1, n, 0x00, 0xF8, 0xA7, 0x50, 0xFB, n}, data});
}

// One ReadChar as the wire has it, parsed back.
struct SentChar {
    WORD code;
    WORD glyph;
    SHORT bearing;
    WORD advance;
    Bytes data;
};

class FontDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pdev.m_helper = &m_spool;
        m_pdev.m_pdevobj = &m_devobj;
        m_cache.reset(CreateFontCache(&m_pdev));
        LOGFONTW font{};
        std::memcpy(font.lfFaceName, u"Fixture", 14);
        DWORD id = kWatermarkFontId;
        ASSERT_EQ(FindOrAddFontEntry(m_cache.get(), &id, &font), S_OK);
    }
    FontCacheEntry& Entry() { return *m_cache->m_current; }
    Bytes Sent() const { return Bytes(m_spool.m_bytes.begin(), m_spool.m_bytes.end()); }

    HRESULT Header(MemoryFontSource& source, const DownloadFormat& format = kXLFormat) {
        return SendFontHeader(&m_pdev, Entry(), source, m_facts, format);
    }
    HRESULT Chars(MemoryFontSource& source, const std::u16string& text, std::u16string* mapped,
                  const DownloadFormat& format = kXLFormat) {
        GlyphIndexer indexer = [&](const std::u16string& chars, std::vector<WORD>* glyphs) {
            glyphs->clear();
            for (WCHAR c : chars) {
                const WORD glyph = LookupGlyphInCmap(source.m_tables["cmap"], c, c);
                glyphs->push_back(glyph ? glyph : 0xFFFF);
            }
            return true;
        };
        return SendFontChars(&m_pdev, Entry(), source, m_facts, indexer, text, mapped, format);
    }
    // The ReadChar records after BeginChar, up to EndChar.
    std::vector<SentChar> ParseChars() const {
        const Bytes bytes = Sent();
        const Bytes begin = Cat({{0xC8, 0xC1, 0x0A, 0x00}, Text("Fixture_WM"), {0xF8, 0xA8, 0x52}});
        std::vector<SentChar> chars;
        EXPECT_TRUE(bytes.size() >= begin.size() + 1 && std::equal(begin.begin(), begin.end(), bytes.begin()));
        size_t at = begin.size();
        auto u16le = [&](size_t i) { return WORD(bytes[i] | bytes[i + 1] << 8); };
        auto u16be = [&](size_t i) { return WORD(bytes[i] << 8 | bytes[i + 1]); };
        while (at < bytes.size() && bytes[at] == 0xC1) {
            SentChar c{};
            c.code = u16le(at + 1);
            EXPECT_EQ(Bytes(bytes.begin() + at + 3, bytes.begin() + at + 6), Bytes({0xF8, 0xA2, 0xC2}));
            const DWORD size = u16le(at + 6) | DWORD(u16le(at + 8)) << 16;
            EXPECT_EQ(Bytes(bytes.begin() + at + 10, bytes.begin() + at + 13), Bytes({0xF8, 0xA3, 0x53}));
            at += 13;
            if (bytes[at] == 0xFB) {
                EXPECT_EQ(bytes[at + 1], size);
                at += 2;
            } else {
                EXPECT_EQ(bytes[at], 0xFA);
                at += 5;
            }
            EXPECT_EQ(Bytes(bytes.begin() + at, bytes.begin() + at + 2), Bytes({0x01, 0x01}));
            EXPECT_EQ(u16be(at + 2), size - 2);
            c.bearing = static_cast<SHORT>(u16be(at + 4));
            c.advance = u16be(at + 6);
            c.glyph = u16be(at + 8);
            c.data.assign(bytes.begin() + at + 10, bytes.begin() + at + size);
            at += size;
            chars.push_back(c);
        }
        EXPECT_EQ(at + 1, bytes.size());
        EXPECT_EQ(bytes.back(), 0x54);
        return chars;
    }

    SpoolCapture m_spool;
    DEVOBJ m_devobj{};
    OemPdev m_pdev;
    FontCachePtr m_cache;
    FontFacts m_facts{0, 0x20, 0x44};
};

TEST_F(FontDownloadTest, XLHeaderOfAFontWithoutInstructionTables) {
    MemoryFontSource source(FixtureFont());
    ASSERT_EQ(Header(source), S_OK);
    const Bytes& head = source.m_tables["head"];
    const Bytes& maxp = source.m_tables["maxp"];
    const Bytes expected = Cat({
        {0xC8, 0xC1, 0x0A, 0x00}, Text("Fixture_WM"), {0xF8, 0xA8, 0xC0, 0x00, 0xF8, 0xA9, 0x4F},
        // Format 0, orientation 0, symbol set 16, TrueType, variety 0, 0x44 - 0x20 + 1 characters.
        ShortBlock({0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x00, 0x25}),
        // GT: 12 + 3 x 16 + 56 (head padded) + 32 (maxp).
        ShortBlock({'G', 'T', 0x00, 0x00, 0x00, 0x94}),
        ShortBlock({0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x20, 0x00, 0x01, 0x00, 0x10}),
        ShortBlock(Cat({Text("gdir"), Bytes(12, 0),
                        Text("head"), {0, 0, 0, 0, 0, 0, 0, 0x3C, 0, 0, 0, 0x38},
                        Text("maxp"), {0, 0, 0, 0, 0, 0, 0, 0x74, 0, 0, 0, 0x20}})),
        ShortBlock(Cat({head, {0x00, 0x00}})),
        ShortBlock(maxp),
        ShortBlock({0x47, 0x43, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x03, 0x00, 0x20, 0x00,
                    0x7D, 0xFF, 0x65, 0x20, 0x3E, 0x20, 0x3E, 0xFF, 0x65, 0xFF, 0x61, 0xFF, 0x9F, 0xFF, 0x65}),
        ShortBlock({0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}),
        {0x51},
    });
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(Entry().m_headerSent, 1u);
    EXPECT_EQ(Entry().m_tables.size(), 7u);
    // Once is enough.
    m_spool.Clear();
    ASSERT_EQ(Header(source), S_OK);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(FontDownloadTest, LongTablesGoInBlocksWithThePaddingInTheLast) {
    FontTables font = FixtureFont();
    font["cvt "] = Bytes(70001, 0x11);
    MemoryFontSource source(font);
    ASSERT_EQ(Header(source), S_OK);
    const Bytes sent = Sent();
    const Bytes first = {0xC1, 0xFF, 0xFF, 0xF8, 0xA7, 0x50, 0xFA, 0xFF, 0xFF, 0x00, 0x00};
    const Bytes second = {0xC1, 0x75, 0x11, 0xF8, 0xA7, 0x50, 0xFA, 0x75, 0x11, 0x00, 0x00};
    auto at = std::search(sent.begin(), sent.end(), first.begin(), first.end());
    ASSERT_NE(at, sent.end());
    at += first.size();
    EXPECT_EQ(Bytes(at, at + 65535), Bytes(65535, 0x11));
    at += 65535;
    ASSERT_TRUE(std::equal(second.begin(), second.end(), at));
    at += second.size();
    EXPECT_EQ(Bytes(at, at + 4469), Cat({Bytes(4466, 0x11), Bytes(3, 0)}));
    // The directory announces cvt first, at 12 + 4 x 16, with its padded length 70004.
    const Bytes record = Cat({Text("cvt "), {0, 0, 0, 0, 0, 0, 0, 0x4C, 0x00, 0x01, 0x11, 0x74}});
    EXPECT_NE(std::search(sent.begin(), sent.end(), record.begin(), record.end()), sent.end());
}

TEST_F(FontDownloadTest, AFailedWriteLeavesTheHeaderUnmarked) {
    MemoryFontSource source(FixtureFont());
    m_spool.m_failFromCall = 5;
    EXPECT_EQ(Header(source), E_FAIL);
    EXPECT_EQ(Entry().m_headerSent, 0u);
}

TEST_F(FontDownloadTest, ATableThatReadsBackShortAnnouncesNothing) {
    // A source whose fpgm says 40 bytes but gives 20.
    class ShortFpgm final : public FontSource {
    public:
        explicit ShortFpgm(FontTables tables) : m_inner(std::move(tables)) {}
        bool Size(DWORD tag, DWORD* size) override { return m_inner.Size(tag, size); }
        bool Read(DWORD tag, DWORD offset, void* buffer, DWORD size, DWORD* read) override {
            if (!m_inner.Read(tag, offset, buffer, size, read)) return false;
            if (tag == FontTag("fpgm")) *read = std::min<DWORD>(*read, 20);
            return true;
        }
        MemoryFontSource m_inner;
    };
    FontTables font = FixtureFont();
    font["fpgm"] = Bytes(40, 0x22);
    ShortFpgm source(font);
    EXPECT_EQ(SendFontHeader(&m_pdev, Entry(), source, m_facts, kXLFormat), E_FAIL);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Entry().m_headerSent, 0u);
}

TEST_F(FontDownloadTest, EachCharacterGoesOnceWithItsClass1Header) {
    MemoryFontSource source(FixtureFont());
    Entry().m_headerSent = 1;
    std::u16string mapped;
    ASSERT_EQ(Chars(source, u"ABA", &mapped), S_OK);
    const std::vector<SentChar> chars = ParseChars();
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].code, u'A');
    EXPECT_EQ(chars[0].glyph, 1);
    EXPECT_EQ(chars[0].bearing, 5);
    EXPECT_EQ(chars[0].advance, 610);
    EXPECT_EQ(chars[0].data, Cat({rendertest::TriangleGlyph(0), {0}}));  // with glyf's even padding
    EXPECT_EQ(chars[1].code, u'B');
    EXPECT_EQ(chars[1].glyph, 2);
    EXPECT_EQ(mapped, u"ABA");
    // The exact bytes of the first ReadChar: code 0x41, size 30 + 10.
    const Bytes sent = Sent();
    const Bytes readChar = {0xC1, 0x41, 0x00, 0xF8, 0xA2, 0xC2, 0x28, 0x00, 0x00, 0x00, 0xF8, 0xA3, 0x53,
                            0xFB, 0x28, 0x01, 0x01, 0x00, 0x26, 0x00, 0x05, 0x02, 0x62, 0x00, 0x01};
    EXPECT_TRUE(std::equal(readChar.begin(), readChar.end(), sent.begin() + 17));

    // Nothing is sent again for characters already there.
    m_spool.Clear();
    mapped.clear();
    ASSERT_EQ(Chars(source, u"BA", &mapped), S_OK);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(mapped, u"BA");
}

TEST_F(FontDownloadTest, CompositesBringTheirComponentsOnce) {
    MemoryFontSource source(FixtureFont());
    Entry().m_headerSent = 1;
    std::u16string mapped;
    ASSERT_EQ(Chars(source, u"CC", &mapped), S_OK);
    std::vector<SentChar> chars = ParseChars();
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].code, u'C');
    EXPECT_EQ(chars[0].glyph, 3);
    EXPECT_EQ(chars[1].code, 0xFFFF);
    EXPECT_EQ(chars[1].glyph, 1);
    // 'A' itself still goes under its own code; the component is not sent again.
    m_spool.Clear();
    ASSERT_EQ(Chars(source, u"A", &mapped), S_OK);
    chars = ParseChars();
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].code, u'A');
}

TEST_F(FontDownloadTest, ACharacterWithoutAGlyphIsDrawnAsTheSpace) {
    MemoryFontSource source(FixtureFont());
    Entry().m_headerSent = 1;
    std::u16string mapped;
    ASSERT_EQ(Chars(source, u"A\u00e9Z", &mapped), S_OK);
    const std::vector<SentChar> chars = ParseChars();
    ASSERT_EQ(chars.size(), 2u);  // 'A' and the space, once
    EXPECT_EQ(chars[1].code, u' ');
    EXPECT_EQ(chars[1].glyph, 5);
    EXPECT_EQ(mapped, u"A  ");
}

TEST_F(FontDownloadTest, TwoGlyphsNeverShareACode) {
    // Many characters of 256 and above among Latin-1 ones: every downloaded glyph has its own code
    // and the code-mapped text shows each character with its own glyph.
    Entry().m_headerSent = 1;
    std::u16string text;
    for (WCHAR c = 0x4E00; c < 0x4E00 + 60; ++c) text += c;
    for (WCHAR c = 0xA0; c < 0xA0 + 60; ++c) text += c;
    text += u"AB";
    for (WCHAR c = 0x5000; c < 0x5000 + 40; ++c) text += c;
    std::set<WORD> codes;
    FontCacheEntry& entry = Entry();
    for (size_t i = 0; i < text.size(); ++i) {
        if (entry.m_downloadedChars.find(text[i]) != std::u16string::npos) continue;
        WORD code = 0;
        ASSERT_TRUE(AssignCharCode(entry, text[i], text, &code)) << i;
        entry.m_downloadedChars += text[i];
        entry.m_assignedCodes += static_cast<char16_t>(code);
        EXPECT_TRUE(codes.insert(code).second) << "code " << code << " twice";
        EXPECT_NE(code, 0);
    }
    std::u16string mapped;
    MapDownloadedText(entry, text, &mapped);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 256) {
            EXPECT_EQ(mapped[i], text[i]) << i;  // Latin-1 keeps its own code
        }
    }
    EXPECT_EQ(mapped[0], 128);
    EXPECT_EQ(mapped[1], 129);
    // A code for a character when all 255 are taken is refused.
    WORD code = 0;
    while (AssignCharCode(entry, 0x6000, text, &code)) {
        entry.m_downloadedChars += static_cast<char16_t>(0x6000 + entry.m_downloadedChars.size());
        entry.m_assignedCodes += static_cast<char16_t>(code);
    }
    EXPECT_EQ(entry.m_assignedCodes.size(), 255u);
}

TEST_F(FontDownloadTest, MalformedFontsAreRefused) {
    struct Case {
        const char* what;
        void (*spoil)(FontTables&);
        const char16_t* text;
    };
    const Case cases[] = {
        {"loca cut before B's end", [](FontTables& f) { f["loca"].resize(5); }, u"B"},
        {"glyph past glyf's end", [](FontTables& f) { f["glyf"].resize(40); }, u"B"},
        {"composite of itself", [](FontTables&) {}, u"D"},
        {"loca going backwards", [](FontTables& f) { f["loca"][6] = 0x00, f["loca"][7] = 0x01; }, u"B"},
        {"composite record cut", [](FontTables& f) {
             // 'C' (glyph 3) says MORE_COMPONENTS and ends there.
             Bytes& glyf = f["glyf"];
             const size_t at = 2 * (size_t(f["loca"][6]) << 8 | f["loca"][7]);
             glyf[at + 11] = 0x22;
         }, u"C"},
        {"no maxp", [](FontTables& f) { f.erase("maxp"); }, u"A"},
    };
    for (const Case& c : cases) {
        SetUp();
        Entry().m_headerSent = 1;
        FontTables font = FixtureFont();
        c.spoil(font);
        MemoryFontSource source(font);
        std::u16string mapped;
        EXPECT_EQ(Chars(source, c.text, &mapped), E_FAIL) << c.what;
        EXPECT_TRUE(Entry().m_downloadedChars.empty()) << c.what;
        m_spool.Clear();
    }
}

TEST_F(FontDownloadTest, DeepNestingIsRefused) {
    // Glyph 4 made a chain 4 -> 3 -> ... : replace by composites nesting past the limit.
    FontTables font = FixtureFont();
    // Rebuild glyf with 12 composites each of the next, the last a triangle.
    Bytes glyf, loca;
    std::vector<Bytes> glyphs;
    glyphs.push_back({});
    for (unsigned i = 1; i < 13; ++i) {
        Bytes g;
        rendertest::PutBE16(g, 0xFFFF);
        g.resize(10, 0);
        rendertest::PutBE16(g, 0x0002);
        rendertest::PutBE16(g, i + 1);
        g.insert(g.end(), {0, 0});
        glyphs.push_back(g);
    }
    glyphs.push_back(rendertest::TriangleGlyph(0));
    for (const Bytes& g : glyphs) {
        rendertest::PutBE16(loca, static_cast<unsigned>(glyf.size() / 2));
        glyf.insert(glyf.end(), g.begin(), g.end());
    }
    rendertest::PutBE16(loca, static_cast<unsigned>(glyf.size() / 2));
    font["glyf"] = glyf;
    font["loca"] = loca;
    font["maxp"][5] = static_cast<BYTE>(glyphs.size());
    font["hmtx"].resize(2 * (4 + glyphs.size()), 0);
    MemoryFontSource source(font);
    Entry().m_headerSent = 1;
    std::u16string mapped;
    EXPECT_EQ(Chars(source, u"A", &mapped), E_FAIL);  // 'A' is glyph 1, 12 levels deep
}

TEST_F(FontDownloadTest, PCLDescriptorAndCharacter) {
    MemoryFontSource source(FixtureFont());
    Entry().m_logFont.lfWeight = 700;
    ASSERT_EQ(Header(source, kPCLFormat), S_OK);
    const Bytes sent = Sent();
    const std::string start = "\x1b%0A\x1b*c16385D\x1b)s";
    ASSERT_EQ(std::string(sent.begin(), sent.begin() + start.size()), start);
    const size_t w = std::find(sent.begin(), sent.end(), 'W') - sent.begin();
    const size_t size = std::stoul(std::string(sent.begin() + start.size(), sent.begin() + w));
    const Bytes font(sent.begin() + w + 1, sent.end());
    ASSERT_EQ(font.size(), size);
    // The descriptor: cell 1000 x 1000, pitch from the space (glyph 5, the last advance 630),
    // stroke weight 3 for bold, text height and scale factor 1000, the name in 16 bytes.
    const Bytes descriptor = Cat({{0x00, 0x48, 16, 3, 3, 0, 0, 0, 0x03, 0xE8, 0x03, 0xE8, 0, 1, 0x02, 0x01,
                                   0x02, 0x76, 0, 0, 0, 0, 0, 224, 3, 64, 0, 0, 0, 0, 0, 0,
                                   0x03, 0xE8, 0x02, 0x76, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0},
                                  Text("Fixture_WM"), Bytes(6, 0),
                                  {0x03, 0xE8, 0, 0, 0, 0, 1, 0}});
    EXPECT_EQ(Bytes(font.begin(), font.begin() + 72), descriptor);
    const Bytes segments = {'C', 'E', 0, 0, 0, 8, 0, 0, 0, 2, 0xFF, 0xFF, 0, 0,
                            'C', 'C', 0, 0, 0, 8, 0, 0, 0xFF, 0xFE, 0, 0, 0xFF, 0xFE,
                            'G', 'C', 0, 0, 0, 12, 0, 0, 0xFF, 0xFF, 0, 1, 0, 0, 0xFF, 0xFE, 0xFF, 0xFF,
                            'G', 'T'};
    EXPECT_EQ(Bytes(font.begin() + 72, font.begin() + 72 + segments.size()), segments);
    // numTables 5: searchRange 64, entrySelector 2, rangeShift 16.
    const size_t gt = 72 + segments.size() + 4;
    EXPECT_EQ(Bytes(font.begin() + gt, font.begin() + gt + 12),
              Bytes({0, 1, 0, 0, 0, 5, 0, 64, 0, 2, 0, 16}));
    EXPECT_EQ(Bytes(font.end() - 8, font.end() - 2), Bytes({0xFF, 0xFF, 0, 0, 0, 0}));
    unsigned sum = 0;
    for (size_t i = 64; i < font.size(); ++i) sum += font[i];
    EXPECT_EQ(sum % 256, 0u);
    EXPECT_EQ(font[font.size() - 2], 0);

    // One character: the font, the code, the size, the class 15 block with its checksum.
    m_spool.Clear();
    std::u16string mapped;
    ASSERT_EQ(Chars(source, u"A", &mapped, kPCLFormat), S_OK);
    const Bytes glyph = Cat({rendertest::TriangleGlyph(0), {0}});
    Bytes block = Cat({{15, 0, 2, 15, 0x00, 0x22, 0x00, 0x01}, glyph, {0}});
    unsigned blockSum = 0;
    for (size_t i = 4; i < block.size(); ++i) blockSum += block[i];
    block.push_back(static_cast<BYTE>(256 - blockSum % 256));
    EXPECT_EQ(Sent(), Cat({Text("\x1b*c16385D\x1b*c65E\x1b(s40W"), block}));
}

TEST(UnicodeToWansung, CodePage949Codes) {
    EXPECT_EQ(UnicodeToWansung(u'A'), 0x41);
    EXPECT_EQ(UnicodeToWansung(0x80), 0x80);
    EXPECT_EQ(UnicodeToWansung(0xAC00), 0xB0A1);  // the first Hangul syllable
    EXPECT_EQ(UnicodeToWansung(0xAC01), 0xB0A2);
    EXPECT_EQ(UnicodeToWansung(0xAC02), 0xFFFF);  // a syllable outside KS X 1001, in a covered block
    EXPECT_EQ(UnicodeToWansung(0x3131), 0xA4A1);  // the first compatibility jamo
    EXPECT_EQ(UnicodeToWansung(0x4E00), 0xECE9);
    EXPECT_EQ(UnicodeToWansung(0x0E01), 0);       // Thai: no block of the code page
}

}  // namespace

namespace {

// A cmap with one format 4 subtable of (platform, encoding) mapping code to glyph.
Bytes OneCodeCmap(unsigned platform, unsigned encoding, unsigned code, unsigned glyph) {
    Bytes map;
    for (unsigned v : {4u, 32u, 0u, 4u, 4u, 1u, 0u, code, 0xFFFFu, 0u, code, 0xFFFFu, (glyph - code) & 0xFFFF, 1u, 0u, 0u})
        rendertest::PutBE16(map, v);
    Bytes cmap;
    for (unsigned v : {0u, 1u, platform, encoding}) rendertest::PutBE16(cmap, v);
    rendertest::PutBE32(cmap, 12);
    return Cat({cmap, map});
}

TEST(WansungGlyphs, KoreanMapsAreReadInTheirOwnCode) {
    std::vector<WORD> glyphs;
    // A map in KS X 1001 codes (3, 5): the syllable's code 0xB0A1 finds its glyph.
    ASSERT_TRUE(WansungGlyphIndices(OneCodeCmap(3, 5, 0xB0A1, 7), u"\uac00", &glyphs));
    EXPECT_EQ(glyphs, std::vector<WORD>({7}));
    // A Unicode map (3, 1) is read with the character itself.
    ASSERT_TRUE(WansungGlyphIndices(OneCodeCmap(3, 1, 0xAC00, 9), u"\uac00", &glyphs));
    EXPECT_EQ(glyphs, std::vector<WORD>({9}));
    // No map of either platform: no glyph.
    ASSERT_TRUE(WansungGlyphIndices(OneCodeCmap(0, 3, 0xAC00, 9), u"\uac00", &glyphs));
    EXPECT_EQ(glyphs, std::vector<WORD>({0}));
    // A cmap cut short reads as no glyph.
    Bytes cut = OneCodeCmap(3, 5, 0xB0A1, 7);
    cut.resize(20);
    ASSERT_TRUE(WansungGlyphIndices(cut, u"\uac00", &glyphs));
    EXPECT_EQ(glyphs, std::vector<WORD>({0}));
}

}  // namespace
