// Printer data of the current test machine's printers, read and written through the spooler's
// calls as a driver's components reach it.
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>

namespace xprtest {

// A printer handle opened with the given access (0: the default).
class PrinterHandle {
public:
    explicit PrinterHandle(const std::u16string& printer, DWORD access = 0);
    ~PrinterHandle();
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

// A value of the printer's data (empty when it has none); writing stores it as REG_BINARY.
std::vector<BYTE> ReadPrinterValue(const std::u16string& printer, const std::u16string& value);
void WritePrinterValue(const std::u16string& printer, const std::u16string& value, const std::vector<BYTE>& bytes);

}  // namespace xprtest
