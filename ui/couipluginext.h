// CoUIPluginExt: the sheet state of one plug-in object, made by its first CommonUIProp call and
// shared by the counting call, the filling call and both sheet methods. It keeps what the sheets
// work from: the sheet form and pages of the compiled UI description (UIPINFO), the sheet's items
// (DOCUMENTFEATURE or PRINTERFEATURE), the driver's record of the last CommonUIProp call, the
// driver helper, the settings object, the resource provider and the sheet's handler factory.
#pragma once

#include <win/commctrl.h>
#include <win/prcomoem_ui.h>
#include <win/windows.h>

#include "codrvsettings.h"
#include "coresources.h"
#include "unknown_only_object.h"
#include "xpr.h"

class QORVAOptItemHandlerFactory;

// UIPINFO.UIPTYPE: the platform's item tree, or the kit's own pages.
inline constexpr DWORD kUiTypePages = 1;
inline constexpr DWORD kUiTypeSheets = 2;
inline constexpr DWORD kStandardGroupSlots = 8;
inline constexpr DWORD kPrinterNameChars = 256;

// What the sheet found when it tried to open the printer with full access.
enum SheetAccess : DWORD {
    kAccessUntested = 0,
    kAccessDenied = 1,    // the printer cannot be opened with full access
    kAccessFull = 2,      // full access (and the driver ini is writable on newer systems)
    kAccessIniLocked = 4  // full access on Windows 6.0 or later, but the driver ini is not writable
};

// EnableThemeDialogTexture of the visual-styles library.
using ThemeDialogCall = HRESULT(WINAPI*)(HWND window, DWORD flags);

// One page of the kit's own sheet (a SHEET row of the description).
struct SheetPageRecord {
    DWORD m_dialogId;
    LPCWSTR m_caption;  // a copy on the plug-in heap
    DWORD m_iconId;
};

class CoUIPluginExt final : public UnknownOnlyObject {
public:
    CoUIPluginExt() : UnknownOnlyObject(0) {}

    // Takes the sheet mode (OEMCUIP_DOCPROP or OEMCUIP_PRNPROP), the record, and references to the
    // helper and the settings object (either may be null); loads the UIPINFO and feature blocks
    // and reads the sheet form. E_INVALIDARG for another mode or no record; E_FAIL when the
    // blocks cannot be loaded.
    HRESULT Init(DWORD mode, POEMCUIPPARAM param, IPrintOemDriverUI* helper, IDrvSettings* settings);

    // CommonUIProp's option items: the counting call (no item array) and the filling call.
    HRESULT CountOptItems(POEMCUIPPARAM param);
    HRESULT BuildOptItems(POEMCUIPPARAM param);
    // The pages of DocumentPropertySheets and DevicePropertySheets (sheet_pages.cpp).
    HRESULT AddPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam);

    DWORD UiType() const { return m_sheetWords[0]; }
    DWORD SheetMode() const { return m_sheetWords[1]; }
    // The pair UI type, sheet mode, read by the sheet's factory.
    const DWORD* SheetWords() const { return m_sheetWords; }
    POEMCUIPPARAM Record() const { return m_record; }
    IPrintOemDriverUI* Helper() const { return m_helper; }
    IDrvSettings* Settings() const { return m_settings; }
    IDrvResources* Resources() const { return m_resources; }
    QORVAOptItemHandlerFactory* Factory() const { return m_factory; }

    // What the sheets keep (sheet_pages.cpp, take_over_page.cpp).
    DWORD m_takenOver = 0;  // the universal driver's page has been taken over (or tried)
    DWORD m_laidOut = 0;    // the tabs have been laid out
    ThemeDialogCall m_themeCall = nullptr;
    RECT m_savedFrame = {};  // the frame's rectangle while it is moved out of sight
    WCHAR m_printerName[kPrinterNameChars] = {};
    DWORD m_accessState = kAccessUntested;
    DWORD m_readOnly = 0;
    HANDLE m_activationContext = INVALID_HANDLE_VALUE;
    HIMAGELIST m_tabImages = nullptr;
    HMODULE m_themeLibrary = nullptr;

    // What the description reader fills (optitem_builder.cpp).
    DWORD m_sheetWords[2] = {};  // UI type, sheet mode
    DWORD m_pdl = 0;
    DWORD m_driverFlag = 0;
    DWORD m_standardGroups[kStandardGroupSlots] = {};
    DWORD m_sheetCount = 0;
    SheetPageRecord* m_sheets = nullptr;  // from the plug-in heap, its count in front
    LPCWSTR m_featureTable = nullptr;
    XprStore* m_uipInfo = nullptr;
    XprStore* m_features = nullptr;
    QORVAOptItemHandlerFactory* m_factory = nullptr;

private:
    ~CoUIPluginExt() override;
    friend HRESULT BuildSheetItems(CoUIPluginExt* state, POEMCUIPPARAM param);

    POEMCUIPPARAM m_record = nullptr;
    IPrintOemDriverUI* m_helper = nullptr;  // owned reference
    IDrvSettings* m_settings = nullptr;     // owned reference
    IDrvResources* m_resources = nullptr;   // owned reference
};
