// A job through the universal driver's render host: the order of the plug-in's calls and of the
// command callbacks, the driver's PCL XL frame around the plug-in's bytes, a new DEVMODE in the
// middle of a job, and pages rendered in bands.
#include <fstream>
#include <iterator>

#include <palvex/port_output.h>
#include <palvex/recording_dc.h>
#include <palvex/spool_writer.h>
#include <render_host.h>
#include <render_host_raster.h>

#include "render_fixture.h"

namespace rendertest {
namespace {

using palvex::hosts::RenderEvent;
using palvex::hosts::RenderHost;
using palvex::hosts::RenderHostOptions;
using palvex::hosts::RenderPluginLibrary;

std::vector<BYTE> Bytes(std::string_view text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

std::vector<BYTE> Concat(std::initializer_list<std::vector<BYTE>> parts) {
    std::vector<BYTE> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<BYTE> ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(file), {});
}

// The driver's frame at the job's start: language switch, stream header, BeginSession at 600 dpi,
// OpenDataSource.
const std::vector<BYTE> kJobFrame = Concat({
    Bytes("@PJL ENTER LANGUAGE=PCLXL\n) HP-PCL XL;2;0;Palvex render host\n"),
    {0xD1, 0x58, 0x02, 0x58, 0x02, 0xF8, 0x89},  // UnitsPerMeasure 600 x 600
    {0xC0, 0x00, 0xF8, 0x86},                    // Measure eInch
    {0xC0, 0x00, 0xF8, 0x8F},                    // ErrorReport eNoReporting
    {0x41},                                      // BeginSession
    {0xC0, 0x00, 0xF8, 0x88},                    // SourceType eDefaultDataSource
    {0xC0, 0x01, 0xF8, 0x82},                    // DataOrg eBinaryLowByteFirst
    {0x48},                                      // OpenDataSource
});
// At each A4 page's start: MediaSize eA4Paper, BeginPage.
const std::vector<BYTE> kA4PageFrame = {0xC0, 0x02, 0xF8, 0x25, 0x43};

// The header the plug-in writes at the job's start, up to the job identifier, which changes with
// the time. Checked apart: it holds 25 characters.
const std::string kHeaderHead = "\x1b%-12345X@PJL JOB\n@PJL COMMENT \"";
const std::string kHeaderMiddle = "@PJL SET QVSTRINGCODESET=UTF8\n@PJL SET JOBNAME=\"Report\"\n@PJL SET USERNAME=\"User\"\n"
                                  "@PJL SET QVJOBID=\"";
// What follows the header on a simplex A4 job of two pages with one copy, not held.
const std::vector<BYTE> kHeaderTail = Bytes("@PJL SET HOLD=OFF\n@PJL SET QVNIN1=1\n@PJL SET DUPLEX=OFF\n");
// Orientation portrait and MediaSource 1 before each page; PageCopies 1 and EndPage after it.
const std::vector<BYTE> kPageStart = {0xC0, 0x00, 0xF8, 0x28, 0xC0, 0x01, 0xF8, 0x26};
const std::vector<BYTE> kPageEnd = {0xC1, 0x01, 0x00, 0xF8, 0x31, 0x44};
// CloseDataSource, EndSession, UEL, "@PJL EOJ", UEL.
const std::vector<BYTE> kJobEnd = Concat({{0x49, 0x42}, Bytes("\x1b%-12345X@PJL EOJ\n\x1b%-12345X")});

// The output after the job identifier's line, checking what comes before it.
std::vector<BYTE> AfterHeader(const std::vector<BYTE>& output, const std::string& jobName) {
    std::string middle = kHeaderMiddle;
    const size_t name = middle.find("Report");
    middle.replace(name, 6, jobName);
    const std::string text(output.begin(), output.end());
    EXPECT_EQ(text.rfind(kHeaderHead, 0), 0u);
    const size_t commentEnd = text.find("\"\n", kHeaderHead.size());
    EXPECT_NE(commentEnd, std::string::npos);
    if (commentEnd == std::string::npos) return {};
    EXPECT_EQ(text.compare(commentEnd + 2, middle.size(), middle), 0) << text.substr(0, 400);
    const size_t id = commentEnd + 2 + middle.size();
    EXPECT_EQ(text.compare(id + 25, 2, "\"\n"), 0) << text.substr(id, 30);
    if (text.size() < id + 27) return {};
    return std::vector<BYTE>(output.begin() + static_cast<std::ptrdiff_t>(id + 27), output.end());
}

// A grey page image as the driver sends it, read back: the image's size from BeginImage and its
// rows decoded from the ReadImage blocks (PackBits, rows padded to 4 bytes). ok is false when the
// bytes at the start do not have the driver's shape.
struct PageImage {
    bool ok = false;
    int width = 0;
    int height = 0;
    size_t end = 0;  // just past PopGS
    std::vector<BYTE> pixels;  // width x height
    int DarkIn(int left, int top, int right, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom && y < height; ++y)
            for (int x = left; x < right && x < width; ++x) count += pixels[size_t(y) * size_t(width) + size_t(x)] < 96;
        return count;
    }
};

PageImage ReadPageImage(const std::vector<BYTE>& b, size_t at) {
    PageImage image;
    auto word = [&](size_t i) { return int(b[i] | b[i + 1] << 8); };
    // PushGS, eGray, ROP 204, the cursor at the printable area's corner (100, 100 on the test
    // printer's A4), direct 8-bit pixels.
    const std::vector<BYTE> head = {0x61, 0xC0, 0x01, 0xF8, 0x03, 0x6A, 0xC0, 0xCC, 0xF8, 0x2C, 0x7B, 0xD3, 100, 0, 100,
                                    0, 0xF8, 0x4C, 0x6B, 0xC0, 0x00, 0xF8, 0x64, 0xC0, 0x02, 0xF8, 0x62, 0xC1};
    if (b.size() < at + head.size() + 20 || !std::equal(head.begin(), head.end(), b.begin() + std::ptrdiff_t(at)))
        return image;
    at += head.size();
    image.width = word(at);
    image.height = word(at + 5);
    if (b[at + 9] != 0xD1 || word(at + 10) != image.width || word(at + 12) != image.height || b[at + 16] != 0xB0)
        return image;
    at += 17;
    const size_t rowBytes = (size_t(image.width) + 3) / 4 * 4;
    std::vector<BYTE> data;
    int line = 0;
    while (at < b.size() && b[at] == 0xC1) {
        if (word(at + 1) != line || b[at + 10] != 0xC0 || b[at + 11] != 0x01 || b[at + 14] != 0xB1 || b[at + 15] != 0xFA)
            return image;
        const int rows = word(at + 6);
        const size_t size = Peek<DWORD>(b.data(), at + 16);
        at += 20;
        if (at + size > b.size()) return image;
        const size_t endOfBlock = at + size;
        const size_t wanted = data.size() + size_t(rows) * rowBytes;
        while (at < endOfBlock) {
            const BYTE n = b[at++];
            if (n < 128) {
                data.insert(data.end(), b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + n + 1));
                at += n + 1;
            } else if (n > 128) {
                data.insert(data.end(), size_t(257 - n), b[at++]);
            }
        }
        if (data.size() != wanted) return image;
        line += rows;
    }
    if (line != image.height || at + 2 > b.size() || b[at] != 0xB2 || b[at + 1] != 0x60) return image;
    image.end = at + 2;
    image.pixels.reserve(size_t(image.width) * size_t(image.height));
    for (int y = 0; y < image.height; ++y)
        image.pixels.insert(image.pixels.end(), data.begin() + std::ptrdiff_t(size_t(y) * rowBytes),
                            data.begin() + std::ptrdiff_t(size_t(y) * rowBytes + size_t(image.width)));
    image.ok = true;
    return image;
}

