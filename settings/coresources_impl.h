// The resource provider object behind IDrvResources (internal to the settings kit).
#pragma once

#include <atomic>
#include <vector>

#include "coresources.h"

// The buffer a rewritten dialog template must fit in.
#define CORESOURCES_TEMPLATE_BYTES 16384
#define CORESOURCES_HEAP_INITIAL 65536

class CoResources final : public IDrvResources {
public:
    CoResources();

    HRESULT Init(HANDLE printer, HANDLE heap);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IResources
    STDMETHODIMP LoadBitmap(DWORD id, HBITMAP* bitmap) override;
    STDMETHODIMP LoadCursor(DWORD id, HCURSOR* cursor) override;
    STDMETHODIMP LoadDialogTemplate(DWORD id, LPCDLGTEMPLATEW* dialogTemplate, BOOL caption) override;
    STDMETHODIMP LoadString(DWORD id, LPWSTR buffer, DWORD length) override;
    STDMETHODIMP LoadLabelString(DWORD id, LPWSTR buffer, DWORD length) override;
    STDMETHODIMP_(int) MessageBox(HWND owner, DWORD textId, DWORD captionId, UINT style) override;
    STDMETHODIMP_(HMODULE) GetResourceModule() override;
    STDMETHODIMP_(HBITMAP) GetBitmap(DWORD id) override;
    STDMETHODIMP_(HCURSOR) GetCursor(DWORD id) override;
    STDMETHODIMP_(HICON) GetIcon(DWORD id, DWORD size) override;
    STDMETHODIMP LoadIcon(DWORD id, DWORD size, HICON* icon) override;
    STDMETHODIMP CreateDialogControls(DWORD dialogId, HWND host, BOOL caption) override;
    STDMETHODIMP_(LPCDLGTEMPLATEW) GetDialogTemplate(DWORD id, BOOL caption) override;
    STDMETHODIMP_(LPWSTR) DuplicateString(DWORD id) override;
    STDMETHODIMP_(LPVOID) GetRCData(DWORD id) override;
    STDMETHODIMP LoadRCData(DWORD id, LPVOID* data, DWORD* size) override;

    // IDrvResources
    STDMETHODIMP_(LPCWSTR) GetDriverName() override;
    STDMETHODIMP_(LPCWSTR) GetResourceFileName() override;
    STDMETHODIMP_(LPCWSTR) GetHelpFileName() override;
    STDMETHODIMP_(LPCWSTR) GetIniFileName() override;
    STDMETHODIMP_(LPCWSTR) GetMdnFileName() override;
    STDMETHODIMP_(LPCWSTR) GetUIFileName() override;
    STDMETHODIMP_(LPCWSTR) GetPrintProcessorFileName() override;
    STDMETHODIMP_(HMODULE) GetResourceModule() const override;
    STDMETHODIMP_(const ModuleVersionTable*) GetModuleVersions() override;
    STDMETHODIMP_(const DRIVER_INFO_3W*) GetDriverInfo() override;

    // Makes the dialog font once per object from the template's font, or the default dialog font
    // without one, and the dialog base units that go with it.
    HRESULT CreateDialogFont(const struct DlgTemplateInfo* dialog);
    // Moves a control of the host out of sight (to minus its own size), hides and disables it.
    static void HideHostControl(HWND window);

    // The language list, terminator included.
    struct Language {
        WORD m_language;
        WORD m_codePage;
    };
    const std::vector<Language>& Languages() const { return m_languages; }
    HFONT DialogFont() const { return m_dialogFont; }
    DWORD BaseUnitX() const { return m_baseUnitX; }
    DWORD BaseUnitY() const { return m_baseUnitY; }

private:
    ~CoResources() override;

    HRESULT LoadLanguages(LPCWSTR resourceLibrary);
    HRESULT LoadModuleVersions();
    HRESULT FindModuleVersion(ModuleVersionTable* table, DWORD entry, LPCWSTR pattern, LPCWSTR excluded);
    void ReadPrintProcessorPath();

    // The first (language, module) of the lookup order that has the resource; null when none.
    HRSRC FindInLanguages(LPCWSTR type, LPCWSTR name, HMODULE* module, WORD* language) const;
    // The string in the lookup order: S_OK with the text, E_FAIL for an empty string, E_INVALIDARG
    // when no module has it.
    HRESULT FindString(DWORD id, const WCHAR** text, WORD* length) const;

    struct TemplateCacheEntry {
        DWORD m_id;
        DWORD m_language;
        BOOL m_caption;
        BYTE* m_template;
        size_t m_size;
    };
    struct IconCacheEntry {
        DWORD m_language;
        DWORD m_id;
        HICON m_icon;
        DWORD m_size;
    };
    HRESULT LoadDialogTemplateEntry(DWORD id, BOOL caption, const TemplateCacheEntry** entry);

    std::atomic<ULONG> m_refCount{1};
    BOOL m_ownsHeap = FALSE;
    HANDLE m_heap = nullptr;
    HMODULE m_resourceLibrary = nullptr;
    std::vector<Language> m_languages;
    DRIVER_INFO_3W* m_driverInfo = nullptr;
    PRINTER_INFO_2W* m_printerInfo = nullptr;
    LPCWSTR m_driverName = nullptr;
    LPCWSTR m_resourceFile = nullptr;
    LPCWSTR m_helpFile = nullptr;
    LPCWSTR m_iniFile = nullptr;
    LPCWSTR m_mdnFile = nullptr;
    LPCWSTR m_uiFile = nullptr;
    WCHAR m_printProcessorPath[MAX_PATH + 1] = {};
    ModuleVersionTable* m_versions = nullptr;
    HFONT m_dialogFont = nullptr;
    DWORD m_baseUnitX = 0;
    DWORD m_baseUnitY = 0;
    std::vector<TemplateCacheEntry> m_templates;
    std::vector<IconCacheEntry> m_icons;
};
