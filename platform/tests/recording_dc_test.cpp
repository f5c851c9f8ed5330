// The recording printer device context: its log, world transforms, the device capabilities its
// DEVMODE gives, and the machine's forms and papers behind them.
#include <algorithm>
#include <cstring>
#include <functional>

#include <palvex/recording_dc.h>

#include "spool_job_fixture.h"

namespace spooltest {
namespace {

std::vector<BYTE> DevMode(short paper, bool landscape, short dpi) {
    auto bytes = palvex::MakeDevMode(paper, landscape);
    std::memcpy(bytes.data() + offsetof(DEVMODEW, dmPrintQuality), &dpi, 2);
    std::memcpy(bytes.data() + offsetof(DEVMODEW, dmYResolution), &dpi, 2);
    return bytes;
}

DEVMODEW* AsDevMode(std::vector<BYTE>& bytes) {
    return reinterpret_cast<DEVMODEW*>(bytes.data());
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameTransform(const XFORM& a, const XFORM& b) {
    return a.eM11 == b.eM11 && a.eM12 == b.eM12 && a.eM21 == b.eM21 && a.eM22 == b.eM22 && a.eDx == b.eDx &&
           a.eDy == b.eDy;
}

using RecordingDcTest = SpoolJobTest;

TEST_F(RecordingDcTest, LogsEachSideWithItsPagesTextAndDevmode) {
    const DWORD job = AddJobWithFile(palvex::NumberedPages(3, {3}));
    HANDLE spool = Open(job);
    ASSERT_NE(spool, nullptr);
    HDC dc = GdiGetDC(spool);
    DOCINFOW info{sizeof(DOCINFOW), u"Report", u"C:\\out.prn", nullptr, 0};
    ASSERT_TRUE(GdiStartDocEMF(spool, &info));
    ASSERT_EQ(SetGraphicsMode(dc, GM_ADVANCED), GM_COMPATIBLE);

    // Side 1: page 2 turned a quarter, with a border and a clip; text over it; the third page's
    // DEVMODE given before the side ends.
    ASSERT_TRUE(GdiStartPageEMF(spool));
    const XFORM turn{0, -1, 1, 0, 0, 6816};
    ASSERT_TRUE(SetWorldTransform(dc, &turn));
    RECT document{0, 0, 6816, 4761};
    RECT border{10, 10, 6806, 4751};
    RECT clip{-30, -30, 6846, 4791};
    ASSERT_TRUE(GdiPlayPageEMF(spool, GdiGetPageHandle(spool, 2, nullptr), &document, &border, &clip));
    ASSERT_TRUE(ModifyWorldTransform(dc, nullptr, MWT_IDENTITY));
    LOGFONTW logFont{};
    logFont.lfHeight = -300;
    logFont.lfEscapement = logFont.lfOrientation = 450;
    std::memcpy(logFont.lfFaceName, u"Arial", sizeof(u"Arial"));
    HFONT font = CreateFontIndirectW(&logFont);
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetTextColor(dc, 0x000F0FFF);
    SetBkMode(dc, TRANSPARENT);
    RECT box{0, 0, 4761, 6816};
    ASSERT_TRUE(ExtTextOutW(dc, 100, 200, ETO_CLIPPED, &box, u"CONFIDENTIAL", 12, nullptr));
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, u"CONFIDENTIAL", 12, &extent));
    EXPECT_GT(extent.cx, 12 * 100);  // a 300-unit em in device units, not screen pixels
    EXPECT_GE(extent.cy, 300);
    DEVMODEW* third = nullptr;
    ASSERT_TRUE(GdiGetDevmodeForPage(spool, 3, &third, nullptr));
    ASSERT_EQ(ResetDCW(dc, third), dc);
    ASSERT_TRUE(GdiEndPageEMF(spool, 0));

    // Side 2: pages 1 and 3 untransformed.
    ASSERT_TRUE(GdiStartPageEMF(spool));
    RECT half{0, 0, 3408, 4761};
    ASSERT_TRUE(GdiPlayPageEMF(spool, GdiGetPageHandle(spool, 1, nullptr), &half, nullptr, nullptr));
    ASSERT_TRUE(GdiPlayPageEMF(spool, GdiGetPageHandle(spool, 3, nullptr), &half, nullptr, nullptr));
    ASSERT_TRUE(GdiEndPageEMF(spool, 0));
    ASSERT_TRUE(GdiEndDocEMF(spool));
    SelectObject(dc, previousFont);
    DeleteObject(font);
    ASSERT_TRUE(GdiDeleteSpoolFileHandle(spool));
    EXPECT_FALSE(palvex::ReadDcLog(dc));  // the context is gone, its log stays

    const auto log = palvex::ReadJobDcLog(job);
    ASSERT_TRUE(log);
    EXPECT_EQ(log->printerName, kPrinter);
    EXPECT_EQ(log->jobId, job);
    ASSERT_EQ(log->devModes.size(), 2u);
    ASSERT_EQ(log->resets().size(), 1u);
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(log->resets()[0].data())->dmOrientation, DMORIENT_LANDSCAPE);
    ASSERT_EQ(log->documents.size(), 1u);
    const auto& printed = log->documents[0];
    EXPECT_EQ(printed.name, u"Report");
    EXPECT_EQ(printed.output, u"C:\\out.prn");
    EXPECT_EQ(printed.jobId, static_cast<int>(job));
    EXPECT_TRUE(printed.ended);
    ASSERT_EQ(printed.sides.size(), 2u);

    const auto& first = printed.sides[0];
    EXPECT_EQ(first.pageNumbers(), std::vector<DWORD>{2});
    EXPECT_EQ(first.devMode, 1u);  // the DEVMODE given before the side ended
    const auto& played = first.pages[0];
    EXPECT_TRUE(SameRect(played.document, document));
    ASSERT_TRUE(played.border && played.clip);
    EXPECT_TRUE(SameRect(*played.border, border));
    EXPECT_TRUE(SameRect(*played.clip, clip));
    EXPECT_TRUE(SameTransform(played.transform, turn));
    ASSERT_TRUE(played.metafile);
    EXPECT_EQ(played.metafile->size(), 780u);
    ASSERT_EQ(first.texts.size(), 1u);
    const auto& text = first.texts[0];
    EXPECT_EQ(text.text, u"CONFIDENTIAL");
    EXPECT_EQ(text.position.x, 100);
    EXPECT_EQ(text.position.y, 200);
    EXPECT_EQ(text.options, static_cast<UINT>(ETO_CLIPPED));
    ASSERT_TRUE(text.rectangle);
    EXPECT_TRUE(SameRect(*text.rectangle, box));
    EXPECT_EQ(text.font.lfHeight, -300);
    EXPECT_EQ(text.font.lfEscapement, 450);
    EXPECT_EQ(std::u16string(text.font.lfFaceName), u"Arial");
    EXPECT_EQ(text.colour, 0x000F0FFFu);
    EXPECT_EQ(text.backgroundMode, TRANSPARENT);
    EXPECT_TRUE(SameTransform(text.transform, palvex::kIdentityTransform));
    ASSERT_EQ(first.order.size(), 2u);
    EXPECT_FALSE(first.order[0].isText);
    EXPECT_TRUE(first.order[1].isText);

    const auto& second = printed.sides[1];
    EXPECT_EQ(second.pageNumbers(), (std::vector<DWORD>{1, 3}));
    EXPECT_FALSE(second.pages[0].border);
    EXPECT_TRUE(second.texts.empty());

    std::vector<palvex::DcCall> calls;
    for (const auto& event : log->events) calls.push_back(event.call);
    using palvex::DcCall;
    EXPECT_EQ(calls, (std::vector<DcCall>{DcCall::Create, DcCall::StartDoc, DcCall::StartPage, DcCall::ResetDC,
                                          DcCall::EndPage, DcCall::StartPage, DcCall::EndPage, DcCall::EndDoc}));
    EXPECT_EQ(log->events[4].devMode, 1u);
}

