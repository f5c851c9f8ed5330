// The COM interfaces between the universal printer driver's user interface and a UI plug-in: the
// plug-in's IPrintOemUI2 (with IPrintOemUI and IPrintOemCommon), its PrintTicket provider face
// IPrintOemPrintTicketProvider, and the driver's helper IPrintOemDriverUI. Also the records the
// driver hands to the plug-in's sheet calls and the codes of the calls it makes. Slots follow the
// order below.
#pragma once

#include "compstui.h"
#include "oleauto.h"
#include "prcomoem.h"

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}: the class a UI plug-in serves.
inline constexpr CLSID CLSID_OEMUI = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {91723892-45D2-48E2-9EC9-562379DAF992}: the class a PrintTicket provider serves.
inline constexpr CLSID CLSID_OEMPTPROVIDER = {0x91723892, 0x45D2, 0x48E2, {0x9E, 0xC9, 0x56, 0x23, 0x79, 0xDA, 0xF9, 0x92}};
// {C6A7A9D0-774C-11D1-947F-00A0C90640B8}
inline constexpr IID IID_IPrintOemUI = {0xC6A7A9D0, 0x774C, 0x11D1, {0x94, 0x7F, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
// {292515F9-B54B-489B-9275-BAB56821395E}
inline constexpr IID IID_IPrintOemUI2 = {0x292515F9, 0xB54B, 0x489B, {0x92, 0x75, 0xBA, 0xB5, 0x68, 0x21, 0x39, 0x5E}};
// {BCF5E011-F60A-49FF-AB2F-E06F4ABDF281}
inline constexpr IID IID_IPrintOemPrintTicketProvider = {
    0xBCF5E011, 0xF60A, 0x49FF, {0xAB, 0x2F, 0xE0, 0x6F, 0x4A, 0xBD, 0xF2, 0x81}};
// {92B05D50-78BC-11D1-9480-00A0C90640B8}
inline constexpr IID IID_IPrintOemDriverUI = {0x92B05D50, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

// The driver's user-interface object a plug-in is called about (opaque to the plug-in).
typedef PVOID POEMUIOBJ;


// The XML document of a PrintTicket or PrintCapabilities (the platform's XML DOM).
struct IXMLDOMDocument2;

// {7E8E51D6-E5EE-4426-817B-958B9444EB79}: the universal driver's core helper, one of the
// helpers a PrintTicket provider may be handed.
inline constexpr IID IID_IPrintCoreHelperUni = {
    0x7E8E51D6, 0xE5EE, 0x4426, {0x81, 0x7B, 0x95, 0x8B, 0x94, 0x44, 0xEB, 0x79}};
// {C2C14F6F-95D3-4D63-96CF-6BD9E6C907C2}: the PostScript driver's core helper.
inline constexpr IID IID_IPrintCoreHelperPS = {
    0xC2C14F6F, 0x95D3, 0x4D63, {0x96, 0xCF, 0x6B, 0xD9, 0xE6, 0xC9, 0x07, 0xC2}};

// ValidatePrintTicket's answer for a ticket without conflicts, and BindPrinter's for a PrintTicket
// version the provider does not know.
#define S_NO_CONFLICT (static_cast<HRESULT>(0x00040001L))
#define E_VERSION_NOT_SUPPORTED (static_cast<HRESULT>(0x80040001L))

// The options BindPrinter answers.
typedef DWORD OEMPTOPTS;
typedef OEMPTOPTS* POEMPTOPTS;
#define OEMPT_DEFAULT 0x00000000

// The item callback a plug-in installs for its own items in CommonUIProp's filling call.
struct CPSUICBPARAM;
struct OEMCUIPPARAM;
typedef LONG(APIENTRY* OEMCUIPCALLBACK)(CPSUICBPARAM* pCallbackParam, OEMCUIPPARAM* pOEMUIParam);

// CommonUIProp's record. The counting call has pOEMOptItems null and asks for cOEMOptItems; the
// filling call gives the array (right after the driver's own items) to fill.
struct OEMCUIPPARAM {
    DWORD cbSize;
    POEMUIOBJ poemuiobj;
    HANDLE hPrinter;
    PWSTR pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    PDEVMODEW pPublicDM;
    PVOID pOEMDM;
    DWORD dwFlags;
    POPTITEM pDrvOptItems;
    DWORD cDrvOptItems;
    POPTITEM pOEMOptItems;
    DWORD cOEMOptItems;
    PVOID pOEMUserData;
    OEMCUIPCALLBACK OEMCUIPCallback;
};
typedef OEMCUIPPARAM* POEMCUIPPARAM;
static_assert(sizeof(OEMCUIPPARAM) == 120 && offsetof(OEMCUIPPARAM, hPrinter) == 16 &&
              offsetof(OEMCUIPPARAM, hOEMHeap) == 40 && offsetof(OEMCUIPPARAM, dwFlags) == 64 &&
              offsetof(OEMCUIPPARAM, pDrvOptItems) == 72 && offsetof(OEMCUIPPARAM, pOEMOptItems) == 88 &&
              offsetof(OEMCUIPPARAM, cOEMOptItems) == 96 && offsetof(OEMCUIPPARAM, OEMCUIPCallback) == 112);

// CommonUIProp modes.
#define OEMCUIP_DOCPROP 1
#define OEMCUIP_PRNPROP 2

// The record of the sheet calls (PROPSHEETUI_INFO) comes with the common property sheet (compstui.h).

// What DevQueryPrintEx is given (the platform's record; the plug-in only passes it on).
struct DEVQUERYPRINT_INFO;
typedef DEVQUERYPRINT_INFO* PDEVQUERYPRINT_INFO;

// PrinterEvent events.
#define PRINTER_EVENT_CONFIGURATION_CHANGE 0
#define PRINTER_EVENT_ADD_CONNECTION 1
#define PRINTER_EVENT_DELETE_CONNECTION 2
#define PRINTER_EVENT_INITIALIZE 3
#define PRINTER_EVENT_DELETE 4
#define PRINTER_EVENT_CACHE_REFRESH 5

// DeviceCapabilities capabilities the plug-in answers.
#define DC_MINEXTENT 4
#define DC_MAXEXTENT 5
#define DC_BINS 6
#define DC_BINNAMES 12
#define DC_ENUMRESOLUTIONS 13
// Characters of one bin name in DC_BINNAMES' answer.
#define CCHBINNAME 24

// The driver's helper for a UI plug-in. DrvUpdateUISetting tells the driver that a plug-in item
// changed (pOptItem, with the selection it had before; dwMode OEMCUIP_DOCPROP or OEMCUIP_PRNPROP).
struct IPrintOemDriverUI : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, LPCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                          PDWORD pcbNeeded, PDWORD pdwOptionsReturned) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE hPrinter, LPCSTR pFeature, LPCSTR pOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection,
                                                         DWORD dwMode) = 0;

protected:
    ~IPrintOemDriverUI() = default;
};

