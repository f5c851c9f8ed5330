// Runs the body of an exported function and turns what it throws into a Win32 error code, so no
// exception leaves the platform's C functions.
#pragma once

#include <new>
#include <stdexcept>

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

}  // namespace palvex
