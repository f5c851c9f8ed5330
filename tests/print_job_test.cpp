// A job printed end to end on a fresh machine, through the machine's command line as a person runs
// it: the package installed, a spool file made, the job printed through the print processor and
// the render plug-in, and the printer's bytes read from the port's file.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/port_output.h>
#include <win/windows.h>

#include "printer_port.h"

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a tool on the machine; its exit code and what it wrote to standard output.
struct ToolResult {
    int exitCode = -1;
    std::string output;
};

ToolResult RunTool(const std::string& tool, const std::filesystem::path& root, const std::vector<std::string>& args) {
    std::string command = Quoted(tool);
    if (tool == PALVEX_MACHINE_TOOL) command += " --machine " + Quoted(root.string());
    for (const auto& arg : args) command += " " + Quoted(arg);
    ToolResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[512];
    while (size_t read = std::fread(buffer, 1, sizeof buffer, pipe)) result.output.append(buffer, read);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

const std::string kUel = "\x1b%-12345X";
// CloseDataSource and EndSession, then the job's end: UEL, "@PJL EOJ", UEL.
const std::string kJobEnd = "\x49\x42" + kUel + "@PJL EOJ\n" + kUel;
// An A4 sheet's start in PCL XL: MediaSize eA4Paper (ubyte 2, attribute 0x25), BeginPage.
const std::string kA4SheetStart = "\xC0\x02\xF8\x25\x43";

// A fresh machine with the package installed, and the machine's command line on it.
struct InstalledMachine {
    InstalledMachine() {
        Tool({"init"});
        Tool({"install", PALVEX_PACKAGE_FOLDER});
    }
    ToolResult Tool(const std::vector<std::string>& args) {
        const ToolResult result = RunTool(PALVEX_MACHINE_TOOL, machine.root(), args);
        EXPECT_EQ(result.exitCode, 0) << args[0] << ": " << result.output;
        return result;
    }
    std::filesystem::path root() const { return machine.root(); }

    palvex::TestMachine machine;
    const std::string printer = "Palvex QX500";
};

struct JobCase {
    const char* name;
    bool heldAndTracked;  // held job, user tracking and the user's accounts
    const char* nupPages;    // the stored pages-per-sheet choice (1: 2 pages a sheet)
    std::string headerTail;  // what follows the job identifier's line up to the PCL XL switch
    size_t sheets;
};

TEST(PrintJob, PrintsASpoolFileThroughTheMachinesCommandLine) {
    const JobCase cases[] = {
        {"plain", false, "0",
         "@PJL SET HOLD=OFF\n@PJL SET QVNIN1=1\n@PJL SET DUPLEX=OFF\n@PJL ENTER LANGUAGE=PCLXL\n", 4},
        {"held, tracked, 2 a sheet", true, "1",
         "@PJL SET HOLD=STORE\n@PJL SET QVHOLDID=\"ana\"\n@PJL SET QVHOLDKEY=\"2468\"\n"
         "@PJL SET QVUSERID=\"ana.k\"\n@PJL SET QVUSERKEY=\"1357\"\n"
         "@PJL SET QVNIN1=2\n@PJL SET DUPLEX=OFF\n@PJL ENTER LANGUAGE=PCLXL\n",
         2},
    };
    for (const JobCase& c : cases) {
        SCOPED_TRACE(c.name);
        InstalledMachine installed;
        const auto root = installed.root();
        const std::string& printer = installed.printer;
        auto machineTool = [&](const std::vector<std::string>& args) { return installed.Tool(args); };
        std::vector<std::string> settings = {"--set", std::string("_NUP_PAGES=") + c.nupPages};
        if (c.heldAndTracked) {
            machineTool({"printer-settings", printer, "_USRACTPRN_ENABLED=1"});
            machineTool({"set-account", printer, "SecurePrintID=ana", "SecurePrintPWD=2468", "UserManagePrintID=ana.k",
                         "UserManagePrintPWD=1357"});
            settings.insert(settings.end(), {"--set", "_PRINT_TYPE=1"});
        }
        const std::string devMode = (root / "job.devmode").string();
        const std::string spool = (root / "report.spl").string();
        std::vector<std::string> devModeArgs = {"devmode", printer, devMode};
        devModeArgs.insert(devModeArgs.end(), settings.begin(), settings.end());
        machineTool(devModeArgs);
        ASSERT_EQ(RunTool(PALVEX_SPOOL_TOOL, root, {spool, "--pages", "4", "--devmode", devMode}).exitCode, 0);
        std::vector<std::string> printArgs = {"print", spool, "--printer", printer, "--document", "Quarterly \"Q3\" report"};
        printArgs.insert(printArgs.end(), settings.begin(), settings.end());
        const ToolResult printed = machineTool(printArgs);

        const std::filesystem::path port = palvex::PortOutputPath(u"FILE:");
        const std::string output = ReadAll(port);
        EXPECT_NE(printed.output.find("job 1 printed: bytes 0 to " + std::to_string(output.size()) + " of " +
                                      port.string()),
                  std::string::npos)
            << printed.output;

        const std::string head = kUel + "@PJL JOB\n@PJL COMMENT \"";
        ASSERT_EQ(output.rfind(head, 0), 0u) << output.substr(0, 80);
        const size_t commentEnd = output.find("\"\n", head.size());
        ASSERT_NE(commentEnd, std::string::npos);
        // The installed UI module's and universal driver's file versions, on the fresh machine's
        // Windows 10 without edition words.
        EXPECT_EQ(output.substr(head.size(), commentEnd - head.size()),
                  "Palvex QX500 (1.01.0002.0); Microsoft Windows 10.0.19045 ; Unidrv 10.0.19041.1");
        // The document name's double quotes cannot be carried in a PJL string: they are replaced.
        const std::string middle = "@PJL SET QVSTRINGCODESET=UTF8\n@PJL SET JOBNAME=\"Quarterly 'Q3' report\"\n"
                                   "@PJL SET USERNAME=\"User\"\n@PJL SET QVJOBID=\"";
        EXPECT_EQ(output.compare(commentEnd + 2, middle.size(), middle), 0) << output.substr(0, 400);
        const size_t id = output.find("@PJL SET QVJOBID=\"", commentEnd);
        ASSERT_NE(id, std::string::npos);
        const size_t tail = id + 18 + 25;  // the identifier's 25 characters
        EXPECT_EQ(output.compare(tail, 2, "\"\n"), 0) << output.substr(id, 50);
        EXPECT_EQ(output.compare(tail + 2, c.headerTail.size(), c.headerTail), 0) << output.substr(id, 300);

        EXPECT_EQ(Count(output, kA4SheetStart), c.sheets);
        ASSERT_GE(output.size(), kJobEnd.size());
        EXPECT_EQ(output.substr(output.size() - kJobEnd.size()), kJobEnd);
    }
}

// The user chooses two pages a sheet on the document sheet's Layout page; the DEVMODE the sheet
// saves makes the print processor put two pages on each sheet.
TEST(PrintJob, TwoPagesASheetChosenInTheDocumentSheetArePrintedTwoToASheet) {
    InstalledMachine installed;
    const auto root = installed.root();
    // The printer moves to a local port: the file port leaves the layout page's features off.
    ASSERT_TRUE(palvex::testing::MovePrinterToPort(std::u16string(installed.printer.begin(), installed.printer.end()),
                                                   u"LPT1:"));
    const std::filesystem::path script = root / "two-up.script";
    std::ofstream(script) << "tab 1\nspin 2254 1\nok\n";
    const std::string devMode = (root / "job.devmode").string();
    const ToolResult sheet =
        installed.Tool({"properties", installed.printer, "--document", "--script", script.string(), "--devmode", devMode});
    EXPECT_NE(sheet.output.find("applied: _NUP_PAGES=1"), std::string::npos) << sheet.output;
    const std::string spool = (root / "four.spl").string();
    ASSERT_EQ(RunTool(PALVEX_SPOOL_TOOL, root, {spool, "--pages", "4", "--devmode", devMode}).exitCode, 0);
    installed.Tool({"print", spool, "--printer", installed.printer, "--devmode", devMode});

    const std::string output = ReadAll(palvex::PortOutputPath(u"LPT1:"));
    EXPECT_EQ(Count(output, "@PJL SET QVNIN1=2\n"), 1u);
    EXPECT_EQ(Count(output, kA4SheetStart), 2u);
}

// Copies are made once: by the print processor, which then asks the printer for one of each
// sheet, or by the printer, told by "@PJL SET QTY=n". Both at once would print n x n.
TEST(PrintJob, CopiesAreMadeEitherByTheProcessorOrByThePrinter) {
    struct CopiesCase {
        const char* name;
        const char* duplexType;  // the printer's duplex unit: 2 is a manual duplex
        short duplex, collate;
        size_t qtyLines;
        size_t sheets;  // page frames in the printer's bytes, for two pages in two copies
    };
    const CopiesCase cases[] = {
        {"collated: the processor plays the document twice", "0", DMDUP_SIMPLEX, DMCOLLATE_TRUE, 0, 4},
        {"uncollated: the printer makes the copies", "0", DMDUP_SIMPLEX, DMCOLLATE_FALSE, 1, 2},
        {"manual duplex: the processor plays each side twice", "2", DMDUP_VERTICAL, DMCOLLATE_FALSE, 0, 4},
    };
    for (const CopiesCase& c : cases) {
        SCOPED_TRACE(c.name);
        InstalledMachine installed;
        const auto root = installed.root();
        const std::string& printer = installed.printer;
        auto machineTool = [&](const std::vector<std::string>& args) { installed.Tool(args); };
        machineTool({"printer-settings", printer, std::string("_DUPLEXTYPE=") + c.duplexType});
        const std::filesystem::path devModeFile = root / "job.devmode";
        machineTool({"devmode", printer, devModeFile.string()});
        std::string devMode = ReadAll(devModeFile);
        ASSERT_GE(devMode.size(), sizeof(DEVMODEW));
        auto* fields = reinterpret_cast<DEVMODEW*>(devMode.data());
        fields->dmFields |= DM_COPIES | DM_DUPLEX | DM_COLLATE;
        fields->dmCopies = 2;
        fields->dmDuplex = c.duplex;
        fields->dmCollate = c.collate;
        std::ofstream(devModeFile, std::ios::binary) << devMode;
        const std::string spool = (root / "two.spl").string();
        ASSERT_EQ(RunTool(PALVEX_SPOOL_TOOL, root, {spool, "--pages", "2", "--devmode", devModeFile.string()}).exitCode, 0);
        machineTool({"print", spool, "--printer", printer});

        const std::string output = ReadAll(palvex::PortOutputPath(u"FILE:"));
        EXPECT_EQ(Count(output, "@PJL SET QTY="), c.qtyLines);
        EXPECT_EQ(Count(output, "@PJL SET QTY=2\n"), c.qtyLines);
        EXPECT_EQ(Count(output, kA4SheetStart), c.sheets);
    }
}

}  // namespace
