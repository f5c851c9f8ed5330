// The custom-media writers: the CMS section of a GPD, the CMS blocks of a PPD, the writers'
// context and the option symbols.

#include "cmswriter.h"
#include "codrvsettings_fixture.h"
#include "media_list.h"

namespace drvtest {
namespace {

using CmsTest = DrvSettingsTest;

// The media of the tests: the second is kept out of the file, the fourth has no name.
MediaList TestMedia() {
    MediaList media;
    media.Add(u"A4 Custom", 210000, 297000).Add(u"Skipped", 100000, 100000, OPTPF_HIDE).Add(u"Card", 100000, 148000).Add(u"", 150000, 150000);
    return media;
}

// PRNINFO with master units 1200 x 1200 and margins M0 = 100, M2 = 50.
xprtest::BlockBuilder PrinterInfoBuilder(WORD unitsX = 1200, WORD unitsY = 1200) {
    xprtest::BlockBuilder builder;
    const int table = builder.AddTable(u"PRNINFO", {{u"_MASTERUNITS", XprColumnKind::WORD, 2}, {u"_PAGEMARGINS", XprColumnKind::LONG, 4}});
    const int row = builder.AddRow(table, u"DEFAULT");
    builder.SetBytes(table, row, u"_MASTERUNITS", {static_cast<BYTE>(unitsX), static_cast<BYTE>(unitsX >> 8),
                                                   static_cast<BYTE>(unitsY), static_cast<BYTE>(unitsY >> 8)});
    builder.SetBytes(table, row, u"_PAGEMARGINS", {100, 0, 0, 0, 7, 0, 0, 0, 50, 0, 0, 0, 9, 0, 0, 0});
    return builder;
}

class CmsWriterTest : public CmsTest {
protected:
    void SetUp() override {
        CmsTest::SetUp();
        StoreBlock(u"PRNINFO", PrinterInfoBuilder());
        m_printer = std::make_unique<xprtest::PrinterHandle>(kPrinter);
        m_writer.m_printer = m_printer->get();
    }
    void SetPdlType(DWORD pdl) {
        xprtest::BlockBuilder builder = PrinterBuilder();
        builder.SetDword(0, 0, u"_PDLTYPE", pdl);
        StoreBlock(u"PRINTERSETTINGS", builder);
    }

    std::unique_ptr<xprtest::PrinterHandle> m_printer;
    CmsFileWriter m_writer;
};

TEST_F(CmsWriterTest, LoadCmsContextReadsTheDataFileAndThePrinterInfo) {
    WriteMachineFile(DataFilePath(), "*GPDFileVersion: 1.0\r\n");
    ASSERT_TRUE(LoadCmsContext(&m_writer));
    EXPECT_EQ(m_writer.m_image.m_path, DataFilePath());
    EXPECT_EQ(m_writer.m_image.m_content, "*GPDFileVersion: 1.0\r\n");
    EXPECT_EQ(m_writer.m_masterUnitsX, 1200u);
    EXPECT_EQ(m_writer.m_masterUnitsY, 1200u);
    EXPECT_EQ(m_writer.m_margins[0], 100);
    EXPECT_EQ(m_writer.m_margins[1], 7);
    EXPECT_EQ(m_writer.m_margins[2], 50);
    EXPECT_EQ(m_writer.m_margins[3], 9);

    // Other units are taken; without PRNINFO the units fall back to 1200.
    StoreBlock(u"PRNINFO", PrinterInfoBuilder(600, 300));
    ASSERT_TRUE(LoadCmsContext(&m_writer));
    EXPECT_EQ(m_writer.m_masterUnitsX, 600u);
    EXPECT_EQ(m_writer.m_masterUnitsY, 300u);
    xprtest::WritePrinterValue(kPrinter, u"PRNINFO", {1, 2, 3});
    ASSERT_TRUE(LoadCmsContext(&m_writer));
    EXPECT_EQ(m_writer.m_masterUnitsX, 1200u);
    EXPECT_EQ(m_writer.m_masterUnitsY, 1200u);

    WriteMachineFile(DataFilePath(), "");
    EXPECT_FALSE(LoadCmsContext(&m_writer));
    EXPECT_FALSE(LoadCmsContext(nullptr));
}

TEST_F(CmsWriterTest, GpdSectionByteForByte) {
    struct Case {
        DWORD pdl;
        bool cardToo;
        const char* expected;
    };
    const Case cases[] = {
        {50, true, "gpdcms_pclxl.gpd"},
        {41, false, "gpdcms_pcl5.gpd"},  // the PCL5 family selects in the document setup
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        SetPdlType(c.pdl);
        WriteMachineFile(DataFilePath(), ReadTestData("gpdcms_input.gpd"));
        MediaList media;
        media.Add(u"A4 Custom", 210000, 297000).Add(u"Skipped", 100000, 100000, OPTPF_HIDE);
        if (c.cardToo) media.Add(u"Card", 100000, 148000).Add(u"", 150000, 150000);
        ASSERT_TRUE(LoadCmsContext(&m_writer));
        EXPECT_EQ(WriteGpdCustomMedia(&m_writer, media.list()), S_OK);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), ReadTestData(c.expected));
    }
}

