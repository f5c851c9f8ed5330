// The device record as the preparation sees it: the printer's record in the process-wide device
// list, by the sheet's printer handle and name.
#include <algorithm>
#include <cstring>

#include "options/device_info.h"
#include "options/item_preparation.h"

BOOL PrepareDeviceRecord(HANDLE printer, LPCWSTR printerName) {
    return PrepareDevinfoData(printer, printerName) ? TRUE : FALSE;
}

BOOL ReadDeviceTrays(HANDLE printer, LPCWSTR printerName, TRAYINFO* trays) {
    const QVDevinfoData* record = trays ? FindDevinfoData(printer, printerName) : nullptr;
    if (!record) return FALSE;
    std::memcpy(trays, record->m_working, sizeof record->m_working);
    return TRUE;
}

BOOL ReadTypedDeviceAddress(HANDLE printer, LPCWSTR printerName, LPWSTR address, DWORD characters) {
    const QVDevinfoData* record = address ? FindDevinfoData(printer, printerName) : nullptr;
    if (!record || record->m_addressChanged != 1) return FALSE;
    const WCHAR* typed = record->m_typedAddress;
    const size_t length = std::find(typed, typed + kDevinfoAddressChars, u'\0') - typed;
    const size_t copied = std::min<size_t>(length, characters);
    std::copy_n(typed, copied, address);
    address[copied] = u'\0';
    return TRUE;
}
