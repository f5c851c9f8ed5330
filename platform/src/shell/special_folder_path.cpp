// SHGetSpecialFolderPathW: the older form of SHGetFolderPathW.
#include <win/shlobj.h>
#include <win/windows.h>

BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR pszPath, int csidl, BOOL fCreate) {
    return SHGetFolderPathW(hwnd, csidl | (fCreate ? CSIDL_FLAG_CREATE : 0), nullptr, SHGFP_TYPE_CURRENT, pszPath) == S_OK;
}
