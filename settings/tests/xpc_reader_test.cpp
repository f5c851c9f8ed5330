// The description reader: normalisation and entries, case rules, includes, the embedded section,
// the entry lookup and macros.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <palvex/files.h>
#include <palvex/machine.h>

#include "status_log.h"
#include "xpc_fixture.h"

namespace xpctest {
namespace {

using xprtest::StatusLog;
using E = EntryTuple;

class XpcReaderTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
    StatusLog m_log;
};

TEST_F(XpcReaderTest, TextBecomesEntries) {
    struct Case {
        const char* name;
        std::string text;
        bool lenient;
        std::vector<E> entries;
    };
    const Case cases[] = {
        {"keyword and value", "*Key: value\n", false, {{u"*KEY", u"VALUE", 0}}},
        {"blanks outside quotes go", "\t*Key : a b\tc \n", false, {{u"*KEY", u"ABC", 0}}},
        {"quoted value keeps case and blanks", "*Name: \"Hello World\"\n", false, {{u"*NAME", u"Hello World", 0}}},
        {"quotes inside a value go", "*Name: \"a\"b\"c\"\n", false, {{u"*NAME", u"abc", 0}}},
        {"apostrophe keeps case", "*Name: 'abc'\n", false, {{u"*NAME", u"'abc'", 0}}},
        {"macro reference keeps case", "*Size: =dm_a4\n", false, {{u"*SIZE", u"=dm_a4", 0}}},
        {"keyword without star keeps case", "Name: x\n", false, {{u"Name", u"X", 0}}},
        {"comments", "*% a comment\n*A: 1 *% trailing\n", false, {{u"*A", u"1", 0}}},
        {"blank lines", "\n\n*A: 1\n\n\n*B: 2\n", false, {{u"*A", u"1", 0}, {u"*B", u"2", 0}}},
        {"blocks give depths", "*A: 1\n{\n  *B: 2\n  {\n    *C: 3\n  }\n}\n*D: 4\n", false,
         {{u"*A", u"1", 0}, {u"*B", u"2", 1}, {u"*C", u"3", 2}, {u"*D", u"4", 0}}},
        {"braces on one line", "*A: 1 { *B: 2 }\n*C: 3\n", false, {{u"*A", u"1", 0}, {u"*B", u"2", 1}, {u"*C", u"3", 0}}},
        {"a second block of one entry", "*A: 1\n{\n*B: 2\n}\n{\n*C: 3\n}\n", false,
         {{u"*A", u"1", 0}, {u"*B", u"2", 1}, {u"EXTRA", u"TOKEN", 0}, {u"*C", u"3", 1}}},
        {"backslash continues the line", "*A: abc\\\ndef\n", false, {{u"*A", u"ABCDEF", 0}}},
        {"plus joins the previous line", "*A: abc\n+def\n", false, {{u"*A", u"ABCDEF", 0}}},
        {"no line end at the end", "*A: 1", false, {{u"*A", u"1", 0}}},
        {"lenient: a line without colon", "*A\n", true, {{u"*A", u"", 0}}},
        {"lenient: nothing after the colon", "*A:\n", true, {{u"*A", u"", 0}}},
        {"lenient: a quote takes the line", "*A: \"x y\" {z\n", true, {{u"*A", u"x y {z", 0}}},
        {"lenient: a brace on a line without colon", "*A { *B: 1 }\n", true, {{u"*A", u"", 0}, {u"*B", u"1", 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed parsed = Parse(c.text, c.lenient);
        EXPECT_EQ(parsed.m_result, 0u);
        EXPECT_EQ(Entries(*parsed.m_context), c.entries);
    }
}

TEST_F(XpcReaderTest, MalformedTextGetsAStatusCode) {
    struct Case {
        const char* name;
        std::string text;
        DWORD code;
    };
    const Case cases[] = {
        {"line without colon", "*A\n", XPC_SYNTAX_MISSING_COLON},
        {"nothing after the colon", "*A:\n", XPC_SYNTAX_NO_TOKEN_VALUE},
        {"value ending in a star", "*A: 1*\n", XPC_SYNTAX_NO_VALUE},
        {"value ending in a minus", "*A: -\n", XPC_SYNTAX_NO_VALUE},
        {"value ending in a slash", "*A: a/\n", XPC_SYNTAX_NO_VALUE},
        {"closing brace first", "}\n", XPC_SYNTAX_BAD_END},
        {"one brace too many", "*A: 1\n{\n}\n}\n", XPC_SYNTAX_BAD_END},
        {"brace right after the colon", "*A: {\n*B: 1\n}\n", XPC_SYNTAX_NO_VALUE_BRACE},
        {"brace on a line without colon", "*A {\n}\n", XPC_SYNTAX_MISSING_COLON},
        {"quote broken by the line end", "*A: \"abc\n\"\n", XPC_SYNTAX_MISSING_COLON},
        {"quote broken by a brace", "*A: \"ab{c\"\n", XPC_SYNTAX_MISSING_COLON},
        {"text ends inside a quote", "*A: \"abc", XPC_SYNTAX_END_OF_FILE},
        {"text ends inside a comment", std::string("*A: 1\r\n*% no line end"), XPC_SYNTAX_END_OF_FILE},
        {"block left open", "*A: 1\n{\n*B: 2\n", XPC_SYNTAX_NO_END},
        {"empty keyword", ":value\n", XPC_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        Parsed parsed = Parse(c.text);
        EXPECT_EQ(parsed.m_result, xprtest::Severity(c.code));
        EXPECT_EQ(m_log.last(), c.code);
    }
}

TEST_F(XpcReaderTest, EveryCutOfATextIsReadOrRefusedWithItsReason) {
    const std::string text = Crlf(
        "*XPDSTRUCT: DEMO\n{\n  *FIELD: LEVEL\n  {\n    *FIELDTYPE: DWORD\n  }\n}\n*DEMO: \"A b\"\n{\n  *LEVEL: 7 *% seven\n}\n");
    // Every cut is read, or refused as an error with a status that says why; none crashes.
    for (size_t length = 0; length <= text.size(); ++length) {
        SCOPED_TRACE(length);
        xpc::Context context;
        m_log.clear();
        const DWORD result = xpc::ParseText(context, std::string_view(text).substr(0, length), false, u"t.xpd", 1);
        if (result == 0) {
            EXPECT_EQ(m_log.last(), 0u);
        } else {
            EXPECT_EQ(result, KIT_SEVERITY_ERROR);
            EXPECT_EQ(result, xprtest::Severity(m_log.last()));
        }
    }
    // What some cuts say, by where the text stops.
    struct Cut {
        const char* endsWith;
        DWORD code;
    };
    const Cut cuts[] = {
        {"*", XPC_SYNTAX_NO_VALUE},
        {"*XPDSTR", XPC_SYNTAX_MISSING_COLON},
        {"*XPDSTRUCT:", XPC_SYNTAX_NO_TOKEN_VALUE},
        {"*XPDSTRUCT: D", 0},
        {"DEMO\r\n{", XPC_SYNTAX_NO_END},
        {"*FIELDTYPE: DWORD\r\n  }\r\n", XPC_SYNTAX_NO_END},
        {"}\r\n}\r\n", 0},
        {"*DEMO: \"A", XPC_SYNTAX_END_OF_FILE},
        {"*LEVEL: 7 *% se", XPC_SYNTAX_END_OF_FILE},
        {"seven\r\n}\r\n", 0},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.endsWith);
        const size_t at = text.find(cut.endsWith);
        ASSERT_NE(at, std::string::npos);
        xpc::Context context;
        m_log.clear();
        const DWORD result =
            xpc::ParseText(context, std::string_view(text).substr(0, at + std::strlen(cut.endsWith)), false, u"t.xpd", 1);
        EXPECT_EQ(result, xprtest::Severity(cut.code));
        EXPECT_EQ(m_log.last(), cut.code);
    }
}

TEST_F(XpcReaderTest, ShiftJisTrailBytesAreText) {
    // 表 is 95 5C (its second byte looks like '\'), ボ is 83 7B (like '{').
    Parsed parsed = Parse("*Text: \"\x95\x5C\x83\x7B\"\n*Plain: \x95\x5C\n*Next: 1\n");
    ASSERT_EQ(parsed.m_result, 0u);
    EXPECT_EQ(Entries(*parsed.m_context),
              (std::vector<E>{{u"*TEXT", u"\u8868\u30DC", 0}, {u"*PLAIN", u"\u8868", 0}, {u"*NEXT", u"1", 0}}));
}

// --- Sources and includes -------------------------------------------------------------------------

TEST_F(XpcReaderTest, IncludesAreReadOnceInListOrder) {
    WriteMachineFile(DriverFile(u"MAIN.XPD"), Crlf("*A: main\n*INCLUDE: first\n*INCLUDE: \"Second.xpd\"\n"));
    WriteMachineFile(DriverFile(u"first.xpd"), Crlf("*B: first\n*INCLUDE: third\n*INCLUDE: FIRST\n"));
    WriteMachineFile(DriverFile(u"second.XPD"), Crlf("*C: second\n*INCLUDE: missing\n"));
    WriteMachineFile(DriverFile(u"third.xpd"), Crlf("*D: third\n"));
    xpc::Context context;
    EXPECT_EQ(xpc::ReadXpdFile(context, DriverFile(u"MAIN.XPD"), false, nullptr), KIT_SEVERITY_WARNING);
    EXPECT_EQ(Entries(context),
              (std::vector<E>{{u"*A", u"MAIN", 0},
                              {u"*INCLUDE", u"FIRST", 0},
                              {u"*INCLUDE", u"Second.xpd", 0},
                              {u"*B", u"FIRST", 0},
                              {u"*INCLUDE", u"THIRD", 0},
                              {u"*INCLUDE", u"FIRST", 0},
                              {u"*C", u"SECOND", 0},
                              {u"*INCLUDE", u"MISSING", 0},
                              {u"*D", u"THIRD", 0}}));
    const std::u16string folder = u"c:\\windows\\system32\\spool\\drivers\\x64\\3\\";
    EXPECT_EQ(context.m_files, (std::vector<std::u16string>{folder + u"main.xpd", folder + u"first.xpd",
                                                            folder + u"second.xpd", folder + u"third.xpd"}));
    // The second include of FIRST is skipped with a warning; the missing .XPD file silently.
    EXPECT_EQ(std::count(m_log.codes().begin(), m_log.codes().end(), XPC_INCLUDED_TWICE), 1);
    EXPECT_EQ(std::count(m_log.codes().begin(), m_log.codes().end(), XPC_FILE_MISSING), 0);
}

TEST_F(XpcReaderTest, IncludeNamesAndTheirFolders) {
    struct Case {
        std::u16string name;
        std::u16string path;
    };
    const Case cases[] = {
        {u"common", u"c:\\windows\\system32\\spool\\drivers\\x64\\3\\common.xpd"},
        {u"\"Common.GPD\"", u"c:\\windows\\system32\\spool\\drivers\\x64\\3\\common.gpd"},
        {u"[SYSDIR]\\Extra", u"c:\\windows\\system32\\extra.xpd"},
        {u"[windir]\\inf\\x.xpd", u"c:\\windows\\inf\\x.xpd"},
        {u"[PRINTPROCDIR]\\p.xpd", u"c:\\windows\\system32\\spool\\prtprocs\\x64\\p.xpd"},
        {u"D:\\Dir.v2\\File", u"d:\\dir.v2\\file.xpd"},
    };
    for (const auto& c : cases) EXPECT_EQ(xpc::IncludePath(c.name), c.path) << std::string(c.name.begin(), c.name.end());
}

TEST_F(XpcReaderTest, MissingFilesOfOtherKindsStopTheRead) {
    WriteMachineFile(DriverFile(u"main.xpd"), Crlf("*A: 1\n*INCLUDE: notes.txt\n*INCLUDE: after\n"));
    WriteMachineFile(DriverFile(u"after.xpd"), Crlf("*B: 1\n"));
    xpc::Context context;
    EXPECT_EQ(xpc::ReadXpdFile(context, DriverFile(u"main.xpd"), false, nullptr), KIT_SEVERITY_ERROR);
    EXPECT_EQ(m_log.last(), XPC_FILE_MISSING);
    EXPECT_EQ(context.m_files.size(), 1u);
}

TEST_F(XpcReaderTest, FileProblemsGetStatusCodes) {
    WriteMachineFile(DriverFile(u"empty.xpd"), "");
    WriteMachineFile(DriverFile(u"bad.xpd"), Crlf("*A: 1\n}\n"));
    WriteMachineFile(DriverFile(u"busy.xpd"), Crlf("*A: 1\n"));
    WriteMachineFile(DriverFile(u"incl.xpd"), Crlf("*A: 1\n*INCLUDE: empty\n"));
    palvex::HoldFileOpen(DriverFile(u"busy.xpd"), 0);
    struct Case {
        const char16_t* file;
        DWORD code;
    };
    const Case cases[] = {
        {u"empty.xpd", XPC_NO_SOURCE},   // nothing read at all
        {u"incl.xpd", XPC_EMPTY_FILE},   // an empty include: a warning
        {u"bad.xpd", XPC_SYNTAX_BAD_END},
        {u"busy.xpd", XPC_CANNOT_OPEN},
        {u"gone.gpd", XPC_FILE_MISSING},
    };
    for (const auto& c : cases) {
        m_log.clear();
        xpc::Context context;
        EXPECT_EQ(xpc::ReadXpdFile(context, DriverFile(c.file), false, nullptr), xprtest::Severity(c.code));
        EXPECT_EQ(m_log.last(), c.code);
    }
}

TEST_F(XpcReaderTest, EmbeddedSectionOfTheDataFile) {
    const std::string gpd = Crlf(
        "*GPDSpecVersion: \"1.0\"\n"
        "*% XPD BEGIN - DO NOT REMOVE THIS TAG\n"
        "*IgnoreBlock\n"
        "{\n"
        "*A: inside\n"
        "{\n"
        "*B: nested\n"
        "}\n"
        "}\n"
        "*% XPD END - DO NOT REMOVE THIS TAG\n"
        "*Feature: InputBin\n");
    WriteMachineFile(DriverFile(u"model.gpd"), gpd);
    xpc::Context context;
    EXPECT_EQ(xpc::ReadXpdFile(context, DriverFile(u"model.gpd"), true, nullptr), 0u);
    EXPECT_EQ(Entries(context), (std::vector<E>{{u"*A", u"INSIDE", 0}, {u"*B", u"NESTED", 1}}));

    // Without the tags the whole file is read; as an include (not embedded) a .gpd file is read
    // in GPD syntax.
    WriteMachineFile(DriverFile(u"plain.gpd"), Crlf("*A: whole\n*Lenient\n"));
    xpc::Context whole;
    EXPECT_EQ(xpc::ReadXpdFile(whole, DriverFile(u"plain.gpd"), false, nullptr), 0u);
    EXPECT_EQ(Entries(whole), (std::vector<E>{{u"*A", u"WHOLE", 0}, {u"*LENIENT", u"", 0}}));
    xpc::Context strict;
    EXPECT_EQ(xpc::ReadXpdFile(strict, DriverFile(u"plain.gpd"), true, nullptr), KIT_SEVERITY_ERROR);
    EXPECT_EQ(m_log.last(), XPC_SYNTAX_MISSING_COLON);
}

TEST_F(XpcReaderTest, EmbeddedSectionNeedsEveryPiece) {
    const std::string begin = "*% XPD BEGIN - DO NOT REMOVE THIS TAG\r\n";
    const std::string end = "*% XPD END - DO NOT REMOVE THIS TAG\r\n";
    struct Case {
        const char* name;
        std::string text;
        std::string section;  // empty: the whole text
        DWORD firstLine;
    };
    const Case cases[] = {
        {"tags, block and line ends", "*A: 1\r\n" + begin + "*IgnoreBlock\r\n{\r\n*B: 2\r\n}\r\n" + end, "*B: 2\r\n", 5},
        {"the brace on the block's line", begin + "*IgnoreBlock {\r\n*B: 2\r\n}\r\n}\r\n" + end, "*B: 2\r\n}\r\n", 3},
        {"no begin tag", "*IgnoreBlock\r\n{\r\n*B: 2\r\n}\r\n" + end, "", 1},
        {"no *IgnoreBlock", begin + "{\r\n*B: 2\r\n}\r\n" + end, "", 1},
        {"no brace", begin + "*IgnoreBlock\r\n*B: 2\r\n" + end, "", 1},
        {"no CR LF after the brace", begin + "*IgnoreBlock\r\n{", "", 1},
        {"no end tag", begin + "*IgnoreBlock\r\n{\r\n*B: 2\r\n}\r\n", "", 1},
        {"no closing brace", begin + "*IgnoreBlock\r\n{\r\n*B: 2\r\n" + end, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD firstLine = 0;
        const std::string_view section = xpc::EmbeddedSection(c.text, &firstLine);
        EXPECT_EQ(section, c.section.empty() ? c.text : c.section);
        EXPECT_EQ(firstLine, c.firstLine);
    }
}

// --- Entry lookup -----------------------------------------------------------------------------------

class XpcLookupTest : public XpcReaderTest {
protected:
    void SetUp() override {
        m_parsed = Parse(
            "*S: one\n{\n  *F: a\n  {\n    *T: x\n  }\n  *F: b\n}\n"
            "*S: two\n{\n  *F: c\n}\n"
            "*G: g\n");
        ASSERT_EQ(m_parsed.m_result, 0u);
    }
    xpc::Context& context() { return *m_parsed.m_context; }
    static std::u16string ValueOf(const xpc::Entry* entry) { return entry ? entry->m_value : u"(none)"; }
    Parsed m_parsed;
};

TEST_F(XpcLookupTest, OneLookupsAndIterations) {
    xpc::Context& c = context();
    EXPECT_EQ(ValueOf(xpc::FindEntry(c, u"*F", -1, nullptr, 0)), u"A");
    const std::u16string c2 = u"C";
    EXPECT_EQ(ValueOf(xpc::FindEntry(c, u"*F", 1, &c2, 0)), u"(none)");  // from the head, depth 0 ends it at once
    EXPECT_EQ(ValueOf(xpc::FindEntry(c, u"", 0, nullptr, 0)), u"ONE");

    // Iterating the top-level sections; inside each, its fields.
    std::vector<std::u16string> seen;
    while (const xpc::Entry* section = xpc::FindEntry(c, u"*S", 0, nullptr, 1)) {
        seen.push_back(section->m_value);
        EXPECT_EQ(ValueOf(xpc::FindEntry(c, u"*F", 1, nullptr, 0)), section->m_value == u"ONE" ? u"A" : u"C");
        while (const xpc::Entry* field = xpc::FindEntry(c, u"*F", 1, nullptr, 1)) {
            seen.push_back(field->m_value);
            EXPECT_EQ(ValueOf(xpc::FindEntry(c, u"*T", 2, nullptr, 0)), field->m_value == u"A" ? u"X" : u"(none)");
        }
    }
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"ONE", u"A", u"B", u"TWO", u"C"}));
    EXPECT_TRUE(c.m_searches.empty());
}

TEST_F(XpcLookupTest, SharedScanReachesEntriesAppendedMeanwhile) {
    xpc::Context& c = context();
    std::vector<std::u16string> seen;
    // The outer and the nested loop share one scan; entries appended while it runs are reached.
    while (const xpc::Entry* outer = xpc::FindEntry(c, u"*F", -1, nullptr, 2)) {
        seen.push_back(outer->m_value);
        if (outer->m_value == u"A") c.m_entries.Append(u"*F", u"APPENDED", 0);
        while (const xpc::Entry* inner = xpc::FindEntry(c, u"*F", -1, nullptr, 2)) seen.push_back(inner->m_value);
    }
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"A", u"B", u"C", u"APPENDED"}));
    EXPECT_EQ(xpc::FindEntry(c, u"*F", -1, nullptr, 2), nullptr);  // each entry once per compile
}

