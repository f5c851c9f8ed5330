// CoUIPlugin: its life, its faces, GetInfo, PublishDriverInterface and the methods whose default
// is small.
#include "couiplugin.h"

#include <cstring>

#include "com_server.h"
#include "couipluginext.h"
#include "model_hooks.h"
#include "module_state.h"
#include "reginfo.h"
#include "ticket/coprintticketext.h"

namespace {

// Offers a call to its hook; methods without a default answer E_NOTIMPL unless the hook decides.
template <class Hook, class... Args>
HRESULT HookOrNotImplemented(Hook hook, Args... args) {
    if (!hook) return E_NOTIMPL;
    const HRESULT result = hook(args...);
    return UiHookPassesOn(result) ? E_NOTIMPL : result;
}

template <class Interface>
void ReleaseField(Interface*& field) {
    if (field) field->Release();
    field = nullptr;
}

}  // namespace

CoUIPlugin::CoUIPlugin() {
    FillModelHooks(&m_hooks);
    if (m_hooks.m_construct) m_hooks.m_construct();
    FillModelTicketHooks(&m_ticketHooks);
    if (m_ticketHooks.m_construct) m_ticketHooks.m_construct();
    ui::ServerCounts().ObjectCreated();
}

CoUIPlugin::~CoUIPlugin() {
    if (m_hooks.m_destruct) m_hooks.m_destruct();
    ReleaseField(m_driverHelper);
    ReleaseField(m_documentSettings);
    ReleaseField(m_sheetState);
    ReleaseField(m_ticketHelper);
    ReleaseField(m_ticketBinding);
    ui::ServerCounts().ObjectDestroyed();
}

STDMETHODIMP CoUIPlugin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemUI) || IsEqualIID(riid, IID_IPrintOemUI2)) {
        *object = static_cast<IPrintOemUI2*>(this);
    } else if (IsEqualIID(riid, IID_IPrintOemPrintTicketProvider)) {
        *object = static_cast<IPrintOemPrintTicketProvider*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CoUIPlugin::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CoUIPlugin::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CoUIPlugin::GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
    if ((mode != OEMGI_GETSIGNATURE && mode != OEMGI_GETVERSION) || !needed) return E_INVALIDARG;
    if (!buffer || size < sizeof(DWORD)) {
        *needed = sizeof(DWORD);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    const DWORD value = mode == OEMGI_GETSIGNATURE ? kUIPluginSignature : kUIPluginVersion;
    std::memcpy(buffer, &value, sizeof value);
    return S_OK;
}

STDMETHODIMP CoUIPlugin::PublishDriverInterface(IUnknown* helper) {
    if (!helper) return E_INVALIDARG;
    if (m_driverHelper) return S_OK;
    void* asked = nullptr;
    const HRESULT result = helper->QueryInterface(IID_IPrintOemDriverUI, &asked);
    m_driverHelper = static_cast<IPrintOemDriverUI*>(asked);
    if (SUCCEEDED(result) && m_driverHelper) return S_OK;
    ReleaseField(m_driverHelper);
    return E_FAIL;
}

STDMETHODIMP CoUIPlugin::DevQueryPrintEx(POEMUIOBJ uiObject, PDEVQUERYPRINT_INFO info, PDEVMODEW publicDevmode,
                                         PVOID oemDevmode) {
    return HookOrNotImplemented(m_hooks.m_devQueryPrintEx, uiObject, info, publicDevmode, oemDevmode);
}

STDMETHODIMP CoUIPlugin::DeviceCapabilities(POEMUIOBJ uiObject, HANDLE printer, PWSTR deviceName, WORD capability,
                                            PVOID output, PDEVMODEW publicDevmode, PVOID oemDevmode,
                                            DWORD driverAnswer, DWORD* result) {
    return HookOrNotImplemented(m_hooks.m_deviceCapabilities, uiObject, printer, deviceName, capability, output,
                                publicDevmode, oemDevmode, driverAnswer, result, m_documentSettings);
}

STDMETHODIMP CoUIPlugin::UpgradePrinter(DWORD level, PBYTE upgradeInfo) {
    return HookOrNotImplemented(m_hooks.m_upgradePrinter, level, upgradeInfo);
}

STDMETHODIMP CoUIPlugin::PrinterEvent(PWSTR printerName, INT event, DWORD flags, LPARAM lParam) {
    if (!printerName || !*printerName) return E_INVALIDARG;
    if (m_hooks.m_printerEvent) {
        const HRESULT result = m_hooks.m_printerEvent(printerName, event, flags, lParam);
        if (!UiHookPassesOn(result)) return result;
    }
    if (event != PRINTER_EVENT_INITIALIZE) return E_NOTIMPL;
    return WriteRegInfo(printerName);
}

STDMETHODIMP CoUIPlugin::DriverEvent(DWORD event, DWORD level, LPBYTE driverInfo, LPARAM lParam) {
    return HookOrNotImplemented(m_hooks.m_driverEvent, event, level, driverInfo, lParam);
}

STDMETHODIMP CoUIPlugin::QueryColorProfile(HANDLE printer, POEMUIOBJ uiObject, PDEVMODEW publicDevmode,
                                           PVOID oemDevmode, ULONG queryMode, VOID* profileData, ULONG* profileSize,
                                           FLONG* profileFlags) {
    return HookOrNotImplemented(m_hooks.m_queryColorProfile, printer, uiObject, publicDevmode, oemDevmode, queryMode,
                                profileData, profileSize, profileFlags, m_documentSettings);
}

STDMETHODIMP CoUIPlugin::FontInstallerDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return HookOrNotImplemented(m_hooks.m_fontInstallerDlgProc, window, message, wParam, lParam);
}

STDMETHODIMP CoUIPlugin::UpdateExternalFonts(HANDLE printer, HANDLE heap, PWSTR cartridges) {
    return HookOrNotImplemented(m_hooks.m_updateExternalFonts, printer, heap, cartridges);
}

STDMETHODIMP CoUIPlugin::QueryJobAttributes(HANDLE printer, PDEVMODEW devmode, DWORD level, LPBYTE attributeInfo) {
    return HookOrNotImplemented(m_hooks.m_queryJobAttributes, printer, devmode, level, attributeInfo);
}

STDMETHODIMP CoUIPlugin::HideStandardUI(DWORD mode) {
    return HookOrNotImplemented(m_hooks.m_hideStandardUI, mode);
}

STDMETHODIMP CoUIPlugin::DocumentEvent(HANDLE printer, HDC dc, INT escape, ULONG inSize, PVOID in, ULONG outSize,
                                       PVOID out, INT* result) {
    return HookOrNotImplemented(m_hooks.m_documentEvent, printer, dc, escape, inSize, in, outSize, out, result);
}
