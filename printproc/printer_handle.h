// A printer or job handle opened by name and closed when it leaves scope.
#pragma once

#include <win/windows.h>

class ScopedPrinterHandle {
public:
    explicit ScopedPrinterHandle(LPCWSTR name) {
        if (!OpenPrinterW(const_cast<LPWSTR>(name), &m_handle, nullptr)) m_handle = nullptr;
    }
    ~ScopedPrinterHandle() {
        if (m_handle) ClosePrinter(m_handle);
    }
    ScopedPrinterHandle(const ScopedPrinterHandle&) = delete;
    ScopedPrinterHandle& operator=(const ScopedPrinterHandle&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};
