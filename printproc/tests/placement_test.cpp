// Where logical pages land on the sheet: N-up cells in every order, binding margins, shifting,
// the scaling factor and the N-up frame insets, on recording printer DCs of known geometry.
#include <gtest/gtest.h>

#include <cstring>

#include <palvex/machine.h>
#include <palvex/spool_writer.h>

#include "print_single_page_emf.h"
#include "settings_fixture.h"

namespace pptest {
namespace {

// The placement of a strategy without its page loop.
class Placement final : public PrintSinglePageEMF {
public:
    HRESULT PrintDocument(const EmfPass&) override { return S_OK; }
    EmfJobValues& job() { return m_job; }
    void Use(HDC dc) { m_dc = dc; }
    void Duplex(WORD duplex, bool secondSide) {
        m_duplex = duplex;
        m_secondSide = secondSide;
    }
    HRESULT Place(DWORD position, RECT* document, RECT* border, RECT* clip, bool* turn) {
        return GetPageCoordinates(document, border, clip, position, turn);
    }
    RECT bindingAdjust() const { return m_bindingAdjust; }
    void NewDocument() { m_previousPhysical = SIZE{}; }
};

std::string Text(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// A4 at 600 dpi: 4961 x 7016 physical, offsets 100, printable 4761 x 6816. Letter at 600 dpi:
// 5100 x 6600, printable 4900 x 6400. A4 at 300 dpi: 2480 x 3508, printable 2380 x 3408.
class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override { InstallSettingsPrinter(m_machine); }
    void TearDown() override {
        if (m_dc) DeleteDC(m_dc);
    }
    void Sheet(short paper, bool landscape, short dpi, short dpiY = 0) {
        std::vector<BYTE> bytes = palvex::MakeDevMode(paper, landscape);
        auto* devmode = reinterpret_cast<DEVMODEW*>(bytes.data());
        devmode->dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
        devmode->dmPrintQuality = dpi;
        devmode->dmYResolution = dpiY ? dpiY : dpi;
        if (m_dc) DeleteDC(m_dc);
        m_dc = CreateDCW(nullptr, kPrinter, nullptr, devmode);
        ASSERT_NE(m_dc, nullptr);
        m_placement.Use(m_dc);
        m_placement.job().pdlType = 50;
    }
    RECT Document(DWORD position, bool* turn = nullptr) {
        RECT document{}, border{}, clip{};
        bool turned = false;
        EXPECT_EQ(m_placement.Place(position, &document, &border, &clip, &turned), S_OK);
        if (turn) *turn = turned;
        return document;
    }

    palvex::TestMachine m_machine;
    HDC m_dc = nullptr;
    Placement m_placement;
};

struct OneUpCase {
    const char* name;
    short paper;
    short dpi, dpiY;
    BYTE bindingDirect;  // 0 left, 1 top, 255 automatic; binding off with margin 0
    DWORD margin;
    BYTE shift;
    WORD duplex;
    WORD factor;
    RECT document;
    RECT clip;
    RECT adjust;
};

// Unscaled 1-up pages are played without a clip.
TEST_F(PlacementTest, OneUpPlacementTable) {
    constexpr RECT kNone{-1, -1, -1, -1};
    const OneUpCase cases[] = {
        {"plain A4", DMPAPER_A4, 600, 600, 0, 0, 0, DMDUP_SIMPLEX, 100, {0, 0, 4761, 6816}, kNone,
         {0, 0, 4760, 6815}},
        // 10 mm at 600 dpi is 236 units; at 300 dpi 118.
        {"left 600", DMPAPER_A4, 600, 600, 0, 1000, 0, DMDUP_SIMPLEX, 100, {236, 0, 4997, 6816}, kNone,
         {236, 0, 4996, 6815}},
        {"top 600", DMPAPER_A4, 600, 600, 1, 1000, 0, DMDUP_SIMPLEX, 100, {0, 236, 4761, 7052}, kNone,
         {0, 236, 4760, 7051}},
        {"left 300", DMPAPER_A4, 300, 300, 0, 1000, 0, DMDUP_SIMPLEX, 100, {118, 0, 2498, 3408}, kNone,
         {118, 0, 2497, 3407}},
        // The front of a duplex sheet binds on the other edge: the margin is reversed.
        {"right duplex front", DMPAPER_A4, 600, 600, 0, 1000, 0, DMDUP_VERTICAL, 100, {-236, 0, 4525, 6816},
         kNone, {-236, 0, 4524, 6815}},
        // Automatic: a portrait A4 sheet's longer side is 7016, which flips the edge to the top;
        // portrait Letter (6600) keeps it on the left.
        {"auto A4", DMPAPER_A4, 600, 600, 255, 1000, 0, DMDUP_SIMPLEX, 100, {0, 236, 4761, 7052}, kNone,
         {0, 236, 4760, 7051}},
        {"auto Letter", DMPAPER_LETTER, 600, 600, 255, 1000, 0, DMDUP_SIMPLEX, 100, {236, 0, 5136, 6400},
         kNone, {236, 0, 5135, 6399}},
        // Shifting shrinks the page: the width loses 236, the height 6815 x 4524 / 4760 = 6477,
        // and half of the 338 lost becomes a centring offset of 169.
        {"shift left", DMPAPER_A4, 600, 600, 0, 1000, 1, DMDUP_SIMPLEX, 100, {236, 169, 4761, 6647}, kNone,
         {236, 169, 4760, 6646}},
        // A factor of 50 halves the right and bottom edges, clipped to the unscaled page, which
        // moves with the margin.
        {"factor 50", DMPAPER_A4, 600, 600, 0, 0, 0, DMDUP_SIMPLEX, 50, {0, 0, 2380, 3408}, {0, 0, 4761, 6816},
         {0, 0, 4760, 6815}},
        {"factor 50 left", DMPAPER_A4, 600, 600, 0, 1000, 0, DMDUP_SIMPLEX, 50, {236, 0, 2616, 3408},
         {236, 0, 4997, 6816}, {236, 0, 4996, 6815}},
        // 1-up pages keep device units whatever the resolution: at 600 x 300 dpi A4 is 4961 x 3508
        // with offsets 100 and 50, printable 4761 x 3408; the margin goes by the horizontal 600 dpi.
        {"left 600x300", DMPAPER_A4, 600, 300, 0, 1000, 0, DMDUP_SIMPLEX, 100, {236, 0, 4997, 3408},
         kNone, {236, 0, 4996, 3407}},
        // Shifting: 4760 loses 236, 3407 x 4524 / 4760 = 3238, centred by (3407 - 3238) / 2 = 84.
        {"shift left 600x300", DMPAPER_A4, 600, 300, 0, 1000, 1, DMDUP_SIMPLEX, 100, {236, 84, 4761, 3323},
         kNone, {236, 84, 4760, 3322}},
    };
    for (const OneUpCase& c : cases) {
        SCOPED_TRACE(c.name);
        Sheet(c.paper, false, c.dpi, c.dpiY);
        m_placement.NewDocument();
        EmfJobValues& job = m_placement.job();
        job.nupPages = 1;
        job.bindingOn = c.margin ? 1 : 0;
        job.bindingDirect = c.bindingDirect;
        job.bindingMargin = c.margin;
        job.bindingShift = c.shift;
        job.scalingFactor = c.factor;
        m_placement.Duplex(c.duplex, false);
        RECT document{}, border{}, clip{};
        bool turn = true;
        ASSERT_EQ(m_placement.Place(1, &document, &border, &clip, &turn), S_OK);
        EXPECT_EQ(Text(document), Text(c.document));
        EXPECT_EQ(Text(clip), Text(c.clip));
        EXPECT_EQ(Text(m_placement.bindingAdjust()), Text(c.adjust));
        EXPECT_FALSE(turn);
    }
}

struct NupCase {
    DWORD pages;
    BYTE order;
    bool landscape;
    int columns, rows;
    bool turned;
    std::vector<std::pair<int, int>> cells;  // column and row of positions 1, 2, ...
};

// Each page lies whole inside the cell its order gives it, centred, keeping its aspect.
TEST_F(PlacementTest, NupCellsInEveryOrder) {
    const NupCase cases[] = {
        {2, 1, false, 1, 2, true, {{0, 1}, {0, 0}}},
        {2, 2, false, 1, 2, true, {{0, 1}, {0, 0}}},
        {2, 3, false, 1, 2, true, {{0, 0}, {0, 1}}},
        {2, 4, false, 1, 2, true, {{0, 0}, {0, 1}}},
        {2, 1, true, 2, 1, true, {{0, 0}, {1, 0}}},
        {2, 3, true, 2, 1, true, {{0, 0}, {1, 0}}},
        {4, 1, false, 2, 2, false, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {4, 2, false, 2, 2, false, {{0, 0}, {0, 1}, {1, 0}, {1, 1}}},
        {4, 3, false, 2, 2, false, {{1, 0}, {0, 0}, {1, 1}, {0, 1}}},
        {4, 4, false, 2, 2, false, {{1, 0}, {1, 1}, {0, 0}, {0, 1}}},
        {4, 1, true, 2, 2, false, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {4, 4, true, 2, 2, false, {{1, 0}, {1, 1}, {0, 0}, {0, 1}}},
        {6, 1, false, 2, 3, true, {{0, 2}, {0, 1}, {0, 0}, {1, 2}, {1, 1}, {1, 0}}},
        {6, 2, false, 2, 3, true, {{0, 2}, {1, 2}, {0, 1}, {1, 1}, {0, 0}, {1, 0}}},
        {6, 3, false, 2, 3, true, {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}}},
        {6, 4, false, 2, 3, true, {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}}},
        {6, 1, true, 3, 2, true, {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}, {2, 0}}},
        {6, 4, true, 3, 2, true, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}},
        {9, 1, false, 3, 3, false, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}},
        {9, 2, false, 3, 3, false, {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}}},
        {9, 4, true, 3, 3, false, {{2, 0}, {2, 1}, {2, 2}, {1, 0}, {1, 1}, {1, 2}, {0, 0}, {0, 1}, {0, 2}}},
        {16, 1, false, 4, 4, false, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}}},
        {16, 3, false, 4, 4, false, {{3, 0}, {2, 0}, {1, 0}, {0, 0}, {3, 1}, {2, 1}}},
        {16, 2, true, 4, 4, false, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}}},
    };
    for (const NupCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.pages) + "-up order " + std::to_string(c.order) +
                     (c.landscape ? " landscape" : " portrait"));
        Sheet(DMPAPER_A4, c.landscape, 600);
        EmfJobValues& job = m_placement.job();
        job.nupPages = static_cast<BYTE>(c.pages);
        job.nupOrder = c.order;
        job.nupBorder = 0;
        const LONG width = c.landscape ? 6816 : 4761, height = c.landscape ? 4761 : 6816;
        for (size_t i = 0; i < c.cells.size(); ++i) {
            SCOPED_TRACE("position " + std::to_string(i + 1));
            bool turn = false;
            const RECT d = Document(static_cast<DWORD>(i + 1), &turn);
            EXPECT_EQ(turn, c.turned);
            const LONG cellLeft = width * c.cells[i].first / c.columns, cellRight = width * (c.cells[i].first + 1) / c.columns;
            const LONG cellTop = height * c.cells[i].second / c.rows,
                       cellBottom = height * (c.cells[i].second + 1) / c.rows;
            EXPECT_GE(d.left, cellLeft);
            EXPECT_LE(d.right, cellRight);
            EXPECT_GE(d.top, cellTop);
            EXPECT_LE(d.bottom, cellBottom);
            // Centred within a unit or two.
            EXPECT_NEAR(d.left - cellLeft, cellRight - d.right, 2);
            EXPECT_NEAR(d.top - cellTop, cellBottom - d.bottom, 2);
            // The printable part of a page keeps the sheet's aspect (turned pages the other way).
            const double aspect = static_cast<double>(d.right - d.left) / (d.bottom - d.top);
            EXPECT_NEAR(turn ? 1 / aspect : aspect, c.landscape ? 6816.0 / 4761 : 4761.0 / 6816, 0.01);
        }
    }
}

