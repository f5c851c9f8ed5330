// A second process for the cross-process tests: reads or writes one printer-data value of the
// machine named by PALVEX_MACHINE.
//   printer_peer get PRINTER VALUE        prints the value's bytes as hexadecimal
//   printer_peer set PRINTER VALUE HEX    stores the bytes as REG_BINARY
// Exit status 0 on success, else the Win32 error (or 100 for bad arguments).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <win/windows.h>

namespace {

std::u16string Widen(const char* text) {
    std::u16string wide;
    for (const char* p = text; *p; ++p) wide += static_cast<char16_t>(static_cast<unsigned char>(*p));
    return wide;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 100;
    const std::string command = argv[1];
    std::u16string printer = Widen(argv[2]);
    std::u16string value = Widen(argv[3]);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, static_cast<DWORD>(command == "set" ? PRINTER_ALL_ACCESS : PRINTER_ACCESS_USE)};
    HANDLE handle = nullptr;
    if (!OpenPrinterW(printer.data(), &handle, &defaults)) return static_cast<int>(GetLastError());
    DWORD status = ERROR_SUCCESS;
    if (command == "get") {
        DWORD needed = 0, type = 0;
        status = GetPrinterDataW(handle, value.data(), &type, nullptr, 0, &needed);
        if (status == ERROR_MORE_DATA || status == ERROR_SUCCESS) {
            std::vector<BYTE> data(needed);
            status = GetPrinterDataW(handle, value.data(), &type, data.data(), needed, &needed);
            if (status == ERROR_SUCCESS)
                for (BYTE b : data) std::printf("%02x", b);
            std::printf("\n");
        }
    } else if (command == "set" && argc == 5) {
        const size_t digits = std::strlen(argv[4]);
        std::vector<BYTE> data;
        for (size_t i = 0; i + 1 < digits; i += 2) data.push_back(static_cast<BYTE>(std::stoul(std::string(argv[4] + i, 2), nullptr, 16)));
        status = SetPrinterDataW(handle, value.data(), REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    } else {
        status = 100;
    }
    ClosePrinter(handle);
    return static_cast<int>(status);
}
