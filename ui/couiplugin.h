// CoUIPlugin: the UI plug-in object the universal driver's user interface loads. One object has
// two faces: IPrintOemUI2 (with IPrintOemUI and IPrintOemCommon) and IPrintOemPrintTicketProvider,
// sharing one reference count. Each method with a hook first offers the call to its entry of
// CoUIPluginHooks (ui_hooks.h); only a hook that passes the call on lets the default run.
#pragma once

#include <win/prcomoem_ui.h>
#include <win/windows.h>

#include "codrvsettings.h"
#include "ui_hooks.h"

class CoUIPluginExt;
class CoPrintTicketExt;

// GetInfo's answers.
inline constexpr DWORD kUIPluginSignature = 0x33444B51;  // the bytes "QKD3"
inline constexpr DWORD kUIPluginVersion = 0x100;

class CoUIPlugin final : public IPrintOemUI2, public IPrintOemPrintTicketProvider {
public:
    CoUIPlugin();
    CoUIPlugin(const CoUIPlugin&) = delete;
    CoUIPlugin& operator=(const CoUIPlugin&) = delete;

    // IUnknown, shared by both faces.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPrintOemCommon.
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, POEMDMPARAM param) override;

    // IPrintOemUI.
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* helper) override;
    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD mode, POEMCUIPPARAM param) override;
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ uiObject, PDEVQUERYPRINT_INFO info, PDEVMODEW publicDevmode,
                                              PVOID oemDevmode) override;
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ uiObject, HANDLE printer, PWSTR deviceName,
                                                 WORD capability, PVOID output, PDEVMODEW publicDevmode,
                                                 PVOID oemDevmode, DWORD driverAnswer, DWORD* result) override;
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD level, PBYTE upgradeInfo) override;
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR printerName, INT event, DWORD flags, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD event, DWORD level, LPBYTE driverInfo, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE printer, POEMUIOBJ uiObject, PDEVMODEW publicDevmode,
                                                PVOID oemDevmode, ULONG queryMode, VOID* profileData,
                                                ULONG* profileSize, FLONG* profileFlags) override;
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE printer, HANDLE heap, PWSTR cartridges) override;

    // IPrintOemUI2.
    HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE printer, PDEVMODEW devmode, DWORD level,
                                                 LPBYTE attributeInfo) override;
    HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD mode) override;
    HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE printer, HDC dc, INT escape, ULONG inSize, PVOID in,
                                            ULONG outSize, PVOID out, INT* result) override;

    // IPrintOemPrintTicketProvider (ticket_face.cpp).
    HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE printer, INT* versions[], INT* count) override;
    HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE printer, INT version, POEMPTOPTS options, INT* devModeFlags,
                                          INT* namespaceCount, BSTR** namespaces) override;
    HRESULT STDMETHODCALLTYPE PublishPrintTicketHelperInterface(IUnknown* helper) override;
    HRESULT STDMETHODCALLTYPE QueryDeviceDefaultNamespace(BSTR* namespaceUri) override;
    HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2* ticket, ULONG devmodeSize,
                                                          PDEVMODEW devmode, ULONG privateSize,
                                                          PVOID privateDevmode) override;
    HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG devmodeSize, PDEVMODEW devmode, ULONG privateSize,
                                                          PVOID privateDevmode, IXMLDOMDocument2* ticket) override;
    HRESULT STDMETHODCALLTYPE CompletePrintCapabilities(IXMLDOMDocument2* ticket,
                                                        IXMLDOMDocument2* capabilities) override;
    HRESULT STDMETHODCALLTYPE ExpandIntentOptions(IXMLDOMDocument2* ticket) override;
    HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2* ticket) override;

    // The hook tables. The model's entries are filled; tests and model code may set others.
    CoUIPluginHooks& Hooks() { return m_hooks; }
    CoUIPluginTicketHooks& TicketHooks() { return m_ticketHooks; }
    // What the methods made and kept.
    IPrintOemDriverUI* DriverHelper() const { return m_driverHelper; }
    IDrvSettings* DocumentSettings() const { return m_documentSettings; }
    CoUIPluginExt* SheetState() const { return m_sheetState; }
    IUnknown* TicketHelper() const { return m_ticketHelper; }
    CoPrintTicketExt* TicketBinding() const { return m_ticketBinding; }

private:
    ~CoUIPlugin();

    // Makes and binds the document settings object once (the compile and one retry on failure).
    HRESULT EnsureDocumentSettings(HANDLE printer);
    // Makes and initialises the sheet state once.
    HRESULT EnsureSheetState(DWORD mode, POEMCUIPPARAM param);

    LONG volatile m_refCount = 0;
    CoUIPluginHooks m_hooks;
    IPrintOemDriverUI* m_driverHelper = nullptr;  // owned reference
    CoUIPluginExt* m_sheetState = nullptr;         // owned reference
    IDrvSettings* m_documentSettings = nullptr;    // owned reference
    IUnknown* m_ticketHelper = nullptr;            // owned reference
    CoPrintTicketExt* m_ticketBinding = nullptr;   // owned reference
    CoUIPluginTicketHooks m_ticketHooks;
};
