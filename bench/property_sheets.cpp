// The property sheets a person opens for an installed printer, through the UI host with the UI
// plug-in library loaded the way the universal driver loads it (the model's package installed by
// the machine tool, the description compiled):
// - opening the document sheet, and the printer sheet, with every page created and drawn once
//   (from the host's start of the sheet until the last page's picture is drawn);
// - Apply after one change: on the document sheet, the Basic page's paper size set to its second
//   row; on the printer sheet, the next option of the plug-in's first list item chosen in the
//   driver's item tree (the printer sheet's own controls ask for elevation first).
// The baseline of an open is the same sheet's pages drawn once more while it stays open (what the
// window system does for any sheet); of an Apply, the same Apply pressed with nothing changed.
// Each figure is printed as a ratio to its goal: 100 ms to open, 20 ms to apply.
// The printer sheet's device page pauses 1000 ms after saving, whatever changed, so its Apply is
// also measured with the machine on its virtual clock, where that pause passes at once: the report
// splits the Apply into the pause and the rest.
// Every benchmark uses the same installed machine, as one person's process would; afterwards the
// machine-database statements the process prepared more than once are listed (goal: none).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <palvex/clock.h>
#include <palvex/machine.h>
#include <palvex/prepared_statements.h>
#include <palvex/ui_script.h>
#include <plugin_library.h>
#include <ui_host.h>
#include <win/commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "ratio_report.h"

namespace {

using Clock = std::chrono::steady_clock;
using palvex::UserAction;

constexpr char16_t kPrinter[] = u"Palvex QX500";
constexpr int kPaperSizeCombo = 1203;  // on the document sheet's Basic page

// Runs the machine tool on the current machine; false when it fails.
bool MachineTool(const std::vector<std::string>& arguments) {
    return palvex::testing::RunChild(PALVEX_MACHINE_TOOL, arguments, palvex::MachineRoot()).exitCode == 0;
}

UserAction Step(std::function<void(HWND)> body) {
    UserAction action;
    action.kind = UserAction::Run;
    action.run = std::move(body);
    return action;
}

UserAction Act(UserAction::Kind kind, int control = 0, int index = 0) {
    UserAction action;
    action.kind = kind;
    action.control = control;
    action.index = index;
    return action;
}

// A machine with the model's package installed and the UI plug-in's library loaded.
class InstalledPrinter {
public:
    InstalledPrinter() : m_pictures(std::filesystem::temp_directory_path() / ("palvex-bench-sheets-" + std::to_string(getpid()))) {
        if (!MachineTool({"install", PALVEX_PACKAGE_FOLDER})) {
            m_error = "the package did not install";
            return;
        }
        if (!m_library.loaded()) {
            m_error = "the UI plug-in did not load: " + m_library.error();
            return;
        }
        std::filesystem::create_directories(m_pictures);
    }
    ~InstalledPrinter() {
        std::error_code ignored;
        std::filesystem::remove_all(m_pictures, ignored);
    }
    const std::string& error() const { return m_error; }

    std::unique_ptr<palvex::hosts::UiHost> Host() {
        palvex::hosts::UiHostOptions options;
        options.printerName = kPrinter;
        auto host = std::make_unique<palvex::hosts::UiHost>(m_library, options);
        if (!host->Load()) m_error = "the UI host did not load: " + host->error();
        return m_error.empty() ? std::move(host) : nullptr;
    }

    // Every page of the sheet created (selected in turn) and drawn once; false when a page is
    // missing.
    bool CreateAndDrawEveryPage(HWND frame) {
        HWND tab = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETTABCONTROL, 0, 0));
        const int count = tab ? static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0)) : 0;
        if (count == 0) return false;
        for (int i = 0; i < count; ++i) {
            SendMessageW(frame, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
            if (!SendMessageW(frame, PSM_INDEXTOHWND, static_cast<WPARAM>(i), 0)) return false;
            palvex::WriteWindowPicture(frame, m_pictures / ("page-" + std::to_string(i) + ".png"));
        }
        m_pages = count;
        return true;
    }
    int pages() const { return m_pages; }

private:
    palvex::TestMachine m_machine;
    palvex::hosts::PluginLibrary m_library{TOVQEBUI_LIBRARY};
    std::filesystem::path m_pictures;
    std::string m_error;
    int m_pages = 0;
};

// The one machine every benchmark of the process uses, installed on first use.
std::unique_ptr<InstalledPrinter> g_machine;

InstalledPrinter& Machine() {
    if (!g_machine) g_machine = std::make_unique<InstalledPrinter>();
    return *g_machine;
}

