// Folders, searches, read-only attributes, delayed file operations, registry subkeys and address
// texts of the machine.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <win/windows.h>
#include <win/winfiles_move.h>
#include <win/winsock2.h>

namespace {

std::vector<std::u16string> Names(const std::u16string& pattern) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_MORE_FILES});
    FindClose(search);
    return names;
}

TEST(Folders, MadeSearchedAndRemoved) {
    palvex::TestMachine machine;
    ASSERT_TRUE(CreateDirectoryW(u"C:\\Data", nullptr));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\Data", nullptr));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
    EXPECT_FALSE(CreateDirectoryW(u"C:\\Missing\\Child", nullptr));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_PATH_NOT_FOUND});
    ASSERT_TRUE(CreateDirectoryW(u"C:\\data\\Sub", nullptr));  // found without regard to case
    for (const char16_t* file : {u"C:\\Data\\b.TXT", u"C:\\Data\\a.txt", u"C:\\Data\\c.ini"}) {
        HANDLE handle = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        CloseHandle(handle);
    }
    const std::vector<std::u16string> all{u".", u"..", u"Sub", u"a.txt", u"b.TXT", u"c.ini"};
    EXPECT_EQ(Names(u"C:\\Data\\*.*"), all);
    EXPECT_EQ(Names(u"C:\\Data\\*.txt"), (std::vector<std::u16string>{u"a.txt", u"b.TXT"}));
    EXPECT_EQ(Names(u"C:\\Data\\?.ini"), std::vector<std::u16string>{u"c.ini"});
    WIN32_FIND_DATAW found;
    EXPECT_EQ(FindFirstFileW(u"C:\\Data\\*.doc", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(FindFirstFileW(u"C:\\Nowhere\\*.*", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_PATH_NOT_FOUND});

    ASSERT_TRUE(SetFileAttributesW(u"C:\\Data\\a.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(u"C:\\Data\\a.txt"), DWORD{FILE_ATTRIBUTE_READONLY});
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Data\\a.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"C:\\Data\\a.txt"), DWORD{FILE_ATTRIBUTE_NORMAL});

    EXPECT_FALSE(RemoveDirectoryW(u"C:\\Data"));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_DIR_NOT_EMPTY});
    EXPECT_TRUE(RemoveDirectoryW(u"C:\\Data\\Sub"));

    EXPECT_TRUE(MoveFileExW(u"C:\\Data\\c.ini", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(GetFileAttributesW(u"C:\\Data\\c.ini"), DWORD{FILE_ATTRIBUTE_NORMAL});  // still there until restart
    std::ifstream pending(machine.root() / "kernel" / "pending_file_operations.txt");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(pending)), std::istreambuf_iterator<char>()),
              "C:\\Data\\c.ini\t\n");
}

TEST(Registry, SubkeysByIndex) {
    palvex::TestMachine machine;
    HKEY key = nullptr;
    for (const char16_t* path : {u"Software\\Enum\\beta", u"Software\\Enum\\Alpha"}) {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Enum", 0, KEY_READ, &key), ERROR_SUCCESS);
    WCHAR name[8];
    DWORD length = 8;
    ASSERT_EQ(RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"Alpha");
    EXPECT_EQ(length, 5u);
    length = 8;
    ASSERT_EQ(RegEnumKeyExW(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"beta");
    length = 8;
    EXPECT_EQ(RegEnumKeyExW(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    length = 3;
    EXPECT_EQ(RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    RegCloseKey(key);
}

TEST(Sockets, AddressTexts) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    struct Case {
        const char16_t* text;
        bool valid;
        BYTE first;
        unsigned short port;
    } const cases[] = {{u"192.168.0.10", true, 192, 0}, {u"10.0.0.5:9100", true, 10, 9100},
                       {u"256.1.1.1", false, 0, 0},     {u"1.2.3", false, 0, 0},
                       {u"host.example", false, 0, 0},  {u"1.2.3.4:70000", false, 0, 0}};
    for (const auto& c : cases) {
        std::u16string text = c.text;
        SOCKADDR_IN address{};
        INT length = sizeof address;
        const int result = WSAStringToAddressW(text.data(), AF_INET, nullptr, reinterpret_cast<LPSOCKADDR>(&address), &length);
        EXPECT_EQ(result == 0, c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(address.sin_family, AF_INET);
        EXPECT_EQ(address.sin_addr[0], c.first);
        EXPECT_EQ((address.sin_port >> 8) | ((address.sin_port & 0xFF) << 8), c.port);  // network order
    }
    EXPECT_EQ(WSACleanup(), 0);
    std::u16string text = u"1.2.3.4";
    SOCKADDR_IN address{};
    INT length = sizeof address;
    EXPECT_EQ(WSAStringToAddressW(text.data(), AF_INET, nullptr, reinterpret_cast<LPSOCKADDR>(&address), &length), -1);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace
