// The running Windows as the unsupported-systems patterns name it, and the support test.
#include <win/sysinfoapi_product.h>

#include "drv_data.h"
#include "utilities.h"

namespace {

// The "."-separated fields of a text, each cut to a 128-character buffer.
std::vector<std::u16string> Fields(const std::u16string& text) {
    std::vector<std::u16string> fields;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find(u'.', start);
        fields.push_back(text.substr(start, std::min<size_t>(dot == std::u16string::npos ? std::u16string::npos : dot - start, 127)));
        if (dot == std::u16string::npos) break;
        start = dot + 1;
    }
    return fields;
}

DWORD EditionCode(const OSVERSIONINFOEXW& version, WORD architecture) {
    DWORD code = 0;
    // GetProductInfo came with Windows 6.0; before it the run-time lookup finds nothing.
    if (version.dwMajorVersion >= 6 && !GetProductInfo(version.dwMajorVersion, version.dwMinorVersion, 0, 0, &code))
        code = 0;
    if (version.dwMajorVersion == 5 && version.dwMinorVersion == 2) {
        if (GetSystemMetrics(SM_SERVERR2)) code = 1;
        else if (version.wSuiteMask & 0x2000) code = 0;   // VER_SUITE_STORAGE_SERVER
        else if (version.wSuiteMask & 0x8000) code = 15;  // VER_SUITE_WH_SERVER
        else if (version.wProductType == 1 && architecture == 9) code = 2;  // workstation on x64
        else code = 0;
    }
    return code;
}

}  // namespace

std::u16string CDrvData::GetOSIdentity() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version));
    const WORD architecture = GetNativeArchitecture();
    WCHAR identity[128];
    _snwprintf(identity, 128, u"%x.%x.%x.%x.%x", version.dwMajorVersion, version.dwMinorVersion,
               version.wServicePackMajor, EditionCode(version, architecture), architecture);
    return identity;
}

int CDrvData::MatchOSPattern(const std::u16string& identity, const std::u16string& pattern) {
    const auto have = Fields(identity);
    const auto wanted = Fields(pattern);
    std::u16string built;
    for (size_t i = 0; i < have.size(); ++i) {
        built += i < wanted.size() && wanted[i] == u"*" ? u"*" : have[i];
        if (i + 1 < have.size()) built += u'.';
    }
    std::u16string a = built, b = pattern;
    CharUpperBuffW(a.data(), static_cast<DWORD>(a.size()));
    CharUpperBuffW(b.data(), static_cast<DWORD>(b.size()));
    return a == b ? 0 : 1;
}

BOOL CDrvData::FindNonSupportOS() {
    const std::u16string identity = GetOSIdentity();
    for (int i = 1; i <= 512; ++i) {
        WCHAR key[16];
        _snwprintf(key, 16, u"VER_%03d", i);
        const std::u16string pattern = ReadText(u"NONSUPPORT", key, u"", 128);
        if (pattern.empty()) return FALSE;
        if (MatchOSPattern(identity, pattern) == 0) return TRUE;
    }
    // The whole list was read and nothing matched: this system is not on it.
    return FALSE;
}

int CDrvData::CheckSupportOS() {
    if (!IsWindowsVersionOrLater(5, 1)) return 0;
    return FindNonSupportOS() ? 0 : 1;
}
