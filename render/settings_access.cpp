#include "settings_access.h"

#include <vector>

bool ReadTextField(IDrvSettings* settings, PVOID record, LPCWSTR key, DWORD selector, size_t maxChars,
                   std::u16string* text) {
    text->clear();
    if (!settings || (selector == SETTINGS_SELECT_DEVMODE && !record)) return false;
    std::vector<WCHAR> buffer(maxChars + 1, u'\0');
    const DWORD bytes = static_cast<DWORD>(maxChars * sizeof(WCHAR));
    if (FAILED(settings->GetFieldValue(record, key, buffer.data(), bytes, selector))) return false;
    buffer[maxChars] = u'\0';
    text->assign(buffer.data());
    return true;
}
