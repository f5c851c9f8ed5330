// The language order of the resource provider and the strings it finds by it.
#include <gtest/gtest.h>

#include <palvex/message_box.h>

#include "coresources_fixture.h"

namespace coresources_test {
namespace {

#include "data/resources/test_ids.h"

struct LanguageCase {
    const char* name;
    UINT uipLang;  // 0: no UIPLANG in the ini
    LANGID user;
    LANGID system;
    DWORD id;
    std::u16string expected;
};

class LanguageFallback : public ResourcesFixture, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageFallback, FirstLanguageAndModuleThatHoldsTheString) {
    const LanguageCase& c = GetParam();
    SetLanguages(c.user, c.system);
    PutDriverFile(TestLibrary(), u"TESTRES.DLL");
    PutIni(u"TOVQEB.INI", c.uipLang ? "[UIPSETTINGS]\r\nUIPLANG=" + std::to_string(c.uipLang) + "\r\n" : "[OTHER]\r\n");
    Install(StandardFiles());
    CoResources* resources = Make();
    ASSERT_NE(resources, nullptr);
    WCHAR text[64];
    ASSERT_EQ(resources->LoadString(c.id, text, 64), S_OK);
    EXPECT_EQ(std::u16string(text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageFallback,
    ::testing::Values(
        LanguageCase{"JapaneseUser", 0, 1041, 1041, IDS_BOTH_LANGUAGES, u"日本語の文字列"},
        LanguageCase{"EnglishUserOnJapaneseSystem", 0, 1033, 1041, IDS_BOTH_LANGUAGES, u"English string"},
        LanguageCase{"UipLangBeforeUser", 1033, 1041, 1041, IDS_BOTH_LANGUAGES, u"English string"},
        LanguageCase{"UipLangWithoutTheStringFallsToUser", 1031, 1041, 1041, IDS_BOTH_LANGUAGES, u"日本語の文字列"},
        LanguageCase{"OnlyInEnglish", 0, 1041, 1041, IDS_ENGLISH_ONLY, u"Only in English"},
        LanguageCase{"UserWithoutTranslationGetsSystem", 0, 1036, 1041, IDS_BOTH_LANGUAGES, u"日本語の文字列"},
        LanguageCase{"ThenEnglish", 0, 1036, 1036, IDS_BOTH_LANGUAGES, u"English string"},
        LanguageCase{"ThenTheLibrarysOwnLanguages", 0, 1036, 1036, IDS_GERMAN_ONLY, u"Nur Deutsch"},
        // The library's block holds the id with an empty entry; the plug-in's module has it.
        LanguageCase{"OwnModuleAfterLibrarysEmptyEntry", 0, 1041, 1041, IDS_OWN_MODULE_FALLBACK, u"From the own module"},
        LanguageCase{"OnlyInOwnModule", 0, 1041, 1041, IDS_OWN_ONLY, u"Own module only"}),
    [](const auto& info) { return std::string(info.param.name); });

class ResourceStrings : public ResourcesFixture {
protected:
    CoResources* MakeStandard(LANGID user = 1033, UINT uipLang = 0) {
        SetLanguages(user, 1041);
        PutDriverFile(TestLibrary(), u"TESTRES.DLL");
        PutIni(u"TOVQEB.INI", uipLang ? "[UIPSETTINGS]\r\nUIPLANG=" + std::to_string(uipLang) + "\r\n" : "");
        Install(StandardFiles());
        return Make();
    }
};

TEST_F(ResourceStrings, LanguageListInOrderWithTheLibrarysTranslationsAndTheTerminator) {
    CoResources* resources = MakeStandard(1041, 1031);
    ASSERT_NE(resources, nullptr);
    std::vector<std::pair<WORD, WORD>> list;
    for (const auto& entry : resources->Languages()) list.emplace_back(entry.m_language, entry.m_codePage);
    const std::vector<std::pair<WORD, WORD>> expected = {{1031, 0},    {1041, 0},    {1041, 0},    {1033, 0},
                                                         {1041, 1200}, {1033, 1200}, {1031, 1200}, {0, 0}};
    EXPECT_EQ(list, expected);
}

TEST_F(ResourceStrings, BufferLengthLimits) {
    CoResources* resources = MakeStandard();
    ASSERT_NE(resources, nullptr);
    WCHAR text[32];
    // Sixteen characters need seventeen places: a buffer of exactly sixteen is refused, emptied.
    text[0] = u'x';
    EXPECT_EQ(resources->LoadString(IDS_SIXTEEN_CHARS, text, 16), E_FAIL);
    EXPECT_EQ(text[0], u'\0');
    EXPECT_EQ(resources->LoadString(IDS_SIXTEEN_CHARS, text, 17), S_OK);
    EXPECT_EQ(std::u16string(text), u"0123456789abcdef");
    text[0] = u'x';
    EXPECT_EQ(resources->LoadString(IDS_EMPTY, text, 32), E_FAIL);
    EXPECT_EQ(text[0], u'\0');
    EXPECT_EQ(resources->LoadString(999, text, 32), E_INVALIDARG);
    EXPECT_EQ(resources->LoadString(0, text, 32), E_INVALIDARG);
    EXPECT_EQ(resources->LoadString(65536, text, 32), E_INVALIDARG);
    EXPECT_EQ(resources->LoadString(IDS_BOTH_LANGUAGES, nullptr, 32), E_INVALIDARG);
    EXPECT_EQ(resources->LoadString(IDS_BOTH_LANGUAGES, text, 0), E_INVALIDARG);
}

TEST_F(ResourceStrings, LabelsLoseParenthesisedPartsAndAccessKeyMarks) {
    CoResources* resources = MakeStandard();
    ASSERT_NE(resources, nullptr);
    WCHAR text[64];
    EXPECT_EQ(resources->LoadLabelString(IDS_LABEL, text, 64), S_OK);
    EXPECT_EQ(std::u16string(text), u"Save As  file");
    // The answer of the string load is passed on.
    EXPECT_EQ(resources->LoadLabelString(IDS_LABEL, text, 8), E_FAIL);
    EXPECT_EQ(text[0], u'\0');
}

TEST_F(ResourceStrings, DuplicateStringCopiesOntoTheHeap) {
    CoResources* resources = MakeStandard(1041);
    ASSERT_NE(resources, nullptr);
    LPWSTR copy = resources->DuplicateString(IDS_BOTH_LANGUAGES);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy), u"日本語の文字列");
    EXPECT_EQ(resources->DuplicateString(999), nullptr);
    EXPECT_EQ(resources->DuplicateString(IDS_EMPTY), nullptr);
}

TEST_F(ResourceStrings, MessageBoxShowsLoadedTextsAndReadsRightToLeftForMirroredOwners) {
    CoResources* resources = MakeStandard();
    ASSERT_NE(resources, nullptr);
    palvex::ResetMessageBoxScript();
    palvex::QueueMessageBoxAnswers({IDNO});
    HWND owner = CreateWindowExW(WS_EX_LAYOUTRTL, u"#32770", u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(resources->MessageBox(owner, IDS_ENGLISH_ONLY, IDD_PAGE, MB_YESNO), IDNO);
    EXPECT_EQ(resources->MessageBox(nullptr, IDS_ENGLISH_ONLY, IDD_PAGE, MB_OK), IDOK);
    // A missing caption shows nothing.
    EXPECT_EQ(resources->MessageBox(nullptr, IDS_ENGLISH_ONLY, 999, MB_OK), 0);
    const auto records = palvex::TakeMessageBoxRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].owner, owner);
    EXPECT_EQ(records[0].text, u"Only in English");
    EXPECT_EQ(records[0].caption, u"Page Setup");
    EXPECT_EQ(records[0].style, UINT(MB_YESNO | MB_RTLREADING));
    EXPECT_EQ(records[1].style, UINT(MB_OK));
    DestroyWindow(owner);
}

}  // namespace
}  // namespace coresources_test
