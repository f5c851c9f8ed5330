// The C runtime's time functions as the modules call them on Windows, over the machine clock
// (palvex/clock.h). Modules call these rather than the host's time(), which would bypass it.
#pragma once

#include <ctime>

#include "wintypes.h"

typedef int64_t __time64_t;
typedef int errno_t;

// Seconds since 1970-01-01 00:00:00 UTC on the machine clock, also stored in *timer when given.
WINBASEAPI __time64_t _time64(__time64_t* timer);

// The local time of *sourceTime in the computer's time zone (the zone GetLocalTime uses), with
// tm_isdst set. 0 on success; EINVAL for a null argument or a time before 1970 or after
// 3000-12-31 23:59:59 UTC, and every field of a given *tmDest is then -1.
WINBASEAPI errno_t _localtime64_s(struct tm* tmDest, const __time64_t* sourceTime);

// Formats a time as the C runtime's wcsftime does in its "C" locale (English names, AM and PM).
// Conversions: %a %A %b %B (day and month names), %d %H %I %j %m %M %S %w %y %Y (numbers, %d %H %I
// %m %M %S %y two digits, %j three, %Y as a plain number), %p and %%. Returns the characters
// written without the terminator; 0 when the text and its NUL do not fit in maxsize characters,
// and 0 (with *strDest emptied when maxsize allows) for a null argument, a conversion not listed or
// a field out of range. The host's wchar_t function of the same name stays as it is: this one
// takes the platform's UTF-16 WCHAR.
__attribute__((visibility("default"))) size_t wcsftime(WCHAR* strDest, size_t maxsize, const WCHAR* format,
                                                      const struct tm* timeptr);
