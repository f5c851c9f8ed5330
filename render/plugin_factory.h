// The class factory of the rendering plug-in: it makes CoPlugin objects.
#pragma once

#include <win/windows.h>

class CoPluginFactory final : public IClassFactory {
public:
    CoPluginFactory();
    CoPluginFactory(const CoPluginFactory&) = delete;
    CoPluginFactory& operator=(const CoPluginFactory&) = delete;

    // IUnknown and IClassFactory only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // No aggregation (CLASS_E_NOAGGREGATION); a new CoPlugin asked for riid.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CoPluginFactory();

    LONG volatile m_refCount = 0;
};
