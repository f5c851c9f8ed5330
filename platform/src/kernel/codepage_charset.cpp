// Font character sets of the code pages (TranslateCharsetInfo) and the lead bytes of the
// double-byte code page (IsDBCSLeadByteEx).
#include <win/winbase.h>
#include <win/wingdi_charset.h>
#include <win/winnls.h>

namespace {

struct CharsetRow {
    UINT codePage;
    UINT charset;
    int csbBit;  // the code page's bit in FONTSIGNATURE::fsCsb[0]
};

constexpr CharsetRow kCharsets[] = {
    {1252, ANSI_CHARSET, 0},         {1250, EASTEUROPE_CHARSET, 1}, {1251, RUSSIAN_CHARSET, 2},
    {1253, GREEK_CHARSET, 3},        {1254, TURKISH_CHARSET, 4},    {1255, HEBREW_CHARSET, 5},
    {1256, ARABIC_CHARSET, 6},       {1257, BALTIC_CHARSET, 7},     {1258, VIETNAMESE_CHARSET, 8},
    {874, THAI_CHARSET, 16},         {932, SHIFTJIS_CHARSET, 17},   {936, GB2312_CHARSET, 18},
    {949, HANGUL_CHARSET, 19},       {950, CHINESEBIG5_CHARSET, 20}, {1361, JOHAB_CHARSET, 21},
    {42, SYMBOL_CHARSET, 31},
};

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

WINBASEAPI BOOL TranslateCharsetInfo(DWORD* lpSrc, LPCHARSETINFO lpCs, DWORD dwFlags) {
    if (!lpCs || (dwFlags != TCI_SRCCHARSET && dwFlags != TCI_SRCCODEPAGE)) return Fail(ERROR_INVALID_PARAMETER);
    const auto value = static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpSrc));
    for (const CharsetRow& row : kCharsets) {
        if ((dwFlags == TCI_SRCCODEPAGE ? row.codePage : row.charset) != value) continue;
        *lpCs = CHARSETINFO{};
        lpCs->ciCharset = row.charset;
        lpCs->ciACP = row.codePage;
        lpCs->fs.fsCsb[0] = 1u << row.csbBit;
        return TRUE;
    }
    return Fail(ERROR_INVALID_PARAMETER);
}

WINBASEAPI BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
    if (CodePage == CP_ACP || CodePage == CP_THREAD_ACP) CodePage = GetACP();
    switch (CodePage) {
    case 932:
        return (TestChar >= 0x81 && TestChar <= 0x9F) || (TestChar >= 0xE0 && TestChar <= 0xFC);
    case 1252:
    case CP_UTF8:
        return FALSE;
    default:
        return Fail(ERROR_INVALID_PARAMETER);
    }
}
