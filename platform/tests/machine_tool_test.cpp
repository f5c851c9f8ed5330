#include <gtest/gtest.h>

#include <palvex/machine.h>
#include <win/windows.h>

#include "child_process.h"

namespace {

using palvex::testing::RunChild;

TEST(MachineTool, InitAddPrinterAndShow) {
    palvex::TestMachine machine;
    const auto root = machine.root() / "second";  // a machine the tool has to create

    auto init = RunChild(PALVEX_MACHINE_TOOL, {"init"}, root);
    EXPECT_EQ(init.exitCode, 0);
    EXPECT_EQ(init.output, "machine created: " + root.string() + "\n");
    init = RunChild(PALVEX_MACHINE_TOOL, {"init"}, root);
    EXPECT_EQ(init.output, "machine already there: " + root.string() + "\n");

    auto add = RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Palvex QX500", "Palvex QX500 Driver"}, root);
    EXPECT_EQ(add.exitCode, 0);
    EXPECT_EQ(add.output, "driver added: Palvex QX500 Driver\nprinter added: Palvex QX500 (Palvex QX500 Driver, FILE:)\n");
    add = RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "Second", "palvex qx500 driver", "LPT1:"}, root);
    EXPECT_EQ(add.output, "printer added: Second (palvex qx500 driver, LPT1:)\n");
    add = RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "second", "Palvex QX500 Driver"}, root);
    EXPECT_EQ(add.exitCode, 1);  // already there

    // Printer data written here shows in the tool's listing.
    palvex::SetMachineRoot(root);
    std::u16string name = u"Palvex QX500";
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, &defaults));
    std::vector<BYTE> block(1234, 0x55);
    ASSERT_EQ(SetPrinterDataW(printer, std::u16string(u"OEMDEVMODE").data(), REG_BINARY, block.data(), 1234),
              static_cast<DWORD>(ERROR_SUCCESS));
    ClosePrinter(printer);
    palvex::SetMachineRoot(machine.root());

    const auto show = RunChild(PALVEX_MACHINE_TOOL, {"show"}, root);
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_EQ(show.output, "machine: " + root.string() + "\n"
                           "drivers: 1\n"
                           "  Palvex QX500 Driver [Windows x64]\n"
                           "printers: 2\n"
                           "  Palvex QX500\n"
                           "    driver: Palvex QX500 Driver, port: FILE:, print processor: winprint\n"
                           "    data: PrinterDriverData\\OEMDEVMODE  REG_BINARY  1234 bytes\n"
                           "  Second\n"
                           "    driver: Palvex QX500 Driver, port: LPT1:, print processor: winprint\n");
}

TEST(MachineTool, RefusesWhatItDoesNotKnow) {
    palvex::TestMachine machine;
    EXPECT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"frobnicate"}, machine.root()).exitCode, 2);
    EXPECT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"add-printer", "OnlyAName"}, machine.root()).exitCode, 2);
    EXPECT_EQ(RunChild(PALVEX_MACHINE_TOOL, {"show"}, machine.root() / "nothing").exitCode, 1);
}

}  // namespace
