// The installer's network search reading the answers to its discovery: 64 GetResponse datagrams
// from printers on the network (sysDescr texts of other makers and of ours, in short and long
// length forms), each handled as the search's worker handles a datagram (HandleSnmpResponse at the
// usual log level, against the configured patterns, none of which matches, so that no GET goes out),
// and ParseSnmpResponse alone. The floor is one pass over the same bytes. The program prints the
// handling of the 64 answers as a ratio to its goal of 1 ms.
#include <benchmark/benchmark.h>

#include <palvex/machine.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_network_prog.h"
#include "drv_data.h"
#include "ratio_report.h"
#include "snmp_discovery.h"
#include "snmp_test_peers.h"

namespace {

using palvex::testing::Bytes;
using palvex::testing::Octets;
using palvex::testing::Response;
using palvex::testing::VarBind;

constexpr size_t kReplies = 64;

// The answers of 64 printers: texts of 16 to 200 characters, request ids counting up.
std::vector<Bytes> Replies() {
    static const char* const makers[] = {"Korvel Palvex QM", "Northwind LaserJet ", "Orlune OLFAX ", "Tessaly PageWriter "};
    std::vector<Bytes> replies;
    for (size_t i = 0; i < kReplies; ++i) {
        std::string text = makers[i % 4] + std::to_string(100 + i);
        if (i % 8 == 7) text += std::string(200 - text.size(), ' ');  // a long length form (81 C8)
        const Bytes id{static_cast<uint8_t>(i), 0x07};
        replies.push_back(Response(id, {VarBind("1.3.6.1.2.1.1.1.0", Octets(text))}));
    }
    return replies;
}

// The patterns of the package's models: none is among the answers.
const std::vector<std::u16string> kPatterns = {u"Korvel Palvex QF410", u"Korvel Palvex QF380"};
const std::u16string kMib = u"1.3.6.1.4.1.32473.1.205.1.1.1.0";

class SearchMachine {
public:
    SearchMachine() : m_replies(Replies()) {}
    const std::vector<Bytes>& replies() const { return m_replies; }

private:
    palvex::TestMachine m_machine;
    std::vector<Bytes> m_replies;
};

void BM_HandleSixtyFourReplies(benchmark::State& state) {
    SearchMachine machine;
    CDrvData settings;
    if (settings.GetLogLevel() >= 3) return state.SkipWithError("the log level dumps every datagram");
    const std::u16string sender = u"192.168.1.40";
    for (auto _ : state) {
        for (const Bytes& reply : machine.replies())
            HandleSnmpResponse(&settings, reply.data(), reply.size(), sender, kPatterns, kMib);
    }
    if (!settings.m_foundPrinters.empty()) state.SkipWithError("a printer was listed: the answers matched a pattern");
}
BENCHMARK(BM_HandleSixtyFourReplies)->Unit(benchmark::kMicrosecond);

void BM_ParseSixtyFourReplies(benchmark::State& state) {
    SearchMachine machine;
    std::u16string text;
    size_t parsed = 0;
    for (auto _ : state) {
        parsed = 0;
        for (const Bytes& reply : machine.replies()) parsed += ParseSnmpResponse(reply.data(), text, reply.size()) ? 1 : 0;
        benchmark::DoNotOptimize(text);
    }
    if (parsed != kReplies) state.SkipWithError("an answer did not parse");
}
BENCHMARK(BM_ParseSixtyFourReplies)->Unit(benchmark::kMicrosecond);

// The floor: every byte of the 64 answers read once.
void BM_ReadSixtyFourRepliesOnce(benchmark::State& state) {
    SearchMachine machine;
    for (auto _ : state) {
        unsigned sum = 0;
        for (const Bytes& reply : machine.replies())
            for (uint8_t byte : reply) sum += byte;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadSixtyFourRepliesOnce)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return palvex_bench::RunAndReport(argc, argv, 5, [](const palvex_bench::RatioReporter& reporter) {
        reporter.PrintAgainstGoal("network search, 64 answers handled", "BM_HandleSixtyFourReplies",
                                  "BM_ReadSixtyFourRepliesOnce", 1e-3);
    });
}
