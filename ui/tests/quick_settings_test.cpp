// Quick settings: the list of item 101 over the printer's DOCUMENTSETTINGS rows, its button
// (item 150) storing, replacing and deleting entries, the working entry that a changed value
// selects, the defaults entry captured from the printer's default DEVMODE, and the rows written
// on Apply.
#include <cstddef>
#include <cstring>
#include <map>

#include <palvex/printer_settings.h>

#include "drvstore.h"
#include "list_popup_sheet.h"
#include "options/page_rule_flags.h"
#include "options/quick_settings.h"
#include "options/quick_settings_constraints.h"
#include "xpc.h"
#include "xpr.h"

namespace uitest {
namespace {

using Entries = std::map<DWORD, std::u16string>;

// The entries of a stored settings string, by item.
Entries Parse(const std::u16string& text) {
    Entries entries;
    size_t at = 0;
    while (at < text.size()) {
        EXPECT_EQ(text[at], u'\xfffd') << "at " << at;
        const size_t separator = text.find(u'\xfffe', at);
        const size_t end = text.find(u'\xffff', at);
        if (separator == std::u16string::npos || end == std::u16string::npos || separator > end) {
            ADD_FAILURE() << "malformed entry at " << at;
            break;
        }
        const std::string key(text.begin() + at + 1, text.begin() + separator);
        EXPECT_FALSE(entries.count(std::stoul(key, nullptr, 16))) << "twice: " << key;
        entries[std::stoul(key, nullptr, 16)] = text.substr(separator + 1, end - separator - 1);
        at = end + 1;
    }
    return entries;
}

// A row's text and stored string as the printer's data holds them.
struct StoredRow {
    std::u16string text;
    std::u16string persist;
    bool operator==(const StoredRow&) const = default;
};

std::vector<StoredRow> StoredRows() {
    PrinterHandle printer;
    XprStore* loaded = nullptr;
    EXPECT_LT(CreateByHandle(&loaded, printer.get(), u"DOCUMENTSETTINGS"), 2u);
    const OwnedStore store(loaded);
    XprTable* root = nullptr;
    EXPECT_EQ(FetchRow(store.get(), u"DOCUMENTSETTINGS", &root, nullptr), 0u);
    std::vector<StoredRow> rows;
    for (XprTable* option = nullptr; FetchRow(store.get(), u"OPTION", &option, nullptr) == 0;) {
        StoredRow row;
        WCHAR text[33] = {};
        GetValue(option, text, 64, u"_TEXT");
        row.text = text;
        LPCWSTR persist = nullptr;
        GetValue(option, &persist, sizeof persist, u"_PERSIST");
        for (const auto* at = reinterpret_cast<const BYTE*>(persist); at; at += 2) {
            char16_t unit = 0;
            std::memcpy(&unit, at, 2);
            if (!unit) break;
            row.persist += unit;
        }
        rows.push_back(row);
    }
    return rows;
}

// Writes one row as a saved sheet would have.
void StoreRow(size_t index, const std::u16string& text, const std::u16string& persist) {
    PrinterHandle printer;
    XprStore* loaded = nullptr;
    ASSERT_LT(CreateByHandle(&loaded, printer.get(), u"DOCUMENTSETTINGS"), 2u);
    const OwnedStore store(loaded);
    XprTable* root = nullptr;
    ASSERT_EQ(FetchRow(store.get(), u"DOCUMENTSETTINGS", &root, nullptr), 0u);
    XprTable* option = nullptr;
    for (size_t i = 0; i <= index; ++i) ASSERT_EQ(FetchRow(store.get(), u"OPTION", &option, nullptr), 0u);
    WCHAR field[32] = {};
    std::copy(text.begin(), text.end(), field);
    ASSERT_EQ(SetValue(option, field, sizeof field, u"_TEXT"), 0u);
    std::u16string copy = persist;
    LPWSTR link = copy.data();
    ASSERT_EQ(SetValue(option, &link, sizeof link, u"_PERSIST"), 0u);
    ASSERT_LT(CompactByHandle(store.get(), printer.get()), 2u);
}

constexpr DWORD kOtherItem = 2500;  // items of the layout page that quick settings capture
constexpr DWORD kListItem = 2501;

class QuickSettingsTest : public ListPopupSheetTest {
protected:
    // The paper source only where the defaults entry's source is looked at: the main page's rules
    // refuse a recalled source that the test printer's trays cannot give.
    void AddSheetItems(bool withSource = false) {
        AddItem(101, TVOT_COMBOBOX, 1);
        AddItem(150, TVOT_3STATES, {u"Delete", u"Save", u"Replace"});
        AddEditItem(16100);
        AddItem(1, TVOT_2STATES, 2);
        AddItem(7, TVOT_UDARROW, 2, {0, 999});
        AddItem(3, TVOT_2STATES, 2);
        AddItem(6, TVOT_3STATES, 3);
        if (withSource) AddItem(4, TVOT_COMBOBOX, {u"Auto", u"Tray 1", u"Manual"}, {7, 15, 4});
        AddItem(9, TVOT_LISTBOX, {u"Letter", u"A4"}, {1, 9});
        AddItem(12, TVOT_COMBOBOX, {u"Plain", u"Thick"}, {513, 518});
        AddItem(kCollateItem, TVOT_CHKBOX, 2);
        AddItem(kOtherItem, TVOT_2STATES, 2);
        AddItem(kListItem, TVOT_COMBOBOX, {u"Ten", u"Twenty"}, {0x10, 0x20});
        AddItem(102, TVOT_2STATES, 2);  // the list's label: never captured
    }
    // The sheet with its main page open.
    HWND Open() {
        AddSheetItems();
        OpenSheet();
        return OpenPage(1000);
    }
    QORVAOptItemHandlerQSCOMBOBOX* List() { return dynamic_cast<QORVAOptItemHandlerQSCOMBOBOX*>(Handler(101)); }
    QORVAOptItemHandler* Button() { return Handler(150); }
    LONG Last() { return List()->EntryCount() - 1; }
    std::u16string Entry(LONG index) { return Text(101, index); }
    Entries Values(LONG index) {
        const QuickSettingRecord* record = List()->Record(index);
        if (!record || !record->m_set.m_text) return {};
        return Parse(std::u16string(record->m_set.m_text, record->m_set.m_used));
    }
    // Stores the sheet's values as a new entry under a typed name.
    void StoreAs(HWND page, const std::u16string& name) {
        Type(page, 101, name);
        Command(page, 150, BN_CLICKED);
    }
    bool Enabled() { return (Button()->StateBits() & 0x1) == 0; }
};

TEST_F(QuickSettingsTest, TheDefaultsEntryTakesThePrintersDefaultsAndReachesItsRowOnApply) {
    const std::vector<StoredRow> before = StoredRows();
    ASSERT_EQ(before.size(), 10u);
    AddSheetItems(true);
    m_items[3].Sel = 1;  // orientation
    m_items[4].Sel = 5;  // copies
    m_items[11].Sel = 1;
    // The printer's default DEVMODE, as the spooler keeps it.
    DEVMODEW devmode{};
    devmode.dmSize = sizeof devmode;
    devmode.dmDefaultSource = 15;
    devmode.dmPaperSize = 9;
    devmode.dmMediaType = 0x201;
    std::vector<BYTE> bytes(sizeof devmode);
    std::memcpy(bytes.data(), &devmode, sizeof devmode);
    palvex::SetPrinterDevMode(kPrinter, bytes);
    OpenSheet();
    ASSERT_EQ(List()->EntryCount(), 10);
    EXPECT_TRUE(Hidden(101, Last()));  // the working entry waits for a change
    const Entries captured = Values(0);
    const Entries expected = {{1, u"0"}, {7, u"0"}, {3, u"1"}, {6, u"1"}, {4, u"f"}, {9, u"9"}, {0xc, u"201"}};
    for (const auto& [key, value] : expected) {
        ASSERT_TRUE(captured.count(key)) << key;
        EXPECT_EQ(captured.at(key), value) << key;
    }
    EXPECT_EQ(captured.at(kOtherItem), u"1");  // the sheet's own value
    for (DWORD excluded : kQuickSettingsExcludedItems) EXPECT_FALSE(captured.count(excluded)) << excluded;
    EXPECT_TRUE(StoredRows() == before);  // nothing is written before Apply

    Apply();
    const std::vector<StoredRow> after = StoredRows();
    ASSERT_EQ(after.size(), 10u);
    EXPECT_EQ(after[0].text, before[0].text);
    EXPECT_EQ(Parse(after[0].persist), captured);
    for (size_t i = 1; i < after.size(); ++i) EXPECT_EQ(after[i], before[i]) << i;

    // The next sheet uses the stored entry instead of building it again.
    palvex::SetPrinterDevMode(kPrinter, {});
    CloseSheet();
    OpenSheet();
    EXPECT_EQ(List()->Record(0)->m_uses, 1u);
    EXPECT_EQ(Values(0), captured);
}

TEST_F(QuickSettingsTest, WithoutADefaultDevmodeTheDefaultsEntryTakesFixedValues) {
    AddSheetItems(true);
    OpenSheet();
    const Entries captured = Values(0);
    const Entries expected = {{1, u"0"}, {7, u"0"}, {3, u"1"}, {6, u"1"}, {4, u"7"}, {9, u"9"}, {0xc, u"1"}};
    for (const auto& [key, value] : expected) {
        ASSERT_TRUE(captured.count(key)) << key;
        EXPECT_EQ(captured.at(key), value) << key;
    }
}

// A default DEVMODE of an older driver ends before the media type: the entry takes the fields the
// DEVMODE holds and the fixed value for the one it lacks, reading nothing past its end.
TEST_F(QuickSettingsTest, AShortDefaultDevmodeGivesOnlyTheFieldsItHolds) {
    AddSheetItems(true);
    DEVMODEW devmode{};
    devmode.dmSize = offsetof(DEVMODEW, dmMediaType);
    devmode.dmDefaultSource = 15;
    devmode.dmPaperSize = 11;
    std::vector<BYTE> bytes(devmode.dmSize);
    std::memcpy(bytes.data(), &devmode, bytes.size());
    palvex::SetPrinterDevMode(kPrinter, bytes);
    OpenSheet();
    const Entries captured = Values(0);
    const Entries expected = {{4, u"f"}, {9, u"b"}, {0xc, u"1"}};
    for (const auto& [key, value] : expected) {
        ASSERT_TRUE(captured.count(key)) << key;
        EXPECT_EQ(captured.at(key), value) << key;
    }
}

TEST_F(QuickSettingsTest, AChangedValueSelectsTheWorkingEntryWhichTypingNamesAndTheButtonStores) {
    HWND page = Open();
    EXPECT_EQ(List()->GetSel(), 0);
    EXPECT_EQ(Button()->GetSel(), kQuickSettingsDelete);
    EXPECT_FALSE(Enabled());  // the defaults entry cannot be deleted
    // The scale-to-paper size, the watermark angle and the popups' items change no entry.
    for (DWORD id : {3102u, 19250u, 17152u, 16100u, 18100u}) {
        m_factory->GetHandler(id)->RouteNotify(id, kNotifyChanged, 0);
        EXPECT_EQ(List()->GetSel(), 0) << id;
    }

    Handler(kOtherItem)->SetCurSel(1, nullptr);
    EXPECT_EQ(List()->GetSel(), Last());
    EXPECT_EQ(Entry(Last()), u"(変更)" + Entry(0));
    EXPECT_EQ(Button()->GetSel(), kQuickSettingsStoreNew);
    EXPECT_TRUE(Enabled());
    Type(page, 101, u"Draft");
    EXPECT_EQ(Entry(Last()), u"Draft");
    Command(page, 150, BN_CLICKED);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(List()->GetSel(), 1);
    EXPECT_EQ(Entry(1), u"Draft");
    EXPECT_FALSE(Hidden(101, 1));
    EXPECT_EQ(Values(1).at(kOtherItem), u"1");
    EXPECT_EQ(Button()->GetSel(), kQuickSettingsDelete);
    EXPECT_TRUE(Enabled());

    // Another change, then the entry recalls its values; the defaults entry sets collate.
    Handler(kOtherItem)->SetCurSel(0, nullptr);
    EXPECT_EQ(List()->GetSel(), Last());
    EXPECT_EQ(Entry(Last()), u"(変更)Draft");
    Choose(page, 101, 1);
    EXPECT_EQ(List()->GetSel(), 1);
    EXPECT_EQ(Handler(kOtherItem)->GetSel(), 1);
    Choose(page, 101, 0);
    EXPECT_EQ(Handler(kOtherItem)->GetSel(), 0);
    EXPECT_EQ(Handler(kCollateItem)->GetSel(), 1);
}

TEST_F(QuickSettingsTest, DeletingAsksFirstAndSelectsTheWorkingEntry) {
    HWND page = Open();
    Handler(kOtherItem)->SetCurSel(1, nullptr);
    StoreAs(page, u"Draft");
    ASSERT_EQ(List()->GetSel(), 1);

    struct Case {
        int answer;
        bool deleted;
    };
    for (const Case& c : {Case{IDCANCEL, false}, Case{IDOK, true}}) {
        palvex::QueueMessageBoxAnswers({c.answer});
        Command(page, 150, BN_CLICKED);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, u"選ばれた[お気に入り]を消去してもよろしいですか？");
        EXPECT_EQ(boxes[0].caption, u"警告");
        EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes[0].owner, page);
        EXPECT_EQ(Hidden(101, 1), c.deleted);
        EXPECT_EQ(List()->GetSel(), c.deleted ? Last() : 1);
    }
    EXPECT_EQ(Entry(Last()), u"ユーザー設定");
    EXPECT_EQ(List()->Record(1)->m_uses, 0u);

