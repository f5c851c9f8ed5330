// The text of the date and time stamp, from the stamp settings and the machine's local time.
#pragma once

#include <win/windows.h>

// Date formats by index: 0 "'%y/%m/%d", 1 "%b %d,%Y", 2 "%m/%d/'%y", 3 "%d %b,%Y", 4 "%d/%m/'%y";
// time formats: 0 " %I:%M %p", 1 " %H:%M". With enabled 1 the text is the date, with 2 the date
// followed by the time. The text is cut to what textBytes holds (one character is two bytes) and
// always ends with a NUL. Another enabled value, a date format above 4 or a time format above 1
// (also when only the date is asked for) give an empty text. E_FAIL when the local time cannot be
// had; E_POINTER without a buffer of at least one character.
HRESULT FormatDateTimeStamp(BYTE enabled, BYTE dateFormat, BYTE timeFormat, LPWSTR text, DWORD textBytes);
