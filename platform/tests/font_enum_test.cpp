// EnumFontFamiliesExW over the machine's TrueType fonts: one call per face and character set, or
// per style of one face; a callback answer of 0 ends it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <win/windows.h>
#include <win/wingdi_fontenum.h>

namespace {

struct Seen {
    std::u16string face;
    std::u16string style;
    std::u16string fullName;
    BYTE charset;
    DWORD type;
    LONG weight;
    BYTE italic;
};

int CALLBACK Collect(const LOGFONTW* font, const TEXTMETRICW* metric, DWORD type, LPARAM context) {
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXW*>(font);
    EXPECT_EQ(metric->tmCharSet, font->lfCharSet);
    reinterpret_cast<std::vector<Seen>*>(context)->push_back(
        {full->elfLogFont.lfFaceName, full->elfStyle, full->elfFullName, font->lfCharSet, type, font->lfWeight,
         font->lfItalic});
    return 1;
}

int CALLBACK StopAtOnce(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM context) {
    ++*reinterpret_cast<int*>(context);
    return 0;
}

std::vector<Seen> Enumerate(HDC dc, const std::u16string& face, BYTE charset) {
    LOGFONTW font{};
    font.lfCharSet = charset;
    std::copy(face.begin(), face.end(), font.lfFaceName);
    std::vector<Seen> seen;
    EXPECT_EQ(EnumFontFamiliesExW(dc, &font, Collect, reinterpret_cast<LPARAM>(&seen), 0), 1);
    return seen;
}

TEST(FontEnum, FacesOncePerCharacterSetAndStylesOfOneFace) {
    HDC dc = GetDC(nullptr);
    const std::vector<Seen> every = Enumerate(dc, u"", DEFAULT_CHARSET);
    std::set<std::pair<std::u16string, BYTE>> pairs;
    for (const Seen& seen : every) {
        EXPECT_EQ(seen.type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
        EXPECT_TRUE(pairs.emplace(seen.face, seen.charset).second);
    }
    EXPECT_TRUE(pairs.count({u"Liberation Sans", ANSI_CHARSET}));
    EXPECT_TRUE(pairs.count({u"IPAGothic", SHIFTJIS_CHARSET}));
    EXPECT_FALSE(pairs.count({u"Liberation Sans", SHIFTJIS_CHARSET}));
    // Windows' faces, in the files that stand in for them.
    for (const char16_t* windows : {u"Arial", u"Times New Roman", u"Courier New"})
        EXPECT_TRUE(pairs.count({windows, ANSI_CHARSET})) << std::string(windows, windows + 5);
    const std::vector<Seen> arial = Enumerate(dc, u"ARIAL", ANSI_CHARSET);
    ASSERT_EQ(arial.size(), 4u);
    EXPECT_EQ(arial[3].fullName, u"Arial Bold Italic");

    // One face, without regard to case, in one character set: each of its styles.
    const std::vector<Seen> styles = Enumerate(dc, u"liberation sans", ANSI_CHARSET);
    std::vector<std::u16string> names;
    for (const Seen& seen : styles) names.push_back(seen.style);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Regular", u"Italic", u"Bold", u"Bold Italic"}));
    ASSERT_EQ(styles.size(), 4u);
    EXPECT_EQ(styles[3].fullName, u"Liberation Sans Bold Italic");
    EXPECT_EQ(styles[3].weight, 700);
    EXPECT_EQ(styles[3].italic, 1);
    EXPECT_EQ(styles[0].fullName, u"Liberation Sans");

    EXPECT_TRUE(Enumerate(dc, u"No Such Face", DEFAULT_CHARSET).empty());

    int calls = 0;
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    EXPECT_EQ(EnumFontFamiliesExW(dc, &font, StopAtOnce, reinterpret_cast<LPARAM>(&calls), 0), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(EnumFontFamiliesExW(nullptr, &font, StopAtOnce, 0, 0), 0);
    EXPECT_EQ(EnumFontFamiliesExW(dc, nullptr, StopAtOnce, 0, 0), 0);
    ReleaseDC(nullptr, dc);
}

}  // namespace
