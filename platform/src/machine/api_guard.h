// Runs the body of an exported function and turns what it throws into a Win32 error code, so no
// exception leaves the platform's C functions.
#pragma once

#include <new>
#include <stdexcept>

#include <win/winbase.h>
#include <win/winerror.h>

namespace palvex {

// unavailable: the code for a failure of the machine database behind the function (the spooler's
// is RPC_S_SERVER_UNAVAILABLE, the registry's ERROR_REGISTRY_IO_FAILED).
template <class Body>
DWORD GuardedCall(DWORD unavailable, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return unavailable;
    }
}

// An exported function's BOOL answer: TRUE for ERROR_SUCCESS, else FALSE with the error as the
// thread's last error.
inline BOOL Finish(DWORD error) {
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

}  // namespace palvex
