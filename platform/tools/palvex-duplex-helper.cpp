// palvex-duplex-helper: the machine's stand-in for a driver's manual-duplex helper program. A
// driver package installs it under its own name (such as "TOVQEBMDN.EXE"); started, it listens on
// the pipe "\\.\pipe\" + its file name up to the last dot and appends every whole 524-byte message
// it reads (a process id and a printer name) to the pipe's record file (palvex/pipes.h). It ends
// when its pipe's socket or its machine folder is removed, or when it is told to (SIGTERM).
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <palvex/machine.h>
#include <palvex/pipes.h>

namespace {

constexpr size_t kMessageBytes = 524;
constexpr int kIdleCheckMs = 200;

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());  // the helper's names are ASCII
}

// Reads one connection's message: exactly kMessageBytes, else nothing.
bool ReadMessage(int connection, char (&message)[kMessageBytes]) {
    size_t done = 0;
    while (done < kMessageBytes) {
        const ssize_t count = read(connection, message + done, kMessageBytes - done);
        if (count <= 0) return false;
        done += static_cast<size_t>(count);
    }
    return true;
}

}  // namespace

int main(int, char** argv) {
    const std::string file = std::filesystem::path(argv[0]).filename().string();
    const std::string stem = file.substr(0, file.rfind('.'));
    const std::u16string pipeName = u"\\\\.\\pipe\\" + Wide(stem);
    const std::filesystem::path socketPath = palvex::PipeSocketPath(pipeName);
    const std::filesystem::path recordPath = palvex::PipeRecordPath(pipeName);
    if (socketPath.empty()) {
        std::fprintf(stderr, "palvex-duplex-helper: no pipe for the name %s\n", stem.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(socketPath.parent_path(), error);
    std::filesystem::remove(socketPath, error);

    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0) {
        std::perror("palvex-duplex-helper: listen");
        return 1;
    }
    for (;;) {
        pollfd waiting{listener, POLLIN, 0};
        const int ready = poll(&waiting, 1, kIdleCheckMs);
        if (!std::filesystem::exists(socketPath, error)) break;
        if (ready <= 0) continue;
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) continue;
        char message[kMessageBytes];
        if (ReadMessage(connection, message)) {
            std::ofstream record(recordPath, std::ios::binary | std::ios::app);
            record.write(message, kMessageBytes);
        }
        close(connection);
    }
    close(listener);
    return 0;
}
