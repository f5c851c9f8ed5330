// A printer installed by the printer-installation command the installer runs (PrintUI /if with the
// package's INF) prints a job: the driver's files, its print processor and the printer's compiled
// description are all that the job needs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/port_output.h>

#include "child_process.h"

namespace {

using palvex::testing::ChildResult;
using palvex::testing::RunChild;

TEST(PrinterSetupPrint, APrinterInstalledFromTheInfPrintsAJob) {
    palvex::TestMachine machine;
    ASSERT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"init"}, machine.root()).exitCode, 0);
    // The installer's language folder: the INF beside the driver files it lists.
    const auto folder = palvex::HostPath(u"C:\\Setup\\0411");
    std::filesystem::create_directories(folder);
    const std::filesystem::path built = PALVEX_PACKAGE_FOLDER;
    std::filesystem::copy_file(PARDEX_INF, folder / "TOVQEB.INF");
    for (const char* file : {"TOVQEB.GPD", "TOVQEBRES.DLL"}) std::filesystem::copy_file(built / file, folder / file);
    for (const char* module : {"tovqebui.dll", "tovqebxl.dll", "tovqebco.dll", "tovqebpp.dll"})
        std::filesystem::copy_file(built / "versions" / module, folder / module);
    std::ofstream(folder / "TOVQEB.INI") << "[UIPSETTINGS]\n";

    const ChildResult installed =
        RunChild(PALVEX_PRINTUI_TOOL,
                 {"/if", "/b", "Office", "/f", "C:\\Setup\\0411\\TOVQEB.INF", "/r", "FILE:", "/m",
                  "Korvel Palvex QM410/QF410/QF380"},
                 machine.root());
    ASSERT_EQ(installed.exitCode, 0) << installed.errors;

    const std::string spool = (machine.root() / "report.spl").string();
    ASSERT_EQ(RunChild(PALVEX_SPOOL_TOOL, {spool, "--pages", "2"}, machine.root()).exitCode, 0);
    const ChildResult printed = RunChild(PALVEX_MACHINE_TOOL, {"print", spool, "--printer", "Office"}, machine.root());
    ASSERT_EQ(printed.exitCode, 0) << printed.errors << printed.output;
    std::ifstream port(palvex::PortOutputPath(u"FILE:"), std::ios::binary);
    const std::string output(std::istreambuf_iterator<char>(port), {});
    EXPECT_EQ(output.rfind("\x1b%-12345X@PJL JOB\n", 0), 0u) << output.substr(0, 80);
    EXPECT_NE(output.find("@PJL EOJ\n"), std::string::npos);
}

}  // namespace
