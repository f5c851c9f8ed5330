// Image lists: icons of one size, in order. Each image is a copy of the icon it was made from.
#include "comctl/image_list.h"

#include <algorithm>
#include <utility>
#include <memory>
#include <vector>

#include "kernel/handle_table.h"

namespace {

struct ImageList {
    int cx = 0, cy = 0;
    UINT flags = 0;
    std::vector<HICON> icons;
    ~ImageList() {
        for (HICON icon : icons) DestroyIcon(icon);
    }
};

palvex::HandleTable<ImageList>& Lists() {
    static auto* table = new palvex::HandleTable<ImageList>;  // outlives every static destructor
    return *table;
}

std::shared_ptr<ImageList> Find(HIMAGELIST list) { return Lists().Find(reinterpret_cast<HANDLE>(list)); }

}  // namespace

namespace palvex::comctl {

HICON ImageOf(HIMAGELIST himl, int i, int* cx, int* cy) {
    auto list = Find(himl);
    if (!list || i < 0 || i >= static_cast<int>(list->icons.size())) return nullptr;
    *cx = list->cx;
    *cy = list->cy;
    return list->icons[static_cast<size_t>(i)];
}

}  // namespace palvex::comctl

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
    if (cx <= 0 || cy <= 0 || cInitial < 0 || cGrow < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto list = std::make_shared<ImageList>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->icons.reserve(static_cast<size_t>(std::min(cInitial, 256)));
    return reinterpret_cast<HIMAGELIST>(Lists().Insert(std::move(list)));
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
    return himl && Lists().Remove(reinterpret_cast<HANDLE>(himl)) ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
    auto list = Find(himl);
    return list ? static_cast<int>(list->icons.size()) : 0;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
    auto list = Find(himl);
    if (!list || !hicon || i < -1 || i >= static_cast<int>(list->icons.size())) return -1;
    HICON copy = CopyIcon(hicon);
    if (!copy) return -1;
    if (i == -1) {
        list->icons.push_back(copy);
        return static_cast<int>(list->icons.size()) - 1;
    }
    DestroyIcon(list->icons[static_cast<size_t>(i)]);
    list->icons[static_cast<size_t>(i)] = copy;
    return i;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
    auto list = Find(himl);
    if (!list || i < -1 || i >= static_cast<int>(list->icons.size())) return FALSE;
    if (i == -1) {
        for (HICON icon : list->icons) DestroyIcon(icon);
        list->icons.clear();
    } else {
        DestroyIcon(list->icons[static_cast<size_t>(i)]);
        list->icons.erase(list->icons.begin() + i);
    }
    return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
    auto list = Find(himl);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
    int cx = 0, cy = 0;
    HICON icon = palvex::comctl::ImageOf(himl, i, &cx, &cy);
    return icon ? CopyIcon(icon) : nullptr;
}
