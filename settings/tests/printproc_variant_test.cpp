// The print processor's runtime: stores created by printer name, keyless FetchRow, four-byte
// SetValue, nothing ever saved.
#include <gtest/gtest.h>

#include <palvex/machine.h>

#include "demo_block.h"
#include "kitmessages.h"
#include "status_log.h"
#include "store_fixture.h"

namespace xprtest {
namespace {

constexpr char16_t kPrinter[] = u"Palvex Processor Test";

class PrintProcVariant : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        WritePrinterValue(kPrinter, u"DEMO", DemoBlockBytes());
    }
    palvex::TestMachine m_machine;
    StatusLog m_log;
};

TEST_F(PrintProcVariant, CreatesStoresByPrinterName) {
    XprStore* store = reinterpret_cast<XprStore*>(1);
    EXPECT_EQ(CreateByName(&store, u"No Such Printer", u"DEMO"), 2u);
    EXPECT_EQ(m_log.last(), XPR_OPEN_FAILED);
    EXPECT_EQ(store, nullptr);
    EXPECT_EQ(CreateByName(&store, kPrinter, u"MISSING"), 2u);
    EXPECT_EQ(m_log.last(), XPR_READ_FAILED);
    EXPECT_EQ(CreateByName(&store, kPrinter, u""), 3u);
    EXPECT_EQ(CreateByName(nullptr, kPrinter, u"DEMO"), 3u);

    ASSERT_EQ(CreateByName(&store, kPrinter, u"DEMO"), 0u);
    StorePtr owned(store);
    EXPECT_EQ(store->m_poolSize, kDemoPool);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store, u"DEMO", &cursor), 0u);
    ASSERT_EQ(FetchRow(store, u"DEMO", &cursor), 0u);
    DWORD level = 0;
    ASSERT_EQ(GetValue(cursor, &level, sizeof level, u"_LEVEL"), 0u);
    EXPECT_EQ(level, 9u);
    EXPECT_EQ(FetchRow(store, u"DEMO", &cursor), 1u);
    EXPECT_EQ(cursor, nullptr);
}

TEST_F(PrintProcVariant, ValuesChangeInMemoryOnly) {
    XprStore* store = nullptr;
    ASSERT_EQ(CreateByName(&store, kPrinter, u"DEMO"), 0u);
    StorePtr owned(store);
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store, u"DEMO", &cursor), 0u);
    const BYTE one = 0x21;
    ASSERT_EQ(SetValue(cursor, &one, 1, u"_LEVEL"), 0u);
    DWORD level = 0;
    ASSERT_EQ(GetValue(cursor, &level, sizeof level, u"_LEVEL"), 0u);
    EXPECT_EQ(level, 0x21u);
    EXPECT_EQ(GetValueCount(cursor, u"_DYN"), 1);
    EXPECT_EQ(GetIndirectValue(cursor), nullptr);
    EXPECT_EQ(m_log.last(), XPR_NO_COLUMN);
    EXPECT_EQ(ReadPrinterValue(kPrinter, u"DEMO"), DemoBlockBytes());
    EXPECT_EQ(FreeBlock(store), 0u);
    EXPECT_EQ(store->m_block, nullptr);
}

TEST(PrintProcVariantMessages, OnlyTheRuntimesTexts) {
    EXPECT_EQ(KitMessages().size(), 16u);
    EXPECT_EQ(KitMessageText(62001), nullptr);
    EXPECT_NE(KitMessageText(63005), nullptr);
}

}  // namespace
}  // namespace xprtest
