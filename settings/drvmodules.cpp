#include "drvmodules.h"

#include <string_view>

#include <win/windows.h>

namespace {

bool Contains(LPCWSTR entry, LPCWSTR pattern) {
    return std::u16string_view(entry).find(pattern) != std::u16string_view::npos;
}

// Calls test on each entry in list order and answers the first it accepts.
template <class Test>
LPWSTR FirstEntry(LPWSTR files, Test&& test) {
    if (!files) return nullptr;
    for (LPWSTR entry = files; *entry; entry += lstrlenW(entry) + 1)
        if (test(entry)) return entry;
    return nullptr;
}

}  // namespace

void UpperCaseDependentFiles(LPWSTR files) {
    if (!files) return;
    for (LPWSTR entry = files; *entry; entry += lstrlenW(entry) + 1) CharUpperBuffW(entry, lstrlenW(entry));
}

LPWSTR FindDependentFile(LPWSTR files, LPCWSTR pattern, LPCWSTR excluded) {
    return FirstEntry(files, [&](LPCWSTR entry) { return Contains(entry, pattern) && !(excluded && Contains(entry, excluded)); });
}

LPWSTR FindDependentFileEither(LPWSTR files, LPCWSTR pattern, LPCWSTR otherPattern) {
    return FirstEntry(files, [&](LPCWSTR entry) { return Contains(entry, pattern) || Contains(entry, otherPattern); });
}

LPWSTR FindResourceLibraryFile(LPWSTR files) {
    LPWSTR library = FindDependentFile(files, DRVMOD_RESOURCE, DRVMOD_UNIVERSAL);
    return library ? library : FindDependentFile(files, DRVMOD_UI);
}

LPWSTR FindIniFile(LPWSTR files) {
    return FindDependentFile(files, DRVMOD_INI);
}

LPWSTR FindMdnFile(LPWSTR files) {
    return FindDependentFileEither(files, DRVMOD_MDN, DRVMOD_DOT_MDN);
}

LPWSTR FindUIFile(LPWSTR files) {
    return FindDependentFileEither(files, DRVMOD_UIP, DRVMOD_UI);
}
