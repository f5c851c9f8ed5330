// Kit status codes: severity ranges and the message table.
#include <gtest/gtest.h>

#include <string>

#include "kitmessages.h"
#include "kitstatus.h"

namespace {

struct SeverityCase {
    DWORD code;
    DWORD severity;
};

TEST(KitStatus, SeverityAtEveryRangeBoundary) {
    const SeverityCase cases[] = {
        {0, 0},         {61301, 0},     {61311, 0},     {61399, 0},     {61400, 1},     {61799, 1},
        {61800, 2},     {62199, 2},     {62200, 3},     {62599, 3},     {62600, 1},     {62999, 1},
        {63000, 2},     {63399, 2},     {63400, 3},     {63799, 3},     {63800, 1},     {64199, 1},
        {64200, 2},     {64599, 2},     {64600, 3},     {64999, 3},     {65000, 0},     {0xFFFFFFFF, 0},
    };
    for (const SeverityCase& c : cases) EXPECT_EQ(ReportStatus(c.code), c.severity) << c.code;
}

TEST(KitStatus, MessageArgumentsDoNotChangeTheSeverity) {
    EXPECT_EQ(ReportStatus(63401, u"xpr.cpp", 12), 3u);
    EXPECT_EQ(ReportStatus(63101, u"ITEM", u"DEMO"), 2u);
    EXPECT_EQ(ReportStatus(62701), 1u);
}

TEST(KitMessages, TextsAreTheSystemsOwn) {
    const struct {
        DWORD code;
        const char16_t* text;
    } cases[] = {
        {61301, u"Processing...\n"},
        {61311, u"DUMPING TOKEN: Key: %s\tValue: %s\tLevel: %d.\n"},
        {61801, u"error XPC2001 : file '%s' does not exist,\n"},
        {62006, u"error XPC2206 : invalid type defined for field '(%s)%s' in structure %s'.\n"},
        {62702, u"warning XPR1102 : field '%s' in structure '%s' is not a dyamic field and therefore has no reference.\n"},
        {63004, u"error XPR2004 : signature mismatch '0x%x' in structure '%s', expecting  '0x%x'.\n"},
        {63201, u"error XPR2201 : unable to obtain structure record with filter '%s.TAG = %s'.\n"},
        {63301, u"error XPR2301 : insufficent memory, destination data buffer for field '%s' requires %d bytes.\n"},
        {63403, u"%s(%d) : internal error XPR3003 : out of memory, no structure slots available.\n"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(KitMessageText(c.code), nullptr) << c.code;
        EXPECT_EQ(std::u16string(KitMessageText(c.code)), c.text) << c.code;
    }
}

TEST(KitMessages, EveryCodeWithAMessageAndNoOther) {
    // 5 informational, 50 reader and compiler, 16 runtime messages.
    EXPECT_EQ(KitMessages().size(), 71u);
    EXPECT_EQ(KitMessageText(62701), nullptr);
    EXPECT_EQ(KitMessageText(63800), nullptr);
    EXPECT_EQ(KitMessageText(0), nullptr);
}

TEST(KitMessages, EachTextNamesTheSeverityItsCodeHas) {
    for (const KitMessage& message : KitMessages()) {
        const std::u16string text = message.m_text;
        DWORD expected = 0;
        if (text.find(u"internal error XP") != std::u16string::npos) expected = 3;
        else if (text.find(u"error XP") != std::u16string::npos) expected = 2;
        else if (text.find(u"warning XP") != std::u16string::npos) expected = 1;
        EXPECT_EQ(ReportStatus(message.m_code), expected) << message.m_code;
        const bool runtime = message.m_code >= 62600 && message.m_code < 63800;
        if (expected) {
            EXPECT_NE(text.find(runtime ? u"XPR" : u"XPC"), std::u16string::npos) << message.m_code;
        }
    }
}

}  // namespace
