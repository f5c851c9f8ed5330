// The Main page's rules: the confirmation of changes to other items and its Cancel, the binding
// edge, media against duplex, the fit-to-output scale, the locks between pages per sheet, scale and
// scale-to-output, and favourites whose paper source the device no longer has.
#include <win/winspool_forms.h>

#include "constraint_sheet.h"
#include "items/optitem_handler.h"
#include "options/constraint_main.h"
#include "options/printer_address_handler.h"

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
        SetMarket(c.market);
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

namespace uitest {
namespace {

class MainScaleTest : public MainRulesTest {
protected:
    // The document size set, the page open, scale-to-output turned on by the user.
    HWND ScaleToOutput(const char16_t* document, LONG source = 1) {
        OpenSheet();
        Preset(4, source == 1 ? 1 : source);
        HWND page = OpenPage(kMainPage);
        Choose(page, 1203, document);
        Click(page, 3101, true);
        return page;
    }
};

TEST_F(MainScaleTest, ThePrinterGivesTheMarginTheScaleLeavesOut) {
    // The printer's facts the scale is computed from.
    HDC context = CreateDCW(nullptr, kPrinter, nullptr, nullptr);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(GetDeviceCaps(context, PHYSICALOFFSETX), 100);
    EXPECT_EQ(GetDeviceCaps(context, LOGPIXELSX), 600);
    DeleteDC(context);

    struct Case {
        const char16_t* document;
        const char16_t* output;
        LONG source;
        bool noContext;
        LONG_PTR scale;
    };
    const Case cases[] = {
        // (148000 - 8466) x 100 / (297000 - 8466)
        {u"A3", u"A5", 1, false, 48},
        // Without the printer's context: 148000 x 100 / 297000.
        {u"A3", u"A5", 1, true, 49},
        {u"A3", u"A3", 1, false, 100},
        // An output form that cannot be read counts as 100 wide, narrower than the margin: the
        // scale goes to the item's lower bound rather than wrapping round to its upper one.
        {u"A3", u"Nowhere", 4, false, 25},
        {u"Nowhere", u"A5", 4, false, 25},
        {u"A5", u"A3", 1, false, 206},
    };
    for (const Case& c : cases) {
        HWND page = ScaleToOutput(c.document, c.source);
        if (c.noContext) m_record.pPrinterName = const_cast<LPWSTR>(u"Palvex Printer Nobody Has");
        Choose(page, 3102, c.output);
        m_record.pPrinterName = m_printerName.data();
        EXPECT_EQ(Value(3203), c.scale) << std::string(c.output, c.output + 2) << c.noContext;
        EXPECT_EQ(Rules()->AutoScale(), 1u);
        // A computed scale does not lock scale-to-output; scale-to-output locks the scale.
        EXPECT_EQ(Reason(3101, 0x1000), 0);
        EXPECT_EQ(Reason(3203, 0x1000), 33410);
        EXPECT_EQ(State(3102) & 0x1u, 0u);
        EXPECT_EQ(Handler(1203)->Note(), c.scale == 100 ? 0x80000000u : 0x80000000u | 33413);
        CloseSheet();
    }
}

TEST_F(MainScaleTest, TurningScaleToOutputOffPutsTheScaleBack) {
    HWND page = ScaleToOutput(u"A3");
    Choose(page, 3102, u"A5");
    ASSERT_EQ(Value(3203), 48);
    Click(page, 3101, false);
    EXPECT_EQ(Value(3203), 100);
    EXPECT_EQ(Value(3102), 8);  // the output size follows the document size again
    EXPECT_EQ(State(3102) & 0x1u, 0x1u);
    EXPECT_EQ(Rules()->AutoScale(), 0u);
    EXPECT_EQ(Handler(1203)->Note(), 0x80000000u);
}

TEST_F(MainRulesTest, PagesPerSheetAndAScaleOfTheUsersLockTheOthers) {
    OpenSheet();
    OpenPage(kMainPage);
    EXPECT_EQ(Reason(3101, 0x2000), 0);
    EXPECT_EQ(Reason(3101, 0x1000), 0);
    Handler(3203)->SetValue(150, nullptr);
    EXPECT_EQ(Reason(3101, 0x1000), 33411);
    EXPECT_EQ(Reason(3203, 0x1000), 0);
    Handler(16)->SetCurSel(2, nullptr);  // 4 pages per sheet
    EXPECT_EQ(Reason(3101, 0x2000), 33409);
    EXPECT_EQ(Reason(3203, 0x2000), 33409);
    Handler(3203)->SetValue(100, nullptr);
    Handler(16)->SetCurSel(0, nullptr);
    EXPECT_EQ(State(3101) & 0x3000u, 0u);
    EXPECT_EQ(State(3203) & 0x3000u, 0u);
}

TEST_F(MainRulesTest, SecurePrintOpensItsSettingsWhenNoIdIsSet) {
    OpenSheet();
    HWND page = OpenPage(kMainPage);
    HWND button = GetDlgItem(page, 1142);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(IsWindowEnabled(button));
    std::vector<Seen> pushes;
    auto* watcher = MakeOnHeap<Recorder>(m_heap, 'p', m_heap, m_factory, &pushes);
    watcher->ObserveItem(watcher->GetHandler(1142));
    Choose(page, 1141, u"機密印刷");
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_EQ(pushes.size(), 1u);
    Choose(page, 1141, u"通常印刷");
    EXPECT_FALSE(IsWindowEnabled(button));
    // With an ID the button is only enabled.
    dynamic_cast<QVOptItemHandlerIDANDPWD*>(Handler(25402))->SetIDandPWD(u"4321", u"pw");
    Choose(page, 1141, u"機密印刷");
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_EQ(pushes.size(), 1u);
    watcher->ReleaseItemMap();
    watcher->Destroy();
}

TEST_F(MainRulesTest, AFavouriteWhoseSourceTheDeviceLacksAsksAndIsRefused) {
    struct Case {
        std::vector<std::pair<LONG, LONG>> trays;
        LONG_PTR source;     // value of item 4
        const char16_t* loaded;  // stored value read through the item (null: set as it is)
        bool asks;
    };
    const Case cases[] = {
        {{{4, 0}, {3, 0}, {0, 0}, {5, 0}}, 2, nullptr, true},   // tray 3 without its tray
        {{{4, 0}, {3, 0}, {0, 0}, {5, 0}}, 3, nullptr, false},  // tray 2 is there
        {{{4, 0}, {0, 0}, {0, 0}, {0, 0}}, 3, nullptr, true},
        {{{4, 0}, {3, 0}, {3, 0}, {5, 0}}, 2, nullptr, false},
        // A stored source the list does not hold.
        {{{4, 0}, {3, 0}, {3, 0}, {5, 0}}, 1, u"7", true},
    };
    for (const Case& c : cases) {
        for (const int answer : {IDYES, IDNO}) {
            OpenSheet(c.trays);
            OpenPage(kMainPage);
            Preset(4, c.source);
            if (c.loaded) {
                DWORD ok = 1;
                Handler(4)->QLoad(c.loaded, &ok);
            }
            Boxes();
            palvex::QueueMessageBoxAnswers({answer});
            const DWORD result = Handler(4)->RouteNotify(4, 0xFFFF, 0);
            const auto boxes = Boxes();
            ASSERT_EQ(boxes.size(), c.asks ? 1u : 0u) << c.source;
            EXPECT_EQ(result == 2, c.asks) << c.source;
            if (c.asks) {
                EXPECT_EQ(boxes[0].caption, u"お気に入り");
                EXPECT_EQ(boxes[0].text, u"お気に入りの読み込み中に現在の装置情報との矛盾を検出しました。\nこの[お気に入り]を削除しますか？\n"
                                         u"[はい]の場合は削除します。[いいえ]の場合は削除せず読み込みをキャンセルします。");
                EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
            }
            // The sources whose tray is missing are hidden.
            for (LONG option = 1; option < 4; ++option)
                EXPECT_EQ(Hidden(4, option), c.trays[option - 1].first == 0) << option;
            CloseSheet();
        }
    }
}

}  // namespace
}  // namespace uitest
