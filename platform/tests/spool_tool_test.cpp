// palvex-spool, the fixture tool that writes spool files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include <palvex/machine.h>
#include <palvex/spool_writer.h>
#include <win/windows.h>

#include "../src/gdi/emf_spool_reader.h"
#include "child_process.h"

namespace {

using palvex::testing::RunChild;

std::vector<BYTE> ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& file, const std::vector<BYTE>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

short Field(const std::vector<BYTE>& devMode, size_t offset) {
    short value = 0;
    std::memcpy(&value, devMode.data() + offset, 2);
    return value;
}

TEST(SpoolTool, WritesPagesWithChosenOrientationsAndDevmodes) {
    palvex::TestMachine machine;
    const auto own = machine.root() / "own.devmode";
    WriteFile(own, palvex::MakeDevMode(DMPAPER_A3));
    const auto file = machine.root() / "spool" / "job.spl";
    const auto run = RunChild(PALVEX_SPOOL_TOOL,
                              {file.string(), "--pages", "5", "--landscape", "2,4-5", "--paper", "1", "--page-devmode",
                               "3=" + own.string(), "--document", "Quarterly report", "--output", "LPT1:"},
                              machine.root());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto contents = palvex::emf::ParseSpoolBytes(ReadFile(file));
    ASSERT_EQ(contents.error, "");
    EXPECT_EQ(contents.parser.documentName(), u"Quarterly report");
    EXPECT_EQ(contents.parser.outputName(), u"LPT1:");
    const auto& pages = contents.parser.pages();
    ASSERT_EQ(pages.size(), 5u);
    // Pages 4 and 5 share one DEVMODE record; every other page brings its own.
    const std::vector<int> records{0, 1, 2, 3, 3};
    const std::vector<short> orientations{1, 2, 1, 2, 2};
    const std::vector<short> papers{DMPAPER_LETTER, DMPAPER_LETTER, DMPAPER_A3, DMPAPER_LETTER, DMPAPER_LETTER};
    for (size_t i = 0; i < pages.size(); ++i) {
        ASSERT_EQ(pages[i].devMode, records[i]) << i;
        const auto& devMode = *contents.parser.devModes()[static_cast<size_t>(records[i])];
        EXPECT_EQ(Field(devMode, offsetof(DEVMODEW, dmOrientation)), orientations[i]) << i;
        EXPECT_EQ(Field(devMode, offsetof(DEVMODEW, dmPaperSize)), papers[i]) << i;
    }
    EXPECT_EQ(*contents.parser.devModes()[2], palvex::MakeDevMode(DMPAPER_A3));  // used as it is

    struct Refused {
        std::vector<std::string> args;
        int exitCode;
    };
    WriteFile(machine.root() / "short.devmode", std::vector<BYTE>(50, 0));
    const Refused refused[] = {
        {{}, 2},
        {{file.string(), "--pages"}, 2},
        {{file.string(), "--colour", "red"}, 2},
        {{file.string(), "--pages", "many"}, 1},
        {{file.string(), "--landscape", "3-1"}, 1},
        {{file.string(), "--devmode", (machine.root() / "short.devmode").string()}, 1},
        {{file.string(), "--devmode", (machine.root() / "missing.devmode").string()}, 1},
    };
    for (const auto& r : refused) EXPECT_EQ(RunChild(PALVEX_SPOOL_TOOL, r.args, machine.root()).exitCode, r.exitCode);
}

}  // namespace

namespace {

TEST(SpoolTool, SaysWhatItWroteAndHelpsOnStandardOutput) {
    palvex::TestMachine machine;
    const auto file = machine.root() / "report.spl";
    const auto run = palvex::testing::RunChild(PALVEX_SPOOL_TOOL, {file.string(), "--pages", "2", "--document", "Q3"},
                                               machine.root());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "spool file written: " + file.string() + " (2 pages, document \"Q3\")\n");
    const auto help = palvex::testing::RunChild(PALVEX_SPOOL_TOOL, {"--help"}, machine.root());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--pages N                the number of pages, 1 to 9999"), std::string::npos);
    EXPECT_NE(help.output.find("example:\n  palvex-spool "), std::string::npos);
}

// Values outside what an option takes are refused with the values it takes, and no file is written.
TEST(SpoolTool, RefusesValuesOutsideTheirRange) {
    palvex::TestMachine machine;
    const auto file = machine.root() / "refused.spl";
    struct Case {
        std::vector<std::string> options;
        std::string message;
    };
    const Case cases[] = {
        {{"--pages", "0"}, "--pages 0: a document has 1 to 9999 pages"},
        {{"--pages", "10000"}, "--pages 10000: a document has 1 to 9999 pages"},
        {{"--landscape", "7", "--pages", "2"}, "--landscape: the document has no page 7 (its pages are 1 to 2)"},
        {{"--page-devmode", "3=" + file.string() + ".devmode"}, "--page-devmode: the document has no page 3 (its pages are 1 to 1)"},
        {{"--paper", "0"}, "--paper 0: a standard paper number is 1 to 118 (9 is A4)"},
        {{"--paper", "99999"}, "--paper 99999: a standard paper number is 1 to 118 (9 is A4)"},
        {{"--paper", "A4"}, "not a number for --paper: A4"},
    };
    std::ofstream(file.string() + ".devmode", std::ios::binary);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> args{file.string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto run = palvex::testing::RunChild(PALVEX_SPOOL_TOOL, args, machine.root());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.errors, "palvex-spool: " + c.message + "\n");
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

}  // namespace
