// The layout of plain text: where each piece of text lands (column, line) and where pages begin
// and end, worked out by hand for each case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "text_layout.h"

namespace pptest {
namespace {

using namespace textflags;

// Logs the layout: "[" a page starts, "]" it ends, (column,line)"text" a piece of text (bytes
// from 0x80 as \xhh).
class LogDevice : public TextDevice {
public:
    bool StartPage() override { return Add("[", m_failStart); }
    bool EndPage() override { return Add("]", false); }
    bool Text(DWORD column, DWORD line, const char* text, DWORD length) override {
        std::string entry = "(" + std::to_string(column) + "," + std::to_string(line) + ")\"";
        for (DWORD i = 0; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte < 0x80) {
                entry += static_cast<char>(byte);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", byte);
                entry += hex;
            }
        }
        return Add(entry + "\"", m_failText);
    }
    std::string log;
    bool m_failStart = false;
    bool m_failText = false;

private:
    bool Add(const std::string& entry, bool fail) {
        if (!log.empty()) log += ' ';
        log += entry;
        return !fail;
    }
};

// Lays text out, read from a buffer of bufferSize bytes at a time.
std::string Layout(const std::string& text, DWORD columns, DWORD lines, DWORD translation, UINT codePage,
                   DWORD bufferSize) {
    LogDevice device;
    TextLayout layout(device, columns, lines, codePage, translation);
    size_t at = 0;
    std::string buffer(bufferSize, '\0');
    const bool done = layout.LayText(
        [&](BYTE* into, DWORD size, DWORD* read) {
            *read = static_cast<DWORD>(std::min<size_t>(size, text.size() - at));
            std::memcpy(into, text.data() + at, *read);
            at += *read;
            return true;
        },
        reinterpret_cast<BYTE*>(buffer.data()), bufferSize);
    EXPECT_TRUE(done);
    return device.log;
}

constexpr DWORD kBoth = kTranslateLF | kTranslateCR;

TEST(TextLayout, PlacesTextByTheTable) {
    struct Case {
        const char* what;
        std::string text;
        const char* expected;
        DWORD translation = kBoth;
        DWORD columns = 10;
        DWORD lines = 3;
        UINT codePage = 932;
        DWORD bufferSize = 64;
    };
    const Case cases[] = {
        {"a tab goes to the next stop of 8", "a\tb", R"x([ (0,0)"a       b" ])x"},
        {"tabs from column 0", "\tx\ty", R"x([ (0,0)"        x       y" ])x", kBoth, 20},
        {"CR LF is one line break", "ab\r\ncd", R"x([ (0,0)"ab" (0,1)"cd" ])x"},
        {"a lone CR is translated to CR LF", "ab\rcd", R"x([ (0,0)"ab" (0,1)"cd" ])x"},
        {"an untranslated lone CR returns on the same line", "ab\rc", R"x([ (0,0)"ab" (0,0)"c" ])x", kTranslateLF},
        {"CR LF without CR translation", "ab\r\ncd", R"x([ (0,0)"ab" (0,1)"cd" ])x", kTranslateLF},
        {"without translation LF keeps the column", "ab\ncd\r\nef", R"x([ (0,0)"ab" (2,1)"cd" (0,2)"ef" ])x", 0},
        {"LF LF leaves an empty line", "a\n\nb", R"x([ (0,0)"a" (0,2)"b" ])x"},
        {"CR LF LF leaves an empty line", "a\r\n\nb", R"x([ (0,0)"a" (0,2)"b" ])x"},
        {"a form feed starts a new page", "ab\fcd", R"x([ (0,0)"ab" ] [ (0,0)"cd" ])x"},
        {"a form feed at the end makes no empty page", "ab\f", R"x([ (0,0)"ab" ])x"},
        {"two form feeds leave an empty page", "a\f\fb", R"x([ (0,0)"a" ] [ ] [ (0,0)"b" ])x"},
        {"pages hold lines per page", "1\n2\n3\n4\n", R"x([ (0,0)"1" (0,1)"2" (0,2)"3" ] [ (0,0)"4" ])x"},
        {"a long line wraps", "abcdefghijklmnopqrstuvw", R"x([ (0,0)"abcdefghij" (0,1)"klmnopqrst" (0,2)"uvw" ])x"},
        {"a full line then CR LF is one line", "abcdefghij\r\nk", R"x([ (0,0)"abcdefghij" (0,1)"k" ])x"},
        {"a tab cut by the line's end goes on", "abcdefghi\tX", R"x([ (0,0)"abcdefghi " (0,1)"      X" ])x"},
        {"a cut tab then a line end owes nothing", "abcdefghi\t\r\nX", R"x([ (0,0)"abcdefghi " (0,1)"X" ])x"},
        {"tabs after a wrap keep the text's stops", "abcdefghijk\tX", R"x([ (0,0)"abcdefghij" (0,1)"k     X" ])x"},
        {"a double-byte character never splits at a line end", "abcdefghi\x82\xa0z",
         R"x([ (0,0)"abcdefghi" (0,1)"\x82\xa0z" ])x"},
        {"a double-byte character fills the last two columns", "abcdefgh\x82\xa0z",
         R"x([ (0,0)"abcdefgh\x82\xa0" (0,1)"z" ])x"},
        {"a double-byte character never splits across reads", "abc\x82\xa0" "d",
         R"x([ (0,0)"abc" (3,0)"\x82\xa0d" ])x", kBoth, 10, 3, 932, 4},
        {"1252 has no lead bytes", "abcdefghi\x82\xa0z", R"x([ (0,0)"abcdefghi\x82" (0,1)"\xa0z" ])x", kBoth, 10, 3,
         1252},
        {"a lead byte at the very end is printed alone", "ab\x82", R"x([ (0,0)"ab" (2,0)"\x82" ])x"},
        {"a lead byte before a line end stands alone", "a\x82\nb", R"x([ (0,0)"a\x82" (0,1)"b" ])x"},
        {"tab stops go on across reads", "abc\tx", R"x([ (0,0)"abc" (3,0)"     x" ])x", kBoth, 10, 3, 932, 3},
        {"CR and LF in separate reads", "ab\r\ncd", R"x([ (0,0)"ab" (0,1)"cd" ])x", kBoth, 10, 3, 932, 3},
        {"an empty text is one empty page", "", "[ ]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Layout(c.text, c.columns, c.lines, c.translation, c.codePage, c.bufferSize), c.expected) << c.what;
    }
}

TEST(TextLayout, ALineTooNarrowForADoubleByteCharacterStillTakesIt) {
    EXPECT_EQ(Layout("\x82\xa0\x82\xa0" "a", 1, 10, kBoth, 932, 64), R"x([ (0,0)"\x82\xa0" (0,1)"\x82\xa0" (0,2)"a" ])x");
}

TEST(TextLayout, StopsAtTheFirstFailure) {
    const std::string text = "abc";
    BYTE buffer[8];
    {
        LogDevice device;
        device.m_failStart = true;
        TextLayout layout(device, 10, 3, 932, kBoth);
        EXPECT_FALSE(layout.LayText([](BYTE*, DWORD, DWORD* read) { *read = 0; return true; }, buffer, sizeof buffer));
        EXPECT_EQ(device.log, "[");
    }
    {
        LogDevice device;
        device.m_failText = true;
        TextLayout layout(device, 10, 3, 932, kBoth);
        bool given = false;
        EXPECT_FALSE(layout.LayText(
            [&](BYTE* into, DWORD, DWORD* read) {
                *read = given ? 0 : 3;
                std::memcpy(into, text.data(), *read);
                given = true;
                return true;
            },
            buffer, sizeof buffer));
        EXPECT_EQ(device.log, R"x([ (0,0)"abc")x");
    }
    {
        LogDevice device;
        TextLayout layout(device, 10, 3, 932, kBoth);
        EXPECT_FALSE(layout.LayText([](BYTE*, DWORD, DWORD*) { return false; }, buffer, sizeof buffer));
        EXPECT_EQ(device.log, "[");
    }
}

TEST(SplitLine, KeepsTheBlanksOfACutTabPending) {
    SplitState state;
    char line[16];
    DWORD count = 0;
    const BYTE text[] = {'a', '\t', 'b'};
    // Room for 4 columns from column 2: "a" and three blanks; the tab owes two more blanks.
    EXPECT_EQ(SplitLine(text, 2, line, 4, 2, 932, &count, &state), 2u);
    EXPECT_EQ(std::string(line, count), "a   ");
    EXPECT_EQ(state.flags & (kPendingTab | kEndBits), kPendingTab);
    EXPECT_EQ(state.pendingBlanks, 2u);
    EXPECT_EQ(SplitLine(text + 2, 1, line, 0, 6, 932, &count, &state), 0u);  // full: wrap, nothing used
    EXPECT_EQ(state.flags & kEndBits, kCarriageReturn | kLineFeed);
    EXPECT_EQ(state.tabBase, 6u);
    EXPECT_EQ(SplitLine(text + 2, 1, line, 10, 0, 932, &count, &state), 1u);
    EXPECT_EQ(std::string(line, count), "  b");
    EXPECT_EQ(state.flags & kPendingTab, 0u);
}

}  // namespace
}  // namespace pptest
