// CoPlugin: its life, GetInfo, and the methods whose own work is small.
#include "coplugin.h"

#include <cstring>

#include "model_hooks.h"
#include "module_state.h"

namespace {

// Offers a call to its hook; the methods without own work answer E_NOTIMPL unless the hook decides.
template <class Hook, class... Args>
HRESULT HookOrNotImplemented(Hook hook, Args... args) {
    if (!hook) return E_NOTIMPL;
    const HRESULT result = hook(args...);
    return HookPassesOn(result) ? E_NOTIMPL : result;
}

// The same for a method on a device: E_FAIL without its device object.
template <class Hook, class Device, class... Args>
HRESULT DeviceHookOrNotImplemented(Hook hook, Device device, Args... args) {
    if (!device) return E_FAIL;
    return HookOrNotImplemented(hook, device, args...);
}

// The method names GetImplementedMethod answers S_OK for.
bool ImplementedMethod(LPCWSTR name) {
    return lstrcmpiW(name, u"ImageProcessing") == 0 || lstrcmpiW(name, u"CommandCallback") == 0;
}

constexpr int kMethodNameChars = 64;

}  // namespace

CoPlugin::CoPlugin() {
    render::ObjectCreated();
    FillModelHooks(&m_hooks);
}

CoPlugin::~CoPlugin() {
    render::ObjectDestroyed();
}

