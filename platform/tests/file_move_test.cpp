// Deleting, renaming and replacing files of the simulated machine, with the sharing rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <palvex/files.h>
#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/windows.h>
#include <win/winfiles_move.h>

namespace {

namespace fs = std::filesystem;

constexpr char16_t kFolder[] = u"C:\\Data";
constexpr char16_t kOld[] = u"C:\\Data\\Old.txt";
constexpr char16_t kNew[] = u"C:\\Data\\New.txt";

class FileMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(palvex::HostPath(kFolder));
        Write(kOld, "old");
    }
    static void Write(const char16_t* path, const char* text) {
        std::ofstream(palvex::HostPath(path), std::ios::binary) << text;
    }
    static bool Exists(const char16_t* path) { return fs::exists(palvex::HostPath(path)); }
    static std::string Contents(const char16_t* path) {
        std::ifstream in(palvex::HostPath(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static HANDLE Open(const char16_t* path, DWORD share) {
        return CreateFileW(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    palvex::TestMachine m_machine;
};

TEST_F(FileMoveTest, DeleteFollowsWindows) {
    struct Case {
        const char16_t* path;
        DWORD openShare;  // a handle of this process on the path while deleting; 0xFFFFFFFF none
        bool deleted;
        DWORD lastError;
    };
    const Case cases[] = {
        {kOld, 0xFFFFFFFF, true, ERROR_SUCCESS},
        {u"c:\\data\\OLD.TXT", 0xFFFFFFFF, true, ERROR_SUCCESS},
        {kOld, FILE_SHARE_READ | FILE_SHARE_WRITE, false, ERROR_SHARING_VIOLATION},
        {kOld, FILE_SHARE_READ | FILE_SHARE_DELETE, true, ERROR_SUCCESS},
        {kNew, 0xFFFFFFFF, false, ERROR_FILE_NOT_FOUND},
        {u"C:\\Missing\\Old.txt", 0xFFFFFFFF, false, ERROR_PATH_NOT_FOUND},
        {kFolder, 0xFFFFFFFF, false, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        Write(kOld, "old");
        HANDLE open = c.openShare == 0xFFFFFFFF ? INVALID_HANDLE_VALUE : Open(kOld, c.openShare);
        SetLastError(12345);
        EXPECT_EQ(DeleteFileW(c.path) != FALSE, c.deleted);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.lastError));
        EXPECT_EQ(Exists(kOld), !c.deleted);
        if (open != INVALID_HANDLE_VALUE) CloseHandle(open);
    }
}

TEST_F(FileMoveTest, MoveRenamesAndReplacesOnlyWhenAsked) {
    ASSERT_TRUE(MoveFileExW(kOld, kNew, 0));
    EXPECT_FALSE(Exists(kOld));
    EXPECT_EQ(Contents(kNew), "old");

    Write(kOld, "newer");
    SetLastError(0);
    EXPECT_FALSE(MoveFileExW(kOld, kNew, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(Contents(kNew), "old");

    ASSERT_TRUE(MoveFileExW(kOld, u"c:\\DATA\\new.TXT", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_FALSE(Exists(kOld));
    EXPECT_EQ(Contents(kNew), "newer");
    EXPECT_EQ(fs::directory_iterator(palvex::HostPath(kFolder))->path().filename(), "New.txt");
}

TEST_F(FileMoveTest, MoveFailuresLeaveBothFiles) {
    struct Case {
        const char16_t* from;
        const char16_t* to;
        DWORD flags;
        DWORD lastError;
    };
    const Case cases[] = {
        {kNew, u"C:\\Data\\Other.txt", 0, ERROR_FILE_NOT_FOUND},
        {u"C:\\Missing\\A.txt", kNew, 0, ERROR_PATH_NOT_FOUND},
        {kOld, u"C:\\Missing\\A.txt", 0, ERROR_PATH_NOT_FOUND},
        {kOld, kFolder, MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED},
        {kOld, kNew, 0x2 /* copying across drives is not offered */, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        SetLastError(0);
        EXPECT_FALSE(MoveFileExW(c.from, c.to, c.flags));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.lastError));
        EXPECT_EQ(Contents(kOld), "old");
    }
}

TEST_F(FileMoveTest, OpenFilesMoveOnlyWhenTheyShareDeletion) {
    Write(kNew, "target");
    struct Case {
        const char16_t* held;
        DWORD share;
        bool moves;
        DWORD lastError;
    };
    const Case cases[] = {
        {kOld, FILE_SHARE_READ | FILE_SHARE_WRITE, false, ERROR_SHARING_VIOLATION},
        {kNew, FILE_SHARE_READ | FILE_SHARE_WRITE, false, ERROR_ACCESS_DENIED},
        {kNew, FILE_SHARE_READ | FILE_SHARE_DELETE, true, ERROR_SUCCESS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        Write(kOld, "old");
        Write(kNew, "target");
        HANDLE open = Open(c.held, c.share);
        ASSERT_NE(open, INVALID_HANDLE_VALUE);
        SetLastError(0);
        EXPECT_EQ(MoveFileExW(kOld, kNew, MOVEFILE_REPLACE_EXISTING) != FALSE, c.moves);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.lastError));
        EXPECT_EQ(Contents(kNew), c.moves ? "old" : "target");
        CloseHandle(open);
    }
}

TEST_F(FileMoveTest, AnotherProgramsHoldRefusesUntilItLetsGo) {
    Write(kNew, "target");
    palvex::HoldFileOpen(kNew, FILE_SHARE_READ, 2);
    EXPECT_FALSE(MoveFileExW(kOld, kNew, MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(MoveFileExW(kOld, kNew, MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(MoveFileExW(kOld, kNew, MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(Contents(kNew), "old");

    Write(kOld, "old");
    palvex::HoldFileOpen(kOld, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    EXPECT_TRUE(DeleteFileW(kOld));
}

}  // namespace
