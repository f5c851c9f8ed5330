// The standard controls: buttons (push, check, radio, group, owner-drawn), edit boxes, static texts
// and pictures, list boxes and combo boxes (sorted or not, owner-drawn or not) and scroll bars.
// Each keeps its state in the window's ControlState and tells its parent what the user did
// through WM_COMMAND notifications (scroll bars: WM_HSCROLL / WM_VSCROLL, sent by the user's
// script).
#include <algorithm>
#include <cstring>
#include <utility>

#include <win/commctrl.h>
#include <win/winuser.h>

#include "crt/utf16.h"
#include "user/window_store.h"

namespace palvex::win {

ControlState ControlOf(HWND hWnd) {
    return WithControl(hWnd, ControlState{}, [](Window&, ControlState& state) { return state; });
}

LRESULT NotifyParent(HWND control, UINT code, NMHDR* header) {
    header->hwndFrom = control;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header->code = code;
    HWND parent = GetParent(control);
    return parent ? SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header)) : 0;
}

void CommandParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent && (GetWindowLongW(control, GWL_STYLE) & WS_CHILD))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

bool IsClassNamed(HWND window, const char16_t* name) {
    WCHAR buffer[64];
    if (!GetClassNameW(window, buffer, 64)) return false;
    return text::Upcase(buffer) == text::Upcase(name);
}

namespace {

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)); }
DWORD ButtonType(HWND button) { return StyleOf(button) & BS_TYPEMASK; }

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

// The messages of one list kind: list boxes and combo boxes share their behaviour.
struct ListMessages {
    bool combo;
    UINT add, insert, remove, reset, count, getSel, setSel, getText, getTextLen, getData, setData, find, findExact,
        select;
    LRESULT error;
    DWORD sortStyle, ownerFixed, ownerVariable, hasStrings;
};
constexpr ListMessages kListBox{false,           LB_ADDSTRING,    LB_INSERTSTRING,    LB_DELETESTRING, LB_RESETCONTENT,
                                LB_GETCOUNT,     LB_GETCURSEL,    LB_SETCURSEL,       LB_GETTEXT,      LB_GETTEXTLEN,
                                LB_GETITEMDATA,  LB_SETITEMDATA,  LB_FINDSTRING,      LB_FINDSTRINGEXACT,
                                LB_SELECTSTRING, LB_ERR,          LBS_SORT,           LBS_OWNERDRAWFIXED,
                                LBS_OWNERDRAWVARIABLE,            LBS_HASSTRINGS};
constexpr ListMessages kComboBox{true,            CB_ADDSTRING,    CB_INSERTSTRING,    CB_DELETESTRING, CB_RESETCONTENT,
                                 CB_GETCOUNT,     CB_GETCURSEL,    CB_SETCURSEL,       CB_GETLBTEXT,    CB_GETLBTEXTLEN,
                                 CB_GETITEMDATA,  CB_SETITEMDATA,  CB_FINDSTRING,      CB_FINDSTRINGEXACT,
                                 CB_SELECTSTRING, CB_ERR,          CBS_SORT,           CBS_OWNERDRAWFIXED,
                                 CBS_OWNERDRAWVARIABLE,            CBS_HASSTRINGS};

// The row a search from after start finds (start -1: from the first), wrapping round once;
// prefix: the row's text begins with the text, else equals it (both without regard to case).
ptrdiff_t FindRow(const std::vector<ControlState::Item>& items, ptrdiff_t start, const std::u16string& wanted,
                  bool prefix) {
    const std::u16string key = text::Upcase(wanted);
    const ptrdiff_t count = static_cast<ptrdiff_t>(items.size());
    if (start < -1 || start >= count) start = -1;
    for (ptrdiff_t n = 1; n <= count; ++n) {
        const ptrdiff_t i = (start + n) % count;
        const std::u16string row = text::Upcase(items[i].text);
        if (prefix ? row.compare(0, key.size(), key) == 0 : row == key) return i;
    }
    return -1;
}

