#include "coprocessortxt.h"

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

#include <win/wingdi_charset.h>
#include <win/wingdi_text.h>
#include <win/winspool_io.h>

#include "emf_job.h"
#include "printer_handle.h"
#include "kittrace.h"
#include "text_layout.h"

namespace {

using JobHandle = ScopedPrinterHandle;

// A DWORD of the printer's data; 0 when it cannot be read.
DWORD ReadPrinterDword(HANDLE printer, LPCWSTR name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD needed = 0;
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, reinterpret_cast<LPBYTE>(&value), sizeof value,
                        &needed) != ERROR_SUCCESS)
        return 0;
    return value;
}

// The fixed-pitch device font of the system code page's character set, selected into the device
// context while the object lives. Without a character set for the code page the device context
// keeps its font.
class CodePageFont {
public:
    explicit CodePageFont(HDC dc) : m_dc(dc) {
        CHARSETINFO charset{};
        if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(GetACP())), &charset,
                                  TCI_SRCCODEPAGE))
            return;
        LOGFONTW font{};
        font.lfCharSet = static_cast<BYTE>(charset.ciCharset);
        font.lfWeight = FW_NORMAL;
        font.lfPitchAndFamily = FIXED_PITCH;
        m_font = CreateFontIndirectW(&font);
        if (m_font) m_previous = SelectObject(m_dc, m_font);
    }
    ~CodePageFont() {
        if (m_previous) SelectObject(m_dc, m_previous);
        if (m_font) DeleteObject(m_font);
    }
    CodePageFont(const CodePageFont&) = delete;
    CodePageFont& operator=(const CodePageFont&) = delete;

private:
    HDC m_dc;
    HFONT m_font = nullptr;
    HGDIOBJ m_previous = nullptr;
};

}  // namespace

// The device context's pages and text cells for the text layout. Before each page it waits while
// the job is paused and stops when the job is cancelled.
class CoProcessorTXT::PageDevice final : public TextDevice {
public:
    PageDevice(HDC dc, IProcessor* owner, int charWidth, int lineHeight)
        : m_dc(dc), m_owner(owner), m_charWidth(charWidth), m_lineHeight(lineHeight) {}

    bool StartPage() override {
        m_owner->WaitIfPaused();
        if (SUCCEEDED(m_owner->IsCancelled())) {
            m_cancelled = true;
            return false;
        }
        if (::StartPage(m_dc) > 0) return true;
        DebugTrace(1, u"%s: StartPage err=[%d]\n", u"CoProcessorTXT::PrintDocument", static_cast<int>(GetLastError()));
        return false;
    }
    bool EndPage() override {
        if (::EndPage(m_dc) > 0) return true;
        DebugTrace(1, u"%s: EndPage err=[%d]\n", u"CoProcessorTXT::PrintDocument", static_cast<int>(GetLastError()));
        return false;
    }
    bool Text(DWORD column, DWORD line, const char* text, DWORD length) override {
        if (TextOutA(m_dc, m_charWidth * static_cast<int>(column), m_lineHeight * static_cast<int>(line), text,
                     static_cast<int>(length)))
            return true;
        DebugTrace(1, u"%s: TextOut err=[%d]\n", u"CoProcessorTXT::PrintDocument", static_cast<int>(GetLastError()));
        return false;
    }
    bool cancelled() const { return m_cancelled; }

private:
    HDC m_dc;
    IProcessor* m_owner;
    int m_charWidth;
    int m_lineHeight;
    bool m_cancelled = false;
};

HRESULT CoProcessorTXT::Create(IProcessor* owner, IProcessorType** processor) {
    *processor = nullptr;
    auto* made = new (std::nothrow) CoProcessorTXT(owner);
    if (!made) return E_OUTOFMEMORY;
    made->AddRef();
    *processor = made;
    return S_OK;
}

CoProcessorTXT::CoProcessorTXT(IProcessor* owner) : ProcessorType(owner) {}

CoProcessorTXT::~CoProcessorTXT() {
    if (m_dc) DeleteDC(m_dc);
}

HRESULT CoProcessorTXT::Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) {
    if (!printerName || !openData) return E_POINTER;
    // A job without a DEVMODE, with one too short to hold dmCopies, or with no copies in it,
    // prints once.
    const DEVMODEW* devmode = openData->pDevMode;
    m_copies = DEVMODE_HAS(devmode, dmCopies) && devmode->dmCopies > 0 ? static_cast<WORD>(devmode->dmCopies) : 1;
    // The processor prints every copy itself, so the DC is made for one: a driver that also
    // applied the job's copies would multiply them.
    std::vector<BYTE> oneCopy;
    if (DEVMODE_HAS(devmode, dmCopies)) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(devmode);
        oneCopy.assign(bytes, bytes + devmode->dmSize + devmode->dmDriverExtra);
        reinterpret_cast<DEVMODEW*>(oneCopy.data())->dmCopies = 1;
    }
    if (m_dc) DeleteDC(m_dc);
    m_dc = CreateDCW(u"", printerName, u"", oneCopy.empty() ? devmode : reinterpret_cast<const DEVMODEW*>(oneCopy.data()));
    m_dcError = m_dc ? ERROR_SUCCESS : GetLastError();
    if (!m_dc) DebugTrace(1, u"%s: CreateDC err=[%d]\n", u"CoProcessorTXT::Open", static_cast<int>(m_dcError));
    return S_OK;
}

