// Printer device contexts: creation from a printer and a DEVMODE, the geometry a DEVMODE gives,
// documents and sides, world transforms, text attributes and the text recorded on a side.
#include <string_view>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#include <palvex/spool_writer.h>
#include <win/winspool_forms.h>
#include <win/winspool_levels.h>

#include "machine/api_guard.h"
#include "user/window_canvas.h"
#include "gdi/gdi_printer_dc.h"
#include "spooler/paper_forms.h"
#include "spooler/spool_forms.h"
#include "spooler/spooler_store.h"

namespace palvex {
namespace {

constexpr size_t kSizeFieldsEnd = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);
constexpr int kDefaultDpi = 600;
constexpr LONG kA4Width = 2100;  // tenths of a millimetre
constexpr LONG kA4Height = 2970;

// A field of a DEVMODE held as bytes, when dmSize covers it.
class DevModeFields {
public:
    explicit DevModeFields(const std::vector<BYTE>& bytes) : m_bytes(bytes) {
        if (bytes.size() >= kSizeFieldsEnd) {
            WORD size = 0;
            std::memcpy(&size, bytes.data() + offsetof(DEVMODEW, dmSize), sizeof size);
            m_size = std::min<size_t>(size, bytes.size());
        }
        m_fields = Get<DWORD>(offsetof(DEVMODEW, dmFields)).value_or(0);
    }
    template <class T>
    std::optional<T> Get(size_t offset) const {
        if (offset + sizeof(T) > m_size) return std::nullopt;
        T value;
        std::memcpy(&value, m_bytes.data() + offset, sizeof value);
        return value;
    }
    // The field's value when its DM_ bit is set.
    template <class T>
    std::optional<T> Field(DWORD bit, size_t offset) const {
        if (!(m_fields & bit)) return std::nullopt;
        return Get<T>(offset);
    }
    std::u16string FormName() const {
        std::u16string name;
        if (!(m_fields & DM_FORMNAME)) return name;
        for (size_t i = 0; i < CCHFORMNAME; ++i) {
            const auto unit = Get<char16_t>(offsetof(DEVMODEW, dmFormName) + 2 * i);
            if (!unit || *unit == 0) break;
            name += *unit;
        }
        return name;
    }

private:
    const std::vector<BYTE>& m_bytes;
    size_t m_size = 0;
    DWORD m_fields = 0;
};

// The paper of a DEVMODE in tenths of a millimetre, portrait.
SIZE PaperTenths(const DevModeFields& fields) {
    const auto width = fields.Field<short>(DM_PAPERWIDTH, offsetof(DEVMODEW, dmPaperWidth));
    const auto length = fields.Field<short>(DM_PAPERLENGTH, offsetof(DEVMODEW, dmPaperLength));
    if (width && length && *width > 0 && *length > 0) return SIZE{*width, *length};
    const auto fromMicrometres = [](LONG w, LONG h) { return SIZE{(w + 50) / 100, (h + 50) / 100}; };
    if (const auto paper = fields.Field<short>(DM_PAPERSIZE, offsetof(DEVMODEW, dmPaperSize)); paper && *paper > 0) {
        for (const auto& model : paper::ModelPapers())
            if (model.id == *paper) return SIZE{model.width, model.height};
        if (const auto* form = paper::FindStandardForm(*paper)) return fromMicrometres(form->width, form->height);
        if (const auto form = spool::FormAt(static_cast<size_t>(*paper)); form && form->size.cx > 0 && form->size.cy > 0)
            return fromMicrometres(form->size.cx, form->size.cy);
    }
    if (const std::u16string name = fields.FormName(); !name.empty()) {
        if (const auto form = spool::FindForm(name); form && form->size.cx > 0 && form->size.cy > 0)
            return fromMicrometres(form->size.cx, form->size.cy);
    }
    return SIZE{kA4Width, kA4Height};
}

std::shared_ptr<gdi::DeviceContext> FindContext(HDC hdc) {
    auto context = gdi::DeviceContexts().Find(hdc);
    if (!context) SetLastError(ERROR_INVALID_HANDLE);
    return context;
}

// A context's attribute, or failure (ERROR_INVALID_HANDLE set) when hdc is no context.
template <class T>
T ReadAttribute(HDC hdc, T gdi::DeviceContext::*attribute, T failure) {
    auto context = FindContext(hdc);
    return context ? (*context).*attribute : failure;
}

// Sets a context's attribute and gives the value it held, or failure (ERROR_INVALID_HANDLE set)
// when hdc is no context.
template <class T>
T ExchangeAttribute(HDC hdc, T gdi::DeviceContext::*attribute, T value, T failure) {
    auto context = FindContext(hdc);
    if (!context) return failure;
    return std::exchange((*context).*attribute, value);
}

// The printer device context of hdc; sets ERROR_INVALID_HANDLE when it is none.
std::shared_ptr<gdi::DeviceContext> FindPrinter(HDC hdc) {
    auto context = gdi::FindPrinterContext(hdc);
    if (!context) SetLastError(ERROR_INVALID_HANDLE);
    return context;
}

// EndDoc and AbortDoc need a document started.
bool InDocument(gdi::PrinterDevice::State state) { return state != gdi::PrinterDevice::State::Idle; }

// The printer device context of hdc when its document state allows the call; null otherwise,
// with ERROR_INVALID_HANDLE (no printer context) or ERROR_INVALID_PARAMETER (not now) set.
template <class Allowed>
std::shared_ptr<gdi::DeviceContext> FindPrinterFor(HDC hdc, Allowed allowed) {
    auto context = FindPrinter(hdc);
    if (context && !allowed(context->printer->state)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return context;
}

// Whether a log lists a call: a log that keeps no sides lists only those of its documents.
bool Listed(const gdi::DcLogHolder& log, DcCall call) {
    return log.keepSides || (call != DcCall::ResetDC && call != DcCall::StartPage && call != DcCall::EndPage);
}

void AddEvent(gdi::PrinterDevice& device, DcCall call) {
    std::lock_guard lock(device.log->mutex);
    if (Listed(*device.log, call)) device.log->log.events.push_back(DcEvent{call, device.log->current});
}

// The side open on the device (call with its log locked).
PrintedSide& OpenSide(gdi::PrinterDevice& device) {
    return device.log->log.documents.back().sides.back();
}

int EndSide(gdi::PrinterDevice& device) {
    std::lock_guard lock(device.log->mutex);
    PrintedDocument& document = device.log->log.documents.back();
    ++document.sideCount;
    if (device.log->keepSides) {
        OpenSide(device).devMode = device.log->current;
        device.log->log.events.push_back(DcEvent{DcCall::EndPage, device.log->current});
    } else {
        document.sides.pop_back();  // with the side's pages and their metafiles
    }
    device.state = gdi::PrinterDevice::State::Document;
    return 1;
}

bool Invertible(const XFORM& xf) {
    const double determinant = double(xf.eM11) * xf.eM22 - double(xf.eM12) * xf.eM21;
    return std::isfinite(determinant) && std::fabs(determinant) > 1e-12 && std::isfinite(xf.eDx) && std::isfinite(xf.eDy);
}

// first, then second.
XFORM Combine(const XFORM& a, const XFORM& b) {
    return XFORM{a.eM11 * b.eM11 + a.eM12 * b.eM21,       a.eM11 * b.eM12 + a.eM12 * b.eM22,
                 a.eM21 * b.eM11 + a.eM22 * b.eM21,       a.eM21 * b.eM12 + a.eM22 * b.eM22,
                 a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
}

bool IsIdentity(const XFORM& xf) {
    return xf.eM11 == 1 && xf.eM12 == 0 && xf.eM21 == 0 && xf.eM22 == 1 && xf.eDx == 0 && xf.eDy == 0;
}

// The printer's default DEVMODE (GetPrinterW level 8), or nothing.
std::vector<BYTE> PrinterDefaultDevMode(const std::u16string& printerName) {
    std::u16string name = printerName;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) return {};
    std::vector<BYTE> devMode;
    DWORD needed = 0;
    GetPrinterW(printer, 8, nullptr, 0, &needed);
    if (needed >= sizeof(PRINTER_INFO_8W)) {
        std::vector<BYTE> buffer(needed);
        if (GetPrinterW(printer, 8, buffer.data(), needed, &needed)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_8W*>(buffer.data());
            devMode = gdi::CopyDevMode(info->pDevMode);
        }
    }
    ClosePrinter(printer);
    return devMode;
}

}  // namespace

PrinterGeometry GeometryOfDevMode(const std::vector<BYTE>& devMode) {
    const DevModeFields fields(devMode);
    PrinterGeometry geometry;
    const auto quality = fields.Field<short>(DM_PRINTQUALITY, offsetof(DEVMODEW, dmPrintQuality));
    const auto yResolution = fields.Field<short>(DM_YRESOLUTION, offsetof(DEVMODEW, dmYResolution));
    geometry.dpiX = quality && *quality > 0 ? *quality : kDefaultDpi;
    geometry.dpiY = yResolution && *yResolution > 0 ? *yResolution : geometry.dpiX;
    SIZE paper = PaperTenths(fields);
    const auto orientation = fields.Field<short>(DM_ORIENTATION, offsetof(DEVMODEW, dmOrientation));
    if (orientation && *orientation == DMORIENT_LANDSCAPE) std::swap(paper.cx, paper.cy);
    geometry.physicalWidth = MulDiv(paper.cx, geometry.dpiX, 254);
    geometry.physicalHeight = MulDiv(paper.cy, geometry.dpiY, 254);
    geometry.offsetX = MulDiv(geometry.dpiX, 1, 6);
    geometry.offsetY = MulDiv(geometry.dpiY, 1, 6);
    geometry.printableWidth = std::max<LONG>(1, geometry.physicalWidth - 2 * geometry.offsetX);
    geometry.printableHeight = std::max<LONG>(1, geometry.physicalHeight - 2 * geometry.offsetY);
    return geometry;
}

namespace gdi {

std::vector<BYTE> CopyDevMode(const DEVMODEW* devMode) {
    if (!devMode || devMode->dmSize < kSizeFieldsEnd) return {};
    const auto* bytes = reinterpret_cast<const BYTE*>(devMode);
    return std::vector<BYTE>(bytes, bytes + devMode->dmSize + devMode->dmDriverExtra);
}

std::shared_ptr<DeviceContext> FindPrinterContext(HDC hdc) {
    auto context = DeviceContexts().Find(hdc);
    return context && context->printer ? context : nullptr;
}

HDC CreatePrinterDc(const std::u16string& printerName, std::vector<BYTE> devMode, DWORD jobId) {
    if (devMode.empty()) devMode = PrinterDefaultDevMode(printerName);
    if (devMode.empty()) devMode = MakeDevMode();
    auto device = std::make_shared<PrinterDevice>();
    device->printerName = printerName;
    device->jobId = jobId;
    device->geometry = GeometryOfDevMode(devMode);
    device->log = std::make_shared<DcLogHolder>();
    device->log->keepSides = KeepingPrintedSides();
    device->log->log.printerName = printerName;
    device->log->log.jobId = jobId;
    device->log->current = device->log->KeepDevMode(devMode);
    device->log->log.events.push_back(DcEvent{DcCall::Create, 0});
    device->devMode = std::move(devMode);
    RegisterLog(device->log, jobId);

    auto context = std::make_shared<DeviceContext>();
    context->font = GetStockObject(SYSTEM_FONT);
    context->dpi = device->geometry.dpiY;
    context->printer = std::move(device);
    return DeviceContexts().Insert(std::move(context));
}

int PrinterDeviceCaps(const PrinterDevice& device, int index) {
    const PrinterGeometry& g = device.geometry;
    switch (index) {
    case TECHNOLOGY: return DT_RASPRINTER;
    case HORZSIZE: return MulDiv(g.printableWidth, 254, g.dpiX * 10);
    case VERTSIZE: return MulDiv(g.printableHeight, 254, g.dpiY * 10);
    case HORZRES:
    case DESKTOPHORZRES: return g.printableWidth;
    case VERTRES:
    case DESKTOPVERTRES: return g.printableHeight;
    case BITSPIXEL: return 24;
    case PLANES: return 1;
    case LOGPIXELSX: return g.dpiX;
    case LOGPIXELSY: return g.dpiY;
    case PHYSICALWIDTH: return g.physicalWidth;
    case PHYSICALHEIGHT: return g.physicalHeight;
    case PHYSICALOFFSETX: return g.offsetX;
    case PHYSICALOFFSETY: return g.offsetY;
    default: return 0;
    }
}

size_t DcLogHolder::KeepDevMode(const std::vector<BYTE>& devMode) {
    const size_t hash =
        std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(devMode.data()), devMode.size()));
    const auto [first, last] = devModeIndex.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (log.devModes[it->second] == devMode) return it->second;
    log.devModes.push_back(devMode);
    devModeIndex.emplace(hash, log.devModes.size() - 1);
    return log.devModes.size() - 1;
}

