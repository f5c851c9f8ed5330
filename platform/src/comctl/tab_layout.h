// Where a tab control puts its tabs (internal to the platform library; the control and its
// picture share it).
#pragma once

#include <vector>

#include "user/window_store.h"

namespace palvex::comctl {

// The rectangle of each tab in the control's client area, and the height of the tab row.
std::vector<RECT> TabRects(HWND tab, const std::vector<win::ControlState::Item>& items, bool images, int* rowHeight);

}  // namespace palvex::comctl
