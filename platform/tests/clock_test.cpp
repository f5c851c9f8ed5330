// The machine clock: this computer's by default, or a virtual clock that only Sleep moves.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <stdexcept>

#include <palvex/clock.h>
#include <palvex/machine.h>
#include <win/windows.h>

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms, WORD dayOfWeek = 0) {
    return SYSTEMTIME{year, month, dayOfWeek, day, hour, minute, second, ms};
}

std::string Text(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u (%u) %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

SYSTEMTIME Now() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return now;
}

class ClockTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
};

TEST_F(ClockTest, AVirtualClockStandsStillUntilSleepMovesIt) {
    palvex::SetVirtualClock(Time(2024, 12, 9, 10, 5, 7, 42));
    EXPECT_EQ(Text(Now()), Text(Time(2024, 12, 9, 10, 5, 7, 42, 1)));  // a Monday
    EXPECT_EQ(Text(Now()), Text(Time(2024, 12, 9, 10, 5, 7, 42, 1)));
    DWORD ticks = GetTickCount();
    Sleep(1500);
    EXPECT_EQ(Text(Now()), Text(Time(2024, 12, 9, 10, 5, 8, 542, 1)));
    EXPECT_EQ(GetTickCount() - ticks, 1500u);
    Sleep(0);
    EXPECT_EQ(GetTickCount() - ticks, 1500u);
}

TEST_F(ClockTest, SleepCarriesAcrossDaysAndYears) {
    palvex::SetVirtualClock(Time(2024, 12, 31, 23, 59, 59, 999));
    Sleep(1);
    EXPECT_EQ(Text(Now()), Text(Time(2025, 1, 1, 0, 0, 0, 0, 3)));  // a Wednesday
    palvex::SetVirtualClock(Time(2024, 2, 28, 12, 0, 0, 0));
    Sleep(24 * 3600 * 1000);
    EXPECT_EQ(Text(Now()), Text(Time(2024, 2, 29, 12, 0, 0, 0, 4)));
}

TEST_F(ClockTest, LocalTimeIsTheSameInstantInTheLocalZone) {
    palvex::SetVirtualClock(Time(2024, 6, 1, 12, 30, 15, 250));
    tm utc{};
    utc.tm_year = 124;
    utc.tm_mon = 5;
    utc.tm_mday = 1;
    utc.tm_hour = 12;
    utc.tm_min = 30;
    utc.tm_sec = 15;
    time_t instant = timegm(&utc);
    tm local{};
    localtime_r(&instant, &local);
    SYSTEMTIME got{};
    GetLocalTime(&got);
    EXPECT_EQ(Text(got), Text(Time(static_cast<WORD>(local.tm_year + 1900), static_cast<WORD>(local.tm_mon + 1),
                                   static_cast<WORD>(local.tm_mday), static_cast<WORD>(local.tm_hour),
                                   static_cast<WORD>(local.tm_min), static_cast<WORD>(local.tm_sec), 250,
                                   static_cast<WORD>(local.tm_wday))));
}

TEST_F(ClockTest, OtherProcessesReadTheVirtualClock) {
    palvex::SetVirtualClock(Time(2030, 3, 4, 5, 6, 37, 0));
    pid_t child = fork();
    if (child == 0) {
        Sleep(2000);  // moves the machine's clock, not only the child's
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(Now().wSecond, 39);
}

TEST_F(ClockTest, TheRealClockIsThisComputersClock) {
    palvex::SetVirtualClock(Time(2001, 1, 1, 0, 0, 0, 0));
    palvex::UseRealClock();
    // time() reads glibc's coarse clock, which can lag CLOCK_REALTIME by a tick; read the same clock.
    timespec before{}, after{};
    clock_gettime(CLOCK_REALTIME, &before);
    SYSTEMTIME now = Now();
    clock_gettime(CLOCK_REALTIME, &after);
    tm parts{};
    parts.tm_year = now.wYear - 1900;
    parts.tm_mon = now.wMonth - 1;
    parts.tm_mday = now.wDay;
    parts.tm_hour = now.wHour;
    parts.tm_min = now.wMinute;
    parts.tm_sec = now.wSecond;
    time_t read = timegm(&parts);
    EXPECT_GE(read, before.tv_sec);
    EXPECT_LE(read, after.tv_sec);
}

TEST_F(ClockTest, RefusesTimesThatDoNotExist) {
    const SYSTEMTIME bad[] = {Time(2023, 2, 29, 0, 0, 0, 0), Time(2024, 13, 1, 0, 0, 0, 0), Time(2024, 4, 31, 0, 0, 0, 0),
                              Time(1600, 12, 31, 0, 0, 0, 0), Time(2024, 1, 1, 24, 0, 0, 0), Time(2024, 1, 1, 0, 0, 0, 1000),
                              Time(2024, 1, 0, 0, 0, 0, 0)};
    for (const SYSTEMTIME& t : bad) {
        SCOPED_TRACE(Text(t));
        EXPECT_THROW(palvex::SetVirtualClock(t), std::invalid_argument);
    }
    EXPECT_NO_THROW(palvex::SetVirtualClock(Time(2024, 2, 29, 23, 59, 59, 999)));
}

}  // namespace
