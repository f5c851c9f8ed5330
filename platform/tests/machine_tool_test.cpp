#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/network.h>
#include <palvex/paths.h>
#include <win/prsht.h>
#include <win/windows.h>

#include "child_process.h"

namespace {

using palvex::testing::RunChild;

TEST(MachineTool, InitAddPrinterAndShow) {
    palvex::TestMachine machine;
    const auto root = machine.root() / "second";  // a machine the tool has to create

    auto init = RunChild(PALVEX_MACHINE_TOOL, {"init"}, root);
    EXPECT_EQ(init.exitCode, 0);
    EXPECT_EQ(init.output, "machine created: " + root.string() + "\n");
    init = RunChild(PALVEX_MACHINE_TOOL, {"init"}, root);
    EXPECT_EQ(init.output, "machine already there: " + root.string() + "\n");

    auto add = RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Palvex QX500", "Palvex QX500 Driver"}, root);
    EXPECT_EQ(add.exitCode, 0);
    EXPECT_EQ(add.output, "driver added: Palvex QX500 Driver\nprinter added: Palvex QX500 (Palvex QX500 Driver, FILE:)\n");
    add = RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Second", "palvex qx500 driver", "LPT1:"}, root);
    EXPECT_EQ(add.output, "printer added: Second (palvex qx500 driver, LPT1:)\n");
    add = RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "second", "Palvex QX500 Driver"}, root);
    EXPECT_EQ(add.exitCode, 1);  // already there

    // Printer data written here shows in the tool's listing.
    palvex::SetMachineRoot(root);
    std::u16string name = u"Palvex QX500";
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, &defaults));
    std::vector<BYTE> block(1234, 0x55);
    ASSERT_EQ(SetPrinterDataW(printer, std::u16string(u"OEMDEVMODE").data(), REG_BINARY, block.data(), 1234),
              static_cast<DWORD>(ERROR_SUCCESS));
    // A custom medium: a user form and its mark.
    std::u16string form = u"My Paper";
    FORM_INFO_1W info{FORM_USER, form.data(), SIZEL{100000, 150000}, RECTL{1, 1, 99999, 149999}};
    ASSERT_TRUE(AddFormW(printer, 1, reinterpret_cast<LPBYTE>(&info)));
    DWORD one = 1;
    ASSERT_EQ(SetPrinterDataExW(printer, u"CUSTOMMEDIA", form.c_str(), REG_DWORD, reinterpret_cast<LPBYTE>(&one), 4),
              static_cast<DWORD>(ERROR_SUCCESS));
    ClosePrinter(printer);
    palvex::SetMachineRoot(machine.root());

    const auto show = RunChild(PALVEX_MACHINE_TOOL, {"show"}, root);
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_EQ(show.output, "machine: " + root.string() + "\n"
                           "drivers: 1\n"
                           "  Palvex QX500 Driver [Windows x64]\n"
                           "printers: 2\n"
                           "  Palvex QX500\n"
                           "    driver: Palvex QX500 Driver, port: FILE:, print processor: winprint\n"
                           "    data: CUSTOMMEDIA\\My Paper  REG_DWORD  4 bytes\n"
                           "    data: PrinterDriverData\\OEMDEVMODE  REG_BINARY  1234 bytes\n"
                           "    form: My Paper  user  100000 x 150000 um\n"
                           "    custom medium: My Paper = 1\n"
                           "  Second\n"
                           "    driver: Palvex QX500 Driver, port: LPT1:, print processor: winprint\n"
                           "    form: My Paper  user  100000 x 150000 um\n");
}

TEST(MachineTool, RefusesWhatItDoesNotKnow) {
    palvex::TestMachine machine;
    EXPECT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"frobnicate"}, machine.root()).exitCode, 2);
    EXPECT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "OnlyAName"}, machine.root()).exitCode, 2);
    EXPECT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"show"}, machine.root() / "nothing").exitCode, 1);
}

}  // namespace

