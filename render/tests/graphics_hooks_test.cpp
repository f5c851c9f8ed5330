// The plug-in's graphics functions: hooks that draw a call and hooks that pass it on, the guard
// against a missing OEM PDEV, and each function's own work (rectangle and brush-origin fixes, line
// marks, band origin and clearing, page start and end, document buffers, text colours).
#include <palvex/eng_calls.h>
#include <palvex/os_profile.h>
#include <render_host.h>

#include "ddi_functions.h"
#include "render_fixture.h"
#include "tovqebxl.h"

#include "counting_hook.h"

namespace rendertest {
namespace {

using palvex::hosts::RenderEvent;
using palvex::hosts::RenderHost;
using palvex::hosts::RenderHostOptions;

size_t Reached(const RenderHost& host, const std::string& name) {
    return UnidrvEvents(host, name).size();
}

class GraphicsTest : public RenderTest {
protected:
    // A host with a document started and a page open, for a job DEVMODE set up by the caller.
    std::unique_ptr<RenderHost> OpenPage(const std::function<void(JobDevMode&)>& setUp = {},
                                         RenderHostOptions options = {}) {
        auto host = MakeHost(std::move(options));
        JobDevMode job = DefaultJob(*host);
        if (setUp) setUp(job);
        EXPECT_TRUE(host->StartDocument(u"Test", 7, job.get()));
        EXPECT_TRUE(host->StartPage());
        return host;
    }
};

// One hookable graphics call: its hook entry, a call of it through the DDI table, and the driver's
// function it reaches when passed on.
struct GraphicsCall {
    const char* unidrvName;
    std::function<void(PluginHooks&)> install;
    std::function<BOOL(RenderHost&)> call;
};

std::vector<GraphicsCall> GraphicsCalls() {
    static RECTL rect{10, 10, 20, 20};
    static RECTL other{0, 0, 5, 5};
    static POINTL point{1, 2};
    static BRUSHOBJ brush{0x112233, nullptr, 0};
    static BLENDOBJ blend{};
    static PATHOBJ path{};
    static LINEATTRS line{};
    static TRIVERTEX vertices[2] = {};
    static ULONG mesh[2] = {0, 1};
    static POINTFIX corners[3] = {};
    static STROBJ string{2, 0, 10, {0, 0, 20, 10}, nullptr, const_cast<LPWSTR>(u"ab")};
    static FONTOBJ font{};
    static WCHAR name[] = u"Doc";
    return {
        {"DrvAlphaBlend", [](PluginHooks& h) { Install(h.m_alphaBlend); },
         [](RenderHost& host) { return host.Ddi().alphaBlend(host.Surface(), host.Surface(), nullptr, nullptr, &rect, &other, &blend); }},
        {"DrvBitBlt", [](PluginHooks& h) { Install(h.m_bitBlt); },
         [](RenderHost& host) {
             return host.Ddi().bitBlt(host.Surface(), nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr, &brush,
                                      &point, 0xCCCC);
         }},
        {"DrvCopyBits", [](PluginHooks& h) { Install(h.m_copyBits); },
         [](RenderHost& host) { return host.Ddi().copyBits(host.Surface(), host.Surface(), nullptr, nullptr, &rect, &point); }},
        {"DrvEndDoc", [](PluginHooks& h) { Install(h.m_endDoc); },
         [](RenderHost& host) { return host.Ddi().endDoc(host.Surface(), 0); }},
        {"DrvFillPath", [](PluginHooks& h) { Install(h.m_fillPath); },
         [](RenderHost& host) { return host.Ddi().fillPath(host.Surface(), &path, nullptr, &brush, &point, 0x0D0D, 0); }},
        {"DrvGradientFill", [](PluginHooks& h) { Install(h.m_gradientFill); },
         [](RenderHost& host) {
             return host.Ddi().gradientFill(host.Surface(), nullptr, nullptr, vertices, 2, mesh, 1, &rect, &point, 0);
         }},
        {"DrvLineTo", [](PluginHooks& h) { Install(h.m_lineTo); },
         [](RenderHost& host) { return host.Ddi().lineTo(host.Surface(), nullptr, &brush, 0, 0, 10, 10, &rect, 0x0D0D); }},
        {"DrvPaint", [](PluginHooks& h) { Install(h.m_paint); },
         [](RenderHost& host) { return host.Ddi().paint(host.Surface(), nullptr, &brush, &point, 0x0D0D); }},
        {"DrvPlgBlt", [](PluginHooks& h) { Install(h.m_plgBlt); },
         [](RenderHost& host) {
             return host.Ddi().plgBlt(host.Surface(), host.Surface(), nullptr, nullptr, nullptr, nullptr, &point, corners,
                                      &rect, nullptr, HALFTONE);
         }},
        {"DrvRealizeBrush", [](PluginHooks& h) { Install(h.m_realizeBrush); },
         [](RenderHost& host) { return host.Ddi().realizeBrush(&brush, host.Surface(), nullptr, nullptr, nullptr, 0); }},
        {"DrvSendPage", [](PluginHooks& h) { Install(h.m_sendPage); },
         [](RenderHost& host) { return host.Ddi().sendPage(host.Surface()); }},
        {"DrvStartBanding", [](PluginHooks& h) { Install(h.m_startBanding); },
         [](RenderHost& host) {
             POINTL origin{};
             return host.Ddi().startBanding(host.Surface(), &origin);
         }},
        {"DrvStartDoc", [](PluginHooks& h) { Install(h.m_startDoc); },
         [](RenderHost& host) { return host.Ddi().startDoc(host.Surface(), name, 7); }},
        {"DrvStartPage", [](PluginHooks& h) { Install(h.m_startPage); },
         [](RenderHost& host) { return host.Ddi().startPage(host.Surface()); }},
        {"DrvStretchBlt", [](PluginHooks& h) { Install(h.m_stretchBlt); },
         [](RenderHost& host) {
             return host.Ddi().stretchBlt(host.Surface(), host.Surface(), nullptr, nullptr, nullptr, nullptr, &point, &rect,
                                          &other, nullptr, COLORONCOLOR);
         }},
        {"DrvStretchBltROP", [](PluginHooks& h) { Install(h.m_stretchBltROP); },
         [](RenderHost& host) {
             return host.Ddi().stretchBltROP(host.Surface(), host.Surface(), nullptr, nullptr, nullptr, nullptr, &point,
                                             &rect, &other, nullptr, COLORONCOLOR, &brush, 0xCCCC);
         }},
        {"DrvStrokeAndFillPath", [](PluginHooks& h) { Install(h.m_strokeAndFillPath); },
         [](RenderHost& host) {
             return host.Ddi().strokeAndFillPath(host.Surface(), &path, nullptr, nullptr, &brush, &line, &brush, &point,
                                                 0x0D0D, 0);
         }},
        {"DrvStrokePath", [](PluginHooks& h) { Install(h.m_strokePath); },
         [](RenderHost& host) {
             return host.Ddi().strokePath(host.Surface(), &path, nullptr, nullptr, &brush, &point, &line, 0x0D0D);
         }},
        {"DrvTextOut", [](PluginHooks& h) { Install(h.m_textOut); },
         [](RenderHost& host) {
             return host.Ddi().textOut(host.Surface(), &string, &font, nullptr, nullptr, nullptr, &brush, nullptr, &point,
                                       0x0D0D);
         }},
        {"DrvTransparentBlt", [](PluginHooks& h) { Install(h.m_transparentBlt); },
         [](RenderHost& host) {
             return host.Ddi().transparentBlt(host.Surface(), host.Surface(), nullptr, nullptr, &rect, &other, 0xFFFFFF, 0);
         }},
    };
}

TEST_F(GraphicsTest, HooksThatDrawACallAndHooksThatPassItOn) {
    auto host = OpenPage();
    CoPlugin* plugin = PluginOf(*host);
    struct Answer {
        HRESULT hook;
        bool drawn;  // the hook drew the call: TRUE without the driver's function
    };
    const Answer answers[] = {{S_FALSE, true}, {S_OK, true}, {E_FAIL, true}, {E_NOTIMPL, false}, {E_PENDING, false}};
    for (const GraphicsCall& call : GraphicsCalls()) {
        call.install(plugin->Hooks());
        for (const Answer& answer : answers) {
            SCOPED_TRACE(std::string(call.unidrvName) + " hook answer " + std::to_string(answer.hook));
            g_hookAnswer = answer.hook;
            g_hookCalls = 0;
            const size_t before = Reached(*host, call.unidrvName);
            const BOOL result = call.call(*host);
            EXPECT_EQ(g_hookCalls, 1);
            if (answer.drawn) {
                EXPECT_EQ(result, TRUE);
                EXPECT_EQ(Reached(*host, call.unidrvName), before);
            } else {
                EXPECT_EQ(Reached(*host, call.unidrvName), before + 1);
            }
        }
    }
}

HRESULT GlyphHook(DHPDEV, FONTOBJ*, ULONG* result) {
    *result = FO_PATHOBJ;
    return g_hookAnswer;
}

TEST_F(GraphicsTest, GlyphModeComesFromAHookThatAnswersIt) {
    auto host = OpenPage();
    PluginOf(*host)->Hooks().m_getGlyphMode = &GlyphHook;
    FONTOBJ font{};
    g_hookAnswer = S_OK;
    EXPECT_EQ(host->Ddi().getGlyphMode(host->Pdevobj(), &font), static_cast<ULONG>(FO_PATHOBJ));
    EXPECT_EQ(Reached(*host, "DrvGetGlyphMode"), 0u);
    g_hookAnswer = E_NOTIMPL;
    EXPECT_EQ(host->Ddi().getGlyphMode(host->Pdevobj(), &font), static_cast<ULONG>(FO_HGLYPHS));
    EXPECT_EQ(Reached(*host, "DrvGetGlyphMode"), 1u);
}

TEST_F(GraphicsTest, EscapesGoStraightToTheDriver) {
    auto host = OpenPage();
    EXPECT_EQ(host->Ddi().escape, &render::ddi::DrvEscape);
    EXPECT_EQ(host->Ddi().escape(host->Surface(), 0x1000, 0, nullptr, 0, nullptr), 1u);
    RECTL rect{0, 0, 1, 1};
    EXPECT_EQ(host->Ddi().drawEscape(host->Surface(), 0x1001, nullptr, &rect, 0, nullptr), 1u);
    EXPECT_EQ(Reached(*host, "DrvEscape"), 1u);
    EXPECT_EQ(Reached(*host, "DrvDrawEscape"), 1u);
}

// Every graphics function of the plug-in called for a surface.
std::vector<std::pair<const char*, std::function<ULONG(SURFOBJ*)>>> EveryFunction() {
    using namespace render::ddi;
    static RECTL rect{0, 0, 1, 1};
    static POINTL point{};
    static BRUSHOBJ brush{};
    static WCHAR name[] = u"Doc";
    return {
        {"AlphaBlend", [](SURFOBJ* s) { return ULONG(DrvAlphaBlend(s, s, nullptr, nullptr, &rect, &rect, nullptr)); }},
        {"BitBlt", [](SURFOBJ* s) { return ULONG(DrvBitBlt(s, nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr, &brush, &point, 0xF0F0)); }},
        {"CopyBits", [](SURFOBJ* s) { return ULONG(DrvCopyBits(s, s, nullptr, nullptr, &rect, &point)); }},
        {"EndDoc", [](SURFOBJ* s) { return ULONG(DrvEndDoc(s, 0)); }},
        {"FillPath", [](SURFOBJ* s) { return ULONG(DrvFillPath(s, nullptr, nullptr, &brush, &point, 0, 0)); }},
        {"GradientFill", [](SURFOBJ* s) { return ULONG(DrvGradientFill(s, nullptr, nullptr, nullptr, 0, nullptr, 0, &rect, &point, 0)); }},
        {"GetGlyphMode", [](SURFOBJ* s) { return DrvGetGlyphMode(s ? s->dhpdev : nullptr, nullptr); }},
        {"LineTo", [](SURFOBJ* s) { return ULONG(DrvLineTo(s, nullptr, &brush, 0, 5, 10, 5, &rect, 0)); }},
        {"NextBand", [](SURFOBJ* s) { return ULONG(DrvNextBand(s, &point)); }},
        {"Paint", [](SURFOBJ* s) { return ULONG(DrvPaint(s, nullptr, &brush, &point, 0)); }},
        {"PlgBlt", [](SURFOBJ* s) { return ULONG(DrvPlgBlt(s, s, nullptr, nullptr, nullptr, nullptr, &point, nullptr, &rect, nullptr, 0)); }},
        {"RealizeBrush", [](SURFOBJ* s) { return ULONG(DrvRealizeBrush(&brush, s, nullptr, nullptr, nullptr, 0)); }},
        {"SendPage", [](SURFOBJ* s) { return ULONG(DrvSendPage(s)); }},
        {"StartBanding", [](SURFOBJ* s) { return ULONG(DrvStartBanding(s, &point)); }},
        {"StartDoc", [](SURFOBJ* s) { return ULONG(DrvStartDoc(s, name, 1)); }},
        {"StartPage", [](SURFOBJ* s) { return ULONG(DrvStartPage(s)); }},
        {"StretchBlt", [](SURFOBJ* s) { return ULONG(DrvStretchBlt(s, s, nullptr, nullptr, nullptr, nullptr, &point, &rect, &rect, nullptr, 0)); }},
        {"StretchBltROP", [](SURFOBJ* s) { return ULONG(DrvStretchBltROP(s, s, nullptr, nullptr, nullptr, nullptr, &point, &rect, &rect, nullptr, 0, &brush, 0)); }},
        {"StrokeAndFillPath", [](SURFOBJ* s) { return ULONG(DrvStrokeAndFillPath(s, nullptr, nullptr, nullptr, &brush, nullptr, &brush, &point, 0, 0)); }},
        {"StrokePath", [](SURFOBJ* s) { return ULONG(DrvStrokePath(s, nullptr, nullptr, nullptr, &brush, &point, nullptr, 0)); }},
        {"TextOut", [](SURFOBJ* s) { return ULONG(DrvTextOut(s, nullptr, nullptr, nullptr, nullptr, nullptr, &brush, nullptr, &point, 0)); }},
        {"TransparentBlt", [](SURFOBJ* s) { return ULONG(DrvTransparentBlt(s, s, nullptr, nullptr, &rect, &rect, 0, 0)); }},
        {"Escape", [](SURFOBJ* s) { return DrvEscape(s, 0, 0, nullptr, 0, nullptr); }},
        {"DrawEscape", [](SURFOBJ* s) { return DrvDrawEscape(s, 0, nullptr, &rect, 0, nullptr); }},
    };
}

TEST(GraphicsGuard, EveryFunctionFailsWithoutAnOemPdev) {
    DEVOBJ withoutOemPdev{};
    withoutOemPdev.dwSize = sizeof withoutOemPdev;
    SURFOBJ surfaces[3] = {};
    surfaces[0].dhpdev = &withoutOemPdev;  // a PDEV the plug-in made nothing for
    surfaces[1].dhpdev = nullptr;          // a surface without a PDEV
    const auto functions = EveryFunction();
    ASSERT_EQ(functions.size(), kPluginDrvFnCount);
    for (const auto& [name, call] : functions) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(&surfaces[0]), 0u);
        EXPECT_EQ(call(&surfaces[1]), 0u);
        EXPECT_EQ(call(nullptr), 0u);
    }
}

