#include <gtest/gtest.h>

#include <palvex/machine.h>
#include <win/windows.h>

#include "child_process.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    HKEY Create(HKEY parent, const char16_t* path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }
    static LSTATUS SetDword(HKEY key, const char16_t* name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

    palvex::TestMachine m_machine;
};

TEST_F(RegistryTest, CreateMakesTheWholePathAndReportsDisposition) {
    DWORD disposition = 0;
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Palvex\\QX500", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    key = Create(HKEY_LOCAL_MACHINE, u"software\\PALVEX\\qx500\\", KEY_ALL_ACCESS, &disposition);  // any case
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(key);

    HKEY middle = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Palvex", 0, KEY_READ, &middle), ERROR_SUCCESS);
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyExW(middle, nullptr, 0, KEY_READ, &same), ERROR_SUCCESS);  // the key itself
    EXPECT_NE(same, middle);
    RegCloseKey(same);
    RegCloseKey(middle);

    // The hives are apart.
    HKEY other = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Palvex", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(other, nullptr);
}

TEST_F(RegistryTest, PathsAreChecked) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, QueryProbesAndReads) {
    HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Palvex");
    const BYTE bytes[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(RegSetValueExW(key, u"Blob", 0, REG_BINARY, bytes, sizeof bytes), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    // A size query without a buffer succeeds.
    EXPECT_EQ(RegQueryValueExW(key, u"BLOB", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    // A buffer that is too small: ERROR_MORE_DATA and the size needed.
    BYTE small[4] = {};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(key, u"Blob", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    BYTE exact[5] = {};
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueExW(key, u"blob", nullptr, nullptr, exact, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(exact, exact + 5), std::vector<BYTE>(bytes, bytes + 5));
    // Only the type, or nothing at all, of a value that exists.
    EXPECT_EQ(RegQueryValueExW(key, u"Blob", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, u"Blob", nullptr, nullptr, exact, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultValueAndReplacement) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"Software\\Palvex");
    EXPECT_EQ(SetDword(key, nullptr, 7), ERROR_SUCCESS);
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);
    const WCHAR text[] = u"abc";
    EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
    DWORD type = 0;
    size = 0;
    EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(RegSetValueExW(key, u"X", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AccessRightsOfTheHandleAreEnforced) {
    HKEY writer = Create(HKEY_LOCAL_MACHINE, u"Software\\Palvex");
    ASSERT_EQ(SetDword(writer, u"Level", 1), ERROR_SUCCESS);
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Palvex", 0, KEY_READ, &reader), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(reader, u"Level", 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, u"Level"), ERROR_ACCESS_DENIED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExW(reader, u"New", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    HKEY writeOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Palvex", 0, KEY_SET_VALUE, &writeOnly), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(writeOnly, u"Level", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    for (HKEY k : {writer, reader, writeOnly}) RegCloseKey(k);
}

TEST_F(RegistryTest, DeleteValueAndKey) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"Software\\Palvex\\Sub");
    ASSERT_EQ(SetDword(key, u"V", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, u"v"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, u"v"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetDword(key, u"W", 1), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\Palvex"), ERROR_ACCESS_DENIED);  // has a subkey
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PALVEX\\SUB"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\Palvex\\Sub"), ERROR_FILE_NOT_FOUND);
    // The open handle now names a deleted key, also after a key of the same name is made again.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"W", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    HKEY again = Create(HKEY_LOCAL_MACHINE, u"Software\\Palvex\\Sub");
    EXPECT_EQ(RegQueryValueExW(again, u"W", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);  // values went too
    EXPECT_EQ(SetDword(key, u"W", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED);  // a hive stays
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
    RegCloseKey(again);
}

TEST_F(RegistryTest, HandlesAreValidated) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"Software");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // predefined keys stay open
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);

    // A printer handle is not a key, nor a key handle a printer.
    m_machine.AddPrinterWithDriver(u"P");
    std::u16string printer = u"P";
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(printer.data(), &hPrinter, nullptr));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(static_cast<HKEY>(hPrinter), u"X", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(static_cast<HKEY>(hPrinter)), ERROR_INVALID_HANDLE);
    HKEY open = Create(HKEY_LOCAL_MACHINE, u"Software");
    EXPECT_FALSE(ClosePrinter(open));
    EXPECT_TRUE(ClosePrinter(hPrinter));
    RegCloseKey(open);
}

}  // namespace
