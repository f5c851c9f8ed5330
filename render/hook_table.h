// The plug-in's hook table: one optional entry per interface method, per model service and per
// hooked graphics call. CoPlugin's constructor fills the model's entries (model_hooks.h); an empty
// entry means there is no hook.
//
// A hook is a plain function that takes the arguments of the method or call it stands for; a
// graphics-call hook takes one more, a pointer to the call's result. A hook answers E_NOTIMPL or
// E_PENDING (0x8000000A) to let the kit's own work go on (E_PENDING when it changed the arguments
// and wants the work done with them); any other answer is the method's result, and for a graphics
// call means the hook drew it.
//
// The members stand in the table's order: the interface methods in slot order (without the
// IUnknown slots, GetInfo and PublishDriverInterface, which have no hook), the model services, then
// the graphics calls. That order is neither the plug-in's DRVFN order (ddi_table.h) nor the order of
// the universal driver's saved functions (oem_pdev.h).
#pragma once

#include <win/prcomoem.h>
#include <win/windows.h>

struct OemPdev;

// A command captured instead of sent: the bytes of one printer command string.
struct CommandCapture {
    DWORD m_capacity = 0;
    DWORD m_length = 0;
    BYTE* m_data = nullptr;  // owned; new[] of m_capacity bytes
};

// True when a hook's answer lets the kit's own work go on.
inline bool HookPassesOn(HRESULT result) {
    return result == E_NOTIMPL || result == E_PENDING;
}

struct PluginHooks {
    // Interface methods.
    HRESULT (*m_devMode)(DWORD mode, POEMDMPARAM param) = nullptr;
    HRESULT (*m_enableDriver)(DWORD driverVersion, DWORD size, PDRVENABLEDATA data) = nullptr;
    HRESULT (*m_disableDriver)() = nullptr;
    HRESULT (*m_enablePDEV)(PDEVOBJ pdevobj, PWSTR printerName, ULONG patterns, HSURF* patternSurfaces,
                            ULONG gdiInfoSize, GDIINFO* gdiInfo, ULONG devInfoSize, DEVINFO* devInfo,
                            DRVENABLEDATA* enableData, PDEVOEM* oemPdev) = nullptr;
    HRESULT (*m_disablePDEV)(PDEVOBJ pdevobj) = nullptr;
    HRESULT (*m_resetPDEV)(PDEVOBJ oldPdevobj, PDEVOBJ newPdevobj) = nullptr;
    HRESULT (*m_getImplementedMethod)(LPSTR methodName) = nullptr;
    HRESULT (*m_driverDMS)(PVOID devobj, PVOID buffer, DWORD size, PDWORD needed) = nullptr;
    HRESULT (*m_commandCallback)(PDEVOBJ pdevobj, DWORD callbackId, DWORD count, PDWORD params,
                                 INT* result) = nullptr;
    HRESULT (*m_imageProcessing)(PDEVOBJ pdevobj, PBYTE sourceBitmap, BITMAPINFOHEADER* bitmapInfo,
                                 PBYTE colorTable, DWORD callbackId, PIPPARAMS params, PBYTE* resultBitmap) = nullptr;
    HRESULT (*m_filterGraphics)(PDEVOBJ pdevobj, PBYTE buffer, DWORD length) = nullptr;
    HRESULT (*m_compression)(PDEVOBJ pdevobj, PBYTE input, PBYTE output, DWORD inputLength, DWORD outputLength,
                             INT* result) = nullptr;
    HRESULT (*m_halftonePattern)(PDEVOBJ pdevobj, PBYTE pattern, DWORD patternX, DWORD patternY, DWORD patterns,
                                 DWORD callbackId, PBYTE resource, DWORD resourceSize) = nullptr;
    HRESULT (*m_memoryUsage)(PDEVOBJ pdevobj, POEMMEMORYUSAGE usage) = nullptr;
    HRESULT (*m_ttyGetInfo)(PDEVOBJ pdevobj, DWORD infoIndex, PVOID output, DWORD size, DWORD* needed) = nullptr;
    HRESULT (*m_downloadFontHeader)(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD* result) = nullptr;
    HRESULT (*m_downloadCharGlyph)(PDEVOBJ pdevobj, PUNIFONTOBJ font, HGLYPH glyph, PDWORD width,
                                   DWORD* result) = nullptr;
    HRESULT (*m_ttDownloadMethod)(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD* result) = nullptr;
    HRESULT (*m_outputCharStr)(PDEVOBJ pdevobj, PUNIFONTOBJ font, DWORD type, DWORD count, PVOID glyphs) = nullptr;
    HRESULT (*m_sendFontCmd)(PDEVOBJ pdevobj, PUNIFONTOBJ font, PFINVOCATION command) = nullptr;
    HRESULT (*m_textOutAsBitmap)(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extra,
                                 RECTL* opaque, BRUSHOBJ* foreground, BRUSHOBJ* opaqueBrush, POINTL* origin,
                                 MIX mix) = nullptr;
    HRESULT (*m_writePrinter)(PDEVOBJ pdevobj, PVOID buffer, DWORD size, PDWORD written) = nullptr;
    HRESULT (*m_reservedMethod1)(PDEVOBJ pdevobj, PVOID buffer, DWORD size) = nullptr;
    HRESULT (*m_getPDEVAdjustment)(PDEVOBJ pdevobj, DWORD adjustType, PVOID buffer, DWORD size,
                                   BOOL* adjustmentDone) = nullptr;
    HRESULT (*m_reservedMethod2)(PDEVOBJ pdevobj, SURFOBJ* surface, PVOID buffer, DWORD size, DWORD flags,
                                 PDWORD result) = nullptr;

