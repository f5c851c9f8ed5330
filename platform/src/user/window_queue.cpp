// The message queue of the process. Any thread may post; the user-interface thread takes the
// messages in the order they were posted. Messages for a window destroyed meanwhile are dropped
// when they are dispatched.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <win/winuser.h>

#include "user/window_store.h"

namespace {

struct Posted {
    MSG message;
    std::thread::id poster;
};

struct Queue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<Posted> messages;
};

thread_local bool t_lastFromAnotherThread = false;

Queue& TheQueue() {
    static auto* queue = new Queue;  // outlives every static destructor
    return *queue;
}

bool Matches(const MSG& message, HWND window, UINT first, UINT last) {
    if (window && message.hwnd != window && !IsChild(window, message.hwnd)) return false;
    if (first == 0 && last == 0) return true;
    return message.message >= first && message.message <= last;
}

bool Take(Queue& queue, LPMSG out, HWND window, UINT first, UINT last, bool remove) {
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (it->message.message != WM_QUIT && !Matches(it->message, window, first, last)) continue;
        *out = it->message;
        if (remove) {
            t_lastFromAnotherThread = it->poster != std::this_thread::get_id();
            queue.messages.erase(it);
        }
        return true;
    }
    return false;
}

}  // namespace

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Queue& queue = TheQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.messages.push_back({MSG{hWnd, Msg, wParam, lParam, 0, {}, 0}, std::this_thread::get_id()});
    }
    queue.posted.notify_all();
    return TRUE;
}

void PostQuitMessage(int nExitCode) {
    Queue& queue = TheQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.messages.push_back({MSG{nullptr, WM_QUIT, static_cast<WPARAM>(nExitCode), 0, 0, {}, 0}, std::this_thread::get_id()});
    }
    queue.posted.notify_all();
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Queue& queue = TheQueue();
    std::unique_lock lock(queue.mutex);
    queue.posted.wait(lock, [&] { return Take(queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true); });
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (!lpMsg) return FALSE;
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    return Take(queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

namespace palvex::win {

bool LastMessageFromAnotherThread() {
    return t_lastFromAnotherThread;
}

}  // namespace palvex::win

BOOL TranslateMessage(const MSG*) {
    return FALSE;  // no keyboard here, so no character messages to make
}

LRESULT DispatchMessageW(const MSG* lpMsg) {
    if (!lpMsg || !lpMsg->hwnd || !IsWindow(lpMsg->hwnd)) return 0;
    return SendMessageW(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
    // Keyboard navigation is all this would add; the headless user clicks controls directly.
    if (!lpMsg || !hDlg || !IsWindow(hDlg)) return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
    DispatchMessageW(lpMsg);
    return TRUE;
}