TEST_F(RenderTest, AnOemPdevWithoutSettingsOrDriverFunctionsIsSafe) {
    // EnablePDEV before any DevMode: no settings object; the driver gave no functions.
    void* factory = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_OEMRENDER, IID_IClassFactory, &factory), S_OK);
    void* object = nullptr;
    ASSERT_EQ(static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, IID_IPrintOemUni3, &object), S_OK);
    static_cast<IClassFactory*>(factory)->Release();
    auto* plugin = static_cast<IPrintOemUni3*>(object);
    EnableArguments a;
    ASSERT_NE(a.handle, nullptr);
    a.gdi.ulHorzRes = 1000;
    a.gdi.ulVertRes = 1000;
    a.data = DRVENABLEDATA{DDI_DRIVER_VERSION_NT5, 0, nullptr};  // no functions
    ASSERT_EQ(plugin->EnablePDEV(&a.devobj, a.printer.data(), 0, nullptr, sizeof a.gdi, &a.gdi, sizeof a.devInfo, &a.devInfo,
                                 &a.data, &a.oem),
              S_OK);
    ASSERT_NE(a.oem, nullptr);
    DEVOBJ& devobj = a.devobj;
    devobj.pdevOEM = a.oem;
    SURFOBJ surface{};
    surface.dhpdev = &devobj;
    surface.sizlBitmap = SIZEL{1000, 1000};
    for (const auto& [name, call] : EveryFunction()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(&surface), 0u);  // no driver function to finish the call
    }
    EXPECT_EQ(plugin->DisablePDEV(&devobj), S_OK);
    EXPECT_EQ(devobj.pdevOEM, nullptr);
    plugin->Release();
}

