// Files over the host's file system: handles with Windows sharing rules, the machine's file times,
// and the system's folders.
//
// Machine state (shared by every process of the machine, in its database): the creation time of
// each file the machine has seen, and the files another program holds open (a test's stand-in
// for a program that keeps a file busy). Handles of this process are checked against each other
// in the process's table of open files.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <list>
#include <mutex>
#include <optional>
#include <string>

#include <palvex/files.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/fileapi.h>
#include <win/sysinfoapi.h>

#include "machine/api_guard.h"
#include "crt/civil_time.h"
#include "kernel/kernel_objects.h"
#include "machine/machine_db.h"
#include "kernel/pipes.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

const db::SchemaPart kFileSchema(R"sql(
CREATE TABLE IF NOT EXISTS file_times (
    path_key TEXT PRIMARY KEY,
    creation INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS file_holds (
    path_key TEXT PRIMARY KEY,
    share_mode INTEGER NOT NULL,
    refusals INTEGER NOT NULL);
)sql");

// FILETIME counts 100-nanosecond intervals since 1601-01-01 UTC; Unix time starts 11644473600
// seconds later.
constexpr int64_t kUnixEpochAsFileTime = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000;

// The rights an access mask asks for, as far as sharing is concerned.
constexpr DWORD kRead = 1;
constexpr DWORD kWrite = 2;
constexpr DWORD kDelete = 4;

DWORD SharingRights(DWORD access) {
    DWORD rights = 0;
    if (access & (GENERIC_READ | GENERIC_ALL)) rights |= kRead;
    if (access & (GENERIC_WRITE | GENERIC_ALL)) rights |= kWrite;
    if (access & (DELETE | GENERIC_ALL)) rights |= kDelete;
    return rights;
}

// Whether a new open (rights, share) may stand beside an open handle (heldRights, heldShare).
// Share bits and rights use the same three bits (read, write, delete).
bool Compatible(DWORD rights, DWORD share, DWORD heldRights, DWORD heldShare) {
    if (rights == 0 || heldRights == 0) return true;  // opens for attributes only never conflict
    return (rights & ~heldShare) == 0 && (heldRights & ~share) == 0;
}

int64_t ToFileTime(const timespec& time) {
    return kUnixEpochAsFileTime + static_cast<int64_t>(time.tv_sec) * kTicksPerSecond + time.tv_nsec / 100;
}

timespec ToTimespec(int64_t fileTime) {
    int64_t ticks = fileTime - kUnixEpochAsFileTime;
    int64_t seconds = ticks / kTicksPerSecond;
    int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --seconds;
    }
    return timespec{static_cast<time_t>(seconds), static_cast<long>(rest * 100)};
}

