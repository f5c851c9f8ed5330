// The layout state the graphics functions keep: page settings from the job, N-up cells, the
// watermark switches, the manual-duplex sheet count and its last sheet.
#include <palvex/jobs.h>
#include <palvex/paths.h>
#include <palvex/spool_writer.h>
#include <render_host.h>

#include "block_builder.h"
#include "printer_data.h"
#include "render_fixture.h"
#include "font_cache.h"
#include "page_layout.h"
#include "tovqebxl.h"

namespace rendertest {
namespace {

class PageLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallRenderPrinter({.resourceLibrary = true, .settingsBlocks = true, .printer = {.duplexType = 2}});
    }
    std::unique_ptr<palvex::hosts::RenderHost> Start(const std::function<void(JobDevMode&)>& setUp, DWORD jobId = 1) {
        void* factory = nullptr;
        EXPECT_EQ(DllGetClassObject(CLSID_OEMRENDER, IID_IClassFactory, &factory), S_OK);
        palvex::hosts::RenderHostOptions options;
        options.printerName = kPrinter;
        auto host = std::make_unique<palvex::hosts::RenderHost>(static_cast<IClassFactory*>(factory), options);
        static_cast<IClassFactory*>(factory)->Release();
        EXPECT_TRUE(host->Load()) << host->error();
        JobDevMode job(host->DevMode());
        setUp(job);
        EXPECT_TRUE(host->StartDocument(u"Doc", jobId, job.get()));
        EXPECT_TRUE(host->StartPage());
        return host;
    }

    // A job of the printer in the spooler: an EMF spool file of that many pages, with or without a
    // DEVMODE of its own.
    DWORD AddSpooledJob(DWORD pages, bool withDevMode) {
        palvex::JobDesc job;
        job.printerName = kPrinter;
        job.documentName = u"Doc";
        if (withDevMode) job.devMode = palvex::MakeDevMode();
        job.spoolFile = u"C:\\Windows\\System32\\spool\\PRINTERS\\FP" + std::u16string(1, u'A' + m_jobs++) + u".SPL";
        palvex::WriteSpoolFile(palvex::HostPath(job.spoolFile), palvex::NumberedPages(pages));
        return palvex::AddJob(job);
    }

    palvex::TestMachine m_machine;
    int m_jobs = 0;
};

