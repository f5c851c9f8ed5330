// Special folders of the shell.
#include <filesystem>
#include <string>

#include <palvex/os_profile.h>
#include <palvex/paths.h>
#include <win/fileapi.h>
#include <win/shlobj.h>
#include <win/winerror.h>

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR pszPath) {
    if (!pszPath) return E_INVALIDARG;
    std::u16string folder;
    const std::u16string profile = u"C:\\Users\\" + palvex::GetOsProfile().userName;
    switch (csidl & 0xFF) {
    case CSIDL_PERSONAL: folder = profile + u"\\Documents"; break;
    case CSIDL_APPDATA: folder = profile + u"\\AppData\\Roaming"; break;
    case CSIDL_WINDOWS: folder = u"C:\\Windows"; break;
    case CSIDL_SYSTEM: folder = u"C:\\Windows\\System32"; break;
    case CSIDL_PROGRAM_FILES: folder = u"C:\\Program Files"; break;
    default: pszPath[0] = u'\0'; return E_INVALIDARG;
    }
    if (folder.size() >= MAX_PATH) return E_FAIL;
    if (csidl & CSIDL_FLAG_CREATE) {
        std::error_code error;
        std::filesystem::create_directories(palvex::HostPath(folder), error);
    }
    folder.copy(pszPath, folder.size());
    pszPath[folder.size()] = u'\0';
    return S_OK;
}
