// The render host: the universal driver's life cycle around a rendering plug-in.
#include "render_host.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <palvex/recording_dc.h>
#include <win/winspool_io.h>

#include "render_host_frame.h"
#include "render_host_raster.h"
#include "render_host_internal.h"

namespace palvex::hosts {
namespace {

constexpr ROP4 kMixCopyPen = 0x0D0D;
// Each character of the host's text takes this many device units.
constexpr LONG kGlyphWidth = 10;

RECTL PageRect(const SURFOBJ* surface) {
    return RECTL{0, 0, surface->sizlBitmap.cx, surface->sizlBitmap.cy};
}

}  // namespace

RenderHost::RenderHost(RenderPluginLibrary& library, RenderHostOptions options)
    : m_options(std::move(options)), m_library(&library) {}

RenderHost::RenderHost(IClassFactory* factory, RenderHostOptions options)
    : m_options(std::move(options)), m_factory(factory) {
    if (m_factory) m_factory->AddRef();
}

RenderHost::~RenderHost() {
    if (m_documentOpen) EndDocument();
    if (m_pdev) DisablePdev(m_pdev);
    if (m_plugin) {
        RecordPlugin("DisableDriver", m_plugin->DisableDriver());
        m_plugin->Release();
    }
    if (m_helper) m_helper->Release();
    if (m_factory) m_factory->Release();
    if (m_printer) ClosePrinter(m_printer);
}

void RenderHost::Record(RenderEvent event) {
    m_events.push_back(std::move(event));
}

void RenderHost::RecordPlugin(const char* name, HRESULT result) {
    RenderEvent event;
    event.kind = RenderEvent::Kind::Plugin;
    event.name = name;
    event.result = result;
    Record(std::move(event));
}

std::vector<DWORD> RenderHost::callbacks() const {
    std::vector<DWORD> ids;
    for (const RenderEvent& event : m_events)
        if (event.kind == RenderEvent::Kind::Callback) ids.push_back(event.callbackId);
    return ids;
}

bool RenderHost::Load() {
    if (m_plugin) return true;
    void* object = nullptr;
    if (!StartPlugin(m_options.printerName, &m_printer, m_library, m_factory, CLSID_OEMRENDER, IID_IPrintOemUni3,
                     [this](const char* name, HRESULT result) { RecordPlugin(name, result); }, &object, &m_error))
        return false;
    m_plugin = static_cast<IPrintOemUni3*>(object);

    m_helper = new DriverHelper(*this);
    RecordPlugin("PublishDriverInterface", m_plugin->PublishDriverInterface(static_cast<IUnknown*>(m_helper)));
    DWORD value = 0;
    DWORD needed = 0;
    RecordPlugin("GetInfo", m_plugin->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof value, &needed));
    RecordPlugin("GetInfo", m_plugin->GetInfo(OEMGI_GETVERSION, &value, sizeof value, &needed));

    // The default DEVMODE: the public defaults, the driver's part, and the plug-in's default
    // private part.
    m_oemSize = MakeDefaultDevMode(m_plugin, m_printer, DefaultPublicPart(m_printer, m_options.printerName),
                                   &m_defaultDevMode, [this](HRESULT result) { RecordPlugin("DevMode", result); });

    m_pluginFunctions = DRVENABLEDATA{};
    RecordPlugin("EnableDriver",
                 m_plugin->EnableDriver(DDI_DRIVER_VERSION_NT5, sizeof m_pluginFunctions, &m_pluginFunctions));
    BuildDdi();
    return true;
}

std::vector<BYTE> RenderHost::MergeDevMode(const DEVMODEW* devmode) {
    HRESULT merged = S_OK;
    return MergeDevModeInto(m_plugin, m_printer, m_defaultDevMode, m_oemSize, devmode,
                            [this](HRESULT result) { RecordPlugin("DevMode", result); }, &merged);
}