LRESULT ListMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, const ListMessages& m) {
    const DWORD style = StyleOf(hWnd);
    // An owner-drawn list without LBS_HASSTRINGS keeps the caller's value in place of a text.
    const bool dataOnly = (style & (m.ownerFixed | m.ownerVariable)) && !(style & m.hasStrings);
    const bool sorted = (style & m.sortStyle) && !dataOnly;
    bool known = true;
    std::u16string shown;
    bool showText = false;
    const LRESULT result = WithControl(hWnd, m.error, [&](Window&, ControlState& state) -> LRESULT {
        auto& items = state.items;
        const auto index = static_cast<ptrdiff_t>(static_cast<int>(wParam));
        const bool valid = index >= 0 && index < static_cast<ptrdiff_t>(items.size());
        if (message == m.add || message == m.insert) {
            const auto* text = reinterpret_cast<LPCWSTR>(lParam);
            ControlState::Item item;
            if (dataOnly) item.data = lParam;
            else item.text = text ? text : u"";
            ptrdiff_t at = static_cast<ptrdiff_t>(items.size());
            if (message == m.insert) {
                if (index > static_cast<ptrdiff_t>(items.size())) return m.error;
                if (index >= 0) at = index;
            } else if (sorted) {
                const std::u16string key = text::Upcase(item.text);
                // Before the first row that sorts after it (rows inserted out of order stay put).
                at = std::find_if(items.begin(), items.end(),
                                  [&](const ControlState::Item& row) { return key < text::Upcase(row.text); }) -
                     items.begin();
            }
            items.insert(items.begin() + at, std::move(item));
            if (state.selection >= at) ++state.selection;
            return at;
        }
        if (message == m.remove) {
            if (!valid) return m.error;
            items.erase(items.begin() + index);
            if (state.selection == index) state.selection = -1;
            else if (state.selection > index) --state.selection;
            return static_cast<LRESULT>(items.size());
        }
        if (message == m.reset) {
            items.clear();
            state.selection = -1;
            if (m.combo) showText = true;
            return 0;
        }
        if (message == m.count) return static_cast<LRESULT>(items.size());
        if (message == m.getSel) return state.selection;
        if (message == m.setSel || message == m.select) {
            ptrdiff_t row = index;
            if (message == m.select) {
                const auto* text = reinterpret_cast<LPCWSTR>(lParam);
                row = text ? FindRow(items, index, text, true) : -1;
                if (row < 0) return m.error;
            }
            const bool ok = row >= 0 && row < static_cast<ptrdiff_t>(items.size());
            state.selection = ok ? static_cast<int>(row) : -1;
            if (m.combo) {
                shown = ok ? items[row].text : std::u16string();
                showText = true;
            }
            return ok ? row : m.error;
        }
        if (message == m.find || message == m.findExact) {
            const auto* text = reinterpret_cast<LPCWSTR>(lParam);
            if (!text || items.empty()) return m.error;
            const ptrdiff_t row = FindRow(items, index, text, message == m.find);
            return row < 0 ? m.error : row;
        }
        if (message == m.getText) {
            if (!valid) return m.error;
            if (auto* buffer = reinterpret_cast<LPWSTR>(lParam)) {
                if (dataOnly) {
                    std::memcpy(buffer, &items[index].data, sizeof(LPARAM));
                    return sizeof(LPARAM);
                }
                std::memcpy(buffer, items[index].text.c_str(), (items[index].text.size() + 1) * sizeof(WCHAR));
            }
            return static_cast<LRESULT>(items[index].text.size());
        }
        if (message == m.getTextLen) return valid ? static_cast<LRESULT>(items[index].text.size()) : m.error;
        if (message == m.getData) return valid ? items[index].data : m.error;
        if (message == m.setData) {
            if (!valid) return m.error;
            items[index].data = lParam;
            return 0;
        }
        if (m.combo && (message == CB_LIMITTEXT || message == EM_LIMITTEXT)) {
            state.limit = wParam ? static_cast<UINT>(wParam) : 0x7FFFFFFE;
            return TRUE;
        }
        if (m.combo && message == EM_GETLIMITTEXT) return state.limit;
        known = false;
        return 0;
    });
    if (showText) DefWindowProcW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    if (known) return result;
    switch (message) {
    case LB_GETITEMHEIGHT:
    case CB_GETITEMHEIGHT:
        return 16;
    case LB_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect || m.combo) return m.error;
        RECT client{};
        GetClientRect(hWnd, &client);
        const LONG top = static_cast<LONG>(wParam) * 16;
        *rect = {0, top, client.right, top + 16};
        return 1;
    }
    case WM_SETFOCUS:
        if (m.combo) CommandParent(hWnd, CBN_SETFOCUS);
        else if (style & LBS_NOTIFY) CommandParent(hWnd, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (m.combo) CommandParent(hWnd, CBN_KILLFOCUS);
        else if (style & LBS_NOTIFY) CommandParent(hWnd, LBN_KILLFOCUS);
        return 0;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

// SBM_SETRANGE / SBM_SETPOS keep the position inside the range.
int Clamp(int value, int low, int high) {
    if (low > high) std::swap(low, high);
    return std::clamp(value, low, high);
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
    case BM_GETSTATE:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return state.check | (state.pushed ? BST_PUSHED : 0) | (GetFocus() == hWnd ? BST_FOCUS : 0);
        });
    case BM_SETSTATE:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            state.pushed = wParam != 0;
            return 0;
        });
    case BM_SETSTYLE: {
        const DWORD style = StyleOf(hWnd);
        SetWindowLongW(hWnd, GWL_STYLE, static_cast<LONG>((style & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
        return 0;
    }
    case BCM_SETSHIELD:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            state.shield = lParam != 0;
            return 1;
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
        CommandParent(hWnd, BN_CLICKED);
        return 0;
    }
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        // The limit holds what the user types, not what the program sets.
        const LRESULT result = DefWindowProcW(hWnd, message, wParam, lParam);
        WithControl(hWnd, 0, [](Window&, ControlState& state) {
            state.selStart = state.selEnd = 0;
            return 0;
        });
        CommandParent(hWnd, EN_CHANGE);
        return result;
    }
    case EM_LIMITTEXT:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            state.limit = wParam ? static_cast<UINT>(wParam) : 0x7FFFFFFE;
            return 0;
        });
    case EM_GETLIMITTEXT:
        return WithControl(hWnd, LRESULT{0}, [](Window&, ControlState& state) -> LRESULT { return state.limit; });
    case EM_SETSEL:
        // Start -1 removes the selection; end -1 (or past the text) means the text's end.
        return WithControl(hWnd, LRESULT{0}, [&](Window& window, ControlState& state) -> LRESULT {
            const auto length = static_cast<long long>(window.text.size());
            long long start = static_cast<int>(wParam), end = static_cast<int>(lParam);
            if (start == -1) {
                state.selStart = state.selEnd = static_cast<DWORD>(std::min<long long>(state.selEnd, length));
                return 0;
            }
            if (end < 0 || end > length) end = length;
            start = std::clamp<long long>(start, 0, length);
            if (start > end) std::swap(start, end);
            state.selStart = static_cast<DWORD>(start);
            state.selEnd = static_cast<DWORD>(end);
            return 0;
        });
    case EM_GETSEL:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            if (auto* start = reinterpret_cast<DWORD*>(wParam)) *start = state.selStart;
            if (auto* end = reinterpret_cast<DWORD*>(lParam)) *end = state.selEnd;
            return MAKELONG(std::min<DWORD>(state.selStart, 0xFFFF), std::min<DWORD>(state.selEnd, 0xFFFF));
        });
    case EM_REPLACESEL: {
        // What the user types replaces the selection, within the limit.
        const auto* typed = reinterpret_cast<LPCWSTR>(lParam);
        std::u16string text;
        const bool changed = WithControl(hWnd, false, [&](Window& window, ControlState& state) {
            const size_t start = std::min<size_t>(state.selStart, window.text.size());
            const size_t end = std::min<size_t>(std::max(state.selEnd, state.selStart), window.text.size());
            std::u16string insert = typed ? typed : u"";
            const size_t room = state.limit > window.text.size() - (end - start)
                                    ? state.limit - (window.text.size() - (end - start))
                                    : 0;
            if (insert.size() > room) insert.resize(room);
            text = window.text.substr(0, start) + insert + window.text.substr(end);
            state.selStart = state.selEnd = static_cast<DWORD>(start + insert.size());
            return true;
        });
        if (changed) {
            DefWindowProcW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            CommandParent(hWnd, EN_UPDATE);
            CommandParent(hWnd, EN_CHANGE);
        }
        return 0;
    }
    case WM_CHAR: {
        // A typed printable character goes where the caret is, as typed text does.
        if (wParam < 0x20) return 0;
        const WCHAR typed[2] = {static_cast<WCHAR>(wParam), 0};
        return SendMessageW(hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed));
    }
    case EM_SETREADONLY: {
        const LONG style = GetWindowLongW(hWnd, GWL_STYLE);
        SetWindowLongW(hWnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
        return TRUE;
    }
    case WM_SETFOCUS:
        CommandParent(hWnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        CommandParent(hWnd, EN_KILLFOCUS);
        return 0;
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
    return ListMessage(hWnd, message, wParam, lParam, kListBox);
}

LRESULT CALLBACK ComboBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ListMessage(hWnd, message, wParam, lParam, kComboBox);
}

LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

LRESULT CALLBACK ScrollBarProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case SBM_SETPOS:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return std::exchange(state.position, Clamp(static_cast<int>(wParam), state.minimum, state.maximum));
        });
    case SBM_GETPOS:
        return WithControl(hWnd, LRESULT{0}, [](Window&, ControlState& state) -> LRESULT { return state.position; });
    case SBM_SETRANGE:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            const int previous = state.position;
            state.minimum = static_cast<int>(wParam);
            state.maximum = static_cast<int>(lParam);
            state.position = Clamp(state.position, state.minimum, state.maximum);
            return previous;
        });
    case SBM_GETRANGE:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            if (auto* low = reinterpret_cast<int*>(wParam)) *low = state.minimum;
            if (auto* high = reinterpret_cast<int*>(lParam)) *high = state.maximum;
            return 0;
        });
    case WM_CREATE:
        return WithControl(hWnd, LRESULT{0}, [](Window&, ControlState& state) -> LRESULT {
            state.maximum = 0;  // a new scroll bar's range is 0 to 0
            return 0;
        });
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

}  // namespace palvex::win

// The scroll bars of a window's own (SB_HORZ / SB_VERT) share the window's one range here; a
// scroll-bar control (SB_CTL) has its own.
int SetScrollPos(HWND hWnd, int, int nPos, BOOL) {
    using namespace palvex::win;
    return WithControl(hWnd, 0, [&](Window&, ControlState& state) {
        const int low = std::min(state.minimum, state.maximum), high = std::max(state.minimum, state.maximum);
        return std::exchange(state.position, std::clamp(nPos, low, high));
    });
}