    // Applied, the deleted entry's row is empty and the working entry's row is not written.
    const std::vector<StoredRow> before = StoredRows();
    Apply();
    const std::vector<StoredRow> after = StoredRows();
    EXPECT_EQ(after[1].text, u"");
    EXPECT_EQ(after[Last()], before[Last()]);
}

TEST_F(QuickSettingsTest, RefusedNamesStoreNothing) {
    HWND page = Open();
    const std::vector<StoredRow> rows = StoredRows();
    Handler(kOtherItem)->SetCurSel(1, nullptr);

    // The defaults entry's reserved name, with its leading blank.
    StoreAs(page, u" 標準");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"その名前の[お気に入り]がすでに存在するため、置き換えることはできません。\n別の名前を使用してください。");
    EXPECT_EQ(boxes[0].caption, u"お気に入り");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONEXCLAMATION));
    for (LONG i = 1; i < Last(); ++i) EXPECT_TRUE(Hidden(101, i)) << i;

    // A blank name asks the name popup; a blank answer stores nothing.
    StoreAs(page, u"   ");
    EXPECT_EQ(m_quickNamePopup->m_pushes, 1);
    EXPECT_EQ(m_quickNamePopup->m_parent, page);
    for (LONG i = 1; i < Last(); ++i) EXPECT_TRUE(Hidden(101, i)) << i;
    EXPECT_TRUE(Boxes().empty());

    Apply();
    const std::vector<StoredRow> after = StoredRows();
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(after[i], rows[i]) << i;
}