std::unique_ptr<HostPdev> RenderHost::EnablePdev(std::vector<BYTE> devmode) {
    auto pdev = std::make_unique<HostPdev>();
    pdev->host = this;
    pdev->devmode = std::move(devmode);
    DEVMODEW* dm = AsDevMode(pdev->devmode);
    const PrinterGeometry geometry = GeometryOfDevMode(pdev->devmode);

    GDIINFO& gdi = pdev->gdiInfo;
    gdi.ulVersion = GDI_DRIVER_VERSION;
    gdi.ulTechnology = DT_RASPRINTER;
    gdi.ulHorzSize = static_cast<ULONG>(geometry.printableWidth * 254 / (geometry.dpiX * 10));
    gdi.ulVertSize = static_cast<ULONG>(geometry.printableHeight * 254 / (geometry.dpiY * 10));
    gdi.ulHorzRes = static_cast<ULONG>(geometry.printableWidth);
    gdi.ulVertRes = static_cast<ULONG>(geometry.printableHeight);
    gdi.cBitsPixel = 24;
    gdi.cPlanes = 1;
    gdi.ulNumColors = static_cast<ULONG>(-1);
    gdi.ulLogPixelsX = static_cast<ULONG>(geometry.dpiX);
    gdi.ulLogPixelsY = static_cast<ULONG>(geometry.dpiY);
    gdi.ulAspectX = static_cast<ULONG>(geometry.dpiY);
    gdi.ulAspectY = static_cast<ULONG>(geometry.dpiX);
    gdi.ulAspectXY = static_cast<ULONG>(std::lround(std::hypot(geometry.dpiX, geometry.dpiY)));
    gdi.ptlPhysOffset = POINTL{geometry.offsetX, geometry.offsetY};
    gdi.szlPhysSize = SIZEL{geometry.physicalWidth, geometry.physicalHeight};
    gdi.ulDevicePelsDPI = static_cast<ULONG>(geometry.dpiX);
    pdev->devInfo.iDitherFormat = BMF_24BPP;

    DEVOBJ& devobj = pdev->devobj;
    devobj.dwSize = sizeof(DEVOBJ);
    devobj.hEngine = pdev.get();
    devobj.hPrinter = m_printer;
    devobj.pPublicDM = dm;
    devobj.pOEMDM = m_oemSize ? pdev->devmode.data() + sizeof(DEVMODEW) + kUnidrvPartSize : nullptr;

    SURFOBJ& surface = pdev->surface;
    surface.hsurf = pdev.get();
    surface.dhpdev = &devobj;
    surface.hdev = pdev.get();
    surface.sizlBitmap = SIZEL{geometry.printableWidth, geometry.printableHeight};
    surface.iBitmapFormat = BMF_24BPP;
    surface.iType = STYPE_DEVICE;

    std::u16string printerName = m_options.printerName;
    PDEVOEM oemPdev = nullptr;
    const HRESULT enabled =
        m_plugin->EnablePDEV(&devobj, printerName.data(), 0, nullptr, sizeof(GDIINFO), &gdi, sizeof(DEVINFO),
                             &pdev->devInfo, UnidrvFunctionTable(), &oemPdev);
    RecordPlugin("EnablePDEV", enabled);
    if (FAILED(enabled)) {
        m_error = "EnablePDEV failed";
        return nullptr;
    }
    devobj.pdevOEM = oemPdev;
    return pdev;
}

void RenderHost::DisablePdev(std::unique_ptr<HostPdev>& pdev) {
    RecordPlugin("DisablePDEV", m_plugin->DisablePDEV(&pdev->devobj));
    pdev.reset();
}