TEST_F(CmsWriterTest, PpdBlocksByteForByte) {
    WriteMachineFile(DataFilePath(), ReadTestData("ppdcms_input.ppd"));
    ASSERT_TRUE(LoadCmsContext(&m_writer));
    m_writer.m_margins[2] = 12;  // horizontal
    m_writer.m_margins[0] = 20;  // vertical
    MediaList media = TestMedia();
    EXPECT_EQ(WritePpdCustomMedia(&m_writer, media.list()), S_OK);
    EXPECT_EQ(ReadMachineFile(DataFilePath()), ReadTestData("ppdcms_expected.ppd"));
}

TEST_F(CmsWriterTest, PpdBlockWithoutMediaHoldsAnEmptyLine) {
    const std::string input =
        "A\r\n*%__ CMS BEGIN - DO NOT REMOVE THIS TAG\r\n*%__ SYN BEGIN - DO NOT REMOVE THIS TAG\r\n*%__#NAME\r\n"
        "*%__ SYN END - DO NOT REMOVE THIS TAG\r\nold\r\n*%__ CMS END - DO NOT REMOVE THIS TAG";
    WriteMachineFile(DataFilePath(), input);
    ASSERT_TRUE(LoadCmsContext(&m_writer));
    MediaList media;
    media.Add(u"Hidden", 210000, 297000, OPTPF_HIDE);
    EXPECT_EQ(WritePpdCustomMedia(&m_writer, media.list()), S_OK);
    EXPECT_EQ(ReadMachineFile(DataFilePath()),
              "A\r\n*%__ CMS BEGIN - DO NOT REMOVE THIS TAG\r\n*%__ SYN BEGIN - DO NOT REMOVE THIS TAG\r\n*%__#NAME\r\n"
              "*%__ SYN END - DO NOT REMOVE THIS TAG\r\n\r\n*%__ CMS END - DO NOT REMOVE THIS TAG\r\n");
}

TEST_F(CmsWriterTest, FilesWithoutTheirTagsAreLeftUntouched) {
    struct Case {
        const char* content;
        bool gpd;
    };
    const Case cases[] = {
        {"*GPDFileVersion: 1.0\r\n", true},
        {"*% CMS BEGIN - DO NOT REMOVE THIS TAG\r\n", true},
        {"*% CMS END - DO NOT REMOVE THIS TAG\r\n*% CMS BEGIN - DO NOT REMOVE THIS TAG\r\n", true},
        {"*PPD-Adobe: \"4.3\"\r\n", false},
        {"*%__ CMS BEGIN - DO NOT REMOVE THIS TAG\r\n", false},
        {"*% CMS BEGIN - DO NOT REMOVE THIS TAG\r\n*% CMS END - DO NOT REMOVE THIS TAG\r\n", false},
    };
    MediaList media = TestMedia();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        WriteMachineFile(DataFilePath(), c.content);
        ASSERT_TRUE(LoadCmsContext(&m_writer));
        EXPECT_EQ(c.gpd ? WriteGpdCustomMedia(&m_writer, media.list()) : WritePpdCustomMedia(&m_writer, media.list()),
                  S_FALSE);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), c.content);
    }
    EXPECT_EQ(WriteGpdCustomMedia(nullptr, media.list()), E_INVALIDARG);
    EXPECT_EQ(WritePpdCustomMedia(&m_writer, nullptr), E_INVALIDARG);
}

