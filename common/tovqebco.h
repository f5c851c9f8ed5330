// tovqebco, the common library of the driver: job identifiers and the printer's trays over SNMP.
// Both exports are plain C functions, exported by name and by ordinal (1 and 2).
#pragma once

#include <palvex/ordinals.h>
#include <win/windows.h>

#define TOVQEBCO_API extern "C" __attribute__((visibility("default")))

// One paper input of the printer. Four of them, in the order tray 1, tray 2, tray 3, manual feed,
// make the tray table (80 bytes) that the printer data "PrinterInputTrayInfos" also stores.
struct TRAYINFO {
    LONG inputType;       // 4 non-removable tray, 3 removable tray, 5 manual feed; 0 not there
    LONG paperSizeIndex;  // 0-8 a standard size, 9 custom (manual feed), -1 no match
    LONG feedSize;        // feed-direction size in micrometres
    LONG crossFeedSize;   // cross-feed size in micrometres
    LONG mediaIndex;      // 0 Plain, 1 Thick 1, 2 Thick 2, 3 Transparency, -1 other
};
static_assert(sizeof(TRAYINFO) == 20 && offsetof(TRAYINFO, paperSizeIndex) == 4 && offsetof(TRAYINFO, feedSize) == 8 &&
              offsetof(TRAYINFO, crossFeedSize) == 12 && offsetof(TRAYINFO, mediaIndex) == 16);

inline constexpr int kTrayCount = 4;

// Ordinal 1. Writes the 25-character job identifier and its NUL (26 bytes, UTF-8) into buffer:
// the first network adapter's address in hexadecimal (or "FFFFFFFFFFFF") and the UTC month, day,
// hour, minute, second and millisecond. *length is the buffer's size in and the bytes written out;
// a NULL buffer asks for the size; a short buffer gives FALSE with *length the size needed.
TOVQEBCO_API BOOL QvCom_AssignJobID(BYTE* buffer, DWORD* length);

// Ordinal 2. Asks the printer at agent over SNMP for its four paper inputs and fills trays (four
// records, always initialised first). community NULL selects the default read community.
// TRUE when all four trays were answered.
TOVQEBCO_API BOOL QvCom_GetTraysInfo(LPCWSTR agent, LPCWSTR community, DWORD languageId, TRAYINFO* trays);

// The exports by ordinal (palvex/ordinals.h): 1 QvCom_AssignJobID, 2 QvCom_GetTraysInfo.
TOVQEBCO_API const PalvexOrdinalEntry PalvexOrdinalTable[];
