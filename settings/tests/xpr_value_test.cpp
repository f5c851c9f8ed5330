// Values read and written in place: sizes, zero fill, value records and the getters.
#include <gtest/gtest.h>

#include <cstring>

#include "block_builder.h"
#include "status_log.h"
#include "store_fixture.h"

namespace xprtest {
namespace {

class XprValue : public ::testing::Test {
protected:
    void SetUp() override {
        BlockBuilder b;
        const int vals = b.AddTable(u"VALS", {{u"_B", XprColumnKind::BYTE},
                                              {u"_D", XprColumnKind::DWORD},
                                              {u"_Q", XprColumnKind::DWORD64},
                                              {u"_TEXT", XprColumnKind::CHAR, 8},
                                              {u"_S", XprColumnKind::STRING, 2},
                                              {u"VALUE", XprColumnKind::DYNAMIC},
                                              {u"_ARR", XprColumnKind::DWORD, 3}});
        b.AddRow(vals, u"r0");
        b.SetBytes(vals, 0, u"_B", {0xAB});
        b.SetDword(vals, 0, u"_D", 0x01020304);
        b.SetBytes(vals, 0, u"_Q", {1, 2, 3, 4, 5, 6, 7, 8});
        b.SetString(vals, 0, u"_S", u"one", 0);
        b.SetString(vals, 0, u"_S", u"two", 1);
        b.SetRecord(vals, 0, u"VALUE", u"T0", XprColumnKind::DWORD, 4, 2, {1, 0, 0, 0, 2, 0, 0, 0});
        b.AddRow(vals, u"r1");
        const int other = b.AddTable(u"OTHER", {{u"VALUE", XprColumnKind::DWORD}});
        b.AddRow(other, u"o");
        b.SetNested(vals, u"_ARR", other);  // not an XPDSTRUCT column: ignored by the builder
        ASSERT_EQ(AdoptBytes(m_store.get(), b.Build(), u"VALS"), 0u);
        m_table = m_store->m_root;
        ASSERT_EQ(FetchRow(m_store.get(), u"VALS", &m_cursor, u"r0"), 0u);
        ASSERT_EQ(m_cursor, m_table);
    }