TEST_F(QuickSettingsTest, TheNamePopupNamesAnEntryWhenNothingWasTyped) {
    HWND page = Open();
    Handler(kOtherItem)->SetCurSel(1, nullptr);
    m_quickNamePopup->Answer(u"From the popup");
    Command(page, 150, BN_CLICKED);
    EXPECT_EQ(m_quickNamePopup->m_pushes, 1);
    EXPECT_EQ(List()->GetSel(), 1);
    EXPECT_EQ(Entry(1), u"From the popup");
    // A name longer than the list takes is cut to 20 characters.
    Handler(kOtherItem)->SetCurSel(0, nullptr);
    StoreAs(page, u"abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(Entry(2), u"abcdefghijklmnopqrst");
    EXPECT_EQ(List()->GetSel(), 2);
}

TEST_F(QuickSettingsTest, StoringUnderAnExistingNameAsksToReplaceIt) {
    HWND page = Open();
    Handler(kOtherItem)->SetCurSel(1, nullptr);
    StoreAs(page, u"Draft");
    Handler(kOtherItem)->SetCurSel(0, nullptr);
    StoreAs(page, u"Fine");
    ASSERT_EQ(List()->GetSel(), 2);

    // From the working entry: No keeps the stored values, Yes replaces them.
    Handler(1)->SetCurSel(1, nullptr);
    palvex::QueueMessageBoxAnswers({IDNO});
    StoreAs(page, u"Draft");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"その名前の[お気に入り]が既に存在します。\n既存の[お気に入り]を置き換えますか？");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_EQ(Values(1).at(1), u"0");
    palvex::QueueMessageBoxAnswers({IDYES});
    StoreAs(page, u"Draft");
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Values(1).at(1), u"1");
    EXPECT_EQ(List()->GetSel(), 1);

    // From a stored entry with another entry's name (value 2): that entry is replaced and the
    // selected one deleted.
    Choose(page, 101, 2);
    Type(page, 101, u"Draft");
    EXPECT_EQ(Button()->GetSel(), kQuickSettingsStoreOver);
    palvex::QueueMessageBoxAnswers({IDYES});
    Command(page, 150, BN_CLICKED);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Hidden(101, 2));
    EXPECT_EQ(List()->GetSel(), 1);
    EXPECT_EQ(Values(1).at(kOtherItem), u"0");  // the values of "Fine"

    // Value 2 onto another entry's name, answered No: nothing is stored, the typed name goes.
    Type(page, 101, u"Draft");
    palvex::QueueMessageBoxAnswers({IDNO});
    Command(page, 150, BN_CLICKED);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(WindowText(page, 101), u"");
    EXPECT_EQ(Values(1).at(kOtherItem), u"0");

    // Value 2 with a new name renames the selected entry in place.
    Type(page, 101, u"Renamed");
    Command(page, 150, BN_CLICKED);
    EXPECT_EQ(Entry(1), u"Renamed");
    EXPECT_EQ(List()->GetSel(), 1);
    EXPECT_EQ(List()->GetEditText(), nullptr);
    // An emptied edit field disables the button.
    Type(page, 101, u"");
    EXPECT_EQ(Button()->GetSel(), kQuickSettingsStoreOver);
    EXPECT_FALSE(Enabled());
}

