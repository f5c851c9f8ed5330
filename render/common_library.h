// The common library's job identifier, imported by its ordinal when first needed. The library is
// loaded for this module alone, so its exports never stand in for this module's own.
#pragma once

#include <win/windows.h>

// QvCom_AssignJobID (ordinal 1): fills buffer with the job identifier; *length is the buffer's
// size in and the bytes written out. Null when the library or the ordinal cannot be found.
using AssignJobIdFunction = BOOL (*)(BYTE* buffer, DWORD* length);
AssignJobIdFunction ImportAssignJobId();
