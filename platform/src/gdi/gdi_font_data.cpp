// GetFontData and GetGlyphIndicesW: the selected font's file and character map.
#include <win/wingdi.h>
#include <win/wingdi_fontdata.h>

#include "gdi/gdi_objects.h"

namespace {

std::shared_ptr<palvex::gdi::GdiObject> SelectedFont(HDC hdc) {
    auto context = palvex::gdi::DeviceContexts().Find(hdc);
    auto font = context ? palvex::gdi::Objects().Find(context->font) : nullptr;
    return font && font->type == OBJ_FONT ? font : nullptr;
}

}  // namespace

DWORD GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, PVOID pvBuffer, DWORD cjBuffer) {
    const auto font = SelectedFont(hdc);
    DWORD answer = 0;
    if (!font || !palvex::gdi::ReadFontFile(font->font, dwTable, dwOffset, pvBuffer, cjBuffer, &answer)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    return answer;
}

DWORD GetGlyphIndicesW(HDC hdc, LPCWSTR lpstr, int c, LPWORD pgi, DWORD fl) {
    const auto font = SelectedFont(hdc);
    if (!font || c < 0 || (c > 0 && (!lpstr || !pgi)) ||
        !palvex::gdi::GlyphIndices(font->font, lpstr, c, pgi, (fl & GGI_MARK_NONEXISTING_GLYPHS) != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    return static_cast<DWORD>(c);
}
