// palvex-machine: the command line of the simulated machine.
//
//   palvex-machine [--machine DIR] COMMAND [ARGS...]
//
// The machine is DIR, else $PALVEX_MACHINE, else the build's default machine folder. Each command
// is one entry of the table below: its name, its arguments and the function that runs it.
//
// A package folder (install) holds the model's files where the build leaves them (build/package/
// driver): the data file, the resource library and the modules' files with their version
// resources. Only the files the package lists are installed; the code that runs for a module is the
// build's library of that name.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include <job_runner.h>
#include <span>
#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/port_output.h>
#include <palvex/printer_setup.h>
#include <palvex/recording_dc.h>
#include <palvex/utf8.h>
#include <render_host.h>
#include <spooler_job.h>
#include <ticket_host.h>
#include <ui_host.h>
#include <ui_plugin_capabilities.h>
#include <palvex/ui_script.h>
#include <win/compstui.h>
#include <win/windows.h>
#include <win/winspool_forms.h>
#include <codrvsettings.h>
#include <xpc.h>
#include <xpr.h>

#include "../src/gdi/emf_spool_reader.h"
#include "machine/network_usb_commands.h"

namespace {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
    size_t minArgs;
    size_t maxArgs;
    std::function<int(const Args&)> run;
    const char* details;  // what it does, for its --help
    const char* example;
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
    // What every Windows has: the printer-installation programs an installer starts, and the
    // system's INF folder that driver packages are published into.
    palvex::InstallSetupPrograms(PALVEX_PRINTUI_PROGRAM);
    std::filesystem::create_directories(palvex::HostPath(u"C:\\Windows\\INF"));
    std::cout << (existed ? "machine already there: " : "machine created: ") << palvex::MachineRoot().string() << "\n";
    return 0;
}

// The forms a printer's handle lists besides the built-in ones (the machine's forms, so every
// printer lists the same), and the custom media its driver
// registered (the values under its "CUSTOMMEDIA" key).
void ShowForms(const std::u16string& printerName) {
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), &printer, nullptr)) return;
    DWORD needed = 0;
    DWORD count = 0;
    std::vector<BYTE> buffer;
    if (!EnumFormsW(printer, 1, nullptr, 0, &needed, &count) && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(needed);
        if (!EnumFormsW(printer, 1, buffer.data(), needed, &needed, &count)) count = 0;
    }
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (forms[i].Flags & FORM_BUILTIN) continue;
        std::cout << "    form: " << Narrow(forms[i].pName) << "  " << (forms[i].Flags & FORM_PRINTER ? "printer" : "user")
                  << "  " << forms[i].Size.cx << " x " << forms[i].Size.cy << " um\n";
    }
    for (const auto& v : palvex::ListPrinterData(printerName)) {
        if (palvex::ToUtf8(v.key) != "CUSTOMMEDIA") continue;
        DWORD value = 0;
        DWORD type = 0;
        const bool read = GetPrinterDataExW(printer, u"CUSTOMMEDIA", v.valueName.c_str(), &type,
                                            reinterpret_cast<LPBYTE>(&value), sizeof value, &needed) == ERROR_SUCCESS;
        std::cout << "    custom medium: " << Narrow(v.valueName) << " = "
                  << (read && type == REG_DWORD ? std::to_string(value) : std::string("?")) << "\n";
    }
    ClosePrinter(printer);
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
        ShowForms(p.name);
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


// --- Printer access ------------------------------------------------------------------------------

class PrinterHandle {
public:
    explicit PrinterHandle(const std::u16string& name) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        std::u16string copy = name;
        if (!OpenPrinterW(copy.data(), &m_handle, &defaults))
            throw std::runtime_error("cannot open printer " + Narrow(name) + " (error " + std::to_string(GetLastError()) + ")");
    }
    ~PrinterHandle() { ClosePrinter(m_handle); }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

void SetPrinterText(HANDLE printer, const char16_t* name, const std::u16string& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(char16_t));
    const DWORD error = SetPrinterDataW(printer, const_cast<LPWSTR>(name), REG_SZ,
                                        reinterpret_cast<BYTE*>(const_cast<char16_t*>(value.c_str())), bytes);
    if (error != ERROR_SUCCESS) throw std::runtime_error("cannot write printer data " + Narrow(name));
}

std::u16string PrinterText(HANDLE printer, const char16_t* name) {
    BYTE buffer[522] = {};
    DWORD type = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, buffer, sizeof buffer - 2, &needed) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    std::u16string text(reinterpret_cast<const char16_t*>(buffer), std::min<size_t>(needed, sizeof buffer - 2) / 2);
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    return text;
}

// The printer of that name (without regard to case). An unknown one is refused with the names of
// the printers there are, the one message every command gives for it.
palvex::PrinterDesc FindPrinter(const std::u16string& name) {
    if (!MachineExists())
        throw std::runtime_error("no machine at " + palvex::MachineRoot().string() + " (run init first)");
    const std::vector<palvex::PrinterDesc> printers = palvex::ListPrinters();
    for (const auto& p : printers)
        if (lstrcmpiW(p.name.c_str(), name.c_str()) == 0) return p;
    std::string known;
    for (const auto& p : printers) known += (known.empty() ? "\"" : ", \"") + Narrow(p.name) + "\"";
    throw std::runtime_error("no printer \"" + Narrow(name) + "\" on this machine (" +
                             (known.empty() ? std::string("it has no printers; `install` adds the model's")
                                            : "its printers: " + known) +
                             ")");
}

// --- Settings blocks -------------------------------------------------------------------------------

// A compiled settings block of a printer, its first row selected.
class SettingsBlock {
public:
    SettingsBlock(HANDLE printer, const char16_t* name) : m_name(name) {
        if (CreateByHandle(&m_store, printer, name) >= 2 || !m_store)
            throw std::runtime_error("printer has no settings block " + Narrow(name) + " (was the package installed?)");
        if (FetchRow(m_store, name, &m_table, nullptr) != 0 || !m_table)
            throw std::runtime_error("settings block " + Narrow(name) + " has no row");
    }
    ~SettingsBlock() {
        if (!m_store) return;
        FreeBlock(m_store);
        HeapFree(GetProcessHeap(), 0, m_store);
    }
    SettingsBlock(const SettingsBlock&) = delete;
    SettingsBlock& operator=(const SettingsBlock&) = delete;

