// The extended combo box: a combo box whose rows carry images from its image list. The combo box
// messages act on its rows; CBEM_ messages add, change and read rows with their images.
#include <algorithm>
#include <utility>
#include <cstring>

#include <win/commctrl.h>

#include "user/window_store.h"

namespace palvex::win {

LRESULT CALLBACK ComboBoxExProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CBEM_INSERTITEMW: {
        const auto* in = reinterpret_cast<const COMBOBOXEXITEMW*>(lParam);
        if (!in) return -1;
        const auto* text = (in->mask & CBEIF_TEXT) && in->pszText ? in->pszText : u"";
        // -1 appends, as does a sorted combo box's ordinary add.
        const LRESULT row = in->iItem < 0
                                ? ComboBoxProc(hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))
                                : ComboBoxProc(hWnd, CB_INSERTSTRING, static_cast<WPARAM>(in->iItem), reinterpret_cast<LPARAM>(text));
        if (row < 0) return -1;
        WithControl(hWnd, 0, [&](Window&, ControlState& state) {
            auto& item = state.items[static_cast<size_t>(row)];
            if (in->mask & CBEIF_IMAGE) item.image = in->iImage;
            if (in->mask & CBEIF_SELECTEDIMAGE) item.selectedImage = in->iSelectedImage;
            if (in->mask & CBEIF_LPARAM) item.data = in->lParam;
            return 0;
        });
        return row;
    }
    case CBEM_SETITEMW:
    case CBEM_GETITEMW: {
        auto* io = reinterpret_cast<COMBOBOXEXITEMW*>(lParam);
        if (!io) return FALSE;
        return WithControl(hWnd, LRESULT{FALSE}, [&](Window&, ControlState& state) -> LRESULT {
            const INT_PTR row = io->iItem == -1 ? state.selection : io->iItem;
            if (row < 0 || row >= static_cast<INT_PTR>(state.items.size())) return FALSE;
            auto& item = state.items[static_cast<size_t>(row)];
            if (message == CBEM_SETITEMW) {
                if ((io->mask & CBEIF_TEXT) && io->pszText) item.text = io->pszText;
                if (io->mask & CBEIF_IMAGE) item.image = io->iImage;
                if (io->mask & CBEIF_SELECTEDIMAGE) item.selectedImage = io->iSelectedImage;
                if (io->mask & CBEIF_LPARAM) item.data = io->lParam;
                return TRUE;
            }
            if ((io->mask & CBEIF_TEXT) && io->pszText && io->cchTextMax > 0) {
                const size_t copied = std::min<size_t>(item.text.size(), static_cast<size_t>(io->cchTextMax) - 1);
                std::memcpy(io->pszText, item.text.data(), copied * sizeof(WCHAR));
                io->pszText[copied] = u'\0';
            }
            if (io->mask & CBEIF_IMAGE) io->iImage = item.image;
            if (io->mask & CBEIF_SELECTEDIMAGE) io->iSelectedImage = item.selectedImage;
            if (io->mask & CBEIF_LPARAM) io->lParam = item.data;
            return TRUE;
        });
    }
    case CBEM_SETIMAGELIST:
        return WithControl(hWnd, LRESULT{0}, [&](Window&, ControlState& state) -> LRESULT {
            return reinterpret_cast<LRESULT>(std::exchange(state.imageList, reinterpret_cast<HANDLE>(lParam)));
        });
    case CBEM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(ControlOf(hWnd).imageList);
    case CBEM_GETCOMBOCONTROL:
    case CBEM_GETEDITCONTROL:
        return reinterpret_cast<LRESULT>(hWnd);  // the extended box is its own combo box here
    default:
        return ComboBoxProc(hWnd, message, wParam, lParam);
    }
}

}  // namespace palvex::win
