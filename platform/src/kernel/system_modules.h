// The system libraries LoadLibraryW hands out (internal to the platform library).
#pragma once

#include <win/winresource.h>

namespace palvex::win {

// True for a handle LoadLibraryW gave for a system library; freeing it is a no-op.
bool IsSystemModule(HMODULE module);
// LoadLibraryW and GetProcAddress for the system's libraries (setupapi.dll, kernel32.dll).
HMODULE LoadSystemModule(LPCWSTR path);
FARPROC SystemProcAddress(HMODULE module, LPCSTR name);

}  // namespace palvex::win
