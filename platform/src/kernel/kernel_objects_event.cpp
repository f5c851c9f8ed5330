// Unnamed events in the kernel handle table: CreateEventW, SetEvent, ResetEvent and
// WaitForSingleObject.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include <win/synchapi_events.h>
#include <win/winbase.h>

#include "kernel/kernel_objects.h"
#include "kernel/processes.h"

namespace {

class Event : public palvex::kernel::KernelObject {
public:
    Event(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        // Every waiter looks: a manual-reset event releases them all, an automatic one the first.
        m_changed.notify_all();
    }

    void Reset() {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

    // True when the event was signalled within the time (an automatic event is taken).
    bool Wait(DWORD milliseconds) {
        std::unique_lock lock(m_mutex);
        const auto signalled = [this] { return m_signalled; };
        if (milliseconds == INFINITE)
            m_changed.wait(lock, signalled);
        else if (!m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled))
            return false;
        if (!m_manualReset) m_signalled = false;
        return true;
    }

private:
    const bool m_manualReset;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled;
};

std::shared_ptr<Event> FindEvent(HANDLE handle) {
    auto event = palvex::kernel::FindKernelObject<Event>(handle);
    if (!event) SetLastError(ERROR_INVALID_HANDLE);
    return event;
}

}  // namespace

WINBASEAPI HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
    if (lpName && *lpName) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    try {
        HANDLE handle = palvex::kernel::KernelHandles().Insert(std::make_shared<Event>(bManualReset, bInitialState));
        SetLastError(ERROR_SUCCESS);
        return handle;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

WINBASEAPI BOOL SetEvent(HANDLE hEvent) {
    auto event = FindEvent(hEvent);
    if (!event) return FALSE;
    event->Set();
    return TRUE;
}

WINBASEAPI BOOL ResetEvent(HANDLE hEvent) {
    auto event = FindEvent(hEvent);
    if (!event) return FALSE;
    event->Reset();
    return TRUE;
}

WINBASEAPI DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto event = FindEvent(hHandle);  // the reference keeps the event alive across a CloseHandle
    if (!event) {
        if (auto waited = palvex::WaitProcessHandle(hHandle, dwMilliseconds)) return *waited;
        return WAIT_FAILED;
    }
    return event->Wait(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
