// Named pipes of the machine as a client reaches them: WaitNamedPipeW, CreateFileW, WriteFile and
// CloseHandle against a server listening on the pipe's socket.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include <palvex/machine.h>
#include <palvex/pipes.h>
#include <win/windows.h>

namespace {

// A server of the pipe in this process: listens at once, accepts when asked.
class PipeServer {
public:
    explicit PipeServer(const char16_t* name) {
        const std::filesystem::path path = palvex::PipeSocketPath(name);
        std::filesystem::create_directories(path.parent_path());
        m_listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(m_listener, 4), 0);
    }
    ~PipeServer() { close(m_listener); }
    // The next connection's bytes up to its end.
    std::string ReadConnection() {
        const int connection = accept(m_listener, nullptr, nullptr);
        std::string bytes;
        char buffer[256];
        for (ssize_t count; (count = read(connection, buffer, sizeof buffer)) > 0;) bytes.append(buffer, count);
        close(connection);
        return bytes;
    }
    int AcceptAndClose() {
        const int connection = accept(m_listener, nullptr, nullptr);
        return close(connection);
    }

private:
    int m_listener = -1;
};

TEST(Pipes, WithoutAServerThePipeIsNotFound) {
    palvex::TestMachine machine;
    EXPECT_FALSE(WaitNamedPipeW(u"\\\\.\\pipe\\Nobody", NMPWAIT_WAIT_FOREVER));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CreateFileW(u"\\\\.\\pipe\\Nobody", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    for (const char16_t* name : {u"\\\\.\\pipe\\", u"\\\\.\\pipe\\a\\b", u"\\\\.\\pipe\\.."}) {
        EXPECT_FALSE(WaitNamedPipeW(name, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_PATHNAME));
    }
}

TEST(Pipes, AClientWritesToTheServerByNameInAnyCase) {
    palvex::TestMachine machine;
    PipeServer server(u"\\\\.\\pipe\\Helper");
    EXPECT_TRUE(WaitNamedPipeW(u"\\\\.\\PIPE\\HELPER", 0));
    HANDLE pipe = CreateFileW(u"\\\\.\\pipe\\hElPeR", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const char message[] = "twelve bytes";
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(pipe, message, 12, &written, nullptr));
    EXPECT_EQ(written, 12u);
    EXPECT_TRUE(CloseHandle(pipe));
    EXPECT_EQ(server.ReadConnection(), "twelve bytes");
    // A pipe is only opened, never made.
    EXPECT_EQ(CreateFileW(u"\\\\.\\pipe\\Helper", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Pipes, WritingToAServerThatHasGoneFailsWithoutEndingTheClient) {
    palvex::TestMachine machine;
    PipeServer server(u"\\\\.\\pipe\\Gone");
    HANDLE pipe = CreateFileW(u"\\\\.\\pipe\\Gone", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    server.AcceptAndClose();
    std::vector<char> bytes(1 << 20, 'x');
    DWORD written = 0;
    BOOL wrote = TRUE;
    for (int i = 0; i < 8 && wrote; ++i) wrote = WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA));
    CloseHandle(pipe);
}

}  // namespace