    // Model services, called by the plug-in's own code.
    HRESULT (*m_getICMProfile)(LPWSTR name, DWORD nameChars, HANDLE settingsSource, BYTE bitDepth,
                               DWORD colorMode) = nullptr;
    HRESULT (*m_sendStringResource)(OemPdev* pdev, DWORD stringId, CommandCapture* capture) = nullptr;
    HRESULT (*m_mapCommandId)(OemPdev* pdev, DWORD commandId) = nullptr;

    // Graphics calls.
    HRESULT (*m_alphaBlend)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*, BLENDOBJ*, BOOL* result) = nullptr;
    HRESULT (*m_bitBlt)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*, POINTL*, BRUSHOBJ*,
                        POINTL*, ROP4, BOOL* result) = nullptr;
    HRESULT (*m_copyBits)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*, BOOL* result) = nullptr;
    HRESULT (*m_endDoc)(SURFOBJ*, FLONG, BOOL* result) = nullptr;
    HRESULT (*m_fillPath)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX, FLONG, BOOL* result) = nullptr;
    HRESULT (*m_gradientFill)(SURFOBJ*, CLIPOBJ*, XLATEOBJ*, TRIVERTEX*, ULONG, PVOID, ULONG, RECTL*, POINTL*, ULONG,
                              BOOL* result) = nullptr;
    HRESULT (*m_getGlyphMode)(DHPDEV, FONTOBJ*, ULONG* result) = nullptr;
    HRESULT (*m_lineTo)(SURFOBJ*, CLIPOBJ*, BRUSHOBJ*, LONG, LONG, LONG, LONG, RECTL*, MIX, BOOL* result) = nullptr;
    HRESULT (*m_paint)(SURFOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX, BOOL* result) = nullptr;
    HRESULT (*m_plgBlt)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, POINTFIX*, RECTL*,
                        POINTL*, ULONG, BOOL* result) = nullptr;
    HRESULT (*m_realizeBrush)(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG, BOOL* result) = nullptr;
    HRESULT (*m_sendPage)(SURFOBJ*, BOOL* result) = nullptr;
    HRESULT (*m_startBanding)(SURFOBJ*, POINTL*, BOOL* result) = nullptr;
    HRESULT (*m_startDoc)(SURFOBJ*, LPWSTR, DWORD, BOOL* result) = nullptr;
    HRESULT (*m_startPage)(SURFOBJ*, BOOL* result) = nullptr;
    HRESULT (*m_stretchBlt)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, RECTL*,
                            RECTL*, POINTL*, ULONG, BOOL* result) = nullptr;
    HRESULT (*m_stretchBltROP)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, RECTL*,
                               RECTL*, POINTL*, ULONG, BRUSHOBJ*, ROP4, BOOL* result) = nullptr;
    HRESULT (*m_strokePath)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*, LINEATTRS*, MIX,
                            BOOL* result) = nullptr;
    HRESULT (*m_strokeAndFillPath)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, LINEATTRS*, BRUSHOBJ*, POINTL*,
                                   MIX, FLONG, BOOL* result) = nullptr;
    HRESULT (*m_textOut)(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*, MIX,
                         BOOL* result) = nullptr;
    HRESULT (*m_transparentBlt)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*, ULONG, ULONG,
                                BOOL* result) = nullptr;
};

// The table's order, pinned: each entry is one pointer wide and follows the one before.
static_assert(offsetof(PluginHooks, m_devMode) == 0 && offsetof(PluginHooks, m_writePrinter) == 21 * sizeof(void*) &&
              offsetof(PluginHooks, m_reservedMethod2) == 24 * sizeof(void*) &&
              offsetof(PluginHooks, m_getICMProfile) == 25 * sizeof(void*) &&
              offsetof(PluginHooks, m_alphaBlend) == 28 * sizeof(void*) &&
              offsetof(PluginHooks, m_strokePath) == 45 * sizeof(void*) &&
              offsetof(PluginHooks, m_transparentBlt) == 48 * sizeof(void*) && sizeof(PluginHooks) == 49 * sizeof(void*));