namespace {

TEST(MachineTool, EachCommandHasItsOwnHelp) {
    palvex::TestMachine machine;
    const auto root = machine.root() / "untouched";
    for (const char* command : {"init", "show", "add-printer", "install", "printer-settings", "set-account", "devmode",
                                "print", "capabilities"}) {
        SCOPED_TRACE(command);
        for (const std::vector<std::string>& args : {std::vector<std::string>{command, "--help"},
                                                     std::vector<std::string>{"help", command},
                                                     std::vector<std::string>{command, "some-folder", "-h"}}) {
            const auto help = RunChild(PALVEX_MACHINE_TOOL, args, root);
            EXPECT_EQ(help.exitCode, 0);
            EXPECT_EQ(help.output.rfind("usage: palvex-machine [--machine DIR] " + std::string(command), 0), 0u)
                << help.output;
            EXPECT_NE(help.output.find("\nexample:\n  palvex-machine "), std::string::npos) << help.output;
            EXPECT_EQ(help.errors, "");
        }
    }
    // Asking for help runs nothing: no machine was made, nothing installed.
    EXPECT_FALSE(std::filesystem::exists(root));
    const auto all = RunChild(PALVEX_MACHINE_TOOL, {"--help"}, root);
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_NE(all.output.find("`palvex-machine COMMAND --help` tells more"), std::string::npos);
}

TEST(MachineTool, AnUnknownPrinterGetsOneMessageNamingThePrintersThere) {
    palvex::TestMachine machine;
    const auto root = machine.root();
    const std::string none = "no printer \"Nope\" on this machine (it has no printers; `install` adds the model's)\n";
    const std::string some = "no printer \"Nope\" on this machine (its printers: \"Office\", \"Second\")\n";
    const std::vector<std::vector<std::string>> commands = {
        {"devmode", "Nope", (root / "x.devmode").string()},
        {"printer-settings", "Nope", "_USRACTPRN_ENABLED=1"},
        {"set-account", "Nope", "SecurePrintID=ana"},
        {"capabilities", "Nope", (root / "caps.xml").string()},
    };
    for (const std::string& expected : {none, some}) {
        if (expected == some) {
            ASSERT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Second", "Driver"}, root).exitCode, 0);
            ASSERT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Office", "Driver"}, root).exitCode, 0);
        }
        for (const auto& args : commands) {
            SCOPED_TRACE(args[0]);
            const auto run = RunChild(PALVEX_MACHINE_TOOL, args, root);
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.errors, "palvex-machine " + args[0] + ": " + expected);
        }
    }
    const auto spool = root / "doc.spl";
    ASSERT_EQ(RunChild(PALVEX_SPOOL_TOOL, {spool.string()}, root).exitCode, 0);
    const auto print = RunChild(PALVEX_MACHINE_TOOL, {"print", spool.string(), "--printer", "Nope"}, root);
    EXPECT_EQ(print.exitCode, 1);
    EXPECT_EQ(print.errors, "palvex-machine print: " + some);
}

// The provider trims a PrintCapabilities document given as a file; a file that is not XML is refused
// with the parser's reason.
TEST(MachineTool, CapabilitiesPrintsTheDocumentTheProviderLeaves) {
    palvex::TestMachine machine;
    const auto root = machine.root();
    ASSERT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Office", "Driver"}, root).exitCode, 0);
    const std::string head =
        "<psf:PrintCapabilities "
        "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
        "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "version=\"1\">";
    const auto caps = root / "caps.xml";
    std::ofstream(caps) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" << head << "\n"
                        << "  <psf:Feature name=\"psk:JobInputBin\">\n"
                        << "    <psf:Option name=\"psk:AutoSelect\"/>\n    <psf:Option name=\"psk:Manual\"/>\n"
                        << "  </psf:Feature>\n</psf:PrintCapabilities>\n";
    const auto run = RunChild(PALVEX_MACHINE_TOOL, {"capabilities", "Office", caps.string()}, root);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + head +
                              "<psf:Feature name=\"psk:JobInputBin\"><psf:Option name=\"psk:AutoSelect\"/>"
                              "</psf:Feature></psf:PrintCapabilities>\n");

    std::ofstream(caps) << head;  // no end tag
    const auto bad = RunChild(PALVEX_MACHINE_TOOL, {"capabilities", "Office", caps.string()}, root);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.output, "");
    EXPECT_EQ(bad.errors.rfind("palvex-machine capabilities: " + caps.string() + ": ", 0), 0u) << bad.errors;
}

// A file that is not a spool file is refused with where the reader stopped, and leaves no job and no
// spooled data behind.
TEST(MachineTool, PrintRefusesWhatIsNotASpoolFile) {
    palvex::TestMachine machine;
    const auto root = machine.root();
    ASSERT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Office", "Driver"}, root).exitCode, 0);
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;  // after the file's name
    };
    const Case cases[] = {
        {"empty", "", " is not an EMF spool file: byte 0: the file is shorter than the spool header (0 bytes)"},
        {"text", "Quarterly report\n", ": byte 0: not an EMF spool file (unknown version)"},
        {"random", std::string("\x9e\x41\x07\xff\x00\x13\x88\x21\x5a\xc3\x00\x00\x10\x00\x00\x00", 16),
         ": byte 0: not an EMF spool file (unknown version)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = root / (std::string(c.name) + ".spl");
        std::ofstream(file, std::ios::binary) << c.bytes;
        const auto print = RunChild(PALVEX_MACHINE_TOOL, {"print", file.string(), "--printer", "Office"}, root);
        EXPECT_EQ(print.exitCode, 1);
        EXPECT_EQ(print.errors, "palvex-machine print: " + file.string() + c.message + "\n");
    }
    EXPECT_TRUE(palvex::ListJobs(u"Office").empty());
    EXPECT_FALSE(std::filesystem::exists(palvex::HostPath(u"C:\\Windows\\System32\\spool\\PRINTERS")));
}

