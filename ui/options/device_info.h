// The printer's device record: its four paper inputs as the printer data stores them and as the
// device page shows and edits them, and the address the user typed for it. One record per printer
// handle lives in the process-wide device list (module_state.h), which one critical section guards
// for every lookup and append; a record itself is used without the lock, on the sheet's thread.
//
// A record is keyed by the handle and the printer's name, so that a handle value the spooler
// hands out again for another printer never reaches the first printer's trays or typed address.
#pragma once

#include <type_traits>

#include <win/windows.h>

#include "tovqebco.h"

class QORVAOptItemHandlerFactory;

// Tray order of the table: printer inputs 1, 2, 3 and 5.
inline constexpr int kTray1 = 0;
inline constexpr int kTray2 = 1;
inline constexpr int kTray3 = 2;
inline constexpr int kManualFeed = 3;
inline constexpr DWORD kTrayTableBytes = sizeof(TRAYINFO) * kTrayCount;
static_assert(kTrayTableBytes == 80);

// Input types (the printer MIB's): 0 when the input is not installed.
inline constexpr LONG kInputNone = 0;
inline constexpr LONG kInputOptionalTray = 3;
inline constexpr LONG kInputTray1 = 4;
inline constexpr LONG kInputManualFeed = 5;
// A size the printer did not report.
inline constexpr LONG kSizeNotKnown = -2;

// The paper sizes a tray record names by index (feed x cross in micrometres), their names in the
// plug-in's strings and their paper codes (DMPAPER_*; 0 for the custom size).
struct TraySize {
    LONG m_feed;
    LONG m_cross;
    DWORD m_nameId;
    SHORT m_paperCode;
};
inline constexpr int kTraySizeCount = 10;
inline constexpr LONG kCustomSizeIndex = 9;
inline constexpr TraySize kTraySizes[kTraySizeCount] = {
    {210000, 148500, 1217, 11}, {215900, 139700, 1238, 6}, {257000, 182000, 1220, 13}, {297000, 210000, 1216, 9},
    {279400, 215900, 1226, 1},  {355600, 215900, 1225, 5}, {364000, 257000, 1219, 12}, {420000, 297000, 1215, 8},
    {431800, 279400, 1224, 17}, {0, 0, 1213, 0},
};
// Media types by index: names and the media-type values of the sheet's items.
inline constexpr int kTrayMediaCount = 4;
inline constexpr DWORD kTrayMediaNameIds[kTrayMediaCount] = {1316, 1321, 1322, 1320};
inline constexpr LONG kTrayMediaCodes[kTrayMediaCount] = {513, 518, 519, 517};

// The name string of a paper-size or media-type index; 0 for an index the tables lack (such
// values come only from foreign printer data and are shown as nothing).
DWORD TraySizeNameId(LONG index);
DWORD TrayMediaNameId(LONG index);

// Printer-data value of the stored tray table (REG_BINARY, 80 bytes).
inline constexpr WCHAR kTrayInfosValue[] = u"PrinterInputTrayInfos";

inline constexpr DWORD kDevinfoAddressChars = 64;
inline constexpr DWORD kDevinfoPrinterNameChars = 256;

class QVDevinfoData {
public:
    // Stores the handle and name, the default trays, no typed address. The creator loads the
    // trays from printer data at once (LoadDeviceTraysInfo).
    QVDevinfoData(HANDLE printer, LPCWSTR printerName);

    // The stored table from printer data "PrinterInputTrayInfos" (a shorter value leaves the rest
    // zero; a missing, unreadable or longer one leaves the defaults: tray 1 and the manual feed,
    // A4 where "Market" is missing or 1041, else Letter), copied into the working table. 1 always.
    BOOL LoadDeviceTraysInfo(HANDLE printer);

    // Whether this record is the one of that handle and printer.
    bool BelongsTo(HANDLE printer, LPCWSTR printerName) const;

    HANDLE m_printer;
    WCHAR m_printerName[kDevinfoPrinterNameChars];
    TRAYINFO m_stored[kTrayCount];   // what printer data holds (or the defaults)
    TRAYINFO m_working[kTrayCount];  // what the page shows and edits
    WCHAR m_typedAddress[kDevinfoAddressChars];
    DWORD m_addressChanged;          // 1: the typed address is stored on the next Apply
};
// The library's detach frees records as plain process-heap blocks.
static_assert(std::is_trivially_destructible_v<QVDevinfoData>);

// The record of a printer handle and name, under the list's lock; null when there is none or the
// library is not attached.
QVDevinfoData* FindDevinfoData(HANDLE printer, LPCWSTR printerName);
// The record of the sheet's printer (its handle and name); null without a factory or a record.
QVDevinfoData* FindDevinfoData(QORVAOptItemHandlerFactory* factory);
// Appends an entry at the tail of the list. 1; 0 when the node cannot be had or the library is
// not attached (the record then stays the caller's).
BOOL AddDevinfoData(HANDLE printer, QVDevinfoData* record);
// The record of the sheet's printer, made and appended when the handle has none (a record the
// handle left from another printer is taken over for this one), and loaded from printer data.
// Null when no record can be had.
QVDevinfoData* PrepareDevinfoData(HANDLE printer, LPCWSTR printerName);

// How many of tray 2 and tray 3 are installed in the working table of the printer's record
// (0 without a record).
DWORD CountOptionalTrays(HANDLE printer, LPCWSTR printerName);
DWORD CountOptionalTrays(const QVDevinfoData* record);

// The name of a user form that this driver registered (its "CUSTOMMEDIA" value is 1) whose size
// is size1 x size2 in either orientation, copied into name (at most capacity - 1 characters).
// 0 when capacity is below 32, both sizes are 0, or no form matches.
BOOL FindCustomMediaFormName(HANDLE printer, LPWSTR name, DWORD capacity, LONG size1, LONG size2);
