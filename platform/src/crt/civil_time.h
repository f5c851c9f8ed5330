// Seconds since 1970-01-01 of a calendar time, for the clock's SYSTEMTIME readings.
#pragma once

#include <cstdint>

#include <win/sysinfoapi.h>

namespace palvex {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
inline int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

// Whole seconds since 1970-01-01 00:00 of a SYSTEMTIME (its milliseconds left out).
inline int64_t UnixSecondsOf(const SYSTEMTIME& time) {
    return DaysFromCivil(time.wYear, time.wMonth, time.wDay) * 86400 + time.wHour * 3600 + time.wMinute * 60 +
           time.wSecond;
}

}  // namespace palvex
