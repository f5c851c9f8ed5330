// EnumPrintersW and EnumPrinterDriversW: the two-call sizing and records whose links point into
// the caller's buffer.
#include <gtest/gtest.h>

#include <vector>

#include <palvex/machine.h>
#include <win/windows.h>

namespace {

TEST(PrinterEnumeration, SizingThenRecordsInTheCallersBuffer) {
    palvex::TestMachine machine;
    machine.AddPrinterWithDriver(u"Alpha", u"Palvex Test");
    palvex::AddPrinter(u"Beta", u"Palvex Test", u"LPT1:");
    DWORD needed = 0, count = 7;
    EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
    EXPECT_EQ(count, 0u);
    ASSERT_GT(needed, 2 * sizeof(PRINTER_INFO_2W));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count));
    ASSERT_EQ(count, 2u);
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    EXPECT_EQ(std::u16string(printers[0].pPrinterName), u"Alpha");
    EXPECT_EQ(std::u16string(printers[1].pPrinterName), u"Beta");
    EXPECT_EQ(std::u16string(printers[1].pPortName), u"LPT1:");
    for (DWORD i = 0; i < count; ++i) {
        const auto* link = reinterpret_cast<const BYTE*>(printers[i].pDriverName);
        EXPECT_GE(link, buffer.data() + 2 * sizeof(PRINTER_INFO_2W));
        EXPECT_LT(link, buffer.data() + buffer.size());
    }
    EXPECT_TRUE(EnumPrintersW(PRINTER_ENUM_CONNECTIONS, nullptr, 5, nullptr, 0, &needed, &count));
    EXPECT_EQ(count, 0u);  // no connections on this machine
    EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_LEVEL});

    ASSERT_FALSE(EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count));
    buffer.assign(needed, 0);
    ASSERT_TRUE(EnumPrinterDriversW(nullptr, nullptr, 3, buffer.data(), needed, &needed, &count));
    ASSERT_EQ(count, 1u);
    const auto* driver = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    EXPECT_EQ(std::u16string(driver->pName), u"Palvex Test");
    EXPECT_EQ(driver->cVersion, 3u);
    std::u16string environment = u"Windows NT x86";
    EXPECT_TRUE(EnumPrinterDriversW(nullptr, environment.data(), 3, nullptr, 0, &needed, &count));
    EXPECT_EQ(count, 0u);
}

}  // namespace
