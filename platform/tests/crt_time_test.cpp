// The C runtime's time functions over the machine clock.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include <palvex/clock.h>
#include <palvex/machine.h>
#include <win/crttime.h>
#include <win/windows.h>

#include "system_times.h"

namespace {

using palvex::testing::Utc;

class CrtTimeTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
    palvex::testing::TimeZone m_zone{"JST-9"};
};

TEST_F(CrtTimeTest, TimeComesFromTheMachineClock) {
    palvex::SetVirtualClock(Utc(2024, 3, 5, 23, 4, 9));
    __time64_t stored = 0;
    EXPECT_EQ(_time64(&stored), 1709679849);
    EXPECT_EQ(stored, 1709679849);
    EXPECT_EQ(_time64(nullptr), 1709679849);
    Sleep(61000);  // a virtual clock moves only when the machine sleeps
    EXPECT_EQ(_time64(nullptr), 1709679910);
}

TEST_F(CrtTimeTest, LocalTimeInTheComputersZone) {
    const __time64_t time = 1709679849;
    tm local{};
    ASSERT_EQ(_localtime64_s(&local, &time), 0);
    EXPECT_EQ(local.tm_year, 124);
    EXPECT_EQ(local.tm_mon, 2);
    EXPECT_EQ(local.tm_mday, 6);
    EXPECT_EQ(local.tm_hour, 8);
    EXPECT_EQ(local.tm_min, 4);
    EXPECT_EQ(local.tm_sec, 9);
    EXPECT_EQ(local.tm_wday, 3);
    EXPECT_EQ(local.tm_yday, 65);
    EXPECT_EQ(local.tm_isdst, 0);
}

TEST_F(CrtTimeTest, LocalTimeRefusesTimesOutsideItsRange) {
    for (__time64_t time : {static_cast<__time64_t>(-1), static_cast<__time64_t>(32535216000)}) {
        tm local{};
        EXPECT_EQ(_localtime64_s(&local, &time), EINVAL);
        EXPECT_EQ(local.tm_year, -1);
        EXPECT_EQ(local.tm_mday, -1);
    }
    const __time64_t last = 32535215999;
    tm local{};
    EXPECT_EQ(_localtime64_s(&local, &last), 0);
    EXPECT_EQ(local.tm_year, 1101);  // 3001-01-01 08:59:59 in Japan
    EXPECT_EQ(_localtime64_s(nullptr, &last), EINVAL);
    EXPECT_EQ(_localtime64_s(&local, nullptr), EINVAL);
}

tm Wednesday() {
    tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 6;
    t.tm_hour = 8;
    t.tm_min = 4;
    t.tm_sec = 9;
    t.tm_wday = 3;
    t.tm_yday = 65;
    return t;
}

std::u16string Format(const char16_t* format, const tm& t, size_t size = 64) {
    WCHAR buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), u'?');
    const size_t written = wcsftime(buffer, size, format, &t);
    const std::u16string text = size ? buffer : u"";
    EXPECT_EQ(written, text.size());
    return text;
}

TEST(WideTimeFormat, ConversionsOfTheCLocale) {
    const tm t = Wednesday();
    const struct {
        const char16_t* format;
        const char16_t* text;
    } cases[] = {
        {u"%a %A", u"Wed Wednesday"},  {u"%b %B", u"Mar March"},   {u"%d", u"06"},   {u"%H:%M:%S", u"08:04:09"},
        {u"%I %p", u"08 AM"},          {u"%j", u"066"},            {u"%m", u"03"},   {u"%w", u"3"},
        {u"%y %Y", u"24 2024"},        {u"100%%", u"100%"},        {u"'%y/%m/%d", u"'24/03/06"},
        {u"%b %d,%Y %I:%M %p", u"Mar 06,2024 08:04 AM"},          {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.format, t), c.text);
    tm afternoon = t;
    afternoon.tm_hour = 12;
    EXPECT_EQ(Format(u"%I %p", afternoon), u"12 PM");
    afternoon.tm_hour = 23;
    EXPECT_EQ(Format(u"%I %p %H", afternoon), u"11 PM 23");
    afternoon.tm_hour = 0;
    EXPECT_EQ(Format(u"%I %p", afternoon), u"12 AM");
    tm early = t;
    early.tm_year = -1895;  // year 5
    EXPECT_EQ(Format(u"%Y %y", early), u"5 05");
}

TEST(WideTimeFormat, RefusesWhatItCannotWriteWhole) {
    const tm t = Wednesday();
    EXPECT_EQ(Format(u"%Y", t, 5), u"2024");
    EXPECT_EQ(Format(u"%Y", t, 4), u"");  // no room for the NUL
    EXPECT_EQ(Format(u"%c", t), u"");     // not a conversion of this runtime
    EXPECT_EQ(Format(u"%#d", t), u"");
    EXPECT_EQ(Format(u"abc%", t), u"");
    tm bad = t;
    bad.tm_mon = 12;
    EXPECT_EQ(Format(u"%b", bad), u"");
    EXPECT_EQ(Format(u"%d", bad), u"06");  // only the fields a conversion uses count
    bad = t;
    bad.tm_hour = 24;
    EXPECT_EQ(Format(u"%p", bad), u"");
    WCHAR buffer[4] = {u'x'};
    EXPECT_EQ(wcsftime(buffer, 4, nullptr, &t), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(wcsftime(buffer, 4, u"%d", nullptr), 0u);
    EXPECT_EQ(wcsftime(nullptr, 4, u"%d", &t), 0u);
}

}  // namespace
