// DevMode as the UI host calls it on an installed printer: the settings object made on the first
// call (compiling the description when the stored blocks are missing), the default paper by the
// printer's market, and the private devmode's size, default and merge.
#include <cstring>
#include <optional>

#include "ui_fixture.h"

namespace uitest {
namespace {

using palvex::hosts::kUnidrvPartSize;

DEVMODEW LetterWithoutPaperField() {
    DEVMODEW devmode{};
    devmode.dmSize = sizeof devmode;
    devmode.dmFields = DM_ORIENTATION;
    devmode.dmPaperSize = DMPAPER_LETTER;
    return devmode;
}

class DevModeTest : public UiTest {};

TEST_F(DevModeTest, TheHostLoadsThePluginInTheDriversOrder) {
    auto host = MakeHost();
    std::vector<std::string> names;
    for (const auto& call : host->calls()) {
        names.push_back(call.name);
        EXPECT_EQ(call.result, S_OK) << call.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"CreateInstance", "GetInfo", "GetInfo", "PublishDriverInterface",
                                               "DevMode", "DevMode"}));
    // The description was compiled on the first call: the stored blocks and their time stamp exist.
    EXPECT_TRUE(HasPrinterValue(u"OEMDEVMODE"));
    EXPECT_TRUE(HasPrinterValue(u"Timestamp"));
    ASSERT_GT(host->PrivateSize(), 8u);
    // The private part starts with its size and the signature "QKD3".
    const std::vector<BYTE>& devmode = host->DefaultDevMode();
    ASSERT_EQ(devmode.size(), sizeof(DEVMODEW) + kUnidrvPartSize + host->PrivateSize());
    const BYTE* record = devmode.data() + sizeof(DEVMODEW) + kUnidrvPartSize;
    DWORD size = 0;
    std::memcpy(&size, record, sizeof size);
    EXPECT_EQ(size, host->PrivateSize());
    EXPECT_EQ(std::memcmp(record + 4, "QKD3", 4), 0);
}

TEST_F(DevModeTest, DefaultPaperFollowsThePrintersMarket) {
    struct Case {
        const char* what;
        std::optional<DWORD> market;
        short paper;
    };
    const Case cases[] = {
        {"no market", std::nullopt, DMPAPER_A4},
        {"US English", 1033, DMPAPER_LETTER},
        {"US English with more in the high word", 0x00010409, DMPAPER_LETTER},
        {"Japanese", 1041, DMPAPER_A4},
        {"German", 1031, DMPAPER_A4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.market) SetPrinterNumber(u"Market", *c.market);
        PluginRef plugin;
        PrinterHandle printer;
        DEVMODEW devmode = LetterWithoutPaperField();
        devmode.dmPaperSize = c.paper == DMPAPER_A4 ? DMPAPER_LETTER : DMPAPER_A4;
        OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.hPrinter = printer.get();
        param.pPublicDMIn = &devmode;
        ASSERT_EQ(plugin->DevMode(OEMDM_SIZE, &param), S_OK);
        std::vector<BYTE> record(param.cbBufSize);
        param.pOEMDMOut = record.data();
        ASSERT_EQ(plugin->DevMode(OEMDM_DEFAULT, &param), S_OK);
        EXPECT_EQ(devmode.dmPaperSize, c.paper);
        EXPECT_EQ(devmode.dmFields, static_cast<DWORD>(DM_ORIENTATION | DM_PAPERSIZE));
        EXPECT_EQ(std::memcmp(record.data() + 4, "QKD3", 4), 0);

        // A devmode that already has the wanted paper is left as it is.
        devmode = LetterWithoutPaperField();
        devmode.dmPaperSize = c.paper;
        ASSERT_EQ(plugin->DevMode(OEMDM_DEFAULT, &param), S_OK);
        EXPECT_EQ(devmode.dmFields, static_cast<DWORD>(DM_ORIENTATION));
    }
}

TEST_F(DevModeTest, ArgumentsAreCheckedBeforeTheSettingsAreMade) {
    PluginRef plugin;
    OEMDMPARAM param{};
    param.hPrinter = INVALID_HANDLE_VALUE;
    EXPECT_EQ(plugin->DevMode(0, &param), E_INVALIDARG);
    EXPECT_EQ(plugin->DevMode(5, &param), E_INVALIDARG);
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, nullptr), E_INVALIDARG);
    // No printer: the settings cannot be bound even after the compile, and the driver keeps to
    // its own devmode.
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, &param), E_NOTIMPL);
    EXPECT_EQ(plugin->DocumentSettings(), nullptr);
}

TEST(DevModeWithoutDescription, AnswersNotImplementedWhenNothingCanBeCompiled) {
    palvex::TestMachine machine;
    InstallOptions options;
    options.description = false;
    InstallUiPrinter(options);
    PluginRef plugin;
    PrinterHandle printer;
    OEMDMPARAM param{};
    param.hPrinter = printer.get();
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, &param), E_NOTIMPL);
    EXPECT_FALSE(HasPrinterValue(u"OEMDEVMODE"));
}

TEST_F(DevModeTest, MergeKeepsTheApplicationsPrivateValues) {
    auto host = MakeHost();
    std::vector<BYTE> application = host->DefaultDevMode();
    auto* devmode = reinterpret_cast<DEVMODEW*>(application.data());
    devmode->dmOrientation = DMORIENT_LANDSCAPE;
    BYTE* record = application.data() + sizeof(DEVMODEW) + kUnidrvPartSize;
    record[host->PrivateSize() - 1] ^= 0x5A;  // the last private byte, whatever field it is
    const std::vector<BYTE> merged = host->MergeDevMode(devmode);
    ASSERT_EQ(merged.size(), application.size());
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(merged.data())->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(merged.back(), application.back());
    EXPECT_EQ(host->calls().back().name, "DevMode");
    EXPECT_EQ(host->calls().back().result, S_OK);
}

}  // namespace
}  // namespace uitest
