// Numbers written as decimal text in the item texts and stored sets (which come from printer data).
#pragma once

#include <limits>

#include <win/windows.h>

// A decimal number with an optional sign at the start of text; FALSE when none stands there or
// it does not fit a LONG_PTR (a stored text is never read as a wrapped-around number).
inline bool ReadSignedDecimal(LPCWSTR text, LONG_PTR* number) {
    if (!text) return false;
    bool negative = false;
    if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
    if (*text < u'0' || *text > u'9') return false;
    constexpr LONG_PTR kLimit = std::numeric_limits<LONG_PTR>::max();
    LONG_PTR value = 0;
    while (*text >= u'0' && *text <= u'9') {
        const int digit = *text++ - u'0';
        if (value > (kLimit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    *number = negative ? -value : value;
    return true;
}