    // The field's descriptor, or null when the block has no such field.
    const XprColumn* Field(const std::string& key) {
        const std::u16string wide = Wide(key);
        if (SelectColumn(m_table, wide.c_str()) != 0) return nullptr;
        return GetColumnDesc(m_table);
    }
    XprStore* store() const { return m_store; }
    XprTable* table() const { return m_table; }

private:
    std::u16string m_name;
    XprStore* m_store = nullptr;
    XprTable* m_table = nullptr;
};

struct Setting {
    std::string key;
    std::string value;
};

Setting ParseSetting(const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) throw std::invalid_argument("not KEY=VALUE: " + text);
    return {text.substr(0, equals), text.substr(equals + 1)};
}

// A text field: an array of UTF-16 units.
bool IsTextField(const XprColumn& column) {
    return column.m_kind == XprColumnKind::CHAR && column.m_count > 1 && column.m_elementSize == sizeof(char16_t);
}

// The bytes of a setting's value for its field: a number's little-endian bytes for a scalar field,
// the text NUL-terminated within the field for a text field.
std::vector<BYTE> FieldBytes(const XprColumn& column, const Setting& setting) {
    if (IsTextField(column)) {
        const std::u16string text = Wide(setting.value);
        if (text.size() >= column.m_count)
            throw std::invalid_argument(setting.key + " holds at most " + std::to_string(column.m_count - 1) + " characters");
        std::vector<BYTE> bytes(static_cast<size_t>(column.m_count) * sizeof(char16_t), 0);
        std::memcpy(bytes.data(), text.data(), text.size() * sizeof(char16_t));
        return bytes;
    }
    const bool numeric = column.m_count == 1 && column.m_elementSize <= 8 &&
                         (column.m_kind == XprColumnKind::BYTE || column.m_kind == XprColumnKind::WORD ||
                          column.m_kind == XprColumnKind::SHORT || column.m_kind == XprColumnKind::DWORD ||
                          column.m_kind == XprColumnKind::LONG || column.m_kind == XprColumnKind::DWORD64 ||
                          column.m_kind == XprColumnKind::LONG64 || column.m_kind == XprColumnKind::COLORREF);
    if (!numeric) throw std::invalid_argument(setting.key + " is not a number field");
    size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(setting.value, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != setting.value.size()) throw std::invalid_argument("not a number for " + setting.key);
    std::vector<BYTE> bytes(column.m_elementSize);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(static_cast<unsigned long long>(value) >> (8 * i));
    return bytes;
}

// The values the property sheet offers for a settings field: the option values of the feature
// whose options edit it, or the range of its up-down item. Nothing offered: any number goes.
struct OfferedValues {
    bool offered = false;
    bool range = false;  // an up-down item: min to max
    long long min = 0;
    long long max = 0;
    std::vector<long long> values;

    bool Allows(long long value) const {
        if (!offered) return true;
        if (range) return value >= min && value <= max;
        return std::find(values.begin(), values.end(), value) != values.end();
    }
    std::string Text() const {
        if (range) return std::to_string(min) + " to " + std::to_string(max);
        std::string text;
        for (size_t i = 0; i < values.size(); ++i)
            text += (i == 0 ? "" : i + 1 == values.size() ? " or " : ", ") + std::to_string(values[i]);
        return text;
    }
};

long long LittleEndian(const BYTE* bytes, size_t size, bool isSigned) {
    unsigned long long value = 0;
    for (size_t i = 0; i < size && i < 8; ++i) value |= static_cast<unsigned long long>(bytes[i]) << (8 * i);
    if (isSigned && size > 0 && size < 8 && (bytes[size - 1] & 0x80)) value |= ~0ULL << (8 * size);
    return static_cast<long long>(value);
}

// A text of a settings block, which packs its texts without regard to alignment: read a pair of
// bytes at a time (the block was checked on loading, so the text ends inside it).
std::u16string UnalignedText(const void* text) {
    std::u16string copy;
    const auto* bytes = static_cast<const BYTE*>(text);
    for (size_t i = 0;; i += 2) {
        char16_t c = 0;
        std::memcpy(&c, bytes + i, sizeof c);
        if (c == 0) return copy;
        copy += c;
    }
}

// features: the printer's compiled feature block (DOCUMENTFEATURE or PRINTERFEATURE); field: the
// settings field as the options name it, such as "OEMDEVMODE._NUP_PAGES".
OfferedValues Offered(HANDLE printer, const char16_t* features, const std::u16string& field) {
    OfferedValues offered;
    XprStore* store = nullptr;
    if (CreateByHandle(&store, printer, features) >= 2 || !store) return offered;
    XprTable* feature = nullptr;
    while (!offered.offered && FetchRow(store, features, &feature, nullptr) == 0 && feature) {
        XprTable* option = nullptr;
        if (FindTable(store, feature, &option, u"OPTION") != 0 || !option || ResetRows(option) >= 2) continue;
        BYTE controlType[8] = {};
        const WORD typeSize = GetValueSize(feature, u"CONTROLTYPE");
        const bool checkBox = typeSize > 0 && typeSize <= sizeof controlType &&
                              GetValue(feature, controlType, sizeof controlType, u"CONTROLTYPE") == 0 &&
                              LittleEndian(controlType, typeSize, false) == TVOT_CHKBOX;
        while (NextRow(option, nullptr) == 0) {
            const LPCWSTR source = GetIndirectValue(option);
            if (!source || lstrcmpiW(UnalignedText(source).c_str(), field.c_str()) != 0) break;
            BYTE value[8] = {};
            const WORD size = GetValueSize(option, u"VALUE");
            if (size == 0 || size > sizeof value || GetValue(option, value, sizeof value, u"VALUE") != 0) break;
            const XprColumnKind kind = GetValueKind(option, u"VALUE");
            const bool isSigned =
                kind == XprColumnKind::SHORT || kind == XprColumnKind::LONG || kind == XprColumnKind::LONG64;
            offered.offered = true;
            offered.values.push_back(LittleEndian(value, size, isSigned));
            WORD min = 0, max = 0;
            if (GetValue(option, &min, sizeof min, u"MINVALUE") == 0 &&
                GetValue(option, &max, sizeof max, u"MAXVALUE") == 0 && max > min) {
                offered.range = true;
                offered.min = min;
                offered.max = max;
            }
        }
        // A check box's option is its checked value; unchecked is 0.
        if (offered.offered && checkBox &&
            std::find(offered.values.begin(), offered.values.end(), 0) == offered.values.end())
            offered.values.insert(offered.values.begin(), 0);
    }
    FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
    return offered;
}

