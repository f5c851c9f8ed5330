// A scripted Pardex install onto a fresh simulated machine, in the installer's own process: a
// person agrees, lets the network search run (on the machine's virtual clock, so that its
// time-out costs no time), gives the printer's address by hand, keeps the proposed name, confirms,
// and the install runs to the completion page, where Finish (without restarting) ends the
// program. The baseline is the same program started on a fresh machine and closed at its first
// page. The time is the program's, from its start to its end after the completion page; setting
// up each machine is not timed. The install is printed as a ratio to its goal of 2 s.
// Afterwards the machine-database statements any one process of the install (the installer and
// the programs it starts) prepared more than once are listed (goal: none).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <palvex/clock.h>
#include <palvex/machine.h>
#include <palvex/network.h>
#include <palvex/paths.h>
#include <palvex/printer_setup.h>
#include <palvex/processes.h>
#include <win/windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ratio_report.h"
#include "resource.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char16_t kModel[] = u"Korvel Palvex QM410/QF410/QF380";
constexpr int kAnswerNo = 7;  // IDNO: no restart now

// Where the programs the benchmark starts write the statements they prepare more than once.
fs::path PrepareLog() {
    return fs::temp_directory_path() / ("palvex-bench-prepares-" + std::to_string(getpid()) + ".txt");
}

// A fresh machine as the installer finds it: its package in C:\Pardex with the driver files beside
// the INF, the system's printer-installation programs, one network adapter and a virtual clock.
class InstallMachine {
public:
    InstallMachine() {
        fs::create_directories(Host(u"C:\\Pardex"));
        fs::copy(PARDEX_PACKAGE, Host(u"C:\\Pardex"), fs::copy_options::recursive);
        std::ofstream(Host(u"C:\\Pardex\\Pardex.exe")) << "the installer";
        const fs::path drivers = PARDEX_DRIVER_FILES;
        const fs::path to = Host(u"C:\\Pardex\\0411");
        const std::pair<const char*, const char*> files[] = {
            {"TOVQEB.GPD", "TOVQEB.GPD"},          {"TOVQEBRES.DLL", "TOVQEBRES.DLL"},
            {"versions/tovqebui.dll", "tovqebui.dll"}, {"versions/tovqebxl.dll", "tovqebxl.dll"},
            {"versions/tovqebco.dll", "tovqebco.dll"}, {"versions/tovqebpp.dll", "tovqebpp.dll"}};
        for (const auto& [source, name] : files) fs::copy_file(drivers / source, to / name, fs::copy_options::overwrite_existing);
        std::ofstream(to / "TOVQEB.INI") << "[UIPSETTINGS]\n";
        palvex::InstallSetupPrograms(PARDEX_PRINTUI);
        palvex::SetNetworkAdapters({palvex::NetworkAdapter{"eth0", "Ethernet", {0, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}, 2, 6,
                                                           {{"192.168.1.20", "255.255.255.0"}}}});
        palvex::SetVirtualClock(SYSTEMTIME{2026, 12, 5, 11, 9, 0, 0, 0});
    }
    ~InstallMachine() { palvex::EndMachineProcesses(); }

    fs::path Host(const std::u16string& path) const { return palvex::HostPath(path); }
    fs::path Root() const { return m_machine.root(); }

