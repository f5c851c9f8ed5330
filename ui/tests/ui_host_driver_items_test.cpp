// The universal driver's items as the UI host makes them: copies a number from 1 to 999 holding the
// job's copies, with the collate choice in its extended check box, which the Basic page's copies
// and collate boxes show; pages per sheet a list of six counts; orientation, paper source, print
// quality, colour, duplex, media type and toner save lists starting on the job's choice, which
// Apply writes back.
#include <cstring>

#include <palvex/printer_papers.h>
#include <palvex/ui_records.h>
#include <palvex/ui_script.h>
#include <win/commctrl.h>

#include "items/item_key.h"
#include "ui_fixture.h"
#include "printer_port.h"

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

// The job's choices as the list items see them, in the public DEVMODE and the driver's own part.
struct JobChoices {
    short orientation, source, quality, color, duplex;
    DWORD mediaType;
    BYTE tonerSave;
    DWORD fields;
};

std::vector<BYTE> WithChoices(std::vector<BYTE> devmode, const JobChoices& job) {
    auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
    dm->dmOrientation = job.orientation;
    dm->dmDefaultSource = job.source;
    dm->dmPrintQuality = job.quality;
    dm->dmColor = job.color;
    dm->dmDuplex = job.duplex;
    dm->dmMediaType = job.mediaType;
    dm->dmFields = job.fields;
    devmode[sizeof(DEVMODEW) + 10] = job.tonerSave;
    return devmode;
}

constexpr DWORD kAllChoiceFields =
    DM_ORIENTATION | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_MEDIATYPE;

class HostChoiceItems : public HostDriverItems {
protected:
    void SetUp() override {
        HostDriverItems::SetUp();
        palvex::SetPrinterBins(kPrinter, {{15, u"Automatically Select"}, {1, u"Tray 1"}, {3, u"Tray 2"}, {4, u"Manual Feed"}});
        palvex::SetPrinterMediaTypes(kPrinter, {{513, u"Plain"}, {518, u"Thick 1"}, {517, u"Transparency"}});
    }
    // The driver item whose key (as the plug-in computes it) is key.
    static const OPTITEM* ItemOfKey(const palvex::hosts::UiHost& host, DWORD key) {
        for (size_t i = 0; i < host.DriverItemCount(); ++i)
            if (GetPubID(&host.Items()[i], nullptr, nullptr) == key) return &host.Items()[i];
        return nullptr;
    }
};

TEST_F(HostChoiceItems, EachListItemOffersItsChoicesAndStartsOnTheJobs) {
    const JobChoices job{DMORIENT_LANDSCAPE, 4, 300, DMCOLOR_COLOR, DMDUP_HORIZONTAL, 517, 1, kAllChoiceFields};
    // No field given: each item on its first option, print quality on the finer resolution.
    const JobChoices unset{DMORIENT_LANDSCAPE, 4, 300, DMCOLOR_COLOR, DMDUP_HORIZONTAL, 517, 0, 0};
    // Values no option has.
    const JobChoices strange{9, 99, -4, 7, 0, 600, 5, kAllChoiceFields};
    const struct {
        DWORD key;
        BYTE type;
        std::vector<LPARAM> values;
        std::vector<std::u16string> names;
        LONG selected[3];  // for job, unset, strange
    } rows[] = {
        {1, TVOT_2STATES, {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}, {u"Portrait", u"Landscape"}, {1, 0, 0}},
        {4, TVOT_LISTBOX, {15, 1, 3, 4}, {u"Automatically Select", u"Tray 1", u"Tray 2", u"Manual Feed"}, {3, 0, 0}},
        {5, TVOT_LISTBOX, {300, 600}, {u"300 dpi", u"600 dpi"}, {0, 1, 1}},
        // The plug-in's handlers name the colour and toner-save options in the model's words.
        {6, TVOT_2STATES, {DMCOLOR_MONOCHROME, DMCOLOR_COLOR}, {u"モノクロ", u"Color"}, {1, 0, 0}},
        {7, TVOT_LISTBOX, {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL},
         {u"None", u"Flip on Long Edge", u"Flip on Short Edge"}, {2, 0, 0}},
        {12, TVOT_LISTBOX, {513, 518, 517}, {u"Plain", u"Thick 1", u"Transparency"}, {2, 0, 0}},
        // The driver's own part keeps it, whatever the public fields say.
        {0x800075C6, TVOT_LISTBOX, {0, 1}, {u"標準", u"節約"}, {1, 0, 0}},
    };
    const JobChoices* jobs[] = {&job, &unset, &strange};
    for (size_t j = 0; j < std::size(jobs); ++j) {
        auto host = MakeHost();
        ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP, WithChoices(host->DefaultDevMode(), *jobs[j])), S_OK);
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message() << "job " << j << " key " << row.key);
            const OPTITEM* item = ItemOfKey(*host, row.key);
            ASSERT_NE(item, nullptr);
            ASSERT_NE(item->pOptType, nullptr);
            EXPECT_EQ(item->pOptType->Type, row.type);
            std::vector<LPARAM> values;
            std::vector<std::u16string> names;
            for (WORD i = 0; i < item->pOptType->Count; ++i) {
                values.push_back(item->pOptType->pOptParam[i].lParam);
                names.emplace_back(item->pOptType->pOptParam[i].pData);
            }
            EXPECT_EQ(values, row.values);
            EXPECT_EQ(names, row.names);
            EXPECT_EQ(item->Sel, row.selected[j]);
        }
    }
}

