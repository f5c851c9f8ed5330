#include "coprocessorraw.h"

#include <new>

#include <win/winspool_io.h>

#include "printer_handle.h"
#include "kittrace.h"

namespace {

std::u16string TextOf(LPCWSTR text) {
    return text ? std::u16string(text) : std::u16string();
}

LPWSTR TextOrNull(std::u16string& text) {
    return text.empty() ? nullptr : text.data();
}

using JobHandle = ScopedPrinterHandle;

}  // namespace

HRESULT CoProcessorRAW::Create(IProcessor* owner, IProcessorType** processor) {
    *processor = nullptr;
    auto* made = new (std::nothrow) CoProcessorRAW(owner);
    if (!made) return E_OUTOFMEMORY;
    made->AddRef();
    made->m_buffer.reset(new (std::nothrow) BYTE[kChunkSize]);
    if (!made->m_buffer) {
        made->Release();
        return E_FAIL;
    }
    *processor = made;
    return S_OK;
}

CoProcessorRAW::CoProcessorRAW(IProcessor* owner) : ProcessorType(owner) {}

CoProcessorRAW::~CoProcessorRAW() {
    if (m_printer && m_printer != INVALID_HANDLE_VALUE) ClosePrinter(m_printer);
}

HRESULT CoProcessorRAW::Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData) {
    if (!printerName || !openData) return E_POINTER;
    m_printerName = printerName;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, nullptr)) {
        DebugTrace(1, u"%s: OpenPrinter err=[%d]\n", u"CoProcessorRAW::Open", static_cast<int>(GetLastError()));
        return E_FAIL;
    }
    if (m_printer) ClosePrinter(m_printer);
    m_printer = printer;
    m_jobId = openData->JobId;
    m_copies = 1;
    m_documentName = TextOf(openData->pDocumentName);
    m_outputFile = TextOf(openData->pOutputFile);
    m_datatype = TextOf(openData->pDatatype);
    return S_OK;
}

HRESULT CoProcessorRAW::PrintDocument(LPCWSTR documentName) {
    if (!documentName) return E_POINTER;
    if (!*documentName) return E_INVALIDARG;
    if (!m_printer) return E_FAIL;  // never opened
    DOC_INFO_1W info{TextOrNull(m_documentName), TextOrNull(m_outputFile), TextOrNull(m_datatype)};
    if (StartDocPrinterW(m_printer, 1, reinterpret_cast<LPBYTE>(&info)) == 0) {
        DebugTrace(1, u"%s: StartDocPrinter err=[%d]\n", u"CoProcessorRAW::PrintDocument",
                   static_cast<int>(GetLastError()));
        return E_FAIL;
    }
    CopyResult result = CopyResult::Done;
    for (DWORD copy = 0; copy < m_copies && result == CopyResult::Done; ++copy) result = CopyJob(documentName);
    // The printer document ends whatever happened; the error of the failure stays the last error.
    const DWORD error = GetLastError();
    EndDocPrinter(m_printer);
    SetLastError(error);
    return result == CopyResult::Failed ? E_FAIL : S_OK;
}

CoProcessorRAW::CopyResult CoProcessorRAW::CopyJob(LPCWSTR documentName) {
    JobHandle job(documentName);
    if (!job.get()) {
        DebugTrace(1, u"%s: OpenPrinter job err=[%d]\n", u"CoProcessorRAW::CopyJob", static_cast<int>(GetLastError()));
        return CopyResult::Failed;
    }
    for (;;) {
        DWORD read = 0;
        if (!ReadPrinter(job.get(), m_buffer.get(), kChunkSize, &read)) {
            DebugTrace(1, u"%s: ReadPrinter err=[%d]\n", u"CoProcessorRAW::CopyJob", static_cast<int>(GetLastError()));
            return CopyResult::Failed;
        }
        if (read == 0) return CopyResult::Done;
        m_owner->WaitIfPaused();
        if (SUCCEEDED(m_owner->IsCancelled())) return CopyResult::Cancelled;
        if (!WriteAll(read)) return CopyResult::Failed;
    }
}

bool CoProcessorRAW::WriteAll(DWORD size) {
    DWORD done = 0;
    while (done < size) {
        DWORD written = 0;
        if (!WritePrinter(m_printer, m_buffer.get() + done, size - done, &written)) {
            DebugTrace(1, u"%s: WritePrinter err=[%d]\n", u"CoProcessorRAW::WriteAll", static_cast<int>(GetLastError()));
            return false;
        }
        if (written == 0) {
            // A printer that takes nothing and says nothing would hold the job for ever.
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        done += written;
    }
    return true;
}

