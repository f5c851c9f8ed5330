// A CoSettings of the fixture's printer for a test.
#pragma once

#include <gtest/gtest.h>

#include "cosettings.h"
#include "settings_fixture.h"

namespace pptest {

// Releases the reader when the test ends.
struct SettingsRelease {
    void operator()(ISettings* settings) const {
        if (settings) settings->Release();
    }
};
using SettingsPtr = std::unique_ptr<ISettings, SettingsRelease>;

inline SettingsPtr OpenSettings(LPCWSTR printer = kPrinter) {
    ISettings* settings = nullptr;
    EXPECT_EQ(CreateSettings(&settings, printer), S_OK);
    return SettingsPtr(settings);
}

// A fresh machine with the printer of the given printer-wide values and its reader.
class SettingsTest : public ::testing::Test {
protected:
    explicit SettingsTest(const PrinterValues& values = {}) { InstallSettingsPrinter(m_machine, values); }
    void SetUp() override {
        m_settings = OpenSettings();
        ASSERT_NE(m_settings, nullptr);
    }

    palvex::TestMachine m_machine;
    SettingsPtr m_settings;
};

}  // namespace pptest
