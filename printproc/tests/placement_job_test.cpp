// Page placement and stamps seen on the recording printer DC of whole EMF jobs: turned 2-up
// pages, enlarged N-up clips, the binding rectangle written into the DEVMODE, the watermark over
// each page and the date stamp of each side.
#include <cstdlib>
#include <cstring>
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
    palvex::DcLog Run(DWORD pages, const std::function<void(Devmode&)>& change, short paper = DMPAPER_A4,
                      const std::vector<DWORD>& landscape = {}) {
        const std::vector<BYTE> devMode = JobDevmode(change, paper);
        palvex::SpoolDocumentDesc document = palvex::NumberedPages(pages, landscape);
        document.devMode = devMode;
        const std::u16string spoolFile = WriteSpoolFile(
            u"P" + std::u16string(1, static_cast<char16_t>(u'A' + m_jobs++)) + u".SPL", palvex::SpoolFileBytes(document));
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

    // The watermark on: text in Arial at 72 points.
    static void Watermark(Devmode& d, const std::u16string& text) {
        d.SetByte(at::kWmkEnabled, 1);
        d.SetText(at::kWmkText, text);
        d.SetText(at::kWmkFont, u"Arial");
        d.SetWord(at::kWmkSize, 72);
    }

    static void Resolution(Devmode& d, short dpi) {
        d.get()->dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
        d.get()->dmPrintQuality = dpi;
        d.get()->dmYResolution = dpi;
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

// A page turned by a quarter (counter-clockwise) and played into a rectangle from the origin.
void ExpectQuarterTurnFromTheOrigin(const palvex::PlayedPage& page) {
    EXPECT_EQ(page.transform.eM11, 0.0f);
    EXPECT_EQ(page.transform.eM12, -1.0f);
    EXPECT_EQ(page.transform.eM21, 1.0f);
    EXPECT_EQ(page.transform.eM22, 0.0f);
    EXPECT_EQ(page.document.left, 0);
    EXPECT_EQ(page.document.top, 0);
}

TEST_F(PlacementJobTest, TwoUpPagesAreTurnedIntoTheirHalves) {
    const palvex::DcLog log = Run(2, [](Devmode& d) { d.SetByte(at::kNupPages, 1); });
    ASSERT_EQ(log.sides().size(), 1u);
    const palvex::PrintedSide& side = *log.sides()[0];
    ASSERT_EQ(side.pages.size(), 2u);
    for (const palvex::PlayedPage& page : side.pages) {
        SCOPED_TRACE(page.page);
        // A quarter turn, moved to the lower left corner of the page's place (a landscape half);
        // the portrait page itself is played into a rectangle from the origin.
        ExpectQuarterTurnFromTheOrigin(page);
        EXPECT_LT(page.document.right, page.document.bottom);
        ASSERT_TRUE(page.border.has_value());
    }
    // Order 1 on a portrait sheet: the first page goes into the bottom half.
    EXPECT_GT(side.pages[0].transform.eDy, 6816 / 2);
    EXPECT_LT(side.pages[1].transform.eDy, 6816 / 2 + 1);
}

// A 4-up side whose second page is landscape plays that page turned by a quarter into a landscape
// rectangle; the portrait first page is played as it is.
TEST_F(PlacementJobTest, APageOfTheOtherOrientationIsTurned) {
    const palvex::DcLog log = Run(2, [](Devmode& d) { d.SetByte(at::kNupPages, 2); }, DMPAPER_A4, {2});
    ASSERT_EQ(log.sides().size(), 1u);
    const palvex::PrintedSide& side = *log.sides()[0];
    ASSERT_EQ(side.pages.size(), 2u);
    const palvex::PlayedPage& upright = side.pages[0];
    EXPECT_EQ(upright.transform.eM11, 1.0f);
    EXPECT_EQ(upright.transform.eM12, 0.0f);
    EXPECT_LT(upright.document.right - upright.document.left, upright.document.bottom - upright.document.top);
    const palvex::PlayedPage& turned = side.pages[1];
    ExpectQuarterTurnFromTheOrigin(turned);
    EXPECT_GT(turned.document.right, turned.document.bottom);
    // Moved to the lower left corner of the top right cell.
    EXPECT_GT(turned.transform.eDx, 4761 / 2);
    EXPECT_LT(turned.transform.eDy, 6816 / 2 + 1);
}

// Without the frame an N-up clip reaches beyond the page: 30 units at 600 dpi for 4-up, 15 for
// 9-up, 10 for 16-up; at 300 dpi 5, 2 and 1.
TEST_F(PlacementJobTest, BorderlessClipsAreEnlarged) {
    const struct {
        BYTE stored;
        short dpi;
        LONG grow;
    } cases[] = {{2, 600, 30}, {4, 600, 15}, {5, 600, 10}, {2, 300, 5}, {4, 300, 2}, {5, 300, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored) + " at " + std::to_string(c.dpi));
        const palvex::DcLog log = Run(1, [&](Devmode& d) {
            d.SetByte(at::kNupPages, c.stored);
            d.SetByte(at::kNupBorder, 0);
            Resolution(d, c.dpi);
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

struct PaperCase {
    const char* name;
    short paper;
    RECT document;
};

// Scaling to A4 without fitting; each paper less the 200 units of unprintable margins, tenths of
// a millimetre to 600 dpi truncated. A4 is 4760 x 6815.
TEST_F(PlacementJobTest, ScalesTheJobPaperOntoTheScalePaper) {
    const PaperCase cases[] = {
        // A3, 6815 x 9721, is larger both ways: its printable page 6816 x 9721 grows by half the
        // excess, 1027 and 1453, on every side.
        {"larger", DMPAPER_A3, {-1027, -1453, 7843, 11174}},
        // A5, 3296 x 4760, is smaller both ways: centred in A4.
        {"smaller", DMPAPER_A5, {732, 1027, 4028, 5787}},
        // Letter, 4900 x 6400, is wider and lower: its printable page scaled by the smaller paper
        // ratio, 2794 / 2970 = 94 %, to 4606 x 6016, centred in itself.
        {"mixed", DMPAPER_LETTER, {147, 192, 4753, 6208}},
    };
    for (const PaperCase& c : cases) {
        SCOPED_TRACE(c.name);
        const palvex::DcLog log = Run(1, [](Devmode& d) {
            d.SetByte(at::kScaleEnabled, 1);
            d.SetWord(at::kScaleSize, DMPAPER_A4);
            d.SetByte(at::kScaleToFit, 0);
        }, c.paper);
        ASSERT_EQ(log.sides().size(), 1u);
        const RECT& document = log.sides()[0]->pages.at(0).document;
        EXPECT_EQ(document.left, c.document.left);
        EXPECT_EQ(document.top, c.document.top);
        EXPECT_EQ(document.right, c.document.right);
        EXPECT_EQ(document.bottom, c.document.bottom);
    }
}

struct ScalingCase {
    const char* name;
    DWORD pdl;
    BYTE scaleToPaper;
    RECT document;
    bool clipped;  // to the unscaled page
};

// Scaling turns 4-up off. A factor of 150 grows the printable A4 page 4761 x 6816 to 7141 x
// 10224, clipped to the unscaled page; a printer language of 30-59 scaling to a paper drops the
// factor: A4 fitted to A4 is the printable paper, 2100 x 2970 tenths of a millimetre at 600 dpi
// (4960 x 7015) less the unprintable 200, unscaled and unclipped.
TEST_F(PlacementJobTest, ScalingTurnsNupOff) {
    const ScalingCase cases[] = {
        {"factor 150", 50, 0, {0, 0, 7141, 10224}, true},
        {"to A4 with factor 150 on PDL 40", 40, 1, {0, 0, 4760, 6815}, false},
    };
    for (const ScalingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const palvex::DcLog log = Run(2, [&](Devmode& d) {
            d.SetDword(at::kPdlType, c.pdl);
            d.SetByte(at::kNupPages, 2);
            d.SetByte(at::kScaleEnabled, c.scaleToPaper);
            d.SetWord(at::kScaleSize, DMPAPER_A4);
            d.SetByte(at::kScaleToFit, 1);
            d.SetWord(at::kScaleFactor, 150);
        });
        ASSERT_EQ(log.sides().size(), 2u);
        for (const palvex::PrintedSide* side : log.sides()) {
            ASSERT_EQ(side->pages.size(), 1u);
            const palvex::PlayedPage& page = side->pages[0];
            EXPECT_EQ(page.document.left, c.document.left);
            EXPECT_EQ(page.document.top, c.document.top);
            EXPECT_EQ(page.document.right, c.document.right);
            EXPECT_EQ(page.document.bottom, c.document.bottom);
            ASSERT_EQ(page.clip.has_value(), c.clipped);
            if (!c.clipped) continue;
            EXPECT_EQ(page.clip->left, 0);
            EXPECT_EQ(page.clip->top, 0);
            EXPECT_EQ(page.clip->right, 4761);
            EXPECT_EQ(page.clip->bottom, 6816);
        }
    }
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
        Watermark(d, u"DRAFT");
        d.SetByte(at::kWmkAngle, 0);
        d.SetWord(at::kWmkDegree, 45);
        d.SetDword(at::kWmkColor, 0x000000FF);
        d.SetWord(at::kWmkShade, 0);
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
            Watermark(d, u"DRAFT");
            d.SetByte(at::kWmkFirstPage, firstPageOnly);
            d.SetDword(at::kWmkColor, colour);
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

// The stamp is 9 points, truncated: 75 units at 600 dpi, 37 at 300; position 0 is the top left.
TEST_F(PlacementJobTest, DateStampFontIsNinePoints) {
    const struct {
        short dpi;
        LONG height;
    } cases[] = {{600, 75}, {300, 37}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const palvex::DcLog log = Run(1, [&](Devmode& d) {
            d.SetByte(at::kDateEnabled, 1);
            d.SetByte(at::kDatePosition, 0);
            Resolution(d, c.dpi);
        });
        ASSERT_EQ(log.sides().size(), 1u);
        ASSERT_EQ(log.sides()[0]->texts.size(), 1u);
        const palvex::DrawnText& text = log.sides()[0]->texts[0];
        EXPECT_EQ(text.font.lfHeight, -c.height);
        EXPECT_EQ(text.font.lfEscapement, 0);
        EXPECT_EQ(text.position.x, 0);
        EXPECT_EQ(text.position.y, 0);
    }
}

// A text that fills the 64 characters of its setting keeps the 63 that fit the job's buffer
// with the text's end.
TEST_F(PlacementJobTest, WatermarkTextIsCutToItsBuffer) {
    const std::u16string full(64, u'W');
    const palvex::DcLog log = Run(1, [&](Devmode& d) {
        Watermark(d, full);
    });
    ASSERT_EQ(log.sides().size(), 1u);
    ASSERT_EQ(log.sides()[0]->texts.size(), 1u);
    EXPECT_EQ(log.sides()[0]->texts[0].text, full.substr(0, 63));
}

// Pictures of a 4-up, a booklet, a poster and a watermark job for a person to look at, written to
// the folder named by PALVEX_SHEET_PICTURES (skipped without it).
TEST_F(PlacementJobTest, SheetPictures) {
    const char* folder = std::getenv("PALVEX_SHEET_PICTURES");
    if (!folder || !*folder) GTEST_SKIP() << "PALVEX_SHEET_PICTURES names no folder";
    const auto watermark = [](Devmode& d) {
        Watermark(d, u"CONFIDENTIAL");
        d.SetWord(at::kWmkDegree, 45);
        d.SetDword(at::kWmkColor, 0x000000FF);
        d.SetWord(at::kWmkShade, 100);
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
