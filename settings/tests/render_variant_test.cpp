// The render plug-in's runtime: keyless FetchRow, four-byte SetValue, SaveByHandle that always
// returns to run-time form, and only the runtime's messages.
#include <gtest/gtest.h>

#include <palvex/machine.h>

#include <memory>

#include "demo_block.h"
#include "kitmessages.h"
#include "status_log.h"
#include "store_fixture.h"

namespace xprtest {
namespace {

constexpr char16_t kPrinter[] = u"Palvex Render Test";

class RenderVariant : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        WritePrinterValue(kPrinter, u"DEMO", DemoBlockBytes());
        PrinterHandle printer(kPrinter);
        XprStore* store = nullptr;
        ASSERT_EQ(CreateByHandle(&store, printer.get(), u"DEMO"), 0u);
        m_store.reset(store);
        ASSERT_EQ(FetchRow(m_store.get(), u"DEMO", &m_cursor), 0u);
    }
    DWORD Level() {
        DWORD level = 0;
        EXPECT_EQ(GetValue(m_cursor, &level, sizeof level, u"_LEVEL"), 0u);
        return level;
    }

    palvex::TestMachine m_machine;
    StorePtr m_store;
    XprTable* m_cursor = nullptr;
    StatusLog m_log;
};

TEST_F(RenderVariant, FetchRowWalksWithoutKey) {
    EXPECT_EQ(Level(), 7u);
    ASSERT_EQ(FetchRow(m_store.get(), u"DEMO", &m_cursor), 0u);
    EXPECT_EQ(Level(), 9u);
    EXPECT_EQ(FetchRow(m_store.get(), u"DEMO", &m_cursor), 1u);
    EXPECT_EQ(m_log.last(), XPR_NO_FURTHER_ROW);
    EXPECT_EQ(m_cursor, nullptr);
    ASSERT_EQ(FetchRow(m_store.get(), u"DEMO", &m_cursor), 0u);
    EXPECT_EQ(Level(), 7u);
}

TEST_F(RenderVariant, SetValueStoresFourBytesAndNeverReadsPastTheSource) {
    // A two-byte source in its own allocation: reading four bytes would run past it.
    auto two = std::make_unique<BYTE[]>(2);
    two[0] = 0x34;
    two[1] = 0x12;
    ASSERT_EQ(SetValue(m_cursor, two.get(), 2, u"_LEVEL"), 0u);
    EXPECT_EQ(Level(), 0x1234u);
    const uint64_t eight = 0x1122334455667788ull;
    ASSERT_EQ(SetValue(m_cursor, &eight, sizeof eight, u"_LEVEL"), 0u) << "larger sources give their first four bytes";
    EXPECT_EQ(Level(), 0x55667788u);
    const DWORD data = 0xCAFE;
    ASSERT_EQ(SetValue(m_cursor, &data, sizeof data, u"_DYN"), 0u);
    DWORD read = 0;
    ASSERT_EQ(GetValue(m_cursor, &read, sizeof read, u"_DYN"), 0u);
    EXPECT_EQ(read, 0xCAFEu);
}

TEST_F(RenderVariant, SetValueRefusesFieldsThatCannotTakeFourBytes) {
    XprTable* item = nullptr;
    ASSERT_EQ(FetchRow(m_store.get(), u"ITEM", &item), 0u);
    const DWORD value = 5;
    const struct {
        XprTable* table;
        const char16_t* column;
    } cases[] = {{item, u"_N"}, {m_cursor, u"TAG"}, {m_cursor, u"_SUB"}};
    for (const auto& c : cases) {
        m_log.clear();
        EXPECT_EQ(SetValue(c.table, &value, sizeof value, c.column), 2u);
        EXPECT_EQ(m_log.last(), XPR_SOURCE_TOO_LARGE);
    }
    WORD n = 0;
    ASSERT_EQ(GetValue(item, &n, sizeof n, u"_N"), 0u);
    EXPECT_EQ(n, 1);
    ASSERT_EQ(FetchRow(m_store.get(), u"ITEM", &item), 0u) << "the nested slice is intact";
}

TEST_F(RenderVariant, WiderFieldsAreZeroFilled) {
    BlockBuilder b;
    const int t = b.AddTable(u"WIDE", {{u"_Q", XprColumnKind::DWORD64}});
    b.AddRow(t, u"w");
    b.SetBytes(t, 0, u"_Q", {1, 2, 3, 4, 5, 6, 7, 8});
    StorePtr store = NewStore();
    ASSERT_EQ(AdoptBytes(store.get(), b.Build(), u"WIDE"), 0u);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"WIDE", &cursor), 0u);
    const DWORD value = 0xA0B0C0D0;
    ASSERT_EQ(SetValue(cursor, &value, sizeof value, u"_Q"), 0u);
    uint64_t q = 0;
    ASSERT_EQ(GetValue(cursor, &q, sizeof q, u"_Q"), 0u);
    EXPECT_EQ(q, 0xA0B0C0D0ull);
}

TEST_F(RenderVariant, SaveReturnsToRunTimeForm) {
    const DWORD level = 77;
    ASSERT_EQ(SetValue(m_cursor, &level, sizeof level, u"_LEVEL"), 0u);
    PrinterHandle reader(kPrinter);
    EXPECT_EQ(SaveByHandle(m_store.get(), reader.get()), 2u);
    EXPECT_EQ(m_log.last(), XPR_WRITE_FAILED);
    EXPECT_EQ(Level(), 77u);
    PrinterHandle writer(kPrinter, PRINTER_ALL_ACCESS);
    ASSERT_EQ(SaveByHandle(m_store.get(), writer.get()), 0u);
    EXPECT_EQ(Level(), 77u);
    XprStore* again = nullptr;
    ASSERT_EQ(CreateByHandle(&again, reader.get(), u"DEMO"), 0u);
    StorePtr owned(again);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(again, u"DEMO", &cursor), 0u);
    DWORD read = 0;
    ASSERT_EQ(GetValue(cursor, &read, sizeof read, u"_LEVEL"), 0u);
    EXPECT_EQ(read, 77u);
}

TEST(RenderVariantMessages, OnlyTheRuntimesTexts) {
    EXPECT_EQ(KitMessages().size(), 16u);
    EXPECT_EQ(KitMessageText(61401), nullptr);
    EXPECT_EQ(KitMessageText(61301), nullptr);
    ASSERT_NE(KitMessageText(63401), nullptr);
    EXPECT_EQ(std::u16string(KitMessageText(63401)),
              u"%s(%d) : internal error XPR3001 : invalid parameters or content on function call.\n");
    EXPECT_EQ(KitMessages().front().m_code, 62601u);
    EXPECT_EQ(KitMessages().back().m_code, 63403u);
}

}  // namespace
}  // namespace xprtest
