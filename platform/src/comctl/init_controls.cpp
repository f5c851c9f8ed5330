// InitCommonControlsEx: the common control classes are classes of the window system from the
// start, so initialising them only checks the record.
#include <win/commctrl.h>

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    return picce && picce->dwSize == sizeof(INITCOMMONCONTROLSEX);
}
