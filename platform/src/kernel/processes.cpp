// The machine's process list (palvex/processes.h), EnumProcesses and OpenProcess, and
// CreateProcessW, which starts a program of the machine as a real child process.
#include "kernel/processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/process_image.h>
#include <palvex/processes.h>
#include <win/processthreadsapi.h>
#include <win/psapi.h>

#include "machine/api_guard.h"
#include "kernel/kernel_objects.h"
#include "machine/machine_db.h"
#include "crt/utf16.h"

extern char** environ;

namespace palvex {
namespace {

const db::SchemaPart kProcessSchema(R"sql(
CREATE TABLE IF NOT EXISTS machine_processes (
    id INTEGER PRIMARY KEY,
    host_pid INTEGER,            -- a started program's host process id; NULL for a listed process
    image TEXT NOT NULL);
)sql");

// Ids of listed processes start here, above every host process id.
constexpr int64_t kListedIdBase = 0x40000000;

class ProcessObject : public kernel::KernelObject {
public:
    ProcessObject(DWORD id, std::u16string image) : m_id(id), m_image(std::move(image)) {}
    DWORD id() const { return m_id; }
    const std::u16string& image() const { return m_image; }

private:
    DWORD m_id;
    std::u16string m_image;
};

// A started program's thread handle: nothing is done with it but closing it.
class ThreadObject : public kernel::KernelObject {};

// Whether a host process still runs. A child of this process that has ended is reaped here.
bool HostProcessRuns(pid_t pid) {
    int status = 0;
    const pid_t waited = waitpid(pid, &status, WNOHANG);
    if (waited == pid) {
        NoteReapedChild(pid, status);
        return false;
    }
    if (waited == 0) return true;  // a running child
    if (kill(pid, 0) != 0) return false;
    // Another process's child that has ended but is not reaped yet counts as gone.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() || text[close + 2] != 'Z';
}

// The list's running processes; started programs that have ended are taken off it.
std::vector<MachineProcess> RunningProcesses() {
    std::vector<MachineProcess> running;
    std::vector<int64_t> ended;
    db::Statement read("SELECT id, host_pid, image FROM machine_processes ORDER BY id");
    while (read.Step()) {
        MachineProcess process;
        const bool started = !read.IsNull(1);
        if (started && !HostProcessRuns(static_cast<pid_t>(read.Int(1)))) {
            ended.push_back(read.Int(0));
            continue;
        }
        process.id = static_cast<DWORD>(started ? read.Int(1) : read.Int(0));
        process.image = read.Text16(2);
        process.started = started;
        running.push_back(std::move(process));
    }
    for (int64_t id : ended) {
        db::Statement remove("DELETE FROM machine_processes WHERE id = ?1");
        remove.Bind(1, id).Run();
    }
    return running;
}

// The program path of a running process of the machine, this one included.
std::optional<std::u16string> RunningImage(DWORD id) {
    if (id == static_cast<DWORD>(getpid())) return ProcessImagePath();
    for (const auto& process : RunningProcesses())
        if (process.id == id) return process.image;
    return std::nullopt;
}

// Splits a command line by the Windows rules for program arguments.
std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::u16string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == u' ' || line[at] == u'\t')) ++at;
        if (at >= line.size()) break;
        std::u16string word;
        bool quoted = false;
        for (; at < line.size() && (quoted || (line[at] != u' ' && line[at] != u'\t')); ++at) {
            if (line[at] == u'\\') {
                size_t slashes = 0;
                while (at < line.size() && line[at] == u'\\') ++slashes, ++at;
                if (at < line.size() && line[at] == u'"') {
                    word.append(slashes / 2, u'\\');
                    if (slashes % 2) {
                        word += u'"';
                        continue;
                    }
                    --at;
                } else {
                    word.append(slashes, u'\\');
                    --at;
                }
                continue;
            }
            if (line[at] == u'"') {
                quoted = !quoted;
                continue;
            }
            word += line[at];
        }
        words.push_back(std::move(word));
    }
    return words;
}

