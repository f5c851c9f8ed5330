// Loading the system's own libraries for their functions: LoadLibraryW of a library of the system
// folder (setupapi.dll, kernel32.dll) gives a handle whose functions GetProcAddress finds by name.
// A function the running Windows version does not have is not found (ERROR_PROC_NOT_FOUND), as a
// program that looks a function up at run time expects. Other libraries are not loaded for code
// here (ERROR_MOD_NOT_FOUND); resource libraries go through LoadLibraryExW. The built-in modules
// (UXTHEME.DLL among them) count their loads, FreeLibrary releases one, and GetModuleHandleW finds
// a module while a load is held (else null, ERROR_MOD_NOT_FOUND).
#pragma once

#include "winresource.h"

WINBASEAPI HMODULE GetModuleHandleW(LPCWSTR lpModuleName);

namespace palvex {
// FreeLibrary's part for built-in modules: true when the handle is one (one load released).
bool FreeBuiltinLibrary(HMODULE module);
}  // namespace palvex
