// The UI plug-in object's two hook tables: CoUIPluginHooks, one optional entry per interface method
// and a few model services, and CoUIPluginTicketHooks for the PrintTicket provider face. The
// constructor fills the model's entries (model_hooks.h); an empty entry means there is no hook.
//
// A hook is a plain function that takes the method's own arguments. It answers E_NOTIMPL or
// E_PENDING (0x8000000A) to let the kit's default work go on (E_PENDING when it changed the
// arguments and wants the default done with them); any other answer is the method's result.
#pragma once

#include <cstddef>

#include <win/prcomoem_ui.h>
#include <win/windows.h>

struct IDrvSettings;  // codrvsettings.h

// True when a hook's answer lets the kit's own work go on.
inline bool UiHookPassesOn(HRESULT result) {
    return result == E_NOTIMPL || result == E_PENDING;
}

struct CoUIPluginHooks {
    HRESULT (*m_devMode)(DWORD mode, POEMDMPARAM param) = nullptr;                                   // 0
    HRESULT (*m_commonUIProp)(DWORD mode, POEMCUIPPARAM param) = nullptr;                            // 1
    HRESULT (*m_devicePropertySheets)(PPROPSHEETUI_INFO info, LPARAM lParam) = nullptr;              // 2
    HRESULT (*m_documentPropertySheets)(PPROPSHEETUI_INFO info, LPARAM lParam) = nullptr;            // 3
    HRESULT (*m_printerEvent)(PWSTR printerName, INT event, DWORD flags, LPARAM lParam) = nullptr;   // 4
    HRESULT (*m_queryColorProfile)(HANDLE printer, POEMUIOBJ uiObject, PDEVMODEW publicDevmode, PVOID oemDevmode,
                                   ULONG queryMode, VOID* profileData, ULONG* profileSize, FLONG* profileFlags,
                                   IDrvSettings* settings) = nullptr;                                // 5
    HRESULT (*m_deviceCapabilities)(POEMUIOBJ uiObject, HANDLE printer, PWSTR deviceName, WORD capability,
                                    PVOID output, PDEVMODEW publicDevmode, PVOID oemDevmode, DWORD driverAnswer,
                                    DWORD* result, IDrvSettings* settings) = nullptr;                // 6
    HRESULT (*m_devQueryPrintEx)(POEMUIOBJ uiObject, PDEVQUERYPRINT_INFO info, PDEVMODEW publicDevmode,
                                 PVOID oemDevmode) = nullptr;                                        // 7
    HRESULT (*m_driverEvent)(DWORD event, DWORD level, LPBYTE driverInfo, LPARAM lParam) = nullptr;  // 8
    HRESULT (*m_fontInstallerDlgProc)(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;  // 9
    HRESULT (*m_updateExternalFonts)(HANDLE printer, HANDLE heap, PWSTR cartridges) = nullptr;      // 10
    HRESULT (*m_upgradePrinter)(DWORD level, PBYTE upgradeInfo) = nullptr;                           // 11
    HRESULT (*m_queryJobAttributes)(HANDLE printer, PDEVMODEW devmode, DWORD level, LPBYTE info) = nullptr;  // 12
    HRESULT (*m_hideStandardUI)(DWORD mode) = nullptr;                                               // 13
    HRESULT (*m_documentEvent)(HANDLE printer, HDC dc, INT escape, ULONG inSize, PVOID in, ULONG outSize, PVOID out,
                               INT* result) = nullptr;                                               // 14
    void (*m_construct)() = nullptr;                                                                 // 15
    void (*m_destruct)() = nullptr;                                                                  // 16
    void (*m_afterMerge)(HANDLE printer, PDEVMODEW mergedDevmode) = nullptr;                         // 17
};
static_assert(offsetof(CoUIPluginHooks, m_printerEvent) == 4 * sizeof(void*) &&
              offsetof(CoUIPluginHooks, m_deviceCapabilities) == 6 * sizeof(void*) &&
              offsetof(CoUIPluginHooks, m_afterMerge) == 17 * sizeof(void*) &&
              sizeof(CoUIPluginHooks) == 18 * sizeof(void*));

struct CoUIPluginTicketHooks {
    HRESULT (*m_queryNamespace)(BSTR* namespaceUri) = nullptr;                                       // 0
    HRESULT (*m_ticketToDevMode)(IXMLDOMDocument2* ticket, ULONG devmodeSize, PDEVMODEW devmode,
                                 ULONG privateSize, PVOID privateDevmode) = nullptr;                 // 1
    HRESULT (*m_devModeToTicket)(ULONG devmodeSize, PDEVMODEW devmode, ULONG privateSize, PVOID privateDevmode,
                                 IXMLDOMDocument2* ticket) = nullptr;                                // 2
    HRESULT (*m_completeCapabilities)(IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities,
                                      HANDLE printer) = nullptr;                                     // 3
    HRESULT (*m_expandIntentOptions)(IXMLDOMDocument2* ticket) = nullptr;                            // 4
    HRESULT (*m_validateTicket)(IXMLDOMDocument2* ticket) = nullptr;                                 // 5
    void (*m_construct)() = nullptr;                                                                 // 6
    void (*m_reserved)() = nullptr;                                                                  // 7
};
static_assert(sizeof(CoUIPluginTicketHooks) == 8 * sizeof(void*));
