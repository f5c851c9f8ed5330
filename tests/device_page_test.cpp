// The printer sheet's device page on an installed package, through the machine's command line: the
// user types the printer's address in the get-configuration popup and asks the printer, which
// net-snmp's snmpd on 127.0.0.1 answers for that address; the page shows the trays it reported,
// Apply keeps them in the printer's data, and the sheet opened again shows them without a query.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <win/windows.h>

#include "child_process.h"
#include "snmp_test_peers.h"

namespace {

using palvex::testing::ChildResult;
using palvex::testing::RunChild;
using palvex::testing::Snmpd;

constexpr char kPrinter[] = "Palvex QX500";

ChildResult Machine(const palvex::TestMachine& machine, const std::vector<std::string>& args) {
    return RunChild(PALVEX_MACHINE_TOOL, args, machine.root());
}

// Tray 1 A4 plain, tray 2 B5 thick 1, tray 3 without a media name (not installed) and a 148 x 100 mm
// card in the manual feed, as the printer's input table answers them.
std::vector<std::string> PrinterAgent() {
    std::vector<std::string> lines = {"override .1.3.6.1.4.1.32473.1.205.1.1.1.0 octet_str \"Palvex QX500\""};
    struct Input {
        int index, type;
        const char* media;
        long feed, cross;
    } inputs[] = {{1, 4, "Plain", 297000, 210000}, {2, 3, "Thick 1", 257000, 182000}, {3, 3, nullptr, 182000, 257000},
                  {5, 5, "Plain", 148000, 100000}};
    for (const Input& input : inputs) {
        const std::string row = ".1." + std::to_string(input.index);
        lines.push_back("override .1.3.6.1.2.1.43.8.2.1.2" + row + " integer " + std::to_string(input.type));
        lines.push_back("override .1.3.6.1.2.1.43.8.2.1.4" + row + " integer " + std::to_string(input.feed));
        lines.push_back("override .1.3.6.1.2.1.43.8.2.1.5" + row + " integer " + std::to_string(input.cross));
        if (input.media)
            lines.push_back("override .1.3.6.1.2.1.43.8.2.1.12" + row + " octet_str \"" + input.media + "\"");
    }
    return lines;
}

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<BYTE> PrinterData(LPCWSTR key, LPCWSTR name) {
    HANDLE printer = nullptr;
    std::u16string printerName(kPrinter, kPrinter + sizeof kPrinter - 1);
    if (!OpenPrinterW(printerName.data(), &printer, nullptr)) return {};
    DWORD type = 0, needed = 0;
    GetPrinterDataExW(printer, key, name, &type, nullptr, 0, &needed);
    std::vector<BYTE> bytes(needed);
    if (needed == 0 || GetPrinterDataExW(printer, key, name, &type, bytes.data(), needed, &needed) != ERROR_SUCCESS)
        bytes.clear();
    ClosePrinter(printer);
    return bytes;
}

std::vector<BYTE> Utf16(const std::u16string& text) {
    std::vector<BYTE> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

TEST(DevicePage, AQueryAnsweredBySnmpdShowsTheTraysAndApplyKeepsThem) {
    if (Snmpd::Program().empty()) GTEST_SKIP() << "net-snmp's snmpd is not installed (scripts/setup.sh installs it)";
    palvex::TestMachine machine;
    ASSERT_EQ(Machine(machine, {"install", PALVEX_PACKAGE_FOLDER}).exitCode, 0);
    Snmpd agent(PrinterAgent());
    ASSERT_TRUE(agent.running()) << agent.error();
    const ChildResult agents = Machine(machine, {"network", "--agent", "192.168.0.10=" + std::to_string(agent.port())});
    ASSERT_EQ(agents.exitCode, 0) << agents.errors;

    const std::filesystem::path pictures = machine.root() / "pictures";
    const std::filesystem::path script = machine.root() / "device.script";
    std::ofstream(script) << "click 25105\n"        // the get-configuration popup
                             "click 25304\n"        // the typed address
                             "text 25305 192.168.0.10\n"
                             "click 1\n"            // its OK
                             "answer 1\n"           // the success notice
                             "answer 1\n"           // the once-only note on the optional trays
                             "click 25104\n"        // ask the printer
                             "apply\n"
                             "close\n";
    const ChildResult sheet = Machine(machine, {"properties", kPrinter, "--printer", "--script", script.string(),
                                                "--pictures", pictures.string()});
    ASSERT_EQ(sheet.exitCode, 0) << sheet.errors;
    EXPECT_TRUE(std::filesystem::exists(pictures / "printer-1.png"));
    const std::string page = ReadText(pictures / "printer.txt");
    for (const char* row : {"- \"トレイ\" | \"トレイ1＋トレイ2\" [selected]", "- \"トレイ1\" | \"A4\" | \"普通紙\"",
                            "- \"トレイ2\" | \"B5\" | \"厚紙1\"", "- \"トレイ3\" | \"A4\" | \"普通紙\"",
                            "- \"手差し\" | \"不定形サイズ\" | \"普通紙\""})
        EXPECT_NE(page.find(row), std::string::npos) << row << "\n" << page;

    // Tray 3, answered as not installed, keeps the page's size and media with input type 0.
    EXPECT_EQ(PrinterData(u"PrinterDriverData", u"PrinterInputTrayInfos"),
              (std::vector<BYTE>{
                  0x04, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x28, 0x88, 0x04, 0x00, 0x50, 0x34, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00,
                  0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0xE8, 0xEB, 0x03, 0x00, 0xF0, 0xC6, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00,
                  0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                  0x05, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x20, 0x42, 0x02, 0x00, 0xA0, 0x86, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(PrinterData(u"DsDriver", u"printMediaReady"), Utf16(std::u16string(u"A4\0B5\0不定形サイズ\0\0", 14)));
    EXPECT_EQ(PrinterData(u"PrinterDriverData", u"PrinterIPaddr"), Utf16(std::u16string(u"192.168.0.10\0", 13)));

    // Opened again with the automatic query off, the page shows the stored trays.
    std::ofstream(script, std::ios::trunc) << "close\n";
    std::filesystem::remove_all(pictures);
    ASSERT_EQ(Machine(machine, {"properties", kPrinter, "--printer", "--script", script.string(), "--pictures",
                                pictures.string()})
                  .exitCode,
              0);
    const std::string reopened = ReadText(pictures / "printer.txt");
    EXPECT_NE(reopened.find("- \"トレイ2\" | \"B5\" | \"厚紙1\""), std::string::npos) << reopened;
    EXPECT_NE(reopened.find("- \"トレイ\" | \"トレイ1＋トレイ2\" [selected]"), std::string::npos) << reopened;
}

TEST(DevicePage, TheUserTrackingPopupStoresTheAccountAtOnce) {
    palvex::TestMachine machine;
    ASSERT_EQ(Machine(machine, {"install", PALVEX_PACKAGE_FOLDER}).exitCode, 0);
    const std::filesystem::path script = machine.root() / "tracking.script";
    std::ofstream(script) << "click 1145\n"  // user tracking on: its settings button opens
                             "click 1143\n"
                             "text 25502 user1\n"
                             "text 25505 secret\n"
                             "answer 1\n"    // the notice of what is updated
                             "click 25507\n"
                             "cancel\n";
    const ChildResult sheet = Machine(machine, {"properties", kPrinter, "--printer", "--script", script.string()});
    ASSERT_EQ(sheet.exitCode, 0) << sheet.errors;
    // Stored when the popup's OK is pressed, whatever the sheet does after; a fit ID also holds jobs.
    const std::u16string key = u"Software\\Orlune\\Palvex QX500\\Palvex QX500\\PrinterDriverData";
    for (const auto& [name, value] : {std::pair{u"UserManagePrintID", u"user1"}, std::pair{u"UserManagePrintPWD", u"secret"},
                                      std::pair{u"SecurePrintID", u"user1"}, std::pair{u"SecurePrintPWD", u"secret"}}) {
        WCHAR text[64] = {};
        DWORD size = sizeof text - sizeof(WCHAR), type = 0;
        HKEY account = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &account), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueExW(account, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
        RegCloseKey(account);
        EXPECT_EQ(std::u16string(text), value);
    }
}

}  // namespace
