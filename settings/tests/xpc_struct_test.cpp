// The structure compiler: definitions, rows, references, value conversion and the blocks it
// assembles, checked byte for byte against layouts worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <palvex/machine.h>

#include "status_log.h"
#include "xpc_fixture.h"

namespace xpctest {
namespace {

using xprtest::StatusLog;

// Expected bytes, written field by field at offsets worked out by hand.
class Expected {
public:
    explicit Expected(size_t size) : m_bytes(size, 0) {}
    Expected& U16(size_t at, WORD v) { return Put(at, v); }
    Expected& U32(size_t at, DWORD v) { return Put(at, v); }
    Expected& U64(size_t at, uint64_t v) { return Put(at, v); }
    Expected& Byte(size_t at, BYTE v) { return Put(at, v); }
    Expected& Text(size_t at, std::u16string_view text) {
        for (size_t i = 0; i < text.size(); ++i) Put<char16_t>(at + 2 * i, text[i]);
        return *this;
    }
    // A table header: signature "QKD3", version 592, name, rows, stride, row count, columns.
    Expected& Header(size_t at, std::u16string_view name, uint64_t rows, DWORD stride, WORD rowCount, uint64_t columns,
                     WORD columnCount) {
        U32(at, 0x33444B51).U32(at + 4, 592).Text(at + 24, name).U64(at + 120, rows).U32(at + 128, stride);
        return U16(at + 132, rowCount).U64(at + 136, columns).U16(at + 144, columnCount);
    }
    Expected& Column(size_t at, std::u16string_view name, DWORD offset, DWORD kind, WORD size, WORD count) {
        return Text(at, name).U32(at + 96, offset).U32(at + 100, kind).U16(at + 104, size).U16(at + 106, count);
    }
    const std::vector<BYTE>& bytes() const { return m_bytes; }

private:
    template <class T>
    Expected& Put(size_t at, T value) {
        std::memcpy(m_bytes.data() + at, &value, sizeof value);
        return *this;
    }
    std::vector<BYTE> m_bytes;
};

// Reports the first differing offset, which a plain vector comparison does not.
void ExpectSameBytes(const std::vector<BYTE>& actual, const std::vector<BYTE>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin());
    EXPECT_TRUE(mismatch.first == actual.end()) << "first difference at offset " << (mismatch.first - actual.begin());
}

const char kFlat[] =
    "*XPDSTRUCT: DEMO\n"
    "{\n"
    "    *FIELD: LEVEL\n"
    "    {\n"
    "        *FIELDTYPE: DWORD\n"
    "    }\n"
    "    *FIELD: NAME\n"
    "    {\n"
    "        *FIELDTYPE: STRING\n"
    "        *WARNWHENEMPTY: OFF\n"
    "    }\n"
    "}\n"
    "*DEMO: A\n"
    "{\n"
    "    *LEVEL: 7\n"
    "    *NAME: \"Hi\"\n"
    "}\n"
    "*DEMO: B\n"
    "{\n"
    "    *LEVEL: 300\n"
    "}\n";

const char kNested[] =
    "*XPDSTRUCT: SRC\n"
    "{\n"
    "    *FIELD: LEVEL\n"
    "    {\n"
    "        *FIELDTYPE: BYTE\n"
    "    }\n"
    "}\n"
    "*XPDSTRUCT: FEAT\n"
    "{\n"
    "    *FIELD: ITEM\n"
    "    {\n"
    "        *FIELDTYPE: XPDSTRUCT\n"
    "    }\n"
    "    *XPDSTRUCT: ITEM\n"
    "    {\n"
    "        *FIELD: VALUE\n"
    "        {\n"
    "            *FIELDTYPE: DYNAMIC\n"
    "        }\n"
    "    }\n"
    "}\n"
    "*FEAT: F1\n"
    "{\n"
    "    *REFERENCES: SRC.LEVEL(FEAT.ITEM.VALUE)\n"
    "    *ITEM: X\n"
    "    {\n"
    "        *VALUE: 5\n"
    "    }\n"
    "    *ITEM: Y\n"
    "    {\n"
    "        *VALUE: 6\n"
    "    }\n"
    "}\n"
    "*FEAT: F2\n"
    "{\n"
    "    *REFERENCES: SRC.LEVEL(FEAT.ITEM.VALUE)\n"
    "    *ITEM: Z\n"
    "    {\n"
    "        *VALUE: 7\n"
    "    }\n"
    "}\n";

class XpcStructTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
    StatusLog m_log;
};