// A name that holds what a quoted string or a line cannot carry is written with those characters
// replaced, in the GPD's *Name and the PPD's display name alike; its option symbol keeps its own
// rules. Each medium is one inch square: 1200 x 1200 device units, 72 x 72 points.
TEST_F(CmsWriterTest, NamesWithQuotesAndLineBreaksStayInsideTheirString) {
    struct Case {
        const char* what;
        std::u16string name;
        std::string symbol;   // its option symbol
        std::string gpdName;  // between the quotes of the GPD's *Name
        std::string ppdName;  // in place of the PPD template's #DNAME
    };
    const Case cases[] = {
        {"plain", u"Plain 1", "PLAIN201", "Plain 1", "Plain 1"},
        {"double quotes", u"Say \"Hi\"", "SAY2022HI22", "Say 'Hi'", "Say 'Hi'"},
        {"CR", u"A\rB", "A0DB", "A B", "A B"},
        {"LF", u"A\nB", "A0AB", "A B", "A B"},
        {"CR LF", u"A\r\n*Option X", "A0D0A*OPTION20X", "A  *Option X", "A  *Option X"},
        {"tab", u"A\tB", "A09B", "A B", "A B"},
        {"other control characters", u"\x01" u"A\x1F" u"B\x7F", "01A1FB7F", " A B ", " A B "},
        // A GPD string reads "<" as hex bytes and "%" before its closing quote as a quote.
        {"angle bracket and closing percent", u"x<y%", "X<Y25", "x%<y<25>", "x<y%"},
        {"closing percents", u"5%%", "52525", "5<25><25>", "5%%"},
    };
    const std::string gpdHead = "*GPDFileVersion: 1.0\r\n*Feature: PaperSize\r\n{\r\n";
    const std::string gpdTail = "}\r\n*Feature: Tail\r\n";
    const std::string ppdHead = "*PPD-Adobe: \"4.3\"\r\n*OpenUI *PageSize: PickOne\r\n";
    const std::string ppdTemplate =
        "*%__ SYN BEGIN - DO NOT REMOVE THIS TAG\r\n"
        "*%__*PageSize #NAME/#DNAME: \"#WIDTH #HEIGHT\"\r\n"
        "*%__ SYN END - DO NOT REMOVE THIS TAG\r\n";
    const std::string ppdTail = "*CloseUI: *PageSize\r\n";
    SetPdlType(50);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MediaList media;
        media.Add(c.name, 25400, 25400);

        WriteMachineFile(DataFilePath(), gpdHead + "*% CMS BEGIN - DO NOT REMOVE THIS TAG\r\n*Option: STALE\r\n"
                                                   "*% CMS END - DO NOT REMOVE THIS TAG\r\n" + gpdTail);
        ASSERT_TRUE(LoadCmsContext(&m_writer));
        EXPECT_EQ(WriteGpdCustomMedia(&m_writer, media.list()), S_OK);
        const std::string commands =
            "\t\t\t\t*Command: CmdSelect\r\n\t\t\t\t{\r\n\t\t\t\t\t*Order: PAGE_SETUP.3\r\n"
            "\t\t\t\t\t*Cmd: =MediaSizeCustom\r\n\t\t\t\t}\r\n";
        const std::string gpdSection =
            "*% CMS BEGIN - DO NOT REMOVE THIS TAG\r\n"
            "\r\n*Ifdef: _FORMASSIGN_01\r\n*Else:\r\n"
            "*Define: _CUSTOM_" + c.symbol + "_ALLOWED_01\r\n"
            "*Endif: _FORMASSIGN_01\r\n\r\n"
            "*Ifdef: _CUSTOM_" + c.symbol + "_ALLOWED_01\r\n"
            "\t*Option: CUSTOM_00" + c.symbol.substr(0, 2) + "\r\n"
            "\t{\r\n"
            "\t\t*Name: \"" + c.gpdName + "\"\r\n"
            "\t\t*PageDimensions: PAIR(1200,1200)\r\n\r\n"
            "\t\t*switch: Orientation\r\n\t\t{\r\n"
            "\t\t\t*case: PORTRAIT\r\n\t\t\t{\r\n"
            "\t\t\t\t*PrintableArea: PAIR(1100,1000)\r\n"
            "\t\t\t\t*PrintableOrigin: PAIR(50,100)\r\n"
            "\t\t\t\t*CursorOrigin: PAIR(50,100)\r\n" + commands +
            "\t\t\t}\r\n"
            "\t\t\t*case: LANDSCAPE_CC90\r\n\t\t\t{\r\n"
            "\t\t\t\t*PrintableArea: PAIR(1100,1000)\r\n"
            "\t\t\t\t*PrintableOrigin: PAIR(50,100)\r\n"
            "\t\t\t\t*CursorOrigin: PAIR(50,1100)\r\n" + commands +
            "\t\t\t}\r\n\t\t}\r\n\t}\r\n"
            "*Endif: _CUSTOM_" + c.symbol + "_ALLOWED_01\r\n\r\n"
            "*% CMS END - DO NOT REMOVE THIS TAG\r\n";
        EXPECT_EQ(ReadMachineFile(DataFilePath()), gpdHead + gpdSection + gpdTail);

        WriteMachineFile(DataFilePath(), ppdHead + "*%__ CMS BEGIN - DO NOT REMOVE THIS TAG\r\n" + ppdTemplate +
                                             "*PageSize OLD/Old: \"stale\"\r\n"
                                             "*%__ CMS END - DO NOT REMOVE THIS TAG\r\n" + ppdTail);
        ASSERT_TRUE(LoadCmsContext(&m_writer));
        EXPECT_EQ(WritePpdCustomMedia(&m_writer, media.list()), S_OK);
        EXPECT_EQ(ReadMachineFile(DataFilePath()),
                  ppdHead + "*%__ CMS BEGIN - DO NOT REMOVE THIS TAG\r\n" + ppdTemplate + "*PageSize " + c.symbol +
                      "/" + c.ppdName + ": \"72 72\"\r\n*%__ CMS END - DO NOT REMOVE THIS TAG\r\n" + ppdTail);
    }
}

