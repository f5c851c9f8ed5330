// The client side of named pipes. A pipe "\\.\pipe\NAME" is a local socket of the machine (names
// compared without regard to case) that a server program of the machine listens on
// (palvex/pipes.h). CreateFileW opens such a name for writing (and reading) as a byte stream;
// WriteFile sends, CloseHandle ends the connection.
#pragma once

#include "winbase.h"

#ifndef ERROR_PIPE_BUSY
#define ERROR_PIPE_BUSY 231L
#endif
#ifndef ERROR_NO_DATA
#define ERROR_NO_DATA 232L
#endif
#ifndef ERROR_SEM_TIMEOUT
#define ERROR_SEM_TIMEOUT 121L
#endif

#define NMPWAIT_USE_DEFAULT_WAIT 0x00000000
#define NMPWAIT_WAIT_FOREVER 0xFFFFFFFF

// TRUE when a server listens on the pipe. No such pipe: FALSE at once with ERROR_FILE_NOT_FOUND,
// whatever the time-out; a name that is not a pipe's: ERROR_BAD_PATHNAME.
WINBASEAPI BOOL WaitNamedPipeW(LPCWSTR lpNamedPipeName, DWORD nTimeOut);
