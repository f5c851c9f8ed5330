// The window menu's Close item: greyed or not, kept with the window.
#include <mutex>

#include <win/winresrc.h>
#include <win/winuser_menu.h>

#include "user/window_store.h"

namespace {

constexpr char16_t kCloseGrayed[] = u"#PALVEX.SYSMENU.CLOSEGRAYED";

// Runs body with the window of the menu (the handle of both is the window's) under the table's lock.
template <typename Body>
bool WithWindow(HMENU menu, Body&& body) {
    auto& table = palvex::win::WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    palvex::win::Window* window = table.Find(static_cast<HWND>(menu));
    if (!window || !(window->style & WS_SYSMENU)) return false;
    body(*window);
    return true;
}

}  // namespace

HMENU GetSystemMenu(HWND hWnd, BOOL) {
    HMENU menu = static_cast<HMENU>(hWnd);
    return WithWindow(menu, [](palvex::win::Window&) {}) ? menu : nullptr;
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    if (uIDEnableItem != SC_CLOSE) return -1;
    BOOL previous = -1;
    WithWindow(hMenu, [&](palvex::win::Window& window) {
        auto& grayed = window.properties[kCloseGrayed];
        previous = grayed ? MF_GRAYED : MF_ENABLED;
        grayed = (uEnable & (MF_GRAYED | MF_DISABLED)) ? reinterpret_cast<HANDLE>(1) : nullptr;
    });
    return previous;
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT) {
    if (uId != SC_CLOSE) return static_cast<UINT>(-1);
    UINT state = static_cast<UINT>(-1);
    WithWindow(hMenu, [&](palvex::win::Window& window) {
        const auto found = window.properties.find(kCloseGrayed);
        state = found != window.properties.end() && found->second ? (MF_GRAYED | MF_DISABLED) : 0;
    });
    return state;
}