// At 300 x 400 dpi a 100 mm square sheet is 1181 x 1575 device units with offsets of 50 and 67:
// its printable area, 1081 x 1441, is a little wider than tall in square units while the paper is
// a little taller. The 4-, 9- and 16-up cells then differ in shape from the pages, which turn, and
// the grid is walked in the turned order (up the first column from the bottom, then the next).
// Every cell of the grid turns alike, however its edges round: no two pages share a cell.
TEST_F(PlacementTest, PagesOfAnotherShapeThanTheirCellsTurnTheGrid) {
    struct TurnedCase {
        DWORD pages;
        int side;
        std::vector<std::pair<int, int>> cells;  // column and row of positions 1, 2, ...
    };
    const TurnedCase cases[] = {
        {4, 2, {{0, 1}, {0, 0}, {1, 1}, {1, 0}}},
        {9, 3, {{0, 2}, {0, 1}, {0, 0}, {1, 2}, {1, 1}, {1, 0}, {2, 2}, {2, 1}, {2, 0}}},
        {16, 4, {{0, 3}, {0, 2}, {0, 1}, {0, 0}, {1, 3}, {1, 2}, {1, 1}, {1, 0}, {2, 3}, {2, 2}, {2, 1}, {2, 0},
                 {3, 3}, {3, 2}, {3, 1}, {3, 0}}},
    };
    std::vector<BYTE> bytes = palvex::MakeDevMode(DMPAPER_A4, false);
    auto* devmode = reinterpret_cast<DEVMODEW*>(bytes.data());
    devmode->dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION | DM_PAPERWIDTH | DM_PAPERLENGTH;
    devmode->dmPrintQuality = 300;
    devmode->dmYResolution = 400;
    devmode->dmPaperWidth = devmode->dmPaperLength = 1000;
    m_dc = CreateDCW(nullptr, kPrinter, nullptr, devmode);
    ASSERT_NE(m_dc, nullptr);
    const LONG width = GetDeviceCaps(m_dc, DESKTOPHORZRES), height = GetDeviceCaps(m_dc, DESKTOPVERTRES);
    ASSERT_EQ(width, 1081);
    ASSERT_EQ(height, 1441);
    m_placement.Use(m_dc);
    EmfJobValues& job = m_placement.job();
    job.pdlType = 50;
    job.nupOrder = 1;
    job.nupBorder = 0;
    for (const TurnedCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.pages) + "-up");
        job.nupPages = static_cast<BYTE>(c.pages);
        for (size_t i = 0; i < c.cells.size(); ++i) {
            SCOPED_TRACE("position " + std::to_string(i + 1));
            bool turn = false;
            const RECT d = Document(static_cast<DWORD>(i + 1), &turn);
            EXPECT_TRUE(turn);
            // The cell in device units, within a unit of rounding.
            const LONG cellLeft = width * c.cells[i].first / c.side, cellRight = width * (c.cells[i].first + 1) / c.side;
            const LONG cellTop = height * c.cells[i].second / c.side, cellBottom = height * (c.cells[i].second + 1) / c.side;
            EXPECT_GE(d.left, cellLeft - 1);
            EXPECT_LE(d.right, cellRight + 1);
            EXPECT_GE(d.top, cellTop - 1);
            EXPECT_LE(d.bottom, cellBottom + 1);
            EXPECT_NEAR(d.left - cellLeft, cellRight - d.right, 3);
            EXPECT_NEAR(d.top - cellTop, cellBottom - d.bottom, 3);
        }
    }

    // A sheet of 2001 x 2000 units (at 254 dpi a unit is a tenth of a millimetre): its 4-up cells
    // round to 958 or 959 units a side, some square, some not. The pages still go to four cells.
    devmode->dmPrintQuality = devmode->dmYResolution = 254;
    devmode->dmPaperWidth = 2001;
    devmode->dmPaperLength = 2000;
    DeleteDC(m_dc);
    m_dc = CreateDCW(nullptr, kPrinter, nullptr, devmode);
    ASSERT_NE(m_dc, nullptr);
    m_placement.Use(m_dc);
    job.nupPages = 4;
    std::vector<RECT> placed;
    for (DWORD position = 1; position <= 4; ++position) placed.push_back(Document(position));
    for (size_t a = 0; a < placed.size(); ++a)
        for (size_t b = a + 1; b < placed.size(); ++b) {
            const bool apart = placed[a].right <= placed[b].left || placed[b].right <= placed[a].left ||
                               placed[a].bottom <= placed[b].top || placed[b].bottom <= placed[a].top;
            EXPECT_TRUE(apart) << "positions " << a + 1 << " and " << b + 1 << ": " << Text(placed[a]) << " "
                               << Text(placed[b]);
        }
}