int GetScrollPos(HWND hWnd, int) {
    using namespace palvex::win;
    return WithControl(hWnd, 0, [](Window&, ControlState& state) { return state.position; });
}

BOOL SetScrollRange(HWND hWnd, int, int nMinPos, int nMaxPos, BOOL) {
    using namespace palvex::win;
    return WithControl(hWnd, FALSE, [&](Window&, ControlState& state) -> BOOL {
        state.minimum = nMinPos;
        state.maximum = nMaxPos;
        state.position = std::clamp(state.position, std::min(nMinPos, nMaxPos), std::max(nMinPos, nMaxPos));
        return TRUE;
    });
}

BOOL GetScrollRange(HWND hWnd, int, int* lpMinPos, int* lpMaxPos) {
    using namespace palvex::win;
    if (!lpMinPos || !lpMaxPos) return FALSE;
    return WithControl(hWnd, FALSE, [&](Window&, ControlState& state) -> BOOL {
        *lpMinPos = state.minimum;
        *lpMaxPos = state.maximum;
        return TRUE;
    });
}

int SetScrollInfo(HWND hwnd, int, LPCSCROLLINFO lpsi, BOOL) {
    using namespace palvex::win;
    if (!lpsi) return 0;
    return WithControl(hwnd, 0, [&](Window&, ControlState& state) {
        if (lpsi->fMask & SIF_RANGE) {
            state.minimum = lpsi->nMin;
            state.maximum = lpsi->nMax;
        }
        if (lpsi->fMask & SIF_PAGE) state.page = lpsi->nPage;
        if (lpsi->fMask & SIF_POS) state.position = lpsi->nPos;
        // A page of n leaves the last n - 1 values of the range to the page itself.
        const int low = std::min(state.minimum, state.maximum), high = std::max(state.minimum, state.maximum);
        const int top = std::max(low, high - (state.page > 1 ? static_cast<int>(state.page) - 1 : 0));
        state.position = std::clamp(state.position, low, top);
        return state.position;
    });
}

BOOL GetScrollInfo(HWND hwnd, int, LPSCROLLINFO lpsi) {
    using namespace palvex::win;
    if (!lpsi) return FALSE;
    return WithControl(hwnd, FALSE, [&](Window&, ControlState& state) -> BOOL {
        if (lpsi->fMask & SIF_RANGE) {
            lpsi->nMin = state.minimum;
            lpsi->nMax = state.maximum;
        }
        if (lpsi->fMask & SIF_PAGE) lpsi->nPage = state.page;
        if (lpsi->fMask & SIF_POS) lpsi->nPos = state.position;
        if (lpsi->fMask & SIF_TRACKPOS) lpsi->nTrackPos = state.position;
        return TRUE;
    });
}

BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    if (!IsWindow(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
        if (HWND button = GetDlgItem(hDlg, id))
            SendMessageW(button, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}
