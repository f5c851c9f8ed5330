// Named mutexes shared by every process of the machine.
//
// Each name has a holder file under <machine root>/kernel/mutex/. Every open handle to the name
// keeps a shared flock on its own descriptor of that file, so the name exists exactly while some
// descriptor holds the lock; the kernel drops the lock when the handle closes or its process ends.
// Creation asks whether anyone holds the name by trying an exclusive lock first. The gate file
// makes that test and the change to a shared lock one step for all creators of the machine.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include <palvex/machine.h>
#include <win/synchapi.h>
#include <win/winbase.h>

#include "kernel/kernel_objects.h"
#include "crt/utf16.h"

namespace {

class Mutex : public palvex::kernel::KernelObject {
public:
    explicit Mutex(int holder = -1) : m_holder(holder) {}
    ~Mutex() override {
        if (m_holder >= 0) close(m_holder);  // lets go of the shared lock
    }
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

private:
    int m_holder;
};

// A descriptor closed when it leaves scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// The holder file's name: the UTF-8 name with every byte outside [A-Za-z0-9_-] written as %XX;
// a name too long for a file name is replaced by a hash of it.
std::string HolderFileName(const std::u16string& name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string utf8 = palvex::text::ToUtf8(name);
    std::string escaped;
    for (unsigned char byte : utf8) {
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '_' ||
            byte == '-') {
            escaped += static_cast<char>(byte);
        } else {
            escaped += '%';
            escaped += digits[byte >> 4];
            escaped += digits[byte & 0xF];
        }
    }
    if (escaped.size() <= 200) return escaped;
    uint64_t hash = 0xCBF29CE484222325ull;  // 64-bit FNV-1a
    for (unsigned char byte : utf8) hash = (hash ^ byte) * 0x100000001B3ull;
    std::string hashed = "~";
    for (int shift = 60; shift >= 0; shift -= 4) hashed += digits[(hash >> shift) & 0xF];
    return hashed;
}

int OpenForLock(const std::filesystem::path& path) {
    int fd;
    do {
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int Lock(int fd, int operation) {
    int result;
    do {
        result = flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

namespace {

// Opens a handle to the named mutex; the last error tells whether the name existed.
HANDLE OpenNamedMutex(const std::u16string& name) {
    std::filesystem::path folder = palvex::MachineRoot() / "kernel" / "mutex";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    Descriptor gate(OpenForLock(folder / ".gate"));
    Descriptor holder(OpenForLock(folder / HolderFileName(name)));
    if (gate.get() < 0 || holder.get() < 0 || Lock(gate.get(), LOCK_EX) != 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    bool existed;
    if (Lock(holder.get(), LOCK_EX | LOCK_NB) == 0) {
        existed = false;
    } else if (errno == EWOULDBLOCK) {
        existed = true;
    } else {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    // Nobody else holds an exclusive lock while this creator holds the gate, so this never waits.
    if (Lock(holder.get(), LOCK_SH) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE handle = palvex::kernel::KernelHandles().Insert(std::make_shared<Mutex>(holder.release()));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

}  // namespace

WINBASEAPI HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR lpName) {
    try {
        std::u16string name = lpName ? std::u16string(lpName) : std::u16string();
        if (name.size() > MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return nullptr;
        }
        if (name.empty()) {
            HANDLE handle = palvex::kernel::KernelHandles().Insert(std::make_shared<Mutex>());
            SetLastError(ERROR_SUCCESS);
            return handle;
        }
        return OpenNamedMutex(name);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}
