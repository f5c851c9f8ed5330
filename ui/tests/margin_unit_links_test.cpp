// The binding-margin popup's amount and the custom size popup's width and height: shown, typed and
// stepped in millimetres or inches as the units item says, on popups of the driver's sheet.
#include <win/commctrl.h>

#include "driver_page.h"

namespace uitest {
namespace {

using palvex::UserAction;

constexpr DWORD kUnits = 17250;
constexpr LONG kMillimetres = 0, kInches = 1;  // the units item's options (values 1 and 2)
constexpr DWORD kShiftMode = 25602;
constexpr DWORD kAmount = 25611;
constexpr DWORD kWidth = 17152, kHeight = 17202;

class UnitLinksTest : public DriverPageTest {
protected:
    POPTITEM AddLength(DWORD key, LONG value, DWORD minimum, LPARAM maximum) {
        POPTITEM item = AddItem(key, TVOT_UDARROW, 2);
        item->pOptType->pOptParam[1].IconID = minimum;
        item->pOptType->pOptParam[1].lParam = maximum;
        item->Sel = value;
        return item;
    }
    void AddUnits(LONG unit) { AddItem(kUnits, TVOT_2STATES, 2, {1, 2})->Sel = unit; }
    // The binding-margin popup's items: the amount holds 0 to 50 mm.
    void MarginItems(LONG amount, LONG unit) {
        AddLength(kAmount, amount, 0, 5000);
        AddItem(kShiftMode, TVOT_2STATES, 2, {0, 1});
        AddItem(25604, TVOT_NONE, 0);
        AddUnits(unit);
    }
    // The custom size popup's items: the ranges are given in tenths of a millimetre.
    void SizeItems(LONG width, LONG height, LONG unit) {
        AddLength(kWidth, width, 890, 2970);
        AddLength(kHeight, height, 980, 4320);
        AddUnits(unit);
    }
    static std::vector<TemplateControl> MarginPopup() {
        return {{u"Static", SS_LEFT, 25604, u"", 5, 5, 200, 30},
                {u"Edit", ES_AUTOHSCROLL, 25611, u"", 5, 40, 40, 14},
                {u"msctls_updown32", UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 25612, u"", 45, 40, 10, 14},
                {u"Static", SS_LEFT, 25613, u"", 60, 40, 100, 14}};
    }
    static std::vector<TemplateControl> SizePopup() {
        return {{u"Edit", ES_AUTOHSCROLL, 17152, u"", 5, 5, 40, 14},
                {u"msctls_updown32", UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 17153, u"", 45, 5, 10, 14},
                {u"Static", SS_LEFT, 17154, u"", 60, 5, 40, 14},
                {u"Edit", ES_AUTOHSCROLL, 17202, u"", 5, 25, 40, 14},
                {u"msctls_updown32", UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 17203, u"", 45, 25, 10, 14},
                {u"Static", SS_LEFT, 17204, u"", 60, 25, 40, 14}};
    }
    LONG Value(DWORD key) { return static_cast<LONG>(Handler(key)->GetSel()); }
    // Sets an item as a rule of the sheet would, and repaints what it queued.
    UserAction Set(DWORD key, LONG selection) {
        return Check([this, key, selection](HWND) {
            Handler(key)->SetCurSel(selection, nullptr);
            m_factory->FlushList();
        });
    }
    static UserAction Read(int control, std::u16string* text) {
        return Check([control, text](HWND dialog) { *text = TextOf(GetDlgItem(dialog, control)); });
    }
    UserAction Note(DWORD key, LONG* value) {
        return Check([this, key, value](HWND) { *value = Value(key); });
    }
    // The value after one press up and, from the same start, after one press down.
    std::pair<LONG, LONG> Steps(DWORD key, int arrows, std::vector<TemplateControl> popup) {
        LONG up = 0, down = 0;
        const LONG start = Value(key);
        RunPage(popup, {Act(UserAction::Spin, arrows, 1), Note(key, &up), Set(key, start),
                        Act(UserAction::Spin, arrows, -1), Note(key, &down), Set(key, start)});
        return {up, down};
    }
};

TEST_F(UnitLinksTest, TheMarginShowsInItsUnitAndStepsOnItsGrid) {
    MarginItems(0, kMillimetres);
    MakeFactory();
    struct Case {
        LONG unit, amount;
        std::u16string shown;
        LONG up, down;
    } cases[] = {
        {kMillimetres, 5000, u"50", 5000, 4900},
        {kInches, 5000, u"1.96", 5000, 4826},
        {kMillimetres, 520, u"5", 640, 400},   // off the grid: to the next whole millimetre
        {kMillimetres, 560, u"6", 600, 500},
        {kMillimetres, 2500, u"25", 2600, 2400},
        {kInches, 2540, u"1.00", 2794, 2286},  // a tenth of an inch each way
        {kInches, 2600, u"1.02", 2914, 2286},  // off the grid as well
        {kMillimetres, 0, u"0", 100, 0},
    };
    for (const Case& c : cases) {
        Handler(kUnits)->SetCurSel(c.unit, nullptr);
        Handler(kAmount)->SetCurSel(c.amount, nullptr);
        std::u16string shown;
        RunPage(MarginPopup(), {Read(25611, &shown)});
        EXPECT_EQ(shown, c.shown) << c.amount;
        EXPECT_EQ(Steps(kAmount, 25612, MarginPopup()), std::make_pair(c.up, c.down)) << c.amount;
    }
}

TEST_F(UnitLinksTest, TheMarginStoresOnlyWhatWasTypedOverTheShownText) {
    MarginItems(0, kMillimetres);
    MakeFactory();
    struct Case {
        LONG unit, amount;
        std::u16string typed;  // empty: the box gets the focus and loses it unedited
        LONG stored;
    } cases[] = {
        {kInches, 1000, u"1.96", 5000},       // the shown maximum means 50 mm
        {kInches, 1000, u"0.5", 1270},
        {kInches, 100, u"", 100},             // shown as 0.03: left alone it stays
        {kInches, 520, u"", 520},
        {kInches, 520, u"0.2", 508},          // typed, it is taken
        {kMillimetres, 1234, u"", 1234},
        {kMillimetres, 1000, u"20", 2000},
        {kMillimetres, 1000, u"010", 1000},   // the number shown
        {kMillimetres, 1000, u"abc", 1000},
        {kMillimetres, 1000, u"42949673", 5000},  // too large: the maximum, not a wrapped 4
        {kInches, 1000, u"1e99", 5000},
        {kInches, 1000, u"inf", 5000},
        {kInches, 1000, u"-inf", 0},
        {kInches, 1000, u"nan", 1000},
    };
    for (const Case& c : cases) {
        Handler(kUnits)->SetCurSel(c.unit, nullptr);
        Handler(kAmount)->SetCurSel(c.amount, nullptr);
        std::vector<UserAction> actions;
        if (!c.typed.empty()) actions.push_back(Act(UserAction::SetText, 25611, 0, c.typed));
        actions.push_back(Leave(25611));
        RunPage(MarginPopup(), actions);
        EXPECT_EQ(Value(kAmount), c.stored) << c.amount << " " << std::string(c.typed.begin(), c.typed.end());
    }
}

TEST_F(UnitLinksTest, TheMarginLabelAndTheModeExplanationFollowTheirItems) {
    MarginItems(5000, kMillimetres);
    MakeFactory();
    std::u16string label[2], amount[2], explanation[3];
    RunPage(MarginPopup(), {Read(25613, &label[0]), Read(25611, &amount[0]), Read(25604, &explanation[0]),
                            Set(kUnits, kInches), Read(25613, &label[1]), Read(25611, &amount[1]),
                            Read(25604, &explanation[1]), Set(kShiftMode, 1), Read(25604, &explanation[2])});
    EXPECT_EQ(label[0], u" mm [0...50]");
    EXPECT_EQ(label[1], u"インチ [0.00...1.96]");
    EXPECT_EQ(amount[0], u"50");
    EXPECT_EQ(amount[1], u"1.96");
    EXPECT_EQ(explanation[0], u"とじしろ量に応じて印刷イメージを平行移動します。用紙からはみ出す場合があります。");
    EXPECT_EQ(explanation[1], explanation[0]);
    EXPECT_EQ(explanation[2], u"とじしろ量に応じて印刷イメージを自動縮小します。用紙からはみ出さないよう縮小処理します。");
}

TEST_F(UnitLinksTest, SizesShowInTheirUnitWithInchesHeldToThePrintersPapers) {
    SizeItems(21000, 29700, kMillimetres);
    MakeFactory();
    struct Case {
        LONG unit, width, height;
        std::u16string shownWidth, shownHeight;
        LONG storedWidth, storedHeight;
    } cases[] = {
        {kMillimetres, 21000, 29700, u"210.0", u"297.0", 21000, 29700},
        {kInches, 21000, 29700, u"8.268", u"11.693", 21000, 29700},
        {kMillimetres, 5000, 50000, u"50.0", u"500.0", 5000, 50000},  // millimetres are shown as they are
        {kInches, 5000, 50000, u"3.550", u"17.000", 9017, 43180},
        {kInches, 40000, 10000, u"11.650", u"5.850", 29591, 14859},
    };
    for (const Case& c : cases) {
        Handler(kUnits)->SetCurSel(c.unit, nullptr);
        Handler(kWidth)->SetCurSel(c.width, nullptr);
        Handler(kHeight)->SetCurSel(c.height, nullptr);
        std::u16string width, height;
        RunPage(SizePopup(), {Read(17152, &width), Read(17202, &height)});
        EXPECT_EQ(width, c.shownWidth) << c.width;
        EXPECT_EQ(height, c.shownHeight) << c.height;
        EXPECT_EQ(Value(kWidth), c.storedWidth) << c.width;
        EXPECT_EQ(Value(kHeight), c.storedHeight) << c.height;
    }
}

TEST_F(UnitLinksTest, SizeArrowsStepOnTheGridOfTheUnitShown) {
    SizeItems(21000, 29700, kMillimetres);
    MakeFactory();
    struct Case {
        LONG unit, width, up, down;
    } cases[] = {
        {kMillimetres, 21007, 21020, 21000},  // between tenths: two tenths above the one below
        {kMillimetres, 21000, 21010, 20990},
        {kInches, 21000, 21082, 20828},       // 8.268 inches: to 8.3 and 8.2
        {kInches, 20828, 21082, 20574},
    };
    for (const Case& c : cases) {
        Handler(kUnits)->SetCurSel(c.unit, nullptr);
        Handler(kWidth)->SetCurSel(c.width, nullptr);
        EXPECT_EQ(Steps(kWidth, 17153, SizePopup()), std::make_pair(c.up, c.down)) << c.width;
    }
}

// A press of the arrows while the box still has the focus steps from what was typed in it, and the
// typed length is not lost when the box shows the stepped one.
TEST_F(UnitLinksTest, ArrowsStepFromWhatWasTypedInTheBox) {
    MarginItems(0, kMillimetres);
    SizeItems(21000, 29700, kMillimetres);
    MakeFactory();
    struct Case {
        DWORD key;
        int box, arrows;
        LONG unit;
        std::u16string typed;
        int presses;  // 1: one press up, -1: one press down
        LONG stored;
        std::u16string shown;
    } cases[] = {
        {kAmount, 25611, 25612, kMillimetres, u"20", 1, 2100, u"21"},
        {kAmount, 25611, 25612, kMillimetres, u"20", -1, 1900, u"19"},
        {kAmount, 25611, 25612, kInches, u"1", 1, 2794, u"1.10"},
        {kWidth, 17152, 17153, kMillimetres, u"150", 1, 15010, u"150.1"},
        {kWidth, 17152, 17153, kInches, u"8", -1, 20066, u"7.900"},
    };
    for (const Case& c : cases) {
        Handler(kUnits)->SetCurSel(c.unit, nullptr);
        Handler(c.key)->SetCurSel(c.key == kAmount ? 0 : 21000, nullptr);
        std::u16string shown;
        RunPage(c.key == kAmount ? MarginPopup() : SizePopup(),
                {Act(UserAction::SetText, c.box, 0, c.typed), Act(UserAction::Spin, c.arrows, c.presses),
                 Read(c.box, &shown)});
        EXPECT_EQ(Value(c.key), c.stored) << c.box << " " << std::string(c.typed.begin(), c.typed.end());
        EXPECT_EQ(shown, c.shown) << c.box;
    }
}

TEST_F(UnitLinksTest, SizesStoreOnlyWhatWasTypedOverTheShownText) {
    SizeItems(21000, 29700, kMillimetres);
    MakeFactory();
    struct Case {
        LONG unit, width;
        std::u16string typed;  // empty: left unedited
        LONG stored;
    } cases[] = {
        {kMillimetres, 14860, u"148.65", 14860},  // the same tenths
        {kMillimetres, 14860, u"150", 15000},
        {kMillimetres, 14865, u"", 14865},
        {kInches, 21007, u"", 21007},             // shown as 8.270: left alone it stays
        {kInches, 21007, u"8.27", 21005},
        {kInches, 21000, u"10", 25400},
        {kInches, 21000, u"1e99", 29591},      // the maximum, then held to 11.65 inches
        {kMillimetres, 21000, u"x", 21000},
    };
    for (const Case& c : cases) {
        Handler(kUnits)->SetCurSel(c.unit, nullptr);
        Handler(kWidth)->SetCurSel(c.width, nullptr);
        std::vector<UserAction> actions;
        if (!c.typed.empty()) actions.push_back(Act(UserAction::SetText, 17152, 0, c.typed));
        actions.push_back(Leave(17152));
        RunPage(SizePopup(), actions);
        EXPECT_EQ(Value(kWidth), c.stored) << c.width << " " << std::string(c.typed.begin(), c.typed.end());
    }
}

TEST_F(UnitLinksTest, SwitchingUnitsRewritesBothCaptionsAndBothBoxes) {
    SizeItems(21000, 29700, kMillimetres);
    MakeFactory();
    std::vector<std::u16string> seen;
    auto look = [&](HWND dialog) {
        std::u16string line;
        for (int id : {17154, 17152, 17204, 17202}) line += TextOf(GetDlgItem(dialog, id)) + u"|";
        seen.push_back(line);
    };
    RunPage(SizePopup(), {Check(look), Set(kUnits, kInches), Check(look), Set(kUnits, kMillimetres), Check(look)});
    EXPECT_EQ(seen, (std::vector<std::u16string>{u" mm|210.0| mm|297.0|", u"インチ|8.268|インチ|11.693|",
                                                 u" mm|210.0| mm|297.0|"}));
}

}  // namespace
}  // namespace uitest
