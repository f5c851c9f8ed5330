// The edit boxes that refuse characters: the held-job and user-tracking IDs and passwords and the
// custom size name, typed into by the headless user on a popup of the driver's sheet (the
// watermark text box is tried on the watermark list's own popup).
#include <palvex/message_box.h>
#include <palvex/ui_records.h>
#include <win/commctrl.h>
#include <win/imm.h>

#include "driver_page.h"
#include "options/filtered_edit.h"
#include "options/printer_address_handler.h"

namespace uitest {
namespace {

using palvex::UserAction;

constexpr char16_t kAccountWarning[] = u"使用できない文字が含まれています。";
constexpr char16_t kCustomNameWarning[] = u"不定形の名前に、'=','\\' は使えません。";
constexpr char16_t kWarningCaption[] = u"警告";
constexpr WORD kTextChars = 64;

class FilteredEditTest : public DriverPageTest {
protected:
    // An edit item whose text buffer holds kTextChars characters and starts with text.
    LPWSTR AddTextItem(DWORD key, const std::u16string& text = {}) {
        POPTITEM item = AddItem(key, TVOT_EDITBOX, 2);
        item->pOptType->pOptParam[1].IconID = kTextChars;
        auto* buffer = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, kTextChars * sizeof(WCHAR)));
        std::copy(text.begin(), text.end(), buffer);
        item->pSel = buffer;
        return buffer;
    }
    // The popup of the account boxes, the watermark text and the custom size name.
    static std::vector<TemplateControl> Boxes() {
        std::vector<TemplateControl> controls;
        short y = 5;
        for (WORD id : {25402, 25405, 25502, 25505, 19152, 18100}) {
            controls.push_back({u"Edit", ES_AUTOHSCROLL, id, u"", 5, y});
            y = static_cast<short>(y + 20);
        }
        return controls;
    }
    // Reads a box: its text and its selection.
    static UserAction Look(int control, std::u16string* text, DWORD* start = nullptr, DWORD* end = nullptr) {
        return Check([=](HWND dialog) {
            HWND box = GetDlgItem(dialog, control);
            *text = TextOf(box);
            const LRESULT selection = SendMessageW(box, EM_GETSEL, 0, 0);
            if (start) *start = LOWORD(selection);
            if (end) *end = HIWORD(selection);
        });
    }
    std::vector<std::u16string> Warnings() {
        std::vector<std::u16string> texts;
        for (const auto& box : palvex::TakeMessageBoxRecords()) {
            EXPECT_EQ(box.caption, kWarningCaption);
            EXPECT_EQ(box.style & MB_ICONEXCLAMATION, static_cast<UINT>(MB_ICONEXCLAMATION));
            texts.push_back(box.text);
        }
        return texts;
    }
};

TEST_F(FilteredEditTest, AccountBoxesKeepOnlyWhatTheJobHeaderCarries) {
    for (DWORD key : {25402u, 25405u, 25502u, 25505u}) AddTextItem(key);
    AddTextItem(2402);
    AddTextItem(18100);
    MakeFactory();
    const std::u16string sixteen(16, u'a');
    struct Case {
        int box;
        std::u16string typed, shown;
        bool warned;
    } cases[] = {
        {25502, sixteen + u"b", sixteen, false},               // the 17th half-width character is cut
        {25405, sixteen + u"bcd", sixteen, false},
        {25502, std::u16string(15, u'a') + u"あ", std::u16string(15, u'a'), false},  // "あ" would make 17
        {25502, u"ｱｲｳ", u"ｱｲｳ", false},                       // half-width katakana: an ID may hold it
        {25505, u"ｱｲｳ", u"", true},                            // a password may not
        {25402, u"ａｂ", u"", true},                            // full-width letters in the held-job ID
        {25502, u"山田", u"山田", false},
        {25402, u"a+b", u"", true},
        {25502, u"\"x\"", u"", true},
    };
    for (const Case& c : cases) {
        std::u16string shown;
        RunPage(Boxes(), {Act(UserAction::SetText, c.box, 0, c.typed), Look(c.box, &shown)});
        EXPECT_EQ(shown, c.shown) << c.box;
        EXPECT_EQ(Warnings(), c.warned ? std::vector<std::u16string>{kAccountWarning} : std::vector<std::u16string>{})
            << c.box;
    }
}

TEST_F(FilteredEditTest, ARefusedCharacterWarnsAndLeavesTheAcceptedTextWithTheCaretBeforeIt) {
    for (DWORD key : {25402u, 25405u, 25502u, 25505u}) AddTextItem(key);
    AddTextItem(2402);
    AddTextItem(18100);
    MakeFactory();
    palvex::TakeInputContextMoves();
    std::u16string afterB, afterQuote, afterFullWidth;
    DWORD start = 9, end = 9, fullStart = 9;
    std::vector<palvex::InputContextMove> moves;
    RunPage(Boxes(), {Type(25402, u'a'), Type(25402, u'b'), Look(25402, &afterB), Type(25402, u'"'),
                      Look(25402, &afterQuote, &start, &end), Type(25405, u'x'), Type(25405, u'ｘ'),
                      Look(25405, &afterFullWidth, &fullStart), Leave(25405),
                      Check([&](HWND dialog) {
                          for (const auto& move : palvex::TakeInputContextMoves())
                              if (move.window == GetDlgItem(dialog, 25405)) moves.push_back(move);
                      })});
    EXPECT_EQ(afterB, u"ab");
    EXPECT_EQ(afterQuote, u"ab");
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 2u);
    EXPECT_EQ(afterFullWidth, u"x");
    EXPECT_EQ(fullStart, 1u);
    EXPECT_EQ(Warnings(), (std::vector<std::u16string>{kAccountWarning, kAccountWarning}));
    // The password box had no input method while it had the focus, and got it back.
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_FALSE(moves[0].associated);
    EXPECT_TRUE(moves[1].associated);
}