TEST_F(GraphicsTest, BitBltFixesRectanglesAndBrushOrigins) {
    struct Case {
        const char* what;
        bool hpgl2;
        bool withSource;
        ROP4 rop4;
        RECTL rect;
        POINTL bandOrigin;
        RECTL expectedRect;
        POINTL expectedOrigin;
    };
    const POINTL origin{5, 3005};
    const Case cases[] = {
        {"HP-GL/2 PATINVERT loses its last column and row", true, false, 0x5A5A, {0, 0, 10, 10}, {0, 3000}, {0, 0, 9, 9}, origin},
        {"HP-GL/2 PATINVERT one unit wide keeps its right edge", true, false, 0x005A, {0, 0, 1, 10}, {0, 0}, {0, 0, 1, 9}, origin},
        {"HP-GL/2 PATINVERT one unit high keeps its bottom edge", true, false, 0x005A, {0, 0, 10, 1}, {0, 0}, {0, 0, 9, 1}, origin},
        {"HP-GL/2 PATINVERT with a source is left alone", true, true, 0x5A5A, {0, 0, 10, 10}, {0, 0}, {0, 0, 10, 10}, origin},
        {"HP-GL/2 PATCOPY keeps its brush origin", true, false, 0xF0F0, {0, 0, 10, 10}, {0, 3000}, {0, 0, 10, 10}, origin},
        {"PATCOPY brush origin is taken relative to the band", false, false, 0xF0F0, {0, 0, 10, 10}, {0, 3000}, {0, 0, 10, 10}, {5, 5}},
        {"PATCOPY low byte is what counts", false, false, 0x00F0, {0, 0, 10, 10}, {100, 0}, {0, 0, 10, 10}, {-95, 3005}},
        {"PATINVERT outside HP-GL/2 is left alone", false, false, 0x5A5A, {0, 0, 10, 10}, {0, 3000}, {0, 0, 10, 10}, origin},
        {"PATCOPY with a source keeps its brush origin", false, true, 0xF0F0, {0, 0, 10, 10}, {0, 3000}, {0, 0, 10, 10}, origin},
    };
    auto host = OpenPage();
    OemPdev* pdev = PdevOf(*host);
    ASSERT_NE(pdev, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pdev->m_modeFlags = c.hpgl2 ? kModeHpgl2 : 0;
        pdev->m_bandOrigin = c.bandOrigin;
        RECTL rect = c.rect;
        POINTL brushOrigin = origin;
        BRUSHOBJ brush{0x123456, nullptr, 0};
        POINTL sourcePoint{0, 0};
        ASSERT_TRUE(host->Ddi().bitBlt(host->Surface(), c.withSource ? host->Surface() : nullptr, nullptr, nullptr,
                                       nullptr, &rect, &sourcePoint, nullptr, &brush, &brushOrigin, c.rop4));
        const RenderEvent reached = UnidrvEvents(*host, "DrvBitBlt").back();
        ASSERT_TRUE(reached.rect && reached.point);
        EXPECT_EQ(reached.rect->left, c.expectedRect.left);
        EXPECT_EQ(reached.rect->top, c.expectedRect.top);
        EXPECT_EQ(reached.rect->right, c.expectedRect.right);
        EXPECT_EQ(reached.rect->bottom, c.expectedRect.bottom);
        EXPECT_EQ(reached.point->x, c.expectedOrigin.x);
        EXPECT_EQ(reached.point->y, c.expectedOrigin.y);
        EXPECT_EQ(reached.rop, c.rop4);
    }
}

