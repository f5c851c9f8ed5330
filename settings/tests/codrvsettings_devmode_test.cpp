// The private devmode requests of the universal driver (size, default, convert, merge), the merge's
// devmode rules and the paper-size helpers.
#include <algorithm>
#include <array>

#include "codrvsettings_fixture.h"

namespace drvtest {
namespace {

using DevmodeTest = DrvSettingsTest;
using Record = std::array<BYTE, dm::kRecordSize>;

// The default private devmode of the test description, worked out field by field.
Record ExpectedDefault() {
    Record record{};
    Poke<DWORD>(record.data(), dm::kSize, 45);
    std::memcpy(record.data() + dm::kSignature, "QKD3", 4);
    Poke<DWORD>(record.data(), dm::kVersion, 3);
    record[dm::kNupPages] = 2;
    Poke<WORD>(record.data(), dm::kMediaSize, 9);
    Poke<WORD>(record.data(), dm::kScaleSize, 9);
    Poke<WORD>(record.data(), dm::kScaleFactor, 100);
    const char16_t text[] = u"DRAFT";
    std::memcpy(record.data() + dm::kWmkText, text, 10);
    Poke<DWORD>(record.data(), dm::kBindingMargin, 0x01020304);
    return record;
}

TEST_F(DevmodeTest, SizeAndDefault) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    DWORD size = 0;
    EXPECT_EQ(settings->GetDevmodeSize(&size), S_OK);
    EXPECT_EQ(size, 45u);
    EXPECT_EQ(settings->GetDevmodeSize(nullptr), E_INVALIDARG);

    std::array<BYTE, 46> buffer;
    buffer.fill(0xEE);
    size = 46;
    ASSERT_EQ(settings->GetDefaultDevmode(&size, buffer.data()), S_OK);
    EXPECT_EQ(size, 45u);
    const Record expected = ExpectedDefault();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
    EXPECT_EQ(buffer[45], 0xEE);

    size = 44;  // one byte short
    EXPECT_EQ(settings->GetDefaultDevmode(&size, buffer.data()), E_OUTOFMEMORY);
    EXPECT_EQ(size, 44u);
    EXPECT_EQ(settings->GetDefaultDevmode(nullptr, buffer.data()), E_INVALIDARG);
    EXPECT_EQ(settings->GetDefaultDevmode(&size, nullptr), E_INVALIDARG);
}

TEST_F(DevmodeTest, ConvertCopiesOnlyBetweenEqualSignatures) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    struct Case {
        const char* sourceSignature;
        DWORD sourceSize;  // the source's _SIZE
        DWORD size;        // the destination size given
        DWORD copied;      // bytes expected from the source
    };
    const Case cases[] = {
        {"QKD3", 45, 45, 45},
        {"QKD3", 45, 20, 20},  // a smaller destination takes only its size
        {"QKD3", 30, 45, 30},  // an older, smaller source gives only its own size
        {"QKD2", 45, 45, 0},   // another layout: nothing copied, still success
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        Record source;
        for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<BYTE>(0x80 + i);
        Poke<DWORD>(source.data(), dm::kSize, c.sourceSize);
        std::memcpy(source.data() + dm::kSignature, c.sourceSignature, 4);
        Record destination = ExpectedDefault();
        const Record before = destination;
        DWORD size = c.size;
        EXPECT_EQ(settings->ConvertDevmode(&size, destination.data(), source.data()), S_OK);
        for (size_t i = 0; i < destination.size(); ++i)
            ASSERT_EQ(destination[i], i < c.copied ? source[i] : before[i]) << "byte " << i;
    }
    Record record = ExpectedDefault();
    DWORD size = 0;
    EXPECT_EQ(settings->ConvertDevmode(&size, record.data(), record.data()), E_INVALIDARG);
    size = 45;
    EXPECT_EQ(settings->ConvertDevmode(nullptr, record.data(), record.data()), E_INVALIDARG);
    EXPECT_EQ(settings->ConvertDevmode(&size, nullptr, record.data()), E_INVALIDARG);
    EXPECT_EQ(settings->ConvertDevmode(&size, record.data(), nullptr), E_INVALIDARG);
}

// What the rules see and what they must make of it.
struct RuleCase {
    const char* what;
    DWORD duplexType;      // printer _DUPLEXTYPE
    BYTE largeScaling;     // printer _LRGSIZESCL
    WORD optionalSources;  // printer _OPTSOURCE
    short duplex;          // dmDuplex
    WORD mediaSize;        // private _MEDIASIZE
    short source;          // dmDefaultSource
    // Expected:
    short duplexAfter;
    BYTE bookletAfter;     // private _BKL_MODE (starts 0)
    short paperAfter;      // dmPaperSize (starts 9)
    BYTE scaleEnabledAfter;  // private _SCALEDOCON_ENABLED (starts 1)
    WORD scaleFactorAfter;   // private _SCALE_FACTOR (starts 50)
    short sourceAfter;
    DWORD fieldsAfter;     // dmFields (starts 0)
};

