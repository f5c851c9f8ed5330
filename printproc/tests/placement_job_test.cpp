// Page placement and stamps seen on the recording printer DC of whole EMF jobs: turned 2-up
// pages, enlarged N-up clips, the binding rectangle written into the DEVMODE, the watermark over
// each page and the date stamp of each side.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include <palvex/jobs.h>
#include <palvex/paths.h>
#include <palvex/recording_dc.h>
#include <palvex/spool_writer.h>

#include "library_fixture.h"
#include "private_devmode.h"
#include "settings_fixture.h"

namespace pptest {
namespace {

using palvex::hosts::JobRunner;

// A4 portrait at 600 dpi: printable 4761 x 6816.
class PlacementJobTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        InstallSettingsPrinter(m_machine);
    }

    // Runs a job of pages whose private settings change is given; answers its DC log.
    palvex::DcLog Run(DWORD pages, const std::function<void(Devmode&)>& change, short paper = DMPAPER_A4) {
        Devmode devmode;
        const std::vector<BYTE> plain = palvex::MakeDevMode(paper);
        std::vector<BYTE>& bytes = devmode.bytes();
        const WORD extra = devmode.get()->dmDriverExtra;
        std::memcpy(bytes.data(), plain.data(), 220);
        devmode.get()->dmDriverExtra = extra;
        devmode.get()->dmNup = DMNUP_SYSTEM;
        devmode.SetDword(at::kPdlType, 50);
        devmode.SetByte(at::kNupBorder, 1);
        devmode.SetByte(at::kNupOrder, 1);
        devmode.SetWord(at::kScaleFactor, 100);
        devmode.SetByte(at::kGrxMode, 1);
        change(devmode);
        const std::vector<BYTE> devMode(bytes.begin(), bytes.begin() + 220 + extra);
        palvex::SpoolDocumentDesc document = palvex::NumberedPages(pages);
        document.devMode = devMode;
        const std::vector<BYTE> spool = palvex::SpoolFileBytes(document);

        const std::u16string spoolFile = u"C:\\Windows\\System32\\spool\\PRINTERS\\P" +
                                         std::u16string(1, static_cast<char16_t>(u'A' + m_jobs++)) + u".SPL";
        const std::filesystem::path host = palvex::HostPath(spoolFile);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary)
            .write(reinterpret_cast<const char*>(spool.data()), static_cast<std::streamsize>(spool.size()));
        palvex::JobDesc job;
        job.printerName = kPrinter;
        job.documentName = u"Placement";
        job.devMode = devMode;
        job.spoolFile = spoolFile;
        const DWORD id = palvex::AddJob(job);
        JobRunner runner(m_library, id);
        const JobRunner::Outcome outcome = runner.Run();
        EXPECT_TRUE(outcome.print.result) << outcome.print.lastError;
        const std::optional<palvex::DcLog> log = palvex::ReadJobDcLog(id);
        EXPECT_TRUE(log.has_value());
        return log ? *log : palvex::DcLog{};
    }

    static RECT BlockRect(const std::vector<BYTE>& devMode, DWORD recordOffset) {
        const DEVMODEW* dm = reinterpret_cast<const DEVMODEW*>(devMode.data());
        const DWORD at = PrivateBlockOffset(dm, 50) + recordOffset;
        RECT rect{};
        if (at + sizeof rect <= devMode.size()) std::memcpy(&rect, devMode.data() + at, sizeof rect);
        return rect;
    }

    int m_jobs = 0;
};

