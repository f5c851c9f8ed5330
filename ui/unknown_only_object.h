// The IUnknown of the plug-in's inner objects that answer no interface but IUnknown (the sheet
// state and the PrintTicket binding): a reference count that starts where the object says, the
// object deleted when it reaches zero.
#pragma once

#include <win/windows.h>

class UnknownOnlyObject : public IUnknown {
public:
    UnknownOnlyObject(const UnknownOnlyObject&) = delete;
    UnknownOnlyObject& operator=(const UnknownOnlyObject&) = delete;

    // IUnknown only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

protected:
    explicit UnknownOnlyObject(LONG initialCount) : m_refCount(initialCount) {}
    virtual ~UnknownOnlyObject() = default;

private:
    LONG volatile m_refCount;
};
