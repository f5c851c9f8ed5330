// The installer's text and version helpers, addresses, registry trees, folders and the driver-use
// test, as tables of cases worked out by hand.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <palvex/paths.h>
#include <palvex/utf8.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "installer_fixture.h"
#include "utilities.h"

namespace {

TEST(Versions, NormalisedAndComparedByNumber) {
    EXPECT_EQ(NormalizeVersion(u"3.17.6821.35"), u"0003001768210035");
    EXPECT_EQ(NormalizeVersion(u"3.17"), u"0003001700000000");
    EXPECT_EQ(NormalizeVersion(u"1.2.3.4.5"), u"0001000200030004");
    EXPECT_EQ(NormalizeVersion(u"3.17.10000.0"), u"00030017100000000");
    struct Case {
        const char16_t* first;
        const char16_t* second;
        int sign;
    } const cases[] = {
        {u"3.17.6821.35", u"3.17.6821.36", 1},  {u"3.17.6821.36", u"3.17.6821.35", -1},
        {u"3.17", u"3.17.0.0", 0},               {u"3.9", u"3.10", 1},
        {u"3.17.6821.35", u"3.17.6821.035", 0}, {u"3.17.9999.0", u"3.17.10000.0", 1},  // numbers, not texts
        {u"", u"0.0.0.0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(palvex::ToUtf8(std::u16string(c.first) + u" vs " + c.second));
        const int result = CompareVersion(c.first, c.second);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
    }
}

TEST(Texts, QuotesFileNamesAndUniqueNames) {
    EXPECT_EQ(EscapeQuotes(u"A \"B\" C"), u"A \\\"B\\\" C");
    EXPECT_EQ(MakeFileNameSafe(u"Korvel Palvex QM410/QF410:QF380"), u"Korvel Palvex QM410_QF410_QF380");
    EXPECT_EQ(MakeFileNameSafe(u"\\/:*?\"<>|ok"), u"_________ok");
    EXPECT_EQ(MakeUniqueName(u"Printer", {u"printer", u"Printer1"}), u"Printer2");
    EXPECT_EQ(MakeUniqueName(u"Printer", {u"Other"}), u"Printer");
    std::vector<std::u16string> all{u"P"};
    for (int i = 1; i <= 999; ++i) all.push_back(u"P" + palvex::FromUtf8(std::to_string(i)));
    EXPECT_EQ(MakeUniqueName(u"P", all), u"P");  // every name taken: the base itself
}

TEST(Texts, IppPorts) {
    struct Case {
        const char16_t* port;
        BOOL ipp;
    } const cases[] = {
        {u"http://192.168.0.10/ipp", TRUE}, {u"https://printer.local:631/ipp/print", TRUE},
        {u"HTTP://192.168.0.10/ipp", FALSE}, {u"ftp://192.168.0.10/ipp", FALSE},
        {u"http://192.168.0.10/print", FALSE}, {u"/ipp http://x", FALSE},  // "/ipp" at the very start
        {u"IP_192.168.0.10", FALSE},
    };
    for (const auto& c : cases) EXPECT_EQ(IsIppPort(c.port), c.ipp) << palvex::ToUtf8(c.port);
}

TEST(Addresses, OnlyUsableIPv4Addresses) {
    struct Case {
        const char16_t* address;
        BOOL valid;
    } const cases[] = {{u"192.168.0.10", TRUE}, {u"1.0.0.1", TRUE},     {u"223.255.255.254", TRUE},
                       {u"127.0.0.1", FALSE},   {u"0.1.2.3", FALSE},    {u"224.0.0.1", FALSE},
                       {u"printer.local", FALSE}, {u"192.168.0", FALSE}, {u"192.168.0.256", FALSE},
                       {u"", FALSE}};
    for (const auto& c : cases) EXPECT_EQ(CheckIPAddr(c.address), c.valid) << palvex::ToUtf8(c.address);
}

class OnMachine : public ::testing::Test {
protected:
    void SetVersion(DWORD major, DWORD minor) {
        auto profile = palvex::GetOsProfile();
        profile.majorVersion = major;
        profile.minorVersion = minor;
        palvex::SetOsProfile(profile);
    }
    palvex::TestMachine m_machine;
};

TEST_F(OnMachine, NetworkPrinterNamesByWindowsVersion) {
    std::u16string name = u"unchanged";
    SetVersion(6, 1);
    ASSERT_TRUE(MakeNetworkPrinterName(u"\\\\SRV\\LaserA", name));
    EXPECT_EQ(name, u"LaserA (SRV 上)");
    SetVersion(5, 1);
    ASSERT_TRUE(MakeNetworkPrinterName(u"\\\\SRV\\LaserA", name));
    EXPECT_EQ(name, u"LaserA - SRV");
    ASSERT_TRUE(MakeNetworkPrinterName(u"\\\\SRV", name));
    EXPECT_EQ(name, u"SRV");
    name = u"unchanged";
    EXPECT_FALSE(MakeNetworkPrinterName(u"LaserA", name));
    EXPECT_EQ(name, u"unchanged");
}

TEST_F(OnMachine, WindowsVersionAndArchitecture) {
    SetVersion(6, 1);
    EXPECT_TRUE(IsWindowsVersionOrLater(6, 0));
    EXPECT_TRUE(IsWindowsVersionOrLater(6, 1));
    EXPECT_FALSE(IsWindowsVersionOrLater(6, 2));
    EXPECT_FALSE(IsWindowsVersionOrLater(10, 0));
    EXPECT_EQ(GetNativeArchitecture(), 9);
}

TEST_F(OnMachine, AdministratorFromTheProfile) {
    EXPECT_TRUE(IsAdminUser());
    auto profile = palvex::GetOsProfile();
    profile.administrator = false;
    palvex::SetOsProfile(profile);
    EXPECT_FALSE(IsAdminUser());
}

TEST_F(OnMachine, RegistryTreesAreDeletedWithinTheirBuffer) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Orlune\\Tree\\A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Orlune\\Tree\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(DeleteRegistryTree(u"Software\\Orlune\\Tree"));
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Orlune\\Tree", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Orlune", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(DeleteRegistryTree(u"Software\\Orlune\\Missing"));  // nothing there: done

    // A subkey whose full path would not fit the 520-character buffer stops the walk.
    const std::u16string longName(200, u'k');
    const std::u16string base = u"Software\\Deep\\" + longName + u"\\" + longName;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (base + u"\\" + longName).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    WCHAR path[kRegistryPathLength] = {};
    base.copy(path, base.size());
    EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, path));
    EXPECT_EQ(std::u16string(path), base);  // the caller's path is given back as it was
}

