// The driver's data file follows the custom sizes: its custom-size section is rewritten from the
// list of the custom-size popup, by the file's kind (a GPD or a PPD; other files are left alone).
#pragma once

#include <win/compstui.h>
#include <win/windows.h>

// Rewrites the data file of the printer's driver from the list's CustomMediaRecord entries.
// S_OK when written, S_FALSE when the file is of another kind or has no custom-size section,
// E_FAIL when it could not be read or written.
HRESULT RewriteCustomMediaFile(HANDLE printer, const OPTTYPE* list);
