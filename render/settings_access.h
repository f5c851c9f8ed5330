// Typed reads of settings fields by key through the settings object: the job's fields from a
// private devmode, the printer's from the printer settings. A field that cannot be read (no settings
// object, no record, a key the table lacks) reads as 0.
#pragma once

#include <string>

#include <win/windows.h>

#include "codrvsettings.h"

// Reads the field into a T; a narrower field fills the low bytes and the rest is 0. False when the
// field could not be read; *value is then left as it was.
template <class T>
bool TryReadField(IDrvSettings* settings, PVOID record, LPCWSTR key, DWORD selector, T* value) {
    if (!settings) return false;
    if (selector == SETTINGS_SELECT_DEVMODE && !record) return false;
    T read{};
    if (FAILED(settings->GetFieldValue(record, key, &read, sizeof(T), selector))) return false;
    *value = read;
    return true;
}

template <class T>
T ReadField(IDrvSettings* settings, PVOID record, LPCWSTR key, DWORD selector) {
    T value{};
    TryReadField(settings, record, key, selector, &value);
    return value;
}

// A text field of up to maxChars characters (cut there). False when the field could not be read.
bool ReadTextField(IDrvSettings* settings, PVOID record, LPCWSTR key, DWORD selector, size_t maxChars,
                   std::u16string* text);
