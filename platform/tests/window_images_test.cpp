// Icons, cursors and bitmaps loaded from a resource library, the choice of an icon image by
// size, fonts and the screen's text measurement, and temporary files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <palvex/machine.h>
#include <palvex/os_profile.h>
#include <palvex/paths.h>
#include <palvex/user_objects.h>
#include <palvex/utf8.h>
#include <win/windows.h>

namespace {

constexpr int kIcon = 10;
constexpr int kCursor = 20;
constexpr int kBitmap = 30;

// An icon of the system's size whose image is width pixels square with bitCount bits a pixel.
void ExpectIconOfSize(HICON icon, int width, int bitCount) {
    palvex::IconDescription description;
    ASSERT_TRUE(palvex::DescribeIcon(icon, &description));
    EXPECT_TRUE(description.isIcon);
    EXPECT_EQ(description.width, 32);
    EXPECT_EQ(description.imageWidth, width);
    EXPECT_EQ(description.bitCount, bitCount);
}

class WindowImages : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = std::string(PALVEX_WINDOW_RESOURCE_DIR) + "/window_test_res.dll";
        m_module = LoadLibraryExW(palvex::FromUtf8(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
    }
    void TearDown() override { FreeLibrary(m_module); }

    HMODULE m_module = nullptr;
};

TEST_F(WindowImages, IconOfTheSystemSizeAndTheBestImageForOthers) {
    HICON icon = LoadIconW(m_module, MAKEINTRESOURCEW(kIcon));
    ExpectIconOfSize(icon, 32, 8);

    HRSRC group = FindResourceW(m_module, MAKEINTRESOURCEW(kIcon), RT_GROUP_ICON);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(m_module, group)));
    // The images are 16 x 16 (32 bits), 32 x 32 (8 bits) and 48 x 48 (32 bits), in that order.
    const struct {
        int size;
        int imageIndex;
    } cases[] = {{16, 0}, {20, 0}, {30, 1}, {38, 1}, {48, 2}, {64, 2}};
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i) {
        WORD id = 0;
        std::memcpy(&id, directory + 6 + i * 14 + 12, 2);
        ids.push_back(id);
    }
    for (const auto& c : cases)
        EXPECT_EQ(LookupIconIdFromDirectoryEx(directory, TRUE, c.size, c.size, 0), ids[c.imageIndex]) << c.size;
    EXPECT_EQ(LookupIconIdFromDirectoryEx(directory, FALSE, 16, 16, 0), 0);  // not a cursor directory

    HICON copy = CopyIcon(icon);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    ExpectIconOfSize(copy, 32, 8);
    DestroyIcon(copy);
}

// The system's warning icon is one shared 32-bit icon of the system's size, which DestroyIcon
// leaves; system icons the machine does not draw are not there.
TEST(SystemIcons, TheWarningIconIsSharedAndStays) {
    HICON warning = LoadIconW(nullptr, IDI_WARNING);
    ASSERT_NE(warning, nullptr);
    ExpectIconOfSize(warning, 32, 32);
    EXPECT_EQ(LoadIconW(nullptr, IDI_EXCLAMATION), warning);
    EXPECT_TRUE(DestroyIcon(warning));
    ExpectIconOfSize(warning, 32, 32);  // the shared icon stays
    EXPECT_EQ(LoadIconW(nullptr, IDI_QUESTION), nullptr);
}

TEST_F(WindowImages, CursorKeepsItsHotSpot) {
    HCURSOR cursor = LoadCursorW(m_module, MAKEINTRESOURCEW(kCursor));
    palvex::IconDescription description;
    ASSERT_TRUE(palvex::DescribeIcon(cursor, &description));
    EXPECT_FALSE(description.isIcon);
    EXPECT_EQ(description.hotspot.x, 5);
    EXPECT_EQ(description.hotspot.y, 7);
    EXPECT_EQ(description.bitCount, 1);
    EXPECT_TRUE(DestroyCursor(cursor));
}

TEST_F(WindowImages, BitmapFromAPackedDib) {
    HBITMAP bitmap = LoadBitmapW(m_module, MAKEINTRESOURCEW(kBitmap));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(info), &info), int(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(info.bmBitsPixel, 24);
    EXPECT_EQ(info.bmWidthBytes, 10);
    EXPECT_EQ(GetObjectType(bitmap), DWORD(OBJ_BITMAP));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(LoadBitmapW(m_module, MAKEINTRESOURCEW(99)), nullptr);
}