constexpr DWORD kDuplex = DM_DUPLEX, kPaper = DM_PAPERSIZE, kSource = DM_DEFAULTSOURCE;

const RuleCase kRuleCases[] = {
    // what                            dup lrg opt dmDup mSz  src | dup bkl  pap en fac  src fields
    {"no duplex unit forces simplex",   0, 1, 0, 2, 9, 1,     1, 1, 9, 1, 50, 1, kDuplex},
    {"simplex stays simplex",           0, 1, 0, 1, 9, 1,     1, 0, 9, 1, 50, 1, 0},
    {"a duplex unit keeps duplex",      1, 1, 0, 3, 9, 1,     3, 0, 9, 1, 50, 1, 0},
    {"A2 without large scaling",        1, 0, 0, 1, 66, 1,    1, 0, 70, 0, 100, 1, kPaper},
    {"C sheet without large scaling",   1, 0, 0, 1, 24, 1,    1, 0, 70, 0, 100, 1, kPaper},
    {"A2 with large scaling",           1, 1, 0, 1, 66, 1,    1, 0, 9, 1, 50, 1, 0},
    {"A4 without large scaling",        1, 0, 0, 1, 9, 1,     1, 0, 9, 1, 50, 1, 0},
    {"unknown source becomes auto",     1, 1, 0, 1, 9, 5,     1, 0, 9, 1, 50, 7, kSource},
    {"form source stays",               1, 1, 0, 1, 9, 15,    1, 0, 9, 1, 50, 15, 0},
    {"one optional tray: middle",       1, 1, 1, 1, 9, 3,     1, 0, 9, 1, 50, 7, 0},
    {"one optional tray: lower",        1, 1, 1, 1, 9, 2,     1, 0, 9, 1, 50, 7, 0},
    {"one optional tray: cassette",     1, 1, 1, 1, 9, 14,    1, 0, 9, 1, 50, 7, 0},
    {"one optional tray: manual stays", 1, 1, 1, 1, 9, 4,     1, 0, 9, 1, 50, 4, 0},
    {"two trays: lower",                1, 1, 2, 1, 9, 2,     1, 0, 9, 1, 50, 7, 0},
    {"two trays: middle stays",         1, 1, 2, 1, 9, 3,     1, 0, 9, 1, 50, 3, 0},
    {"other tray count keeps source",   1, 1, 3, 1, 9, 2,     1, 0, 9, 1, 50, 2, 0},
};

TEST_F(DevmodeTest, MergeAppliesTheRulesThenCopies) {
    for (const RuleCase& c : kRuleCases) {
        SCOPED_TRACE(c.what);
        SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
        ASSERT_EQ(settings->SetFieldValue(nullptr, u"_DUPLEXTYPE", &c.duplexType, 4, SETTINGS_SELECT_PRINTER), S_OK);
        ASSERT_EQ(settings->SetFieldValue(nullptr, u"_LRGSIZESCL", &c.largeScaling, 1, SETTINGS_SELECT_PRINTER), S_OK);
        ASSERT_EQ(settings->SetFieldValue(nullptr, u"_OPTSOURCE", &c.optionalSources, 2, SETTINGS_SELECT_PRINTER), S_OK);

        DEVMODEW publicDevmode{}, second{};
        publicDevmode.dmDuplex = c.duplex;
        publicDevmode.dmPaperSize = 9;
        publicDevmode.dmDefaultSource = c.source;
        Record source = ExpectedDefault();
        Poke<WORD>(source.data(), dm::kMediaSize, c.mediaSize);
        Poke<WORD>(source.data(), dm::kScaleSize, 70);
        source[dm::kScaleEnabled] = 1;
        Poke<WORD>(source.data(), dm::kScaleFactor, 50);
        Record destination{};
        DWORD size = dm::kRecordSize;
        ASSERT_EQ(settings->MergeDevmode(&size, &publicDevmode, &second, destination.data(), source.data()), S_OK);

        EXPECT_EQ(publicDevmode.dmDuplex, c.duplexAfter);
        EXPECT_EQ(publicDevmode.dmPaperSize, c.paperAfter);
        EXPECT_EQ(publicDevmode.dmDefaultSource, c.sourceAfter);
        EXPECT_EQ(publicDevmode.dmFields, c.fieldsAfter);
        EXPECT_EQ(destination[dm::kBklMode], c.bookletAfter);
        EXPECT_EQ(destination[dm::kScaleEnabled], c.scaleEnabledAfter);
        EXPECT_EQ(Peek<WORD>(destination.data(), dm::kScaleFactor), c.scaleFactorAfter);
        EXPECT_EQ(destination, source);  // the rules change the source, which is then copied whole
    }
}