FILETIME Split(int64_t fileTime) {
    const auto value = static_cast<uint64_t>(fileTime);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

int64_t Join(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// The machine clock's time (a virtual clock when a test set one).
int64_t MachineNow() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return kUnixEpochAsFileTime + UnixSecondsOf(now) * kTicksPerSecond + static_cast<int64_t>(now.wMilliseconds) * 10000;
}

void TouchFile(int fd, int64_t fileTime) {
    const timespec time = ToTimespec(fileTime);
    const timespec times[2] = {time, time};
    futimens(fd, times);
}

// The key under which the machine keeps a file's state: its canonical host path.
std::string PathKey(const fs::path& host) {
    std::error_code error;
    fs::path canonical = fs::canonical(host, error);
    return (error ? host.lexically_normal() : canonical).generic_string();
}

// The key of an open file's path: where the kernel says the descriptor's file lies (symbolic links
// resolved, as PathKey resolves them), else PathKey of the path it was opened by.
std::string KeyOfDescriptor(int fd, const fs::path& host) {
    char link[PATH_MAX];
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(proc.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof link || link[0] != '/') return PathKey(host);
    return std::string(link, static_cast<size_t>(length));
}

DWORD ErrnoToWin32(int error, bool parentMissing) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return parentMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

// --- Machine state ------------------------------------------------------------------------------

std::optional<int64_t> StoredCreationTime(const std::string& key) {
    db::Statement read("SELECT creation FROM file_times WHERE path_key = ?1");
    read.Bind(1, key);
    if (!read.Step()) return std::nullopt;
    return read.Int(0);
}

void StoreCreationTime(const std::string& key, int64_t creation) {
    db::Statement write(R"sql(
        INSERT INTO file_times (path_key, creation) VALUES (?1, ?2)
        ON CONFLICT (path_key) DO UPDATE SET creation = excluded.creation)sql");
    write.Bind(1, key).Bind(2, creation).Run();
}

// Whether a program outside holds the file in a way that refuses this open; a refusal counts
// towards the holder letting go.
bool RefusedByHolder(const std::string& key, DWORD rights, DWORD share) {
    // Most files have no holder: a plain read says so without taking the database's write lock.
    {
        db::Statement held("SELECT 1 FROM file_holds WHERE path_key = ?1");
        if (!held.Bind(1, key).Step()) return false;
    }
    bool refused = false;
    db::Transaction([&] {
        db::Statement read("SELECT share_mode, refusals FROM file_holds WHERE path_key = ?1");
        read.Bind(1, key);
        if (!read.Step()) return;
        const DWORD heldShare = static_cast<DWORD>(read.Int(0)) & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        const int64_t refusals = read.Int(1);
        if (Compatible(rights, share, kRead | kWrite, heldShare)) return;
        refused = true;
        if (refusals > 0) {
            db::Statement update(refusals == 1 ? "DELETE FROM file_holds WHERE path_key = ?1"
                                               : "UPDATE file_holds SET refusals = refusals - 1 WHERE path_key = ?1");
            update.Bind(1, key).Run();
        }
    });
    return refused;
}

// --- Open files of this process -------------------------------------------------------------------

struct OpenEntry {
    dev_t device;
    ino_t inode;
    DWORD rights;
    DWORD share;
};

std::mutex& OpenFilesMutex() {
    static auto* mutex = new std::mutex;  // outlives every static destructor
    return *mutex;
}

std::list<OpenEntry>& OpenFiles() {
    static auto* files = new std::list<OpenEntry>;
    return *files;
}

class FileObject : public kernel::KernelObject {
public:
    FileObject(int fd, DWORD access, std::list<OpenEntry>::iterator entry, std::string pathKey, bool pipe = false)
        : m_fd(fd), m_rights(SharingRights(access)), m_entry(entry), m_pathKey(std::move(pathKey)), m_pipe(pipe) {}

    ~FileObject() override {
        close(m_fd);
        std::lock_guard lock(OpenFilesMutex());
        OpenFiles().erase(m_entry);
    }

    int fd() const { return m_fd; }
    bool CanRead() const { return m_rights & kRead; }
    bool CanWrite() const { return m_rights & kWrite; }
    // The last-write time follows the machine clock, as every other time of the machine.
    void MarkWritten() {
        if (!m_pipe) TouchFile(m_fd, MachineNow());
    }
    // A pipe's connection: writes to a server that has gone must not end this process.
    bool IsPipe() const { return m_pipe; }
    // The key of the path the file was opened by (its canonical host path), worked out once.
    const std::string& pathKey() const { return m_pathKey; }

private:
    int m_fd;
    DWORD m_rights;
    std::list<OpenEntry>::iterator m_entry;
    std::string m_pathKey;
    bool m_pipe;
};

std::shared_ptr<FileObject> FindFile(HANDLE handle) {
    return kernel::FindKernelObject<FileObject>(handle);
}

bool ParentExists(const fs::path& host) {
    std::error_code error;
    return fs::is_directory(host.parent_path(), error);
}

// The creation time of an open file: the machine's record, else its last-write time from now on.
int64_t CreationTimeOfKey(const std::string& key, const struct stat& info) {
    if (auto stored = StoredCreationTime(key)) return *stored;
    const int64_t creation = ToFileTime(info.st_mtim);
    StoreCreationTime(key, creation);
    return creation;
}

int64_t CreationTimeOf(const fs::path& host, const struct stat& info) {
    return CreationTimeOfKey(PathKey(host), info);
}

struct OpenResult {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD lastError = ERROR_SUCCESS;
};

// A pipe's client end: only an existing pipe can be opened, and it shares nothing with files.
OpenResult OpenPipe(LPCWSTR name, DWORD access, DWORD disposition) {
    OpenResult result;
    if (disposition != OPEN_EXISTING) {
        result.lastError = ERROR_INVALID_PARAMETER;
        return result;
    }
    const int fd = ConnectPipe(name, &result.lastError);
    if (fd < 0) return result;
    std::lock_guard lock(OpenFilesMutex());
    auto entry = OpenFiles().insert(OpenFiles().end(), OpenEntry{0, 0, 0, FILE_SHARE_READ | FILE_SHARE_WRITE});
    result.handle = kernel::KernelHandles().Insert(std::make_shared<FileObject>(fd, access, entry, std::string(), true));
    return result;
}

OpenResult OpenFile(LPCWSTR name, DWORD access, DWORD share, DWORD disposition, HANDLE templateFile) {
    OpenResult result;
    auto fail = [&](DWORD error) {
        result.lastError = error;
        return result;
    };
    if (!name || !*name) return fail(ERROR_PATH_NOT_FOUND);
    if (templateFile || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return fail(ERROR_INVALID_PARAMETER);
    if (disposition == TRUNCATE_EXISTING && !(SharingRights(access) & kWrite)) return fail(ERROR_INVALID_PARAMETER);
    const fs::path host = HostPath(name);
    if (host.empty()) return fail(ERROR_BAD_PATHNAME);
    const DWORD rights = SharingRights(access);
    share &= FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

    std::unique_lock lock(OpenFilesMutex());
    struct stat before {};
    const bool existed = stat(host.c_str(), &before) == 0;
    if (existed && S_ISDIR(before.st_mode)) return fail(ERROR_ACCESS_DENIED);
    if (!existed) {
        if (!ParentExists(host)) return fail(ERROR_PATH_NOT_FOUND);
        if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) return fail(ERROR_FILE_NOT_FOUND);
    } else if (disposition == CREATE_NEW) {
        return fail(ERROR_FILE_EXISTS);
    }

    if (existed) {
        for (const OpenEntry& open : OpenFiles())
            if (open.device == before.st_dev && open.inode == before.st_ino &&
                !Compatible(rights, share, open.rights, open.share))
                return fail(ERROR_SHARING_VIOLATION);
    }
    const bool truncate = existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    int flags = O_CLOEXEC;
    if ((rights & kWrite) || truncate) {
        flags |= (rights & kRead) ? O_RDWR : O_WRONLY;
    } else {
        flags |= O_RDONLY;
    }
    if (!existed) flags |= O_CREAT | O_EXCL;
    if (truncate) flags |= O_TRUNC;

    // The handle's path key is worked out once for its whole life, from the open descriptor: the
    // kernel names its canonical path in one look. An existing file is opened without truncation
    // first, so that an outside hold refuses the open before anything has changed.
    const int openFlags = existed ? flags & ~O_TRUNC : flags;
    const int fd = open(host.c_str(), openFlags, 0666);
    if (fd < 0) return fail(ErrnoToWin32(errno, !ParentExists(host)));
    const bool created = !existed;
    std::string key;
    struct stat info {};
    DWORD refusal = ERROR_SUCCESS;
    try {
        key = KeyOfDescriptor(fd, host);
        if (existed && RefusedByHolder(key, rights, share)) {
            refusal = ERROR_SHARING_VIOLATION;
        } else if (truncate && ftruncate(fd, 0) != 0) {
            refusal = ErrnoToWin32(errno, false);
        } else if (fstat(fd, &info) != 0) {
            refusal = ErrnoToWin32(errno, false);
        } else if (created) {
            const int64_t now = MachineNow();
            TouchFile(fd, now);
            StoreCreationTime(key, now);
        }
    } catch (...) {
        close(fd);
        if (created) unlink(host.c_str());
        throw;
    }
    if (refusal != ERROR_SUCCESS) {
        close(fd);
        if (created) unlink(host.c_str());
        return fail(refusal);
    }
    const std::string& fileKey = key;

    std::shared_ptr<FileObject> file;
    try {
        OpenFiles().push_front(OpenEntry{info.st_dev, info.st_ino, rights, share});
    } catch (...) {
        close(fd);
        throw;
    }
    try {
        file = std::make_shared<FileObject>(fd, access, OpenFiles().begin(), fileKey);
    } catch (...) {
        OpenFiles().pop_front();
        close(fd);
        throw;
    }
    if (truncate) file->MarkWritten();
    lock.unlock();  // a file object that goes again takes the lock in its destructor
    result.handle = kernel::KernelHandles().Insert(std::move(file));
    result.lastError = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                            : ERROR_SUCCESS;
    return result;
}

UINT CopyFolderName(std::u16string_view folder, LPWSTR buffer, UINT size) {
    const UINT length = static_cast<UINT>(folder.size());
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, folder.data(), folder.size() * sizeof(WCHAR));
    buffer[length] = 0;
    return length;
}

}  // namespace

