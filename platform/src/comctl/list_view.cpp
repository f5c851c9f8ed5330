// The list view: rows of a text, subitem texts, a state (selected, focused), an image and a value,
// under report columns. Selecting a row tells the parent LVN_ITEMCHANGED; a single-selection list
// view keeps one selected row.
#include <algorithm>
#include <utility>
#include <cstring>

#include <win/commctrl.h>

#include "crt/utf16.h"
#include "user/window_store.h"

namespace palvex::win {
namespace {

void CopyText(const std::u16string& text, LPWSTR buffer, int size) {
    if (!buffer || size <= 0) return;
    const size_t copied = std::min<size_t>(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), copied * sizeof(WCHAR));
    buffer[copied] = u'\0';
}

// The texts of a row: column 0 is the item's text, the others its subitems.
std::u16string* TextOf(ControlState::Item& item, int subitem) {
    if (subitem <= 0) return &item.text;
    if (item.subitems.size() < static_cast<size_t>(subitem)) item.subitems.resize(static_cast<size_t>(subitem));
    return &item.subitems[static_cast<size_t>(subitem) - 1];
}

struct StateChange {
    int row;
    UINT oldState, newState;
    LPARAM data;
};

// Sets the state bits of one row (-1: every row); a single-selection list view clears the
// selection of the others. The changes are told to the parent afterwards.
std::vector<StateChange> SetState(HWND hWnd, int row, UINT state, UINT mask) {
    std::vector<StateChange> changes;
    const bool single = GetWindowLongW(hWnd, GWL_STYLE) & LVS_SINGLESEL;
    WithControl(hWnd, 0, [&](Window&, ControlState& control) {
        const int count = static_cast<int>(control.items.size());
        if (row >= count) return 0;
        for (int i = 0; i < count; ++i) {
            auto& item = control.items[static_cast<size_t>(i)];
            const UINT before = item.state;
            if (row < 0 || i == row) {
                item.state = (item.state & ~mask) | (state & mask);
            } else if (single && (mask & LVIS_SELECTED) && (state & LVIS_SELECTED)) {
                item.state &= ~static_cast<UINT>(LVIS_SELECTED);
            }
            if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED) && row >= 0 && i != row)
                item.state &= ~static_cast<UINT>(LVIS_FOCUSED);
            if (item.state != before) changes.push_back({i, before, item.state, item.data});
        }
        control.selection = -1;
        for (int i = 0; i < count; ++i)
            if (control.items[static_cast<size_t>(i)].state & LVIS_SELECTED) {
                control.selection = i;
                break;
            }
        return 0;
    });
    return changes;
}

void TellChanges(HWND hWnd, const std::vector<StateChange>& changes) {
    for (const auto& change : changes) {
        NMLISTVIEW info{};
        info.iItem = change.row;
        info.uOldState = change.oldState;
        info.uNewState = change.newState;
        info.uChanged = LVIF_STATE;
        info.lParam = change.data;
        NotifyParent(hWnd, LVN_ITEMCHANGED, &info.hdr);
    }
}

}  // namespace

