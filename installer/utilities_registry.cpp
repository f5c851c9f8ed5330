// Deleting registry trees.
#include <cstring>

#include "utilities.h"

BOOL RegDeleteKeyTree(HKEY root, WCHAR* path) {
    if (RegDeleteKeyW(root, path) == ERROR_SUCCESS) return TRUE;
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return TRUE;  // nothing to delete
    if (opened != ERROR_SUCCESS) return FALSE;
    size_t length = std::char_traits<char16_t>::length(path);
    const size_t original = length;
    if (length == 0 || path[length - 1] != u'\\') {
        if (length + 1 >= kRegistryPathLength) {
            RegCloseKey(key);
            return FALSE;
        }
        path[length++] = u'\\';
        path[length] = u'\0';
    }
    BOOL deleted = TRUE;
    for (;;) {
        WCHAR name[MAX_PATH];
        DWORD nameLength = MAX_PATH;
        if (RegEnumKeyExW(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        // The subkey's path must fit the caller's buffer; a deeper path than it holds fails here
        // instead of running past its end.
        if (length + nameLength >= kRegistryPathLength) {
            deleted = FALSE;
            break;
        }
        std::memcpy(path + length, name, (nameLength + 1) * sizeof(WCHAR));
        deleted = RegDeleteKeyTree(root, path);
        path[length] = u'\0';
        if (!deleted) break;
    }
    path[original] = u'\0';
    RegCloseKey(key);
    return deleted && RegDeleteKeyW(root, path) == ERROR_SUCCESS;
}

BOOL DeleteRegistryTree(const std::u16string& path) {
    WCHAR copy[kRegistryPathLength] = {};
    const size_t length = std::min<size_t>(path.size(), kRegistryPathLength - 1);
    std::memcpy(copy, path.data(), length * sizeof(WCHAR));
    return RegDeleteKeyTree(HKEY_CURRENT_USER, copy);
}
