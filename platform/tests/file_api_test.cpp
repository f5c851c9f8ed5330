// Files of the simulated machine: dispositions, reading and writing, sharing, times and folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <palvex/clock.h>
#include <palvex/files.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/windows.h>

namespace {

namespace fs = std::filesystem;
using palvex::TestMachine;

constexpr char16_t kFolder[] = u"C:\\Data";
constexpr char16_t kFile[] = u"C:\\Data\\Note.txt";

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

class FileApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(palvex::HostPath(kFolder));
        std::ofstream(palvex::HostPath(kFile), std::ios::binary) << "hello";
    }
    void TearDown() override { palvex::UseRealClock(); }

    static HANDLE Open(const char16_t* path, DWORD access, DWORD share, DWORD disposition) {
        return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    static std::string Contents(const char16_t* path) {
        std::ifstream in(palvex::HostPath(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TestMachine m_machine;
};

TEST_F(FileApiTest, DispositionsFollowWindows) {
    struct Case {
        const char16_t* path;
        DWORD disposition;
        DWORD access;
        bool opens;
        DWORD lastError;
        const char* contentsAfter;  // of the path, when it exists afterwards
    };
    const Case cases[] = {
        {kFile, OPEN_EXISTING, GENERIC_READ, true, ERROR_SUCCESS, "hello"},
        {u"c:\\DATA\\note.TXT", OPEN_EXISTING, GENERIC_READ, true, ERROR_SUCCESS, "hello"},  // case ignored
        {kFile, OPEN_ALWAYS, GENERIC_WRITE, true, ERROR_ALREADY_EXISTS, "hello"},
        {kFile, CREATE_ALWAYS, GENERIC_WRITE, true, ERROR_ALREADY_EXISTS, ""},
        {kFile, CREATE_NEW, GENERIC_WRITE, false, ERROR_FILE_EXISTS, "hello"},
        {kFile, TRUNCATE_EXISTING, GENERIC_WRITE, true, ERROR_SUCCESS, ""},
        {kFile, TRUNCATE_EXISTING, GENERIC_READ, false, ERROR_INVALID_PARAMETER, "hello"},
        {u"C:\\Data\\New.txt", OPEN_EXISTING, GENERIC_READ, false, ERROR_FILE_NOT_FOUND, nullptr},
        {u"C:\\Data\\New.txt", CREATE_NEW, GENERIC_WRITE, true, ERROR_SUCCESS, ""},
        {u"C:\\Data\\New.txt", OPEN_ALWAYS, GENERIC_WRITE, true, ERROR_SUCCESS, ""},
        {u"C:\\Missing\\New.txt", CREATE_ALWAYS, GENERIC_WRITE, false, ERROR_PATH_NOT_FOUND, nullptr},
        {kFolder, OPEN_EXISTING, GENERIC_READ, false, ERROR_ACCESS_DENIED, nullptr},
        {kFile, 0, GENERIC_READ, false, ERROR_INVALID_PARAMETER, "hello"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "disposition " << c.disposition);
        std::ofstream(palvex::HostPath(kFile), std::ios::binary) << "hello";
        fs::remove(palvex::HostPath(u"C:\\Data\\New.txt"));
        SetLastError(12345);
        HANDLE file = Open(c.path, c.access, 0, c.disposition);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
        EXPECT_EQ(GetLastError(), c.lastError);
        if (file != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(file));
        }
        if (c.contentsAfter) {
            EXPECT_EQ(Contents(c.path), c.contentsAfter);
        }
    }
}

TEST_F(FileApiTest, ReadsWritesAndMovesThePointer) {
    HANDLE file = Open(u"C:\\Data\\Data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "0123456789", 10, &done, nullptr));
    EXPECT_EQ(done, 10u);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file, &high), 10u);
    EXPECT_EQ(high, 0u);

    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(file, buffer, 4, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "3456");
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_CURRENT), 5u);
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), 9u);
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "9");
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));  // at the end: nothing, still TRUE
    EXPECT_EQ(done, 0u);

    EXPECT_EQ(SetFilePointer(file, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    LONG farHigh = 1;  // 4 GiB + 2: a 64-bit move
    EXPECT_EQ(SetFilePointer(file, 2, &farHigh, FILE_BEGIN), 2u);
    EXPECT_EQ(farHigh, 1);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(Contents(u"C:\\Data\\Data.bin"), "0123456789");
}

TEST_F(FileApiTest, AccessIsChecked) {
    HANDLE reader = Open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(reader);

    HANDLE writer = Open(kFile, GENERIC_WRITE, 0, OPEN_EXISTING);
    char buffer[4];
    EXPECT_FALSE(ReadFile(writer, buffer, 4, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(writer);

    EXPECT_FALSE(ReadFile(reinterpret_cast<HANDLE>(0x1234), buffer, 4, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(reinterpret_cast<HANDLE>(0x1234), nullptr), INVALID_FILE_SIZE);
}

TEST_F(FileApiTest, SharingFollowsTheShareModesOfOpenHandles) {
    struct Case {
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    };
    const DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    const Case cases[] = {
        {R, SR, R, SR, true},
        {R, 0, R, SR, false},         // the first shares nothing
        {R, SR, R, 0, false},         // the second does not share the first's reading
        {R, SR, W, SR, false},        // writing is not shared
        {R, SR | SW, W, SR, true},
        {W, SR, R, SR | SW, true},
        {W, SR, R, SR, false},        // the second does not share the first's writing
        {0, 0, R | W, 0, true},       // an open for attributes only shares everything
        {R, 0, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.firstAccess << "/" << c.firstShare << " then " << c.secondAccess << "/"
                                          << c.secondShare);
        HANDLE first = Open(kFile, c.firstAccess, c.firstShare, OPEN_EXISTING);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        HANDLE second = Open(kFile, c.secondAccess, c.secondShare, OPEN_EXISTING);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        } else {
            CloseHandle(second);
        }
        CloseHandle(first);
    }
    // Closing the last handle frees the file.
    HANDLE again = Open(kFile, R | W, 0, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST_F(FileApiTest, AFileHeldByAnotherProgramRefusesConflictingOpens) {
    palvex::HoldFileOpen(kFile, FILE_SHARE_READ, 2);
    HANDLE reader = Open(kFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);  // reading is shared and does not count as a refusal
    CloseHandle(reader);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(Open(kFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(Contents(kFile), "hello");  // a refused CREATE_ALWAYS empties nothing
    }
    HANDLE writer = Open(kFile, GENERIC_WRITE, 0, CREATE_ALWAYS);  // the holder has let go
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);

    palvex::HoldFileOpen(kFile, 0);
    EXPECT_EQ(Open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    palvex::ReleaseFile(kFile);
    HANDLE freed = Open(kFile, GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_NE(freed, INVALID_HANDLE_VALUE);
    CloseHandle(freed);
    EXPECT_THROW(palvex::HoldFileOpen(u"C:\\Data\\None.txt", 0), palvex::MachineError);
}

TEST_F(FileApiTest, TimesComeFromTheMachineClockAndTheMachinesRecords) {
    // 2024-01-02 03:04:05.006 UTC: 19724 days after 1970-01-01 (54 years with 13 leap days, plus
    // one day) and 11045 seconds, that is 1704164645 s after the Unix epoch; in 100 ns units since
    // 1601: 116444736000000000 + 1704164645 * 10^7 + 6 * 10^4.
    constexpr uint64_t kCreated = 133486382450060000ULL;
    palvex::SetVirtualClock(SYSTEMTIME{2024, 1, 2, 2, 3, 4, 5, 6});
    HANDLE file = Open(u"C:\\Data\\Timed.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME creation{}, access{}, write{};
    ASSERT_TRUE(GetFileTime(file, &creation, &access, &write));
    EXPECT_EQ(Ticks(creation), kCreated);
    EXPECT_EQ(Ticks(write), kCreated);

    palvex::SetVirtualClock(SYSTEMTIME{2024, 1, 2, 2, 3, 4, 6, 6});  // one second later
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "abc", 3, &done, nullptr));
    ASSERT_TRUE(CloseHandle(file));

    file = Open(u"c:\\data\\TIMED.TXT", GENERIC_WRITE, 0, CREATE_ALWAYS);  // emptied, still the same file
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(GetFileTime(file, &creation, nullptr, &write));
    EXPECT_EQ(Ticks(creation), kCreated);
    EXPECT_EQ(Ticks(write), kCreated + 10000000);
    CloseHandle(file);

    // Tests set both times; a file the machine never saw gets its last-write time as creation time.
    const FILETIME older = FromTicks(kCreated - 50000000), newer = FromTicks(kCreated + 70000000);
    palvex::SetFileTimes(u"C:\\Data\\Timed.txt", &older, &newer);
    file = Open(u"C:\\Data\\Timed.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(GetFileTime(file, &creation, nullptr, &write));
    EXPECT_EQ(Ticks(creation), kCreated - 50000000);
    EXPECT_EQ(Ticks(write), kCreated + 70000000);
    CloseHandle(file);

    palvex::SetFileTimes(kFile, nullptr, &newer);
    file = Open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(GetFileTime(file, &creation, nullptr, &write));
    EXPECT_EQ(Ticks(creation), Ticks(newer));
    CloseHandle(file);
    palvex::SetFileTimes(kFile, nullptr, &older);  // the creation time stays as first seen
    file = Open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(GetFileTime(file, &creation, nullptr, &write));
    EXPECT_EQ(Ticks(creation), Ticks(newer));
    EXPECT_EQ(Ticks(write), Ticks(older));
    CloseHandle(file);
}

TEST_F(FileApiTest, AttributesAndSystemFolders) {
    EXPECT_EQ(GetFileAttributesW(kFile), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"c:\\data"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(u"C:\\Data\\None.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(u"C:\\None\\None.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    WCHAR buffer[64];
    EXPECT_EQ(GetSystemDirectoryW(buffer, 64), 19u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\Windows\\System32");
    EXPECT_EQ(GetSystemDirectoryW(buffer, 19), 20u);  // too small: the size with the terminator
    EXPECT_EQ(GetWindowsDirectoryW(buffer, 64), 10u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\Windows");
    EXPECT_EQ(GetWindowsDirectoryW(nullptr, 0), 11u);
}

}  // namespace
