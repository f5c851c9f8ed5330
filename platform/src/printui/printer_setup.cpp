// The printer-installation commands' work on the machine (palvex/printer_setup.h): a driver
// package installed from its INF, a printer added on a port, comments, deletions, and a
// printer's settings saved to a file and restored from it.
#include <palvex/printer_setup.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <palvex/printer_settings.h>
#include <palvex/services.h>
#include <win/windows.h>
#include <win/winspool_admin.h>
#include <win/winspool_levels.h>

#include "crt/utf16.h"
#include "machine/api_guard.h"
#include "setupapi/driver_store.h"
#include "spooler/spooler_store.h"

#ifndef ERROR_WRITE_FAULT
#define ERROR_WRITE_FAULT 29L
#endif
#ifndef ERROR_UNKNOWN_PORT
#define ERROR_UNKNOWN_PORT 1796L
#endif

namespace palvex {
namespace {

// An INF file: its sections, each a list of lines (key and value, or a bare value).
struct InfLine {
    std::u16string key;    // empty for a line without "="
    std::u16string value;
};
using Inf = std::map<std::string, std::vector<InfLine>>;  // by upper-case section name

std::u16string Trim(std::u16string text) {
    const size_t first = text.find_first_not_of(u" \t\r");
    if (first == std::u16string::npos) return {};
    const size_t last = text.find_last_not_of(u" \t\r");
    return text.substr(first, last - first + 1);
}

std::u16string Unquote(std::u16string text) {
    text = Trim(std::move(text));
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') return text.substr(1, text.size() - 2);
    return text;
}

std::string Key(const std::u16string& text) { return text::ToUtf8(text::Upcase(Trim(text))); }

std::optional<Inf> ReadInf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Inf inf;
    std::vector<InfLine>* section = nullptr;
    std::string raw;
    while (std::getline(in, raw)) {
        std::u16string line = text::FromUtf8(raw);
        // A comment starts at a ";" outside quotes.
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == u'"') quoted = !quoted;
            if (line[i] == u';' && !quoted) {
                line.resize(i);
                break;
            }
        }
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() == u'[' && line.back() == u']') {
            section = &inf[Key(line.substr(1, line.size() - 2))];
            continue;
        }
        if (!section) continue;
        const size_t equals = line.find(u'=');
        if (equals == std::u16string::npos) section->push_back({u"", line});
        else section->push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
    // %name% from [Strings].
    std::map<std::string, std::u16string> strings;
    for (const auto& line : inf["STRINGS"]) strings[Key(line.key)] = Unquote(line.value);
    auto expand = [&](std::u16string& text) {
        for (size_t open = text.find(u'%'); open != std::u16string::npos; open = text.find(u'%', open + 1)) {
            const size_t close = text.find(u'%', open + 1);
            if (close == std::u16string::npos) break;
            auto it = strings.find(Key(text.substr(open + 1, close - open - 1)));
            if (it == strings.end()) continue;
            text.replace(open, close - open + 1, it->second);
            open += it->second.size() - 1;
        }
    };
    for (auto& [name, lines] : inf)
        for (auto& line : lines) expand(line.key), expand(line.value);
    return inf;
}

std::vector<std::u16string> SplitList(const std::u16string& text) {
    std::vector<std::u16string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(u',', start);
        items.push_back(Unquote(text.substr(start, comma == std::u16string::npos ? std::u16string::npos : comma - start)));
        if (comma == std::u16string::npos) break;
        start = comma + 1;
    }
    return items;
}

std::u16string Value(const Inf& inf, const std::string& section, const char* key) {
    auto it = inf.find(section);
    if (it == inf.end()) return {};
    for (const auto& line : it->second)
        if (Key(line.key) == key) return line.value;
    return {};
}

// The install section of the model, through [Manufacturer] and its decorated model sections.
std::u16string ModelSection(const Inf& inf, const std::u16string& model) {
    auto manufacturers = inf.find("MANUFACTURER");
    if (manufacturers == inf.end()) return {};
    for (const auto& line : manufacturers->second) {
        const auto parts = SplitList(line.value);
        std::vector<std::string> sections{Key(parts[0])};
        for (size_t i = 1; i < parts.size(); ++i) sections.push_back(Key(parts[0] + u"." + parts[i]));
        for (const auto& name : sections) {
            auto section = inf.find(name);
            if (section == inf.end()) continue;
            for (const auto& entry : section->second)
                if (Key(Unquote(entry.key)) == Key(model)) return SplitList(entry.value)[0];
        }
    }
    return {};
}

