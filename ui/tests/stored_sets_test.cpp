// Stored item sets: the text of an entry, handlers saving themselves into a set and loading
// themselves back, and a whole set applied to a sheet.
#include <string>

#include "items/stored_set.h"
#include "optitem_sheet.h"

namespace uitest {
namespace {

std::u16string Entry(const std::u16string& key, const std::u16string& value) {
    return std::u16string(1, char16_t{0xFFFD}) + key + char16_t{0xFFFE} + value + char16_t{0xFFFF};
}

class StoredSetTest : public SheetTest {
protected:
    ~StoredSetTest() override { FreeStoredSet(&m_set); }
    std::u16string Text() const { return m_set.m_text ? std::u16string(m_set.m_text, m_set.m_used) : u""; }
    DWORD Apply(std::u16string text) {
        StoredSetApply record{m_factory, text.data()};
        return ApplyStoredSet(&record);
    }

    StoredItemSet m_set{m_heap, nullptr, nullptr, 0, 0};
};

TEST_F(StoredSetTest, EntriesAreKeyAndValueBetweenTheMarks) {
    ASSERT_TRUE(WriteStoredSet(&m_set, 0x1F4, u"5"));
    ASSERT_TRUE(WriteStoredSet(&m_set, 0x800075C6, u"abc"));
    const std::u16string expected = Entry(u"1f4", u"5") + Entry(u"800075c6", u"abc");
    EXPECT_EQ(Text(), expected);
    EXPECT_EQ(m_set.m_text[m_set.m_used], 0);
    // The buffer grows as entries come: a long value still fits whole.
    const std::u16string longValue(600, u'x');
    ASSERT_TRUE(WriteStoredSet(&m_set, 7, longValue.c_str()));
    EXPECT_EQ(Text(), expected + Entry(u"7", longValue));
    EXPECT_GE(m_set.m_capacity, m_set.m_used + 1);
}

class ReplacingFilter final : public QORVAQuickSettingsFilter {
public:
    void GetFieldText(DWORD key, LPCWSTR* text) override {
        if (key == 300) *text = u"filtered";
    }
};

TEST_F(StoredSetTest, HandlersSaveTheirValues) {
    static WCHAR arial[] = u"Arial";
    AddItem(300, TVOT_COMBOBOX, 3, {Behind(0x00FF0000), Behind(70000), 2});
    POPTITEM font = AddItem(301, TVOT_COMBOBOX, 1, {reinterpret_cast<LPARAM>(arial)});
    font->pOptType->pOptParam[0].pData = arial;
    POPTITEM edit = AddItem(302, TVOT_EDITBOX, 2);
    edit->pOptType->pOptParam[1].IconID = 16;
    edit->pSel = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 17 * sizeof(WCHAR)));
    AddItem(9, TVOT_CHKBOX, 1);
    MakeFactory();
    Handler(302)->SelectString(u"note", nullptr);
    Handler(9)->SetCurSel(1, nullptr);
    for (DWORD key : {300u, 301u, 302u, 9u}) Handler(key)->QSave(&m_set);
    EXPECT_EQ(Text(), Entry(u"12c", u"ff0000") + Entry(u"12d", std::u16string(1, char16_t{0xFFFC}) + u"Arial") +
                          Entry(u"12e", u"note") + Entry(u"9", u"1"));
    FreeStoredSet(&m_set);
    ReplacingFilter filter;
    m_set.m_filter = &filter;
    Handler(300)->QSave(&m_set);
    EXPECT_EQ(Text(), Entry(u"12c", u"filtered"));
}

TEST_F(StoredSetTest, ASavedSetLoadsBack) {
    AddItem(300, TVOT_COMBOBOX, 3, {Behind(0x00FF0000), Behind(70000), 2});
    POPTITEM edit = AddItem(302, TVOT_EDITBOX, 2);
    edit->pOptType->pOptParam[1].IconID = 16;
    edit->pSel = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 17 * sizeof(WCHAR)));
    AddItem(400, TVOT_UDARROW, 2, {0, 500});
    MakeFactory();
    Handler(300)->SetCurSel(1, nullptr);
    Handler(302)->SelectString(u"note", nullptr);
    Handler(400)->SetValue(321, nullptr);
    for (DWORD key : {300u, 302u, 400u}) Handler(key)->QSave(&m_set);
    const std::u16string saved = Text();
    Handler(300)->SetCurSel(0, nullptr);
    Handler(302)->SelectString(u"", nullptr);
    Handler(400)->SetValue(0, nullptr);
    EXPECT_EQ(Apply(saved), 1u);
    EXPECT_EQ(Handler(300)->GetSel(), 1);
    EXPECT_EQ(std::u16string(Handler(302)->GetSelPtr()), u"note");
    EXPECT_EQ(Handler(400)->GetSel(), 321);
}

TEST_F(StoredSetTest, AnEditTextStartingWithTheTextLeadLoadsBackWhole) {
    POPTITEM edit = AddItem(302, TVOT_EDITBOX, 2);
    edit->pOptType->pOptParam[1].IconID = 16;
    edit->pSel = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 17 * sizeof(WCHAR)));
    MakeFactory();
    const std::u16string lead(1, char16_t{0xFFFC});
    struct Case {
        std::u16string text;
        std::u16string written;  // the entry's value
    } cases[] = {
        {u"note", u"note"},                      // as it stands
        {lead, lead + lead},                     // behind a lead of its own
        {lead + u"note", lead + lead + u"note"},
        {u"no" + lead, u"no" + lead},
    };
    for (const Case& c : cases) {
        FreeStoredSet(&m_set);
        Handler(302)->SelectString(c.text.c_str(), nullptr);
        Handler(302)->QSave(&m_set);
        EXPECT_EQ(Text(), Entry(u"12e", c.written));
        Handler(302)->SelectString(u"", nullptr);
        EXPECT_EQ(Apply(Text()), 1u);
        EXPECT_EQ(std::u16string(Handler(302)->GetSelPtr()), c.text);
    }
}

