// The common controls the installer's pages use: a report list view with check boxes, an up-down
// control that writes its position into its buddy edit box, and a progress bar with a marquee.
// InitCommonControlsEx registers their classes as global classes of the process; each keeps its
// state here by window and paints itself, so pictures show what a person would see.
#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <win/commctrl_views.h>
#include <win/wingdi.h>
#include <win/winuser.h>

namespace {

struct ListRow {
    std::vector<std::u16string> texts;  // one per column
    UINT state = 0;
};

struct ListViewState {
    std::vector<std::pair<std::u16string, int>> columns;  // text, width
    std::vector<ListRow> rows;
    DWORD extended = 0;
};

struct UpDownState {
    int low = 0;
    int high = 100;
    int position = 0;
    HWND buddy = nullptr;
};

struct ProgressState {
    int low = 0;
    int high = 100;
    int position = 0;
    bool marquee = false;
};

std::mutex g_lock;
std::map<HWND, ListViewState> g_lists;
std::map<HWND, UpDownState> g_spins;
std::map<HWND, ProgressState> g_bars;

void NotifyItemChanged(HWND list, int item, UINT oldState, UINT newState) {
    HWND parent = GetParent(list);
    if (!parent) return;
    NMLISTVIEW change{};
    change.hdr.hwndFrom = list;
    change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = item;
    change.uOldState = oldState;
    change.uNewState = newState;
    change.uChanged = LVIF_STATE;
    SendMessageW(parent, WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT area{left, top, right, bottom};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, const RECT& r, COLORREF colour) {
    Fill(dc, r.left, r.top, r.right, r.top + 1, colour);
    Fill(dc, r.left, r.bottom - 1, r.right, r.bottom, colour);
    Fill(dc, r.left, r.top, r.left + 1, r.bottom, colour);
    Fill(dc, r.right - 1, r.top, r.right, r.bottom, colour);
}

void PaintList(HWND window) {
    ListViewState state;
    {
        std::lock_guard lock(g_lock);
        state = g_lists[window];
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    const bool enabled = IsWindowEnabled(window);
    Fill(dc, 0, 0, client.right, client.bottom, enabled ? RGB(255, 255, 255) : RGB(240, 240, 240));
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    const int lineHeight = 20;
    const bool checks = state.extended & LVS_EX_CHECKBOXES;
    // Header.
    Fill(dc, 1, 1, client.right - 1, lineHeight, RGB(240, 240, 240));
    int x = 1;
    for (const auto& [text, width] : state.columns) {
        RECT cell{x + 6, 1, x + width - 2, lineHeight};
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextW(dc, text.c_str(), -1, &cell, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        Fill(dc, x + width - 1, 3, x + width, lineHeight - 3, RGB(200, 200, 200));
        x += width;
    }
    Fill(dc, 1, lineHeight, client.right - 1, lineHeight + 1, RGB(200, 200, 200));
    int y = lineHeight + 2;
    for (const ListRow& row : state.rows) {
        if (y >= client.bottom) break;
        const bool selected = row.state & LVIS_SELECTED;
        if (selected) Fill(dc, 1, y, client.right - 1, y + lineHeight, RGB(204, 232, 255));
        x = 1;
        for (size_t column = 0; column < state.columns.size(); ++column) {
            int textLeft = x + 6;
            if (column == 0 && checks) {
                const RECT box{x + 4, y + 4, x + 17, y + 17};
                Fill(dc, box.left, box.top, box.right, box.bottom, RGB(255, 255, 255));
                Frame(dc, box, RGB(51, 51, 51));
                if (((row.state & LVIS_STATEIMAGEMASK) >> 12) == 2) {
                    RECT mark = box;
                    SetTextColor(dc, RGB(0, 0, 0));
                    DrawTextW(dc, u"\u2714", -1, &mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                }
                textLeft = box.right + 4;
            }
            RECT cell{textLeft, y, x + state.columns[column].second - 2, y + lineHeight};
            SetTextColor(dc, enabled ? RGB(0, 0, 0) : RGB(109, 109, 109));
            if (column < row.texts.size())
                DrawTextW(dc, row.texts[column].c_str(), -1, &cell, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            x += state.columns[column].second;
        }
        y += lineHeight;
    }
    Frame(dc, client, RGB(130, 135, 144));
    if (font) SelectObject(dc, font);
    EndPaint(window, &paint);
}

LRESULT CALLBACK ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(wParam);
    switch (message) {
    case WM_NCDESTROY: {
        std::lock_guard lock(g_lock);
        g_lists.erase(window);
        break;
    }
    case WM_PAINT:
        PaintList(window);
        return 0;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        std::lock_guard lock(g_lock);
        auto& state = g_lists[window];
        const DWORD old = state.extended;
        const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
        state.extended = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: {
        std::lock_guard lock(g_lock);
        return g_lists[window].extended;
    }
    case LVM_INSERTCOLUMNW: {
        const auto* column = reinterpret_cast<const LVCOLUMNW*>(lParam);
        if (!column) return -1;
        std::lock_guard lock(g_lock);
        auto& columns = g_lists[window].columns;
        const size_t at = std::min<size_t>(static_cast<size_t>(std::max(index, 0)), columns.size());
        columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at),
                       {(column->mask & LVCF_TEXT) && column->pszText ? column->pszText : u"", (column->mask & LVCF_WIDTH) ? column->cx : 100});
        return static_cast<LRESULT>(at);
    }
    case LVM_GETITEMCOUNT: {
        std::lock_guard lock(g_lock);
        return static_cast<LRESULT>(g_lists[window].rows.size());
    }
    case LVM_INSERTITEMW: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (!item || item->iSubItem != 0) return -1;
        std::lock_guard lock(g_lock);
        auto& state = g_lists[window];
        const size_t at = std::min<size_t>(static_cast<size_t>(std::max(item->iItem, 0)), state.rows.size());
        ListRow row;
        row.texts.resize(std::max<size_t>(state.columns.size(), 1));
        if ((item->mask & LVIF_TEXT) && item->pszText) row.texts[0] = item->pszText;
        if (item->mask & LVIF_STATE) row.state = item->state & item->stateMask;
        if ((state.extended & LVS_EX_CHECKBOXES) && !(row.state & LVIS_STATEIMAGEMASK)) row.state |= INDEXTOSTATEIMAGEMASK(1);
        state.rows.insert(state.rows.begin() + static_cast<std::ptrdiff_t>(at), row);
        return static_cast<LRESULT>(at);
    }
    case LVM_SETITEMTEXTW: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        std::lock_guard lock(g_lock);
        auto& rows = g_lists[window].rows;
        if (!item || index < 0 || static_cast<size_t>(index) >= rows.size() || item->iSubItem < 0) return FALSE;
        auto& texts = rows[static_cast<size_t>(index)].texts;
        if (texts.size() <= static_cast<size_t>(item->iSubItem)) texts.resize(static_cast<size_t>(item->iSubItem) + 1);
        texts[static_cast<size_t>(item->iSubItem)] = item->pszText ? item->pszText : u"";
        return TRUE;
    }
    case LVM_GETITEMTEXTW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (!item || !item->pszText || item->cchTextMax <= 0) return 0;
        std::lock_guard lock(g_lock);
        auto& rows = g_lists[window].rows;
        std::u16string text;
        if (index >= 0 && static_cast<size_t>(index) < rows.size() && item->iSubItem >= 0 &&
            static_cast<size_t>(item->iSubItem) < rows[static_cast<size_t>(index)].texts.size())
            text = rows[static_cast<size_t>(index)].texts[static_cast<size_t>(item->iSubItem)];
        const size_t length = std::min<size_t>(text.size(), static_cast<size_t>(item->cchTextMax - 1));
        std::copy_n(text.begin(), length, item->pszText);
        item->pszText[length] = u'\0';
        return static_cast<LRESULT>(length);
    }
    case LVM_DELETEALLITEMS: {
        std::lock_guard lock(g_lock);
        g_lists[window].rows.clear();
        return TRUE;
    }
    case LVM_DELETEITEM: {
        std::lock_guard lock(g_lock);
        auto& rows = g_lists[window].rows;
        if (index < 0 || static_cast<size_t>(index) >= rows.size()) return FALSE;
        rows.erase(rows.begin() + index);
        return TRUE;
    }
    case LVM_GETITEMSTATE: {
        std::lock_guard lock(g_lock);
        auto& rows = g_lists[window].rows;
        if (index < 0 || static_cast<size_t>(index) >= rows.size()) return 0;
        return rows[static_cast<size_t>(index)].state & static_cast<UINT>(lParam);
    }
    case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (!item) return FALSE;
        // Changed rows are told to the parent after the state is stored, outside the lock.
        std::vector<std::tuple<int, UINT, UINT>> changes;
        {
            std::lock_guard lock(g_lock);
            auto& rows = g_lists[window].rows;
            if (index >= 0 && static_cast<size_t>(index) >= rows.size()) return FALSE;
            const size_t first = index < 0 ? 0 : static_cast<size_t>(index);
            const size_t last = index < 0 ? rows.size() : first + 1;
            for (size_t row = first; row < last; ++row) {
                const UINT old = rows[row].state;
                rows[row].state = (old & ~item->stateMask) | (item->state & item->stateMask);
                if (rows[row].state != old) changes.emplace_back(static_cast<int>(row), old, rows[row].state);
            }
        }
        for (const auto& [row, old, now] : changes) NotifyItemChanged(window, row, old, now);
        InvalidateRect(window, nullptr, TRUE);
        return TRUE;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND FindBuddy(HWND spin) {
    HWND parent = GetParent(spin);
    if (!parent) return nullptr;
    HWND before = nullptr;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == spin) return before;
        before = child;
    }
    return nullptr;
}

