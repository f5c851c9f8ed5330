#include "coprocessor.h"

#include <cstring>

#include "datatypes.h"
#include "printer_handle.h"
#include "processor_types.h"

namespace {

bool IsPrinterHandle(HANDLE printer) {
    return printer && printer != INVALID_HANDLE_VALUE;
}

// A printer opened with the default access for the length of one call.
using OpenedPrinter = ScopedPrinterHandle;

}  // namespace

CoProcessor::~CoProcessor() {
    // A processor still held here has already let go of this object (or it would not be going).
    if (m_processor) m_processor->Release();
    if (m_pauseEvent) CloseHandle(m_pauseEvent);
}

bool CoProcessor::CreatePauseEvent() {
    m_pauseEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    return m_pauseEvent != nullptr;
}

void CoProcessor::DropProcessor() {
    IProcessorType* processor = m_processor;
    m_processor = nullptr;
    if (!processor) return;
    processor->Close();  // lets go of its reference to this object
    processor->Release();
}

HRESULT CoProcessor::Open(LPCWSTR printerName, const PRINTPROCESSOROPENDATA* openData, IProcessor** processor) {
    if (!printerName || !openData || !processor) return E_POINTER;
    *processor = nullptr;
    if (!openData->pDatatype) return E_FAIL;
    DatatypeIndex datatype;
    if (!FindDatatype(openData->pDatatype, &datatype)) {
        SetLastError(ERROR_INVALID_DATATYPE);
        return E_FAIL;
    }
    IProcessorType* made = nullptr;
    const HRESULT created = CreateProcessorType(datatype, this, &made);
    if (FAILED(created)) return created;
    DropProcessor();
    m_processor = made;
    if (FAILED(m_processor->Open(printerName, openData))) {
        // Nothing of a failed open stays behind, and the processor's reference to this object
        // goes with it.
        DropProcessor();
        return E_FAIL;
    }
    AddRef();
    *processor = this;
    return S_OK;
}

HRESULT CoProcessor::PrintDocument(LPCWSTR documentName) {
    if (!documentName) return E_POINTER;
    if (!m_processor || FAILED(m_processor->PrintDocument(documentName))) return E_FAIL;
    return S_OK;
}

HRESULT CoProcessor::Close() {
    if (!m_processor || FAILED(m_processor->Close())) return E_FAIL;
    IProcessorType* processor = m_processor;
    m_processor = nullptr;
    processor->Release();
    Release();  // the handle's reference: this object goes
    return S_OK;
}

HRESULT CoProcessor::Control(DWORD command) {
    switch (command) {
    case 0:
        return E_INVALIDARG;
    case JOB_CONTROL_PAUSE:
        m_state.fetch_or(kPaused);
        return ResetEvent(m_pauseEvent) ? S_OK : E_FAIL;
    case JOB_CONTROL_RESUME:
        return Resume();
    case JOB_CONTROL_CANCEL:
        // A paused job wakes up to see the cancel.
        m_state.fetch_or(kCancelled);
        return Resume();
    default:
        SetLastError(ERROR_BAD_COMMAND);
        return E_FAIL;
    }
}

HRESULT CoProcessor::Resume() {
    if (m_state.fetch_and(~kPaused) & kPaused) return SetEvent(m_pauseEvent) ? S_OK : E_FAIL;
    return S_OK;
}

HRESULT CoProcessor::WaitIfPaused() {
    // A cancelled job never waits: a pause that arrives after the cancel would otherwise hold the
    // job, which is about to end, until someone resumed it.
    if ((m_state.load() & (kPaused | kCancelled)) == kPaused) WaitForSingleObject(m_pauseEvent, INFINITE);
    return S_OK;
}

HRESULT CoProcessor::IsCancelled() {
    return (m_state.load() & kCancelled) ? S_OK : E_FAIL;
}

HRESULT CoProcessor::CopyDevmode(const DEVMODEW* devmode, DEVMODEW** copy) {
    if (copy) *copy = nullptr;
    if (!devmode || !copy) return E_POINTER;
    const SIZE_T size = static_cast<SIZE_T>(devmode->dmSize) + devmode->dmDriverExtra;
    auto* block = static_cast<DEVMODEW*>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!block) return E_OUTOFMEMORY;
    std::memcpy(block, devmode, size);
    *copy = block;
    return S_OK;
}

HRESULT CoProcessor::GetPrinterDevmodeByName(LPCWSTR printerName, DEVMODEW** copy) {
    if (copy) *copy = nullptr;
    if (!printerName) return E_POINTER;
    if (!*printerName) return E_INVALIDARG;
    OpenedPrinter printer(printerName);
    if (!printer.get()) return E_FAIL;
    return GetPrinterDevmode(printer.get(), copy);
}

HRESULT CoProcessor::GetPrinterDevmode(HANDLE printer, DEVMODEW** copy) {
    if (copy) *copy = nullptr;
    if (!IsPrinterHandle(printer)) return E_INVALIDARG;
    BYTE* info = nullptr;
    if (FAILED(GetPrinterInfo(printer, 8, &info))) return E_FAIL;
    const HRESULT copied = CopyDevmode(reinterpret_cast<PRINTER_INFO_8W*>(info)->pDevMode, copy);
    HeapFree(GetProcessHeap(), 0, info);
    return copied;
}

HRESULT CoProcessor::GetPrinterInfoByName(LPCWSTR printerName, DWORD level, BYTE** info) {
    if (info) *info = nullptr;
    if (!printerName) return E_POINTER;
    if (!*printerName) return E_INVALIDARG;
    OpenedPrinter printer(printerName);
    if (!printer.get()) return E_FAIL;
    return GetPrinterInfo(printer.get(), level, info);
}

HRESULT CoProcessor::GetPrinterInfo(HANDLE printer, DWORD level, BYTE** info) {
    if (info) *info = nullptr;
    if (!IsPrinterHandle(printer) || level == 0 || level > 9) return E_INVALIDARG;
    if (!info) return E_POINTER;
    DWORD needed = 0;
    if (GetPrinterW(printer, level, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return E_FAIL;
    auto* block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, needed));
    if (!block) return E_OUTOFMEMORY;
    if (!GetPrinterW(printer, level, block, needed, &needed)) {
        HeapFree(GetProcessHeap(), 0, block);
        return E_FAIL;
    }
    *info = block;
    return S_OK;
}
