// CoProcessorTXT: prints a job of datatype "TEXT", plain text in the system code page, on the
// printer's device context in a fixed-pitch device font of the code page's character set.
//
// Printer data of the printer (DWORDs, 0 when missing):
//   "Winprint_TextNoTranslation"    not 0: a line feed does not return to column 0 and a carriage
//                                   return does not go to the next line;
//   "Winprint_TextNoCRTranslation"  not 0: a carriage return does not go to the next line, and
//   "Transparency"                  (read only then) not 0: text is drawn with a transparent
//                                   background, so that overprinted lines do not hide each other.
#pragma once

#include "processor_interfaces.h"
#include "processor_type.h"

class CoProcessorTXT final : public ProcessorType {
public:
    static constexpr DWORD kReadBufferSize = 65536;

    // *processor gets a new processor (one copy, no device context yet) with one reference; it
    // holds its own reference to owner. E_OUTOFMEMORY without the object.
    static HRESULT Create(IProcessor* owner, IProcessorType** processor);

    // Makes the printer's device context with the job's DEVMODE (the printer's own when the job
    // has none) and takes the number of copies from it. A device context that cannot be made
    // fails the print, not the open.
    HRESULT STDMETHODCALLTYPE Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) override;
    // Lays the job's text out on pages, once per copy. Waits while the job is paused and stops
    // when it is cancelled, before each page. Any failure aborts the document and fails the print
    // (the last error says why); a cancelled job ends its document and succeeds.
    HRESULT STDMETHODCALLTYPE PrintDocument(LPCWSTR documentName) override;

private:
    explicit CoProcessorTXT(IProcessor* owner);
    ~CoProcessorTXT() override;

    class PageDevice;
    struct Metrics {
        int charWidth = 0;
        int lineHeight = 0;
        DWORD columns = 0;
        DWORD linesPerPage = 0;
    };
    // The cell and page sizes of the selected font on the device; false when a page cannot hold
    // one cell.
    bool MeasurePage(Metrics* metrics);
    // One copy of the job, opened by the spooler's name of it.
    bool PrintCopy(LPCWSTR documentName, const Metrics& metrics, BYTE* readBuffer, bool* cancelled);

    HDC m_dc = nullptr;
    DWORD m_dcError = ERROR_SUCCESS;  // why there is no device context
    WORD m_copies = 1;
};
