// One form of a printer, read by name with GetFormW level 1: a probe for the size, then the record
// with its name in one buffer that the object keeps.
#pragma once

#include <vector>

#include <win/winspool.h>
#include <win/winspool_forms.h>

class QORVAPrinterForm {
public:
    // Reads the form; on failure the object is empty and GetLastError tells why.
    QORVAPrinterForm(HANDLE printer, LPCWSTR name);

    explicit operator bool() const { return !m_buffer.empty(); }
    // The record; only for a form that was read. Its name lives as long as the object.
    const FORM_INFO_1W& info() const { return *reinterpret_cast<const FORM_INFO_1W*>(m_buffer.data()); }

private:
    std::vector<BYTE> m_buffer;
};
