// Stores through printer data: load, save, compaction and their failures.
#include <gtest/gtest.h>

#include <palvex/machine.h>


#include "demo_block.h"
#include "le_fields.h"
#include "status_log.h"
#include "store_fixture.h"

namespace xprtest {
namespace {

constexpr char16_t kPrinter[] = u"Palvex Store Test";

class XprStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        WritePrinterValue(kPrinter, u"DEMO", DemoBlockBytes());
    }
    StorePtr Create(HANDLE printer, const char16_t* name = u"DEMO") {
        XprStore* store = nullptr;
        EXPECT_EQ(CreateByHandle(&store, printer, name), 0u);
        return StorePtr(store);
    }
    DWORD Level(XprStore* store, const char16_t* key) {
        XprTable* cursor = nullptr;
        DWORD level = 0;
        EXPECT_EQ(FetchRow(store, u"DEMO", &cursor, key), 0u);
        EXPECT_EQ(GetValue(cursor, &level, sizeof level, u"_LEVEL"), 0u);
        return level;
    }
    void SetLevel(XprStore* store, const char16_t* key, DWORD level) {
        XprTable* cursor = nullptr;
        ASSERT_EQ(FetchRow(store, u"DEMO", &cursor, key), 0u);
        ASSERT_EQ(SetValue(cursor, &level, sizeof level, u"_LEVEL"), 0u);
    }
    std::vector<BYTE> Stored() { return ReadPrinterValue(kPrinter, u"DEMO"); }

    palvex::TestMachine m_machine;
    StatusLog m_log;
};

TEST_F(XprStoreTest, CreateLoadsAndMeasures) {
    PrinterHandle printer(kPrinter);
    StorePtr store = Create(printer.get());
    ASSERT_TRUE(store);
    EXPECT_EQ(store->m_blockSize, kDemoSize);
    EXPECT_EQ(store->m_poolSize, kDemoPool);
    EXPECT_EQ(store->m_fixedSize, kDemoSize - kDemoPool);
    EXPECT_EQ(store->m_root, reinterpret_cast<XprTable*>(store->m_block));
    EXPECT_EQ(store->m_dirty, 0u);
    EXPECT_EQ(Level(store.get(), u"B"), 9u);
}

// A block whose nested table starts at an odd offset: a root row of 21 bytes (key, a byte and
// the nested table's field) puts the nested header at 160 + 3 x 108 + 21 = 505.
std::vector<BYTE> OddlyPlacedBlock() {
    BlockBuilder b;
    const int root = b.AddTable(u"DEMO", {{u"_B", XprColumnKind::BYTE}, {u"_SUB", XprColumnKind::XPDSTRUCT}});
    b.AddRow(root, u"r");
    const int inner = b.AddTable(u"INNER", {{u"_N", XprColumnKind::WORD}});
    b.AddRow(inner, u"i");
    b.SetNested(root, u"_SUB", inner);
    b.SetSlice(root, 0, u"_SUB", 0, 1);
    BlockLayout layout;
    std::vector<BYTE> bytes = b.Build(&layout);
    EXPECT_EQ(layout.m_tables.at(1), 505u);
    return bytes;
}

TEST_F(XprStoreTest, AnUnchangedBlockIsSavedByteForByte) {
    for (const std::vector<BYTE>& block : {DemoBlockBytes(), OddlyPlacedBlock()}) {
        WritePrinterValue(kPrinter, u"DEMO", block);
        StorePtr store;
        {
            PrinterHandle printer(kPrinter);
            store = Create(printer.get());
        }
        WritePrinterValue(kPrinter, u"DEMO", {1, 2, 3});
        ASSERT_EQ(SaveByName(store.get(), kPrinter, FALSE), 0u);
        EXPECT_EQ(Stored(), block);
    }
}

TEST_F(XprStoreTest, ChangesTravelThroughPrinterDataToAnotherStore) {
    StorePtr first;
    {
        PrinterHandle printer(kPrinter);
        first = Create(printer.get());
    }
    SetLevel(first.get(), u"B", 42);
    ASSERT_EQ(SaveByName(first.get(), kPrinter, FALSE), 0u);

    std::vector<BYTE> expected = DemoBlockBytes();
    Poke<DWORD>(expected, 632, 42);     // B's _LEVEL
    Poke<WORD>(expected, 150, 1);       // root cursor: current row B
    Poke<WORD>(expected, 152, 1);       // ...and current column _LEVEL
    EXPECT_EQ(Stored(), expected);

    PrinterHandle printer(kPrinter);
    StorePtr second = Create(printer.get());
    ASSERT_NE(second->m_block, first->m_block);
    EXPECT_EQ(Level(second.get(), u"B"), 42u);
    EXPECT_EQ(Level(first.get(), u"B"), 42u) << "the saved store is in run-time form again";
}

