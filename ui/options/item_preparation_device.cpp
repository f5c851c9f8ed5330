// The device record as the preparation sees it. Until the process-wide device list holds the
// records, the trays come straight from printer data, by the same rule the record loads them
// with, and no address has been typed.
#include <cstring>

#include <win/winspool.h>

#include "options/item_preparation.h"

namespace {

constexpr LANGID kJapanese = 1041;
constexpr LONG kPaperA4 = 3;
constexpr LONG kPaperLetter = 4;

void LoadStoredTrays(HANDLE printer, TRAYINFO* trays) {
    DWORD market = 0;
    DWORD type = 0;
    DWORD needed = 0;
    const bool japanese = GetPrinterDataW(printer, const_cast<LPWSTR>(u"Market"), &type,
                                          reinterpret_cast<LPBYTE>(&market), sizeof market, &needed) != ERROR_SUCCESS ||
                          LOWORD(market) == kJapanese;
    const LONG inputTypes[kTrayCount] = {4, 0, 0, 5};
    for (int i = 0; i < kTrayCount; ++i)
        trays[i] = TRAYINFO{inputTypes[i], japanese ? kPaperA4 : kPaperLetter, 0, 0, 0};
    BYTE stored[sizeof(TRAYINFO) * kTrayCount] = {};
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(u"PrinterInputTrayInfos"), &type, stored, sizeof stored, &needed) ==
        ERROR_SUCCESS)
        std::memcpy(trays, stored, sizeof stored);
}

}  // namespace

BOOL PrepareDeviceRecord(HANDLE) {
    return TRUE;
}

BOOL ReadDeviceTrays(HANDLE printer, TRAYINFO* trays) {
    if (!trays) return FALSE;
    LoadStoredTrays(printer, trays);
    return TRUE;
}

BOOL ReadTypedDeviceAddress(HANDLE, LPWSTR, DWORD) {
    return FALSE;
}
