// The settings object bound to a printer, as the plug-in's methods make it.
#pragma once

#include <win/windows.h>

#include "codrvsettings.h"

// A CoDrvSettings loaded for the printer (Init) and switched to mode, with one reference for the
// caller. INVALID_HANDLE_VALUE or a failed load: E_FAIL; no memory: E_OUTOFMEMORY.
HRESULT CreateBoundSettings(HANDLE printer, DWORD mode, IDrvSettings** settings);
