// Stored watermarks and stored document settings: the OPTION rows of their blocks as the options
// of an item, written back in memory, saved by the caller; a stored watermark's fields handed to
// the items its DIALOGIDS name.
#include <cstring>

#include "system_func_fixture.h"

namespace uitest {
namespace {

// A persist value links to a string of the block, which need not be aligned.
std::u16string Persisted(LPCWSTR text) {
    std::u16string copy;
    for (const auto* at = reinterpret_cast<const BYTE*>(text); at; at += 2) {
        char16_t unit = 0;
        std::memcpy(&unit, at, 2);
        if (!unit) break;
        copy += unit;
    }
    return copy;
}

const std::vector<std::u16string> kStoredWatermarks = {u"<なし>", u"CONFIDENTIAL", u"DRAFT", u"COPY", u"", u"", u"", u"",
                                                        u"", u""};

class StoredSettingsTest : public SystemFuncTest {
protected:
    // Saves the block as the sheet does on Apply (its strings gathered into the pool), then loads
    // it again from the printer's data.
    void SaveAndReload(XprStore* store) {
        PrinterHandle admin;
        ASSERT_LT(CompactByHandle(store, admin.get()), 2u);
        Reload();
    }
    std::vector<std::u16string> Texts(const TestItem& item) {
        std::vector<std::u16string> texts;
        for (size_t i = 0; i < item.type.Count; ++i) texts.push_back(item.Hidden(i) ? u"" : item.Text(i));
        return texts;
    }
    // The option row of a block's first row, by position.
    XprTable* Row(XprStore* store, const char16_t* block, size_t index) {
        XprTable* root = nullptr;
        EXPECT_EQ(FetchRow(store, block, &root, nullptr), 0u);
        XprTable* option = nullptr;
        for (size_t i = 0; i <= index; ++i) EXPECT_EQ(FetchRow(store, u"OPTION", &option, nullptr), 0u);
        return option;
    }
};

TEST_F(StoredSettingsTest, WatermarksLoadAsOptionsWithEmptyRowsHidden) {
    TestItem item;
    Fill(item, {u"old"});
    LPWSTR* persist = nullptr;
    ASSERT_EQ(Func().LoadWatermarkSettings(&item.item, &persist), 10u);
    ASSERT_EQ(item.type.Count, 10);
    EXPECT_EQ(Texts(item), kStoredWatermarks);
    for (size_t i = 0; i < 10; ++i) {
        const OPTPARAM& option = item.type.pOptParam[i];
        EXPECT_EQ(option.cbSize, sizeof(OPTPARAM));
        EXPECT_EQ(option.lParam, reinterpret_cast<LPARAM>(option.pData));
        EXPECT_EQ(item.Hidden(i), kStoredWatermarks[i].empty());
        // A buffer as large as the field, and one unit for the end.
        EXPECT_EQ(HeapSize(m_heap, 0, option.pData), 65 * sizeof(WCHAR));
        EXPECT_EQ(persist[i], nullptr);  // nothing stored yet
    }
    EXPECT_EQ(HeapSize(m_heap, 0, persist), 10 * sizeof(LPWSTR));
}

TEST_F(StoredSettingsTest, WatermarksAndDocumentSettingsRoundTripThroughTheRows) {
    struct Case {
        const char* what;
        XprStore* (StoredSettingsTest::*store)();
        DWORD (QORVASystemFunc::*load)(POPTITEM, LPWSTR**);
        DWORD (QORVASystemFunc::*save)(POPTITEM, LPWSTR*, DWORD);
        size_t textChars;
    };
    const Case cases[] = {
        {"watermarks", &StoredSettingsTest::Watermarks, &QORVASystemFunc::LoadWatermarkSettings,
         &QORVASystemFunc::SaveWatermarkSettings, 64},
        {"document settings", &StoredSettingsTest::Documents, &QORVASystemFunc::LoadDocumentSettings,
         &QORVASystemFunc::SaveDocumentSettings, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestItem item;
        LPWSTR* persist = nullptr;
        ASSERT_EQ((Func().*c.load)(&item.item, &persist), 10u);
        // Row 1 renamed, row 2 deleted (hidden), row 4 new with a name that fills the field, row 5
        // gets a persist value but stays empty; rows 0 and 3 keep theirs.
        std::u16string renamed = u"Renamed";
        std::u16string longest(c.textChars + 5, u'L');
        item.type.pOptParam[1].pData = renamed.data();
        item.type.pOptParam[1].Flags &= ~OPTPF_HIDE;
        item.type.pOptParam[2].Flags |= OPTPF_HIDE;
        item.type.pOptParam[4].pData = longest.data();
        item.type.pOptParam[4].Flags &= ~OPTPF_HIDE;
        std::u16string first = u"\xfffd" u"1\xfffe" u"2\xffff";
        std::u16string fifth = u"persist 5";
        LPWSTR values[10] = {};
        values[1] = first.data();
        values[4] = first.data();
        values[5] = fifth.data();
        const std::u16string before3 = item.Text(3);
        EXPECT_EQ((Func().*c.save)(&item.item, values, 10), 10u);
        SaveAndReload((this->*c.store)());

        TestItem loaded;
        LPWSTR* reloaded = nullptr;
        ASSERT_EQ((Func().*c.load)(&loaded.item, &reloaded), 10u);
        EXPECT_EQ(loaded.Text(1), u"Renamed");
        EXPECT_TRUE(loaded.Hidden(2));
        EXPECT_EQ(loaded.Text(3), before3);
        // The stored text keeps its end inside the field.
        EXPECT_EQ(loaded.Text(4), std::u16string(c.textChars - 1, u'L'));
        EXPECT_TRUE(loaded.Hidden(5));
        ASSERT_TRUE(reloaded[1]);
        EXPECT_EQ(Persisted(reloaded[1]), first);
        EXPECT_EQ(Persisted(reloaded[4]), first);
        EXPECT_EQ(reloaded[5], nullptr);  // a hidden row's value is not read
        EXPECT_EQ(reloaded[3], nullptr);

        // Saving fewer rows leaves the others; a zero persist value keeps the stored one.
        std::u16string again = u"Again";
        loaded.type.pOptParam[1].pData = again.data();
        LPWSTR none[2] = {};
        EXPECT_EQ((Func().*c.save)(&loaded.item, none, 2), 2u);
        SaveAndReload((this->*c.store)());
        TestItem last;
        ASSERT_EQ((Func().*c.load)(&last.item, &reloaded), 10u);
        EXPECT_EQ(last.Text(1), u"Again");
        EXPECT_EQ(Persisted(reloaded[1]), first);
        EXPECT_EQ(last.Text(4), std::u16string(c.textChars - 1, u'L'));
    }
}

TEST_F(StoredSettingsTest, ATextThatFillsItsFieldIsReadNoFurther) {
    // A block written elsewhere may fill _TEXT to its last unit; the next field follows at once.
    XprTable* row = Row(m_documents.get(), u"DOCUMENTSETTINGS", 1);
    const std::u16string full(32, u'F');
    ASSERT_EQ(SetValue(row, full.data(), 64, u"_TEXT"), 0u);
    std::u16string persist = u"after the text";
    LPWSTR link = persist.data();
    ASSERT_EQ(SetValue(row, &link, sizeof link, u"_PERSIST"), 0u);
    TestItem item;
    LPWSTR* values = nullptr;
    ASSERT_EQ(Func().LoadDocumentSettings(&item.item, &values), 10u);
    EXPECT_EQ(item.Text(1), full);
    EXPECT_EQ(Persisted(values[1]), persist);
}

TEST_F(StoredSettingsTest, AStoredWatermarkSetsTheItemsItsDialogIdsName) {
    using Call = RecordedItems::Call;
    // CONFIDENTIAL, and entry 0 (no watermark), which starts from the devmode's defaults.
    const std::pair<DWORD, LONG> entries[] = {{1, 2}, {0, 1}};
    for (const auto& [entry, style] : entries) {
        SCOPED_TRACE(entry);
        m_items.calls.clear();
        ASSERT_TRUE(Func().LoadWatermarkDialogIds(entry));
        const std::vector<Call> expected = {
            {19202, 1, u"", false},   {19250, 45, u"", false}, {19302, 0, u"Arial", true},
            {19352, 0x00C0C0C0, u"", false}, {19402, 0, u"", false}, {19452, 72, u"", false},
            {19502, style, u"", false},
        };
        EXPECT_EQ(m_items.calls, expected);
    }

    // An empty entry, or one past the last, sets nothing.
    m_items.calls.clear();
    EXPECT_FALSE(Func().LoadWatermarkDialogIds(4));
    EXPECT_FALSE(Func().LoadWatermarkDialogIds(10));
    EXPECT_TRUE(m_items.calls.empty());

    // A font name that fills its field reaches the item whole and no further.
    XprTable* row = Row(m_watermarks.get(), u"WATERMARKSETTINGS", 3);
    const std::u16string font(64, u'f');
    ASSERT_EQ(SetValue(row, font.data(), 128, u"_WMK_FONT"), 0u);
    ASSERT_TRUE(Func().LoadWatermarkDialogIds(3));
    ASSERT_GE(m_items.calls.size(), 3u);
    EXPECT_EQ(m_items.calls[2], (Call{19302, 0, font, true}));
}

TEST_F(StoredSettingsTest, WithoutTheBlocksNothingIsLoaded) {
    QORVASystemFuncContext context;
    context.m_heap = m_heap;
    QORVASystemFunc bare(nullptr, context);
    TestItem item;
    Fill(item, {u"kept"});
    LPWSTR* persist = nullptr;
    EXPECT_EQ(bare.LoadWatermarkSettings(&item.item, &persist), 0u);
    EXPECT_EQ(bare.LoadDocumentSettings(&item.item, &persist), 0u);
    EXPECT_EQ(bare.SaveDocumentSettings(&item.item, nullptr, 1), 0u);
    EXPECT_FALSE(bare.LoadWatermarkDialogIds(1));
    EXPECT_EQ(item.type.Count, 1);
    EXPECT_EQ(item.Text(0), u"kept");
    EXPECT_EQ(persist, nullptr);
}

}  // namespace
}  // namespace uitest
