// PrinterEvent at printer initialisation: the description's registry entries written into the
// printer's data, and on Windows 5.1 and 5.2 the model's print processor set when the description
// asks for it.
#include <cstring>

#include <palvex/os_profile.h>

#include "ui_fixture.h"

namespace uitest {
namespace {

void RunOn(DWORD major, DWORD minor, BYTE productType = 1) {
    palvex::OsProfile profile = palvex::GetOsProfile();
    profile.majorVersion = major;
    profile.minorVersion = minor;
    profile.productType = productType;
    palvex::SetOsProfile(profile);
}

class PrinterEventTest : public UiTest {
protected:
    HRESULT Initialize() {
        auto host = MakeHost();  // the description is compiled by the host's DevMode calls
        return host->PrinterEvent(PRINTER_EVENT_INITIALIZE);
    }
};

TEST_F(PrinterEventTest, WritesTheDescriptionsRegistryEntries) {
    ASSERT_EQ(Initialize(), S_OK);
    DWORD type = 0;
    const std::vector<BYTE> text = PrinterValue(u"XPDDescription", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    const std::u16string expected = u"TOVQEB";
    ASSERT_EQ(text.size(), (expected.size() + 1) * 2);  // the text and its NUL
    EXPECT_EQ(std::memcmp(text.data(), expected.c_str(), text.size()), 0);
    const std::vector<BYTE> number = PrinterValue(u"XPDRevision", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, (std::vector<BYTE>{1, 0, 0, 0}));
}

TEST_F(PrinterEventTest, OtherEventsAreNotHandled) {
    auto host = MakeHost();
    for (INT event : {PRINTER_EVENT_ADD_CONNECTION, PRINTER_EVENT_DELETE, PRINTER_EVENT_CACHE_REFRESH})
        EXPECT_EQ(host->PrinterEvent(event), E_NOTIMPL) << event;
    EXPECT_FALSE(HasPrinterValue(u"XPDDescription"));
}

TEST_F(PrinterEventTest, WithoutCompiledBlocksNothingIsWritten) {
    PluginRef plugin;
    std::u16string name = kPrinter;
    EXPECT_EQ(plugin->PrinterEvent(name.data(), PRINTER_EVENT_INITIALIZE, 0, 0), E_NOTIMPL);
    EXPECT_FALSE(HasPrinterValue(u"XPDDescription"));
    EXPECT_EQ(PrintProcessorOf(), u"winprint");
}

TEST_F(PrinterEventTest, SetsThePrintProcessorOnlyOnWindows51And52) {
    struct Case {
        const char* what;
        DWORD major, minor;
        BYTE productType;
        bool set;
    };
    const Case cases[] = {
        {"5.1", 5, 1, 1, true},
        {"5.2 workstation", 5, 2, 1, true},
        {"5.2 server", 5, 2, 3, true},
        {"5.2 domain controller", 5, 2, 2, false},
        {"5.0", 5, 0, 1, false},
        {"6.0", 6, 0, 1, false},
        {"10.0", 10, 0, 1, false},
    };
    RegisterPrintProcessor(kModelPrintProcessor);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunOn(c.major, c.minor, c.productType);
        {
            // Back to the standard processor before each case.
            PrinterHandle printer;
            DWORD needed = 0;
            GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
            std::vector<BYTE> info(needed);
            ASSERT_TRUE(GetPrinterW(printer.get(), 2, info.data(), needed, &needed));
            WCHAR standard[] = u"winprint";
            reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pPrintProcessor = standard;
            ASSERT_TRUE(SetPrinterW(printer.get(), 2, info.data(), 0));
        }
        EXPECT_EQ(Initialize(), S_OK);
        EXPECT_EQ(PrintProcessorOf(), c.set ? std::u16string(kModelPrintProcessor) : u"winprint");
        EXPECT_TRUE(HasPrinterValue(u"XPDRevision"));  // the registry entries follow in every case
    }
}

TEST_F(PrinterEventTest, AFailedPrintProcessorChangeIsReported) {
    // The model's print processor is not installed: the spooler refuses it.
    RunOn(5, 1);
    EXPECT_EQ(static_cast<DWORD>(Initialize()), static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_UNKNOWN_PRINTPROCESSOR)));
    EXPECT_EQ(PrintProcessorOf(), u"winprint");
}

TEST_F(PrinterEventTest, APrinterThatCannotBeOpenedForAdministrationIsLeftAlone) {
    RegisterPrintProcessor(kModelPrintProcessor);
    RunOn(5, 1);
    auto host = MakeHost();
    palvex::SetPrinterDeniedAccess(kPrinter, PRINTER_ACCESS_ADMINISTER);
    EXPECT_EQ(host->PrinterEvent(PRINTER_EVENT_INITIALIZE), S_OK);
    palvex::SetPrinterDeniedAccess(kPrinter, 0);
    EXPECT_EQ(PrintProcessorOf(), u"winprint");
    EXPECT_FALSE(HasPrinterValue(u"XPDDescription"));
}

}  // namespace
}  // namespace uitest
