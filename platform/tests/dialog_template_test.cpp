// The dialog template reader against templates written out by hand, and its refusal of every
// truncation and of counts beyond the bytes.
#include <gtest/gtest.h>

#include <vector>

#include "../src/user/dialog_template.h"

namespace {

using palvex::dlg::DialogTemplate;
using palvex::dlg::NameOrOrdinal;
using palvex::dlg::ParseDialogTemplate;
using Bytes = std::vector<uint8_t>;

// Classic: DS_SETFONT | WS_POPUP, two items, (1, 2, 100, 50), menu ordinal 7, class "C", title
// "T", 9 point "F". Item 1 at 36: id 10, Button (0x80), title "OK", two bytes of creation data.
// Item 2 at 68: id 11, class "X", title ordinal 5, no creation data. 96 bytes.
const Bytes kClassic = {
    0x40, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x64, 0x00, 0x32, 0x00,
    0xFF, 0xFF, 0x07, 0x00, 0x43, 0x00, 0x00, 0x00, 0x54, 0x00, 0x00, 0x00, 0x09, 0x00, 0x46, 0x00, 0x00, 0x00,
    // item 1
    0x00, 0x00, 0x01, 0x50, 0x00, 0x02, 0x00, 0x00, 0x03, 0x00, 0x04, 0x00, 0x20, 0x00, 0x0E, 0x00, 0x0A, 0x00,
    0xFF, 0xFF, 0x80, 0x00, 0x4F, 0x00, 0x4B, 0x00, 0x00, 0x00, 0x02, 0x00, 0xAB, 0xCD,
    // item 2
    0x00, 0x00, 0x00, 0x50, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00, 0x0B, 0x00,
    0x58, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00};

// Extended: help id 0x11, extended style 0x400000, style DS_SETFONT, one item, no menu, no class,
// empty title, 8 point weight 700 italic character set 0x80 face "G". The item: help id 0x22,
// extended style 0x200, style 0x50010000, (1, 2, 3, 4), id 0x10000, Edit (0x81), empty title.
// The item starts at 44.
const Bytes kExtended = {
    0x01, 0x00, 0xFF, 0xFF, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00, 0x01, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0xBC, 0x02,
    0x01, 0x80, 0x47, 0x00, 0x00, 0x00,
    // The face ends at 42; two bytes of padding put the item at 44.
    0x00, 0x00,
    0x22, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x50, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00,
    0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x81, 0x00, 0x00, 0x00, 0x00, 0x00};

TEST(DialogTemplateReader, ClassicTemplate) {
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogTemplate(kClassic.data(), kClassic.size(), &dialog));
    EXPECT_FALSE(dialog.extended);
    EXPECT_EQ(dialog.style, 0x80000040u);
    EXPECT_EQ(std::vector<int>({dialog.x, dialog.y, dialog.cx, dialog.cy}), (std::vector<int>{1, 2, 100, 50}));
    EXPECT_EQ(dialog.menu, (NameOrOrdinal{NameOrOrdinal::kOrdinal, 7, u""}));
    EXPECT_EQ(dialog.windowClass, (NameOrOrdinal{NameOrOrdinal::kText, 0, u"C"}));
    EXPECT_EQ(dialog.title.text, u"T");
    EXPECT_TRUE(dialog.hasFont);
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.faceName, u"F");
    EXPECT_EQ(dialog.size, kClassic.size());
    ASSERT_EQ(dialog.items.size(), 2u);
    EXPECT_EQ(dialog.items[0].style, 0x50010000u);
    EXPECT_EQ(dialog.items[0].exStyle, 0x200u);
    EXPECT_EQ(dialog.items[0].id, 10u);
    EXPECT_EQ(dialog.items[0].windowClass, (NameOrOrdinal{NameOrOrdinal::kOrdinal, 0x80, u""}));
    EXPECT_EQ(dialog.items[0].title.text, u"OK");
    EXPECT_EQ(dialog.items[0].creationData, (Bytes{0xAB, 0xCD}));
    EXPECT_EQ(dialog.items[1].id, 11u);
    EXPECT_EQ(dialog.items[1].windowClass.text, u"X");
    EXPECT_EQ(dialog.items[1].title, (NameOrOrdinal{NameOrOrdinal::kOrdinal, 5, u""}));
    EXPECT_EQ(std::u16string(palvex::dlg::ItemClassName(0x80)), u"Button");
    EXPECT_EQ(palvex::dlg::ItemClassName(0x86), nullptr);
}

TEST(DialogTemplateReader, ExtendedTemplate) {
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogTemplate(kExtended.data(), kExtended.size(), &dialog));
    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.helpId, 0x11u);
    EXPECT_EQ(dialog.exStyle, 0x400000u);
    EXPECT_EQ(dialog.style, 0x40u);
    EXPECT_EQ(dialog.title.text, u"");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.weight, 700);
    EXPECT_EQ(dialog.italic, 1);
    EXPECT_EQ(dialog.charSet, 0x80);
    EXPECT_EQ(dialog.faceName, u"G");
    ASSERT_EQ(dialog.items.size(), 1u);
    EXPECT_EQ(dialog.items[0].helpId, 0x22u);
    EXPECT_EQ(dialog.items[0].exStyle, 0x200u);
    EXPECT_EQ(dialog.items[0].style, 0x50010000u);
    EXPECT_EQ(dialog.items[0].id, 0x10000u);
    EXPECT_EQ(dialog.items[0].windowClass.ordinal, 0x81);
    EXPECT_EQ(dialog.size, kExtended.size());
}

TEST(DialogTemplateReader, MalformedTemplatesAreRefused) {
    for (const Bytes* source : {&kClassic, &kExtended}) {
        for (size_t size = 0; size < source->size(); ++size) {
            DialogTemplate dialog;
            EXPECT_FALSE(ParseDialogTemplate(source->data(), size, &dialog)) << size;
        }
    }
    Bytes tooMany = kClassic;
    tooMany[8] = 0x30;  // 48 items announced
    DialogTemplate dialog;
    EXPECT_FALSE(ParseDialogTemplate(tooMany.data(), tooMany.size(), &dialog));
    Bytes unterminated = {0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x41, 0x00};
    EXPECT_FALSE(ParseDialogTemplate(unterminated.data(), unterminated.size(), &dialog));
    EXPECT_FALSE(ParseDialogTemplate(nullptr, 10, &dialog));
}

}  // namespace
