// IUnknown for the objects of the print processor: an interlocked reference count, and
// QueryInterface that answers IUnknown only. An object is destroyed by its last Release.
#pragma once

#include <win/unknwn.h>
#include <win/windows.h>

template <class Interface>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refCount)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = InterlockedDecrement(&m_refCount);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

protected:
    ComObject() = default;
    ~ComObject() override = default;

private:
    LONG volatile m_refCount = 0;
};