TEST_F(PlacementJobTest, TwoUpPagesAreTurnedIntoTheirHalves) {
    const palvex::DcLog log = Run(2, [](Devmode& d) { d.SetByte(at::kNupPages, 1); });
    ASSERT_EQ(log.sides().size(), 1u);
    const palvex::PrintedSide& side = *log.sides()[0];
    ASSERT_EQ(side.pages.size(), 2u);
    for (const palvex::PlayedPage& page : side.pages) {
        SCOPED_TRACE(page.page);
        // A quarter turn, moved to the lower left corner of the page's place (a landscape half);
        // the portrait page itself is played into a rectangle from the origin.
        EXPECT_EQ(page.transform.eM11, 0.0f);
        EXPECT_EQ(page.transform.eM12, -1.0f);
        EXPECT_EQ(page.transform.eM21, 1.0f);
        EXPECT_EQ(page.transform.eM22, 0.0f);
        EXPECT_EQ(page.document.left, 0);
        EXPECT_EQ(page.document.top, 0);
        EXPECT_LT(page.document.right, page.document.bottom);
        ASSERT_TRUE(page.border.has_value());
    }
    // Order 1 on a portrait sheet: the first page goes into the bottom half.
    EXPECT_GT(side.pages[0].transform.eDy, 6816 / 2);
    EXPECT_LT(side.pages[1].transform.eDy, 6816 / 2 + 1);
}

// Without the frame an N-up clip reaches beyond the page: 30 units at 600 dpi for 4-up, 15 for
// 9-up, 10 for 16-up.
TEST_F(PlacementJobTest, BorderlessClipsAreEnlarged) {
    const struct {
        BYTE stored;
        LONG grow;
    } cases[] = {{2, 30}, {4, 15}, {5, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.stored));
        const palvex::DcLog log = Run(1, [&](Devmode& d) {
            d.SetByte(at::kNupPages, c.stored);
            d.SetByte(at::kNupBorder, 0);
        });
        ASSERT_EQ(log.sides().size(), 1u);
        ASSERT_EQ(log.sides()[0]->pages.size(), 1u);
        const palvex::PlayedPage& page = log.sides()[0]->pages[0];
        ASSERT_TRUE(page.clip.has_value());
        EXPECT_FALSE(page.border.has_value());
        EXPECT_EQ(page.clip->left, page.document.left - c.grow);
        EXPECT_EQ(page.clip->top, page.document.top - c.grow);
        EXPECT_EQ(page.clip->right, page.document.right + c.grow);
        EXPECT_EQ(page.clip->bottom, page.document.bottom + c.grow);
    }
}

// A 10 mm left margin at 600 dpi moves the page 236 units and goes into the side's DEVMODE.
TEST_F(PlacementJobTest, BindingRectangleGoesIntoTheDevmode) {
    const palvex::DcLog log = Run(1, [](Devmode& d) {
        d.SetByte(at::kBindingEnabled, 1);
        d.SetByte(at::kBindingDirect, 0);
        d.SetDword(at::kBindingMargin, 1000);
    });
    ASSERT_EQ(log.sides().size(), 1u);
    const palvex::PlayedPage& page = log.sides()[0]->pages.at(0);
    EXPECT_EQ(page.document.left, 236);
    EXPECT_EQ(page.document.right, 4761 + 236);
    bool written = false;
    for (const std::vector<BYTE>& reset : log.resets()) {
        const RECT rect = BlockRect(reset, at::kBindingAdjustRect);
        written |= rect.left == 236 && rect.top == 0 && rect.right == 4996 && rect.bottom == 6815;
    }
    EXPECT_TRUE(written);
}

// An A3 job fitted to A4: the printable A4 area 4760 x 6815 (tenths of a millimetre to units
// truncated, less 200 of margins) takes the A3 area 6815 x 9721 at 4760 x 6790, 12 units down.
TEST_F(PlacementJobTest, ScalesToFitTheScalePaper) {
    const palvex::DcLog log = Run(1, [](Devmode& d) {
        d.SetByte(at::kScaleEnabled, 1);
        d.SetWord(at::kScaleSize, DMPAPER_A4);
        d.SetByte(at::kScaleToFit, 1);
    }, DMPAPER_A3);
    ASSERT_EQ(log.sides().size(), 1u);
    const palvex::PlayedPage& page = log.sides()[0]->pages.at(0);
    EXPECT_EQ(page.document.left, 0);
    EXPECT_EQ(page.document.top, 12);
    EXPECT_EQ(page.document.right, 4760);
    EXPECT_EQ(page.document.bottom, 6802);
}