TEST_F(XpcStructTest, FlatStructureBlock) {
    Parsed parsed = Parse(kFlat);
    ASSERT_EQ(parsed.m_result, 0u);
    auto filled = Fill(*parsed.m_context, u"DEMO");
    ASSERT_EQ(filled->m_defined, 0u);
    ASSERT_EQ(filled->m_filled, 0u);
    // One table: header 0-160; columns TAG, LEVEL (DWORD), NAME (STRING) at 160, 268, 376; two rows
    // of 8 + 4 + 8 = 20 bytes at 484 and 504; the pool at 524: the TAG column's "A" and "B", then
    // the NAME column's "Hi" (4 + 4 + 6 bytes), 538 bytes in all.
    Expected expected(538);
    expected.Header(0, u"DEMO", 484, 20, 2, 160, 3);
    expected.Column(160, u"TAG", 0, 100, 8, 1).Column(268, u"LEVEL", 8, 5, 4, 1).Column(376, u"NAME", 12, 100, 8, 1);
    expected.U64(484, 524).U32(492, 7).U64(496, 532);
    expected.U64(504, 528).U32(512, 300).U64(516, 0);
    expected.Text(524, u"A").Text(528, u"B").Text(532, u"Hi");
    ExpectSameBytes(Assemble(filled->m_def), expected.bytes());
}

TEST_F(XpcStructTest, ForceWriteWithoutRowsGivesOneZeroRow) {
    Parsed parsed = Parse("*XPDSTRUCT: W\n{\n    *FORCEWRITE: ON\n    *FIELD: V\n    {\n        *FIELDTYPE: WORD\n    }\n}\n");
    ASSERT_EQ(parsed.m_result, 0u);
    auto filled = Fill(*parsed.m_context, u"W");
    ASSERT_EQ(filled->m_filled, 0u);
    // Header, columns TAG and V at 160 and 268, one row of 8 + 2 zero bytes at 376 (its key
    // link 0), no pool: 386 bytes.
    Expected expected(386);
    expected.Header(0, u"W", 376, 10, 1, 160, 2);
    expected.Column(160, u"TAG", 0, 100, 8, 1).Column(268, u"V", 8, 3, 2, 1);
    ExpectSameBytes(Assemble(filled->m_def), expected.bytes());
}

// Two tables: FEAT (header 0) and its nested ITEM (header 160). Columns: FEAT's TAG and ITEM at
// 320 and 428, ITEM's TAG and VALUE at 536 and 644. Rows: FEAT's two of 8 + 12 = 20 bytes at
// 752, ITEM's three of 8 + 8 = 16 at 792. The VALUE column's three records at 840, 864, 888;
// then X's text "SRC.LEVEL" (20 bytes) at 912 and data (one byte) at 932; Y and Z share the text
// and have their data at 933 and 934. The pool: "F1", "F2" at 935, 941, then "X", "Y", "Z" at
// 947, 951, 955; 959 bytes in all.
Expected NestedBlock() {
    Expected expected(959);
    expected.Header(0, u"FEAT", 752, 20, 2, 320, 2).Header(160, u"ITEM", 792, 16, 3, 536, 2);
    expected.Column(320, u"TAG", 0, 100, 8, 1).Column(428, u"ITEM", 8, 200, 12, 1);
    expected.Column(536, u"TAG", 0, 100, 8, 1).Column(644, u"VALUE", 8, 201, 8, 1);
    expected.U64(752, 935).U64(760, 160).U16(768, 0).U16(770, 2);
    expected.U64(772, 941).U64(780, 160).U16(788, 2).U16(790, 3);
    expected.U64(792, 947).U64(800, 840).U64(808, 951).U64(816, 864).U64(824, 955).U64(832, 888);
    for (size_t record = 0; record < 3; ++record) {
        const size_t at = 840 + record * 24;
        expected.U64(at, 912).U64(at + 8, 932 + record).U32(at + 16, 1).U16(at + 20, 1).U16(at + 22, 1);
    }
    expected.Text(912, u"SRC.LEVEL").Byte(932, 5).Byte(933, 6).Byte(934, 7);
    expected.Text(935, u"F1").Text(941, u"F2").Text(947, u"X").Text(951, u"Y").Text(955, u"Z");
    return expected;
}

