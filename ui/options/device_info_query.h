// The common library's tray query, imported by its ordinal when first needed. The library is
// loaded for this module alone and stays loaded for the process, as an imported module does.
#pragma once

#include <win/windows.h>

#include "tovqebco.h"

// QvCom_GetTraysInfo (ordinal 2); null when the library or the ordinal cannot be found.
using GetTraysInfoFunction = BOOL (*)(LPCWSTR agent, LPCWSTR community, DWORD languageId, TRAYINFO* trays);
GetTraysInfoFunction ImportGetTraysInfo();
