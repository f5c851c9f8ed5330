// Waiting for a started program and reading its exit code (WaitForSingleObject on a process
// handle, GetExitCodeProcess, ExitProcess). The wait polls the child: a program of the machine is
// a host process, and its end is seen by reaping it. On a virtual clock the machine's time does
// not pass while the child works, so the wait lasts until the child ends; for a program that has
// marked itself hung (palvex/process_control.h) the wait's whole time passes at once instead.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include <palvex/process_control.h>
#include <win/processthreadsapi.h>
#include <win/synchapi.h>
#include <win/synchapi_events.h>

#include "kernel/processes.h"
#include "machine/api_guard.h"
#include "machine/machine_db.h"

namespace palvex {
namespace {

const db::SchemaPart kExitSchema(R"sql(
CREATE TABLE IF NOT EXISTS process_exit_codes (host_pid INTEGER PRIMARY KEY, code INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS hung_processes (host_pid INTEGER PRIMARY KEY);
)sql");

std::mutex g_mutex;
std::map<int, int>& Reaped() {
    static auto* reaped = new std::map<int, int>;
    return *reaped;
}

// The wait status of a child that has ended (reaping it), or none while it runs.
std::optional<int> EndedStatus(int pid) {
    {
        std::lock_guard lock(g_mutex);
        auto it = Reaped().find(pid);
        if (it != Reaped().end()) return it->second;
    }
    int status = 0;
    const pid_t waited = waitpid(pid, &status, WNOHANG);
    if (waited == pid) {
        NoteReapedChild(pid, status);
        return status;
    }
    if (waited < 0) return 0;  // not a child of this process: count it as gone
    return std::nullopt;
}

bool MarkedHung(int pid) {
    db::Statement read("SELECT 1 FROM hung_processes WHERE host_pid = ?1");
    read.Bind(1, static_cast<int64_t>(pid));
    return read.Step();
}

bool VirtualClock() {
    db::Statement read("SELECT 1 FROM machine_clock WHERE id = 1");
    return read.Step();
}

}  // namespace

void NoteReapedChild(int pid, int status) {
    std::lock_guard lock(g_mutex);
    Reaped()[pid] = status;
}

std::optional<DWORD> WaitProcessHandle(HANDLE process, DWORD milliseconds) {
    const auto id = OpenedProcessId(process);
    if (!id) return std::nullopt;
    const int pid = static_cast<int>(*id);
    bool virtualClock = false;
    try {
        virtualClock = VirtualClock();
    } catch (...) {
    }
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (EndedStatus(pid)) return WAIT_OBJECT_0;
        if (milliseconds == 0) return WAIT_TIMEOUT;
        if (virtualClock) {
            // The machine's time stands still while the program works; only a program that will
            // never end lets the whole wait pass, at once.
            bool hung = false;
            try {
                hung = MarkedHung(pid);
            } catch (...) {
            }
            if (hung && milliseconds != INFINITE) {
                Sleep(milliseconds);
                return WAIT_TIMEOUT;
            }
        } else if (milliseconds != INFINITE &&
                   std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(milliseconds)) {
            return WAIT_TIMEOUT;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void HangProcess() {
    try {
        db::Statement mark("INSERT OR REPLACE INTO hung_processes (host_pid) VALUES (?1)");
        mark.Bind(1, static_cast<int64_t>(getpid())).Run();
    } catch (...) {
    }
    for (;;) pause();
}

}  // namespace palvex

BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    const auto id = palvex::OpenedProcessId(hProcess);
    if (!id || !lpExitCode) return palvex::Finish(id ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    const auto status = palvex::EndedStatus(static_cast<int>(*id));
    if (!status) {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    DWORD code = WIFEXITED(*status) ? static_cast<DWORD>(WEXITSTATUS(*status)) : 0xC000013A;  // ended by a signal
    try {
        palvex::db::Statement read("SELECT code FROM process_exit_codes WHERE host_pid = ?1");
        read.Bind(1, static_cast<int64_t>(*id));
        if (read.Step() && (static_cast<DWORD>(read.Int(0)) & 0xFF) == code) code = static_cast<DWORD>(read.Int(0));
    } catch (...) {
    }
    *lpExitCode = code;
    return TRUE;
}

void ExitProcess(UINT uExitCode) {
    try {
        palvex::db::Statement keep("INSERT OR REPLACE INTO process_exit_codes (host_pid, code) VALUES (?1, ?2)");
        keep.Bind(1, static_cast<int64_t>(getpid())).Bind(2, static_cast<int64_t>(uExitCode)).Run();
    } catch (...) {
    }
    std::exit(static_cast<int>(uExitCode & 0xFF));
}
