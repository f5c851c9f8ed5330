// A visible top-level window of a class of its own, whose window procedure a test gives, to hold
// the controls under test and hear their notifications. Destroyed, and its class unregistered,
// with the object.
#pragma once

#include <win/windows.h>

namespace palvex::testing {

class ParentWindow {
public:
    ParentWindow(const char16_t* className, WNDPROC proc, int width, int height) : m_className(className) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = proc;
        windowClass.lpszClassName = className;
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(0, className, u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                   nullptr, nullptr);
    }
    ~ParentWindow() {
        DestroyWindow(m_window);
        UnregisterClassW(m_className, nullptr);
    }
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;

    HWND get() const { return m_window; }

    // A visible child window of the class, with the given style and control id.
    HWND Child(const char16_t* className, DWORD style, int id, int x, int y, int width, int height) const {
        return CreateWindowExW(0, className, u"", WS_CHILD | WS_VISIBLE | style, x, y, width, height, m_window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

private:
    const char16_t* m_className;
    HWND m_window = nullptr;
};

}  // namespace palvex::testing
