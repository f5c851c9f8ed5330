// Path tests of the shell's light-weight utility library.
#pragma once

#include "wintypes.h"

// FILE_ATTRIBUTE_DIRECTORY when the path names an existing folder, else FALSE.
WINBASEAPI BOOL PathIsDirectoryW(LPCWSTR pszPath);