    // Runs Pardex with the script; its exit code, -1 when it did not end normally.
    int Run(const std::string& script) const {
        std::ofstream(Root() / "user.txt") << script;
        std::vector<std::string> args{PARDEX_PROGRAM};
        std::vector<std::string> env{"PALVEX_MACHINE=" + Root().string(), "PALVEX_PROCESS_IMAGE=C:\\Pardex\\Pardex.exe",
                                     "PALVEX_UI_SCRIPT=" + (Root() / "user.txt").string(),
                                     "PALVEX_MESSAGE_BOX_LOG=" + (Root() / "boxes.txt").string(),
                                     "PALVEX_PREPARE_LOG=" + PrepareLog().string()};
        std::vector<char*> argv{args[0].data(), nullptr}, envp;
        for (auto& entry : env) envp.push_back(entry.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const bool started = posix_spawn(&pid, args[0].c_str(), &quiet, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&quiet);
        int status = 0;
        if (!started || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }

    std::string Read(const fs::path& file) const {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    palvex::TestMachine m_machine;
};

// The install by hand-given address, ending at the completion page.
std::string InstallScript(const fs::path& completion) {
    std::string script;
    auto line = [&](const std::string& text) { script += text + "\n"; };
    line("click " + std::to_string(IDC_BUTTON_AGREE));
    line("click " + std::to_string(IDC_BUTTON_NEXT));
    line("wait");  // the search's end
    line("click " + std::to_string(IDC_RADIO_MANUAL));
    line("click " + std::to_string(IDC_BUTTON_MANUALSET));
    line("click " + std::to_string(IDC_RADIO_IPADDR));
    line("text " + std::to_string(IDC_EDIT_IPADDR) + " 10.0.0.5");
    line("click " + std::to_string(IDOK));
    line("click " + std::to_string(IDC_BUTTON_NEXT));  // the port: on to the name
    line("click " + std::to_string(IDC_BUTTON_NEXT));  // the proposed name: on to the confirmation
    line("click " + std::to_string(IDC_BUTTON_NEXT));  // confirmed: the install runs
    line("dump " + completion.string());
    line("answer " + std::to_string(kAnswerNo));
    line("click " + std::to_string(IDC_BUTTON_END));
    return script;
}

bool Installed() {
    for (const auto& printer : palvex::ListPrinters())
        if (printer.name == kModel && printer.portName == u"IP_10.0.0.5") return true;
    return false;
}

void BM_ScriptedInstall(benchmark::State& state) {
    for (auto _ : state) {
        InstallMachine machine;
        const fs::path completion = machine.Root() / "complete.txt";
        const std::string script = InstallScript(completion);
        const Clock::time_point start = Clock::now();
        const int exitCode = machine.Run(script);
        const Clock::time_point end = Clock::now();
        if (exitCode != 0) return state.SkipWithError("Pardex did not end normally");
        if (machine.Read(completion).find("\"プリンタードライバーのインストールが完了しました。\"") == std::string::npos)
            return state.SkipWithError("the install did not reach the completion page");
        if (!Installed()) return state.SkipWithError("no printer on the given address");
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_ScriptedInstall)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The floor: the program started and closed at its first page.
void BM_StartAndClose(benchmark::State& state) {
    for (auto _ : state) {
        InstallMachine machine;
        const Clock::time_point start = Clock::now();
        const int exitCode = machine.Run("close\n");
        const Clock::time_point end = Clock::now();
        if (exitCode < 0) return state.SkipWithError("Pardex did not end");
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_StartAndClose)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The statements prepared more than once in one process, each with its most prepares in one
// process and the program that made them; the log is removed.
void ReportPreparedTwice() {
    struct Worst {
        size_t count = 0;
        std::string program;
    };
    std::map<std::string, Worst> texts;
    {
        std::ifstream log(PrepareLog());
        for (std::string line; std::getline(log, line);) {
            std::istringstream fields(line);
            std::string pid, program, count, sql;
            if (!std::getline(fields, pid, '\t') || !std::getline(fields, program, '\t') ||
                !std::getline(fields, count, '\t') || !std::getline(fields, sql))
                continue;
            Worst& worst = texts[sql];
            const size_t prepares = std::stoul(count);
            if (prepares > worst.count) worst = {prepares, program};
        }
    }
    std::error_code ignored;
    fs::remove(PrepareLog(), ignored);
    for (const auto& [sql, worst] : texts)
        std::printf("prepared %zu times in %s: %s\n", worst.count, worst.program.c_str(), sql.c_str());
    std::printf("statements prepared more than once: %zu (goal 0)\n", texts.size());
}

}  // namespace

int main(int argc, char** argv) {
    return palvex_bench::RunAndReport(argc, argv, 5, [](const palvex_bench::RatioReporter& reporter) {
        reporter.PrintAgainstGoal("scripted install to the completion page", "BM_ScriptedInstall", "BM_StartAndClose",
                                  2.0);
        ReportPreparedTwice();
    });
}
