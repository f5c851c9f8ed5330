// The Main page's rules: the confirmation of changes to other items and its Cancel, the binding
// edge, media against duplex, the fit-to-output scale, the locks between pages per sheet, scale and
// scale-to-output, and favourites whose paper source the device no longer has.
#include <win/winspool_forms.h>

#include "constraint_sheet.h"
#include "items/optitem_handler.h"
#include "options/constraint_main.h"

namespace uitest {
namespace {

constexpr char16_t kTitle[] = u"設定変更の確認";
constexpr char16_t kHeadDocumentSize[] = u"指定された[原稿サイズ]設定を使用するために、以下の設定を変更します。\nよろしいですか？\n\n";
constexpr char16_t kHeadMediaType[] = u"指定された[用紙種類]設定を使用するために、以下の設定を変更します。\nよろしいですか？\n\n";
constexpr char16_t kLineManualFeed[] = u"  [給紙選択] -> 手差し\n";
constexpr char16_t kLineThick1[] = u"  [用紙種類] -> 厚紙1\n";
constexpr char16_t kLineOneSided[] = u"  [両面印刷] -> 片面\n";
constexpr UINT kPromptStyle = 0x41;  // MB_OKCANCEL | MB_ICONINFORMATION

class MainRulesTest : public ConstraintSheetTest {
protected:
    QORVAOptItemConstraintMAIN* Rules() { return static_cast<QORVAOptItemConstraintMAIN*>(m_factory->Constraint(0)); }
};

TEST_F(MainRulesTest, ADocumentSizeNoTrayTakesAsksOnceListingEveryChange) {
    struct Case {
        LONG duplex;       // selection of item 7
        LONG manualMedia;  // media index of the manual feed's tray
        int answer;
        std::u16string body;
        LONG_PTR documentSize, source, duplexAfter, mediaAfter;
    };
    const Case cases[] = {
        {0, 0, IDCANCEL, std::u16string(kHeadDocumentSize) + kLineManualFeed, 9, 1, 0, 513},
        {0, 0, IDOK, std::u16string(kHeadDocumentSize) + kLineManualFeed, 7, 4, 0, 513},
        // Duplex on and thick paper in the manual feed: a line each, in this order.
        {1, 1, IDOK, std::u16string(kHeadDocumentSize) + kLineManualFeed + kLineThick1 + kLineOneSided, 7, 4, 0, 518},
        {1, 1, IDCANCEL, std::u16string(kHeadDocumentSize) + kLineManualFeed + kLineThick1 + kLineOneSided, 9, 1, 1, 513},
    };
    for (const Case& c : cases) {
        OpenSheet({{4, 0}, {3, 0}, {3, 0}, {5, c.manualMedia}});
        HWND page = OpenPage(kMainPage);
        PresetSel(7, c.duplex);
        Boxes();
        palvex::QueueMessageBoxAnswers({c.answer});
        Choose(page, 1203, u"Executive");
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.answer;
        EXPECT_EQ(boxes[0].caption, kTitle);
        EXPECT_EQ(boxes[0].style, kPromptStyle);
        EXPECT_EQ(boxes[0].owner, page);
        EXPECT_EQ(boxes[0].text, c.body);
        EXPECT_EQ(Value(1203), c.documentSize) << c.answer;
        EXPECT_EQ(Value(4), c.source) << c.answer;
        EXPECT_EQ(Sel(7), c.duplexAfter) << c.answer;
        EXPECT_EQ(Value(12), c.mediaAfter) << c.answer;
        // Cancel leaves the trays the device has selectable.
        for (LONG option = 0; option < 5; ++option) EXPECT_FALSE(Hidden(4, option) && c.answer == IDCANCEL) << option;
        CloseSheet();
    }
}

TEST_F(MainRulesTest, TheSizesOfEachSourceFollowTheMarket) {
    struct Case {
        DWORD market;  // 0: none
        LONG source;   // selection of item 4
        const char16_t* paper;
        bool asks;
    };
    const Case cases[] = {
        {0, 1, u"A4", false},        {1041, 1, u"Statement", true}, {1033, 1, u"Statement", false},
        {1033, 0, u"A5", true},      {1041, 0, u"A5", false},       {0, 0, u"Executive", true},
        {1041, 4, u"Executive", false},
    };
    for (const Case& c : cases) {
        if (c.market) {
            SetPrinterNumber(u"Market", c.market);
        } else {
            PrinterHandle admin;
            DeletePrinterDataExW(admin.get(), u"PrinterDriverData", u"Market");
        }
        OpenSheet();
        HWND page = OpenPage(kMainPage);
        PresetSel(4, c.source);
        Boxes();
        palvex::QueueMessageBoxAnswers({IDCANCEL});
        Choose(page, 1203, c.paper);
        EXPECT_EQ(Boxes().size(), c.asks ? 1u : 0u) << c.market << " " << c.source;
        CloseSheet();
    }
}

TEST_F(MainRulesTest, OpeningThePageCorrectsWithoutAsking) {
    OpenSheet();
    PresetSel(7, 1);
    Preset(1203, 7);  // Executive in tray 1, duplex on
    OpenPage(kMainPage);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Value(4), 4);
    EXPECT_EQ(Sel(7), 0);
}

TEST_F(MainRulesTest, HeavyMediaWithDuplexAsksToPrintOneSided) {
    for (const int answer : {IDCANCEL, IDOK}) {
        OpenSheet();
        HWND page = OpenPage(kAdvancedPage);
        Preset(4, 4);  // the manual feed takes any media
        PresetSel(7, 1);
        Boxes();
        palvex::QueueMessageBoxAnswers({answer});
        Choose(page, 1303, u"厚紙1");
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, std::u16string(kHeadMediaType) + kLineOneSided);
        EXPECT_EQ(Value(12), answer == IDOK ? 518 : 513);
        EXPECT_EQ(Sel(7), answer == IDOK ? 0 : 1);
        CloseSheet();
    }
}

