// TextOutA: ANSI text through ExtTextOutW.
#include <string>

#include <win/stringapiset.h>
#include <win/wingdi_charset.h>
#include <win/wingdi_text.h>

#include "gdi/gdi_objects.h"

namespace {

// The code page of the font's character set, when the machine converts it.
UINT CodePageOfFont(HGDIOBJ font) {
    const auto object = palvex::gdi::Objects().Find(font);
    if (!object || object->type != OBJ_FONT) return CP_ACP;
    CHARSETINFO charset{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(object->font.lfCharSet)), &charset,
                              TCI_SRCCHARSET))
        return CP_ACP;
    return charset.ciACP == 932 || charset.ciACP == 1252 ? charset.ciACP : CP_ACP;
}

}  // namespace

WINBASEAPI BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    const auto context = palvex::gdi::DeviceContexts().Find(hdc);
    if (!context) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (c < 0 || (c > 0 && !lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string wide;
    if (c > 0) {
        const UINT codePage = CodePageOfFont(context->font);
        const int length = MultiByteToWideChar(codePage, 0, lpString, c, nullptr, 0);
        if (length <= 0) return FALSE;
        wide.resize(static_cast<size_t>(length));
        if (MultiByteToWideChar(codePage, 0, lpString, c, wide.data(), length) != length) return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()), nullptr);
}
