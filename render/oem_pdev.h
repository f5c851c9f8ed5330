// The OEM PDEV: the plug-in's state for one PDEV of the universal driver. EnablePDEV makes it and
// hands it to the driver as the PDEVOBJ's OEM pointer; DisablePDEV frees it.
#pragma once

#include <memory>
#include <string>

#include <win/prcomoem.h>
#include <win/windows.h>

#include "codrvsettings.h"
#include "coresources.h"
#include "font_cache.h"
#include "hook_table.h"
#include "page_layout.h"
#include "watermark_state.h"

// The universal driver's own functions that the plug-in hooks and calls on, in the order the OEM
// PDEV keeps them, each found in the driver's DRVENABLEDATA by its function index.
enum class UnidrvFn : unsigned {
    AlphaBlend,
    BitBlt,
    CopyBits,
    EnableSurface,
    EndDoc,
    FillPath,
    GradientFill,
    GetGlyphMode,
    LineTo,
    NextBand,
    Paint,
    PlgBlt,
    RealizeBrush,
    SendPage,
    StartBanding,
    StartDoc,
    StartPage,
    StretchBlt,
    StretchBltROP,
    StrokeAndFillPath,
    StrokePath,
    TextOut,
    TransparentBlt,
    IcmCreateColorTransform,
    IcmDeleteColorTransform,
    IcmCheckBitmapBits,
    Escape,
    DrawEscape,
    Count
};
inline constexpr size_t kUnidrvFnCount = static_cast<size_t>(UnidrvFn::Count);

// The function index of each saved function, in UnidrvFn order.
inline constexpr ULONG kUnidrvFnIndex[kUnidrvFnCount] = {
    INDEX_DrvAlphaBlend,   INDEX_DrvBitBlt,        INDEX_DrvCopyBits,       INDEX_DrvEnableSurface,
    INDEX_DrvEndDoc,       INDEX_DrvFillPath,      INDEX_DrvGradientFill,   INDEX_DrvGetGlyphMode,
    INDEX_DrvLineTo,       INDEX_DrvNextBand,      INDEX_DrvPaint,          INDEX_DrvPlgBlt,
    INDEX_DrvRealizeBrush, INDEX_DrvSendPage,      INDEX_DrvStartBanding,   INDEX_DrvStartDoc,
    INDEX_DrvStartPage,    INDEX_DrvStretchBlt,    INDEX_DrvStretchBltROP,  INDEX_DrvStrokeAndFillPath,
    INDEX_DrvStrokePath,   INDEX_DrvTextOut,       INDEX_DrvTransparentBlt, INDEX_DrvIcmCreateColorTransform,
    INDEX_DrvIcmDeleteColorTransform, INDEX_DrvIcmCheckBitmapBits, INDEX_DrvEscape, INDEX_DrvDrawEscape,
};

// Mode flags.
inline constexpr DWORD kModeHpgl2 = 0x10000;         // the PCL 5 types draw graphics in HP-GL/2
inline constexpr DWORD kModeTextAsGraphics = 0x20000;

// Bytes of the page-work buffer a document gets at its start.
inline constexpr DWORD kPageWorkSize = 4096;

// Most brushes the own text output substitutes for one call (foreground and opaque).
inline constexpr DWORD kMaxSubstituteBrushes = 2;

struct OemPdev {
    PFN m_unidrv[kUnidrvFnCount] = {};           // the universal driver's functions, or null
    IDrvSettings* m_settings = nullptr;          // borrowed from the CoPlugin
    IDrvResources* m_resources = nullptr;        // borrowed from the CoPlugin
    std::unique_ptr<BYTE[]> m_pageWork;          // from the document's start to its end
    DWORD m_pageWorkSize = 0;
    PDEVMODEW m_publicDevmode = nullptr;         // the PDEVOBJ's
    PVOID m_privateDevmode = nullptr;            // the PDEVOBJ's
    const PluginHooks* m_hooks = nullptr;        // the CoPlugin's table
    PDEVOBJ m_pdevobj = nullptr;
    IPrintOemDriverUni* m_helper = nullptr;      // borrowed from the CoPlugin
    std::u16string m_printerName;
    POINTL m_bandOrigin{};
    SURFOBJ* m_currentSurface = nullptr;
    DocumentCounters m_document;
    std::string m_jobNameLine;                   // the JOBNAME line, from StartDoc to EndDoc
    PageLayout m_layout;
    BOOL m_windows2000 = FALSE;                  // the system is Windows 2000 (5.0)
    DWORD m_modeFlags = 0;                       // kMode*
    DWORD m_pdlType = 0;
    // The watermark's downloaded fonts, from the document's first watermark to its end.
    DWORD m_fontId = kWatermarkFontId;
    FontCachePtr m_fontCache;
    WatermarkOutputState m_watermarkOutput;
    // Text drawn as graphics.
    BOOL m_inTextOutput = FALSE;
    BRUSHOBJ m_substituteBrushes[kMaxSubstituteBrushes] = {};
    DWORD m_substituteCount = 0;
};

// A new OEM PDEV for a PDEVOBJ with its starting values: the PDEVOBJ's devmodes, the hook table,
// the objects it borrows, the printer's name and the first-page paper size known so far. Null when
// memory runs out.
OemPdev* CreateOEMPDEV(PDEVOBJ pdevobj, const PluginHooks* hooks, IDrvSettings* settings, IDrvResources* resources,
                       IPrintOemDriverUni* helper, const std::u16string& printerName, DWORD firstPagePaperSize);
// Takes the universal driver's functions from its enable data (indexes it does not list stay null).
void SaveUnidrvFunctions(OemPdev* pdev, const DRVENABLEDATA* enableData);
void FreeOEMPDEV(OemPdev* pdev);

// The OEM PDEV of a PDEVOBJ, of a surface (its PDEV is the PDEVOBJ) or of a PDEV handle; null when
// there is none.
OemPdev* OemPdevOf(PDEVOBJ pdevobj);
OemPdev* OemPdevOf(const SURFOBJ* surface);
OemPdev* OemPdevOfHandle(DHPDEV dhpdev);

// A saved function as its own type; null when the driver did not list it.
template <class Function>
Function UnidrvFunction(const OemPdev& pdev, UnidrvFn which) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(pdev.m_unidrv[static_cast<size_t>(which)]));
}