TEST_F(XpcLookupTest, NestedSearchesAreLimited) {
    xpc::Context& c = context();
    for (int i = 0; i < 32; ++i) {
        const std::u16string keyword = u"*K" + std::u16string(1, static_cast<char16_t>(u'A' + i));
        c.m_entries.Append(keyword, u"V", 0);
    }
    for (int i = 0; i < 32; ++i) {
        const std::u16string keyword = u"*K" + std::u16string(1, static_cast<char16_t>(u'A' + i));
        ASSERT_NE(xpc::FindEntry(c, keyword, -1, nullptr, 1), nullptr);
    }
    EXPECT_EQ(xpc::FindEntry(c, u"*G", -1, nullptr, 1), nullptr);
    EXPECT_EQ(m_log.last(), XPC_NO_SEARCH_SLOTS);
}

// --- Prelude and macros ----------------------------------------------------------------------------

TEST_F(XpcReaderTest, PreludeHoldsTheConstantsAndKitStructures) {
    const auto& prelude = xpc::Prelude();
    ASSERT_EQ(prelude.size(), 510u);
    EXPECT_EQ(prelude[0].m_keyword, u"*MACROS");
    EXPECT_EQ(prelude[0].m_value, u"CONSTANTS");
    size_t constants = 0;
    while (1 + constants < prelude.size() && prelude[1 + constants].m_depth == 1) ++constants;
    EXPECT_EQ(constants, 223u);

    std::vector<std::pair<std::u16string, int>> structures;
    size_t fields = 0, types = 0, sizes = 0, quiet = 0, forceWrite = 0;
    for (const auto& record : prelude) {
        if (record.m_keyword == u"*XPDSTRUCT") structures.emplace_back(record.m_value, record.m_depth);
        fields += record.m_keyword == u"*FIELD";
        types += record.m_keyword == u"*FIELDTYPE";
        sizes += record.m_keyword == u"*ARRAYSIZE";
        quiet += record.m_keyword == u"*WARNWHENEMPTY";
        forceWrite += record.m_keyword == u"*FORCEWRITE";
    }
    EXPECT_EQ(structures, (std::vector<std::pair<std::u16string, int>>{
                              {u"UIPINFO", 0}, {u"SHEET", 1}, {u"PRNINFO", 0}, {u"REGINFO", 0}, {u"REGENTRY", 1},
                              {u"DOCUMENTFEATURE", 0}, {u"OPTION", 1}, {u"PRINTERFEATURE", 0}, {u"OPTION", 1},
                              {u"OEMDEVMODE", 0}, {u"PRINTERSETTINGS", 0}}));
    // Fields: UIPINFO 5 + SHEET 3, PRNINFO 2, REGINFO 1 + REGENTRY 3, two features of 11 with
    // OPTION's 10, OEMDEVMODE 31, PRINTERSETTINGS 11.
    EXPECT_EQ(fields, 8u + 2 + 4 + 2 * 21 + 31 + 11);
    EXPECT_EQ(types, fields);
    EXPECT_EQ(sizes, 8u);     // _MASTERUNITS, _PAGEMARGINS, two CHAR[64], four reserves
    EXPECT_EQ(quiet, 67u);    // every field that does not warn
    EXPECT_EQ(forceWrite, 4u);
    EXPECT_EQ(1 + constants + structures.size() + forceWrite + fields + types + sizes + quiet, 510u);
}

