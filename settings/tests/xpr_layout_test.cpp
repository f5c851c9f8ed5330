// Byte layouts of the block structures and of a block worked out by hand, in both link forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "demo_block.h"
#include "store_fixture.h"

namespace xprtest {
namespace {

template <class T>
std::vector<BYTE> BytesOf(const T& value) {
    std::vector<BYTE> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

struct ByteAt {
    size_t at;
    BYTE value;
};

TEST(XprLayout, TableHeaderFields) {
    XprTable table{};
    table.m_signature = XPR_SIGNATURE;
    table.m_version = 592;
    table.m_owner = reinterpret_cast<XprStore*>(0x0807060504030201ull);
    table.m_parent = reinterpret_cast<XprTable*>(0x1817161514131211ull);
    table.m_name[0] = u'N';
    table.m_name[47] = u'z';
    table.m_rows = reinterpret_cast<BYTE*>(0x2827262524232221ull);
    table.m_stride = 0x34333231;
    table.m_rowCount = 0x3635;
    table.m_columns = reinterpret_cast<XprColumn*>(0x4847464544434241ull);
    table.m_columnCount = 0x5251;
    table.m_firstRow = 0x5453;
    table.m_endRow = 0x5655;
    table.m_currentRow = 0x5857;
    table.m_currentColumn = 0x5A59;
    const std::vector<BYTE> bytes = BytesOf(table);
    ASSERT_EQ(bytes.size(), 160u);
    const ByteAt expected[] = {
        {0, 'Q'},    {1, 'K'},    {2, 'D'},    {3, '3'},    {4, 0x50},   {5, 0x02},   {8, 0x01},   {15, 0x08},
        {16, 0x11},  {23, 0x18},  {24, 'N'},   {25, 0},     {118, 'z'},  {119, 0},    {120, 0x21}, {127, 0x28},
        {128, 0x31}, {131, 0x34}, {132, 0x35}, {133, 0x36}, {134, 0},    {135, 0},    {136, 0x41}, {143, 0x48},
        {144, 0x51}, {145, 0x52}, {146, 0x53}, {147, 0x54}, {148, 0x55}, {149, 0x56}, {150, 0x57}, {151, 0x58},
        {152, 0x59}, {153, 0x5A}, {154, 0},    {159, 0},
    };
    for (const ByteAt& b : expected) EXPECT_EQ(bytes[b.at], b.value) << "offset " << b.at;
}

TEST(XprLayout, ColumnRecordAndStructValueFields) {
    XprColumn column{};
    column.m_name[0] = u'C';
    column.m_offset = 0x04030201;
    column.m_kind = XprColumnKind::XPDSTRUCT;
    column.m_elementSize = 0x0605;
    column.m_count = 0x0807;
    const std::vector<BYTE> c = BytesOf(column);
    ASSERT_EQ(c.size(), 108u);
    const ByteAt columnBytes[] = {{0, 'C'},    {96, 0x01},  {99, 0x04},  {100, 200}, {101, 0},
                                  {104, 0x05}, {105, 0x06}, {106, 0x07}, {107, 0x08}};
    for (const ByteAt& b : columnBytes) EXPECT_EQ(c[b.at], b.value) << "offset " << b.at;

    XprValueRecord record{};
    record.m_text = reinterpret_cast<WCHAR*>(0x11);
    record.m_data = reinterpret_cast<BYTE*>(0x22);
    record.m_kind = XprColumnKind::DYNAMIC;
    record.m_elementSize = 0x0433;
    record.m_count = 0x0544;
    const std::vector<BYTE> r = BytesOf(record);
    ASSERT_EQ(r.size(), 24u);
    const ByteAt recordBytes[] = {{0, 0x11}, {8, 0x22}, {16, 201}, {20, 0x33}, {21, 0x04}, {22, 0x44}, {23, 0x05}};
    for (const ByteAt& b : recordBytes) EXPECT_EQ(r[b.at], b.value) << "offset " << b.at;

    XprStructValue value{};
    value.m_table = reinterpret_cast<XprTable*>(0x99);
    value.m_firstRow = 0x0102;
    value.m_endRow = 0x0304;
    const std::vector<BYTE> v = BytesOf(value);
    ASSERT_EQ(v.size(), 12u);
    EXPECT_EQ(v[0], 0x99);
    EXPECT_EQ(v[8], 0x02);
    EXPECT_EQ(v[9], 0x01);
    EXPECT_EQ(v[10], 0x04);
    EXPECT_EQ(v[11], 0x03);
}

TEST(XprLayout, BuilderLaysOutTheHandWorkedBlock) {
    BlockLayout layout;
    EXPECT_EQ(DemoBuilder().Build(&layout), DemoBlockBytes());
    EXPECT_EQ(layout.m_pool, kDemoSize - kDemoPool);
}

// The demo block's links but ITEM's parent (at 672, stored 0, the root once loaded): where each
// lies and the offset it holds in stored form, 0 for a link that stays 0.
struct DemoLink {
    size_t at;
    uint64_t stored;
};
constexpr DemoLink kDemoLinks[] = {
    {120, 592},   {136, 160},   {592, 1096},  {604, 656},   {616, 1062},  {624, 1100},  {636, 656},  {648, 0},
    {776, 1032},  {792, 816},   {1032, 1104}, {1042, 1108}, {1052, 1112}, {1062, 1086}, {1070, 1092},
};

uint64_t LinkAt(const XprStore* store, size_t at) {
    uint64_t link;
    std::memcpy(&link, store->m_block + at, 8);
    return link;
}

TEST(XprLayout, LoadTurnsEveryLinkIntoAPointerAndPackTurnsThemBack) {
    StorePtr store = NewStore();
    ASSERT_EQ(AdoptBytes(store.get(), DemoBlockBytes(), u"DEMO"), 0u);
    const uint64_t base = reinterpret_cast<uintptr_t>(store->m_block);
    for (const DemoLink& link : kDemoLinks)
        EXPECT_EQ(LinkAt(store.get(), link.at), link.stored ? base + link.stored : 0) << "link at " << link.at;
    EXPECT_EQ(LinkAt(store.get(), 672), base) << "the nested table's parent is the root";
    EXPECT_EQ(store->m_blockSize, kDemoSize);
    EXPECT_EQ(store->m_poolSize, kDemoPool);
    EXPECT_EQ(store->m_fixedSize, kDemoSize - kDemoPool);

    ASSERT_EQ(PackTable(store.get(), store->m_root, FALSE), 0u);
    EXPECT_EQ(BlockBytes(store.get()), DemoBlockBytes());
}

// The demo block with some of its links set to 0.
TEST(XprLayout, ZeroLinksStayZeroInBothForms) {
    const struct {
        const char* name;
        std::vector<size_t> zeroed;
        bool noNestedRows;  // ITEM emptied: its rows are no longer part of the tree
    } cases[] = {
        {"record without text", {1062}, false},
        {"record without data", {1070}, false},
        {"record without text or data", {1062, 1070}, false},
        {"row without key", {624}, false},
        {"nested table without rows", {776}, true},
    };
    for (const auto& c : cases) {
        std::vector<BYTE> bytes = DemoBlockBytes();
        for (size_t at : c.zeroed) std::memset(bytes.data() + at, 0, 8);
        if (c.noNestedRows) {
            // ITEM's row count, and the [first, end) slices of ITEM in rows "A" and "B".
            const WORD zero = 0;
            for (size_t at : {788, 612, 614, 644, 646}) std::memcpy(bytes.data() + at, &zero, 2);
        }
        StorePtr store = NewStore();
        ASSERT_EQ(AdoptBytes(store.get(), bytes, u"DEMO"), 0u) << c.name;
        const uint64_t base = reinterpret_cast<uintptr_t>(store->m_block);
        for (const DemoLink& link : kDemoLinks) {
            uint64_t expected = link.stored ? base + link.stored : 0;
            if (std::find(c.zeroed.begin(), c.zeroed.end(), link.at) != c.zeroed.end()) expected = 0;
            // Bytes outside the tree are not links: left as they are.
            if (c.noNestedRows && link.at >= 1032 && link.at < 1062) expected = link.stored;
            EXPECT_EQ(LinkAt(store.get(), link.at), expected) << c.name << ": link at " << link.at;
        }
        ASSERT_EQ(PackTable(store.get(), store->m_root, FALSE), 0u);
        EXPECT_EQ(BlockBytes(store.get()), bytes) << c.name;
    }
}

TEST(XprLayout, BlocksLoadedAtDifferentAddressesReadTheSame) {
    StorePtr first = NewStore(), second = NewStore();
    ASSERT_EQ(AdoptBytes(first.get(), DemoBlockBytes(), u"DEMO"), 0u);
    ASSERT_EQ(AdoptBytes(second.get(), DemoBlockBytes(), u"DEMO"), 0u);
    ASSERT_NE(first->m_block, second->m_block);
    for (XprStore* store : {first.get(), second.get()}) {
        XprTable* cursor = nullptr;
        ASSERT_EQ(FetchRow(store, u"DEMO", &cursor, u"A"), 0u);
        DWORD level = 0;
        EXPECT_EQ(GetValue(cursor, &level, sizeof level, u"_LEVEL"), 0u);
        EXPECT_EQ(level, 7u);
        DWORD data = 0;
        EXPECT_EQ(GetValue(cursor, &data, sizeof data, u"_DYN"), 0u);
        EXPECT_EQ(data, 0x11223344u);
        XprTable* item = nullptr;
        ASSERT_EQ(FindTable(store, store->m_root, &item, u"ITEM"), 0u);
        ASSERT_EQ(ResetRows(item), 0u);
        ASSERT_EQ(NextRow(item, u"y"), 0u);
        WORD n = 0;
        EXPECT_EQ(GetValue(item, &n, sizeof n, u"_N"), 0u);
        EXPECT_EQ(n, 2);
        EXPECT_GE(reinterpret_cast<BYTE*>(item), store->m_block);
        EXPECT_LT(reinterpret_cast<BYTE*>(item), store->m_block + store->m_blockSize);
    }
}

}  // namespace
}  // namespace xprtest
