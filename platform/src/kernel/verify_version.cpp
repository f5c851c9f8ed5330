// Version tests answered from the machine's OS profile.
#include <array>

#include <palvex/os_profile.h>
#include <win/winosversion.h>

namespace {

BYTE ConditionOf(ULONGLONG mask, DWORD field) {
    const int position = __builtin_ctz(field);
    return static_cast<BYTE>((mask >> (position * 3)) & 0x7);
}

bool Holds(BYTE condition, int order) {
    switch (condition) {
    case VER_EQUAL: return order == 0;
    case VER_GREATER: return order > 0;
    case VER_GREATER_EQUAL: return order >= 0;
    case VER_LESS: return order < 0;
    case VER_LESS_EQUAL: return order <= 0;
    default: return false;
    }
}

int Compare(ULONGLONG system, ULONGLONG wanted) {
    return system < wanted ? -1 : system > wanted ? 1 : 0;
}

}  // namespace

ULONGLONG VerSetConditionMask(ULONGLONG ConditionMask, DWORD TypeMask, BYTE Condition) {
    for (int position = 0; position < 8; ++position) {
        if (!(TypeMask & (1u << position))) continue;
        ConditionMask &= ~(ULONGLONG{0x7} << (position * 3));
        ConditionMask |= ULONGLONG{static_cast<BYTE>(Condition & 0x7)} << (position * 3);
    }
    return ConditionMask;
}

BOOL VerifyVersionInfoW(LPOSVERSIONINFOEXW lpVersionInformation, DWORD dwTypeMask, ULONGLONG dwlConditionMask) {
    constexpr DWORD kKnown = 0xFF;
    if (!lpVersionInformation || (dwTypeMask & kKnown) == 0 || dwlConditionMask == 0) {
        SetLastError(ERROR_BAD_ARGUMENTS);
        return FALSE;
    }
    for (DWORD field = 1; field <= VER_PRODUCT_TYPE; field <<= 1)
        if ((dwTypeMask & field) && ConditionOf(dwlConditionMask, field) == 0) {
            SetLastError(ERROR_BAD_ARGUMENTS);
            return FALSE;
        }

    palvex::OsProfile system;
    try {
        system = palvex::GetOsProfile();
    } catch (...) {
        system = palvex::OsProfile{};
    }
    const OSVERSIONINFOEXW& wanted = *lpVersionInformation;
    bool passed = true;

    // The version fields, most significant first, compared as one version.
    const std::array<DWORD, 4> versionFields = {VER_MAJORVERSION, VER_MINORVERSION, VER_SERVICEPACKMAJOR,
                                                VER_SERVICEPACKMINOR};
    const std::array<std::pair<ULONGLONG, ULONGLONG>, 4> versionValues = {{
        {system.majorVersion, wanted.dwMajorVersion},
        {system.minorVersion, wanted.dwMinorVersion},
        {system.servicePackMajor, wanted.wServicePackMajor},
        {system.servicePackMinor, wanted.wServicePackMinor},
    }};
    BYTE versionCondition = 0;
    int versionOrder = 0;
    for (size_t i = 0; i < versionFields.size(); ++i) {
        if (!(dwTypeMask & versionFields[i])) continue;
        if (!versionCondition) versionCondition = ConditionOf(dwlConditionMask, versionFields[i]);
        if (versionOrder == 0) versionOrder = Compare(versionValues[i].first, versionValues[i].second);
    }
    if (versionCondition && !Holds(versionCondition, versionOrder)) passed = false;

    if (dwTypeMask & VER_BUILDNUMBER)
        passed = passed && Holds(ConditionOf(dwlConditionMask, VER_BUILDNUMBER),
                                 Compare(system.buildNumber, wanted.dwBuildNumber));
    if (dwTypeMask & VER_PLATFORMID)
        passed = passed && Holds(ConditionOf(dwlConditionMask, VER_PLATFORMID),
                                 Compare(system.platformId, wanted.dwPlatformId));
    if (dwTypeMask & VER_PRODUCT_TYPE)
        passed = passed && Holds(ConditionOf(dwlConditionMask, VER_PRODUCT_TYPE),
                                 Compare(system.productType, wanted.wProductType));
    if (dwTypeMask & VER_SUITENAME) {
        const BYTE condition = ConditionOf(dwlConditionMask, VER_SUITENAME);
        const WORD present = static_cast<WORD>(system.suiteMask & wanted.wSuiteMask);
        if (condition == VER_AND)
            passed = passed && present == wanted.wSuiteMask;
        else if (condition == VER_OR)
            passed = passed && (wanted.wSuiteMask == 0 || present != 0);
        else
            passed = passed && Holds(condition, Compare(system.suiteMask, wanted.wSuiteMask));
    }

    if (!passed) {
        SetLastError(ERROR_OLD_WIN_VERSION);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
