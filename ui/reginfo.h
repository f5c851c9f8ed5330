// The description's REGINFO entries, written into the printer's data when a printer is made.
#pragma once

#include <win/windows.h>

#include "xpr.h"

// Loads the REGINFO block by printer name (an empty name or a failed load: E_NOTIMPL) and writes
// its entries (WriteRegInfoEntries). A printer that cannot be opened for all access is left
// alone: S_OK.
HRESULT WriteRegInfo(LPCWSTR printerName);
// Writes each REGENTRY of the block's first REGINFO row that names a value: VALUESTR as REG_SZ
// (with its NUL) when it has one, else VALUENUM as REG_DWORD. Every entry is tried; E_FAIL when
// any write failed, else S_OK.
HRESULT WriteRegInfoEntries(XprStore* store, HANDLE printer);
