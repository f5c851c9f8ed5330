// The settings and resources objects the plug-in makes for a printer.
#pragma once

#include <win/windows.h>

#include "codrvsettings.h"
#include "coresources.h"

// A settings object loaded for the printer, with one reference. A handle of -1 or a failed load
// gives E_FAIL; no memory E_OUTOFMEMORY.
HRESULT CreateDrvSettings(HANDLE printer, IDrvSettings** settings);
// A resources object for the printer, with one reference: a null or -1 handle E_INVALIDARG, no
// memory E_OUTOFMEMORY, a failed load E_FAIL.
HRESULT CreateResourcesByHandle(HANDLE printer, IDrvResources** resources);
