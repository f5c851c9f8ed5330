// Small owners for what the XML DOM hands out (texts and interfaces), and the text comparison the
// provider uses on them.
#pragma once

#include <memory>

#include <win/oleauto.h>

struct BstrFree {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<OLECHAR, BstrFree>;

template <class Interface>
struct ComRelease {
    void operator()(Interface* object) const {
        if (object) object->Release();
    }
};
template <class Interface>
using ComRef = std::unique_ptr<Interface, ComRelease<Interface>>;

// Whether a text equals a constant (VarBstrCmp in the user's locale; flags 0 or NORM_IGNORECASE).
inline bool SameText(BSTR text, const WCHAR* constant, ULONG flags = 0) {
    OwnedBstr other(SysAllocString(constant));
    return other && VarBstrCmp(text, other.get(), LOCALE_USER_DEFAULT, flags) == VARCMP_EQ;
}
