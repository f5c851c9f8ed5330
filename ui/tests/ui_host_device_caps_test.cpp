// DeviceCapabilitiesW as the universal driver answers it while the plug-in is registered for the
// drivers that carry it: the driver's stored answer first, then the plug-in's hook, whose answer
// wins (the bins of the installed trays named from the model's resources) or, declined, leaves the
// driver's. Printers of other drivers keep the stored answer. The document sheet's paper source
// lists what the plug-in answers.
#include <cstring>
#include <optional>

#include <palvex/printer_papers.h>
#include <palvex/ui_script.h>
#include <ui_plugin_capabilities.h>
#include <win/commctrl.h>

#include "tovqebui.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

constexpr char16_t kPardexPrinter[] = u"Pardex Printer";
constexpr char16_t kOtherPrinter[] = u"Other Driver Printer";
constexpr char16_t kOwnUiPrinter[] = u"Own UI Printer";

void AddPrinterOfDriver(const std::u16string& printer, const std::u16string& driverName, const std::u16string& configFile,
                        std::vector<std::u16string> files) {
    palvex::DriverDesc driver;
    driver.name = driverName;
    driver.driverPath = u"UNIDRV.DLL";
    driver.dataFile = u"TOVQEB.GPD";
    driver.configFile = configFile;
    driver.dependentFiles = std::move(files);
    palvex::AddDriver(driver);
    palvex::AddPrinter(printer, driverName, u"FILE:");
}

// What DeviceCapabilitiesW answers for a printer's bins, bin names and media types. The arrays are
// sized by the counts with a guard entry behind, which must stay untouched.
struct BinAnswer {
    std::vector<WORD> bins;
    std::vector<std::u16string> names;
    int mediaTypes = 0;
    bool guardsKept = true;
};

BinAnswer AskBins(const std::u16string& printer) {
    BinAnswer answer;
    const int count = DeviceCapabilitiesW(printer.c_str(), nullptr, DC_BINS, nullptr, nullptr);
    EXPECT_EQ(DeviceCapabilitiesW(printer.c_str(), nullptr, DC_BINNAMES, nullptr, nullptr), count);
    if (count < 0) return answer;
    std::vector<WORD> bins(static_cast<size_t>(count) + 1, 0xEEEE);
    EXPECT_EQ(DeviceCapabilitiesW(printer.c_str(), nullptr, DC_BINS, reinterpret_cast<LPWSTR>(bins.data()), nullptr),
              count);
    std::vector<WCHAR> names((static_cast<size_t>(count) + 1) * CCHBINNAME, u'#');
    EXPECT_EQ(DeviceCapabilitiesW(printer.c_str(), nullptr, DC_BINNAMES, names.data(), nullptr), count);
    answer.guardsKept = bins.back() == 0xEEEE && names.back() == u'#';
    answer.bins.assign(bins.begin(), bins.end() - 1);
    for (int i = 0; i < count; ++i) answer.names.emplace_back(names.data() + static_cast<size_t>(i) * CCHBINNAME);
    answer.mediaTypes = DeviceCapabilitiesW(printer.c_str(), nullptr, DC_MEDIATYPES, nullptr, nullptr);
    return answer;
}

class HostDeviceCaps : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        AddPrinterOfDriver(kPardexPrinter, u"Palvex Pardex Driver", u"unidrvui.dll",
                           {u"tovqebui.dll", u"tovqebres.dll", u"tovqebxl.dll"});
        AddPrinterOfDriver(kOtherPrinter, u"Another Universal Driver", u"UNIDRVUI.DLL", {u"OTHERUI.DLL"});
        AddPrinterOfDriver(kOwnUiPrinter, u"A Driver Of Its Own", u"OWNUI.DLL", {u"TOVQEBUI.DLL", u"TOVQEBRES.DLL"});
        for (const char16_t* printer : {kOtherPrinter, kOwnUiPrinter})
            palvex::SetPrinterBins(printer, {{7, u"Auto"}, {1, u"Upper"}});
        palvex::SetPrinterMediaTypes(kPrinter, {{513, u"Plain"}, {518, u"Thick 1"}});
        m_capabilities = MakeCapabilities();
    }
    void TearDown() override {
        m_capabilities.reset();
        palvex::ResetUserScript();
        UiTest::TearDown();
    }
    static std::unique_ptr<palvex::hosts::UiPluginCapabilities> MakeCapabilities() {
        void* factory = nullptr;
        EXPECT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, &factory), S_OK);
        auto capabilities = std::make_unique<palvex::hosts::UiPluginCapabilities>(
            u"TOVQEBUI.DLL", static_cast<IClassFactory*>(factory));
        static_cast<IClassFactory*>(factory)->Release();
        return capabilities;
    }

    std::unique_ptr<palvex::hosts::UiPluginCapabilities> m_capabilities;
};