// Refuses a value that the field's item does not offer, naming those it does.
void CheckOffered(HANDLE printer, const char16_t* features, const std::string& block, const Setting& setting,
                  const std::vector<BYTE>& bytes, const XprColumn& column) {
    if (IsTextField(column)) return;  // a text is checked for length only, by FieldBytes
    const OfferedValues offered = Offered(printer, features, Wide(block + "." + setting.key));
    const bool isSigned = column.m_kind == XprColumnKind::SHORT || column.m_kind == XprColumnKind::LONG ||
                          column.m_kind == XprColumnKind::LONG64;
    const long long value = LittleEndian(bytes.data(), bytes.size(), isSigned);
    if (!offered.Allows(value) || std::to_string(value) != std::to_string(std::stoll(setting.value, nullptr, 0)))
        throw std::invalid_argument(setting.key + "=" + setting.value + " is not a value it takes (" +
                                    (offered.offered ? offered.Text() : "the field holds " +
                                                                            std::to_string(bytes.size()) + " bytes") +
                                    ")");
}

// --- install ---------------------------------------------------------------------------------------

std::u16string ModelName(const std::filesystem::path& gpd) {
    std::ifstream in(gpd);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("*ModelName:", 0) != 0) continue;
        const size_t open = line.find('"');
        const size_t close = line.rfind('"');
        if (open != std::string::npos && close > open) return Wide(line.substr(open + 1, close - open - 1));
    }
    throw std::runtime_error("no *ModelName in " + gpd.string());
}

std::u16string DriverDirectory() {
    WCHAR folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed))
        throw std::runtime_error("no printer driver directory");
    return std::u16string(folder) + u"\\3";
}

std::u16string PrintProcessorDirectory() {
    WCHAR folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed))
        throw std::runtime_error("no print processor directory");
    return folder;
}

// The model's driver package: the files its INF's copy lists name, where the build leaves each in
// the package folder, and its name and place on the machine. Nothing else of the folder is
// installed.
enum class PackageRole { DataFile, DependentFile, PrintProcessor };
struct PackageFile {
    const char* source;  // in the package folder
    const char* name;    // on the machine
    PackageRole role;
};
constexpr PackageFile kPackageFiles[] = {
    {"TOVQEB.GPD", "TOVQEB.GPD", PackageRole::DataFile},
    {"versions/tovqebxl.dll", "TOVQEBXL.DLL", PackageRole::DependentFile},
    {"versions/tovqebui.dll", "TOVQEBUI.DLL", PackageRole::DependentFile},
    {"TOVQEBRES.DLL", "TOVQEBRES.DLL", PackageRole::DependentFile},
    {"versions/tovqebco.dll", "TOVQEBCO.DLL", PackageRole::DependentFile},
    {"versions/tovqebpp.dll", "TOVQEBPP.DLL", PackageRole::PrintProcessor},
    {"TOVQEB.INI", "TOVQEB.INI", PackageRole::DependentFile},
};
// The name the package registers its print processor under, which its printers name.
constexpr char16_t kPrintProcessorName[] = u"tovqebpp";

// Where the code of the machine's modules lies in this build (the machine holds their files with
// their version resources).
const palvex::hosts::ModuleCode& BuiltModules() {
    static const palvex::hosts::ModuleCode code{{u"TOVQEBPP.DLL", TOVQEBPP_LIBRARY}};
    return code;
}

void RegisterPrintProcessor(const std::u16string& file) {
    std::u16string name = kPrintProcessorName, path = file;
    if (AddPrintProcessorW(nullptr, nullptr, path.data(), name.data())) return;
    // A package installed again finds its processor there already.
    if (GetLastError() != ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED)
        throw std::runtime_error("cannot install the print processor " + Narrow(name) + " (error " +
                                 std::to_string(GetLastError()) + ")");
}

int Install(const Args& args) {
    const std::filesystem::path folder = args[0];
    if (!std::filesystem::is_directory(folder)) throw std::runtime_error("no package folder " + folder.string());
    // Every file is there before anything is copied, so a wrong folder leaves the machine as it was.
    for (const PackageFile& file : kPackageFiles)
        if (!std::filesystem::is_regular_file(folder / file.source))
            throw std::runtime_error("the package folder " + folder.string() + " has no " + file.source +
                                     " (the build leaves the model's package in build/package/driver)");
    const std::u16string model = ModelName(folder / kPackageFiles[0].source);
    palvex::InitMachine(palvex::MachineRoot());

    palvex::DriverDesc driver;
    driver.name = model;
    driver.driverPath = u"UNIDRV.DLL";
    driver.configFile = u"UNIDRVUI.DLL";
    const std::u16string directory = DriverDirectory();
    std::u16string processorFile;
    for (const PackageFile& file : kPackageFiles) {
        const std::u16string name = Wide(file.name);
        const bool processor = file.role == PackageRole::PrintProcessor;
        const std::u16string target = (processor ? PrintProcessorDirectory() : directory) + u"\\" + name;
        std::filesystem::create_directories(palvex::HostPath(target).parent_path());
        std::filesystem::copy_file(folder / file.source, palvex::HostPath(target),
                                   std::filesystem::copy_options::overwrite_existing);
        switch (file.role) {
        case PackageRole::DataFile: driver.dataFile = name; break;
        case PackageRole::DependentFile: driver.dependentFiles.push_back(name); break;
        case PackageRole::PrintProcessor: processorFile = name; break;
        }
        const bool renamed = file.source != std::string(file.name);
        std::cout << "copied: " << file.source << (renamed ? " as " + std::string(file.name) : "") << "\n";
    }
    // The universal driver's own file, whose version the job header names.
    std::filesystem::copy_file(PALVEX_UNIDRV_FILE, palvex::HostPath(directory + u"\\UNIDRV.DLL"),
                               std::filesystem::copy_options::overwrite_existing);
    RegisterPrintProcessor(processorFile);
    std::cout << "print processor installed: " << Narrow(kPrintProcessorName) << " (" << Narrow(processorFile) << ")\n";
    palvex::AddDriver(driver);
    std::cout << "driver installed: " << Narrow(model) << "\n";

    bool existed = false;
    for (const auto& p : palvex::ListPrinters()) existed = existed || p.name == model;
    if (!existed) palvex::AddPrinter(model, model, u"FILE:", kPrintProcessorName);
    PrinterHandle printer(model);
    SetPrinterText(printer.get(), u"Model", model);
    const DWORD severity = CompileByHandle(printer.get());
    if (severity >= 2) throw std::runtime_error("the description did not compile (severity " + std::to_string(severity) + ")");
    std::cout << (existed ? "printer kept: " : "printer added: ") << Narrow(model) << " (FILE:)\n"
              << "description compiled" << (severity ? " with warnings" : "") << "\n";
    return 0;
}

