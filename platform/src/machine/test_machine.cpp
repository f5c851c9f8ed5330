// The test fixture's temporary machine.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <palvex/machine.h>
#include <palvex/processes.h>
#include <win/winerror.h>

#include "machine/machine_db.h"

namespace palvex {

TestMachine::TestMachine() {
    std::string folder = (std::filesystem::temp_directory_path() / "palvex-machine-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        throw MachineError(ERROR_PATH_NOT_FOUND, "cannot make a temporary machine folder: " + std::string(std::strerror(errno)));
    m_root = folder;
    m_previousRoot = MachineRoot();
    try {
        InitMachine(m_root);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
        throw;
    }
    SetMachineRoot(m_root);
}

TestMachine::~TestMachine() {
    // Programs the test started on this machine (helpers that wait on a pipe) end with it.
    try {
        EndMachineProcesses();
    } catch (const std::exception&) {
    }
    SetMachineRoot(m_previousRoot);  // also closes this thread's connection to the temporary machine
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

void TestMachine::AddPrinterWithDriver(const std::u16string& printerName, const std::u16string& driverName) {
    try {
        AddPrinter(printerName, driverName);
    } catch (const MachineError& e) {
        if (e.code() != ERROR_UNKNOWN_PRINTER_DRIVER) throw;
        DriverDesc driver;
        driver.name = driverName;
        AddDriver(driver);
        AddPrinter(printerName, driverName);
    }
}

}  // namespace palvex
