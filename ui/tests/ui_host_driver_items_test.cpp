// The universal driver's copies and pages-per-sheet items as the UI host makes them: copies a number
// from 1 to 999 holding the job's copies, with the collate choice in its extended check box, which
// the Basic page's copies and collate boxes show; pages per sheet a list of six counts.
#include <cstring>

#include <palvex/ui_records.h>
#include <palvex/ui_script.h>
#include <win/commctrl.h>

#include "ui_fixture.h"

namespace uitest {
namespace {

class HostDriverItems : public UiTest {
protected:
    void TearDown() override {
        palvex::ResetUserScript();
        UiTest::TearDown();
    }
    static std::vector<BYTE> WithCopies(std::vector<BYTE> devmode, short copies, short collate = 0) {
        std::memcpy(devmode.data() + offsetof(DEVMODEW, dmCopies), &copies, sizeof copies);
        std::memcpy(devmode.data() + offsetof(DEVMODEW, dmCollate), &collate, sizeof collate);
        return devmode;
    }
    static const OPTITEM* DriverItem(const palvex::hosts::UiHost& host, BYTE dmPubId) {
        for (size_t i = 0; i < host.DriverItemCount(); ++i)
            if (host.Items()[i].DMPubID == dmPubId) return &host.Items()[i];
        return nullptr;
    }
    static const OPTITEM* CopiesItem(const palvex::hosts::UiHost& host) { return DriverItem(host, 3); }
};

TEST_F(HostDriverItems, TheCopiesItemIsANumberFrom1To999HoldingTheJobsCopies) {
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

TEST_F(HostDriverItems, CollatingIsTheCopiesItemsExtendedCheckBoxAndPagesPerSheetHasSixCounts) {
    for (short collate : {0, 1}) {
        SCOPED_TRACE(collate);
        auto host = MakeHost();
        ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP, WithCopies(host->DefaultDevMode(), 2, collate)), S_OK);
        const OPTITEM* copies = CopiesItem(*host);
        ASSERT_NE(copies, nullptr);
        EXPECT_NE(copies->pExtChkBox, nullptr);
        EXPECT_EQ((copies->Flags & 0x40) != 0, collate == 1);
        const OPTITEM* pages = DriverItem(*host, 16);
        ASSERT_NE(pages, nullptr);
        ASSERT_NE(pages->pOptType, nullptr);
        EXPECT_EQ(pages->pOptType->Type, TVOT_LISTBOX);
        ASSERT_EQ(pages->pOptType->Count, 6);
        // The sheet's string ids, which the plug-in's handler names "1" to "16".
        for (WORD i = 0; i < 6; ++i)
            EXPECT_EQ(reinterpret_cast<ULONG_PTR>(pages->pOptType->pOptParam[i].pData), 64865u + i) << i;
        // No page-borders box of the host's: it would overrule the job's own borders choice.
        EXPECT_EQ(pages->pExtChkBox, nullptr);
    }
}

TEST_F(HostDriverItems, TheBasicPagesCopiesAndCollateBoxesShowTheJobsChoice) {
    constexpr int kCopiesBox = 1122, kCollateBox = 1130;
    const struct {
        short copies, collate;
        std::u16string shown;
        bool collateEnabled;
        UINT collateChecked;
    } cases[] = {{7, 1, u"7", true, BST_CHECKED}, {1, 1, u"1", false, BST_UNCHECKED}, {3, 0, u"3", true, BST_UNCHECKED}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copies);
        auto host = MakeHost();
        std::u16string shown;
        bool enabled = false;
        UINT checked = 9;
        palvex::UserAction look;
        look.kind = palvex::UserAction::Run;
        look.run = [&](HWND frame) {
            HWND page = reinterpret_cast<HWND>(SendMessageW(frame, PSM_INDEXTOHWND, 0, 0));
            WCHAR text[16] = {};
            GetWindowTextW(GetDlgItem(page, kCopiesBox), text, 16);
            shown = text;
            enabled = IsWindowEnabled(GetDlgItem(page, kCollateBox)) != FALSE;
            checked = IsDlgButtonChecked(page, kCollateBox);
        };
        palvex::UserAction cancel;
        cancel.kind = palvex::UserAction::Cancel;
        palvex::QueueUserActions({look, cancel});
        DWORD result = CPSUI_OK;
        ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result, WithCopies(host->DefaultDevMode(), c.copies, c.collate)),
                  ERR_CPSUI_GETLASTERROR)
            << host->error();
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(enabled, c.collateEnabled);
        EXPECT_EQ(checked, c.collateChecked);
    }
}

}  // namespace
}  // namespace uitest
