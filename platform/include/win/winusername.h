// The name of the user the process runs as, from the machine's OS profile.
#pragma once

#include "winbase.h"

// Copies the user name and its NUL into lpBuffer; *pcbBuffer is the buffer's size in characters on
// entry and the characters copied (NUL included) on return. A short buffer gives FALSE with
// ERROR_INSUFFICIENT_BUFFER and *pcbBuffer the size needed; a null size pointer gives FALSE with
// ERROR_INVALID_PARAMETER.
WINBASEAPI BOOL GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer);