TEST_F(XprStoreTest, KeepPackedLeavesTheStoredForm) {
    PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    StorePtr store = Create(printer.get());
    EXPECT_EQ(Level(store.get(), u"A"), 7u);
    EXPECT_EQ(store->m_root->m_owner, store.get());
    ASSERT_EQ(SaveByHandle(store.get(), printer.get(), TRUE), 0u);
    EXPECT_EQ(BlockBytes(store.get()), Stored());
    EXPECT_EQ(store->m_root->m_owner, nullptr);
    EXPECT_EQ(Peek<uint64_t>(BlockBytes(store.get()), 120), 592u);
}

TEST_F(XprStoreTest, LoadErrorCodes) {
    WritePrinterValue(kPrinter, u"EMPTY", {});
    std::vector<BYTE> badSignature = DemoBlockBytes();
    badSignature[0] = 'q';
    WritePrinterValue(kPrinter, u"BADSIG", badSignature);
    std::vector<BYTE> oldVersion = DemoBlockBytes();
    Poke<DWORD>(oldVersion, 4, 591);
    WritePrinterValue(kPrinter, u"OLD", oldVersion);
    std::vector<BYTE> truncated = DemoBlockBytes();
    truncated.resize(1000);
    WritePrinterValue(kPrinter, u"CUT", truncated);

    PrinterHandle printer(kPrinter);
    const struct {
        HANDLE handle;
        const char16_t* name;
        DWORD code;
    } cases[] = {
        {nullptr, u"DEMO", XPR_INVALID_PARAMETER},
        {INVALID_HANDLE_VALUE, u"DEMO", XPR_INVALID_PARAMETER},
        {printer.get(), u"", XPR_INVALID_PARAMETER},
        {printer.get(), nullptr, XPR_INVALID_PARAMETER},
        {printer.get(), u"MISSING", XPR_READ_FAILED},
        {printer.get(), u"EMPTY", XPR_READ_FAILED},
        {printer.get(), u"CUT", XPR_READ_FAILED},
        {printer.get(), u"BADSIG", XPR_BAD_SIGNATURE},
        {printer.get(), u"OLD", XPR_BAD_VERSION},
        {printer.get(), u"DEMO", 0},
    };
    for (const auto& c : cases) {
        StorePtr store = NewStore();
        m_log.clear();
        const DWORD result = LoadByHandle(store.get(), c.handle, c.name);
        EXPECT_EQ(result, ReportStatus(c.code)) << "case " << (&c - cases);
        EXPECT_EQ(m_log.last(), c.code);
        if (c.code) {
            EXPECT_EQ(store->m_block, nullptr);
        }

        XprStore* created = reinterpret_cast<XprStore*>(1);
        m_log.clear();
        EXPECT_EQ(CreateByHandle(&created, c.handle, c.name), ReportStatus(c.code));
        EXPECT_EQ(m_log.last(), c.code);
        if (c.code) {
            EXPECT_EQ(created, nullptr);
        }
        StorePtr owned(c.code ? nullptr : created);
    }
    EXPECT_EQ(LoadByHandle(nullptr, printer.get(), u"DEMO"), 3u);
    EXPECT_EQ(CreateByHandle(nullptr, printer.get(), u"DEMO"), 3u);
}

TEST_F(XprStoreTest, ByNameOperationsOpenThePrinter) {
    StorePtr store = NewStore();
    EXPECT_EQ(LoadByName(store.get(), u"No Such Printer", u"DEMO"), 2u);
    EXPECT_EQ(m_log.last(), XPR_OPEN_FAILED);
    ASSERT_EQ(LoadByName(store.get(), kPrinter, u"DEMO"), 0u);
    EXPECT_EQ(Level(store.get(), u"A"), 7u);
    EXPECT_EQ(SaveByName(store.get(), u"No Such Printer", FALSE), 2u);
    EXPECT_EQ(m_log.last(), XPR_OPEN_FAILED);
    EXPECT_EQ(CompactByName(store.get(), u"No Such Printer"), 2u);
    EXPECT_EQ(m_log.last(), XPR_OPEN_FAILED);
    EXPECT_EQ(CompactByName(store.get(), kPrinter), 0u);
    std::vector<BYTE> expected = DemoBlockBytes();
    Poke<WORD>(expected, 150, 0);  // root cursor: row A, column _LEVEL
    Poke<WORD>(expected, 152, 1);
    EXPECT_EQ(Stored(), expected);
}

