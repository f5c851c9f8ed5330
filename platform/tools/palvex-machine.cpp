// palvex-machine: the command line of the simulated machine.
//
//   palvex-machine [--machine DIR] COMMAND [ARGS...]
//
// The machine is DIR, else $PALVEX_MACHINE, else the build's default machine folder. Each command
// is one entry of the table below: its name, its arguments and the function that runs it.
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/utf8.h>
#include <win/windows.h>

namespace {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
    size_t minArgs;
    size_t maxArgs;
    std::function<int(const Args&)> run;
};

std::string Narrow(const std::u16string& text) {
    return palvex::ToUtf8(text);
}

std::u16string Wide(const std::string& text) {
    return palvex::FromUtf8(text);
}

const char* TypeName(DWORD type) {
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "REG_?";
    }
}

bool MachineExists() {
    return std::filesystem::exists(palvex::MachineRoot() / "machine.db");
}

int Init(const Args&) {
    const bool existed = MachineExists();
    palvex::InitMachine(palvex::MachineRoot());
    std::cout << (existed ? "machine already there: " : "machine created: ") << palvex::MachineRoot().string() << "\n";
    return 0;
}

int Show(const Args&) {
    if (!MachineExists()) {
        std::cerr << "palvex-machine: no machine at " << palvex::MachineRoot().string() << " (run init first)\n";
        return 1;
    }
    std::cout << "machine: " << palvex::MachineRoot().string() << "\n";
    const auto drivers = palvex::ListDrivers();
    std::cout << "drivers: " << drivers.size() << "\n";
    for (const auto& d : drivers) {
        std::cout << "  " << Narrow(d.name) << " [" << Narrow(d.environment) << "]\n";
        if (!d.driverPath.empty()) std::cout << "    driver: " << Narrow(d.driverPath) << "\n";
        if (!d.configFile.empty()) std::cout << "    config: " << Narrow(d.configFile) << "\n";
        if (!d.dataFile.empty()) std::cout << "    data: " << Narrow(d.dataFile) << "\n";
        for (const auto& f : d.dependentFiles) std::cout << "    file: " << Narrow(f) << "\n";
    }
    const auto printers = palvex::ListPrinters();
    std::cout << "printers: " << printers.size() << "\n";
    for (const auto& p : printers) {
        std::cout << "  " << Narrow(p.name) << "\n";
        std::cout << "    driver: " << Narrow(p.driverName) << ", port: " << Narrow(p.portName)
                  << ", print processor: " << Narrow(p.printProcessor) << "\n";
        if (p.deniedAccess != 0) {
            char mask[16];
            std::snprintf(mask, sizeof mask, "0x%08X", p.deniedAccess);
            std::cout << "    denied access: " << mask << "\n";
        }
        for (const auto& v : palvex::ListPrinterData(p.name))
            std::cout << "    data: " << Narrow(v.key) << "\\" << Narrow(v.valueName) << "  " << TypeName(v.type) << "  "
                      << v.size << " bytes\n";
    }
    return 0;
}

int AddPrinter(const Args& args) {
    const std::u16string printer = Wide(args[0]);
    const std::u16string driver = Wide(args[1]);
    const std::u16string port = args.size() > 2 ? Wide(args[2]) : u"FILE:";
    palvex::InitMachine(palvex::MachineRoot());
    bool driverAdded = false;
    try {
        palvex::AddPrinter(printer, driver, port);
    } catch (const palvex::MachineError& e) {
        if (e.code() != ERROR_UNKNOWN_PRINTER_DRIVER) throw;
        palvex::DriverDesc entry;
        entry.name = driver;
        palvex::AddDriver(entry);
        driverAdded = true;
        palvex::AddPrinter(printer, driver, port);
    }
    if (driverAdded) std::cout << "driver added: " << args[1] << "\n";
    std::cout << "printer added: " << args[0] << " (" << args[1] << ", " << Narrow(port) << ")\n";
    return 0;
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"init", "", "create the machine (an existing one is left as it is)", 0, 0, Init},
        {"show", "", "print the drivers, printers and printer data", 0, 0, Show},
        {"add-printer", "NAME DRIVER [PORT]", "add a printer (and a driver entry when it is missing)", 2, 3, AddPrinter},
    };
    return commands;
}

void Usage(std::ostream& out) {
    out << "usage: palvex-machine [--machine DIR] COMMAND [ARGS...]\n\ncommands:\n";
    for (const auto& c : Commands()) {
        std::string head = std::string(c.name) + (*c.arguments ? " " : "") + c.arguments;
        out << "  " << head << std::string(head.size() < 30 ? 30 - head.size() : 1, ' ') << c.summary << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    Args args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--machine") {
        palvex::SetMachineRoot(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "help") {
        Usage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? 2 : 0;
    }
    for (const auto& command : Commands()) {
        if (args[0] != command.name) continue;
        const Args rest(args.begin() + 1, args.end());
        if (rest.size() < command.minArgs || rest.size() > command.maxArgs) {
            std::cerr << "usage: palvex-machine " << command.name << " " << command.arguments << "\n";
            return 2;
        }
        try {
            return command.run(rest);
        } catch (const std::exception& e) {
            std::cerr << "palvex-machine " << command.name << ": " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "palvex-machine: unknown command '" << args[0] << "'\n";
    Usage(std::cerr);
    return 2;
}
