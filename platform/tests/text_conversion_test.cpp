#include <gtest/gtest.h>

#include <palvex/utf8.h>

namespace {

TEST(TextConversion, RoundTripsEveryUtf16Text) {
    struct Case {
        std::u16string wide;
        std::string utf8;
    };
    const Case cases[] = {
        {u"abc", "abc"},
        {u"\u00e9", "\xc3\xa9"},
        {u"\u30d7\u30ea\u30f3\u30bf", "\xe3\x83\x97\xe3\x83\xaa\xe3\x83\xb3\xe3\x82\xbf"},
        {u"\U0001F5A8", "\xf0\x9f\x96\xa8"},     // a pair of surrogates is one character
        {std::u16string(1, u'\xD800'), "\xed\xa0\x80"},  // an unpaired surrogate keeps its value
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(palvex::ToUtf8(c.wide), c.utf8);
        EXPECT_EQ(palvex::FromUtf8(c.utf8), c.wide);
    }
    // Bytes that are not UTF-8 come through as the characters of the same value.
    EXPECT_EQ(palvex::FromUtf8("\xff" "a\xc3"), u"\u00ff" u"a\u00c3");
}

}  // namespace