TEST_F(QuickSettingsTest, AFullListRefusesNewEntries) {
    HWND page = Open();
    for (LONG i = 1; i < Last(); ++i) {
        Handler(kOtherItem)->SetCurSel(i % 2, nullptr);
        Handler(1)->SetCurSel((i / 2) % 2, nullptr);
        StoreAs(page, u"Entry " + std::u16string(1, static_cast<char16_t>(u'0' + i)));
        ASSERT_EQ(List()->GetSel(), i);
    }
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Hidden(101, Last()));  // selected under its generated names, never shown

    Handler(kOtherItem)->SetCurSel(Handler(kOtherItem)->GetSel() ? 0 : 1, nullptr);
    ASSERT_EQ(List()->GetSel(), Last());
    StoreAs(page, u"One too many");
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"定義されている[お気に入り]が多すぎます。[お気に入り]を追加する前にいくつか削除してください。");
    EXPECT_EQ(boxes[0].caption, u"お気に入り");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(List()->GetSel(), Last());
    EXPECT_EQ(Entry(Last()), u"One too many");
    EXPECT_EQ(m_quickNamePopup->m_pushes, 0);
}

TEST_F(QuickSettingsTest, AnEntryThatCannotBeRecalledIsDeletedOrKeptAsThePageRulesSay) {
    // Entries 1 and 2 ask for a value the list of item 2501 does not hold.
    StoreRow(1, u"Broken", u"\xfffd" u"9c4\xfffe" u"1\xffff\xfffd" u"9c5\xfffe" u"63\xffff");
    StoreRow(2, u"Kept", u"\xfffd" u"9c5\xfffe" u"63\xffff");
    HWND page = Open();
    ASSERT_EQ(Entry(1), u"Broken");
    Choose(page, 101, 1);
    EXPECT_TRUE(Hidden(101, 1));
    EXPECT_EQ(List()->GetSel(), 0);
    EXPECT_EQ(List()->Deletion(), 0u);

    // The page rules set the flag from the user's answer: keep, and the entry stays.
    SetFavouriteDeletion(List(), 1);
    EXPECT_EQ(List()->Deletion(), 1u);
    SetFavouriteDeletion(List(), 0);
    Choose(page, 101, 2);
    EXPECT_FALSE(Hidden(101, 2));
    EXPECT_EQ(List()->GetSel(), 0);
    // When the entry the list goes back to fails too, neither the defaults entry nor it is deleted.
    SetFavouriteDeletion(List(), 1);
    const std::u16string defaults = Entry(0);
    ClosePages();
    CloseSheet();
    StoreRow(0, defaults, u"\xfffd" u"9c5\xfffe" u"63\xffff");
    OpenSheet();
    page = OpenPage(1000);
    Choose(page, 101, 2);
    EXPECT_TRUE(Hidden(101, 2));
    EXPECT_FALSE(Hidden(101, 0));
    EXPECT_EQ(List()->GetSel(), 0);
    Handler(kOtherItem)->SetCurSel(1, nullptr);
    ASSERT_EQ(List()->GetSel(), Last());
    SetFavouriteDeletion(List(), 1);
    Choose(page, 101, 0);
    EXPECT_FALSE(Hidden(101, 0));

    // Another class of handler is left alone.
    SetFavouriteDeletion(List(), 0);
    SetFavouriteDeletion(Handler(kOtherItem), 1);
    SetFavouriteDeletion(nullptr, 1);
    EXPECT_EQ(List()->Deletion(), 0u);
}

