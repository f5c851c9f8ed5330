// The PPD mirror of the printer settings: option lines switched on and off by a "*%" prefix.
#include "codrvsettings_fixture.h"

namespace drvtest {
namespace {

using PpdTest = DrvSettingsTest;

constexpr char kTag[] = " - DO NOT REMOVE THIS TAG";

HRESULT Update(const std::u16string& path, BYTE formAssign, WORD source, BYTE scaling) {
    BoundTable settings = BindFirstRow(WriterSettingsBuilder(formAssign, source, scaling), u"PRINTERSETTINGS");
    DataFileImage image{path, {}};
    return CoDrvSettings::UpdatePpdSettings(&image, settings.m_cursor);
}

TEST_F(PpdTest, SwitchesSourcesTypesAndSizesByTheSettings) {
    struct Case {
        const char* what;
        const char* input;
        BYTE formAssign;
        WORD source;
        BYTE scaling;
        const char* expected;
    };
    const Case cases[] = {
        {"form assignment on", "ppd_input.ppd", 1, 2, 1, "ppd_formassign.ppd"},
        {"form assignment off, no large-size scaling", "ppd_input.ppd", 0, 2, 0, "ppd_noformassign.ppd"},
        {"form assignment off again, with scaling", "ppd_formassign.ppd", 0, 3, 1, "ppd_scaled.ppd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteMachineFile(DataFilePath(), ReadTestData(c.input));
        ASSERT_EQ(Update(DataFilePath(), c.formAssign, c.source, c.scaling), S_OK);
        const std::string expected = ReadTestData(c.expected);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), expected);
        // The same settings again leave the file as it is.
        ASSERT_EQ(Update(DataFilePath(), c.formAssign, c.source, c.scaling), S_OK);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), expected);
    }
}

std::string Remove(std::string text, const std::string& what) {
    const size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    return at == std::string::npos ? text : text.erase(at, what.size());
}

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    const size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    return at == std::string::npos ? text : text.replace(at, what.size(), with);
}

TEST_F(PpdTest, MissingTagsThatStopEverything) {
    const std::string input = ReadTestData("ppd_input.ppd");
    const std::string inputs[] = {
        Remove(input, "*% XPD BEGIN - DO NOT REMOVE THIS TAG"),
        Remove(input, std::string("*%Endif: _MEDIA_SIZES_PAGESIZE") + kTag),
        Remove(input, std::string("*%Ifdef: _MEDIATYPES") + kTag),
        // The types section holds no sub-block.
        Remove(Remove(input, "*%Ifdef: _MEDIATYPE_PLAIN\r\n"), "*%Ifdef: _MEDIATYPE_THICK\r\n"),
        // The page sizes hold sub-blocks only from the custom media to the end of the large sizes.
        Remove(Remove(Remove(input, "*%Ifdef: _MEDIASIZE_A4\r\n"), "*%Ifdef: _MEDIASIZE_B5\r\n*PageSize B5"),
               "*%Ifdef: _MEDIASIZE_LETTER\r\n"),
    };
    for (const std::string& broken : inputs) {
        SCOPED_TRACE(::testing::Message() << "case " << (&broken - inputs));
        WriteMachineFile(DataFilePath(), broken);
        EXPECT_EQ(Update(DataFilePath(), 1, 2, 1), E_FAIL);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), broken);
    }
}

TEST_F(PpdTest, ASectionWithoutItsTagsIsLeftAndTheRestIsWritten) {
    const std::string input = ReadTestData("ppd_input.ppd");
    const std::string expected = ReadTestData("ppd_formassign.ppd");
    const std::string sourcesEnd = std::string("*%Endif: _MEDIASOURCES") + kTag + "\r\n";
    const std::string rangeStart = "*%Ifdef: _LRGSIZESCL_01\r\n*%Ifdef: _MEDIASIZE_A2\r\n*PaperDimension A2";
    struct Case {
        const char* what;
        std::string input;
        std::string expected;
        HRESULT result;
    };
    const Case cases[] = {
        // The sources stay as they are; the result is the sizes'.
        {"sources without end tag", Remove(input, sourcesEnd),
         Replace(Replace(Replace(Remove(expected, sourcesEnd), "*%*OpenUI", "*OpenUI"), "*%*DefaultInputSlot",
                         "*DefaultInputSlot"),
                 "*%*InputSlot Tray2", "*InputSlot Tray2"),
         S_OK},
        // A size section without the start of its large-size range is left and fails the call.
        {"sizes without range", Replace(input, rangeStart, "*%Ifdef: _MEDIASIZE_A2\r\n*PaperDimension A2"),
         Replace(Replace(expected, "*%*PaperDimension B5", "*PaperDimension B5"),
                 "*%Ifdef: _LRGSIZESCL_01\r\n*%Ifdef: _MEDIASIZE_A2\r\n*%*PaperDimension A2",
                 "*%Ifdef: _MEDIASIZE_A2\r\n*PaperDimension A2"),
         E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteMachineFile(DataFilePath(), c.input);
        EXPECT_EQ(Update(DataFilePath(), 1, 2, 1), c.result);
        EXPECT_EQ(ReadMachineFile(DataFilePath()), c.expected);
    }
}

}  // namespace
}  // namespace drvtest