TEST_F(XpcReaderTest, ConstantsAreMacros) {
    xpc::Context context;
    xpc::AppendPrelude(context.m_entries);
    ASSERT_EQ(xpc::CollectMacros(context), 0u);
    EXPECT_EQ(context.m_macros.size(), 223u);
    struct Case {
        const char16_t* value;
        const char16_t* text;
    };
    const Case cases[] = {
        {u"=DM_MEDIASIZE_A4", u"9"},
        {u"=DM_MEDIASIZE_LETTER", u"1"},
        {u"=DM_MEDIASIZE_RESERVED_48", u"48"},
        {u"=DM_MEDIASIZE_PENV_10_ROTATED", u"118"},
        {u"=DM_MEDIASOURCE_ONLYONE", u"1"},
        {u"=DM_MEDIASOURCE_UPPER", u"1"},
        {u"=DM_MEDIASOURCE_FORMSOURCE", u"15"},
        {u"=DMPUB_USECTRLID", u"65535"},
        {u"=CPSUI_DOC_PRNFEATURES", u"2147484667"},
        {u"=PST_WMKMODE_TTDOWNLOAD", u"2"},
        {u"=PDLTYPE_PCL6_COLOR", u"52"},
        {u"plain", u"plain"},
    };
    for (const auto& c : cases) {
        std::u16string text;
        EXPECT_EQ(xpc::TranslateValue(context, u"*X", c.value, &text), 0u);
        EXPECT_EQ(text, c.text);
    }
    std::u16string text;
    EXPECT_EQ(xpc::TranslateValue(context, u"*X", u"=dm_mediasize_a4", &text), KIT_SEVERITY_WARNING);
    EXPECT_EQ(m_log.last(), XPC_NO_MACRO);
    EXPECT_EQ(text, u"=dm_mediasize_a4");
}

TEST_F(XpcReaderTest, SourceMacrosComeAfterThePrelude) {
    Parsed parsed = Parse("*MACROS: MINE\n{\n  LIMIT: 40\n  DM_MEDIASIZE_A4: 99\n  *Star: \"x\"\n  {\n    DEEP: 1\n  }\n}\n");
    ASSERT_EQ(parsed.m_result, 0u);
    ASSERT_EQ(xpc::CollectMacros(*parsed.m_context), 0u);
    EXPECT_EQ(parsed.m_context->m_macros,
              (std::vector<std::pair<std::u16string, std::u16string>>{
                  {u"LIMIT", u"40"}, {u"DM_MEDIASIZE_A4", u"99"}, {u"*STAR", u"x"}}));
}

}  // namespace
}  // namespace xpctest
