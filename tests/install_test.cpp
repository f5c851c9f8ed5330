// The model's package installed on a fresh machine through the machine's command line: only the
// package's own files, its print processor registered and named by the printer, and a job whose
// printer names a processor that is not installed kept in the queue.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/winspool_levels.h>

#include "child_process.h"

namespace {

using palvex::testing::ChildResult;
using palvex::testing::RunChild;

ChildResult Machine(const palvex::TestMachine& machine, const std::vector<std::string>& args) {
    return RunChild(PALVEX_MACHINE_TOOL, args, machine.root());
}

// The build's package folder with the build files a source folder holds beside the model's.
std::filesystem::path PackageWithBuildFiles(const std::filesystem::path& root) {
    const std::filesystem::path folder = root / "package";
    std::filesystem::copy(PALVEX_PACKAGE_FOLDER, folder, std::filesystem::copy_options::recursive);
    for (const char* name : {".gitattributes", "CMakeLists.txt", "description.cmake", "resources.cmake"})
        std::ofstream(folder / name) << "# build file\n";
    return folder;
}

TEST(InstallPackage, InstallsOnlyThePackagesFilesWithItsPrintProcessor) {
    palvex::TestMachine machine;
    const ChildResult installed = Machine(machine, {"install", PackageWithBuildFiles(machine.root()).string()});
    ASSERT_EQ(installed.exitCode, 0) << installed.errors;
    EXPECT_NE(installed.output.find("print processor installed: tovqebpp (TOVQEBPP.DLL)\n"), std::string::npos)
        << installed.output;

    const ChildResult show = Machine(machine, {"show"});
    EXPECT_NE(show.output.find("drivers: 1\n"
                               "  Palvex QX500 [Windows x64]\n"
                               "    driver: UNIDRV.DLL\n"
                               "    config: UNIDRVUI.DLL\n"
                               "    data: TOVQEB.GPD\n"
                               "    file: TOVQEBXL.DLL\n"
                               "    file: TOVQEBUI.DLL\n"
                               "    file: TOVQEBRES.DLL\n"
                               "    file: TOVQEBCO.DLL\n"
                               "    file: TOVQEB.INI\n"
                               "printers: 1\n"
                               "  Palvex QX500\n"
                               "    driver: Palvex QX500, port: FILE:, print processor: tovqebpp\n"),
              std::string::npos)
        << show.output;
    const std::u16string drivers = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\";
    for (const char16_t* file : {u"TOVQEB.GPD", u"TOVQEB.INI", u"TOVQEBRES.DLL", u"TOVQEBUI.DLL", u"UNIDRV.DLL"})
        EXPECT_TRUE(std::filesystem::exists(palvex::HostPath(drivers + file)));
    for (const char16_t* file : {u"CMakeLists.txt", u".gitattributes", u"description.cmake", u"TOVQEBRES.lib"})
        EXPECT_FALSE(std::filesystem::exists(palvex::HostPath(drivers + file)));
    EXPECT_EQ(palvex::PrintProcessorFile(u"tovqebpp"),
              std::optional<std::u16string>(u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\TOVQEBPP.DLL"));

    // Installed again, the package finds its processor and printer there.
    EXPECT_EQ(Machine(machine, {"install", PALVEX_PACKAGE_FOLDER}).exitCode, 0);
}

TEST(InstallPackage, RefusesAFolderWithoutThePackagesFilesAndInstallsNothing) {
    palvex::TestMachine machine;
    const std::filesystem::path folder = machine.root() / "source";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(std::filesystem::path(PALVEX_PACKAGE_FOLDER) / "TOVQEB.GPD", folder / "TOVQEB.GPD");
    std::ofstream(folder / "CMakeLists.txt") << "# build file\n";
    const ChildResult installed = Machine(machine, {"install", folder.string()});
    EXPECT_EQ(installed.exitCode, 1);
    EXPECT_EQ(installed.errors, "palvex-machine install: the package folder " + folder.string() +
                                    " has no versions/tovqebxl.dll (the build leaves the model's package in "
                                    "build/package/driver)\n");
    EXPECT_TRUE(palvex::ListDrivers().empty());
    EXPECT_TRUE(palvex::ListPrinters().empty());
}

TEST(InstallPackage, AJobForAPrintProcessorNotInstalledFailsAndIsKept) {
    palvex::TestMachine machine;
    ASSERT_EQ(Machine(machine, {"install", PALVEX_PACKAGE_FOLDER}).exitCode, 0);
    // A printer added by hand names the system's usual processor, which this machine lacks.
    ASSERT_EQ(Machine(machine, {"add-printer", "Plain", "Palvex QX500"}).exitCode, 0);
    const std::string spool = (machine.root() / "doc.spl").string();
    ASSERT_EQ(RunChild(PALVEX_SPOOL_TOOL, {spool, "--pages", "1"}, machine.root()).exitCode, 0);

    const ChildResult printed = Machine(machine, {"print", spool, "--printer", "Plain"});
    EXPECT_EQ(printed.exitCode, 1);
    EXPECT_EQ(printed.errors, "palvex-machine print: the print processor \"winprint\" of printer \"Plain\" is not "
                              "installed (error 1798); job 1 kept in the queue\n");
    const auto jobs = palvex::ListJobs(u"Plain");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].status, static_cast<DWORD>(JOB_STATUS_ERROR));
    EXPECT_TRUE(std::filesystem::exists(palvex::HostPath(jobs[0].spoolFile)));
}

}  // namespace

