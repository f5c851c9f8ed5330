// The printer's TrueType font substitution table: its stored bytes as each face's choice changes
// it, the limits of the table, and stored values that are damaged or inconsistent.
#include <string>
#include <vector>

#include "drv_handler_sheet.h"
#include "options/font_substitution.h"

namespace uitest {
namespace {

constexpr DWORD kFontItemHelp = 1026;

// The stored bytes of UTF-16 text given with its NULs (a u"" literal's own NUL left out).
std::vector<BYTE> Utf16Bytes(std::u16string_view text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(bytes, bytes + text.size() * sizeof(char16_t));
}

std::vector<BYTE> DwordBytes(DWORD value) {
    return {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
}

class FontSubstitutionTest : public DrvSheetTest {
protected:
    void SetUp() override {
        DrvSheetTest::SetUp();
        for (int i = 0; i < 8; ++i) AddFace(u"");  // room: faces are named per test
        MakeSheet(OEMCUIP_PRNPROP);
    }
    // A TrueType face's item: option 0 no substitution, then the device fonts.
    POPTITEM AddFace(const std::u16string& face) {
        POPTITEM item = AddItem(0, TVOT_LISTBOX, 4, {}, {u"", u"Helvetica", u"Courier", u"Times"});
        item->HelpIndex = kFontItemHelp;
        item->pName = HeapText(face);
        return item;
    }
    // The next free item, named for a face, with selection chosen.
    POPTITEM Face(const std::u16string& face, LONG selection) {
        POPTITEM item = &m_items.at(m_used++);
        item->pName = HeapText(face);
        item->Sel = selection;
        return item;
    }
    QORVAOptItemHandlerFONTSUBST* Handler(POPTITEM item) {
        auto* handler = MakeOnHeap<QORVAOptItemHandlerFONTSUBST>(m_heap, m_heap, m_factory, item);
        EXPECT_TRUE(handler);
        return handler;
    }
    // The user picks option selection for the face and applies the sheet.
    void Choose(QORVAOptItemHandlerFONTSUBST* handler, LONG selection) {
        handler->Item()->Sel = selection;
        handler->Item()->Flags |= OPTIF_CHANGED;
        handler->SaveSettings(nullptr);
    }
    void Store(std::u16string_view table, DWORD size) {
        SetPrinterValue(kFontSubstTableValue, REG_MULTI_SZ, Utf16Bytes(table));
        SetPrinterValue(kFontSubstSizeValue, REG_DWORD, DwordBytes(size));
    }
    // The stored table and its size value, which must agree.
    std::u16string Stored() {
        DWORD type = 0;
        const std::vector<BYTE> bytes = PrinterValue(kFontSubstTableValue, &type);
        EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
        DWORD sizeType = 0;
        EXPECT_EQ(PrinterValue(kFontSubstSizeValue, &sizeType), DwordBytes(static_cast<DWORD>(bytes.size())));
        EXPECT_EQ(sizeType, static_cast<DWORD>(REG_DWORD));
        return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    }
    bool NothingStored() { return !HasPrinterValue(kFontSubstTableValue) && !HasPrinterValue(kFontSubstSizeValue); }

    size_t m_used = 0;
};

TEST_F(FontSubstitutionTest, ASubstitutionIsStoredByteForByte) {
    auto* handler = Handler(Face(u"Arial", 0));
    EXPECT_TRUE(NothingStored());  // no substitution chosen: nothing written on opening
    Choose(handler, 1);
    DWORD type = 0;
    const std::vector<BYTE> expected = {'A', 0, 'r', 0, 'i', 0, 'a', 0, 'l', 0, 0, 0, 'H', 0, 'e', 0, 'l', 0,
                                        'v', 0, 'e', 0, 't', 0, 'i', 0, 'c', 0, 'a', 0, 0, 0, 0, 0};
    EXPECT_EQ(PrinterValue(kFontSubstTableValue, &type), expected);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(PrinterValue(kFontSubstSizeValue, &type), DwordBytes(34));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    // Option 0 reads as the model's "no substitution" text.
    EXPECT_EQ(std::u16string(handler->Item()->pOptType->pOptParam[0].pData), u"<Don't substitute>");
}

TEST_F(FontSubstitutionTest, OnlyTheSheetsApplyOfAChangedItemWrites) {
    auto* handler = Handler(Face(u"Arial", 0));
    handler->Item()->Sel = 1;
    handler->SaveSettings(nullptr);  // not marked changed
    EXPECT_TRUE(NothingStored());
    handler->Item()->Flags |= OPTIF_CHANGED;
    handler->SaveSettings(Control(1));  // a popup's OK, not the sheet's Apply
    EXPECT_TRUE(NothingStored());
    handler->SaveSettings(nullptr);
    EXPECT_EQ(Stored(), std::u16string(u"Arial\0Helvetica\0\0", 17));
}

TEST_F(FontSubstitutionTest, ASheetOpenedWithASubstitutionWritesItAtOnce) {
    Store(std::u16string_view(u"Arial\0Helvetica\0\0", 17), 34);
    Handler(Face(u"Symbol", 2));
    EXPECT_EQ(Stored(), std::u16string(u"Arial\0Helvetica\0Symbol\0Courier\0\0", 32));
}

TEST_F(FontSubstitutionTest, ChoicesChangeRemoveAndAppendInOrder) {
    auto* arial = Handler(Face(u"Arial", 0));
    auto* wingdings = Handler(Face(u"Wingdings", 0));
    auto* tahoma = Handler(Face(u"Tahoma", 0));
    auto* lowerArial = Handler(Face(u"arial", 0));
    struct Step {
        QORVAOptItemHandlerFONTSUBST* handler;
        LONG selection;
        std::u16string_view stored;  // empty: nothing stored
    } steps[] = {
        {arial, 1, {u"Arial\0Helvetica\0\0", 17}},
        {wingdings, 3, {u"Arial\0Helvetica\0Wingdings\0Times\0\0", 33}},
        {tahoma, 2, {u"Arial\0Helvetica\0Wingdings\0Times\0Tahoma\0Courier\0\0", 48}},
        // Another device font for a listed face: changed in place.
        {arial, 2, {u"Arial\0Courier\0Wingdings\0Times\0Tahoma\0Courier\0\0", 46}},
        // Faces compare exactly: "arial" is a face of its own.
        {lowerArial, 3, {u"Arial\0Courier\0Wingdings\0Times\0Tahoma\0Courier\0arial\0Times\0\0", 58}},
        {lowerArial, 0, {u"Arial\0Courier\0Wingdings\0Times\0Tahoma\0Courier\0\0", 46}},
        // Removing the middle pair keeps the others' order.
        {wingdings, 0, {u"Arial\0Courier\0Tahoma\0Courier\0\0", 30}},
        {arial, 0, {u"Tahoma\0Courier\0\0", 16}},
        // The last pair gone: both values are deleted.
        {tahoma, 0, {}},
    };
    int number = 0;
    for (const Step& step : steps) {
        Choose(step.handler, step.selection);
        if (step.stored.empty()) EXPECT_TRUE(NothingStored()) << number;
        else EXPECT_EQ(Stored(), step.stored) << number;
        ++number;
    }
}

TEST_F(FontSubstitutionTest, AFullTableTakesNoNewFaceButStillChanges) {
    std::u16string table;
    for (int i = 0; i < 512; ++i) {
        const std::string number = std::to_string(i);
        table += u"F" + std::u16string(number.begin(), number.end()) + std::u16string(u"\0D\0", 3);
    }
    table += std::u16string(1, u'\0');
    Store(table, static_cast<DWORD>(table.size() * 2));

    Choose(Handler(Face(u"New Face", 0)), 1);
    EXPECT_EQ(Stored(), table);
    Choose(Handler(Face(u"F511", 0)), 1);
    std::u16string changed = table;
    changed.replace(changed.size() - 3, 1, u"Helvetica");
    EXPECT_EQ(Stored(), changed);
    Choose(Handler(Face(u"F0", 0)), 0);
    EXPECT_EQ(Stored(), changed.substr(5));
    // Room again for the new face, at the end.
    Choose(Handler(Face(u"New Face", 0)), 2);
    EXPECT_EQ(Stored(), changed.substr(5, changed.size() - 6) + std::u16string(u"New Face\0Courier\0\0", 18));
}

TEST_F(FontSubstitutionTest, StoredValuesAreReadWithinTheirBytesAndAtMost512Pairs) {
    FontSubstitutionTable table;
    using Pairs = std::vector<FontSubstitutionTable::Pair>;
    struct Case {
        const char* what;
        std::u16string_view value;
        Pairs pairs;
    } cases[] = {
        {"complete", {u"A\0B\0C\0D\0\0", 9}, {{u"A", u"B"}, {u"C", u"D"}}},
        {"no final NUL", {u"A\0B\0C\0D\0", 8}, {{u"A", u"B"}, {u"C", u"D"}}},
        {"last device font cut", {u"A\0B\0C\0Do", 8}, {{u"A", u"B"}}},
        {"last face cut", {u"A\0B\0Ce", 6}, {{u"A", u"B"}}},
        {"empty", {u"\0\0", 2}, {}},
        {"empty device font", {u"A\0\0C\0D\0\0", 8}, {{u"A", u""}, {u"C", u"D"}}},
    };
    for (const Case& c : cases) {
        // Exactly the value's bytes, so that a read past them is a fault the sanitizers see.
        const std::vector<BYTE> bytes = Utf16Bytes(c.value);
        table.Parse(bytes.data(), bytes.size());
        EXPECT_EQ(table.Pairs(), c.pairs) << c.what;
    }
    const std::vector<BYTE> odd = {'A', 0, 0, 0, 'B', 0, 0, 0, 'C'};  // an odd byte at the end
    table.Parse(odd.data(), odd.size());
    EXPECT_EQ(table.Pairs(), (Pairs{{u"A", u"B"}}));

    std::u16string many;
    for (int i = 0; i < 600; ++i) many += std::u16string(u"x\0y\0", 4);
    const std::vector<BYTE> bytes = Utf16Bytes(many);
    table.Parse(bytes.data(), bytes.size());
    EXPECT_EQ(table.Pairs().size(), FontSubstitutionTable::kMaxPairs);
}

TEST_F(FontSubstitutionTest, AStoredTableWithoutItsFinalNulKeepsItsPairs) {
    Store(std::u16string_view(u"Arial\0Helvetica\0", 16), 32);
    Choose(Handler(Face(u"Tahoma", 0)), 2);
    EXPECT_EQ(Stored(), std::u16string(u"Arial\0Helvetica\0Tahoma\0Courier\0\0", 32));
}

TEST_F(FontSubstitutionTest, AWrongOrMissingSizeValueCostsNoStoredPair) {
    struct Case {
        const char* what;
        std::vector<BYTE> size;  // empty: no size value
    } cases[] = {
        {"size too small", DwordBytes(10)},
        {"size too large", DwordBytes(4000)},
        {"size missing", {}},
        {"size of two bytes", {34, 0}},
    };
    for (const Case& c : cases) {
        SetPrinterValue(kFontSubstTableValue, REG_MULTI_SZ, Utf16Bytes({u"Arial\0Helvetica\0\0", 17}));
        if (c.size.empty()) {
            PrinterHandle admin;
            DeletePrinterDataW(admin.get(), const_cast<LPWSTR>(kFontSubstSizeValue));
        } else {
            SetPrinterValue(kFontSubstSizeValue, REG_DWORD, c.size);
        }
        m_used = 0;
        Choose(Handler(Face(u"Tahoma", 0)), 2);
        EXPECT_EQ(Stored(), std::u16string(u"Arial\0Helvetica\0Tahoma\0Courier\0\0", 32)) << c.what;
    }
}

TEST_F(FontSubstitutionTest, ATableThatCannotBeReadIsNotReplaced) {
    FontSubstitutionTable table;
    DWORD error = 0;
    EXPECT_EQ(table.Read(reinterpret_cast<HANDLE>(0x1234), &error), FontSubstitutionTable::ReadResult::Unreadable);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(table.Read(m_printer, &error), FontSubstitutionTable::ReadResult::Empty);
    Store(std::u16string_view(u"Arial\0Helvetica\0\0", 17), 34);
    EXPECT_EQ(table.Read(m_printer, &error), FontSubstitutionTable::ReadResult::Loaded);
    EXPECT_EQ(table.Pairs(), (std::vector<FontSubstitutionTable::Pair>{{u"Arial", u"Helvetica"}}));
}

}  // namespace
}  // namespace uitest
