// DeviceCapabilities as the driver asks it: the bins and bin names follow the stored tray table,
// the extents and the resolution are the model's.
#include <cstring>
#include <optional>

#include "model_hooks.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

// One 24-unit name slot as the answer must hold it: the text, then zeros.
std::vector<WCHAR> Slot(const std::u16string& text) {
    std::vector<WCHAR> slot(CCHBINNAME, 0);
    std::copy(text.begin(), text.end(), slot.begin());
    return slot;
}

class DeviceCapsTest : public UiTest {
protected:
    HRESULT Ask(WORD capability, void* output, DWORD* result, DWORD driverAnswer = 0) {
        return m_host->DeviceCapabilities(capability, output, driverAnswer, result);
    }
    std::unique_ptr<palvex::hosts::UiHost> m_host = nullptr;
    void SetUp() override {
        UiTest::SetUp();
        m_host = MakeHost();
    }
};

TEST_F(DeviceCapsTest, BinsFollowTheInstalledTrays) {
    struct Case {
        const char* what;
        std::optional<std::vector<BYTE>> trays;
        std::vector<WORD> bins;
    };
    const Case cases[] = {
        {"no tray table", std::nullopt, {15, 1, 4}},
        {"four trays", TrayTable({1, 1, 1, 1}), {15, 1, 3, 2, 4}},
        {"trays 1 and 3", TrayTable({4, 0, 4, 0}), {15, 1, 4}},
        {"no installed tray", TrayTable({0, 0, 0, 0}), {4}},
        {"a short table", std::vector<BYTE>(60, 1), {15, 1, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.trays) SetPrinterValue(u"PrinterInputTrayInfos", REG_BINARY, *c.trays);
        DWORD count = 0;
        EXPECT_EQ(Ask(DC_BINS, nullptr, &count), kCapabilityCounted);
        EXPECT_EQ(count, c.bins.size());
        std::vector<WORD> bins(8, 0xEEEE);
        EXPECT_EQ(Ask(DC_BINS, bins.data(), &count), kCapabilityCounted);
        ASSERT_EQ(count, c.bins.size());
        EXPECT_EQ(std::vector<WORD>(bins.begin(), bins.begin() + count), c.bins);
        EXPECT_EQ(bins[count], 0xEEEE);  // nothing past the count
    }
}

TEST_F(DeviceCapsTest, BinNamesComeFromTheResourceLibraryInZeroFilledSlots) {
    struct Case {
        const char* what;
        std::optional<std::vector<BYTE>> trays;
        DWORD driverAnswer;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {"no tray table", std::nullopt, 0, {u"フォーム選択", u"トレイ 1", u"手差し"}},
        {"driver answered 1", std::nullopt, 1, {u"フォーム選択", u"トレイ 1", u"手差し"}},
        {"driver answered 3", std::nullopt, 3, {u"自動", u"トレイ 1", u"手差し"}},
        {"four trays", TrayTable({1, 1, 1, 1}), 0, {u"フォーム選択", u"トレイ 1", u"トレイ 2", u"トレイ 3", u"手差し"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.trays) SetPrinterValue(u"PrinterInputTrayInfos", REG_BINARY, *c.trays);
        std::vector<WCHAR> names(6 * CCHBINNAME, 0xEEEE);
        DWORD count = 0;
        EXPECT_EQ(Ask(DC_BINNAMES, names.data(), &count, c.driverAnswer), kCapabilityCounted);
        ASSERT_EQ(count, c.names.size());
        std::vector<WCHAR> expected;
        for (const auto& name : c.names) {
            const auto slot = Slot(name);
            expected.insert(expected.end(), slot.begin(), slot.end());
        }
        EXPECT_EQ(std::vector<WCHAR>(names.begin(), names.begin() + count * CCHBINNAME), expected);
        EXPECT_EQ(names[count * CCHBINNAME], 0xEEEE);
    }
}

TEST_F(DeviceCapsTest, BinNamesNeedAPrinterOnlyWhenNamesAreWanted) {
    PluginRef plugin;
    DWORD count = 0;
    // The count alone makes no resource provider.
    EXPECT_EQ(plugin->DeviceCapabilities(nullptr, INVALID_HANDLE_VALUE, nullptr, DC_BINNAMES, nullptr, nullptr, nullptr,
                                         0, &count),
              kCapabilityCounted);
    EXPECT_EQ(count, 3u);
    std::vector<WCHAR> names(3 * CCHBINNAME);
    count = 0;
    EXPECT_EQ(plugin->DeviceCapabilities(nullptr, INVALID_HANDLE_VALUE, nullptr, DC_BINNAMES, names.data(), nullptr,
                                         nullptr, 0, &count),
              E_NOTIMPL);
    EXPECT_EQ(count, 0u);
}

TEST_F(DeviceCapsTest, ExtentsAndResolutionAreTheModels) {
    struct Case {
        WORD capability;
        HRESULT answer;
        DWORD result;
    };
    const Case cases[] = {
        {DC_MINEXTENT, S_OK, 0x03D4037A},
        {DC_MAXEXTENT, S_OK, 0x10E00B9A},
        {DC_ENUMRESOLUTIONS, S_OK, 1},
        {7 /* DC_DUPLEX */, E_NOTIMPL, 0xCCCC},
        {1 /* DC_FIELDS */, E_NOTIMPL, 0xCCCC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capability);
        DWORD result = 0xCCCC;
        EXPECT_EQ(Ask(c.capability, nullptr, &result), c.answer);
        EXPECT_EQ(result, c.result);
    }
    LONG resolutions[4] = {-1, -1, -1, -1};
    DWORD count = 0;
    EXPECT_EQ(Ask(DC_ENUMRESOLUTIONS, resolutions, &count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(resolutions[0], 600);
    EXPECT_EQ(resolutions[1], 600);
    EXPECT_EQ(resolutions[2], -1);
}

}  // namespace
}  // namespace uitest
