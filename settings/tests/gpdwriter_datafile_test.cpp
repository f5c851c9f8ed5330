// Reading and replacing the driver's data file while another program holds it open.
#include <filesystem>

#include <palvex/files.h>
#include <palvex/paths.h>

#include "codrvsettings_fixture.h"

namespace drvtest {
namespace {

using DataFileTest = DrvSettingsTest;

constexpr char kInput[] =
    "A\r\n*% RTI BEGIN - DO NOT REMOVE THIS TAG\r\n*% RTI END - DO NOT REMOVE THIS TAG\r\nB\r\n";

// The files in the data file's folder.
std::vector<std::string> FolderFiles(const std::u16string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(palvex::HostPath(path).parent_path()))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST_F(DataFileTest, ReadingWaitsForAHolderThatLetsGo) {
    struct Case {
        int refusals;     // -1: held for good
        HRESULT result;
        DWORD slept;      // milliseconds on the machine clock
    };
    const Case cases[] = {
        {3, S_OK, 3 * 250},
        {-1, E_FAIL, 9 * 250},  // ten attempts, nine sleeps between them
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "refusals " << c.refusals);
        WriteMachineFile(DataFilePath(), kInput);
        palvex::HoldFileOpen(DataFilePath(), 0, c.refusals);
        SettingsPtr settings(new CoDrvSettings);
        settings->AddRef();
        xprtest::PrinterHandle printer(kPrinter);
        const DWORD before = GetTickCount();
        EXPECT_EQ(settings->LoadDataFile(printer.get()), c.result);
        EXPECT_EQ(GetTickCount() - before, c.slept);
        EXPECT_EQ(settings->GetDataFile().m_content, c.result == S_OK ? kInput : "");
        palvex::ReleaseFile(DataFilePath());
    }
}

TEST_F(DataFileTest, ReplacingWaitsForAHolderThatLetsGoAndOtherwiseLeavesTheFile) {
    BoundTable settings = BindFirstRow(PrinterBuilder(), u"PRINTERSETTINGS");
    struct Case {
        int refusals;
        HRESULT result;
        DWORD slept;
    };
    const Case cases[] = {
        {4, S_OK, 4 * 250},
        {-1, E_FAIL, 9 * 250},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "refusals " << c.refusals);
        WriteMachineFile(DataFilePath(), kInput);
        // A reader that shares reading and writing but not deletion: the file can be read, not replaced.
        palvex::HoldFileOpen(DataFilePath(), FILE_SHARE_READ | FILE_SHARE_WRITE, c.refusals);
        DataFileImage image{DataFilePath(), {}};
        const DWORD before = GetTickCount();
        EXPECT_EQ(CoDrvSettings::UpdateRtiBlock(&image, settings.m_cursor), c.result);
        EXPECT_EQ(GetTickCount() - before, c.slept);
        const std::string content = ReadMachineFile(DataFilePath());
        if (c.result == S_OK) {
            EXPECT_NE(content.find("*Define: _PDLTYPE_32000000\r\n"), std::string::npos);
        } else {
            EXPECT_EQ(content, kInput);
        }
        // No temporary file is left behind.
        EXPECT_EQ(FolderFiles(DataFilePath()), std::vector<std::string>{"PALVEXT.GPD"});
        palvex::ReleaseFile(DataFilePath());
    }
}

}  // namespace
}  // namespace drvtest
