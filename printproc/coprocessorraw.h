// CoProcessorRAW: prints a job of datatype "RAW" by passing its bytes to the printer unchanged,
// in chunks of kChunkSize. Between chunks it waits while the job is paused and stops when it is
// cancelled.
#pragma once

#include <memory>
#include <string>

#include "processor_interfaces.h"
#include "processor_type.h"

class CoProcessorRAW final : public ProcessorType {
public:
    static constexpr DWORD kChunkSize = 16384;

    // *processor gets a new processor with one reference and its copy buffer; it holds its own
    // reference to owner. E_OUTOFMEMORY without the object, E_FAIL without the buffer.
    static HRESULT Create(IProcessor* owner, IProcessorType** processor);

    // Keeps what the document needs of the open data and opens the printer.
    HRESULT STDMETHODCALLTYPE Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) override;
    // Copies the job (opened by the spooler's name of it) into one printer document. A job that
    // cannot be opened or read, or bytes the printer does not take, fail the print (the last error
    // says why); a cancelled job ends its document and succeeds.
    HRESULT STDMETHODCALLTYPE PrintDocument(LPCWSTR documentName) override;

private:
    explicit CoProcessorRAW(IProcessor* owner);
    ~CoProcessorRAW() override;

    enum class CopyResult { Done, Cancelled, Failed };
    // One copy of the job into the started document.
    CopyResult CopyJob(LPCWSTR documentName);
    // Writes all of size bytes of the buffer; false when the printer takes no more.
    bool WriteAll(DWORD size);

    std::u16string m_printerName;
    HANDLE m_printer = nullptr;
    DWORD m_jobId = 0;
    DWORD m_copies = 1;
    std::unique_ptr<BYTE[]> m_buffer;
    std::u16string m_documentName;
    std::u16string m_outputFile;
    std::u16string m_datatype;
};