TEST_F(DevmodeTest, MergeArguments) {
    SettingsPtr settings = MakeSettings(SETTINGS_MODE_DOCUMENT);
    DEVMODEW publicDevmode{}, second{};
    Record source = ExpectedDefault(), destination{};
    DWORD size = dm::kRecordSize, none = 0;
    EXPECT_EQ(settings->MergeDevmode(&size, &publicDevmode, nullptr, destination.data(), source.data()), E_INVALIDARG);
    EXPECT_EQ(settings->MergeDevmode(&none, &publicDevmode, &second, destination.data(), source.data()), E_INVALIDARG);
    EXPECT_EQ(settings->MergeDevmode(&size, nullptr, &second, destination.data(), source.data()), E_INVALIDARG);
    EXPECT_EQ(settings->MergeDevmode(&size, &publicDevmode, &second, nullptr, source.data()), E_INVALIDARG);
    EXPECT_EQ(settings->MergeDevmode(&size, &publicDevmode, &second, destination.data(), nullptr), E_INVALIDARG);
    EXPECT_EQ(settings->ApplyDevmodeRules(nullptr, source.data()), E_INVALIDARG);
    EXPECT_EQ(destination, Record{});

    // A smaller destination takes only its size.
    size = 10;
    ASSERT_EQ(settings->MergeDevmode(&size, &publicDevmode, &second, destination.data(), source.data()), S_OK);
    EXPECT_TRUE(std::equal(source.begin(), source.begin() + 10, destination.begin()));
    EXPECT_TRUE(std::all_of(destination.begin() + 10, destination.end(), [](BYTE b) { return b == 0; }));
}

TEST(PaperSizes, PaperIdFromFormSize) {
    struct Case {
        LONG cx, cy;
        SHORT expected;  // 999: left unchanged
    };
    const Case cases[] = {
        {215900, 279400, DMPAPER_LETTER},
        {216050, 279250, DMPAPER_LETTER},
        {216100, 279400, 999},  // 200 micrometres too wide
        {279400, 431800, DMPAPER_11X17},
        {279250, 431650, DMPAPER_11X17},
        {279249, 431800, 999},
        {215900, 355600, DMPAPER_LEGAL},
        {215750, 355750, DMPAPER_LEGAL},
        {257000, 364000, DMPAPER_B4},
        {256849, 364000, 999},
        {182000, 257000, DMPAPER_B5},
        {182000, 257151, 999},
        {139700, 215900, DMPAPER_STATEMENT},
        {139850, 216050, DMPAPER_STATEMENT},
        {139851, 215900, 999},
        {210000, 297000, 999},  // A4 is none of the six
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.cx << " x " << c.cy);
        const SIZE size{c.cx, c.cy};
        SHORT id = 999;
        EXPECT_EQ(CoDrvSettings::PaperIdFromFormSize(&size, &id), S_OK);
        EXPECT_EQ(id, c.expected);
    }
    SHORT id = 0;
    const SIZE size{1, 1};
    EXPECT_EQ(CoDrvSettings::PaperIdFromFormSize(nullptr, &id), E_INVALIDARG);
    EXPECT_EQ(CoDrvSettings::PaperIdFromFormSize(&size, nullptr), E_INVALIDARG);
}

TEST(PaperSizes, FormSizeMatchesWithinTolerance) {
    struct Case {
        LONG cx, cy, width, height;
        HRESULT expected;
    };
    const Case cases[] = {
        {210000, 297000, 2100, 2970, S_OK},
        {210150, 296850, 2100, 2970, S_OK},
        {210151, 297000, 2100, 2970, S_FALSE},
        {210000, 296849, 2100, 2970, S_FALSE},
    };
    for (const Case& c : cases) {
        const SIZE size{c.cx, c.cy};
        EXPECT_EQ(CoDrvSettings::FormSizeMatches(&size, c.width, c.height), c.expected) << c.cx << " x " << c.cy;
    }
    EXPECT_EQ(CoDrvSettings::FormSizeMatches(nullptr, 2100, 2970), E_INVALIDARG);
}

}  // namespace
}  // namespace drvtest
