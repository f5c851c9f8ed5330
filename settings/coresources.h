// The resource provider: the model's texts, bitmaps, icons, cursors, dialog templates and raw
// data, found in the model's resource library (a dependent file of the printer's driver) and then
// in the plug-in's own module, in the user's order of UI languages; and the names and versions of
// the driver's other files.
//
// Language order: the driver ini's [UIPSETTINGS] UIPLANG (when not 0), the user's UI language,
// the system's UI language, 1033, the library's own translations, then neutral. In each language
// the resource library is asked first, then the plug-in's own module.
#pragma once

#include <vector>

#include <win/windows.h>

// The file version text of a module whose version block cannot be read.
#define MODULE_VERSION_DEFAULT u"1.00.0000.0"
#define MODULE_VERSION_CHARS 256
#define MODULE_VERSION_ENTRIES 9

// The versions the About and device pages show. Entries in order: manual-duplex helper
// (".MDN.EXE", else "MDN.EXE"), its library ("MDN.DLL", only without ".MDN.EXE"), the print
// processor, the PCL module, the PostScript module, the image module, "RRS.DLL", the UI module,
// the resource library.
struct ModuleVersionEntry {
    LPCWSTR m_fileName;  // into the driver record, past the last backslash; null when not found
    WCHAR m_fileVersion[MODULE_VERSION_CHARS];
};

struct ModuleVersionTable {
    DWORD m_productVersion[4];  // major, minor, build, revision of the first version block read
    ModuleVersionEntry m_entries[MODULE_VERSION_ENTRIES];
};

// Operations on the model's resources. Slots follow IUnknown in this order.
struct IResources : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE LoadBitmap(DWORD id, HBITMAP* bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadCursor(DWORD id, HCURSOR* cursor) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadDialogTemplate(DWORD id, LPCDLGTEMPLATEW* dialogTemplate, BOOL caption) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadString(DWORD id, LPWSTR buffer, DWORD length) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadLabelString(DWORD id, LPWSTR buffer, DWORD length) = 0;
    virtual int STDMETHODCALLTYPE MessageBox(HWND owner, DWORD textId, DWORD captionId, UINT style) = 0;
    virtual HMODULE STDMETHODCALLTYPE GetResourceModule() = 0;
    virtual HBITMAP STDMETHODCALLTYPE GetBitmap(DWORD id) = 0;
    virtual HCURSOR STDMETHODCALLTYPE GetCursor(DWORD id) = 0;
    virtual HICON STDMETHODCALLTYPE GetIcon(DWORD id, DWORD size) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadIcon(DWORD id, DWORD size, HICON* icon) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDialogControls(DWORD dialogId, HWND host, BOOL caption) = 0;
    virtual LPCDLGTEMPLATEW STDMETHODCALLTYPE GetDialogTemplate(DWORD id, BOOL caption) = 0;
    virtual LPWSTR STDMETHODCALLTYPE DuplicateString(DWORD id) = 0;
    virtual LPVOID STDMETHODCALLTYPE GetRCData(DWORD id) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadRCData(DWORD id, LPVOID* data, DWORD* size) = 0;
};

// The driver's files and versions, in the same table after IResources.
struct IDrvResources : public IResources {
    virtual LPCWSTR STDMETHODCALLTYPE GetDriverName() = 0;
    virtual LPCWSTR STDMETHODCALLTYPE GetResourceFileName() = 0;
    virtual LPCWSTR STDMETHODCALLTYPE GetHelpFileName() = 0;
    virtual LPCWSTR STDMETHODCALLTYPE GetIniFileName() = 0;
    virtual LPCWSTR STDMETHODCALLTYPE GetMdnFileName() = 0;
    virtual LPCWSTR STDMETHODCALLTYPE GetUIFileName() = 0;
    virtual LPCWSTR STDMETHODCALLTYPE GetPrintProcessorFileName() = 0;
    // A second slot for the resource library's handle; callers holding an IResources reach the
    // first, callers holding a const IDrvResources this one. Both answer the same.
    using IResources::GetResourceModule;
    virtual HMODULE STDMETHODCALLTYPE GetResourceModule() const = 0;
    virtual const ModuleVersionTable* STDMETHODCALLTYPE GetModuleVersions() = 0;
    virtual const DRIVER_INFO_3W* STDMETHODCALLTYPE GetDriverInfo() = 0;

protected:
    virtual ~IDrvResources() = default;  // the last slot: objects are deleted by their last Release
};

// Makes a provider for the printer: E_INVALIDARG without an out pointer or with an invalid printer
// handle, E_OUTOFMEMORY when the object cannot be made, E_FAIL when it cannot find or load the
// driver's files; else S_OK and the object with one reference. Without a heap the provider makes
// its own.
HRESULT CreateResources(IDrvResources** resources, HANDLE printer, HANDLE heap);

// The plug-in module that carries the plug-in's own resources (its DllMain records it), asked after
// the resource library in each language.
void SetResourcesOwnModule(HMODULE module);
HMODULE ResourcesOwnModule();
