// MatchTrayPaperSize: the size table's rows by language, input kind and orientation.
#include <gtest/gtest.h>

#include "tray_paper_size.h"

namespace {

constexpr LONG kFixedTray = 4, kRemovableTray = 3, kManualFeed = 5, kNotThere = 0;

TEST(MatchTrayPaperSize, FollowsTheSizeTable) {
    struct Case {
        const char* what;
        LONG feed, cross;
        WORD language;
        LONG inputType;
        LONG index;
    } cases[] = {
        {"A4 in tray 1, Japanese", 297000, 210000, 1041, kFixedTray, 3},
        {"A4 in tray 1, English", 297000, 210000, 1033, kFixedTray, 3},
        {"A4 in tray 1, Chinese: no rules", 297000, 210000, 2052, kFixedTray, -1},
        {"A5 turned in the manual feed, English (0x1000 set)", 148500, 210000, 1033, kManualFeed, 0},
        {"A5 turned in the manual feed, Japanese (0x100 set)", 148500, 210000, 1041, kManualFeed, 0},
        {"A5 turned in a tray, English (0x2000 clear)", 148500, 210000, 1033, kRemovableTray, -1},
        {"A5 turned in a tray, Japanese (0x200 set)", 148500, 210000, 1041, kRemovableTray, 0},
        {"Statement turned in tray 2, English (0x2000 clear)", 139700, 215900, 1033, kRemovableTray, -1},
        {"Statement turned in the manual feed, English (0x1000 set)", 139700, 215900, 1033, kManualFeed, 1},
        {"Statement in a tray, English (0x20 set)", 215900, 139700, 1033, kRemovableTray, 1},
        {"Statement in a tray, Japanese (0x2 clear)", 215900, 139700, 1041, kRemovableTray, -1},
        {"Statement in the manual feed, Japanese (0x1 set)", 215900, 139700, 1041, kManualFeed, 1},
        {"B5 turned in a tray, Japanese", 182000, 257000, 1041, kRemovableTray, 2},
        {"B5 turned in a tray, English (0x2000 clear)", 182000, 257000, 1033, kRemovableTray, -1},
        {"Letter in tray 2", 279400, 215900, 1033, kRemovableTray, 4},
        {"Legal in the manual feed, English (0x10 set)", 355600, 215900, 1033, kManualFeed, 5},
        {"Legal turned in a tray, English (0x2000 clear)", 215900, 355600, 1033, kRemovableTray, -1},
        {"A3 in a tray", 420000, 297000, 1041, kFixedTray, 7},
        {"Ledger in a tray", 431800, 279400, 1033, kFixedTray, 8},
        {"a listed size in an input that is not there", 297000, 210000, 1041, kNotThere, -1},
        {"unknown feed in the manual feed", -2, 210000, 1041, kManualFeed, 9},
        {"unknown cross-feed in tray 1", 297000, -2, 1041, kFixedTray, 3},
        {"unknown size in an input that is not there", -2, -2, 1033, kNotThere, 3},
        {"custom size in the manual feed, Chinese", 148500, 210000, 2052, kManualFeed, 9},
        {"custom size in a tray, Chinese", 148500, 210000, 2052, kRemovableTray, -1},
        {"custom range, smallest", 89000, 98000, 1033, kManualFeed, 9},
        {"custom range, largest", 297000, 432000, 1033, kManualFeed, 9},
        {"below the custom range", 88999, 98000, 1033, kManualFeed, -1},
        {"above the custom range", 297000, 432001, 1033, kManualFeed, -1},
        {"nothing answered", 0, 0, 1041, kManualFeed, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MatchTrayPaperSize(c.feed, c.cross, c.language, c.inputType), c.index);
    }
}

}  // namespace
