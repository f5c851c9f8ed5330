// The tab control: a row of tabs over a display area. Clicking a tab (WM_LBUTTONDOWN at a point
// of it) asks the parent with TCN_SELCHANGING (a nonzero answer keeps the old tab), selects it and
// tells TCN_SELCHANGE; TCM_SETCURSEL selects without telling.
#include <algorithm>
#include <utility>
#include <cstring>

#include <win/commctrl.h>

#include "comctl/tab_layout.h"
#include "user/window_canvas.h"
#include "user/window_store.h"

namespace palvex::comctl {

using win::ControlState;
using win::Window;
using win::WithControl;

std::vector<RECT> TabRects(HWND tab, const std::vector<ControlState::Item>& items, bool images, int* rowHeight) {
    const LOGFONTW font = win::FontOf(reinterpret_cast<HGDIOBJ>(SendMessageW(tab, WM_GETFONT, 0, 0)));
    const int textHeight = std::max(win::LayOutText(nullptr, font, 0, u"Ag", RECT{0, 0, 1000, 100}, DT_SINGLELINE), 1);
    *rowHeight = textHeight + 8;
    std::vector<RECT> rects;
    LONG x = 2;
    for (const auto& item : items) {
        LONG width = win::TextWidth(font, item.text) + 12;
        if (images && item.image >= 0) width += 19;
        rects.push_back(RECT{x, 2, x + width, 2 + *rowHeight - 2});
        x += width;
    }
    return rects;
}

}  // namespace palvex::comctl

namespace palvex::win {
namespace {

int HitTest(HWND tab, POINT point) {
    const ControlState state = ControlOf(tab);
    int rowHeight = 0;
    const auto rects = comctl::TabRects(tab, state.items, state.imageList != nullptr, &rowHeight);
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT& r = rects[i];
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return static_cast<int>(i);
    }
    return -1;
}

void CopyItemIn(ControlState::Item* item, const TCITEMW& in) {
    if (in.mask & TCIF_TEXT) item->text = in.pszText ? in.pszText : u"";
    if (in.mask & TCIF_IMAGE) item->image = in.iImage;
    if (in.mask & TCIF_PARAM) item->data = in.lParam;
}

}  // namespace

LRESULT CALLBACK TabControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto index = static_cast<ptrdiff_t>(static_cast<int>(wParam));
    switch (message) {
    case TCM_INSERTITEMW: {
        const auto* in = reinterpret_cast<const TCITEMW*>(lParam);
        if (!in) return -1;
        return WithControl(hWnd, LRESULT{-1}, [&](Window&, ControlState& state) -> LRESULT {
            const ptrdiff_t at = std::clamp<ptrdiff_t>(index, 0, static_cast<ptrdiff_t>(state.items.size()));
            ControlState::Item item;
            CopyItemIn(&item, *in);
            state.items.insert(state.items.begin() + at, std::move(item));
            if (state.selection < 0) state.selection = 0;  // the first tab is selected
            else if (state.selection >= at) ++state.selection;
            return at;
        });
    }
    case TCM_SETITEMW:
    case TCM_GETITEMW: {
        auto* io = reinterpret_cast<TCITEMW*>(lParam);
        if (!io) return FALSE;
        return WithControl(hWnd, LRESULT{FALSE}, [&](Window&, ControlState& state) -> LRESULT {
            if (index < 0 || index >= static_cast<ptrdiff_t>(state.items.size())) return FALSE;
            auto& item = state.items[static_cast<size_t>(index)];
            if (message == TCM_SETITEMW) {
                CopyItemIn(&item, *io);
                return TRUE;
            }
            if ((io->mask & TCIF_TEXT) && io->pszText && io->cchTextMax > 0) {
                const size_t copied = std::min<size_t>(item.text.size(), static_cast<size_t>(io->cchTextMax) - 1);
                std::memcpy(io->pszText, item.text.data(), copied * sizeof(WCHAR));
                io->pszText[copied] = u'\0';
            }
            if (io->mask & TCIF_IMAGE) io->iImage = item.image;
            if (io->mask & TCIF_PARAM) io->lParam = item.data;
            return TRUE;
        });
    }
    case TCM_DELETEITEM:
        return WithControl(hWnd, LRESULT{FALSE}, [&](Window&, ControlState& state) -> LRESULT {
            if (index < 0 || index >= static_cast<ptrdiff_t>(state.items.size())) return FALSE;
            state.items.erase(state.items.begin() + index);
            if (state.selection == index) state.selection = -1;
            else if (state.selection > index) --state.selection;
            return TRUE;
        });
    case TCM_DELETEALLITEMS:
        return WithControl(hWnd, LRESULT{TRUE}, [](Window&, ControlState& state) -> LRESULT {
            state.items.clear();
            state.selection = -1;
            return TRUE;
        });
    case TCM_GETITEMCOUNT:
        return static_cast<LRESULT>(ControlOf(hWnd).items.size());
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS:
        return ControlOf(hWnd).selection;
    case TCM_SETCURSEL:
    case TCM_SETCURFOCUS:
        return WithControl(hWnd, LRESULT{-1}, [&](Window&, ControlState& state) -> LRESULT {
            if (index < 0 || index >= static_cast<ptrdiff_t>(state.items.size())) return -1;
            return std::exchange(state.selection, static_cast<int>(index));
        });
    case TCM_SETIMAGELIST:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return reinterpret_cast<LRESULT>(std::exchange(state.imageList, reinterpret_cast<HANDLE>(lParam)));
        });
    case TCM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(ControlOf(hWnd).imageList);
    case TCM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        const ControlState state = ControlOf(hWnd);
        int rowHeight = 0;
        const auto rects = comctl::TabRects(hWnd, state.items, state.imageList != nullptr, &rowHeight);
        if (!rect || index < 0 || index >= static_cast<ptrdiff_t>(rects.size())) return FALSE;
        *rect = rects[static_cast<size_t>(index)];
        return TRUE;
    }
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (!info) return -1;
        const int hit = HitTest(hWnd, info->pt);
        info->flags = hit < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
        return hit;
    }
    case TCM_ADJUSTRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect) return 0;
        const ControlState state = ControlOf(hWnd);
        int rowHeight = 0;
        comctl::TabRects(hWnd, state.items, false, &rowHeight);
        // The display area lies below the tab row inside a 4-pixel border.
        const int sign = wParam ? -1 : 1;
        rect->left += sign * 4;
        rect->right -= sign * 4;
        rect->top += sign * (rowHeight + 4);
        rect->bottom -= sign * 4;
        return 0;
    }
    case WM_LBUTTONDOWN: {
        if (!IsWindowEnabled(hWnd)) return 0;
        const int hit = HitTest(hWnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (hit < 0 || hit == ControlOf(hWnd).selection) return 0;
        NMHDR header{};
        if (NotifyParent(hWnd, TCN_SELCHANGING, &header)) return 0;
        SendMessageW(hWnd, TCM_SETCURSEL, static_cast<WPARAM>(hit), 0);
        NotifyParent(hWnd, TCN_SELCHANGE, &header);
        return 0;
    }
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

}  // namespace palvex::win
