// The module version table, and the model's resource library as the package builds it.
#include <gtest/gtest.h>

#include <cstring>

#include <palvex/paths.h>
#include <palvex/utf8.h>

#include "coresources_fixture.h"
#include "kitmessages.h"

namespace coresources_test {
namespace {

#include "../../package/resources/resource_ids.h"

std::u16string Text(LPCWSTR text) {
    return text ? std::u16string(text) : u"<null>";
}

class VersionTable : public ResourcesFixture {};

TEST_F(VersionTable, EntriesFromTheDependentFilesAndTheDefault) {
    SetLanguages(1041, 1041);
    PutDriverFile(TestLibrary(), u"TOVQEBRES.DLL");
    PutDriverFile(VersionStandIn("tovqebui"), u"TOVQEBUI.DLL");
    // The UI module matches "UI.DLL" and lies before the resource library; the universal driver's
    // library is listed first. The helper has no version block.
    Install({u"UNIRES.DLL", u"TOVQEBUI.DLL", u"TOVQEBRES.DLL", u"TOVQEB.INI", u"TOVQEBMDN.EXE"});
    CoResources* resources = Make();
    ASSERT_NE(resources, nullptr);
    const ModuleVersionTable* table = resources->GetModuleVersions();
    ASSERT_NE(table, nullptr);
    // The first version block read is the UI module's (entry 7 comes before entry 8).
    EXPECT_EQ(table->m_productVersion[0], 1u);
    EXPECT_EQ(table->m_productVersion[1], 1u);
    EXPECT_EQ(table->m_productVersion[2], 2u);
    EXPECT_EQ(table->m_productVersion[3], 0u);

    std::u16string folder = DriverFolder();
    CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    const struct {
        int entry;
        std::u16string name;
        std::u16string version;
    } expected[] = {{0, folder + u"\\TOVQEBMDN.EXE", u"1.00.0000.0"},  // found, no version block: full name kept
                    {1, u"<null>", u"1.00.0000.0"},
                    {2, u"<null>", u"1.00.0000.0"},
                    {3, u"<null>", u"1.00.0000.0"},
                    {4, u"<null>", u"1.00.0000.0"},
                    {5, u"<null>", u"1.00.0000.0"},
                    {6, u"<null>", u"1.00.0000.0"},
                    {7, u"TOVQEBUI.DLL", u"1.01.0002.0"},
                    {8, u"TOVQEBRES.DLL", u"2.03.0004.5"}};
    for (const auto& e : expected) {
        EXPECT_EQ(Text(table->m_entries[e.entry].m_fileName), e.name) << e.entry;
        EXPECT_EQ(Text(table->m_entries[e.entry].m_fileVersion), e.version) << e.entry;
    }
}

TEST_F(VersionTable, DottedHelperAndItsLibrary) {
    SetLanguages(1041, 1041);
    PutDriverFile(TestLibrary(), u"TOVQEBRES.DLL");
    PutDriverFile(VersionStandIn("tovqebco"), u"TOVQEBMDN.DLL");
    Install({u"TOVQEBRES.DLL", u"TOVQEBMDN.DLL", u"TOVQEBMDN.EXE"});
    CoResources* resources = Make();
    ASSERT_NE(resources, nullptr);
    const ModuleVersionTable* table = resources->GetModuleVersions();
    // Without ".MDN.EXE" the helper's library has its own entry; the resource library's block was
    // read first, so it gives the product version.
    EXPECT_EQ(Text(table->m_entries[1].m_fileName), u"TOVQEBMDN.DLL");
    EXPECT_EQ(Text(table->m_entries[1].m_fileVersion), u"1.01.0002.0");
    EXPECT_EQ(table->m_productVersion[0], 1u);
    EXPECT_EQ(table->m_productVersion[1], 1u);
}

TEST_F(VersionTable, PrintProcessorFromItsRegistryKey) {
    SetLanguages(1041, 1041);
    PutDriverFile(TestLibrary(), u"TOVQEBRES.DLL");
    WCHAR folder[MAX_PATH] = {};
    DWORD needed = 0;
    ASSERT_TRUE(GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder), &needed));
    const auto target = palvex::HostPath(std::u16string(folder) + u"\\tovqebpp.dll");
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(VersionStandIn("tovqebpp"), target);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\Palvex Processor",
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::u16string driver = u"tovqebpp.dll";
    ASSERT_EQ(RegSetValueExW(key, u"Driver", 0, REG_SZ, reinterpret_cast<const BYTE*>(driver.c_str()),
                             static_cast<DWORD>((driver.size() + 1) * 2)),
              ERROR_SUCCESS);
    RegCloseKey(key);
    Install({u"TOVQEBRES.DLL"}, u"Palvex Processor");
    CoResources* resources = Make();
    ASSERT_NE(resources, nullptr);
    std::u16string expected = std::u16string(folder) + u"\\TOVQEBPP.DLL";
    CharUpperBuffW(expected.data(), static_cast<DWORD>(expected.size()));
    EXPECT_EQ(Text(resources->GetPrintProcessorFileName()), expected);
    const ModuleVersionTable* table = resources->GetModuleVersions();
    EXPECT_EQ(Text(table->m_entries[2].m_fileName), u"TOVQEBPP.DLL");
    EXPECT_EQ(Text(table->m_entries[2].m_fileVersion), u"1.01.0002.0");
}

