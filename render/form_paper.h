// Form assignment: the printer's paper that stands for an assigned form, and the devmode fix-ups
// that keep a job on an assigned form.
#pragma once

#include <win/windows.h>

// The printer's paper code for the form of a paper code (from the forms the driver knows by
// name), or 0 when the printer lists no paper of that name or its papers cannot be read.
WORD FindFormPaper(HANDLE printer, DWORD paperCode);