    StorePtr m_store = NewStore();
    XprTable* m_table = nullptr;
    XprTable* m_cursor = nullptr;
    StatusLog m_log;
};

TEST_F(XprValue, GetValueZeroFillsALargerBuffer) {
    BYTE buffer[12];
    std::memset(buffer, 0xCC, sizeof buffer);
    ASSERT_EQ(GetValue(m_table, buffer, sizeof buffer, u"_D"), 0u);
    const BYTE expected[12] = {0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(std::memcmp(buffer, expected, sizeof buffer), 0);
}

TEST_F(XprValue, GetValueRefusesASmallerBuffer) {
    BYTE buffer[8];
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(GetValue(m_table, buffer, 7, u"_Q"), 2u);
    EXPECT_EQ(m_log.last(), XPR_BUFFER_TOO_SMALL);
    EXPECT_EQ(buffer[0], 0xCC);
    EXPECT_EQ(GetValue(m_table, nullptr, 8, u"_Q"), 3u);
    EXPECT_EQ(GetValue(m_table, buffer, 8, u"_q"), 2u);
    EXPECT_EQ(m_log.last(), XPR_NO_COLUMN);
}

TEST_F(XprValue, SetValueZeroFillsTheRestOfTheField) {
    const WORD two = 0xBEEF;
    ASSERT_EQ(SetValue(m_table, &two, sizeof two, u"_Q"), 0u);
    uint64_t q = 0;
    ASSERT_EQ(GetValue(m_table, &q, sizeof q, u"_Q"), 0u);
    EXPECT_EQ(q, 0xBEEFu);
    DWORD d = 0;
    ASSERT_EQ(GetValue(m_table, &d, sizeof d, u"_D"), 0u);
    EXPECT_EQ(d, 0x01020304u) << "the neighbour is untouched";
}

TEST_F(XprValue, SetValueRefusesALargerSource) {
    const uint64_t big = 0x1122334455667788ull;
    EXPECT_EQ(SetValue(m_table, &big, sizeof big, u"_D"), 2u);
    EXPECT_EQ(m_log.last(), XPR_SOURCE_TOO_LARGE);
    DWORD d = 0;
    ASSERT_EQ(GetValue(m_table, &d, sizeof d, u"_D"), 0u);
    EXPECT_EQ(d, 0x01020304u);
    EXPECT_EQ(SetValue(m_table, nullptr, 0, u"_D"), 3u);
}

TEST_F(XprValue, SetValueFromInsideTheFieldItself) {
    const char16_t text[] = u"abcdefg";
    ASSERT_EQ(SetValue(m_table, text, sizeof text, u"_TEXT"), 0u);
    void* field = nullptr;
    ASSERT_EQ(GetValuePtr(m_table, u"_TEXT", &field), 0u);
    ASSERT_EQ(SetValue(m_table, static_cast<BYTE*>(field) + 4, 8, nullptr), 0u);
    char16_t read[8];
    ASSERT_EQ(GetValue(m_table, read, sizeof read, nullptr), 0u);
    EXPECT_EQ(std::u16string(read), u"cdef");
    EXPECT_EQ(read[7], 0);
}

TEST_F(XprValue, StringWritesMarkTheOwnerStoreDirty) {
    static const WCHAR kText[] = u"new";
    const WCHAR* link = kText;
    EXPECT_EQ(m_store->m_dirty, 0u);
    ASSERT_EQ(SetValue(m_cursor, &link, sizeof link, u"_S"), 0u);
    EXPECT_EQ(m_store->m_dirty, 1u);
    // Only the first element was given; the second is cleared.
    const WCHAR* links[2] = {nullptr, kText};
    ASSERT_EQ(GetValue(m_cursor, links, sizeof links, u"_S"), 0u);
    EXPECT_EQ(links[0], kText);
    EXPECT_EQ(links[1], nullptr);

    m_store->m_dirty = 0;
    m_table->m_owner = nullptr;  // a table no FetchRow bound
    ASSERT_EQ(SetValue(m_table, &link, sizeof link, u"_S"), 0u);
    EXPECT_EQ(m_store->m_dirty, 0u);
    const DWORD d = 5;
    m_table->m_owner = m_store.get();
    ASSERT_EQ(SetValue(m_table, &d, sizeof d, u"_D"), 0u);
    EXPECT_EQ(m_store->m_dirty, 0u);
}

// A STRING field holds links and a nested table's field its link and slice of rows: a write of
// part of a link (a 4-byte value sent to a column that turns out to be a STRING), or of a nested
// table's field that does not keep its table, would leave a link pointing anywhere.
TEST_F(XprValue, LinkFieldsTakeOnlyWholeLinks) {
    static const WCHAR kText[] = u"new";
    const WCHAR* link = kText;
    ASSERT_EQ(SetValue(m_cursor, &link, sizeof link, u"_S"), 0u);
    const DWORD value = 7;
    m_log.clear();
    EXPECT_EQ(SetValue(m_cursor, &value, sizeof value, u"_S"), 3u);
    EXPECT_EQ(m_log.last(), XPR_INVALID_PARAMETER);
    const WCHAR* links[2] = {};
    ASSERT_EQ(GetValue(m_cursor, links, sizeof links, u"_S"), 0u);
    EXPECT_EQ(links[0], kText);

    BlockBuilder b;
    const int outer = b.AddTable(u"OUTER", {{u"_SUB", XprColumnKind::XPDSTRUCT}});
    b.AddRow(outer, u"o");
    const int inner = b.AddTable(u"INNER", {});
    b.AddRow(inner, u"i");
    b.SetNested(outer, u"_SUB", inner);
    b.SetSlice(outer, 0, u"_SUB", 0, 1);
    StorePtr store = NewStore();
    ASSERT_EQ(AdoptBytes(store.get(), b.Build(), u"OUTER"), 0u);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"OUTER", &cursor, u"o"), 0u);
    XprTable* nested = nullptr;
    ASSERT_EQ(FindTable(store.get(), store->m_root, &nested, u"INNER"), 0u);
    const XprStructValue elsewhere{nullptr, 0, 1};
    const XprStructValue slice{nested, 1, 1};
    m_log.clear();
    EXPECT_EQ(SetValue(cursor, &elsewhere, sizeof elsewhere, u"_SUB"), 3u);
    EXPECT_EQ(m_log.last(), XPR_INVALID_PARAMETER);
    EXPECT_EQ(SetValue(cursor, &slice, 8, u"_SUB"), 3u);
    EXPECT_EQ(SetValue(cursor, &slice, sizeof slice, u"_SUB"), 0u);  // a new slice of the same table
    nested = nullptr;
    EXPECT_EQ(FindTable(store.get(), store->m_root, &nested, u"INNER"), 0u);
    EXPECT_NE(nested, nullptr);
}

TEST_F(XprValue, DynamicValuesLiveInTheirRecord) {
    DWORD data[3] = {9, 9, 9};
    ASSERT_EQ(GetValue(m_table, data, sizeof data, u"VALUE"), 0u);
    EXPECT_EQ(data[0], 1u);
    EXPECT_EQ(data[1], 2u);
    EXPECT_EQ(data[2], 0u);
    EXPECT_EQ(GetValueKind(m_table, u"VALUE"), XprColumnKind::DWORD);
    EXPECT_EQ(GetValueSize(m_table, u"VALUE"), 8);
    EXPECT_EQ(GetValueCount(m_table, u"VALUE"), 2);
    const DWORD three = 3;
    ASSERT_EQ(SetValue(m_table, &three, sizeof three, u"VALUE"), 0u);
    void* pointer = nullptr;
    ASSERT_EQ(GetValuePtr(m_table, u"VALUE", &pointer), 0u);
    EXPECT_EQ(static_cast<DWORD*>(pointer)[0], 3u);
    EXPECT_EQ(static_cast<DWORD*>(pointer)[1], 0u);
    ASSERT_NE(GetIndirectValue(m_table), nullptr);
    EXPECT_EQ(std::u16string(GetIndirectValue(m_table)), u"T0");

    // A row without a record.
    ASSERT_EQ(FetchRow(m_store.get(), u"VALS", &m_cursor, u"r1"), 0u);
    m_log.clear();
    EXPECT_EQ(GetValue(m_table, data, sizeof data, u"VALUE"), 1u);
    EXPECT_EQ(SetValue(m_table, &three, sizeof three, u"VALUE"), 1u);
    EXPECT_EQ(GetValuePtr(m_table, u"VALUE", &pointer), 1u);
    EXPECT_EQ(pointer, nullptr);
    EXPECT_TRUE(m_log.codes().empty());
    EXPECT_EQ(GetValueKind(m_table, u"VALUE"), XprColumnKind{});
    EXPECT_EQ(GetValueSize(m_table, u"VALUE"), 0);
    EXPECT_EQ(GetValueCount(m_table, u"VALUE"), 0);
    EXPECT_EQ(GetIndirectValue(m_table), nullptr);
    EXPECT_EQ(m_log.last(), XPR_NO_REFERENCE);
}

TEST_F(XprValue, NoBufferIsCheckedAfterTheFieldIsFound) {
    // The column and the row's record are looked at first: a missing column or a row without a
    // record answers as it would with a buffer.
    const struct {
        const char16_t* row;
        const char16_t* column;
        DWORD result;
        DWORD reported;
    } cases[] = {
        {u"r0", u"_D", 3, XPR_INVALID_PARAMETER},
        {u"r0", u"VALUE", 3, XPR_INVALID_PARAMETER},
        {u"r0", u"_d", 2, XPR_NO_COLUMN},
        {u"r1", u"VALUE", 1, 0},
    };
    for (const auto& c : cases) {
        m_cursor = nullptr;
        ASSERT_EQ(FetchRow(m_store.get(), u"VALS", &m_cursor, c.row), 0u);
        m_log.clear();
        EXPECT_EQ(GetValue(m_cursor, nullptr, 16, c.column), c.result) << "case " << (&c - cases) << " get";
        EXPECT_EQ(m_log.last(), c.reported);
        m_log.clear();
        EXPECT_EQ(SetValue(m_cursor, nullptr, 4, c.column), c.result) << "case " << (&c - cases) << " set";
        EXPECT_EQ(m_log.last(), c.reported);
    }
}

TEST_F(XprValue, GetValuePtrPointsIntoTheRow) {
    void* pointer = nullptr;
    ASSERT_EQ(GetValuePtr(m_table, u"_D", &pointer), 0u);
    const XprColumn* column = GetColumnDesc(m_table);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(pointer, m_table->m_rows + column->m_offset);
    const DWORD seven = 7;
    std::memcpy(pointer, &seven, sizeof seven);
    DWORD d = 0;
    ASSERT_EQ(GetValue(m_table, &d, sizeof d, u"_D"), 0u);
    EXPECT_EQ(d, 7u);
    EXPECT_EQ(GetValuePtr(m_table, u"_D", nullptr), 3u);
}

TEST_F(XprValue, Getters) {
    EXPECT_EQ(GetValueKind(m_table, u"_Q"), XprColumnKind::DWORD64);
    EXPECT_EQ(GetValueSize(m_table, u"_TEXT"), 16);
    EXPECT_EQ(GetValueCount(m_table, u"_TEXT"), 8);
    EXPECT_EQ(GetValueSize(m_table, u"_ARR"), 12);
    EXPECT_EQ(GetValueKind(m_table, u"_S"), XprColumnKind::STRING);
    ASSERT_NE(GetColumnDesc(m_table), nullptr);
    EXPECT_EQ(std::u16string(xpr::NameCopy(xpr::NameOf(GetColumnDesc(m_table))).m_text), u"_S");
    // TAG 8 + 1 + 4 + 8 + 16 + 16 + 8 + 12 bytes a row.
    EXPECT_EQ(m_table->m_stride, 73u);
    EXPECT_EQ(GetRecordSize(m_table), 65u);
    EXPECT_EQ(m_table->m_currentColumn, 0) << "TAG selected";

    m_log.clear();
    EXPECT_EQ(GetValueKind(m_table, u"_MISSING"), XprColumnKind{});
    EXPECT_EQ(m_log.last(), XPR_NO_COLUMN);
    EXPECT_EQ(GetValueSize(m_table, u"_MISSING"), 0);
    EXPECT_EQ(GetValueCount(m_table, u"_MISSING"), 0);
    EXPECT_EQ(GetColumnDesc(m_table), nullptr);

    m_log.clear();
    const struct {
        const char* name;
        bool zero;
    } nullTable[] = {
        {"GetColumnDesc", GetColumnDesc(nullptr) == nullptr},
        {"GetValueKind", GetValueKind(nullptr, u"_D") == XprColumnKind{}},
        {"GetValueSize", GetValueSize(nullptr, u"_D") == 0},
        {"GetValueCount", GetValueCount(nullptr, u"_D") == 0},
        {"GetRecordSize", GetRecordSize(nullptr) == 0},
        {"GetIndirectValue", GetIndirectValue(nullptr) == nullptr},
    };
    for (const auto& c : nullTable) EXPECT_TRUE(c.zero) << c.name;
    EXPECT_EQ(m_log.codes().size(), 6u);
    EXPECT_EQ(m_log.last(), XPR_INVALID_PARAMETER);
}

TEST_F(XprValue, IndirectValueOnlyFromADynamicColumn) {
    XprTable* other = nullptr;
    ASSERT_EQ(FetchRow(m_store.get(), u"OTHER", &other, nullptr), 2u) << "OTHER hangs under no XPDSTRUCT column";
    BlockBuilder b;
    const int t = b.AddTable(u"PLAIN", {{u"VALUE", XprColumnKind::DWORD}});
    b.AddRow(t, u"p");
    StorePtr plain = NewStore();
    ASSERT_EQ(AdoptBytes(plain.get(), b.Build(), u"PLAIN"), 0u);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(plain.get(), u"PLAIN", &cursor, nullptr), 0u);
    m_log.clear();
    EXPECT_EQ(GetIndirectValue(cursor), nullptr);
    EXPECT_EQ(m_log.last(), XPR_NOT_DYNAMIC);
    EXPECT_EQ(SelectColumn(cursor, u"TAG"), 0u);
    EXPECT_EQ(GetRecordSize(cursor), 4u);
}

}  // namespace
}  // namespace xprtest
