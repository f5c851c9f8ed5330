// Times for tests of code that reads the clock: a SYSTEMTIME from its fields, and the process
// held in a time zone while an object lives.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

#include <win/windows.h>

namespace palvex::testing {

inline SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

// Sets TZ to zone; the zone the process had comes back with the object's end.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* previous = std::getenv("TZ")) m_previous = previous;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (m_previous.empty())
            unsetenv("TZ");
        else
            setenv("TZ", m_previous.c_str(), 1);
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::string m_previous;
};

}  // namespace palvex::testing
