// The running system as the machine's OS profile describes it: version and languages.
#pragma once

#include "winbase.h"

#define VER_PLATFORM_WIN32_NT 2
#define VER_NT_WORKSTATION 0x0000001
#define VER_NT_DOMAIN_CONTROLLER 0x0000002
#define VER_NT_SERVER 0x0000003
#define VER_SUITE_SINGLEUSERTS 0x00000100

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
typedef OSVERSIONINFOW* LPOSVERSIONINFOW;
static_assert(sizeof(OSVERSIONINFOW) == 276 && offsetof(OSVERSIONINFOW, szCSDVersion) == 20);

struct OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
typedef OSVERSIONINFOEXW* LPOSVERSIONINFOEXW;
static_assert(sizeof(OSVERSIONINFOEXW) == 284);
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == 276 && offsetof(OSVERSIONINFOEXW, wSuiteMask) == 280 &&
              offsetof(OSVERSIONINFOEXW, wProductType) == 282 && offsetof(OSVERSIONINFOEXW, wReserved) == 283);

// Fills an OSVERSIONINFOW or OSVERSIONINFOEXW, told apart by dwOSVersionInfoSize; another size
// gives FALSE and ERROR_INSUFFICIENT_BUFFER. The version is the profile's as it is (no compatibility
// shims).
WINBASEAPI BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation);

WINBASEAPI LANGID GetUserDefaultUILanguage(void);
WINBASEAPI LANGID GetSystemDefaultUILanguage(void);
WINBASEAPI LANGID GetUserDefaultLangID(void);
WINBASEAPI LANGID GetSystemDefaultLangID(void);
