// Visual themes: the parent background behind a themed control.
#include <win/uxtheme.h>
#include <win/wingdi_raster.h>

HRESULT DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* prc) {
    if (!IsWindow(hwnd) || !hdc) return E_INVALIDARG;
    RECT rect{};
    if (prc) rect = *prc;
    else GetClientRect(hwnd, &rect);
    // The parents of the kit's controls are dialogs, painted in the dialog face colour.
    return FillRect(hdc, &rect, GetSysColorBrush(COLOR_BTNFACE)) ? S_OK : E_FAIL;
}