// The package's resource library: every kit status message under its code, in Japanese and in
// English, and the labels the driver loads.
class ModelLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        m_library = LoadLibraryExW(palvex::FromUtf8(coresources_test::ModelLibrary().string()).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_library, nullptr);
    }
    void TearDown() override { FreeLibrary(m_library); }

    // The string in exactly that language.
    std::u16string String(DWORD id, WORD language) {
        HRSRC block = FindResourceExW(m_library, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
        if (!block) return u"<missing>";
        const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(m_library, block)));
        const DWORD size = SizeofResource(m_library, block);
        size_t offset = 0;
        for (DWORD i = 0; offset + 2 <= size; ++i) {
            WORD count = 0;
            std::memcpy(&count, bytes + offset, 2);
            if (i == id % 16) return std::u16string(reinterpret_cast<const char16_t*>(bytes + offset + 2), count);
            offset += 2 + size_t{count} * 2;
        }
        return u"<missing>";
    }

    HMODULE m_library = nullptr;
};

TEST_F(ModelLibrary, EveryKitMessageUnderItsCode) {
    ASSERT_GT(KitMessages().size(), 60u);
    for (const KitMessage& message : KitMessages()) {
        for (WORD language : {WORD{1041}, WORD{1033}})
            EXPECT_EQ(String(message.m_code, language), std::u16string(message.m_text)) << message.m_code << " " << language;
    }
    EXPECT_EQ(String(61311, 1041), u"DUMPING TOKEN: Key: %s\tValue: %s\tLevel: %d.\n");
    EXPECT_EQ(String(62701, 1041), u"");  // no message
}

TEST_F(ModelLibrary, LabelsInJapaneseWithEnglishAlongside) {
    const struct {
        DWORD id;
        std::u16string japanese;
        std::u16string english;
    } labels[] = {{IDS_BIN_AUTO, u"自動", u"Automatically Select"},
                  {IDS_BIN_FORM_SOURCE, u"フォーム選択", u"Form Source"},
                  {IDS_BIN_MANUAL, u"手差し", u"Manual Feed"},
                  {IDS_BIN_TRAY1, u"トレイ 1", u"Tray 1"},
                  {IDS_BIN_TRAY2, u"トレイ 2", u"Tray 2"},
                  {IDS_BIN_TRAY3, u"トレイ 3", u"Tray 3"}};
    for (const auto& label : labels) {
        EXPECT_EQ(String(label.id, 1041), label.japanese) << label.id;
        EXPECT_EQ(String(label.id, 1033), label.english) << label.id;
    }
    EXPECT_NE(String(IDS_NEW_CUSTOM_MEDIUM, 1041), u"<missing>");
    EXPECT_EQ(String(IDS_HELP_FILE_NAME, 1041), u"tovqeb.chm");
}

TEST_F(ModelLibrary, VersionResourceWithBothTranslations) {
    const std::u16string path = palvex::FromUtf8(coresources_test::ModelLibrary().string());
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 8u);
    const auto* pairs = static_cast<const WORD*>(value);
    EXPECT_EQ(std::vector<WORD>(pairs, pairs + 4), (std::vector<WORD>{0x411, 1200, 0x409, 1200}));
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\StringFileInfo\\000004b0\\FileVersion", &value, &length));
    EXPECT_EQ(std::u16string(static_cast<LPCWSTR>(value)), u"1.01.0002.0");
}

}  // namespace
}  // namespace coresources_test
