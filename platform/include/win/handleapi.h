// Kernel handles of the simulated platform.
#pragma once

#include "winerror.h"
#include "wintypes.h"

// Security attributes of a new kernel object. The simulated machine has one user and no access
// control, so the descriptor is accepted and not used.
struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* PSECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
static_assert(sizeof(SECURITY_ATTRIBUTES) == 24);

// Closes a kernel handle of any kind (named mutexes and the kinds that follow them). An unknown
// handle: FALSE and ERROR_INVALID_HANDLE. The object goes when its last handle is closed.
WINBASEAPI BOOL CloseHandle(HANDLE hObject);
