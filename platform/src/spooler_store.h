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

}  // namespace palvex::spool