TEST_F(XpcStructTest, NestedStructureBlockSharesRepeatedTexts) {
    Parsed parsed = Parse(kNested);
    ASSERT_EQ(parsed.m_result, 0u);
    auto filled = Fill(*parsed.m_context, u"FEAT");
    ASSERT_EQ(filled->m_defined, 0u);
    ASSERT_EQ(filled->m_filled, 0u);
    ExpectSameBytes(Assemble(filled->m_def), NestedBlock().bytes());
}

TEST_F(XpcStructTest, SavedBlocksLoadThroughTheRuntime) {
    palvex::TestMachine& machine = m_machine;
    (void)machine;
    InstallPrinter(u"QX500.GPD");
    Parsed parsed = Parse(kNested);
    auto filled = Fill(*parsed.m_context, u"FEAT");
    ASSERT_EQ(xpc::SaveStruct(filled->m_def, kPrinter), 0u);
    ExpectSameBytes(xprtest::ReadPrinterValue(kPrinter, u"FEAT"), NestedBlock().bytes());

    xprtest::PrinterHandle printer(kPrinter);
    XprStore* raw = nullptr;
    ASSERT_EQ(CreateByHandle(&raw, printer.get(), u"FEAT"), 0u);
    xprtest::StorePtr store(raw);
    std::vector<BYTE> values;
    std::vector<std::u16string> texts;
    XprTable* feature = nullptr;
    while (FetchRow(store.get(), u"FEAT", &feature, nullptr) == 0) {
        XprTable* item = nullptr;
        while (FetchRow(store.get(), u"ITEM", &item, nullptr) == 0) {
            BYTE value = 0;
            ASSERT_EQ(GetValue(item, &value, 1, u"VALUE"), 0u);
            values.push_back(value);
            texts.push_back(UnalignedText(GetIndirectValue(item)));
        }
    }
    EXPECT_EQ(values, (std::vector<BYTE>{5, 6, 7}));
    EXPECT_EQ(texts, std::vector<std::u16string>(3, u"SRC.LEVEL"));
}

TEST_F(XpcStructTest, NestedSlicesFollowTheirParents) {
    Parsed parsed = Parse(
        "*XPDSTRUCT: P\n{\n *FIELD: C\n { *FIELDTYPE: XPDSTRUCT }\n *XPDSTRUCT: C\n {\n  *FIELD: N\n  { *FIELDTYPE: WORD }\n }\n}\n"
        "*P: ONE\n{\n *C: A { *N: 1 }\n *C: B { *N: 2 }\n *C: C { *N: 3 }\n}\n"
        "*P: TWO\n{\n *C: D { *N: 4 }\n *C: E { *N: 5 }\n}\n");
    ASSERT_EQ(parsed.m_result, 0u);
    auto filled = Fill(*parsed.m_context, u"P");
    ASSERT_EQ(filled->m_filled, 0u);
    const xpc::StructDef& parent = filled->m_def;
    const xpc::StructDef& nested = *parent.m_columns[1].m_nested;
    EXPECT_EQ(nested.m_rowCount, 5u);
    // Each parent row's cell: the nested link (8 bytes), then the slice's first and end rows.
    EXPECT_EQ(Peek<WORD>(parent.m_rows, 8 + 8), 0u);
    EXPECT_EQ(Peek<WORD>(parent.m_rows, 8 + 10), 3u);
    EXPECT_EQ(Peek<WORD>(parent.m_rows, 20 + 8 + 8), 3u);
    EXPECT_EQ(Peek<WORD>(parent.m_rows, 20 + 8 + 10), 5u);
}

