#include "process_facts.h"

#include <win/psapi.h>

bool RunningInSpooler() {
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(GetCurrentProcess(), &first, sizeof first, &needed) || needed < sizeof first) return false;
    WCHAR name[MAX_PATH] = {};
    if (!GetModuleBaseNameW(GetCurrentProcess(), first, name, MAX_PATH)) return false;
    return lstrcmpiW(name, u"spoolsv.exe") == 0;
}

BOOL RunningOnWindows2000() {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 5;
    wanted.dwMinorVersion = 0;
    ULONGLONG conditions = VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, conditions);
}
