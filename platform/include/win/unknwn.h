// The root COM interface and the GUID helpers that every COM-style object of the package uses.
#pragma once

#include "winerror.h"
#include "wintypes.h"

#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

// Slot order: QueryInterface, AddRef, Release. Interfaces derived from it append their own slots.
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    // Objects are destroyed by their last Release, never through an interface pointer.
    ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Makes the objects of one class of an in-process server. Slot order: IUnknown's, CreateInstance,
// LockServer.
struct IClassFactory : public IUnknown {
    // A new object asked for riid; an outer unknown asks for aggregation.
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    // TRUE keeps the server loaded until a matching FALSE.
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};
typedef IClassFactory* LPCLASSFACTORY;

// The two exports of an in-process COM server.
typedef HRESULT(STDMETHODCALLTYPE* LPFNGETCLASSOBJECT)(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
typedef HRESULT(STDMETHODCALLTYPE* LPFNCANUNLOADNOW)(void);
