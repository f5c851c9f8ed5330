// Blocks from outside are checked before use: malformed ones are refused with their load error
// code and nothing reads or writes outside the block.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

#include "demo_block.h"
#include "le_fields.h"
#include "status_log.h"
#include "store_fixture.h"

namespace xprtest {
namespace {

using Bytes = std::vector<BYTE>;

struct BlockCase {
    const char* name;
    std::function<void(Bytes&)> change;
    DWORD code;  // 0: loads
};

DWORD LoadCode(const Bytes& bytes, StatusLog& log, StorePtr* kept = nullptr) {
    StorePtr store = NewStore();
    log.clear();
    const DWORD result = AdoptBytes(store.get(), bytes, u"DEMO");
    const DWORD code = result >= KIT_SEVERITY_ERROR ? log.last() : 0;
    if (code) {
        EXPECT_EQ(result, ReportStatus(code));
        // A refused block is not left behind in stored form.
        EXPECT_EQ(store->m_block, nullptr);
        EXPECT_EQ(store->m_blockSize, 0u);
    }
    if (kept) *kept = std::move(store);
    return code;
}

TEST(XprCheck, SignatureAndVersion) {
    const BlockCase cases[] = {
        {"intact", [](Bytes&) {}, 0},
        {"signature QKD4", [](Bytes& b) { b[3] = '4'; }, XPR_BAD_SIGNATURE},
        {"signature in the other byte order", [](Bytes& b) { Poke<DWORD>(b, 0, 0x514B4433); }, XPR_BAD_SIGNATURE},
        {"version 591", [](Bytes& b) { Poke<DWORD>(b, 4, 591); }, XPR_BAD_VERSION},
        {"version 0", [](Bytes& b) { Poke<DWORD>(b, 4, 0); }, XPR_BAD_VERSION},
        {"version 593", [](Bytes& b) { Poke<DWORD>(b, 4, 593); }, 0},
        {"version 0xFFFFFFFF", [](Bytes& b) { Poke<DWORD>(b, 4, 0xFFFFFFFF); }, 0},
        {"bad signature wins over a bad version", [](Bytes& b) { b[0] = 'X'; Poke<DWORD>(b, 4, 1); }, XPR_BAD_SIGNATURE},
        {"nested table's signature is not checked", [](Bytes& b) { Poke<DWORD>(b, 656, 0); }, 0},
    };
    StatusLog log;
    for (const BlockCase& c : cases) {
        Bytes bytes = DemoBlockBytes();
        c.change(bytes);
        EXPECT_EQ(LoadCode(bytes, log), c.code) << c.name;
    }
}

TEST(XprCheck, MalformedBlocksAreRefused) {
    const BlockCase cases[] = {
        // Truncated.
        {"2 bytes", [](Bytes& b) { b.resize(2); }, XPR_READ_FAILED},
        {"signature only", [](Bytes& b) { b.resize(4); }, XPR_READ_FAILED},
        {"half a header", [](Bytes& b) { b.resize(80); }, XPR_READ_FAILED},
        {"header less one byte", [](Bytes& b) { b.resize(159); }, XPR_READ_FAILED},
        {"inside the root's rows", [](Bytes& b) { b.resize(600); }, XPR_READ_FAILED},
        {"inside the nested rows", [](Bytes& b) { b.resize(1050); }, XPR_READ_FAILED},
        {"without the pool", [](Bytes& b) { b.resize(1096); }, XPR_READ_FAILED},
        {"last string's NUL cut", [](Bytes& b) { b.resize(1115); }, XPR_READ_FAILED},
        // Table headers.
        {"rows link past the end", [](Bytes& b) { Poke<uint64_t>(b, 120, 5000); }, XPR_READ_FAILED},
        {"rows link 0 with rows", [](Bytes& b) { Poke<uint64_t>(b, 120, 0); }, XPR_READ_FAILED},
        {"rows reach the end", [](Bytes& b) { Poke<uint64_t>(b, 120, 1100); }, XPR_READ_FAILED},
        {"one row too many", [](Bytes& b) { Poke<WORD>(b, 132, 3); }, XPR_READ_FAILED},
        {"65535 rows", [](Bytes& b) { Poke<WORD>(b, 132, 0xFFFF); }, XPR_READ_FAILED},
        {"stride 0xFFFFFFFF", [](Bytes& b) { Poke<DWORD>(b, 128, 0xFFFFFFFF); }, XPR_READ_FAILED},
        {"stride shorter than the columns", [](Bytes& b) { Poke<DWORD>(b, 128, 24); }, XPR_READ_FAILED},
        {"columns link past the end", [](Bytes& b) { Poke<uint64_t>(b, 136, 1116); }, XPR_READ_FAILED},
        {"columns link 0", [](Bytes& b) { Poke<uint64_t>(b, 136, 0); }, XPR_READ_FAILED},
        {"one column too many", [](Bytes& b) { Poke<WORD>(b, 144, 5); }, XPR_READ_FAILED},
        {"65535 columns", [](Bytes& b) { Poke<WORD>(b, 144, 0xFFFF); }, XPR_READ_FAILED},
        {"table name without NUL", [](Bytes& b) { for (int i = 0; i < 48; ++i) Poke<WCHAR>(b, 24 + 2 * i, u'N'); }, XPR_READ_FAILED},
        {"nested rows overlap the root's", [](Bytes& b) { Poke<uint64_t>(b, 776, 600); }, XPR_READ_FAILED},
        {"nested columns past the end", [](Bytes& b) { Poke<uint64_t>(b, 792, 1100); }, XPR_READ_FAILED},
        // Columns.
        {"column name without NUL", [](Bytes& b) { for (int i = 0; i < 48; ++i) Poke<WCHAR>(b, 268 + 2 * i, u'C'); }, XPR_READ_FAILED},
        {"value past the stride", [](Bytes& b) { Poke<DWORD>(b, 580, 28); }, XPR_READ_FAILED},
        {"element size 0xFFFF", [](Bytes& b) { Poke<WORD>(b, 372, 0xFFFF); }, XPR_READ_FAILED},
        {"count 0xFFFF", [](Bytes& b) { Poke<WORD>(b, 374, 0xFFFF); }, XPR_READ_FAILED},
        {"value one byte past the stride", [](Bytes& b) { Poke<DWORD>(b, 580, 25); }, XPR_READ_FAILED},
        {"stride one byte short of the last value", [](Bytes& b) { Poke<DWORD>(b, 128, 31); }, XPR_READ_FAILED},
        {"two columns on one field", [](Bytes& b) { Poke<DWORD>(b, 364, 0); }, XPR_READ_FAILED},
        {"a field reaching one byte into the next", [](Bytes& b) { Poke<DWORD>(b, 364, 9); }, XPR_READ_FAILED},
        {"two STRING columns sharing the key's field",
         [](Bytes& b) { Poke<DWORD>(b, 580, 0); Poke<DWORD>(b, 584, 100); }, XPR_READ_FAILED},
        {"STRING of 4-byte elements", [](Bytes& b) { Poke<WORD>(b, 264, 4); }, XPR_READ_FAILED},
        {"two XPDSTRUCT elements", [](Bytes& b) { Poke<WORD>(b, 482, 2); }, XPR_READ_FAILED},
        {"DYNAMIC of 4-byte elements", [](Bytes& b) { Poke<WORD>(b, 588, 4); }, XPR_READ_FAILED},
        // Strings.
        {"key link past the end", [](Bytes& b) { Poke<uint64_t>(b, 592, 1116); }, XPR_READ_FAILED},
        {"key link far away", [](Bytes& b) { Poke<uint64_t>(b, 592, 0x7FFFFFFF0000ull); }, XPR_READ_FAILED},
        {"key inside another string", [](Bytes& b) { Poke<uint64_t>(b, 592, 1102); }, XPR_READ_FAILED},
        {"key shared by two rows", [](Bytes& b) { Poke<uint64_t>(b, 624, 1096); }, XPR_READ_FAILED},
        {"key inside the rows", [](Bytes& b) { Poke<uint64_t>(b, 592, 600); }, XPR_READ_FAILED},
        {"key inside a header", [](Bytes& b) { Poke<uint64_t>(b, 1032, 680); }, XPR_READ_FAILED},
        {"last string without NUL", [](Bytes& b) { b[1114] = 'q'; }, XPR_READ_FAILED},
        {"string running into the next", [](Bytes& b) { b[1098] = 'q'; }, XPR_READ_FAILED},
        // Nested tables.
        {"nested link to the root", [](Bytes& b) { Poke<uint64_t>(b, 604, 0); Poke<uint64_t>(b, 636, 0); }, XPR_READ_FAILED},
        {"nested link past the end", [](Bytes& b) { Poke<uint64_t>(b, 604, 2000); Poke<uint64_t>(b, 636, 2000); }, XPR_READ_FAILED},
        {"nested header overlapping rows", [](Bytes& b) { Poke<uint64_t>(b, 604, 640); Poke<uint64_t>(b, 636, 640); }, XPR_READ_FAILED},
        {"rows linking different tables", [](Bytes& b) { Poke<uint64_t>(b, 636, 1000); }, XPR_READ_FAILED},
        {"slice past the nested rows", [](Bytes& b) { Poke<WORD>(b, 646, 4); }, XPR_READ_FAILED},
        {"slice ending before it starts", [](Bytes& b) { Poke<WORD>(b, 612, 2); Poke<WORD>(b, 614, 1); }, XPR_READ_FAILED},
        // Value records.
        {"record inside the pool", [](Bytes& b) { Poke<uint64_t>(b, 616, 1100); }, XPR_READ_FAILED},
        {"record past the end", [](Bytes& b) { Poke<uint64_t>(b, 616, 1110); }, XPR_READ_FAILED},
        {"record shared by two rows", [](Bytes& b) { Poke<uint64_t>(b, 648, 1062); }, XPR_READ_FAILED},
        {"record text past the end", [](Bytes& b) { Poke<uint64_t>(b, 1062, 1116); }, XPR_READ_FAILED},
        {"record text without NUL", [](Bytes& b) { b[1090] = 'q'; }, XPR_READ_FAILED},
        {"record data past the end", [](Bytes& b) { Poke<uint64_t>(b, 1070, 1114); }, XPR_READ_FAILED},
        {"record data larger than the block", [](Bytes& b) { Poke<WORD>(b, 1084, 0xFFFF); }, XPR_READ_FAILED},
        {"record data over a header", [](Bytes& b) { Poke<uint64_t>(b, 1070, 100); }, XPR_READ_FAILED},
        // What a block may well hold.
        {"record without text", [](Bytes& b) { Poke<uint64_t>(b, 1062, 0); }, 0},
        {"record without data", [](Bytes& b) { Poke<uint64_t>(b, 1070, 0); }, 0},
        {"row without key", [](Bytes& b) { Poke<uint64_t>(b, 624, 0); }, 0},
        {"stale run-time links", [](Bytes& b) { Poke<uint64_t>(b, 8, 0xDEAD); Poke<uint64_t>(b, 672, 0xBEEF); }, 0},
        {"stale cursor", [](Bytes& b) { Poke<WORD>(b, 150, 5000); Poke<WORD>(b, 152, 77); }, 0},
    };
    StatusLog log;
    for (const BlockCase& c : cases) {
        Bytes bytes = DemoBlockBytes();
        c.change(bytes);
        EXPECT_EQ(LoadCode(bytes, log), c.code) << c.name;
    }
}

// The demo block without its string pool (no row has a key): the value record's data is then the
// block's last bytes.
TEST(XprCheck, WhatEndsExactlyAtTheBlocksEndIsInside) {
    Bytes bytes = DemoBlockBytes();
    for (size_t key : {592, 624, 1032, 1042, 1052}) Poke<uint64_t>(bytes, key, 0);
    bytes.resize(1096);
    StatusLog log;
    EXPECT_EQ(LoadCode(bytes, log), 0u);
    bytes.resize(1095);
    EXPECT_EQ(LoadCode(bytes, log), XPR_READ_FAILED);
}

// A chain of tables, each the only nested table of the one before.
Bytes Chain(int depth) {
    BlockBuilder b;
    int previous = b.AddTable(u"T0", {{u"_NEXT", XprColumnKind::XPDSTRUCT}});
    b.AddRow(previous, u"k");
    for (int i = 1; i < depth; ++i) {
        const std::u16string name = u"T" + std::u16string(1, char16_t(u'0' + i % 10));
        const int table = i + 1 < depth ? b.AddTable(name, {{u"_NEXT", XprColumnKind::XPDSTRUCT}}) : b.AddTable(name, {});
        b.AddRow(table, u"k");
        b.SetNested(previous, u"_NEXT", table);
        b.SetSlice(previous, 0, u"_NEXT", 0, 1);
        previous = table;
    }
    return b.Build();
}

TEST(XprCheck, NestingDepthIsBounded) {
    StatusLog log;
    EXPECT_EQ(LoadCode(Chain(XPR_MAX_DEPTH), log), 0u);
    EXPECT_EQ(LoadCode(Chain(XPR_MAX_DEPTH + 1), log), XPR_READ_FAILED);
}

TEST(XprCheck, RunTimeLinksOfTheStoredBlockAreForgotten) {
    Bytes bytes = DemoBlockBytes();
    Poke<uint64_t>(bytes, 8, 0xDEAD0000);     // root owner
    Poke<uint64_t>(bytes, 16, 0xBEEF0000);    // root parent
    Poke<uint64_t>(bytes, 664, 0xDEAD0000);   // nested owner
    StatusLog log;
    StorePtr store;
    ASSERT_EQ(LoadCode(bytes, log, &store), 0u);
    XprTable* item = nullptr;
    ASSERT_EQ(FindTable(store.get(), store->m_root, &item, u"ITEM"), 0u);
    EXPECT_EQ(store->m_root->m_owner, nullptr);
    EXPECT_EQ(store->m_root->m_parent, nullptr);
    EXPECT_EQ(item->m_owner, nullptr);
    EXPECT_EQ(item->m_parent, store->m_root);
    // A STRING write through the nested cursor must not follow the stale owner.
    ASSERT_EQ(ResetRows(store->m_root), 0u);
    ASSERT_EQ(NextRow(store->m_root, nullptr), 0u);
    ASSERT_EQ(ResetRows(item), 0u);
    ASSERT_EQ(NextRow(item, nullptr), 0u);
    static const WCHAR kKey[] = u"w";
    const WCHAR* link = kKey;
    EXPECT_EQ(SetValue(item, &link, sizeof link, u"TAG"), 0u);
}

TEST(XprCheck, ARefusedStoreAnswersEveryCallWithoutTouchingMemory) {
    Bytes bytes = DemoBlockBytes();
    bytes.resize(700);
    StatusLog log;
    StorePtr store;
    ASSERT_EQ(LoadCode(bytes, log, &store), XPR_READ_FAILED);
    XprTable* cursor = nullptr;
    log.clear();
    EXPECT_EQ(FetchRow(store.get(), u"DEMO", &cursor, nullptr), 3u);
    EXPECT_EQ(log.last(), XPR_INVALID_PARAMETER);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(UpdateSizes(store.get()), 3u);
}

// Exercises everything a loaded block offers: every table, row, column and value.
void WalkEverything(XprStore* store) {
    std::vector<XprTable*> tables{store->m_root};
    for (size_t t = 0; t < tables.size(); ++t) {
        XprTable* table = tables[t];
        ResetRows(table);
        for (int rows = 0; NextRow(table, nullptr) == 0 && rows < 100000; ++rows) {
            table->m_currentColumn = XPR_NONE;
            while (SelectColumn(table, nullptr) == 0) {
                BYTE buffer[4096];
                GetValue(table, buffer, sizeof buffer, nullptr);
                GetValueKind(table, nullptr);
                GetValueSize(table, nullptr);
                GetValueCount(table, nullptr);
                const XprColumn* column = GetColumnDesc(table);
                if (column && column->m_kind == XprColumnKind::XPDSTRUCT && t < 64) {
                    XprStructValue value;
                    if (GetValue(table, &value, sizeof value, nullptr) == 0 && value.m_table &&
                        std::find(tables.begin(), tables.end(), value.m_table) == tables.end()) {
                        tables.push_back(value.m_table);
                        ResetRows(value.m_table);
                        while (NextRow(value.m_table, nullptr) == 0) {
                        }
                    }
                }
            }
            GetIndirectValue(table);
        }
        ResetRows(table);
        for (int rows = 0; NextRow(table, u"A") == 0 && rows < 100000; ++rows) {
        }
    }
    DWORD total = 0;
    MeasureStrings(store, store->m_root, &total);
}

TEST(XprCheck, RandomlyDamagedBlocksAreRefusedOrSafeToUse) {
    const Bytes intact = DemoBlockBytes();
    std::mt19937 random(20240611);
    StatusLog log;
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = intact;
        const int damage = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < damage; ++i) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0: bytes[at] = static_cast<BYTE>(random()); break;
            case 1: bytes[at] ^= static_cast<BYTE>(1u << (random() % 8)); break;
            case 2: bytes[at] = 0xFF; break;
            case 3: bytes.resize(std::max<size_t>(1, at)); break;
            }
        }
        StorePtr store;
        if (LoadCode(bytes, log, &store) == 0) {
            ++accepted;
            WalkEverything(store.get());
        }
    }
    // Damage to names, values and the pool's letters leaves blocks that load.
    EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace xprtest
