// Code pages: UTF-8, 932 and 1252, and CP_ACP following the machine's OS profile.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <win/windows.h>

#include "snmp_test_peers.h"

namespace {

using palvex::testing::Bytes;
using palvex::testing::Hex;

class CodePageTest : public ::testing::Test {
protected:
    void UseAnsiCodePage(UINT codePage) {
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.ansiCodePage = codePage;
        palvex::SetOsProfile(profile);
    }
    palvex::TestMachine m_machine;
};

// Converts without the terminator through the measure-then-convert protocol.
Bytes ToBytes(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr, const char* defaultChar = nullptr) {
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, defaultChar, usedDefault);
    Bytes out(static_cast<size_t>(size));
    int written = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<LPSTR>(out.data()),
                                      size, defaultChar, usedDefault);
    EXPECT_EQ(written, size);
    return out;
}

std::u16string ToWide(UINT codePage, const Bytes& bytes, DWORD flags = 0) {
    int size = MultiByteToWideChar(codePage, flags, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(size), u'\0');
    EXPECT_EQ(MultiByteToWideChar(codePage, flags, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<int>(bytes.size()),
                                  out.data(), size),
              size);
    return out;
}

TEST_F(CodePageTest, TheAnsiCodePageIsTheProfiles) {
    EXPECT_EQ(GetACP(), 932u);
    UseAnsiCodePage(1252);
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(ToBytes(CP_ACP, u"é"), Hex("E9"));
    UseAnsiCodePage(932);
    EXPECT_EQ(ToBytes(CP_ACP, u"日本"), Hex("93FA 967B"));
}

// The questions a thread asks the machine stay prepared between calls, but the answers do not:
// a change made through another connection is seen by the next call, and a conversion that
// stopped half-way leaves nothing behind for the next one.
TEST_F(CodePageTest, ChangesThroughAnotherConnectionAreSeenAtOnce) {
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(ToWide(CP_ACP, Hex("93FA")), u"日");
    std::thread([&] { UseAnsiCodePage(1252); }).join();
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(ToWide(CP_ACP, Hex("93FA")), u"\u201C\u00FA");
    std::thread([&] { UseAnsiCodePage(932); }).join();
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "\x93", 1, nullptr, 0), 0);
    EXPECT_EQ(ToWide(932, Hex("93FA")), u"日");
}