// A file of the folder by its name, without regard to case.
std::optional<std::filesystem::path> FindBeside(const std::filesystem::path& folder, const std::u16string& name) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file() && Key(text::FromUtf8(entry.path().filename().string())) == Key(name))
            return entry.path();
    return std::nullopt;
}

bool PortKnown(const std::u16string& port) {
    const std::string key = Key(port);
    if (key == "FILE:" || key.rfind("LPT", 0) == 0 || key.rfind("COM", 0) == 0) return true;
    for (const auto& known : ListPorts())
        if (Key(known.name) == key) return true;
    return false;
}

struct Printer {
    HANDLE handle = nullptr;
    DWORD error = ERROR_SUCCESS;
    explicit Printer(const std::u16string& name) {
        std::u16string copy = name;
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (!OpenPrinterW(copy.data(), &handle, &defaults)) error = GetLastError();
    }
    ~Printer() {
        if (handle) ClosePrinter(handle);
    }
    std::vector<BYTE> Info2() const {
        DWORD needed = 0;
        GetPrinterW(handle, 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (!needed || !GetPrinterW(handle, 2, buffer.data(), needed, &needed)) buffer.clear();
        return buffer;
    }
};

DWORD AddPrinterOf(const PrinterSetup& setup, const std::u16string& processor) {
    try {
        AddPrinter(setup.printerName, setup.model, setup.portName, processor.empty() ? u"winprint" : processor);
    } catch (const MachineError& error) {
        return error.code();
    }
    Printer printer(setup.printerName);
    if (!printer.handle) return printer.error;
    // The printer data the package's installation gives every printer of the model.
    std::u16string model = setup.model;
    SetPrinterDataW(printer.handle, const_cast<LPWSTR>(u"Model"), REG_SZ, reinterpret_cast<BYTE*>(model.data()),
                    static_cast<DWORD>((model.size() + 1) * sizeof(WCHAR)));
    if (!setup.shareName.empty()) {
        PrinterSettingsDesc settings = GetPrinterSettings(setup.printerName);
        settings.shareName = setup.shareName;
        settings.attributes |= PRINTER_ATTRIBUTE_SHARED;
        SetPrinterSettings(setup.printerName, settings);
    }
    return ERROR_SUCCESS;
}

// Settings file: "PXPS" then records of a tag and its fields; text and bytes with a 32-bit length.
constexpr char kSettingsMagic[4] = {'P', 'X', 'P', 'S'};
enum Tag : uint32_t { kComment = 1, kLocation = 2, kDevMode = 3, kData = 4 };

void PutBytes(std::string& out, const void* data, size_t size) {
    const uint32_t length = static_cast<uint32_t>(size);
    out.append(reinterpret_cast<const char*>(&length), 4);
    if (size) out.append(static_cast<const char*>(data), size);
}
void PutText(std::string& out, const std::u16string& text) { PutBytes(out, text.data(), text.size() * 2); }
void PutTag(std::string& out, uint32_t tag) { out.append(reinterpret_cast<const char*>(&tag), 4); }

struct Reader {
    const std::string& in;
    size_t at = 4;
    bool Word(uint32_t& value) {
        if (in.size() - at < 4) return false;
        std::memcpy(&value, in.data() + at, 4);
        at += 4;
        return true;
    }
    bool Bytes(std::vector<BYTE>& bytes) {
        uint32_t length = 0;
        if (!Word(length) || in.size() - at < length) return false;
        bytes.assign(in.begin() + static_cast<std::ptrdiff_t>(at), in.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        return true;
    }
    bool Text(std::u16string& text) {
        std::vector<BYTE> bytes;
        if (!Bytes(bytes) || bytes.size() % 2) return false;
        text.assign(bytes.size() / 2, u'\0');
        if (!bytes.empty()) std::memcpy(text.data(), bytes.data(), bytes.size());
        return true;
    }
};

}  // namespace

DWORD InstallPrinterPackage(const PrinterSetup& setup) {
    return GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        if (!SpoolerRuns()) return RPC_S_SERVER_UNAVAILABLE;
        const std::filesystem::path infFile = HostPath(setup.infPath);
        const auto inf = ReadInf(infFile);
        if (!inf) return ERROR_FILE_NOT_FOUND;
        const std::u16string section = ModelSection(*inf, setup.model);
        if (section.empty()) return ERROR_UNKNOWN_PRINTER_DRIVER;
        const std::string install = Key(section);
        if (!inf->count(install)) return ERROR_UNKNOWN_PRINTER_DRIVER;
        // The printer's port and name are checked before anything is copied or registered.
        if (!setup.printerName.empty()) {
            if (!PortKnown(setup.portName)) return ERROR_UNKNOWN_PORT;
            if (spool::FindPrinter(setup.printerName)) return ERROR_PRINTER_ALREADY_EXISTS;
        }

        const std::u16string driverFolder = spool::SpoolFolder(setup.environment.c_str(), u"drivers") + u"\\3";
        const std::u16string processorFolder = spool::SpoolFolder(setup.environment.c_str(), u"prtprocs");
        if (driverFolder.size() <= 2) return ERROR_INVALID_ENVIRONMENT;
        auto folderOf = [&](const std::u16string& list) {
            std::u16string dir = Value(*inf, "DESTINATIONDIRS", Key(list).c_str());
            if (dir.empty()) dir = Value(*inf, "DESTINATIONDIRS", "DEFAULTDESTDIR");
            return SplitList(dir)[0] == u"66001" ? processorFolder : driverFolder;
        };
        // Every file is found before anything is copied, so a broken package leaves the machine as it was.
        struct Copy {
            std::filesystem::path source;
            std::u16string target;
            std::u16string name;
            bool processor;
        };
        std::vector<Copy> copies;
        for (const auto& list : SplitList(Value(*inf, install, "COPYFILES"))) {
            if (list.empty()) continue;
            std::vector<std::u16string> names;
            if (list.front() == u'@') {
                names.push_back(list.substr(1));
            } else {
                auto it = inf->find(Key(list));
                if (it == inf->end()) return ERROR_INVALID_PARAMETER;
                for (const auto& line : it->second) names.push_back(SplitList(line.key.empty() ? line.value : line.key)[0]);
            }
            const std::u16string folder = folderOf(list);
            for (const auto& name : names) {
                const auto source = FindBeside(infFile.parent_path(), name);
                if (!source) return ERROR_FILE_NOT_FOUND;
                copies.push_back({*source, folder + u"\\" + name, name, folder == processorFolder});
            }
        }
        std::vector<std::u16string> dependent;
        for (const auto& copy : copies) {
            const auto target = HostPath(copy.target);
            std::filesystem::create_directories(target.parent_path());
            std::filesystem::copy_file(copy.source, target, std::filesystem::copy_options::overwrite_existing);
            if (!copy.processor) dependent.push_back(copy.name);
        }

        // One quoted field: "name,file".
        const auto processor = SplitList(Unquote(Value(*inf, install, "PRINTPROCESSOR")));
        std::u16string processorName;
        if (processor.size() == 2) {
            processorName = processor[0];
            std::u16string environment = setup.environment, file = processor[1], name = processor[0];
            if (!AddPrintProcessorW(nullptr, environment.data(), file.data(), name.data()) &&
                GetLastError() != ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED)
                return GetLastError();
        }

        DriverDesc driver;
        driver.name = setup.model;
        driver.environment = setup.environment;
        driver.driverPath = u"UNIDRV.DLL";
        driver.dataFile = Value(*inf, install, "DATAFILE");
        driver.configFile = Value(*inf, install, "CONFIGFILE");
        driver.helpFile = Value(*inf, install, "HELPFILE");
        for (const auto& name : dependent)
            if (Key(name) != Key(driver.dataFile) && Key(name) != Key(driver.configFile) && Key(name) != Key(driver.helpFile))
                driver.dependentFiles.push_back(name);
        AddDriver(driver);
        PublishPackage(setup.infPath);

        if (setup.printerName.empty()) return ERROR_SUCCESS;
        return AddPrinterOf(setup, processorName);
    });
}

