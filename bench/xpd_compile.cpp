// The description compiler on the model's own description (package/TOVQEB.GPD): a full compile of
// every structure (milliseconds), and the compile trigger when nothing has changed (microseconds),
// which must not read or parse the description at all.
#include <benchmark/benchmark.h>

#include <palvex/files.h>
#include <palvex/machine.h>
#include <palvex/paths.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "xpc.h"

namespace {

constexpr char16_t kPrinter[] = u"Palvex Bench";
constexpr char16_t kDriver[] = u"Palvex QX500";
constexpr char16_t kDataFile[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\TOVQEB.GPD";

// A machine with the model's printer and its data file.
class ModelMachine {
public:
    ModelMachine() {
        palvex::DriverDesc driver;
        driver.name = kDriver;
        driver.dataFile = u"TOVQEB.GPD";
        palvex::AddDriver(driver);
        palvex::AddPrinter(kPrinter, kDriver);
        const std::filesystem::path target = palvex::HostPath(kDataFile);
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(PALVEX_MODEL_DATA_FILE, target);
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        std::u16string name = kPrinter;
        OpenPrinterW(name.data(), &m_printer, &defaults);
    }
    ~ModelMachine() { ClosePrinter(m_printer); }

    HANDLE printer() const { return m_printer; }
    // Without "Timestamp" the next trigger compiles everything.
    void ForgetCompile() { SetPrinterDataW(m_printer, const_cast<LPWSTR>(u"Timestamp"), REG_BINARY, nullptr, 0); }

private:
    palvex::TestMachine m_machine;
    HANDLE m_printer = nullptr;
};

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

void BM_TriggerWithNothingChanged(benchmark::State& state) {
    ModelMachine machine;
    if (CompileByHandle(machine.printer()) >= 2) {
        state.SkipWithError("the model's description did not compile");
        return;
    }
    // The description is replaced by text that cannot be read, with the same times: a trigger that
    // read it would fail.
    FILETIME creation{}, lastWrite{};
    HANDLE file = CreateFileW(kDataFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, &creation, nullptr, &lastWrite);
    CloseHandle(file);
    std::ofstream(palvex::HostPath(kDataFile), std::ios::binary | std::ios::trunc) << "}";
    palvex::SetFileTimes(kDataFile, &creation, &lastWrite);

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

}  // namespace

BENCHMARK_MAIN();