TEST_F(StoredSetTest, ValuesTheItemsCannotTakeAreRefused) {
    AddItem(9, TVOT_COMBOBOX, 4);           // a standard list: its selection is the value
    AddItem(400, TVOT_UDARROW, 2, {0, 10});  // an up-down number, 0..10
    AddItem(300, TVOT_COMBOBOX, 2, {Behind(0x00FF0000), Behind(70000)});
    MakeFactory();
    DWORD ok = 1;
    Handler(9)->QLoad(u"9", &ok);  // beyond the four options: not applied
    EXPECT_EQ(Handler(9)->GetSel(), 0);
    Handler(400)->QLoad(u"9", &ok);
    EXPECT_EQ(Handler(400)->GetSel(), 9);
    Handler(400)->QLoad(u"ff", &ok);  // applied, clamped
    EXPECT_EQ(Handler(400)->GetSel(), 10);
    EXPECT_EQ(ok, 1u);
    Handler(300)->QLoad(u"1234", &ok);  // no option holds it: the list reports it
    EXPECT_EQ(ok, 0u);
    ok = 1;
    Handler(300)->QLoad(u"11170", &ok);  // 70000
    EXPECT_EQ(Handler(300)->GetSel(), 1);
    EXPECT_EQ(ok, 1u);
    Handler(300)->QLoad(u"not hex", &ok);
    EXPECT_EQ(Handler(300)->GetSel(), 1);
}

TEST_F(StoredSetTest, AStoredTextNeverOverrunsTheEditBuffer) {
    POPTITEM edit = AddItem(302, TVOT_EDITBOX, 2);
    edit->pOptType->pOptParam[1].IconID = 4;
    auto* buffer = static_cast<LPWSTR>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 6 * sizeof(WCHAR)));
    buffer[4] = buffer[5] = u'#';
    edit->pSel = buffer;
    MakeFactory();
    const std::u16string text = Entry(u"12e", std::u16string(1, char16_t{0xFFFC}) + u"much too long for it");
    EXPECT_EQ(Apply(text), 1u);
    EXPECT_EQ(std::u16string(buffer), u"muc");
    EXPECT_EQ(buffer[4], u'#');
}

TEST_F(StoredSetTest, HiddenPaperSourcesStayHidden) {
    POPTITEM paper = AddItem(4, TVOT_COMBOBOX, 4);
    paper->pOptType->pOptParam[1].Flags = OPTPF_HIDE;
    paper->pOptType->pOptParam[3].Flags = OPTPF_HIDE;
    POPTITEM media = AddItem(12, TVOT_COMBOBOX, 2);
    media->pOptType->pOptParam[1].Flags = OPTPF_HIDE;
    AddItem(300, TVOT_COMBOBOX, 2);
    MakeFactory();
    Recorder watcher('W', m_heap, m_factory, &m_log);
    ASSERT_TRUE(watcher.ObserveItem(Handler(4)));
    // The set chooses the hidden source 3; it is loaded, then taken back off the hidden option.
    EXPECT_EQ(Apply(Entry(u"4", u"3") + Entry(u"12c", u"1")), 1u);
    EXPECT_EQ(Handler(4)->GetOptionFlags(1), OPTPF_HIDE);
    EXPECT_EQ(Handler(4)->GetOptionFlags(3), OPTPF_HIDE);
    EXPECT_EQ(Handler(4)->GetSel(), 0);
    EXPECT_EQ(Handler(12)->GetOptionFlags(1), 0);  // the media types are all shown
    EXPECT_EQ(Handler(300)->GetSel(), 1);
    // The watcher heard the set's entry (0xFFFF) and the closing 0xFFFE, nothing while loading.
    ASSERT_EQ(m_log.size(), 2u);
    EXPECT_EQ(m_log[0], Seen('W', 4, 0xFFFF, 1));
    EXPECT_EQ(m_log[1], Seen('W', 0, 0xFFFE, 1));
    watcher.ReleaseItemMap();
}

TEST_F(StoredSetTest, ARefusalOrABrokenEntryMakesTheAnswerZero) {
    AddItem(300, TVOT_COMBOBOX, 3);
    AddItem(301, TVOT_COMBOBOX, 3);
    MakeFactory();
    Recorder refuser('R', m_heap, m_factory, &m_log);
    refuser.m_answer = 2;
    ASSERT_TRUE(refuser.ObserveItem(Handler(301)));
    EXPECT_EQ(Apply(Entry(u"12c", u"2") + Entry(u"12d", u"1")), 0u);
    EXPECT_EQ(Handler(300)->GetSel(), 2);  // the other item keeps its loaded value
    EXPECT_EQ(Handler(301)->GetSel(), 1);
    refuser.ReleaseItemMap();
    // A broken entry ends the load: what follows it is not applied.
    const std::u16string broken = Entry(u"12c", u"1") + u"junk" + Entry(u"12d", u"2");
    EXPECT_EQ(Apply(broken), 1u);
    EXPECT_EQ(Handler(300)->GetSel(), 1);
    EXPECT_EQ(Handler(301)->GetSel(), 1);
}

}  // namespace
}  // namespace uitest
