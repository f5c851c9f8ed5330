// What the pictures read of an image list (internal to the platform library).
#pragma once

#include <win/commctrl.h>

namespace palvex::comctl {

// The icon of image i and the list's image size; null when the list or the image does not exist.
HICON ImageOf(HIMAGELIST list, int i, int* cx, int* cy);

}  // namespace palvex::comctl
