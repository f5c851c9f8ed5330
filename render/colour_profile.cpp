// The model's colour-profile hook: the ICM profile named by the printer's ICMPROFILES table for a
// bit depth and colour mode.
#include <algorithm>
#include <cstring>

#include "drvstore.h"
#include "model_hooks.h"

namespace {

// The current row's value of a small number column, or 0 when it cannot be read.
DWORD NumberOf(XprTable* table, LPCWSTR column) {
    DWORD value = 0;
    if (GetValue(table, &value, sizeof value, column) >= 2) return 0;
    return value;
}

// The current row's string, or null.
LPCWSTR StringOf(XprTable* table, LPCWSTR column) {
    if (GetValueKind(table, column) != XprColumnKind::STRING) return nullptr;
    void* link = nullptr;
    if (GetValuePtr(table, column, &link) >= 2 || !link) return nullptr;
    LPCWSTR text = nullptr;
    std::memcpy(&text, link, sizeof text);
    return text;
}

}  // namespace

HRESULT hrOEMGetICMProfile(LPWSTR name, DWORD nameChars, HANDLE settingsSource, BYTE bitDepth, DWORD colorMode) {
    if (name && nameChars) name[0] = u'\0';
    if (!settingsSource || settingsSource == INVALID_HANDLE_VALUE) return S_OK;
    XprStore* created = nullptr;
    if (CreateByHandle(&created, settingsSource, u"ICMPROFILES") >= 2) return S_OK;
    const OwnedStore store(created);
    // The profiles are the OPTION rows of the table's one record.
    XprTable* root = nullptr;
    if (FetchFirstRow(store.get(), u"ICMPROFILES", &root) >= 2 || !root) return S_OK;
    XprTable* option = nullptr;
    while (FetchFirstRow(store.get(), u"OPTION", &option) == 0 && option) {
        if (static_cast<BYTE>(NumberOf(option, u"BITDEPTH")) != bitDepth ||
            NumberOf(option, u"COLORMODE") != colorMode)
            continue;
        const LPCWSTR text = StringOf(option, u"NAME");
        if (text && text[0] && name && nameChars) {
            DWORD length = 0;
            while (length + 1 < nameChars && text[length]) ++length;
            std::copy(text, text + length, name);
            name[length] = u'\0';
        }
        break;
    }
    return S_OK;
}
