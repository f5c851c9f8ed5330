// Option items and settings fields: selections read from and written to fields by settings key,
// for each kind of item.
#include <array>
#include <deque>

#include <win/unidrv_userdata.h>

#include "codrvsettings_fixture.h"

namespace drvtest {
namespace {

using ItemsTest = DrvSettingsTest;
using Record = std::array<BYTE, dm::kRecordSize>;

constexpr LONG kUntouched = 77;

OPTPARAM Option(LPARAM value, BYTE flags = 0) {
    OPTPARAM option{};
    option.cbSize = sizeof option;
    option.Flags = flags;
    option.lParam = value;
    return option;
}

template <class T>
LPARAM Behind(const T* value) {
    return reinterpret_cast<LPARAM>(value);
}

// Option items with what they point to, as the sheet builds them.
class Items {
public:
    // key: the settings key in the item's UserData record (null: no record).
    OPTITEM& Add(const char16_t* key, BYTE type, std::vector<OPTPARAM> options = {}, DWORD flags = 0) {
        OPTITEM item{};
        item.cbSize = sizeof item;
        item.Flags = flags;
        item.Sel = kUntouched;
        if (key) {
            USERDATA& record = m_records.emplace_back();
            record.dwSize = sizeof record;
            record.pKeyWordName = m_keys.emplace_back(key).data();
            item.UserData = reinterpret_cast<ULONG_PTR>(&record);
        }
        if (type != TVOT_NONE) {
            std::vector<OPTPARAM>& params = m_options.emplace_back(std::move(options));
            OPTTYPE& optionType = m_types.emplace_back();
            optionType.cbSize = sizeof optionType;
            optionType.Type = type;
            optionType.Count = static_cast<WORD>(params.size());
            optionType.pOptParam = params.data();
            item.pOptType = &optionType;
        }
        return m_items.emplace_back(item);
    }
    // An edit box whose buffer holds capacity characters, followed by guard characters.
    OPTITEM& AddEdit(const char16_t* key, size_t capacity, const std::u16string& text = u"", DWORD flags = 0) {
        std::vector<WCHAR>& buffer = m_buffers.emplace_back(capacity + 4, u'#');
        std::copy(text.begin(), text.end(), buffer.begin());
        if (text.size() < capacity) buffer[text.size()] = 0;
        OPTPARAM limit = Option(0);
        limit.IconID = capacity;
        OPTITEM& item = Add(key, TVOT_EDITBOX, {Option(0), limit}, flags);
        item.pSel = buffer.data();
        return item;
    }
    POPTITEM data() { return m_items.data(); }
    DWORD count() const { return static_cast<DWORD>(m_items.size()); }

private:
    std::deque<USERDATA> m_records;
    std::deque<std::u16string> m_keys;
    std::deque<std::vector<OPTPARAM>> m_options;
    std::deque<OPTTYPE> m_types;
    std::deque<std::vector<WCHAR>> m_buffers;
    std::vector<OPTITEM> m_items;
};

Record DefaultRecord(CoDrvSettings* settings) {
    Record record{};
    DWORD size = record.size();
    EXPECT_EQ(settings->GetDefaultDevmode(&size, record.data()), S_OK);
    return record;
}

std::u16string EditText(const OPTITEM& item, size_t units) {
    return std::u16string(item.pSel, units);
}

TEST_F(ItemsTest, GetOptItemsTakesEachKindFromItsField) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(settings.get());
    Poke<WORD>(record.data(), dm::kScaleFactor, 0x8001);
    Poke<SHORT>(record.data(), dm::kScaleLevel, -10);
    record[dm::kNupPages] = 200;
    record[dm::kBklMode] = 1;  // the byte after _NUP_PAGES

