// Finding windows across the processes of the machine, the foreground window, the focus and
// window properties.
//
// A top-level window of a registered class is published as a file under
// <machine root>/user/windows, named "<pid>-<handle in hex>" and holding its class and title
// (UTF-8, one line each). Another process sees it as the handle (pid << 32 | handle): handles of
// this process are small numbers, so the two never meet. A file whose process has ended is
// ignored. The foreground window is the file <machine root>/user/foreground, "<pid> <handle>".
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <palvex/machine.h>
#include <win/winuser.h>

#include "crt/utf16.h"
#include "user/window_store.h"

using palvex::win::Window;
using palvex::win::WindowTable;

namespace {

namespace fs = std::filesystem;

thread_local HWND g_focus = nullptr;

fs::path WindowsFolder() { return palvex::MachineRoot() / "user" / "windows"; }
fs::path ForegroundFile() { return palvex::MachineRoot() / "user" / "foreground"; }

std::string PublishedName(pid_t pid, HWND window) {
    char name[64];
    std::snprintf(name, sizeof name, "%d-%llx", static_cast<int>(pid),
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return name;
}

bool ProcessAlive(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

HWND ForeignHandle(pid_t pid, uintptr_t handle) {
    return reinterpret_cast<HWND>((static_cast<uintptr_t>(pid) << 32) | (handle & 0xFFFFFFFFu));
}

struct Published {
    pid_t pid = 0;
    uintptr_t handle = 0;
    std::u16string windowClass;
    std::u16string title;
};

std::vector<Published> ReadPublished() {
    std::vector<Published> windows;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(WindowsFolder(), error)) {
        Published window;
        int pid = 0;
        unsigned long long handle = 0;
        if (std::sscanf(entry.path().filename().c_str(), "%d-%llx", &pid, &handle) != 2) continue;
        window.pid = pid;
        window.handle = handle;
        if (!ProcessAlive(window.pid)) continue;
        std::ifstream in(entry.path());
        std::string line;
        std::getline(in, line);
        window.windowClass = palvex::text::FromUtf8(line);
        std::getline(in, line);
        window.title = palvex::text::FromUtf8(line);
        windows.push_back(window);
    }
    return windows;
}

bool SameText(LPCWSTR wanted, const std::u16string& have) {
    return !wanted || palvex::text::Upcase(wanted) == palvex::text::Upcase(have);
}

}  // namespace

namespace palvex::win {

// Called when a top-level window of a registered class has been made.
void PublishWindow(HWND handle) {
    std::u16string windowClass, title;
    {
        auto& table = WindowTable::Get();
        std::lock_guard lock(table.Mutex());
        Window* window = table.Find(handle);
        if (!window || !window->windowClass->registered || (window->style & (WS_CHILD | WS_POPUP)) == WS_CHILD) return;
        windowClass = window->windowClass->name;
        title = window->text;
    }
    std::error_code error;
    fs::create_directories(WindowsFolder(), error);
    std::ofstream out(WindowsFolder() / PublishedName(getpid(), handle), std::ios::trunc);
    out << text::ToUtf8(windowClass) << '\n' << text::ToUtf8(title) << '\n';
}

void ForgetWindow(HWND window) {
    if (g_focus == window) g_focus = nullptr;
    std::error_code error;
    fs::remove(WindowsFolder() / PublishedName(getpid(), window), error);
}

}  // namespace palvex::win

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
    {
        auto& table = WindowTable::Get();
        std::lock_guard lock(table.Mutex());
        for (HWND handle : table.TopLevelWindows()) {
            const Window* window = table.Find(handle);
            if (window && SameText(lpClassName, window->windowClass->name) &&
                (!lpWindowName || window->text == lpWindowName))
                return handle;
        }
    }
    for (const Published& window : ReadPublished()) {
        if (window.pid == getpid()) continue;
        if (SameText(lpClassName, window.windowClass) && (!lpWindowName || window.title == lpWindowName))
            return ForeignHandle(window.pid, window.handle);
    }
    return nullptr;
}

BOOL SetForegroundWindow(HWND hWnd) {
    pid_t pid = getpid();
    uintptr_t handle = reinterpret_cast<uintptr_t>(hWnd);
    if (!IsWindow(hWnd)) {
        pid = static_cast<pid_t>(handle >> 32);
        handle &= 0xFFFFFFFFu;
        bool found = false;
        for (const Published& window : ReadPublished())
            found = found || (window.pid == pid && window.handle == handle);
        if (!found) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
    }
    std::error_code error;
    fs::create_directories(ForegroundFile().parent_path(), error);
    std::ofstream out(ForegroundFile(), std::ios::trunc);
    out << pid << ' ' << handle << '\n';
    return out.good() ? TRUE : FALSE;
}

HWND GetForegroundWindow(void) {
    std::ifstream in(ForegroundFile());
    long long pid = 0;
    unsigned long long handle = 0;
    if (!(in >> pid >> handle)) return nullptr;
    if (pid == getpid()) {
        HWND local = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
        return IsWindow(local) ? local : nullptr;
    }
    return ProcessAlive(static_cast<pid_t>(pid)) ? ForeignHandle(static_cast<pid_t>(pid), handle) : nullptr;
}

HWND SetFocus(HWND hWnd) {
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND previous = g_focus;
    if (previous == hWnd) return previous;
    g_focus = hWnd;
    if (previous && IsWindow(previous)) SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    if (hWnd) SendMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus(void) { return g_focus && IsWindow(g_focus) ? g_focus : nullptr; }

BOOL IsIconic(HWND hWnd) {
    return (GetWindowLongW(hWnd, GWL_STYLE) & WS_MINIMIZE) ? TRUE : FALSE;
}

namespace {

// The key of a property: its name upper-cased; an atom stands for its text (an integer atom for
// "#<number>"). False for a null name or an unknown atom.
bool PropertyKey(LPCWSTR name, std::u16string* key) {
    if (!name) return false;
    if (IS_INTRESOURCE(name)) {
        const ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
        if (atom == 0) return false;
        std::u16string text;
        if (atom >= 0xC000) {
            if (!palvex::win::AtomName(atom, &text)) return false;
        } else {
            text = u"#";
            for (char c : std::to_string(atom)) text += static_cast<char16_t>(c);
        }
        *key = palvex::text::Upcase(text);
        return true;
    }
    *key = palvex::text::Upcase(name);
    return true;
}

// A window's property, taken off the window when remove is set; null for a bad name, an unknown
// window or a property it does not hold.
HANDLE FindProperty(HWND hWnd, LPCWSTR lpString, bool remove) {
    std::u16string key;
    if (!PropertyKey(lpString, &key)) return nullptr;
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    Window* window = table.Find(hWnd);
    if (!window) return nullptr;
    auto it = window->properties.find(key);
    if (it == window->properties.end()) return nullptr;
    HANDLE data = it->second;
    if (remove) window->properties.erase(it);
    return data;
}

}  // namespace

BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData) {
    std::u16string key;
    if (!PropertyKey(lpString, &key)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return palvex::win::WithWindow(hWnd, FALSE, [&](Window& window, WindowTable&) {
        window.properties[key] = hData;
        return TRUE;
    });
}

HANDLE GetPropW(HWND hWnd, LPCWSTR lpString) { return FindProperty(hWnd, lpString, false); }

HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString) { return FindProperty(hWnd, lpString, true); }
