// A 1000-page EMF job printed by the print processor through the spooler's job runner onto the
// recording printer DC: forward 1-up, reverse, 4-up and booklet, each as time per page, next to a
// plain pass that only opens the spool file and plays every page once in order. The ratio of a
// job to the plain pass is what the print processor's page order and placement cost on top of the
// playback itself. The runs of all five are repeated and interleaved at random, and the medians
// compared; each job's sides are checked. Then a memory figure: the peak resident size of a
// process that prints one forward job of 100 pages and of one that prints 5000 (each forked from
// the same state, so only the job differs), and their difference per page. The printer device
// context keeps no side of a job here (as a printer keeps nothing of a page it has printed): each
// job's sides are checked by their count.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <job_runner.h>
#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/recording_dc.h>
#include <palvex/spool_writer.h>
#include <win/gdi_spool.h>

#include "ratio_report.h"
#include "settings_fixture.h"

namespace {

constexpr DWORD kPages = 1000;

enum class Order { Forward, Reverse, FourUp, Booklet };

// The job DEVMODE with the layout settings of one order (PCL XL, graphics mode on, duplex for the
// booklet).
std::vector<BYTE> JobDevmode(Order order) {
    return pptest::JobDevmode([order](pptest::Devmode& devmode) {
        DEVMODEW* dm = devmode.get();
        dm->dmFields |= DM_COPIES | DM_DUPLEX | DM_COLLATE;
        dm->dmCopies = 1;
        dm->dmDuplex = order == Order::Booklet ? DMDUP_VERTICAL : DMDUP_SIMPLEX;
        dm->dmCollate = 0;
        namespace at = pptest::at;
        devmode.SetByte(at::kPageOrder, order == Order::Reverse ? 1 : 0);
        devmode.SetByte(at::kBooklet, order == Order::Booklet ? 2 : 0);  // stored 2: kind 1
        devmode.SetByte(at::kNupPages, order == Order::FourUp ? 2 : 0);  // stored index 2: 4-up
    });
}

// The machine with the printer, the loaded print processor and one spool file per order, made
// once for the whole program.
struct Setup {
    palvex::TestMachine machine;
    std::unique_ptr<palvex::hosts::PrintProcessorLibrary> library;
    std::map<Order, std::u16string> spoolFiles;
    std::map<Order, std::vector<BYTE>> devModes;
    std::map<DWORD, std::u16string> memoryFiles;  // forward jobs by page count, for the memory figure
};

// Made on first use; main tears it down before the platform's own statics go at exit.
std::unique_ptr<Setup> g_setup;

Setup& TheSetup() {
    if (!g_setup) {
        auto made = std::make_unique<Setup>();
        pptest::InstallSettingsPrinter(made->machine);
        made->library = std::make_unique<palvex::hosts::PrintProcessorLibrary>(TOVQEBPP_LIBRARY);
        for (Order order : {Order::Forward, Order::Reverse, Order::FourUp, Order::Booklet}) {
            const std::u16string file = u"C:\\Windows\\System32\\spool\\PRINTERS\\B" +
                                        std::u16string(1, static_cast<char16_t>(u'0' + static_cast<int>(order))) +
                                        u".SPL";
            palvex::SpoolDocumentDesc document = palvex::NumberedPages(kPages);
            document.devMode = JobDevmode(order);
            palvex::WriteSpoolFile(palvex::HostPath(file), document);
            made->spoolFiles[order] = file;
            made->devModes[order] = document.devMode;
        }
        for (DWORD pages : {DWORD{100}, DWORD{5000}}) {
            const std::u16string file = u"C:\\Windows\\System32\\spool\\PRINTERS\\M" +
                                        std::u16string(1, pages == 100 ? u'1' : u'5') + u".SPL";
            palvex::SpoolDocumentDesc document = palvex::NumberedPages(pages);
            document.devMode = JobDevmode(Order::Forward);
            palvex::WriteSpoolFile(palvex::HostPath(file), document);
            made->memoryFiles[pages] = file;
        }
        g_setup = std::move(made);
    }
    return *g_setup;
}

DWORD AddJob(Order order) {
    Setup& setup = TheSetup();
    palvex::JobDesc job;
    job.printerName = pptest::kPrinter;
    job.documentName = u"Spooled EMF";
    job.devMode = setup.devModes[order];
    job.spoolFile = setup.spoolFiles[order];
    return palvex::AddJob(job);
}

void PerPage(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPages);
    state.counters["per_page"] =
        benchmark::Counter(kPages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The spool file read and every page played once, in order, one page a side.
void BM_PlainPlayback(benchmark::State& state) {
    Setup& setup = TheSetup();
    if (!setup.library->loaded()) return state.SkipWithError(setup.library->error().c_str());
    std::u16string printer = pptest::kPrinter;
    std::u16string docName = u"Palvex bench";
    DOCINFOW docInfo{};
    docInfo.cbSize = sizeof docInfo;
    docInfo.lpszDocName = docName.c_str();
    for (auto _ : state) {
        state.PauseTiming();
        const DWORD job = AddJob(Order::Forward);
        std::u16string spoolName = printer + u", Job ";
        for (char c : std::to_string(job)) spoolName += static_cast<char16_t>(c);
        state.ResumeTiming();
        HANDLE spool = GdiGetSpoolFileHandle(printer.data(), nullptr, spoolName.data());
        if (!spool) return state.SkipWithError("GdiGetSpoolFileHandle failed");
        const DWORD count = GdiGetPageCount(spool);
        bool played = count == kPages && GdiStartDocEMF(spool, &docInfo);
        for (DWORD page = 1; played && page <= count; ++page) {
            HANDLE handle = GdiGetPageHandle(spool, page, nullptr);
            RECT rect{0, 0, 4960, 7015};
            played = handle && GdiStartPageEMF(spool) && GdiPlayPageEMF(spool, handle, &rect, nullptr, nullptr) &&
                     GdiEndPageEMF(spool, 0);
        }
        played = played && GdiEndDocEMF(spool);
        GdiDeleteSpoolFileHandle(spool);
        if (!played) return state.SkipWithError("plain playback failed");
    }
    PerPage(state);
}
BENCHMARK(BM_PlainPlayback)->Unit(benchmark::kMillisecond);

// The sides each order prints: one page, four pages or two booklet cells a side.
size_t SidesOf(Order order) {
    switch (order) {
    case Order::FourUp: return kPages / 4;
    case Order::Booklet: return kPages / 2;
    default: return kPages;
    }
}

// The whole job through the print processor, as the spooler prints it.
void BM_PrintJob(benchmark::State& state, Order order) {
    Setup& setup = TheSetup();
    if (!setup.library->loaded()) return state.SkipWithError(setup.library->error().c_str());
    DWORD job = 0;
    for (auto _ : state) {
        state.PauseTiming();
        job = AddJob(order);
        state.ResumeTiming();
        palvex::hosts::JobRunner runner(*setup.library, job);
        if (!runner.Run().print.result) return state.SkipWithError("the job failed");
    }
    // The last job printed the sides its order makes (outside the timing).
    const std::optional<palvex::DcLog> log = palvex::ReadJobDcLog(job);
    if (!log || log->sideCount() != SidesOf(order)) return state.SkipWithError("unexpected sides printed");
    PerPage(state);
}
BENCHMARK_CAPTURE(BM_PrintJob, Forward1Up, Order::Forward)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PrintJob, Reverse, Order::Reverse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PrintJob, FourUp, Order::FourUp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PrintJob, Booklet, Order::Booklet)->Unit(benchmark::kMillisecond);

// The peak resident size (KB) of a child process that prints one forward job of pages pages, or
// -1 when the job failed.
long PeakKbOfJob(DWORD pages) {
    Setup& setup = TheSetup();
    int channel[2];
    if (pipe(channel) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        long peak = -1;
        palvex::JobDesc job;
        job.printerName = pptest::kPrinter;
        job.documentName = u"Spooled EMF";
        job.devMode = setup.devModes[Order::Forward];
        job.spoolFile = setup.memoryFiles[pages];
        const DWORD id = palvex::AddJob(job);
        palvex::hosts::JobRunner runner(*setup.library, id);
        const bool printed = runner.Run().print.result;
        // The peak of the job itself: the check's own read of the job's log (a record for each
        // side) comes after.
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const std::optional<palvex::DcLog> log = palvex::ReadJobDcLog(id);
        if (printed && log && log->sideCount() == pages) peak = usage.ru_maxrss;
        (void)!write(channel[1], &peak, sizeof peak);
        _exit(0);
    }
    close(channel[1]);
    long peak = -1;
    if (child < 0 || read(channel[0], &peak, sizeof peak) != sizeof peak) peak = -1;
    close(channel[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return peak;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args = palvex_bench::WithInterleaving(argc, argv, 7);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    palvex_bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* order : {"Forward1Up", "Reverse", "FourUp", "Booklet"})
        reporter.PrintRatio(std::string("print processor ") + order + " / plain playback, per page",
                            std::string("BM_PrintJob/") + order, "BM_PlainPlayback", 1.10);
    if (g_setup && g_setup->library->loaded()) {
        const long small = PeakKbOfJob(100), large = PeakKbOfJob(5000);
        if (small < 0 || large < 0) {
            std::printf("memory: not measured (a job failed)\n");
        } else {
            std::printf("memory: peak RSS %ld KB at 100 pages, %ld KB at 5000 pages: %+ld KB, %.2f KB a page "
                        "(goal: within 300 KB) %s\n",
                        small, large, large - small, static_cast<double>(large - small) / 4900.0,
                        large - small <= 300 ? "met" : "NOT MET");
        }
    }
    benchmark::Shutdown();
    g_setup.reset();  // the library unloads, then the machine goes
    return 0;
}
