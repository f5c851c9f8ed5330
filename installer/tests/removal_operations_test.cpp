// Taking the old driver's pieces off the system, and keeping the installer for its removal.
#include <cstring>

#include <palvex/process_image.h>
#include <win/fileapi.h>
#include <win/setupapi.h>
#include <win/winreg.h>

#include "removal_operations.h"
#include "worker_fixture.h"

namespace {

using pardex::testing::kModel;
using pardex::testing::WorkerMachine;

constexpr char16_t kInstallFolder[] = u"C:\\Program Files\\Orlune\\PrinterDrivers\\Korvel Palvex QM410_QF410_QF380";
constexpr char16_t kEntry[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvel Palvex QM410/QF410/QF380 Installer";

class RemovalOperations : public WorkerMachine {
protected:
    bool Exists(const std::u16string& path) { return std::filesystem::exists(Host(path)); }
    std::string Read(const std::u16string& path) {
        std::ifstream in(Host(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A value's type and bytes.
    std::pair<DWORD, std::vector<BYTE>> Value(HKEY key, const char16_t* name) {
        DWORD type = 0, size = 0;
        RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        std::vector<BYTE> bytes(size);
        RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size);
        return {type, bytes};
    }
    static std::vector<BYTE> Text(const std::u16string& text) {
        std::vector<BYTE> bytes((text.size() + 1) * 2, 0);
        std::memcpy(bytes.data(), text.c_str(), text.size() * 2);
        return bytes;
    }
    void Publish(const std::u16string& inf) {
        palvex::PrinterSetup setup;
        setup.infPath = inf;
        setup.model = kModel;
        ASSERT_EQ(palvex::InstallPrinterPackage(setup), 0u);
    }
};

TEST_F(RemovalOperations, RegistersTheKeptInstallerForRemoval) {
    // An installer started from a file of another name is kept, and registered, as Pardex.exe.
    palvex::SetProcessImagePath(u"C:\\Pardex\\Setup.exe");
    RegUninstallerInfo(&m_drvData);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key), ERROR_SUCCESS);
    const std::u16string folder = kInstallFolder;
    const std::pair<const char16_t*, std::u16string> texts[] = {
        {u"DisplayName", kModel},
        {u"InstallLocation", folder},
        {u"Publisher", u"Orlune Company., Ltd."},
        {u"DisplayVersion", u"3.17.6821.36"},
        {u"UninstallString", folder + u"\\Pardex.exe /Uninstall"},
        {u"DisplayIcon", folder + u"\\Pardex.exe"},
    };
    for (const auto& [name, text] : texts) {
        const auto [type, bytes] = Value(key, name);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << palvex::ToUtf8(name);
        EXPECT_EQ(bytes, Text(text)) << palvex::ToUtf8(name);  // with its terminating null: 2 * length + 2 bytes
    }
    for (const char16_t* name : {u"NoModify", u"NoRepair"}) {
        const auto [type, bytes] = Value(key, name);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(bytes, (std::vector<BYTE>{1, 0, 0, 0}));
    }
    RegCloseKey(key);
}

TEST_F(RemovalOperations, KeepsTheInstallerFilesOrSaysItCouldNot) {
    std::ofstream(Host(u"C:\\Pardex\\Setup.exe")) << "the installer";
    palvex::SetProcessImagePath(u"C:\\Pardex\\Setup.exe");
    // A read-only Pardex.ini of an earlier run is overwritten.
    std::filesystem::create_directories(Host(kInstallFolder));
    std::ofstream(Host(kInstallFolder + std::u16string(u"\\Pardex.ini"))) << "old";
    SetFileAttributesW((kInstallFolder + std::u16string(u"\\Pardex.ini")).c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(CopyUninstaller(nullptr, &m_drvData));
    const std::u16string folder = kInstallFolder;
    EXPECT_EQ(Read(folder + u"\\Pardex.exe"), "the installer");
    EXPECT_EQ(Read(folder + u"\\Pardex.ini"), Read(u"C:\\Pardex\\Pardex.ini"));
    EXPECT_TRUE(Exists(folder + u"\\Resource\\String\\0411\\String.ini"));
    EXPECT_TRUE(Exists(folder + u"\\0411\\TOVQEB.INF"));

    // A file that cannot be copied is a failure, not a kept installer with a hole in it.
    std::filesystem::remove(Host(u"C:\\Pardex\\Setup.exe"));
    EXPECT_FALSE(CopyUninstaller(nullptr, &m_drvData));
    std::ofstream(Host(u"C:\\Pardex\\Setup.exe")) << "the installer";
    // Without its resources the language folder is not copied either.
    std::filesystem::remove_all(Host(folder));
    std::filesystem::remove_all(Host(u"C:\\Pardex\\Resource"));
    EXPECT_FALSE(CopyUninstaller(nullptr, &m_drvData));
    EXPECT_FALSE(Exists(folder + u"\\0411"));
}

TEST_F(RemovalOperations, DeletesThePrintProcessorOfAnEnvironment) {
    DWORD lastError = 77;
    // Not installed at all: nothing is left to delete, which is no failure.
    EXPECT_TRUE(DeletePrintProcessorFile(&m_drvData, u"Windows x64", u"tovqebpp", lastError));
    EXPECT_EQ(lastError, 0u);

    StageDriverFiles();
    Publish(u"C:\\Pardex\\0411\\TOVQEB.INF");
    const std::u16string file = u"C:\\Windows\\System32\\spool\\prtprocs\\x64\\tovqebpp.dll";
    ASSERT_TRUE(Exists(file));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeletePrintProcessorFile(&m_drvData, u"Windows x64", u"tovqebpp", lastError));
    EXPECT_EQ(lastError, 0u);
    EXPECT_FALSE(palvex::PrintProcessorFile(u"tovqebpp").has_value());
    EXPECT_FALSE(Exists(file));

    EXPECT_FALSE(DeletePrintProcessorFile(&m_drvData, u"Windows ARM", u"tovqebpp", lastError));
    EXPECT_EQ(lastError, static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
    EXPECT_TRUE(LogHas("[LV0] Print Processor Delete Error Windows ARM (1805)\r\n"));
}

TEST_F(RemovalOperations, DeletesThePublishedPackagesOfItsInf) {
    StageDriverFiles();
    Publish(u"C:\\Pardex\\0411\\TOVQEB.INF");
    // Another driver's package stays.
    std::filesystem::copy_file(Host(u"C:\\Pardex\\0411\\TOVQEB.INF"), Host(u"C:\\Pardex\\0411\\OTHER.INF"));
    std::ofstream(Host(u"C:\\Pardex\\0411\\OTHER.INF"), std::ios::app) << "; another package\n";
    Publish(u"C:\\Pardex\\0411\\OTHER.INF");
    ASSERT_TRUE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
    ASSERT_TRUE(Exists(u"C:\\Windows\\INF\\oem1.inf"));

    // Before Windows 6.0 there is no driver store to ask.
    auto profile = palvex::GetOsProfile();
    const auto windows7 = profile;
    profile.majorVersion = 5;
    profile.minorVersion = 1;
    palvex::SetOsProfile(profile);
    DWORD lastError = 0;
    EXPECT_FALSE(DeleteDriverPackage(&m_drvData, lastError, nullptr));
    EXPECT_TRUE(LogHas("[LV0] GetProcAddress Failed. 127\r\n"));
    EXPECT_TRUE(Exists(u"C:\\Windows\\INF\\oem0.inf"));

    palvex::SetOsProfile(windows7);
    EXPECT_TRUE(DeleteDriverPackage(&m_drvData, lastError, nullptr));
    EXPECT_EQ(lastError, 0u);
    EXPECT_TRUE(LogHas("[LV3] DsDeletePackage:oem0.inf\r\n"));
    EXPECT_TRUE(LogHas("[LV1] 64bit PnPUtil -f -d \"oem0.inf\"\r\n"));
    EXPECT_FALSE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
    EXPECT_TRUE(Exists(u"C:\\Windows\\INF\\oem1.inf"));
    WCHAR location[260] = {};
    EXPECT_FALSE(SetupGetInfDriverStoreLocationW(u"oem0.inf", nullptr, nullptr, location, 260, nullptr));
    EXPECT_TRUE(SetupGetInfDriverStoreLocationW(u"oem1.inf", nullptr, nullptr, location, 260, nullptr));

    // On a 32-bit system the command runs without switching file-system redirection.
    Publish(u"C:\\Pardex\\0411\\TOVQEB.INF");
    profile = windows7;
    profile.processorArchitecture = 0;
    palvex::SetOsProfile(profile);
    EXPECT_TRUE(DeleteDriverPackage(&m_drvData, lastError, nullptr));
    EXPECT_TRUE(LogHas("[LV1] 32bit PnPUtil -f -d \"oem0.inf\"\r\n"));
    EXPECT_FALSE(Exists(u"C:\\Windows\\INF\\oem0.inf"));
    palvex::SetOsProfile(windows7);
}

}  // namespace
