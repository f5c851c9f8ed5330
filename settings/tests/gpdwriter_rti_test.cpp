// The GPD mirror of the printer settings: "*Define: " lines between the RTI tags.
#include "codrvsettings_fixture.h"

namespace drvtest {
namespace {

using RtiTest = DrvSettingsTest;

constexpr char kBegin[] = "*% RTI BEGIN - DO NOT REMOVE THIS TAG";
constexpr char kEnd[] = "*% RTI END - DO NOT REMOVE THIS TAG";

TEST_F(RtiTest, RewritesTheSectionAndKeepsEveryOtherByte) {
    WriteMachineFile(DataFilePath(), ReadTestData("rti_input.gpd"));
    BoundTable settings = BindFirstRow(WriterSettingsBuilder(), u"PRINTERSETTINGS");
    DataFileImage image{DataFilePath(), "an image read long ago"};
    ASSERT_EQ(CoDrvSettings::UpdateRtiBlock(&image, settings.m_cursor), S_OK);
    const std::string expected = ReadTestData("rti_expected.gpd");
    EXPECT_EQ(ReadMachineFile(DataFilePath()), expected);
    EXPECT_EQ(image.m_content, expected);
    // Once more: the same file.
    ASSERT_EQ(CoDrvSettings::UpdateRtiBlock(&image, settings.m_cursor), S_OK);
    EXPECT_EQ(ReadMachineFile(DataFilePath()), expected);
}

TEST_F(RtiTest, TheSectionEndsWhereTheEndTagLineEnds) {
    BoundTable settings = BindFirstRow(PrinterBuilder(), u"PRINTERSETTINGS");
    const std::string lines =
        "*Define: _PDLTYPE_32000000\r\n*Define: _DUPLEXTYPE_01000000\r\n*Define: _FORMASSIGN_01\r\n"
        "*Define: _LRGSIZESCL_00\r\n*Define: _OPTSOURCE_0200\r\n*Define: _MS_A4\r\n";
    const std::string section = std::string(kBegin) + "\r\n" + lines + kEnd + "\r\n";
    struct Case {
        const char* what;
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"end tag at the end of the file", std::string("A\r\n") + kBegin + "\r\nold\r\n" + kEnd, "A\r\n" + section},
        {"end tag then a lone LF", std::string("A\r\n") + kBegin + "\r\n" + kEnd + "\nB\n", "A\r\n" + section + "B\n"},
        {"end tag then a lone CR", std::string(kBegin) + "\r\n" + kEnd + "\rB", section + "B"},
        {"LF line ends", std::string("A\n") + kBegin + "\nold\n" + kEnd + " x\nB\n", "A\n" + section + "B\n"},
        {"begin tag inside a line", std::string("A ") + kBegin + " y\r\n" + kEnd + "\r\nB", "A " + section + "B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteMachineFile(DataFilePath(), c.input);
        DataFileImage image{DataFilePath(), {}};
        ASSERT_EQ(CoDrvSettings::UpdateRtiBlock(&image, settings.m_cursor), S_OK);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), c.expected);
    }
}

TEST_F(RtiTest, AFileWithoutBothTagsIsLeftUntouched) {
    BoundTable settings = BindFirstRow(PrinterBuilder(), u"PRINTERSETTINGS");
    const std::string inputs[] = {
        "*GPDFileVersion: 1.0\r\n*Feature: X\r\n",
        std::string("A\r\n") + kBegin + "\r\nB\r\n",
        std::string("A\r\n") + kEnd + "\r\nB\r\n",
        std::string("A\r\n") + kEnd + "\r\n" + kBegin + "\r\nB\r\n",  // the end tag must follow the begin tag
    };
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        WriteMachineFile(DataFilePath(), input);
        DataFileImage image{DataFilePath(), {}};
        EXPECT_EQ(CoDrvSettings::UpdateRtiBlock(&image, settings.m_cursor), E_FAIL);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), input);
    }
}

