// The date and time stamp text in the machine's local time, with the clock held still.
#include <gtest/gtest.h>

#include <palvex/clock.h>

#include "date_stamp.h"
#include "settings_reader.h"
#include "system_times.h"

namespace pptest {
namespace {

using palvex::testing::TimeZone;
using palvex::testing::Utc;

class DateStamp : public SettingsTest {
protected:
    std::u16string Stamp(BYTE enabled, BYTE dateFormat, BYTE timeFormat, DWORD textBytes = 128) {
        Devmode devmode;
        devmode.SetByte(at::kDateEnabled, enabled);
        devmode.SetByte(at::kDateFormat, dateFormat);
        devmode.SetByte(at::kTimeFormat, timeFormat);
        char16_t text[64];
        std::fill(std::begin(text), std::end(text), u'?');
        EXPECT_EQ(m_settings->GetDateTime(devmode.get(), nullptr, nullptr, text, textBytes, nullptr), S_OK);
        return text;
    }
    TimeZone m_zone{"JST-9"};
};

struct StampCase {
    BYTE enabled, dateFormat, timeFormat;
    const char16_t* text;
};

TEST_F(DateStamp, FormatsTheLocalTimeByFormatIndex) {
    // 2024-03-05 23:04:09 UTC is Wednesday 2024-03-06 08:04:09 in Japan.
    palvex::SetVirtualClock(Utc(2024, 3, 5, 23, 4, 9));
    const StampCase cases[] = {
        {1, 0, 0, u"'24/03/06"},          {1, 1, 0, u"Mar 06,2024"},        {1, 2, 0, u"03/06/'24"},
        {1, 3, 0, u"06 Mar,2024"},        {1, 4, 0, u"06/03/'24"},          {1, 4, 1, u"06/03/'24"},
        {2, 0, 0, u"'24/03/06 08:04 AM"}, {2, 1, 1, u"Mar 06,2024 08:04"},  {2, 3, 0, u"06 Mar,2024 08:04 AM"},
        {0, 0, 0, u""},                   {3, 0, 0, u""},                   {1, 5, 0, u""},
        {2, 5, 1, u""},                   {1, 0, 2, u""},                   {2, 0, 255, u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stamp(c.enabled, c.dateFormat, c.timeFormat), c.text)
            << int(c.enabled) << "/" << int(c.dateFormat) << "/" << int(c.timeFormat);
}

TEST_F(DateStamp, TwelveHourClockAroundNoonAndMidnight) {
    const struct {
        SYSTEMTIME utc;
        const char16_t* twelve;
        const char16_t* twentyFour;
    } cases[] = {
        {Utc(2023, 12, 31, 15, 0, 0), u"'24/01/01 12:00 AM", u"'24/01/01 00:00"},
        {Utc(2024, 1, 1, 3, 59, 59), u"'24/01/01 12:59 PM", u"'24/01/01 12:59"},
        {Utc(2024, 7, 19, 5, 30, 0), u"'24/07/19 02:30 PM", u"'24/07/19 14:30"},
        {Utc(2024, 2, 28, 15, 1, 0), u"'24/02/29 12:01 AM", u"'24/02/29 00:01"},
    };
    for (const auto& c : cases) {
        palvex::SetVirtualClock(c.utc);
        EXPECT_EQ(Stamp(2, 0, 0), c.twelve);
        EXPECT_EQ(Stamp(2, 0, 1), c.twentyFour);
    }
}

TEST_F(DateStamp, CutsTheTextToTheBuffer) {
    palvex::SetVirtualClock(Utc(2024, 11, 9, 1, 2, 3));
    EXPECT_EQ(Stamp(2, 1, 0), u"Nov 09,2024 10:02 AM");
    EXPECT_EQ(Stamp(2, 1, 0, 12), u"Nov 0");  // 6 characters: 5 and the NUL
    EXPECT_EQ(Stamp(2, 1, 0, 13), u"Nov 0");  // an odd byte does not count
    EXPECT_EQ(Stamp(2, 1, 0, 2), u"");
}

TEST_F(DateStamp, OtherOutputsAsStored) {
    palvex::SetVirtualClock(Utc(2024, 11, 9, 1, 2, 3));
    Devmode devmode;
    devmode.SetByte(at::kDateEnabled, 7);
    devmode.SetByte(at::kDateFirstPage, 1);
    devmode.SetByte(at::kDatePosition, 6);
    BYTE enabled = 9, firstPage = 9, position = 9;
    char16_t text[64] = u"x";
    ASSERT_EQ(m_settings->GetDateTime(devmode.get(), &enabled, &firstPage, text, sizeof text, &position), S_OK);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(firstPage, 1);
    EXPECT_EQ(position, 6);
    EXPECT_EQ(std::u16string(text), u"");
    devmode.SetByte(at::kDateEnabled, 1);
    devmode.SetByte(at::kDateFirstPage, 2);
    ASSERT_EQ(m_settings->GetDateTime(devmode.get(), &enabled, &firstPage, nullptr, 0, &position), S_OK);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(firstPage, 0);
    // A date or time format out of range empties the text only: the stamp stays on as stored.
    const struct {
        BYTE enabled, dateFormat, timeFormat;
    } badFormats[] = {{1, 5, 0}, {2, 0, 2}};
    for (const auto& c : badFormats) {
        devmode.SetByte(at::kDateEnabled, c.enabled);
        devmode.SetByte(at::kDateFormat, c.dateFormat);
        devmode.SetByte(at::kTimeFormat, c.timeFormat);
        std::fill(std::begin(text), std::end(text), u'?');
        enabled = 9;
        ASSERT_EQ(m_settings->GetDateTime(devmode.get(), &enabled, nullptr, text, sizeof text, nullptr), S_OK);
        EXPECT_EQ(enabled, c.enabled) << int(c.dateFormat) << "/" << int(c.timeFormat);
        EXPECT_EQ(std::u16string(text), u"");
    }
}

TEST(DateStampText, NeedsABufferOfOneCharacter) {
    EXPECT_EQ(FormatDateTimeStamp(1, 0, 0, nullptr, 64), E_POINTER);
    WCHAR one[1] = {u'x'};
    EXPECT_EQ(FormatDateTimeStamp(1, 0, 0, one, 1), E_POINTER);
    EXPECT_EQ(one[0], u'x');
}

}  // namespace
}  // namespace pptest
