// _time64, _localtime64_s and the UTF-16 wcsftime of the C runtime stand-in.
#include <cerrno>
#include <string>

#include <win/crttime.h>
#include <win/sysinfoapi.h>

#include "crt/civil_time.h"

namespace {

// The latest time the C runtime's 64-bit functions take: 3000-12-31 23:59:59 UTC.
constexpr __time64_t kLatestTime = 32535215999;

constexpr const char16_t* kDayShort[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
constexpr const char16_t* kDayLong[] = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday",
                                        u"Saturday"};
constexpr const char16_t* kMonthShort[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                           u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr const char16_t* kMonthLong[] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                          u"July",    u"August",   u"September", u"October", u"November", u"December"};

void AppendNumber(std::u16string& out, long value, int digits) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value > 0);
    while (static_cast<int>(text.size()) < digits) text.insert(text.begin(), u'0');
    out += text;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

// Appends one conversion; false for a conversion not known or a field out of range.
bool AppendConversion(std::u16string& out, char16_t conversion, const tm& t) {
    switch (conversion) {
    case u'a':
    case u'A':
        if (!InRange(t.tm_wday, 0, 6)) return false;
        out += conversion == u'a' ? kDayShort[t.tm_wday] : kDayLong[t.tm_wday];
        return true;
    case u'b':
    case u'B':
        if (!InRange(t.tm_mon, 0, 11)) return false;
        out += conversion == u'b' ? kMonthShort[t.tm_mon] : kMonthLong[t.tm_mon];
        return true;
    case u'd':
        if (!InRange(t.tm_mday, 1, 31)) return false;
        AppendNumber(out, t.tm_mday, 2);
        return true;
    case u'H':
        if (!InRange(t.tm_hour, 0, 23)) return false;
        AppendNumber(out, t.tm_hour, 2);
        return true;
    case u'I':
        if (!InRange(t.tm_hour, 0, 23)) return false;
        AppendNumber(out, t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, 2);
        return true;
    case u'j':
        if (!InRange(t.tm_yday, 0, 365)) return false;
        AppendNumber(out, t.tm_yday + 1, 3);
        return true;
    case u'm':
        if (!InRange(t.tm_mon, 0, 11)) return false;
        AppendNumber(out, t.tm_mon + 1, 2);
        return true;
    case u'M':
        if (!InRange(t.tm_min, 0, 59)) return false;
        AppendNumber(out, t.tm_min, 2);
        return true;
    case u'S':
        if (!InRange(t.tm_sec, 0, 60)) return false;
        AppendNumber(out, t.tm_sec, 2);
        return true;
    case u'w':
        if (!InRange(t.tm_wday, 0, 6)) return false;
        AppendNumber(out, t.tm_wday, 1);
        return true;
    case u'y':
        if (!InRange(t.tm_year, -1900, 8099)) return false;
        AppendNumber(out, (t.tm_year + 1900) % 100, 2);
        return true;
    case u'Y':
        if (!InRange(t.tm_year, -1900, 8099)) return false;
        AppendNumber(out, t.tm_year + 1900, 1);
        return true;
    case u'p':
        if (!InRange(t.tm_hour, 0, 23)) return false;
        out += t.tm_hour < 12 ? u"AM" : u"PM";
        return true;
    case u'%':
        out += u'%';
        return true;
    default:
        return false;
    }
}

}  // namespace

WINBASEAPI __time64_t _time64(__time64_t* timer) {
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    const __time64_t seconds = palvex::UnixSecondsOf(utc);
    if (timer) *timer = seconds;
    return seconds;
}

WINBASEAPI errno_t _localtime64_s(struct tm* tmDest, const __time64_t* sourceTime) {
    if (!tmDest) return EINVAL;
    const auto refuse = [tmDest] {
        tmDest->tm_sec = tmDest->tm_min = tmDest->tm_hour = tmDest->tm_mday = tmDest->tm_mon = tmDest->tm_year = -1;
        tmDest->tm_wday = tmDest->tm_yday = tmDest->tm_isdst = -1;
        return EINVAL;
    };
    if (!sourceTime || *sourceTime < 0 || *sourceTime > kLatestTime) return refuse();
    const time_t seconds = static_cast<time_t>(*sourceTime);
    tm local{};
    if (!localtime_r(&seconds, &local)) return refuse();
    *tmDest = local;
    return 0;
}

size_t wcsftime(WCHAR* strDest, size_t maxsize, const WCHAR* format, const struct tm* timeptr) {
    if (!strDest || maxsize == 0) return 0;
    *strDest = 0;
    if (!format || !timeptr) return 0;
    std::u16string text;
    try {
        for (const WCHAR* p = format; *p; ++p) {
            if (*p != u'%') {
                text += *p;
                continue;
            }
            if (!p[1] || !AppendConversion(text, p[1], *timeptr)) return 0;
            ++p;
        }
    } catch (...) {
        return 0;
    }
    if (text.size() + 1 > maxsize) return 0;
    text.copy(strDest, text.size());
    strDest[text.size()] = 0;
    return text.size();
}
