#include <gtest/gtest.h>

#include <thread>

#include <palvex/machine.h>
#include <win/windows.h>

#include "child_process.h"

namespace {

using palvex::TestMachine;

constexpr DWORD kNoError = ERROR_SUCCESS;

class SpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(u"Palvex QX500", u"Palvex QX500 Driver");
        m_machine.AddPrinterWithDriver(u"Locked", u"Palvex QX500 Driver");
        m_machine.AddPrinterWithDriver(u"B\u00fcro \u30d7\u30ea\u30f3\u30bf", u"palvex qx500 driver");
        palvex::SetPrinterDeniedAccess(u"Locked", PRINTER_ACCESS_ADMINISTER);
    }

    HANDLE Open(const char16_t* name, DWORD access) {
        std::u16string printer = name;
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
        HANDLE handle = nullptr;
        EXPECT_TRUE(OpenPrinterW(printer.data(), &handle, &defaults)) << GetLastError();
        return handle;
    }

    static DWORD Set(HANDLE h, std::u16string name, DWORD type, std::vector<BYTE> data) {
        return SetPrinterDataW(h, name.data(), type, data.data(), static_cast<DWORD>(data.size()));
    }

    TestMachine m_machine;
};

TEST_F(SpoolerTest, OpenPrinterChecksNameAndAccess) {
    struct Case {
        const char16_t* name;
        bool withDefaults;
        DWORD access;
        DWORD expectedError;  // 0: opens
    };
    const Case cases[] = {
        {u"Palvex QX500", false, 0, kNoError},
        {u"PALVEX qx500", true, PRINTER_ALL_ACCESS, kNoError},  // names ignore case
        {u"Palvex QX500", true, 0, kNoError},
        {u"B\u00dcRO \u30d7\u30ea\u30f3\u30bf", false, 0, kNoError},  // also beyond ASCII
        {u"Palvex QX50", true, PRINTER_ACCESS_USE, ERROR_INVALID_PRINTER_NAME},
        {u"", false, 0, ERROR_INVALID_PRINTER_NAME},
        {u"Locked", false, 0, kNoError},
        {u"Locked", true, PRINTER_ACCESS_USE, kNoError},
        {u"Locked", true, PRINTER_ALL_ACCESS, ERROR_ACCESS_DENIED},
        {u"Locked", true, GENERIC_ALL, ERROR_ACCESS_DENIED},  // generic rights are mapped first
        {u"Locked", true, GENERIC_READ, kNoError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        std::u16string name = c.name;
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, c.access};
        HANDLE handle = reinterpret_cast<HANDLE>(0x1);
        SetLastError(0);
        const BOOL opened = OpenPrinterW(name.data(), &handle, c.withDefaults ? &defaults : nullptr);
        if (c.expectedError == kNoError) {
            ASSERT_TRUE(opened);
            ASSERT_NE(handle, nullptr);
            EXPECT_TRUE(ClosePrinter(handle));
        } else {
            EXPECT_FALSE(opened);
            EXPECT_EQ(GetLastError(), c.expectedError);
            EXPECT_EQ(handle, nullptr);
        }
    }
}

