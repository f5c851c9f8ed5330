// The in-process COM server both plug-ins are: the counts DllCanUnloadNow tests (live class
// factories and plug-in objects, and server locks), the class factory that makes the plug-in's one
// object class, and the body of DllGetClassObject once the class id is accepted. Shared by the
// plug-ins' servers (header only: each library keeps its own counts; they do not link one another).
#pragma once

#include <new>

#include <win/windows.h>

// Interlocked counts of one server.
class ComServerCounts {
public:
    void ObjectCreated() { InterlockedIncrement(&m_liveObjects); }
    void ObjectDestroyed() { InterlockedDecrement(&m_liveObjects); }
    void LockServer(BOOL lock) {
        if (lock)
            InterlockedIncrement(&m_serverLocks);
        else
            InterlockedDecrement(&m_serverLocks);
    }
    LONG LiveObjects() const { return __atomic_load_n(&m_liveObjects, __ATOMIC_SEQ_CST); }
    LONG ServerLocks() const { return __atomic_load_n(&m_serverLocks, __ATOMIC_SEQ_CST); }
    // DllCanUnloadNow's answer: S_OK when nothing lives and the server is not locked.
    HRESULT CanUnloadNow() const { return LiveObjects() == 0 && ServerLocks() == 0 ? S_OK : S_FALSE; }

private:
    LONG volatile m_liveObjects = 0;
    LONG volatile m_serverLocks = 0;
};

// The class factory of a server whose objects are Object (made with new, reference count 0, and
// counted by Object itself). Counts names the server's counts; the factory counts itself there.
template <class Object, ComServerCounts& (*Counts)()>
class ComClassFactory final : public IClassFactory {
public:
    ComClassFactory() { Counts().ObjectCreated(); }
    ComClassFactory(const ComClassFactory&) = delete;
    ComClassFactory& operator=(const ComClassFactory&) = delete;

    // IUnknown and IClassFactory only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refCount)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = InterlockedDecrement(&m_refCount);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }
    // No aggregation (CLASS_E_NOAGGREGATION); a new object asked for riid.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        Object* made = new (std::nothrow) Object;
        if (!made) return E_OUTOFMEMORY;
        made->AddRef();
        const HRESULT result = made->QueryInterface(riid, object);
        made->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        Counts().LockServer(lock);
        return S_OK;
    }

    // DllGetClassObject for an accepted class id: a new factory asked for riid.
    static HRESULT GetClassObject(REFIID riid, void** object) {
        auto* factory = new (std::nothrow) ComClassFactory;
        if (!factory) return E_OUTOFMEMORY;
        factory->AddRef();
        const HRESULT result = factory->QueryInterface(riid, object);
        factory->Release();
        return result;
    }

private:
    ~ComClassFactory() { Counts().ObjectDestroyed(); }

    LONG volatile m_refCount = 0;
};