TEST(PageImageBytes, RunsAndLiteralsOfARow) {
    struct Case {
        std::vector<BYTE> row;
        std::vector<BYTE> packed;
    };
    std::vector<BYTE> long_run(130, 0xFF);
    const Case cases[] = {
        {{1, 1, 1, 2, 3, 4, 4}, {0xFE, 1, 0x01, 2, 3, 0xFF, 4}},
        {{7}, {0x00, 7}},
        {long_run, {0x81, 0xFF, 0xFF, 0xFF}},  // 128, then a run of 2
        {{}, {}},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> out;
        palvex::hosts::PackBits(c.row.data(), c.row.size(), &out);
        EXPECT_EQ(out, c.packed);
    }
}

TEST(PageImageBytes, TheImageFrameAndAGreyBlock) {
    EXPECT_EQ(palvex::hosts::ImageStart(8, 2, POINTL{10, 20}, false),
              (std::vector<BYTE>{0x61, 0xC0, 0x01, 0xF8, 0x03, 0x6A, 0xC0, 0xCC, 0xF8, 0x2C, 0x7B, 0xD3, 0x0A, 0x00,
                                 0x14, 0x00, 0xF8, 0x4C, 0x6B, 0xC0, 0x00, 0xF8, 0x64, 0xC0, 0x02, 0xF8, 0x62, 0xC1, 0x08,
                                 0x00, 0xF8, 0x6C, 0xC1, 0x02, 0x00, 0xF8, 0x6B, 0xD1, 0x08, 0x00, 0x02, 0x00, 0xF8,
                                 0x67, 0xB0}));
    // Two rows of five pixels: white, then black red green blue white. Grey rows pad to 8 bytes.
    std::vector<BYTE> rgb(15, 0xFF);
    const std::vector<BYTE> second = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    rgb.insert(rgb.end(), second.begin(), second.end());
    EXPECT_EQ(palvex::hosts::ImageBlock(5, 3, 2, rgb, false),
              (std::vector<BYTE>{0xC1, 0x03, 0x00, 0xF8, 0x6D, 0xC1, 0x02, 0x00, 0xF8, 0x63, 0xC0, 0x01, 0xF8, 0x65,
                                 0xB1, 0xFA, 0x0C, 0x00, 0x00, 0x00,
                                 // FF x5 then 00 x3; then 00 4C 96 1D FF literal, 00 x3
                                 0xFC, 0xFF, 0xFE, 0x00, 0x04, 0x00, 0x4C, 0x96, 0x1D, 0xFF, 0xFE, 0x00}));
    // In colour the same rows are 15 bytes, padded to 16.
    const std::vector<BYTE> colour = palvex::hosts::ImageBlock(5, 0, 1, std::vector<BYTE>(15, 0x20), true);
    EXPECT_EQ(std::vector<BYTE>(colour.begin() + 15, colour.end()),
              (std::vector<BYTE>{0xFA, 0x04, 0x00, 0x00, 0x00, 0xF2, 0x20, 0x00, 0x00}));
    EXPECT_EQ(palvex::hosts::ImageEnd(), (std::vector<BYTE>{0xB2, 0x60}));
}