namespace {

// A setting the property sheets offer takes only the values they offer; the refusal names them
// and changes nothing.
TEST(InstallPackage, SettingsTakeOnlyTheValuesTheSheetsOffer) {
    palvex::TestMachine machine;
    ASSERT_EQ(Machine(machine, {"install", PALVEX_PACKAGE_FOLDER}).exitCode, 0);
    const std::string printer = "Palvex QX500";
    const std::string devMode = (machine.root() / "job.devmode").string();
    struct Case {
        std::vector<std::string> args;
        std::string message;  // empty: taken
    };
    const Case cases[] = {
        {{"devmode", printer, devMode, "--set", "_NUP_PAGES=99"}, "_NUP_PAGES=99 is not a value it takes (0, 1, 2, 3, 4 or 5)"},
        {{"devmode", printer, devMode, "--set", "_NUP_PAGES=-1"}, "_NUP_PAGES=-1 is not a value it takes (0, 1, 2, 3, 4 or 5)"},
        {{"devmode", printer, devMode, "--set", "_SCALE_FACTOR=24"}, "_SCALE_FACTOR=24 is not a value it takes (25 to 400)"},
        {{"devmode", printer, devMode, "--set", "_NUP_BORDER=2"}, "_NUP_BORDER=2 is not a value it takes (0 or 1)"},
        {{"printer-settings", printer, "_USRACTPRN_ENABLED=5"}, "_USRACTPRN_ENABLED=5 is not a value it takes (0 or 1)"},
        {{"devmode", printer, devMode, "--set", "_NUP_PAGES=5", "--set", "_SCALE_FACTOR=400", "--set", "_NUP_BORDER=0"}, ""},
        {{"printer-settings", printer, "_USRACTPRN_ENABLED=0"}, ""},
        // A text field takes its text, up to its length.
        {{"devmode", printer, devMode, "--set", "_WMK_TEXT=CONFIDENTIAL", "--set", "_WMK_ENABLED=1"}, ""},
        {{"devmode", printer, devMode, "--set", "_WMK_TEXT=" + std::string(200, 'W')}, "_WMK_TEXT holds at most 63 characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::filesystem::remove(devMode);
        const ChildResult run = Machine(machine, c.args);
        if (c.message.empty()) {
            EXPECT_EQ(run.exitCode, 0) << run.errors;
            continue;
        }
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.errors, "palvex-machine " + c.args[0] + ": " + c.message + "\n");
        EXPECT_FALSE(std::filesystem::exists(devMode));
    }
    // Printing refuses the same values before it makes a job.
    const std::string spool = (machine.root() / "doc.spl").string();
    ASSERT_EQ(RunChild(PALVEX_SPOOL_TOOL, {spool}, machine.root()).exitCode, 0);
    const ChildResult printed = Machine(machine, {"print", spool, "--printer", printer, "--set", "_NUP_PAGES=99"});
    EXPECT_EQ(printed.exitCode, 1);
    EXPECT_EQ(printed.errors, "palvex-machine print: _NUP_PAGES=99 is not a value it takes (0, 1, 2, 3, 4 or 5)\n");
    EXPECT_TRUE(palvex::ListJobs(u"Palvex QX500").empty());
}

}  // namespace
