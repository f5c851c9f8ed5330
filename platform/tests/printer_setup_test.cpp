// The printer-installation programs started as the shell starts them: a driver package from its
// INF, saved and restored printer settings, exit codes and a command that never ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <palvex/clock.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/printer_settings.h>
#include <palvex/printer_setup.h>
#include <palvex/processes.h>
#include <win/processthreadsapi.h>
#include <win/setupapi.h>
#include <win/shellapi.h>
#include <win/synchapi_events.h>
#include <win/windows.h>

namespace {

constexpr char kInf[] =
    "; a test package\n[Version]\nSignature=\"$Windows NT$\"\n"
    "[Manufacturer]\n%Maker%=Maker,NTamd64\n"
    "[Maker.NTamd64]\n\"Test Model\" = TEST.GPD, USBPRINT\\Test\n"
    "[TEST.GPD]\nCopyFiles=FILES,PROC\nDataFile=TEST.GPD\nConfigFile=UNIDRVUI.DLL\n"
    "PrintProcessor=\"testpp,testpp.dll\"\n"
    "[FILES]\nTEST.GPD\nTESTUI.DLL\n[PROC]\ntestpp.dll\n"
    "[DestinationDirs]\nDefaultDestDir=66000\nPROC=66001\n[Strings]\nMaker=\"Maker\"\n";

class SetupPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        SYSTEMTIME start{2026, 12, 5, 11, 9, 0, 0, 0};
        palvex::SetVirtualClock(start);
        palvex::InstallSetupPrograms(PALVEX_PRINTUI_TOOL);
        const auto folder = palvex::HostPath(u"C:\\Package");
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "TEST.INF") << kInf;
        for (const char* file : {"TEST.GPD", "TESTUI.DLL", "testpp.dll"}) std::ofstream(folder / file) << file;
    }
    void TearDown() override {
        unsetenv("PALVEX_PRINTUI_FORCE");
        palvex::EndMachineProcesses();
    }

    // Starts the program as the shell does; its exit code, or STILL_ACTIVE when it did not end
    // within the time.
    DWORD Run(const char16_t* file, const std::u16string& parameters, DWORD waitMs = INFINITE) {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpVerb = u"open";
        info.lpFile = file;
        info.lpParameters = parameters.c_str();
        if (!ShellExecuteExW(&info)) return 0xFFFFFFFF;
        m_waited = WaitForSingleObject(info.hProcess, waitMs);
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        return code;
    }
    bool Exists(const std::u16string& path) { return std::filesystem::exists(palvex::HostPath(path)); }

    palvex::TestMachine m_machine;
    DWORD m_waited = 0;
};