TEST_F(RecordingDcTest, ResetKeepsACopyOfEachDevmodeInOrder) {
    auto first = DevMode(DMPAPER_A4, false, 600);
    HDC dc = CreateDCW(nullptr, kPrinter, nullptr, AsDevMode(first));
    ASSERT_NE(dc, nullptr);
    // A DEVMODE with a driver part is kept whole.
    auto withPrivate = DevMode(DMPAPER_LETTER, true, 300);
    withPrivate.resize(withPrivate.size() + 8, 0);
    const WORD extra = 8;
    std::memcpy(withPrivate.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, 2);
    const DWORD pageCount = 0x1234;
    std::memcpy(withPrivate.data() + 220 + 4, &pageCount, 4);
    ASSERT_EQ(ResetDCW(dc, AsDevMode(withPrivate)), dc);
    withPrivate[220 + 4] = 0;  // the caller's later changes do not reach the copy
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 3300);
    ASSERT_EQ(ResetDCW(dc, AsDevMode(first)), dc);

    auto tooShort = first;
    const WORD size = 10;
    std::memcpy(tooShort.data() + offsetof(DEVMODEW, dmSize), &size, 2);
    EXPECT_EQ(ResetDCW(dc, AsDevMode(tooShort)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ResetDCW(dc, nullptr), nullptr);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(ResetDCW(screen, AsDevMode(first)), nullptr);
    ReleaseDC(nullptr, screen);

    const auto log = palvex::ReadDcLog(dc);
    ASSERT_TRUE(log);
    const auto resets = log->resets();
    ASSERT_EQ(resets.size(), 2u);
    ASSERT_EQ(resets[0].size(), 228u);
    DWORD kept = 0;
    std::memcpy(&kept, resets[0].data() + 224, 4);
    EXPECT_EQ(kept, pageCount);
    EXPECT_EQ(resets[1], first);
    EXPECT_EQ(log->devModes[0], first);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(palvex::ReadLastPrinterDcLog()->resets().size(), 2u);
}

