// Named pipes as local sockets under the machine root.
#include "kernel/pipes.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <palvex/machine.h>
#include <palvex/pipes.h>
#include <win/namedpipeapi.h>

#include "crt/utf16.h"

namespace palvex {
namespace {

constexpr std::u16string_view kPipePrefix = u"\\\\.\\pipe\\";

// The pipe's own name (after the prefix) in lower case; empty when the text is not a pipe's name.
std::string PipeFileName(std::u16string_view pipeName) {
    if (pipeName.size() <= kPipePrefix.size()) return {};
    for (size_t i = 0; i < kPipePrefix.size(); ++i)
        if (text::Upcase(pipeName[i]) != text::Upcase(kPipePrefix[i])) return {};
    const std::u16string_view name = pipeName.substr(kPipePrefix.size());
    if (name.find_first_of(u"\\/") != std::u16string_view::npos || name == u"." || name == u"..") return {};
    std::string file = text::ToUtf8(name);
    for (char& c : file)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return file;
}

}  // namespace

std::filesystem::path PipeSocketPath(std::u16string_view pipeName) {
    const std::string file = PipeFileName(pipeName);
    if (file.empty()) return {};
    std::filesystem::path path = MachineRoot() / "pipes" / file;
    if (path.string().size() >= sizeof(sockaddr_un{}.sun_path)) return {};
    return path;
}

std::filesystem::path PipeRecordPath(std::u16string_view pipeName) {
    const std::string file = PipeFileName(pipeName);
    if (file.empty()) return {};
    return MachineRoot() / "pipes" / (file + ".messages");
}

bool IsPipeName(LPCWSTR name) {
    if (!name) return false;
    const std::u16string_view text(name);
    if (text.size() < kPipePrefix.size()) return false;
    for (size_t i = 0; i < kPipePrefix.size(); ++i)
        if (text::Upcase(text[i]) != text::Upcase(kPipePrefix[i])) return false;
    return true;
}

int ConnectPipe(LPCWSTR name, DWORD* error) {
    const std::filesystem::path socketPath = PipeSocketPath(name);
    if (socketPath.empty()) {
        *error = ERROR_BAD_PATHNAME;
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = ERROR_PIPE_BUSY;
        return -1;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *error = errno == ENOENT || errno == ECONNREFUSED ? ERROR_FILE_NOT_FOUND : ERROR_PIPE_BUSY;
        close(fd);
        return -1;
    }
    *error = ERROR_SUCCESS;
    return fd;
}

}  // namespace palvex

BOOL WaitNamedPipeW(LPCWSTR lpNamedPipeName, DWORD) {
    const std::filesystem::path socketPath = palvex::PipeSocketPath(lpNamedPipeName ? lpNamedPipeName : u"");
    if (socketPath.empty()) {
        SetLastError(ERROR_BAD_PATHNAME);
        return FALSE;
    }
    struct stat info {};
    if (stat(socketPath.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}
