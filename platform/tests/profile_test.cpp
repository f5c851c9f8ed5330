#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <win/sysinfoapi_product.h>
#include <win/windows.h>

namespace {

namespace fs = std::filesystem;

std::string Utf16Le(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string Utf16Be(const std::u16string& text) {
    std::string bytes = "\xFE\xFF";
    for (char16_t c : text) {
        bytes += static_cast<char>(c >> 8);
        bytes += static_cast<char>(c & 0xFF);
    }
    return bytes;
}

// Names for failure messages (the keys here are ASCII).
std::string Narrow(const char16_t* text) {
    std::string narrow;
    for (; text && *text; ++text) narrow += static_cast<char>(*text);
    return narrow;
}

class ProfileTest : public ::testing::Test {
protected:
    // Writes a file into the machine's Windows directory.
    void WriteWindowsFile(const std::string& name, const std::string& bytes) {
        const fs::path folder = m_machine.root() / "C" / "Windows";
        fs::create_directories(folder);
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }

    palvex::TestMachine m_machine;
};

constexpr char16_t kSettings[] =
    u"; settings of the test driver\r\n"
    u"[Paths]\r\n"
    u"  ; a comment\r\n"
    u"Driver = QX500.DLL   \r\n"
    u"Quoted=\"  spaced  \"\r\n"
    u"Single='x'\r\n"
    u"Mismatched=\"abc'\r\n"
    u"Empty=\r\n"
    u"NoEquals\r\n"
    u"Path=C:\\Temp\\a=b\r\n"
    u"  [ Spaced Section ]  \r\n"
    u"key=inner\n"
    u"[UIPSETTINGS]\n"
    u"UIPLANG=1041\n"
    u"[paths]\n"
    u"Later=second part\n";

TEST_F(ProfileTest, StringsFollowTheIniRules) {
    WriteWindowsFile("settings.ini", Utf16Le(kSettings));
    struct Case {
        const char16_t* section;
        const char16_t* key;
        const char16_t* fallback;
        DWORD size;
        std::u16string text;
        DWORD error;
    };
    const Case cases[] = {
        {u"Paths", u"Driver", u"d", 64, u"QX500.DLL", ERROR_SUCCESS},
        {u"PATHS", u"driver", u"d", 64, u"QX500.DLL", ERROR_SUCCESS},           // names without case
        {u"Paths", u"Quoted", u"d", 64, u"  spaced  ", ERROR_SUCCESS},          // quotes dropped, inside kept
        {u"Paths", u"Single", u"d", 64, u"x", ERROR_SUCCESS},
        {u"Paths", u"Mismatched", u"d", 64, u"\"abc'", ERROR_SUCCESS},
        {u"Paths", u"Empty", u"d", 64, u"", ERROR_SUCCESS},                      // empty is a value
        {u"Paths", u"NoEquals", u"d", 64, u"d", ERROR_FILE_NOT_FOUND},           // a key without a value
        {u"Paths", u"Path", u"d", 64, u"C:\\Temp\\a=b", ERROR_SUCCESS},          // the first '=' splits
        {u"Spaced Section", u"key", u"d", 64, u"inner", ERROR_SUCCESS},
        {u"Paths", u"Later", u"d", 64, u"second part", ERROR_SUCCESS},          // a section met twice
        {u"Paths", u"Missing", u"fallback   ", 64, u"fallback", ERROR_FILE_NOT_FOUND},
        {u"Paths", u"Missing", nullptr, 64, u"", ERROR_FILE_NOT_FOUND},
        {u"Nowhere", u"Driver", u"d", 64, u"d", ERROR_FILE_NOT_FOUND},
        {u"Paths", u"; a comment", u"d", 64, u"d", ERROR_FILE_NOT_FOUND},
        {u"Paths", u"Driver", u"d", 4, u"QX5", ERROR_SUCCESS},                   // cut to nSize - 1
        {u"Paths", u"Driver", u"d", 1, u"", ERROR_SUCCESS},
        {u"Paths", u"Missing", u"abcdef", 3, u"ab", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        WCHAR buffer[64];
        std::memset(buffer, 0xCC, sizeof buffer);
        SetLastError(12345);
        const DWORD copied = GetPrivateProfileStringW(c.section, c.key, c.fallback, buffer, c.size, u"settings.ini");
        EXPECT_EQ(copied, c.text.size()) << Narrow(c.key);
        EXPECT_EQ(std::u16string(buffer), c.text) << Narrow(c.key);
        EXPECT_EQ(GetLastError(), c.error) << Narrow(c.key);
        if (c.size < 64) {
            EXPECT_EQ(buffer[c.size], 0xCCCC) << Narrow(c.key);  // nothing written past nSize
        }
    }
}

TEST_F(ProfileTest, ListsOfSectionsAndKeys) {
    WriteWindowsFile("settings.ini", Utf16Le(kSettings));
    struct Case {
        const char16_t* section;
        const char16_t* file;
        DWORD size;
        std::u16string list;  // with its NULs, the final one included
        DWORD copied;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {nullptr, u"settings.ini", 64, u"Paths\0Spaced Section\0UIPSETTINGS\0\0"s, 33},
        {nullptr, u"settings.ini", 10, u"Paths\0Sp\0\0"s, 8},                   // cut: two NULs, nSize - 2
        {u"uipsettings", u"settings.ini", 64, u"UIPLANG\0\0"s, 8},
        {u"Paths", u"settings.ini", 64,
         u"Driver\0Quoted\0Single\0Mismatched\0Empty\0NoEquals\0Path\0Later\0\0"s, 58},
        {u"Nowhere", u"settings.ini", 64, u"\0\0"s, 0},
        {nullptr, u"missing.ini", 64, u"\0\0"s, 0},
    };
    for (const Case& c : cases) {
        WCHAR buffer[64];
        std::memset(buffer, 0xCC, sizeof buffer);
        EXPECT_EQ(GetPrivateProfileStringW(c.section, nullptr, u"unused", buffer, c.size, c.file), c.copied);
        EXPECT_EQ(std::u16string(buffer, c.list.size()), c.list);
    }
}

TEST_F(ProfileTest, IntegersReadTheLeadingNumber) {
    WriteWindowsFile("numbers.ini",
                     "[Numbers]\nPlain=1041\nHex=0x10\nTrailing=55zz\nLetters=zz\nNegative=-5\nPlus=+7\nEmpty=\n"
                     "Quoted=\"12\"\nSpaces=  42  \n");
    struct Case {
        const char16_t* section;
        const char16_t* key;
        const char16_t* file;
        UINT value;
    };
    const Case cases[] = {
        {u"Numbers", u"Plain", u"numbers.ini", 1041},
        {u"Numbers", u"Hex", u"numbers.ini", 16},
        {u"Numbers", u"Trailing", u"numbers.ini", 55},
        {u"Numbers", u"Letters", u"numbers.ini", 0},
        {u"Numbers", u"Negative", u"numbers.ini", 0xFFFFFFFBu},
        {u"Numbers", u"Plus", u"numbers.ini", 7},
        {u"Numbers", u"Empty", u"numbers.ini", 99},      // the default
        {u"Numbers", u"Quoted", u"numbers.ini", 12},
        {u"Numbers", u"Spaces", u"numbers.ini", 42},
        {u"Numbers", u"Missing", u"numbers.ini", 99},
        {u"Other", u"Plain", u"numbers.ini", 99},
        {u"Numbers", u"Plain", u"missing.ini", 99},
        {u"Numbers", u"Plain", u"C:\\WINDOWS\\Numbers.INI", 1041},  // a full machine path
    };
    for (const Case& c : cases) EXPECT_EQ(GetPrivateProfileIntW(c.section, c.key, 99, c.file), c.value) << Narrow(c.key);
}

TEST_F(ProfileTest, FilesAreDecodedByTheirMarkOrTheMachineCodePage) {
    struct Case {
        const char* what;
        std::string bytes;
        UINT codePage;
        std::u16string value;
    };
    const std::vector<Case> cases = {
        {"UTF-16 LE", Utf16Le(u"[S]\r\nk=日本\r\n"), 932, u"日本"},
        {"UTF-16 BE", Utf16Be(u"[S]\r\nk=日本\r\n"), 932, u"日本"},
        {"UTF-8", "\xEF\xBB\xBF[S]\nk=\xE6\x97\xA5\xE6\x9C\xAC\n", 932, u"日本"},
        {"Shift-JIS", "[S]\nk=\x93\xFA\x96\x7B\n", 932, u"日本"},
        {"Windows-1252", "[S]\nk=caf\xE9\n", 1252, u"café"},
        {"a lead byte without its trail", "[S]\nk=a\x81", 932, u"a\u30FB"},
        {"an odd byte after UTF-16", Utf16Le(u"[S]\nk=v\n") + "\x41", 932, u"v"},
    };
    for (const Case& c : cases) {
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.ansiCodePage = c.codePage;
        palvex::SetOsProfile(profile);
        WriteWindowsFile("coded.ini", c.bytes);
        WCHAR buffer[16] = {};
        GetPrivateProfileStringW(u"S", u"k", u"", buffer, 16, u"coded.ini");
        EXPECT_EQ(std::u16string(buffer), c.value) << c.what;
    }
}

TEST_F(ProfileTest, EveryCallSeesTheFileAsItIsNow) {
    // Each step reads after a change that keeps the file's length or its bytes: a reader that
    // kept what it parsed before would answer the old value.
    struct Step {
        const char* what;
        std::string bytes;
        UINT codePage;
        std::u16string value;
    };
    const Step steps[] = {
        {"first read", "[S]\nk=\x93\xFA\x96\x7B\n", 932, u"日本"},
        {"the same bytes", "[S]\nk=\x93\xFA\x96\x7B\n", 932, u"日本"},
        {"the same bytes in another code page", "[S]\nk=\x93\xFA\x96\x7B\n", 1252, u"\u201C\u00FA\u2013{"},
        {"other bytes of the same length", "[S]\nk=abcd\n", 1252, u"abcd"},
        {"another section of the same length", "[T]\nk=abcd\n", 1252, u"none"},
    };
    for (const Step& step : steps) {
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.ansiCodePage = step.codePage;
        palvex::SetOsProfile(profile);
        WriteWindowsFile("changing.ini", step.bytes);
        WCHAR buffer[16] = {};
        GetPrivateProfileStringW(u"S", u"k", u"none", buffer, 16, u"changing.ini");
        EXPECT_EQ(std::u16string(buffer), step.value) << step.what;
    }
    // Two files read in turn each give their own value.
    WriteWindowsFile("other.ini", "[S]\nk=other\n");
    WCHAR buffer[16] = {};
    GetPrivateProfileStringW(u"T", u"k", u"", buffer, 16, u"changing.ini");
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    GetPrivateProfileStringW(u"S", u"k", u"", buffer, 16, u"other.ini");
    EXPECT_EQ(std::u16string(buffer), u"other");
}

// The OS profile.

TEST_F(ProfileTest, ANewMachineIsJapaneseWindows10) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)));
    EXPECT_EQ(info.dwMajorVersion, 10u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    EXPECT_EQ(info.dwBuildNumber, 19045u);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.szCSDVersion[0], u'\0');
    EXPECT_EQ(info.wProductType, VER_NT_WORKSTATION);
    EXPECT_EQ(info.wSuiteMask, VER_SUITE_SINGLEUSERTS);
    EXPECT_EQ(GetUserDefaultUILanguage(), 1041);
    EXPECT_EQ(GetSystemDefaultUILanguage(), 1041);
    EXPECT_EQ(GetUserDefaultLangID(), 1041);
    EXPECT_EQ(GetSystemDefaultLangID(), 1041);
    const palvex::OsProfile profile = palvex::GetOsProfile();
    EXPECT_EQ(profile.ansiCodePage, 932u);
    EXPECT_EQ(profile.userName, u"User");
    EXPECT_EQ(profile.processorArchitecture, 9);
    DWORD product = 0;
    ASSERT_TRUE(GetProductInfo(10, 0, 0, 0, &product));
    EXPECT_EQ(product, static_cast<DWORD>(PRODUCT_PROFESSIONAL));
    EXPECT_EQ(GetSystemMetrics(SM_SERVERR2), 0);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    EXPECT_EQ(system.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
}