TEST_F(PageLayoutTest, PageSettingsComeFromTheJob) {
    struct Case {
        const char* what;
        std::function<void(JobDevMode&)> setUp;
        DWORD pagesPerSheet;
        DWORD nupOn;
        BYTE bookletSide;
        DWORD flags;  // beyond "page settings loaded"
    };
    const Case cases[] = {
        {"one page", [](JobDevMode&) {}, 1, 0, 0, kLayoutPageOrder0},
        {"two up", [](JobDevMode& j) { j.SetByte(at::kNupPages, 1); }, 2, 1, 0, kLayoutPageOrder0},
        {"two up without an order is off", [](JobDevMode& j) { j.SetByte(at::kNupPages, 1).SetByte(at::kNupOrder, 0); }, 1, 0, 0,
         kLayoutPageOrder0},
        {"an order above 4 is off", [](JobDevMode& j) { j.SetByte(at::kNupPages, 2).SetByte(at::kNupOrder, 5); }, 1, 0, 0,
         kLayoutPageOrder0},
        {"a border above 1 is off", [](JobDevMode& j) { j.SetByte(at::kNupPages, 2).SetByte(at::kNupBorder, 2); }, 1, 0, 0,
         kLayoutPageOrder0},
        {"booklet side 2", [](JobDevMode& j) { j.SetByte(at::kBooklet, 13); }, 2, 0, 2, kLayoutBooklet | kLayoutPageOrder0},
        {"booklet side 1", [](JobDevMode& j) { j.SetByte(at::kBooklet, 20); }, 2, 0, 1, kLayoutBooklet | kLayoutPageOrder0},
        {"back to front", [](JobDevMode& j) { j.SetByte(at::kPageOrder, 1); }, 1, 0, 0, kLayoutPageOrder1},
        {"a page order of 2 counts as 0", [](JobDevMode& j) { j.SetByte(at::kPageOrder, 2); }, 1, 0, 0, kLayoutPageOrder0},
        {"manual duplex", [](JobDevMode& j) { j->dmDuplex = DMDUP_VERTICAL; }, 1, 0, 0,
         kLayoutDuplexType2 | kLayoutPageOrder0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = Start(c.setUp);
        const PageLayout& layout = PdevOf(*host)->m_layout;
        EXPECT_EQ(layout.m_pagesPerSheet, c.pagesPerSheet);
        EXPECT_EQ(layout.m_nupOn, c.nupOn);
        EXPECT_EQ(layout.m_bookletSide, c.bookletSide);
        EXPECT_EQ(layout.m_flags, kLayoutPageSettingsLoaded | c.flags);
        EXPECT_EQ(layout.m_duplexType, 2u);
    }
}

TEST_F(PageLayoutTest, NupCellsAndScaleFactors) {
    // Portrait A4 at 600 dpi: W = 4761, H = 6816.
    struct Case {
        BYTE nupPages;
        DWORD cells;
        POINTL last;
        SIZEL size;
        double factor;
    };
    const Case cases[] = {
        {0, 1, {2380, 3408}, {4761, 6816}, 1.0},
        {2, 4, {1190 + 2380, 1704 + 3408}, {2380, 3408}, 0.5},
        {3, 6, {3 * 4761 / 4, 5 * 6816 / 6}, {2380, 2272}, std::min(6816.0 / 4761 / 3, 4761.0 / 6816 * 0.5)},
        {4, 9, {4761 / 6 + 2 * (4761 / 3), 6816 / 6 + 2 * (6816 / 3)}, {1587, 2272}, 1.0 / 3},
        {5, 16, {4761 / 8 + 3 * (4761 / 4), 6816 / 8 + 3 * (6816 / 4)}, {1190, 1704}, 0.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cells);
        auto host = Start([&](JobDevMode& j) { j.SetByte(at::kNupPages, c.nupPages); });
        const PageLayout& layout = PdevOf(*host)->m_layout;
        EXPECT_EQ(layout.m_cellCount, c.cells);
        EXPECT_EQ(layout.m_cellCentres[c.cells - 1].x, c.last.x);
        EXPECT_EQ(layout.m_cellCentres[c.cells - 1].y, c.last.y);
        EXPECT_EQ(layout.m_cellSize.cx, c.size.cx);
        EXPECT_EQ(layout.m_cellSize.cy, c.size.cy);
        EXPECT_DOUBLE_EQ(layout.m_scaleFactor, c.factor);
    }
}

TEST_F(PageLayoutTest, WatermarkSwitchesAndTheSheetsOrientations) {
    struct Case {
        const char* what;
        BYTE enabled;
        BYTE firstPageOnly;
        DWORD orientMask;
        BYTE on;
        DWORD keptMask;
    };
    const Case cases[] = {
        {"on", 1, 0, 0x5, 1, 0x5},
        {"a mask above 0x10000 counts as 0", 1, 0, 0x10001, 1, 0},
        {"off", 0, 0, 0x5, 0, 0},
        {"an enabled value other than 1 is off", 2, 0, 0x5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = Start([&](JobDevMode& j) {
            j.SetByte(at::kWmkEnabled, c.enabled).SetByte(at::kWmkFirstPage, c.firstPageOnly);
            j.Set<DWORD>(at::kNupPageOrient, c.orientMask);
            j.Set(at::kWmkText, u'W');
        });
        const PageLayout& layout = PdevOf(*host)->m_layout;
        EXPECT_EQ(layout.m_watermark.m_on, c.on);
        EXPECT_EQ(layout.m_nupPageOrient, c.keptMask);
        if (c.on) {
            EXPECT_EQ(layout.m_watermark.m_text, u"W");
            EXPECT_EQ(layout.m_watermark.m_font, u"");
        }
    }
}

HRESULT g_mapped = 0;
HRESULT RecordMapCommand(OemPdev*, DWORD id) {
    g_mapped = static_cast<HRESULT>(id);
    return S_OK;
}

TEST_F(PageLayoutTest, ManualDuplexCountsSheetsAndFeedsTheLastOneByHand) {
    // Ten pages printed duplex with _DUPLEXTYPE 2 and three copies: 15 sheets.
    auto host = Start([](JobDevMode& j) {
        j->dmDuplex = DMDUP_VERTICAL;
        j->dmCopies = 3;
    });
    OemPdev* pdev = PdevOf(*host);
    pdev->m_document.m_spoolerPageCount = 10;
    CountDuplexSheets(pdev, 1);
    EXPECT_EQ(pdev->m_document.m_sheetCount, 15u);
    PluginOf(*host)->Hooks().m_mapCommandId = &RecordMapCommand;
    ASSERT_TRUE(host->EndPage());
    g_mapped = 0;
    pdev->m_document.m_pageCounter = 14;
    ASSERT_TRUE(host->StartPage());
    EXPECT_EQ(g_mapped, 0);
    ASSERT_TRUE(host->EndPage());
    ASSERT_TRUE(host->StartPage());  // the fifteenth sheet
    EXPECT_EQ(g_mapped, 100);
}

TEST_F(PageLayoutTest, SheetCountFromTheSpoolersRecordOfTheJob) {
    enum class Job { WithDevMode, WithoutDevMode, Unknown };
    struct Case {
        const char* what;
        Job job;
        short duplex;
        short copies;
        DWORD duplexType;
        DWORD pages;   // the spooler's count afterwards
        DWORD sheets;  // the sheet count afterwards
    };
    // Each case starts from a held page count of 7 and sheet count of 9; the job spools 5 pages.
    const Case cases[] = {
        {"simplex: the page count only", Job::WithDevMode, DMDUP_SIMPLEX, 1, 2, 5, 9},
        {"duplex: half the pages, rounded up", Job::WithDevMode, DMDUP_VERTICAL, 1, 2, 5, 3},
        {"duplex type 2 counts the copies", Job::WithDevMode, DMDUP_VERTICAL, 2, 2, 5, 6},
        {"duplex type 3 counts the copies", Job::WithDevMode, DMDUP_HORIZONTAL, 4, 3, 5, 12},
        {"another duplex type does not", Job::WithDevMode, DMDUP_VERTICAL, 2, 1, 5, 3},
        {"a job without a DEVMODE", Job::WithoutDevMode, DMDUP_VERTICAL, 1, 2, 7, 9},
        {"a job the spooler does not have", Job::Unknown, DMDUP_VERTICAL, 1, 2, 7, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DWORD jobId = c.job == Job::Unknown ? 4242 : AddSpooledJob(5, c.job == Job::WithDevMode);
        auto host = Start(
            [&](JobDevMode& j) {
                j->dmDuplex = c.duplex;
                j->dmCopies = c.copies;
            },
            jobId);
        OemPdev* pdev = PdevOf(*host);
        ASSERT_EQ(pdev->m_document.m_jobId, jobId);
        pdev->m_layout.m_duplexType = c.duplexType;
        pdev->m_document.m_spoolerPageCount = 7;
        pdev->m_document.m_sheetCount = 9;
        CountDuplexSheets(pdev, 0);
        EXPECT_EQ(pdev->m_document.m_spoolerPageCount, c.pages);
        EXPECT_EQ(pdev->m_document.m_sheetCount, c.sheets);
    }
}

// The MediaSource values (PCL XL ubyte MediaSource) among bytes.
std::vector<int> MediaSources(const std::vector<BYTE>& bytes, size_t from) {
    std::vector<int> sources;
    for (size_t i = from; i + 3 < bytes.size(); ++i)
        if (bytes[i] == 0xC0 && bytes[i + 2] == 0xF8 && bytes[i + 3] == 0x26) sources.push_back(bytes[i + 1]);
    return sources;
}

TEST_F(PageLayoutTest, ASpooledManualDuplexJobFeedsItsLastSheetByHand) {
    // Five pages, duplex, _DUPLEXTYPE 2: three sheets counted at the document's start. The first
    // three page starts take the job's tray (MediaSource 1). At the fourth the page counter has
    // reached the sheet count: the start sends the hand feed (MediaSource 2) and the paper-source
    // callback, on its last counted sheet, adds no tray of its own.
    const DWORD jobId = AddSpooledJob(5, true);
    auto host = Start([](JobDevMode& j) { j->dmDuplex = DMDUP_VERTICAL; }, jobId);
    EXPECT_EQ(PdevOf(*host)->m_document.m_spoolerPageCount, 5u);
    EXPECT_EQ(PdevOf(*host)->m_document.m_sheetCount, 3u);
    std::vector<std::vector<int>> sources;
    sources.push_back(MediaSources(host->output(), 0));
    for (int page = 1; page < 4; ++page) {
        ASSERT_TRUE(host->EndPage());
        const size_t before = host->output().size();
        ASSERT_TRUE(host->StartPage());
        sources.push_back(MediaSources(host->output(), before));
    }
    ASSERT_TRUE(host->EndPage());
    EXPECT_TRUE(host->EndDocument());
    const std::vector<std::vector<int>> expected = {{1}, {1}, {1}, {2}};
    EXPECT_EQ(sources, expected);
}

// Where the pages of a sheet lie, for the sheets of a portrait A4 job at 600 dpi: printable 4761 x
// 6816, physical 4961 x 7016 (landscape: printable 6816 x 4761). Each case gives a few of its
// pages' rectangles (page fitted in its cell, and the cell), worked out from the grid, the order,
// the turn of a page whose shape differs from its cell's, and the fit that keeps the page's shape.
TEST_F(PageLayoutTest, SheetSettingsAndCellRectangles) {
    struct Expected {
        DWORD page;
        RECTL fitted;
        RECTL cell;
    };
    struct Case {
        const char* what;
        std::function<void(JobDevMode&)> setUp;
        DWORD pagesPerSheet;
        DWORD flags;  // beyond "page settings loaded"
        DWORD rotated;
        std::vector<Expected> pages;
        BYTE poster = 0;
    };
    constexpr DWORD kPosterAt = 301;
    const Case cases[] = {
        {"one page", [](JobDevMode&) {}, 1, kLayoutPageOrder0, 0,
         {{0, {0, 0, 4761, 6816}, {0, 0, 4761, 6816}}}},
        // Two landscape-shaped halves on a portrait sheet: the pages lie turned, the first at the
        // bottom (7016 x 4961 fitted into 4761 x 3408: 4761 x 3366, 21 from the top).
        {"two up", [](JobDevMode& j) { j.SetByte(at::kNupPages, 1); }, 2, kLayoutPageOrder0, 1,
         {{0, {0, 3429, 4761, 6795}, {0, 3408, 4761, 6816}}, {1, {0, 21, 4761, 3387}, {0, 0, 4761, 3408}}}},
        {"two up, rows right to left: top half first", [](JobDevMode& j) { j.SetByte(at::kNupPages, 1).SetByte(at::kNupOrder, 3); },
         2, kLayoutPageOrder0, 1, {{0, {0, 21, 4761, 3387}, {0, 0, 4761, 3408}}}},
        // On a landscape sheet the halves are left and right: 4961 x 7016 into 3408 x 4761.
        {"two up on a landscape sheet", [](JobDevMode& j) { j.SetByte(at::kNupPages, 1)->dmOrientation = DMORIENT_LANDSCAPE; },
         2, kLayoutPageOrder0, 1,
         {{0, {21, 0, 3387, 4761}, {0, 0, 3408, 4761}}, {1, {3429, 0, 6795, 4761}, {3408, 0, 6816, 4761}}}},
        // Quarters keep the page upright: 4961 x 7016 into 2380 x 3408 is 2380 x 3366.
        {"four up", [](JobDevMode& j) { j.SetByte(at::kNupPages, 2); }, 4, kLayoutPageOrder0, 0,
         {{0, {0, 21, 2380, 3387}, {0, 0, 2380, 3408}}, {3, {2380, 3428, 4761, 6795}, {2380, 3408, 4761, 6816}}}},
        // Six landscape-shaped cells (2380 x 2272): turned pages, read from the bottom left up.
        {"six up", [](JobDevMode& j) { j.SetByte(at::kNupPages, 3); }, 6, kLayoutPageOrder0, 1,
         {{0, {0, 4838, 2380, 6521}, {0, 4544, 2380, 6816}},
          {1, {0, 2566, 2380, 4249}, {0, 2272, 2380, 4544}},
          {3, {2380, 4838, 4761, 6522}, {2380, 4544, 4761, 6816}},
          {5, {2380, 294, 4761, 1978}, {2380, 0, 4761, 2272}}}},
        {"nine up, columns first", [](JobDevMode& j) { j.SetByte(at::kNupPages, 4).SetByte(at::kNupOrder, 2); }, 9,
         kLayoutPageOrder0, 0, {{1, {0, 2272 + 14, 1587, 2272 + 14 + 2244}, {0, 2272, 1587, 4544}}}},
        {"sixteen up, right column first", [](JobDevMode& j) { j.SetByte(at::kNupPages, 5).SetByte(at::kNupOrder, 4); }, 16,
         kLayoutPageOrder0, 0,
         {{0, {3570, 10, 4761, 1694}, {3570, 0, 4761, 1704}}, {5, {2380, 1714, 3570, 3397}, {2380, 1704, 3570, 3408}}}},
        {"manual duplex, long edge", [](JobDevMode& j) { j->dmDuplex = DMDUP_VERTICAL; }, 1,
         kLayoutDuplexType2 | kLayoutPageOrder0, 0, {{0, {0, 0, 4761, 6816}, {0, 0, 4761, 6816}}}},
        {"manual duplex, short edge, back to front",
         [](JobDevMode& j) { j.SetByte(at::kPageOrder, 1)->dmDuplex = DMDUP_HORIZONTAL; }, 1,
         kLayoutDuplexType2 | kLayoutPageOrder1, 0, {{0, {0, 0, 4761, 6816}, {0, 0, 4761, 6816}}}},
        {"booklet: two pages, turned", [](JobDevMode& j) { j.SetByte(at::kBooklet, 12); }, 2, kLayoutBooklet | kLayoutPageOrder0, 1,
         {{0, {0, 3429, 4761, 6795}, {0, 3408, 4761, 6816}}}},
        {"poster, back to front: one page", [](JobDevMode& j) { j.SetByte(at::kPageOrder, 1).SetByte(kPosterAt, 2); }, 1,
         kLayoutPageOrder1, 0, {{0, {0, 0, 4761, 6816}, {0, 0, 4761, 6816}}}, 2},
        {"manual duplex, four up", [](JobDevMode& j) { j.SetByte(at::kNupPages, 2)->dmDuplex = DMDUP_VERTICAL; }, 4,
         kLayoutDuplexType2 | kLayoutPageOrder0, 0, {{1, {2380, 20, 4761, 3387}, {2380, 0, 4761, 3408}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = Start(c.setUp);
        const OemPdev* pdev = PdevOf(*host);
        EXPECT_EQ(pdev->m_layout.m_pagesPerSheet, c.pagesPerSheet);
        EXPECT_EQ(pdev->m_layout.m_flags, kLayoutPageSettingsLoaded | c.flags);
        EXPECT_EQ(pdev->m_layout.m_poster, c.poster);
        SheetCells cells;
        ASSERT_EQ(SheetCellRectangles(pdev, &cells), S_OK);
        EXPECT_EQ(cells.m_count, c.pagesPerSheet);
        EXPECT_EQ(cells.m_rotated, c.rotated);
        for (const Expected& e : c.pages) {
            SCOPED_TRACE(e.page);
            const RECTL& fitted = cells.m_cells[e.page].m_page;
            const RECTL& cell = cells.m_cells[e.page].m_cell;
            EXPECT_EQ(std::vector<LONG>({fitted.left, fitted.top, fitted.right, fitted.bottom}),
                      std::vector<LONG>({e.fitted.left, e.fitted.top, e.fitted.right, e.fitted.bottom}));
            EXPECT_EQ(std::vector<LONG>({cell.left, cell.top, cell.right, cell.bottom}),
                      std::vector<LONG>({e.cell.left, e.cell.top, e.cell.right, e.cell.bottom}));
        }
    }
}

TEST_F(PageLayoutTest, OnePageScaledOrFittedToThePaper) {
    // The scaling settings are read only in the spooler's process.
    palvex::ProcessImageScope spooler(palvex::kSpoolerImagePath);
    struct Case {
        const char* what;
        std::function<void(JobDevMode&)> setUp;
        RECTL page;
        bool inside;
    };
    const Case cases[] = {
        {"half size", [](JobDevMode& j) { j.Set<WORD>(at::kScaleFactor, 50); }, {0, 0, 2381, 3408}, true},
        {"double size reaches past the printable area", [](JobDevMode& j) { j.Set<WORD>(at::kScaleFactor, 200); },
         {0, 0, 9522, 13632}, false},
        // A Letter first page (5100 x 6600 less the 200 x 200 margins) fitted onto A4's printable
        // 4761 x 6816: 4761 x 6218, centred 299 from the top.
        {"a letter page fitted to A4",
         [](JobDevMode& j) { j.SetByte(at::kScaleEnabled, 1).Set<DWORD>(at::kFirstPageSize, DMPAPER_LETTER); },
         {0, 299, 4761, 6517}, true},
        {"fitted to its own paper", [](JobDevMode& j) { j.SetByte(at::kScaleEnabled, 1); }, {0, 0, 4761, 6816}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = Start(c.setUp);
        const OemPdev* pdev = PdevOf(*host);
        SheetCells cells;
        ASSERT_EQ(SheetCellRectangles(pdev, &cells), S_OK);
        const RECTL& page = cells.m_cells[0].m_page;
        EXPECT_EQ(std::vector<LONG>({page.left, page.top, page.right, page.bottom}),
                  std::vector<LONG>({c.page.left, c.page.top, c.page.right, c.page.bottom}));
        EXPECT_EQ(InsidePrintableArea(pdev, page), c.inside);
        EXPECT_TRUE(InsidePrintableArea(pdev, cells.m_cells[0].m_cell));
    }
}

TEST_F(PageLayoutTest, CellRectanglesRefuseWhatTheyCannotPlace) {
    auto host = Start([](JobDevMode&) {});
    OemPdev* pdev = PdevOf(*host);
    SheetCells cells;
    const std::function<void(PageLayout&)> breakings[] = {
        [](PageLayout& l) { l.m_resolution = 0; },
        [](PageLayout& l) { l.m_gdiInfo.szlPhysSize.cx = 0; },
        [](PageLayout& l) { l.m_pagesPerSheet = 3; },
        [](PageLayout& l) { l.m_pagesPerSheet = 32; },
    };
    for (const auto& breaking : breakings) {
        const PageLayout saved = [&] {
            PageLayout copy;
            copy.m_resolution = pdev->m_layout.m_resolution;
            copy.m_gdiInfo = pdev->m_layout.m_gdiInfo;
            copy.m_pagesPerSheet = pdev->m_layout.m_pagesPerSheet;
            return copy;
        }();
        breaking(pdev->m_layout);
        EXPECT_EQ(SheetCellRectangles(pdev, &cells), E_FAIL);
        pdev->m_layout.m_resolution = saved.m_resolution;
        pdev->m_layout.m_gdiInfo = saved.m_gdiInfo;
        pdev->m_layout.m_pagesPerSheet = saved.m_pagesPerSheet;
    }
    EXPECT_EQ(SheetCellRectangles(pdev, &cells), S_OK);
}

TEST_F(PageLayoutTest, ANearlySquareSheetTurnsNoPageOfItsGrid) {
    // Printable 4761 x 4760 on a physical 4961 x 4960: both a hair wider than tall. Each quarter
    // is 2380.5 x 2380 units, so wide like the page, though a rounded cell would look square.
    auto host = Start([](JobDevMode& j) { j.SetByte(at::kNupPages, 2); });
    OemPdev* pdev = PdevOf(*host);
    pdev->m_layout.m_gdiInfo.ulHorzRes = 4761;
    pdev->m_layout.m_gdiInfo.ulVertRes = 4760;
    pdev->m_layout.m_gdiInfo.szlPhysSize = SIZEL{4961, 4960};
    SheetCells cells;
    ASSERT_EQ(SheetCellRectangles(pdev, &cells), S_OK);
    EXPECT_EQ(cells.m_rotated, 0u);
    const RECTL& last = cells.m_cells[3].m_cell;
    EXPECT_EQ(std::vector<LONG>({last.left, last.top, last.right, last.bottom}),
              std::vector<LONG>({2380, 2380, 4761, 4760}));
}

TEST_F(PageLayoutTest, PageOrderLists) {
    struct Case {
        const char* what;
        std::function<void(JobDevMode&)> setUp;
        DWORD pages;
        std::vector<DWORD> list;
        bool duplexUnit = false;  // duplex by the printer's own unit, not by hand
    };
    auto duplex = [](JobDevMode& j, short kind) { j->dmDuplex = kind; };
    const Case cases[] = {
        {"front to back reads no list", [](JobDevMode&) {}, 5, {0, 0, 0, 0, 0, 0}},
        {"back to front", [](JobDevMode& j) { j.SetByte(at::kPageOrder, 1); }, 5, {5, 4, 3, 2, 1, 0}},
        {"back to front, duplex: neighbours change places after the odd first",
         [&](JobDevMode& j) { duplex(j.SetByte(at::kPageOrder, 1), DMDUP_VERTICAL); }, 5, {5, 3, 4, 1, 2, 0}, true},
        {"back to front, duplex, even", [&](JobDevMode& j) { duplex(j.SetByte(at::kPageOrder, 1), DMDUP_VERTICAL); }, 4,
         {3, 4, 1, 2}, true},
        {"four up, back to front: first pages of the sheets",
         [](JobDevMode& j) { j.SetByte(at::kPageOrder, 1).SetByte(at::kNupPages, 2); }, 10, {9, 5, 1, 0}},
        {"one sheet back to front still has its first entry",
         [](JobDevMode& j) { j.SetByte(at::kPageOrder, 1).SetByte(at::kNupPages, 2); }, 3, {1, 0}},
        {"manual duplex: fronts, then backs", [&](JobDevMode& j) { duplex(j, DMDUP_VERTICAL); }, 5, {2, 4, 1, 3, 5, 0}},
        {"manual duplex back to front", [&](JobDevMode& j) { duplex(j.SetByte(at::kPageOrder, 1), DMDUP_VERTICAL); }, 5,
         {4, 2, 5, 3, 1, 0}},
        {"manual duplex, one sheet", [&](JobDevMode& j) { duplex(j, DMDUP_VERTICAL); }, 1, {1, 0}},
        {"no pages, no list", [](JobDevMode& j) { j.SetByte(at::kPageOrder, 1); }, 0, {}},
        {"booklet, long edge", [&](JobDevMode& j) { duplex(j.SetByte(at::kBooklet, 12), DMDUP_VERTICAL); }, 8,
         {8, 1, 7, 2, 6, 3, 5, 4}, true},
        {"booklet, short edge", [&](JobDevMode& j) { duplex(j.SetByte(at::kBooklet, 12), DMDUP_HORIZONTAL); }, 8,
         {8, 1, 2, 7, 6, 3, 4, 5}, true},
        {"booklet, second side", [&](JobDevMode& j) { duplex(j.SetByte(at::kBooklet, 13), DMDUP_VERTICAL); }, 8,
         {1, 8, 2, 7, 3, 6, 4, 5}, true},
        {"booklet back to front",
         [&](JobDevMode& j) { duplex(j.SetByte(at::kBooklet, 12).SetByte(at::kPageOrder, 1), DMDUP_VERTICAL); }, 8,
         {2, 7, 1, 8, 4, 5, 3, 6}, true},
        {"booklet of five: blanks above 5", [&](JobDevMode& j) { duplex(j.SetByte(at::kBooklet, 12), DMDUP_VERTICAL); }, 5,
         {8, 1, 7, 2, 6, 3, 5, 4}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = Start(c.setUp);
        OemPdev* pdev = PdevOf(*host);
        if (c.duplexUnit) pdev->m_layout.m_flags &= ~(kLayoutDuplexType2 | kLayoutDuplexType3);
        std::vector<DWORD> list{99};
        EXPECT_EQ(BuildPageOrderList(pdev, c.pages, &list), S_OK);
        EXPECT_EQ(list, c.list);
    }
}

TEST_F(PageLayoutTest, ManualDuplexBookletLists) {
    struct Case {
        BYTE booklet;
        BYTE pageOrder;
        DWORD pages;
        std::vector<DWORD> list;
    };
    // All fronts, then all backs, a pair per side; front to back puts the last pair first.
    const Case cases[] = {
        {12, 0, 8, {2, 7, 4, 5, 8, 1, 6, 3}},
        {12, 1, 8, {6, 3, 8, 1, 4, 5, 2, 7}},
        {13, 1, 8, {3, 6, 1, 8, 5, 4, 7, 2}},
        {13, 1, 4, {1, 4, 3, 2}},
        {12, 0, 4, {2, 3, 4, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.booklet) << "/" << int(c.pageOrder) << "/" << c.pages);
        auto host = Start([&](JobDevMode& j) {
            j.SetByte(at::kBooklet, c.booklet).SetByte(at::kPageOrder, c.pageOrder)->dmDuplex = DMDUP_VERTICAL;
        });
        std::vector<DWORD> list;
        EXPECT_EQ(BuildPageOrderList(PdevOf(*host), c.pages, &list), S_OK);
        EXPECT_EQ(list, c.list);
    }
    // A booklet side that is neither 1 nor 2 has no list.
    auto host = Start([](JobDevMode& j) { j.SetByte(at::kBooklet, 12); });
    PdevOf(*host)->m_layout.m_bookletSide = 0;
    std::vector<DWORD> list{1, 2};
    EXPECT_EQ(BuildPageOrderList(PdevOf(*host), 8, &list), E_FAIL);
    EXPECT_TRUE(list.empty());
}

TEST_F(PageLayoutTest, APageCountNoDocumentHasPlansNoSheets) {
    for (BYTE booklet : {0, 12}) {
        SCOPED_TRACE(int(booklet));
        auto host = Start([&](JobDevMode& j) {
            j.SetByte(at::kBooklet, booklet).SetByte(at::kPageOrder, 1).Set<DWORD>(at::kDocPageCount, 0xFFFFFFFF);
        });
        OemPdev* pdev = PdevOf(*host);
        std::vector<DWORD> list{1};
        EXPECT_EQ(BuildPageOrderList(pdev, 0xFFFFFFFF, &list), E_INVALIDARG);
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(BuildPageOrderList(pdev, kMaxDocumentPages + 1, &list), E_INVALIDARG);
        EXPECT_TRUE(PageOrderList(pdev).empty());
        EXPECT_EQ(BuildPageOrderList(pdev, kMaxDocumentPages, &list), S_OK);
        // One entry a sheet, or four a booklet sheet of four pages: as many as there are pages.
        EXPECT_EQ(list.size(), size_t{kMaxDocumentPages});
    }
}

TEST_F(PageLayoutTest, TheDocumentsListIsBuiltOnceForItsPageCount) {
    auto host = Start([](JobDevMode& j) { j.SetByte(at::kPageOrder, 1).Set<DWORD>(at::kDocPageCount, 3); });
    OemPdev* pdev = PdevOf(*host);
    EXPECT_EQ(PageOrderList(pdev), (std::vector<DWORD>{3, 2, 1, 0}));
    pdev->m_layout.m_pageOrderList[0] = 42;  // kept, not rebuilt
    EXPECT_EQ(PageOrderList(pdev)[0], 42u);
    pdev->m_document.m_docPageCount = 2;
    EXPECT_EQ(PageOrderList(pdev), (std::vector<DWORD>{2, 1}));
}

TEST_F(PageLayoutTest, ManualDuplexSheetsFindTheirEntryWithoutDividingByZero) {
    struct Case {
        const char* what;
        DWORD listLength;
        bool booklet;
        WORD copies;
        WORD collate;
        BYTE pageOrder;
        DWORD sheet;
        bool found;
        ManualDuplexEntry entry;
    };
    const Case cases[] = {
        {"collated, first run of fronts", 6, false, 2, 1, 0, 4, true, {1, false, 3}},
        {"collated, the last run", 6, false, 2, 1, 0, 8, true, {5, true, 3}},
        {"collated, back to front", 6, false, 2, 1, 1, 6, true, {3, true, 5}},
        {"uncollated: copies of one sheet in a row", 6, false, 2, 0, 0, 5, true, {2, true, 3}},
        {"uncollated past the list", 6, false, 1, 0, 0, 6, false, {}},
        {"no copies count as one", 6, false, 0, 0, 0, 3, true, {3, true, 3}},
        {"no copies, collated", 6, false, 0, 1, 0, 3, true, {3, true, 3}},
        {"no list", 0, false, 1, 1, 0, 0, false, {}},
        {"one entry is not half a sheet", 1, false, 1, 1, 0, 0, false, {}},
        {"booklet: two entries a side", 4, true, 1, 1, 0, 1, true, {1, true, 1}},
        {"booklet with too short a list", 2, true, 1, 1, 0, 0, false, {}},
        {"booklet past the list", 4, true, 1, 0, 0, 2, false, {}},
    };
    auto host = Start([](JobDevMode&) {});
    OemPdev* pdev = PdevOf(*host);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pdev->m_layout.m_booklet = c.booklet ? 1 : 0;
        pdev->m_layout.m_copies = c.copies;
        pdev->m_layout.m_collate = c.collate;
        pdev->m_layout.m_pageOrder = c.pageOrder;
        pdev->m_document.m_pageCounter = c.sheet;
        ManualDuplexEntry entry;
        ASSERT_EQ(ManualDuplexListEntry(pdev, c.listLength, &entry), c.found);
        if (!c.found) continue;
        EXPECT_EQ(entry.m_index, c.entry.m_index);
        EXPECT_EQ(entry.m_hasFirstPage, c.entry.m_hasFirstPage);
        EXPECT_EQ(entry.m_firstPageIndex, c.entry.m_firstPageIndex);
    }
}

TEST_F(PageLayoutTest, NoCopiesCountAsOneSheetRun) {
    auto host = Start([](JobDevMode& j) {
        j->dmDuplex = DMDUP_VERTICAL;
        j->dmCopies = 0;
    });
    OemPdev* pdev = PdevOf(*host);
    pdev->m_document.m_spoolerPageCount = 10;
    CountDuplexSheets(pdev, 1);
    EXPECT_EQ(pdev->m_document.m_sheetCount, 5u);
}

TEST_F(PageLayoutTest, TheLastManualDuplexSheetSendsTheHandFeed) {
    // Three pages, manual duplex: two sheets. The start of the third page sends the hand-feed
    // source, C0 02 F8 26, and nothing else of its own before the universal driver's page.
    const DWORD jobId = AddSpooledJob(3, true);
    auto host = Start([](JobDevMode& j) { j->dmDuplex = DMDUP_VERTICAL; }, jobId);
    ASSERT_EQ(PdevOf(*host)->m_document.m_sheetCount, 2u);
    ASSERT_TRUE(host->EndPage());
    ASSERT_TRUE(host->StartPage());
    ASSERT_TRUE(host->EndPage());
    const size_t before = host->output().size();
    ASSERT_TRUE(host->StartPage());
    const std::vector<BYTE> sent(host->output().begin() + static_cast<long>(before), host->output().end());
    const std::vector<BYTE> handFeed{0xC0, 0x02, 0xF8, 0x26};
    ASSERT_GE(sent.size(), handFeed.size());
    EXPECT_EQ(std::vector<BYTE>(sent.begin(), sent.begin() + 4), handFeed);
    ASSERT_TRUE(host->EndPage());
    EXPECT_TRUE(host->EndDocument());
}

TEST_F(PageLayoutTest, ResetBetweenPagesKeepsTheWatermarkAndTheDocument) {
    auto setWatermark = [](JobDevMode& j, BYTE on, const std::u16string& text) {
        j.SetByte(at::kWmkEnabled, on);
        for (size_t i = 0; i <= text.size(); ++i)
            j.Set<WCHAR>(at::kWmkText + 2 * static_cast<DWORD>(i), i < text.size() ? text[i] : u'\0');
        const std::u16string font = u"Courier New";
        for (size_t i = 0; i < font.size(); ++i) j.Set<WCHAR>(at::kWmkFont + 2 * static_cast<DWORD>(i), font[i]);
    };
    struct Case {
        const char* what;
        BYTE onAfter;
        std::u16string textAfter;
        std::u16string expected;
    };
    const Case cases[] = {
        {"the new DEVMODE has no watermark: the text goes on", 0, u"", u"SECRET"},
        {"the new DEVMODE has its own", 1, u"DRAFT", u"DRAFT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = Start([&](JobDevMode& j) { setWatermark(j, 1, u"SECRET"); }, 77);
        OemPdev* before = PdevOf(*host);
        ASSERT_EQ(before->m_layout.m_watermark.m_text, u"SECRET");
        before->m_fontCache.reset(CreateFontCache(before));
        ASSERT_TRUE(before->m_fontCache);
        ASSERT_TRUE(host->EndPage());

        JobDevMode next(host->DevMode());
        setWatermark(next, c.onAfter, c.textAfter);
        ASSERT_TRUE(host->ChangeDevMode(next.get()));
        OemPdev* after = PdevOf(*host);
        ASSERT_NE(after, before);  // the old PDEV is gone: nothing may point into it now
        EXPECT_EQ(after->m_document.m_jobId, 77u);
        EXPECT_EQ(after->m_document.m_pageCounter, 1u);
        EXPECT_EQ(after->m_layout.m_watermark.m_text, c.expected);
        EXPECT_EQ(after->m_layout.m_watermark.m_font, u"Courier New");
        ASSERT_TRUE(after->m_fontCache);
        EXPECT_EQ(after->m_fontCache->m_owner, after);

        ASSERT_TRUE(host->StartPage());
        EXPECT_EQ(PdevOf(*host)->m_layout.m_watermark.m_text, c.expected);
        ASSERT_TRUE(host->EndPage());
        EXPECT_TRUE(host->EndDocument());
    }
}

// A private devmode whose table lacks the watermark's text and font, the orientation mask and the
// binding rectangle: 0 _SIZE, 4 _SIGNATURE, 8 _PDLTYPE, 12 _NUP_ORDER, 13 _WMK_ENABLED,
// 14 _BINDING_ENABLED.
std::vector<BYTE> ShortOemDevmodeBlock() {
    using K = XprColumnKind;
    xprtest::BlockBuilder builder;
    const int table = builder.AddTable(u"OEMDEVMODE", {{u"_SIZE", K::DWORD},
                                                       {u"_SIGNATURE", K::DWORD},
                                                       {u"_PDLTYPE", K::DWORD},
                                                       {u"_NUP_ORDER", K::BYTE},
                                                       {u"_WMK_ENABLED", K::BYTE},
                                                       {u"_BINDING_ENABLED", K::BYTE}});
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetDword(table, row, u"_PDLTYPE", 50);
    builder.SetBytes(table, row, u"_NUP_ORDER", {1});
    return builder.Build();
}

TEST_F(PageLayoutTest, FieldsTheJobDoesNotHaveTakeTheirDefaults) {
    xprtest::WritePrinterValue(kPrinter, u"OEMDEVMODE", ShortOemDevmodeBlock());
    auto host = Start([](JobDevMode& j) { j.SetByte(13, 1).SetByte(14, 1); });
    const PageLayout& layout = PdevOf(*host)->m_layout;
    EXPECT_EQ(layout.m_watermark.m_on, 1);
    EXPECT_EQ(layout.m_watermark.m_text, u"WM Text Fail");
    EXPECT_EQ(layout.m_watermark.m_font, u"Arial");
    EXPECT_EQ(layout.m_nupPageOrient, 0u);
    EXPECT_EQ(std::vector<DWORD>(layout.m_bindingAdjustRect, layout.m_bindingAdjustRect + 4),
              (std::vector<DWORD>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace rendertest
