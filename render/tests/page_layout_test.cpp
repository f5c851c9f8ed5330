// The layout state the graphics functions keep: page settings from the job, N-up cells, the
// watermark switches, the manual-duplex sheet count and its last sheet.
#include <palvex/jobs.h>
#include <palvex/paths.h>
#include <palvex/spool_writer.h>
#include <render_host.h>

#include "render_fixture.h"
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

}  // namespace
}  // namespace rendertest