STDMETHODIMP CoPlugin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        m_obtainedAsUni = 0;
    } else if (IsEqualIID(riid, IID_IPrintOemUni) || IsEqualIID(riid, IID_IPrintOemUni2) ||
               IsEqualIID(riid, IID_IPrintOemUni3)) {
        m_obtainedAsUni = 1;
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IPrintOemUni3*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CoPlugin::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CoPlugin::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) {
        if (m_resources) m_resources->Release();
        if (m_settings) m_settings->Release();
        if (m_helper) m_helper->Release();
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CoPlugin::GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
    if ((mode != OEMGI_GETSIGNATURE && mode != OEMGI_GETVERSION) || !needed) return E_INVALIDARG;
    if (!buffer || size < sizeof(DWORD)) {
        *needed = sizeof(DWORD);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    const DWORD value = mode == OEMGI_GETSIGNATURE ? kPluginSignature : kPluginVersion;
    std::memcpy(buffer, &value, sizeof value);
    return S_OK;
}

STDMETHODIMP CoPlugin::DisableDriver() {
    if (!m_hooks.m_disableDriver) return E_NOTIMPL;
    const HRESULT result = m_hooks.m_disableDriver();
    return result == E_PENDING ? S_OK : result;
}

STDMETHODIMP CoPlugin::GetImplementedMethod(LPSTR methodName) {
    if (!methodName) return S_FALSE;
    if (m_hooks.m_getImplementedMethod) {
        const HRESULT result = m_hooks.m_getImplementedMethod(methodName);
        if (!HookPassesOn(result)) return result;
    }
    WCHAR name[kMethodNameChars] = {};
    if (IS_INTRESOURCE(methodName)) {
        if (LoadStringW(render::ModuleHandle(), LOWORD(methodName), name, kMethodNameChars) <= 0) return S_FALSE;
    } else {
        const size_t length = std::strlen(methodName);
        if (length >= kMethodNameChars) return S_FALSE;
        for (size_t i = 0; i < length; ++i) name[i] = static_cast<unsigned char>(methodName[i]);
    }
    return ImplementedMethod(name) ? S_OK : S_FALSE;
}

STDMETHODIMP CoPlugin::DriverDMS(PVOID devobj, PVOID buffer, DWORD size, PDWORD needed) {
    return DeviceHookOrNotImplemented(m_hooks.m_driverDMS, devobj, buffer, size, needed);
}

STDMETHODIMP CoPlugin::CommandCallback(PDEVOBJ pdevobj, DWORD callbackId, DWORD count, PDWORD params, INT* result) {
    if (!pdevobj) return E_FAIL;
    if (!m_hooks.m_commandCallback) return S_OK;
    const HRESULT answer = m_hooks.m_commandCallback(pdevobj, callbackId, count, params, result);
    return HookPassesOn(answer) ? S_OK : answer;
}

STDMETHODIMP CoPlugin::ImageProcessing(PDEVOBJ pdevobj, PBYTE sourceBitmap, BITMAPINFOHEADER* bitmapInfo,
                                       PBYTE colorTable, DWORD callbackId, PIPPARAMS params, PBYTE* resultBitmap) {
    if (!pdevobj) return E_FAIL;
    if (m_hooks.m_imageProcessing) {
        const HRESULT answer = m_hooks.m_imageProcessing(pdevobj, sourceBitmap, bitmapInfo, colorTable, callbackId,
                                                         params, resultBitmap);
        if (!HookPassesOn(answer)) return answer;
    }
    if (resultBitmap) *resultBitmap = sourceBitmap;
    return S_OK;
}

STDMETHODIMP CoPlugin::FilterGraphics(PDEVOBJ pdevobj, PBYTE buffer, DWORD length) {
    return DeviceHookOrNotImplemented(m_hooks.m_filterGraphics, pdevobj, buffer, length);
}

STDMETHODIMP CoPlugin::Compression(PDEVOBJ pdevobj, PBYTE input, PBYTE output, DWORD inputLength, DWORD outputLength,
                                   INT* result) {
    return DeviceHookOrNotImplemented(m_hooks.m_compression, pdevobj, input, output, inputLength, outputLength, result);
}

STDMETHODIMP CoPlugin::HalftonePattern(PDEVOBJ pdevobj, PBYTE pattern, DWORD patternX, DWORD patternY, DWORD patterns,
                                       DWORD callbackId, PBYTE resource, DWORD resourceSize) {
    return DeviceHookOrNotImplemented(m_hooks.m_halftonePattern, pdevobj, pattern, patternX, patternY, patterns,
                                      callbackId, resource, resourceSize);
}

STDMETHODIMP CoPlugin::MemoryUsage(PDEVOBJ pdevobj, POEMMEMORYUSAGE usage) {
    return DeviceHookOrNotImplemented(m_hooks.m_memoryUsage, pdevobj, usage);
}

STDMETHODIMP CoPlugin::TTYGetInfo(PDEVOBJ pdevobj, DWORD infoIndex, PVOID output, DWORD size, DWORD* needed) {
    return DeviceHookOrNotImplemented(m_hooks.m_ttyGetInfo, pdevobj, infoIndex, output, size, needed);
}

STDMETHODIMP CoPlugin::DownloadFontHeader(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD* result) {
    return DeviceHookOrNotImplemented(m_hooks.m_downloadFontHeader, pdevobj, font, result);
}

STDMETHODIMP CoPlugin::DownloadCharGlyph(PDEVOBJ pdevobj, PUNIFONTOBJ font, HGLYPH glyph, PDWORD width, DWORD* result) {
    return DeviceHookOrNotImplemented(m_hooks.m_downloadCharGlyph, pdevobj, font, glyph, width, result);
}

STDMETHODIMP CoPlugin::TTDownloadMethod(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD* result) {
    return DeviceHookOrNotImplemented(m_hooks.m_ttDownloadMethod, pdevobj, font, result);
}

STDMETHODIMP CoPlugin::OutputCharStr(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD type, DWORD count, PVOID glyphs) {
    return DeviceHookOrNotImplemented(m_hooks.m_outputCharStr, pdevobj, font, type, count, glyphs);
}

STDMETHODIMP CoPlugin::SendFontCmd(PDEVOBJ pdevobj, PUNIFONTOBJ font, PFINVOCATION command) {
    return DeviceHookOrNotImplemented(m_hooks.m_sendFontCmd, pdevobj, font, command);
}

STDMETHODIMP CoPlugin::TextOutAsBitmap(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extra,
                                       RECTL* opaque, BRUSHOBJ* foreground, BRUSHOBJ* opaqueBrush, POINTL* origin,
                                       MIX mix) {
    if (!surface || !string || !font) return E_FAIL;
    return HookOrNotImplemented(m_hooks.m_textOutAsBitmap, surface, string, font, clip, extra, opaque, foreground,
                                opaqueBrush, origin, mix);
}

STDMETHODIMP CoPlugin::ReservedMethod1(PDEVOBJ pdevobj, PVOID buffer, DWORD size) {
    return DeviceHookOrNotImplemented(m_hooks.m_reservedMethod1, pdevobj, buffer, size);
}

STDMETHODIMP CoPlugin::GetPDEVAdjustment(PDEVOBJ pdevobj, DWORD adjustType, PVOID buffer, DWORD size,
                                         BOOL* adjustmentDone) {
    return DeviceHookOrNotImplemented(m_hooks.m_getPDEVAdjustment, pdevobj, adjustType, buffer, size, adjustmentDone);
}

STDMETHODIMP CoPlugin::ReservedMethod2(PDEVOBJ pdevobj, SURFOBJ* surface, PVOID buffer, DWORD size, DWORD flags,
                                       PDWORD result) {
    return DeviceHookOrNotImplemented(m_hooks.m_reservedMethod2, pdevobj, surface, buffer, size, flags, result);
}
