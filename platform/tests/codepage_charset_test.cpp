// Character sets of code pages and the lead bytes of the machine's code page.
#include <gtest/gtest.h>

#include <cstring>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <win/windows.h>
#include <win/wingdi_charset.h>
#include <win/winnls.h>

namespace {

DWORD* Src(UINT value) {
    return reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(value));
}

TEST(TranslateCharsetInfo, MapsCodePagesAndCharsetsBothWays) {
    const struct {
        UINT codePage;
        UINT charset;
        DWORD csb;
    } cases[] = {
        {1252, 0, 0x1}, {1250, 238, 0x2}, {1251, 204, 0x4}, {932, 128, 0x20000}, {936, 134, 0x40000},
        {949, 129, 0x80000}, {950, 136, 0x100000}, {874, 222, 0x10000}, {42, 2, 0x80000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        CHARSETINFO info;
        std::memset(&info, 0xCC, sizeof info);
        ASSERT_TRUE(TranslateCharsetInfo(Src(c.codePage), &info, TCI_SRCCODEPAGE));
        EXPECT_EQ(info.ciCharset, c.charset);
        EXPECT_EQ(info.ciACP, c.codePage);
        EXPECT_EQ(info.fs.fsCsb[0], c.csb);
        EXPECT_EQ(info.fs.fsCsb[1], 0u);
        EXPECT_EQ(info.fs.fsUsb[0], 0u);
        CHARSETINFO back{};
        ASSERT_TRUE(TranslateCharsetInfo(Src(c.charset), &back, TCI_SRCCHARSET));
        EXPECT_EQ(back.ciACP, c.codePage);
    }
    CHARSETINFO info{};
    for (UINT unknown : {0u, 437u, 65001u}) {
        SetLastError(0);
        EXPECT_FALSE(TranslateCharsetInfo(Src(unknown), &info, TCI_SRCCODEPAGE));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_FALSE(TranslateCharsetInfo(Src(932), nullptr, TCI_SRCCODEPAGE));
    EXPECT_FALSE(TranslateCharsetInfo(Src(932), &info, 3));
}

TEST(IsDBCSLeadByteEx, KnowsTheLeadBytesOfCodePage932) {
    palvex::TestMachine machine;
    const struct {
        BYTE byte;
        bool lead;
    } cases[] = {{0x00, false}, {0x41, false}, {0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
                 {0xA1, false}, {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}, {0xFF, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsDBCSLeadByteEx(932, c.byte), c.lead) << int(c.byte);
        EXPECT_EQ(IsDBCSLeadByteEx(CP_ACP, c.byte), c.lead) << int(c.byte);  // the machine's 932
        EXPECT_FALSE(IsDBCSLeadByteEx(1252, c.byte));
        EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, c.byte));
    }
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.ansiCodePage = 1252;
    palvex::SetOsProfile(profile);
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_ACP, 0x81));
    SetLastError(0);
    EXPECT_FALSE(IsDBCSLeadByteEx(437, 0x81));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
