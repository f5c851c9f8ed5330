// GetTempPathW, GetTempFileNameW and CopyFileW over the host files of the machine.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

#include <palvex/os_profile.h>
#include <palvex/paths.h>
#include <win/winfiles_temp.h>

#include "machine/api_guard.h"
#include "crt/utf16.h"

namespace {

namespace fs = std::filesystem;

DWORD CopyOut(const std::u16string& text, DWORD capacity, LPWSTR buffer) {
    if (!buffer || capacity <= text.size()) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(text.size());
}

std::atomic<unsigned> g_nextUnique{static_cast<unsigned>(::getpid()) & 0xFFFF};

}  // namespace

DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
    std::u16string path;
    const DWORD error = palvex::GuardedCall(ERROR_PATH_NOT_FOUND, [&]() -> DWORD {
        path = u"C:\\Users\\" + palvex::GetOsProfile().userName + u"\\AppData\\Local\\Temp\\";
        std::error_code ignored;
        fs::create_directories(palvex::HostPath(path), ignored);
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return 0;
    }
    return CopyOut(path, nBufferLength, lpBuffer);
}

UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName) {
    if (!lpPathName || !lpTempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string folder = lpPathName;
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
    const std::u16string prefix = std::u16string(lpPrefixString ? lpPrefixString : u"").substr(0, 3);
    std::error_code error;
    if (!fs::is_directory(palvex::HostPath(folder), error)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    auto nameOf = [&](unsigned number) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%X", number & 0xFFFF);
        std::u16string name = folder + prefix;
        for (const char* d = digits; *d; ++d) name += static_cast<char16_t>(*d);
        return name + u".TMP";
    };
    auto give = [&](const std::u16string& name, UINT number) -> UINT {
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        std::memcpy(lpTempFileName, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        return number;
    };
    if (uUnique != 0) return give(nameOf(uUnique), uUnique & 0xFFFF);
    for (unsigned attempt = 0; attempt < 0x10000; ++attempt) {
        unsigned number = g_nextUnique.fetch_add(1) & 0xFFFF;
        if (number == 0) continue;
        const std::u16string name = nameOf(number);
        if (name.size() >= MAX_PATH) return give(name, number);
        const int fd = ::open(palvex::HostPath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return give(name, number);
        }
        if (errno != EEXIST) break;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
    if (!lpExistingFileName || !lpNewFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const fs::path source = palvex::HostPath(lpExistingFileName);
    const fs::path target = palvex::HostPath(lpNewFileName);
    std::error_code error;
    if (source.empty() || !fs::is_regular_file(source, error)) {
        SetLastError(source.empty() || !fs::is_directory(source.parent_path(), error) ? ERROR_PATH_NOT_FOUND
                                                                                      : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (target.empty() || !fs::is_directory(target.parent_path(), error)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (fs::exists(target, error)) {
        if (bFailIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (fs::equivalent(source, target, error)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, error)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
