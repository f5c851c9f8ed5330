// Processes opened with OpenProcess or started with CreateProcessW (internal to the platform
// library).
#pragma once

#include <optional>
#include <string>

#include <win/wintypes.h>

namespace palvex {

// The program path of a process handle from OpenProcess or CreateProcessW; none for any other.
std::optional<std::u16string> OpenedProcessImage(HANDLE process);

}  // namespace palvex
