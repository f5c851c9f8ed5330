// The universal driver's helper as a test sees it: DrvWriteSpoolBuf keeps every byte, counts its
// calls, and can be told to fail (or to write short) from a given call on.
#pragma once

#include <string>

#include <win/prcomoem.h>

namespace rendertest {

class SpoolCapture final : public IPrintOemDriverUni {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, LPCSTR, PVOID, DWORD, PDWORD, PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(PDEVOBJ, PVOID buffer, DWORD size, DWORD* written) override {
        const unsigned call = m_calls++;
        if (call >= m_failFromCall) {
            *written = 0;
            return E_FAIL;
        }
        if (call >= m_shortFromCall && size > 0) --size;
        m_bytes.append(static_cast<const char*>(buffer), size);
        *written = size;
        return S_OK;
    }
    void Clear() {
        m_bytes.clear();
        m_calls = 0;
    }

    std::string m_bytes;
    unsigned m_calls = 0;
    unsigned m_failFromCall = ~0u;   // calls from this one on fail and write nothing
    unsigned m_shortFromCall = ~0u;  // calls from this one on write one byte less and say so
};

}  // namespace rendertest