// A printer whose driver has no plug-in items still shows the universal driver's page; a script
// that does not press OK saves nothing.
TEST(MachineTool, PropertiesShowsTheSheetAsPicturesAndSavesOnlyWhatIsApplied) {
    palvex::TestMachine machine;
    const auto root = machine.root();
    ASSERT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Office", "Driver"}, root).exitCode, 0);
    const auto pictures = root / "pictures";
    const auto run = RunChild(PALVEX_MACHINE_TOOL, {"properties", "Office", "--pictures", pictures.string()}, root);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output, "picture: " + (pictures / "document-1.png").string() + "\npicture: " +
                              (pictures / "document.txt").string() + "\nthe document sheet was cancelled: nothing saved\n");
    EXPECT_GT(std::filesystem::file_size(pictures / "document-1.png"), 1000u);

    const auto script = root / "ok.script";
    std::ofstream(script) << "ok\n";
    const auto devmode = root / "job.devmode";
    const auto applied = RunChild(PALVEX_MACHINE_TOOL,
                                  {"properties", "Office", "--script", script.string(), "--devmode", devmode.string()}, root);
    EXPECT_EQ(applied.exitCode, 0) << applied.errors;
    EXPECT_TRUE(std::filesystem::exists(devmode));

    std::ofstream(script) << "jump 3\n";
    const auto bad = RunChild(PALVEX_MACHINE_TOOL, {"properties", "Office", "--script", script.string()}, root);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.errors, "palvex-machine properties: " + script.string() + ": a line is not understood\n");

    // Steps that find nothing to act on fail the command, and the job's DEVMODE is not written.
    std::filesystem::remove(devmode);
    std::ofstream(script) << "click 4242\ntab Nowhere\nok\n";
    const auto missed = RunChild(PALVEX_MACHINE_TOOL,
                                 {"properties", "Office", "--script", script.string(), "--devmode", devmode.string()}, root);
    EXPECT_EQ(missed.exitCode, 1);
    EXPECT_EQ(missed.errors, "palvex-machine properties: " + script.string() +
                                 ": steps found nothing to act on:\n  no control 4242\n  no row \"Nowhere\" in control " +
                                 std::to_string(ID_PSTABCONTROL) + "\n");
    EXPECT_FALSE(std::filesystem::exists(devmode));
}

TEST(MachineTool, PrintRefusesADevModeFileWhoseSizesDoNotMatch) {
    palvex::TestMachine machine;
    const auto root = machine.root();
    ASSERT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Office", "Driver"}, root).exitCode, 0);
    const auto spool = root / "job.spl";
    const auto devmode = root / "short.devmode";
    std::ofstream(devmode, std::ios::binary) << std::string(40, '\0');
    const auto print =
        RunChild(PALVEX_MACHINE_TOOL, {"print", spool.string(), "--printer", "Office", "--devmode", devmode.string()}, root);
    EXPECT_EQ(print.exitCode, 1);
    EXPECT_EQ(print.errors, "palvex-machine print: " + devmode.string() + " is not a DEVMODE (its sizes do not match the file)\n");
}

TEST(MachineTool, NetworkGivesTheMachineItsAdaptersAndPrinters) {
    palvex::TestMachine machine;
    const auto set = RunChild(PALVEX_MACHINE_TOOL,
                              {"network", "--adapter", "eth0", "192.168.1.20/24", "--agent", "192.168.1.40=16161"},
                              machine.root());
    ASSERT_EQ(set.exitCode, 0) << set.errors;
    EXPECT_EQ(set.output, "adapter: eth0 192.168.1.20 mask 255.255.255.0\n"
                          "printer: 192.168.1.40, its SNMP agent at 127.0.0.1:16161\n");
    const auto adapters = palvex::MachineNetworkAdapters();
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0].ipv4, (std::vector<palvex::NetworkAddress>{{"192.168.1.20", "255.255.255.0"}}));
    EXPECT_EQ(adapters[0].address.size(), 6u);
    EXPECT_EQ(palvex::MachineNetworkAgents(), (std::vector<palvex::NetworkAgent>{{"192.168.1.40", 16161}}));

    struct Case {
        std::vector<std::string> args;
        std::string error;
    } const cases[] = {
        {{"network", "--adapter", "eth0", "192.168.1.20"}, "an adapter's address is ADDRESS/MASK: 192.168.1.20"},
        {{"network", "--agent", "192.168.1.400=161"}, "the printer's address is no dotted IPv4 address: 192.168.1.400"},
        {{"network", "--agent", "192.168.1.40=0"}, "no UDP port: 0"},
        {{"network", "--bridge"}, "not understood: --bridge"},
    };
    for (const auto& c : cases) {
        const auto refused = RunChild(PALVEX_MACHINE_TOOL, c.args, machine.root());
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.errors, "palvex-machine network: " + c.error + "\n");
    }
    EXPECT_EQ(palvex::MachineNetworkAgents().size(), 1u);  // a refused command changes nothing
}

}  // namespace
