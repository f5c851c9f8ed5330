// The Windows printer-installation commands as programs of the machine: PrintUI.exe, the same
// entry behind "rundll32.exe printui.dll,PrintUIEntry", and PnPUtil. The machine's
// C:\Windows\System32\PrintUI.exe, rundll32.exe and pnputil.exe are this program; it acts by the
// name it was started under. The exit code is 0 on success, else the Win32 error.
//
//   PrintUI /if /b NAME /f INF /r PORT /m MODEL [/Z "SHARE"]   driver package and a printer
//   PrintUI /ia /K /m MODEL /h x64|x86 [/v 3] /f INF           the driver alone
//   PrintUI /Xs /n NAME comment TEXT                           a printer's comment
//   PrintUI /dn /n NAME                                        a printer connection deleted
//   PrintUI /dl /n NAME                                        a local printer deleted
//   PrintUI /dd /m MODEL [/h x64|x86]                          a driver deleted
//   PrintUI /Ss /n NAME /a FILE                                a printer's settings into a file
//   PrintUI /Sr /n NAME /a FILE [f] [d]                        a printer's settings from a file
//   pnputil -f -d oemN.inf                                     a published driver package deleted
//
// A test forces an outcome with PALVEX_PRINTUI_FORCE in the environment it starts the installer
// with: "hang" (the command never ends) or "exit:N" (it ends at once with code N).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <palvex/printer_setup.h>
#include <palvex/process_control.h>
#include <palvex/utf8.h>
#include <win/processthreadsapi.h>
#include <win/windows.h>
#include <xpc.h>

namespace {

using Args = std::vector<std::u16string>;

std::u16string Lower(std::u16string text) {
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

// The value after an option ("/b", "/n", ...), empty when absent.
std::u16string Option(const Args& args, const char16_t* name) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (Lower(args[i]) == Lower(name)) return args[i + 1];
    return {};
}

bool Has(const Args& args, const char16_t* name) {
    for (const auto& arg : args)
        if (Lower(arg) == Lower(name)) return true;
    return false;
}

std::u16string Environment(const std::u16string& architecture) {
    return Lower(architecture) == u"x86" ? u"Windows NT x86" : u"Windows x64";
}

// The spooler has a new printer's driver initialise it: the driver's user interface compiles the
// printer's description into its settings blocks, which the print processor and the renderer read.
// The printer is made whatever the driver makes of it, as on Windows: a data file without a
// description the kit compiles shows when the printer is used, not here.
void InitializePrinter(const std::u16string& printerName) {
    std::u16string name = printerName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, &defaults)) return;
    CompileByHandle(printer);
    ClosePrinter(printer);
}

DWORD PrintUi(const Args& args) {
    if (Has(args, u"/if")) {
        palvex::PrinterSetup setup;
        setup.infPath = Option(args, u"/f");
        setup.model = Option(args, u"/m");
        setup.printerName = Option(args, u"/b");
        setup.portName = Option(args, u"/r");
        setup.shareName = Option(args, u"/Z");
        const DWORD installed = palvex::InstallPrinterPackage(setup);
        if (installed == ERROR_SUCCESS) InitializePrinter(setup.printerName);
        return installed;
    }
    if (Has(args, u"/ia")) {
        palvex::PrinterSetup setup;
        setup.infPath = Option(args, u"/f");
        setup.model = Option(args, u"/m");
        setup.environment = Environment(Option(args, u"/h"));
        return palvex::InstallPrinterPackage(setup);
    }
    if (Has(args, u"/Xs")) return palvex::SetPrinterComment(Option(args, u"/n"), Option(args, u"comment"));
    if (Has(args, u"/dn") || Has(args, u"/dl")) return palvex::DeletePrinterByName(Option(args, u"/n"));
    if (Has(args, u"/dd"))
        return palvex::DeleteDriverByName(Option(args, u"/m"), Environment(Option(args, u"/h")));
    if (Has(args, u"/Ss")) return palvex::SavePrinterSettings(Option(args, u"/n"), Option(args, u"/a"));
    if (Has(args, u"/Sr")) return palvex::RestorePrinterSettings(Option(args, u"/n"), Option(args, u"/a"));
    return ERROR_INVALID_PARAMETER;
}

DWORD PnpUtil(const Args& args) {
    if (Has(args, u"-d") || Has(args, u"/d")) {
        const std::u16string inf = args.empty() ? std::u16string{} : args.back();
        return palvex::DeletePublishedPackage(inf);
    }
    return ERROR_INVALID_PARAMETER;
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* force = std::getenv("PALVEX_PRINTUI_FORCE"); force && *force) {
        const std::string forced = force;
        if (forced == "hang") palvex::HangProcess();
        if (forced.rfind("exit:", 0) == 0) ExitProcess(static_cast<UINT>(std::strtoul(forced.c_str() + 5, nullptr, 10)));
    }
    const std::string program = Lower(palvex::FromUtf8(std::filesystem::path(argv[0]).stem().string())) == u"pnputil"
                                    ? "pnputil"
                                    : "printui";
    Args args;
    for (int i = 1; i < argc; ++i) args.push_back(palvex::FromUtf8(argv[i]));
    // rundll32 passes "printui.dll,PrintUIEntry" first.
    if (!args.empty() && Lower(args.front()).find(u"printui.dll") == 0) args.erase(args.begin());
    DWORD code = ERROR_INVALID_PARAMETER;
    try {
        code = program == "pnputil" ? PnpUtil(args) : PrintUi(args);
    } catch (...) {
        code = ERROR_INVALID_FUNCTION;
    }
    ExitProcess(code);
}
