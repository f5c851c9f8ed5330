// Printer handles (internal to the platform library): what OpenPrinterW hands out, shared by the
// printer functions and the document and job-data functions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

#include <win/wintypes.h>

#include "kernel/handle_table.h"

namespace palvex {

// What a handle reads of its job and writes of its document. Files are opened per call, so a
// handle holds no file open between calls.
struct SpoolIo {
    std::mutex mutex;
    DWORD jobId = 0;                // a job's handle ("<printer>, Job <n>"), else 0
    std::u16string spoolFile;       // the job's data; empty: the job has none
    uint64_t readOffset = 0;
    bool documentStarted = false;   // between StartDocPrinterW and EndDocPrinter
    DWORD documentId = 0;
    std::filesystem::path output;   // the started document's output file
};

struct PrinterHandle {
    int64_t printerId = 0;
    std::u16string printerName;
    ACCESS_MASK grantedAccess = 0;
    std::u16string datatype;
    SpoolIo io;
    // A port monitor's handle (",XcvMonitor <monitor>"): the monitor's name; printerId is 0.
    std::u16string xcvMonitor;
};

HandleTable<PrinterHandle>& PrinterHandles();

namespace spool {

// The parts of a job's name, "<printer>, Job <n>" (n decimal, at least 1). False for any other name.
bool ParseJobName(const std::u16string& name, std::u16string* printerName, DWORD* jobId);
// Makes the handle of the printer a handle of its job: ERROR_INVALID_PRINTER_NAME when the
// printer has no job of that id.
DWORD AttachJob(PrinterHandle& handle, DWORD jobId);
// The port monitors of the machine: "Standard TCP/IP Port" (spool_ports.cpp).
bool IsKnownMonitor(const std::u16string& monitor);

}  // namespace spool
}  // namespace palvex