// --- printer settings and accounts -----------------------------------------------------------------

int PrinterSettings(const Args& args) {
    const std::u16string name = FindPrinter(Wide(args[0])).name;
    PrinterHandle printer(name);
    SettingsBlock block(printer.get(), u"PRINTERSETTINGS");
    for (size_t i = 1; i < args.size(); ++i) {
        const Setting setting = ParseSetting(args[i]);
        const XprColumn* column = block.Field(setting.key);
        if (!column) throw std::invalid_argument("PRINTERSETTINGS has no field " + setting.key);
        const std::vector<BYTE> bytes = FieldBytes(*column, setting);
        CheckOffered(printer.get(), u"PRINTERFEATURE", "PRINTERSETTINGS", setting, bytes, *column);
        const std::u16string key = Wide(setting.key);
        if (SetValue(block.table(), bytes.data(), static_cast<DWORD>(bytes.size()), key.c_str()) >= 2)
            throw std::runtime_error("cannot set " + setting.key);
        std::cout << "set: " << setting.key << "=" << setting.value << "\n";
    }
    if (SaveByHandle(block.store(), printer.get(), FALSE) >= 2) throw std::runtime_error("cannot save PRINTERSETTINGS");
    return 0;
}

int SetAccount(const Args& args) {
    const std::u16string name = FindPrinter(Wide(args[0])).name;
    PrinterHandle printer(name);
    const std::u16string model = PrinterText(printer.get(), u"Model");
    if (model.empty()) throw std::runtime_error("printer has no \"Model\" printer data");
    const std::u16string path = u"Software\\Orlune\\" + model + u"\\" + name + u"\\PrinterDriverData";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot create the account key");
    for (size_t i = 1; i < args.size(); ++i) {
        const Setting setting = ParseSetting(args[i]);
        const std::u16string valueName = Wide(setting.key), value = Wide(setting.value);
        if (RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))) != ERROR_SUCCESS) {
            RegCloseKey(key);
            throw std::runtime_error("cannot write " + setting.key);
        }
        std::cout << "account: " << setting.key << "\n";
    }
    RegCloseKey(key);
    return 0;
}

// --- print -----------------------------------------------------------------------------------------

// The pages are laid out by the system's N-up handling (the print processor) unless the DEVMODE
// says otherwise, as the spooler leaves it for an EMF job.
void LeaveNupToTheSystem(std::vector<BYTE>& devMode) {
    if (devMode.size() < offsetof(DEVMODEW, dmNup) + sizeof(DWORD)) return;
    auto* dm = reinterpret_cast<DEVMODEW*>(devMode.data());
    if (dm->dmSize >= offsetof(DEVMODEW, dmNup) + sizeof(DWORD) && dm->dmNup == 0) {
        dm->dmNup = DMNUP_SYSTEM;
        dm->dmFields |= DM_NUP;
    }
}

// The job's DEVMODE: the driver's defaults (as the render host makes them), with each setting
// written into the plug-in's record.
std::vector<BYTE> JobDevMode(palvex::hosts::RenderPluginLibrary& renderer, const std::u16string& printerName,
                             const std::vector<Setting>& settings, std::vector<BYTE> devMode = {}) {
    palvex::hosts::RenderHostOptions options;
    options.printerName = printerName;
    if (devMode.empty()) {
        palvex::hosts::RenderHost defaults(renderer, options);
        if (!defaults.Load()) throw std::runtime_error("render host: " + defaults.error());
        devMode = defaults.DevMode();
    }
    LeaveNupToTheSystem(devMode);
    if (settings.empty()) return devMode;
    PrinterHandle handle(printerName);
    SettingsBlock block(handle.get(), u"OEMDEVMODE");
    // The plug-in's record follows the driver's part, which follows the public part of the
    // DEVMODE's own size: one read from a file may have another than this header's.
    const size_t recordAt = size_t{reinterpret_cast<const DEVMODEW*>(devMode.data())->dmSize} + palvex::hosts::kUnidrvPartSize;
    for (const Setting& setting : settings) {
        const XprColumn* column = block.Field(setting.key);
        if (!column) throw std::invalid_argument("OEMDEVMODE has no field " + setting.key);
        const std::vector<BYTE> bytes = FieldBytes(*column, setting);
        CheckOffered(handle.get(), u"DOCUMENTFEATURE", "OEMDEVMODE", setting, bytes, *column);
        // A record is a row without its key.
        if (column->m_offset < SETTINGS_KEY_BYTES) throw std::invalid_argument(setting.key + " is the row key");
        const size_t at = recordAt + column->m_offset - SETTINGS_KEY_BYTES;
        if (at + bytes.size() > devMode.size()) throw std::runtime_error(setting.key + " lies beyond the job's DEVMODE");
        std::copy(bytes.begin(), bytes.end(), devMode.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return devMode;
}

palvex::hosts::RenderPluginLibrary& Renderer() {
    static palvex::hosts::RenderPluginLibrary renderer(TOVQEBXL_LIBRARY);
    if (!renderer.loaded()) throw std::runtime_error(renderer.error());
    return renderer;
}

// Takes "--set KEY=VALUE" pairs out of args.
std::vector<Setting> TakeSettings(Args& args) {
    std::vector<Setting> settings;
    for (size_t i = 0; i < args.size();) {
        if (args[i] != "--set") {
            ++i;
            continue;
        }
        if (i + 1 >= args.size()) throw std::invalid_argument("--set needs KEY=VALUE");
        settings.push_back(ParseSetting(args[i + 1]));
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + 2));
    }
    return settings;
}

