// A window's place, size, visibility, enabled state, window data and its relatives.
#include <algorithm>
#include <utility>

#include <win/winuser.h>

#include "user/window_store.h"

using palvex::win::Window;
using palvex::win::WithWindow;
using palvex::win::WindowTable;

namespace {

bool IsChildWindow(const Window& window) {
    return (window.style & (WS_CHILD | WS_POPUP)) == WS_CHILD;
}

// The screen position of a window's client origin.
POINT ClientOrigin(const Window& window, WindowTable& table) {
    POINT origin{window.rect.left, window.rect.top};
    const Window* current = &window;
    while (IsChildWindow(*current)) {
        current = table.Find(current->parent);
        if (!current) break;
        origin.x += current->rect.left;
        origin.y += current->rect.top;
    }
    return origin;
}

}  // namespace

BOOL IsWindowVisible(HWND hWnd) {
    return WithWindow(hWnd, FALSE, [](Window& window, WindowTable& table) -> BOOL {
        for (const Window* current = &window; current;) {
            if (!(current->style & WS_VISIBLE)) return FALSE;
            if (!IsChildWindow(*current)) break;
            current = table.Find(current->parent);
        }
        return TRUE;
    });
}

BOOL IsWindowEnabled(HWND hWnd) {
    return WithWindow(hWnd, FALSE, [](Window& window, WindowTable&) -> BOOL { return !(window.style & WS_DISABLED); });
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
    return WithWindow(hWnd, FALSE, [&](Window& window, WindowTable& table) -> BOOL {
        for (const Window* current = &window; current && IsChildWindow(*current);) {
            if (current->parent == hWndParent) return TRUE;
            current = table.Find(current->parent);
        }
        return FALSE;
    });
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return WithWindow(hWnd, FALSE, [&](Window& window, WindowTable& table) -> BOOL {
        const POINT origin = ClientOrigin(window, table);
        *lpRect = {origin.x, origin.y, origin.x + (window.rect.right - window.rect.left),
                   origin.y + (window.rect.bottom - window.rect.top)};
        return TRUE;
    });
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return WithWindow(hWnd, FALSE, [&](Window& window, WindowTable&) -> BOOL {
        *lpRect = {0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
        return TRUE;
    });
}

namespace {

// The screen position of a window's client origin; false for a window that is not one.
bool OriginOf(HWND hWnd, POINT* origin) {
    if (!hWnd) {
        *origin = {0, 0};
        return true;
    }
    return WithWindow(hWnd, false, [&](Window& window, WindowTable& table) {
        *origin = ClientOrigin(window, table);
        return true;
    });
}

}  // namespace

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    POINT origin{};
    if (!lpPoint || !hWnd || !OriginOf(hWnd, &origin)) return FALSE;
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    POINT origin{};
    if (!lpPoint || !hWnd || !OriginOf(hWnd, &origin)) return FALSE;
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    POINT from{}, to{};
    if (!OriginOf(hWndFrom, &from) || !OriginOf(hWndTo, &to)) return 0;
    const LONG dx = from.x - to.x, dy = from.y - to.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(static_cast<WORD>(static_cast<SHORT>(dx)), static_cast<WORD>(static_cast<SHORT>(dy)));
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    const BOOL moved = WithWindow(hWnd, FALSE, [&](Window& window, WindowTable& table) -> BOOL {
        if (!(uFlags & SWP_NOMOVE)) {
            const LONG width = window.rect.right - window.rect.left;
            const LONG height = window.rect.bottom - window.rect.top;
            window.rect = {X, Y, X + width, Y + height};
        }
        if (!(uFlags & SWP_NOSIZE)) {
            window.rect.right = window.rect.left + std::max(cx, 0);
            window.rect.bottom = window.rect.top + std::max(cy, 0);
        }
        Window* parent = IsChildWindow(window) ? table.Find(window.parent) : nullptr;
        if (!(uFlags & SWP_NOZORDER) && parent && hWndInsertAfter != hWnd) {
            auto& siblings = parent->children;
            if (hWndInsertAfter == HWND_BOTTOM) {
                std::erase(siblings, hWnd);
                siblings.push_back(hWnd);
            } else if (hWndInsertAfter == HWND_TOP) {
                std::erase(siblings, hWnd);
                siblings.insert(siblings.begin(), hWnd);
            } else if (std::find(siblings.begin(), siblings.end(), hWndInsertAfter) != siblings.end()) {
                std::erase(siblings, hWnd);
                siblings.insert(std::find(siblings.begin(), siblings.end(), hWndInsertAfter) + 1, hWnd);
            }
        }
        return TRUE;
    });
    if (!moved) return FALSE;
    if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, SW_SHOWNA);
    else if (uFlags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    bool wasVisible = false;
    bool changed = false;
    const bool show = nCmdShow != SW_HIDE;
    if (!WithWindow(hWnd, FALSE, [&](Window& window, WindowTable&) -> BOOL {
            wasVisible = (window.style & WS_VISIBLE) != 0;
            changed = wasVisible != show;
            if (show) window.style |= WS_VISIBLE;
            else window.style &= ~static_cast<DWORD>(WS_VISIBLE);
            return TRUE;
        }))
        return FALSE;
    if (changed) SendMessageW(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    return wasVisible ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    bool wasDisabled = false;
    bool changed = false;
    if (!WithWindow(hWnd, FALSE, [&](Window& window, WindowTable&) -> BOOL {
            wasDisabled = (window.style & WS_DISABLED) != 0;
            changed = wasDisabled == (bEnable != FALSE);
            if (bEnable) window.style &= ~static_cast<DWORD>(WS_DISABLED);
            else window.style |= WS_DISABLED;
            return TRUE;
        }))
        return FALSE;
    if (changed) SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) {
    return WithWindow(hWnd, LONG_PTR{0}, [&](Window& window, WindowTable&) -> LONG_PTR {
        if (window.dialog && nIndex >= 0) {
            switch (nIndex) {
            case DWLP_MSGRESULT: return window.dialog->messageResult;
            case DWLP_DLGPROC: return reinterpret_cast<LONG_PTR>(window.dialog->procedure);
            case DWLP_USER: return window.dialog->user;
            default: SetLastError(ERROR_INVALID_INDEX); return 0;
            }
        }
        switch (nIndex) {
        case GWL_STYLE: return static_cast<LONG>(window.style);
        case GWL_EXSTYLE: return static_cast<LONG>(window.exStyle);
        case GWLP_ID: return static_cast<LONG_PTR>(window.id);
        case GWLP_USERDATA: return window.userData;
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window.procedure);
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window.instance);
        case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window.parent);
        default: SetLastError(ERROR_INVALID_INDEX); return 0;
        }
    });
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return WithWindow(hWnd, LONG_PTR{0}, [&](Window& window, WindowTable&) -> LONG_PTR {
        LONG_PTR previous = 0;
        if (window.dialog && nIndex >= 0) {
            switch (nIndex) {
            case DWLP_MSGRESULT: previous = std::exchange(window.dialog->messageResult, dwNewLong); break;
            case DWLP_DLGPROC:
                previous = reinterpret_cast<LONG_PTR>(std::exchange(window.dialog->procedure, reinterpret_cast<DLGPROC>(dwNewLong)));
                break;
            case DWLP_USER: previous = std::exchange(window.dialog->user, dwNewLong); break;
            default: SetLastError(ERROR_INVALID_INDEX); return 0;
            }
            SetLastError(ERROR_SUCCESS);
            return previous;
        }
        switch (nIndex) {
        case GWL_STYLE:
            previous = static_cast<LONG>(window.style);
            window.style = static_cast<DWORD>(dwNewLong);
            break;
        case GWL_EXSTYLE:
            previous = static_cast<LONG>(window.exStyle);
            window.exStyle = static_cast<DWORD>(dwNewLong);
            break;
        case GWLP_ID:
            previous = static_cast<LONG_PTR>(window.id);
            window.id = static_cast<UINT_PTR>(dwNewLong);
            break;
        case GWLP_USERDATA:
            previous = window.userData;
            window.userData = dwNewLong;
            break;
        case GWLP_WNDPROC:
            previous = reinterpret_cast<LONG_PTR>(window.procedure);
            window.procedure = reinterpret_cast<WNDPROC>(dwNewLong);
            break;
        case GWLP_HINSTANCE:
            previous = reinterpret_cast<LONG_PTR>(window.instance);
            window.instance = reinterpret_cast<HINSTANCE>(dwNewLong);
            break;
        default:
            // The parent of a window changes with SetParent, not through its window data.
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        SetLastError(ERROR_SUCCESS);
        return previous;
    });
}