TEST_F(XprStoreTest, AFailedSaveKeepsTheStoreAndItsChange) {
    PrinterHandle reader(kPrinter);  // PRINTER_ACCESS_USE: SetPrinterDataW is refused
    StorePtr store = Create(reader.get());
    SetLevel(store.get(), u"A", 55);
    m_log.clear();
    EXPECT_EQ(SaveByHandle(store.get(), reader.get(), FALSE), 2u);
    EXPECT_EQ(m_log.last(), XPR_WRITE_FAILED);
    EXPECT_EQ(Stored(), DemoBlockBytes());
    EXPECT_EQ(Level(store.get(), u"A"), 55u) << "still in run-time form with the change";
    EXPECT_EQ(Level(store.get(), u"B"), 9u);
    XprTable* item = nullptr;
    ASSERT_EQ(FindTable(store.get(), store->m_root, &item, u"ITEM"), 0u);
    EXPECT_EQ(item->m_parent, store->m_root);

    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    EXPECT_EQ(SaveByName(store.get(), kPrinter, FALSE), 2u);
    EXPECT_EQ(m_log.last(), XPR_OPEN_FAILED);
    palvex::SetPrinterDeniedAccess(kPrinter, 0);

    ASSERT_EQ(SaveByName(store.get(), kPrinter, FALSE), 0u);
    StorePtr again = Create(reader.get());
    EXPECT_EQ(Level(again.get(), u"A"), 55u);
}

TEST_F(XprStoreTest, SaveRefusesStringsNotYetInThePool) {
    PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    StorePtr store = Create(printer.get());
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"DEMO", &cursor, u"A"), 0u);
    static const WCHAR kKey[] = u"Z";
    const WCHAR* link = kKey;
    ASSERT_EQ(SetValue(cursor, &link, sizeof link, u"TAG"), 0u);
    EXPECT_EQ(store->m_dirty, 1u);
    m_log.clear();
    EXPECT_EQ(SaveByHandle(store.get(), printer.get(), FALSE), 3u);
    EXPECT_EQ(m_log.last(), XPR_INVALID_PARAMETER);
    EXPECT_EQ(Stored(), DemoBlockBytes());
    cursor = nullptr;
    EXPECT_EQ(FetchRow(store.get(), u"DEMO", &cursor, u"Z"), 0u) << "the store is untouched";
}

TEST_F(XprStoreTest, CompactionGivesEveryStringItsOwnPlace) {
    PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    StorePtr store = Create(printer.get());
    static const WCHAR kLonger[] = u"LONGER";
    static const WCHAR kWhy[] = u"why";
    XprTable* cursor = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"DEMO", &cursor, u"A"), 0u);
    const WCHAR* link = kLonger;
    ASSERT_EQ(SetValue(cursor, &link, sizeof link, u"TAG"), 0u);
    XprTable* item = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"ITEM", &item, u"y"), 0u);
    link = kWhy;
    ASSERT_EQ(SetValue(item, &link, sizeof link, u"TAG"), 0u);
    EXPECT_EQ(store->m_dirty, 1u);

    ASSERT_EQ(CompactByHandle(store.get(), printer.get()), 0u);
    // Pool: "LONGER" 14, "B" 4, "x" 4, "why" 8, "z" 4 bytes, in walk order behind the fixed part.
    EXPECT_EQ(store->m_blockSize, kDemoSize - kDemoPool + 34);
    EXPECT_EQ(store->m_poolSize, 34u);
    EXPECT_EQ(store->m_fixedSize, 1096u);
    EXPECT_EQ(store->m_dirty, 0u);

    const std::vector<BYTE> stored = Stored();
    ASSERT_EQ(stored.size(), 1130u);
    const std::vector<BYTE> demo = DemoBlockBytes();
    std::vector<BYTE> expected(demo.begin(), demo.begin() + 1096);
    for (const char* text : {"LONGER", "B", "x", "why", "z"}) {
        for (const char* c = text;; ++c) {
            expected.push_back(BYTE(*c));
            expected.push_back(0);
            if (!*c) break;
        }
    }
    Poke<uint64_t>(expected, 592, 1096);
    Poke<uint64_t>(expected, 624, 1110);
    Poke<uint64_t>(expected, 1032, 1114);
    Poke<uint64_t>(expected, 1042, 1118);
    Poke<uint64_t>(expected, 1052, 1126);
    // Cursors as the fetches left them: DEMO on row A, column TAG; ITEM on row y, column TAG.
    Poke<WORD>(expected, 150, 0);
    Poke<WORD>(expected, 152, 0);
    Poke<WORD>(expected, 802, 0);
    Poke<WORD>(expected, 804, 2);
    Poke<WORD>(expected, 806, 1);
    Poke<WORD>(expected, 808, 0);
    EXPECT_EQ(stored, expected);

    StorePtr again = Create(printer.get());
    EXPECT_EQ(Level(again.get(), u"LONGER"), 7u);
    item = nullptr;
    EXPECT_EQ(FetchRow(again.get(), u"ITEM", &item, u"why"), 0u);
}