// A printer given no bins offers the form source; given no media types, those of its description,
// or plain paper when its description has none either.
TEST_F(HostChoiceItems, APrinterWithoutBinsOrMediaTypesOffersTheFormSourceAndItsDescriptionsMedia) {
    palvex::SetPrinterBins(kPrinter, {});
    palvex::SetPrinterMediaTypes(kPrinter, {});
    const auto values = [](const OPTITEM* item) {
        std::vector<LPARAM> list;
        for (WORD i = 0; item && item->pOptType && i < item->pOptType->Count; ++i)
            list.push_back(item->pOptType->pOptParam[i].lParam);
        return list;
    };
    {
        auto host = MakeHost();
        ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
        EXPECT_EQ(values(ItemOfKey(*host, 4)), std::vector<LPARAM>{15});
        EXPECT_EQ(values(ItemOfKey(*host, 12)), (std::vector<LPARAM>{513, 518, 519, 517}));
    }
    DropDescriptionMediaTypes();
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    EXPECT_EQ(values(ItemOfKey(*host, 12)), std::vector<LPARAM>{1});
}

TEST_F(HostChoiceItems, ThePrinterSheetHasNoJobChoices) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_PRNPROP), S_OK);
    for (const DWORD key : {4u, 5u, 6u, 7u, 12u, 0x800075C6u}) EXPECT_EQ(ItemOfKey(*host, key), nullptr) << key;
    const OPTITEM* orientation = ItemOfKey(*host, 1);
    ASSERT_NE(orientation, nullptr);
    EXPECT_EQ(orientation->pOptType->Count, 2);
}

// Choices made on the plug-in's pages reach the job's DEVMODE when the sheet ends with OK.
TEST_F(HostChoiceItems, ThePagesChoicesReachTheJobOnOk) {
    using palvex::UserAction;
    // On a local port: the file port locks the duplex box.
    ASSERT_TRUE(palvex::testing::MovePrinterToPort(kPrinter, u"LPT1:"));
    auto act = [](UserAction::Kind kind, int control, int index = 0) {
        UserAction action;
        action.kind = kind;
        action.control = control;
        action.index = index;
        return action;
    };
    // The pages: 0 Basic, 1 Layout, 2 Advanced.
    auto tab = [](int index) {
        UserAction action;
        action.kind = UserAction::Tab;
        action.index = index;
        return action;
    };
    constexpr int kLandscape = 1113, kSource = 3352, kMediaType = 1303, kTonerSave = 3512, kDuplex = 2053;
    const struct {
        short jobSource;
        DWORD jobMediaType;
        std::vector<UserAction> script;
        short orientation, source;
        DWORD mediaType;
        BYTE tonerSave;
        short duplex = DMDUP_SIMPLEX;
    } cases[] = {
        // Nothing changed: the job's own choices stay.
        {4, 518, {}, DMORIENT_PORTRAIT, 4, 518, 0},
        {4, 518,
         {act(UserAction::Click, kLandscape), tab(2), act(UserAction::Select, kMediaType, 2),
          act(UserAction::Select, kTonerSave, 1)},
         DMORIENT_LANDSCAPE, 4, 517, 1},
        // The source list shows the installed trays only: automatic, tray 1, manual feed.
        {4, 513, {tab(2), act(UserAction::Select, kSource, 1)}, DMORIENT_PORTRAIT, 1, 513, 0},
        // The Layout page's duplex box: on, with the binding edge left long.
        {4, 513, {tab(1), act(UserAction::Check, kDuplex, 1)}, DMORIENT_PORTRAIT, 4, 513, 0, DMDUP_VERTICAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.size());
        auto host = MakeHost();
        std::vector<UserAction> script = c.script;
        script.push_back(act(UserAction::Ok, 0));
        palvex::QueueUserActions(script);
        const JobChoices job{DMORIENT_PORTRAIT, c.jobSource, 600, DMCOLOR_MONOCHROME, DMDUP_SIMPLEX, c.jobMediaType,
                             0, kAllChoiceFields};
        DWORD result = CPSUI_CANCEL;
        ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result, WithChoices(host->DefaultDevMode(), job)),
                  ERR_CPSUI_GETLASTERROR)
            << host->error();
        EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
        const auto* saved = reinterpret_cast<const DEVMODEW*>(host->SheetDevMode().data());
        EXPECT_EQ(saved->dmOrientation, c.orientation);
        EXPECT_EQ(saved->dmDefaultSource, c.source);
        EXPECT_EQ(saved->dmMediaType, c.mediaType);
        EXPECT_EQ(host->SheetDevMode()[sizeof(DEVMODEW) + 10], c.tonerSave);
        EXPECT_EQ(saved->dmPrintQuality, 600);
        EXPECT_EQ(saved->dmColor, DMCOLOR_MONOCHROME);
        EXPECT_EQ(saved->dmDuplex, c.duplex);
    }
}

