// One full tray query (QvCom_GetTraysInfo: the enterprise object, then four inputs of four
// columns) against a local snmpd, next to net-snmp's library in the same process asking the same
// agent the same 17 objects in the same five GET requests, interleaved run by run. Both sides
// check what they got. Prints the ratio tovqebco / net-snmp and its goal (at most 1.0) at the end.
// Without snmpd both sides are skipped.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include <palvex/machine.h>

#include "../common/tovqebco.h"
#include "ratio_report.h"
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

// What the agent was told to answer, tray by tray (feed and cross-feed sizes in micrometres).
bool TraysAsConfigured(const TRAYINFO* trays) {
    for (int i = 0; i < kTrayCount; ++i) {
        const LONG type = kInputs[i] == 5 ? 5 : kInputs[i] == 1 ? 4 : 3;
        if (trays[i].inputType != type || trays[i].feedSize != 297000 || trays[i].crossFeedSize != 210000 ||
            trays[i].mediaIndex != 0)
            return false;
    }
    return true;
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
    if (!TraysAsConfigured(trays)) state.SkipWithError("the trays read are not the agent's");
}

// net-snmp's library in this process: a session opened, the same five GET requests of the same
// objects, the session closed; each answer checked (no error, every object there with the type the agent holds).
void BM_NetSnmpLibrarySameRequests(benchmark::State& state) {
    if (!g_setup->snmpd) {
        state.SkipWithError("snmpd is missing");
        return;
    }
    std::vector<std::vector<std::string>> requests = {{kEnterprise}};
    for (int input : kInputs) {
        std::vector<std::string> names;
        for (int column : kColumns) names.push_back(Column(column, input));
        requests.push_back(names);
    }
    // The object identifiers are parsed once, outside the timing, as tovqebco holds its own.
    std::vector<std::vector<std::vector<oid>>> oids;
    for (const auto& names : requests) {
        std::vector<std::vector<oid>> parsed;
        for (const std::string& name : names) {
            std::vector<oid> id;
            for (size_t at = 1; at < name.size();) {  // ".1.3.6..."
                const size_t dot = std::min(name.find('.', at), name.size());
                id.push_back(std::stoul(name.substr(at, dot - at)));
                at = dot + 1;
            }
            parsed.push_back(id);
        }
        oids.push_back(parsed);
    }
    netsnmp_session settings;
    snmp_sess_init(&settings);
    const std::string peer = "127.0.0.1:" + std::to_string(g_setup->snmpd->port());
    std::string community = "wombat";
    settings.peername = const_cast<char*>(peer.c_str());
    settings.version = SNMP_VERSION_1;
    settings.community = reinterpret_cast<u_char*>(community.data());
    settings.community_len = community.size();
    settings.timeout = 1000000;
    settings.retries = 3;
    size_t answered = 0;
    for (auto _ : state) {
        // A session for each query, as QvCom_GetTraysInfo opens and closes its own.
        void* session = snmp_sess_open(&settings);
        if (!session) {
            state.SkipWithError("net-snmp cannot open its session");
            return;
        }
        answered = 0;
        for (const auto& request : oids) {
            netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
            for (const auto& id : request) snmp_add_null_var(pdu, id.data(), id.size());
            netsnmp_pdu* response = nullptr;
            const int status = snmp_sess_synch_response(session, pdu, &response);
            if (status == STAT_SUCCESS && response && response->errstat == SNMP_ERR_NOERROR)
                for (netsnmp_variable_list* v = response->variables; v; v = v->next_variable)
                    if (v->type == ASN_INTEGER || v->type == ASN_OCTET_STR) ++answered;
            if (response) snmp_free_pdu(response);
            if (status != STAT_SUCCESS) break;
        }
        snmp_sess_close(session);
    }
    if (answered != 1 + 4 * std::size(kInputs)) state.SkipWithError("net-snmp did not get every object");
}

BENCHMARK(BM_TovqebcoTrayQuery)->Unit(benchmark::kMicrosecond)->MinTime(0.2);
BENCHMARK(BM_NetSnmpLibrarySameRequests)->Unit(benchmark::kMicrosecond)->MinTime(0.2);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args = palvex_bench::WithInterleaving(argc, argv, 9);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
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

    setenv("MIBS", "", 1);  // numeric names only: no MIB files read
    init_snmp("tray_query");
    palvex_bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("tray query: tovqebco %.1f us, net-snmp library %.1f us (medians)\n",
                reporter.Median("BM_TovqebcoTrayQuery") * 1e6, reporter.Median("BM_NetSnmpLibrarySameRequests") * 1e6);
    reporter.PrintRatio("tray query, tovqebco / net-snmp's library", "BM_TovqebcoTrayQuery",
                        "BM_NetSnmpLibrarySameRequests", 1.0);
    if (setup.library) dlclose(setup.library);
    benchmark::Shutdown();
    return 0;
}
