// The IUnknown of the stand-in's small COM objects: one reference count (the maker holds the
// first reference) and QueryInterface answering IUnknown and what the object says it answers,
// always as the one interface it derives from.
#pragma once

#include <win/combaseapi.h>

namespace palvex::com {

template <class Interface>
class UnknownObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || Answers(riid)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(__atomic_add_fetch(&m_refCount, 1, __ATOMIC_SEQ_CST));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = __atomic_sub_fetch(&m_refCount, 1, __ATOMIC_SEQ_CST);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

protected:
    virtual ~UnknownObject() = default;
    // The interfaces besides IUnknown that the object answers.
    virtual bool Answers(REFIID riid) const = 0;

private:
    LONG m_refCount = 1;
};

}  // namespace palvex::com
