// The universal driver's own DDI functions in the render host. The drawing functions draw nothing:
// each records what it was given. The document, page and band functions issue the driver's
// commands through the host.
#include "render_host_internal.h"

namespace palvex::hosts {
namespace {

RenderEvent Reached(const char* name, SURFOBJ* surface) {
    RenderEvent event;
    event.kind = RenderEvent::Kind::Unidrv;
    event.name = name;
    event.surface = surface;
    return event;
}

void Record(SURFOBJ* surface, RenderEvent event) {
    if (HostPdev* pdev = HostPdevOf(surface)) pdev->host->Record(std::move(event));
}

void RecordCall(const char* name, SURFOBJ* surface, const RECTL* rect = nullptr) {
    RenderEvent event = Reached(name, surface);
    if (rect) event.rect = *rect;
    Record(surface, std::move(event));
}

ULONG ColorOf(const BRUSHOBJ* brush) {
    return brush ? brush->iSolidColor : kNoBrush;
}

HSURF APIENTRY EnableSurface(DHPDEV dhpdev) {
    HostPdev* pdev = HostPdevOf(dhpdev);
    return pdev ? pdev->surface.hsurf : nullptr;
}

BOOL APIENTRY AlphaBlend(SURFOBJ* target, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL* targetRect, RECTL*, BLENDOBJ*) {
    RecordCall("DrvAlphaBlend", target, targetRect);
    return TRUE;
}

BOOL APIENTRY BitBlt(SURFOBJ* target, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL* targetRect, POINTL*, POINTL*,
                     BRUSHOBJ* brush, POINTL* brushOrigin, ROP4 rop4) {
    RenderEvent event = Reached("DrvBitBlt", target);
    if (targetRect) event.rect = *targetRect;
    if (brushOrigin) event.point = *brushOrigin;
    event.foreColor = ColorOf(brush);
    event.rop = rop4;
    Record(target, std::move(event));
    return TRUE;
}

BOOL APIENTRY CopyBits(SURFOBJ* target, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL* targetRect, POINTL*) {
    RecordCall("DrvCopyBits", target, targetRect);
    return TRUE;
}

BOOL APIENTRY EndDoc(SURFOBJ* surface, FLONG) {
    RecordCall("DrvEndDoc", surface);
    HostPdev* pdev = HostPdevOf(surface);
    if (!pdev) return FALSE;
    pdev->host->OnDriverEndDoc(*pdev);
    return TRUE;
}

BOOL APIENTRY FillPath(SURFOBJ* surface, PATHOBJ*, CLIPOBJ*, BRUSHOBJ* brush, POINTL*, MIX, FLONG) {
    RenderEvent event = Reached("DrvFillPath", surface);
    event.foreColor = ColorOf(brush);
    Record(surface, std::move(event));
    return TRUE;
}

BOOL APIENTRY GradientFill(SURFOBJ* surface, CLIPOBJ*, XLATEOBJ*, TRIVERTEX*, ULONG, PVOID, ULONG, RECTL* extents,
                           POINTL*, ULONG) {
    RecordCall("DrvGradientFill", surface, extents);
    return TRUE;
}

ULONG APIENTRY GetGlyphMode(DHPDEV dhpdev, FONTOBJ*) {
    HostPdev* pdev = HostPdevOf(dhpdev);
    if (pdev) pdev->host->Record(Reached("DrvGetGlyphMode", &pdev->surface));
    return FO_HGLYPHS;
}

BOOL APIENTRY LineTo(SURFOBJ* surface, CLIPOBJ*, BRUSHOBJ* brush, LONG x1, LONG y1, LONG x2, LONG y2, RECTL*, MIX) {
    RenderEvent event = Reached("DrvLineTo", surface);
    event.foreColor = ColorOf(brush);
    event.x1 = x1;
    event.y1 = y1;
    event.x2 = x2;
    event.y2 = y2;
    Record(surface, std::move(event));
    return TRUE;
}

BOOL APIENTRY NextBand(SURFOBJ* surface, POINTL* origin) {
    HostPdev* pdev = HostPdevOf(surface);
    if (!pdev) return FALSE;
    const BOOL result = pdev->host->OnDriverNextBand(*pdev, origin);
    RenderEvent event = Reached("DrvNextBand", surface);
    if (origin) event.point = *origin;
    pdev->host->Record(std::move(event));
    return result;
}

BOOL APIENTRY Paint(SURFOBJ* surface, CLIPOBJ*, BRUSHOBJ* brush, POINTL* brushOrigin, MIX) {
    RenderEvent event = Reached("DrvPaint", surface);
    event.foreColor = ColorOf(brush);
    if (brushOrigin) event.point = *brushOrigin;
    Record(surface, std::move(event));
    return TRUE;
}

BOOL APIENTRY PlgBlt(SURFOBJ* target, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, POINTFIX*,
                     RECTL* sourceRect, POINTL*, ULONG) {
    RecordCall("DrvPlgBlt", target, sourceRect);
    return TRUE;
}

BOOL APIENTRY RealizeBrush(BRUSHOBJ* brush, SURFOBJ* target, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) {
    RenderEvent event = Reached("DrvRealizeBrush", target);
    event.foreColor = ColorOf(brush);
    Record(target, std::move(event));
    return TRUE;
}

BOOL APIENTRY SendPage(SURFOBJ* surface) {
    RecordCall("DrvSendPage", surface);
    HostPdev* pdev = HostPdevOf(surface);
    if (!pdev) return FALSE;
    pdev->host->OnDriverEndPage(*pdev);
    return TRUE;
}

BOOL APIENTRY StartBanding(SURFOBJ* surface, POINTL* origin) {
    HostPdev* pdev = HostPdevOf(surface);
    if (!pdev) return FALSE;
    const BOOL result = pdev->host->OnDriverStartBanding(*pdev, origin);
    RenderEvent event = Reached("DrvStartBanding", surface);
    if (origin) event.point = *origin;
    pdev->host->Record(std::move(event));
    return result;
}

BOOL APIENTRY StartDoc(SURFOBJ* surface, LPWSTR documentName, DWORD) {
    RenderEvent event = Reached("DrvStartDoc", surface);
    if (documentName) event.text = documentName;
    Record(surface, std::move(event));
    HostPdev* pdev = HostPdevOf(surface);
    if (!pdev) return FALSE;
    pdev->host->OnDriverStartDoc(*pdev);
    return TRUE;
}

BOOL APIENTRY StartPage(SURFOBJ* surface) {
    RecordCall("DrvStartPage", surface);
    HostPdev* pdev = HostPdevOf(surface);
    if (!pdev) return FALSE;
    pdev->host->OnDriverStartPage(*pdev);
    return TRUE;
}

BOOL APIENTRY StretchBlt(SURFOBJ* target, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*,
                         RECTL* targetRect, RECTL*, POINTL*, ULONG) {
    RecordCall("DrvStretchBlt", target, targetRect);
    return TRUE;
}

BOOL APIENTRY StretchBltROP(SURFOBJ* target, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*,
                            RECTL* targetRect, RECTL*, POINTL*, ULONG, BRUSHOBJ* brush, ROP4 rop4) {
    RenderEvent event = Reached("DrvStretchBltROP", target);
    if (targetRect) event.rect = *targetRect;
    event.foreColor = ColorOf(brush);
    event.rop = rop4;
    Record(target, std::move(event));
    return TRUE;
}

BOOL APIENTRY StrokeAndFillPath(SURFOBJ* surface, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ* strokeBrush, LINEATTRS*,
                                BRUSHOBJ* fillBrush, POINTL*, MIX, FLONG) {
    RenderEvent event = Reached("DrvStrokeAndFillPath", surface);
    event.foreColor = ColorOf(strokeBrush);
    event.opaqueColor = ColorOf(fillBrush);
    Record(surface, std::move(event));
    return TRUE;
}

BOOL APIENTRY StrokePath(SURFOBJ* surface, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ* brush, POINTL*, LINEATTRS*, MIX) {
    RenderEvent event = Reached("DrvStrokePath", surface);
    event.foreColor = ColorOf(brush);
    Record(surface, std::move(event));
    return TRUE;
}

BOOL APIENTRY TextOut(SURFOBJ* surface, STROBJ* string, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL* opaque,
                      BRUSHOBJ* foreground, BRUSHOBJ* opaqueBrush, POINTL* origin, MIX) {
    RenderEvent event = Reached("DrvTextOut", surface);
    if (string && string->pwszOrg) event.text.assign(string->pwszOrg, string->cGlyphs);
    if (opaque) event.rect = *opaque;
    if (origin) event.point = *origin;
    event.foreColor = ColorOf(foreground);
    event.opaqueColor = ColorOf(opaqueBrush);
    Record(surface, std::move(event));
    return TRUE;
}

BOOL APIENTRY TransparentBlt(SURFOBJ* target, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL* targetRect, RECTL*, ULONG, ULONG) {
    RecordCall("DrvTransparentBlt", target, targetRect);
    return TRUE;
}

ULONG APIENTRY Escape(SURFOBJ* surface, ULONG, ULONG, PVOID, ULONG, PVOID) {
    RecordCall("DrvEscape", surface);
    return 1;
}

ULONG APIENTRY DrawEscape(SURFOBJ* surface, ULONG, CLIPOBJ*, RECTL* rect, ULONG, PVOID) {
    RecordCall("DrvDrawEscape", surface, rect);
    return 1;
}

template <class Function>
DRVFN Entry(ULONG index, Function function) {
    return DRVFN{index, reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(function))};
}

}  // namespace

