// Option lists copied from the device's capabilities: each option takes the device's id for its
// name; paper options also follow their forms; changed paper ids go into the remap table.
#include <filesystem>
#include <fstream>
#include <iterator>

#include <palvex/paths.h>

#include "system_func_fixture.h"
#include "xpc.h"

namespace uitest {
namespace {

class DeviceListsTest : public SystemFuncTest {
protected:
    void SetUp() override {
        SystemFuncTest::SetUp();
        palvex::SetPrinterBins(kPrinter, {{15, u"Auto"}, {1, u"Tray 1"}, {4, u"Manual"}});
        palvex::SetPrinterPapers(kPrinter, {{9, u"A4", 2100, 2970},
                                            {1, u"Letter", 2159, 2794},
                                            {256, u"My Paper", 1000, 1500},
                                            {257, u"Foreign", 1000, 1500},
                                            {258, u"Printer Legal", 2159, 3556},
                                            {259, u"Printer Odd", 1234, 2345},
                                            {260, u"Huge", 3000, 1500}});
        AddForm(u"My Paper", 100000, 150000);
        SetMark(u"My Paper", 1);
        AddForm(u"Foreign", 100000, 150000);  // a user form this driver did not register
        AddForm(u"Huge", 300000, 150000);     // registered, but wider than the device takes
        SetMark(u"Huge", 1);
        AddForm(u"Printer Legal", 215900, 355600, FORM_PRINTER);
        AddForm(u"Printer Odd", 123400, 234500, FORM_PRINTER);
    }
    std::vector<LPARAM> Values(const TestItem& item) {
        std::vector<LPARAM> values;
        for (size_t i = 0; i < item.type.Count; ++i)
            values.push_back(item.Hidden(i) ? -1 : item.type.pOptParam[i].lParam);
        return values;
    }
    // Writes the printer setting _FORMASSIGN and reloads the object's view of the settings.
    void AssignForms(BYTE assigned) {
        PrinterHandle admin;
        XprStore* loaded = nullptr;
        ASSERT_LT(CreateByHandle(&loaded, admin.get(), u"PRINTERSETTINGS"), 2u);
        const OwnedStore settings(loaded);
        XprTable* row = nullptr;
        ASSERT_EQ(FetchFirstRow(settings.get(), u"PRINTERSETTINGS", &row), 0u);
        ASSERT_EQ(SetValue(row, &assigned, sizeof assigned, u"_FORMASSIGN"), 0u);
        ASSERT_LT(SaveByHandle(settings.get(), admin.get(), FALSE), 2u);
        Reload();
    }
    std::vector<std::pair<LONG, LONG>> Remap() {
        std::vector<std::pair<LONG, LONG>> pairs;
        for (DWORD i = 0; i < Func().GetRemapCount(); ++i)
            pairs.emplace_back(Func().GetRemapTable()[i].m_deviceId, Func().GetRemapTable()[i].m_newId);
        return pairs;
    }
};

TEST_F(DeviceListsTest, BinsThenPapersFillTheRemapTableWithThePaperPairs) {
    TestItem binSource, bins;
    Fill(binSource, {u"Auto", u"Tray 9", u"Manual"});
    ASSERT_TRUE(Func().CloneOptParam(&bins.item, &binSource.item, DC_BINS, DC_BINNAMES, 24, 0));
    EXPECT_EQ(Values(bins), (std::vector<LPARAM>{15, -1, 4}));
    EXPECT_TRUE(binSource.Hidden(1));  // a bin the device lacks is hidden in both lists
    EXPECT_EQ(HeapSize(m_heap, 0, bins.type.pOptParam), 3 * sizeof(OPTPARAM));  // no room added
    EXPECT_EQ(bins.type.pOptParam[0].pData, binSource.type.pOptParam[0].pData);

    TestItem paperSource, papers;
    Fill(paperSource, {u"A4", u"Letter", u"My Paper", u"Foreign", u"Printer Legal", u"Printer Odd", u"Huge",
                       u"Nowhere"});
    ASSERT_TRUE(Func().CloneOptParam(&papers.item, &paperSource.item, DC_PAPERS, DC_PAPERNAMES, 64, 0));
    ASSERT_EQ(papers.type.Count, 8);
    // Built-in forms keep the device's id; a registered medium of the device's sizes keeps its
    // id; a printer form whose area starts at 0 takes the id of its size (0 for none of the six).
    EXPECT_EQ(Values(papers), (std::vector<LPARAM>{9, 1, 256, -1, DMPAPER_LEGAL, 0, -1, -1}));
    EXPECT_FALSE(paperSource.Hidden(3));  // only a missing device name hides the source's option
    EXPECT_TRUE(paperSource.Hidden(7));
    EXPECT_EQ(Remap(), (std::vector<std::pair<LONG, LONG>>{{257, -1}, {258, DMPAPER_LEGAL}, {259, 0}, {260, -1}}));
    // Room for eleven more options, the texts in one block of 64-character names.
    EXPECT_EQ(HeapSize(m_heap, 0, papers.type.pOptParam), 19 * sizeof(OPTPARAM));
    for (size_t i = 8; i < 19; ++i) EXPECT_EQ(papers.type.pOptParam[i].Flags, OPTPF_HIDE);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(papers.type.pOptParam[i].pData, papers.type.pOptParam[0].pData + i * 64);
        EXPECT_EQ(papers.Text(i), paperSource.Text(i));
    }

