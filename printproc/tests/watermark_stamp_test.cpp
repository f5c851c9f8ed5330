// The watermark's font height, angle, colour and centring, and the date stamp's six positions.
#include <gtest/gtest.h>

#include "watermark_stamp.h"

namespace pptest {
namespace {

TEST(WatermarkTest, FontHeightFollowsNupAndScaling) {
    // 72 points at 600 dpi is 600 units; at 300 dpi 300.
    EXPECT_EQ(watermark::FontHeight(72, 600, 1, 100, 4961, 7016), 600);
    EXPECT_EQ(watermark::FontHeight(72, 300, 1, 100, 2480, 3508), 300);
    EXPECT_EQ(watermark::FontHeight(72, 600, 4, 100, 4961, 7016), 300);
    EXPECT_EQ(watermark::FontHeight(72, 600, 9, 100, 4961, 7016), 198);
    EXPECT_EQ(watermark::FontHeight(72, 600, 16, 100, 4961, 7016), 150);
    // 2-up: (7016 / 2) / 4961 = 0.7071...; 6-up: (4961 / 2) / 7016 = 0.3534...
    EXPECT_EQ(watermark::FontHeight(72, 600, 2, 100, 4961, 7016), 424);
    EXPECT_EQ(watermark::FontHeight(72, 600, 6, 100, 4961, 7016), 212);
    // Another scaling factor replaces the N-up scale.
    EXPECT_EQ(watermark::FontHeight(72, 600, 4, 50, 4961, 7016), 300);
    EXPECT_EQ(watermark::FontHeight(72, 600, 1, 200, 4961, 7016), 1200);
    // Windows rounding of MulDiv: 11 x 60000 / 7200 = 91.67 rounds to 92.
    EXPECT_EQ(MulDiv(11, 60000, 7200), 92);
    EXPECT_EQ(watermark::FontHeight(11, 600, 1, 100, 4961, 7016), 92);
}

TEST(WatermarkTest, ColourLightenedByShade) {
    struct Case {
        COLORREF colour;
        WORD shade;
        DWORD pdl;
        COLORREF drawn;
    };
    const Case cases[] = {
        {0x000000FF, 0, 45, 0x000F0FFF},    // red at full strength
        {0x000000FF, 255, 45, 0x00FFFFFF},  // fully lightened
        {0x00808080, 232, 45, 0x00FFFFFF},  // a grey counts as black, and shade 232 is white
        {0x00808080, 100, 45, 0x006F6F6F},  // grey level 100 (0x64) ORed with 0x0F0F0F
        {0x00000000, 0, 45, 0x000F0F0F},
        // Green at shade 100: red and blue become 255 - 255 x 155 / 255 = 100 (0x64).
        {0x0000FF00, 100, 45, 0x006FFF6F},
        // 255 - (255 - 0x80) x 155 / 255 = 178 (0xB2) in the green channel.
        {0x00FF80FF, 100, 45, 0x00FFBFFF},
        // The colour printer languages take the colour as it is.
        {0x000000FF, 200, 41, 0x000000FF},
        {0x00123456, 0, 51, 0x00123456},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colour);
        EXPECT_EQ(watermark::Colour(c.colour, c.shade, c.pdl), c.drawn);
    }
}

TEST(WatermarkTest, AngleAndCentredOrigin) {
    const RECT page{0, 0, 4000, 3000};
    EXPECT_EQ(watermark::Angle(2, 45, false, page), 0);
    EXPECT_EQ(watermark::Angle(0, 45, true, page), 45);
    EXPECT_EQ(watermark::Angle(1, 45, false, page), 45);
    // A turned page in diagonal mode: atan(3000 / 4000) = 36.87 degrees.
    EXPECT_EQ(watermark::Angle(1, 45, true, page), 36);

    // Level text of 1000 x 200 is centred: (2000 - 500, 1500 - 100).
    POINT origin = watermark::CentredOrigin(page, SIZE{1000, 200}, 0);
    EXPECT_EQ(origin.x, 1500);
    EXPECT_EQ(origin.y, 1400);
    // At 90 degrees the text runs upward. With pi taken as 3.1415926 the sine falls just short of
    // 1, so the truncated products are 99 and 499: x = 2000 - 0 - 99, y = 1500 + 499 - 0.
    origin = watermark::CentredOrigin(page, SIZE{1000, 200}, 90);
    EXPECT_EQ(origin.x, 1901);
    EXPECT_EQ(origin.y, 1999);
    // At 45 degrees: 500 x 0.7071 = 353, 100 x 0.7071 = 70.
    origin = watermark::CentredOrigin(page, SIZE{1000, 200}, 45);
    EXPECT_EQ(origin.x, 2000 - 353 - 70);
    EXPECT_EQ(origin.y, 1500 + 353 - 70);
}

TEST(DateStampTest, SixPositionsLevelAndVertical) {
    const RECT side{100, 200, 4100, 6200};
    const SIZE extent{800, 60};
    struct Case {
        BYTE position;
        POINT level, vertical;
    };
    const Case cases[] = {
        {0, {100, 200}, {100, 6200}},
        {1, {1700, 200}, {100, 3600}},
        {2, {3300, 200}, {100, 1000}},
        {3, {100, 6140}, {4040, 6200}},
        {4, {1700, 6140}, {4040, 3600}},
        {5, {3300, 6140}, {4040, 1000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.position));
        POINT origin{};
        ASSERT_TRUE(datestamp::Origin(side, extent, c.position, false, &origin));
        EXPECT_EQ(origin.x, c.level.x);
        EXPECT_EQ(origin.y, c.level.y);
        ASSERT_TRUE(datestamp::Origin(side, extent, c.position, true, &origin));
        EXPECT_EQ(origin.x, c.vertical.x);
        EXPECT_EQ(origin.y, c.vertical.y);
    }
    POINT origin{};
    EXPECT_FALSE(datestamp::Origin(side, extent, 6, false, &origin));
    EXPECT_FALSE(datestamp::Origin(side, extent, 6, true, &origin));
}

}  // namespace
}  // namespace pptest
