// The installer as a person runs it, in its own process on a fresh machine: a script of the user's
// steps finds the printer that net-snmp's snmpd answers for, ticks it, names the printer, confirms
// and installs, and finishes on the completion page. A job then prints on the new printer.
#include <spawn.h>
#include <sys/wait.h>

#include <palvex/clock.h>
#include <palvex/network.h>
#include <palvex/port_output.h>
#include <palvex/printer_settings.h>
#include <win/winreg.h>
#include <win/winspool_admin.h>

#include "resource.h"
#include "snmp_test_peers.h"
#include "worker_fixture.h"

namespace {

using namespace palvex::testing;
using pardex::testing::kModel;
using pardex::testing::WorkerMachine;

constexpr char kMib[] = "1.3.6.1.4.1.32473.1.205.1.1.1.0";

struct Child {
    int exitCode = -1;
};

Child RunProgram(const std::string& program, const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv, envp;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = environment;
    for (auto& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    Child child;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return child;
    int status = 0;
    waitpid(pid, &status, 0);
    child.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return child;
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ScriptedPardex : public WorkerMachine {
protected:
    void SetUp() override {
        WorkerMachine::SetUp();
        m_drvData.m_log.Close();
        StageDriverFiles();
        std::ofstream(Host(u"C:\\Pardex\\Pardex.exe")) << "the installer";  // kept for the removal
        palvex::SetNetworkAdapters({palvex::NetworkAdapter{"eth0", "Ethernet", {0, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}, 2, 6, {{"192.168.1.20", "255.255.255.0"}}}});
        std::filesystem::create_directories(PARDEX_PICTURES);
    }
    std::vector<std::string> Environment() const {
        return {"PALVEX_MACHINE=" + m_machine.root().string(), "PALVEX_PROCESS_IMAGE=C:\\Pardex\\Pardex.exe",
                "PALVEX_UI_SCRIPT=" + (m_machine.root() / "user.txt").string(),
                "PALVEX_MESSAGE_BOX_LOG=" + (m_machine.root() / "boxes.txt").string()};
    }
    std::string Picture(const char* name) const { return (std::filesystem::path(PARDEX_PICTURES) / name).string(); }
};

TEST_F(ScriptedPardex, FindsThePrinterAnsweredBySnmpdAndInstallsIt) {
    if (Snmpd::Program().empty()) GTEST_SKIP() << "net-snmp's snmpd is not installed (scripts/setup.sh installs it)";
    Snmpd snmpd({"sysdescr Korvel Palvex QF410", std::string("override .") + kMib + " integer 1"});
    ASSERT_TRUE(snmpd.running()) << snmpd.error();
    palvex::SetNetworkAgents({{"192.168.1.40", snmpd.port()}});

    const std::string tree = (m_machine.root() / "complete.txt").string();
    std::ofstream(m_machine.root() / "user.txt")
        << "# agree, install, wait for the search\n"
        << "click " << IDC_BUTTON_AGREE << "\nclick " << IDC_BUTTON_NEXT << "\nwait\n"
        << "picture " << Picture("pardex-process-printerport.png") << "\n"
        << "tick " << IDC_LIST_PRINTERS << " 0\nclick " << IDC_BUTTON_NEXT << "\n"
        << "# the proposed name stays; a comment, and the default printer\n"
        << "text " << IDC_EDIT_COMMENT << " 2nd floor\ncheck " << IDC_CHECK_DEFAULT << " 1\n"
        << "picture " << Picture("pardex-process-printername.png") << "\nclick " << IDC_BUTTON_NEXT << "\n"
        << "picture " << Picture("pardex-process-confirm.png") << "\nclick " << IDC_BUTTON_NEXT << "\n"
        << "picture " << Picture("pardex-process-complete.png") << "\ndump " << tree << "\n"
        << "# Finish, and no restart now\nanswer " << IDNO << "\nclick " << IDC_BUTTON_END << "\n";
    const Child pardex = RunProgram(PARDEX_PROGRAM, {}, Environment());
    EXPECT_EQ(pardex.exitCode, 0);

    // The only message box was the restart question at Finish.
    EXPECT_EQ(ReadAll(m_machine.root() / "boxes.txt"),
              "Korvel Palvex セットアップ\t変更を有効にするにはコンピューターを再起動する必要があります。\\n今すぐ再起動しますか？\t52\t7\n");
    EXPECT_NE(ReadAll(tree).find("\"プリンタードライバーのインストールが完了しました。\""), std::string::npos) << ReadAll(tree);

    // The found printer's port, the driver, its print processor and the printer on that port.
    const auto ports = palvex::ListPorts();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].name, u"IP_192.168.1.40");
    const auto drivers = palvex::ListDrivers();
    ASSERT_EQ(drivers.size(), 1u);
    EXPECT_EQ(drivers[0].name, kModel);
    EXPECT_TRUE(palvex::PrintProcessorFile(u"tovqebpp").has_value());
    const auto printers = palvex::ListPrinters();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, kModel);
    EXPECT_EQ(printers[0].portName, u"IP_192.168.1.40");
    EXPECT_EQ(printers[0].printProcessor, u"tovqebpp");
    EXPECT_EQ(palvex::GetPrinterSettings(kModel).comment, u"2nd floor");
    WCHAR defaultPrinter[64] = {};
    DWORD size = 64;
    ASSERT_TRUE(GetDefaultPrinterW(defaultPrinter, &size));
    EXPECT_EQ(std::u16string(defaultPrinter), kModel);

    // A job prints on it: the port receives a printer job.
    const std::string spool = (m_machine.root() / "letter.spl").string();
    const std::vector<std::string> machine{"PALVEX_MACHINE=" + m_machine.root().string()};
    ASSERT_EQ(RunProgram(PALVEX_SPOOL_TOOL, {spool, "--pages", "1"}, machine).exitCode, 0);
    EXPECT_EQ(RunProgram(PALVEX_MACHINE_TOOL, {"print", spool, "--printer", palvex::ToUtf8(kModel)}, machine).exitCode, 0);
    const std::string output = ReadAll(palvex::PortOutputPath(u"IP_192.168.1.40"));
    EXPECT_EQ(output.rfind("\x1B%-12345X@PJL JOB", 0), 0u) << output.substr(0, 40);
}

}  // namespace