LRESULT CALLBACK ListViewProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(wParam);
    switch (message) {
    case LVM_INSERTCOLUMNW: {
        const auto* in = reinterpret_cast<const LVCOLUMNW*>(lParam);
        if (!in) return -1;
        return WithControl(hWnd, LRESULT{-1}, [&](Window&, ControlState& state) -> LRESULT {
            const int at = std::clamp(index, 0, static_cast<int>(state.columns.size()));
            ControlState::Column column;
            if ((in->mask & LVCF_TEXT) && in->pszText) column.text = in->pszText;
            column.width = (in->mask & LVCF_WIDTH) ? in->cx : 100;
            state.columns.insert(state.columns.begin() + at, column);
            return at;
        });
    }
    case LVM_DELETECOLUMN:
        return WithControl(hWnd, LRESULT{FALSE}, [&](Window&, ControlState& state) -> LRESULT {
            if (index < 0 || index >= static_cast<int>(state.columns.size())) return FALSE;
            state.columns.erase(state.columns.begin() + index);
            return TRUE;
        });
    case LVM_GETCOLUMNW: {
        auto* out = reinterpret_cast<LVCOLUMNW*>(lParam);
        const ControlState state = ControlOf(hWnd);
        if (!out || index < 0 || index >= static_cast<int>(state.columns.size())) return FALSE;
        const auto& column = state.columns[static_cast<size_t>(index)];
        if (out->mask & LVCF_WIDTH) out->cx = column.width;
        if (out->mask & LVCF_TEXT) CopyText(column.text, out->pszText, out->cchTextMax);
        return TRUE;
    }
    case LVM_SETCOLUMNWIDTH:
        return WithControl(hWnd, LRESULT{FALSE}, [&](Window& window, ControlState& state) -> LRESULT {
            if (index < 0 || index >= static_cast<int>(state.columns.size())) return FALSE;
            const int width = static_cast<int>(static_cast<short>(LOWORD(lParam)));
            // LVSCW_AUTOSIZE (-1) and LVSCW_AUTOSIZE_USEHEADER (-2) take the client width here.
            state.columns[static_cast<size_t>(index)].width = width >= 0 ? width : window.rect.right - window.rect.left;
            return TRUE;
        });
    case LVM_GETCOLUMNWIDTH: {
        const ControlState state = ControlOf(hWnd);
        return index >= 0 && index < static_cast<int>(state.columns.size()) ? state.columns[static_cast<size_t>(index)].width : 0;
    }
    case LVM_INSERTITEMW: {
        const auto* in = reinterpret_cast<const LVITEMW*>(lParam);
        if (!in) return -1;
        const DWORD style = static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE));
        return WithControl(hWnd, LRESULT{-1}, [&](Window&, ControlState& state) -> LRESULT {
            ControlState::Item item;
            if ((in->mask & LVIF_TEXT) && in->pszText) item.text = in->pszText;
            if (in->mask & LVIF_IMAGE) item.image = in->iImage;
            if (in->mask & LVIF_PARAM) item.data = in->lParam;
            if (in->mask & LVIF_STATE) item.state = in->state & in->stateMask;
            // With check boxes a new row starts unchecked (state image 1).
            if ((state.extendedStyle & LVS_EX_CHECKBOXES) && !(item.state & LVIS_STATEIMAGEMASK))
                item.state |= INDEXTOSTATEIMAGEMASK(1);
            auto& items = state.items;
            ptrdiff_t at = std::clamp<ptrdiff_t>(in->iItem, 0, static_cast<ptrdiff_t>(items.size()));
            if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
                const std::u16string key = text::Upcase(item.text);
                const bool descending = style & LVS_SORTDESCENDING;
                at = std::find_if(items.begin(), items.end(),
                                  [&](const ControlState::Item& row) {
                                      const std::u16string other = text::Upcase(row.text);
                                      return descending ? key > other : key < other;
                                  }) -
                     items.begin();
            }
            items.insert(items.begin() + at, std::move(item));
            if (state.selection >= at) ++state.selection;
            return at;
        });
    }
    case LVM_SETITEMW:
    case LVM_GETITEMW: {
        auto* io = reinterpret_cast<LVITEMW*>(lParam);
        if (!io) return FALSE;
        std::vector<StateChange> changes;
        bool setState = false;
        const LRESULT ok = WithControl(hWnd, LRESULT{FALSE}, [&](Window&, ControlState& state) -> LRESULT {
            if (io->iItem < 0 || io->iItem >= static_cast<int>(state.items.size())) return FALSE;
            auto& item = state.items[static_cast<size_t>(io->iItem)];
            if (message == LVM_SETITEMW) {
                if ((io->mask & LVIF_TEXT) && io->pszText) *TextOf(item, io->iSubItem) = io->pszText;
                if (io->iSubItem == 0) {
                    if (io->mask & LVIF_IMAGE) item.image = io->iImage;
                    if (io->mask & LVIF_PARAM) item.data = io->lParam;
                    setState = (io->mask & LVIF_STATE) != 0;
                }
                return TRUE;
            }
            if (io->mask & LVIF_TEXT) CopyText(*TextOf(item, io->iSubItem), io->pszText, io->cchTextMax);
            if (io->mask & LVIF_IMAGE) io->iImage = item.image;
            if (io->mask & LVIF_PARAM) io->lParam = item.data;
            if (io->mask & LVIF_STATE) io->state = item.state & io->stateMask;
            return TRUE;
        });
        if (ok && setState) TellChanges(hWnd, SetState(hWnd, io->iItem, io->state, io->stateMask));
        return ok;
    }
    case LVM_SETITEMTEXTW:
    case LVM_GETITEMTEXTW: {
        auto* io = reinterpret_cast<LVITEMW*>(lParam);
        if (!io) return 0;
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            if (index < 0 || index >= static_cast<int>(state.items.size())) return 0;
            std::u16string* text = TextOf(state.items[static_cast<size_t>(index)], io->iSubItem);
            if (message == LVM_SETITEMTEXTW) {
                *text = io->pszText ? io->pszText : u"";
                return TRUE;
            }
            CopyText(*text, io->pszText, io->cchTextMax);
            return static_cast<LRESULT>(std::min<size_t>(text->size(), io->cchTextMax > 0 ? io->cchTextMax - 1 : 0));
        });
    }
    case LVM_SETITEMSTATE: {
        const auto* in = reinterpret_cast<const LVITEMW*>(lParam);
        if (!in) return FALSE;
        TellChanges(hWnd, SetState(hWnd, index, in->state, in->stateMask));
        return TRUE;
    }
    case LVM_GETITEMSTATE: {
        const ControlState state = ControlOf(hWnd);
        if (index < 0 || index >= static_cast<int>(state.items.size())) return 0;
        return state.items[static_cast<size_t>(index)].state & static_cast<UINT>(lParam);
    }
    case LVM_GETNEXTITEM: {
        const ControlState state = ControlOf(hWnd);
        const UINT flags = static_cast<UINT>(lParam);
        for (int i = index + 1; i < static_cast<int>(state.items.size()); ++i)
            if (!(flags & LVNI_SELECTED) || (state.items[static_cast<size_t>(i)].state & LVIS_SELECTED)) return i;
        return -1;
    }
    case LVM_DELETEITEM:
        return WithControl(hWnd, LRESULT{FALSE}, [&](Window&, ControlState& state) -> LRESULT {
            if (index < 0 || index >= static_cast<int>(state.items.size())) return FALSE;
            state.items.erase(state.items.begin() + index);
            if (state.selection == index) state.selection = -1;
            else if (state.selection > index) --state.selection;
            return TRUE;
        });
    case LVM_DELETEALLITEMS:
        return WithControl(hWnd, LRESULT{TRUE}, [](Window&, ControlState& state) -> LRESULT {
            state.items.clear();
            state.selection = -1;
            return TRUE;
        });
    case LVM_GETITEMCOUNT:
        return static_cast<LRESULT>(ControlOf(hWnd).items.size());
    case LVM_SETIMAGELIST:
        // One image list serves every view here; the small icons are what the pictures show.
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return reinterpret_cast<LRESULT>(std::exchange(state.imageList, reinterpret_cast<HANDLE>(lParam)));
        });
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
        // wParam masks the styles that change; 0 changes them all.
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
            return std::exchange(state.extendedStyle, (state.extendedStyle & ~mask) | (static_cast<DWORD>(lParam) & mask));
        });
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return ControlOf(hWnd).extendedStyle;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

}  // namespace palvex::win
