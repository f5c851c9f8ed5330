// The description's REGINFO entries, written into the printer's data when a printer is made.
#pragma once

#include <win/windows.h>

// Loads the REGINFO block by printer name (an empty name or a failed load: E_NOTIMPL) and writes
// each REGENTRY of its first row that names a value: VALUESTR as REG_SZ (with its NUL) when it has
// one, else VALUENUM as REG_DWORD. A printer that cannot be opened, or a single write that fails,
// is not reported: S_OK.
HRESULT WriteRegInfo(LPCWSTR printerName);
