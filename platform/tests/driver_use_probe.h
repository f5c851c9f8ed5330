// What a process that tests for the driver's use (as the installer does) learns: whether some
// process holds the driver-use mutex, which every driver library holds while it is loaded.
#pragma once

#include <win/windows.h>

namespace palvex::testing {

inline constexpr WCHAR kDriverUseMutex[] = u"VORTAN_OLJA_DRIVERUSE_MUTEX";

inline bool DriverInUse() {
    HANDLE probe = CreateMutexW(nullptr, FALSE, kDriverUseMutex);
    const bool inUse = GetLastError() == ERROR_ALREADY_EXISTS;
    if (probe) CloseHandle(probe);
    return inUse;
}

}  // namespace palvex::testing