// 4-up on portrait A4 at 600 dpi, position 1 of order 1: the cell (0, 0, 2380, 3408); the page
// 4961 x 7016 fits as 2380 x 3365, centred 21 down, its printable part 47 in on every side.
TEST_F(PlacementTest, FourUpNumbersAndFrame) {
    Sheet(DMPAPER_A4, false, 600);
    EmfJobValues& job = m_placement.job();
    job.nupPages = 4;
    job.nupOrder = 1;
    job.nupBorder = 0;
    EXPECT_EQ(Text(Document(1)), "(47,68,2333,3339)");
    // With the frame: V = 9 x 600 x 100 / 7200 - 15 = 60, U = 30, r = 4961 / 7016: the frame is
    // the cell less 60 left and right and 42 top and bottom, the page 30 and 21 further in.
    job.nupBorder = 1;
    RECT document{}, border{}, clip{};
    bool turn = true;
    ASSERT_EQ(m_placement.Place(1, &document, &border, &clip, &turn), S_OK);
    EXPECT_EQ(Text(border), "(60,42,2320,3366)");
    EXPECT_EQ(Text(document), "(90,63,2290,3345)");
    EXPECT_FALSE(turn);
}

struct NonSquareCase {
    const char* name;
    DWORD margin;  // binding on the left edge when not 0
    BYTE shift;
    RECT document;
    RECT adjust;
};

