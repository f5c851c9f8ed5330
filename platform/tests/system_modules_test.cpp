// The system's libraries loaded for their functions, and which functions a Windows version has.
#include <gtest/gtest.h>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <win/libloaderapi.h>
#include <win/setupapi.h>
#include <win/wow64apiset.h>
#include <win/winerror.h>

namespace {

TEST(SystemModules, LoadsTheSystemLibrariesByNameOrFromTheSystemFolder) {
    palvex::TestMachine machine;
    struct Case {
        const char16_t* path;
        bool loads;
    } const cases[] = {
        {u"setupapi.dll", true},
        {u"C:\\Windows\\System32\\setupapi.dll", true},
        {u"c:\\windows\\system32\\SETUPAPI", true},
        {u"C:\\Windows\\System32\\KERNEL32.DLL", true},
        {u"C:\\Temp\\setupapi.dll", false},  // not the system's
        {u"C:\\Windows\\System32\\unknown.dll", false},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        HMODULE module = LoadLibraryW(c.path);
        EXPECT_EQ(module != nullptr, c.loads);
        if (!c.loads) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        }
        if (module) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }
}

TEST(SystemModules, FindsOnlyTheFunctionsTheRunningWindowsHas) {
    palvex::TestMachine machine;
    HMODULE setupApi = LoadLibraryW(u"setupapi.dll");
    ASSERT_NE(setupApi, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(setupApi, "SetupGetInfDriverStoreLocationW")),
              reinterpret_cast<void*>(&SetupGetInfDriverStoreLocationW));
    EXPECT_EQ(GetProcAddress(setupApi, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    auto profile = palvex::GetOsProfile();
    profile.majorVersion = 5;
    profile.minorVersion = 1;
    palvex::SetOsProfile(profile);
    EXPECT_EQ(GetProcAddress(setupApi, "SetupGetInfDriverStoreLocationW"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_NE(GetProcAddress(setupApi, "SetupGetInfFileListW"), nullptr);
}

TEST(SystemModules, RedirectionIsSwitchedOffAndBackOnlyOn64BitWindows) {
    palvex::TestMachine machine;
    PVOID saved = reinterpret_cast<PVOID>(1);
    ASSERT_TRUE(Wow64DisableWow64FsRedirection(&saved));
    EXPECT_EQ(saved, nullptr);
    PVOID nested = nullptr;
    ASSERT_TRUE(Wow64DisableWow64FsRedirection(&nested));
    EXPECT_NE(nested, nullptr);  // already off: the value that puts it back to off
    EXPECT_TRUE(Wow64RevertWow64FsRedirection(nested));
    EXPECT_TRUE(Wow64RevertWow64FsRedirection(saved));

    auto profile = palvex::GetOsProfile();
    profile.processorArchitecture = 0;
    palvex::SetOsProfile(profile);
    EXPECT_FALSE(Wow64DisableWow64FsRedirection(&saved));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
}

}  // namespace
