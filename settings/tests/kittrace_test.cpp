// DebugTrace: the level gate and the 512-character line buffer.
#include <gtest/gtest.h>

#include <palvex/debugout.h>

#include <string>

#include "kittrace.h"

namespace {

TEST(DebugTrace, UnsetLevelCountsAsZero) {
    palvex::DebugOutputCapture capture;
    DebugTrace(0, u"%s: shown [%d]\n", u"Test::Gate", 1);
    DebugTrace(1, u"%s: GetPrinterData err=[%d]\n", u"Test::Gate", 5);
    DebugTrace(4, u"%s: information\n", u"Test::Gate");
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0], u"Test::Gate: shown [1]\n");
}

TEST(DebugTrace, LinesAreCutAt511Characters) {
    const struct {
        size_t length;
        size_t printed;
    } cases[] = {{510, 510}, {511, 511}, {512, 511}, {2000, 511}};
    for (const auto& c : cases) {
        palvex::DebugOutputCapture capture;
        std::u16string text(c.length, u'x');
        text[0] = u'a';
        DebugTrace(0, u"%s", text.c_str());
        ASSERT_EQ(capture.lines().size(), 1u) << c.length;
        EXPECT_EQ(capture.lines()[0], text.substr(0, c.printed)) << c.length;
    }
}

TEST(DebugTrace, BadFormatPrintsNothing) {
    palvex::DebugOutputCapture capture;
    DebugTrace(0, u"%s: bad [%y]\n", u"Test::Format", 3);
    EXPECT_TRUE(capture.lines().empty());
}

}  // namespace