TEST_F(OnMachine, FoldersAreMadeCopiedAndDeleted) {
    ASSERT_TRUE(DsCreateDirectory(u"C:\\Work\\One\\Two\\"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\Work\\One\\Two"), DWORD{FILE_ATTRIBUTE_DIRECTORY});
    for (const char16_t* file : {u"C:\\Work\\One\\a.txt", u"C:\\Work\\One\\Two\\b.txt", u"C:\\Work\\One\\Two\\String.ini"}) {
        HANDLE handle = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        CloseHandle(handle);
    }
    SetFileAttributesW(u"C:\\Work\\One\\a.txt", FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(DsCopyDirectory2(u"C:\\Work\\One", u"C:\\Copy"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\Copy\\a.txt"), DWORD{FILE_ATTRIBUTE_NORMAL});  // the copy is writable
    EXPECT_EQ(GetFileAttributesW(u"C:\\Copy\\Two\\b.txt"), DWORD{FILE_ATTRIBUTE_NORMAL});

    // A file that is held open cannot go now: it waits for the restart and the folder stays.
    HANDLE locked = CreateFileW(u"C:\\Copy\\Two\\b.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DsDeleteDirectory(u"C:\\Copy"));
    CloseHandle(locked);
    std::ifstream pending(m_machine.root() / "kernel" / "pending_file_operations.txt");
    std::string all((std::istreambuf_iterator<char>(pending)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("C:\\Copy\\Two\\b.txt\t\n"), std::string::npos);
    EXPECT_NE(all.find("C:\\Copy\\Two\\String.ini\t\n"), std::string::npos);  // never deleted at once
    EXPECT_EQ(GetFileAttributesW(u"C:\\Copy\\a.txt"), INVALID_FILE_ATTRIBUTES);

    EXPECT_TRUE(DsDeleteDirectory(u"C:\\Work\\One\\Two\\..\\..\\Empty") == FALSE);  // cannot be searched
}

TEST_F(OnMachine, FoldersAreCopiedThroughTheShellAndTheirAccessIsChecked) {
    ASSERT_TRUE(DsCreateDirectory(u"C:\\Source\\Sub"));
    for (const char16_t* file : {u"C:\\Source\\a.inf", u"C:\\Source\\Sub\\b.dll"}) {
        HANDLE handle = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        CloseHandle(handle);
    }
    // The target is made first, so the source's contents (not the folder itself) land in it.
    ASSERT_TRUE(DsCopyDirectory(u"C:\\Source\\", u"C:\\Target\\Deep"));
    EXPECT_NE(GetFileAttributesW(u"C:\\Target\\Deep\\a.inf"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(u"C:\\Target\\Deep\\Sub\\b.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(u"C:\\Target\\Deep\\Source"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(DsCopyDirectory(u"C:\\Missing", u"C:\\Target\\Other"));

    struct Case {
        const char16_t* folder;
        int expected;
    } const cases[] = {
        {u"C:\\Target\\Deep", 0},
        {u"C:\\Target\\Deep\\", 0},
        {u"C:\\Target\\Not\\Yet\\Made", 0},  // its nearest existing parent decides
        {u"Nowhere", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckFolderAccess(c.folder), c.expected) << palvex::ToUtf8(c.folder);
}

TEST_F(OnMachine, DriverInUseWhileAnotherProcessHoldsTheMutex) {
    EXPECT_FALSE(CheckDriverActive(u"QVJA"));
    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    const std::string machine = "PALVEX_MACHINE=" + m_machine.root().string();
    std::string program = PARDEX_TEST_PEER, mutexName = "VORTAN_QVJA_DRIVERUSE_MUTEX";
    char* argv[] = {program.data(), mutexName.data(), nullptr};
    char* envp[] = {const_cast<char*>(machine.c_str()), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    char ready[6] = {};
    ASSERT_EQ(read(fromChild[0], ready, 6), 6);  // the child holds the mutex now

    EXPECT_TRUE(CheckDriverActive(u"QVJA"));
    EXPECT_FALSE(CheckDriverActive(u"OLJA"));  // another market word names another mutex

    close(toChild[1]);  // lets the child go
    int status = 0;
    waitpid(pid, &status, 0);
    close(fromChild[0]);
    EXPECT_FALSE(CheckDriverActive(u"QVJA"));
}

}  // namespace

namespace {

TEST_F(OnMachine, StandardPortsThroughThePortMonitor) {
    std::u16string name;
    ASSERT_TRUE(AddStandardPort(u"10.0.0.5", name));
    EXPECT_EQ(name, u"IP_10.0.0.5");
    const auto ports = palvex::ListPorts();
    ASSERT_EQ(ports.size(), 1u);
    pardex::testing::ExpectStandardPort(ports[0], u"10.0.0.5");
    // The monitor refuses a port that exists: that is no success.
    EXPECT_FALSE(XcvAddPort(u"10.0.0.5"));
    EXPECT_EQ(palvex::ListPorts().size(), 1u);
}

TEST_F(OnMachine, PortRecordBytesAsTheMonitorReadsThem) {
    // The record laid out by hand at the documented offsets.
    std::vector<BYTE> record(964, 0);
    auto put16 = [&](size_t offset, const std::u16string& text) { std::memcpy(&record[offset], text.data(), text.size() * 2); };
    auto put32 = [&](size_t offset, DWORD value) { std::memcpy(&record[offset], &value, 4); };
    put16(0, u"LPR_A");
    put32(128, 1);    // version
    put32(132, 2);    // LPR
    put32(136, 964);  // size
    put16(144, u"192.168.3.4");
    put16(312, u"lp1");
    put32(952, 515);
    std::u16string monitor = u",XcvMonitor Standard TCP/IP Port";
    HANDLE xcv = nullptr;
    ASSERT_TRUE(OpenPrinterW(monitor.data(), &xcv, nullptr));
    DWORD needed = 0, status = 0;
    ASSERT_TRUE(XcvDataW(xcv, u"AddPort", record.data(), 964, nullptr, 0, &needed, &status));
    EXPECT_EQ(status, DWORD{ERROR_SUCCESS});
    ASSERT_TRUE(XcvDataW(xcv, u"AddPort", record.data(), 963, nullptr, 0, &needed, &status));
    EXPECT_EQ(status, DWORD{ERROR_INVALID_PARAMETER});
    ASSERT_TRUE(XcvDataW(xcv, u"DeletePortX", record.data(), 964, nullptr, 0, &needed, &status));
    EXPECT_EQ(status, DWORD{ERROR_INVALID_FUNCTION});
    ClosePrinter(xcv);
    const auto ports = palvex::ListPorts();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].queue, u"lp1");
    EXPECT_EQ(ports[0].portNumber, 515u);
    EXPECT_EQ(ports[0].protocol, 2u);
    EXPECT_FALSE(XcvDataW(nullptr, u"AddPort", record.data(), 964, nullptr, 0, &needed, &status));
}

}  // namespace
