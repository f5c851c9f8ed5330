// CoPlugin: the rendering plug-in object the universal driver's renderer loads (IPrintOemUni3 and
// the interfaces it extends). Each method first offers the call to its hook-table entry (hook
// first): a hook that answers anything but E_NOTIMPL or E_PENDING decides the method's result.
//
// The object becomes a working plug-in only when it was obtained as IPrintOemUni, IPrintOemUni2 or
// IPrintOemUni3; obtained as IUnknown, the methods that build state (EnableDriver, EnablePDEV,
// DisablePDEV, ResetPDEV, PublishDriverInterface) do nothing beyond their hook.
#pragma once

#include <win/prcomoem.h>
#include <win/windows.h>

#include "codrvsettings.h"
#include "coresources.h"
#include "hook_table.h"

// GetInfo's answers.
inline constexpr DWORD kPluginSignature = 0x33444B51;  // the bytes "QKD3"
inline constexpr DWORD kPluginVersion = 0x100;

class CoPlugin final : public IPrintOemUni3 {
public:
    CoPlugin();
    CoPlugin(const CoPlugin&) = delete;
    CoPlugin& operator=(const CoPlugin&) = delete;

    // IUnknown.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPrintOemCommon.
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, POEMDMPARAM param) override;

    // IPrintOemEngine.
    HRESULT STDMETHODCALLTYPE EnableDriver(DWORD driverVersion, DWORD size, PDRVENABLEDATA enableData) override;
    HRESULT STDMETHODCALLTYPE DisableDriver() override;
    HRESULT STDMETHODCALLTYPE EnablePDEV(PDEVOBJ pdevobj, PWSTR printerName, ULONG patterns, HSURF* patternSurfaces,
                                         ULONG gdiInfoSize, GDIINFO* gdiInfo, ULONG devInfoSize, DEVINFO* devInfo,
                                         DRVENABLEDATA* enableData, PDEVOEM* oemPdev) override;
    HRESULT STDMETHODCALLTYPE DisablePDEV(PDEVOBJ pdevobj) override;
    HRESULT STDMETHODCALLTYPE ResetPDEV(PDEVOBJ oldPdevobj, PDEVOBJ newPdevobj) override;

    // IPrintOemUni.
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* helper) override;
    HRESULT STDMETHODCALLTYPE GetImplementedMethod(LPSTR methodName) override;
    HRESULT STDMETHODCALLTYPE DriverDMS(PVOID devobj, PVOID buffer, DWORD size, PDWORD needed) override;
    HRESULT STDMETHODCALLTYPE CommandCallback(PDEVOBJ pdevobj, DWORD callbackId, DWORD count, PDWORD params,
                                              INT* result) override;
    HRESULT STDMETHODCALLTYPE ImageProcessing(PDEVOBJ pdevobj, PBYTE sourceBitmap, BITMAPINFOHEADER* bitmapInfo,
                                              PBYTE colorTable, DWORD callbackId, PIPPARAMS params,
                                              PBYTE* resultBitmap) override;
    HRESULT STDMETHODCALLTYPE FilterGraphics(PDEVOBJ pdevobj, PBYTE buffer, DWORD length) override;
    HRESULT STDMETHODCALLTYPE Compression(PDEVOBJ pdevobj, PBYTE input, PBYTE output, DWORD inputLength,
                                          DWORD outputLength, INT* result) override;
    HRESULT STDMETHODCALLTYPE HalftonePattern(PDEVOBJ pdevobj, PBYTE pattern, DWORD patternX, DWORD patternY,
                                              DWORD patterns, DWORD callbackId, PBYTE resource,
                                              DWORD resourceSize) override;
    HRESULT STDMETHODCALLTYPE MemoryUsage(PDEVOBJ pdevobj, POEMMEMORYUSAGE usage) override;
    HRESULT STDMETHODCALLTYPE TTYGetInfo(PDEVOBJ pdevobj, DWORD infoIndex, PVOID output, DWORD size,
                                         DWORD* needed) override;
    HRESULT STDMETHODCALLTYPE DownloadFontHeader(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD* result) override;
    HRESULT STDMETHODCALLTYPE DownloadCharGlyph(PDEVOBJ pdevobj, PUNIFONTOBJ font, HGLYPH glyph, PDWORD width,
                                                DWORD* result) override;
    HRESULT STDMETHODCALLTYPE TTDownloadMethod(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD* result) override;
    HRESULT STDMETHODCALLTYPE OutputCharStr(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD type, DWORD count,
                                            PVOID glyphs) override;
    HRESULT STDMETHODCALLTYPE SendFontCmd(PDEVOBJ pdevobj, PUNIFONTOBJ font, PFINVOCATION command) override;
    HRESULT STDMETHODCALLTYPE TextOutAsBitmap(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip,
                                              RECTL* extra, RECTL* opaque, BRUSHOBJ* foreground, BRUSHOBJ* opaqueBrush,
                                              POINTL* origin, MIX mix) override;

    // IPrintOemUni2.
    HRESULT STDMETHODCALLTYPE WritePrinter(PDEVOBJ pdevobj, PVOID buffer, DWORD size, PDWORD written) override;
    HRESULT STDMETHODCALLTYPE ReservedMethod1(PDEVOBJ pdevobj, PVOID buffer, DWORD size) override;
    HRESULT STDMETHODCALLTYPE GetPDEVAdjustment(PDEVOBJ pdevobj, DWORD adjustType, PVOID buffer, DWORD size,
                                                BOOL* adjustmentDone) override;

    // IPrintOemUni3.
    HRESULT STDMETHODCALLTYPE ReservedMethod2(PDEVOBJ pdevobj, SURFOBJ* surface, PVOID buffer, DWORD size,
                                              DWORD flags, PDWORD result) override;

    // The hook table. The model's entries are filled; tests and model code may set others.
    PluginHooks& Hooks() { return m_hooks; }
    // The state DevMode and EnablePDEV keep.
    DWORD PdlType() const { return m_pdlType; }
    DWORD FirstPagePaperSize() const { return m_firstPagePaperSize; }
    IDrvSettings* Settings() const { return m_settings; }

private:
    ~CoPlugin();

    // The paper fix-ups of a merge inside the spooler.
    HRESULT FixMergedPaper(POEMDMPARAM param);

    LONG volatile m_refCount = 0;
    DWORD m_obtainedAsUni = 0;                  // 1: last obtained as IPrintOemUni, 2 or 3
    DWORD m_pdlType = 0;                        // from the first EnablePDEV that reads it
    DWORD m_firstPagePaperSize = 0xFFFFFFFF;    // none until DevMode reads _FIRSTPAGESIZE
    PluginHooks m_hooks;
    IPrintOemDriverUni* m_helper = nullptr;     // owned reference
    IDrvSettings* m_settings = nullptr;         // owned reference, from the first DevMode
    IDrvResources* m_resources = nullptr;       // owned reference, from the first EnablePDEV
};
