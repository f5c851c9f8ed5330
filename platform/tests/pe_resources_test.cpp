#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/library_entry.h>
#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <palvex/paths.h>
#include <win/windows.h>

#include "data/test_resource_ids.h"

namespace {

namespace fs = std::filesystem;

const fs::path kResourceDir = PALVEX_TEST_RESOURCE_DIR;

std::u16string Wide(const fs::path& path) {
    const std::string text = path.string();
    return std::u16string(text.begin(), text.end());  // the build folders have ASCII names
}

class PeResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_library = LoadLibraryExW(Wide(kResourceDir / "palvex_test_res.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_library, nullptr) << GetLastError();
    }
    void TearDown() override {
        if (m_library) {
            EXPECT_TRUE(FreeLibrary(m_library));
        }
    }

    void SetUILanguages(LANGID user, LANGID system) {
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.userUILanguage = user;
        profile.systemUILanguage = system;
        palvex::SetOsProfile(profile);
    }

    std::vector<uint8_t> ResourceBytes(LPCWSTR type, LPCWSTR name, WORD language) {
        HRSRC found = FindResourceExW(m_library, type, name, language);
        if (!found) return {};
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(m_library, found)));
        return std::vector<uint8_t>(data, data + SizeofResource(m_library, found));
    }

    std::u16string String(UINT id) {
        WCHAR buffer[64];
        const int length = LoadStringW(m_library, id, buffer, 64);
        return std::u16string(buffer, length);
    }

    palvex::TestMachine m_machine;
    HMODULE m_library = nullptr;
};

TEST_F(PeResourcesTest, LoadingFindsMachinePathsWithoutRegardToCase) {
    const fs::path folder = m_machine.root() / "C" / "Windows" / "System32" / "spool" / "drivers" / "x64" / "3";
    fs::create_directories(folder);
    fs::copy_file(kResourceDir / "palvex_test_res.dll", folder / "QvTestRes.DLL");

    HMODULE module = LoadLibraryExW(u"c:\\WINDOWS\\system32\\SPOOL\\Drivers\\X64\\3\\qvtestres.dll", nullptr,
                                    LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(module) & 3, 2u);  // marked as an image-resource module
    EXPECT_EQ(reinterpret_cast<uintptr_t>(m_library) & 3, 1u);  // marked as a data-file module
    EXPECT_NE(FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(IDR_BYTES), 1033), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    EXPECT_EQ(palvex::HostPath(u"C:/Windows/./System32/../SYSTEM32/spool"), m_machine.root() / "C" / "Windows" / "System32" / "spool");
    EXPECT_EQ(palvex::HostPath(u"C:\\..\\..\\Windows\\new.ini"), m_machine.root() / "C" / "Windows" / "new.ini");
    EXPECT_EQ(palvex::HostPath(u"\\Windows\\System32"), m_machine.root() / "C" / "Windows" / "System32");
    EXPECT_EQ(palvex::HostPath(u"\\\\server\\share\\x.dll"), fs::path());
}

