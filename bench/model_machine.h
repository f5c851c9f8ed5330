// A simulated machine with the model's printer and its data file (package/TOVQEB.GPD, named by
// PALVEX_MODEL_DATA_FILE), for the benchmarks that work on the model's own description.
#pragma once

#include <palvex/machine.h>
#include <palvex/paths.h>

#include <filesystem>
#include <string>

#include <win/windows.h>

namespace palvex_bench {

constexpr char16_t kPrinter[] = u"Palvex Bench";
constexpr char16_t kDriver[] = u"Palvex QX500";
constexpr char16_t kDataFile[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\TOVQEB.GPD";

// A machine with the model's printer and its data file.
class ModelMachine {
public:
    ModelMachine() {
        palvex::DriverDesc driver;
        driver.name = kDriver;
        driver.dataFile = u"TOVQEB.GPD";
        palvex::AddDriver(driver);
        palvex::AddPrinter(kPrinter, kDriver);
        const std::filesystem::path target = palvex::HostPath(kDataFile);
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(PALVEX_MODEL_DATA_FILE, target);
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        std::u16string name = kPrinter;
        OpenPrinterW(name.data(), &m_printer, &defaults);
    }
    ~ModelMachine() { ClosePrinter(m_printer); }

    HANDLE printer() const { return m_printer; }
    // Without "Timestamp" the next trigger compiles everything.
    void ForgetCompile() { SetPrinterDataW(m_printer, const_cast<LPWSTR>(u"Timestamp"), REG_BINARY, nullptr, 0); }

private:
    palvex::TestMachine m_machine;
    HANDLE m_printer = nullptr;
};

}  // namespace palvex_bench
