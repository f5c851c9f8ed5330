// What the headless user does to a list view beyond selecting a row.
#pragma once

#include <win/winuser.h>

namespace palvex::win {

// Clicks the check box of the row as a person would: the list takes the focus and the row's check
// box turns over (the parent hears LVN_ITEMCHANGED). Does nothing to a hidden or disabled list, a
// window that is no list view, a list without check boxes or a row the list does not hold.
void ClickListViewCheckBox(HWND listView, int row);

}  // namespace palvex::win
