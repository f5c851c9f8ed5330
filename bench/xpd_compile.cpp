// The description compiler on the model's own description (package/TOVQEB.GPD): a full compile of
// every structure (milliseconds), and the compile trigger when nothing has changed (microseconds),
// which must not read or parse the description at all. The trigger is timed through
// CompileByHandle, the path the machine tool takes, and through CompileIfChanged, next to one
// stat() of the description as the floor; the program prints CompileByHandle's time as a ratio to
// its goal of 50 us.
#include <benchmark/benchmark.h>

#include <palvex/files.h>
#include <palvex/machine.h>
#include <palvex/paths.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "model_machine.h"
#include "ratio_report.h"
#include "xpc.h"

namespace {

using palvex_bench::kDataFile;
using palvex_bench::kDriver;
using palvex_bench::kPrinter;
using palvex_bench::ModelMachine;

void BM_CompileModelDescription(benchmark::State& state) {
    ModelMachine machine;
    for (auto _ : state) {
        state.PauseTiming();
        machine.ForgetCompile();
        state.ResumeTiming();
        if (CompileByHandle(machine.printer()) >= 2) {
            state.SkipWithError("the model's description did not compile");
            break;
        }
    }
}
BENCHMARK(BM_CompileModelDescription)->Unit(benchmark::kMillisecond);

// A compiled machine whose description was then replaced by text that cannot be read, with the
// same times: a trigger that read it would fail.
class CompiledModelMachine : public ModelMachine {
public:
    CompiledModelMachine() {
        m_compiled = CompileByHandle(printer()) < 2;
        FILETIME creation{}, lastWrite{};
        HANDLE file = CreateFileW(kDataFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        GetFileTime(file, &creation, nullptr, &lastWrite);
        CloseHandle(file);
        std::ofstream(palvex::HostPath(kDataFile), std::ios::binary | std::ios::trunc) << "}";
        palvex::SetFileTimes(kDataFile, &creation, &lastWrite);
    }
    bool compiled() const { return m_compiled; }

private:
    bool m_compiled = false;
};

void BM_TriggerByHandleNothingChanged(benchmark::State& state) {
    CompiledModelMachine machine;
    if (!machine.compiled()) return state.SkipWithError("the model's description did not compile");
    for (auto _ : state) {
        if (CompileByHandle(machine.printer()) != 0) {
            state.SkipWithError("the trigger compiled although nothing changed");
            break;
        }
    }
}
BENCHMARK(BM_TriggerByHandleNothingChanged)->Unit(benchmark::kMicrosecond);

void BM_TriggerWithNothingChanged(benchmark::State& state) {
    CompiledModelMachine machine;
    if (!machine.compiled()) return state.SkipWithError("the model's description did not compile");
    XpcCompileRequest request{};
    std::copy(std::begin(kPrinter), std::end(kPrinter), request.m_printerName);
    std::copy(std::begin(kDriver), std::end(kDriver), request.m_driverName);
    std::copy(std::begin(kDataFile), std::end(kDataFile), request.m_sourcePath);
    request.m_embedded = TRUE;
    for (auto _ : state) {
        if (CompileIfChanged(&request) != 0) {
            state.SkipWithError("the trigger compiled although nothing changed");
            break;
        }
    }
}
BENCHMARK(BM_TriggerWithNothingChanged)->Unit(benchmark::kMicrosecond);

// The floor: one stat() of the description's file.
void BM_StatOfDescription(benchmark::State& state) {
    ModelMachine machine;
    const std::string path = palvex::HostPath(kDataFile).string();
    struct stat info {};
    for (auto _ : state) {
        if (stat(path.c_str(), &info) != 0) return state.SkipWithError("no description file");
        benchmark::DoNotOptimize(info);
    }
}
BENCHMARK(BM_StatOfDescription)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return palvex_bench::RunAndReport(argc, argv, 5, [](const palvex_bench::RatioReporter& reporter) {
        reporter.PrintAgainstGoal("unchanged check through CompileByHandle", "BM_TriggerByHandleNothingChanged",
                                  "BM_StatOfDescription", 50e-6);
    });
}
