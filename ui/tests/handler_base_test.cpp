// The handler base and the routing of notifications: who is asked, in which order, with which
// depth, what the answers do to a change, and the values behind an item's options.
#include <cstring>

#include "optitem_sheet.h"

namespace uitest {
namespace {

constexpr DWORD kItem = 200;

// One item watched by an attached observer A, two chained observers B (older) and C (newer), and
// a sheet-wide observer F on the factory.
class RoutingTest : public SheetTest {
protected:
    void SetUp() override {
        AddItem(kItem, TVOT_COMBOBOX, 4);
        MakeFactory();
        m_handler = Handler(kItem);
        m_handler->SetAttachedObserver(&m_a);
        ASSERT_TRUE(m_b.ObserveItem(m_handler));
        ASSERT_TRUE(m_c.ObserveItem(m_handler));
        m_factory->SetAttachedObserver(&m_f);
    }
    void TearDown() override {
        for (Recorder* observer : {&m_c, &m_b}) observer->ReleaseItemMap();
        m_factory->SetAttachedObserver(nullptr);
    }
    std::vector<char> Order() {
        std::vector<char> order;
        for (const Seen& seen : m_log) order.push_back(std::get<0>(seen));
        return order;
    }

    QORVAOptItemHandler* m_handler = nullptr;
    Recorder m_a{'A', m_heap, nullptr, &m_log};
    Recorder m_b{'B', m_heap, nullptr, &m_log};
    Recorder m_c{'C', m_heap, nullptr, &m_log};
    Recorder m_f{'F', m_heap, nullptr, &m_log};
};

TEST_F(RoutingTest, AnswersDecideWhoElseIsAsked) {
    struct Case {
        const char* what;
        DWORD answerA, answerC, depth;
        std::vector<char> order;
        DWORD answer;
    } cases[] = {
        {"nobody handles", 1, 1, 0, {'A', 'C', 'B', 'F'}, 1},
        {"A refuses: the chain is not asked, the factory still is", 2, 1, 0, {'A', 'F'}, 2},
        {"C handles: the older B is not asked", 1, 7, 0, {'A', 'C', 'F'}, 7},
        {"depth 1 never reaches the factory", 1, 1, 1, {'A', 'C', 'B'}, 1},
    };
    for (const Case& c : cases) {
        m_log.clear();
        m_a.m_answer = c.answerA;
        m_c.m_answer = c.answerC;
        EXPECT_EQ(m_handler->RouteNotify(kItem, 0, c.depth), c.answer) << c.what;
        EXPECT_EQ(Order(), c.order) << c.what;
    }
    // The chained observers hear it at depth 1, the factory's at depth 1 from a depth-0 caller.
    m_log.clear();
    m_a.m_answer = m_c.m_answer = 1;
    m_handler->RouteNotify(kItem, 0x1234, 0);
    ASSERT_EQ(m_log.size(), 4u);
    EXPECT_EQ(m_log[0], Seen('A', kItem, 0x1234, 0));
    EXPECT_EQ(m_log[1], Seen('C', kItem, 0x1234, 1));
    EXPECT_EQ(m_log[2], Seen('B', kItem, 0x1234, 1));
    EXPECT_EQ(m_log[3], Seen('F', kItem, 0x1234, 1));
}

TEST_F(RoutingTest, NobodyHearsAnythingWhileNotificationsAreOff) {
    m_factory->SetNotificationsEnabled(0);
    EXPECT_EQ(m_handler->RouteNotify(kItem, 0, 0), 1u);
    EXPECT_EQ(m_handler->SetCurSel(2, nullptr), 0);
    EXPECT_TRUE(m_log.empty());
    m_factory->SetNotificationsEnabled(1);
}

TEST_F(RoutingTest, AnObserverIsNotAskedAboutItsOwnChange) {
    m_a.m_action = [this](DWORD, WORD code) {
        if (code == 0) m_handler->SetCurSel(3, nullptr);  // A steers its own item
    };
    m_handler->SetCurSel(1, nullptr);
    EXPECT_EQ(m_handler->GetSel(), 3);
    // A once; C, B and F see both changes, the inner one first.
    EXPECT_EQ(Order(), (std::vector<char>{'A', 'C', 'B', 'F', 'C', 'B', 'F'}));
}

TEST_F(RoutingTest, ARefusedChangeIsUndoneAndAnnounced) {
    m_a.m_answer = 2;
    EXPECT_EQ(m_handler->SetCurSel(2, nullptr), 0);
    EXPECT_EQ(m_handler->GetSel(), 0);
    // Every observer then hears 0xFFFD with id 0 (A refuses that too, so the chain is not asked).
    m_log.clear();
    m_a.m_answer = 1;
    m_a.m_action = [this](DWORD, WORD code) { m_a.m_answer = code == 0 ? 2 : 1; };
    m_handler->SetCurSel(2, nullptr);
    EXPECT_EQ(m_handler->GetSel(), 0);
    ASSERT_EQ(m_log.size(), 6u);
    for (size_t i = 2; i < 6; ++i) {
        EXPECT_EQ(std::get<1>(m_log[i]), 0u);
        EXPECT_EQ(std::get<2>(m_log[i]), 0xFFFD);
    }
}

TEST_F(RoutingTest, AnAcceptingAnswerAsksForTheFollowUp) {
    m_a.m_action = [this](DWORD, WORD code) { m_a.m_answer = code == 0 ? 4 : 1; };
    m_handler->SetCurSel(1, nullptr);
    EXPECT_EQ(m_handler->GetSel(), 1);
    ASSERT_EQ(m_log.size(), 6u);  // A, F; then A, C, B, F with 0xFFFC
    EXPECT_EQ(m_log[2], Seen('A', 0, 0xFFFC, 0));
}

TEST_F(RoutingTest, TheSameSelectionSendsNothing) {
    m_items[0].Flags = 0;
    EXPECT_EQ(m_handler->SetCurSel(0, nullptr), 0);
    EXPECT_TRUE(m_log.empty());
    EXPECT_EQ(m_items[0].Flags & OPTIF_CHANGED, 0u);
    m_handler->SetCurSel(1, nullptr);
    EXPECT_TRUE(m_items[0].Flags & OPTIF_CHANGED);
}

TEST_F(RoutingTest, ReleasingAnObserverGivesItsRecordsBack) {
    Recorder d{'D', m_heap, m_factory, &m_log};
    ASSERT_NE(d.GetHandler(kItem), nullptr);  // the cache exists before the baseline
    const SIZE_T before = HeapUse();
    ASSERT_TRUE(d.ObserveItem(m_handler));
    m_handler->RouteNotify(kItem, 0, 1);
    EXPECT_EQ(Order(), (std::vector<char>{'A', 'D', 'C', 'B'}));
    d.ReleaseItemMap();
    EXPECT_LT(HeapUse(), before);  // its record and its cache
    m_log.clear();
    m_handler->RouteNotify(kItem, 0, 1);
    EXPECT_EQ(Order(), (std::vector<char>{'A', 'C', 'B'}));
}

class HandlerTest : public SheetTest {};

TEST_F(HandlerTest, UnknownKeysGetOneDefaultHandler) {
    AddItem(300, TVOT_COMBOBOX, 2);
    MakeFactory();
    std::vector<Seen> log;
    Recorder other('X', m_heap, m_factory, &log);
    QORVAOptItemHandler* first = m_factory->GetHandler(262);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(other.GetHandler(262), first);
    EXPECT_EQ(m_factory->GetHandler(262), first);
    EXPECT_EQ(first->IsDefaultItem(), 1u);
    EXPECT_EQ(first->Item()->UserItemID, 1);
    EXPECT_EQ(first->Item()->DMPubID, 106);
    EXPECT_EQ(first->StateBits(), 0xFFFFu);
    EXPECT_EQ(first->GetOptionCount(), 2);
    EXPECT_EQ(first->GetVisibleOptionCount(nullptr), 0);
    EXPECT_EQ(m_factory->GetHandler(30)->Item()->DMPubID, 30);
    EXPECT_EQ(m_factory->GetHandler(300)->IsDefaultItem(), 0u);
}

TEST_F(HandlerTest, TheSheetsSystemFunctionsAndAtomLiveWithTheFactory) {
    AddItem(300, TVOT_COMBOBOX, 2);
    MakeFactory();
    ASSERT_NE(m_factory->SystemFunc(), nullptr);
    EXPECT_NE(GlobalFindAtomW(u"optItemHandler"), 0);
    m_factory->Destroy();
    m_factory = nullptr;
    EXPECT_EQ(GlobalFindAtomW(u"optItemHandler"), 0);
}

TEST_F(HandlerTest, StepSelWrapsOrStops) {
    AddItem(300, TVOT_COMBOBOX, 4);
    AddItem(301, TVOT_COMBOBOX, 4);
    MakeFactory();
    QORVAOptItemHandler* wrapping = Handler(300);
    QORVAOptItemHandler* stopping = Handler(301);
    stopping->SetWrap(0);
    for (QORVAOptItemHandler* handler : {wrapping, stopping}) handler->SetCurSel(3, nullptr);
    wrapping->StepSel(1, nullptr);
    stopping->StepSel(1, nullptr);
    EXPECT_EQ(wrapping->GetSel(), 0);
    EXPECT_EQ(stopping->GetSel(), 3);
    wrapping->StepSel(-1, nullptr);
    EXPECT_EQ(wrapping->GetSel(), 3);
}

TEST_F(HandlerTest, ANestedLevelKeepsTheFirstOldSelection) {
    AddItem(300, TVOT_COMBOBOX, 4);
    MakeFactory();
    QORVAOptItemHandler* handler = Handler(300);
    handler->SetCurSel(1, nullptr);
    ASSERT_TRUE(m_factory->BeginPushLevel(300));
    handler->SetCurSel(2, nullptr);
    handler->SetCurSel(3, nullptr);
    m_factory->EndPushLevel(TRUE);  // cancelled
    EXPECT_EQ(handler->GetSel(), 1);
    ASSERT_TRUE(m_factory->BeginPushLevel(300));
    handler->SetCurSel(2, nullptr);
    m_factory->EndPushLevel(FALSE);  // kept
    EXPECT_EQ(handler->GetSel(), 2);
    EXPECT_EQ(m_factory->Depth(), 0u);
}

class CountingHandler : public QORVAOptItemHandlerCombobox {
public:
    using QORVAOptItemHandlerCombobox::QORVAOptItemHandlerCombobox;
    LPCWSTR LoadResString(DWORD id) override {
        ++m_loads;
        return id == 7 ? u"seven" : u"";
    }
    int m_loads = 0;
};

TEST_F(HandlerTest, AResourceTextIsLoadedOnce) {
    POPTITEM item = AddItem(300, TVOT_COMBOBOX, 2);
    item->pOptType->pOptParam[0].pData = reinterpret_cast<LPWSTR>(7);
    MakeFactory();
    CountingHandler handler(m_heap, m_factory, item);
    EXPECT_EQ(std::u16string(handler.GetOptionText(0, nullptr, nullptr)), u"seven");
    EXPECT_EQ(std::u16string(handler.GetOptionText(0, nullptr, nullptr)), u"seven");
    EXPECT_EQ(handler.m_loads, 1);
    WCHAR own[] = u"own";
    handler.SetOptionText(0, own);
    EXPECT_EQ(handler.GetOptionText(0, nullptr, nullptr), own);
    EXPECT_EQ(handler.GetOptionText(5, nullptr, nullptr), nullptr);
}

TEST_F(HandlerTest, ValuesBehindAddressesAreFullPointers) {
    const LPARAM red = Behind(0x000000FF);
    const LPARAM blue = Behind(0x00FF0000);
    const LPARAM many = Behind(70000);
    // The sheet's heap hands out addresses above 4 GiB here: every bit of them must travel.
    ASSERT_NE(static_cast<ULONG_PTR>(blue) >> 32, 0u);
    POPTITEM item = AddItem(300, TVOT_COMBOBOX, 4, {red, blue, many, 5});
    item->pOptType->pOptParam[3].Flags = OPTPF_HIDE;
    MakeFactory();
    QORVAOptItemHandler* handler = Handler(300);
    EXPECT_EQ(handler->GetOptionValue(1, nullptr), 0x00FF0000);
    handler->SetValue(0x00FF0000, nullptr);
    EXPECT_EQ(handler->GetSel(), 1);
    handler->SetValue(70000, nullptr);
    EXPECT_EQ(handler->GetSel(), 2);
    LONG_PTR value = 0;
    DWORD isText = 1;
    handler->GetValue(nullptr, &value, &isText);
    EXPECT_EQ(value, 70000);
    EXPECT_EQ(isText, 0u);
    EXPECT_EQ(m_factory->GetItemValue(300), 70000);
    // Only a hidden option has the value 5: nothing changes.
    handler->SetValue(5, nullptr);
    EXPECT_EQ(handler->GetSel(), 2);
}

TEST_F(HandlerTest, TextValuesAreHandedOutAsTexts) {
    static WCHAR arial[] = u"Arial";
    POPTITEM item = AddItem(300, TVOT_COMBOBOX, 1, {reinterpret_cast<LPARAM>(arial)});
    item->pOptType->pOptParam[0].pData = arial;
    MakeFactory();
    DWORD isText = 0;
    EXPECT_EQ(Handler(300)->GetSelValue(nullptr, &isText), reinterpret_cast<LONG_PTR>(arial));
    EXPECT_EQ(isText, 1u);
}

TEST_F(HandlerTest, AnEditTextIsCutToItsBufferAndAlwaysTerminated) {
    POPTITEM item = AddItem(300, TVOT_EDITBOX, 2);
    item->pOptType->pOptParam[1].IconID = 8;  // eight units with the terminator
    auto* buffer = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 10 * sizeof(WCHAR)));
    for (int i = 0; i < 10; ++i) buffer[i] = u'#';
    item->pSel = buffer;
    MakeFactory();
    QORVAOptItemHandler* handler = Handler(300);
    handler->SelectString(u"a text far longer than the buffer", nullptr);
    EXPECT_EQ(std::u16string(buffer), u"a text ");
    EXPECT_EQ(buffer[8], u'#');
    EXPECT_EQ(buffer[9], u'#');
    handler->SelectString(u"abc", nullptr);
    EXPECT_EQ(std::u16string(handler->GetSelPtr()), u"abc");
    EXPECT_TRUE(item->Flags & OPTIF_CHANGED);
}