TEST_F(SetupPrograms, InstallADriverPackageAndAPrinter) {
    EXPECT_EQ(Run(u"PrintUI.exe", u"/if /b \"My \\\"Q\\\"\" /f \"C:\\Package\\TEST.INF\" /r \"FILE:\" /m \"Test Model\""), 0u);
    const auto drivers = palvex::ListDrivers();
    ASSERT_EQ(drivers.size(), 1u);
    EXPECT_EQ(drivers[0].dataFile, u"TEST.GPD");
    EXPECT_EQ(drivers[0].dependentFiles, std::vector<std::u16string>{u"TESTUI.DLL"});
    EXPECT_TRUE(Exists(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\TESTUI.DLL"));
    EXPECT_TRUE(Exists(u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\testpp.dll"));
    EXPECT_TRUE(palvex::PrintProcessorFile(u"testpp").has_value());
    const auto printers = palvex::ListPrinters();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, u"My \"Q\"");
    EXPECT_EQ(printers[0].printProcessor, u"testpp");
    // Published once in the driver store, however often it is installed.
    EXPECT_EQ(Run(u"rundll32.exe", u"printui.dll,PrintUIEntry /ia /m \"Test Model\" /h \"x64\" /f \"C:\\Package\\TEST.INF\""), 0u);
    WCHAR location[260] = {};
    ASSERT_TRUE(SetupGetInfDriverStoreLocationW(u"oem0.inf", nullptr, nullptr, location, 260, nullptr));
    EXPECT_FALSE(Exists(u"C:\\Windows\\INF\\oem1.inf"));
    EXPECT_EQ(Run(u"PnPUtil", u"-f -d \"oem0.inf\""), 0u);
    EXPECT_FALSE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
    EXPECT_EQ(Run(u"PnPUtil", u"-f -d \"oem0.inf\""), 1168u);  // ERROR_NOT_FOUND
}

TEST_F(SetupPrograms, RefusalsLeaveTheMachineAsItWas) {
    struct Case {
        const char* name;
        std::u16string parameters;
        DWORD code;
    };
    const Case cases[] = {
        {"unknown model", u"/if /b \"P\" /f \"C:\\Package\\TEST.INF\" /r \"FILE:\" /m \"Other\"", 1797},
        {"unknown port", u"/if /b \"P\" /f \"C:\\Package\\TEST.INF\" /r \"IP_1.2.3.4\" /m \"Test Model\"", 1796},
        {"no INF", u"/if /b \"P\" /f \"C:\\Package\\NONE.INF\" /r \"FILE:\" /m \"Test Model\"", 2},
        {"no such option", u"/zz", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run(u"PrintUI.exe", c.parameters), c.code);
        EXPECT_TRUE(palvex::ListPrinters().empty());
    }
    // A file the INF lists is missing: nothing is copied or registered.
    std::filesystem::remove(palvex::HostPath(u"C:\\Package\\testpp.dll"));
    EXPECT_EQ(Run(u"PrintUI.exe", u"/ia /m \"Test Model\" /h \"x64\" /f \"C:\\Package\\TEST.INF\""), 2u);
    EXPECT_TRUE(palvex::ListDrivers().empty());
    EXPECT_FALSE(Exists(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\TEST.GPD"));
}

TEST_F(SetupPrograms, SettingsSavedAndRestored) {
    ASSERT_EQ(Run(u"PrintUI.exe", u"/if /b \"P\" /f \"C:\\Package\\TEST.INF\" /r \"FILE:\" /m \"Test Model\""), 0u);
    ASSERT_EQ(Run(u"PrintUI.exe", u"/Xs /n \"P\" comment \"first\""), 0u);
    EXPECT_EQ(palvex::GetPrinterSettings(u"P").comment, u"first");
    ASSERT_EQ(Run(u"PrintUI.exe", u"/Ss /n \"P\" /a \"C:\\Package\\P.dat\""), 0u);
    ASSERT_EQ(Run(u"PrintUI.exe", u"/Xs /n \"P\" comment \"second\""), 0u);
    ASSERT_EQ(Run(u"PrintUI.exe", u"/Sr /n \"P\" /a \"C:\\Package\\P.dat\" f d"), 0u);
    EXPECT_EQ(palvex::GetPrinterSettings(u"P").comment, u"first");

    // A settings file cut short is refused whole; the printer keeps what it has.
    ASSERT_EQ(Run(u"PrintUI.exe", u"/Xs /n \"P\" comment \"third\""), 0u);
    const auto file = palvex::HostPath(u"C:\\Package\\P.dat");
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 3);
    EXPECT_EQ(Run(u"PrintUI.exe", u"/Sr /n \"P\" /a \"C:\\Package\\P.dat\" f d"), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(palvex::GetPrinterSettings(u"P").comment, u"third");
}

TEST_F(SetupPrograms, ExitCodesAndCommandsThatNeverEnd) {
    EXPECT_EQ(Run(u"NoSuchTool.exe", u""), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpVerb = u"print";
    info.lpFile = u"PrintUI.exe";
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));

    setenv("PALVEX_PRINTUI_FORCE", "exit:3001", 1);  // more than a host exit status holds
    EXPECT_EQ(Run(u"PrintUI.exe", u"/Xs"), 3001u);
    setenv("PALVEX_PRINTUI_FORCE", "hang", 1);
    const DWORD before = GetTickCount();
    EXPECT_EQ(Run(u"PrintUI.exe", u"/Xs", 5000), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(m_waited, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(GetTickCount() - before, 5000u);  // the wait ran out on the machine clock
}

}  // namespace