// A context reset side after side with the same DEVMODE keeps one copy of it; the log still tells
// each reset and each side's DEVMODE.
TEST_F(RecordingDcTest, ResetsWithAnEqualDevmodeShareOneCopy) {
    auto a4 = DevMode(DMPAPER_A4, false, 600);
    const auto letter = DevMode(DMPAPER_LETTER, false, 600);
    const auto a4Landscape = DevMode(DMPAPER_A4, true, 600);
    HDC dc = CreateDCW(nullptr, kPrinter, nullptr, AsDevMode(a4));
    ASSERT_NE(dc, nullptr);
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = u"Sides";
    ASSERT_GT(StartDocW(dc, &info), 0);
    const std::vector<std::vector<BYTE>> given = {a4Landscape, letter, a4Landscape, a4, letter};
    for (auto devMode : given) {
        ASSERT_EQ(ResetDCW(dc, AsDevMode(devMode)), dc);
        ASSERT_GT(StartPage(dc), 0);
        ASSERT_GT(EndPage(dc), 0);
    }
    ASSERT_GT(EndDoc(dc), 0);
    const auto log = palvex::ReadDcLog(dc);
    ASSERT_TRUE(log);
    EXPECT_EQ(log->resets(), given);
    EXPECT_EQ(log->devModes.size(), 3u);  // a4, a4Landscape, letter
    const auto sides = log->sides();
    ASSERT_EQ(sides.size(), given.size());
    EXPECT_EQ(log->sideCount(), given.size());
    for (size_t i = 0; i < sides.size(); ++i) EXPECT_EQ(log->devModes.at(sides[i]->devMode), given[i]) << i;
    EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(RecordingDcTest, ALogThatKeepsNoSidesCountsThemAndHoldsNoPage) {
    // What a process that prints without asking for the sides keeps: the documents, the DEVMODEs
    // once each and the count of sides, but no side, no page's metafile and no side's calls.
    palvex::KeepPrintedSides(false);
    const DWORD job = AddJobWithFile(palvex::NumberedPages(3));
    HANDLE spool = Open(job);
    palvex::KeepPrintedSides(true);
    ASSERT_NE(spool, nullptr);
    DOCINFOW info{sizeof(DOCINFOW), u"Counted", nullptr, nullptr, 0};
    ASSERT_TRUE(GdiStartDocEMF(spool, &info));
    auto letter = DevMode(DMPAPER_LETTER, false, 600);
    for (DWORD page = 1; page <= 3; ++page) {
        ASSERT_TRUE(GdiResetDCEMF(spool, AsDevMode(letter)));
        ASSERT_TRUE(GdiStartPageEMF(spool));
        RECT document{0, 0, 4960, 7015};
        ASSERT_TRUE(GdiPlayPageEMF(spool, GdiGetPageHandle(spool, page, nullptr), &document, nullptr, nullptr));
        const auto open = palvex::ReadDcLog(GdiGetDC(spool));
        ASSERT_TRUE(open);
        ASSERT_EQ(open->documents.at(0).sides.size(), 1u);  // the side being printed
        EXPECT_EQ(open->documents[0].sides[0].pageNumbers(), std::vector<DWORD>{page});
        ASSERT_TRUE(GdiEndPageEMF(spool, 0));
    }
    ASSERT_TRUE(GdiEndDocEMF(spool));
    const auto log = palvex::ReadJobDcLog(job);
    ASSERT_TRUE(log);
    EXPECT_EQ(log->sideCount(), 3u);
    EXPECT_TRUE(log->sides().empty());
    ASSERT_EQ(log->documents.size(), 1u);
    EXPECT_TRUE(log->documents[0].ended);
    EXPECT_EQ(log->devModes.size(), 2u);  // the job's and letter
    std::vector<palvex::DcCall> calls;
    for (const auto& event : log->events) calls.push_back(event.call);
    EXPECT_EQ(calls, (std::vector<palvex::DcCall>{palvex::DcCall::Create, palvex::DcCall::StartDoc,
                                                  palvex::DcCall::EndDoc}));
    EXPECT_TRUE(GdiDeleteSpoolFileHandle(spool));
}

TEST_F(RecordingDcTest, DocumentsAndSidesFollowTheRulesOfPrinting) {
    auto devMode = DevMode(DMPAPER_A4, false, 600);
    HDC dc = CreateDCW(nullptr, kPrinter, nullptr, AsDevMode(devMode));
    DOCINFOW info{sizeof(DOCINFOW), u"First", nullptr, nullptr, 0};
    EXPECT_EQ(StartPage(dc), SP_ERROR);  // no document
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    const int jobId = StartDocW(dc, &info);
    EXPECT_GT(jobId, 0);
    EXPECT_EQ(StartDocW(dc, &info), SP_ERROR);
    EXPECT_EQ(EndPage(dc), SP_ERROR);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    EXPECT_TRUE(ExtTextOutW(dc, 1, 2, 0, nullptr, u"kept", 4, nullptr));
    EXPECT_GT(EndDoc(dc), 0);  // ends the open side first
    info.lpszDocName = u"Second";
    EXPECT_GT(StartDocW(dc, &info), jobId);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_TRUE(ExtTextOutW(dc, 1, 2, 0, nullptr, u"dropped", 7, nullptr));
    EXPECT_TRUE(DeleteDC(dc));  // aborts the open document
    const auto log = palvex::ReadLastPrinterDcLog();
    ASSERT_TRUE(log);
    ASSERT_EQ(log->documents.size(), 2u);
    EXPECT_TRUE(log->documents[0].ended);
    ASSERT_EQ(log->documents[0].sides.size(), 1u);
    EXPECT_EQ(log->documents[0].sides[0].texts[0].text, u"kept");
    EXPECT_TRUE(log->documents[1].aborted);
    EXPECT_TRUE(log->documents[1].sides.empty());
    EXPECT_EQ(CreateDCW(nullptr, u"No Such Printer", nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
}

TEST_F(RecordingDcTest, WorldTransformsNeedTheAdvancedModeAndAnInverse) {
    HDC dc = CreateDCW(nullptr, kPrinter, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    const XFORM scale{2, 0, 0, 3, 10, 20};
    EXPECT_FALSE(SetWorldTransform(dc, &scale));  // GM_COMPATIBLE
    EXPECT_EQ(SetGraphicsMode(dc, GM_ADVANCED), GM_COMPATIBLE);
    EXPECT_EQ(GetGraphicsMode(dc), GM_ADVANCED);
    const XFORM flat{1, 2, 2, 4, 0, 0};
    EXPECT_FALSE(SetWorldTransform(dc, &flat));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(SetWorldTransform(dc, &scale));
    EXPECT_EQ(SetGraphicsMode(dc, GM_COMPATIBLE), 0);  // not with a transform in place
    // Left: the new transform first, then the old one; right: the other way round.
    const XFORM shift{1, 0, 0, 1, 5, 7};
    ASSERT_TRUE(ModifyWorldTransform(dc, &shift, MWT_LEFTMULTIPLY));
    XFORM now{};
    ASSERT_TRUE(GetWorldTransform(dc, &now));
    EXPECT_TRUE(SameTransform(now, XFORM{2, 0, 0, 3, 20, 41}));
    ASSERT_TRUE(ModifyWorldTransform(dc, &shift, MWT_RIGHTMULTIPLY));
    ASSERT_TRUE(GetWorldTransform(dc, &now));
    EXPECT_TRUE(SameTransform(now, XFORM{2, 0, 0, 3, 25, 48}));
    EXPECT_FALSE(ModifyWorldTransform(dc, &shift, 9));
    ASSERT_TRUE(ModifyWorldTransform(dc, nullptr, MWT_IDENTITY));
    EXPECT_EQ(SetGraphicsMode(dc, GM_COMPATIBLE), GM_ADVANCED);
    DeleteDC(dc);
}

struct CapsCase {
    short paper;
    bool landscape;
    short dpi;
    int physicalWidth, physicalHeight, offset, horzRes, vertRes, horzSize, vertSize;
};

TEST_F(RecordingDcTest, DeviceCapabilitiesFollowPaperOrientationAndResolution) {
    // Physical size = tenths of a millimetre x dpi / 254, rounded (A4 2100 x 2970, Letter
    // 2159 x 2794); the unprintable edge is dpi / 6; HORZSIZE and VERTSIZE are the printable
    // size in millimetres, rounded.
    const CapsCase cases[] = {
        {DMPAPER_A4, false, 600, 4961, 7016, 100, 4761, 6816, 202, 289},
        {DMPAPER_A4, true, 600, 7016, 4961, 100, 6816, 4761, 289, 202},
        {DMPAPER_A4, false, 300, 2480, 3508, 50, 2380, 3408, 202, 289},
        {DMPAPER_A4, true, 300, 3508, 2480, 50, 3408, 2380, 289, 202},
        {DMPAPER_LETTER, false, 600, 5100, 6600, 100, 4900, 6400, 207, 271},
        {DMPAPER_LETTER, true, 600, 6600, 5100, 100, 6400, 4900, 271, 207},
        {DMPAPER_LETTER, false, 300, 2550, 3300, 50, 2450, 3200, 207, 271},
        {DMPAPER_LETTER, true, 300, 3300, 2550, 50, 3200, 2450, 271, 207},
    };
    for (const auto& c : cases) {
        auto devMode = DevMode(c.paper, c.landscape, c.dpi);
        HDC dc = CreateDCW(u"WINSPOOL", kPrinter, nullptr, AsDevMode(devMode));
        ASSERT_NE(dc, nullptr);
        const std::string what = std::to_string(c.paper) + (c.landscape ? " landscape " : " portrait ") + std::to_string(c.dpi);
        EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), c.physicalWidth) << what;
        EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), c.physicalHeight) << what;
        EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), c.offset) << what;
        EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETY), c.offset) << what;
        EXPECT_EQ(GetDeviceCaps(dc, HORZRES), c.horzRes) << what;
        EXPECT_EQ(GetDeviceCaps(dc, VERTRES), c.vertRes) << what;
        EXPECT_EQ(GetDeviceCaps(dc, DESKTOPHORZRES), c.horzRes) << what;
        EXPECT_EQ(GetDeviceCaps(dc, DESKTOPVERTRES), c.vertRes) << what;
        EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), c.horzSize) << what;
        EXPECT_EQ(GetDeviceCaps(dc, VERTSIZE), c.vertSize) << what;
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), c.dpi) << what;
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), c.dpi) << what;
        EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER) << what;
        DeleteDC(dc);
    }
}