std::vector<BYTE> ReadDevModeFile(const std::string& file);

int WriteDevMode(const Args& given) {
    Args args = given;
    const std::vector<Setting> settings = TakeSettings(args);
    // --from FILE: the settings change that DEVMODE (one a sheet saved) rather than the default.
    std::string base;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--from") continue;
        if (i + 1 >= args.size()) throw std::invalid_argument("--from needs a value");
        base = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + 2));
        break;
    }
    if (args.size() != 2) throw std::invalid_argument("devmode needs PRINTER and FILE");
    const std::vector<BYTE> devMode =
        JobDevMode(Renderer(), FindPrinter(Wide(args[0])).name, settings, ReadDevModeFile(base));
    std::ofstream out(args[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(devMode.data()), static_cast<std::streamsize>(devMode.size()));
    if (!out) throw std::runtime_error("cannot write " + args[1]);
    std::cout << "devmode: " << devMode.size() << " bytes in " << args[1] << "\n";
    return 0;
}

// A DEVMODE written by `devmode` or `properties` (empty for no file); its sizes are checked.
std::vector<BYTE> ReadDevModeFile(const std::string& file) {
    if (file.empty()) return {};
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), {});
    const auto* dm = reinterpret_cast<const DEVMODEW*>(bytes.data());
    if (bytes.size() < offsetof(DEVMODEW, dmFields) + sizeof(DWORD) || dm->dmSize < offsetof(DEVMODEW, dmFields) ||
        size_t{dm->dmSize} + dm->dmDriverExtra != bytes.size())
        throw std::runtime_error(file + " is not a DEVMODE (its sizes do not match the file)");
    return bytes;
}

int Print(const Args& given) {
    Args args = given;
    const std::vector<Setting> settings = TakeSettings(args);
    std::string spoolFile;
    std::u16string printerName;
    std::u16string documentName;
    std::string pictures;
    std::string devModeFile;
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--printer" || args[i] == "--document" || args[i] == "--pictures" || args[i] == "--devmode") &&
            i + 1 >= args.size())
            throw std::invalid_argument(args[i] + " needs a value");
        if (args[i] == "--pictures") {
            pictures = args[++i];
        } else if (args[i] == "--devmode") {
            devModeFile = args[++i];
        } else if (args[i] == "--document") {
            documentName = Wide(args[++i]);
        } else if (args[i] == "--printer") {
            printerName = Wide(args[++i]);
        } else if (spoolFile.empty()) {
            spoolFile = args[i];
        } else {
            throw std::invalid_argument("unexpected argument " + args[i]);
        }
    }
    if (spoolFile.empty() || printerName.empty()) throw std::invalid_argument("a spool file and --printer are needed");
    const std::vector<BYTE> givenDevMode = ReadDevModeFile(devModeFile);
    std::ifstream in(spoolFile, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + spoolFile);
    const std::vector<char> spool(std::istreambuf_iterator<char>(in), {});
    // Only a spool file makes a job: anything else is refused before the machine changes.
    const palvex::emf::SpoolContents contents = palvex::emf::ParseSpoolBytes(
        std::span(reinterpret_cast<const uint8_t*>(spool.data()), spool.size()));
    if (!contents.error.empty())
        throw std::runtime_error(spoolFile + (contents.error.find("not an EMF spool file") != std::string::npos
                                                  ? ": " + contents.error
                                                  : " is not an EMF spool file: " + contents.error));
    const palvex::PrinterDesc printer = FindPrinter(printerName);
    printerName = printer.name;

    palvex::hosts::RenderPluginLibrary& renderer = Renderer();
    palvex::hosts::RenderHostOptions options;
    options.printerName = printerName;
    const std::vector<BYTE> devMode = JobDevMode(renderer, printerName, settings, givenDevMode);

    // The spooled data goes where the spooler keeps it, in a file of its own (a job kept in the
    // queue keeps its file).
    std::u16string machineSpool;
    std::filesystem::path hostSpool;
    for (DWORD number = 1;; ++number) {
        char fileName[32];
        std::snprintf(fileName, sizeof fileName, "FP%05u.SPL", number);
        machineSpool = u"C:\\Windows\\System32\\spool\\PRINTERS\\" + Wide(fileName);
        hostSpool = palvex::HostPath(machineSpool);
        if (!std::filesystem::exists(hostSpool)) break;
    }
    std::filesystem::create_directories(hostSpool.parent_path());
    std::ofstream(hostSpool, std::ios::binary).write(spool.data(), static_cast<std::streamsize>(spool.size()));

    palvex::JobDesc job;
    job.printerName = printerName;
    job.documentName = documentName.empty() ? Wide(std::filesystem::path(spoolFile).stem().string()) : documentName;
    job.devMode = devMode;
    job.spoolFile = machineSpool;
    const DWORD id = palvex::AddJob(job);

    // The spooler's job: through the print processor the printer names. A job that fails stays in
    // the queue, as the spooler keeps it.
    const palvex::hosts::SpoolerJobResult result = palvex::hosts::PrintJob(id, BuiltModules());
    const std::string kept = "; job " + std::to_string(id) + " kept in the queue";
    if (result.error != ERROR_SUCCESS) throw std::runtime_error(result.message + kept);
    const palvex::hosts::JobRunner::Outcome& outcome = result.outcome;
    if (!outcome.open.result)
        throw std::runtime_error("the print processor " + Narrow(result.processor) + " did not open the job (error " +
                                 std::to_string(outcome.open.lastError) + ")" + kept);
    if (!outcome.print.result)
        throw std::runtime_error("the print processor " + Narrow(result.processor) + " failed (error " +
                                 std::to_string(outcome.print.lastError) + ")" + kept);
    const std::optional<palvex::DcLog> log = palvex::ReadJobDcLog(id);
    if (!log) throw std::runtime_error("the job drew nothing on the printer");

    // The port's file collects every job: this job's bytes are those it adds.
    const std::filesystem::path port = palvex::PortOutputPath(printer.portName);
    const uintmax_t before = std::filesystem::exists(port) ? std::filesystem::file_size(port) : 0;
    {
        palvex::hosts::RenderHost host(renderer, options);
        if (!host.Load()) throw std::runtime_error("render host: " + host.error());
        if (!palvex::hosts::RenderDcLog(host, *log)) throw std::runtime_error("render host: " + host.error());
    }
    const uintmax_t after = std::filesystem::exists(port) ? std::filesystem::file_size(port) : 0;
    if (!pictures.empty())
        for (const auto& png : palvex::WriteSidePictures(*log, pictures, "job" + std::to_string(id)))
            std::cout << "sheet: " << png.string() << "\n";
    std::cout << "job " << id << " printed: bytes " << before << " to " << after << " of " << port.string() << "\n";
    return 0;
}

