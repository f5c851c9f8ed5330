// The universal driver's copies item as the UI host makes it: a number from 1 to 999 holding the
// job's copies, which the Basic page's copies box shows.
#include <cstring>

#include <palvex/ui_records.h>
#include <palvex/ui_script.h>
#include <win/commctrl.h>

#include "ui_fixture.h"

namespace uitest {
namespace {

class HostCopies : public UiTest {
protected:
    void TearDown() override {
        palvex::ResetUserScript();
        UiTest::TearDown();
    }
    static std::vector<BYTE> WithCopies(std::vector<BYTE> devmode, short copies) {
        std::memcpy(devmode.data() + offsetof(DEVMODEW, dmCopies), &copies, sizeof copies);
        return devmode;
    }
    static const OPTITEM* CopiesItem(const palvex::hosts::UiHost& host) {
        for (size_t i = 0; i < host.DriverItemCount(); ++i)
            if (host.Items()[i].DMPubID == 3) return &host.Items()[i];
        return nullptr;
    }
};

TEST_F(HostCopies, TheCopiesItemIsANumberFrom1To999HoldingTheJobsCopies) {
    const struct {
        short copies;
        LONG shown;
    } cases[] = {{3, 3}, {1, 1}, {999, 999}, {0, 1}, {-4, 1}, {1200, 999}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copies);
        auto host = MakeHost();
        ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP, WithCopies(host->DefaultDevMode(), c.copies)), S_OK);
        const OPTITEM* copies = CopiesItem(*host);
        ASSERT_NE(copies, nullptr);
        ASSERT_NE(copies->pOptType, nullptr);
        EXPECT_EQ(copies->pOptType->Type, TVOT_UDARROW);
        ASSERT_EQ(copies->pOptType->Count, 2);
        EXPECT_EQ(copies->pOptType->pOptParam[1].IconID, 1u);
        EXPECT_EQ(copies->pOptType->pOptParam[1].lParam, 999);
        EXPECT_EQ(copies->Sel, c.shown);
    }
}

TEST_F(HostCopies, TheBasicPagesCopiesBoxShowsTheJobsCopies) {
    constexpr int kCopiesBox = 1122;
    auto host = MakeHost();
    std::u16string shown;
    palvex::UserAction look;
    look.kind = palvex::UserAction::Run;
    look.run = [&](HWND frame) {
        HWND page = reinterpret_cast<HWND>(SendMessageW(frame, PSM_INDEXTOHWND, 0, 0));
        WCHAR text[16] = {};
        GetWindowTextW(GetDlgItem(page, kCopiesBox), text, 16);
        shown = text;
    };
    palvex::UserAction cancel;
    cancel.kind = palvex::UserAction::Cancel;
    palvex::QueueUserActions({look, cancel});
    DWORD result = CPSUI_OK;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result, WithCopies(host->DefaultDevMode(), 7)),
              ERR_CPSUI_GETLASTERROR)
        << host->error();
    EXPECT_EQ(shown, u"7");
}

}  // namespace
}  // namespace uitest
