// BSTRs: the block holds the byte length (32 bits), the characters and a NUL; the BSTR points at
// the first character, so callers may read it as a plain NUL-terminated text.
#include <cstdlib>
#include <cstring>

#include <win/oleauto.h>

#include "crt/utf16.h"

namespace {

constexpr size_t kPrefix = sizeof(DWORD);

DWORD* PrefixOf(BSTR text) {
    return reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(text) - kPrefix);
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* pch, UINT cch) {
    if (cch > 0x7FFFFFFFu) return nullptr;  // the byte length must fit the 32-bit prefix
    auto* block = static_cast<BYTE*>(std::malloc(kPrefix + (static_cast<size_t>(cch) + 1) * sizeof(OLECHAR)));
    if (!block) return nullptr;
    const DWORD bytes = static_cast<DWORD>(cch * sizeof(OLECHAR));
    std::memcpy(block, &bytes, sizeof bytes);
    auto* text = reinterpret_cast<BSTR>(block + kPrefix);
    if (pch && cch) std::memcpy(text, pch, bytes);
    text[cch] = 0;
    return text;
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    UINT length = 0;
    while (psz[length]) ++length;
    return SysAllocStringLen(psz, length);
}

void SysFreeString(BSTR bstrString) {
    if (bstrString) std::free(PrefixOf(bstrString));
}

UINT SysStringLen(BSTR pbstr) {
    return pbstr ? *PrefixOf(pbstr) / sizeof(OLECHAR) : 0;
}

HRESULT VarBstrCmp(BSTR bstrLeft, BSTR bstrRight, LCID, ULONG dwFlags) {
    if (dwFlags & ~static_cast<ULONG>(NORM_IGNORECASE)) return E_INVALIDARG;
    const UINT leftLength = SysStringLen(bstrLeft);
    const UINT rightLength = SysStringLen(bstrRight);
    const bool fold = dwFlags & NORM_IGNORECASE;
    for (UINT i = 0; i < leftLength && i < rightLength; ++i) {
        const char16_t a = fold ? palvex::text::Upcase(bstrLeft[i]) : bstrLeft[i];
        const char16_t b = fold ? palvex::text::Upcase(bstrRight[i]) : bstrRight[i];
        if (a != b) return a < b ? VARCMP_LT : VARCMP_GT;
    }
    if (leftLength == rightLength) return VARCMP_EQ;
    return leftLength < rightLength ? VARCMP_LT : VARCMP_GT;
}

void VariantInit(VARIANTARG* pvarg) {
    if (!pvarg) return;
    std::memset(pvarg, 0, sizeof *pvarg);
    pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
    if (!pvarg) return E_INVALIDARG;
    if (pvarg->vt == VT_BSTR) SysFreeString(pvarg->bstrVal);
    VariantInit(pvarg);
    return S_OK;
}