// 4-up on portrait A4 at 600 x 300 dpi (4961 x 3508, offsets 100 and 50, printable 4761 x 3408):
// the page must keep its physical aspect, so the cell of position 1, 2380 x 1704 units, is 3.967 x
// 5.68 inches; the page 8.268 x 11.693 fits 3.967 wide and 5.610 (1683 rows) high, 10 rows down,
// and its printable part lies 1/6 inch x 0.48, about 48 columns and 24 rows, further in.
TEST_F(PlacementTest, NonSquareResolutionKeepsThePageAspect) {
    const NonSquareCase cases[] = {
        {"plain", 0, 0, {47, 34, 2332, 1669}, {0, 0, 4760, 3407}},
        // Shifting by 236 columns shrinks the area to 4524 x 3238 (3407 x 4524 / 4760), centred 84
        // rows down; the cell is 2262 x 1619 units (3.770 x 5.397 inches), the page 3.770 x 5.332
        // (1600 rows), 9 rows down, 45 columns and 22 rows in; then moved by 236 and 84.
        {"shift left", 1000, 1, {281, 116, 2452, 1670}, {236, 84, 4760, 3322}},
    };
    for (const NonSquareCase& c : cases) {
        SCOPED_TRACE(c.name);
        Sheet(DMPAPER_A4, false, 600, 300);
        m_placement.NewDocument();
        m_placement.Duplex(DMDUP_SIMPLEX, false);
        EmfJobValues& job = m_placement.job();
        job.nupPages = 4;
        job.nupOrder = 1;
        job.nupBorder = 0;
        job.bindingOn = c.margin ? 1 : 0;
        job.bindingDirect = 0;
        job.bindingMargin = c.margin;
        job.bindingShift = c.shift;
        bool turn = true;
        EXPECT_EQ(Text(Document(1, &turn)), Text(c.document));
        EXPECT_FALSE(turn);
        EXPECT_EQ(Text(m_placement.bindingAdjust()), Text(c.adjust));
    }
}