DWORD SetPrinterComment(const std::u16string& printerName, const std::u16string& comment) {
    Printer printer(printerName);
    if (!printer.handle) return printer.error;
    std::vector<BYTE> info = printer.Info2();
    if (info.empty()) return GetLastError();
    std::u16string text = comment;
    reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pComment = text.data();
    return SetPrinterW(printer.handle, 2, info.data(), 0) ? ERROR_SUCCESS : GetLastError();
}

DWORD DeletePrinterByName(const std::u16string& printerName) {
    Printer printer(printerName);
    if (!printer.handle) return printer.error;
    return DeletePrinter(printer.handle) ? ERROR_SUCCESS : GetLastError();
}

DWORD DeleteDriverByName(const std::u16string& model, const std::u16string& environment) {
    std::u16string name = model, env = environment;
    return DeletePrinterDriverExW(nullptr, env.data(), name.data(), DPD_DELETE_UNUSED_FILES, 0) ? ERROR_SUCCESS
                                                                                                : GetLastError();
}

DWORD SavePrinterSettings(const std::u16string& printerName, const std::u16string& file) {
    return GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        Printer printer(printerName);
        if (!printer.handle) return printer.error;
        const auto row = spool::FindPrinter(printerName);
        if (!row) return ERROR_INVALID_PRINTER_NAME;
        const PrinterSettingsDesc settings = GetPrinterSettings(printerName);
        std::string out(kSettingsMagic, 4);
        PutTag(out, kComment), PutText(out, settings.comment);
        PutTag(out, kLocation), PutText(out, settings.location);
        const std::vector<BYTE> info = printer.Info2();
        if (!info.empty()) {
            const auto* devmode = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
            if (devmode) PutTag(out, kDevMode), PutBytes(out, devmode, devmode->dmSize + devmode->dmDriverExtra);
        }
        for (const auto& value : ListPrinterData(printerName)) {
            const auto data = spool::ReadPrinterData(row->id, value.key, value.valueName);
            if (!data) continue;
            PutTag(out, kData), PutText(out, value.key), PutText(out, value.valueName);
            PutBytes(out, &data->type, 4), PutBytes(out, data->data.data(), data->data.size());
        }
        std::ofstream target(HostPath(file), std::ios::binary | std::ios::trunc);
        if (!target) return ERROR_PATH_NOT_FOUND;
        target.write(out.data(), static_cast<std::streamsize>(out.size()));
        return target ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
    });
}

