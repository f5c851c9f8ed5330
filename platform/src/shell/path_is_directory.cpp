// PathIsDirectoryW.
#include <win/fileapi.h>
#include <win/shlwapi.h>

BOOL PathIsDirectoryW(LPCWSTR pszPath) {
    if (!pszPath) return FALSE;
    const DWORD attributes = GetFileAttributesW(pszPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return FALSE;
    return FILE_ATTRIBUTE_DIRECTORY;
}
