#include "items/printer_form.h"

QORVAPrinterForm::QORVAPrinterForm(HANDLE printer, LPCWSTR name) {
    if (!printer || !name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return;
    }
    DWORD needed = 0;
    if (GetFormW(printer, const_cast<LPWSTR>(name), 1, nullptr, 0, &needed)) {
        SetLastError(ERROR_INVALID_DATA);  // a record cannot fit in no bytes
        return;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
    if (needed < sizeof(FORM_INFO_1W)) {
        SetLastError(ERROR_INVALID_DATA);
        return;
    }
    std::vector<BYTE> buffer(needed);
    if (!GetFormW(printer, const_cast<LPWSTR>(name), 1, buffer.data(), needed, &needed)) return;
    m_buffer = std::move(buffer);
}
