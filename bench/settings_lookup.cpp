// Settings store lookups: GetValue by settings key on a loaded block the size of the private
// devmode (one row of 60 keyed fields), and a save and load through printer data.
#include <benchmark/benchmark.h>

#include <palvex/machine.h>

#include <cstring>
#include <string>
#include <vector>

#include "xpr.h"

namespace {

constexpr char16_t kPrinter[] = u"Palvex Bench";
constexpr char16_t kTable[] = u"OEMDEVMODE";

struct Field {
    std::u16string name;
    XprColumnKind kind;
    WORD size;
    WORD count;
};

// The devmode's first fields by name, then the driver's own up to 60 columns (TAG included).
std::vector<Field> DevmodeFields() {
    std::vector<Field> fields = {
        {u"TAG", XprColumnKind::STRING, 8, 1},        {u"_SIZE", XprColumnKind::WORD, 2, 1},
        {u"_SIGNATURE", XprColumnKind::DWORD, 4, 1},  {u"_VERSION", XprColumnKind::WORD, 2, 1},
        {u"_PDLTYPE", XprColumnKind::DWORD, 4, 1},    {u"_PAGEORDER", XprColumnKind::DWORD, 4, 1},
        {u"_BOOKLET", XprColumnKind::DWORD, 4, 1},    {u"_NUP_PAGES", XprColumnKind::DWORD, 4, 1},
        {u"_WMK_TEXT", XprColumnKind::CHAR, 2, 64},   {u"_POSTER", XprColumnKind::DWORD, 4, 1},
        {u"_ACC_DOCPAGECOUNT", XprColumnKind::DWORD, 4, 1},
    };
    for (int i = static_cast<int>(fields.size()); i < 60; ++i)
        fields.push_back({u"_DRIVER_FIELD_" + std::u16string(1, char16_t(u'A' + i / 26)) + char16_t(u'A' + i % 26),
                          XprColumnKind::DWORD, 4, 1});
    return fields;
}

template <class T>
void Put(std::vector<BYTE>& block, size_t at, T value) {
    std::memcpy(block.data() + at, &value, sizeof value);
}
void PutText(std::vector<BYTE>& block, size_t at, const std::u16string& text) {
    std::memcpy(block.data() + at, text.c_str(), (text.size() + 1) * 2);
}

// The stored block: header, columns, one row keyed "DEFAULT", the pool.
std::vector<BYTE> DevmodeBlock() {
    const std::vector<Field> fields = DevmodeFields();
    const size_t columns = sizeof(XprTable);
    const size_t row = columns + fields.size() * sizeof(XprColumn);
    DWORD stride = 0;
    for (const Field& f : fields) stride += DWORD{f.size} * f.count;
    const size_t pool = row + stride;
    const std::u16string key = u"DEFAULT";
    std::vector<BYTE> block(pool + (key.size() + 1) * 2, 0);
    Put<DWORD>(block, 0, XPR_SIGNATURE);
    Put<DWORD>(block, 4, XPR_VERSION);
    PutText(block, 24, kTable);
    Put<uint64_t>(block, 120, row);
    Put<DWORD>(block, 128, stride);
    Put<WORD>(block, 132, 1);
    Put<uint64_t>(block, 136, columns);
    Put<WORD>(block, 144, static_cast<WORD>(fields.size()));
    Put<WORD>(block, 148, 1);
    Put<WORD>(block, 150, XPR_NONE);
    Put<WORD>(block, 152, XPR_NONE);
    DWORD offset = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t at = columns + i * sizeof(XprColumn);
        PutText(block, at, fields[i].name);
        Put<DWORD>(block, at + 96, offset);
        Put<DWORD>(block, at + 100, static_cast<DWORD>(fields[i].kind));
        Put<WORD>(block, at + 104, fields[i].size);
        Put<WORD>(block, at + 106, fields[i].count);
        if (fields[i].kind == XprColumnKind::DWORD) Put<DWORD>(block, row + offset, static_cast<DWORD>(i));
        offset += DWORD{fields[i].size} * fields[i].count;
    }
    Put<uint64_t>(block, row, pool);
    PutText(block, pool, key);
    return block;
}

// A test machine whose printer holds the block.
class BenchPrinter {
public:
    BenchPrinter() {
        m_machine.AddPrinterWithDriver(kPrinter);
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        OpenPrinterW(const_cast<LPWSTR>(kPrinter), &m_handle, &defaults);
        std::vector<BYTE> block = DevmodeBlock();
        SetPrinterDataW(m_handle, const_cast<LPWSTR>(kTable), REG_BINARY, block.data(), static_cast<DWORD>(block.size()));
    }
    ~BenchPrinter() { ClosePrinter(m_handle); }
    HANDLE handle() const { return m_handle; }

private:
    palvex::TestMachine m_machine;
    HANDLE m_handle = nullptr;
};

void FreeStore(XprStore* store) {
    FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
}

// GetValue by settings key on the bound row; the argument picks the column (1 = first field
// after TAG, 59 = the last), so the cost of the linear column scan shows.
void BM_GetValueByKey(benchmark::State& state) {
    BenchPrinter printer;
    XprStore* store = nullptr;
    if (CreateByHandle(&store, printer.handle(), kTable) >= 2) {
        state.SkipWithError("load failed");
        return;
    }
    XprTable* cursor = nullptr;
    FetchRow(store, kTable, &cursor, u"DEFAULT");
    const std::u16string key = DevmodeFields()[static_cast<size_t>(state.range(0))].name;
    DWORD value = 0;
    for (auto _ : state) {
        const DWORD result = GetValue(cursor, &value, sizeof value, key.c_str());
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
    FreeStore(store);
}
BENCHMARK(BM_GetValueByKey)->Arg(1)->Arg(7)->Arg(30)->Arg(59);

// FetchRow by row key followed by one GetValue, as a module reads one setting from scratch.
void BM_FetchRowAndGetValue(benchmark::State& state) {
    BenchPrinter printer;
    XprStore* store = nullptr;
    if (CreateByHandle(&store, printer.handle(), kTable) >= 2) {
        state.SkipWithError("load failed");
        return;
    }
    DWORD value = 0;
    for (auto _ : state) {
        XprTable* cursor = nullptr;
        FetchRow(store, kTable, &cursor, u"DEFAULT");
        benchmark::DoNotOptimize(GetValue(cursor, &value, sizeof value, u"_NUP_PAGES"));
    }
    state.SetItemsProcessed(state.iterations());
    FreeStore(store);
}
BENCHMARK(BM_FetchRowAndGetValue);

// SaveByHandle of a changed value and a fresh CreateByHandle reading it back.
void BM_SaveLoadRoundTrip(benchmark::State& state) {
    BenchPrinter printer;
    XprStore* store = nullptr;
    if (CreateByHandle(&store, printer.handle(), kTable) >= 2) {
        state.SkipWithError("load failed");
        return;
    }
    XprTable* cursor = nullptr;
    FetchRow(store, kTable, &cursor, u"DEFAULT");
    DWORD pages = 0;
    for (auto _ : state) {
        ++pages;
        SetValue(cursor, &pages, sizeof pages, u"_NUP_PAGES");
        if (SaveByHandle(store, printer.handle(), FALSE) >= 2) {
            state.SkipWithError("save failed");
            break;
        }
        XprStore* loaded = nullptr;
        if (CreateByHandle(&loaded, printer.handle(), kTable) >= 2) {
            state.SkipWithError("load failed");
            break;
        }
        FreeStore(loaded);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t{store->m_blockSize} * 2);
    FreeStore(store);
}
BENCHMARK(BM_SaveLoadRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