void RenderHost::BuildDdi() {
    auto pick = [&](ULONG index) -> void (*)() {
        for (ULONG i = 0; m_pluginFunctions.pdrvfn && i < m_pluginFunctions.c; ++i)
            if (m_pluginFunctions.pdrvfn[i].iFunc == index && m_pluginFunctions.pdrvfn[i].pfn)
                return reinterpret_cast<void (*)()>(m_pluginFunctions.pdrvfn[i].pfn);
        return reinterpret_cast<void (*)()>(UnidrvFunction(index));
    };
    auto set = [&](auto& function, ULONG index) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(pick(index));
    };
    set(m_ddi.alphaBlend, INDEX_DrvAlphaBlend);
    set(m_ddi.bitBlt, INDEX_DrvBitBlt);
    set(m_ddi.copyBits, INDEX_DrvCopyBits);
    set(m_ddi.endDoc, INDEX_DrvEndDoc);
    set(m_ddi.fillPath, INDEX_DrvFillPath);
    set(m_ddi.gradientFill, INDEX_DrvGradientFill);
    set(m_ddi.getGlyphMode, INDEX_DrvGetGlyphMode);
    set(m_ddi.lineTo, INDEX_DrvLineTo);
    set(m_ddi.nextBand, INDEX_DrvNextBand);
    set(m_ddi.paint, INDEX_DrvPaint);
    set(m_ddi.plgBlt, INDEX_DrvPlgBlt);
    set(m_ddi.realizeBrush, INDEX_DrvRealizeBrush);
    set(m_ddi.sendPage, INDEX_DrvSendPage);
    set(m_ddi.startBanding, INDEX_DrvStartBanding);
    set(m_ddi.startDoc, INDEX_DrvStartDoc);
    set(m_ddi.startPage, INDEX_DrvStartPage);
    set(m_ddi.stretchBlt, INDEX_DrvStretchBlt);
    set(m_ddi.stretchBltROP, INDEX_DrvStretchBltROP);
    set(m_ddi.strokeAndFillPath, INDEX_DrvStrokeAndFillPath);
    set(m_ddi.strokePath, INDEX_DrvStrokePath);
    set(m_ddi.textOut, INDEX_DrvTextOut);
    set(m_ddi.transparentBlt, INDEX_DrvTransparentBlt);
    set(m_ddi.escape, INDEX_DrvEscape);
    set(m_ddi.drawEscape, INDEX_DrvDrawEscape);
}

bool RenderHost::StartDocument(const std::u16string& name, DWORD jobId, const DEVMODEW* devmode) {
    if (!m_plugin || m_documentOpen) return false;
    if (!m_pdev) {
        m_pdev = EnablePdev(MergeDevMode(devmode));
        if (!m_pdev) return false;
    } else if (devmode && !ChangeDevMode(devmode)) {
        return false;
    }
    std::u16string documentName = name;
    std::u16string output = m_options.outputFile;
    std::u16string datatype = u"RAW";
    DOC_INFO_1W info{documentName.data(), output.empty() ? nullptr : output.data(), datatype.data()};
    if (!StartDocPrinterW(m_printer, 1, reinterpret_cast<LPBYTE>(&info))) {
        m_error = "StartDocPrinterW failed with error " + std::to_string(GetLastError());
        return false;
    }
    m_documentOpen = true;
    m_documentName = name;
    m_jobId = jobId;
    return m_ddi.startDoc(&m_pdev->surface, m_documentName.data(), m_jobId) != FALSE;
}

bool RenderHost::ChangeDevMode(const DEVMODEW* devmode) {
    if (!m_plugin) return false;
    std::unique_ptr<HostPdev> next = EnablePdev(MergeDevMode(devmode));
    if (!next) return false;
    if (!m_pdev) {
        m_pdev = std::move(next);
        return true;
    }
    const HRESULT reset = m_plugin->ResetPDEV(&m_pdev->devobj, &next->devobj);
    RecordPlugin("ResetPDEV", reset);
    DisablePdev(m_pdev);
    m_pdev = std::move(next);
    // GDI starts the document again on the new surface.
    if (m_documentOpen) m_ddi.startDoc(&m_pdev->surface, m_documentName.data(), m_jobId);
    return SUCCEEDED(reset);
}

bool RenderHost::StartPage() {
    if (!m_pdev || !m_documentOpen || m_pageOpen) return false;
    m_pageDrawings.clear();
    m_pageContent = nullptr;
    m_pageOpen = true;
    return m_ddi.startPage(&m_pdev->surface) != FALSE;
}

