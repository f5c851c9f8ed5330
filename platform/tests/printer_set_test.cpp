// SetPrinterW level 2: what it changes, what it refuses and the access it needs.
#include <gtest/gtest.h>

#include <vector>

#include <palvex/machine.h>
#include <palvex/printer_settings.h>
#include <win/windows.h>

namespace {

constexpr char16_t kPrinter[] = u"P2";

class SetPrinter : public ::testing::Test {
protected:
    void SetUp() override { m_machine.AddPrinterWithDriver(kPrinter); }

    static HANDLE Open(DWORD access) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
        HANDLE printer = nullptr;
        std::u16string name = kPrinter;
        EXPECT_TRUE(OpenPrinterW(name.data(), &printer, &defaults));
        return printer;
    }
    static std::vector<BYTE> Level2(HANDLE printer) {
        DWORD needed = 0;
        EXPECT_FALSE(GetPrinterW(printer, 2, nullptr, 0, &needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<BYTE> bytes(needed);
        EXPECT_TRUE(GetPrinterW(printer, 2, bytes.data(), needed, &needed));
        return bytes;
    }
    static PRINTER_INFO_2W* Info(std::vector<BYTE>& bytes) { return reinterpret_cast<PRINTER_INFO_2W*>(bytes.data()); }
    static std::u16string Processor() {
        for (const auto& printer : palvex::ListPrinters())
            if (printer.name == kPrinter) return printer.printProcessor;
        return {};
    }

    palvex::TestMachine m_machine;
};

TEST_F(SetPrinter, ChangesThePrintProcessorAndSettings) {
    const std::u16string path = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\Palvex PP";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    HANDLE printer = Open(PRINTER_ALL_ACCESS);
    std::vector<BYTE> info = Level2(printer);
    WCHAR processor[] = u"palvex pp";
    WCHAR comment[] = u"second floor";
    WCHAR port[] = u"LPT1:";
    Info(info)->pPrintProcessor = processor;
    Info(info)->pComment = comment;
    Info(info)->pPortName = port;
    Info(info)->Priority = 7;
    ASSERT_TRUE(SetPrinterW(printer, 2, info.data(), 0)) << GetLastError();
    EXPECT_EQ(Processor(), u"palvex pp");
    std::vector<BYTE> read = Level2(printer);
    EXPECT_EQ(std::u16string(Info(read)->pPrintProcessor), u"palvex pp");
    EXPECT_EQ(std::u16string(Info(read)->pComment), u"second floor");
    EXPECT_EQ(std::u16string(Info(read)->pPortName), u"LPT1:");
    EXPECT_EQ(Info(read)->Priority, 7u);
    ClosePrinter(printer);
}

TEST_F(SetPrinter, RefusesWhatItCannotDoAndChangesNothing) {
    HANDLE printer = Open(PRINTER_ALL_ACCESS);
    HANDLE user = Open(PRINTER_ACCESS_USE);
    struct Case {
        const char* what;
        HANDLE handle;
        DWORD level;
        DWORD command;
        const char16_t* processor;
        const char16_t* name;
        DWORD error;
    };
    const Case cases[] = {
        {"unknown print processor", printer, 2, 0, u"Nobody's Processor", nullptr, ERROR_UNKNOWN_PRINTPROCESSOR},
        {"no print processor", printer, 2, 0, nullptr, nullptr, ERROR_UNKNOWN_PRINTPROCESSOR},
        {"level 1", printer, 1, 0, u"winprint", nullptr, ERROR_INVALID_LEVEL},
        {"a pause command", printer, 2, 1, u"winprint", nullptr, ERROR_NOT_SUPPORTED},
        {"a new name", printer, 2, 0, u"winprint", u"P3", ERROR_NOT_SUPPORTED},
        {"a handle for printing only", user, 2, 0, u"winprint", nullptr, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<BYTE> info = Level2(printer);
        std::u16string processor = c.processor ? c.processor : u"";
        std::u16string name = c.name ? c.name : u"";
        WCHAR comment[] = u"changed";
        Info(info)->pPrintProcessor = c.processor ? processor.data() : nullptr;
        if (c.name) Info(info)->pPrinterName = name.data();
        Info(info)->pComment = comment;
        EXPECT_FALSE(SetPrinterW(c.handle, c.level, info.data(), c.command));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(Processor(), u"winprint");
        EXPECT_EQ(palvex::GetPrinterSettings(kPrinter).comment, u"");
    }
    EXPECT_FALSE(SetPrinterW(printer, 2, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ClosePrinter(user);
    ClosePrinter(printer);
}

}  // namespace
