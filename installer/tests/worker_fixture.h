// A machine for the installer's runs: the settings object ready with its log at level 3, the
// machine's clock virtual, the printer-installation programs in the system folder, and helpers
// that put the model's driver files beside the INF and read what the log holds.
#pragma once

#include <palvex/clock.h>
#include <palvex/printer_setup.h>
#include <palvex/processes.h>

#include "drv_data.h"
#include "utilities.h"
#include "installer_fixture.h"

namespace pardex::testing {

inline constexpr char16_t kModel[] = u"Korvel Palvex QM410/QF410/QF380";

class WorkerMachine : public InstallerMachine {
protected:
    void SetUp() override {
        InstallerMachine::SetUp();
        SYSTEMTIME start{2026, 12, 5, 11, 9, 0, 0, 0};
        palvex::SetVirtualClock(start);
        SetPardexKey("Setup", "LOGLEVEL", "3");
        palvex::InstallSetupPrograms(PARDEX_PRINTUI);
        ASSERT_EQ(m_drvData.Init(nullptr), 1);
    }
    void TearDown() override {
        unsetenv("PALVEX_PRINTUI_FORCE");
        palvex::EndMachineProcesses();
        InstallerMachine::TearDown();
    }

    // The language folder holds the INF and the driver files it lists.
    void StageDriverFiles() {
        const std::filesystem::path from = PARDEX_DRIVER_FILES;
        const auto to = Host(u"C:\\Pardex\\0411");
        const std::pair<const char*, const char*> files[] = {
            {"TOVQEB.GPD", "TOVQEB.GPD"},          {"TOVQEBRES.DLL", "TOVQEBRES.DLL"},
            {"versions/tovqebui.dll", "tovqebui.dll"}, {"versions/tovqebxl.dll", "tovqebxl.dll"},
            {"versions/tovqebco.dll", "tovqebco.dll"}, {"versions/tovqebpp.dll", "tovqebpp.dll"}};
        for (const auto& [source, name] : files)
            std::filesystem::copy_file(from / source, to / name, std::filesystem::copy_options::overwrite_existing);
        std::ofstream(to / "TOVQEB.INI") << "[UIPSETTINGS]\n";
    }

    // A standard TCP/IP port as the port page leaves it.
    void AddPort(const std::u16string& address) {
        std::u16string name;
        ASSERT_TRUE(AddStandardPort(address, name));
    }

    // What the wizard leaves the worker: the driver files staged, the installer program in place,
    // and the printer "Office" to be made on a new port for 10.0.0.5.
    void PrepareOfficePrinter() {
        StageDriverFiles();
        std::ofstream(Host(u"C:\\Pardex\\Pardex.exe")) << "the installer";
        AddPort(u"10.0.0.5");
        m_drvData.m_printerName = u"Office";
        m_drvData.m_portName = u"IP_10.0.0.5";
    }

    bool LogHas(const std::string& text) { return ReadLog().find(text) != std::string::npos; }
    size_t LogCount(const std::string& text) {
        const std::string log = ReadLog();
        size_t count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
        return count;
    }
    // Where a text first stands in the log (npos when absent), to check the order of lines.
    size_t LogAt(const std::string& text) { return ReadLog().find(text); }

    CDrvData m_drvData;
};

}  // namespace pardex::testing
