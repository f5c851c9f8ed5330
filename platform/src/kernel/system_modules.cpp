// The system libraries a program loads to look functions up at run time: each is a fixed table
// of the platform's own functions with the Windows version that brought each one.
#include <cstring>
#include <string>

#include <palvex/os_profile.h>
#include <win/libloaderapi.h>
#include <win/setupapi.h>
#include <win/sysinfoapi_product.h>
#include <win/wow64apiset.h>
#include <win/winerror.h>

#include "crt/utf16.h"
#include "kernel/system_modules.h"

namespace {

struct Export {
    const char* name;
    DWORD major, minor;  // the first Windows version that has it
    FARPROC function;
};

template <typename F>
FARPROC Proc(F* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

struct SystemModule {
    const char16_t* file;  // upper case
    Export exports[3];
};

const SystemModule kModules[] = {
    {u"SETUPAPI.DLL",
     {{"SetupGetInfFileListW", 5, 0, Proc(&SetupGetInfFileListW)},
      {"SetupGetInfDriverStoreLocationW", 6, 0, Proc(&SetupGetInfDriverStoreLocationW)},
      {nullptr, 0, 0, nullptr}}},
    {u"KERNEL32.DLL",
     {{"Wow64DisableWow64FsRedirection", 5, 2, Proc(&Wow64DisableWow64FsRedirection)},
      {"Wow64RevertWow64FsRedirection", 5, 2, Proc(&Wow64RevertWow64FsRedirection)},
      {nullptr, 0, 0, nullptr}}},
};

// Redirection switched off on this thread; the value a caller gets back to restore.
thread_local bool t_redirectionOff = false;

bool IsNative64() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

}  // namespace

namespace palvex::win {

bool IsSystemModule(HMODULE module) {
    for (const auto& entry : kModules)
        if (module == reinterpret_cast<HMODULE>(const_cast<SystemModule*>(&entry))) return true;
    return false;
}

}  // namespace palvex::win

HMODULE palvex::win::LoadSystemModule(LPCWSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string name = palvex::text::Upcase(lpLibFileName);
    const size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string::npos) {
        // Only the system folder holds the system's libraries.
        if (name.substr(0, slash) != u"C:\\WINDOWS\\SYSTEM32") {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        name.erase(0, slash + 1);
    }
    if (name.find(u'.') == std::u16string::npos) name += u".DLL";
    for (const auto& entry : kModules)
        if (name == entry.file) return reinterpret_cast<HMODULE>(const_cast<SystemModule*>(&entry));
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC palvex::win::SystemProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (!palvex::win::IsSystemModule(hModule)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpProcName || (reinterpret_cast<uintptr_t>(lpProcName) >> 16) == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);  // the system libraries are looked up by name only
        return nullptr;
    }
    const auto* module = reinterpret_cast<const SystemModule*>(hModule);
    palvex::OsProfile profile;
    try {
        profile = palvex::GetOsProfile();
    } catch (...) {
    }
    for (const Export& entry : module->exports) {
        if (!entry.name || std::strcmp(entry.name, lpProcName) != 0) continue;
        const bool present = profile.majorVersion > entry.major ||
                             (profile.majorVersion == entry.major && profile.minorVersion >= entry.minor);
        if (!present) break;
        return entry.function;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL Wow64DisableWow64FsRedirection(PVOID* OldValue) {
    if (!OldValue) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsNative64()) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    *OldValue = reinterpret_cast<PVOID>(static_cast<uintptr_t>(t_redirectionOff ? 1 : 0));
    t_redirectionOff = true;
    return TRUE;
}

BOOL Wow64RevertWow64FsRedirection(PVOID OlValue) {
    if (!IsNative64()) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    t_redirectionOff = reinterpret_cast<uintptr_t>(OlValue) != 0;
    return TRUE;
}
