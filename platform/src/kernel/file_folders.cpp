// Folders, file attributes and folder searches on the machine's files.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include <palvex/paths.h>
#include <win/fileapi.h>
#include <win/winerror.h>

#include "kernel/handle_table.h"
#include "crt/utf16.h"

namespace {

namespace fs = std::filesystem;

struct Search {
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
};

palvex::HandleTable<Search>& Searches() {
    static auto* table = new palvex::HandleTable<Search>;  // outlives every static destructor
    return *table;
}

DWORD ErrorOf(int error, const fs::path& host) {
    switch (error) {
    case ENOENT: return fs::exists(host.parent_path()) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    default: return ERROR_GEN_FAILURE;
    }
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// '*' any run, '?' one character; case is ignored. "*.*" matches names without a dot too.
bool Matches(std::u16string_view pattern, std::u16string_view name) {
    if (pattern == u"*.*" || pattern == u"*") return true;
    if (pattern.empty()) return name.empty();
    if (pattern[0] == u'*') {
        for (size_t skip = 0; skip <= name.size(); ++skip)
            if (Matches(pattern.substr(1), name.substr(skip))) return true;
        return false;
    }
    if (name.empty()) return false;
    if (pattern[0] != u'?' && palvex::text::Upcase(pattern[0]) != palvex::text::Upcase(name[0])) return false;
    return Matches(pattern.substr(1), name.substr(1));
}

FILETIME FileTimeOf(const timespec& time) {
    const int64_t value = (static_cast<int64_t>(time.tv_sec) + 11644473600LL) * 10000000LL + time.tv_nsec / 100;
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(static_cast<uint64_t>(value) >> 32)};
}

bool Describe(const fs::path& host, const std::u16string& name, WIN32_FIND_DATAW* entry) {
    struct stat info {};
    if (stat(host.c_str(), &info) != 0 || name.size() >= MAX_PATH) return false;
    *entry = WIN32_FIND_DATAW{};
    entry->dwFileAttributes = S_ISDIR(info.st_mode)      ? FILE_ATTRIBUTE_DIRECTORY
                              : (info.st_mode & 0222) ? FILE_ATTRIBUTE_NORMAL
                                                        : FILE_ATTRIBUTE_READONLY;
    entry->ftCreationTime = entry->ftLastAccessTime = entry->ftLastWriteTime = FileTimeOf(info.st_mtim);
    const uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
    entry->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    entry->nFileSizeLow = static_cast<DWORD>(size);
    name.copy(entry->cFileName, name.size());
    return true;
}

}  // namespace

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    if (!lpPathName) return Fail(ERROR_INVALID_PARAMETER);
    const fs::path host = palvex::HostPath(lpPathName);
    if (host.empty()) return Fail(ERROR_PATH_NOT_FOUND);
    // A drive's root always exists on Windows; the machine makes its folder on first use.
    const std::u16string path = lpPathName;
    if (path.size() > 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/') &&
        path.find_first_of(u"\\/", 3) == std::u16string::npos) {
        std::error_code error;
        fs::create_directories(host.parent_path(), error);
    }
    if (mkdir(host.c_str(), 0777) != 0) return Fail(ErrorOf(errno, host));
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
    if (!lpPathName) return Fail(ERROR_INVALID_PARAMETER);
    const fs::path host = palvex::HostPath(lpPathName);
    if (host.empty()) return Fail(ERROR_PATH_NOT_FOUND);
    if (rmdir(host.c_str()) != 0) return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorOf(errno, host));
    return TRUE;
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
    if (!lpFileName) return Fail(ERROR_INVALID_PARAMETER);
    const fs::path host = palvex::HostPath(lpFileName);
    struct stat info {};
    if (host.empty() || stat(host.c_str(), &info) != 0) return Fail(ErrorOf(errno, host));
    mode_t mode = info.st_mode & 07777;
    if (!S_ISDIR(info.st_mode)) mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | 0200);
    if (chmod(host.c_str(), mode) != 0) return Fail(ErrorOf(errno, host));
    return TRUE;
}

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (!lpFileName || !lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::u16string path = lpFileName;
    const size_t separator = path.find_last_of(u"\\/");
    const std::u16string folder = separator == std::u16string::npos ? u"." : path.substr(0, separator);
    const std::u16string pattern = separator == std::u16string::npos ? path : path.substr(separator + 1);
    const fs::path host = palvex::HostPath(folder.empty() ? u"\\" : folder);
    std::error_code error;
    if (host.empty() || !fs::is_directory(host, error)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<Search>();
    WIN32_FIND_DATAW entry;
    for (const char16_t* dot : {u".", u".."})
        if (Matches(pattern, dot) && Describe(host, dot, &entry)) search->entries.push_back(entry);
    std::vector<std::pair<std::u16string, fs::path>> names;
    for (const auto& item : fs::directory_iterator(host, error))
        names.emplace_back(palvex::text::FromUtf8(item.path().filename().string()), item.path());
    std::sort(names.begin(), names.end());
    for (const auto& [name, itemPath] : names)
        if (Matches(pattern, name) && Describe(itemPath, name, &entry)) search->entries.push_back(entry);
    if (search->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = search->entries[0];
    search->next = 1;
    return Searches().Insert(std::move(search));
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    auto search = Searches().Find(hFindFile);
    if (!search || !lpFindFileData) return Fail(ERROR_INVALID_HANDLE);
    if (search->next >= search->entries.size()) return Fail(ERROR_NO_MORE_FILES);
    *lpFindFileData = search->entries[search->next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
    if (!Searches().Remove(hFindFile)) return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}