    const DWORD values[] = {5, 0x01020304};
    const char16_t conf[] = u"CONF";
    const char16_t draft[] = u"DRAFT";
    Items items;
    items.Add(u"OEMDEVMODE._SCALE_FACTOR", TVOT_UDARROW, {Option(0), Option(0)});
    items.Add(u"_SCALE_LEVEL", TVOT_TRACKBAR, {Option(0), Option(0), Option(0)});
    items.Add(u"X.Y._NUP_PAGES", TVOT_SCROLLBAR, {Option(0), Option(0), Option(0)});  // a one-byte field
    items.Add(u"OEMDEVMODE._BKL_MODE", TVOT_CHKBOX, {Option(0)});
    items.Add(u"OEMDEVMODE._MEDIASIZE", TVOT_LISTBOX, {Option(1), Option(9, OPTPF_HIDE), Option(9)});
    items.Add(u"OEMDEVMODE._MEDIASIZE", TVOT_3STATES, {Option(1), Option(2), Option(3)});  // no match
    // Values behind lParam; the second option holds a small value of its own, which is no address.
    items.Add(u"OEMDEVMODE._BINDING_MARGIN", TVOT_COMBOBOX,
              {Option(Behind(&values[0])), Option(3), Option(Behind(&values[1]))});
    items.Add(u"OEMDEVMODE._WMK_TEXT", TVOT_2STATES, {Option(Behind(conf)), Option(Behind(draft))});
    items.AddEdit(u"OEMDEVMODE._WMK_TEXT", 4);
    items.AddEdit(u"OEMDEVMODE._WMK_TEXT", 16);
    items.Add(nullptr, TVOT_CHKBOX, {Option(0)});                       // no key
    items.Add(u"OEMDEVMODE.", TVOT_CHKBOX, {Option(0)});                // empty field name
    items.Add(u"OEMDEVMODE._NO_SUCH", TVOT_CHKBOX, {Option(0)});        // unknown field
    items.Add(u"OEMDEVMODE._DUPLEXTYPE", TVOT_CHKBOX, {Option(0)});     // a printer field
    items.Add(u"OEMDEVMODE._NUP_PAGES", TVOT_NONE);                     // no option type
    ASSERT_EQ(settings->GetOptItems(items.data(), items.count(), record.data()), S_OK);

    const POPTITEM item = items.data();
    EXPECT_EQ(item[0].Sel, 0x8001);
    EXPECT_EQ(item[1].Sel, -10);
    EXPECT_EQ(item[2].Sel, 200);
    EXPECT_EQ(item[3].Sel, 1);
    EXPECT_EQ(item[4].Sel, 2);  // the hidden option never matches
    EXPECT_EQ(item[5].Sel, 0);
    EXPECT_EQ(item[6].Sel, 2);
    EXPECT_EQ(item[7].Sel, 1);
    EXPECT_EQ(EditText(item[8], 8), std::u16string(u"DRA\0####", 8));  // cut to the buffer
    EXPECT_EQ(EditText(item[9], 20), std::u16string(u"DRAFT\0\0\0\0###########", 20));
    for (DWORD i = 10; i < items.count(); ++i) EXPECT_EQ(item[i].Sel, kUntouched) << "item " << i;
}

TEST_F(ItemsTest, TheWatermarkListSelectsByTheStoredIndex) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(settings.get());
    const char16_t conf[] = u"CONF";
    const char16_t draft[] = u"DRAFT";
    for (WORD index : {0, 3}) {
        Poke<WORD>(record.data(), dm::kWmkTextIdx, index);
        Items items;
        items.Add(u"OEMDEVMODE._WMK_TEXT", TVOT_LISTBOX, {Option(Behind(conf)), Option(Behind(draft))});
        ASSERT_EQ(settings->GetOptItems(items.data(), items.count(), record.data()), S_OK);
        EXPECT_EQ(items.data()[0].Sel, index ? index : 1);
    }
}