// --- properties ------------------------------------------------------------------------------------

// Queues a script's actions with the picture pass in front of the line that ends the sheet (the
// first ok, cancel or close), or after the script when it ends none.
void QueueScriptWithPictures(const std::string& script, const std::function<void(HWND)>& pictures) {
    std::vector<std::string> before, after;
    if (!script.empty()) {
        std::ifstream in(script);
        if (!in) throw std::runtime_error("cannot read " + script);
        std::string line;
        bool ended = false;
        while (std::getline(in, line)) {
            std::string verb = line.substr(0, line.find_first_of(" \t\r"));
            if (!ended && (verb == "ok" || verb == "cancel" || verb == "close")) ended = true;
            (ended ? after : before).push_back(line);
        }
    }
    palvex::ResetUserScript();
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    auto queue = [&](const std::vector<std::string>& lines, const char* part) {
        if (lines.empty()) return;
        const std::filesystem::path file = folder / ("palvex-properties-" + std::to_string(getpid()) + part);
        {
            std::ofstream out(file, std::ios::trunc);
            for (const std::string& line : lines) out << line << "\n";
        }
        const bool loaded = palvex::LoadUserScript(file);
        std::filesystem::remove(file);
        if (!loaded) throw std::invalid_argument(script + ": a line is not understood");
    };
    queue(before, "-1");
    palvex::UserAction action;
    action.kind = palvex::UserAction::Run;
    action.run = pictures;
    palvex::QueueUserActions({action});
    queue(after, "-2");
}

// Prints each field of the job's private part that the sheet changed from the driver's default.
void PrintChangedFields(const std::u16string& printerName, const std::vector<BYTE>& before, const std::vector<BYTE>& after) {
    std::unique_ptr<PrinterHandle> handle;
    std::unique_ptr<SettingsBlock> owned;
    try {
        handle = std::make_unique<PrinterHandle>(printerName);
        owned = std::make_unique<SettingsBlock>(handle->get(), u"OEMDEVMODE");
    } catch (const std::runtime_error&) {
        return;  // a driver without the private settings: nothing of them to show
    }
    SettingsBlock& block = *owned;
    const size_t recordAt = sizeof(DEVMODEW) + palvex::hosts::kUnidrvPartSize;
    size_t changed = 0;
    const XprTable* table = block.table();
    for (WORD i = 0; i < table->m_columnCount; ++i) {
        XprColumn column;
        std::memcpy(&column, reinterpret_cast<const BYTE*>(table->m_columns) + size_t{i} * sizeof(XprColumn), sizeof column);
        if (column.m_offset < SETTINGS_KEY_BYTES) continue;
        const size_t at = recordAt + column.m_offset - SETTINGS_KEY_BYTES;
        const size_t size = size_t{column.m_elementSize} * column.m_count;
        if (size == 0 || at + size > before.size() || at + size > after.size()) continue;
        if (std::memcmp(before.data() + at, after.data() + at, size) == 0) continue;
        ++changed;
        WCHAR name[XPR_NAME_CHARS + 1] = {};
        std::memcpy(name, column.m_name, sizeof column.m_name);
        std::cout << "applied: " << Narrow(name) << "=";
        if (IsTextField(column)) std::cout << Narrow(UnalignedText(after.data() + at)) << "\n";
        else if (size <= 8) std::cout << LittleEndian(after.data() + at, size, false) << "\n";
        else std::cout << "(" << size << " bytes)\n";
    }
    if (changed == 0) std::cout << "applied: no field of the job's settings changed\n";
}

