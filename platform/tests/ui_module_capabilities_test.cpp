// DeviceCapabilitiesW with a UI plug-in registered for the file the universal driver's printers
// carry: the plug-in gets the driver's answer and the caller's DEVMODE, and its success answer
// replaces the driver's (the driver writing nothing into the caller's array); a declined answer,
// another driver, a driver with a user interface of its own or a plug-in taken back leave the
// driver's stored answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/printer_papers.h>
#include <palvex/ui_module_capabilities.h>
#include <palvex/utf8.h>
#include <win/windows.h>

namespace {

constexpr char16_t kPlugin[] = u"PLUGINUI.DLL";

// What the plug-in was asked, and what it answers: two bins, 8 and 9, or a decline.
struct FakePlugin {
    HRESULT answer = S_OK;
    int calls = 0;
    std::u16string printer;
    WORD capability = 0;
    DWORD driverAnswer = 0;
    const DEVMODEW* devmode = nullptr;
    WORD firstBefore = 0;  // the caller's first entry when the plug-in was asked

    palvex::UiModuleCapabilities Function() {
        return [this](const std::u16string& printerName, WORD asked, void* output, const DEVMODEW* given,
                      DWORD driver, DWORD* result) {
            ++calls;
            printer = printerName;
            capability = asked;
            driverAnswer = driver;
            devmode = given;
            if (FAILED(answer)) return answer;
            *result = 2;
            if (auto* bins = static_cast<WORD*>(output)) {
                firstBefore = bins[0];
                bins[0] = 8;
                bins[1] = 9;
            }
            return answer;
        };
    }
};

void AddPrinterOfDriver(const std::u16string& printer, const std::u16string& configFile,
                        std::vector<std::u16string> files) {
    palvex::DriverDesc driver;
    driver.name = printer + u" Driver";
    driver.driverPath = u"UNIDRV.DLL";
    driver.configFile = configFile;
    driver.dependentFiles = std::move(files);
    palvex::AddDriver(driver);
    palvex::AddPrinter(printer, driver.name, u"FILE:");
    palvex::SetPrinterBins(printer, {{15, u"Auto"}, {1, u"Upper"}, {4, u"Manual"}});
}

std::vector<WORD> Bins(const char16_t* printer, int room) {
    std::vector<WORD> bins(static_cast<size_t>(room) + 1, 0xEEEE);
    const int count = DeviceCapabilitiesW(printer, nullptr, DC_BINS, reinterpret_cast<LPWSTR>(bins.data()), nullptr);
    EXPECT_EQ(count, room);
    return bins;
}

class UiModuleCapabilitiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddPrinterOfDriver(u"Plug-in Printer", u"UNIDRVUI.DLL", {u"DATA.GPD", u"pluginui.dll"});
        AddPrinterOfDriver(u"Plug-in Printer In A Folder", u"C:\\Drivers\\unidrvui.dll", {u"C:\\Drivers\\PLUGINUI.DLL"});
        AddPrinterOfDriver(u"Other Printer", u"UNIDRVUI.DLL", {u"OTHERUI.DLL"});
        AddPrinterOfDriver(u"Own UI Printer", u"OWNUI.DLL", {u"PLUGINUI.DLL"});
        palvex::SetUiModuleCapabilities(kPlugin, m_plugin.Function());
    }
    void TearDown() override { palvex::SetUiModuleCapabilities(kPlugin, {}); }

    palvex::TestMachine m_machine;
    FakePlugin m_plugin;
};

TEST_F(UiModuleCapabilitiesTest, ThePluginOfTheUniversalDriversPrintersChangesTheDriversAnswer) {
    const struct {
        const char16_t* printer;
        bool asked;
    } printers[] = {
        {u"Plug-in Printer", true},
        {u"Plug-in Printer In A Folder", true},
        {u"Other Printer", false},
        {u"Own UI Printer", false},
    };
    for (const auto& p : printers) {
        for (HRESULT answer : {S_OK, HRESULT{0x0004DC01}, E_NOTIMPL}) {
            SCOPED_TRACE(testing::Message() << palvex::ToUtf8(p.printer) << " answer " << std::hex << answer);
            m_plugin = FakePlugin{};
            m_plugin.answer = answer;
            const bool plugins = p.asked && SUCCEEDED(answer);
            const std::vector<WORD> bins = Bins(p.printer, plugins ? 2 : 3);
            EXPECT_EQ(bins, plugins ? (std::vector<WORD>{8, 9, 0xEEEE}) : (std::vector<WORD>{15, 1, 4, 0xEEEE}));
            EXPECT_EQ(m_plugin.calls, p.asked ? 1 : 0);
            if (!p.asked) continue;
            EXPECT_EQ(m_plugin.printer, p.printer);
            EXPECT_EQ(m_plugin.capability, DC_BINS);
            EXPECT_EQ(m_plugin.driverAnswer, 3u);
            // The driver wrote none of its own bins before the plug-in answered.
            if (plugins) {
                EXPECT_EQ(m_plugin.firstBefore, 0xEEEE);
            }
        }
    }
}

TEST_F(UiModuleCapabilitiesTest, TheCallersDevModeReachesThePluginAndACapabilityOnlyThePluginKnowsIsItsAlone) {
    DEVMODEW devmode{};
    devmode.dmSize = sizeof devmode;
    EXPECT_EQ(DeviceCapabilitiesW(u"Plug-in Printer", nullptr, 999, nullptr, &devmode), 2);
    EXPECT_EQ(m_plugin.devmode, &devmode);
    // The driver does not answer it.
    EXPECT_EQ(m_plugin.driverAnswer, 0xFFFFFFFFu);
    m_plugin.answer = E_NOTIMPL;
    SetLastError(0);
    EXPECT_EQ(DeviceCapabilitiesW(u"Plug-in Printer", nullptr, 999, nullptr, nullptr), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    // An unknown printer asks no plug-in.
    m_plugin.calls = 0;
    EXPECT_EQ(DeviceCapabilitiesW(u"No Such Printer", nullptr, DC_BINS, nullptr, nullptr), -1);
    EXPECT_EQ(m_plugin.calls, 0);
}

TEST_F(UiModuleCapabilitiesTest, APluginTakenBackLeavesTheDriversAnswer) {
    palvex::SetUiModuleCapabilities(u"pluginui.dll", {});
    EXPECT_EQ(Bins(u"Plug-in Printer", 3), (std::vector<WORD>{15, 1, 4, 0xEEEE}));
    EXPECT_EQ(m_plugin.calls, 0);
}

}  // namespace
