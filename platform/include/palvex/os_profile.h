// The OS profile of the simulated machine: what GetVersionExW, the UI-language functions and the
// code-page functions report. It lives in the machine database, so every process on the same
// machine root sees the same system; tests change it through SetOsProfile.
#pragma once

#include <string>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// The defaults describe the product's usual system: Japanese Windows 10 (build 19045), a
// workstation on x64.
struct OsProfile {
    DWORD majorVersion = 10;
    DWORD minorVersion = 0;
    DWORD buildNumber = 19045;
    DWORD platformId = 2;              // VER_PLATFORM_WIN32_NT
    std::u16string csdVersion;         // service-pack text, empty when none
    WORD servicePackMajor = 0;
    WORD servicePackMinor = 0;
    WORD suiteMask = 0x0100;           // VER_SUITE_SINGLEUSERTS
    BYTE productType = 1;              // VER_NT_WORKSTATION
    WORD processorArchitecture = 9;    // PROCESSOR_ARCHITECTURE_AMD64
    DWORD productInfoType = 48;        // GetProductInfo: PRODUCT_PROFESSIONAL
    bool serverR2 = false;             // GetSystemMetrics(SM_SERVERR2)
    LANGID userUILanguage = 1041;
    LANGID systemUILanguage = 1041;
    LANGID userLangId = 1041;          // the user's locale language
    LANGID systemLangId = 1041;        // the system locale's language
    UINT ansiCodePage = 932;
    UINT oemCodePage = 932;
    std::u16string userName = u"User";
    bool administrator = true;         // the user is in the built-in Administrators group
};

// The current machine's profile (the defaults on a new machine). Database failures throw
// std::runtime_error.
PALVEX_API OsProfile GetOsProfile();
// Its ANSI code page alone, which every code-page conversion asks for.
PALVEX_API UINT GetAnsiCodePage();
PALVEX_API void SetOsProfile(const OsProfile& profile);

}  // namespace palvex