TEST_F(ItemsTest, SetOptItemsWritesChangedItemsIntoTheirFieldsOnly) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(settings.get());
    const Record before = record;

    const DWORD margin = 0x0A0B0C0D;
    Items items;
    items.Add(u"OEMDEVMODE._SCALE_FACTOR", TVOT_UDARROW, {Option(0), Option(0)}, OPTIF_CHANGED).Sel = 300;
    items.Add(u"OEMDEVMODE._SCALE_LEVEL", TVOT_TRACKBAR, {Option(0), Option(0), Option(0)}, OPTIF_CHANGEONCE).Sel = -5;
    items.Add(u"OEMDEVMODE._BKL_MODE", TVOT_CHKBOX, {Option(0)}, OPTIF_CHANGED).Sel = 1;
    items.AddEdit(u"OEMDEVMODE._WMK_TEXT", 32, u"OK", OPTIF_CHANGED);
    items.Add(u"OEMDEVMODE._MEDIASIZE", TVOT_LISTBOX, {Option(9), Option(66)}, OPTIF_CHANGED).Sel = 1;
    items.Add(u"OEMDEVMODE._BINDING_MARGIN", TVOT_COMBOBOX, {Option(Behind(&margin))}, OPTIF_CHANGED).Sel = 0;
    items.Add(u"OEMDEVMODE._NUP_PAGES", TVOT_LISTBOX, {Option(1), Option(4)}, OPTIF_HIDE).Sel = 1;   // not changed
    items.Add(u"OEMDEVMODE._NUP_PAGES", TVOT_LISTBOX, {Option(1), Option(4)}, OPTIF_CHANGED).Sel = 5;  // no such option
    items.Add(u"OEMDEVMODE._NO_SUCH", TVOT_CHKBOX, {Option(0)}, OPTIF_CHANGED).Sel = 1;
    ASSERT_EQ(settings->SetOptItems(items.data(), items.count(), record.data(), nullptr), S_OK);

    Record expected = before;
    Poke<WORD>(expected.data(), dm::kScaleFactor, 300);
    Poke<SHORT>(expected.data(), dm::kScaleLevel, -5);
    expected[dm::kBklMode] = 1;
    std::fill_n(expected.data() + dm::kWmkText, 16, 0);
    std::memcpy(expected.data() + dm::kWmkText, u"OK", 4);
    Poke<WORD>(expected.data(), dm::kMediaSize, 66);
    Poke<DWORD>(expected.data(), dm::kBindingMargin, 0x0A0B0C0D);
    EXPECT_EQ(record, expected);
}

TEST_F(ItemsTest, PrinterModeUsesThePrinterRow) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_PRINTER);
    Items items;
    items.Add(u"PRINTERSETTINGS._PDLTYPE", TVOT_LISTBOX, {Option(10), Option(50)});
    items.Add(u"PRINTERSETTINGS._FORMASSIGN", TVOT_CHKBOX, {Option(0)});
    items.Add(u"PRINTERSETTINGS._NUP_PAGES", TVOT_CHKBOX, {Option(0)});  // a devmode field
    ASSERT_EQ(settings->GetOptItems(items.data(), items.count(), nullptr), S_OK);
    EXPECT_EQ(items.data()[0].Sel, 1);
    EXPECT_EQ(items.data()[1].Sel, 1);
    EXPECT_EQ(items.data()[2].Sel, kUntouched);

    items.data()[1].Sel = 0;
    items.data()[1].Flags = OPTIF_CHANGED;
    ASSERT_EQ(settings->SetOptItems(items.data(), items.count(), nullptr, INVALID_HANDLE_VALUE), S_OK);
    BYTE formAssign = 9;
    EXPECT_EQ(settings->GetFieldValue(nullptr, u"_FORMASSIGN", &formAssign, 1, SETTINGS_SELECT_PRINTER), S_OK);
    EXPECT_EQ(formAssign, 0);
    // Without a valid printer handle nothing is saved.
    EXPECT_EQ(xprtest::ReadPrinterValue(kPrinter, u"PRINTERSETTINGS"), PrinterBuilder().Build());
}

TEST_F(ItemsTest, Arguments) {
    SettingsPtr document = MakeSettings(SETTINGS_MODE_DOCUMENT);
    Record record = DefaultRecord(document.get());
    Items items;
    items.Add(u"OEMDEVMODE._BKL_MODE", TVOT_CHKBOX, {Option(0)}, OPTIF_CHANGED);
    EXPECT_EQ(document->GetOptItems(nullptr, 1, record.data()), E_INVALIDARG);
    EXPECT_EQ(document->GetOptItems(items.data(), 0, record.data()), E_INVALIDARG);
    EXPECT_EQ(document->GetOptItems(items.data(), 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(document->SetOptItems(nullptr, 1, record.data(), nullptr), E_INVALIDARG);
    EXPECT_EQ(document->SetOptItems(items.data(), 0, record.data(), nullptr), E_INVALIDARG);
    EXPECT_EQ(document->SetOptItems(items.data(), 1, nullptr, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace drvtest