TEST_F(QuickSettingsTest, StoredEntriesComeBackInTheNextSheet) {
    HWND page = Open();
    Handler(kOtherItem)->SetCurSel(1, nullptr);
    StoreAs(page, u"Draft");
    const Entries stored = Values(1);
    Apply();
    ClosePages();
    CloseSheet();
    OpenSheet();
    EXPECT_EQ(Entry(1), u"Draft");
    EXPECT_FALSE(Hidden(101, 1));
    EXPECT_EQ(Values(1), stored);
    EXPECT_EQ(List()->Record(1)->m_uses, 1u);
}

TEST_F(QuickSettingsTest, TheNamePopupsOkWantsAName) {
    AddSheetItems();
    OpenSheet();
    HWND popup = OpenPopup(16001);
    HWND ok = GetDlgItem(popup, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(IsWindowEnabled(ok));
    for (const auto& [text, enabled] : std::vector<std::pair<std::u16string, bool>>{
             {u"Name", true}, {u"  ", false}, {u" x", true}, {u"", false}}) {
        Handler(16100)->SelectString(text.c_str(), nullptr);
        EXPECT_EQ(IsWindowEnabled(ok) != FALSE, enabled) << std::string(text.begin(), text.end());
    }
    EXPECT_EQ(Handler(16100)->GetTextLimit(), kQuickSettingsNameLimit);
}

TEST(QuickSettingsNames, BlankNames) {
    EXPECT_TRUE(IsBlankName(nullptr));
    EXPECT_TRUE(IsBlankName(u""));
    EXPECT_TRUE(IsBlankName(u" \t\r\n"));
    EXPECT_FALSE(IsBlankName(u" a"));
    EXPECT_FALSE(IsBlankName(u"\x3000"));  // an ideographic space is a character of the name
}

}  // namespace
}  // namespace uitest
