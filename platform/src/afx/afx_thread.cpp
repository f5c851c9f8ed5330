// AfxBeginThread: a worker thread with a waitable handle (afx/afxthread.h).
#include <afx/afxthread.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <win/synchapi_events.h>

struct CWinThread::Start {
    std::mutex mutex;
    std::condition_variable resumed;
    bool suspended = false;
};

CWinThread::CWinThread() : m_start(std::make_shared<Start>()) {}

CWinThread::~CWinThread() {
    if (m_hThread) CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread() {
    std::lock_guard lock(m_start->mutex);
    const bool was = m_start->suspended;
    m_start->suspended = false;
    m_start->resumed.notify_all();
    return was ? 1 : 0;
}

CWinThread* AfxBeginThread(AFX_THREADPROC function, LPVOID parameter, int, UINT, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES) {
    if (!function) return nullptr;
    auto* thread = new CWinThread;
    thread->m_hThread = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!thread->m_hThread) {
        delete thread;
        return nullptr;
    }
    thread->m_start->suspended = (createFlags & CREATE_SUSPENDED) != 0;
    try {
        std::thread([thread, function, parameter] {
            {
                std::unique_lock lock(thread->m_start->mutex);
                thread->m_start->resumed.wait(lock, [&] { return !thread->m_start->suspended; });
            }
            function(parameter);
            // Read before the handle is signalled: a waiter may delete a kept object at once.
            const BOOL autoDelete = thread->m_bAutoDelete;
            SetEvent(thread->m_hThread);
            // After the handle: a loop this wakes finds the thread returned.
            PostMessageW(nullptr, WM_NULL, 0, 0);
            if (autoDelete) delete thread;
        }).detach();
    } catch (...) {
        delete thread;
        return nullptr;
    }
    return thread;
}
