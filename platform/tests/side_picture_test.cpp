// Pictures of printed sides: a two-page job drawn into PNG files.
#include <cairo.h>

#include <limits>
#include <memory>

#include <palvex/recording_dc.h>

#include "spool_job_fixture.h"

namespace spooltest {
namespace {

// Reads a PNG; the pixel accessor answers 0x00RRGGBB.
class Picture {
public:
    explicit Picture(const std::filesystem::path& file)
        : m_surface(cairo_image_surface_create_from_png(file.c_str())) {}
    ~Picture() { cairo_surface_destroy(m_surface); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    bool ok() const { return cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(m_surface); }
    int height() const { return cairo_image_surface_get_height(m_surface); }
    uint32_t At(int x, int y) const {
        const auto* row = cairo_image_surface_get_data(m_surface) + static_cast<size_t>(y) * cairo_image_surface_get_stride(m_surface);
        return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
    }
    static bool Dark(uint32_t pixel) { return ((pixel >> 16) & 0xFF) < 96 && ((pixel >> 8) & 0xFF) < 96 && (pixel & 0xFF) < 96; }
    // Dark pixels in a box.
    int DarkIn(int left, int top, int right, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) count += Dark(At(x, y));
        return count;
    }

private:
    cairo_surface_t* m_surface;
};

using SidePictureTest = SpoolJobTest;

TEST_F(SidePictureTest, ATwoPageJobMakesTwoSheetPictures) {
    // Page 1 portrait on an A4 sheet, page 2 landscape on a turned sheet, each filling the
    // printable area at 600 dots per inch; the second side also carries red text.
    const DWORD job = AddJobWithFile(palvex::NumberedPages(2, {2}));
    HANDLE spool = Open(job);
    ASSERT_NE(spool, nullptr);
    HDC dc = GdiGetDC(spool);
    DOCINFOW info{sizeof(DOCINFOW), u"Pictures", nullptr, nullptr, 0};
    ASSERT_TRUE(GdiStartDocEMF(spool, &info));
    for (DWORD page = 1; page <= 2; ++page) {
        DEVMODEW* devMode = nullptr;
        ASSERT_TRUE(GdiGetDevmodeForPage(spool, page, &devMode, nullptr));
        ASSERT_TRUE(GdiResetDCEMF(spool, devMode));
        ASSERT_TRUE(GdiStartPageEMF(spool));
        RECT all{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
        ASSERT_TRUE(GdiPlayPageEMF(spool, GdiGetPageHandle(spool, page, nullptr), &all, nullptr, nullptr));
        if (page == 2) {
            LOGFONTW font{};
            font.lfHeight = -200;
            HFONT handle = CreateFontIndirectW(&font);
            HGDIOBJ previous = SelectObject(dc, handle);
            SetTextColor(dc, RGB(255, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            ExtTextOutW(dc, 200, 3000, 0, nullptr, u"WWWW", 4, nullptr);
            SelectObject(dc, previous);
            DeleteObject(handle);
        }
        ASSERT_TRUE(GdiEndPageEMF(spool, 0));
    }
    ASSERT_TRUE(GdiEndDocEMF(spool));
    GdiDeleteSpoolFileHandle(spool);

    const auto log = palvex::ReadJobDcLog(job);
    ASSERT_TRUE(log);
    const auto folder = m_machine.root() / "pictures";
    const auto files = palvex::WriteSidePictures(*log, folder, "job");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "job-1.png");

    // A4 at 100 pixels per inch: 4961 x 7016 device units at 600 become 827 x 1169 pixels.
    Picture portrait(files[0]);
    ASSERT_TRUE(portrait.ok());
    EXPECT_EQ(portrait.width(), 827);
    EXPECT_EQ(portrait.height(), 1169);
    EXPECT_EQ(portrait.At(5, 5), 0xFFFFFFu);  // white paper
    EXPECT_EQ(portrait.At(826, 1168), 0xFFFFFFu);
    // The page's frame, 300 of its 4961 pixels in: 100 + 300 x 4761 / 4961 = 388 device units,
    // 64.7 pixels, from the sheet's left edge; at the height of the sheet's middle.
    EXPECT_GT(portrait.DarkIn(62, 580, 68, 590), 0);
    EXPECT_EQ(portrait.DarkIn(20, 580, 58, 590), 0);
    // The large number in the middle.
    EXPECT_GT(portrait.DarkIn(363, 450, 463, 650), 500);

    Picture landscape(files[1]);
    ASSERT_TRUE(landscape.ok());
    EXPECT_EQ(landscape.width(), 1169);
    EXPECT_EQ(landscape.height(), 827);
    EXPECT_EQ(landscape.At(5, 5), 0xFFFFFFu);
    EXPECT_GT(landscape.DarkIn(535, 313, 635, 513), 500);
    // The red text, from (200, 3000) + the 100-unit edge: about (50, 517) in pixels.
    int red = 0;
    for (int y = 500; y < 560; ++y)
        for (int x = 40; x < 160; ++x) {
            const uint32_t pixel = landscape.At(x, y);
            red += ((pixel >> 16) & 0xFF) > 200 && ((pixel >> 8) & 0xFF) < 80 && (pixel & 0xFF) < 80;
        }
    EXPECT_GT(red, 50);
}

// A page's coordinates come from an application: a rectangle, border, clip and document box
// spanning the whole 32-bit range, and text turned by the most negative escapement, are drawn
// (or drawn off the sheet) without overflowing on the way.
TEST_F(SidePictureTest, CoordinatesAtTheRangesEndsAreDrawnWithoutOverflow) {
    constexpr LONG kLow = std::numeric_limits<LONG>::min(), kHigh = std::numeric_limits<LONG>::max();
    std::vector<BYTE> emf;
    auto put = [&](std::initializer_list<uint32_t> values) {
        for (uint32_t value : values)
            for (int shift = 0; shift < 32; shift += 8) emf.push_back(static_cast<BYTE>(value >> shift));
    };
    auto u = [](LONG value) { return static_cast<uint32_t>(value); };
    // EMR_HEADER (88 bytes): a frame of the whole range, a 4961 x 7016 reference device of 210 x 297 mm.
    put({1, 88, 0, 0, 100, 100, u(kLow), u(kLow), u(kHigh), u(kHigh), 0x464D4520, 0x10000, 88 + 24 + 20, 3, 1, 0, 0, 0,
         4961, 7016, 210, 297});
    put({43, 24, u(kLow), u(kLow), u(kHigh), u(kHigh)});  // EMR_RECTANGLE
    put({14, 20, 0, 16, 20});                             // EMR_EOF

    palvex::DcLog log;
    log.devModes.push_back(palvex::MakeDevMode());
    palvex::PrintedSide side;
    palvex::PlayedPage page;
    page.page = 1;
    page.document = {kLow, kLow, kHigh, kHigh};
    page.border = page.document;
    page.clip = page.document;
    page.metafile = std::make_shared<const std::vector<BYTE>>(emf);
    side.pages.push_back(page);
    palvex::DrawnText text;
    text.text = u"W";
    text.font.lfHeight = -200;
    text.font.lfEscapement = kLow;
    text.position = {100, 100};
    text.options = ETO_CLIPPED;
    text.rectangle = RECT{kLow, kLow, kHigh, kHigh};
    side.texts.push_back(text);
    side.order = {{false, 0}, {true, 0}};
    const std::filesystem::path png = m_machine.root() / "extreme.png";
    palvex::WriteSidePicture(log, side, png, 100);
    Picture picture(png);
    ASSERT_TRUE(picture.ok());
    EXPECT_EQ(picture.width(), 827);
}

}  // namespace
}  // namespace spooltest