// A selection the driver's items hold when Apply runs is what the job keeps.
TEST_F(HostChoiceItems, ApplyWritesEachItemsChoiceIntoTheJob) {
    const struct {
        DWORD key;
        LONG selection;
        size_t offset, size;
        DWORD fieldBit, value;
    } rows[] = {
        {1, 1, offsetof(DEVMODEW, dmOrientation), 2, DM_ORIENTATION, DMORIENT_LANDSCAPE},
        {4, 2, offsetof(DEVMODEW, dmDefaultSource), 2, DM_DEFAULTSOURCE, 3},
        {5, 0, offsetof(DEVMODEW, dmPrintQuality), 2, DM_PRINTQUALITY, 300},
        {5, 0, offsetof(DEVMODEW, dmYResolution), 2, 0, 300},
        {6, 1, offsetof(DEVMODEW, dmColor), 2, DM_COLOR, DMCOLOR_COLOR},
        {7, 1, offsetof(DEVMODEW, dmDuplex), 2, DM_DUPLEX, DMDUP_VERTICAL},
        {7, 2, offsetof(DEVMODEW, dmDuplex), 2, DM_DUPLEX, DMDUP_HORIZONTAL},
        {12, 1, offsetof(DEVMODEW, dmMediaType), 4, DM_MEDIATYPE, 518},
        {0x800075C6, 1, sizeof(DEVMODEW) + 10, 1, 0, 1},
        // A selection past the list leaves the job's value, and its field unclaimed.
        {7, 3, offsetof(DEVMODEW, dmDuplex), 2, 0, DMDUP_SIMPLEX},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "key " << row.key << " sel " << row.selection);
        auto host = MakeHost();
        std::vector<BYTE> job = host->DefaultDevMode();
        reinterpret_cast<DEVMODEW*>(job.data())->dmFields = 0;
        ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP, job), S_OK);
        const OPTITEM* item = ItemOfKey(*host, row.key);
        ASSERT_NE(item, nullptr);
        host->SelectItem(static_cast<size_t>(item - host->Items().data()), row.selection);
        host->Apply();
        DWORD value = 0;
        std::memcpy(&value, host->SheetDevMode().data() + row.offset, row.size);
        EXPECT_EQ(value, row.value);
        const auto* saved = reinterpret_cast<const DEVMODEW*>(host->SheetDevMode().data());
        // The item's field is claimed; one left alone stays unclaimed.
        const DWORD bit = row.fieldBit ? row.fieldBit : row.key == 7 ? DM_DUPLEX : 0;
        EXPECT_EQ(saved->dmFields & bit, row.fieldBit);
    }
}

// Bytes after the public part that are not the driver's own part hold no toner-save choice: the
// item starts on its first option and Apply leaves them alone.
TEST_F(HostChoiceItems, ADevModeWithoutTheDriversPartKeepsNoTonerSaveChoice) {
    auto host = MakeHost();
    std::vector<BYTE> job = host->DefaultDevMode();
    job[sizeof(DEVMODEW) + 8] = 0;  // the driver part's size: not this driver's part
    job[sizeof(DEVMODEW) + 10] = 1;
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP, job), S_OK);
    const OPTITEM* tonerSave = ItemOfKey(*host, 0x800075C6);
    ASSERT_NE(tonerSave, nullptr);
    EXPECT_EQ(tonerSave->Sel, 0);
    host->SelectItem(static_cast<size_t>(tonerSave - host->Items().data()), 0);
    host->Apply();
    EXPECT_EQ(host->SheetDevMode()[sizeof(DEVMODEW) + 10], 1);
}

}  // namespace
}  // namespace uitest
