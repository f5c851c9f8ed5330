// The manual-duplex helper after a merge: started once as a real child process of the machine,
// told through its pipe which process prints to which printer; never started from the spooler or
// for a simplex merge, nor for a printer that duplexes by itself.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <palvex/clock.h>
#include <palvex/pipes.h>
#include <palvex/process_image.h>
#include <palvex/processes.h>

#include "model_hooks.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

constexpr size_t kMessageBytes = 524;

std::vector<BYTE> Recorded() {
    std::ifstream in(palvex::PipeRecordPath(kHelperPipe), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

// A message of the helper's form: a process id, then a printer name in 260 UTF-16 units,
// zero-padded.
std::vector<BYTE> Message(DWORD id, const std::u16string& name) {
    std::vector<BYTE> message(kMessageBytes, 0);
    std::memcpy(message.data(), &id, 4);
    std::memcpy(message.data() + 4, name.data(), name.size() * 2);
    return message;
}

// The message the helper must read: this process's id and the printer's name.
std::vector<BYTE> ExpectedMessage() {
    return Message(GetCurrentProcessId(), kPrinter);
}

// What the tests send themselves to see that the helper has handled everything before it.
std::vector<BYTE> Marker() {
    return Message(0, u"marker");
}

// The record's messages, one by one.
std::vector<std::vector<BYTE>> RecordedMessages() {
    const std::vector<BYTE> recorded = Recorded();
    std::vector<std::vector<BYTE>> messages;
    for (size_t at = 0; at + kMessageBytes <= recorded.size(); at += kMessageBytes)
        messages.emplace_back(recorded.begin() + at, recorded.begin() + at + kMessageBytes);
    EXPECT_EQ(recorded.size() % kMessageBytes, 0u);
    return messages;
}

// A connection to the helper's pipe, or -1 while nobody listens there.
int ConnectToHelper() {
    const std::filesystem::path socketPath = palvex::PipeSocketPath(kHelperPipe);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

size_t HelpersRunning() {
    size_t count = 0;
    for (const auto& process : palvex::MachineProcesses())
        if (process.started && process.image.ends_with(kHelperFile)) ++count;
    return count;
}

// Sends the marker once the helper listens, and returns when the helper has recorded it: the
// helper takes its connections one after another and closes each once its message is recorded,
// so every message sent before the marker is in the record by then. The helper is another
// process: this waits for it to listen, however long its start takes, and fails when it ended.
void SendMarkerAndWaitForHelper() {
    int fd = -1;
    while ((fd = ConnectToHelper()) < 0) {
        ASSERT_EQ(HelpersRunning(), 1u) << "the helper ended without listening";
        std::this_thread::yield();
    }
    const std::vector<BYTE> marker = Marker();
    ASSERT_EQ(write(fd, marker.data(), marker.size()), static_cast<ssize_t>(marker.size()));
    char rest = 0;
    EXPECT_EQ(read(fd, &rest, 1), 0);  // the helper's close, after the record was written
    close(fd);
}

class DuplexHelperTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        SYSTEMTIME now{2026, 12, 5, 11, 1, 0, 0, 0};
        palvex::SetVirtualClock(now);  // the wait after the helper's start takes no real time
        SetPrinterSetting(u"_DUPLEXTYPE", 2);  // duplexed by hand
        m_host = MakeHost();
    }

    // A merge of the default DEVMODE with the duplex asked for.
    void Merge(short duplex) {
        std::vector<BYTE> devmode = m_host->DefaultDevMode();
        auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
        dm->dmDuplex = duplex;
        dm->dmFields |= DM_DUPLEX;
        ASSERT_FALSE(m_host->MergeDevMode(dm).empty());
    }

    std::unique_ptr<palvex::hosts::UiHost> m_host;
};

TEST_F(DuplexHelperTest, StartsTheHelperOnceAndSendsItTheCallerAndPrinter) {
    Merge(DMDUP_VERTICAL);
    ASSERT_EQ(HelpersRunning(), 1u);
    ASSERT_NO_FATAL_FAILURE(SendMarkerAndWaitForHelper());
    // The first message raced the helper's start: it is recorded whole or not at all.
    std::vector<std::vector<BYTE>> messages = RecordedMessages();
    ASSERT_GE(messages.size(), 1u);
    ASSERT_LE(messages.size(), 2u);
    EXPECT_EQ(messages.back(), Marker());
    if (messages.size() == 2) {
        EXPECT_EQ(messages.front(), ExpectedMessage());
    }
    const size_t before = messages.size();

    Merge(DMDUP_HORIZONTAL);  // the helper runs: told again, not started again
    EXPECT_EQ(HelpersRunning(), 1u);
    ASSERT_NO_FATAL_FAILURE(SendMarkerAndWaitForHelper());
    messages = RecordedMessages();
    ASSERT_EQ(messages.size(), before + 2);
    EXPECT_EQ(messages[before], ExpectedMessage());
    EXPECT_EQ(messages[before + 1], Marker());
}

TEST_F(DuplexHelperTest, ARunningHelperIsToldExactlyOneMessagePerMerge) {
    // A helper from an earlier session, listed by the machine as running.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const std::u16string path = DriverFileName(kHelperFile);
    ASSERT_TRUE(CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                               &startup, &started));
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    ASSERT_NO_FATAL_FAILURE(SendMarkerAndWaitForHelper());

    Merge(DMDUP_VERTICAL);
    ASSERT_NO_FATAL_FAILURE(SendMarkerAndWaitForHelper());
    EXPECT_EQ(RecordedMessages(), (std::vector<std::vector<BYTE>>{Marker(), ExpectedMessage(), Marker()}));
    EXPECT_EQ(HelpersRunning(), 1u);
}

TEST_F(DuplexHelperTest, NeverStartsForSimplexInsideTheSpoolerOrWithADuplexUnit) {
    Merge(DMDUP_SIMPLEX);
    {
        palvex::ProcessImageScope spooler(palvex::kSpoolerImagePath);
        Merge(DMDUP_VERTICAL);
    }
    SetPrinterSetting(u"_DUPLEXTYPE", 1);  // the printer duplexes by itself
    Merge(DMDUP_VERTICAL);
    EXPECT_EQ(HelpersRunning(), 0u);
    EXPECT_FALSE(WaitNamedPipeW(kHelperPipe, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(ProcessRunning, FindsListedProgramsByBaseNameWithoutRegardToCase) {
    palvex::TestMachine machine;
    EXPECT_FALSE(IsProcessRunning(u"spoolsv.exe"));
    const DWORD spooler = palvex::ListMachineProcess(palvex::kSpoolerImagePath);
    palvex::ListMachineProcess(u"C:\\Program Files\\App\\Writer.exe");
    EXPECT_TRUE(IsProcessRunning(u"SPOOLSV.EXE"));
    EXPECT_TRUE(IsProcessRunning(u"writer.exe"));
    EXPECT_FALSE(IsProcessRunning(u"writer"));
    EXPECT_FALSE(IsProcessRunning(u""));
    EXPECT_FALSE(IsProcessRunning(nullptr));
    palvex::UnlistMachineProcess(spooler);
    EXPECT_FALSE(IsProcessRunning(u"spoolsv.exe"));
}

}  // namespace
}  // namespace uitest
