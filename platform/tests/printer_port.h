// Moves a printer of the machine the process uses to another port, as an administrator does in
// the printer's properties (SetPrinterW level 2 with the port's name). True when it moved.
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>

namespace palvex::testing {

inline bool MovePrinterToPort(std::u16string printer, std::u16string port) {
    PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    if (!OpenPrinterW(printer.data(), &handle, &admin)) return false;
    DWORD needed = 0;
    GetPrinterW(handle, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    bool moved = needed && GetPrinterW(handle, 2, info.data(), needed, &needed);
    if (moved) {
        reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pPortName = port.data();
        moved = SetPrinterW(handle, 2, info.data(), 0);
    }
    ClosePrinter(handle);
    return moved;
}

}  // namespace palvex::testing
