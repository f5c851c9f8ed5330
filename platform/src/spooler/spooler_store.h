// The spooler's state in the machine database (internal to the platform library).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <win/wintypes.h>

namespace palvex::spool {

// The environment of the drivers this machine runs.
inline constexpr char16_t kNativeEnvironment[] = u"Windows x64";
// The printer-data key that GetPrinterDataW and SetPrinterDataW work on.
inline constexpr char16_t kPrinterDriverDataKey[] = u"PrinterDriverData";

// The machine folder of an environment's (null or empty: the native one) "drivers" or
// "prtprocs", or empty for an environment the machine does not know.
std::u16string SpoolFolder(LPCWSTR environment, const std::u16string& kind);

struct PrinterRow {
    int64_t id = 0;
    std::u16string name;
    DWORD deniedAccess = 0;
};

// The printer of that name (without regard to case).
std::optional<PrinterRow> FindPrinter(const std::u16string& name);

struct PrinterDataValue {
    DWORD type = 0;
    std::vector<uint8_t> data;
};

std::optional<PrinterDataValue> ReadPrinterData(int64_t printerId, const std::u16string& key,
                                                const std::u16string& valueName);
// Creates or replaces a value; a replaced value keeps the spelling of its name.
// False when the printer no longer exists.
bool WritePrinterData(int64_t printerId, const std::u16string& key, const std::u16string& valueName, DWORD type,
                      const void* data, size_t size);

// What GetPrinterW and GetPrinterDriverW tell of a printer and its driver.
struct PrinterDetails {
    std::u16string name;
    std::u16string driverName;
    std::u16string portName;
    std::u16string printProcessor;
    int64_t driverId = 0;
};
std::optional<PrinterDetails> ReadPrinterDetails(int64_t printerId);

struct DriverRow {
    DWORD version = 3;
    std::u16string name;
    std::u16string environment;
    std::u16string driverPath;
    std::u16string dataFile;
    std::u16string configFile;
    std::u16string helpFile;
    std::vector<std::u16string> dependentFiles;
    std::u16string monitorName;
    std::u16string defaultDataType;
};
std::optional<DriverRow> ReadDriver(int64_t driverId);
// The newest version of the driver of that name in that environment (both without regard to case).
std::optional<DriverRow> ReadDriver(const std::u16string& name, const std::u16string& environment);

}  // namespace palvex::spool

namespace palvex {
// A driver file's machine path as the spooler reports it: a name without a folder lies in the
// driver's version folder.
std::u16string DriverFilePath(const std::u16string& environment, DWORD version, const std::u16string& file);
}  // namespace palvex