// A 2-up page moves by the binding margin on the edge opposite to a 1-up page's.
TEST_F(PlacementTest, TwoUpBindingUsesTheOtherEdge) {
    Sheet(DMPAPER_A4, false, 600);
    EmfJobValues& job = m_placement.job();
    job.nupPages = 2;
    job.nupOrder = 1;
    job.nupBorder = 0;
    const RECT plain = Document(1);
    job.bindingOn = 1;
    job.bindingDirect = 0;
    job.bindingMargin = 1000;
    const RECT bound = Document(1);
    EXPECT_EQ(bound.left, plain.left);
    EXPECT_EQ(bound.top, plain.top + 236);
    EXPECT_EQ(bound.bottom, plain.bottom + 236);
}

// A side on paper of another size is bound as the other side of a duplex sheet would be; the
// same paper turned is no change.
TEST_F(PlacementTest, FormSizeChangeSwapsTheBindingSide) {
    EmfJobValues& job = m_placement.job();
    job.nupPages = 1;
    job.bindingOn = 1;
    job.bindingDirect = 0;
    job.bindingMargin = 1000;
    m_placement.Duplex(DMDUP_VERTICAL, false);
    Sheet(DMPAPER_A4, false, 600);
    EXPECT_EQ(Document(1).left, -236);
    Sheet(DMPAPER_A4, true, 600);
    EXPECT_EQ(Document(1).left, -236);
    Sheet(DMPAPER_LETTER, false, 600);
    EXPECT_EQ(Document(1).left, 236);
    EXPECT_EQ(Document(1).left, -236);
}

TEST_F(PlacementTest, RejectsCountsWithoutAGrid) {
    Sheet(DMPAPER_A4, false, 600);
    m_placement.job().nupPages = 3;
    RECT document{}, border{}, clip{};
    bool turn = false;
    EXPECT_EQ(m_placement.Place(1, &document, &border, &clip, &turn), E_FAIL);
    m_placement.job().nupPages = 4;
    EXPECT_EQ(m_placement.Place(5, &document, &border, &clip, &turn), E_FAIL);
}

}  // namespace
}  // namespace pptest