TEST_F(PeResourcesTest, LoadingRefusesWhatItCannotLoad) {
    struct Case {
        const char* what;
        std::u16string path;
        HANDLE file;
        DWORD flags;
        DWORD error;
    };
    fs::create_directories(m_machine.root() / "C" / "Temp");
    const std::vector<Case> cases = {
        {"missing file", u"C:\\Temp\\missing.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE, ERROR_MOD_NOT_FOUND},
        {"missing folder", u"C:\\Nowhere\\missing.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE, ERROR_MOD_NOT_FOUND},
        {"a folder", u"C:\\Temp", nullptr, LOAD_LIBRARY_AS_DATAFILE, ERROR_ACCESS_DENIED},
        {"empty path", u"", nullptr, LOAD_LIBRARY_AS_DATAFILE, ERROR_INVALID_PARAMETER},
        {"a file handle", Wide(kResourceDir / "palvex_test_res.dll"), reinterpret_cast<HANDLE>(0x40), LOAD_LIBRARY_AS_DATAFILE,
         ERROR_INVALID_PARAMETER},
        {"code loading", Wide(kResourceDir / "palvex_test_res.dll"), nullptr, 0, ERROR_NOT_SUPPORTED},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryExW(c.path.c_str(), c.file, c.flags), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
}

TEST_F(PeResourcesTest, FindWithALanguageMatchesExactly) {
    struct Case {
        LPCWSTR type;
        LPCWSTR name;
        WORD language;
        DWORD error;  // ERROR_SUCCESS when found
    };
    const Case cases[] = {
        {RT_STRING, MAKEINTRESOURCEW(1), 1041, ERROR_SUCCESS},
        {RT_STRING, MAKEINTRESOURCEW(1), 1033, ERROR_SUCCESS},
        {RT_STRING, MAKEINTRESOURCEW(3), 1041, ERROR_RESOURCE_LANG_NOT_FOUND},
        {RT_STRING, MAKEINTRESOURCEW(1), 0x0811, ERROR_RESOURCE_LANG_NOT_FOUND},  // another Japanese sublanguage
        {RT_STRING, MAKEINTRESOURCEW(99), 1033, ERROR_RESOURCE_NAME_NOT_FOUND},
        {MAKEINTRESOURCEW(0x7777), MAKEINTRESOURCEW(1), 1033, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {u"#10", u"#100", 1033, ERROR_SUCCESS},
        {u"palvexData", u"Config", 1033, ERROR_SUCCESS},
        {u"PALVEXDATA", u"#1", 1033, ERROR_RESOURCE_NAME_NOT_FOUND},
        {RT_DIALOG, MAKEINTRESOURCEW(IDD_SAMPLE), 1041, ERROR_SUCCESS},
        {RT_VERSION, MAKEINTRESOURCEW(1), 1041, ERROR_SUCCESS},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        HRSRC found = FindResourceExW(m_library, c.type, c.name, c.language);
        EXPECT_EQ(found != nullptr, c.error == ERROR_SUCCESS) << LOWORD(c.name) << " " << c.language;
        if (!found) {
            EXPECT_EQ(GetLastError(), c.error) << LOWORD(c.name) << " " << c.language;
        }
    }

    // A handle that is no data-file module has no resources here.
    EXPECT_EQ(FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(1), 1033), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(PeResourcesTest, FindWithTheNeutralLanguageFallsBackInOrder) {
    struct Case {
        LANGID user;
        LANGID system;
        UINT id;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {1041, 1041, IDS_GREETING, u"Neutral greeting"},     // the neutral block comes first
        {1033, 1033, IDS_GREETING, u"Neutral greeting"},
        {1041, 1033, IDS_BLOCK_TWO, u"日本語のブロック"},   // the user's UI language
        {1033, 1041, IDS_BLOCK_TWO, u"English block"},
        {0x0C07, 1041, IDS_BLOCK_TWO, u"日本語のブロック"},  // German (Austria): then the system's
        {0x0407, 0x0407, IDS_BLOCK_TWO, u"English block"},   // neither: English (US)
        {1041, 1041, IDS_ENGLISH_ONLY, u"English only"},
        {1041, 1041, IDS_GERMAN_ONLY, u"Nur Deutsch"},       // the only language there is
        {0x0C07, 0x0C07, IDS_GERMAN_ONLY, u"Nur Deutsch"},
    };
    for (const Case& c : cases) {
        SetUILanguages(c.user, c.system);
        EXPECT_EQ(String(c.id), c.text) << c.user << " " << c.system << " " << c.id;
    }
}

TEST_F(PeResourcesTest, StringTableBlocksHoldSixteenCountedStrings) {
    // Block 3 in English: "English only" (12 characters) then 15 empty strings.
    std::vector<uint8_t> expected = {12, 0};
    for (char c : std::string("English only")) expected.insert(expected.end(), {static_cast<uint8_t>(c), 0});
    expected.resize(expected.size() + 15 * 2, 0);
    EXPECT_EQ(ResourceBytes(RT_STRING, MAKEINTRESOURCEW(IDS_ENGLISH_ONLY / 16 + 1), 1033), expected);
}

TEST_F(PeResourcesTest, LoadStringCopiesCutsAndPoints) {
    WCHAR buffer[32];
    EXPECT_EQ(LoadStringW(m_library, IDS_ENGLISH_ONLY, buffer, 32), 12);
    EXPECT_EQ(std::u16string(buffer), u"English only");
    EXPECT_EQ(LoadStringW(m_library, IDS_ENGLISH_ONLY, buffer, 8), 7);  // cut, terminated
    EXPECT_EQ(std::u16string(buffer), u"English");
    EXPECT_EQ(LoadStringW(m_library, IDS_ENGLISH_ONLY, buffer, 1), 0);
    EXPECT_EQ(buffer[0], u'\0');

    const WCHAR* pointer = nullptr;
    EXPECT_EQ(LoadStringW(m_library, IDS_ENGLISH_ONLY, reinterpret_cast<LPWSTR>(&pointer), 0), 12);
    EXPECT_EQ(std::u16string(pointer, 12), u"English only");  // in the resource, not terminated

    SetUILanguages(1033, 1033);
    buffer[0] = u'x';
    EXPECT_EQ(LoadStringW(m_library, IDS_EMPTY, buffer, 32), 0);  // an empty string is no string
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(LoadStringW(m_library, IDS_LAST_OF_BLOCK_TWO, buffer, 32), 0);  // not in the English block
    EXPECT_EQ(LoadStringW(m_library, 2000, buffer, 32), 0);                  // no such block
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    SetUILanguages(1041, 1041);
    EXPECT_EQ(String(IDS_LAST_OF_BLOCK_TWO), u"最後");
}

TEST_F(PeResourcesTest, RawDataAndDialogComeAsCompiled) {
    // Two WORDs, a DWORD and two narrow characters.
    EXPECT_EQ(ResourceBytes(RT_RCDATA, MAKEINTRESOURCEW(IDR_BYTES), 1033),
              (std::vector<uint8_t>{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 'A', 'B'}));
    EXPECT_EQ(ResourceBytes(u"PALVEXDATA", u"CONFIG", 1033), (std::vector<uint8_t>{'c', 'f', 'g'}));

    // An extended dialog template: version 1, signature 0xFFFF, help id 0, extended style 0, style.
    const std::vector<uint8_t> dialog = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEW(IDD_SAMPLE), 1041);
    ASSERT_GE(dialog.size(), 16u);
    EXPECT_EQ(std::vector<uint8_t>(dialog.begin(), dialog.begin() + 16),
              (std::vector<uint8_t>{0x01, 0x00, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x00, 0xC8, 0x80}));
}

TEST_F(PeResourcesTest, ResourceHandlesAreChecked) {
    HMODULE other = LoadLibraryExW(Wide(kResourceDir / "english_only.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(other, nullptr);
    HRSRC mine = FindResourceExW(m_library, RT_RCDATA, MAKEINTRESOURCEW(IDR_BYTES), 1033);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(LoadResource(other, mine), nullptr);  // a handle of another module
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SizeofResource(other, mine), 0u);
    EXPECT_EQ(LoadResource(m_library, reinterpret_cast<HRSRC>(reinterpret_cast<uintptr_t>(mine) + 4)), nullptr);
    EXPECT_EQ(LoadResource(m_library, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(m_library, mine), 10u);
    EXPECT_TRUE(FreeLibrary(other));
}

// Version resources.

TEST_F(PeResourcesTest, VersionInfoGivesFixedInfoTranslationsAndTexts) {
    const std::u16string path = Wide(kResourceDir / "palvex_test_res.dll");
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00050006u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00070008u);
    EXPECT_EQ(fixed->dwFileType, 2u);

    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 8u);
    const auto* words = static_cast<const WORD*>(value);
    EXPECT_EQ(std::vector<WORD>(words, words + 4), (std::vector<WORD>{0x411, 1200, 0x409, 1200}));

    struct Text {
        const char16_t* query;
        std::u16string text;
    };
    const Text texts[] = {
        {u"\\StringFileInfo\\041104B0\\FileVersion", u"1.02.0003.4"},
        {u"\\stringfileinfo\\041104b0\\PRODUCTNAME", u"Palvex テスト"},  // names compare without case
        {u"\\StringFileInfo\\000004b0\\FileVersion", u"1.02.0003.4"},
    };
    for (const Text& t : texts) {
        ASSERT_TRUE(VerQueryValueW(block.data(), t.query, &value, &length));
        EXPECT_EQ(length, t.text.size() + 1);  // characters, terminator included
        EXPECT_EQ(std::u16string(static_cast<const WCHAR*>(value)), t.text);
    }
    SetLastError(0);
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\StringFileInfo\\040904b0\\FileVersion", &value, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST_F(PeResourcesTest, VersionInfoOfFilesWithoutIt) {
    struct Case {
        std::u16string path;
        DWORD error;
    };
    const Case cases[] = {
        {Wide(kResourceDir / "english_only.dll"), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {u"C:\\Windows\\missing.dll", ERROR_PATH_NOT_FOUND},
        {Wide(kResourceDir / "missing.dll"), ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        DWORD handle = 0;
        SetLastError(0);
        EXPECT_EQ(GetFileVersionInfoSizeW(c.path.c_str(), &handle), 0u);
        EXPECT_EQ(GetLastError(), c.error);
        uint8_t buffer[64];
        EXPECT_FALSE(GetFileVersionInfoW(c.path.c_str(), 0, sizeof buffer, buffer));
    }
}

TEST_F(PeResourcesTest, ACutVersionBlockAnswersOnlyFromWhatItHolds) {
    const std::u16string path = Wide(kResourceDir / "palvex_test_res.dll");
    // Root header (6) and key "VS_VERSION_INFO" (32) end at 38, padded to 40; the fixed info ends at 92.
    std::vector<uint8_t> block(100, 0xCC);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, 100, block.data()));
    WORD rootLength = 0;
    std::memcpy(&rootLength, block.data(), 2);
    EXPECT_EQ(rootLength, 100);
    LPVOID value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueW(block.data(), u"\\", &value, &length));
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &length));
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\StringFileInfo\\041104B0\\FileVersion", &value, &length));
    EXPECT_FALSE(GetFileVersionInfoW(path.c_str(), 0, 4, block.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

// Malformed files. The image below is built by hand (PE32+, one section):
//   0x000 DOS header, e_lfanew = 0x40
//   0x040 "PE\0\0", COFF header (1 section, optional header 0xF0 bytes)
//   0x058 optional header; directory count at 0xC4; resource directory at 0xD8 (RVA 0x1000, size 0x58)
//   0x148 section ".rsrc": virtual size 0x60 at 0x150, address 0x1000 at 0x154,
//         raw size 0x200 at 0x158, raw offset 0x200 at 0x15C
//   0x200 resource tree: root (type RCDATA) -> +0x18 names (id 1) -> +0x30 languages (1033)
//         -> +0x48 data entry (RVA 0x1058, 4 bytes) -> +0x58 "ABCD"
class ImageBuilder {
public:
    ImageBuilder() : m_bytes(0x400, 0) {
        Put16(0x00, 0x5A4D);
        Put32(0x3C, 0x40);
        std::memcpy(&m_bytes[0x40], "PE\0\0", 4);
        Put16(0x44, 0x8664);
        Put16(0x46, 1);
        Put16(0x54, 0xF0);
        Put16(0x56, 0x2022);
        Put16(0x58, 0x20B);
        Put32(0xC4, 16);
        Put32(0xD8, 0x1000);
        Put32(0xDC, 0x58);
        std::memcpy(&m_bytes[0x148], ".rsrc", 5);
        Put32(0x150, 0x60);
        Put32(0x154, 0x1000);
        Put32(0x158, 0x200);
        Put32(0x15C, 0x200);
        Put32(0x16C, 0x40000040);
        Put16(0x20E, 1);              // root: one id entry
        Put32(0x210, 10);             //   RT_RCDATA
        Put32(0x214, 0x80000018);     //   -> names
        Put16(0x226, 1);              // names: one id entry
        Put32(0x228, 1);              //   id 1
        Put32(0x22C, 0x80000030);     //   -> languages
        Put16(0x23E, 1);              // languages: one id entry
        Put32(0x240, 1033);           //   English
        Put32(0x244, 0x48);           //   -> data entry
        Put32(0x248, 0x1058);         // data entry: RVA
        Put32(0x24C, 4);              //   size
        std::memcpy(&m_bytes[0x258], "ABCD", 4);
    }
    void Put16(size_t at, uint16_t value) { std::memcpy(&m_bytes[at], &value, 2); }
    void Put32(size_t at, uint32_t value) { std::memcpy(&m_bytes[at], &value, 4); }
    std::vector<uint8_t>& bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

TEST_F(PeResourcesTest, MalformedImagesAreRefusedCleanly) {
    struct Case {
        const char* what;
        std::function<void(ImageBuilder&)> damage;
        DWORD loadError;  // ERROR_SUCCESS: loads
        DWORD findError;  // for a loaded image: ERROR_SUCCESS when "ABCD" is found
    };
    const std::vector<Case> cases = {
        {"sound image", [](ImageBuilder&) {}, ERROR_SUCCESS, ERROR_SUCCESS},
        {"no resource directory", [](ImageBuilder& b) { b.Put32(0xD8, 0); }, ERROR_SUCCESS, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"too few directories for resources", [](ImageBuilder& b) { b.Put32(0xC4, 2); }, ERROR_SUCCESS,
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"empty file", [](ImageBuilder& b) { b.bytes().clear(); }, ERROR_BAD_EXE_FORMAT, 0},
        {"truncated DOS header", [](ImageBuilder& b) { b.bytes().resize(0x30); }, ERROR_BAD_EXE_FORMAT, 0},
        {"no MZ", [](ImageBuilder& b) { b.Put16(0, 0x5A4E); }, ERROR_BAD_EXE_FORMAT, 0},
        {"PE header offset past the end", [](ImageBuilder& b) { b.Put32(0x3C, 0xFFFFFFF0); }, ERROR_BAD_EXE_FORMAT, 0},
        {"truncated COFF header", [](ImageBuilder& b) { b.bytes().resize(0x50); }, ERROR_BAD_EXE_FORMAT, 0},
        {"no PE signature", [](ImageBuilder& b) { b.Put16(0x40, 0x454E); }, ERROR_BAD_EXE_FORMAT, 0},
        {"optional header past the end", [](ImageBuilder& b) { b.Put16(0x54, 0xFFFF); }, ERROR_BAD_EXE_FORMAT, 0},
        {"unknown optional header", [](ImageBuilder& b) { b.Put16(0x58, 0x1234); }, ERROR_BAD_EXE_FORMAT, 0},
        {"directories past the optional header", [](ImageBuilder& b) { b.Put32(0xC4, 0x100); }, ERROR_BAD_EXE_FORMAT, 0},
        {"section table past the end", [](ImageBuilder& b) { b.Put16(0x46, 40); }, ERROR_BAD_EXE_FORMAT, 0},
        {"section data past the end", [](ImageBuilder& b) { b.Put32(0x158, 0x10000); }, ERROR_BAD_EXE_FORMAT, 0},
        {"section data offset past the end", [](ImageBuilder& b) { b.Put32(0x15C, 0xFFFFFF00); }, ERROR_BAD_EXE_FORMAT, 0},
        {"resources outside every section", [](ImageBuilder& b) { b.Put32(0xD8, 0x5000); }, ERROR_BAD_EXE_FORMAT, 0},
        {"resources larger than their section", [](ImageBuilder& b) { b.Put32(0xDC, 0x1000); }, ERROR_BAD_EXE_FORMAT, 0},
        {"entry count past the tree", [](ImageBuilder& b) { b.Put16(0x20E, 0x7FFF); }, ERROR_BAD_EXE_FORMAT, 0},
        {"subdirectory past the tree", [](ImageBuilder& b) { b.Put32(0x214, 0x80001000); }, ERROR_BAD_EXE_FORMAT, 0},
        {"name table loops to the root", [](ImageBuilder& b) { b.Put32(0x22C, 0x80000000); }, ERROR_BAD_EXE_FORMAT, 0},
        {"language table loops to itself", [](ImageBuilder& b) { b.Put32(0x244, 0x80000030); }, ERROR_BAD_EXE_FORMAT, 0},
        {"type leads straight to data", [](ImageBuilder& b) { b.Put32(0x214, 0x48); }, ERROR_BAD_EXE_FORMAT, 0},
        {"name string past the tree", [](ImageBuilder& b) { b.Put32(0x210, 0x80000FF0); }, ERROR_BAD_EXE_FORMAT, 0},
        {"name string longer than the tree", [](ImageBuilder& b) {
             b.Put32(0x210, 0x80000050);
             b.Put16(0x250, 0x7FFF);
         }, ERROR_BAD_EXE_FORMAT, 0},
        {"data entry past the tree", [](ImageBuilder& b) { b.Put32(0x244, 0xFF0); }, ERROR_BAD_EXE_FORMAT, 0},
        {"data past the end of the file", [](ImageBuilder& b) { b.Put32(0x24C, 0x10000); }, ERROR_BAD_EXE_FORMAT, 0},
        {"data beyond its section", [](ImageBuilder& b) { b.Put32(0x24C, 0x20); }, ERROR_BAD_EXE_FORMAT, 0},
        {"data outside every section", [](ImageBuilder& b) { b.Put32(0x248, 0x9000); }, ERROR_BAD_EXE_FORMAT, 0},
        {"data address wrapping around", [](ImageBuilder& b) { b.Put32(0x248, 0xFFFFFFFE); }, ERROR_BAD_EXE_FORMAT, 0},
        {"misaligned data", [](ImageBuilder& b) { b.Put32(0x248, 0x1059); }, ERROR_BAD_EXE_FORMAT, 0},
    };
    const fs::path file = m_machine.root() / "damaged.dll";
    for (const Case& c : cases) {
        ImageBuilder builder;
        c.damage(builder);
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(builder.bytes().data()), static_cast<std::streamsize>(builder.bytes().size()));
        }
        SetLastError(0);
        HMODULE module = LoadLibraryExW(Wide(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (c.loadError != ERROR_SUCCESS) {
            EXPECT_EQ(module, nullptr) << c.what;
            EXPECT_EQ(GetLastError(), c.loadError) << c.what;
            DWORD handle = 0;
            EXPECT_EQ(GetFileVersionInfoSizeW(Wide(file).c_str(), &handle), 0u) << c.what;
            EXPECT_EQ(GetLastError(), c.loadError) << c.what;
            continue;
        }
        ASSERT_NE(module, nullptr) << c.what;
        HRSRC found = FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(1), 1033);
        if (c.findError == ERROR_SUCCESS) {
            ASSERT_NE(found, nullptr) << c.what;
            ASSERT_EQ(SizeofResource(module, found), 4u);
            EXPECT_EQ(std::memcmp(LockResource(LoadResource(module, found)), "ABCD", 4), 0) << c.what;
        } else {
            EXPECT_EQ(found, nullptr) << c.what;
            EXPECT_EQ(GetLastError(), c.findError) << c.what;
        }
        EXPECT_TRUE(FreeLibrary(module));
    }
}

// Whatever single byte of the headers and the tree is changed, the image is refused or it loads and
// answers lookups from inside itself.
TEST_F(PeResourcesTest, EveryDamagedByteIsRefusedOrHarmless) {
    const fs::path file = m_machine.root() / "damaged.dll";
    for (size_t at = 0; at < 0x25C; ++at) {
        if ((at >= 0x02 && at < 0x3C) || (at >= 0x170 && at < 0x200)) continue;  // bytes nothing reads
        ImageBuilder builder;
        builder.bytes()[at] ^= 0xA5;
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(builder.bytes().data()), static_cast<std::streamsize>(builder.bytes().size()));
        }
        HMODULE module = LoadLibraryExW(Wide(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!module) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << at;
            continue;
        }
        for (WORD language : {WORD{0}, WORD{1033}}) {
            HRSRC found = FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(1), language);
            if (!found) continue;
            const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
            const DWORD size = SizeofResource(module, found);
            ASSERT_NE(data, nullptr) << at;
            ASSERT_LE(size, 0x400u) << at;
            uint32_t sum = 0;  // every byte is read, so the sanitizers see any stray one
            for (DWORD i = 0; i < size; ++i) sum += data[i];
            EXPECT_LE(sum, size * 255u) << at;
        }
        EXPECT_TRUE(FreeLibrary(module));
    }
}

TEST_F(PeResourcesTest, DamagedVersionBlocksAreQueriedSafely) {
    const std::u16string path = Wide(kResourceDir / "palvex_test_res.dll");
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> sound(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, sound.data()));
    const char16_t* queries[] = {u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo\\041104B0\\ProductName",
                                 u"\\StringFileInfo\\000004b0\\FileVersion", u"\\StringFileInfo"};
    // The root's own length bounds every query (GetFileVersionInfoW keeps it inside the copy), so it
    // stays; every other byte is changed in turn.
    for (size_t at = 2; at < size; ++at) {
        for (uint8_t change : {uint8_t{0xFF}, uint8_t{0x01}}) {
            std::vector<uint8_t> block = sound;
            block[at] ^= change;
            for (const char16_t* query : queries) {
                LPVOID value = nullptr;
                UINT length = 0;
                if (!VerQueryValueW(block.data(), query, &value, &length)) continue;
                const auto* bytes = static_cast<const uint8_t*>(value);
                ASSERT_GE(bytes, block.data()) << at;
                const size_t valueBytes = query[1] == u'S' ? (length ? length * 2 : 2) : length;
                ASSERT_LE(bytes + valueBytes, block.data() + block.size()) << at;
                if (query[1] == u'S' && length > 0) {
                    WCHAR last = 1;
                    std::memcpy(&last, bytes + (length - 1) * 2, 2);
                    EXPECT_EQ(last, u'\0') << at;  // a text ends inside the block
                }
            }
        }
    }
}

}  // namespace

