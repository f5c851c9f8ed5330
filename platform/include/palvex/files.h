// Files of the simulated machine as tests and tools see them: the times the machine keeps for a
// file, and files held open by another program. Paths are taken as CreateFileW takes them.
// Failures throw MachineError (a missing file: ERROR_FILE_NOT_FOUND).
#pragma once

#include <string_view>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// Sets the creation and/or the last-write time of an existing file (a null pointer leaves that
// time as it is).
PALVEX_API void SetFileTimes(std::u16string_view path, const FILETIME* creation, const FILETIME* lastWrite);

// Another program of the machine holds the file open with GENERIC_READ | GENERIC_WRITE access and
// the given share mode: CreateFileW calls that conflict with it fail with ERROR_SHARING_VIOLATION.
// After `refusals` refused opens the holder lets the file go by itself; a negative count holds it
// until ReleaseFile. The hold is machine state, seen by every process of the machine.
PALVEX_API void HoldFileOpen(std::u16string_view path, DWORD shareMode, int refusals = -1);
PALVEX_API void ReleaseFile(std::u16string_view path);

}  // namespace palvex
