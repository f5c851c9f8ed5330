// The standard handler classes: which one an item gets, ranges and their clamping, push buttons
// and the walk over a tab's items.
#include <typeinfo>

#include <palvex/utf8.h>

#include "optitem_sheet.h"

namespace uitest {
namespace {

class StandardHandlersTest : public SheetTest {};

TEST_F(StandardHandlersTest, EachTypeGetsItsClass) {
    struct Case {
        BYTE type;
        const std::type_info& made;
    } cases[] = {
        {TVOT_2STATES, typeid(QORVAOptItemHandler2States)},   {TVOT_3STATES, typeid(QORVAOptItemHandler3States)},
        {TVOT_UDARROW, typeid(QORVAOptItemHandlerUDArrow)},   {TVOT_TRACKBAR, typeid(QORVAOptItemHandlerTrackbar)},
        {TVOT_SCROLLBAR, typeid(QORVAOptItemHandlerScrollbar)}, {TVOT_LISTBOX, typeid(QORVAOptItemHandlerListbox)},
        {TVOT_COMBOBOX, typeid(QORVAOptItemHandlerCombobox)}, {TVOT_EDITBOX, typeid(QORVAOptItemHandlerEditbox)},
        {TVOT_PUSHBUTTON, typeid(QORVAOptItemHandlerPushbutton)}, {TVOT_CHKBOX, typeid(QORVAOptItemHandlerCheckbox)},
        {20, typeid(QORVAOptItemHandlerTabCtrl)},             {TVOT_NSTATES_EX, typeid(QORVAOptItemHandlerNone)},
    };
    DWORD key = 300;
    for (const Case& c : cases) AddItem(key++, c.type, 3);
    OPTITEM none{};
    none.cbSize = sizeof none;
    none.DMPubID = 101;
    none.UserItemID = 10;  // key 1661
    m_items.push_back(none);
    MakeFactory();
    key = 300;
    for (const Case& c : cases) {
        QORVAOptItemHandler* handler = Handler(key++);
        ASSERT_NE(handler, nullptr);
        EXPECT_EQ(typeid(*handler), c.made) << int(c.type);
    }
    ASSERT_NE(Handler(1661), nullptr);
    EXPECT_EQ(typeid(*Handler(1661)), typeid(QORVAOptItemHandlerNone));
    // An item made twice is the same handler; an item without a key gets none.
    EXPECT_EQ(m_factory->CreateHandler(&m_items[0]), Handler(300));
    OPTITEM keyless{};
    EXPECT_EQ(m_factory->CreateHandler(&keyless), nullptr);
}

TEST_F(StandardHandlersTest, RangesClampAtTheirOwnWidth) {
    AddItem(300, TVOT_SCROLLBAR, 3, {0, 10, 1});
    AddItem(301, TVOT_TRACKBAR, 3, {0, 10, 1});
    AddItem(302, TVOT_UDARROW, 2, {0, 10});
    for (OPTITEM& item : m_items) item.pOptType->pOptParam[1].IconID = 0;
    MakeFactory();
    struct Case {
        DWORD key;
        LONG_PTR value;
        LONG selected;
    } cases[] = {
        {300, 65535, 0},  // -1 as a 16-bit number
        {301, 65535, 0},
        {302, 65535, 10}, // a 32-bit number
        {300, 7, 7},
        {301, 11, 10},
        {302, -3, 0},
    };
    for (const Case& c : cases) {
        Handler(c.key)->SetValue(c.value, nullptr);
        EXPECT_EQ(Handler(c.key)->GetSel(), c.selected) << c.key << " " << c.value;
    }
    Handler(300)->SelectString(u"4", nullptr);
    EXPECT_EQ(Handler(300)->GetSel(), 4);
    // Texts that hold no number the item can take leave it as it was.
    for (const char16_t* text : {u"four", u"", u"-", u"99999999999999999999999"}) {
        Handler(300)->SelectString(text, nullptr);
        EXPECT_EQ(Handler(300)->GetSel(), 4) << palvex::ToUtf8(text);
    }
    DWORD isText = 1;
    EXPECT_EQ(Handler(302)->GetSelValue(nullptr, &isText), 0);
    EXPECT_EQ(isText, 0u);
    // Stepping does not wrap.
    Handler(301)->SetValue(10, nullptr);
    Handler(301)->StepSel(1, nullptr);
    EXPECT_EQ(Handler(301)->GetSel(), 10);
}

TEST_F(StandardHandlersTest, AnUpDownNumberAboveSixteenBitsIsANumber) {
    AddItem(302, TVOT_UDARROW, 2, {0, 0x7FFFFFFF});
    MakeFactory();
    Handler(302)->SetValue(100000, nullptr);
    LONG_PTR value = 0;
    DWORD isText = 1;
    Handler(302)->GetValue(nullptr, &value, &isText);
    EXPECT_EQ(value, 100000);
    EXPECT_EQ(isText, 0u);
}

TEST_F(StandardHandlersTest, APushButtonNeverChangesItsSelection) {
    std::vector<Seen> log;
    AddItem(300, TVOT_PUSHBUTTON, 1, {0});
    MakeFactory();
    Recorder watcher('W', m_heap, m_factory, &log);
    ASSERT_TRUE(watcher.ObserveItem(Handler(300)));
    QORVAOptItemHandler* push = Handler(300);
    EXPECT_EQ(push->SetCurSel(3, nullptr), 0);
    push->SetValue(3, nullptr);
    EXPECT_EQ(push->GetSel(), 0);
    EXPECT_EQ(m_items[0].Sel, 0);
    EXPECT_TRUE(log.empty());
    // Pressed without a target: the observers hear of it.
    push->Push(nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], Seen('W', 300, 0, 1));
    watcher.ReleaseItemMap();
}

TEST_F(StandardHandlersTest, ATabWalksItsOwnItems) {
    POPTITEM tabs = AddItem(300, 20, 2, {0, 0});
    tabs->pOptType->pOptParam[0].IconID = 301;
    tabs->pOptType->pOptParam[1].IconID = 303;
    for (DWORD key : {301u, 302u, 303u, 304u}) AddItem(key, TVOT_CHKBOX, 1)->Level = 2;
    MakeFactory();
    auto* tab = static_cast<QORVAOptItemHandlerTabCtrl*>(Handler(300));
    std::vector<DWORD> keys;
    DWORD cursor = 0;
    DWORD level = 0;
    while (QORVAOptItemHandler* handler = tab->NextTabItem(0, &cursor, &level)) keys.push_back(handler->ItemKey());
    EXPECT_EQ(keys, (std::vector<DWORD>{301, 302}));
    EXPECT_EQ(level, 2u);
    keys.clear();
    cursor = 0;
    while (QORVAOptItemHandler* handler = tab->NextTabItem(1, &cursor, &level)) keys.push_back(handler->ItemKey());
    EXPECT_EQ(keys, (std::vector<DWORD>{303, 304}));
    cursor = 4096;
    EXPECT_EQ(tab->NextTabItem(0, &cursor, &level), nullptr);
}

}  // namespace
}  // namespace uitest
