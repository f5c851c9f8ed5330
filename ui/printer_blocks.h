// Settings blocks of a printer read by name for one call (the printer-initialise work).
#pragma once

#include <win/windows.h>

#include "drvstore.h"
#include "xpr.h"

// The block of that name loaded from the printer's data, or null when it cannot be loaded.
OwnedStore LoadBlockByName(LPCWSTR printerName, LPCWSTR blockName);