    // A second copy of the paper list adds no pairs of its own.
    TestItem again;
    ASSERT_TRUE(Func().CloneOptParam(&again.item, &paperSource.item, DC_PAPERS, DC_PAPERNAMES, 64, 0));
    EXPECT_EQ(Func().GetRemapCount(), 4u);
}

TEST_F(DeviceListsTest, AssignedFormsHideEveryUserForm) {
    AssignForms(1);
    TestItem source, papers;
    Fill(source, {u"A4", u"My Paper"});
    ASSERT_TRUE(Func().CloneOptParam(&papers.item, &source.item, DC_PAPERS, DC_PAPERNAMES, 64, 0));
    EXPECT_EQ(Values(papers), (std::vector<LPARAM>{9, -1}));
    EXPECT_EQ(Remap(), (std::vector<std::pair<LONG, LONG>>{{256, -1}}));
}

TEST_F(DeviceListsTest, MediaTypesTakeThirtyTwoBitIdsOrAreNumbered) {
    DropDescriptionMediaTypes();
    TestItem source, types;
    Fill(source, {u"Plain", u"Thick", u"Film"});
    // The device lists none: numbered from the first value.
    ASSERT_TRUE(Func().CloneOptParam(&types.item, &source.item, DC_MEDIATYPES, DC_MEDIATYPENAMES, 64, 100));
    EXPECT_EQ(Values(types), (std::vector<LPARAM>{100, 101, 102}));
    // Bins the device cannot name are numbered the same way.
    palvex::SetPrinterBins(kPrinter, {});
    TestItem bins;
    ASSERT_TRUE(Func().CloneOptParam(&bins.item, &source.item, DC_BINS, DC_BINNAMES, 24, 0));
    EXPECT_EQ(Values(bins), (std::vector<LPARAM>{0, 1, 2}));

    palvex::SetPrinterMediaTypes(kPrinter, {{0x10002, u"Thick"}, {0x10001, u"Plain"}});
    TestItem named;
    ASSERT_TRUE(Func().CloneOptParam(&named.item, &source.item, DC_MEDIATYPES, DC_MEDIATYPENAMES, 64, 100));
    EXPECT_EQ(Values(named), (std::vector<LPARAM>{0x10001, 0x10002, -1}));
    EXPECT_EQ(Func().GetRemapCount(), 0u);  // only paper lists feed the table

    // Missing items clone nothing.
    TestItem empty;
    empty.item.pOptType = nullptr;
    EXPECT_FALSE(Func().CloneOptParam(&named.item, &empty.item, DC_PAPERS, DC_PAPERNAMES, 64, 0));
    EXPECT_FALSE(Func().CloneOptParam(nullptr, &source.item, DC_PAPERS, DC_PAPERNAMES, 64, 0));
}

TEST_F(DeviceListsTest, AssignedFormsNumberMediaTypesByTheAssignedFormsTexts) {
    DropDescriptionMediaTypes();
    // The description's assigned-form list names its first option by a string of the resource
    // library; the others by their own texts.
    const std::filesystem::path gpd = DriverFile(u"TOVQEB.GPD");
    std::string text;
    {
        std::ifstream in(gpd, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string a3 = "*ITEMTEXTID: 0\r\n        *ITEMTEXT: \"A3\"";
    const size_t at = text.find(a3, text.find("*PRINTERFEATURE: FORMSIZE_COMBO"));
    ASSERT_NE(at, std::string::npos);
    text.replace(at, a3.size(), "*ITEMTEXTID: 3368\r\n        *ITEMTEXT: \"A3\"");
    std::ofstream(gpd, std::ios::binary | std::ios::trunc) << text;
    SetPrinterValue(u"Timestamp", REG_BINARY, {});
    {
        PrinterHandle admin;
        ASSERT_LT(CompileByHandle(admin.get()), 2u);
    }
    AssignForms(1);

    TestItem source, types;
    Fill(source, {u"Plain", u"\u30c8\u30ec\u30a4 1", u"A5", u"Letter", u"A3", u"Other"});
    ASSERT_TRUE(Func().CloneOptParam(&types.item, &source.item, DC_MEDIATYPES, DC_MEDIATYPENAMES, 64, 100));
    // The first option takes the first value, the others their form's value (A3 8, A5 11,
    // Letter 1), or their number when no form has their text.
    EXPECT_EQ(Values(types), (std::vector<LPARAM>{100, 8, 11, 1, 104, 105}));

    // Not assigned: numbered.
    AssignForms(0);
    TestItem numbered;
    ASSERT_TRUE(Func().CloneOptParam(&numbered.item, &source.item, DC_MEDIATYPES, DC_MEDIATYPENAMES, 64, 100));
    EXPECT_EQ(Values(numbered), (std::vector<LPARAM>{100, 101, 102, 103, 104, 105}));
}

}  // namespace
}  // namespace uitest
