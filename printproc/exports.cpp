// The six exports the spooler calls. The print-processor handle is the job's CoProcessor.
#include <cstring>
#include <new>

#include "coprocessor.h"
#include "datatypes.h"
#include "tovqebpp.h"

namespace {

IProcessor* ProcessorOf(HANDLE handle) {
    if (!handle || handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return static_cast<IProcessor*>(handle);
}

DWORD Refuse(DWORD error) {
    SetLastError(error);
    return error;
}

// PRINTPROCESSOR_CAPS_1 of a datatype for a printer with the given attributes. EMF jobs of a
// printer that prints directly, takes RAW only or is a local connection to a network printer get
// no page-layout features from this processor.
PRINTPROCESSOR_CAPS_1 CapabilitiesOf(DatatypeIndex datatype, DWORD attributes) {
    PRINTPROCESSOR_CAPS_1 caps{};
    caps.dwLevel = 1;
    const bool plainPrinter = (attributes & (PRINTER_ATTRIBUTE_DIRECT | PRINTER_ATTRIBUTE_RAW_ONLY)) != 0 ||
                              ((attributes & PRINTER_ATTRIBUTE_LOCAL) && (attributes & PRINTER_ATTRIBUTE_NETWORK));
    if (IsEmfDatatype(datatype) && plainPrinter) {
        caps.dwNupOptions = 0x1;
        caps.dwPageOrderFlags = NORMAL_PRINT;
        caps.dwNumberOfCopies = 1;
    } else if (IsEmfDatatype(datatype)) {
        caps.dwNupOptions = 0x812B;  // 1, 2, 4, 6, 9 and 16 pages per sheet
        caps.dwPageOrderFlags = REVERSE_PRINT | BOOKLET_PRINT;
        caps.dwNumberOfCopies = 0xFFFFFFFF;
    } else {
        caps.dwNupOptions = 0x1;
        caps.dwPageOrderFlags = NORMAL_PRINT;
        caps.dwNumberOfCopies = 0xFFFFFFFF;
    }
    return caps;
}

}  // namespace

TOVQEBPP_EXPORT HANDLE WINAPI OpenPrintProcessor(LPWSTR pPrinterName, PPRINTPROCESSOROPENDATA pPrintProcessorOpenData) {
    CoProcessor* object = new (std::nothrow) CoProcessor;
    if (!object) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    object->AddRef();
    if (!object->CreatePauseEvent()) {
        object->Release();
        return nullptr;
    }
    IProcessor* opened = nullptr;
    if (FAILED(object->Open(pPrinterName, pPrintProcessorOpenData, &opened))) {
        object->Release();
        return nullptr;
    }
    object->Release();  // the handle keeps the reference Open gave
    return static_cast<HANDLE>(opened);
}

TOVQEBPP_EXPORT BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE hPrintProcessor, LPWSTR pDocumentName) {
    IProcessor* processor = ProcessorOf(hPrintProcessor);
    return processor && SUCCEEDED(processor->PrintDocument(pDocumentName));
}

TOVQEBPP_EXPORT BOOL WINAPI ClosePrintProcessor(HANDLE hPrintProcessor) {
    IProcessor* processor = ProcessorOf(hPrintProcessor);
    return processor && SUCCEEDED(processor->Close());
}

TOVQEBPP_EXPORT BOOL WINAPI ControlPrintProcessor(HANDLE hPrintProcessor, DWORD Command) {
    IProcessor* processor = ProcessorOf(hPrintProcessor);
    return processor && SUCCEEDED(processor->Control(Command));
}

// Always DATATYPES_INFO_1 of this processor, whatever server, processor name or level is asked:
// the array of name links first, then the names one after another in table order.
TOVQEBPP_EXPORT BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR, LPWSTR, DWORD, LPBYTE pDatatypes, DWORD cbBuf, LPDWORD pcbNeeded,
                                         LPDWORD pcReturned) {
    if (!pcbNeeded || !pcReturned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pcbNeeded = 0;
    *pcReturned = 0;
    DWORD needed = 0;
    for (const WCHAR* name : kDatatypeNames) needed += sizeof(DATATYPES_INFO_1W) + (lstrlenW(name) + 1) * sizeof(WCHAR);
    *pcbNeeded = needed;
    // A null buffer asks for the size, whatever size comes with it.
    if (!pDatatypes || cbBuf < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(pDatatypes, 0, cbBuf);
    BYTE* name = pDatatypes + kDatatypeCount * sizeof(DATATYPES_INFO_1W);
    for (int i = 0; i < kDatatypeCount; ++i) {
        const DATATYPES_INFO_1W info{reinterpret_cast<LPWSTR>(name)};
        std::memcpy(pDatatypes + i * sizeof info, &info, sizeof info);
        const size_t bytes = (lstrlenW(kDatatypeNames[i]) + 1) * sizeof(WCHAR);
        std::memcpy(name, kDatatypeNames[i], bytes);
        name += bytes;
    }
    *pcReturned = kDatatypeCount;
    return TRUE;
}

// Every refusal sets the last error and returns it, so a refused call never reads as success.
TOVQEBPP_EXPORT DWORD WINAPI GetPrintProcessorCapabilities(LPWSTR pValueName, DWORD dwAttributes, LPBYTE pData, DWORD nSize,
                                           LPDWORD pcbNeeded) {
    if (!pValueName || !pcbNeeded) return Refuse(ERROR_INVALID_PARAMETER);
    *pcbNeeded = sizeof(PRINTPROCESSOR_CAPS_1);
    if (!pData || nSize < sizeof(PRINTPROCESSOR_CAPS_1)) return Refuse(ERROR_MORE_DATA);
    DatatypeIndex datatype;
    if (!FindDatatype(pValueName, &datatype)) return Refuse(ERROR_INVALID_DATATYPE);
    const PRINTPROCESSOR_CAPS_1 caps = CapabilitiesOf(datatype, dwAttributes);
    std::memcpy(pData, &caps, sizeof caps);
    return ERROR_SUCCESS;
}
