// The machine clock behind GetSystemTime, GetLocalTime, GetTickCount and Sleep.
//
// A virtual clock is one row of the machine database: its UTC time and its tick count, both in
// milliseconds. No row means this computer's clock.
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <optional>
#include <stdexcept>

#include <palvex/clock.h>
#include <win/synchapi.h>
#include <win/sysinfoapi.h>

#include "machine/machine_db.h"

namespace palvex {

namespace {

db::SchemaPart g_schema(
    "CREATE TABLE IF NOT EXISTS machine_clock("
    "  id INTEGER PRIMARY KEY CHECK (id = 1), utc_ms INTEGER NOT NULL, tick_ms INTEGER NOT NULL);");

struct VirtualTime {
    int64_t utcMs;
    int64_t tickMs;
};

// The virtual clock, or nothing when the machine runs on this computer's clock (or its database
// cannot be read, when this computer's clock is the best answer there is).
std::optional<VirtualTime> ReadVirtualClock() {
    try {
        db::Statement row("SELECT utc_ms, tick_ms FROM machine_clock WHERE id = 1");
        if (row.Step()) return VirtualTime{row.Int(0), row.Int(1)};
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

int64_t HostUtcMs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int64_t HostTickMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int64_t MachineUtcMs() {
    auto clock = ReadVirtualClock();
    return clock ? clock->utcMs : HostUtcMs();
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

SYSTEMTIME ToSystemTime(int64_t ms, bool local) {
    time_t seconds = static_cast<time_t>(FloorDiv(ms, 1000));
    tm parts{};
    if (local)
        localtime_r(&seconds, &parts);
    else
        gmtime_r(&seconds, &parts);
    SYSTEMTIME result{};
    result.wYear = static_cast<WORD>(parts.tm_year + 1900);
    result.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    result.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    result.wDay = static_cast<WORD>(parts.tm_mday);
    result.wHour = static_cast<WORD>(parts.tm_hour);
    result.wMinute = static_cast<WORD>(parts.tm_min);
    result.wSecond = static_cast<WORD>(parts.tm_sec);
    result.wMilliseconds = static_cast<WORD>(ms - FloorDiv(ms, 1000) * 1000);
    return result;
}

void SleepOnHost(DWORD ms) {
    while (ms == INFINITE) {
        timespec day{86400, 0};
        nanosleep(&day, nullptr);
    }
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec rest{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

}  // namespace

bool MachineClockIsVirtual() { return ReadVirtualClock().has_value(); }

void SetVirtualClock(const SYSTEMTIME& utc) {
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (utc.wYear % 4 == 0 && utc.wYear % 100 != 0) || utc.wYear % 400 == 0;
    if (utc.wYear < 1601 || utc.wYear > 30827 || utc.wMonth < 1 || utc.wMonth > 12 || utc.wDay < 1 ||
        utc.wDay > kDaysInMonth[utc.wMonth - 1] + ((utc.wMonth == 2 && leap) ? 1 : 0) || utc.wHour > 23 ||
        utc.wMinute > 59 || utc.wSecond > 59 || utc.wMilliseconds > 999)
        throw std::invalid_argument("SetVirtualClock: not a valid UTC time");
    tm parts{};
    parts.tm_year = utc.wYear - 1900;
    parts.tm_mon = utc.wMonth - 1;
    parts.tm_mday = utc.wDay;
    parts.tm_hour = utc.wHour;
    parts.tm_min = utc.wMinute;
    parts.tm_sec = utc.wSecond;
    int64_t utcMs = static_cast<int64_t>(timegm(&parts)) * 1000 + utc.wMilliseconds;
    auto current = ReadVirtualClock();
    int64_t tickMs = current ? current->tickMs : HostTickMs();
    db::Statement("INSERT OR REPLACE INTO machine_clock(id, utc_ms, tick_ms) VALUES (1, ?, ?)")
        .Bind(1, utcMs)
        .Bind(2, tickMs)
        .Run();
}

void UseRealClock() { db::Statement("DELETE FROM machine_clock").Run(); }

}  // namespace palvex

WINBASEAPI void GetSystemTime(SYSTEMTIME* lpSystemTime) {
    if (lpSystemTime) *lpSystemTime = palvex::ToSystemTime(palvex::MachineUtcMs(), false);
}

WINBASEAPI void GetLocalTime(SYSTEMTIME* lpSystemTime) {
    if (lpSystemTime) *lpSystemTime = palvex::ToSystemTime(palvex::MachineUtcMs(), true);
}

WINBASEAPI DWORD GetTickCount(void) {
    auto clock = palvex::ReadVirtualClock();
    return static_cast<DWORD>(clock ? clock->tickMs : palvex::HostTickMs());
}

WINBASEAPI void Sleep(DWORD dwMilliseconds) {
    bool advanced = false;
    if (dwMilliseconds != INFINITE) {
        try {
            palvex::db::Transaction([&] {
                if (!palvex::ReadVirtualClock()) return;
                palvex::db::Statement("UPDATE machine_clock SET utc_ms = utc_ms + ?, tick_ms = tick_ms + ? WHERE id = 1")
                    .Bind(1, static_cast<int64_t>(dwMilliseconds))
                    .Bind(2, static_cast<int64_t>(dwMilliseconds))
                    .Run();
                advanced = true;
            });
        } catch (const std::exception&) {
        }
    }
    if (advanced)
        sched_yield();
    else
        palvex::SleepOnHost(dwMilliseconds);
}
