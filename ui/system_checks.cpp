// The system facts the model's hooks ask for: the Windows version, the printer's market and the
// running processes.
#include <win/psapi.h>

#include "model_hooks.h"

namespace {

BOOL IsVersion(DWORD major, DWORD minor, BYTE productType) {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    wanted.wProductType = productType;
    DWORD fields = VER_MAJORVERSION | VER_MINORVERSION;
    ULONGLONG conditions = VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_EQUAL);
    if (productType) {
        fields |= VER_PRODUCT_TYPE;
        conditions = VerSetConditionMask(conditions, VER_PRODUCT_TYPE, VER_EQUAL);
    }
    return VerifyVersionInfoW(&wanted, fields, conditions);
}

constexpr LANGID kDefaultMarket = 1041;
constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kBaseNameChars = 64;

}  // namespace

BOOL IsWindows50() {
    return IsVersion(5, 0, 0);
}

BOOL IsWindows51() {
    return IsVersion(5, 1, 0);
}

BOOL IsWindows52Workstation() {
    return IsVersion(5, 2, VER_NT_WORKSTATION);
}

BOOL IsWindows52Server() {
    return IsVersion(5, 2, VER_NT_SERVER);
}

LANGID GetMarketLangID(HANDLE printer) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD needed = 0;
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(u"Market"), &type, reinterpret_cast<LPBYTE>(&value), sizeof value,
                        &needed) != ERROR_SUCCESS ||
        needed != sizeof value)
        return kDefaultMarket;
    return LOWORD(value);
}

BOOL IsProcessRunning(LPCWSTR baseName) {
    if (!baseName || !*baseName) return FALSE;
    DWORD ids[kMaxProcesses] = {};
    DWORD needed = 0;
    if (!EnumProcesses(ids, sizeof ids, &needed)) return FALSE;
    const DWORD count = needed / sizeof(DWORD);
    // The first entry is never opened (the system's idle process stands there).
    for (DWORD i = count; i-- > 1;) {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!process) continue;
        HMODULE first = nullptr;
        DWORD moduleBytes = 0;
        WCHAR name[kBaseNameChars] = {};
        const bool match = EnumProcessModules(process, &first, sizeof first, &moduleBytes) &&
                           GetModuleBaseNameW(process, first, name, kBaseNameChars) &&
                           lstrcmpiW(name, baseName) == 0;
        CloseHandle(process);
        if (match) return TRUE;
    }
    return FALSE;
}