// Poster 3: the page three times its size over nine sides, row by row.
TEST_F(PlacementJobTest, PosterTilesRowByRow) {
    const palvex::DcLog log = Run(1, [](Devmode& d) { d.SetByte(at::kPoster, 3); });
    ASSERT_EQ(log.sides().size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        const palvex::PlayedPage& page = log.sides()[i]->pages.at(0);
        EXPECT_EQ(page.page, 1u);
        EXPECT_EQ(page.transform.eM11, 3.0f);
        EXPECT_EQ(page.transform.eM22, 3.0f);
        EXPECT_EQ(page.transform.eDx, -static_cast<FLOAT>(i % 3 * 4761));
        EXPECT_EQ(page.transform.eDy, -static_cast<FLOAT>(i / 3 * 6816));
        EXPECT_EQ(page.document.left, 2);
        EXPECT_EQ(page.document.bottom, 6814);
    }
}

// On a duplex sheet the front is bound on the left edge's other side: the margin is reversed on
// the front and kept on the back.
TEST_F(PlacementJobTest, DuplexSidesBindOnOppositeEdges) {
    const palvex::DcLog log = Run(2, [](Devmode& d) {
        d.get()->dmFields |= DM_DUPLEX;
        d.get()->dmDuplex = DMDUP_VERTICAL;
        d.SetByte(at::kBindingEnabled, 1);
        d.SetByte(at::kBindingDirect, 0);
        d.SetDword(at::kBindingMargin, 1000);
    });
    ASSERT_EQ(log.sides().size(), 2u);
    EXPECT_EQ(log.sides()[0]->pages.at(0).document.left, -236);
    EXPECT_EQ(log.sides()[1]->pages.at(0).document.left, 236);
}

TEST_F(PlacementJobTest, WatermarkOverEveryPage) {
    const palvex::DcLog log = Run(4, [](Devmode& d) {
        d.SetByte(at::kNupPages, 2);
        d.SetByte(at::kWmkEnabled, 1);
        d.SetText(at::kWmkText, u"DRAFT");
        d.SetText(at::kWmkFont, u"Arial");
        d.SetByte(at::kWmkAngle, 0);
        d.SetWord(at::kWmkDegree, 45);
        d.SetDword(at::kWmkColor, 0x000000FF);
        d.SetWord(at::kWmkShade, 0);
        d.SetWord(at::kWmkSize, 72);
        d.SetByte(at::kWmkStyle, 2);
    });
    ASSERT_EQ(log.sides().size(), 1u);
    const palvex::PrintedSide& side = *log.sides()[0];
    ASSERT_EQ(side.texts.size(), 4u);
    for (size_t i = 0; i < side.texts.size(); ++i) {
        SCOPED_TRACE(i);
        const palvex::DrawnText& text = side.texts[i];
        EXPECT_EQ(text.text, u"DRAFT");
        EXPECT_EQ(text.font.lfHeight, -300);  // 72 points at 600 dpi, halved for 4-up
        EXPECT_EQ(text.font.lfEscapement, 450);
        EXPECT_EQ(text.font.lfWeight, FW_BOLD);
        EXPECT_EQ(text.colour, 0x000F0FFFu);
        EXPECT_EQ(text.backgroundMode, TRANSPARENT);
        EXPECT_EQ(text.options & ETO_CLIPPED, static_cast<UINT>(ETO_CLIPPED));
        ASSERT_TRUE(text.rectangle.has_value());
        EXPECT_EQ(text.rectangle->left, side.pages[i].document.left);
        EXPECT_EQ(text.rectangle->bottom, side.pages[i].document.bottom);
        // Drawn after its page, before the next one.
        EXPECT_TRUE(side.order.at(2 * i + 1).isText);
    }
}

