// Version tests against the machine's OS profile.
#include <gtest/gtest.h>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <win/windows.h>

namespace {

struct Version {
    DWORD major;
    DWORD minor;
    WORD servicePack = 0;
    BYTE productType = VER_NT_WORKSTATION;
    WORD suite = 0;
};

void SetSystem(const Version& version) {
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.majorVersion = version.major;
    profile.minorVersion = version.minor;
    profile.servicePackMajor = version.servicePack;
    profile.productType = version.productType;
    profile.suiteMask = version.suite;
    palvex::SetOsProfile(profile);
}

// Whether the system is the version (both fields compared with condition).
BOOL Is(DWORD major, DWORD minor, BYTE condition) {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    ULONGLONG mask = VerSetConditionMask(0, VER_MAJORVERSION, condition);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, condition);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, mask);
}

TEST(VerifyVersion, ConditionMasksTakeThreeBitsPerField) {
    EXPECT_EQ(VerSetConditionMask(0, VER_MINORVERSION, VER_EQUAL), 0x1u);
    EXPECT_EQ(VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL), 0x18u);
    EXPECT_EQ(VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL), ULONGLONG{1} << 21);
    EXPECT_EQ(VerSetConditionMask(0x18, VER_MAJORVERSION, VER_LESS), 0x20u);
}

TEST(VerifyVersion, ComparesTheVersionAsOne) {
    palvex::TestMachine machine;
    struct Case {
        Version system;
        DWORD major, minor;
        BYTE condition;
        BOOL expected;
    };
    const Case cases[] = {
        {{5, 0}, 5, 0, VER_EQUAL, TRUE},
        {{5, 1}, 5, 0, VER_EQUAL, FALSE},
        {{10, 0}, 5, 0, VER_EQUAL, FALSE},
        {{5, 1}, 5, 0, VER_GREATER_EQUAL, TRUE},
        {{6, 0}, 6, 1, VER_GREATER_EQUAL, FALSE},
        {{10, 0}, 6, 1, VER_GREATER_EQUAL, TRUE},
        {{6, 1}, 6, 1, VER_GREATER_EQUAL, TRUE},
        {{5, 2}, 6, 0, VER_LESS, TRUE},
        {{6, 0}, 6, 0, VER_LESS, FALSE},
        {{6, 0}, 6, 0, VER_LESS_EQUAL, TRUE},
        {{6, 2}, 6, 1, VER_GREATER, TRUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.system.major) + "." + std::to_string(c.system.minor) + " vs " +
                     std::to_string(c.major) + "." + std::to_string(c.minor));
        SetSystem(c.system);
        SetLastError(0);
        EXPECT_EQ(Is(c.major, c.minor, c.condition), c.expected);
        EXPECT_EQ(GetLastError(), c.expected ? 0u : static_cast<DWORD>(ERROR_OLD_WIN_VERSION));
    }
}

TEST(VerifyVersion, ProductTypeSuiteAndBadArguments) {
    palvex::TestMachine machine;
    SetSystem({5, 2, 0, VER_NT_SERVER, 0x0002});
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 5;
    wanted.dwMinorVersion = 2;
    wanted.wProductType = VER_NT_WORKSTATION;
    ULONGLONG mask = VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_EQUAL);
    const ULONGLONG typeMask = VerSetConditionMask(mask, VER_PRODUCT_TYPE, VER_EQUAL);
    EXPECT_FALSE(VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_PRODUCT_TYPE, typeMask));
    wanted.wProductType = VER_NT_SERVER;
    EXPECT_TRUE(VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_PRODUCT_TYPE, typeMask));

    wanted.wSuiteMask = 0x0002 | 0x0080;
    EXPECT_FALSE(VerifyVersionInfoW(&wanted, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, VER_AND)));
    EXPECT_TRUE(VerifyVersionInfoW(&wanted, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, VER_OR)));

    SetLastError(0);
    EXPECT_FALSE(VerifyVersionInfoW(&wanted, 0, mask));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
    EXPECT_FALSE(VerifyVersionInfoW(&wanted, VER_MAJORVERSION, 0));
    EXPECT_FALSE(VerifyVersionInfoW(&wanted, VER_BUILDNUMBER, mask));  // no condition for the build
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
    EXPECT_FALSE(VerifyVersionInfoW(nullptr, VER_MAJORVERSION, mask));
}

}  // namespace