TEST_F(SpoolerTest, OpenPrinterWithoutOutPointerIsInvalidParameter) {
    std::u16string name = u"Palvex QX500";
    EXPECT_FALSE(OpenPrinterW(name.data(), nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SpoolerTest, HandlesAreValidatedNotTrusted) {
    HANDLE handle = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    ASSERT_TRUE(ClosePrinter(handle));
    int local = 0;
    for (HANDLE bad : {handle /* closed */, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE,
                       reinterpret_cast<HANDLE>(0x1234), static_cast<HANDLE>(&local), GetProcessHeap()}) {
        SetLastError(0);
        EXPECT_FALSE(ClosePrinter(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        DWORD needed = 0;
        std::u16string value = u"X";
        EXPECT_EQ(GetPrinterDataW(bad, value.data(), nullptr, nullptr, 0, &needed), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(Set(bad, u"X", REG_DWORD, {1, 0, 0, 0}), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

TEST_F(SpoolerTest, GetPrinterDataProbesThenReads) {
    HANDLE handle = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    ASSERT_EQ(Set(handle, u"OEMDEVMODE", REG_BINARY, {1, 2, 3, 4, 5, 6}), kNoError);
    std::u16string name = u"oemDevMode";  // value names ignore case

    DWORD type = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataW(handle, name.data(), &type, nullptr, 0, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(needed, 6u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

    BYTE small[5] = {9, 9, 9, 9, 9};
    needed = 0;
    EXPECT_EQ(GetPrinterDataW(handle, name.data(), nullptr, small, sizeof small, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(needed, 6u);
    EXPECT_EQ(small[0], 9);  // a buffer that is too small is left alone

    BYTE exact[6] = {};
    EXPECT_EQ(GetPrinterDataW(handle, name.data(), &type, exact, sizeof exact, &needed), kNoError);
    EXPECT_EQ(std::vector<BYTE>(exact, exact + 6), (std::vector<BYTE>{1, 2, 3, 4, 5, 6}));

    std::u16string unknown = u"PRINTERSETTINGS";
    EXPECT_EQ(GetPrinterDataW(handle, unknown.data(), &type, exact, sizeof exact, &needed), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrinterDataW(handle, nullptr, &type, exact, sizeof exact, &needed), static_cast<DWORD>(RPC_X_NULL_REF_POINTER));
    EXPECT_EQ(GetPrinterDataW(handle, name.data(), &type, nullptr, 6, &needed), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    ClosePrinter(handle);
}

TEST_F(SpoolerTest, EmptyValueReadsWithoutBuffer) {
    HANDLE handle = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    ASSERT_EQ(SetPrinterDataW(handle, std::u16string(u"Empty").data(), REG_BINARY, nullptr, 0), kNoError);
    DWORD type = 0, needed = 99;
    EXPECT_EQ(GetPrinterDataW(handle, std::u16string(u"Empty").data(), &type, nullptr, 0, &needed), kNoError);
    EXPECT_EQ(needed, 0u);
    ClosePrinter(handle);
}

TEST_F(SpoolerTest, SetPrinterDataNeedsAdministerAccess) {
    HANDLE user = Open(u"Palvex QX500", PRINTER_ACCESS_USE);
    EXPECT_EQ(Set(user, u"A", REG_DWORD, {1, 0, 0, 0}), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE admin = Open(u"Palvex QX500", PRINTER_ACCESS_ADMINISTER);
    EXPECT_EQ(Set(admin, u"A", REG_DWORD, {1, 0, 0, 0}), kNoError);
    // The reader's handle sees the write at once.
    DWORD value = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataW(user, std::u16string(u"A").data(), nullptr, reinterpret_cast<BYTE*>(&value), 4, &needed), kNoError);
    EXPECT_EQ(value, 1u);
    ClosePrinter(user);
    ClosePrinter(admin);
}

TEST_F(SpoolerTest, PrinterDataUnderANamedKeyIsItsOwn) {
    HANDLE admin = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    HANDLE user = Open(u"Palvex QX500", PRINTER_ACCESS_USE);
    DWORD one = 1;
    auto bytes = reinterpret_cast<LPBYTE>(&one);
    ASSERT_EQ(SetPrinterDataExW(admin, u"CUSTOMMEDIA", u"My Paper", REG_DWORD, bytes, 4), kNoError);
    // Another key, and GetPrinterDataW's own key, do not see it.
    DWORD type = 0, value = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataExW(user, u"Other", u"My Paper", &type, reinterpret_cast<LPBYTE>(&value), 4, &needed),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrinterDataW(user, std::u16string(u"My Paper").data(), &type, reinterpret_cast<LPBYTE>(&value), 4,
                              &needed),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // Key and value names ignore case; a short buffer gets the size.
    EXPECT_EQ(GetPrinterDataExW(user, u"custommedia", u"MY PAPER", &type, nullptr, 0, &needed),
              static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(needed, 4u);
    EXPECT_EQ(GetPrinterDataExW(user, u"custommedia", u"MY PAPER", &type, reinterpret_cast<LPBYTE>(&value), 4, &needed),
              kNoError);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);
    // The PrinterDriverData key is the one GetPrinterDataW reads.
    ASSERT_EQ(SetPrinterDataExW(admin, u"PrinterDriverData", u"Market", REG_DWORD, bytes, 4), kNoError);
    EXPECT_EQ(GetPrinterDataW(user, std::u16string(u"Market").data(), &type, reinterpret_cast<LPBYTE>(&value), 4,
                              &needed),
              kNoError);

    struct Case {
        const char* what;
        DWORD result;
        DWORD expected;
    };
    const Case cases[] = {
        {"write without administer access", SetPrinterDataExW(user, u"CUSTOMMEDIA", u"B", REG_DWORD, bytes, 4),
         ERROR_ACCESS_DENIED},
        {"delete without administer access", DeletePrinterDataExW(user, u"CUSTOMMEDIA", u"My Paper"),
         ERROR_ACCESS_DENIED},
        {"empty key", SetPrinterDataExW(admin, u"", u"B", REG_DWORD, bytes, 4), ERROR_INVALID_PARAMETER},
        {"no key", GetPrinterDataExW(admin, nullptr, u"B", &type, nullptr, 0, &needed), ERROR_INVALID_PARAMETER},
        {"not a printer", DeletePrinterDataExW(reinterpret_cast<HANDLE>(0x1234), u"K", u"V"), ERROR_INVALID_HANDLE},
        {"delete", DeletePrinterDataExW(admin, u"CUSTOMMEDIA", u"my paper"), kNoError},
        {"delete again", DeletePrinterDataExW(admin, u"CUSTOMMEDIA", u"My Paper"), ERROR_FILE_NOT_FOUND},
        {"read after delete", GetPrinterDataExW(user, u"CUSTOMMEDIA", u"My Paper", &type, nullptr, 0, &needed),
         ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
    ClosePrinter(user);
    ClosePrinter(admin);
}

TEST_F(SpoolerTest, ReplacingAValueKeepsItsNameAndTakesNewTypeAndSize) {
    HANDLE handle = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    ASSERT_EQ(Set(handle, u"Model", REG_DWORD, {1, 0, 0, 0}), kNoError);
    ASSERT_EQ(Set(handle, u"MODEL", REG_BINARY, {7, 7}), kNoError);
    const auto data = palvex::ListPrinterData(u"palvex qx500");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].key, u"PrinterDriverData");
    EXPECT_EQ(data[0].valueName, u"Model");
    EXPECT_EQ(data[0].type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data[0].size, 2u);
    ClosePrinter(handle);
}

TEST_F(SpoolerTest, DeletingAValueOfTheDriverKeyLeavesOtherKeys) {
    HANDLE admin = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    HANDLE user = Open(u"Palvex QX500", PRINTER_ACCESS_USE);
    DWORD one = 1;
    ASSERT_EQ(Set(admin, u"Table", REG_DWORD, {1, 0, 0, 0}), kNoError);
    ASSERT_EQ(SetPrinterDataExW(admin, u"Other", u"Table", REG_DWORD, reinterpret_cast<LPBYTE>(&one), 4), kNoError);
    std::u16string name = u"TABLE";
    EXPECT_EQ(DeletePrinterDataW(user, name.data()), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(DeletePrinterDataW(admin, name.data()), kNoError);
    EXPECT_EQ(DeletePrinterDataW(admin, name.data()), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    DWORD needed = 0;
    EXPECT_EQ(GetPrinterDataW(user, name.data(), nullptr, nullptr, 0, &needed), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrinterDataExW(user, u"Other", u"Table", nullptr, nullptr, 0, &needed),
              static_cast<DWORD>(ERROR_MORE_DATA));
    ClosePrinter(user);
    ClosePrinter(admin);
}

TEST_F(SpoolerTest, PrintersKeepTheirDataApart) {
    HANDLE a = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    HANDLE b = Open(u"Locked", PRINTER_ACCESS_USE);
    ASSERT_EQ(Set(a, u"OnlyA", REG_DWORD, {1, 0, 0, 0}), kNoError);
    DWORD needed = 0;
    EXPECT_EQ(GetPrinterDataW(b, std::u16string(u"OnlyA").data(), nullptr, nullptr, 0, &needed),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ClosePrinter(a);
    ClosePrinter(b);
}

TEST_F(SpoolerTest, AnotherThreadSeesTheWrite) {
    HANDLE handle = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    std::thread writer([&] { EXPECT_EQ(Set(handle, u"FromThread", REG_DWORD, {5, 0, 0, 0}), kNoError); });
    writer.join();
    DWORD value = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataW(handle, std::u16string(u"FromThread").data(), nullptr, reinterpret_cast<BYTE*>(&value), 4, &needed),
              kNoError);
    EXPECT_EQ(value, 5u);
    ClosePrinter(handle);
}

TEST_F(SpoolerTest, AnotherProcessSeesTheWritesBothWays) {
    HANDLE handle = Open(u"Palvex QX500", PRINTER_ALL_ACCESS);
    ASSERT_EQ(Set(handle, u"FromParent", REG_BINARY, {0xde, 0xad, 0x01}), kNoError);

    auto read = palvex::testing::RunChild(PALVEX_TEST_PEER, {"get", "palvex qx500", "FROMPARENT"}, m_machine.root());
    EXPECT_EQ(read.exitCode, 0);
    EXPECT_EQ(read.output, "dead01\n");

    auto write = palvex::testing::RunChild(PALVEX_TEST_PEER, {"set", "Palvex QX500", "FromChild", "0a0b"}, m_machine.root());
    EXPECT_EQ(write.exitCode, 0);
    BYTE data[2] = {};
    DWORD needed = 0, type = 0;
    EXPECT_EQ(GetPrinterDataW(handle, std::u16string(u"FromChild").data(), &type, data, 2, &needed), kNoError);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data[0], 0x0a);
    EXPECT_EQ(data[1], 0x0b);

    // The child is refused what the machine refuses.
    auto denied = palvex::testing::RunChild(PALVEX_TEST_PEER, {"set", "Locked", "X", "00"}, m_machine.root());
    EXPECT_EQ(denied.exitCode, static_cast<int>(ERROR_ACCESS_DENIED));
    ClosePrinter(handle);
}

TEST_F(SpoolerTest, ProcessesWritingAtOnceAllSucceed) {
    constexpr int kWriters = 6;
    std::vector<std::thread> threads;
    std::vector<int> exitCodes(kWriters, -1);
    for (int i = 0; i < kWriters; ++i)
        threads.emplace_back([&, i] {
            exitCodes[static_cast<size_t>(i)] =
                palvex::testing::RunChild(PALVEX_TEST_PEER, {"set", "Palvex QX500", "Writer" + std::to_string(i), "0102"},
                                          m_machine.root()).exitCode;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(exitCodes, std::vector<int>(kWriters, 0));
    EXPECT_EQ(palvex::ListPrinterData(u"Palvex QX500").size(), static_cast<size_t>(kWriters));
}

TEST(MachineFixture, ProcessesCreatingOneMachineAtOnceAllSucceed) {
    TestMachine machine;
    const auto fresh = machine.root() / "fresh";
    std::vector<std::thread> threads;
    std::vector<int> exitCodes(4, -1);
    for (size_t i = 0; i < exitCodes.size(); ++i)
        threads.emplace_back([&, i] { exitCodes[i] = palvex::testing::RunChild(PALVEX_MACHINE_TOOL, {"init"}, fresh).exitCode; });
    for (auto& t : threads) t.join();
    EXPECT_EQ(exitCodes, std::vector<int>(4, 0));
}

TEST(MachineFixture, AddPrinterRefusesUnknownDriverAndDuplicates) {
    TestMachine machine;
    try {
        palvex::AddPrinter(u"P", u"No Such Driver");
        FAIL() << "added a printer without its driver";
    } catch (const palvex::MachineError& e) {
        EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER));
    }
    machine.AddPrinterWithDriver(u"P", u"D");
    try {
        palvex::AddPrinter(u"p", u"D");
        FAIL() << "added a second printer of the same name";
    } catch (const palvex::MachineError& e) {
        EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_PRINTER_ALREADY_EXISTS));
    }
    const auto printers = palvex::ListPrinters();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].driverName, u"D");
    EXPECT_EQ(printers[0].portName, u"FILE:");
}

TEST(MachineFixture, SwitchesToAFreshRootAndRemovesIt) {
    const auto before = palvex::MachineRoot();
    std::filesystem::path root;
    {
        TestMachine machine;
        root = machine.root();
        EXPECT_EQ(palvex::MachineRoot(), root);
        EXPECT_TRUE(std::filesystem::exists(root / "machine.db"));
        EXPECT_TRUE(palvex::ListPrinters().empty());
        machine.AddPrinterWithDriver(u"Only Here");
        {
            TestMachine inner;  // fixtures nest
            EXPECT_TRUE(palvex::ListPrinters().empty());
        }
        EXPECT_EQ(palvex::ListPrinters().size(), 1u);
    }
    EXPECT_EQ(palvex::MachineRoot(), before);
    EXPECT_FALSE(std::filesystem::exists(root));
}

}  // namespace
