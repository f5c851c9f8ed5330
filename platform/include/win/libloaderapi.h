// Code libraries of the system beside LoadLibraryW and GetProcAddress (winresource.h): the built-in
// modules count their loads, FreeLibrary releases one, and GetModuleHandleW finds a module while
// a load is held (else null, ERROR_MOD_NOT_FOUND). UXTHEME.DLL is one of them.
#pragma once

#include "winresource.h"

WINBASEAPI HMODULE GetModuleHandleW(LPCWSTR lpModuleName);

namespace palvex {
// FreeLibrary's part for built-in modules: true when the handle is one (one load released).
bool FreeBuiltinLibrary(HMODULE module);
}  // namespace palvex
