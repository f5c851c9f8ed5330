// Where the bytes sent to a printer's port land: every port of the machine is a file, so tests and
// tools read what the printer would have received.
//
// - A port named like a path (it holds '\' or '/', such as "C:\out\job.prn") is that file of the
//   machine (HostPath).
// - Any other port ("FILE:", "USB001", "IP_10.0.0.5") is <root>/ports/<NAME>.prn: the name in
//   upper case (port names ignore case), a trailing ':' dropped, and every character but ASCII
//   letters, digits, '.', '-' and '_' replaced by '_'.
// Documents append to their port's file; nothing truncates it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// The file of a port on the current machine; empty for an empty name or a path with no host path.
PALVEX_API std::filesystem::path PortOutputPath(const std::u16string& portName);

// Test hook: the printer's documents (whatever their output) accept `acceptBytes` more bytes, then
// WritePrinter fails with `error` until the hook is cleared (error 0). It holds in this process only.
PALVEX_API void FailPrinterWrites(const std::u16string& printerName, uint64_t acceptBytes, DWORD error);

// Test hook: what a printer's documents did, told on the calling thread after each successful
// StartDocPrinterW, WritePrinter and EndDocPrinter. A test can act between two writes of a print
// processor (pause or cancel its job, say) before the processor goes on. An empty function clears
// it. It holds in this process only.
struct PrinterOutputEvent {
    enum Kind { StartDoc, Write, EndDoc };
    Kind kind = StartDoc;
    std::u16string printerName;
    DWORD bytes = 0;  // Write: the bytes written
};
PALVEX_API void SetPrinterOutputObserver(std::function<void(const PrinterOutputEvent&)> observer);

}  // namespace palvex
