// A machine with the installer's package in C:\Pardex, the program's path set to
// C:\Pardex\Pardex.exe and the installer's own resources, for the installer tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include <afx/afxwin.h>
#include <palvex/library_entry.h>
#include <palvex/machine.h>
#include <palvex/message_box.h>
#include <palvex/os_profile.h>
#include <palvex/paths.h>
#include <palvex/process_image.h>
#include <palvex/ui_script.h>
#include <palvex/utf8.h>

namespace pardex::testing {

inline constexpr char16_t kProgram[] = u"C:\\Pardex\\Pardex.exe";

// A standard TCP/IP port as the installer adds one for a printer's address: raw on 9100, SNMP
// off with the community "wombat" and device index 1.
inline void ExpectStandardPort(const palvex::PortDesc& port, const std::u16string& address) {
    EXPECT_EQ(port.name, u"IP_" + address);
    EXPECT_EQ(port.host, address);
    EXPECT_EQ(port.protocol, 1u);
    EXPECT_EQ(port.portNumber, 9100u);
    EXPECT_EQ(port.snmpCommunity, u"wombat");
    EXPECT_FALSE(port.snmpEnabled);
    EXPECT_EQ(port.snmpIndex, 1u);
}

class InstallerMachine : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(Host(u"C:\\Pardex"));
        std::filesystem::copy(PARDEX_PACKAGE, Host(u"C:\\Pardex"), std::filesystem::copy_options::recursive);
        palvex::SetProcessImagePath(kProgram);
        static HMODULE module = palvex::AttachThisLibrary(reinterpret_cast<const void*>(&ModuleAnchor));
        AfxSetResourceHandle(module);
        palvex::ResetUserScript();
        palvex::ResetMessageBoxScript();
    }
    void TearDown() override {
        palvex::SetProcessImagePath(u"");
        palvex::ResetUserScript();
        palvex::ResetMessageBoxScript();
    }

    static void ModuleAnchor() {}
    std::filesystem::path Host(const std::u16string& path) const { return palvex::HostPath(path); }

    // The model's driver as an earlier install left it (its UI module says version 1.01.0002.0),
    // with the printer "Palvex Office".
    void InstallModelDriver() {
        palvex::DriverDesc driver;
        driver.name = u"Korvel Palvex QM410/QF410/QF380";
        driver.driverPath = u"UNIDRV.DLL";
        driver.configFile = u"tovqebui.dll";
        palvex::AddDriver(driver);
        std::filesystem::create_directories(Host(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3"));
        std::filesystem::copy_file(PALVEX_UI_VERSION_FILE, Host(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\tovqebui.dll"));
        palvex::AddPrinter(u"Palvex Office", driver.name);
    }

    // Replaces a key of a section in an ini file (UTF-16LE with a byte-order mark, as written here).
    void WriteIni(const std::u16string& path, const std::u16string& text) {
        std::ofstream out(Host(path), std::ios::binary | std::ios::trunc);
        out.write("\xFF\xFE", 2);
        out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
    }
    // Sets section/key of C:\Pardex\Pardex.ini (an empty value removes the key; a missing section
    // is added at the end).
    void SetPardexKey(const std::string& section, const std::string& key, const std::string& value) {
        std::ifstream in(Host(u"C:\\Pardex\\Pardex.ini"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        in.close();
        bool inSection = false, done = false;
        std::vector<std::string> out;
        for (const auto& line : lines) {
            const bool header = !line.empty() && line[0] == '[';
            if (header && inSection && !done) {
                if (!value.empty()) out.push_back(key + "=" + value);
                done = true;
            }
            if (header) inSection = line == "[" + section + "]";
            if (inSection && !header && line.rfind(key + "=", 0) == 0) {
                if (!value.empty()) out.push_back(key + "=" + value);
                done = true;
                continue;
            }
            out.push_back(line);
        }
        if (!done && !value.empty()) {
            if (!inSection) out.push_back("[" + section + "]");
            out.push_back(key + "=" + value);
        }
        std::ofstream write(Host(u"C:\\Pardex\\Pardex.ini"), std::ios::trunc);
        for (const auto& line : out) write << line << "\n";
    }
    std::string ReadLog() {
        std::ifstream in(Host(u"C:\\Users\\User\\AppData\\Local\\Temp\\QVJA_Install_log.txt"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::u16string text(bytes.size() / 2, u'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * 2);
        return palvex::ToUtf8(text);
    }

    palvex::TestMachine m_machine;
};

}  // namespace pardex::testing