// Colour value 2 is never drawn by the print processor; first-page-only draws on page 1 alone.
TEST_F(PlacementJobTest, WatermarkConditions) {
    const auto watermark = [](DWORD colour, BYTE firstPageOnly) {
        return [=](Devmode& d) {
            d.SetByte(at::kWmkEnabled, 1);
            d.SetByte(at::kWmkFirstPage, firstPageOnly);
            d.SetText(at::kWmkText, u"DRAFT");
            d.SetText(at::kWmkFont, u"Arial");
            d.SetDword(at::kWmkColor, colour);
            d.SetWord(at::kWmkSize, 72);
        };
    };
    palvex::DcLog log = Run(2, watermark(2, 0));
    ASSERT_EQ(log.sides().size(), 2u);
    EXPECT_TRUE(log.sides()[0]->texts.empty());
    EXPECT_TRUE(log.sides()[1]->texts.empty());
    log = Run(2, watermark(0x00FF0000, 1));
    ASSERT_EQ(log.sides().size(), 2u);
    EXPECT_EQ(log.sides()[0]->texts.size(), 1u);
    EXPECT_TRUE(log.sides()[1]->texts.empty());
}

// Position 3 on a 2-up sheet: vertical text from the bottom right of the side's binding rectangle.
TEST_F(PlacementJobTest, DateStampOnTwoUpIsVertical) {
    const palvex::DcLog log = Run(2, [](Devmode& d) {
        d.SetByte(at::kNupPages, 1);
        d.SetByte(at::kDateEnabled, 1);
        d.SetByte(at::kDateFormat, 0);
        d.SetByte(at::kDatePosition, 3);
    });
    ASSERT_EQ(log.sides().size(), 1u);
    const palvex::PrintedSide& side = *log.sides()[0];
    ASSERT_EQ(side.texts.size(), 1u);
    const palvex::DrawnText& text = side.texts[0];
    EXPECT_FALSE(text.text.empty());
    EXPECT_EQ(text.font.lfHeight, -75);  // 9 points at 600 dpi
    EXPECT_EQ(text.font.lfEscapement, 900);
    EXPECT_EQ(std::u16string(text.font.lfFaceName), u"Arial");
    EXPECT_EQ(text.colour, 0u);
    EXPECT_EQ(text.position.y, 6815);
    EXPECT_GT(text.position.x, 4760 - 200);
    EXPECT_LT(text.position.x, 4760);
    EXPECT_TRUE(side.order.back().isText);
}

// Pictures of a 4-up, a booklet, a poster and a watermark job for a person to look at, written to
// the folder named by PALVEX_SHEET_PICTURES (skipped without it).
TEST_F(PlacementJobTest, SheetPictures) {
    const char* folder = std::getenv("PALVEX_SHEET_PICTURES");
    if (!folder || !*folder) GTEST_SKIP() << "PALVEX_SHEET_PICTURES names no folder";
    const auto watermark = [](Devmode& d) {
        d.SetByte(at::kWmkEnabled, 1);
        d.SetText(at::kWmkText, u"CONFIDENTIAL");
        d.SetText(at::kWmkFont, u"Arial");
        d.SetWord(at::kWmkDegree, 45);
        d.SetDword(at::kWmkColor, 0x000000FF);
        d.SetWord(at::kWmkShade, 100);
        d.SetWord(at::kWmkSize, 72);
        d.SetByte(at::kDateEnabled, 2);
        d.SetByte(at::kDatePosition, 5);
    };
    const struct {
        const char* stem;
        DWORD pages;
        std::function<void(Devmode&)> change;
    } jobs[] = {
        {"nup4", 6, [](Devmode& d) { d.SetByte(at::kNupPages, 2); }},
        {"nup2", 2, [](Devmode& d) { d.SetByte(at::kNupPages, 1); }},
        {"nup6", 6, [](Devmode& d) { d.SetByte(at::kNupPages, 3); }},
        {"booklet", 8, [](Devmode& d) { d.SetByte(at::kBooklet, 2); }},
        {"poster", 1, [](Devmode& d) { d.SetByte(at::kPoster, 2); }},
        {"watermark", 2, watermark},
        {"watermark-nup4", 4, [&](Devmode& d) {
             watermark(d);
             d.SetByte(at::kNupPages, 2);
         }},
    };
    for (const auto& job : jobs) {
        const palvex::DcLog log = Run(job.pages, job.change);
        EXPECT_FALSE(palvex::WriteSidePictures(log, folder, job.stem, 50).empty());
    }
}

}  // namespace
}  // namespace pptest