HostPdev* HostPdevOf(DHPDEV dhpdev) {
    PDEVOBJ devobj = static_cast<PDEVOBJ>(dhpdev);
    return devobj ? static_cast<HostPdev*>(devobj->hEngine) : nullptr;
}

HostPdev* HostPdevOf(const SURFOBJ* surface) {
    return surface ? HostPdevOf(surface->dhpdev) : nullptr;
}

DRVENABLEDATA* UnidrvFunctionTable() {
    static DRVFN functions[] = {
        Entry(INDEX_DrvEnableSurface, &EnableSurface),
        Entry(INDEX_DrvAlphaBlend, &AlphaBlend),
        Entry(INDEX_DrvBitBlt, &BitBlt),
        Entry(INDEX_DrvCopyBits, &CopyBits),
        Entry(INDEX_DrvEndDoc, &EndDoc),
        Entry(INDEX_DrvFillPath, &FillPath),
        Entry(INDEX_DrvGradientFill, &GradientFill),
        Entry(INDEX_DrvGetGlyphMode, &GetGlyphMode),
        Entry(INDEX_DrvLineTo, &LineTo),
        Entry(INDEX_DrvNextBand, &NextBand),
        Entry(INDEX_DrvPaint, &Paint),
        Entry(INDEX_DrvPlgBlt, &PlgBlt),
        Entry(INDEX_DrvRealizeBrush, &RealizeBrush),
        Entry(INDEX_DrvSendPage, &SendPage),
        Entry(INDEX_DrvStartBanding, &StartBanding),
        Entry(INDEX_DrvStartDoc, &StartDoc),
        Entry(INDEX_DrvStartPage, &StartPage),
        Entry(INDEX_DrvStretchBlt, &StretchBlt),
        Entry(INDEX_DrvStretchBltROP, &StretchBltROP),
        Entry(INDEX_DrvStrokeAndFillPath, &StrokeAndFillPath),
        Entry(INDEX_DrvStrokePath, &StrokePath),
        Entry(INDEX_DrvTextOut, &TextOut),
        Entry(INDEX_DrvTransparentBlt, &TransparentBlt),
        Entry(INDEX_DrvEscape, &Escape),
        Entry(INDEX_DrvDrawEscape, &DrawEscape),
    };
    static DRVENABLEDATA data{DDI_DRIVER_VERSION_NT5, static_cast<ULONG>(std::size(functions)), functions};
    return &data;
}

PFN UnidrvFunction(ULONG index) {
    const DRVENABLEDATA* data = UnidrvFunctionTable();
    for (ULONG i = 0; i < data->c; ++i)
        if (data->pdrvfn[i].iFunc == index) return data->pdrvfn[i].pfn;
    return nullptr;
}

}  // namespace palvex::hosts