// The sheet of mode opened by the host (timed from the start), every page created and drawn;
// with redraw, the time is instead that of drawing every page once more.
void OpenSheet(benchmark::State& state, DWORD mode, bool redraw) {
    InstalledPrinter& machine = Machine();
    if (!machine.error().empty()) return state.SkipWithError(machine.error().c_str());
    for (auto _ : state) {
        auto host = machine.Host();
        if (!host) return state.SkipWithError(machine.error().c_str());
        Clock::time_point start = Clock::now(), end{};
        bool drawn = false;
        std::vector<UserAction> actions{Step([&](HWND frame) {
            drawn = machine.CreateAndDrawEveryPage(frame);
            end = Clock::now();
        })};
        if (redraw) {
            actions.push_back(Step([&](HWND frame) {
                start = Clock::now();
                drawn = drawn && machine.CreateAndDrawEveryPage(frame);
                end = Clock::now();
            }));
        }
        actions.push_back(Act(UserAction::Cancel));
        palvex::ResetUserScript();
        palvex::QueueUserActions(actions);
        DWORD result = 0;
        if (host->RunSheets(mode, nullptr, &result) == ERR_CPSUI_GETLASTERROR || !drawn)
            return state.SkipWithError("the sheet did not open with every page");
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["pages"] = machine.pages();
}

void BM_OpenDocumentSheet(benchmark::State& state) { OpenSheet(state, OEMCUIP_DOCPROP, false); }
void BM_RedrawDocumentSheet(benchmark::State& state) { OpenSheet(state, OEMCUIP_DOCPROP, true); }
void BM_OpenPrinterSheet(benchmark::State& state) { OpenSheet(state, OEMCUIP_PRNPROP, false); }
void BM_RedrawPrinterSheet(benchmark::State& state) { OpenSheet(state, OEMCUIP_PRNPROP, true); }
BENCHMARK(BM_OpenDocumentSheet)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawDocumentSheet)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPrinterSheet)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawPrinterSheet)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// The plug-in's first list item with more than one option, or npos.
size_t FirstPluginList(const palvex::hosts::UiHost& host) {
    for (size_t i = host.DriverItemCount(); i < host.Items().size(); ++i) {
        const POPTTYPE type = host.Items()[i].pOptType;
        if (type && type->Count > 1 && (type->Type == TVOT_LISTBOX || type->Type == TVOT_COMBOBOX)) return i;
    }
    return static_cast<size_t>(-1);
}

// Sets the machine on its virtual clock for the life of the object.
class PausesOnMachineClock {
public:
    PausesOnMachineClock() { palvex::SetVirtualClock(SYSTEMTIME{2026, 12, 5, 11, 9, 0, 0, 0}); }
    ~PausesOnMachineClock() { palvex::UseRealClock(); }
};

