// A printer for the UI plug-in's tests: the model's package (its GPD data file with the embedded
// description, its resource library) and the machine's manual-duplex helper installed as the
// driver's "TOVQEBMDN.EXE". The description is not compiled yet: the plug-in compiles it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <sqlite3.h>
#include <ui_host.h>
#include <win/windows.h>

#include "couiplugin.h"
#include "printer_data.h"
#include "module_state.h"

namespace uitest {

inline constexpr char16_t kPrinter[] = u"Palvex UI Printer";
inline constexpr char16_t kDriver[] = u"Palvex UI Driver";
inline constexpr char16_t kHelperFile[] = u"TOVQEBMDN.EXE";
inline constexpr char16_t kHelperPipe[] = u"\\\\.\\pipe\\TOVQEBMDN";
inline constexpr char16_t kModelPrintProcessor[] = u"Orlune OLFAX QX500 Processor";

struct InstallOptions {
    bool description = true;  // the GPD data file (else an empty one: nothing to compile)
    std::string extraDescription;  // XPD lines added at the end of the description (LF line ends)
};
void InstallUiPrinter(const InstallOptions& options = {});

// The machine path, and the path on this computer, of a file of the test driver's folder.
std::u16string DriverFileName(const std::u16string& name);
std::filesystem::path DriverFile(const std::u16string& name);
// Takes the media-type feature out of the installed description: the printer then offers no media
// types of itself.
void DropDescriptionMediaTypes();

// Printer data of the test printer.
void SetPrinterValue(const std::u16string& name, DWORD type, const std::vector<BYTE>& bytes);
void SetPrinterNumber(const std::u16string& name, DWORD value);
std::vector<BYTE> PrinterValue(const std::u16string& name, DWORD* type = nullptr);
bool HasPrinterValue(const std::u16string& name);
// The stored tray table: four records of five 32-bit values, the input type first.
// Runs SQL on a test machine's database, such as a trigger that makes the spooler refuse a write
// as a full disk would; false when it does not run.
inline bool RunMachineSql(const palvex::TestMachine& machine, const std::string& sql) {
    sqlite3* db = nullptr;
    const bool ran = sqlite3_open((machine.root() / "machine.db").c_str(), &db) == SQLITE_OK &&
                     sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ran;
}

inline std::vector<BYTE> TrayTable(std::initializer_list<DWORD> inputTypes) {
    std::vector<BYTE> bytes(80, 0);
    size_t at = 0;
    for (DWORD type : inputTypes) {
        const DWORD record[5] = {type, 9, 297000, 210000, 1};
        std::memcpy(bytes.data() + at, record, sizeof record);
        at += sizeof record;
    }
    return bytes;
}

// The printer's print processor as the spooler lists it.
std::u16string PrintProcessorOf(const std::u16string& printer = kPrinter);
// Registers a print processor of the x64 environment, as its installation does.
void RegisterPrintProcessor(const std::u16string& name);
// Sets one value of the printer's stored PRINTERSETTINGS block (the description is compiled first).
void SetPrinterSetting(const std::u16string& field, DWORD value);

// A plug-in object of the linked class factory, asked for IPrintOemUI2.
CoUIPlugin* MakePlugin();

class UiTest : public ::testing::Test {
protected:
    // The library is attached while a test runs, as it is whenever the spooler or an application
    // calls into it (the device list and its lock exist only then).
    void SetUp() override {
        InstallUiPrinter();
        ui::AttachProcess(nullptr);
    }
    void TearDown() override { ui::DetachProcess(); }

    // A loaded host around a plug-in object of the linked factory.
    std::unique_ptr<palvex::hosts::UiHost> MakeHost();

    palvex::TestMachine m_machine;
};

// A plug-in object released at the end of the scope.
struct PluginRef {
    PluginRef() : plugin(MakePlugin()) {}
    ~PluginRef() {
        if (plugin) plugin->Release();
    }
    PluginRef(const PluginRef&) = delete;
    PluginRef& operator=(const PluginRef&) = delete;
    CoUIPlugin* operator->() const { return plugin; }
    CoUIPlugin* plugin;
};

// The test printer (or another) opened with every right, closed at the end of the scope.
class PrinterHandle : public xprtest::PrinterHandle {
public:
    explicit PrinterHandle(const std::u16string& name = kPrinter) : xprtest::PrinterHandle(name, PRINTER_ALL_ACCESS) {}
};

}  // namespace uitest