TEST_F(HandlerTest, HidingTheSelectedOptionMovesTheSelection) {
    AddItem(300, TVOT_COMBOBOX, 4);
    AddItem(301, TVOT_COMBOBOX, 4);
    MakeFactory();
    QORVAOptItemHandler* moving = Handler(300);
    moving->HideOption(0, 0, nullptr);
    EXPECT_EQ(moving->GetSel(), 1);
    EXPECT_EQ(moving->GetOptionFlags(0), OPTPF_HIDE);
    EXPECT_EQ(moving->GetVisibleOptionCount(nullptr), 3);
    moving->HideOption(0, 1, nullptr);
    EXPECT_EQ(moving->GetVisibleOptionCount(nullptr), 4);
    QORVAOptItemHandler* kept = Handler(301);
    kept->HideOption(0, 0x8000, nullptr);
    EXPECT_EQ(kept->GetSel(), 0);
    EXPECT_EQ(kept->GetOptionFlags(0), OPTPF_HIDE);
}

TEST_F(HandlerTest, ReasonBitsKeepTheirHints) {
    AddItem(300, TVOT_COMBOBOX, 2);
    MakeFactory();
    QORVAOptItemHandler* handler = Handler(300);
    handler->SetLinkState(0x400, 33101, 0x8000);
    EXPECT_EQ(handler->StateBits(), 0x400u);
    EXPECT_EQ(handler->Hint(3), 0x80000000u | 33101);
    EXPECT_EQ(handler->IsStateClear(nullptr, 0x400), 0u);
    handler->SetLinkState(0x400, 0, 0);
    EXPECT_EQ(handler->StateBits(), 0u);
    handler->SetLinkState(0x1, 200, 0);
    EXPECT_EQ(handler->Hint(0), 200u);
    EXPECT_EQ(handler->SetStateBits(0x2), 0u);  // the word was not 0 before
    EXPECT_EQ(handler->ClearStateBits(0x3), 0u);
    EXPECT_EQ(handler->SetStateBits(0x2), 1u);
}

