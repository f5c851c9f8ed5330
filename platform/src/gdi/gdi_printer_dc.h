// Printer device contexts and their logs (internal to the platform library).
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <palvex/recording_dc.h>

#include "gdi/gdi_objects.h"

namespace palvex::gdi {

// A log and the lock of the threads that write and read it.
struct DcLogHolder {
    std::mutex mutex;
    DcLog log;
    bool keepSides = false;  // see KeepPrintedSides
    // Index in log.devModes of a DEVMODE like the given one, adding it when it is new: a context
    // reset with the same DEVMODE side after side keeps one copy of it (call with mutex held).
    size_t KeepDevMode(const std::vector<BYTE>& devMode);
    std::unordered_multimap<size_t, size_t> devModeIndex;  // hash of the bytes -> index
    size_t current = 0;  // index in log.devModes of the DEVMODE the context has now
};

struct PrinterDevice {
    enum class State { Idle, Document, Side };

    std::u16string printerName;
    DWORD jobId = 0;
    std::vector<BYTE> devMode;  // the current one
    PrinterGeometry geometry;
    State state = State::Idle;
    std::shared_ptr<DcLogHolder> log;
};

// A printer device context for the printer with a DEVMODE (whole bytes) for a job (0: none).
HDC CreatePrinterDc(const std::u16string& printerName, std::vector<BYTE> devMode, DWORD jobId);
// The context of a printer device context, or null.
std::shared_ptr<DeviceContext> FindPrinterContext(HDC hdc);
// A copy of dmSize + dmDriverExtra bytes of a DEVMODE; empty when there is none or its dmSize is
// below the public fields' size fields.
std::vector<BYTE> CopyDevMode(const DEVMODEW* devMode);
// GetDeviceCaps of a printer device context.
int PrinterDeviceCaps(const PrinterDevice& device, int index);
// Records a page played onto the side open on the context, with its world transform; false when
// no side is open.
bool RecordPlayedPage(const std::shared_ptr<DeviceContext>& context, PlayedPage page);

// The log registry (gdi_record.cpp): remembers the log of each new printer device context.
void RegisterLog(const std::shared_ptr<DcLogHolder>& log, DWORD jobId);
// Whether new logs keep their sides (KeepPrintedSides).
bool KeepingPrintedSides();

}  // namespace palvex::gdi