// --- Fixture API ----------------------------------------------------------------------------------

void SetFileTimes(std::u16string_view path, const FILETIME* creation, const FILETIME* lastWrite) {
    const fs::path host = HostPath(path);
    struct stat info {};
    if (host.empty() || stat(host.c_str(), &info) != 0)
        throw MachineError(ERROR_FILE_NOT_FOUND, "no file '" + text::ToUtf8(path) + "'");
    if (creation) StoreCreationTime(PathKey(host), Join(*creation));
    if (lastWrite) {
        const timespec times[2] = {{0, UTIME_OMIT}, ToTimespec(Join(*lastWrite))};
        if (utimensat(AT_FDCWD, host.c_str(), times, 0) != 0)
            throw MachineError(ERROR_ACCESS_DENIED, "cannot set the times of '" + text::ToUtf8(path) + "'");
    }
}

void HoldFileOpen(std::u16string_view path, DWORD shareMode, int refusals) {
    const fs::path host = HostPath(path);
    struct stat info {};
    if (host.empty() || stat(host.c_str(), &info) != 0)
        throw MachineError(ERROR_FILE_NOT_FOUND, "no file '" + text::ToUtf8(path) + "'");
    if (refusals == 0) return;
    db::Statement hold(R"sql(
        INSERT INTO file_holds (path_key, share_mode, refusals) VALUES (?1, ?2, ?3)
        ON CONFLICT (path_key) DO UPDATE SET share_mode = excluded.share_mode, refusals = excluded.refusals)sql");
    hold.Bind(1, PathKey(host)).Bind(2, static_cast<int64_t>(shareMode)).Bind(3, static_cast<int64_t>(refusals)).Run();
}