struct IPrintOemUI : public IPrintOemCommon {
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO pDQPInfo,
                                                      PDEVMODEW pPublicDM, PVOID pOEMDM) = 0;
    // pOutput: the capability's array, or null when only the count is asked; dwOld the driver's own
    // answer; *dwResult the plug-in's answer.
    virtual HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR pDeviceName,
                                                         WORD wCapability, PVOID pOutput, PDEVMODEW pPublicDM,
                                                         PVOID pOEMDM, DWORD dwOld, DWORD* dwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags,
                                                   LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo,
                                                  LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj, PDEVMODEW pPublicDM,
                                                        PVOID pOEMDM, ULONG ulQueryMode, VOID* pvProfileData,
                                                        ULONG* pcbProfileData, FLONG* pflProfileData) = 0;
    virtual HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, PWSTR pwstrCartridges) = 0;

protected:
    ~IPrintOemUI() = default;
};

struct IPrintOemUI2 : public IPrintOemUI {
    virtual HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE hPrinter, PDEVMODEW pDevmode, DWORD dwLevel,
                                                         LPBYTE lpAttributeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD dwMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn,
                                                    ULONG cbOut, PVOID pvOut, INT* piResult) = 0;

protected:
    ~IPrintOemUI2() = default;
};

struct IPrintOemPrintTicketProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT* ppVersions[], INT* cVersions) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions,
                                                  INT* pDevModeFlags, INT* cNamespaces, BSTR** ppNamespaces) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishPrintTicketHelperInterface(IUnknown* pHelper) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDeviceDefaultNamespace(BSTR* pbstrNamespaceUri) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2* pPrintTicket, ULONG cbDevmode,
                                                                  PDEVMODEW pDevmode, ULONG cbDrvPrivateSize,
                                                                  PVOID pPrivateDevmode) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode,
                                                                  ULONG cbDrvPrivateSize, PVOID pPrivateDevmode,
                                                                  IXMLDOMDocument2* pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompletePrintCapabilities(IXMLDOMDocument2* pPrintTicket,
                                                                IXMLDOMDocument2* pCapabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandIntentOptions(IXMLDOMDocument2* pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2* pBaseTicket) = 0;

protected:
    ~IPrintOemPrintTicketProvider() = default;
};