class LibraryJob : public ::testing::Test {
protected:
    void SetUp() override {
        InstallRenderPrinter();
        ASSERT_TRUE(m_library.loaded()) << m_library.error();
    }

    palvex::TestMachine m_machine;
    RenderPluginLibrary m_library{TOVQEBXL_LIBRARY};
};

TEST_F(LibraryJob, RunsTheDriversOrderAndWritesTheFrameToThePort) {
    {
        RenderHostOptions options;
        options.printerName = kPrinter;
        RenderHost host(m_library, options);
        ASSERT_TRUE(host.Load()) << host.error();
        ASSERT_TRUE(host.StartDocument(u"Report", 7));
        for (int page = 0; page < 2; ++page) {
            ASSERT_TRUE(host.StartPage());
            EXPECT_TRUE(host.TextOut(u"Hello", POINTL{100, 200}, 0));
            ASSERT_TRUE(host.EndPage());
        }
        ASSERT_TRUE(host.EndDocument());

        EXPECT_EQ(host.callbacks(), (std::vector<DWORD>{200, 304, 208, 300, 110, 313, 300, 110, 313, 201}));
        const std::vector<std::string> expected = {"DllGetClassObject", "CreateInstance", "PublishDriverInterface",
                                                   "GetInfo", "GetInfo", "DevMode", "DevMode", "EnableDriver",
                                                   "EnablePDEV"};
        EXPECT_EQ(PluginCalls(host), expected);
        for (const auto& event : host.events()) {
            if (event.kind == palvex::hosts::RenderEvent::Kind::Plugin) {
                EXPECT_EQ(event.result, S_OK) << event.name;
            }
        }
        // The text reached the driver's own TextOut through the plug-in.
        ASSERT_EQ(UnidrvEvents(host, "DrvTextOut").size(), 2u);
        EXPECT_EQ(UnidrvEvents(host, "DrvTextOut")[0].text, u"Hello");

        const std::vector<BYTE> expectedBytes = Concat({kHeaderTail, kJobFrame, kPageStart, kA4PageFrame, kPageEnd,
                                                        kPageStart, kA4PageFrame, kPageEnd, kJobEnd});
        EXPECT_EQ(AfterHeader(host.output(), "Report"), expectedBytes);
        EXPECT_EQ(ReadFile(palvex::PortOutputPath(u"FILE:")), host.output());
    }
    // Unloading the plug-in disables its PDEV and the driver, and releases the object.
    EXPECT_EQ(m_library.DllCanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace rendertest

namespace rendertest {
namespace {

using palvex::hosts::RenderEvent;
using palvex::hosts::RenderHostOptions;

class HostJob : public RenderTest {};

TEST_F(HostJob, ANewDevModeEnablesTheNewPdevResetsAndDisablesTheOld) {
    auto host = MakeHost();
    ASSERT_TRUE(host->StartDocument(u"Doc", 3));
    ASSERT_TRUE(host->StartPage());
    ASSERT_TRUE(host->EndPage());
    const size_t eventsBefore = host->events().size();
    JobDevMode landscape = DefaultJob(*host);
    landscape->dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_TRUE(host->ChangeDevMode(landscape.get()));
    ASSERT_TRUE(host->StartPage());
    ASSERT_TRUE(host->EndPage());
    ASSERT_TRUE(host->EndDocument());

    std::vector<std::string> after;
    for (size_t i = eventsBefore; i < host->events().size(); ++i) {
        const RenderEvent& event = host->events()[i];
        if (event.kind == RenderEvent::Kind::Plugin) after.push_back(event.name);
        if (event.kind == RenderEvent::Kind::Unidrv && event.name == "DrvStartDoc") after.push_back(event.name);
    }
    EXPECT_EQ(after, (std::vector<std::string>{"DevMode", "EnablePDEV", "ResetPDEV", "DisablePDEV", "DrvStartDoc"}));
    // The job started once; each page had its commands.
    EXPECT_EQ(host->callbacks(), (std::vector<DWORD>{200, 304, 208, 300, 110, 313, 300, 110, 313, 201}));
    EXPECT_EQ(PdevOf(*host)->m_document.m_jobId, 3u);
    EXPECT_EQ(PdevOf(*host)->m_document.m_pageCounter, 2u);
    EXPECT_EQ(PdevOf(*host)->m_layout.m_landscape, 1u);
}

TEST_F(HostJob, DuplexAndPaperSourceChooseTheirCommands) {
    struct Case {
        short duplex;
        short source;
        DWORD duplexCommand;
        DWORD sourceCommand;
    };
    const Case cases[] = {
        {DMDUP_SIMPLEX, DMBIN_AUTO, 304, 110}, {DMDUP_VERTICAL, DMBIN_UPPER, 305, 111},
        {DMDUP_HORIZONTAL, DMBIN_LOWER, 306, 112}, {DMDUP_SIMPLEX, DMBIN_MIDDLE, 304, 113},
        {DMDUP_SIMPLEX, DMBIN_MANUAL, 304, 114}, {DMDUP_SIMPLEX, 15, 304, 110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.duplex) + " " + std::to_string(c.source));
        auto host = MakeHost();
        JobDevMode job = DefaultJob(*host);
        job->dmDuplex = c.duplex;
        job->dmDefaultSource = c.source;
        ASSERT_TRUE(host->StartDocument(u"Doc", 1, job.get()));
        ASSERT_TRUE(host->StartPage());
        EXPECT_EQ(host->callbacks(), (std::vector<DWORD>{200, c.duplexCommand, 208, 300, c.sourceCommand}));
    }
}

TEST_F(HostJob, BandsReplayThePagesDrawingAndEndThePageInTheLastBand) {
    RenderHostOptions options;
    options.bandHeight = 1000;
    options.endPageCallback = 312;
    auto host = MakeHost(options);
    // A4 at 150 dpi: 1190 x 1704 printable.
    JobDevMode job = DefaultJob(*host);
    job->dmPrintQuality = 150;
    job->dmYResolution = 150;
    ASSERT_TRUE(host->StartDocument(u"Doc", 1, job.get()));
    ASSERT_TRUE(host->StartPage());
    EXPECT_TRUE(host->FillRect(RECTL{0, 0, 100, 100}, 0x000000));
    EXPECT_TRUE(UnidrvEvents(*host, "DrvBitBlt").empty());  // kept for the bands
    ASSERT_TRUE(host->EndPage());
    const auto fills = UnidrvEvents(*host, "DrvBitBlt");
    ASSERT_EQ(fills.size(), 2u);  // 1704 units high in bands of 1000
    EXPECT_EQ(UnidrvEvents(*host, "DrvStartBanding").size(), 1u);
    EXPECT_EQ(UnidrvEvents(*host, "DrvNextBand").size(), 2u);
    EXPECT_TRUE(UnidrvEvents(*host, "DrvSendPage").empty());
    EXPECT_EQ(host->callbacks().back(), 312u);
    EXPECT_EQ(host->Surface()->iType, STYPE_DEVICE);
    EXPECT_EQ(PdevOf(*host)->m_document.m_pageCounter, 1u);
}

TEST_F(HostJob, TheDocumentsDevModeIsMergedIntoTheDriversDevMode) {
    auto host = MakeHost();
    JobDevMode job = DefaultJob(*host);
    job->dmCopies = 3;
    job.Set<DWORD>(at::kDocPageCount, 21);
    ASSERT_TRUE(host->StartDocument(u"Doc", 1, job.get()));
    const DEVMODEW* merged = reinterpret_cast<const DEVMODEW*>(host->DevMode().data());
    EXPECT_EQ(merged->dmCopies, 3);
    EXPECT_EQ(merged->dmDriverExtra, palvex::hosts::kUnidrvPartSize + kRecordSize);
    EXPECT_EQ(Peek<WORD>(host->DevMode().data(), sizeof(DEVMODEW) + 8), palvex::hosts::kUnidrvPartSize);
    EXPECT_EQ(Peek<DWORD>(host->DevMode().data(), kPrivateAt + at::kDocPageCount), 21u);
    EXPECT_EQ(PdevOf(*host)->m_document.m_docPageCount, 21u);
    EXPECT_EQ(PluginCalls(*host).back(), "EnablePDEV");
}

}  // namespace
}  // namespace rendertest

namespace rendertest {
namespace {

TEST_F(LibraryJob, RendersWhatAPrinterDeviceContextRecorded) {
    // An application prints two pages, the second after a DEVMODE change, through a printer DC.
    std::vector<BYTE> portrait = palvex::MakeDevMode(DMPAPER_A4, false);
    std::vector<BYTE> landscape = palvex::MakeDevMode(DMPAPER_A4, true);
    HDC dc = CreateDCW(nullptr, kPrinter, nullptr, reinterpret_cast<const DEVMODEW*>(portrait.data()));
    ASSERT_NE(dc, nullptr);
    DOCINFOW info{sizeof(DOCINFOW), u"Letter to Ana", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(dc, &info), 0);
    ASSERT_GT(StartPage(dc), 0);
    SetTextColor(dc, RGB(0, 0, 255));
    ASSERT_TRUE(ExtTextOutW(dc, 300, 400, 0, nullptr, u"Dear Ana", 8, nullptr));
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_EQ(ResetDCW(dc, reinterpret_cast<const DEVMODEW*>(landscape.data())), dc);
    ASSERT_GT(StartPage(dc), 0);
    ASSERT_TRUE(ExtTextOutW(dc, 500, 600, 0, nullptr, u"Yours", 5, nullptr));
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    const std::optional<palvex::DcLog> log = palvex::ReadDcLog(dc);
    DeleteDC(dc);
    ASSERT_TRUE(log);

    RenderHostOptions options;
    options.printerName = kPrinter;
    RenderHost host(m_library, options);
    ASSERT_TRUE(host.Load()) << host.error();
    ASSERT_TRUE(palvex::hosts::RenderDcLog(host, *log));

    EXPECT_EQ(host.callbacks(), (std::vector<DWORD>{200, 304, 208, 300, 110, 313, 300, 110, 313, 201}));
    const std::vector<std::string> calls = PluginCalls(host);
    const std::vector<std::string> job(calls.begin() + 8, calls.end());
    EXPECT_EQ(job, (std::vector<std::string>{"DevMode", "EnablePDEV", "DevMode", "EnablePDEV", "ResetPDEV", "DisablePDEV"}));
    const auto texts = UnidrvEvents(host, "DrvTextOut");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, u"Dear Ana");
    EXPECT_EQ(texts[0].foreColor, static_cast<ULONG>(RGB(0, 0, 255)));
    EXPECT_EQ(texts[0].point->x, 300);
    EXPECT_EQ(texts[1].text, u"Yours");
    EXPECT_EQ(UnidrvEvents(host, "DrvStartDoc")[0].text, u"Letter to Ana");
    // The second page went out landscape.
    const DEVMODEW* current = reinterpret_cast<const DEVMODEW*>(host.DevMode().data());
    EXPECT_EQ(current->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(UnidrvEvents(host, "DrvStartPage").back().surface->sizlBitmap.cx, 6816);
    // Each page carries its content as one image between BeginPage and the page end.
    const std::vector<BYTE> after = AfterHeader(host.output(), "Letter to Ana");
    const std::vector<BYTE> landscapeStart = {0xC0, 0x01, 0xF8, 0x28, 0xC0, 0x01, 0xF8, 0x26};
    const std::vector<BYTE> firstStart = Concat({kHeaderTail, kJobFrame, kPageStart, kA4PageFrame});
    ASSERT_GT(after.size(), firstStart.size());
    EXPECT_TRUE(std::equal(firstStart.begin(), firstStart.end(), after.begin()));
    const PageImage portraitPage = ReadPageImage(after, firstStart.size());
    ASSERT_TRUE(portraitPage.ok);
    EXPECT_EQ(portraitPage.width, 4761);
    EXPECT_EQ(portraitPage.height, 6816);
    // "Dear Ana" at (300, 400), top-aligned in the default font: dark pixels just below and right of
    // the point, none above it.
    EXPECT_GT(portraitPage.DarkIn(300, 400, 600, 500), 50);
    EXPECT_EQ(portraitPage.DarkIn(0, 0, 4761, 390), 0);
    size_t at = portraitPage.end;
    const std::vector<BYTE> between = Concat({kPageEnd, landscapeStart, kA4PageFrame});
    ASSERT_GE(after.size(), at + between.size());
    EXPECT_TRUE(std::equal(between.begin(), between.end(), after.begin() + static_cast<std::ptrdiff_t>(at)));
    const PageImage landscapePage = ReadPageImage(after, at + between.size());
    ASSERT_TRUE(landscapePage.ok);
    EXPECT_EQ(landscapePage.width, 6816);
    EXPECT_EQ(landscapePage.height, 4761);
    EXPECT_GT(landscapePage.DarkIn(500, 600, 700, 700), 30);
    at = landscapePage.end;
    const std::vector<BYTE> rest(after.begin() + static_cast<std::ptrdiff_t>(at), after.end());
    EXPECT_EQ(rest, Concat({kPageEnd, kJobEnd}));
}

}  // namespace
}  // namespace rendertest
