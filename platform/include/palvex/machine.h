// The simulated machine: one folder (the machine root) whose SQLite database holds the registry,
// the spooler, the services and the OS profile, shared by every process that uses the same root.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <win/wintypes.h>

#define PALVEX_API __attribute__((visibility("default")))

namespace palvex {

// A machine-state operation of the fixture API or the tool that failed; code is the Win32 error
// the platform's own API would give for the same failure.
class PALVEX_API MachineError : public std::runtime_error {
public:
    MachineError(DWORD code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    DWORD code() const { return m_code; }

private:
    DWORD m_code;
};

// The root this process uses: the last SetMachineRoot, else $PALVEX_MACHINE (read on first use),
// else the build's default machine folder. Always an absolute path.
PALVEX_API std::filesystem::path MachineRoot();

// Switches this process to another machine root (state connections are reopened on next use).
PALVEX_API void SetMachineRoot(const std::filesystem::path& root);

// Creates the root folder and its database with the default OS profile when they are missing.
// An existing machine is left as it is.
PALVEX_API void InitMachine(const std::filesystem::path& root);

// What the spooler knows of an installed driver.
struct DriverDesc {
    std::u16string name;                          // e.g. u"Palvex QX500"
    std::u16string environment = u"Windows x64";
    std::u16string driverPath;                    // C:\Windows\System32\spool\drivers\x64\3\...
    std::u16string dataFile;
    std::u16string configFile;
    std::u16string helpFile;
    std::vector<std::u16string> dependentFiles;
    std::u16string monitorName;
    std::u16string defaultDataType = u"RAW";
};

// What the spooler knows of a printer.
struct PrinterDesc {
    std::u16string name;
    std::u16string driverName;
    std::u16string portName;
    std::u16string printProcessor;
    DWORD deniedAccess = 0;
};

// One printer-data value, without its bytes.
struct PrinterDataDesc {
    std::u16string key;        // e.g. u"PrinterDriverData"
    std::u16string valueName;
    DWORD type = 0;
    size_t size = 0;
};

// Machine-state operations shared by the fixture and the palvex-machine tool. Names are compared
// without regard to case. Failures throw MachineError (database failures std::runtime_error).

// Installs a driver for its environment; a driver of the same name and environment is replaced
// (an upgrade, as the spooler does it).
PALVEX_API void AddDriver(const DriverDesc& driver);
// Adds a printer using an installed driver of the native environment ("Windows x64").
// Unknown driver: ERROR_UNKNOWN_PRINTER_DRIVER; a printer of that name: ERROR_PRINTER_ALREADY_EXISTS.
PALVEX_API void AddPrinter(const std::u16string& printerName, const std::u16string& driverName,
                           const std::u16string& portName = u"FILE:",
                           const std::u16string& printProcessor = u"winprint");
// Makes OpenPrinterW refuse any desired access that has a bit of mask (0 allows everything again).
PALVEX_API void SetPrinterDeniedAccess(const std::u16string& printerName, DWORD mask);

// A standard TCP/IP port of the machine (XcvDataW "AddPort").
struct PortDesc {
    std::u16string name;
    std::u16string host;
    DWORD protocol = 1;  // 1 raw TCP, 2 LPR
    DWORD portNumber = 9100;
    std::u16string queue;
    std::u16string snmpCommunity;
    bool snmpEnabled = false;
    DWORD snmpIndex = 1;
};
PALVEX_API std::vector<PortDesc> ListPorts();

// The machine path of an installed print processor's file (native environment, in its
// print-processor folder), as the spooler finds it to load the processor a printer names; an empty
// path when its registration names no file; nothing when no processor of that name is installed
// (AddPrintProcessorW installs one).
PALVEX_API std::optional<std::u16string> PrintProcessorFile(const std::u16string& processorName);

// The installed drivers, printers and one printer's data, ordered by name.
PALVEX_API std::vector<DriverDesc> ListDrivers();
PALVEX_API std::vector<PrinterDesc> ListPrinters();
PALVEX_API std::vector<PrinterDataDesc> ListPrinterData(const std::u16string& printerName);

// A fresh machine in a temporary folder for one test; the process uses it while the object lives
// and the folder is removed afterwards.
class PALVEX_API TestMachine {
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    const std::filesystem::path& root() const { return m_root; }

    // A driver and a printer using it, in one step.
    void AddPrinterWithDriver(const std::u16string& printerName, const std::u16string& driverName = u"Palvex Test");

private:
    std::filesystem::path m_root;
    std::filesystem::path m_previousRoot;
};

}  // namespace palvex
