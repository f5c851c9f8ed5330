// What tests can see of the icons and cursors the window system made.
#pragma once

#include <win/winuser.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct IconDescription {
    bool isIcon = true;    // false for a cursor
    int width = 0;         // the size the icon was made for
    int height = 0;
    int imageWidth = 0;    // the size of the image it was made from
    int imageHeight = 0;
    WORD bitCount = 0;     // 0 for a PNG image
    bool png = false;
    POINT hotspot{};       // cursors only
};

// False when the handle is not a live icon or cursor.
PALVEX_API bool DescribeIcon(HICON icon, IconDescription* description);

}  // namespace palvex
