// palvex-spool, the fixture tool that writes spool files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include <palvex/machine.h>
#include <palvex/spool_writer.h>
#include <win/windows.h>

#include "../src/emf_spool_reader.h"
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
