// Edits of the description by Windows version, and strings from resource libraries.
#include <gtest/gtest.h>

#include <filesystem>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <palvex/paths.h>

#include "status_log.h"
#include "xpc_fixture.h"

namespace xpctest {
namespace {

using xprtest::StatusLog;
using E = EntryTuple;

void SetSystem(DWORD major, DWORD minor, DWORD platform = VER_PLATFORM_WIN32_NT) {
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.majorVersion = major;
    profile.minorVersion = minor;
    profile.platformId = platform;
    palvex::SetOsProfile(profile);
}

void SetLanguages(LANGID user, LANGID system) {
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.userUILanguage = user;
    profile.systemUILanguage = system;
    palvex::SetOsProfile(profile);
}

class XpcEditsTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
    StatusLog m_log;
};

const char kEdited[] =
    "*OPTION: A4\n"
    "{\n"
    "    *NAME: a4\n"
    "}\n"
    "*OPTION: A3\n"
    "*OPTION: B5\n"
    "*EXCLUDE: WINXP\n"
    "{\n"
    "    *EXCLUDEOPTION: X1\n"
    "    {\n"
    "        *EXCLUDETYPE: OPTION\n"
    "        *EXCLUDENAME: A4\n"
    "    }\n"
    "    *EXCLUDEOPTION: INCOMPLETE\n"
    "    {\n"
    "        *EXCLUDETYPE: OPTION\n"
    "    }\n"
    "}\n"
    "*EXCLUDE: 32BIT\n"
    "{\n"
    "    *EXCLUDEOPTION: X2\n"
    "    {\n"
    "        *EXCLUDETYPE: *OPTION\n"
    "        *EXCLUDENAME: B5\n"
    "    }\n"
    "}\n"
    "*EXCLUDE: ALL\n"
    "{\n"
    "    *EXCLUDEOPTION: X3\n"
    "    {\n"
    "        *EXCLUDETYPE: OPTION\n"
    "        *EXCLUDENAME: A3\n"
    "    }\n"
    "}\n"
    "*INJECTION: WIN7\n"
    "{\n"
    "    *INJECTOPTION: I1\n"
    "    {\n"
    "        *KEY: OPTION\n"
    "        *VALUE: A4\n"
    "        *INJECTINFO: NEW\n"
    "        {\n"
    "            *A: 1\n"
    "            *B: 2\n"
    "            {\n"
    "                *C: 3\n"
    "            }\n"
    "            *NAME: a4\n"
    "            {\n"
    "                *MERGED: yes\n"
    "            }\n"
    "        }\n"
    "    }\n"
    "    *INJECTOPTION: NOTARGET\n"
    "    {\n"
    "        *KEY: OPTION\n"
    "        *VALUE: LETTER\n"
    "        *INJECTINFO: LOST\n"
    "        {\n"
    "            *D: 4\n"
    "        }\n"
    "    }\n"
    "}\n";

// The entries after the edits of the running system.
std::vector<E> Edited(DWORD* exclusions, DWORD* injections) {
    Parsed parsed = Parse(kEdited);
    EXPECT_EQ(parsed.m_result, 0u);
    *exclusions = xpc::ApplyExclusions(*parsed.m_context);
    *injections = xpc::ApplyInjections(*parsed.m_context);
    return Entries(*parsed.m_context);
}

TEST_F(XpcEditsTest, ExclusionsAndInjectionsFollowTheWindowsVersion) {
    struct Case {
        const char* name;
        DWORD major, minor;
        std::vector<E> first;  // the first entries after the edits
        std::vector<DWORD> codes;
    };
    const E a4{u"*OPTION", u"A4", 0}, xa4{u"xOPTION", u"A4", 0}, name{u"*NAME", u"A4", 1};
    const E a3{u"*OPTION", u"A3", 0}, xa3{u"xOPTION", u"A3", 0}, b5{u"*OPTION", u"B5", 0}, xb5{u"xOPTION", u"B5", 0};
    const E exclude{u"*EXCLUDE", u"WINXP", 0};
    const Case cases[] = {
        {"Windows XP: its own, 32BIT and ALL exclusions", 5, 1, {xa4, name, xa3, xb5, exclude}, {}},
        {"Windows 7: exclusions for all, and its injection",
         6,
         1,
         {a4, {u"*B", u"2", 1}, {u"*C", u"3", 2}, {u"*A", u"1", 1}, name, {u"*MERGED", u"YES", 2}, xa3, xb5},
         {}},
        {"Windows 2000 is known", 5, 0, {a4, name, xa3, xb5}, {}},
        {"Windows 10: nothing applies", 10, 0, {a4, name, a3, b5}, {XPC_UNKNOWN_OS_EXCLUDE, XPC_UNKNOWN_OS_INJECT}},
        {"Windows 6.2: nothing applies", 6, 2, {a4, name, a3, b5}, {XPC_UNKNOWN_OS_EXCLUDE, XPC_UNKNOWN_OS_INJECT}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetSystem(c.major, c.minor);
        m_log.clear();
        DWORD exclusions = 0, injections = 0;
        std::vector<E> entries = Edited(&exclusions, &injections);
        entries.resize(c.first.size());
        EXPECT_EQ(entries, c.first);
        EXPECT_EQ(m_log.codes(), c.codes);
        EXPECT_EQ(exclusions, c.codes.empty() ? 0u : 1u);
        EXPECT_EQ(injections, c.codes.empty() ? 0u : 1u);
    }
    SetSystem(5, 1, 1);  // not an NT system
    m_log.clear();
    DWORD exclusions = 0, injections = 0;
    Edited(&exclusions, &injections);
    EXPECT_EQ(m_log.codes(), (std::vector<DWORD>{XPC_UNKNOWN_OS_EXCLUDE, XPC_UNKNOWN_OS_INJECT}));
}

TEST_F(XpcEditsTest, AnExcludedEntryIsFoundNoMore) {
    SetSystem(5, 1);
    Parsed parsed = Parse(kEdited);
    ASSERT_EQ(xpc::ApplyExclusions(*parsed.m_context), 0u);
    const xpc::EntryList& list = parsed.m_context->m_entries;
    const std::u16string a4 = u"A4";
    EXPECT_EQ(xpc::FindIn(list, nullptr, u"*OPTION", 0, &a4), nullptr);
    EXPECT_EQ(xpc::FindIn(list, nullptr, u"*OPTION", 0), nullptr);  // A3 and B5 too (by ALL and 32BIT)
    EXPECT_NE(xpc::FindIn(list, nullptr, u"xOPTION", 0, &a4), nullptr);
}

// --- Resource libraries ----------------------------------------------------------------------------

class XpcResourceTest : public XpcEditsTest {
protected:
    void SetUp() override {
        for (const char* file : {"palvexurs.dll", "other.dll"}) {
            const std::filesystem::path target = palvex::HostPath(DriverFile(std::u16string(file, file + strlen(file))));
            std::filesystem::create_directories(target.parent_path());
            std::filesystem::copy_file(std::filesystem::path(XPC_TEST_RESOURCE_DIR) / file, target);
        }
    }
    // A context whose entries are text, with its macros and resource libraries loaded.
    std::unique_ptr<xpc::Context> Load(const std::string& text, DWORD expected = 0) {
        Parsed parsed = Parse(text);
        EXPECT_EQ(parsed.m_result, 0u);
        EXPECT_EQ(xpc::CollectMacros(*parsed.m_context), expected);
        return std::move(parsed.m_context);
    }
    static std::u16string Translate(xpc::Context& context, const std::u16string& keyword, const std::u16string& value,
                                    DWORD* result) {
        std::u16string text;
        *result = xpc::TranslateValue(context, keyword, value, &text);
        return text;
    }
};

TEST_F(XpcResourceTest, StringsFollowTheLibrarysLanguageOrder) {
    struct Case {
        const char* name;
        LANGID user, system;
        const char* ini;  // UIPLANG of the library's ini file, or none
        std::u16string value;
        std::u16string text;
        DWORD code;
    };
    const Case cases[] = {
        {"the ini's UIPLANG first", 1041, 1041, "1031", u"RES1.100", u"Hallo", 0},
        {"UIPLANG 0 counts as none", 1041, 1033, "0", u"RES1.100", u"\u3053\u3093\u306b\u3061\u306f", 0},
        {"then the user's language", 1041, 1033, nullptr, u"RES1.100", u"\u3053\u3093\u306b\u3061\u306f", 0},
        {"then the system's", 1036, 1033, nullptr, u"RES1.100", u"Hello", 0},
        {"then the library's translation", 1036, 1036, nullptr, u"RES1.100", u"Hallo", 0},
        {"then neutral, which falls back to any language", 1036, 1033, nullptr, u"RES1.200",
         u"\u65e5\u672c\u8a9e\u3060\u3051", 0},
        {"the first language with the block decides", 1041, 1033, nullptr, u"RES1.101", u"RES1.101", XPC_NO_STRING},
        {"the second library by its alias", 1041, 1041, nullptr, u"RES2.300", u"Other library", 0},
        {"a string the library lacks", 1041, 1041, nullptr, u"RES2.999", u"RES2.999", XPC_NO_STRING},
        {"an alias no library has stays text", 1041, 1041, nullptr, u"1.5", u"1.5", 0},
        {"a version number stays text", 1041, 1041, nullptr, u"V2.0", u"V2.0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLanguages(c.user, c.system);
        const std::u16string ini = DriverFile(u"palvex.ini");
        if (c.ini) {
            WriteMachineFile(ini, Crlf(std::string("[UIPSETTINGS]\nUIPLANG=") + c.ini + "\n"));
        } else {
            std::filesystem::remove(palvex::HostPath(ini));
        }
        auto context = Load("*RESOURCEDLL: palvexurs.dll\n*RESOURCEDLL: other.dll\n");
        m_log.clear();
        DWORD result = 0;
        EXPECT_EQ(Translate(*context, u"*CAPTION", c.value, &result), c.text);
        EXPECT_EQ(result, c.code ? xprtest::Severity(c.code) : 0u);
        EXPECT_EQ(m_log.last(), c.code);
    }
}

TEST_F(XpcResourceTest, AliasesAndBareIds) {
    SetLanguages(1033, 1033);
    auto context = Load(
        "*RESOURCEDLL: other.dll\n"
        "*RESOURCEDLL: palvexurs.dll\n{\n    *ALIAS: MINE\n}\n"
        "*RESOURCEDLL: other.dll\n{\n    *ALIAS: \"A.B\"\n}\n"
        "*RESOURCEDLL: other.dll\n"
        "*FEATURE: RESDLL\n{\n    *OPTION: JP\n    {\n        *NAME: palvexurs.dll\n    }\n"
        "    *OPTION: NONAME\n}\n");
    std::vector<std::u16string> aliases;
    for (const auto& dll : context->m_resources.m_dlls) aliases.push_back(dll.m_alias);
    EXPECT_EQ(aliases, (std::vector<std::u16string>{u"RES1.", u"MINE.", u"A.B", u"RES4.", u"RESDLL.JP."}));

    struct Case {
        std::u16string keyword, value, text;
        DWORD code;
    };
    const Case cases[] = {
        {u"*CAPTION", u"MINE.100", u"Hello", 0},
        {u"*CAPTION", u"A.B300", u"A.B300", 0},  // an alias not ending in '.' is never named
        {u"*CAPTION", u"RESDLL.JP.101", u"English only", 0},
        {u"*CAPTION", u"=X", u"=X", XPC_NO_MACRO},
        {u"*RCNAMEID", u"100", u"Other hello", 0},      // the first library that has it
        {u"*RCNAMEID", u"101", u"English only", 0},
        {u"*RCNAMEID", u"555", u"555", XPC_NO_STRING_ANYWHERE},
        {u"*RCNAMEID", u"0100", u"0100", 0},           // not a plain number
        {u"*CAPTION", u"100", u"100", 0},              // bare ids only for "*RC..." keywords
    };
    for (const auto& c : cases) {
        m_log.clear();
        DWORD result = 0;
        EXPECT_EQ(Translate(*context, c.keyword, c.value, &result), c.text);
        EXPECT_EQ(m_log.last(), c.code);
    }
}

TEST_F(XpcResourceTest, ALibraryThatCannotBeLoadedStopsTheRead) {
    Load("*RESOURCEDLL: missing.dll\n", KIT_SEVERITY_ERROR);
    EXPECT_EQ(m_log.last(), XPC_BAD_RESOURCE_FILE);
    WriteMachineFile(DriverFile(u"broken.dll"), "MZ not really");
    m_log.clear();
    Load("*RESOURCEDLL: broken.dll\n", KIT_SEVERITY_ERROR);
    EXPECT_EQ(m_log.last(), XPC_BAD_RESOURCE_FILE);
}

TEST_F(XpcResourceTest, ResourceStringsReachTheRows) {
    SetLanguages(1041, 1041);
    auto context = Load(
        "*RESOURCEDLL: other.dll\n"
        "*XPDSTRUCT: S\n{\n *FIELD: CAPTION\n { *FIELDTYPE: STRING }\n *FIELD: TEXT\n {\n  *FIELDTYPE: CHAR\n"
        "  *ARRAYSIZE: 16\n }\n}\n"
        "*S: ONE\n{\n *CAPTION: RES1.300\n *TEXT: RES1.100\n}\n");
    auto filled = Fill(*context, u"S");
    ASSERT_EQ(filled->m_filled, 0u);
    EXPECT_EQ(filled->m_def.m_cells[0].m_strings[1], u"Other library");
    EXPECT_EQ(PeekText(filled->m_def.m_rows, 16), u"Other hello");
}

}  // namespace
}  // namespace xpctest