TEST_F(FilteredEditTest, AFirstRefusedKeyKeepsTheTextTheBoxOpenedWith) {
    LPWSTR password = AddTextItem(25405, u"secret");
    LPWSTR name = AddTextItem(18100, u"Mine");
    for (DWORD key : {25402u, 25502u, 25505u}) AddTextItem(key);
    MakeFactory();
    struct Case {
        int box;
        WCHAR key;
        LPWSTR stored;
        std::u16string opening;
        const char16_t* warning;
    } cases[] = {
        {25405, u'"', password, u"secret", kAccountWarning},
        {18100, u'\\', name, u"Mine", kCustomNameWarning},
    };
    for (const Case& c : cases) {
        std::u16string shown;
        RunPage(Boxes(), {Check([&](HWND dialog) { SendDlgItemMessageW(dialog, c.box, EM_SETSEL, 100, 100); }),
                          Type(c.box, c.key), Look(c.box, &shown)});
        EXPECT_EQ(shown, c.opening) << c.box;
        EXPECT_EQ(std::u16string(c.stored), c.opening) << c.box;
        EXPECT_EQ(Warnings(), std::vector<std::u16string>{c.warning}) << c.box;
    }
}

TEST_F(FilteredEditTest, TheCustomNameRefusesWhatTheStoredSettingsCannotHold) {
    for (DWORD key : {25402u, 25405u, 25502u, 25505u}) AddTextItem(key);
    LPWSTR name = AddTextItem(18100);
    MakeFactory();
    struct Case {
        int box;
        std::u16string typed, shown;
        std::vector<std::u16string> warnings;
    } cases[] = {
        {18100, u"A4\\wide", u"", {kCustomNameWarning}},
        {18100, u"x=1", u"", {kCustomNameWarning}},
        {18100, u"封筒 長形3号+", u"封筒 長形3号+", {}},
    };
    for (const Case& c : cases) {
        name[0] = 0;
        std::u16string shown;
        RunPage(Boxes(), {Act(UserAction::SetText, c.box, 0, c.typed), Look(c.box, &shown)});
        EXPECT_EQ(shown, c.shown) << c.box;
        EXPECT_EQ(std::u16string(name), c.shown) << c.box;
        EXPECT_EQ(Warnings(), c.warnings) << c.box;
    }
}

TEST_F(FilteredEditTest, FilterKeepsWidthAndRemovesTheRefusedSet) {
    struct Case {
        DWORD box;
        std::u16string text, kept;
        DWORD removed;
        bool refused;
    } cases[] = {
        {25402, u"ab\"c+", u"abc", 2, true},
        {25502, u"ａｂｃｄｅｆｇｈｉ", u"ａｂｃｄｅｆｇｈ", 0, false},  // eight full-width fill the width
        {25502, u"abcdefghijklmnoｱp", u"abcdefghijklmnoｱ", 0, false},
        {25505, u"abｶ", u"ab", 0, true},
    };
    for (const Case& c : cases) {
        const EditFilterResult result = FilterEditText(c.text, IdAndPasswordRule(c.box));
        EXPECT_EQ(result.m_text, c.kept) << c.box;
        EXPECT_EQ(result.m_removed, c.removed) << c.box;
        EXPECT_EQ(result.m_refused, c.refused) << c.box;
    }
}

TEST_F(FilteredEditTest, TheHeldJobPopupOpensWithTheStoredAccountAndAStrayQuoteKeepsIt) {
    AddTextItem(25402);
    AddTextItem(25405);
    for (DWORD key : {25407u, 25408u, 25409u}) AddItem(key, TVOT_PUSHBUTTON, 1);
    MakeFactory();
    auto* account = static_cast<QVOptItemHandlerIDANDPWD*>(Handler(25402));
    account->SetIDandPWD(u"job7", u"pw7");
    std::u16string id, password, typed;
    DWORD caret = 9;
    RunPage({{u"Edit", ES_AUTOHSCROLL, 25402, u"", 5, 5},
             {u"Edit", ES_AUTOHSCROLL | ES_PASSWORD, 25405, u"", 5, 25},
             {u"Button", BS_PUSHBUTTON, 25407, u"OK", 5, 45},
             {u"Button", BS_PUSHBUTTON, 25408, u"Cancel", 5, 65},
             {u"Button", BS_PUSHBUTTON, 25409, u"Clear", 5, 85}},
            {Look(25402, &id), Look(25405, &password),
             Check([](HWND dialog) { SendDlgItemMessageW(dialog, 25405, EM_SETSEL, 3, 3); }), Type(25405, u'"'),
             Look(25405, &typed, &caret)});
    EXPECT_EQ(id, u"job7");
    EXPECT_EQ(password, u"pw7");
    EXPECT_EQ(typed, u"pw7");
    EXPECT_EQ(caret, 3u);
    EXPECT_EQ(Warnings(), std::vector<std::u16string>{kAccountWarning});
    EXPECT_EQ(std::u16string(account->Password()), u"pw7");
}

}  // namespace
}  // namespace uitest