TEST_F(XpcStructTest, RowsAndWhatKeepsAStructureFromBeingSaved) {
    const std::string declarations =
        "*XPDSTRUCT: S\n{\n *FIELD: MUST\n { *FIELDTYPE: BYTE }\n *FIELD: MAY\n { *FIELDTYPE: BYTE\n *WARNWHENEMPTY: OFF }\n}\n"
        "*XPDSTRUCT: W\n{\n *FORCEWRITE: ON\n *FIELD: MUST\n { *FIELDTYPE: BYTE }\n}\n"
        "*XPDSTRUCT: N\n{\n *FIELD: KIDS\n { *FIELDTYPE: XPDSTRUCT }\n *XPDSTRUCT: KIDS\n {\n  *FIELD: V\n  { *FIELDTYPE: BYTE }\n }\n}\n";
    struct Case {
        const char* name;
        std::string rows;
        const char16_t* structure;
        DWORD result;
        std::vector<DWORD> codes;
        WORD rowCount;
    };
    const Case cases[] = {
        {"complete rows", "*S: A { *MUST: 1 }\n", u"S", 0, {}, 1},
        {"no rows, no force-write", "", u"S", 1, {XPC_NO_ROWS}, 0},
        {"no rows, force-write: one zero row", "", u"W", 0, {}, 1},
        {"a field that must be given is missing", "*S: A { *MAY: 1 }\n", u"S", 1, {XPC_NO_VALUE}, 1},
        {"a field that must be given is empty", "*S: A { *MUST: \"\" }\n", u"S", 1, {XPC_EMPTY_VALUE}, 1},
        {"a parent row without children drops the structure", "*N: A { *KIDS: K { *V: 1 } }\n*N: B\n", u"N", 1,
         {XPC_NO_ROWS}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        Parsed parsed = Parse(declarations + c.rows);
        ASSERT_EQ(parsed.m_result, 0u);
        auto filled = Fill(*parsed.m_context, c.structure);
        ASSERT_EQ(filled->m_defined, 0u);
        EXPECT_EQ(filled->m_filled, c.result);
        EXPECT_EQ(m_log.codes(), c.codes);
        EXPECT_EQ(filled->m_def.m_rowCount, c.rowCount);
    }
}

TEST_F(XpcStructTest, DefinitionsAndTheirFailures) {
    struct Case {
        const char* name;
        std::string text;
        DWORD code;  // 0: defined without a report
    };
    const std::string longName(48, 'N');
    // 8193 fields of 65535 eight-byte elements: a row of more than 4 GiB, which no block can hold.
    std::string huge = "*XPDSTRUCT: S\n{\n";
    for (int i = 0; i < 8193; ++i)
        huge += " *FIELD: F" + std::to_string(i) + " { *FIELDTYPE: DWORD64\n *ARRAYSIZE: 65535 }\n";
    huge += "}\n";
    const Case cases[] = {
        {"every kind", "*XPDSTRUCT: S\n{\n *FIELD: A { *FIELDTYPE: SHORT }\n *FIELD: B { *FIELDTYPE: LONG64 }\n}\n", 0},
        {"no field type", "*XPDSTRUCT: S\n{\n *FIELD: A\n}\n", XPC_NO_FIELD_TYPE},
        {"unknown type", "*XPDSTRUCT: S\n{\n *FIELD: A { *FIELDTYPE: FLOAT }\n}\n", XPC_BAD_FIELD_TYPE},
        {"array size 0", "*XPDSTRUCT: S\n{\n *FIELD: A { *FIELDTYPE: BYTE\n *ARRAYSIZE: 0 }\n}\n", XPC_BAD_ARRAYSIZE},
        {"array size too large", "*XPDSTRUCT: S\n{\n *FIELD: A { *FIELDTYPE: BYTE\n *ARRAYSIZE: 65536 }\n}\n",
         XPC_BAD_ARRAYSIZE},
        {"array size on DYNAMIC", "*XPDSTRUCT: S\n{\n *FIELD: A { *FIELDTYPE: DYNAMIC\n *ARRAYSIZE: 2 }\n}\n",
         XPC_ARRAYSIZE_IGNORED},
        {"field name too long", "*XPDSTRUCT: S\n{\n *FIELD: " + longName + " { *FIELDTYPE: BYTE }\n}\n", XPC_FIELD_NOT_MADE},
        {"structure name too long", "*XPDSTRUCT: " + longName + "\n{\n *FIELD: A { *FIELDTYPE: BYTE }\n}\n",
         XPC_STRUCT_NAME_TOO_LONG},
        {"no fields", "*XPDSTRUCT: S\n{\n *FORCEWRITE: ON\n}\n", XPC_NO_DEFINITION},
        {"nested structure missing", "*XPDSTRUCT: S\n{\n *FIELD: K { *FIELDTYPE: XPDSTRUCT }\n}\n", XPC_NO_DEFINITION},
        {"a row too large for a block", huge, XPC_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        Parsed parsed = Parse(c.text);
        ASSERT_EQ(parsed.m_result, 0u);
        xpc::StructDef def;
        const std::u16string name = c.code == XPC_STRUCT_NAME_TOO_LONG ? std::u16string(48, u'N') : u"S";
        EXPECT_EQ(xpc::DefineStruct(*parsed.m_context, def, name, 0), c.code ? xprtest::Severity(c.code) : 0u);
        EXPECT_EQ(m_log.last(), c.code);
    }
}

TEST_F(XpcStructTest, TwoDeclarationsMakeOneTable) {
    xpc::Context context;
    xpc::AppendPrelude(context.m_entries);
    ASSERT_EQ(xpc::ParseText(context,
                             Crlf("*XPDSTRUCT: OEMDEVMODE\n{\n *FIELD: _MINE\n { *FIELDTYPE: WORD\n *WARNWHENEMPTY: OFF }\n}\n"),
                             false, u"t.xpd", 1),
              0u);
    xpc::StructDef def;
    ASSERT_EQ(xpc::DefineStruct(context, def, u"OEMDEVMODE", 0), 0u);
    ASSERT_EQ(def.m_columns.size(), 33u);  // TAG, the prelude's 31 fields, then the driver's
    EXPECT_EQ(def.m_columns[0].m_name, u"TAG");
    EXPECT_EQ(def.m_columns[1].m_name, u"_SIZE");
    EXPECT_EQ(def.m_columns[4].m_name, u"_PDLTYPE");
    EXPECT_EQ(def.m_columns[31].m_name, u"_OEM_RESERVE");
    EXPECT_EQ(def.m_columns[32].m_name, u"_MINE");
    // The prelude's private devmode: 393 bytes behind the 8-byte key.
    EXPECT_EQ(def.m_columns[32].m_offset, 8u + 393);
    EXPECT_EQ(def.m_stride, 8u + 393 + 2);
    EXPECT_TRUE(def.m_forceWrite);
}

TEST_F(XpcStructTest, TheDriversOwnRowsAreChosenByItsName) {
    const std::string text =
        "*XPDSTRUCT: S\n{\n *FIELD: V { *FIELDTYPE: BYTE }\n}\n"
        "*S: \"Palvex QX500\"\n{\n *V: 1\n}\n"
        "*S: \"Palvex QX700\"\n{\n *V: 2\n}\n";
    struct Case {
        std::u16string model;
        std::vector<std::u16string> tags;
    };
    const Case cases[] = {
        {u"Palvex QX500", {u"Palvex QX500"}},
        {u"Palvex QX700", {u"Palvex QX700"}},
        {u"Palvex QX900", {u"Palvex QX500", u"Palvex QX700"}},
    };
    for (const auto& c : cases) {
        Parsed parsed = Parse(text);
        auto filled = Fill(*parsed.m_context, u"S", c.model);
        ASSERT_EQ(filled->m_filled, 0u);
        std::vector<std::u16string> tags;
        for (const auto& cells : filled->m_def.m_cells) tags.push_back(*cells.m_strings[0]);
        EXPECT_EQ(tags, c.tags);
    }
}

// --- References ---------------------------------------------------------------------------------

TEST_F(XpcStructTest, ReferencesTypeTheOptionValuesOfTheirRow) {
    xpc::Context context;
    xpc::AppendPrelude(context.m_entries);
    ASSERT_EQ(xpc::ParseText(context, Crlf("*DOCUMENTFEATURE: NUP\n{\n"
                                           " *REFERENCES: OEMDEVMODE._NUP_PAGES(DOCUMENTFEATURE.OPTION.VALUE)\n"
                                           " *REFERENCES: OEMDEVMODE._NUP_PAGES(DOCUMENTFEATURE.OPTION.VALUE)\n"
                                           " *OPTION: ONE { *VALUE: 0 }\n"
                                           " *OPTION: TWO { *VALUE: 1 }\n}\n"),
                             false, u"t.xpd", 1),
              0u);
    ASSERT_EQ(xpc::CollectMacros(context), 0u);
    m_log.clear();
    auto filled = Fill(context, u"DOCUMENTFEATURE");
    // The second reference to the same target is skipped with a warning; the feature's own
    // fields are left out and warn too.
    EXPECT_EQ(std::count(m_log.codes().begin(), m_log.codes().end(), XPC_REFERENCE_TWICE), 1);
    const xpc::StructDef& options = *filled->m_def.FindColumn(u"OPTION")->m_nested;
    const xpc::ColumnDef& value = *options.FindColumn(u"VALUE");
    ASSERT_EQ(options.m_rowCount, 2u);
    for (WORD row = 0; row < 2; ++row) {
        const auto& pending = options.m_cells[row].m_values[value.m_slot];
        ASSERT_TRUE(pending);
        EXPECT_EQ(pending->m_kind, XprColumnKind::BYTE);
        EXPECT_EQ(pending->m_count, 1u);
        EXPECT_EQ(pending->m_text, u"OEMDEVMODE._NUP_PAGES");
        EXPECT_EQ(pending->m_data, std::vector<BYTE>{static_cast<BYTE>(row)});
        EXPECT_EQ(pending->m_sharedText, row == 1);
    }
}

TEST_F(XpcStructTest, BadReferencesGetTheirCodes) {
    const std::string declarations =
        "*XPDSTRUCT: SRC\n{\n *FIELD: LEVEL { *FIELDTYPE: BYTE }\n *FIELD: NAME { *FIELDTYPE: STRING }\n"
        " *FIELD: DYN { *FIELDTYPE: DYNAMIC }\n}\n"
        "*XPDSTRUCT: FEAT\n{\n *FIELD: ITEM { *FIELDTYPE: XPDSTRUCT }\n"
        " *XPDSTRUCT: ITEM\n {\n  *FIELD: VALUE { *FIELDTYPE: DYNAMIC }\n  *FIELD: PLAIN { *FIELDTYPE: WORD }\n }\n}\n";
    std::string deep = "SRC";
    for (int i = 0; i < 32; ++i) deep += ".LEVEL";
    struct Case {
        std::string value;
        DWORD code;
    };
    const Case cases[] = {
        {"SRC.LEVEL(FEAT.ITEM.VALUE)", 0},
        {"NOPE", XPC_BAD_REFERENCE},
        {"SRC.LEVEL FEAT.ITEM.VALUE", XPC_BAD_REFERENCE},
        {"SRC(FEAT.ITEM.VALUE)", XPC_REFERENCE_NO_FIELD},
        {deep + "(FEAT.ITEM.VALUE)", XPC_REFERENCE_TOO_DEEP},
        {"FEAT.ITEM.PLAIN(FEAT.ITEM.VALUE)", XPC_REFERENCE_SAME_STRUCT},
        {"NONE.LEVEL(FEAT.ITEM.VALUE)", XPC_REFERENCE_NO_STRUCT},
        {"SRC.MISSING(FEAT.ITEM.VALUE)", XPC_REFERENCE_UNKNOWN_FIELD},
        {"SRC.LEVEL(FEAT.NONE.VALUE)", XPC_REFERENCE_UNKNOWN_STRUCT},
        {"SRC.LEVEL(FEAT.ITEM)", XPC_REFERENCE_ENDS_AT_STRUCT},
        {"SRC.LEVEL.X(FEAT.ITEM.VALUE)", XPC_REFERENCE_FIELD_IN_PATH},
        {"SRC.LEVEL(FEAT.ITEM.PLAIN)", XPC_REFERENCE_NOT_DYNAMIC},
        {"SRC.NAME(FEAT.ITEM.VALUE)", XPC_REFERENCE_FROM_STRING},
        {"SRC.DYN(FEAT.ITEM.VALUE)", XPC_REFERENCE_FROM_DYNAMIC},
    };
    Parsed parsed = Parse(declarations);
    ASSERT_EQ(parsed.m_result, 0u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        m_log.clear();
        xpc::ReferenceList list;
        const std::u16string value(c.value.begin(), c.value.end());
        EXPECT_EQ(xpc::AddReference(*parsed.m_context, list, value), c.code ? xprtest::Severity(c.code) : 0u);
        EXPECT_EQ(m_log.last(), c.code);
        EXPECT_EQ(list && !list->empty(), c.code == 0);
    }
}

// --- Value conversion -----------------------------------------------------------------------------

TEST_F(XpcStructTest, ConvertValueByKind) {
    Parsed parsed = Parse("*MACROS: M\n{\n  ONE: 1\n  RED: RGB(255,0,0)\n}\n");
    ASSERT_EQ(xpc::CollectMacros(*parsed.m_context), 0u);
    struct Case {
        const char* name;
        XprColumnKind kind;
        WORD count;
        std::u16string value;
        std::vector<BYTE> bytes;
        DWORD result;
        DWORD code;
    };
    using K = XprColumnKind;
    const Case cases[] = {
        {"BYTE 300 keeps the low 8 bits", K::BYTE, 1, u"300", {44}, 0, 0},
        {"BYTE -1", K::BYTE, 1, u"-1", {0xFF}, 0, 0},
        {"BYTE far too large saturates first", K::BYTE, 1, u"99999999999", {0xFF}, 0, 0},
        {"BYTE stops at a letter", K::BYTE, 1, u" 12abc", {12}, 0, 0},
        {"BYTE without digits", K::BYTE, 1, u"abc", {0}, 0, 0},
        {"WORD 70000", K::WORD, 1, u"70000", {0x70, 0x11}, 0, 0},
        {"SHORT -2", K::SHORT, 1, u"-2", {0xFE, 0xFF}, 0, 0},
        {"DWORD -1", K::DWORD, 1, u"-1", {0xFF, 0xFF, 0xFF, 0xFF}, 0, 0},
        {"DWORD saturates", K::DWORD, 1, u"4294967296", {0xFF, 0xFF, 0xFF, 0xFF}, 0, 0},
        {"LONG -5", K::LONG, 1, u"-5", {0xFB, 0xFF, 0xFF, 0xFF}, 0, 0},
        {"DWORD64 is a 32-bit value", K::DWORD64, 1, u"5000000000", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, 0, 0},
        {"LONG64 123", K::LONG64, 1, u"123", {123, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
        {"DWORD with a comma", K::DWORD, 1, u"1,2", {1, 0, 0, 0}, 1, XPC_VALUES_DO_NOT_FIT},
        {"DWORD[4] short list", K::DWORD, 4, u"1,2", {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
        {"DWORD[4] long list", K::DWORD, 4, u"1,2,3,4,5", {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0}, 1,
         XPC_VALUES_DO_NOT_FIT},
        {"BYTE[2] of macros", K::BYTE, 2, u"=ONE,=ONE", {1, 1}, 0, 0},
        {"BYTE[2] with an unknown macro", K::BYTE, 2, u"=ONE,=TWO", {1, 0}, 1, XPC_NO_MACRO},
        {"COLORREF", K::COLORREF, 1, u"RGB(255,0,128)", {0xFF, 0x00, 0x80, 0x00}, 0, 0},
        {"COLORREF of a macro", K::COLORREF, 1, u"=RED", {0xFF, 0, 0, 0}, 0, 0},
        {"COLORREF[2]", K::COLORREF, 2, u"RGB(1,2,3),RGB(4,5,6)", {1, 2, 3, 0, 4, 5, 6, 0}, 0, 0},
        {"COLORREF two for one", K::COLORREF, 1, u"RGB(1,2,3),RGB(4,5,6)", {1, 2, 6, 0}, 1, XPC_VALUES_DO_NOT_FIT},
        {"COLORREF without RGB", K::COLORREF, 1, u"12", {0, 0, 0, 0}, 1, 0},
        {"CHAR[8] shorter", K::CHAR, 8, u"ABC", {'A', 0, 'B', 0, 'C', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
        {"CHAR[4] exactly", K::CHAR, 4, u"A,B,", {'A', 0, ',', 0, 'B', 0, ',', 0}, 0, 0},
        {"CHAR[8] too long", K::CHAR, 8, u"ABCDEFGHIJ",
         {'A', 0, 'B', 0, 'C', 0, 'D', 0, 'E', 0, 'F', 0, 'G', 0, 'H', 0}, 1, XPC_VALUES_DO_NOT_FIT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        xpc::ColumnDef column;
        column.m_name = u"F";
        column.m_kind = c.kind;
        column.m_elementSize = static_cast<WORD>(c.bytes.size() / c.count);
        column.m_count = c.count;
        xpc::Entry entry;
        entry.m_keyword = u"*F";
        entry.m_value = c.value;
        std::vector<BYTE> cell(c.bytes.size(), 0);
        EXPECT_EQ(xpc::ConvertValue(*parsed.m_context, column, entry, cell.data(), nullptr), c.result);
        EXPECT_EQ(cell, c.bytes);
        EXPECT_EQ(m_log.last(), c.code);
    }
}

TEST_F(XpcStructTest, StringArraysTakeOneTextPerElement) {
    xpc::Context context;
    xpc::ColumnDef column;
    column.m_name = u"S";
    column.m_kind = XprColumnKind::STRING;
    column.m_elementSize = 8;
    column.m_count = 3;
    xpc::Entry entry;
    entry.m_keyword = u"*S";
    entry.m_value = u"a,,b";
    std::optional<std::u16string> strings[3];
    BYTE cell[24] = {};
    EXPECT_EQ(xpc::ConvertValue(context, column, entry, cell, strings), 0u);
    EXPECT_EQ(strings[0], u"a");
    EXPECT_EQ(strings[1], u"");
    EXPECT_EQ(strings[2], u"b");
}

}  // namespace
}  // namespace xpctest
