// Worker threads of the application framework: AfxBeginThread runs a function on a new thread
// with one parameter. m_hThread is a waitable handle, signalled when the function has returned;
// the object deletes itself then unless m_bAutoDelete was cleared (start the thread with
// CREATE_SUSPENDED, clear it, then ResumeThread). When the function returns, a WM_NULL without
// window is posted, so a message loop that waits for a worker's last report wakes even when the
// worker left without one.
#pragma once

#include <memory>

#include <win/windows.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

typedef UINT (*AFX_THREADPROC)(LPVOID);

#define THREAD_PRIORITY_NORMAL 0
#ifndef CREATE_SUSPENDED
#define CREATE_SUSPENDED 0x00000004
#endif

class PALVEX_API CWinThread {
public:
    CWinThread();
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    // Lets a thread started suspended run; returns 1 when it was suspended, else 0.
    DWORD ResumeThread();

    HANDLE m_hThread = nullptr;
    BOOL m_bAutoDelete = TRUE;

    struct Start;
    std::shared_ptr<Start> m_start;
};

// nullptr when the thread cannot be started (no thread is left running then).
PALVEX_API CWinThread* AfxBeginThread(AFX_THREADPROC function, LPVOID parameter, int priority = THREAD_PRIORITY_NORMAL,
                                      UINT stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