// A loaded library's own resources: the image linked into it answers through its module handle
// until the library is unloaded; FreeLibrary, meant for data files, leaves them alone.
TEST(LibraryResourcesTest, AttachedImageAnswersUntilDetached) {
    palvex::TestMachine machine;
    std::ifstream file(kResourceDir / "palvex_test_res.dll", std::ios::binary);
    const std::vector<unsigned char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(image.empty());
    auto greeting = [](HMODULE module) {
        WCHAR buffer[64] = {};
        const int length = LoadStringW(module, IDS_GREETING, buffer, 64);
        return std::u16string(buffer, length > 0 ? length : 0);
    };

    static const int kInThisProgram = 0;
    const HMODULE module = palvex::AttachLibrary(&kInThisProgram, image.data(), image.size());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(greeting(module), u"Neutral greeting");  // the neutral block comes first
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(greeting(module), u"Neutral greeting");
    palvex::DetachLibrary(module);
    EXPECT_TRUE(greeting(module).empty());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));

    // An image that is not a PE file leaves the module without resources, and no address no module.
    const std::vector<unsigned char> garbage(64, 0x5A);
    EXPECT_EQ(palvex::AttachLibrary(&kInThisProgram, garbage.data(), garbage.size()), module);
    EXPECT_TRUE(greeting(module).empty());
    EXPECT_EQ(palvex::AttachLibrary(nullptr, image.data(), image.size()), nullptr);
}