// Apply on the sheet of mode (timed from the press until the sheet has handled what it posted),
// after change made the one change, or with nothing changed when change is null; with
// machineClock, the driver's pauses pass on the machine's virtual clock.
void ApplySheet(benchmark::State& state, DWORD mode, const std::function<std::vector<UserAction>(palvex::hosts::UiHost&)>& change,
                bool machineClock = false) {
    InstalledPrinter& machine = Machine();
    if (!machine.error().empty()) return state.SkipWithError(machine.error().c_str());
    std::optional<PausesOnMachineClock> virtualClock;
    if (machineClock) virtualClock.emplace();
    for (auto _ : state) {
        auto host = machine.Host();
        if (!host) return state.SkipWithError(machine.error().c_str());
        Clock::time_point start{}, end{};
        bool applyEnabled = false;
        std::vector<UserAction> actions = change ? change(*host) : std::vector<UserAction>{};
        actions.push_back(Step([&](HWND frame) {
            // With nothing changed, Apply is made pressable as a page's change would make it.
            if (!change) SendMessageW(frame, PSM_CHANGED, static_cast<WPARAM>(SendMessageW(frame, PSM_INDEXTOHWND, 0, 0)), 0);
            applyEnabled = IsWindowEnabled(GetDlgItem(frame, ID_APPLY_NOW));
            start = Clock::now();
        }));
        actions.push_back(Act(UserAction::Apply));
        actions.push_back(Step([&](HWND) { end = Clock::now(); }));
        actions.push_back(Act(UserAction::Cancel));
        palvex::ResetUserScript();
        palvex::QueueUserActions(actions);
        DWORD result = 0;
        if (host->RunSheets(mode, nullptr, &result) == ERR_CPSUI_GETLASTERROR)
            return state.SkipWithError("the sheet did not open");
        if (!applyEnabled) return state.SkipWithError("Apply could not be pressed");
        bool applied = false;
        for (const auto& call : host->calls()) applied = applied || call.name == "ApplyNow";
        if (result != CPSUI_OK || !applied) return state.SkipWithError("the sheet did not apply");
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

std::vector<UserAction> ChoosePaperSize(palvex::hosts::UiHost&) {
    return {Act(UserAction::Select, kPaperSizeCombo, 1)};
}

// The item's next option chosen in the item tree, as the printer sheet's driver page chooses it;
// the page tells the sheet of the change, as the tree does.
std::vector<UserAction> ChooseInTree(palvex::hosts::UiHost& host) {
    return {Step([&host](HWND frame) {
        const size_t item = FirstPluginList(host);
        if (item == static_cast<size_t>(-1)) return;
        const OPTITEM& chosen = host.Items()[item];
        host.SelectItem(item, (chosen.Sel + 1) % chosen.pOptType->Count);
        SendMessageW(frame, PSM_CHANGED, static_cast<WPARAM>(SendMessageW(frame, PSM_INDEXTOHWND, 0, 0)), 0);
    })};
}

void BM_ApplyDocumentSheet(benchmark::State& state) { ApplySheet(state, OEMCUIP_DOCPROP, ChoosePaperSize); }
void BM_ApplyDocumentSheetUnchanged(benchmark::State& state) { ApplySheet(state, OEMCUIP_DOCPROP, nullptr); }
void BM_ApplyPrinterSheet(benchmark::State& state) { ApplySheet(state, OEMCUIP_PRNPROP, ChooseInTree); }
void BM_ApplyPrinterSheetUnchanged(benchmark::State& state) { ApplySheet(state, OEMCUIP_PRNPROP, nullptr); }
void BM_ApplyPrinterSheetPauseOnMachineClock(benchmark::State& state) {
    ApplySheet(state, OEMCUIP_PRNPROP, ChooseInTree, true);
}
void BM_ApplyPrinterSheetUnchangedPauseOnMachineClock(benchmark::State& state) {
    ApplySheet(state, OEMCUIP_PRNPROP, nullptr, true);
}
BENCHMARK(BM_ApplyDocumentSheet)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyDocumentSheetUnchanged)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyPrinterSheet)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyPrinterSheetUnchanged)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyPrinterSheetPauseOnMachineClock)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyPrinterSheetUnchangedPauseOnMachineClock)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return palvex_bench::RunAndReport(argc, argv, 5, [](const palvex_bench::RatioReporter& reporter) {
        reporter.PrintAgainstGoal("document sheet opened, every page drawn", "BM_OpenDocumentSheet",
                                  "BM_RedrawDocumentSheet", 100e-3);
        reporter.PrintAgainstGoal("printer sheet opened, every page drawn", "BM_OpenPrinterSheet",
                                  "BM_RedrawPrinterSheet", 100e-3);
        reporter.PrintAgainstGoal("document sheet Apply after one change", "BM_ApplyDocumentSheet",
                                  "BM_ApplyDocumentSheetUnchanged", 20e-3);
        if (!reporter.PrintAgainstGoal("printer sheet Apply after one change", "BM_ApplyPrinterSheet",
                                       "BM_ApplyPrinterSheetUnchanged", 20e-3)) {
            // Where the time goes: the device page's pause after saving, and the rest of the Apply.
            const double whole = reporter.Median("BM_ApplyPrinterSheet");
            const double rest = reporter.Median("BM_ApplyPrinterSheetPauseOnMachineClock");
            if (whole > 0 && rest > 0)
                std::printf("  of which the device page's pause after saving: %.0f ms; the rest:\n", (whole - rest) * 1e3);
            reporter.PrintAgainstGoal("  printer sheet Apply after one change, the pause on the machine's clock",
                                      "BM_ApplyPrinterSheetPauseOnMachineClock",
                                      "BM_ApplyPrinterSheetUnchangedPauseOnMachineClock", 20e-3);
        }
        g_machine.reset();
        const std::vector<palvex::db::PreparedText> twice = palvex::db::PreparedTwice();
        for (const auto& prepared : twice) {
            std::string sql = prepared.sql;  // on one line
            std::replace(sql.begin(), sql.end(), '\n', ' ');
            std::printf("prepared %zu times: %s\n", prepared.count, sql.c_str());
        }
        std::printf("statements prepared more than once: %zu (goal 0)\n", twice.size());
    });
}