bool RenderHost::EndPage() {
    if (!m_pageOpen) return false;
    m_pageOpen = false;
    SURFOBJ* surface = &m_pdev->surface;
    if (m_options.bandHeight <= 0) return m_ddi.sendPage(surface) != FALSE;
    POINTL origin{};
    bool drawn = m_ddi.startBanding(surface, &origin) != FALSE;
    while (drawn) {
        RunDrawings(surface);
        if (!m_ddi.nextBand(surface, &origin)) drawn = false;
        else if (origin.x == -1 && origin.y == -1) break;
    }
    m_pageDrawings.clear();
    return drawn;
}

bool RenderHost::EndDocument() {
    if (!m_documentOpen) return false;
    if (m_pageOpen) EndPage();
    const BOOL ended = m_ddi.endDoc(&m_pdev->surface, 0);
    EndDocPrinter(m_printer);
    m_documentOpen = false;
    return ended != FALSE;
}

BOOL RenderHost::Draw(std::function<BOOL(RenderHost&, SURFOBJ*)> drawing) {
    if (!m_pageOpen) return FALSE;
    if (m_options.bandHeight > 0) {
        m_pageDrawings.push_back(std::move(drawing));
        return TRUE;
    }
    return drawing(*this, &m_pdev->surface);
}

void RenderHost::RunDrawings(SURFOBJ* surface) {
    for (auto& drawing : m_pageDrawings) drawing(*this, surface);
}

BOOL RenderHost::TextOut(const std::u16string& text, POINTL origin, ULONG foreColor, ULONG opaqueColor) {
    return Draw([=](RenderHost& host, SURFOBJ* surface) {
        std::u16string characters = text;
        const LONG count = static_cast<LONG>(characters.size());
        std::vector<GLYPHPOS> glyphs(characters.size());
        for (LONG i = 0; i < count; ++i)
            glyphs[static_cast<size_t>(i)] = GLYPHPOS{static_cast<HGLYPH>(i), nullptr, {origin.x + i * kGlyphWidth, origin.y}};
        STROBJ string{static_cast<ULONG>(count), 0, kGlyphWidth,
                      RECTL{origin.x, origin.y - kGlyphWidth, origin.x + count * kGlyphWidth, origin.y},
                      glyphs.data(), characters.data()};
        FONTOBJ font{};
        font.sizLogResPpi = SIZE{600, 600};
        CLIPOBJ clip{0, PageRect(surface), DC_TRIVIAL, 0, 0, 0};
        BRUSHOBJ foreground{foreColor, nullptr, 0};
        BRUSHOBJ opaque{opaqueColor, nullptr, 0};
        RECTL box = string.rclBkGround;
        POINTL at = origin;
        const bool boxed = opaqueColor != kNoBrush;
        return host.m_ddi.textOut(surface, &string, &font, &clip, nullptr, boxed ? &box : nullptr, &foreground,
                                  boxed ? &opaque : nullptr, &at, kMixCopyPen);
    });
}

BOOL RenderHost::FillRect(RECTL rect, ULONG color, ROP4 rop4) {
    return Draw([=](RenderHost& host, SURFOBJ* surface) {
        RECTL target = rect;
        CLIPOBJ clip{0, PageRect(surface), DC_TRIVIAL, 0, 0, 0};
        BRUSHOBJ brush{color, nullptr, 0};
        POINTL brushOrigin{0, 0};
        return host.m_ddi.bitBlt(surface, nullptr, nullptr, &clip, nullptr, &target, nullptr, nullptr, &brush,
                                 &brushOrigin, rop4);
    });
}

