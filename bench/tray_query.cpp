// One full tray query (QvCom_GetTraysInfo: the enterprise object, then four inputs of four
// columns) against a local snmpd, next to net-snmp's own snmpget asking the same 17 objects in the
// same five requests. Prints the ratio of the two at the end. Without snmpd both sides are
// skipped; without snmpget only its side is.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>

#include <palvex/machine.h>

#include "../common/tovqebco.h"
#include "../platform/tests/snmp_test_peers.h"

namespace {

using palvex::testing::ScopedAgentPort;
using palvex::testing::Snmpd;

const char kEnterprise[] = ".1.3.6.1.4.1.32473.1.205.1.1.1.0";
const int kInputs[] = {1, 2, 3, 5};
const int kColumns[] = {2, 12, 4, 5};

std::string Column(int column, int input) {
    return ".1.3.6.1.2.1.43.8.2.1." + std::to_string(column) + ".1." + std::to_string(input);
}

std::vector<std::string> PrinterConfig() {
    std::vector<std::string> lines = {std::string("override ") + kEnterprise + " octet_str \"Palvex QX500\""};
    for (int input : kInputs) {
        lines.push_back("override " + Column(2, input) + " integer " + (input == 5 ? "5" : input == 1 ? "4" : "3"));
        lines.push_back("override " + Column(12, input) + " octet_str \"Plain\"");
        lines.push_back("override " + Column(4, input) + " integer 297000");
        lines.push_back("override " + Column(5, input) + " integer 210000");
    }
    return lines;
}

std::string SnmpgetProgram() {
    for (const char* candidate : {"/usr/bin/snmpget", "/usr/local/bin/snmpget"})
        if (access(candidate, X_OK) == 0) return candidate;
    return {};
}

// The machine, the agent and the loaded library, shared by both benchmarks.
struct Setup {
    palvex::TestMachine machine;
    std::unique_ptr<Snmpd> snmpd;
    std::unique_ptr<ScopedAgentPort> port;
    void* library = nullptr;
    decltype(&QvCom_GetTraysInfo) getTraysInfo = nullptr;
};
Setup* g_setup = nullptr;

std::string LibraryPath() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (n <= 0) return {};
    self[n] = '\0';
    return (std::filesystem::path(self).parent_path().parent_path() / "lib" / "libtovqebco.so").string();
}

void BM_TovqebcoTrayQuery(benchmark::State& state) {
    if (!g_setup->snmpd || !g_setup->getTraysInfo) {
        state.SkipWithError("snmpd or libtovqebco.so is missing");
        return;
    }
    TRAYINFO trays[kTrayCount];
    for (auto _ : state) {
        if (!g_setup->getTraysInfo(u"127.0.0.1", nullptr, 1041, trays)) {
            state.SkipWithError("the tray query failed");
            return;
        }
        benchmark::DoNotOptimize(trays);
    }
}

bool RunSnmpget(const std::string& program, const std::vector<std::string>& names) {
    std::vector<std::string> args = {program, "-v1", "-c", "wombat", "-On", "-Oq", "-t", "1", "-r", "3",
                                     "127.0.0.1:" + std::to_string(g_setup->snmpd->port())};
    args.insert(args.end(), names.begin(), names.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_SnmpgetSameRequests(benchmark::State& state) {
    std::string program = SnmpgetProgram();
    if (!g_setup->snmpd || program.empty()) {
        state.SkipWithError("snmpd or snmpget is missing");
        return;
    }
    std::vector<std::vector<std::string>> requests = {{kEnterprise}};
    for (int input : kInputs) {
        std::vector<std::string> names;
        for (int column : kColumns) names.push_back(Column(column, input));
        requests.push_back(names);
    }
    for (auto _ : state) {
        for (const auto& names : requests) {
            if (!RunSnmpget(program, names)) {
                state.SkipWithError("snmpget failed");
                return;
            }
        }
    }
}

BENCHMARK(BM_TovqebcoTrayQuery)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnmpgetSameRequests)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.iterations > 0 && run.run_type == Run::RT_Iteration)
                m_seconds[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
    }
    std::map<std::string, double> m_seconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Setup setup;
    g_setup = &setup;
    if (!Snmpd::Program().empty()) {
        setup.snmpd = std::make_unique<Snmpd>(PrinterConfig());
        if (!setup.snmpd->running()) {
            std::fprintf(stderr, "tray_query: %s\n", setup.snmpd->error().c_str());
            setup.snmpd.reset();
        } else {
            setup.port = std::make_unique<ScopedAgentPort>(setup.snmpd->port());
        }
    }
    setup.library = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (setup.library)
        setup.getTraysInfo = reinterpret_cast<decltype(&QvCom_GetTraysInfo)>(dlsym(setup.library, "QvCom_GetTraysInfo"));

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ours = reporter.m_seconds.find("BM_TovqebcoTrayQuery");
    auto theirs = reporter.m_seconds.find("BM_SnmpgetSameRequests");
    if (ours != reporter.m_seconds.end() && theirs != reporter.m_seconds.end())
        std::printf("tray query: tovqebco %.1f us, snmpget x5 %.1f us, ratio tovqebco/snmpget %.3f\n", ours->second * 1e6,
                    theirs->second * 1e6, ours->second / theirs->second);
    if (setup.library) dlclose(setup.library);
    benchmark::Shutdown();
    return 0;
}