LONG GetWindowLongW(HWND hWnd, int nIndex) {
    if (nIndex != GWL_STYLE && nIndex != GWL_EXSTYLE && nIndex != GWLP_ID && nIndex != GWLP_USERDATA) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex));
}

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
    if (nIndex != GWL_STYLE && nIndex != GWL_EXSTYLE && nIndex != GWLP_ID && nIndex != GWLP_USERDATA) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, dwNewLong));
}

HWND GetParent(HWND hWnd) {
    return WithWindow(hWnd, HWND{nullptr}, [](Window& window, WindowTable&) { return window.parent; });
}

int GetDlgCtrlID(HWND hWnd) {
    return WithWindow(hWnd, 0, [](Window& window, WindowTable&) { return IsChildWindow(window) ? static_cast<int>(window.id) : 0; });
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    return WithWindow(hDlg, HWND{nullptr}, [&](Window& window, WindowTable& table) -> HWND {
        for (HWND child : window.children) {
            const Window* control = table.Find(child);
            if (control && static_cast<int>(control->id) == nIDDlgItem) return child;
        }
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
        return nullptr;
    });
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
    return WithWindow(hWnd, HWND{nullptr}, [&](Window& window, WindowTable& table) -> HWND {
        if (uCmd == GW_CHILD) return window.children.empty() ? nullptr : window.children.front();
        if (uCmd == GW_OWNER) return IsChildWindow(window) ? nullptr : window.parent;
        const Window* parent = IsChildWindow(window) ? table.Find(window.parent) : nullptr;
        if (!parent) return nullptr;  // top-level windows are not kept in an order
        const auto& siblings = parent->children;
        auto it = std::find(siblings.begin(), siblings.end(), hWnd);
        switch (uCmd) {
        case GW_HWNDFIRST: return siblings.front();
        case GW_HWNDLAST: return siblings.back();
        case GW_HWNDNEXT: return it + 1 < siblings.end() ? *(it + 1) : nullptr;
        case GW_HWNDPREV: return it != siblings.begin() ? *(it - 1) : nullptr;
        default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
        }
    });
}

BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (!lpEnumFunc) return FALSE;
    // The descendants are listed first, so a callback may create or destroy windows safely.
    std::vector<HWND> descendants;
    const bool found = WithWindow(hWndParent, false, [&](Window& parent, WindowTable& table) {
        auto collect = [&](auto&& self, const Window& window) -> void {
            for (HWND child : window.children) {
                descendants.push_back(child);
                if (const Window* c = table.Find(child)) self(self, *c);
            }
        };
        collect(collect, parent);
        return true;
    });
    if (!found) return FALSE;
    for (HWND child : descendants) {
        if (!IsWindow(child)) continue;
        if (!lpEnumFunc(child, lParam)) break;
    }
    return TRUE;
}

LONG GetDialogBaseUnits(void) {
    // The system font of the headless screen: 8 by 16 pixels.
    return MAKELONG(8, 16);
}
