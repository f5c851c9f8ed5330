// Code libraries a program loads by name at run time. No code is loaded from files here: the
// platform's own modules that programs load this way are built in, each with its named exports and
// a count of its loads (GetModuleHandleW finds it while one is held).
#include <atomic>
#include <cstring>
#include <string_view>

#include <win/htmlhelp.h>
#include <win/libloaderapi.h>
#include <win/uxtheme.h>
#include <win/winresource.h>

#include "crt/utf16.h"
#include "kernel/system_modules.h"

namespace {

struct BuiltinExport {
    const char* name;
    FARPROC procedure;
};

struct BuiltinModule {
    const char16_t* name;  // compared without regard to case, with or without a folder
    const BuiltinExport* exports;
    size_t exportCount;
    mutable std::atomic<int> loads;
};

const BuiltinExport kHtmlHelpExports[] = {
    // Through the generic function type, as any export is handed out.
    {"HtmlHelpW", reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&HtmlHelpW))},
};

const BuiltinExport kThemeExports[] = {
    {"DrawThemeParentBackground", reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&DrawThemeParentBackground))},
};

const BuiltinModule kModules[] = {
    {u"hhctrl.ocx", kHtmlHelpExports, std::size(kHtmlHelpExports), {0}},
    {u"UXTHEME.DLL", kThemeExports, std::size(kThemeExports), {0}},
};

// The file name of a path: what follows its last backslash or slash.
std::u16string_view BaseName(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

const BuiltinModule* FindByName(LPCWSTR path) {
    const std::u16string wanted = palvex::text::Upcase(std::u16string(BaseName(path)));
    for (const BuiltinModule& module : kModules)
        if (palvex::text::Upcase(module.name) == wanted) return &module;
    return nullptr;
}

const BuiltinModule* FindBuiltin(HMODULE module) {
    for (const BuiltinModule& candidate : kModules)
        if (reinterpret_cast<HMODULE>(const_cast<BuiltinModule*>(&candidate)) == module) return &candidate;
    return nullptr;
}

}  // namespace

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (const BuiltinModule* module = FindByName(lpLibFileName)) {
        ++module->loads;
        return reinterpret_cast<HMODULE>(const_cast<BuiltinModule*>(module));
    }
    return palvex::win::LoadSystemModule(lpLibFileName);  // the system's own libraries
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
    const BuiltinModule* module = lpModuleName ? FindByName(lpModuleName) : nullptr;
    if (!module || module->loads <= 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(const_cast<BuiltinModule*>(module));
}

bool palvex::FreeBuiltinLibrary(HMODULE module) {
    const BuiltinModule* builtin = FindBuiltin(module);
    if (!builtin) return false;
    int loads = builtin->loads.load();
    while (loads > 0 && !builtin->loads.compare_exchange_weak(loads, loads - 1)) {
    }
    return true;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (palvex::win::IsSystemModule(hModule)) return palvex::win::SystemProcAddress(hModule, lpProcName);
    const BuiltinModule* module = FindBuiltin(hModule);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (lpProcName && (reinterpret_cast<uintptr_t>(lpProcName) >> 16) != 0)
        for (size_t i = 0; i < module->exportCount; ++i)
            if (std::strcmp(module->exports[i].name, lpProcName) == 0) return module->exports[i].procedure;
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}