bool RecordPlayedPage(const std::shared_ptr<DeviceContext>& context, PlayedPage page) {
    PrinterDevice& device = *context->printer;
    if (device.state != PrinterDevice::State::Side) return false;
    page.transform = context->transform;
    std::lock_guard lock(device.log->mutex);
    PrintedSide& side = OpenSide(device);
    side.order.push_back(PrintedSide::Drawing{false, side.pages.size()});
    side.pages.push_back(std::move(page));
    return true;
}

}  // namespace gdi
}  // namespace palvex

using palvex::AddEvent;
using palvex::DcCall;
using palvex::EndSide;
using palvex::FindContext;
using palvex::FindPrinter;
using palvex::FindPrinterFor;
using palvex::InDocument;
using palvex::gdi::DeviceContext;
using palvex::gdi::PrinterDevice;

HDC CreateDCW(LPCWSTR, LPCWSTR pwszDevice, LPCWSTR, const DEVMODEW* pdm) {
    HDC dc = nullptr;
    const DWORD error = palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!pwszDevice || !*pwszDevice) return ERROR_INVALID_PRINTER_NAME;
        const auto printer = palvex::spool::FindPrinter(pwszDevice);
        if (!printer) return ERROR_INVALID_PRINTER_NAME;
        std::vector<BYTE> devMode = palvex::gdi::CopyDevMode(pdm);
        if (pdm && devMode.empty()) return ERROR_INVALID_PARAMETER;
        dc = palvex::gdi::CreatePrinterDc(printer->name, std::move(devMode), 0);
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) SetLastError(error);
    return dc;
}

