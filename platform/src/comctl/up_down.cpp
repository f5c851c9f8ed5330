// The up-down arrows and the progress bar: a range and a position. A press of the up-down arrows
// (the script's spin, or a click on its upper or lower half) asks the parent first with
// UDN_DELTAPOS, whose nonzero answer keeps the position; otherwise the position moves (wrapping
// with UDS_WRAP), the buddy shows it (UDS_SETBUDDYINT) and the parent gets WM_VSCROLL (WM_HSCROLL
// with UDS_HORZ) SB_THUMBPOSITION.
#include <algorithm>
#include <utility>
#include <string>

#include <win/commctrl.h>

#include "user/window_store.h"

namespace palvex::win {
namespace {

void ShowInBuddy(HWND updown) {
    const ControlState state = ControlOf(updown);
    if (!state.buddy || !(GetWindowLongW(updown, GWL_STYLE) & UDS_SETBUDDYINT)) return;
    std::u16string text;
    for (char c : std::to_string(state.position)) text += static_cast<char16_t>(c);
    SetWindowTextW(state.buddy, text.c_str());
}

// Attaches the buddy and, with UDS_ALIGNRIGHT / UDS_ALIGNLEFT, puts the arrows at its side.
void Attach(HWND updown, HWND buddy) {
    WithControl(updown, 0, [&](Window&, ControlState& state) {
        state.buddy = buddy;
        return 0;
    });
    const DWORD style = static_cast<DWORD>(GetWindowLongW(updown, GWL_STYLE));
    if (!buddy || !(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) return;
    RECT own{}, other{};
    GetWindowRect(updown, &own);
    GetWindowRect(buddy, &other);
    HWND parent = GetParent(buddy);
    RECT parentRect{};
    GetWindowRect(parent, &parentRect);
    const int width = own.right - own.left;
    const int left = other.left - parentRect.left, top = other.top - parentRect.top;
    const int buddyWidth = std::max<int>(other.right - other.left - width, 0);
    const int height = other.bottom - other.top;
    if (style & UDS_ALIGNRIGHT) {
        SetWindowPos(buddy, nullptr, left, top, buddyWidth, height, SWP_NOZORDER);
        SetWindowPos(updown, nullptr, left + buddyWidth, top, width, height, SWP_NOZORDER);
    } else {
        SetWindowPos(updown, nullptr, left, top, width, height, SWP_NOZORDER);
        SetWindowPos(buddy, nullptr, left + width, top, buddyWidth, height, SWP_NOZORDER);
    }
}

}  // namespace

void PressUpDown(HWND updown, bool up) {
    if (!IsWindowEnabled(updown)) return;
    const ControlState state = ControlOf(updown);
    // The up arrow moves toward the range's maximum, which may be the smaller number.
    const int delta = (state.maximum >= state.minimum) == up ? 1 : -1;
    NMUPDOWN info{};
    info.iPos = state.position;
    info.iDelta = delta;
    if (NotifyParent(updown, UDN_DELTAPOS, &info.hdr)) return;
    const DWORD style = static_cast<DWORD>(GetWindowLongW(updown, GWL_STYLE));
    const int low = std::min(state.minimum, state.maximum), high = std::max(state.minimum, state.maximum);
    int position = state.position + info.iDelta;
    if (position > high) position = (style & UDS_WRAP) ? low : high;
    if (position < low) position = (style & UDS_WRAP) ? high : low;
    WithControl(updown, 0, [&](Window&, ControlState& control) {
        control.position = position;
        return 0;
    });
    ShowInBuddy(updown);
    if (HWND parent = GetParent(updown))
        SendMessageW(parent, (style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                     reinterpret_cast<LPARAM>(updown));
}

LRESULT CALLBACK UpDownProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        WithControl(hWnd, 0, [](Window&, ControlState& state) {
            state.minimum = 100;  // a new control counts from 100 down to 0
            state.maximum = 0;
            state.position = 0;
            return 0;
        });
        if (GetWindowLongW(hWnd, GWL_STYLE) & UDS_AUTOBUDDY) Attach(hWnd, GetWindow(hWnd, GW_HWNDPREV));
        return 0;
    case UDM_SETBUDDY: {
        HWND previous = ControlOf(hWnd).buddy;
        Attach(hWnd, reinterpret_cast<HWND>(wParam));
        return reinterpret_cast<LRESULT>(previous);
    }
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(ControlOf(hWnd).buddy);
    case UDM_SETRANGE:
    case UDM_SETRANGE32:
        WithControl(hWnd, 0, [&](Window&, ControlState& state) {
            if (message == UDM_SETRANGE) {
                state.maximum = static_cast<short>(LOWORD(lParam));
                state.minimum = static_cast<short>(HIWORD(lParam));
            } else {
                state.minimum = static_cast<int>(wParam);
                state.maximum = static_cast<int>(lParam);
            }
            state.position = std::clamp(state.position, std::min(state.minimum, state.maximum),
                                        std::max(state.minimum, state.maximum));
            return 0;
        });
        return 0;
    case UDM_GETRANGE: {
        const ControlState state = ControlOf(hWnd);
        return MAKELONG(static_cast<WORD>(state.maximum), static_cast<WORD>(state.minimum));
    }
    case UDM_GETRANGE32: {
        const ControlState state = ControlOf(hWnd);
        if (auto* low = reinterpret_cast<int*>(wParam)) *low = state.minimum;
        if (auto* high = reinterpret_cast<int*>(lParam)) *high = state.maximum;
        return 0;
    }
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        const int wanted = message == UDM_SETPOS ? static_cast<short>(LOWORD(lParam)) : static_cast<int>(lParam);
        const LRESULT previous = WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return std::exchange(state.position, std::clamp(wanted, std::min(state.minimum, state.maximum),
                                                            std::max(state.minimum, state.maximum)));
        });
        ShowInBuddy(hWnd);
        return previous;
    }
    case UDM_GETPOS:
        return MAKELONG(static_cast<WORD>(ControlOf(hWnd).position), 0);
    case UDM_GETPOS32:
        if (auto* error = reinterpret_cast<BOOL*>(lParam)) *error = FALSE;
        return ControlOf(hWnd).position;
    case WM_LBUTTONDOWN: {
        RECT client{};
        GetClientRect(hWnd, &client);
        const bool horizontal = GetWindowLongW(hWnd, GWL_STYLE) & UDS_HORZ;
        PressUpDown(hWnd, horizontal ? GET_X_LPARAM(lParam) >= client.right / 2 : GET_Y_LPARAM(lParam) < client.bottom / 2);
        return 0;
    }
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK ProgressProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto clampTo = [](ControlState& state, int value) {
        return std::clamp(value, std::min(state.minimum, state.maximum), std::max(state.minimum, state.maximum));
    };
    switch (message) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            const LRESULT previous = MAKELONG(static_cast<WORD>(state.minimum), static_cast<WORD>(state.maximum));
            if (message == PBM_SETRANGE) {
                state.minimum = LOWORD(lParam);
                state.maximum = HIWORD(lParam);
            } else {
                state.minimum = static_cast<int>(wParam);
                state.maximum = static_cast<int>(lParam);
            }
            state.position = clampTo(state, state.position);
            return previous;
        });
    case PBM_GETRANGE:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return wParam ? state.minimum : state.maximum;
        });
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            const int target = message == PBM_SETPOS     ? static_cast<int>(wParam)
                               : message == PBM_DELTAPOS ? state.position + static_cast<int>(wParam)
                                                         : state.position + state.step;
            return std::exchange(state.position, clampTo(state, target));
        });
    case PBM_SETSTEP:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return std::exchange(state.step, static_cast<int>(wParam));
        });
    case PBM_GETPOS:
        return ControlOf(hWnd).position;
    case PBM_SETMARQUEE: {
        // The block moves only on a bar with the marquee style.
        const bool marquee = wParam && (GetWindowLongW(hWnd, GWL_STYLE) & PBS_MARQUEE);
        return WithControl(hWnd, LRESULT{TRUE}, [&](Window&, ControlState& state) -> LRESULT {
            state.marquee = marquee;
            return TRUE;
        });
    }
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

}  // namespace palvex::win