int Properties(const Args& args) {
    std::u16string printerName;
    DWORD mode = OEMCUIP_DOCPROP;
    std::string script, pictures, devModeFile;
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--script" || args[i] == "--pictures" || args[i] == "--devmode") && i + 1 >= args.size())
            throw std::invalid_argument(args[i] + " needs a value");
        if (args[i] == "--document") mode = OEMCUIP_DOCPROP;
        else if (args[i] == "--printer") mode = OEMCUIP_PRNPROP;
        else if (args[i] == "--script") script = args[++i];
        else if (args[i] == "--pictures") pictures = args[++i];
        else if (args[i] == "--devmode") devModeFile = args[++i];
        else if (printerName.empty()) printerName = Wide(args[i]);
        else throw std::invalid_argument("unexpected argument " + args[i]);
    }
    if (printerName.empty()) throw std::invalid_argument("a printer is needed");
    if (!devModeFile.empty() && mode != OEMCUIP_DOCPROP) throw std::invalid_argument("--devmode is for the document sheet");
    printerName = FindPrinter(printerName).name;
    static palvex::hosts::PluginLibrary plugin(TOVQEBUI_LIBRARY);
    if (!plugin.loaded()) throw std::runtime_error("cannot load the UI plug-in: " + plugin.error());
    // The driver's answers to DeviceCapabilitiesW (the paper source's bins) pass through the plug-in.
    const palvex::hosts::UiPluginCapabilities capabilities(u"TOVQEBUI.DLL", plugin);
    palvex::hosts::UiHostOptions options;
    options.printerName = printerName;
    palvex::hosts::UiHost host(plugin, options);
    if (!host.Load()) throw std::runtime_error("UI host: " + host.error());

    const std::string prefix = mode == OEMCUIP_DOCPROP ? "document" : "printer";
    std::vector<std::filesystem::path> written;
    QueueScriptWithPictures(script, [&](HWND frame) {
        if (!pictures.empty()) written = palvex::hosts::WriteSheetPictures(frame, pictures, prefix);
    });
    DWORD result = CPSUI_CANCEL;
    const LONG shown = host.RunSheets(mode, nullptr, &result);
    const std::vector<std::string> missed = palvex::TakeMissedUserActions();
    palvex::ResetUserScript();
    if (shown == ERR_CPSUI_GETLASTERROR) throw std::runtime_error("the " + prefix + " sheet did not open: " + host.error());
    for (const auto& file : written) std::cout << "picture: " << file.string() << "\n";
    // A step that found nothing to act on leaves the job other than the script says.
    if (!missed.empty()) {
        std::string steps;
        for (const std::string& miss : missed) steps += "\n  " + miss;
        throw std::runtime_error(script + ": steps found nothing to act on:" + steps);
    }
    if (result != CPSUI_OK) {
        std::cout << "the " << prefix << " sheet was cancelled: nothing saved\n";
        return 0;
    }
    if (mode == OEMCUIP_PRNPROP) {
        std::cout << "printer settings saved for " << Narrow(printerName) << "\n";
        return 0;
    }
    std::vector<BYTE> devMode = host.SheetDevMode();
    PrintChangedFields(printerName, host.DefaultDevMode(), devMode);
    // The saved DEVMODE is what an application's job carries.
    LeaveNupToTheSystem(devMode);
    if (!devModeFile.empty()) {
        std::ofstream out(devModeFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(devMode.data()), static_cast<std::streamsize>(devMode.size()));
        if (!out) throw std::runtime_error("cannot write " + devModeFile);
        std::cout << "devmode: " << devMode.size() << " bytes in " << devModeFile << "\n";
    } else {
        std::cout << "job settings applied (no --devmode file given)\n";
    }
    return 0;
}

// --- PrintCapabilities ------------------------------------------------------------------------------

