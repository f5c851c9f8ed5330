// The C runtime's wide printf entry points over the platform's formatter.
#include <climits>

#include <win/winbase.h>

#include "crt/wide_format.h"

int _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
    const auto length = palvex::text::FormatWide(buffer, count, format, args);
    if (!length) {
        if (buffer && count > 0) buffer[0] = 0;
        return -1;
    }
    if (*length > count || *length > static_cast<size_t>(INT_MAX)) return -1;  // cut at count, unterminated
    if (*length < count) buffer[*length] = 0;  // an exact fit is left unterminated, as the runtime does
    return static_cast<int>(*length);
}

int _snwprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return result;
}

int _vscwprintf(const WCHAR* format, va_list args) {
    const auto length = palvex::text::FormatWide(nullptr, 0, format, args);
    if (!length || *length > static_cast<size_t>(INT_MAX)) return -1;
    return static_cast<int>(*length);
}
