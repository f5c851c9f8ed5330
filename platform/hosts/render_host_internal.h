// The render host's inner parts: the universal driver's PDEV, its own DDI functions and its helper
// object for the plug-in.
#pragma once

#include <vector>

#include "render_host.h"

namespace palvex::hosts {

// The driver's PDEV. Its DEVOBJ is what the plug-in gets as its PDEVOBJ and what the surfaces name
// as their PDEV; its hEngine leads back to this record.
struct HostPdev {
    DEVOBJ devobj{};
    RenderHost* host = nullptr;
    std::vector<BYTE> devmode;  // public part, the driver's part, the plug-in's part; never resized
    GDIINFO gdiInfo{};
    DEVINFO devInfo{};
    SURFOBJ surface{};          // the page (a device surface), or the current band's bitmap
    std::vector<BYTE> bandBits;
    LONG bandTop = 0;
};

HostPdev* HostPdevOf(DHPDEV dhpdev);
HostPdev* HostPdevOf(const SURFOBJ* surface);

// The driver's own DDI functions, as its DRVENABLEDATA hands them to the plug-in's EnablePDEV.
DRVENABLEDATA* UnidrvFunctionTable();
// The driver's own function of an index, or null.
PFN UnidrvFunction(ULONG index);

// IPrintOemDriverUni for the plug-in: its writes go to the host's document, its driver settings
// come from the host's options.
class DriverHelper final : public IPrintOemDriverUni {
public:
    explicit DriverHelper(RenderHost& host) : m_host(host) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // The selected option's keyword of a feature, NUL-terminated. An unknown feature E_FAIL; a
    // buffer too small E_FAIL with *pcbNeeded set.
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pdriverobj, LPCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                  PDWORD pcbNeeded, PDWORD pdwOptionsReturned) override;
    // Appends to the host's document; *pdwResult is what was written.
    HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize, DWORD* pdwResult) override;

private:
    ~DriverHelper() = default;

    RenderHost& m_host;
    LONG volatile m_refCount = 1;
};

}  // namespace palvex::hosts