TEST_F(GraphicsTest, LinesMarkTheNupCellsTheyCross) {
    // Two pages per sheet on portrait A4 (printable 4761 x 6816): cells centred at (2380, 1704)
    // and (2380, 5112).
    struct Case {
        const char* what;
        BYTE nupPages;
        LONG x1, y1, x2, y2;
        POINTL bandOrigin;
        BYTE first, second;
    };
    const Case cases[] = {
        {"horizontal through the middle", 1, 0, 3408, 4760, 3408, {0, 0}, kMarkBelow, kMarkAbove},
        {"the same line drawn in a lower band", 1, 0, 408, 4760, 408, {0, 3000}, kMarkBelow, kMarkAbove},
        {"horizontal above both centres", 1, 4760, 100, 0, 100, {0, 0}, kMarkAbove, kMarkAbove},
        {"horizontal not reaching the centres", 1, 0, 3408, 2000, 3408, {0, 0}, 0, 0},
        {"horizontal ending on the centre line", 1, 0, 3408, 2380, 3408, {0, 0}, 0, 0},
        {"vertical left of the centres", 1, 100, 0, 100, 6816, {0, 0}, kMarkLeft, kMarkLeft},
        {"vertical through the lower cell only", 1, 3000, 6816, 3000, 3000, {0, 0}, 0, kMarkRight},
        {"diagonal", 1, 0, 0, 4760, 6816, {0, 0}, 0, 0},
        {"one page per sheet", 0, 0, 3408, 4760, 3408, {0, 0}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = OpenPage([&](JobDevMode& job) { job.SetByte(at::kNupPages, c.nupPages); });
        OemPdev* pdev = PdevOf(*host);
        ASSERT_NE(pdev, nullptr);
        pdev->m_bandOrigin = c.bandOrigin;
        EXPECT_TRUE(host->LineTo(c.x1, c.y1, c.x2, c.y2, 0));
        EXPECT_EQ(pdev->m_layout.m_lineMarks[0], c.first);
        EXPECT_EQ(pdev->m_layout.m_lineMarks[1], c.second);
        EXPECT_EQ(UnidrvEvents(*host, "DrvLineTo").size(), 1u);
    }
}

// The page counter as the plug-in saw it when the page-end command came.
std::vector<DWORD> g_countersAtPageEnd;
HRESULT PageEndWatcher(PDEVOBJ pdevobj, DWORD id, DWORD, PDWORD, INT*) {
    if (id == 312 || id == 313) g_countersAtPageEnd.push_back(OemPdevOf(pdevobj)->m_document.m_pageCounter);
    return E_NOTIMPL;
}

TEST_F(GraphicsTest, PagesStartTheirLayoutAndEndAfterTheDriversPageEnd) {
    auto host = MakeHost();
    PluginOf(*host)->Hooks().m_commandCallback = &PageEndWatcher;
    g_countersAtPageEnd.clear();
    JobDevMode job = DefaultJob(*host);
    job->dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_TRUE(host->StartDocument(u"Test", 7, job.get()));
    OemPdev* pdev = PdevOf(*host);
    for (DWORD page = 0; page < 3; ++page) {
        ASSERT_TRUE(host->StartPage());
        EXPECT_EQ(pdev->m_layout.m_surfaceSize.cx, 6816);  // landscape A4
        EXPECT_EQ(pdev->m_layout.m_surfaceSize.cy, 4761);
        EXPECT_EQ(pdev->m_layout.m_firstPageLandscape, 1u);
        pdev->m_layout.m_pageObjects = std::make_unique<PageObjects>();
        ASSERT_TRUE(host->EndPage());
        EXPECT_EQ(pdev->m_document.m_pageCounter, page + 1);
        EXPECT_EQ(pdev->m_layout.m_pageObjects, nullptr);
    }
    EXPECT_EQ(g_countersAtPageEnd, (std::vector<DWORD>{0, 1, 2}));
}

TEST_F(GraphicsTest, TheFirstDocumentGetsItsBufferAndCounts) {
    struct Case {
        DWORD docPageCount;
        bool pageSettingsLoaded;
    };
    for (const Case& c : {Case{12, true}, Case{100000, true}, Case{100001, false}}) {
        SCOPED_TRACE(c.docPageCount);
        auto host = MakeHost();
        JobDevMode job = DefaultJob(*host);
        job.Set<DWORD>(at::kDocPageCount, c.docPageCount);
        ASSERT_TRUE(host->StartDocument(u"Test", 42, job.get()));
        OemPdev* pdev = PdevOf(*host);
        EXPECT_EQ(pdev->m_document.m_jobId, 42u);
        EXPECT_EQ(pdev->m_document.m_docPageCount, c.docPageCount);
        EXPECT_EQ((pdev->m_layout.m_flags & kLayoutPageSettingsLoaded) != 0, c.pageSettingsLoaded);
        ASSERT_NE(pdev->m_pageWork, nullptr);
        ASSERT_EQ(pdev->m_pageWorkSize, kPageWorkSize);
        EXPECT_EQ(std::count(pdev->m_pageWork.get(), pdev->m_pageWork.get() + kPageWorkSize, BYTE{0}),
                  static_cast<long>(kPageWorkSize));

        // A second StartDoc on the same PDEV keeps what the first set up.
        pdev->m_pageWork[0] = 0x5A;
        WCHAR name[] = u"Again";
        EXPECT_TRUE(host->Ddi().startDoc(host->Surface(), name, 43));
        EXPECT_EQ(pdev->m_document.m_jobId, 42u);
        EXPECT_EQ(pdev->m_pageWork[0], 0x5A);

        ASSERT_TRUE(host->EndDocument());
        EXPECT_EQ(pdev->m_pageWork, nullptr);
        EXPECT_EQ(pdev->m_pageWorkSize, 0u);
    }
}

TEST_F(GraphicsTest, BandsMoveTheOriginAndClearTheirBitmap) {
    struct Case {
        const char* what;
        DWORD majorVersion;
        DWORD minorVersion;
        ULONG format;
        bool pageObjects;
        int fill;  // -1: not cleared
    };
    const Case cases[] = {
        {"24 bits per pixel on Windows 2000 is cleared to white", 5, 0, BMF_24BPP, true, 0xFF},
        {"8 bits per pixel on Windows 2000 is cleared to 0", 5, 0, BMF_8BPP, true, 0x00},
        {"8 bits per pixel elsewhere is cleared to white", 10, 0, BMF_8BPP, true, 0xFF},
        {"without page objects nothing is cleared", 10, 0, BMF_24BPP, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.majorVersion = c.majorVersion;
        profile.minorVersion = c.minorVersion;
        palvex::SetOsProfile(profile);
        RenderHostOptions options;
        options.bandHeight = 750;
        // A4 at 150 dpi: 1190 x 1704 printable.
        auto host = OpenPage(
            [](JobDevMode& job) {
                job->dmPrintQuality = 150;
                job->dmYResolution = 150;
            },
            options);
        OemPdev* pdev = PdevOf(*host);
        EXPECT_EQ(pdev->m_windows2000, c.majorVersion == 5 ? TRUE : FALSE);

        // Each band: the band's origin as the plug-in keeps it, and the band's first byte.
        std::vector<POINTL> origins;
        std::vector<int> firstBytes;
        host->Draw([&](RenderHost&, SURFOBJ* surface) {
            origins.push_back(pdev->m_bandOrigin);
            firstBytes.push_back(surface->pvBits ? static_cast<BYTE*>(surface->pvBits)[0] : -2);
            // The next band's bitmap comes fresh from the driver (zeroed) unless cleared.
            if (surface->pvBits) std::memset(surface->pvBits, 0x77, surface->cjBits);
            surface->iBitmapFormat = c.format;
            if (c.pageObjects && !pdev->m_layout.m_pageObjects) pdev->m_layout.m_pageObjects = std::make_unique<PageObjects>();
            return TRUE;
        });
        ASSERT_TRUE(host->EndPage());
        ASSERT_EQ(origins.size(), 3u);  // 1704 units high in bands of 750
        EXPECT_EQ(origins[0].y, 0);
        EXPECT_EQ(origins[1].y, 750);
        EXPECT_EQ(origins[2].y, 1500);
        EXPECT_EQ(firstBytes[0], 0);
        EXPECT_EQ(firstBytes[1], c.fill < 0 ? 0 : c.fill);
        EXPECT_EQ(firstBytes[2], c.fill < 0 ? 0 : c.fill);
        EXPECT_EQ(pdev->m_document.m_pageCounter, 1u);
        // The page-end command came inside the last band, before the plug-in counted the page.
        const std::vector<DWORD> callbacks = host->callbacks();
        EXPECT_EQ(callbacks.back(), 313u);
        const auto bands = UnidrvEvents(*host, "DrvNextBand");
        ASSERT_EQ(bands.size(), 3u);
        EXPECT_EQ(bands.back().point->x, -1);
        EXPECT_EQ(bands.back().point->y, -1);
    }
}

TEST_F(GraphicsTest, TextColours) {
    struct Case {
        const char* what;
        bool asGraphics;
        BYTE printBlack;
        bool windows2000;
        ULONG fore;
        ULONG opaque;  // kNoBrush: no opaque box
        bool engine;   // drawn by the graphics engine (the own way)
        ULONG drawnFore;
        FLONG drawnForeType;
        ULONG drawnOpaque;
        ULONG boxColor;  // own way: the brush of the box blits
    };
    constexpr ULONG none = palvex::kNoBrush;
    const Case cases[] = {
        {"text keeps its colour", false, 0, false, 0xFF0000, none, false, 0xFF0000, 0, none, 0},
        {"text goes black", false, 1, false, 0xFF0000, none, false, 0x000000, 0, none, 0},
        {"graphics text goes black", true, 1, false, 0x00FF0000, none, true, 0x000000, BR_ORIGCOLOR, none, 0x000000},
        {"graphics text keeps its colour", true, 0, false, 0x00FF0000, none, false, 0xFF0000, 0, none, 0},
        {"black graphics text stays as it is", true, 1, false, 0x000000, none, false, 0x000000, 0, none, 0},
        {"white graphics text stays white", true, 1, false, 0xFFFFFF, none, false, 0xFFFFFF, 0, none, 0},
        {"a colour with flags loses them", true, 0, false, 0x02FF0000, none, true, 0xFF0000, BR_ORIGCOLOR, none, 0xFF0000},
        {"an opaque box with flags loses them", true, 0, false, 0x000000, 0x01000080, true, 0x000000, 0, 0x000080, 0x000080},
        {"an opaque box without flags", true, 0, false, 0x000000, 0x00000080, false, 0x000000, 0, 0x000080, 0},
        {"Windows 2000 draws all graphics text itself", true, 0, true, 0x000000, none, true, 0x000000, 0, none, 0x000000},
        {"a pattern foreground", true, 1, false, 0xFFFFFFFF, none, false, 0xFFFFFFFF, 0, none, 0},
        {"a pattern foreground over a flagged box", true, 0, false, 0xFFFFFFFF, 0x05000010, true, 0xFFFFFFFF, 0, 0x000010, 0x000010},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.majorVersion = c.windows2000 ? 5 : 10;
        profile.minorVersion = 0;
        palvex::SetOsProfile(profile);
        auto host = OpenPage([&](JobDevMode& job) {
            job.SetByte(at::kGrxMode, c.asGraphics ? 0 : 1);
            job.SetByte(at::kPrintTextBlack, c.printBlack);
        });
        palvex::TakeEngCalls();
        EXPECT_TRUE(host->TextOut(u"Hi", POINTL{100, 100}, c.fore, c.opaque));
        const auto engine = palvex::TakeEngCalls();
        const auto driverText = UnidrvEvents(*host, "DrvTextOut");
        const auto boxes = UnidrvEvents(*host, "DrvBitBlt");
        if (c.engine) {
            ASSERT_EQ(engine.size(), 1u);
            EXPECT_TRUE(driverText.empty());
            EXPECT_EQ(engine[0].function, "EngTextOut");
            EXPECT_EQ(engine[0].text, u"Hi");
            EXPECT_EQ(engine[0].target, host->Surface());
            EXPECT_EQ(engine[0].foreColor, c.drawnFore);
            EXPECT_EQ(engine[0].foreColorType, c.drawnForeType);
            EXPECT_EQ(engine[0].opaqueColor, c.drawnOpaque);
            // The string's box, then the opaque box, blitted keeping the page as it is.
            ASSERT_EQ(boxes.size(), c.opaque == none ? 1u : 2u);
            for (const RenderEvent& box : boxes) {
                EXPECT_EQ(box.rop, 0xAAAAu);
                EXPECT_EQ(box.foreColor, c.boxColor);
                EXPECT_EQ(box.point->x, 0);
                EXPECT_EQ(box.point->y, 0);
                EXPECT_EQ(box.rect->left, 100);
                EXPECT_EQ(box.rect->top, 90);
                EXPECT_EQ(box.rect->right, 120);
                EXPECT_EQ(box.rect->bottom, 100);
            }
        } else {
            EXPECT_TRUE(engine.empty());
            EXPECT_TRUE(boxes.empty());
            ASSERT_EQ(driverText.size(), 1u);
            EXPECT_EQ(driverText[0].text, u"Hi");
            EXPECT_EQ(driverText[0].foreColor, c.drawnFore);
            EXPECT_EQ(driverText[0].opaqueColor, c.drawnOpaque);
        }
        OemPdev* pdev = PdevOf(*host);
        EXPECT_EQ(pdev->m_substituteCount, 0u);
        EXPECT_FALSE(pdev->m_inTextOutput);
    }
}

}  // namespace
}  // namespace rendertest
