// The COM interfaces between the universal printer driver's renderer and a rendering plug-in: the
// plug-in's IPrintOemUni3 (with the interfaces it extends) and the driver's helper
// IPrintOemDriverUni that the driver publishes to the plug-in. Slots follow the order below.
#pragma once

#include "printoem.h"
#include "unknwn.h"
#include "winddi.h"

// {6D6ABF26-9F38-11D1-882A-00C04FB961EC}: the class a rendering plug-in serves.
inline constexpr CLSID CLSID_OEMRENDER = {0x6D6ABF26, 0x9F38, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {D67EBBF0-78BF-11D1-9480-00A0C90640B8}
inline constexpr IID IID_IPrintOemUni = {0xD67EBBF0, 0x78BF, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
// {B91220AC-15CC-4E7A-A21E-9591F34D6F6C}
inline constexpr IID IID_IPrintOemUni2 = {0xB91220AC, 0x15CC, 0x4E7A, {0xA2, 0x1E, 0x95, 0x91, 0xF3, 0x4D, 0x6F, 0x6C}};
// {4E4A7747-BC76-4AED-ACC8-C76AF22AAD43}
inline constexpr IID IID_IPrintOemUni3 = {0x4E4A7747, 0xBC76, 0x4AED, {0xAC, 0xC8, 0xC7, 0x6A, 0xF2, 0x2A, 0xAD, 0x43}};
// {D67EBBF1-78BF-11D1-9480-00A0C90640B8}
inline constexpr IID IID_IPrintOemDriverUni = {0xD67EBBF1, 0x78BF, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

// The driver's helper. Only the first two of its slots are used here: the driver setting of a
// feature (the selected option's keyword, an ANSI string) and the bytes a plug-in sends to the
// printer.
struct IPrintOemDriverUni : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pdriverobj, LPCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                          PDWORD pcbNeeded, PDWORD pdwOptionsReturned) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                                       DWORD* pdwResult) = 0;

protected:
    ~IPrintOemDriverUni() = default;
};

struct IPrintOemCommon : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) = 0;

protected:
    ~IPrintOemCommon() = default;
};

struct IPrintOemEngine : public IPrintOemCommon {
    virtual HRESULT STDMETHODCALLTYPE EnableDriver(DWORD DriverVersion, DWORD cbSize, PDRVENABLEDATA pded) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisableDriver() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnablePDEV(PDEVOBJ pdevobj, PWSTR pPrinterName, ULONG cPatterns,
                                                 HSURF* phsurfPatterns, ULONG cjGdiInfo, GDIINFO* pGdiInfo,
                                                 ULONG cjDevInfo, DEVINFO* pDevInfo, DRVENABLEDATA* pded,
                                                 PDEVOEM* pDevOem) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisablePDEV(PDEVOBJ pdevobj) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) = 0;

protected:
    ~IPrintOemEngine() = default;
};

struct IPrintOemUni : public IPrintOemEngine {
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) = 0;
    // pMethodName is a method's name, or a string id of the plug-in's module (MAKEINTRESOURCE).
    virtual HRESULT STDMETHODCALLTYPE GetImplementedMethod(LPSTR pMethodName) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriverDMS(PVOID pDevObj, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID, DWORD dwCount,
                                                      PDWORD pdwParams, INT* piResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE ImageProcessing(PDEVOBJ pdevobj, PBYTE pSrcBitmap,
                                                      BITMAPINFOHEADER* pBitmapInfoHeader, PBYTE pColorTable,
                                                      DWORD dwCallbackID, PIPPARAMS pIPParams, PBYTE* ppbResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE FilterGraphics(PDEVOBJ pdevobj, PBYTE pBuf, DWORD dwLen) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compression(PDEVOBJ pdevobj, PBYTE pInBuf, PBYTE pOutBuf, DWORD dwInLen,
                                                  DWORD dwOutLen, INT* piResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE HalftonePattern(PDEVOBJ pdevobj, PBYTE pHTPattern, DWORD dwHTPatternX,
                                                      DWORD dwHTPatternY, DWORD dwHTNumPatterns,
                                                      DWORD dwCallbackID, PBYTE pResource,
                                                      DWORD dwResourceSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE MemoryUsage(PDEVOBJ pdevobj, POEMMEMORYUSAGE pMemoryUsage) = 0;
    virtual HRESULT STDMETHODCALLTYPE TTYGetInfo(PDEVOBJ pdevobj, DWORD dwInfoIndex, PVOID pOutputBuf, DWORD dwSize,
                                                 DWORD* pcbcNeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE DownloadFontHeader(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj, DWORD* pdwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE DownloadCharGlyph(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj, HGLYPH hGlyph,
                                                        PDWORD pdwWidth, DWORD* pdwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE TTDownloadMethod(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj, DWORD* pdwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE OutputCharStr(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj, DWORD dwType,
                                                    DWORD dwCount, PVOID pGlyph) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendFontCmd(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj, PFINVOCATION pFInv) = 0;
    virtual HRESULT STDMETHODCALLTYPE TextOutAsBitmap(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco,
                                                      RECTL* prclExtra, RECTL* prclOpaque, BRUSHOBJ* pboFore,
                                                      BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) = 0;

protected:
    ~IPrintOemUni() = default;
};

struct IPrintOemUni2 : public IPrintOemUni {
    virtual HRESULT STDMETHODCALLTYPE WritePrinter(PDEVOBJ pdevobj, PVOID pBuf, DWORD cbBuffer,
                                                   PDWORD pcbWritten) = 0;
    // A slot without a role of its own in this platform's driver.
    virtual HRESULT STDMETHODCALLTYPE ReservedMethod1(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPDEVAdjustment(PDEVOBJ pdevobj, DWORD dwAdjustType, PVOID pBuf,
                                                        DWORD cbBuffer, BOOL* pbAdjustmentDone) = 0;

protected:
    ~IPrintOemUni2() = default;
};

struct IPrintOemUni3 : public IPrintOemUni2 {
    // A slot without a role of its own in this platform's driver.
    virtual HRESULT STDMETHODCALLTYPE ReservedMethod2(PDEVOBJ pdevobj, SURFOBJ* pso, PVOID pBuffer, DWORD cbSize,
                                                      DWORD dwFlags, PDWORD pdwResult) = 0;

protected:
    ~IPrintOemUni3() = default;
};
