// DeleteFileW and MoveFileExW over the host's file system. Whether the files may go is asked the
// way Windows asks it: by opening them for DELETE access with every share mode, which the file
// functions refuse while a handle (or another program's hold) does not share deletion.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/fileapi.h>
#include <win/winfiles_move.h>

#include "machine/api_guard.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool FolderExists(const fs::path& host) {
    std::error_code error;
    return fs::is_directory(host.parent_path(), error);
}

DWORD MissingFileError(const fs::path& host) {
    return FolderExists(host) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD RenameError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// A handle that asks for DELETE access while sharing everything: it opens only when every handle
// on the file shares deletion. Closed again when the check ends.
class DeleteCheck {
public:
    explicit DeleteCheck(LPCWSTR name)
        : m_handle(CreateFileW(name, DELETE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
          m_error(m_handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS) {}
    ~DeleteCheck() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }
    DeleteCheck(const DeleteCheck&) = delete;
    DeleteCheck& operator=(const DeleteCheck&) = delete;

    DWORD error() const { return m_error; }

private:
    HANDLE m_handle;
    DWORD m_error;
};

// Flushes a file's or a folder's bytes to disk.
void Flush(const fs::path& host) {
    const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

DWORD DeleteFile(LPCWSTR name) {
    if (!name || !*name) return ERROR_PATH_NOT_FOUND;
    const fs::path host = HostPath(name);
    if (host.empty()) return ERROR_BAD_PATHNAME;
    struct stat info {};
    if (lstat(host.c_str(), &info) != 0) return MissingFileError(host);
    if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
    const DeleteCheck check(name);
    if (check.error() != ERROR_SUCCESS) return check.error();
    if (unlink(host.c_str()) != 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

DWORD MoveFile(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (!from || !to || (flags & ~static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        return ERROR_INVALID_PARAMETER;
    if (!*from || !*to) return ERROR_PATH_NOT_FOUND;
    const fs::path source = HostPath(from);
    const fs::path target = HostPath(to);
    if (source.empty() || target.empty()) return ERROR_BAD_PATHNAME;

    struct stat sourceInfo {};
    if (lstat(source.c_str(), &sourceInfo) != 0) return MissingFileError(source);
    if (!FolderExists(target)) return ERROR_PATH_NOT_FOUND;
    struct stat targetInfo {};
    const bool targetExists = lstat(target.c_str(), &targetInfo) == 0;
    if (targetExists && sourceInfo.st_dev == targetInfo.st_dev && sourceInfo.st_ino == targetInfo.st_ino)
        return ERROR_SUCCESS;  // the same file under another spelling
    if (targetExists) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) return ERROR_ALREADY_EXISTS;
        if (S_ISDIR(targetInfo.st_mode) || S_ISDIR(sourceInfo.st_mode)) return ERROR_ACCESS_DENIED;
    }

    // Both checks hold their handles until the rename is done.
    std::optional<DeleteCheck> sourceCheck;
    if (!S_ISDIR(sourceInfo.st_mode)) {
        sourceCheck.emplace(from);
        if (sourceCheck->error() != ERROR_SUCCESS) return sourceCheck->error();
    }
    std::optional<DeleteCheck> targetCheck;
    if (targetExists) {
        targetCheck.emplace(to);
        if (targetCheck->error() == ERROR_SHARING_VIOLATION) return ERROR_ACCESS_DENIED;
        if (targetCheck->error() != ERROR_SUCCESS) return targetCheck->error();
    }

    if (flags & MOVEFILE_WRITE_THROUGH) Flush(source);
    if (rename(source.c_str(), target.c_str()) != 0) return RenameError(errno);
    if (flags & MOVEFILE_WRITE_THROUGH) Flush(target.parent_path());
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace palvex

using palvex::GuardedCall;

BOOL DeleteFileW(LPCWSTR lpFileName) {
    const DWORD error = GuardedCall(ERROR_INVALID_FUNCTION, [&] { return palvex::DeleteFile(lpFileName); });
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
    if (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        // Nothing moves now: the machine notes the operation for its next start, in order.
        if (!lpExistingFileName || (dwFlags & ~(MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        std::error_code failure;
        std::filesystem::create_directories(palvex::MachineRoot() / "kernel", failure);
        std::ofstream out(palvex::MachineRoot() / "kernel" / "pending_file_operations.txt", std::ios::app);
        out << palvex::text::ToUtf8(lpExistingFileName) << '\t' << (lpNewFileName ? palvex::text::ToUtf8(lpNewFileName) : "")
            << '\n';
        if (!out) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return TRUE;
    }
    const DWORD error =
        GuardedCall(ERROR_INVALID_FUNCTION, [&] { return palvex::MoveFile(lpExistingFileName, lpNewFileName, dwFlags); });
    SetLastError(error);
    return error == ERROR_SUCCESS;
}
