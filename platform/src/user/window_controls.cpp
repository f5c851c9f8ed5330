// The standard controls: buttons (push, check, radio, group), edit boxes, static texts and
// pictures, list boxes and combo boxes. Each keeps its state in the window's ControlState and
// tells its parent what the user did through WM_COMMAND notifications.
#include <algorithm>
#include <cstring>
#include <utility>

#include <win/winuser.h>

#include "user/window_store.h"

namespace palvex::win {
namespace {

// Runs body on the control's state under the table's lock; failure for a window without one.
template <class Result, class Body>
Result WithControl(HWND hWnd, Result failure, Body&& body) {
    auto& table = WindowTable::Get();
    std::lock_guard lock(table.Mutex());
    Window* window = table.Find(hWnd);
    if (!window || !window->control) return failure;
    return body(*window, *window->control);
}

void Notify(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent && (GetWindowLongW(control, GWL_STYLE) & WS_CHILD))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

DWORD ButtonType(HWND button) { return static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE)) & BS_TYPEMASK; }

// An automatic radio button unchecks the automatic radio buttons of its group: the siblings from
// the last one with WS_GROUP before it up to the next one with WS_GROUP.
void UncheckGroup(HWND button) {
    HWND parent = GetParent(button);
    if (!parent) return;
    std::vector<HWND> siblings;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) siblings.push_back(child);
    auto self = std::find(siblings.begin(), siblings.end(), button);
    if (self == siblings.end()) return;
    auto first = self;
    while (first != siblings.begin() && !(GetWindowLongW(*first, GWL_STYLE) & WS_GROUP)) --first;
    for (auto it = first; it != siblings.end(); ++it) {
        if (it != first && (GetWindowLongW(*it, GWL_STYLE) & WS_GROUP)) break;
        if (*it != button && ButtonType(*it) == BS_AUTORADIOBUTTON) SendMessageW(*it, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

LRESULT ListMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, bool combo) {
    const LRESULT error = combo ? CB_ERR : LB_ERR;
    const UINT add = combo ? CB_ADDSTRING : LB_ADDSTRING, insert = combo ? CB_INSERTSTRING : LB_INSERTSTRING,
               remove = combo ? CB_DELETESTRING : LB_DELETESTRING, reset = combo ? CB_RESETCONTENT : LB_RESETCONTENT,
               count = combo ? CB_GETCOUNT : LB_GETCOUNT, getSel = combo ? CB_GETCURSEL : LB_GETCURSEL,
               setSel = combo ? CB_SETCURSEL : LB_SETCURSEL, getText = combo ? CB_GETLBTEXT : LB_GETTEXT,
               getTextLen = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, getData = combo ? CB_GETITEMDATA : LB_GETITEMDATA,
               setData = combo ? CB_SETITEMDATA : LB_SETITEMDATA;
    bool known = true;
    std::u16string shown;
    bool showText = false;
    const LRESULT result = WithControl(hWnd, error, [&](Window& window, ControlState& state) -> LRESULT {
        auto& items = state.items;
        const auto index = static_cast<ptrdiff_t>(static_cast<int>(wParam));
        const bool valid = index >= 0 && index < static_cast<ptrdiff_t>(items.size());
        if (message == add || message == insert) {
            const auto* text = reinterpret_cast<LPCWSTR>(lParam);
            ControlState::Item item{text ? text : u"", 0};
            if (message == add || index < 0 || index >= static_cast<ptrdiff_t>(items.size())) {
                if (message == insert && index > static_cast<ptrdiff_t>(items.size())) return error;
                items.push_back(item);
                return static_cast<LRESULT>(items.size() - 1);
            }
            items.insert(items.begin() + index, item);
            if (state.selection >= index) ++state.selection;
            return index;
        }
        if (message == remove) {
            if (!valid) return error;
            items.erase(items.begin() + index);
            if (state.selection == index) state.selection = -1;
            else if (state.selection > index) --state.selection;
            return static_cast<LRESULT>(items.size());
        }
        if (message == reset) {
            items.clear();
            state.selection = -1;
            if (combo) {
                shown.clear();
                showText = true;
            }
            return 0;
        }
        if (message == count) return static_cast<LRESULT>(items.size());
        if (message == getSel) return state.selection;
        if (message == setSel) {
            state.selection = valid ? static_cast<int>(index) : -1;
            if (combo) {
                shown = valid ? items[index].text : std::u16string();
                showText = true;
            }
            return valid ? index : error;
        }
        if (message == getText) {
            if (!valid) return error;
            if (auto* buffer = reinterpret_cast<LPWSTR>(lParam)) {
                std::memcpy(buffer, items[index].text.c_str(), (items[index].text.size() + 1) * sizeof(WCHAR));
            }
            return static_cast<LRESULT>(items[index].text.size());
        }
        if (message == getTextLen) return valid ? static_cast<LRESULT>(items[index].text.size()) : error;
        if (message == getData) return valid ? items[index].data : error;
        if (message == setData) {
            if (!valid) return error;
            items[index].data = lParam;
            return 0;
        }
        (void)window;
        known = false;
        return 0;
    });
    if (showText) DefWindowProcW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    return known ? result : DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_GETCHECK:
        return WithControl(hWnd, LRESULT{0}, [](Window&, ControlState& state) -> LRESULT { return state.check; });
    case BM_SETCHECK:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            state.check = static_cast<UINT>(wParam) & (BST_CHECKED | BST_INDETERMINATE);
            return 0;
        });
    case BM_CLICK: {
        if (!IsWindowVisible(hWnd) || !IsWindowEnabled(hWnd)) return 0;
        const DWORD type = ButtonType(hWnd);
        const UINT check = static_cast<UINT>(SendMessageW(hWnd, BM_GETCHECK, 0, 0));
        if (type == BS_AUTOCHECKBOX) {
            SendMessageW(hWnd, BM_SETCHECK, check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
        } else if (type == BS_AUTO3STATE) {
            SendMessageW(hWnd, BM_SETCHECK, (check + 1) % 3, 0);
        } else if (type == BS_AUTORADIOBUTTON) {
            UncheckGroup(hWnd);
            SendMessageW(hWnd, BM_SETCHECK, BST_CHECKED, 0);
        }
        Notify(hWnd, BN_CLICKED);
        return 0;
    }
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcW(hWnd, message, wParam, lParam);
        Notify(hWnd, EN_CHANGE);
        return result;
    }
    case EM_LIMITTEXT:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            state.limit = wParam ? static_cast<UINT>(wParam) : 0x7FFFFFFE;
            return 0;
        });
    case EM_GETLIMITTEXT:
        return WithControl(hWnd, LRESULT{0}, [](Window&, ControlState& state) -> LRESULT { return state.limit; });
    case EM_SETREADONLY: {
        const LONG style = GetWindowLongW(hWnd, GWL_STYLE);
        SetWindowLongW(hWnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
        return TRUE;
    }
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case STM_SETIMAGE:
    case STM_SETICON: {
        HANDLE image = reinterpret_cast<HANDLE>(message == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return reinterpret_cast<LRESULT>(std::exchange(state.image, image));
        });
    }
    case STM_GETIMAGE:
    case STM_GETICON:
        return WithControl(hWnd, LRESULT{0},
                           [](Window&, ControlState& state) -> LRESULT { return reinterpret_cast<LRESULT>(state.image); });
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK ListBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ListMessage(hWnd, message, wParam, lParam, false);
}

LRESULT CALLBACK ComboBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ListMessage(hWnd, message, wParam, lParam, true);
}

LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace palvex::win
