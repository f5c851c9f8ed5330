// The Layout and Advanced pages' rules: the N-up, binding-margin, watermark and date-stamp items
// enabled and locked against each other and against scaling; the toner-save lock by market and
// the document-options button.
#include "constraint_sheet.h"
#include "items/optitem_handler.h"
#include "options/factory_tables.h"

namespace uitest {
namespace {

class LayoutRulesTest : public ConstraintSheetTest {
protected:
    bool Disabled(DWORD key) { return (State(key) & 0x1u) != 0; }
};

TEST_F(LayoutRulesTest, PagesPerSheetLocksTheBindingMarginAndEnablesBordersAndOrder) {
    OpenSheet();
    HWND page = OpenPage(kLayoutPage);
    EXPECT_TRUE(Disabled(2300));
    EXPECT_TRUE(Disabled(2352));
    EXPECT_EQ(Reason(2602, 0x2000), 0);
    EXPECT_TRUE(Disabled(2603));  // the margin is off
    Click(page, 2602, true);
    EXPECT_FALSE(Disabled(2603));
    EXPECT_EQ(Reason(16, 0x4000), 33428);
    Click(page, 2602, false);
    EXPECT_EQ(Reason(16, 0x4000), 0);
    EXPECT_TRUE(Disabled(2603));

    Handler(16)->SetCurSel(2, nullptr);  // 4 pages per sheet
    EXPECT_FALSE(Disabled(2300));
    EXPECT_FALSE(Disabled(2352));
    EXPECT_EQ(Reason(2602, 0x2000), 33409);
    EXPECT_TRUE(Disabled(2603));
    Handler(16)->SetCurSel(0, nullptr);
    EXPECT_TRUE(Disabled(2300));
    EXPECT_EQ(Reason(2602, 0x2000), 0);
}

TEST_F(LayoutRulesTest, ScalingLocksPagesPerSheetForEachReason) {
    OpenSheet();
    HWND page = OpenPage(kMainPage);
    Handler(3203)->SetValue(150, nullptr);
    EXPECT_EQ(Reason(16, 0x1000), 33411);
    EXPECT_EQ(Reason(16, 0x2000), 0);
    // Scale-to-output computes the scale of A4 on A5.
    Click(page, 3101, true);
    Choose(page, 3102, u"A5");
    EXPECT_NE(Value(3203), 100);
    EXPECT_EQ(Reason(16, 0x2000), 33410);
    EXPECT_EQ(Reason(16, 0x1000), 33411);  // both stand
    Choose(page, 3102, u"A4");
    EXPECT_EQ(Reason(16, 0x1000), 0);
    Click(page, 3101, false);
    EXPECT_EQ(State(16) & 0x3000u, 0u);
}

TEST_F(LayoutRulesTest, TheDateStampEnablesItsFormatAndFirstPageControls) {
    struct Case {
        const char16_t* stamp;
        bool format, firstPage, timeFormat;  // enabled
    };
    const Case cases[] = {
        {u"日付", true, true, false},
        {u"日付と時刻", true, true, true},
        {u"なし", false, false, true},  // the time format keeps its state
        {u"日付", true, true, false},
    };
    OpenSheet();
    HWND page = OpenPage(kLayoutPage);
    for (const Case& c : cases) {
        Choose(page, 2621, c.stamp);
        EXPECT_EQ(!Disabled(2622), c.format);
        EXPECT_EQ(!Disabled(2624), c.firstPage);
        EXPECT_EQ(!Disabled(25750), c.timeFormat);
    }
    // A disabled date stamp control keeps the first-page switch disabled.
    EnableWindow(GetDlgItem(page, 2621), FALSE);
    Handler(2621)->SetValue(2, nullptr);
    EXPECT_TRUE(Disabled(2624));
    EXPECT_FALSE(Disabled(2622));
}

TEST_F(LayoutRulesTest, TheWatermarksFirstPageSwitchNeedsAWatermark) {
    OpenSheet();
    HWND page = OpenPage(kLayoutPage);
    EXPECT_TRUE(Disabled(2500));
    // The watermark list sets its "on" item before its change is heard.
    Choose(page, 2402, u"DRAFT");
    EXPECT_FALSE(Disabled(2500));
    EnableWindow(GetDlgItem(page, 2402), FALSE);
    Handler(2402)->SetCurSel(0, nullptr);
    EXPECT_TRUE(Disabled(2500));
    EnableWindow(GetDlgItem(page, 2402), TRUE);
    Handler(2402)->SetCurSel(1, nullptr);
    EXPECT_FALSE(Disabled(2500));
    Handler(2402)->SetCurSel(0, nullptr);
    EXPECT_TRUE(Disabled(2500));
}

TEST_F(LayoutRulesTest, AWatermarkLoadedFromAFavouriteThatFitsIsAccepted) {
    OpenSheet();
    OpenPage(kLayoutPage);
    Boxes();
    EXPECT_NE(Handler(2402)->RouteNotify(2402, 0xFFFF, 0), 2u);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(LayoutRulesTest, AWatermarkMissingFromTheListAsksAndRefusesTheFavourite) {
    for (const int answer : {IDYES, IDNO}) {
        OpenSheet();
        OpenPage(kLayoutPage);
        DWORD ok = 1;
        Handler(2402)->QLoad(u"NOT IN THE LIST", &ok);
        Boxes();
        palvex::QueueMessageBoxAnswers({answer});
        EXPECT_EQ(Handler(2402)->RouteNotify(2402, 0xFFFF, 0), 2u);
        const auto shown = Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, u"お気に入り");
        EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    }
}

TEST_F(LayoutRulesTest, TheTonerSaveLockIsClearedForJapanAndTheButtonNeedsStandardItems) {
    struct Case {
        DWORD market;  // 0: none
        bool locked;
    };
    for (const Case c : {Case{0, false}, {1041, false}, {1033, true}}) {
        SetMarket(c.market);
        OpenSheet();
        Handler(kEcoModeKey)->SetLinkState(0x1000, 33411, 0x8000);
        OpenPage(kAdvancedPage);
        EXPECT_EQ((State(kEcoModeKey) & 0x1000u) != 0, c.locked) << c.market;
        // No standard items for the document options: the button is hidden.
        EXPECT_EQ(Handler(1075)->GetExtState(), 0u);
        CloseSheet();
    }
    OpenSheet();
    m_extension->m_standardGroups[0] = 1019;
    OpenPage(kAdvancedPage);
    EXPECT_EQ(Handler(1075)->GetExtState(), 1u);
}

}  // namespace
}  // namespace uitest
