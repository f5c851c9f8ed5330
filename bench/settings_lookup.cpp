// Settings store lookups by settings key on the model's own compiled settings: the model's
// description (package/TOVQEB.GPD) is compiled onto a printer, its OEMDEVMODE block is loaded, and
// GetValue is timed for every key of the row, each checked against the field the column table
// leads to. The baseline, in the same run on the same fields, copies each field from its known
// place (what a lookup costs on top of the copy). Prints the worst key's time as a ratio to its
// goal of 100 ns.
#include <benchmark/benchmark.h>

#include <palvex/machine.h>
#include <palvex/paths.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "model_machine.h"
#include "ratio_report.h"
#include "xpc.h"
#include "xpr.h"

namespace {

constexpr char16_t kTable[] = u"OEMDEVMODE";

// One key of the row: its name, the bytes its field holds (found through the column table, not
// by name) and a buffer the size GetValue needs.
struct Key {
    std::u16string name;
    const BYTE* field = nullptr;
    DWORD size = 0;
};

// The machine with the model's printer and compiled settings, and the loaded OEMDEVMODE row.
struct Setup {
    palvex_bench::ModelMachine model;
    HANDLE printer = model.printer();
    XprStore* store = nullptr;
    XprTable* cursor = nullptr;
    std::vector<Key> keys;
    std::string error;

    Setup() {
        if (CompileByHandle(printer) >= 2) {
            error = "the model's description did not compile";
            return;
        }
        if (CreateByHandle(&store, printer, kTable) >= 2 || FetchRow(store, kTable, &cursor, nullptr) >= 2 || !cursor) {
            error = "the model's OEMDEVMODE block did not load";
            return;
        }
        // Every key once (the first column of a name is the one a lookup finds), TAG left out.
        const BYTE* row = cursor->m_rows + static_cast<size_t>(cursor->m_currentRow) * cursor->m_stride;
        for (WORD i = 1; i < cursor->m_columnCount; ++i) {
            XprColumn column;
            std::memcpy(&column, &cursor->m_columns[i], sizeof column);
            WCHAR name[XPR_NAME_CHARS];  // copied out of the packed column
            std::memcpy(name, column.m_name, sizeof name);
            std::u16string key(name, std::char_traits<char16_t>::find(name, XPR_NAME_CHARS, u'\0')
                                         ? std::char_traits<char16_t>::length(name)
                                         : XPR_NAME_CHARS);
            bool seen = key.empty();
            for (const Key& known : keys) seen |= known.name == key;
            if (seen || column.m_kind == XprColumnKind::DYNAMIC) continue;
            keys.push_back(Key{key, row + column.m_offset, DWORD{column.m_elementSize} * column.m_count});
        }
    }
    ~Setup() {
        if (store) {
            FreeBlock(store);
            HeapFree(GetProcessHeap(), 0, store);
        }
    }
};

Setup* g_setup = nullptr;

void BM_GetValueByKey(benchmark::State& state) {
    if (!g_setup->error.empty()) return state.SkipWithError(g_setup->error.c_str());
    const Key& key = g_setup->keys.at(static_cast<size_t>(state.range(0)));
    std::vector<BYTE> value(key.size ? key.size : 1);
    for (auto _ : state) {
        const DWORD result = GetValue(g_setup->cursor, value.data(), static_cast<DWORD>(value.size()), key.name.c_str());
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(value.data());
    }
    if (GetValue(g_setup->cursor, value.data(), static_cast<DWORD>(value.size()), key.name.c_str()) != 0 ||
        std::memcmp(value.data(), key.field, key.size) != 0)
        state.SkipWithError("GetValue answered another field than the key's");
}

// The same field copied from where it lies, into the same buffer.
void BM_CopyKnownField(benchmark::State& state) {
    if (!g_setup->error.empty()) return state.SkipWithError(g_setup->error.c_str());
    const Key& key = g_setup->keys.at(static_cast<size_t>(state.range(0)));
    std::vector<BYTE> value(key.size ? key.size : 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(key.field);
        std::memset(value.data(), 0, value.size());
        std::memcpy(value.data(), key.field, key.size);
        benchmark::DoNotOptimize(value.data());
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args = palvex_bench::WithInterleaving(argc, argv, 3);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    Setup setup;
    g_setup = &setup;
    const int keys = static_cast<int>(setup.keys.size());
    if (keys > 0) {
        benchmark::RegisterBenchmark("BM_GetValueByKey", BM_GetValueByKey)->DenseRange(0, keys - 1)->MinTime(0.02);
        benchmark::RegisterBenchmark("BM_CopyKnownField", BM_CopyKnownField)->DenseRange(0, keys - 1)->MinTime(0.02);
    }
    palvex_bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    double worst = -1, worstBaseline = 0;
    std::string worstKey;
    for (int i = 0; i < keys; ++i) {
        const double t = reporter.Median("BM_GetValueByKey/" + std::to_string(i));
        if (t > worst) {
            worst = t;
            worstBaseline = reporter.Median("BM_CopyKnownField/" + std::to_string(i));
            worstKey = std::string(setup.keys[static_cast<size_t>(i)].name.begin(), setup.keys[static_cast<size_t>(i)].name.end());
        }
    }
    if (worst < 0) {
        std::printf("settings lookup: not measured (%s)\n", setup.error.c_str());
    } else {
        const double ratio = worst / 100e-9;
        std::printf("settings lookup on the model's OEMDEVMODE (%d keys): worst key %s %.1f ns (copying its field alone "
                    "%.1f ns); ratio to the 100 ns goal %.3f (goal <= 1.00) %s\n",
                    keys, worstKey.c_str(), worst * 1e9, worstBaseline * 1e9, ratio, ratio <= 1.0 ? "met" : "NOT MET");
    }
    benchmark::Shutdown();
    return 0;
}
