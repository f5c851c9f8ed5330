// The headless user's click on a list view's check box.
#include "comctl/list_view_user.h"

#include <win/commctrl.h>

#include "user/window_store.h"

namespace palvex::win {

void ClickListViewCheckBox(HWND listView, int row) {
    if (!listView || !IsClassNamed(listView, u"SysListView32") || !IsWindowVisible(listView) || !IsWindowEnabled(listView)) return;
    if (!(SendMessageW(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES)) return;
    if (row < 0 || row >= static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0))) return;
    SetFocus(listView);
    ListView_SetCheckState(listView, row, !ListView_GetCheckState(listView, row));
}

}  // namespace palvex::win