void ReleaseFile(std::u16string_view path) {
    db::Statement release("DELETE FROM file_holds WHERE path_key = ?1");
    release.Bind(1, PathKey(HostPath(path))).Run();
}

}  // namespace palvex

using palvex::FindFile;
using palvex::GuardedCall;

// The file functions report database failures (machine state) as ERROR_INVALID_FUNCTION.
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD, HANDLE hTemplateFile) {
    palvex::OpenResult result;
    const DWORD error = GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        result = palvex::IsPipeName(lpFileName)
                     ? palvex::OpenPipe(lpFileName, dwDesiredAccess, dwCreationDisposition)
                     : palvex::OpenFile(lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition, hTemplateFile);
        return result.lastError;
    });
    SetLastError(error);
    return error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS ? result.handle : INVALID_HANDLE_VALUE;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    const auto file = FindFile(hFile);
    DWORD error = ERROR_SUCCESS;
    if (!file) {
        error = ERROR_INVALID_HANDLE;
    } else if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead)) {
        error = ERROR_INVALID_PARAMETER;
    } else if (!file->CanRead()) {
        error = ERROR_ACCESS_DENIED;
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        const ssize_t count = read(file->fd(), static_cast<char*>(lpBuffer) + done, nNumberOfBytesToRead - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            SetLastError(ERROR_INVALID_FUNCTION);
            if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
            return FALSE;
        }
        if (count == 0) break;
        done += static_cast<DWORD>(count);
    }
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    const auto file = FindFile(hFile);
    DWORD error = ERROR_SUCCESS;
    if (!file) {
        error = ERROR_INVALID_HANDLE;
    } else if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite)) {
        error = ERROR_INVALID_PARAMETER;
    } else if (!file->CanWrite()) {
        error = ERROR_ACCESS_DENIED;
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        const char* from = static_cast<const char*>(lpBuffer) + done;
        const ssize_t count = file->IsPipe() ? send(file->fd(), from, nNumberOfBytesToWrite - done, MSG_NOSIGNAL)
                                             : write(file->fd(), from, nNumberOfBytesToWrite - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            SetLastError(errno == ENOSPC   ? 112 /* ERROR_DISK_FULL */
                         : errno == EPIPE || errno == ECONNRESET ? 232 /* ERROR_NO_DATA: the pipe is being closed */
                                          : ERROR_INVALID_FUNCTION);
            if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
            if (done) file->MarkWritten();
            return FALSE;
        }
        done += static_cast<DWORD>(count);
    }
    file->MarkWritten();
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
    return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    const auto file = FindFile(hFile);
    struct stat info {};
    if (!file || fstat(file->fd(), &info) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    if (static_cast<DWORD>(size) == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
    return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    const auto file = FindFile(hFile);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t distance = lDistanceToMove;
    if (lpDistanceToMoveHigh)
        distance = static_cast<int64_t>((static_cast<uint64_t>(static_cast<DWORD>(*lpDistanceToMoveHigh)) << 32) |
                                        static_cast<DWORD>(lDistanceToMove));
    int64_t base = 0;
    struct stat info {};
    switch (dwMoveMethod) {
    case FILE_BEGIN:
        break;
    case FILE_CURRENT:
        base = lseek(file->fd(), 0, SEEK_CUR);
        break;
    case FILE_END:
        if (fstat(file->fd(), &info) == 0) base = info.st_size;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const int64_t target = base + distance;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(file->fd(), target, SEEK_SET) < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
    if (static_cast<DWORD>(target) == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
    return static_cast<DWORD>(target);
}

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime, LPFILETIME lpLastWriteTime) {
    const auto file = FindFile(hFile);
    struct stat info {};
    if (!file || fstat(file->fd(), &info) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpCreationTime) {
        // The file's path now: the one it was opened by while that still names it, else where
        // /proc says the descriptor's file lies (renamed or moved meanwhile).
        struct stat atKey {};
        const bool stillThere = !file->pathKey().empty() && stat(file->pathKey().c_str(), &atKey) == 0 &&
                                atKey.st_dev == info.st_dev && atKey.st_ino == info.st_ino;
        std::filesystem::path host;
        if (!stillThere) {
            std::error_code ignored;
            host = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(file->fd()), ignored);
        }
        int64_t creation = 0;
        const DWORD error = GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
            creation = stillThere ? palvex::CreationTimeOfKey(file->pathKey(), info) : palvex::CreationTimeOf(host, info);
            return ERROR_SUCCESS;
        });
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return FALSE;
        }
        *lpCreationTime = palvex::Split(creation);
    }
    if (lpLastAccessTime) *lpLastAccessTime = palvex::Split(palvex::ToFileTime(info.st_atim));
    if (lpLastWriteTime) *lpLastWriteTime = palvex::Split(palvex::ToFileTime(info.st_mtim));
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
    const std::filesystem::path host = lpFileName ? palvex::HostPath(lpFileName) : std::filesystem::path();
    struct stat info {};
    if (host.empty() || stat(host.c_str(), &info) != 0) {
        SetLastError(!host.empty() && palvex::ParentExists(host) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return (info.st_mode & 0222) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize) {
    return palvex::CopyFolderName(u"C:\\Windows\\System32", lpBuffer, uSize);
}

UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) {
    return palvex::CopyFolderName(palvex::kWindowsDirectory, lpBuffer, uSize);
}