// The process keeps the profile it read; a change made by another process of the machine, or on
// another machine root, must still show at the next call.
TEST_F(CodePageTest, AChangeMadeElsewhereOnTheMachineShowsAtOnce) {
    EXPECT_EQ(GetACP(), 932u);  // read and kept
    const pid_t child = fork();
    if (child == 0) {
        palvex::OsProfile profile = palvex::GetOsProfile();
        profile.ansiCodePage = 1252;
        profile.userName = u"Other";
        palvex::SetOsProfile(profile);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(ToBytes(CP_ACP, u"é"), Hex("E9"));
    EXPECT_EQ(palvex::GetOsProfile().userName, u"Other");
    {
        palvex::TestMachine other;  // a new root has its own profile, the default one
        EXPECT_EQ(GetACP(), 932u);
        EXPECT_EQ(palvex::GetOsProfile().userName, u"User");
    }
    EXPECT_EQ(GetACP(), 1252u);  // back on the first root
}

TEST_F(CodePageTest, EncodesEachCodePage) {
    struct Case {
        UINT codePage;
        std::u16string text;
        const char* bytes;
        BOOL usedDefault;
    } cases[] = {
        {CP_UTF8, u"A", "41", FALSE},
        {CP_UTF8, u"é", "C3A9", FALSE},
        {CP_UTF8, u"日本", "E697A5 E69CAC", FALSE},
        {CP_UTF8, u"\U0001F600", "F09F9880", FALSE},
        {CP_UTF8, std::u16string(1, u'\xD800') + u"A", "EFBFBD 41", FALSE},
        {932, u"ABC\\~", "414243 5C 7E", FALSE},
        {932, u"日本語", "93FA 967B 8CEA", FALSE},
        {932, u"ｱ～①", "B1 8160 8740", FALSE},
        {932, u"é", "3F", TRUE},
        {932, u"a\U0001F600b", "61 3F 62", TRUE},
        {1252, u"é€", "E9 80", FALSE},
        {1252, u"日", "3F", TRUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        BOOL usedDefault = 2;
        EXPECT_EQ(ToBytes(c.codePage, c.text, c.codePage == CP_UTF8 ? nullptr : &usedDefault), Hex(c.bytes));
        if (c.codePage != CP_UTF8) {
            EXPECT_EQ(usedDefault, c.usedDefault);
        }
    }
    EXPECT_EQ(ToBytes(1252, u"日", nullptr, "*"), Hex("2A"));
}

TEST_F(CodePageTest, DecodesEachCodePage) {
    struct Case {
        UINT codePage;
        const char* bytes;
        std::u16string text;
    } cases[] = {
        {CP_UTF8, "C3A9", u"é"},
        {CP_UTF8, "F09F9880", u"\U0001F600"},
        {CP_UTF8, "C3", u"\uFFFD"},                   // cut sequence
        {CP_UTF8, "C0AF", u"\uFFFD\uFFFD"},           // overlong form
        {CP_UTF8, "EDA080", u"\uFFFD\uFFFD\uFFFD"},   // encoded surrogate
        {CP_UTF8, "F4908080", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {CP_UTF8, "41 FF 42", u"A\uFFFDB"},
        {932, "93FA 967B 8CEA", u"日本語"},
        {932, "B1 8160 5C", u"ｱ～\\"},
        {932, "41 81", u"A\u30FB"},                   // lead byte without its trail
        {1252, "80 E9", u"€é"},
        {1252, "81 8D", u"\u0081\u008D"},             // the bytes 1252 leaves undefined
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ToWide(c.codePage, Hex(c.bytes)), c.text);
    }
}

TEST_F(CodePageTest, CountsAndBufferSizesFollowTheRules) {
    // -1 converts through the terminator.
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"AB", -1, nullptr, 0, nullptr, nullptr), 3);
    char out[3] = {'x', 'x', 'x'};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"AB", -1, out, 3, nullptr, nullptr), 3);
    EXPECT_EQ(std::string(out, 3), std::string("AB\0", 3));
    // A short destination: 0 and ERROR_INSUFFICIENT_BUFFER.
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"AB", -1, out, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    WCHAR wide[3];
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x93\xFA", -1, wide, 3), 2);
    EXPECT_EQ(std::u16string(wide, 2), std::u16string(u"日\0", 2));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x93\xFA", -1, wide, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(CodePageTest, RefusesBadArguments) {
    BOOL used = FALSE;
    char out[8];
    struct Case {
        const char* what;
        std::function<int()> call;
        DWORD error;
    } cases[] = {
        {"count 0", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"A", 0, out, 8, nullptr, nullptr); }, ERROR_INVALID_PARAMETER},
        {"no source", [&] { return WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, out, 8, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"unknown code page", [&] { return WideCharToMultiByte(437, 0, u"A", -1, out, 8, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"default char with UTF-8", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"A", -1, out, 8, nullptr, &used); },
         ERROR_INVALID_PARAMETER},
        {"best-fit flag with UTF-8",
         [&] { return WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, u"A", -1, out, 8, nullptr, nullptr); },
         ERROR_INVALID_FLAGS},
        {"strict UTF-8 and a lone surrogate",
         [&] { return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xDC00", 1, out, 8, nullptr, nullptr); },
         ERROR_NO_UNICODE_TRANSLATION},
        {"strict flag with 932", [&] { return WideCharToMultiByte(932, WC_ERR_INVALID_CHARS, u"A", -1, out, 8, nullptr, nullptr); },
         ERROR_INVALID_FLAGS},
        {"strict decoding of bad UTF-8", [&] { return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3", 1, nullptr, 0); },
         ERROR_NO_UNICODE_TRANSLATION},
        {"strict decoding of a cut 932 pair", [&] { return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "\x93", 1, nullptr, 0); },
         ERROR_NO_UNICODE_TRANSLATION},
        {"decoding into the source", [&] { return MultiByteToWideChar(932, 0, out, 4, reinterpret_cast<LPWSTR>(out), 4); },
         ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_EQ(c.call(), 0);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

}  // namespace
