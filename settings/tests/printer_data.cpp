#include "printer_data.h"

#include <stdexcept>

namespace xprtest {

PrinterHandle::PrinterHandle(const std::u16string& printer, DWORD access) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    if (!OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), &m_handle, access ? &defaults : nullptr))
        throw std::runtime_error("OpenPrinterW failed");
}

PrinterHandle::~PrinterHandle() {
    if (m_handle) ClosePrinter(m_handle);
}

std::vector<BYTE> ReadPrinterValue(const std::u16string& printer, const std::u16string& value) {
    PrinterHandle handle(printer);
    DWORD type = 0, needed = 0;
    LPWSTR name = const_cast<LPWSTR>(value.c_str());
    if (GetPrinterDataW(handle.get(), name, &type, nullptr, 0, &needed) != ERROR_MORE_DATA) return {};
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataW(handle.get(), name, &type, bytes.data(), needed, &needed) != ERROR_SUCCESS) return {};
    return bytes;
}

void WritePrinterValue(const std::u16string& printer, const std::u16string& value, const std::vector<BYTE>& bytes) {
    PrinterHandle handle(printer, PRINTER_ALL_ACCESS);
    if (SetPrinterDataW(handle.get(), const_cast<LPWSTR>(value.c_str()), REG_BINARY, const_cast<BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
        throw std::runtime_error("SetPrinterDataW failed");
}

}  // namespace xprtest
