// Level-gated debug trace lines written with OutputDebugStringW.
//
// Levels: 1 errors, 2 warnings, 3 help-request lines, 4 information. A line is written only when
// its level is at most the process's trace level, which starts unset (counted as 0) and is never
// raised at run time, so traces stay silent unless a build sets KIT_TRACE_LEVEL.
// Lines follow one pattern: the first argument is the reporting code's "Class::Method" name, the
// format begins "%s: ", ends "\n", and values stand in square brackets, as in
// DebugTrace(1, u"%s: GetPrinterData err=[%d]\n", u"XprStore::LoadByHandle", error).
#pragma once

#include <win/wintypes.h>

// Characters of the trace buffer, the terminating NUL included; longer lines are cut.
#define KIT_TRACE_CHARS 512

// Formats with the platform's wide printf rules into a 512-character buffer (a longer text is
// cut at 511 characters) and writes it when level permits. A format error writes nothing.
void DebugTrace(DWORD level, LPCWSTR format, ...);