TEST_F(MainRulesTest, TheBindingEdgeFollowsPaperOrientationAndPagesPerSheet) {
    struct Case {
        const char16_t* paper;
        LONG landscape;
        LONG pagesPerSheet;  // selection of item 16
        LONG_PTR edge;
    };
    const Case cases[] = {
        {u"A4", 0, 0, 0},          {u"A4", 1, 0, 1},           {u"A3", 0, 0, 1},          {u"A3", 1, 0, 0},
        {u"A4", 0, 1, 1},          {u"A3", 0, 3, 0},           {u"A4", 0, 2, 0},
        // Forms outside the groups: by their size.
        {u"Wide 300x200", 0, 0, 0}, {u"Wide 300x200", 1, 0, 1}, {u"Square 200", 1, 0, 0}, {u"Square 200", 0, 0, 0},
        {u"Executive", 0, 0, 0},   {u"Executive", 1, 0, 1},
    };
    OpenSheet();
    HWND page = OpenPage(kMainPage);
    Preset(4, 4);
    for (const Case& c : cases) {
        PresetSel(1, c.landscape);
        PresetSel(16, c.pagesPerSheet);
        Choose(page, 1203, c.paper);
        Handler(1)->SetCurSel(c.landscape ? 0 : 1, nullptr);
        Handler(1)->SetCurSel(c.landscape, nullptr);
        EXPECT_EQ(Value(32504), c.edge) << std::string(c.paper, c.paper + 2) << " " << c.landscape << " " << c.pagesPerSheet;
    }
    // A binding direction of its own is the edge as it is.
    Preset(2601, 1);
    Handler(1)->SetCurSel(0, nullptr);
    EXPECT_EQ(Value(32504), 1);
}

}  // namespace
}  // namespace uitest