TEST_F(HostDeviceCaps, ThePluginsBinsFollowTheInstalledTraysAndOtherDriversKeepTheStoredAnswer) {
    const std::vector<WORD> threeBins = {15, 1, 4};
    const std::vector<std::u16string> threeNames = {u"フォーム選択", u"トレイ 1", u"手差し"};
    struct Case {
        const char* what;
        const char16_t* printer;
        std::optional<std::vector<BYTE>> trays;
        std::vector<palvex::PrinterChoiceDesc> storedBins;
        std::vector<WORD> bins;
        std::vector<std::u16string> names;
        int mediaTypes;
    };
    const Case cases[] = {
        {"no tray data", kPrinter, std::nullopt, {}, threeBins, threeNames, 2},
        {"all four trays installed", kPrinter, TrayTable({1, 1, 1, 1}), {}, {15, 1, 3, 2, 4},
         {u"フォーム選択", u"トレイ 1", u"トレイ 2", u"トレイ 3", u"手差し"}, 2},
        // The driver's own five bins: the plug-in's three replace them (the first named as the
        // automatic choice, the driver having listed more than one), and the driver writes none
        // of its own past them.
        {"stored bins of the driver", kPrinter, std::nullopt,
         {{7, u"Auto"}, {1, u"Upper"}, {2, u"Lower"}, {3, u"Middle"}, {4, u"Manual"}}, threeBins,
         {u"自動", u"トレイ 1", u"手差し"}, 2},
        // The installer names the driver's files in lower case. Printers given no media types
        // offer the four of the description their drivers' data file is.
        {"driver installed by the installer", kPardexPrinter, std::nullopt, {}, threeBins, threeNames, 4},
        {"another universal driver", kOtherPrinter, std::nullopt, {}, {7, 1}, {u"Auto", u"Upper"}, 4},
        {"a driver with a user interface of its own", kOwnUiPrinter, std::nullopt, {}, {7, 1}, {u"Auto", u"Upper"}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.trays) SetPrinterValue(u"PrinterInputTrayInfos", REG_BINARY, *c.trays);
        if (!c.storedBins.empty()) palvex::SetPrinterBins(c.printer, c.storedBins);
        const BinAnswer answer = AskBins(c.printer);
        EXPECT_EQ(answer.bins, c.bins);
        EXPECT_EQ(answer.names, c.names);
        EXPECT_TRUE(answer.guardsKept);
        // The plug-in leaves the media types to the driver.
        EXPECT_EQ(answer.mediaTypes, c.mediaTypes);
        if (c.trays) {
            PrinterHandle printer;
            ASSERT_EQ(DeletePrinterDataW(printer.get(), const_cast<LPWSTR>(u"PrinterInputTrayInfos")), ERROR_SUCCESS);
        }
        if (!c.storedBins.empty()) palvex::SetPrinterBins(c.printer, {});
    }
}

TEST_F(HostDeviceCaps, ThePluginAnswersTheExtentsAndResolutionAndLeavesThePapersToTheDriver) {
    const int papers = DeviceCapabilitiesW(kPrinter, nullptr, DC_PAPERS, nullptr, nullptr);
    EXPECT_GT(papers, 0);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_MINEXTENT, nullptr, nullptr), 0x03D4037A);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_MAXEXTENT, nullptr, nullptr), 0x10E00B9A);
    LONG resolution[3] = {0, 0, -1};
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_ENUMRESOLUTIONS, reinterpret_cast<LPWSTR>(resolution), nullptr),
              1);
    EXPECT_EQ(resolution[0], 600);
    EXPECT_EQ(resolution[1], 600);
    EXPECT_EQ(resolution[2], -1);
    // Neither the driver nor the plug-in knows this one.
    SetLastError(0);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, 999, nullptr, nullptr), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));

    // Without the plug-in: the driver's answer alone.
    m_capabilities.reset();
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_PAPERS, nullptr, nullptr), papers);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_BINS, nullptr, nullptr), 0);
    EXPECT_EQ(DeviceCapabilitiesW(kPrinter, nullptr, DC_MINEXTENT, nullptr, nullptr), -1);
}

// The Advanced page of the document sheet: its paper source lists the bins the plug-in answers for
// the installed trays.
TEST_F(HostDeviceCaps, TheAdvancedPagesPaperSourceListsTheInstalledTrays) {
    constexpr int kSource = 3352;
    const struct {
        const char* what;
        std::optional<std::vector<BYTE>> trays;
        std::vector<std::u16string> shown;
    } cases[] = {
        {"no tray data", std::nullopt, {u"自動", u"トレイ 1", u"手差し"}},
        {"all four trays", TrayTable({1, 1, 1, 1}), {u"自動", u"トレイ 1", u"トレイ 2", u"トレイ 3", u"手差し"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.trays) SetPrinterValue(u"PrinterInputTrayInfos", REG_BINARY, *c.trays);
        auto host = MakeHost();
        std::vector<std::u16string> shown;
        palvex::UserAction tab;
        tab.kind = palvex::UserAction::Tab;
        tab.index = 2;
        palvex::UserAction look;
        look.kind = palvex::UserAction::Run;
        look.run = [&](HWND frame) {
            HWND page = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETCURRENTPAGEHWND, 0, 0));
            HWND list = GetDlgItem(page, kSource);
            const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                WCHAR text[64] = {};
                SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
                shown.emplace_back(text);
            }
        };
        palvex::UserAction cancel;
        cancel.kind = palvex::UserAction::Cancel;
        palvex::QueueUserActions({tab, look, cancel});
        DWORD result = CPSUI_OK;
        ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR) << host->error();
        EXPECT_EQ(shown, c.shown);
    }
}

}  // namespace
}  // namespace uitest