int Capabilities(const Args& args) {
    const std::u16string name = FindPrinter(Wide(args[0])).name;
    std::string error;
    IXMLDOMDocument2* document = palvex::hosts::LoadXmlDocument(Wide(args[1]), &error);
    if (!document) throw std::runtime_error(args[1] + ": " + error);
    static palvex::hosts::PluginLibrary provider(TOVQEBUI_LIBRARY);
    if (!provider.loaded()) {
        document->Release();
        throw std::runtime_error("cannot load the UI plug-in: " + provider.error());
    }
    palvex::hosts::TicketHost host(provider, name);
    if (!host.started()) {
        document->Release();
        throw std::runtime_error(host.error());
    }
    const HRESULT answer = host.CompleteCapabilities(nullptr, document);
    if (FAILED(answer)) {
        document->Release();
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(answer));
        throw std::runtime_error(std::string("the provider refused the document (") + code + ")");
    }
    std::cout << palvex::hosts::XmlText(document);
    document->Release();
    return 0;
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"init", "", "create the machine (an existing one is left as it is)", 0, 0, Init,
         "Creates the machine folder with its database (registry, spooler, OS profile), the system's\n"
         "printer-installation programs (PrintUI.exe, rundll32.exe, pnputil.exe) and its INF folder. A\n"
         "machine that is already there is left as it is (its programs are put in place again).\n",
         "palvex-machine --machine /tmp/m init"},
        {"show", "", "print the drivers, printers and printer data", 0, 0, Show,
         "Lists the installed drivers with their files, and the printers with their driver, port, print\n"
         "processor, printer data, the forms besides the built-in ones, and the custom media their\n"
         "driver registered (values under the printer-data key CUSTOMMEDIA).\n",
         "palvex-machine show"},
        {"add-printer", "NAME DRIVER [PORT]", "add a printer (and a driver entry when it is missing)", 2, 3, AddPrinter,
         "Adds the printer NAME using the driver DRIVER on PORT (default FILE:), with the system's usual\n"
         "print processor winprint, which this machine does not have (printing to it fails until the\n"
         "printer names an installed one). A driver of that name is added, without files, when missing.\n",
         "palvex-machine add-printer \"Office\" \"Palvex QX500\" LPT1:"},
        {"install", "FOLDER", "install the model's driver package and its printer", 1, 1, Install,
         "Installs the driver package that the build leaves in build/package/driver: the package's own\n"
         "files go to the driver directory and its print processor tovqebpp to the print-processor\n"
         "directory (other files of the folder are left out). The printer, named after the data file's\n"
         "*ModelName, is added on FILE: with that name as its \"Model\" and the print processor tovqebpp,\n"
         "and the description is compiled onto it.\n",
         "palvex-machine install build/package/driver"},
        {"printer-settings", "PRINTER KEY=VALUE...", "set number fields of the printer's PRINTERSETTINGS", 2, SIZE_MAX,
         PrinterSettings,
         "Sets number fields of the printer's PRINTERSETTINGS block (installed by `install`) and saves it.\n"
         "A field that the printer sheet offers takes only the values it offers.\n",
         "palvex-machine printer-settings \"Palvex QX500\" _USRACTPRN_ENABLED=1"},
        {"set-account", "PRINTER NAME=VALUE...", "write the user's account values (SecurePrintID...)", 2, SIZE_MAX,
         SetAccount,
         "Writes the current user's account values for the printer, as the account items store them:\n"
         "SecurePrintID, SecurePrintPWD, UserManagePrintID, UserManagePrintPWD.\n",
         "palvex-machine set-account \"Palvex QX500\" SecurePrintID=ana SecurePrintPWD=2468"},
        {"devmode", "PRINTER FILE [--from DEVMODEFILE] [--set KEY=VALUE]...", "write the DEVMODE a job of the printer gets (for palvex-spool)",
         2, SIZE_MAX, WriteDevMode,
         "Writes to FILE the DEVMODE an application's job gets from the driver: its defaults, with each\n"
         "--set KEY=VALUE written into the driver's private part (a number field of OEMDEVMODE, such as\n"
         "_NUP_PAGES or _PRINT_TYPE; a field that the document sheet offers takes only the values it\n"
         "offers). palvex-spool --devmode spools a document with it.\n",
         "palvex-machine devmode \"Palvex QX500\" job.devmode --set _NUP_PAGES=1"},
        {"print", "SPOOL --printer NAME [--document NAME] [--devmode FILE] [--set KEY=VALUE]... [--pictures DIR]",
         "print a spool file to the printer's port", 3, SIZE_MAX, Print,
         "Prints the EMF spool file SPOOL (palvex-spool writes them) as a job of the printer: the spooler\n"
         "runs it through the printer's print processor and the universal driver's render host through\n"
         "the render plug-in, and the printer's bytes are added to the port's file. The job's DEVMODE is\n"
         "the driver's default (or the DEVMODE of --devmode FILE, as `properties` writes it) with each\n"
         "--set KEY=VALUE applied (as for `devmode`); the document name is\n"
         "the spool file's name unless --document gives one; --pictures draws each sheet into DIR as PNG.\n"
         "A job that fails stays in the printer's queue; a file that is not a spool file makes no job.\n",
         "palvex-machine print report.spl --printer \"Palvex QX500\" --set _NUP_PAGES=1 --pictures out"},
        {"properties", "PRINTER [--document|--printer] [--script FILE] [--pictures DIR] [--devmode FILE]",
         "open the printer's document or printer sheet, play a script and save what it applies", 1, SIZE_MAX,
         Properties,
         "Opens the document sheet (default) or the printer sheet of PRINTER as the universal driver shows\n"
         "it with the UI plug-in's pages, and plays the user's script FILE in it (the script actions of\n"
         "the window system: click, text, check, select, choose, spin, tab, apply, ok, cancel, picture...).\n"
         "Before the line that ends the sheet, --pictures draws every page into DIR as PNG (document-N.png\n"
         "or printer-N.png) with the window tree in document.txt or printer.txt. What the user applied is\n"
         "saved: on the document sheet the job's DEVMODE, written to --devmode FILE (for palvex-spool and\n"
         "print --devmode); on the printer sheet the printer's settings. A script that ends without OK\n"
         "cancels the sheet. A step that finds nothing to act on (a control the page does not show, a row\n"
         "text no list holds) makes the command fail, and no --devmode FILE is written.\n",
         "palvex-machine properties \"Palvex QX500\" --document --script two-up.script --devmode job.devmode"},
        {"network", "[--adapter NAME ADDRESS/MASK]... [--agent ADDRESS=PORT]...",
         "give the machine its network adapters and the printers on its network", 0, SIZE_MAX,
         palvex::tools::NetworkCommand,
         "Gives the machine these network adapters (none given: this computer's own again) and these\n"
         "printers on its network: a printer known by ADDRESS is answered by the SNMP agent listening on\n"
         "127.0.0.1:PORT, for a datagram sent to it or broadcast into its adapter's network. No datagram\n"
         "leaves 127.0.0.0/8.\n",
         "palvex-machine network --adapter eth0 192.168.1.20/24 --agent 192.168.1.40=16161"},
        {"plug-usb", "VID PID [--model NAME] [--serial TEXT] [--install-ms N|never] [--unplug]",
         "plug a USB device into the machine (or unplug it)", 2, SIZE_MAX, palvex::tools::PlugUsbCommand,
         "Plugs the USB device with vendor id VID and product id PID (four hexadecimal digits each): every\n"
         "window of the machine registered for USB device interfaces hears of its arrival, and Windows'\n"
         "installation of the device is pending for N milliseconds of the machine clock (default 2000;\n"
         "never: it does not finish). Once it is finished (the configuration manager's wait finishes it),\n"
         "a printer of the driver NAME is made on the next free USB port when that driver is installed;\n"
         "without --model the device makes no printer. --unplug removes the device again.\n",
         "palvex-machine plug-usb 0B71 0410 --model \"Korvel Palvex QM410/QF410/QF380\""},
        {"capabilities", "PRINTER FILE", "print a PrintCapabilities document as the printer's provider completes it",
         2, 2, Capabilities,
         "Loads the PrintCapabilities document FILE, hands it to the printer's PrintTicket provider (the UI\n"
         "plug-in, bound to the printer as the universal driver binds it) to complete, and prints the\n"
         "document the provider leaves: paper sources, media types, contiguous N-up and user forms trimmed.\n",
         "palvex-machine capabilities \"Palvex QX500\" caps.xml"},
    };
    return commands;
}

void Usage(std::ostream& out) {
    out << "usage: palvex-machine [--machine DIR] COMMAND [ARGS...]\n\n"
           "The command line of the simulated machine. DIR, else $PALVEX_MACHINE, else build/machine is the\n"
           "machine.\n\ncommands:\n";
    for (const auto& c : Commands()) {
        std::string head = std::string(c.name) + (*c.arguments ? " " : "") + c.arguments;
        if (head.size() > 40) head = c.name;
        out << "  " << head << std::string(head.size() < 40 ? 40 - head.size() : 1, ' ') << c.summary << "\n";
    }
    out << "\n`palvex-machine COMMAND --help` tells more of a command.\n";
}

void CommandHelp(const Command& c, std::ostream& out) {
    out << "usage: palvex-machine [--machine DIR] " << c.name << (*c.arguments ? " " : "") << c.arguments << "\n\n"
        << c.details << "\nexample:\n  " << c.example << "\n";
}

bool AsksForHelp(const Args& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

}  // namespace

int main(int argc, char** argv) {
    // A printed job's log is replayed through the render host and drawn as pictures.
    palvex::KeepPrintedSides(true);
    Args args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--machine") {
        palvex::SetMachineRoot(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        Usage(std::cerr);
        return 2;
    }
    // "help COMMAND" as "COMMAND --help".
    if (args[0] == "help" && args.size() == 2) args = {args[1], "--help"};
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        Usage(std::cout);
        return 0;
    }
    for (const auto& command : Commands()) {
        if (args[0] != command.name) continue;
        const Args rest(args.begin() + 1, args.end());
        if (AsksForHelp(rest)) {
            CommandHelp(command, std::cout);
            return 0;
        }
        if (rest.size() < command.minArgs || rest.size() > command.maxArgs) {
            std::cerr << "usage: palvex-machine " << command.name << " " << command.arguments << "\n"
                      << "(palvex-machine " << command.name << " --help tells more)\n";
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
