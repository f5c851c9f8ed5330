// The windows of the process (internal to the platform library).
//
// Every window lives in one table under one lock. The lock is held only while a window's data is
// read or changed, never while a window procedure runs, since procedures call back into the
// window functions.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <win/winuser.h>

namespace palvex::win {

struct WindowClass {
    std::u16string name;  // as registered, e.g. u"Button"
    WNDPROC procedure = nullptr;
};

struct Window {
    HWND handle = nullptr;
    const WindowClass* windowClass = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // the parent of a child window, the owner of a top-level one
    UINT_PTR id = 0;
    std::u16string text;
    RECT rect{};  // relative to the parent's client area (screen for a top-level window)
    HFONT font = nullptr;
    WNDPROC procedure = nullptr;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<HWND> children;  // z-order, top first
    bool destroying = false;
};

class WindowTable {
public:
    static WindowTable& Get();

    std::recursive_mutex& Mutex() { return m_mutex; }
    // The window of a live handle, or null (the caller holds the lock).
    Window* Find(HWND handle);
    Window* Add(std::unique_ptr<Window> window);
    void Remove(HWND handle);
    // The standard class of that name (without regard to case) or null.
    const WindowClass* FindClass(LPCWSTR name) const;

private:
    WindowTable();
    std::recursive_mutex m_mutex;
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> m_windows;
    std::vector<std::unique_ptr<WindowClass>> m_classes;
};

}  // namespace palvex::win