TEST_F(RecordingDcTest, ThePaperComesFromItsSizeFieldsAFormOrA4) {
    struct PaperCase {
        const char* name;
        std::function<void(DEVMODEW&)> change;
        int physicalWidth;
        int physicalHeight;
    };
    // 100 x 150 mm at 600 dots per inch: 2362 x 3543.
    const PaperCase cases[] = {
        {"its own size", [](DEVMODEW& d) { d.dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH; d.dmPaperWidth = 1000; d.dmPaperLength = 1500; }, 2362, 3543},
        {"a size without its field bits", [](DEVMODEW& d) { d.dmPaperWidth = 1000; d.dmPaperLength = 1500; }, 4961, 7016},
        {"a paper no form is", [](DEVMODEW& d) { d.dmPaperSize = 300; }, 4961, 7016},
        {"a standard form the model lacks (A6)", [](DEVMODEW& d) { d.dmPaperSize = 70; }, 2480, 3496},
        {"a form added to the machine", [](DEVMODEW& d) { d.dmPaperSize = 119; }, 2362, 3543},
        {"a form by name", [](DEVMODEW& d) { d.dmFields = (d.dmFields & ~DM_PAPERSIZE) | DM_FORMNAME;
                                             std::memcpy(d.dmFormName, u"Postcard 100", sizeof(u"Postcard 100")); }, 2362, 3543},
    };
    HANDLE printer = nullptr;
    std::u16string name = kPrinter;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
    std::u16string formName = u"Postcard 100";
    FORM_INFO_1W form{FORM_USER, formName.data(), {100000, 150000}, {0, 0, 100000, 150000}};
    ASSERT_TRUE(AddFormW(printer, 1, reinterpret_cast<LPBYTE>(&form))) << GetLastError();
    ClosePrinter(printer);
    for (const auto& c : cases) {
        auto bytes = DevMode(DMPAPER_A4, false, 600);
        c.change(*AsDevMode(bytes));
        HDC dc = CreateDCW(nullptr, kPrinter, nullptr, AsDevMode(bytes));
        EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), c.physicalWidth) << c.name;
        EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), c.physicalHeight) << c.name;
        DeleteDC(dc);
    }
}

