// The program a process stands for: its first module, its path and base name.
#include <gtest/gtest.h>

#include <palvex/process_image.h>
#include <win/psapi.h>
#include <win/windows.h>

namespace {

std::u16string BaseName() {
    HMODULE first = nullptr;
    DWORD needed = 0;
    EXPECT_TRUE(EnumProcessModules(GetCurrentProcess(), &first, sizeof first, &needed));
    WCHAR name[MAX_PATH] = {};
    EXPECT_GT(GetModuleBaseNameW(GetCurrentProcess(), first, name, MAX_PATH), 0u);
    return name;
}

TEST(ProcessImage, TheProgramIsThisExecutableUntilAHostSaysOtherwise) {
    EXPECT_EQ(BaseName(), u"platform_tests");
    {
        palvex::ProcessImageScope spooler(palvex::kSpoolerImagePath);
        EXPECT_EQ(BaseName(), u"spoolsv.exe");
        WCHAR path[MAX_PATH] = {};
        EXPECT_EQ(GetModuleFileNameW(nullptr, path, MAX_PATH), 31u);
        EXPECT_EQ(std::u16string(path), u"C:\\Windows\\System32\\spoolsv.exe");
    }
    EXPECT_EQ(BaseName(), u"platform_tests");
}

TEST(ProcessImage, EnumProcessModulesListsTheProgramFirst) {
    DWORD needed = 0;
    EXPECT_TRUE(EnumProcessModules(GetCurrentProcess(), nullptr, 0, &needed));
    EXPECT_EQ(needed, sizeof(HMODULE));
    HMODULE modules[4] = {};
    ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &needed));
    EXPECT_EQ(needed, sizeof(HMODULE));
    EXPECT_NE(modules[0], nullptr);
    EXPECT_EQ(modules[1], nullptr);

    SetLastError(0);
    EXPECT_FALSE(EnumProcessModules(reinterpret_cast<HANDLE>(1234), modules, sizeof modules, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(EnumProcessModules(GetCurrentProcess(), modules, 4, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
    EXPECT_FALSE(EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, nullptr));
}

TEST(ProcessImage, NamesAreCutToTheCallersBuffer) {
    palvex::ProcessImageScope spooler(palvex::kSpoolerImagePath);
    HMODULE first = nullptr;
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), &first, sizeof first, &needed));

    WCHAR name[6] = {u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(GetModuleBaseNameW(GetCurrentProcess(), first, name, 6), 5u);
    EXPECT_EQ(std::u16string(name), u"spool");
    EXPECT_EQ(GetModuleBaseNameW(GetCurrentProcess(), nullptr, name, 6), 5u);

    WCHAR path[8] = {};
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(first, path, 8), 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(path), u"C:\\Wind");

    SetLastError(0);
    EXPECT_EQ(GetModuleBaseNameW(GetCurrentProcess(), reinterpret_cast<HMODULE>(8), name, 6), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(8), path, 8), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetModuleBaseNameW(reinterpret_cast<HANDLE>(1234), first, name, 6), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
