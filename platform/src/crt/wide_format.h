// The wide printf engine behind _vsnwprintf, _vscwprintf and StringCchVPrintfW.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <optional>

#include <win/wintypes.h>

namespace palvex::text {

// Formats into buffer, writing at most capacity characters and no terminator (buffer may be null
// when capacity is 0). Returns the full length of the text, which may exceed capacity, or nothing
// for a bad format. args is consumed as far as the format reads it.
std::optional<size_t> FormatWide(WCHAR* buffer, size_t capacity, const WCHAR* format, va_list args);

}  // namespace palvex::text
