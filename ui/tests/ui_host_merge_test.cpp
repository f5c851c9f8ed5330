// A DEVMODE merged into the driver's default as the UI host merges it: the driver's own part (the
// toner-save byte at its offset 10) is the input's when the input carries this driver's part, else
// the default's.
#include <cstring>

#include "ui_fixture.h"

namespace uitest {
namespace {

using HostMerge = UiTest;

constexpr size_t kDriverPart = sizeof(DEVMODEW);
constexpr size_t kTonerSave = kDriverPart + 10;

TEST_F(HostMerge, TheDriversOwnPartIsTheInputsWhenItCarriesIt) {
    auto host = MakeHost();
    const std::vector<BYTE> defaults = host->DefaultDevMode();
    ASSERT_EQ(defaults[kTonerSave], 0);
    std::vector<BYTE> saved = defaults;
    saved[kTonerSave] = 1;
    saved[kDriverPart + 15] = 0x5A;
    // Not this driver's part: its size word says another size.
    std::vector<BYTE> foreign = saved;
    foreign[kDriverPart + 8] = 0;
    // A public part alone.
    std::vector<BYTE> publicOnly(saved.begin(), saved.begin() + kDriverPart);
    reinterpret_cast<DEVMODEW*>(publicOnly.data())->dmDriverExtra = 0;

    const struct {
        const char* what;
        const std::vector<BYTE>* input;
        BYTE tonerSave, lastByte;
    } cases[] = {
        {"a saved DEVMODE", &saved, 1, 0x5A},
        {"another driver's part", &foreign, 0, 0},
        {"no driver part", &publicOnly, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<BYTE> merged = host->MergeDevMode(reinterpret_cast<const DEVMODEW*>(c.input->data()));
        ASSERT_EQ(merged.size(), defaults.size());
        EXPECT_EQ(merged[kTonerSave], c.tonerSave);
        EXPECT_EQ(merged[kDriverPart + 15], c.lastByte);
        // The part stays this driver's: its mark and size are the default's.
        EXPECT_EQ(std::memcmp(merged.data() + kDriverPart, defaults.data() + kDriverPart, 10), 0);
        // Merged again, the result is kept as it is.
        EXPECT_EQ(host->MergeDevMode(reinterpret_cast<const DEVMODEW*>(merged.data())), merged);
    }
}

}  // namespace
}  // namespace uitest