DWORD RestorePrinterSettings(const std::u16string& printerName, const std::u16string& file) {
    return GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        std::ifstream source(HostPath(file), std::ios::binary);
        if (!source) return ERROR_FILE_NOT_FOUND;
        const std::string in(std::istreambuf_iterator<char>(source), {});
        if (in.size() < 4 || std::memcmp(in.data(), kSettingsMagic, 4) != 0) return ERROR_INVALID_DATA;
        const auto row = spool::FindPrinter(printerName);
        if (!row) return ERROR_INVALID_PRINTER_NAME;
        // Everything is read and checked before the printer changes.
        PrinterSettingsDesc settings = GetPrinterSettings(printerName);
        std::vector<BYTE> devmode;
        struct Data {
            std::u16string key, name;
            DWORD type;
            std::vector<BYTE> bytes;
        };
        std::vector<Data> data;
        Reader reader{in};
        uint32_t tag = 0;
        while (reader.at < in.size()) {
            if (!reader.Word(tag)) return ERROR_INVALID_DATA;
            bool read = false;
            switch (tag) {
            case kComment: read = reader.Text(settings.comment); break;
            case kLocation: read = reader.Text(settings.location); break;
            case kDevMode: read = reader.Bytes(devmode); break;
            case kData: {
                Data value{};
                std::vector<BYTE> type;
                read = reader.Text(value.key) && reader.Text(value.name) && reader.Bytes(type) && type.size() == 4 &&
                       reader.Bytes(value.bytes);
                if (read) std::memcpy(&value.type, type.data(), 4), data.push_back(std::move(value));
                break;
            }
            default: break;
            }
            if (!read) return ERROR_INVALID_DATA;
        }
        SetPrinterSettings(printerName, settings);
        if (!devmode.empty()) SetPrinterDevMode(printerName, devmode);
        for (const auto& value : data)
            spool::WritePrinterData(row->id, value.key, value.name, value.type, value.bytes.data(), value.bytes.size());
        return ERROR_SUCCESS;
    });
}

void InstallSetupPrograms(const std::filesystem::path& hostProgram) {
    for (const char16_t* name : {u"PrintUI.exe", u"rundll32.exe", u"pnputil.exe"}) {
        std::filesystem::create_directories(HostPath(u"C:\\Windows\\System32"));
        const auto link = HostPath(std::u16string(u"C:\\Windows\\System32\\") + name);
        // Made under a name of this process's own and renamed over the old link, so that several
        // processes setting up one machine at once never meet a half-replaced link.
        auto fresh = link;
        fresh += ".new-" + std::to_string(getpid());
        std::error_code error;
        std::filesystem::remove(fresh, error);
        std::filesystem::create_symlink(std::filesystem::absolute(hostProgram), fresh);
        std::filesystem::rename(fresh, link);
    }
}

}  // namespace palvex