class FormsTest : public SpoolJobTest {
protected:
    void SetUp() override {
        SpoolJobTest::SetUp();
        std::u16string name = kPrinter;
        ASSERT_TRUE(OpenPrinterW(name.data(), &m_printer, nullptr));
    }
    void TearDown() override { ClosePrinter(m_printer); }
    std::vector<FORM_INFO_1W> Forms(std::vector<BYTE>& buffer) {
        DWORD needed = 0;
        DWORD count = 0;
        EXPECT_FALSE(EnumFormsW(m_printer, 1, nullptr, 0, &needed, &count));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        buffer.assign(needed, 0);
        EXPECT_TRUE(EnumFormsW(m_printer, 1, buffer.data(), needed, &needed, &count));
        const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
        return std::vector<FORM_INFO_1W>(forms, forms + count);
    }
    HANDLE m_printer = nullptr;
};

TEST_F(FormsTest, ANewMachineHasTheStandardFormsInPaperOrder) {
    std::vector<BYTE> buffer;
    const auto forms = Forms(buffer);
    ASSERT_EQ(forms.size(), 118u);
    struct Expected {
        size_t paper;
        const char16_t* name;
        LONG width;
        LONG height;
    };
    const Expected expected[] = {
        {1, u"Letter", 215900, 279400},    {5, u"Legal", 215900, 355600},
        {6, u"Statement", 139700, 215900}, {7, u"Executive", 184150, 266700},
        {8, u"A3", 297000, 420000},        {9, u"A4", 210000, 297000},
        {11, u"A5", 148000, 210000},       {12, u"B4 (JIS)", 257000, 364000},
        {13, u"B5 (JIS)", 182000, 257000}, {17, u"11x17", 279400, 431800},
        {73, u"Japanese Envelope Chou #3", 120000, 235000},
        {118, u"PRC Envelope #10 Rotated", 458000, 324000},
    };
    for (const auto& e : expected) {
        const FORM_INFO_1W& form = forms[e.paper - 1];
        EXPECT_EQ(std::u16string(form.pName), e.name) << e.paper;
        EXPECT_EQ(form.Size.cx, e.width) << e.paper;
        EXPECT_EQ(form.Size.cy, e.height) << e.paper;
        EXPECT_EQ(form.Flags, static_cast<DWORD>(FORM_BUILTIN)) << e.paper;
        EXPECT_EQ(form.ImageableArea.right, e.width) << e.paper;
    }
}

