// Cursors: tables by name, rows by key or in order, nested slices, columns by name.
#include <gtest/gtest.h>

#include "demo_block.h"
#include "status_log.h"
#include "store_fixture.h"

namespace xprtest {
namespace {

class XprCursor : public ::testing::Test {
protected:
    // A root table "KEYS" with the given row keys; column _V holds each row's index.
    void LoadKeys(std::initializer_list<const char16_t*> keys) {
        BlockBuilder b;
        const int table = b.AddTable(u"KEYS", {{u"_V", XprColumnKind::DWORD}});
        DWORD index = 0;
        for (const char16_t* key : keys) {
            b.AddRow(table, key ? std::optional<std::u16string>(key) : std::nullopt);
            b.SetDword(table, static_cast<int>(index), u"_V", index);
            ++index;
        }
        ASSERT_EQ(AdoptBytes(m_store.get(), b.Build(), u"KEYS"), 0u);
        m_table = m_store->m_root;
        ASSERT_EQ(ResetRows(m_table), 0u);
    }
    void LoadDemo() {
        ASSERT_EQ(AdoptBytes(m_store.get(), DemoBlockBytes(), u"DEMO"), 0u);
        m_table = m_store->m_root;
    }

    StorePtr m_store = NewStore();
    XprTable* m_table = nullptr;
    StatusLog m_log;
};

TEST_F(XprCursor, KeylessWalkStopsOnTheLastRow) {
    LoadKeys({u"A", u"B", u"C"});
    EXPECT_EQ(m_table->m_currentRow, XPR_NONE);
    for (WORD row = 0; row < 3; ++row) {
        ASSERT_EQ(NextRow(m_table, nullptr), 0u);
        EXPECT_EQ(m_table->m_currentRow, row);
    }
    m_log.clear();
    EXPECT_EQ(NextRow(m_table, u""), 1u);
    EXPECT_EQ(m_log.last(), XPR_NO_FURTHER_ROW);
    EXPECT_EQ(NextRow(m_table, nullptr), 1u);
    EXPECT_EQ(m_table->m_currentRow, 2);
}

TEST_F(XprCursor, KeyedWalkOverRepeatedKeys) {
    LoadKeys({u"A", u"B", u"A", u"a"});
    const struct {
        const char16_t* key;
        DWORD result;
        WORD row;       // current row afterwards
        DWORD reported; // 0: nothing reported
    } steps[] = {
        {u"A", 0, 0, 0},
        {u"A", 0, 2, 0},
        {u"A", 1, 2, 0},            // "a" is not "A"; the end without a report
        {u"B", 0, 1, 0},            // another key starts again from the first row
        {u"A", 0, 0, 0},            // ...and so does A after B
        {u"a", 0, 3, 0},            // same key ignoring case: searched on after row 0 for "a" exactly
        {u"a", 1, 3, 0},
        {u"Q", 2, XPR_NONE, XPR_NO_ROW},  // searched from the start: the key is missing
    };
    for (const auto& step : steps) {
        m_log.clear();
        EXPECT_EQ(NextRow(m_table, step.key), step.result) << "step " << (&step - steps);
        EXPECT_EQ(m_table->m_currentRow, step.row);
        EXPECT_EQ(m_log.last(), step.reported);
    }
}

TEST_F(XprCursor, LowerCaseKeyAfterItsUpperCaseRowFindsNothingFurther) {
    LoadKeys({u"A", u"B", u"A"});
    ASSERT_EQ(NextRow(m_table, u"A"), 0u);
    m_log.clear();
    EXPECT_EQ(NextRow(m_table, u"a"), 1u);
    EXPECT_TRUE(m_log.codes().empty());
    EXPECT_EQ(m_table->m_currentRow, 0);
}

TEST_F(XprCursor, RowsWithoutKeyAreSkippedByKeyedSearch) {
    LoadKeys({nullptr, u"K", nullptr, u"K"});
    ASSERT_EQ(NextRow(m_table, u"K"), 0u);
    EXPECT_EQ(m_table->m_currentRow, 1);
    ASSERT_EQ(NextRow(m_table, u"K"), 0u);
    EXPECT_EQ(m_table->m_currentRow, 3);
}

TEST_F(XprCursor, FetchRowRebindsAfterTheEnd) {
    LoadKeys({u"A", u"B", u"A"});
    XprTable* cursor = nullptr;
    const struct {
        const char16_t* key;
        DWORD result;
        DWORD value;  // _V of the row reached
    } steps[] = {
        {u"A", 0, 0}, {u"A", 0, 2}, {u"A", 1, 0}, {u"A", 0, 0},
        {nullptr, 0, 1}, {nullptr, 0, 2}, {nullptr, 1, 0}, {nullptr, 0, 0}, {u"Q", 2, 0},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(FetchRow(m_store.get(), u"keys", &cursor, step.key), step.result);
        if (step.result) {
            EXPECT_EQ(cursor, nullptr);
            continue;
        }
        ASSERT_EQ(cursor, m_store->m_root);
        EXPECT_EQ(cursor->m_owner, m_store.get());
        DWORD value = 99;
        EXPECT_EQ(GetValue(cursor, &value, sizeof value, u"_V"), 0u);
        EXPECT_EQ(value, step.value);
    }
}

TEST_F(XprCursor, FetchRowArguments) {
    LoadKeys({u"A"});
    XprTable* cursor = nullptr;
    m_log.clear();
    EXPECT_EQ(FetchRow(m_store.get(), u"MISSING", &cursor, nullptr), 2u);
    EXPECT_EQ(m_log.last(), XPR_NO_TABLE);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(FetchRow(m_store.get(), u"", &cursor, nullptr), 3u);
    EXPECT_EQ(FetchRow(m_store.get(), u"KEYS", nullptr, nullptr), 3u);
    EXPECT_EQ(FetchRow(nullptr, u"KEYS", &cursor, nullptr), 3u);
}

TEST_F(XprCursor, TableNamesIgnoreCaseColumnNamesDoNot) {
    LoadDemo();
    XprTable* found = nullptr;
    EXPECT_EQ(FindTable(m_store.get(), m_table, &found, u"demo"), 0u);
    EXPECT_EQ(found, m_table);
    EXPECT_EQ(FindTable(m_store.get(), m_table, &found, u"Item"), 0u);
    ASSERT_NE(found, m_table);
    XprTable* item = found;
    EXPECT_EQ(FindTable(m_store.get(), m_table, &found, u"ITEMS"), 2u);
    EXPECT_EQ(m_log.last(), XPR_NO_TABLE);
    EXPECT_EQ(found, item) << "untouched when nothing matches";
    // A search that starts below the root finds nothing quietly.
    found = nullptr;
    m_log.clear();
    EXPECT_EQ(FindTable(m_store.get(), item, &found, u"DEMO"), 0u);
    EXPECT_EQ(found, nullptr);
    EXPECT_TRUE(m_log.codes().empty());
    EXPECT_EQ(FindTable(m_store.get(), m_table, &found, u""), 3u);

    EXPECT_EQ(SelectColumn(m_table, u"_LEVEL"), 0u);
    EXPECT_EQ(m_table->m_currentColumn, 1);
    EXPECT_EQ(SelectColumn(m_table, u"_level"), 2u);
    EXPECT_EQ(m_log.last(), XPR_NO_COLUMN);
    EXPECT_EQ(m_table->m_currentColumn, XPR_NONE);
}

TEST_F(XprCursor, ColumnsInOrderThenNone) {
    LoadDemo();
    m_table->m_currentColumn = XPR_NONE;
    for (WORD column = 0; column < 4; ++column) {
        ASSERT_EQ(SelectColumn(m_table, nullptr), 0u);
        EXPECT_EQ(m_table->m_currentColumn, column);
    }
    m_log.clear();
    EXPECT_EQ(SelectColumn(m_table, u""), 1u);
    EXPECT_TRUE(m_log.codes().empty());
    EXPECT_EQ(m_table->m_currentColumn, XPR_NONE);
    EXPECT_EQ(SelectColumn(m_table, nullptr), 0u) << "starts again at column 0";
}

// A bound cursor finds its columns through the store's index of names: always the first column of
// an exact name, in the root and in nested tables alike, and the same as a cursor that has no store
// to ask (which compares the names one by one).
TEST_F(XprCursor, ColumnsByNameAreTheFirstOfTheirExactName) {
    const std::u16string longest(XPR_NAME_CHARS - 1, u'L');  // the longest name a field holds
    BlockBuilder b;
    std::vector<ColumnSpec> columns;
    for (int i = 0; i < 60; ++i) columns.push_back({u"_FIELD_" + std::u16string(1, char16_t(u'A' + i % 26)) +
                                                        std::u16string(1, char16_t(u'A' + i / 26)),
                                                    XprColumnKind::DWORD});
    columns.push_back({u"_FIELD_AA", XprColumnKind::WORD});  // a second column of a name: never found
    columns.push_back({u"_field_ab", XprColumnKind::DWORD});
    columns.push_back({longest, XprColumnKind::DWORD});
    columns.push_back({u"_SUB", XprColumnKind::XPDSTRUCT});
    const int root = b.AddTable(u"WIDE", columns);
    const int sub = b.AddTable(u"SUB", {{u"_FIELD_AB", XprColumnKind::DWORD}, {u"_FIELD_AA", XprColumnKind::DWORD}});
    b.SetNested(root, u"_SUB", sub);
    b.AddRow(root, u"row");
    b.SetSlice(root, 0, u"_SUB", 0, 1);
    b.AddRow(sub, u"sub");
    ASSERT_EQ(AdoptBytes(m_store.get(), b.Build(), u"WIDE"), 0u);
    XprTable* wide = nullptr;
    XprTable* nested = nullptr;
    ASSERT_EQ(FetchRow(m_store.get(), u"WIDE", &wide, u"row"), 0u);
    ASSERT_EQ(FetchRow(m_store.get(), u"SUB", &nested, u"sub"), 0u);
    ASSERT_EQ(wide->m_owner, m_store.get());
    ASSERT_EQ(nested->m_owner, m_store.get());
    ASSERT_NE(m_store->m_columnIndex, nullptr);  // the bound lookups below go through it

    struct Case {
        XprTable* table;
        std::u16string name;
        WORD column;  // XPR_NONE: no such column
    };
    const Case cases[] = {
        {wide, u"TAG", 0},          {wide, u"_FIELD_AA", 1},       {wide, u"_FIELD_BA", 2},
        {wide, u"_FIELD_HC", 60},   {wide, u"_field_ab", 62},      {wide, u"_FIELD_AB", 27},
        {wide, longest, 63},        {wide, longest + u"L", XPR_NONE}, {wide, u"_FIELD", XPR_NONE},
        {wide, u"_FIELD_AAX", XPR_NONE}, {wide, u"_SUB", 64},
        {nested, u"_FIELD_AB", 1},  {nested, u"_FIELD_AA", 2},     {nested, u"_FIELD_BA", XPR_NONE},
    };
    for (const Case& c : cases) {
        for (bool bound : {true, false}) {
            c.table->m_owner = bound ? m_store.get() : nullptr;
            const DWORD result = SelectColumn(c.table, c.name.c_str());
            EXPECT_EQ(result, c.column == XPR_NONE ? 2u : 0u) << std::string(c.name.begin(), c.name.end());
            EXPECT_EQ(c.table->m_currentColumn, c.column) << std::string(c.name.begin(), c.name.end()) << " bound " << bound;
        }
    }
}

// A root "OUTER" whose two rows own the rows [0, 256) and [256, 300) of "INNER"; _N is the row.
class XprNested : public XprCursor {
protected:
    void SetUp() override {
        BlockBuilder b;
        const int outer = b.AddTable(u"OUTER", {{u"_IN", XprColumnKind::XPDSTRUCT}});
        const int inner = b.AddTable(u"INNER", {{u"_N", XprColumnKind::WORD}});
        b.SetNested(outer, u"_IN", inner);
        b.AddRow(outer, u"first");
        b.SetSlice(outer, 0, u"_IN", 0, 256);
        b.AddRow(outer, u"second");
        b.SetSlice(outer, 1, u"_IN", 256, 300);
        for (int row = 0; row < 300; ++row) {
            b.AddRow(inner, u"r");
            b.SetBytes(inner, row, u"_N", {BYTE(row), BYTE(row >> 8)});
        }
        ASSERT_EQ(AdoptBytes(m_store.get(), b.Build(), u"OUTER"), 0u);
        m_table = m_store->m_root;
        ASSERT_EQ(FindTable(m_store.get(), m_table, &m_inner, u"INNER"), 0u);
    }
    std::vector<WORD> WalkInner() {
        std::vector<WORD> rows;
        EXPECT_EQ(ResetRows(m_inner), 0u);
        while (NextRow(m_inner, nullptr) == 0) {
            WORD n = 0;
            EXPECT_EQ(GetValue(m_inner, &n, sizeof n, u"_N"), 0u);
            rows.push_back(n);
        }
        return rows;
    }
    XprTable* m_inner = nullptr;
};

TEST_F(XprNested, SliceOfTheParentsCurrentRowBeyondRow255) {
    XprTable* outer = nullptr;
    ASSERT_EQ(FetchRow(m_store.get(), u"OUTER", &outer, u"second"), 0u);
    ASSERT_EQ(ResetRows(m_inner), 0u);
    EXPECT_EQ(m_inner->m_firstRow, 256);
    EXPECT_EQ(m_inner->m_endRow, 300);
    EXPECT_EQ(m_inner->m_currentRow, 255);
    const std::vector<WORD> rows = WalkInner();
    ASSERT_EQ(rows.size(), 44u);
    EXPECT_EQ(rows.front(), 256);
    EXPECT_EQ(rows.back(), 299);
    EXPECT_EQ(m_inner->m_currentRow, 299);

    ASSERT_EQ(FetchRow(m_store.get(), u"OUTER", &outer, u"first"), 0u);
    EXPECT_EQ(WalkInner().size(), 256u);
}

TEST_F(XprNested, KeyedSearchStaysInsideTheSlice) {
    XprTable* outer = nullptr;
    ASSERT_EQ(FetchRow(m_store.get(), u"OUTER", &outer, u"second"), 0u);
    ASSERT_EQ(ResetRows(m_inner), 0u);
    int found = 0;
    while (NextRow(m_inner, u"r") == 0) ++found;
    EXPECT_EQ(found, 44);
}

TEST_F(XprNested, NoCurrentParentRowLeavesTheCursorAlone) {
    ASSERT_EQ(ResetRows(m_table), 0u);
    m_inner->m_firstRow = 7;
    m_inner->m_endRow = 9;
    m_inner->m_currentRow = 8;
    EXPECT_EQ(ResetRows(m_inner), 0u);
    EXPECT_EQ(m_inner->m_firstRow, 7);
    EXPECT_EQ(m_inner->m_endRow, 9);
    EXPECT_EQ(m_inner->m_currentRow, 8);
}

TEST_F(XprNested, SliceBeyondTheNestedRowsIsCutAtTheLastRow) {
    XprTable* outer = nullptr;
    ASSERT_EQ(FetchRow(m_store.get(), u"OUTER", &outer, u"second"), 0u);
    const struct {
        WORD first, end;
        size_t rows;
    } cases[] = {{290, 400, 10}, {350, 400, 0}, {299, 65535, 1}};
    for (const auto& c : cases) {
        const XprStructValue value{m_inner, c.first, c.end};
        ASSERT_EQ(SetValue(outer, &value, sizeof value, u"_IN"), 0u);
        EXPECT_EQ(WalkInner().size(), c.rows) << c.first << ".." << c.end;
        EXPECT_LE(m_inner->m_endRow, 300);
    }
}

TEST_F(XprNested, ValueOperationsNeedACurrentRowAndColumn) {
    ASSERT_EQ(ResetRows(m_table), 0u);
    WORD n = 0;
    m_log.clear();
    EXPECT_EQ(GetValue(m_inner, &n, sizeof n, u"_N"), 3u) << "stale cursor of a never-reset table";
    m_table->m_currentRow = 5000;
    EXPECT_EQ(GetValue(m_table, &n, sizeof n, u"TAG"), 3u);
    EXPECT_EQ(m_log.last(), XPR_INVALID_PARAMETER);
    m_table->m_currentRow = 0;
    m_table->m_currentColumn = XPR_NONE;
    BYTE buffer[16];
    EXPECT_EQ(GetValue(m_table, buffer, sizeof buffer, nullptr), 3u);
    EXPECT_EQ(SetValue(m_table, buffer, 1, nullptr), 3u);
    void* pointer = buffer;
    EXPECT_EQ(GetValuePtr(m_table, nullptr, &pointer), 3u);
    EXPECT_EQ(pointer, nullptr);
}

}  // namespace
}  // namespace xprtest
