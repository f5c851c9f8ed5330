// The client end of the machine's named pipes (internal to the platform library).
#pragma once

#include <win/wintypes.h>

namespace palvex {

// Whether a file name is a pipe's ("\\.\pipe\...", any case).
bool IsPipeName(LPCWSTR name);
// Connects to the pipe's server: the socket's descriptor, or -1 with *error set
// (ERROR_BAD_PATHNAME, ERROR_FILE_NOT_FOUND when no server listens, ERROR_PIPE_BUSY).
int ConnectPipe(LPCWSTR name, DWORD* error);

}  // namespace palvex
