// The graphics engine's own drawing calls and their log.
#include <gtest/gtest.h>

#include <palvex/eng_calls.h>
#include <win/winddi.h>

namespace {

TEST(EngCalls, TextAndBlitsAreLoggedWithWhatTheyWereGiven) {
    palvex::TakeEngCalls();
    SURFOBJ target{};
    SURFOBJ source{};
    WCHAR text[] = u"Hi there";
    STROBJ string{2, 0, 0, {}, nullptr, text};
    BRUSHOBJ fore{0x0000FF, nullptr, BR_ORIGCOLOR};
    RECTL opaque{1, 2, 3, 4};
    POINTL origin{5, 6};
    EXPECT_TRUE(EngTextOut(&target, &string, nullptr, nullptr, nullptr, &opaque, &fore, nullptr, &origin, 0x0D0D));

    COLORADJUSTMENT adjustment{};
    adjustment.caSize = sizeof adjustment;
    adjustment.caRedGamma = 12345;
    RECTL to{0, 0, 100, 50};
    RECTL from{0, 0, 10, 5};
    POINTFIX corners[3] = {{0, 0}, {16, 0}, {0, 16}};
    BRUSHOBJ brush{0x00FF00, nullptr, 0};
    EXPECT_TRUE(EngStretchBlt(&target, &source, nullptr, nullptr, nullptr, &adjustment, nullptr, &to, &from, nullptr, HALFTONE));
    EXPECT_TRUE(EngPlgBlt(&target, &source, nullptr, nullptr, nullptr, nullptr, nullptr, corners, &from, nullptr, COLORONCOLOR));
    palvex::SetEngCallAnswer(FALSE);
    EXPECT_FALSE(EngStretchBltROP(&target, &source, nullptr, nullptr, nullptr, nullptr, nullptr, &to, &from, nullptr, HALFTONE,
                                  &brush, 0xCCCC));
    palvex::SetEngCallAnswer(TRUE);
    EXPECT_FALSE(EngTextOut(nullptr, &string, nullptr, nullptr, nullptr, nullptr, &fore, nullptr, &origin, 0));

    const auto calls = palvex::TakeEngCalls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].function, "EngTextOut");
    EXPECT_EQ(calls[0].target, &target);
    EXPECT_EQ(calls[0].text, u"Hi");
    EXPECT_EQ(calls[0].foreColor, 0x0000FFu);
    EXPECT_EQ(calls[0].foreColorType, static_cast<FLONG>(BR_ORIGCOLOR));
    EXPECT_EQ(calls[0].opaqueColor, palvex::kNoBrush);
    ASSERT_TRUE(calls[0].opaque);
    EXPECT_EQ(calls[0].opaque->right, 3);
    EXPECT_FALSE(calls[0].extra);
    EXPECT_EQ(calls[0].origin.y, 6);
    EXPECT_EQ(calls[1].function, "EngStretchBlt");
    EXPECT_EQ(calls[1].source, &source);
    ASSERT_TRUE(calls[1].colorAdjustment);
    EXPECT_EQ(calls[1].colorAdjustment->caRedGamma, 12345);
    EXPECT_EQ(calls[1].mode, static_cast<ULONG>(HALFTONE));
    EXPECT_EQ(calls[1].targetRect->right, 100);
    EXPECT_EQ(calls[2].function, "EngPlgBlt");
    ASSERT_EQ(calls[2].corners.size(), 3u);
    EXPECT_EQ(calls[2].corners[1].x, 16);
    EXPECT_FALSE(calls[2].colorAdjustment);
    EXPECT_EQ(calls[3].function, "EngStretchBltROP");
    EXPECT_EQ(calls[3].brushColor, 0x00FF00u);
    EXPECT_EQ(calls[3].rop, 0xCCCCu);
    EXPECT_EQ(calls[4].target, nullptr);
    EXPECT_TRUE(palvex::TakeEngCalls().empty());
}

}  // namespace
