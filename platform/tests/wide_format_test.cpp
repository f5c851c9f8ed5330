#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include <win/windows.h>

namespace {

// Formats through _vscwprintf (length) and _vsnwprintf (text) and checks that both agree.
std::u16string Format(const WCHAR* format, ...) {
    va_list args, copy;
    va_start(args, format);
    va_copy(copy, args);
    const int length = _vscwprintf(format, args);
    va_end(args);
    WCHAR buffer[256];
    const int written = _vsnwprintf(buffer, 256, format, copy);
    va_end(copy);
    EXPECT_EQ(length, written);
    if (written < 0) return u"<bad format>";
    return std::u16string(buffer, static_cast<size_t>(written));
}

struct FormatCase {
    std::u16string got;
    const char16_t* expected;
    int line;
};

#define CASE(expected, ...) FormatCase{Format(__VA_ARGS__), expected, __LINE__}

TEST(WideFormat, ConversionsFlagsWidthsAndSizes) {
    const char narrow[] = "narrow";
    const FormatCase cases[] = {
        // Text and characters: %s wide, %S and %hs narrow, %ls and %ws wide.
        CASE(u"[wide]", u"[%s]", u"wide"),
        CASE(u"[narrow]", u"[%S]", narrow),
        CASE(u"[narrow]", u"[%hs]", narrow),
        CASE(u"[wide]", u"[%ls]", u"wide"),
        CASE(u"[wide]", u"[%ws]", u"wide"),
        CASE(u"[nar]", u"[%.3hs]", narrow),
        CASE(u"[   ab]", u"[%5s]", u"ab"),
        CASE(u"[ab   ]", u"[%-5s]", u"ab"),
        CASE(u"[000ab]", u"[%05s]", u"ab"),
        CASE(u"[(null)]", u"[%s]", static_cast<const WCHAR*>(nullptr)),
        CASE(u"[(null)]", u"[%hs]", static_cast<const char*>(nullptr)),
        CASE(u"[é]", u"[%hs]", "\xe9"),  // narrow text byte by byte
        CASE(u"[\u3042]", u"[%c]", u'\u3042'),
        CASE(u"[A]", u"[%C]", 'A'),
        CASE(u"[A]", u"[%hc]", 'A'),
        CASE(u"[  x]", u"[%3c]", u'x'),
        CASE(u"[%]", u"[%%]"),
        // Signed and unsigned integers.
        CASE(u"[42|-42|+42| 42]", u"[%d|%i|%+d|% d]", 42, -42, 42, 42),
        CASE(u"[-2147483648]", u"[%d]", INT_MIN),
        CASE(u"[4294967295]", u"[%u]", 0xFFFFFFFFu),
        CASE(u"[  -42|-42  |-0042]", u"[%5d|%-5d|%05d]", -42, -42, -42),
        CASE(u"[00042|  00042]", u"[%.5d|%7.5d]", 42, 42),
        CASE(u"[   42]", u"[%05.0d]", 42),  // a precision turns the 0 flag off
        CASE(u"[]", u"[%.0d]", 0),
        CASE(u"[0]", u"[%d]", 0),
        CASE(u"[ff|FF|0xff|0XFF|0]", u"[%x|%X|%#x|%#X|%#x]", 255, 255, 255, 255, 0),
        CASE(u"[17|017|0]", u"[%o|%#o|%#o]", 15, 15, 0),
        CASE(u"[0x0000ff]", u"[%#08x]", 255),
        CASE(u"[02|0A]", u"[%02d|%02X]", 2, 10),
        CASE(u"[0004d2]", u"[%06x]", 1234),
        // Widths and precisions from the arguments; a negative width means '-'.
        CASE(u"[   ab|ab   |a]", u"[%*s|%*s|%.*s]", 5, u"ab", -5, u"ab", 1, u"ab"),
        CASE(u"[ab]", u"[%.*s]", -1, u"ab"),  // a negative precision is none
        // Size prefixes: l is 32 bits, ll/I64 64, I32 32, I/z pointer-sized, h 16, hh 8.
        CASE(u"[-1]", u"[%ld]", -1),
        CASE(u"[4294967295]", u"[%lu]", 0xFFFFFFFFu),
        CASE(u"[-9223372036854775807]", u"[%lld]", -9223372036854775807LL),
        CASE(u"[18446744073709551615]", u"[%I64u]", 0xFFFFFFFFFFFFFFFFULL),
        CASE(u"[ffffffffffffffff]", u"[%llx]", 0xFFFFFFFFFFFFFFFFULL),
        CASE(u"[-1]", u"[%I32d]", -1),
        CASE(u"[1099511627776]", u"[%Iu]", size_t{1} << 40),
        CASE(u"[1099511627776]", u"[%zu]", size_t{1} << 40),
        CASE(u"[-1|65535]", u"[%hd|%hu]", 0xFFFF, 0xFFFF),
        CASE(u"[-1|255]", u"[%hhd|%hhu]", 0xFF, 0xFF),
        // Pointers: 16 upper-case hexadecimal digits.
        CASE(u"[00000000DEADBEEF]", u"[%p]", reinterpret_cast<void*>(0xDEADBEEF)),
        CASE(u"[0000000000000000]", u"[%p]", nullptr),
        // Floating point.
        CASE(u"[1.96]", u"[%1.2f]", 196 / 100.0),
        CASE(u"[  3.142]", u"[%7.3f]", 3.14159),
        CASE(u"[-003.14]", u"[%07.2f]", -3.14159),
        CASE(u"[+1.5e+00]", u"[%+.1e]", 1.5),
        CASE(u"[0.0001]", u"[%g]", 0.0001),
        CASE(u"[     inf]", u"[%08f]", HUGE_VAL),  // no zero padding for infinity
        // Bad formats.
        CASE(u"<bad format>", u"[%n]", nullptr),
        CASE(u"<bad format>", u"[%q]", 1),
        CASE(u"<bad format>", u"trailing %"),
        CASE(u"<bad format>", u"[%ws|%wd]", u"a", 1),
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, std::u16string(c.expected)) << "case on line " << c.line;
}

TEST(WideFormat, BoundedOutputFollowsTheRuntime) {
    WCHAR buffer[8];
    // Shorter than count: terminated, length returned.
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(_snwprintf(buffer, 8, u"%d", 12345), 5);
    EXPECT_EQ(std::u16string(buffer), u"12345");
    // Exactly count: no terminator, count returned.
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(_snwprintf(buffer, 5, u"%d", 12345), 5);
    EXPECT_EQ(std::u16string(buffer, 6), u"12345#");
    // Longer: cut at count, no terminator, -1.
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(_snwprintf(buffer, 4, u"%s", u"abcdefgh"), -1);
    EXPECT_EQ(std::u16string(buffer, 5), u"abcd#");
    // Count 0 writes nothing.
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(_snwprintf(buffer, 0, u"x"), -1);
    EXPECT_EQ(buffer[0], u'#');
    // A long width is counted without being held anywhere.
    EXPECT_EQ(_snwprintf(nullptr, 0, u"%100000d", 1), -1);
}

int LengthOf(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = _vscwprintf(format, args);
    va_end(args);
    return length;
}

TEST(WideFormat, LengthOfHugeTexts) {
    EXPECT_EQ(LengthOf(u"%100000d", 1), 100000);
    EXPECT_EQ(LengthOf(u"%2147483647d|", 1), -1);  // more than an int can count
}

TEST(StrSafe, PrintfCutsAndTerminates) {
    WCHAR buffer[6];
    EXPECT_EQ(StringCchPrintfW(buffer, 6, u"%s=%d", u"ab", 12), S_OK);
    EXPECT_EQ(std::u16string(buffer), u"ab=12");
    EXPECT_EQ(StringCchPrintfW(buffer, 6, u"%s=%d", u"ab", 123), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"ab=12");
    EXPECT_EQ(StringCchPrintfW(buffer, 6, u"%n", nullptr), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(StringCchPrintfW(buffer, 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
}

TEST(StrSafe, CopyCatAndLength) {
    WCHAR buffer[5];
    EXPECT_EQ(StringCchCopyW(buffer, 5, u"abcd"), S_OK);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(StringCchCopyW(buffer, 5, u"abcdef"), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(StringCchCopyNW(buffer, 5, u"abcdef", 2), S_OK);
    EXPECT_EQ(std::u16string(buffer), u"ab");
    EXPECT_EQ(StringCchCatW(buffer, 5, u"cd"), S_OK);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(StringCchCatW(buffer, 5, u"e"), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(StringCchCopyW(buffer, 5, nullptr), S_OK);  // a null source is empty
    EXPECT_EQ(buffer[0], 0);
    WCHAR unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(StringCchCatW(unterminated, 3, u"x"), STRSAFE_E_INVALID_PARAMETER);

    size_t length = 99;
    EXPECT_EQ(StringCchLengthW(u"abc", 4, &length), S_OK);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(StringCchLengthW(u"abc", 3, &length), STRSAFE_E_INVALID_PARAMETER);  // no NUL within 3
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(StringCchLengthW(nullptr, 3, &length), STRSAFE_E_INVALID_PARAMETER);
}

}  // namespace
