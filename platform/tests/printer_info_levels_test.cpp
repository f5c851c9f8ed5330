// GetPrinterW levels 2 to 9: the layout of each level, the sizing protocol and the DEVMODEs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include <palvex/jobs.h>
#include <palvex/machine.h>
#include <palvex/printer_settings.h>
#include <win/windows.h>

namespace {

constexpr char16_t kPrinter[] = u"P2";  // driver "Palvex Test", port "FILE:", processor "winprint"

std::vector<BYTE> DevModeBytes(WORD size, WORD extra, BYTE fill) {
    std::vector<BYTE> bytes(static_cast<size_t>(size) + extra, fill);
    std::memcpy(bytes.data() + offsetof(DEVMODEW, dmSize), &size, 2);
    std::memcpy(bytes.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, 2);
    return bytes;
}

class PrinterLevels : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.AddPrinterWithDriver(kPrinter);
        m_printer = Open(0);
    }
    void TearDown() override {
        if (m_printer) ClosePrinter(m_printer);
    }
    static HANDLE Open(DWORD access) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
        HANDLE printer = nullptr;
        std::u16string name = kPrinter;
        EXPECT_TRUE(OpenPrinterW(name.data(), &printer, access ? &defaults : nullptr));
        return printer;
    }
    // The level into a buffer of exactly the size asked for (filled with 0xCC first).
    std::vector<BYTE> Get(DWORD level, HANDLE printer = nullptr) {
        printer = printer ? printer : m_printer;
        DWORD needed = 0;
        EXPECT_FALSE(GetPrinterW(printer, level, nullptr, 0, &needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<BYTE> buffer(needed, 0xCC);
        DWORD again = 0;
        EXPECT_TRUE(GetPrinterW(printer, level, buffer.data(), needed, &again)) << level;
        EXPECT_EQ(again, needed);
        return buffer;
    }
    static void PutLink(std::vector<BYTE>& bytes, size_t at, const std::vector<BYTE>& buffer, size_t offset) {
        const uint64_t link = reinterpret_cast<uintptr_t>(buffer.data()) + offset;
        std::memcpy(bytes.data() + at, &link, 8);
    }
    static void PutText(std::vector<BYTE>& bytes, size_t at, const char* text) {
        for (size_t i = 0; text[i]; ++i) bytes[at + 2 * i] = static_cast<BYTE>(text[i]);
    }
    static void PutDword(std::vector<BYTE>& bytes, size_t at, DWORD value) { std::memcpy(bytes.data() + at, &value, 4); }

    palvex::TestMachine m_machine;
    HANDLE m_printer = nullptr;
};

TEST_F(PrinterLevels, LevelTwoByteForByte) {
    const std::vector<BYTE> buffer = Get(2);
    // 136 bytes of structure; then "P2" at 136, "FILE:" at 142, "Palvex Test" at 154, "winprint"
    // at 178 and "RAW" at 196; empty texts, the absent DEVMODE and (without READ_CONTROL) the
    // security descriptor are null.
    ASSERT_EQ(buffer.size(), 204u);
    std::vector<BYTE> expected(204, 0);
    PutLink(expected, 8, buffer, 136);
    PutLink(expected, 24, buffer, 142);
    PutLink(expected, 32, buffer, 154);
    PutLink(expected, 72, buffer, 178);
    PutLink(expected, 80, buffer, 196);
    PutDword(expected, 104, PRINTER_ATTRIBUTE_LOCAL);
    PutDword(expected, 108, 1);  // priority
    PutText(expected, 136, "P2");
    PutText(expected, 142, "FILE:");
    PutText(expected, 154, "Palvex Test");
    PutText(expected, 178, "winprint");
    PutText(expected, 196, "RAW");
    EXPECT_EQ(buffer, expected);
}

TEST_F(PrinterLevels, LevelTwoWithSettingsDevmodeSecurityAndJobs) {
    palvex::PrinterSettingsDesc settings;
    settings.attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED;
    settings.priority = 7;
    settings.defaultPriority = 3;
    settings.startTime = 60;
    settings.untilTime = 120;
    settings.status = PRINTER_STATUS_PAUSED;
    settings.shareName = u"Share";
    settings.comment = u"Second floor";
    settings.location = u"Room 2";
    settings.sepFile = u"sep.sep";
    settings.datatype = u"NT EMF 1.008";
    settings.parameters = u"x=1";
    palvex::SetPrinterSettings(kPrinter, settings);
    const std::vector<BYTE> devMode = DevModeBytes(220, 35, 0x5A);
    palvex::SetPrinterDevMode(kPrinter, devMode);
    palvex::JobDesc job;
    job.printerName = kPrinter;
    palvex::AddJob(job);
    const DWORD deleted = palvex::AddJob(job);
    palvex::SetJobStatus(deleted, JOB_STATUS_DELETED);

    HANDLE admin = Open(PRINTER_ALL_ACCESS);
    const std::vector<BYTE> buffer = Get(2, admin);
    ClosePrinter(admin);
    PRINTER_INFO_2W info;
    std::memcpy(&info, buffer.data(), sizeof info);
    EXPECT_EQ(info.pServerName, nullptr);
    EXPECT_EQ(std::u16string(info.pPrinterName), kPrinter);
    EXPECT_EQ(std::u16string(info.pShareName), u"Share");
    EXPECT_EQ(std::u16string(info.pComment), u"Second floor");
    EXPECT_EQ(std::u16string(info.pLocation), u"Room 2");
    EXPECT_EQ(std::u16string(info.pSepFile), u"sep.sep");
    EXPECT_EQ(std::u16string(info.pDatatype), u"NT EMF 1.008");
    EXPECT_EQ(std::u16string(info.pParameters), u"x=1");
    ASSERT_NE(info.pDevMode, nullptr);
    const size_t devModeAt = reinterpret_cast<BYTE*>(info.pDevMode) - buffer.data();
    EXPECT_EQ(devModeAt % 8, 0u);
    EXPECT_EQ(std::vector<BYTE>(buffer.begin() + devModeAt, buffer.begin() + devModeAt + devMode.size()), devMode);
    ASSERT_NE(info.pSecurityDescriptor, nullptr);
    const size_t securityAt = reinterpret_cast<BYTE*>(info.pSecurityDescriptor) - buffer.data();
    EXPECT_EQ(securityAt % 8, 0u);
    EXPECT_EQ(securityAt + 20, buffer.size());  // the last piece
    const std::vector<BYTE> security = {1, 0, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<BYTE>(buffer.begin() + securityAt, buffer.end()), security);
    EXPECT_EQ(info.Attributes, static_cast<DWORD>(PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED));
    EXPECT_EQ(info.Priority, 7u);
    EXPECT_EQ(info.DefaultPriority, 3u);
    EXPECT_EQ(info.StartTime, 60u);
    EXPECT_EQ(info.UntilTime, 120u);
    EXPECT_EQ(info.Status, static_cast<DWORD>(PRINTER_STATUS_PAUSED));
    EXPECT_EQ(info.cJobs, 1u);
    EXPECT_EQ(info.AveragePPM, 0u);
    EXPECT_EQ(palvex::GetPrinterSettings(kPrinter).comment, u"Second floor");
}

TEST_F(PrinterLevels, SmallLevelsByteForByte) {
    std::vector<BYTE> buffer = Get(4);
    std::vector<BYTE> expected(30, 0);
    PutLink(expected, 0, buffer, 24);
    PutDword(expected, 16, PRINTER_ATTRIBUTE_LOCAL);
    PutText(expected, 24, "P2");
    EXPECT_EQ(buffer, expected);

    buffer = Get(5);
    expected.assign(50, 0);
    PutLink(expected, 0, buffer, 32);
    PutLink(expected, 8, buffer, 38);
    PutDword(expected, 16, PRINTER_ATTRIBUTE_LOCAL);
    PutDword(expected, 20, 15000);
    PutDword(expected, 24, 45000);
    PutText(expected, 32, "P2");
    PutText(expected, 38, "FILE:");
    EXPECT_EQ(buffer, expected);

    palvex::PrinterSettingsDesc settings;
    settings.status = PRINTER_STATUS_OFFLINE;
    palvex::SetPrinterSettings(kPrinter, settings);
    EXPECT_EQ(Get(6), std::vector<BYTE>({0x80, 0, 0, 0}));
    expected.assign(16, 0);
    PutDword(expected, 8, DSPRINT_UNPUBLISH);
    EXPECT_EQ(Get(7), expected);
}

TEST_F(PrinterLevels, LevelThreeNeedsReadControl) {
    DWORD needed = 0;
    BYTE buffer[64];
    SetLastError(0);
    EXPECT_FALSE(GetPrinterW(m_printer, 3, buffer, sizeof buffer, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE reader = Open(READ_CONTROL | PRINTER_ACCESS_USE);
    const std::vector<BYTE> info = Get(3, reader);
    ClosePrinter(reader);
    std::vector<BYTE> expected(28, 0);
    PutLink(expected, 0, info, 8);
    expected[8] = 1;
    expected[11] = 0x80;
    EXPECT_EQ(info, expected);
}

TEST_F(PrinterLevels, DevmodeLevelsEightAndNine) {
    EXPECT_EQ(Get(8), std::vector<BYTE>(8, 0));  // no DEVMODE: a null link
    EXPECT_EQ(Get(9), std::vector<BYTE>(8, 0));
    const std::vector<BYTE> global = DevModeBytes(220, 4, 0x21);
    const std::vector<BYTE> user = DevModeBytes(156, 0, 0x42);
    palvex::SetPrinterDevMode(kPrinter, global);
    palvex::SetPrinterUserDevMode(kPrinter, user);
    for (const auto& [level, devMode] : {std::make_pair(8u, global), std::make_pair(9u, user)}) {
        const std::vector<BYTE> buffer = Get(level);
        std::vector<BYTE> expected(8 + devMode.size());
        PutLink(expected, 0, buffer, 8);
        std::copy(devMode.begin(), devMode.end(), expected.begin() + 8);
        EXPECT_EQ(buffer, expected) << level;
    }
    palvex::SetPrinterDevMode(kPrinter, {});
    EXPECT_EQ(Get(8), std::vector<BYTE>(8, 0));
    EXPECT_THROW(palvex::SetPrinterDevMode(kPrinter, std::vector<BYTE>(100, 0)), palvex::MachineError);
    EXPECT_THROW(palvex::SetPrinterUserDevMode(u"No Such Printer", user), palvex::MachineError);
}

TEST_F(PrinterLevels, SizingProtocol) {
    for (DWORD level = 2; level <= 9; ++level) {
        if (level == 3) continue;
        DWORD needed = 0;
        SetLastError(0);
        ASSERT_FALSE(GetPrinterW(m_printer, level, nullptr, 0, &needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<BYTE> buffer(needed - 1, 0xCC);
        DWORD again = 0;
        EXPECT_FALSE(GetPrinterW(m_printer, level, buffer.data(), needed - 1, &again));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(again, needed);
        EXPECT_EQ(buffer, std::vector<BYTE>(needed - 1, 0xCC)) << level;
        SetLastError(0);
        EXPECT_FALSE(GetPrinterW(m_printer, level, nullptr, needed, &again));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
        SetLastError(0);
        EXPECT_FALSE(GetPrinterW(m_printer, level, buffer.data(), needed, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_X_NULL_REF_POINTER));
    }
    DWORD needed = 0;
    BYTE buffer[256];
    for (DWORD level : {0u, 10u}) {
        SetLastError(0);
        EXPECT_FALSE(GetPrinterW(m_printer, level, buffer, sizeof buffer, &needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    }
    SetLastError(0);
    EXPECT_FALSE(GetPrinterW(nullptr, 2, buffer, sizeof buffer, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