BOOL DeleteDC(HDC hdc) {
    auto context = FindContext(hdc);
    if (!context) return FALSE;
    if (context->printer && context->printer->state != PrinterDevice::State::Idle) AbortDoc(hdc);
    palvex::gdi::EndContext(*context);
    palvex::gdi::DeviceContexts().Remove(hdc);
    return TRUE;
}

HDC ResetDCW(HDC hdc, const DEVMODEW* lpdm) {
    auto context = FindContext(hdc);
    if (!context) return nullptr;
    std::vector<BYTE> devMode = palvex::gdi::CopyDevMode(lpdm);
    if (!context->printer || devMode.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PrinterDevice& device = *context->printer;
    if (devMode == device.devMode) {
        // The DEVMODE the device has already (a processor resets each side with its page's): the
        // device stays as it is, and the log notes the reset.
        std::lock_guard lock(device.log->mutex);
        if (palvex::Listed(*device.log, DcCall::ResetDC))
            device.log->log.events.push_back(palvex::DcEvent{DcCall::ResetDC, device.log->current});
        return hdc;
    }
    const palvex::PrinterGeometry geometry = palvex::GeometryOfDevMode(devMode);
    {
        std::lock_guard lock(device.log->mutex);
        device.log->current = device.log->KeepDevMode(devMode);
        if (palvex::Listed(*device.log, DcCall::ResetDC))
            device.log->log.events.push_back(palvex::DcEvent{DcCall::ResetDC, device.log->current});
    }
    device.devMode = std::move(devMode);
    device.geometry = geometry;
    context->dpi = geometry.dpiY;
    return hdc;
}

int StartDocW(HDC hdc, const DOCINFOW* lpdi) {
    auto context =
        FindPrinterFor(hdc, [&](PrinterDevice::State state) { return lpdi && state == PrinterDevice::State::Idle; });
    if (!context) return SP_ERROR;
    PrinterDevice& device = *context->printer;
    static std::atomic<int> nextJob{1};
    palvex::PrintedDocument document;
    if (lpdi->lpszDocName) document.name = lpdi->lpszDocName;
    if (lpdi->lpszOutput) document.output = lpdi->lpszOutput;
    document.jobId = device.jobId ? static_cast<int>(device.jobId) : nextJob++;
    {
        std::lock_guard lock(device.log->mutex);
        device.log->log.documents.push_back(std::move(document));
    }
    device.state = PrinterDevice::State::Document;
    AddEvent(device, DcCall::StartDoc);
    std::lock_guard lock(device.log->mutex);
    return device.log->log.documents.back().jobId;
}

int StartPage(HDC hdc) {
    auto context =
        FindPrinterFor(hdc, [](PrinterDevice::State state) { return state == PrinterDevice::State::Document; });
    if (!context) return SP_ERROR;
    PrinterDevice& device = *context->printer;
    {
        std::lock_guard lock(device.log->mutex);
        device.log->log.documents.back().sides.emplace_back();
    }
    device.state = PrinterDevice::State::Side;
    AddEvent(device, DcCall::StartPage);
    return 1;
}

int EndPage(HDC hdc) {
    auto context = FindPrinterFor(hdc, [](PrinterDevice::State state) { return state == PrinterDevice::State::Side; });
    return context ? EndSide(*context->printer) : SP_ERROR;
}

int EndDoc(HDC hdc) {
    auto context = FindPrinterFor(hdc, InDocument);
    if (!context) return SP_ERROR;
    PrinterDevice& device = *context->printer;
    if (device.state == PrinterDevice::State::Side) EndSide(device);
    {
        std::lock_guard lock(device.log->mutex);
        device.log->log.documents.back().ended = true;
    }
    device.state = PrinterDevice::State::Idle;
    AddEvent(device, DcCall::EndDoc);
    return 1;
}

int AbortDoc(HDC hdc) {
    auto context = FindPrinterFor(hdc, InDocument);
    if (!context) return SP_ERROR;
    PrinterDevice& device = *context->printer;
    {
        std::lock_guard lock(device.log->mutex);
        auto& document = device.log->log.documents.back();
        if (device.state == PrinterDevice::State::Side) document.sides.pop_back();
        document.aborted = true;
    }
    device.state = PrinterDevice::State::Idle;
    AddEvent(device, DcCall::AbortDoc);
    return 1;
}

int SetGraphicsMode(HDC hdc, int iMode) {
    auto context = FindContext(hdc);
    if (!context) return 0;
    if (iMode != GM_COMPATIBLE && iMode != GM_ADVANCED) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (iMode == GM_COMPATIBLE && !palvex::IsIdentity(context->transform)) return 0;
    const int previous = context->graphicsMode;
    context->graphicsMode = iMode;
    return previous;
}

int GetGraphicsMode(HDC hdc) { return palvex::ReadAttribute(hdc, &DeviceContext::graphicsMode, 0); }

BOOL SetWorldTransform(HDC hdc, const XFORM* lpxf) {
    auto context = FindContext(hdc);
    if (!context) return FALSE;
    if (!lpxf || context->graphicsMode != GM_ADVANCED || !palvex::Invertible(*lpxf)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    context->transform = *lpxf;
    return TRUE;
}

BOOL GetWorldTransform(HDC hdc, LPXFORM lpxf) {
    auto context = FindContext(hdc);
    if (!context) return FALSE;
    if (!lpxf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpxf = context->transform;
    return TRUE;
}

BOOL ModifyWorldTransform(HDC hdc, const XFORM* lpxf, DWORD mode) {
    auto context = FindContext(hdc);
    if (!context) return FALSE;
    if (context->graphicsMode != GM_ADVANCED) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    XFORM result;
    switch (mode) {
    case MWT_IDENTITY: result = palvex::kIdentityTransform; break;
    case MWT_LEFTMULTIPLY:
    case MWT_RIGHTMULTIPLY:
        if (!lpxf) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        result = mode == MWT_LEFTMULTIPLY ? palvex::Combine(*lpxf, context->transform)
                                          : palvex::Combine(context->transform, *lpxf);
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
    if (!palvex::Invertible(result)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    context->transform = result;
    return TRUE;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    return palvex::ExchangeAttribute(hdc, &DeviceContext::textColour, color, CLR_INVALID);
}

COLORREF GetTextColor(HDC hdc) { return palvex::ReadAttribute(hdc, &DeviceContext::textColour, CLR_INVALID); }

int SetBkMode(HDC hdc, int mode) {
    auto context = FindContext(hdc);
    if (!context) return 0;
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int previous = context->backgroundMode;
    context->backgroundMode = mode;
    return previous;
}

int GetBkMode(HDC hdc) { return palvex::ReadAttribute(hdc, &DeviceContext::backgroundMode, 0); }

UINT SetTextAlign(HDC hdc, UINT align) {
    return palvex::ExchangeAttribute(hdc, &DeviceContext::textAlign, align, UINT{GDI_ERROR});
}

UINT GetTextAlign(HDC hdc) { return palvex::ReadAttribute(hdc, &DeviceContext::textAlign, UINT{GDI_ERROR}); }

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c, const INT*) {
    // ETO_GLYPH_INDEX: lpString holds glyph indices of the selected font.
    auto context = FindContext(hdc);
    if (!context) return FALSE;
    if (c > 0 && !lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A window being drawn into its picture (owner-drawn controls) and a memory context show the
    // text.
    if (context->canvas || context->memory) {
        if (options & ETO_GLYPH_INDEX) {
            const std::vector<WORD> glyphs(lpString, lpString + c);
            return palvex::win::CanvasTextOut(hdc, x, y, options, lprect, std::u16string(), &glyphs);
        }
        return palvex::win::CanvasTextOut(hdc, x, y, options, lprect, std::u16string(lpString, c));
    }
    if (!context->printer || context->printer->state != PrinterDevice::State::Side) return TRUE;
    palvex::DrawnText text;
    if (c > 0) text.text.assign(lpString, c);
    text.position = POINT{x, y};
    text.options = options;
    if (lprect && (options & (ETO_CLIPPED | ETO_OPAQUE))) text.rectangle = *lprect;
    if (auto font = palvex::gdi::Objects().Find(context->font)) text.font = font->font;
    text.colour = context->textColour;
    text.backgroundMode = context->backgroundMode;
    text.alignment = context->textAlign;
    text.transform = context->transform;
    PrinterDevice& device = *context->printer;
    std::lock_guard lock(device.log->mutex);
    palvex::PrintedSide& side = palvex::OpenSide(device);
    side.order.push_back(palvex::PrintedSide::Drawing{true, side.texts.size()});
    side.texts.push_back(std::move(text));
    return TRUE;
}
