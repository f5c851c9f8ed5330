// The driver-use mutex: every driver library holds "VORTAN_OLJA_DRIVERUSE_MUTEX" while it is
// loaded in a process, and the installer tests the name to learn whether a process uses the driver.
// Shared by the entries of the driver libraries (header only: they do not link one another).
#pragma once

#include <win/windows.h>

class DriverUseMutex {
public:
    // Whether another process holds the name already does not matter; without the mutex (it could
    // not be made) the library works all the same.
    void Hold() {
        if (!m_handle) m_handle = CreateMutexW(nullptr, FALSE, u"VORTAN_OLJA_DRIVERUSE_MUTEX");
    }
    void Release() {
        if (m_handle) {
            CloseHandle(m_handle);
            m_handle = nullptr;
        }
    }

private:
    HANDLE m_handle = nullptr;
};
