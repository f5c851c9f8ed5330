// A printer on the harness's own machine, with stored settings blocks of the model taken from the
// settings-block seeds (FUZZ_SETTINGS_BLOCKS names their folder; a seed's first byte is that
// harness's own choice, the rest the block as printer data holds it).
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <win/windows.h>

#include "fuzz_machine.h"

#ifndef FUZZ_SETTINGS_BLOCKS
#error "FUZZ_SETTINGS_BLOCKS must name the folder of the model's stored settings blocks"
#endif

namespace fuzz {

inline std::vector<BYTE> StoredBlock(const std::string& seed) {
    std::ifstream in(std::string(FUZZ_SETTINGS_BLOCKS) + "/" + seed, std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 2) std::abort();
    bytes.erase(bytes.begin());
    return bytes;
}

// Adds the printer (with a driver whose data file is dataFile) to the harness's machine and
// stores each named block from its "<lower-case name>_0" seed.
inline void InstallPrinter(const std::u16string& printer, const std::u16string& dataFile,
                           const std::vector<std::u16string>& blocks) {
    UseOwnMachine();
    palvex::DriverDesc driver;
    driver.name = u"Palvex Fuzz";
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = dataFile;
    palvex::AddDriver(driver);
    palvex::AddPrinter(printer, driver.name);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), &handle, &defaults)) std::abort();
    for (const std::u16string& name : blocks) {
        std::string seed;
        for (char16_t c : name) seed += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
        const std::vector<BYTE> bytes = StoredBlock(seed + "_0");
        if (SetPrinterDataW(handle, const_cast<LPWSTR>(name.c_str()), REG_BINARY, const_cast<BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
            std::abort();
    }
    ClosePrinter(handle);
}

}  // namespace fuzz
