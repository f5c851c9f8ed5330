// OLE Automation strings and variants, as far as the package's modules pass them: BSTRs (a 32-bit
// byte length stored before the first character, the text NUL-terminated after it), VARIANTs
// holding a BSTR, and the string comparison of the automation library.
#pragma once

#include "unknwn.h"
#include "wintypes.h"

typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;
typedef const OLECHAR* LPCOLESTR;
typedef short VARIANT_BOOL;
#define VARIANT_TRUE (static_cast<VARIANT_BOOL>(-1))
#define VARIANT_FALSE (static_cast<VARIANT_BOOL>(0))

// A new BSTR of the text (up to its NUL); a null text gives a null BSTR. NULL when there is no memory.
WINBASEAPI BSTR SysAllocString(const OLECHAR* psz);
// A new BSTR of cch characters copied from pch (null pch: uninitialised characters); the
// terminating NUL is added. NULL when there is no memory.
WINBASEAPI BSTR SysAllocStringLen(const OLECHAR* pch, UINT cch);
// Frees a BSTR of this library; NULL is ignored.
WINBASEAPI void SysFreeString(BSTR bstrString);
// The length in characters (0 for NULL).
WINBASEAPI UINT SysStringLen(BSTR pbstr);

// Locales and comparison flags that VarBstrCmp takes.
#ifndef LOCALE_USER_DEFAULT
#define LOCALE_USER_DEFAULT (static_cast<LCID>(0x0400))
#endif
#ifndef LOCALE_SYSTEM_DEFAULT
#define LOCALE_SYSTEM_DEFAULT (static_cast<LCID>(0x0800))
#endif
#define NORM_IGNORECASE 0x00000001

// VarBstrCmp's answers.
#define VARCMP_LT 0
#define VARCMP_EQ 1
#define VARCMP_GT 2
#define VARCMP_NULL 3

// Compares two texts by their characters (a null BSTR is the empty text); with NORM_IGNORECASE,
// letters compare without regard to case. The locale is accepted but every locale sorts by code
// unit here. Any other flag: E_INVALIDARG.
WINBASEAPI HRESULT VarBstrCmp(BSTR bstrLeft, BSTR bstrRight, LCID lcid, ULONG dwFlags);

// Variant types the modules use.
typedef unsigned short VARTYPE;
#define VT_EMPTY 0
#define VT_BSTR 8

// The Windows x64 layout: the type, three reserved words, then a 16-byte value.
struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BSTR bstrVal;
        IUnknown* punkVal;
        struct {
            PVOID pvRecord;
            PVOID pRecInfo;
        } brecVal;
    };
};
static_assert(sizeof(VARIANT) == 24 && offsetof(VARIANT, bstrVal) == 8);
typedef VARIANT VARIANTARG;

// Makes the variant empty without freeing anything.
WINBASEAPI void VariantInit(VARIANTARG* pvarg);
// Frees what the variant holds (its BSTR or its interface reference) and makes it empty.
WINBASEAPI HRESULT VariantClear(VARIANTARG* pvarg);
