// CoUIPluginExt: the sheet state of one plug-in object, made by its first CommonUIProp call and
// shared by the counting call, the filling call and both sheet methods. It keeps what the sheets
// work from: the sheet mode, the driver's record of the last CommonUIProp call, the driver helper
// and the document settings object. The option items and pages are built on it by the sheet code.
#pragma once

#include <win/prcomoem_ui.h>
#include <win/windows.h>

#include "codrvsettings.h"

class CoUIPluginExt final : public IUnknown {
public:
    CoUIPluginExt() = default;
    CoUIPluginExt(const CoUIPluginExt&) = delete;
    CoUIPluginExt& operator=(const CoUIPluginExt&) = delete;

    // IUnknown only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Takes the sheet mode (OEMCUIP_DOCPROP or OEMCUIP_PRNPROP), the record, and references to the
    // helper and the settings object (either may be null). E_INVALIDARG for another mode or no record.
    HRESULT Init(DWORD mode, POEMCUIPPARAM param, IPrintOemDriverUI* helper, IDrvSettings* settings);

    // CommonUIProp's option items: the counting call (no item array) and the filling call.
    HRESULT CountOptItems(POEMCUIPPARAM param);
    HRESULT BuildOptItems(POEMCUIPPARAM param);
    // The pages of DocumentPropertySheets and DevicePropertySheets.
    HRESULT AddPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam);

    DWORD SheetMode() const { return m_sheetMode; }
    POEMCUIPPARAM Record() const { return m_record; }
    IPrintOemDriverUI* Helper() const { return m_helper; }
    IDrvSettings* Settings() const { return m_settings; }

private:
    ~CoUIPluginExt();

    LONG volatile m_refCount = 0;
    DWORD m_sheetMode = 0;
    POEMCUIPPARAM m_record = nullptr;
    IPrintOemDriverUI* m_helper = nullptr;  // owned reference
    IDrvSettings* m_settings = nullptr;     // owned reference
};
