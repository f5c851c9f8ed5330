// The information boxes of the Main, Layout and Advanced pages: one value per line in the order
// of the page's format string, the binding margin in millimetres or inches, a rewrite on every
// change of a watched item, and a text cut to the box's buffer.
#include <palvex/message_box.h>

#include "constraint_sheet.h"
#include "items/optitem_handler.h"
#include "options/factory_tables.h"
#include "options/summary_value_links.h"

namespace uitest {
namespace {

class SummaryValuesTest : public ConstraintSheetTest {
protected:
    std::u16string Sel(DWORD key) {
        LPCWSTR text = Handler(key)->GetSelText(nullptr);
        return text ? text : u"";
    }
    // The lines of a box.
    static std::vector<std::u16string> Lines(const std::u16string& text) {
        std::vector<std::u16string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find(u'\n', start)) != std::u16string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        if (start < text.size()) lines.push_back(text.substr(start));
        return lines;
    }
};

TEST_F(SummaryValuesTest, EachPageShowsItsValuesInTheOrderOfItsFormat) {
    OpenSheet();
    Preset(2602, 1);
    Preset(25611, 1250);
    Preset(3, 12);
    HWND main = OpenPage(kMainPage);
    EXPECT_EQ(TextOf(main, 1013), Sel(5) + u"\n13  mm\nトレイ 1\n普通紙\nなし\n" + Sel(kEcoModeKey) + u"\n");
    HWND layout = OpenPage(kLayoutPage);
    EXPECT_EQ(TextOf(layout, 2013), Sel(5) + u"\nA4\nA4\n13  mm\n通常印刷\n12\n" + Sel(kEcoModeKey) + u"\n");
    HWND advanced = OpenPage(kAdvancedPage);
    EXPECT_EQ(TextOf(advanced, 3013), u"A4\nA4\n13  mm\nトレイ 1\n普通紙\n通常印刷\n12\nなし\n");
    // The captions beside them, in the same order.
    EXPECT_EQ(TextOf(main, 1012), u"解像度\nとじしろ\n給紙選択\n用紙種類\n日付・時刻\nトナー節約\n");
}

TEST_F(SummaryValuesTest, TheBindingMarginShowsRoundedMillimetresOrInches) {
    struct Case {
        LONG on;
        LONG amount;  // hundredths of a millimetre
        LONG unit;    // 1 millimetres, 2 inches
        std::u16string shown;
    };
    const Case cases[] = {
        {1, 1250, 1, u"13  mm"},      {1, 1249, 1, u"12  mm"},      {1, 5000, 2, u"1.96 インチ"},
        {0, 1250, 1, u"0  mm"},       {0, 5000, 2, u"0.00 インチ"}, {1, 0, 1, u"0  mm"},
        {1, 2540, 2, u"1.00 インチ"}, {1, 2539, 2, u"0.99 インチ"},
    };
    OpenSheet();
    HWND page = OpenPage(kMainPage);
    for (const Case& c : cases) {
        Preset(2602, c.on);
        Preset(25611, c.amount);
        // The unit is chosen last, as the popup's user does.
        Handler(17250)->SetValue(c.unit == 1 ? 2 : 1, nullptr);
        Handler(17250)->SetValue(c.unit, nullptr);
        const auto lines = Lines(TextOf(page, 1013));
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_EQ(lines[1], c.shown) << c.amount << " " << c.unit;
    }
}

TEST_F(SummaryValuesTest, OnlyWatchedItemsRewriteTheBox) {
    OpenSheet();
    HWND page = OpenPage(kMainPage);
    SetDlgItemTextW(page, 1013, u"kept");
    Handler(3)->SetValue(5, nullptr);  // copies: not on the Main page's box
    EXPECT_EQ(TextOf(page, 1013), u"kept");
    Handler(2621)->SetValue(1, nullptr);
    EXPECT_EQ(Lines(TextOf(page, 1013))[4], u"日付");
}

TEST_F(SummaryValuesTest, ATextLongerThanTheBoxIsCut) {
    OpenSheet();
    const std::u16string longName(300, u'x');
    Handler(12)->SetOptionText(0, HeapText(m_heap, longName));
    HWND page = OpenPage(kMainPage);
    const std::u16string text = TextOf(page, 1013);
    EXPECT_EQ(text.size(), kSummaryTextChars - 1);
    EXPECT_EQ(text.substr(text.size() - 10), std::u16string(10, u'x'));
}

}  // namespace
}  // namespace uitest