BOOL RenderHost::LineTo(LONG x1, LONG y1, LONG x2, LONG y2, ULONG color) {
    return Draw([=](RenderHost& host, SURFOBJ* surface) {
        CLIPOBJ clip{0, PageRect(surface), DC_TRIVIAL, 0, 0, 0};
        BRUSHOBJ brush{color, nullptr, 0};
        RECTL bounds{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
        return host.m_ddi.lineTo(surface, &clip, &brush, x1, y1, x2, y2, &bounds, kMixCopyPen);
    });
}

BOOL RenderHost::StretchPicture(RECTL target, SIZEL pictureSize) {
    return Draw([=](RenderHost& host, SURFOBJ* surface) {
        SURFOBJ picture{};
        picture.sizlBitmap = pictureSize;
        picture.iBitmapFormat = BMF_24BPP;
        picture.iType = STYPE_BITMAP;
        RECTL to = target;
        RECTL from{0, 0, pictureSize.cx, pictureSize.cy};
        CLIPOBJ clip{0, PageRect(surface), DC_TRIVIAL, 0, 0, 0};
        POINTL halftoneOrigin{0, 0};
        return host.m_ddi.stretchBlt(surface, &picture, nullptr, &clip, nullptr, nullptr, &halftoneOrigin, &to, &from,
                                     nullptr, COLORONCOLOR);
    });
}

SURFOBJ* RenderHost::Surface() {
    return m_pdev ? &m_pdev->surface : nullptr;
}

PDEVOBJ RenderHost::Pdevobj() {
    return m_pdev ? &m_pdev->devobj : nullptr;
}

const std::vector<BYTE>& RenderHost::DevMode() const {
    return m_pdev ? m_pdev->devmode : m_defaultDevMode;
}

HRESULT RenderHost::Write(const void* bytes, DWORD size, DWORD* written) {
    *written = 0;
    if (!m_documentOpen) return E_FAIL;
    if (size == 0) return S_OK;
    const BOOL wrote = WritePrinter(m_printer, const_cast<void*>(bytes), size, written);
    const BYTE* first = static_cast<const BYTE*>(bytes);
    m_output.insert(m_output.end(), first, first + *written);
    return wrote ? S_OK : E_FAIL;
}

void RenderHost::IssueCallback(HostPdev& pdev, DWORD id) {
    INT result = 0;
    RenderEvent event;
    event.kind = RenderEvent::Kind::Callback;
    event.callbackId = id;
    event.result = m_plugin->CommandCallback(&pdev.devobj, id, 0, nullptr, &result);
    Record(std::move(event));
}

void RenderHost::OnDriverStartDoc(HostPdev& pdev) {
    if (m_jobStarted) return;
    m_jobStarted = true;
    const DEVMODEW* devmode = AsDevMode(pdev.devmode);
    IssueCallback(pdev, 200);
    IssueCallback(pdev, devmode->dmDuplex == DMDUP_VERTICAL     ? 305
                        : devmode->dmDuplex == DMDUP_HORIZONTAL ? 306
                                                                : 304);
    IssueCallback(pdev, 208);
    const std::vector<BYTE> frame = JobStartFrame(static_cast<WORD>(pdev.gdiInfo.ulLogPixelsY));
    DWORD written = 0;
    Write(frame.data(), static_cast<DWORD>(frame.size()), &written);
}

void RenderHost::OnDriverStartPage(HostPdev& pdev) {
    const DEVMODEW* devmode = AsDevMode(pdev.devmode);
    IssueCallback(pdev, 300);
    DWORD source = 110;
    switch (devmode->dmDefaultSource) {
    case DMBIN_UPPER: source = 111; break;
    case DMBIN_LOWER: source = 112; break;
    case DMBIN_MIDDLE: source = 113; break;
    case DMBIN_MANUAL: source = 114; break;
    default: break;
    }
    IssueCallback(pdev, source);
    const std::vector<BYTE> frame = PageStartFrame(devmode->dmPaperSize);
    DWORD written = 0;
    Write(frame.data(), static_cast<DWORD>(frame.size()), &written);
}

void RenderHost::SetPageContent(PageContent content) {
    m_pageContent = std::move(content);
}

void RenderHost::WritePageImage(HostPdev& pdev) {
    PageContent content = std::move(m_pageContent);
    m_pageContent = nullptr;
    if (!content) return;
    const LONG width = static_cast<LONG>(pdev.gdiInfo.ulHorzRes);
    const LONG height = static_cast<LONG>(pdev.gdiInfo.ulVertRes);
    if (width <= 0 || height <= 0) return;
    const bool colour = AsDevMode(pdev.devmode)->dmColor == DMCOLOR_COLOR;
    DWORD written = 0;
    const std::vector<BYTE> start = ImageStart(width, height, pdev.gdiInfo.ptlPhysOffset, colour);
    Write(start.data(), static_cast<DWORD>(start.size()), &written);
    // The image promises every row: rows a content leaves out go as white.
    LONG sent = 0;
    content(width, height, [&](LONG top, LONG rows, const std::vector<BYTE>& rgb) {
        if (top != sent || rows <= 0 || top + rows > height ||
            rgb.size() < static_cast<size_t>(width) * static_cast<size_t>(rows) * 3)
            return false;
        const std::vector<BYTE> block = ImageBlock(width, top, rows, rgb, colour);
        Write(block.data(), static_cast<DWORD>(block.size()), &written);
        sent += rows;
        return true;
    });
    while (sent < height) {
        const LONG rows = std::min<LONG>(256, height - sent);
        const std::vector<BYTE> white(static_cast<size_t>(width) * static_cast<size_t>(rows) * 3, 0xFF);
        const std::vector<BYTE> block = ImageBlock(width, sent, rows, white, colour);
        Write(block.data(), static_cast<DWORD>(block.size()), &written);
        sent += rows;
    }
    const std::vector<BYTE> end = ImageEnd();
    Write(end.data(), static_cast<DWORD>(end.size()), &written);
}

void RenderHost::OnDriverEndPage(HostPdev& pdev) {
    WritePageImage(pdev);
    IssueCallback(pdev, m_options.endPageCallback);
}

void RenderHost::OnDriverEndDoc(HostPdev& pdev) {
    IssueCallback(pdev, 201);
    m_jobStarted = false;
}

BOOL RenderHost::OnDriverStartBanding(HostPdev& pdev, POINTL* origin) {
    if (!origin || m_options.bandHeight <= 0) return FALSE;
    SURFOBJ& surface = pdev.surface;
    const LONG width = static_cast<LONG>(pdev.gdiInfo.ulHorzRes);
    const LONG height = std::min<LONG>(m_options.bandHeight, static_cast<LONG>(pdev.gdiInfo.ulVertRes));
    const LONG stride = ((width * 3) + 3) / 4 * 4;
    pdev.bandBits.assign(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
    pdev.bandTop = 0;
    surface.iType = STYPE_BITMAP;
    surface.sizlBitmap = SIZEL{width, height};
    surface.pvBits = pdev.bandBits.data();
    surface.pvScan0 = pdev.bandBits.data();
    surface.cjBits = static_cast<ULONG>(pdev.bandBits.size());
    surface.lDelta = stride;
    *origin = POINTL{0, 0};
    return TRUE;
}

BOOL RenderHost::OnDriverNextBand(HostPdev& pdev, POINTL* origin) {
    if (!origin) return FALSE;
    const LONG next = pdev.bandTop + m_options.bandHeight;
    if (m_options.bandHeight <= 0 || next >= static_cast<LONG>(pdev.gdiInfo.ulVertRes)) {
        OnDriverEndPage(pdev);
        // Back to the page's device surface.
        SURFOBJ& surface = pdev.surface;
        surface.iType = STYPE_DEVICE;
        surface.sizlBitmap = SIZEL{static_cast<LONG>(pdev.gdiInfo.ulHorzRes), static_cast<LONG>(pdev.gdiInfo.ulVertRes)};
        surface.pvBits = nullptr;
        surface.pvScan0 = nullptr;
        surface.cjBits = 0;
        surface.lDelta = 0;
        pdev.bandBits.clear();
        *origin = POINTL{-1, -1};
        return TRUE;
    }
    pdev.bandTop = next;
    std::fill(pdev.bandBits.begin(), pdev.bandBits.end(), BYTE{0});
    *origin = POINTL{0, next};
    return TRUE;
}

}  // namespace palvex::hosts
