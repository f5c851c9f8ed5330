// Icons, bitmaps, cursors and raw data of the resource provider, the help file, and making the
// provider.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include <palvex/paths.h>
#include <palvex/utf8.h>
#include <palvex/user_objects.h>

#include "coresources_fixture.h"

namespace coresources_test {
namespace {

#include "data/resources/test_ids.h"

class ProviderObjects : public ResourcesFixture {
protected:
    CoResources* MakeFor(LANGID user) {
        SetLanguages(user, user);
        PutDriverFile(TestLibrary(), u"TESTRES.DLL");
        Install(StandardFiles());
        return Make();
    }
};

TEST_F(ProviderObjects, IconsBySizeAndLanguageFromTheCache) {
    CoResources* resources = MakeFor(1033);
    ASSERT_NE(resources, nullptr);
    struct {
        DWORD size;
        int imageWidth;
    } cases[] = {{16, 16}, {32, 32}, {20, 16}};
    for (const auto& c : cases) {
        HICON icon = nullptr;
        ASSERT_EQ(resources->LoadIcon(IDI_PRINTER, c.size, &icon), S_OK) << c.size;
        palvex::IconDescription description;
        ASSERT_TRUE(palvex::DescribeIcon(icon, &description));
        EXPECT_EQ(description.width, int(c.size));
        EXPECT_EQ(description.imageWidth, c.imageWidth) << c.size;
        // The cache answers a second request with the same icon.
        EXPECT_EQ(resources->GetIcon(IDI_PRINTER, c.size), icon);
    }
    HICON icon = reinterpret_cast<HICON>(1);
    EXPECT_EQ(resources->LoadIcon(999, 16, &icon), E_INVALIDARG);
    EXPECT_EQ(icon, nullptr);
    EXPECT_EQ(resources->LoadIcon(IDI_PRINTER, 0, &icon), E_INVALIDARG);
    EXPECT_EQ(resources->LoadIcon(IDI_PRINTER, 16, nullptr), E_INVALIDARG);
}

TEST_F(ProviderObjects, JapaneseIconBeforeEnglish) {
    CoResources* resources = MakeFor(1041);
    ASSERT_NE(resources, nullptr);
    palvex::IconDescription description;
    ASSERT_TRUE(palvex::DescribeIcon(resources->GetIcon(IDI_PRINTER, 16), &description));
    EXPECT_EQ(description.imageWidth, 48);
    EXPECT_EQ(description.bitCount, 8);
}

TEST_F(ProviderObjects, BitmapsAndCursors) {
    CoResources* resources = MakeFor(1033);
    ASSERT_NE(resources, nullptr);
    HBITMAP bitmap = resources->GetBitmap(IDB_LOGO);
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(info), &info), int(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_EQ(info.bmBitsPixel, 24);
    DeleteObject(bitmap);

    HCURSOR cursor = resources->GetCursor(IDC_HAND);
    palvex::IconDescription description;
    ASSERT_TRUE(palvex::DescribeIcon(cursor, &description));
    EXPECT_FALSE(description.isIcon);
    EXPECT_EQ(description.hotspot.x, 3);
    EXPECT_EQ(description.hotspot.y, 4);
    DestroyCursor(cursor);

    // Neither module has it: success with no object.
    HBITMAP none = reinterpret_cast<HBITMAP>(1);
    EXPECT_EQ(resources->LoadBitmap(999, &none), S_OK);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(resources->LoadBitmap(0, &none), E_INVALIDARG);
    EXPECT_EQ(resources->LoadCursor(70000, nullptr), E_INVALIDARG);
}

TEST_F(ProviderObjects, RawDataFromTheLibraryThenTheOwnModule) {
    CoResources* resources = MakeFor(1041);
    ASSERT_NE(resources, nullptr);
    LPVOID data = nullptr;
    DWORD size = 0;
    ASSERT_EQ(resources->LoadRCData(IDR_TABLE, &data, &size), S_OK);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(data, "\x01\x02\x03\x04", 4), 0);
    ASSERT_EQ(resources->LoadRCData(IDR_OWN_TABLE, &data, nullptr), S_OK);
    EXPECT_EQ(std::memcmp(data, "own", 3), 0);
    EXPECT_EQ(resources->GetRCData(999), nullptr);
    EXPECT_EQ(resources->LoadRCData(IDR_TABLE, nullptr, &size), E_INVALIDARG);
}

TEST_F(ProviderObjects, MakingTheProvider) {
    IDrvResources* resources = reinterpret_cast<IDrvResources*>(1);
    EXPECT_EQ(CreateResources(nullptr, m_printer, nullptr), E_INVALIDARG);
    EXPECT_EQ(CreateResources(&resources, INVALID_HANDLE_VALUE, nullptr), E_INVALIDARG);
    EXPECT_EQ(resources, nullptr);
    // A printer whose resource library is missing from the driver folder.
    Install({u"TOVQEBRES.DLL", u"TOVQEB.INI"});
    EXPECT_EQ(TryMake(&resources), E_FAIL);
    EXPECT_EQ(resources, nullptr);
}

TEST_F(ProviderObjects, FilesOfTheDriverAndTheUnknownInterface) {
    SetLanguages(1041, 1041);
    PutDriverFile(TestLibrary(), u"TESTRES.DLL");
    Install({u"unires.dll", u"testres.dll", u"tovqeb.ini", u"tovqebmdn.exe", u"tovqebui.dll"});
    CoResources* resources = Make();
    ASSERT_NE(resources, nullptr);
    std::u16string folder = DriverFolder();
    CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    EXPECT_EQ(std::u16string(resources->GetResourceFileName()), folder + u"\\TESTRES.DLL");
    EXPECT_EQ(std::u16string(resources->GetIniFileName()), folder + u"\\TOVQEB.INI");
    EXPECT_EQ(std::u16string(resources->GetMdnFileName()), folder + u"\\TOVQEBMDN.EXE");
    EXPECT_EQ(std::u16string(resources->GetUIFileName()), folder + u"\\TOVQEBUI.DLL");
    EXPECT_EQ(std::u16string(resources->GetDriverName()), u"Palvex Test");
    EXPECT_EQ(resources->GetPrintProcessorFileName(), nullptr);
    EXPECT_NE(resources->GetResourceModule(), nullptr);
    const IDrvResources* constView = resources;
    EXPECT_EQ(constView->GetResourceModule(), resources->GetResourceModule());
    EXPECT_EQ(std::u16string(resources->GetDriverInfo()->pName), u"Palvex Test");

    IUnknown* unknown = nullptr;
    ASSERT_EQ(resources->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    const IID other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(resources->QueryInterface(other, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST_F(ProviderObjects, HelpFileCopiedOnceIntoTheTemporaryFolderWithItsExtension) {
    SetLanguages(1041, 1041);
    PutDriverFile(TestLibrary(), u"TESTRES.DLL");
    PutIni(u"TOVQEB.CHM", "help bytes");
    Install(StandardFiles(), u"winprint", u"TOVQEB.HLP");
    CoResources* resources = Make();
    ASSERT_NE(resources, nullptr);
    // The name is string 26000, in the folder of the driver's help file; the answer is computed
    // once per process, so only this test asks for it.
    LPCWSTR help = resources->GetHelpFileName();
    ASSERT_NE(help, nullptr);
    const std::u16string path(help);
    WCHAR temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    EXPECT_EQ(path.rfind(temp, 0), 0u) << palvex::ToUtf8(path);
    EXPECT_EQ(path.substr(path.size() - 4), u".CHM");
    std::ifstream copy(palvex::HostPath(path), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(copy)), {});
    EXPECT_EQ(bytes, "help bytes");
    EXPECT_EQ(resources->GetHelpFileName(), help);
}

}  // namespace
}  // namespace coresources_test
