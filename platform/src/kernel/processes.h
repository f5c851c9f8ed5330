// Processes opened with OpenProcess or started with CreateProcessW (internal to the platform
// library).
#pragma once

#include <optional>
#include <string>

#include <win/wintypes.h>

namespace palvex {

// The program path of a process handle from OpenProcess or CreateProcessW; none for any other.
std::optional<std::u16string> OpenedProcessImage(HANDLE process);
// The process id of a process handle from OpenProcess or CreateProcessW; none for any other.
std::optional<DWORD> OpenedProcessId(HANDLE process);
// Keeps the wait status of a child that was reaped, for GetExitCodeProcess (process_wait.cpp).
void NoteReapedChild(int pid, int status);
// WaitForSingleObject on a process handle: WAIT_OBJECT_0 when it ended, WAIT_TIMEOUT; none when
// the handle is not a process's.
std::optional<DWORD> WaitProcessHandle(HANDLE process, DWORD milliseconds);

}  // namespace palvex