TEST(IconBytes, MalformedImagesAreRefused) {
    // A header announcing 16 x 16 at 32 bits, with no bits behind it.
    BITMAPINFOHEADER header{40, 16, 32, 1, 32, 0, 0, 0, 0, 0, 0};
    std::vector<BYTE> bytes(sizeof(header));
    std::memcpy(bytes.data(), &header, sizeof(header));
    EXPECT_EQ(CreateIconFromResourceEx(bytes.data(), DWORD(bytes.size()), TRUE, 0x00030000, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
    bytes.resize(sizeof(header) + 16 * 16 * 4 + 16 * 4);
    HICON icon = CreateIconFromResourceEx(bytes.data(), DWORD(bytes.size()), TRUE, 0x00030000, 0, 0, 0);
    ASSERT_NE(icon, nullptr);
    palvex::IconDescription description;
    ASSERT_TRUE(palvex::DescribeIcon(icon, &description));
    EXPECT_EQ(description.width, 16);
    DestroyIcon(icon);
    EXPECT_EQ(CreateIconFromResourceEx(bytes.data(), DWORD(bytes.size()), TRUE, 0x00010000, 0, 0, 0), nullptr);
    EXPECT_EQ(CreateIconFromResourceEx(bytes.data(), 3, FALSE, 0x00030000, 0, 0, 0), nullptr);
}

TEST(ScreenText, FontsMeasureOnTheScreen) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, 96, 72);
    std::memcpy(font.lfFaceName, u"MS Shell Dlg", 13 * sizeof(WCHAR));
    HFONT handle = CreateFontIndirectW(&font);
    ASSERT_NE(handle, nullptr);
    LOGFONTW back{};
    ASSERT_EQ(GetObjectW(handle, sizeof(back), &back), int(sizeof(back)));
    EXPECT_EQ(back.lfHeight, -11);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    HGDIOBJ previous = SelectObject(screen, handle);
    ASSERT_NE(previous, nullptr);
    EXPECT_FALSE(DeleteObject(handle));  // still selected
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(screen, &metrics));
    // An 11-pixel em: the cell is at least the em, and not absurdly more.
    EXPECT_GE(metrics.tmHeight, 11);
    EXPECT_LE(metrics.tmHeight, 20);
    EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
    SIZE one{}, two{};
    ASSERT_TRUE(GetTextExtentPoint32W(screen, u"ABCD", 2, &one));
    ASSERT_TRUE(GetTextExtentPoint32W(screen, u"ABAB", 4, &two));
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(two.cx, 2 * one.cx);
    EXPECT_EQ(one.cy, metrics.tmHeight);
    SelectObject(screen, previous);
    EXPECT_TRUE(DeleteObject(handle));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(Arithmetic, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(8, 96, 72), 11);   // 10.67
    EXPECT_EQ(MulDiv(9, 96, 72), 12);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);      // 1.5
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1);
}

TEST(TemporaryFiles, NamesFilesAndCopies) {
    palvex::TestMachine machine;
    WCHAR folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::u16string(folder), u"C:\\Users\\" + palvex::GetOsProfile().userName + u"\\AppData\\Local\\Temp\\");
    EXPECT_EQ(GetTempPathW(3, folder), length + 1);

    WCHAR name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameW(folder, u"abcd", 0x1A2B, name), 0x1A2Bu);
    EXPECT_EQ(std::u16string(name), std::u16string(folder) + u"abc1A2B.TMP");
    EXPECT_FALSE(std::filesystem::exists(palvex::HostPath(name)));
    const UINT unique = GetTempFileNameW(folder, u"", 0, name);
    ASSERT_NE(unique, 0u);
    EXPECT_TRUE(std::filesystem::exists(palvex::HostPath(name)));
    WCHAR second[MAX_PATH];
    ASSERT_NE(GetTempFileNameW(folder, u"", 0, second), 0u);
    EXPECT_NE(std::u16string(second), std::u16string(name));
    EXPECT_EQ(GetTempFileNameW(u"C:\\NoSuchFolder", u"", 0, name), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DIRECTORY));

    std::ofstream(palvex::HostPath(std::u16string(folder) + u"source.txt"), std::ios::binary) << "bytes";
    const std::u16string source = std::u16string(folder) + u"SOURCE.TXT";
    const std::u16string target = std::u16string(folder) + u"target.txt";
    ASSERT_TRUE(CopyFileW(source.c_str(), target.c_str(), TRUE));
    EXPECT_FALSE(CopyFileW(source.c_str(), target.c_str(), TRUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_TRUE(CopyFileW(source.c_str(), target.c_str(), FALSE));
    std::ifstream copy(palvex::HostPath(target), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(copy)), {}), "bytes");
    EXPECT_FALSE(CopyFileW((std::u16string(folder) + u"missing").c_str(), target.c_str(), FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileW(source.c_str(), u"C:\\NoSuchFolder\\x.txt", FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

}  // namespace
