// Window creation and destruction, the standard classes, messages and window text.
#include <algorithm>
#include <cstring>

#include <win/winuser.h>

#include "kernel/handle_table.h"
#include "crt/utf16.h"
#include "user/window_store.h"

namespace palvex::win {
namespace {

}  // namespace

WindowTable& WindowTable::Get() {
    static auto* table = new WindowTable;  // outlives every static destructor
    return *table;
}

WindowTable::WindowTable() {
    const std::pair<const char16_t*, WNDPROC> standard[] = {
        {u"Button", ButtonProc},     {u"Edit", EditProc},         {u"Static", StaticProc},
        {u"ListBox", ListBoxProc},   {u"ComboBox", ComboBoxProc}, {u"ScrollBar", ScrollBarProc},
        {u"#32770", DefDlgProcW},
        // The common controls.
        {u"SysTabControl32", TabControlProc}, {u"SysListView32", ListViewProc},
        {u"ComboBoxEx32", ComboBoxExProc},    {u"msctls_updown32", UpDownProc},
        {u"msctls_progress32", ProgressProc}};
    for (const auto& [name, procedure] : standard) {
        auto windowClass = std::make_unique<WindowClass>();
        windowClass->name = name;
        windowClass->procedure = procedure;
        windowClass->info.cbSize = sizeof(WNDCLASSEXW);
        windowClass->info.lpfnWndProc = procedure;
        if (procedure == DefDlgProcW) windowClass->info.cbWndExtra = DLGWINDOWEXTRA;
        m_classes.push_back(std::move(windowClass));
    }
}

Window* WindowTable::Find(HWND handle) {
    auto it = m_windows.find(reinterpret_cast<uintptr_t>(handle));
    return it == m_windows.end() ? nullptr : it->second.get();
}

Window* WindowTable::Add(std::unique_ptr<Window> window) {
    Window* added = window.get();
    m_windows.emplace(reinterpret_cast<uintptr_t>(window->handle), std::move(window));
    return added;
}

void WindowTable::Remove(HWND handle) {
    m_windows.erase(reinterpret_cast<uintptr_t>(handle));
}

const WindowClass* WindowTable::FindClass(LPCWSTR name, HINSTANCE instance) const {
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    const std::u16string wanted = text::Upcase(name);
    for (const auto& windowClass : m_classes)
        if (windowClass->registered && text::Upcase(windowClass->name) == wanted &&
            (!instance || windowClass->info.hInstance == instance || (windowClass->info.style & 0x4000 /* CS_GLOBALCLASS */)))
            return windowClass.get();
    for (const auto& windowClass : m_classes)
        if (!windowClass->registered && text::Upcase(windowClass->name) == wanted) return windowClass.get();
    return nullptr;
}

bool WindowTable::AddClass(std::unique_ptr<WindowClass> windowClass) {
    const std::u16string wanted = text::Upcase(windowClass->name);
    for (const auto& existing : m_classes)
        if (existing->registered && text::Upcase(existing->name) == wanted &&
            existing->info.hInstance == windowClass->info.hInstance)
            return false;
    m_classes.push_back(std::move(windowClass));
    return true;
}

bool WindowTable::RemoveClass(LPCWSTR name, HINSTANCE instance) {
    if (!name || IS_INTRESOURCE(name)) return false;
    const std::u16string wanted = text::Upcase(name);
    for (auto it = m_classes.begin(); it != m_classes.end(); ++it) {
        if ((*it)->registered && text::Upcase((*it)->name) == wanted && (*it)->info.hInstance == instance) {
            m_removedClasses.push_back(std::move(*it));
            m_classes.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<HWND> WindowTable::TopLevelWindows() {
    std::vector<HWND> windows;
    for (const auto& [value, window] : m_windows)
        if ((window->style & (WS_CHILD | WS_POPUP)) != WS_CHILD && !window->destroying) windows.push_back(window->handle);
    std::sort(windows.begin(), windows.end());
    return windows;
}

}  // namespace palvex::win

using palvex::win::Window;
using palvex::win::WindowTable;

namespace {

// Runs a window's procedure outside the table's lock; 0 for a window that is gone.
LRESULT Dispatch(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    const bool found = palvex::win::WithWindow(hWnd, false, [&](Window& window, WindowTable&) {
        procedure = window.procedure;
        return true;
    });
    if (!found) return 0;
    return procedure ? procedure(hWnd, message, wParam, lParam) : DefWindowProcW(hWnd, message, wParam, lParam);
}

void DestroyTree(HWND hWnd) {
    auto& table = WindowTable::Get();
    {
        std::lock_guard lock(table.Mutex());
        Window* window = table.Find(hWnd);
        if (!window || window->destroying) return;
        window->destroying = true;
    }
    Dispatch(hWnd, WM_DESTROY, 0, 0);
    for (;;) {
        HWND child = nullptr;
        {
            std::lock_guard lock(table.Mutex());
            Window* window = table.Find(hWnd);
            if (!window) return;
            auto it = std::find_if(window->children.begin(), window->children.end(), [&](HWND c) {
                Window* w = table.Find(c);
                return w && !w->destroying;
            });
            if (it == window->children.end()) break;
            child = *it;
        }
        DestroyTree(child);
    }
    Dispatch(hWnd, WM_NCDESTROY, 0, 0);
    palvex::win::ForgetWindow(hWnd);
    std::lock_guard lock(table.Mutex());
    Window* window = table.Find(hWnd);
    if (!window) return;
    if (Window* parent = table.Find(window->parent)) std::erase(parent->children, hWnd);
    table.Remove(hWnd);
}

}  // namespace

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
    auto& table = WindowTable::Get();
    HWND handle = nullptr;
    const palvex::win::WindowClass* windowClass = nullptr;
    {
        std::lock_guard lock(table.Mutex());
        windowClass = table.FindClass(lpClassName, hInstance);
        if (!windowClass) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        const bool child = (dwStyle & (WS_CHILD | WS_POPUP)) == WS_CHILD;
        if (hWndParent && !table.Find(hWndParent)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (child && !hWndParent) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        auto window = std::make_unique<Window>();
        window->handle = reinterpret_cast<HWND>(palvex::NextHandleValue());
        window->windowClass = windowClass;
        window->style = dwStyle;
        window->exStyle = dwExStyle;
        window->parent = hWndParent;
        window->id = child ? reinterpret_cast<UINT_PTR>(hMenu) : 0;
        if (X == CW_USEDEFAULT) X = Y = 0;
        if (nWidth == CW_USEDEFAULT) nWidth = nHeight = 0;
        window->rect = {X, Y, X + std::max(nWidth, 0), Y + std::max(nHeight, 0)};
        window->procedure = windowClass->procedure;
        window->instance = hInstance;
        window->control = std::make_shared<palvex::win::ControlState>();
        if (windowClass->procedure == DefDlgProcW) window->dialog = std::make_shared<palvex::win::DialogState>();
        handle = window->handle;
        table.Add(std::move(window));
        if (hWndParent && child) table.Find(hWndParent)->children.push_back(handle);
    }
    CREATESTRUCTW create{lpParam,  hInstance, hMenu,   hWndParent,          nHeight,      nWidth,
                         Y,        X,         static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
    if (!Dispatch(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) ||
        Dispatch(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyTree(handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    palvex::win::PublishWindow(handle);
    return handle;
}

BOOL DestroyWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    DestroyTree(hWnd);
    return TRUE;
}

BOOL IsWindow(HWND hWnd) {
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    return table.Find(hWnd) != nullptr;
}

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return Dispatch(hWnd, Msg, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (Msg == WM_CLOSE) {  // outside the lock: destroying runs window procedures
        DestroyWindow(hWnd);
        return 0;
    }
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    Window* window = table.Find(hWnd);
    if (!window) return 0;
    switch (Msg) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName)) window->text = create->lpszName;
        return TRUE;
    }
    case WM_SETTEXT: {
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        window->text = text ? text : u"";
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (!buffer || wParam == 0) return 0;
        const size_t copied = std::min<size_t>(window->text.size(), wParam - 1);
        std::memcpy(buffer, window->text.data(), copied * sizeof(WCHAR));
        buffer[copied] = u'\0';
        return static_cast<LRESULT>(copied);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window->text.size());
    case WM_SETFONT:
        window->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(window->font);
    case WM_SETICON: {
        const int which = wParam == ICON_BIG ? 1 : 0;
        HICON previous = window->icons[which];
        window->icons[which] = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(window->icons[wParam == ICON_BIG ? 1 : 0]);
    default:
        return 0;
    }
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    if (lpString && nMaxCount > 0) lpString[0] = u'\0';
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!lpString || nMaxCount <= 0) return 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthW(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    return palvex::win::WithWindow(hWnd, 0, [&](Window& window, WindowTable&) {
        if (!lpClassName || nMaxCount <= 0) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        const std::u16string& name = window.windowClass->name;
        const size_t copied = std::min<size_t>(name.size(), size_t(nMaxCount) - 1);
        std::memcpy(lpClassName, name.data(), copied * sizeof(WCHAR));
        lpClassName[copied] = u'\0';
        return static_cast<int>(copied);
    });
}
