// The watermark's font on a PCL XL printer (the render plug-in's EmitWatermark at a page's end):
// the first page of a document downloads the TrueType font of a 20-character text (header and
// each distinct character, read from the system's font through GDI), and a following page with
// the same settings finds the font in its cache and sends nothing. The baseline of the download
// is one GetFontData read of the font's outline table through the same GDI; of the cache hit, the
// page's font made from its settings. Each is printed as a ratio to its goal: 2 ms for the
// download, 50 us for the cache hit.
#include <benchmark/benchmark.h>

#include <palvex/machine.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ratio_report.h"
#include "watermark_output.h"
#include "wired_pdev.h"

namespace {

constexpr char16_t kText[] = u"CONFIDENTIAL DRAFT 1";
static_assert(sizeof kText / sizeof kText[0] == 21, "the watermark text has 20 characters");

// A PCL XL page with the watermark on, as the render plug-in's PDEV holds it at the page's end.
class WatermarkPage {
public:
    WatermarkPage() { m_wired.SetWatermarkPage(kText, 72); }
    ~WatermarkPage() { ReleaseWatermarkState(&m_wired.m_pdev); }

    OemPdev& pdev() { return m_wired.m_pdev; }
    rendertest::SpoolCapture& spool() { return m_wired.m_spool; }

private:
    palvex::TestMachine m_machine;  // first: made before the page and gone after it
    rendertest::WiredPdev m_wired;
};

// Every distinct character of the text went, with the font's header (its name in the stream).
bool WholeDownload(const std::string& bytes) {
    return bytes.find("Arial_WM") != std::string::npos && bytes.size() > 1000;
}

void BM_FirstPageDownloadsTheFont(benchmark::State& state) {
    WatermarkPage page;
    for (auto _ : state) {
        state.PauseTiming();
        ReleaseWatermarkState(&page.pdev());  // a new document: nothing on the printer yet
        page.spool().Clear();
        state.ResumeTiming();
        if (EmitWatermark(&page.pdev()) != S_OK) return state.SkipWithError("the download failed");
    }
    if (!WholeDownload(page.spool().m_bytes)) return state.SkipWithError("the font did not reach the printer");
    state.counters["bytes"] = static_cast<double>(page.spool().m_bytes.size());
}
BENCHMARK(BM_FirstPageDownloadsTheFont)->Unit(benchmark::kMicrosecond);

void BM_FollowingPageFindsTheFontCached(benchmark::State& state) {
    WatermarkPage page;
    if (EmitWatermark(&page.pdev()) != S_OK || !WholeDownload(page.spool().m_bytes))
        return state.SkipWithError("the first page's download failed");
    for (auto _ : state) {
        page.spool().Clear();
        if (EmitWatermark(&page.pdev()) != S_OK) return state.SkipWithError("the page failed");
    }
    if (!page.spool().m_bytes.empty()) state.SkipWithError("a following page sent the font again");
}
BENCHMARK(BM_FollowingPageFindsTheFontCached)->Unit(benchmark::kMicrosecond);

// The download's floor: the font's outline table read once through GDI.
void BM_ReadTheFontsOutlines(benchmark::State& state) {
    WatermarkPage page;
    const LOGFONTW logFont = WatermarkFont(&page.pdev());
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontIndirectW(&logFont);
    HGDIOBJ previous = SelectObject(dc, font);
    constexpr DWORD kGlyf = 0x66796C67;  // "glyf", as GetFontData takes a tag
    const DWORD size = GetFontData(dc, kGlyf, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) {
        state.SkipWithError("no outline table");
    } else {
        std::vector<BYTE> outlines(size);
        for (auto _ : state) {
            if (GetFontData(dc, kGlyf, 0, outlines.data(), size) != size) {
                state.SkipWithError("the outline table was not read");
                break;
            }
        }
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
}
BENCHMARK(BM_ReadTheFontsOutlines)->Unit(benchmark::kMicrosecond);

// The cache hit's floor: the page's font made from its settings, which the cache is asked for.
void BM_MakeThePagesFont(benchmark::State& state) {
    WatermarkPage page;
    for (auto _ : state) {
        const LOGFONTW font = WatermarkFont(&page.pdev());
        benchmark::DoNotOptimize(font);
    }
}
BENCHMARK(BM_MakeThePagesFont)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return palvex_bench::RunAndReport(argc, argv, 5, [](const palvex_bench::RatioReporter& reporter) {
        reporter.PrintAgainstGoal("watermark font download, 20 characters", "BM_FirstPageDownloadsTheFont",
                                  "BM_ReadTheFontsOutlines", 2e-3);
        reporter.PrintAgainstGoal("watermark font on a following page (cache hit)", "BM_FollowingPageFindsTheFontCached",
                                  "BM_MakeThePagesFont", 50e-6);
    });
}