bool CoProcessorTXT::MeasurePage(Metrics* metrics) {
    TEXTMETRICW text{};
    if (!GetTextMetricsW(m_dc, &text)) return false;
    metrics->charWidth = text.tmAveCharWidth;
    metrics->lineHeight = text.tmHeight + text.tmExternalLeading;
    const int width = GetDeviceCaps(m_dc, DESKTOPHORZRES);
    const int height = GetDeviceCaps(m_dc, DESKTOPVERTRES);
    if (metrics->charWidth <= 0 || metrics->lineHeight <= 0 || width <= 0 || height <= 0) return false;
    metrics->columns = static_cast<DWORD>(width / metrics->charWidth);
    metrics->linesPerPage = static_cast<DWORD>(height / metrics->lineHeight);
    return metrics->columns > 0 && metrics->linesPerPage > 0;
}

HRESULT CoProcessorTXT::PrintDocument(LPCWSTR documentName) {
    if (!documentName || !*documentName) return E_INVALIDARG;
    if (!m_dc) {
        SetLastError(m_dcError);
        return E_FAIL;
    }
    CodePageFont font(m_dc);
    Metrics metrics;
    if (!MeasurePage(&metrics)) {
        DebugTrace(1, u"%s: no room for a character\n", u"CoProcessorTXT::PrintDocument");
        SetLastError(ERROR_NOT_SUPPORTED);
        return E_FAIL;
    }
    std::unique_ptr<BYTE[]> readBuffer(new (std::nothrow) BYTE[kReadBufferSize]);
    if (!readBuffer) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return E_FAIL;
    }
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = documentName;
    if (StartDocW(m_dc, &info) <= 0) {
        DebugTrace(1, u"%s: StartDoc err=[%d]\n", u"CoProcessorTXT::PrintDocument", static_cast<int>(GetLastError()));
        return E_FAIL;
    }
    bool cancelled = false;
    for (WORD copy = 0; copy < m_copies && !cancelled; ++copy) {
        if (!PrintCopy(documentName, metrics, readBuffer.get(), &cancelled)) {
            const DWORD error = GetLastError();
            AbortDoc(m_dc);
            SetLastError(error);
            return E_FAIL;
        }
    }
    if (EndDoc(m_dc) <= 0) {
        DebugTrace(1, u"%s: EndDoc err=[%d]\n", u"CoProcessorTXT::PrintDocument", static_cast<int>(GetLastError()));
        return E_FAIL;
    }
    return S_OK;
}

bool CoProcessorTXT::PrintCopy(LPCWSTR documentName, const Metrics& metrics, BYTE* readBuffer, bool* cancelled) {
    JobHandle job(documentName);
    if (!job.get()) {
        DebugTrace(1, u"%s: OpenPrinter job err=[%d]\n", u"CoProcessorTXT::PrintDocument",
                   static_cast<int>(GetLastError()));
        return false;
    }
    DWORD translation = textflags::kTranslateLF | textflags::kTranslateCR;
    int previousBkMode = 0;
    // The two values are independent: "Transparency" follows the CR setting alone, also when
    // every translation is off.
    if (ReadPrinterDword(job.get(), u"Winprint_TextNoTranslation") != 0) translation = 0;
    if (ReadPrinterDword(job.get(), u"Winprint_TextNoCRTranslation") != 0) {
        translation &= ~textflags::kTranslateCR;
        // Lines printed over each other stay readable only on a transparent background.
        if (ReadPrinterDword(job.get(), u"Transparency") != 0) previousBkMode = SetBkMode(m_dc, TRANSPARENT);
    }
    PageDevice device(m_dc, m_owner, metrics.charWidth, metrics.lineHeight);
    TextLayout layout(device, metrics.columns, metrics.linesPerPage, GetACP(), translation);
    const bool laid = layout.LayText(
        [&](BYTE* buffer, DWORD size, DWORD* read) {
            if (ReadPrinter(job.get(), buffer, size, read)) return true;
            DebugTrace(1, u"%s: ReadPrinter err=[%d]\n", u"CoProcessorTXT::PrintDocument",
                       static_cast<int>(GetLastError()));
            return false;
        },
        readBuffer, kReadBufferSize);
    if (previousBkMode != 0) {
        const DWORD error = GetLastError();
        SetBkMode(m_dc, previousBkMode);
        SetLastError(error);
    }
    *cancelled = device.cancelled();
    return laid || device.cancelled();
}

