// The pointer: the shape a window sets while the mouse is over it, and the hit test of a point in a
// rectangle that windows use for their clickable areas.
#include <win/winuser.h>

namespace {

// Each thread's input state has its own cursor.
thread_local HCURSOR t_cursor = nullptr;

}  // namespace

HCURSOR SetCursor(HCURSOR hCursor) {
    HCURSOR previous = t_cursor;
    t_cursor = hCursor;
    return previous;
}

HCURSOR GetCursor() {
    return t_cursor;
}

BOOL PtInRect(const RECT* lprc, POINT pt) {
    if (!lprc) return FALSE;
    return pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom ? TRUE : FALSE;
}
