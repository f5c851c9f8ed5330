// CoCreateInstance for the classes the platform itself serves in-process.
#include <win/combaseapi.h>
#include <win/msxml2.h>

#include "msxml/xml_dom.h"

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (IsEqualCLSID(rclsid, CLSID_DOMDocument60)) return palvex::xml::CreateDocument(riid, ppv);
    return REGDB_E_CLASSNOTREG;
}
