// Window classes registered by modules, and registered window messages.
#include <win/winuser.h>

#include "crt/utf16.h"
#include "user/window_store.h"

using palvex::win::WindowClass;
using palvex::win::WindowTable;

ATOM RegisterClassExW(const WNDCLASSEXW* lpwcx) {
    if (!lpwcx || lpwcx->cbSize != sizeof(WNDCLASSEXW) || !lpwcx->lpszClassName || IS_INTRESOURCE(lpwcx->lpszClassName) ||
        !*lpwcx->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto windowClass = std::make_unique<WindowClass>();
    windowClass->name = lpwcx->lpszClassName;
    windowClass->procedure = lpwcx->lpfnWndProc;
    windowClass->registered = true;
    windowClass->info = *lpwcx;
    windowClass->info.lpszMenuName = nullptr;
    windowClass->info.lpszClassName = nullptr;  // the name lives in windowClass->name
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    if (!table.AddClass(std::move(windowClass))) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    // An atom is a number from 0xC000 up; the class is found by its name, so the number only
    // has to be nonzero and stable.
    return static_cast<ATOM>(0xC000 | (palvex::text::Upcase(lpwcx->lpszClassName).size() & 0x3FFF));
}

BOOL GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, WNDCLASSEXW* lpwcx) {
    if (!lpwcx) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    const WindowClass* windowClass = table.FindClass(lpszClass, hInstance);
    if (!windowClass) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *lpwcx = windowClass->info;
    lpwcx->cbSize = sizeof(WNDCLASSEXW);
    lpwcx->lpfnWndProc = windowClass->procedure;
    lpwcx->lpszClassName = lpszClass;  // as the caller named it, like the platform does
    if (!windowClass->registered) lpwcx->hInstance = hInstance;
    return TRUE;
}

BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance) {
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    if (!table.RemoveClass(lpClassName, hInstance)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return TRUE;
}

UINT RegisterWindowMessageW(LPCWSTR lpString) {
    if (!lpString || !*lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Every process must give a name the same number without asking the others: the number is a
    // hash (FNV-1a) of the upper-cased name folded into 0xC000..0xFFFF.
    uint32_t hash = 2166136261u;
    for (char16_t c : palvex::text::Upcase(lpString)) {
        hash = (hash ^ (c & 0xFF)) * 16777619u;
        hash = (hash ^ (c >> 8)) * 16777619u;
    }
    return 0xC000u + (hash % 0x4000u);
}