TEST_F(XprStoreTest, OneStringWrittenTwiceIsCopiedTwice) {
    PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    StorePtr store = Create(printer.get());
    static const WCHAR kSame[] = u"S";
    const WCHAR* link = kSame;
    for (const char16_t* key : {u"A", u"B"}) {
        XprTable* cursor = nullptr;
        ASSERT_EQ(FetchRow(store.get(), u"DEMO", &cursor, key), 0u);
        ASSERT_EQ(SetValue(cursor, &link, sizeof link, u"TAG"), 0u);
    }
    ASSERT_EQ(CompactByHandle(store.get(), printer.get()), 0u);
    EXPECT_EQ(store->m_blockSize, kDemoSize);
    StorePtr again = Create(printer.get());
    XprTable* cursor = nullptr;
    int rows = 0;
    while (FetchRow(again.get(), u"DEMO", &cursor, u"S") == 0) ++rows;
    EXPECT_EQ(rows, 2);
}

TEST_F(XprStoreTest, CompactionFailuresChangeNothing) {
    PrinterHandle printer(kPrinter, PRINTER_ALL_ACCESS);
    StorePtr store = Create(printer.get());
    // A fixed part that would be cut off: refused before anything moves.
    store->m_fixedSize -= 2;
    store->m_poolSize += 2;
    BYTE* block = store->m_block;
    m_log.clear();
    EXPECT_EQ(CompactByHandle(store.get(), printer.get()), 3u);
    EXPECT_EQ(m_log.last(), XPR_INVALID_PARAMETER);
    EXPECT_EQ(store->m_block, block);
    EXPECT_EQ(Level(store.get(), u"A"), 7u);
    ASSERT_EQ(UpdateSizes(store.get()), 0u);
    EXPECT_EQ(CompactByHandle(store.get(), nullptr), 3u);
    EXPECT_EQ(store->m_block, block);

    // A save that fails after compaction leaves the compacted store usable.
    PrinterHandle reader(kPrinter);
    EXPECT_EQ(CompactByHandle(store.get(), reader.get()), 2u);
    EXPECT_EQ(m_log.last(), XPR_WRITE_FAILED);
    EXPECT_EQ(Level(store.get(), u"B"), 9u);
    EXPECT_EQ(store->m_blockSize, kDemoSize);
}

TEST_F(XprStoreTest, AllocAndFreeBlock) {
    StorePtr store = NewStore();
    EXPECT_EQ(AllocBlock(store.get(), 0), 3u);
    EXPECT_EQ(AllocBlock(nullptr, 16), 3u);
    ASSERT_EQ(AllocBlock(store.get(), 64), 0u);
    EXPECT_EQ(store->m_blockSize, 64u);
    EXPECT_EQ(store->m_root, reinterpret_cast<XprTable*>(store->m_block));
    for (DWORD i = 0; i < 64; ++i) EXPECT_EQ(store->m_block[i], 0);
    EXPECT_EQ(FreeBlock(store.get()), 0u);
    EXPECT_EQ(store->m_block, nullptr);
    EXPECT_EQ(store->m_root, nullptr);
    EXPECT_EQ(FreeBlock(nullptr), 3u);
    EXPECT_EQ(SaveByName(store.get(), kPrinter, FALSE), 3u) << "no block";
}

}  // namespace
}  // namespace xprtest