TEST_F(FormsTest, UserFormsComeAfterTheStandardOnesAndCanChangeAndGo) {
    std::u16string name = u"Custom 1";
    FORM_INFO_1W form{FORM_USER, name.data(), {100000, 200000}, {0, 0, 100000, 200000}};
    ASSERT_TRUE(AddFormW(m_printer, 1, reinterpret_cast<LPBYTE>(&form)));
    EXPECT_FALSE(AddFormW(m_printer, 1, reinterpret_cast<LPBYTE>(&form)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    std::u16string a4 = u"a4";
    FORM_INFO_1W copy = form;
    copy.pName = a4.data();
    EXPECT_FALSE(AddFormW(m_printer, 1, reinterpret_cast<LPBYTE>(&copy)));  // names ignore case
    copy.pName = name.data();
    copy.Size.cx = 0;
    EXPECT_FALSE(AddFormW(m_printer, 1, reinterpret_cast<LPBYTE>(&copy)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    std::vector<BYTE> buffer;
    auto forms = Forms(buffer);
    ASSERT_EQ(forms.size(), 119u);
    EXPECT_EQ(std::u16string(forms[118].pName), u"Custom 1");
    EXPECT_EQ(forms[118].Flags, static_cast<DWORD>(FORM_USER));

    form.Size = {120000, 210000};
    ASSERT_TRUE(SetFormW(m_printer, name.data(), 1, reinterpret_cast<LPBYTE>(&form)));
    std::u16string lower = u"custom 1";
    DWORD needed = 0;
    EXPECT_FALSE(GetFormW(m_printer, lower.data(), 1, nullptr, 0, &needed));
    std::vector<BYTE> one(needed);
    ASSERT_TRUE(GetFormW(m_printer, lower.data(), 1, one.data(), needed, &needed));
    EXPECT_EQ(reinterpret_cast<FORM_INFO_1W*>(one.data())->Size.cx, 120000);
    EXPECT_FALSE(SetFormW(m_printer, a4.data(), 1, reinterpret_cast<LPBYTE>(&form)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(DeleteFormW(m_printer, a4.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(DeleteFormW(m_printer, lower.data()));
    EXPECT_FALSE(DeleteFormW(m_printer, lower.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FORM_NAME));
    EXPECT_FALSE(GetFormW(m_printer, lower.data(), 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FORM_NAME));
    EXPECT_EQ(Forms(buffer).size(), 118u);

    HDC screen = GetDC(nullptr);
    DWORD count = 0;
    EXPECT_FALSE(EnumFormsW(screen, 1, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ReleaseDC(nullptr, screen);
}

TEST_F(FormsTest, ThePrinterListsTheModelsPapersWithTheirSizes) {
    const int count = DeviceCapabilitiesW(kPrinter, nullptr, DC_PAPERS, nullptr, nullptr);
    ASSERT_GT(count, 0);
    std::vector<WORD> papers(static_cast<size_t>(count));
    std::vector<POINT> sizes(static_cast<size_t>(count));
    std::vector<WCHAR> names(static_cast<size_t>(count) * 64);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()), nullptr), count);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()), nullptr), count);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_PAPERNAMES, names.data(), nullptr), count);
    const auto find = [&](WORD paper) { return std::find(papers.begin(), papers.end(), paper) - papers.begin(); };
    for (WORD paper : {1, 5, 7, 8, 9, 11, 12, 13, 17}) EXPECT_LT(find(paper), count) << paper;
    EXPECT_EQ(find(70), count);  // A6 is not one of them
    const auto a4 = static_cast<size_t>(find(9));
    EXPECT_EQ(sizes[a4].x, 2100);
    EXPECT_EQ(sizes[a4].y, 2970);
    EXPECT_EQ(std::u16string(names.data() + a4 * 64), u"A4");
    const auto letter = static_cast<size_t>(find(1));
    EXPECT_EQ(sizes[letter].x, 2159);
    EXPECT_EQ(sizes[letter].y, 2794);
    EXPECT_EQ(DeviceCapabilitiesW(u"No Such Printer", nullptr, DC_PAPERS, nullptr, nullptr), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, 999, nullptr, nullptr), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

}  // namespace
}  // namespace spooltest