TEST_F(HandlerTest, TheDriverHearsOfChangesAndHiddenItemsStayHidden) {
    RecordingDriverUI driverUI;
    POPTITEM standard = AddItem(1, TVOT_2STATES, 2);
    standard->Flags = OPTIF_HIDE;
    AddItem(300, TVOT_COMBOBOX, 2);
    MakeFactory(2, OEMCUIP_DOCPROP, &driverUI);
    Handler(1)->SetCurSel(1, nullptr);
    ASSERT_EQ(driverUI.m_calls.size(), 1u);
    EXPECT_EQ(std::get<0>(driverUI.m_calls[0]), standard);
    EXPECT_EQ(std::get<1>(driverUI.m_calls[0]) & OPTIF_HIDE, 0u);  // shown for the call
    EXPECT_EQ(std::get<2>(driverUI.m_calls[0]), static_cast<DWORD>(OEMCUIP_DOCPROP));
    EXPECT_TRUE(standard->Flags & OPTIF_HIDE);
    // The kit's own items are the driver's business only in its own tree.
    Handler(300)->SetCurSel(1, nullptr);
    EXPECT_EQ(driverUI.m_calls.size(), 1u);
    // Default handlers are never reported.
    m_factory->GetHandler(50)->SetCurSel(1, nullptr);
    EXPECT_EQ(driverUI.m_calls.size(), 1u);
}

}  // namespace
}  // namespace uitest