TEST_F(ProfileTest, EditionAndProcessorComeFromTheProfile) {
    palvex::OsProfile profile;
    profile.majorVersion = 5;
    profile.minorVersion = 2;
    profile.productType = VER_NT_SERVER;
    profile.suiteMask = 0x2;
    profile.productInfoType = PRODUCT_ULTIMATE;
    profile.serverR2 = true;
    profile.processorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    palvex::SetOsProfile(profile);

    const palvex::OsProfile stored = palvex::GetOsProfile();
    EXPECT_EQ(stored.productInfoType, static_cast<DWORD>(PRODUCT_ULTIMATE));
    EXPECT_TRUE(stored.serverR2);
    OSVERSIONINFOEXW ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&ex)));
    EXPECT_EQ(ex.wProductType, VER_NT_SERVER);
    EXPECT_EQ(ex.wSuiteMask, 0x2);
    DWORD product = 0;
    ASSERT_TRUE(GetProductInfo(6, 1, 0, 0, &product));
    EXPECT_EQ(product, static_cast<DWORD>(PRODUCT_ULTIMATE));
    SetLastError(0);
    EXPECT_FALSE(GetProductInfo(6, 1, 0, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetSystemMetrics(SM_SERVERR2), 1);
    EXPECT_EQ(GetSystemMetrics(0), 0);  // an index this system does not report

    SYSTEM_INFO system;
    std::memset(&system, 0xAB, sizeof system);
    GetSystemInfo(&system);
    EXPECT_EQ(system.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
    EXPECT_EQ(system.wReserved, 0);
    EXPECT_EQ(system.dwPageSize, 4096u);
    EXPECT_GE(system.dwNumberOfProcessors, 1u);
    EXPECT_NE(system.dwActiveProcessorMask, 0u);
}

TEST_F(ProfileTest, VersionComesFromTheProfileInEitherLayout) {
    palvex::OsProfile profile;
    profile.majorVersion = 6;
    profile.minorVersion = 1;
    profile.buildNumber = 7601;
    profile.csdVersion = u"Service Pack 1";
    profile.servicePackMajor = 1;
    profile.productType = 3;
    palvex::SetOsProfile(profile);

    // The short layout is filled and nothing after it is touched.
    std::vector<uint8_t> bytes(sizeof(OSVERSIONINFOEXW), 0xAB);
    auto* info = reinterpret_cast<OSVERSIONINFOW*>(bytes.data());
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    ASSERT_TRUE(GetVersionExW(info));
    EXPECT_EQ(info->dwMajorVersion, 6u);
    EXPECT_EQ(info->dwMinorVersion, 1u);
    EXPECT_EQ(info->dwBuildNumber, 7601u);
    EXPECT_EQ(std::u16string(info->szCSDVersion), u"Service Pack 1");
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + sizeof(OSVERSIONINFOW), bytes.end()), std::vector<uint8_t>(8, 0xAB));

    OSVERSIONINFOEXW ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&ex)));
    EXPECT_EQ(ex.wServicePackMajor, 1);
    EXPECT_EQ(ex.wServicePackMinor, 0);
    EXPECT_EQ(ex.wProductType, VER_NT_SERVER);

    for (DWORD size : {0u, 275u, 280u, 300u}) {
        OSVERSIONINFOEXW bad{};
        bad.dwOSVersionInfoSize = size;
        SetLastError(0);
        EXPECT_FALSE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&bad))) << size;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << size;
    }
    EXPECT_FALSE(GetVersionExW(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ProfileTest, EachLanguageFunctionReportsItsOwnSetting) {
    palvex::OsProfile profile;
    profile.userUILanguage = 1033;
    profile.systemUILanguage = 1041;
    profile.userLangId = 1031;
    profile.systemLangId = 2052;
    palvex::SetOsProfile(profile);
    EXPECT_EQ(GetUserDefaultUILanguage(), 1033);
    EXPECT_EQ(GetSystemDefaultUILanguage(), 1041);
    EXPECT_EQ(GetUserDefaultLangID(), 1031);
    EXPECT_EQ(GetSystemDefaultLangID(), 2052);
}

// Writes change the key's line or the section's lines and leave the rest of the file as it was.
TEST_F(ProfileTest, WritesChangeOnlyTheirKeyOrSection) {
    WriteWindowsFile("driver.ini", "; the driver\r\n[UIPSETTINGS]\r\nUIPLANG=1041\r\n\r\n[Other]\r\nA=1\r\n");
    const auto file = m_machine.root() / "C" / "Windows" / "driver.ini";
    const auto text = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    ASSERT_TRUE(WritePrivateProfileStringW(u"VistaTest", u"Value", u"1", u"driver.ini"));
    ASSERT_TRUE(WritePrivateProfileStringW(u"uipsettings", u"UIPTYPEPRINTER", u"2", u"driver.ini"));
    ASSERT_TRUE(WritePrivateProfileStringW(u"Other", u"a", u"7", u"driver.ini"));
    EXPECT_EQ(text(), "; the driver\r\n[UIPSETTINGS]\r\nUIPLANG=1041\r\nUIPTYPEPRINTER=2\r\n\r\n[Other]\r\na=7\r\n"
                      "[VistaTest]\r\nValue=1\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(u"UIPSETTINGS", u"UIPTYPEPRINTER", 0, u"driver.ini"), 2u);
    ASSERT_TRUE(WritePrivateProfileStringW(u"VistaTest", nullptr, nullptr, u"driver.ini"));   // the section
    ASSERT_TRUE(WritePrivateProfileStringW(u"Other", u"A", nullptr, u"driver.ini"));          // a key
    ASSERT_TRUE(WritePrivateProfileStringW(u"Nowhere", u"A", nullptr, u"driver.ini"));        // nothing to delete
    EXPECT_EQ(text(), "; the driver\r\n[UIPSETTINGS]\r\nUIPLANG=1041\r\nUIPTYPEPRINTER=2\r\n\r\n[Other]\r\n");

    // A UTF-16 file stays UTF-16; a file nobody may write is refused.
    WriteWindowsFile("wide.ini", Utf16Le(u"[S]\r\nk=v\r\n"));
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"\u65e5\u672c", u"wide.ini"));
    std::ifstream wide(m_machine.root() / "C" / "Windows" / "wide.ini", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(wide)), {}), Utf16Le(u"[S]\r\nk=\u65e5\u672c\r\n"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(WritePrivateProfileStringW(u"VistaTest", u"Value", u"1", u"driver.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"Value", u"1", u"driver.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
