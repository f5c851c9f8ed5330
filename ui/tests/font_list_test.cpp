// The watermark font item's options: the installed TrueType faces with their styles and character
// set; and the printer's market language.
#include <algorithm>
#include <map>

#include "system_func_fixture.h"

namespace uitest {
namespace {

class FontListTest : public SystemFuncTest {};

TEST_F(FontListTest, TheFontItemListsEachTrueTypeFaceOnceWithItsStyles) {
    TestItem item;
    Fill(item, {u"placeholder"});
    ASSERT_EQ(Func().EnumTrueTypeFonts(&item.item, 64), 1u);
    std::map<std::u16string, ULONG_PTR> faces;
    for (size_t i = 0; i < item.type.Count; ++i) {
        const OPTPARAM& option = item.type.pOptParam[i];
        const std::u16string name = item.Text(i);
        EXPECT_EQ(option.cbSize, sizeof(OPTPARAM));
        EXPECT_EQ(option.lParam, reinterpret_cast<LPARAM>(option.pData));
        EXPECT_EQ(HeapSize(m_heap, 0, option.pData), 64 * sizeof(WCHAR));
        EXPECT_FALSE(name.empty());
        EXPECT_NE(name[0], u'@');
        EXPECT_TRUE(faces.emplace(name, option.IconID).second) << "twice: " << std::string(name.begin(), name.end());
    }
    // Styles in the upper 16 bits (1 regular, 2 bold, 4 italic, 8 bold italic), character set below.
    ASSERT_TRUE(faces.count(u"Liberation Sans"));
    EXPECT_EQ(faces[u"Liberation Sans"], (ULONG_PTR{1 | 2 | 4 | 8} << 16) | ANSI_CHARSET);
    ASSERT_TRUE(faces.count(u"DejaVu Sans"));
    EXPECT_EQ(faces[u"DejaVu Sans"] >> 16, ULONG_PTR{1 | 2});  // "Book", "Oblique" and the like count as 1
    ASSERT_TRUE(faces.count(u"IPAGothic"));
    EXPECT_EQ(faces[u"IPAGothic"] >> 16, 1u);
    // A face only in the condensed file is a family of its own, as the font's legacy name says.
    EXPECT_TRUE(faces.count(u"DejaVu Sans Condensed"));

    // Names are cut to the width asked for.
    TestItem narrow;
    ASSERT_EQ(Func().EnumTrueTypeFonts(&narrow.item, 8), 1u);
    for (size_t i = 0; i < narrow.type.Count; ++i) EXPECT_LE(narrow.Text(i).size(), 7u);
    EXPECT_EQ(Func().EnumTrueTypeFonts(nullptr, 64), 0u);
}

TEST_F(FontListTest, TheMarketLanguageIsJapaneseUnlessTheDataSaysOtherwise) {
    EXPECT_EQ(QORVASystemFunc::GetMarketLangID(m_printer), 1041);
    SetPrinterNumber(u"Market", 0x00010409);
    EXPECT_EQ(QORVASystemFunc::GetMarketLangID(m_printer), 1033);
}

}  // namespace
}  // namespace uitest