TEST_F(CmsTest, MakeOptionSymbol) {
    struct Case {
        std::u16string name;
        const char* symbol;
    };
    const Case cases[] = {
        {u"My Paper", "MY20PAPER"},
        {u"a*b?c", "A*B?C"},
        {u"x@y[z]", "X40Y5BZ5D"},
        {u"\u7528\u7D19A", "97P8E86A"},  // 932 bytes 97 70 8E 86 41: the trail byte 70 is the letter p
        {u"", ""},
    };
    CmsFileWriter writer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.symbol);
        MediaList media;
        media.Add(c.name, 100000, 100000);
        const std::vector<CmsMedium> written = WrittenMedia(&writer, media.list());
        if (c.name.empty()) {
            EXPECT_TRUE(written.empty());
            continue;
        }
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].m_symbol, c.symbol);
        EXPECT_STREQ(MakeOptionSymbol(&writer, written[0].m_name.c_str()), c.symbol);
    }
}

TEST_F(CmsTest, NamesAreCutToThirtyOneAnsiBytesBetweenCharacters) {
    CmsFileWriter writer;
    MediaList media;
    media.Add(std::u16string(32, u'W'), 100000, 100000).Add(std::u16string(16, u'\u7528'), 100000, 100000);
    const std::vector<CmsMedium> written = WrittenMedia(&writer, media.list());
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].m_name, std::string(31, 'W'));
    std::string fifteen;
    for (int i = 0; i < 15; ++i) fifteen += "\x97\x70";
    EXPECT_EQ(written[1].m_name, fifteen);  // a sixteenth character would need bytes 31 and 32
    EXPECT_EQ(written[1].m_position, 1u);
}

}  // namespace
}  // namespace drvtest
