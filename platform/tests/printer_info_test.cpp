// GetPrinterW, GetPrinterDriverW and the spooler's folders.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <win/windows.h>

namespace {

using palvex::TestMachine;

constexpr char16_t kPrinter[] = u"Palvex QX500";
constexpr char16_t kDriver[] = u"Palvex QX500 Driver";
constexpr char16_t kVersionFolder[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\";

std::vector<std::u16string> SplitList(LPCWSTR list) {
    std::vector<std::u16string> items;
    for (; list && *list; list += items.back().size() + 1) items.emplace_back(list);
    return items;
}

class PrinterInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        palvex::DriverDesc driver;
        driver.name = kDriver;
        driver.driverPath = u"UNIDRV.DLL";
        driver.dataFile = u"QX500.GPD";
        driver.configFile = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\UNIDRVUI.DLL";
        driver.dependentFiles = {u"QX500RES.DLL", u"QX500.INI"};
        palvex::AddDriver(driver);
        palvex::AddPrinter(kPrinter, kDriver);
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
        std::u16string name = kPrinter;
        ASSERT_TRUE(OpenPrinterW(name.data(), &m_printer, &defaults));
    }
    void TearDown() override { ClosePrinter(m_printer); }

    // Probes, then fills a buffer of exactly the size asked for.
    template <class Call>
    std::vector<BYTE> Fetch(Call call) {
        DWORD needed = 0;
        EXPECT_FALSE(call(nullptr, 0, &needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<BYTE> buffer(needed);
        DWORD again = 0;
        EXPECT_FALSE(call(buffer.data(), needed - 1, &again));  // one byte short still fails
        EXPECT_EQ(again, needed);
        EXPECT_TRUE(call(buffer.data(), needed, &again)) << GetLastError();
        return buffer;
    }

    TestMachine m_machine;
    HANDLE m_printer = nullptr;
};

TEST_F(PrinterInfoTest, LevelOneNamesThePrinterAndItsDriver) {
    std::vector<BYTE> buffer = Fetch([&](LPBYTE at, DWORD size, LPDWORD needed) {
        return GetPrinterW(m_printer, 1, at, size, needed);
    });
    // 32 bytes of structure, "Palvex QX500,Palvex QX500 Driver," (33 characters and a NUL, 68
    // bytes), "Palvex QX500" (13 with the NUL, 26 bytes).
    ASSERT_EQ(buffer.size(), 126u);
    const auto* info = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
    EXPECT_EQ(info->Flags, static_cast<DWORD>(PRINTER_ENUM_ICON8));
    EXPECT_EQ(std::u16string(info->pName), kPrinter);
    EXPECT_EQ(std::u16string(info->pDescription), u"Palvex QX500,Palvex QX500 Driver,");
    EXPECT_EQ(info->pComment, nullptr);
}

TEST_F(PrinterInfoTest, DriverLevelsThreeAndFourGiveFullPaths) {
    for (DWORD level : {3u, 4u}) {
        SCOPED_TRACE(level);
        std::vector<BYTE> buffer = Fetch([&](LPBYTE at, DWORD size, LPDWORD needed) {
            return GetPrinterDriverW(m_printer, nullptr, level, at, size, needed);
        });
        const auto* info = reinterpret_cast<const DRIVER_INFO_4W*>(buffer.data());
        EXPECT_EQ(info->cVersion, 3u);
        EXPECT_EQ(std::u16string(info->pName), kDriver);
        EXPECT_EQ(std::u16string(info->pEnvironment), u"Windows x64");
        EXPECT_EQ(std::u16string(info->pDriverPath), std::u16string(kVersionFolder) + u"UNIDRV.DLL");
        EXPECT_EQ(std::u16string(info->pDataFile), std::u16string(kVersionFolder) + u"QX500.GPD");
        EXPECT_EQ(std::u16string(info->pConfigFile), std::u16string(kVersionFolder) + u"UNIDRVUI.DLL");
        EXPECT_EQ(info->pHelpFile, nullptr);
        EXPECT_EQ(SplitList(info->pDependentFiles),
                  (std::vector<std::u16string>{std::u16string(kVersionFolder) + u"QX500RES.DLL",
                                               std::u16string(kVersionFolder) + u"QX500.INI"}));
        EXPECT_EQ(std::u16string(info->pDefaultDataType), u"RAW");
        if (level == 4) {
            EXPECT_EQ(info->pszzPreviousNames, nullptr);
        }
        const size_t structSize = level == 3 ? sizeof(DRIVER_INFO_3W) : sizeof(DRIVER_INFO_4W);
        EXPECT_GE(reinterpret_cast<const BYTE*>(info->pName), buffer.data() + structSize);
    }
}

TEST_F(PrinterInfoTest, RefusalsSetTheLastError) {
    DWORD needed = 0;
    BYTE buffer[512];
    std::u16string otherEnvironment = u"Windows NT x86";
    std::u16string otherMachine = u"\\\\server";
    struct Case {
        std::function<BOOL()> call;
        DWORD error;
    };
    const Case cases[] = {
        {[&] { return GetPrinterW(m_printer, 10, buffer, sizeof buffer, &needed); }, ERROR_INVALID_LEVEL},
        {[&] { return GetPrinterW(reinterpret_cast<HANDLE>(0x77), 1, buffer, sizeof buffer, &needed); },
         ERROR_INVALID_HANDLE},
        {[&] { return GetPrinterW(m_printer, 1, buffer, sizeof buffer, nullptr); }, RPC_X_NULL_REF_POINTER},
        {[&] { return GetPrinterW(m_printer, 1, nullptr, 10, &needed); }, ERROR_INVALID_USER_BUFFER},
        {[&] { return GetPrinterDriverW(m_printer, nullptr, 2, buffer, sizeof buffer, &needed); }, ERROR_INVALID_LEVEL},
        {[&] { return GetPrinterDriverW(m_printer, otherEnvironment.data(), 3, buffer, sizeof buffer, &needed); },
         ERROR_UNKNOWN_PRINTER_DRIVER},
        {[&] { return GetPrinterDriverDirectoryW(nullptr, nullptr, 2, buffer, sizeof buffer, &needed); },
         ERROR_INVALID_LEVEL},
        {[&] { return GetPrinterDriverDirectoryW(otherMachine.data(), nullptr, 1, buffer, sizeof buffer, &needed); },
         ERROR_INVALID_PARAMETER},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        SetLastError(0);
        EXPECT_FALSE(cases[i].call());
        EXPECT_EQ(GetLastError(), cases[i].error);
    }
}

TEST_F(PrinterInfoTest, SpoolerFolders) {
    struct Case {
        const char16_t* environment;
        bool processors;
        const char16_t* folder;  // null: refused with ERROR_INVALID_ENVIRONMENT
    };
    const Case cases[] = {
        {nullptr, false, u"C:\\Windows\\System32\\spool\\drivers\\x64"},
        {u"windows X64", false, u"C:\\Windows\\System32\\spool\\drivers\\x64"},
        {u"Windows NT x86", false, u"C:\\Windows\\System32\\spool\\drivers\\W32X86"},
        {u"Windows 4.0", false, nullptr},
        {nullptr, true, u"C:\\Windows\\System32\\spool\\prtprocs\\x64"},
    };
    for (const auto& c : cases) {
        std::u16string environment = c.environment ? c.environment : u"";
        LPWSTR env = c.environment ? environment.data() : nullptr;
        auto call = [&](LPBYTE at, DWORD size, LPDWORD needed) {
            return c.processors ? GetPrintProcessorDirectoryW(nullptr, env, 1, at, size, needed)
                                : GetPrinterDriverDirectoryW(nullptr, env, 1, at, size, needed);
        };
        if (!c.folder) {
            DWORD needed = 0;
            EXPECT_FALSE(call(nullptr, 0, &needed));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
            continue;
        }
        std::vector<BYTE> buffer = Fetch(call);
        EXPECT_EQ(buffer.size(), (std::u16string(c.folder).size() + 1) * 2);
        EXPECT_EQ(std::u16string(reinterpret_cast<LPCWSTR>(buffer.data())), c.folder);
    }
}

}  // namespace