TEST_F(RtiTest, NothingToReadFails) {
    BoundTable settings = BindFirstRow(PrinterBuilder(), u"PRINTERSETTINGS");
    DataFileImage noPath;
    EXPECT_EQ(CoDrvSettings::UpdateRtiBlock(&noPath, settings.m_cursor), E_FAIL);
    EXPECT_EQ(CoDrvSettings::UpdateRtiBlock(nullptr, settings.m_cursor), E_FAIL);
    DataFileImage missing{u"C:\\Drivers\\MISSING.GPD", {}};
    EXPECT_EQ(CoDrvSettings::UpdateRtiBlock(&missing, settings.m_cursor), E_FAIL);
    WriteMachineFile(DataFilePath(), "");
    DataFileImage empty{DataFilePath(), {}};
    EXPECT_EQ(CoDrvSettings::UpdateRtiBlock(&empty, settings.m_cursor), E_FAIL);
}

// A settings text with quotes, line breaks or other control characters stays on its own
// "*Define: " line: quotes become apostrophes, control characters spaces.
TEST_F(RtiTest, SettingsTextsStayOnTheirGpdLine) {
    struct Case {
        const char* what;
        std::u16string text;
        std::string line;  // its "*Define: " line, as written
    };
    const Case cases[] = {
        {"plain", u"_MEDIASIZE_A4", "*Define: _MEDIASIZE_A4\r\n"},
        {"double quotes", u"_MS_\"X\"", "*Define: _MS_'X'\r\n"},
        {"CR", u"_A\r*Define: _B", "*Define: _A *Define: _B\r\n"},
        {"LF", u"_A\n*Define: _B", "*Define: _A *Define: _B\r\n"},
        {"CR LF", u"_A\r\n*Include: \"X.GPD\"", "*Define: _A  *Include: 'X.GPD'\r\n"},
        {"tab", u"_A\tB", "*Define: _A B\r\n"},
        {"other control characters", u"_A\x01" u"B\x7F", "*Define: _A B \r\n"},
    };
    const std::string head = "*GPDFileVersion: 1.0\r\n";
    const std::string tail = "*Include: \"PALVEX.GPD\"\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        xprtest::BlockBuilder builder;
        const int table = builder.AddTable(u"PRINTERSETTINGS", {{u"_VERSION", XprColumnKind::DWORD},
                                                                {u"_TEXT", XprColumnKind::CHAR, 32},
                                                                {u"_PDLTYPE", XprColumnKind::DWORD}});
        const int row = builder.AddRow(table, u"DEFAULT");
        builder.SetBytes(table, row, u"_TEXT", Bytes(c.text, 32));
        builder.SetDword(table, row, u"_PDLTYPE", 50);
        BoundTable settings = BindFirstRow(builder, u"PRINTERSETTINGS");
        WriteMachineFile(DataFilePath(), head + kBegin + "\r\nold\r\n" + kEnd + "\r\n" + tail);
        DataFileImage image{DataFilePath(), {}};
        ASSERT_EQ(CoDrvSettings::UpdateRtiBlock(&image, settings.m_cursor), S_OK);
        EXPECT_EQ(ReadMachineFile(DataFilePath()),
                  head + kBegin + "\r\n" + c.line + "*Define: _PDLTYPE_32000000\r\n" + kEnd + "\r\n" + tail);
    }
}

TEST_F(RtiTest, SettingsWithoutVersionGiveAnEmptySection) {
    xprtest::BlockBuilder builder;
    const int table = builder.AddTable(u"PRINTERSETTINGS", {{u"_SIZE", XprColumnKind::DWORD}, {u"_PDLTYPE", XprColumnKind::DWORD}});
    builder.AddRow(table, u"DEFAULT");
    BoundTable settings = BindFirstRow(builder, u"PRINTERSETTINGS");
    WriteMachineFile(DataFilePath(), std::string(kBegin) + "\r\nold\r\n" + kEnd + "\r\n");
    DataFileImage image{DataFilePath(), {}};
    ASSERT_EQ(CoDrvSettings::UpdateRtiBlock(&image, settings.m_cursor), S_OK);
    EXPECT_EQ(ReadMachineFile(DataFilePath()), std::string(kBegin) + "\r\n" + kEnd + "\r\n");
}

}  // namespace
}  // namespace drvtest
