// The progress bar of the common controls ("msctls_progress32"): a range (0 to 100 until set) and
// a position kept in the window's user data, answering PBM_SETRANGE, PBM_SETPOS, PBM_GETPOS and
// PBM_GETRANGE. Added to the system's classes once when the library loads, unless it is there already.
#include <win/commctrl.h>
#include <win/windows.h>

#include <memory>
#include <mutex>

#include "user/window_store.h"

#ifndef PBM_SETRANGE
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_GETRANGE (WM_USER + 7)
#define PBM_GETPOS (WM_USER + 8)
#endif

namespace {

// User data: the position in the low 32 bits, the range's low and high ends in the high 32 bits.
struct Bar {
    int position;
    WORD low;
    WORD high;
};

Bar Read(HWND window) {
    const auto data = static_cast<uint64_t>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (data == 0) return {0, 0, 100};
    return {static_cast<int>(static_cast<uint32_t>(data)), static_cast<WORD>(data >> 32),
            static_cast<WORD>((data >> 48) - 1)};
}

void Write(HWND window, const Bar& bar) {
    // A range of 0 to 0 with position 0 would read as unset; it is kept as 0 to 0 all the same
    // because the high end is stored one above.
    const uint64_t data = static_cast<uint32_t>(bar.position) | (static_cast<uint64_t>(bar.low) << 32) |
                          (static_cast<uint64_t>(static_cast<WORD>(bar.high + 1)) << 48);
    SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(data));
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Bar bar = Read(window);
    switch (message) {
    case PBM_SETRANGE: {
        const LRESULT previous = MAKELPARAM(bar.low, bar.high);
        bar.low = LOWORD(lParam);
        bar.high = HIWORD(lParam);
        Write(window, bar);
        return previous;
    }
    case PBM_SETPOS: {
        const LRESULT previous = bar.position;
        bar.position = static_cast<int>(wParam);
        if (bar.position < bar.low) bar.position = bar.low;
        if (bar.position > bar.high) bar.position = bar.high;
        Write(window, bar);
        InvalidateRect(window, nullptr, TRUE);
        return previous;
    }
    case PBM_GETPOS: return bar.position;
    case PBM_GETRANGE: return wParam ? bar.low : bar.high;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A class of the system, as the standard controls are: every module's dialogs find it.
const bool g_registered = [] {
    auto& table = palvex::win::WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    if (table.FindClass(u"msctls_progress32", nullptr)) return true;
    auto windowClass = std::make_unique<palvex::win::WindowClass>();
    windowClass->name = u"msctls_progress32";
    windowClass->procedure = ProgressProc;
    windowClass->info.cbSize = sizeof(WNDCLASSEXW);
    windowClass->info.lpfnWndProc = ProgressProc;
    return table.AddClass(std::move(windowClass));
}();

}  // namespace