void WriteBuddy(HWND spin, HWND buddy, int position) {
    if (!buddy || !(GetWindowLongW(spin, GWL_STYLE) & UDS_SETBUDDYINT)) return;
    const std::string digits = std::to_string(position);
    SetWindowTextW(buddy, std::u16string(digits.begin(), digits.end()).c_str());
}

LRESULT CALLBACK UpDownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        if (GetWindowLongW(window, GWL_STYLE) & UDS_AUTOBUDDY) {
            HWND buddy = FindBuddy(window);
            std::lock_guard lock(g_lock);
            g_spins[window].buddy = buddy;
        }
        break;
    }
    case WM_NCDESTROY: {
        std::lock_guard lock(g_lock);
        g_spins.erase(window);
        break;
    }
    case UDM_SETBUDDY: {
        std::lock_guard lock(g_lock);
        return reinterpret_cast<LRESULT>(std::exchange(g_spins[window].buddy, reinterpret_cast<HWND>(wParam)));
    }
    case UDM_GETBUDDY: {
        std::lock_guard lock(g_lock);
        return reinterpret_cast<LRESULT>(g_spins[window].buddy);
    }
    case UDM_SETRANGE32: {
        std::lock_guard lock(g_lock);
        g_spins[window].low = static_cast<int>(wParam);
        g_spins[window].high = static_cast<int>(lParam);
        return 0;
    }
    case UDM_GETRANGE32: {
        std::lock_guard lock(g_lock);
        if (wParam) *reinterpret_cast<int*>(wParam) = g_spins[window].low;
        if (lParam) *reinterpret_cast<int*>(lParam) = g_spins[window].high;
        return 0;
    }
    case UDM_SETPOS32: {
        HWND buddy;
        int old, position;
        {
            std::lock_guard lock(g_lock);
            auto& state = g_spins[window];
            old = state.position;
            position = std::clamp(static_cast<int>(lParam), std::min(state.low, state.high), std::max(state.low, state.high));
            state.position = position;
            buddy = state.buddy;
        }
        WriteBuddy(window, buddy, position);
        return old;
    }
    case UDM_GETPOS32: {
        std::lock_guard lock(g_lock);
        return g_spins[window].position;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        const int middle = client.bottom / 2;
        Fill(dc, 0, 0, client.right, client.bottom, RGB(225, 225, 225));
        Frame(dc, RECT{0, 0, client.right, middle + 1}, RGB(173, 173, 173));
        Frame(dc, RECT{0, middle, client.right, client.bottom}, RGB(173, 173, 173));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT up{0, 0, client.right, middle}, down{0, middle, client.right, client.bottom};
        DrawTextW(dc, u"\u25B4", -1, &up, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        DrawTextW(dc, u"\u25BE", -1, &down, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCDESTROY: {
        std::lock_guard lock(g_lock);
        g_bars.erase(window);
        break;
    }
    case PBM_SETRANGE32: {
        std::lock_guard lock(g_lock);
        g_bars[window].low = static_cast<int>(wParam);
        g_bars[window].high = static_cast<int>(lParam);
        return 0;
    }
    case PBM_SETPOS: {
        std::lock_guard lock(g_lock);
        return std::exchange(g_bars[window].position, static_cast<int>(wParam));
    }
    case PBM_GETPOS: {
        std::lock_guard lock(g_lock);
        return g_bars[window].position;
    }
    case PBM_SETMARQUEE: {
        // The marquee moves only when its style is set, as on the platform.
        std::lock_guard lock(g_lock);
        g_bars[window].marquee = wParam && (GetWindowLongW(window, GWL_STYLE) & PBS_MARQUEE);
        return TRUE;
    }
    case WM_PAINT: {
        ProgressState state;
        {
            std::lock_guard lock(g_lock);
            state = g_bars[window];
        }
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        Fill(dc, 0, 0, client.right, client.bottom, RGB(230, 230, 230));
        const int inner = client.right - 2;
        if (state.marquee) {
            // A still picture of the moving block: a quarter of the bar, a third of the way in.
            Fill(dc, 1 + inner / 3, 1, 1 + inner / 3 + inner / 4, client.bottom - 1, RGB(6, 176, 37));
        } else if (state.high > state.low) {
            const int filled = static_cast<int>(static_cast<long long>(inner) * (std::clamp(state.position, state.low, state.high) - state.low) /
                                                (state.high - state.low));
            Fill(dc, 1, 1, 1 + filled, client.bottom - 1, RGB(6, 176, 37));
        }
        Frame(dc, client, RGB(188, 188, 188));
        EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

namespace palvex::win {

// Is the marquee of this progress bar running? (for tests of the search dialog)
__attribute__((visibility("default"))) bool ProgressMarqueeRunning(HWND bar) {
    std::lock_guard lock(g_lock);
    auto it = g_bars.find(bar);
    return it != g_bars.end() && it->second.marquee;
}

}  // namespace palvex::win

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    static std::once_flag registered;
    std::call_once(registered, [] {
        const std::pair<const char16_t*, WNDPROC> classes[] = {
            {WC_LISTVIEWW, ListViewProc}, {UPDOWN_CLASSW, UpDownProc}, {PROGRESS_CLASSW, ProgressProc}};
        for (const auto& [name, procedure] : classes) {
            // A class the window system already has as a standard class is left to it.
            WNDCLASSEXW existing{};
            existing.cbSize = sizeof existing;
            if (GetClassInfoExW(nullptr, name, &existing)) continue;
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.style = CS_GLOBALCLASS;
            windowClass.lpfnWndProc = procedure;
            windowClass.lpszClassName = name;
            RegisterClassExW(&windowClass);
        }
    });
    return TRUE;
}
