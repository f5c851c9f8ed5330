// The task allocator: memory a COM method hands to its caller, who frees it with CoTaskMemFree.
#pragma once

#include "wintypes.h"

// cb bytes (uninitialised), or NULL when there is no memory. A size of 0 gives a valid block.
WINBASEAPI LPVOID CoTaskMemAlloc(SIZE_T cb);
// Frees a block of CoTaskMemAlloc; NULL is ignored.
WINBASEAPI void CoTaskMemFree(LPVOID pv);

#include "unknwn.h"

#define CLSCTX_INPROC_SERVER 0x1
#ifndef REGDB_E_CLASSNOTREG
#define REGDB_E_CLASSNOTREG (static_cast<HRESULT>(0x80040154L))
#endif

// Makes an object of a class the platform serves in-process (the XML DOM document,
// CLSID_DOMDocument60) and asks it for riid. Another class: REGDB_E_CLASSNOTREG; an outer unknown:
// CLASS_E_NOAGGREGATION; no out pointer: E_POINTER.
WINBASEAPI HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                    LPVOID* ppv);
