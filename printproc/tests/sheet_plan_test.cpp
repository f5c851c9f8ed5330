// The sheet planner: the side list and order array of reverse, duplex and manual-duplex jobs, and
// the four-entries-a-sheet order of booklets, each worked out by hand for a few page counts.
#include <gtest/gtest.h>

#include <vector>

#include "sheet_plan.h"

namespace pptest {
namespace {

struct SidesCase {
    const char* name;
    SheetPlanRequest request;
    std::vector<DWORD> sides;
    std::vector<DWORD> order;  // empty: no order array (fewer than two sides)
};

TEST(SheetPlanTest, PlansTheSidesOfReverseAndManualDuplexJobs) {
    const SidesCase cases[] = {
        // Reverse simplex keeps the backward list; the order array is only padding.
        {"reverse simplex 5", {.pageCount = 5, .reverse = true}, {5, 4, 3, 2, 1}, {0, 0, 0, 0, 0, 0}},
        {"reverse simplex 4-up of 10", {.pageCount = 10, .nupPages = 4, .reverse = true}, {9, 5, 1}, {0, 0, 0, 0}},
        // Reverse duplex: the sheets back to front, each sheet front before back.
        {"reverse duplex 6", {.pageCount = 6, .reverse = true, .duplex = true}, {5, 6, 3, 4, 1, 2}, {0, 0, 0, 0, 0, 0}},
        {"reverse duplex 5", {.pageCount = 5, .reverse = true, .duplex = true}, {5, 3, 4, 1, 2}, {0, 0, 0, 0, 0, 0}},
        {"reverse duplex 2", {.pageCount = 2, .reverse = true, .duplex = true}, {1, 2}, {0, 0}},
        {"reverse duplex 2-up of 8", {.pageCount = 8, .nupPages = 2, .reverse = true, .duplex = true},
         {5, 7, 1, 3}, {0, 0, 0, 0}},
        {"reverse duplex 4-up of 10", {.pageCount = 10, .nupPages = 4, .reverse = true, .duplex = true},
         {9, 1, 5}, {0, 0, 0, 0}},
        // Manual duplex: the even positions of the list first, a blank closing an odd first pass.
        {"manual forward 5", {.pageCount = 5, .manualDuplex = true}, {2, 4, 1, 3, 5}, {2, 4, 0, 1, 3, 5}},
        {"manual forward 6", {.pageCount = 6, .manualDuplex = true}, {2, 4, 6, 1, 3, 5}, {2, 4, 6, 1, 3, 5}},
        {"manual forward 3", {.pageCount = 3, .manualDuplex = true}, {2, 1, 3}, {2, 0, 1, 3}},
        {"manual forward 2", {.pageCount = 2, .manualDuplex = true}, {2, 1}, {2, 1}},
        {"manual reverse 5", {.pageCount = 5, .reverse = true, .manualDuplex = true}, {4, 2, 5, 3, 1},
         {4, 2, 0, 5, 3, 1}},
        {"manual reverse 6", {.pageCount = 6, .reverse = true, .manualDuplex = true}, {5, 3, 1, 6, 4, 2},
         {5, 3, 1, 6, 4, 2}},
        {"manual forward 2-up of 5", {.pageCount = 5, .nupPages = 2, .manualDuplex = true}, {3, 1, 5}, {3, 0, 1, 5}},
        // One side or none: no order array.
        {"reverse 1", {.pageCount = 1, .reverse = true, .duplex = true}, {1}, {}},
        {"manual 4-up of 4", {.pageCount = 4, .nupPages = 4, .manualDuplex = true}, {1}, {}},
        {"empty", {.pageCount = 0, .reverse = true}, {}, {}},
        // N-up 0 counts as 1-up.
        {"reverse 0-up", {.pageCount = 3, .nupPages = 0, .reverse = true}, {3, 2, 1}, {0, 0, 0, 0}},
    };
    for (const SidesCase& test : cases) {
        SCOPED_TRACE(test.name);
        SheetPlan plan;
        plan.sides = {99};
        ASSERT_EQ(PlanSheetOrder(test.request, &plan), S_OK);
        EXPECT_EQ(plan.sides, test.sides);
        EXPECT_EQ(plan.order, test.order);
        EXPECT_EQ(plan.paddedCount, test.order.size());
    }
}

struct BookletCase {
    const char* name;
    SheetPlanRequest request;
    std::vector<DWORD> order;
};

constexpr SheetPlanRequest Booklet(DWORD pages, BYTE kind, BYTE pageOrder, bool shortEdge = false,
                                   bool manualDuplex = false) {
    SheetPlanRequest request;
    request.pageCount = pages;
    request.booklet = true;
    request.bookletKind = kind;
    request.pageOrder = pageOrder;
    request.shortEdge = shortEdge;
    request.manualDuplex = manualDuplex;
    return request;
}

TEST(SheetPlanTest, PlansBookletSheets) {
    const BookletCase cases[] = {
        // Front-left, front-right, back-left, back-right of each sheet, outer sheet first.
        {"8 order 0 kind 1", Booklet(8, 1, 0), {8, 1, 7, 2, 6, 3, 5, 4}},
        {"8 order 0 kind 2", Booklet(8, 2, 0), {1, 8, 2, 7, 3, 6, 4, 5}},
        {"8 order 1 kind 1", Booklet(8, 1, 1), {2, 7, 1, 8, 4, 5, 3, 6}},
        {"8 order 1 kind 2", Booklet(8, 2, 1), {7, 2, 8, 1, 5, 4, 6, 3}},
        {"8 order 0 kind 1 short edge", Booklet(8, 1, 0, true), {8, 1, 2, 7, 6, 3, 4, 5}},
        {"8 order 1 kind 2 short edge", Booklet(8, 2, 1, true), {7, 2, 1, 8, 5, 4, 3, 6}},
        {"5 pads to 8", Booklet(5, 1, 0), {8, 1, 7, 2, 6, 3, 5, 4}},
        {"1 pads to 4", Booklet(1, 1, 0), {4, 1, 3, 2}},
        {"4 order 0 kind 2", Booklet(4, 2, 0), {1, 4, 2, 3}},
        {"12 order 0 kind 1", Booklet(12, 1, 0), {12, 1, 11, 2, 10, 3, 9, 4, 8, 5, 7, 6}},
        {"none", Booklet(0, 1, 0), {}},
        // Manual duplex: every front, then every back, two entries a side; page order 0 takes the
        // sides in reverse.
        {"manual 8 kind 1 order 0", Booklet(8, 1, 0, false, true), {2, 7, 4, 5, 8, 1, 6, 3}},
        {"manual 8 kind 1 order 1", Booklet(8, 1, 1, false, true), {6, 3, 8, 1, 4, 5, 2, 7}},
        {"manual 8 kind 2 order 1", Booklet(8, 2, 1, false, true), {3, 6, 1, 8, 5, 4, 7, 2}},
        {"manual 8 kind 2 order 0", Booklet(8, 2, 0, false, true), {7, 2, 5, 4, 1, 8, 3, 6}},
        {"manual 5 kind 1 order 1", Booklet(5, 1, 1, false, true), {6, 3, 8, 1, 4, 5, 2, 7}},
        {"manual 12 kind 1 order 1", Booklet(12, 1, 1, false, true), {8, 5, 10, 3, 12, 1, 6, 7, 4, 9, 2, 11}},
        {"manual 4 kind 1 order 1", Booklet(4, 1, 1, false, true), {4, 1, 2, 3}},
        {"manual 4 kind 1 order 0", Booklet(4, 1, 0, false, true), {2, 3, 4, 1}},
        {"manual 3 kind 2 order 1", Booklet(3, 2, 1, false, true), {1, 4, 3, 2}},
        // The short edge does not move a manual-duplex booklet's entries.
        {"manual 8 short edge", Booklet(8, 1, 1, true, true), {6, 3, 8, 1, 4, 5, 2, 7}},
    };
    for (const BookletCase& test : cases) {
        SCOPED_TRACE(test.name);
        SheetPlan direct, routed;
        ASSERT_EQ(PlanBookletOrder(test.request, &direct), S_OK);
        EXPECT_EQ(direct.order, test.order);
        EXPECT_EQ(direct.sides, test.order);
        EXPECT_EQ(direct.paddedCount, test.order.size());
        // The sheet planner hands booklets over whatever the other fields say.
        SheetPlanRequest asked = test.request;
        asked.reverse = true;
        asked.nupPages = 4;
        ASSERT_EQ(PlanSheetOrder(asked, &routed), S_OK);
        EXPECT_EQ(routed.order, test.order);
    }
}

TEST(SheetPlanTest, RefusesUnknownBookletKinds) {
    for (BYTE kind : {0, 3, 255}) {
        SCOPED_TRACE(kind);
        SheetPlan plan;
        plan.sides = {1, 2};
        plan.paddedCount = 2;
        EXPECT_EQ(PlanBookletOrder(Booklet(8, kind, 0), &plan), E_FAIL);
        EXPECT_TRUE(plan.sides.empty());
        EXPECT_TRUE(plan.order.empty());
        EXPECT_EQ(plan.paddedCount, 0u);
        EXPECT_EQ(PlanSheetOrder(Booklet(8, kind, 0), &plan), E_FAIL);
    }
}

}  // namespace
}  // namespace pptest
