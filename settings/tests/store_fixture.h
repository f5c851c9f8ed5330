// Stores for tests: blocks taken in as a load would take them, and printer data of a test machine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "xprimpl.h"

namespace xprtest {

// Frees the block and the store, as an owner does (works in every variant).
struct StoreDeleter {
    void operator()(XprStore* store) const;
};
using StorePtr = std::unique_ptr<XprStore, StoreDeleter>;

// A zeroed store, as CreateByHandle makes one.
StorePtr NewStore();

// Copies stored bytes into a new block of store and takes it in exactly as LoadByHandle does
// after reading it. Returns the load's result.
DWORD AdoptBytes(XprStore* store, const std::vector<BYTE>& bytes, const std::u16string& name = u"ROOT");

// The block's bytes as they are now.
std::vector<BYTE> BlockBytes(const XprStore* store);

// Printer data of the current machine's printer.
std::vector<BYTE> ReadPrinterValue(const std::u16string& printer, const std::u16string& value);
void WritePrinterValue(const std::u16string& printer, const std::u16string& value, const std::vector<BYTE>& bytes);

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

inline DWORD Severity(DWORD code) {
    return ReportStatus(code);
}

}  // namespace xprtest
