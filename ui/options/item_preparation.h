// What the item preparation, the defaults and the address edit need of the printer's device
// record in the process-wide device list: its four trays and the address typed for it.
#pragma once

#include <win/windows.h>

#include "tovqebco.h"

// Characters of the address typed for a printer.
inline constexpr DWORD kTypedAddressChars = 64;

// Finds the record of the printer handle and name in the device list, adding one when there is none, and loads
// its trays from printer data again. FALSE when no record can be made.
BOOL PrepareDeviceRecord(HANDLE printer, LPCWSTR printerName);
// The record's working tray table (four records); FALSE when the printer has no record.
BOOL ReadDeviceTrays(HANDLE printer, LPCWSTR printerName, TRAYINFO* trays);
// The address typed for the printer when it is to be stored on the next Apply; FALSE otherwise.
// address holds characters + 1 characters.
BOOL ReadTypedDeviceAddress(HANDLE printer, LPCWSTR printerName, LPWSTR address, DWORD characters);

// The size of the printer's form of that name (thousandths of a millimetre); 0 by 0 when it cannot be read.
SIZEL FormSize(HANDLE printer, LPCWSTR name);
