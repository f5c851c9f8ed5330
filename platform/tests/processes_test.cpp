// The machine's processes: the process list, OpenProcess and the program module of another
// process, and CreateProcessW starting a real child process of a program found by path.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/processes.h>
#include <win/psapi.h>
#include <win/windows.h>

namespace {

std::vector<DWORD> ProcessIds() {
    DWORD ids[64] = {};
    DWORD needed = 0;
    EXPECT_TRUE(EnumProcesses(ids, sizeof ids, &needed));
    return std::vector<DWORD>(ids, ids + needed / sizeof(DWORD));
}

std::u16string BaseNameOf(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (!process) return u"(not open)";
    HMODULE first = nullptr;
    DWORD needed = 0;
    WCHAR name[64] = {};
    EXPECT_TRUE(EnumProcessModules(process, &first, sizeof first, &needed));
    EXPECT_GT(GetModuleBaseNameW(process, first, name, 64), 0u);
    EXPECT_TRUE(CloseHandle(process));
    return name;
}

TEST(Processes, TheListStartsWithTheIdleProcessAndEndsWithThisOne) {
    palvex::TestMachine machine;
    const DWORD spooler = palvex::ListMachineProcess(u"C:\\Windows\\System32\\spoolsv.exe");
    const std::vector<DWORD> ids = ProcessIds();
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids.front(), 0u);
    EXPECT_EQ(ids[1], spooler);
    EXPECT_EQ(ids.back(), GetCurrentProcessId());
    EXPECT_EQ(BaseNameOf(spooler), u"spoolsv.exe");

    EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    palvex::UnlistMachineProcess(spooler);
    EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, spooler), nullptr);
    EXPECT_EQ(ProcessIds().size(), 2u);

    // A list cut short by the caller's buffer says how much it copied.
    DWORD one = 0;
    DWORD needed = 0;
    EXPECT_TRUE(EnumProcesses(&one, sizeof one, &needed));
    EXPECT_EQ(needed, sizeof(DWORD));
    EXPECT_FALSE(EnumProcesses(nullptr, 0, &needed));
    // A closed process handle is no longer one.
    HMODULE module = nullptr;
    EXPECT_FALSE(EnumProcessModules(reinterpret_cast<HANDLE>(0x1234), &module, sizeof module, &needed));
}

TEST(Processes, CreateProcessStartsAProgramThatIsListedWhileItRuns) {
    palvex::TestMachine machine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    WCHAR line[] = u"sleep \"60\"";
    ASSERT_TRUE(CreateProcessW(u"/bin/sleep", line, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                               &startup, &started))
        << GetLastError();
    EXPECT_NE(started.hProcess, nullptr);
    EXPECT_NE(started.hThread, nullptr);
    const std::vector<DWORD> ids = ProcessIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), started.dwProcessId), ids.end());
    EXPECT_EQ(BaseNameOf(started.dwProcessId), u"sleep");
    // Closing the handles does not end it.
    EXPECT_TRUE(CloseHandle(started.hProcess));
    EXPECT_TRUE(CloseHandle(started.hThread));
    ASSERT_EQ(palvex::MachineProcesses().size(), 1u);
    EXPECT_TRUE(palvex::MachineProcesses()[0].started);

    palvex::EndMachineProcesses();
    EXPECT_TRUE(palvex::MachineProcesses().empty());
}

TEST(Processes, CreateProcessRefusesWhatCannotRun) {
    palvex::TestMachine machine;
    const std::filesystem::path text = palvex::HostPath(u"C:\\Tools\\notes.txt");
    std::filesystem::create_directories(text.parent_path());
    std::ofstream(text) << "not a program";
    struct Case {
        const char16_t* path;
        DWORD error;
    };
    const Case cases[] = {
        {u"C:\\Tools\\missing.exe", ERROR_FILE_NOT_FOUND},
        {u"C:\\Nowhere\\missing.exe", ERROR_PATH_NOT_FOUND},
        {u"C:\\Tools\\notes.txt", ERROR_BAD_EXE_FORMAT},
        {u"C:\\Tools", ERROR_BAD_EXE_FORMAT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
        STARTUPINFOW startup{};
        PROCESS_INFORMATION started{};
        EXPECT_FALSE(CreateProcessW(c.path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(started.hProcess, nullptr);
    }
    EXPECT_TRUE(palvex::MachineProcesses().empty());
}

TEST(CriticalSection, TheOwningThreadMayEnterAgain) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_EQ(section.RecursionCount, 2);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    EXPECT_EQ(section.RecursionCount, 0);
    DeleteCriticalSection(&section);
    EXPECT_EQ(section.DebugInfo, nullptr);
}

}  // namespace
