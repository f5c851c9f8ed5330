// The manual-duplex helper after a merge: started once as a real child process of the machine,
// told through its pipe which process prints to which printer; never started from the spooler or
// for a simplex merge, nor for a printer that duplexes by itself.
#include <chrono>
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

// The helper is another process: what it made is waited for, within a generous bound.
template <class Condition>
bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::vector<BYTE> Recorded() {
    std::ifstream in(palvex::PipeRecordPath(kHelperPipe), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

// The message the helper must read: this process's id, then the printer's name in 260 UTF-16
// units, zero-padded.
std::vector<BYTE> ExpectedMessage() {
    std::vector<BYTE> message(kMessageBytes, 0);
    const DWORD id = GetCurrentProcessId();
    std::memcpy(message.data(), &id, 4);
    const std::u16string name = kPrinter;
    std::memcpy(message.data() + 4, name.data(), name.size() * 2);
    return message;
}

size_t HelpersRunning() {
    size_t count = 0;
    for (const auto& process : palvex::MachineProcesses())
        if (process.started && process.image.ends_with(kHelperFile)) ++count;
    return count;
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
    EXPECT_EQ(HelpersRunning(), 1u);
    ASSERT_TRUE(WaitFor([] { return WaitNamedPipeW(kHelperPipe, 0) != FALSE; })) << "the helper never listened";
    // The first message raced the helper's start; whatever it read so far is complete messages.
    ASSERT_TRUE(WaitFor([] { return Recorded().size() % kMessageBytes == 0; }));
    const size_t before = Recorded().size();

    Merge(DMDUP_HORIZONTAL);  // the helper runs: told again, not started again
    ASSERT_TRUE(WaitFor([&] { return Recorded().size() >= before + kMessageBytes; }));
    EXPECT_EQ(HelpersRunning(), 1u);
    const std::vector<BYTE> recorded = Recorded();
    ASSERT_EQ(recorded.size(), before + kMessageBytes);
    for (size_t at = 0; at < recorded.size(); at += kMessageBytes)
        EXPECT_EQ(std::vector<BYTE>(recorded.begin() + at, recorded.begin() + at + kMessageBytes), ExpectedMessage());
}

TEST_F(DuplexHelperTest, ARunningHelperIsToldExactlyOneMessagePerMerge) {
    // A helper from an earlier session, listed by the machine as running.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    WCHAR folder[MAX_PATH] = {};
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed));
    const std::u16string path = std::u16string(folder) + u"\\3\\" + kHelperFile;
    ASSERT_TRUE(CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                               &startup, &started));
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    ASSERT_TRUE(WaitFor([] { return WaitNamedPipeW(kHelperPipe, 0) != FALSE; }));

    Merge(DMDUP_VERTICAL);
    ASSERT_TRUE(WaitFor([] { return Recorded().size() >= kMessageBytes; }));
    EXPECT_EQ(Recorded(), ExpectedMessage());
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