DWORD StartProgram(LPCWSTR applicationName, LPWSTR commandLine, LPPROCESS_INFORMATION information) {
    std::vector<std::u16string> words = commandLine ? SplitCommandLine(commandLine) : std::vector<std::u16string>{};
    std::u16string image;
    if (applicationName && *applicationName) {
        image = applicationName;
        if (!words.empty()) words.erase(words.begin());  // the line repeats the program's name
    } else {
        if (words.empty()) return ERROR_INVALID_PARAMETER;
        image = words.front();
        words.erase(words.begin());
    }
    const std::filesystem::path host = HostPath(image);
    if (host.empty()) return ERROR_BAD_PATHNAME;
    struct stat info {};
    if (stat(host.c_str(), &info) != 0) {
        std::error_code error;
        return std::filesystem::is_directory(host.parent_path(), error) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (!S_ISREG(info.st_mode) || access(host.c_str(), X_OK) != 0) return ERROR_BAD_EXE_FORMAT;

    std::vector<std::string> arguments{host.string()};
    for (const auto& word : words) arguments.push_back(text::ToUtf8(word));
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "PALVEX_MACHINE=", 15) != 0) environment.emplace_back(*entry);
    environment.push_back("PALVEX_MACHINE=" + MachineRoot().string());
    std::vector<char*> argv, envp;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, host.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return ERROR_BAD_EXE_FORMAT;
    db::Statement add("INSERT INTO machine_processes (host_pid, image) VALUES (?1, ?2)");
    add.Bind(1, static_cast<int64_t>(pid)).Bind(2, image).Run();
    information->dwProcessId = static_cast<DWORD>(pid);
    information->dwThreadId = static_cast<DWORD>(pid);
    information->hProcess = kernel::KernelHandles().Insert(std::make_shared<ProcessObject>(information->dwProcessId, image));
    information->hThread = kernel::KernelHandles().Insert(std::make_shared<ThreadObject>());
    return ERROR_SUCCESS;
}

}  // namespace

std::optional<std::u16string> OpenedProcessImage(HANDLE process) {
    const auto object = kernel::FindKernelObject<ProcessObject>(process);
    if (!object) return std::nullopt;
    return object->image();
}

std::optional<DWORD> OpenedProcessId(HANDLE process) {
    const auto object = kernel::FindKernelObject<ProcessObject>(process);
    if (!object) return std::nullopt;
    return object->id();
}

DWORD ListMachineProcess(const std::u16string& image) {
    db::Statement count("SELECT COALESCE(MAX(id), 0) FROM machine_processes");
    count.Step();
    const int64_t id = std::max(count.Int(0) + 1, kListedIdBase);
    db::Statement add("INSERT INTO machine_processes (id, host_pid, image) VALUES (?1, NULL, ?2)");
    add.Bind(1, id).Bind(2, image).Run();
    return static_cast<DWORD>(id);
}

void UnlistMachineProcess(DWORD id) {
    db::Statement remove("DELETE FROM machine_processes WHERE id = ?1 AND host_pid IS NULL");
    remove.Bind(1, static_cast<int64_t>(id)).Run();
}

std::vector<MachineProcess> MachineProcesses() {
    return RunningProcesses();
}

void EndMachineProcesses() {
    for (const auto& process : RunningProcesses()) {
        if (!process.started) continue;
        const pid_t pid = static_cast<pid_t>(process.id);
        kill(pid, SIGTERM);
        int status = 0;
        if (waitpid(pid, &status, 0) == pid) NoteReapedChild(pid, status);  // reaps a child of this process; others fail at once
    }
    db::Statement clear("DELETE FROM machine_processes");
    clear.Run();
}

}  // namespace palvex

DWORD GetCurrentProcessId(void) {
    return static_cast<DWORD>(getpid());
}

BOOL EnumProcesses(DWORD* lpidProcess, DWORD cb, LPDWORD lpcbNeeded) {
    if (!lpidProcess || !lpcbNeeded) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    return palvex::Finish(palvex::GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        std::vector<DWORD> ids{0};
        const DWORD self = GetCurrentProcessId();
        for (const auto& process : palvex::RunningProcesses())
            if (process.id != self) ids.push_back(process.id);
        ids.push_back(self);
        const size_t copied = std::min<size_t>(ids.size(), cb / sizeof(DWORD));
        std::memcpy(lpidProcess, ids.data(), copied * sizeof(DWORD));
        *lpcbNeeded = static_cast<DWORD>(copied * sizeof(DWORD));
        return ERROR_SUCCESS;
    }));
}

HANDLE OpenProcess(DWORD, BOOL, DWORD dwProcessId) {
    std::optional<std::u16string> image;
    const DWORD error = palvex::GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        if (dwProcessId != 0) image = palvex::RunningImage(dwProcessId);
        return image ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    return palvex::kernel::KernelHandles().Insert(std::make_shared<palvex::ProcessObject>(dwProcessId, *image));
}

BOOL CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW lpStartupInfo,
                    LPPROCESS_INFORMATION lpProcessInformation) {
    if (!lpStartupInfo || !lpProcessInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpProcessInformation = PROCESS_INFORMATION{};
    return palvex::Finish(palvex::GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        return palvex::StartProgram(lpApplicationName, lpCommandLine, lpProcessInformation);
    }));
}
