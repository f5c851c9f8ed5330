// The model's description against the plug-in's document pages and the popups they open: every
// control the factory links gets its item, no item takes the id of a control it does not own, and
// the pages' buttons open their popups through their push items.
#include <map>
#include <set>
#include <string>
#include <vector>

#include <palvex/ui_script.h>
#include <win/commctrl.h>

#include "items/optitem_builder.h"
#include "options/factory_tables.h"
#include "tovqebui.h"
#include "dlglink_fixture.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

DWORD KeyOf(const OPTITEM& item) {
    return DWORD{item.UserItemID} * 156 + item.DMPubID;
}

// The items each dialog's controls are linked to, the universal driver's own (orientation,
// copies, source, media type, resolution, duplex, pages per sheet, eco mode) left out.
const std::map<DWORD, std::vector<DWORD>> kDialogItems = {
    {1000, {101, 150, 103, 200, 250, 1013, 1115, 1130, 1141, 1142, 1203, 1250, 3101, 3102, 3203}},
    {2000, {101, 150, 103, 200, 250, 2013, 2300, 2352, 2402, 2450, 2500, 2601, 2602, 2603, 2621, 2622, 2624}},
    {3000, {101, 150, 103, 200, 250, 3013, 1075, 1150}},
    {16001, {16100}},
    {17001, {17052, 17100, 17152, 17202, 17250}},
    {18001, {18100}},
    {19001, {250, 2402, 19101, 19102, 19202, 19250, 19302, 19352, 19402, 19452, 19502}},
    {25400, {25402, 25405, 25407, 25408, 25409}},
    {25600, {25602, 25604, 25611}},
    {25700, {25730, 25750, 25770}},
};

// Labels, group boxes, help bubbles, the radio buttons after a group's first and the popups
// themselves: another item's links reach them, so no item may have their id as its key.
const std::set<DWORD> kNotItemKeys = {
    102,   104,   151,   1011,  1012,  1110,  1113,  1120,  1140,  1200,  1202,  1251,  3050,  3100,  3200,
    3202,  2011,  2012,  2050,  2250,  2252,  2255,  2350,  2400,  2451,  2600,  2604,  2620,  2623,  3011,
    3012,  1050,  1100,  1300,  1302,  3350,  3511,  30150, 16050, 17050, 17150, 17154, 17200, 17204, 18050,
    19050, 19100, 19150, 19200, 19203, 19204, 19300, 19350, 19400, 19450, 19500, 25401, 25403, 25404, 25406,
    25601, 25603, 25610, 25613, 25720, 25740, 25760, 16001, 17001, 18001, 19001, 25400, 25600, 25700};

// Push items and the popup each opens; 0 for a button whose click only tells the item's observers.
const std::map<DWORD, DWORD> kPushTargets = {
    {152, 16001},   {1142, 25400}, {1250, 17001}, {17101, 18001}, {2450, 19001}, {2603, 25600},
    {2622, 25700},  {103, 0},      {200, 0},      {1075, 0},      {19101, 0},    {19102, 0},
    {25407, 0},     {25408, 0},    {25409, 0},
};

constexpr char16_t kPortPrinter[] = u"Palvex UI Printer LPT";

class ModelDescriptionTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        palvex::ResetUserScript();
        palvex::AddPrinter(kPortPrinter, kDriver, u"LPT1:");
    }
    void TearDown() override {
        palvex::ResetUserScript();
        UiTest::TearDown();
    }
    // The document sheet's plug-in items, by key.
    std::map<DWORD, const OPTITEM*> Items(const palvex::hosts::UiHost& host) {
        std::map<DWORD, const OPTITEM*> items;
        for (size_t i = host.DriverItemCount(); i < host.Items().size(); ++i) {
            const OPTITEM& item = host.Items()[i];
            EXPECT_TRUE(items.emplace(KeyOf(item), &item).second) << "two items of key " << KeyOf(item);
        }
        return items;
    }
    // A host for a printer on a port of its own: on "FILE:" the pages' buttons stay disabled.
    std::unique_ptr<palvex::hosts::UiHost> MakePortHost() {
        void* factory = nullptr;
        EXPECT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, &factory), S_OK);
        auto host = std::make_unique<palvex::hosts::UiHost>(static_cast<IClassFactory*>(factory),
                                                            palvex::hosts::UiHostOptions{kPortPrinter});
        static_cast<IClassFactory*>(factory)->Release();
        EXPECT_TRUE(host->Load()) << host->error();
        return host;
    }
};

std::vector<std::u16string> ComboRows(HWND combo) {
    std::vector<std::u16string> rows;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        WCHAR text[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

TEST_F(ModelDescriptionTest, EveryLinkedControlOfTheDocumentPagesAndTheirPopupsHasItsItem) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    const std::map<DWORD, const OPTITEM*> items = Items(*host);
    for (const auto& [dialog, keys] : kDialogItems)
        for (DWORD key : keys) {
            EXPECT_EQ(items.count(key), 1u) << "dialog " << dialog << ": no item " << key;
            EXPECT_FALSE(DlgLinkSteps(key).empty()) << "dialog " << dialog << ": no links for item " << key;
        }
    for (const auto& [key, item] : items) EXPECT_EQ(kNotItemKeys.count(key), 0u) << "item " << key << " takes a control's id";
}

TEST_F(ModelDescriptionTest, PushItemsNameTheirPopups) {
    auto host = MakeHost();
    ASSERT_EQ(host->BuildItems(OEMCUIP_DOCPROP), S_OK);
    const std::map<DWORD, const OPTITEM*> items = Items(*host);
    for (const auto& [key, popup] : kPushTargets) {
        SCOPED_TRACE(key);
        ASSERT_EQ(items.count(key), 1u);
        const OPTTYPE* type = items.at(key)->pOptType;
        ASSERT_NE(type, nullptr);
        ASSERT_EQ(type->Type, TVOT_PUSHBUTTON);
        ASSERT_EQ(type->Count, 1);
        const auto* target = reinterpret_cast<const PushTargetRecord*>(type->pOptParam[0].lParam);
        if (!popup) {
            EXPECT_EQ(target, nullptr);
            continue;
        }
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->m_dialogId, popup);
        EXPECT_NE(target->m_template, nullptr);  // the resource library has the popup
    }
}

TEST_F(ModelDescriptionTest, TheLayoutPageListsNoWatermarkFirstAndItsButtonOpensThePopup) {
    auto host = MakePortHost();
    std::vector<std::u16string> comboRows, listRows;
    LRESULT comboSelection = -1;
    bool buttonEnabled = false;
    palvex::QueueUserActions({
        UserStep(palvex::UserAction::Tab, 0, 1),
        RunStep([&](HWND frame) {
            HWND page = reinterpret_cast<HWND>(SendMessageW(frame, PSM_INDEXTOHWND, 1, 0));
            comboRows = ComboRows(GetDlgItem(page, 2402));
            comboSelection = SendMessageW(GetDlgItem(page, 2402), CB_GETCURSEL, 0, 0);
            buttonEnabled = IsWindowEnabled(GetDlgItem(page, 2450));
        }),
        UserStep(palvex::UserAction::Click, 2450),
        RunStep([&](HWND popup) {
            HWND list = GetDlgItem(popup, 19052);
            const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                WCHAR text[64] = {};
                SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
                listRows.push_back(text);
            }
        }),
        UserStep(palvex::UserAction::Cancel),
        UserStep(palvex::UserAction::Cancel),
    });
    DWORD result = 0;
    ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR) << host->error();
    const std::vector<std::u16string> watermarks = {u"<なし>", u"CONFIDENTIAL", u"DRAFT", u"COPY"};
    EXPECT_EQ(comboRows, watermarks);
    EXPECT_EQ(comboSelection, 0);
    EXPECT_TRUE(buttonEnabled);
    EXPECT_EQ(listRows, watermarks);
}

TEST_F(ModelDescriptionTest, ThePagesButtonsOpenTheirPopups) {
    // Each button is enabled by the page's rules once the setting it refines is on.
    struct Case {
        int tab;
        palvex::UserAction enable;
        int button;
        int popupControl;  // a control only that popup has
    } cases[] = {{0, UserStep(palvex::UserAction::Select, 1141, 1), 1142, 25402},
                 {1, UserStep(palvex::UserAction::Check, 2602, 1), 2603, 25611},
                 {1, UserStep(palvex::UserAction::Select, 2621, 1), 2622, 25730}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        palvex::ResetUserScript();
        auto host = MakePortHost();
        bool opened = false;
        palvex::QueueUserActions({
            UserStep(palvex::UserAction::Tab, 0, c.tab),
            c.enable,
            UserStep(palvex::UserAction::Click, c.button),
            RunStep([&](HWND popup) { opened = GetDlgItem(popup, c.popupControl) != nullptr; }),
            UserStep(palvex::UserAction::Cancel),
            UserStep(palvex::UserAction::Cancel),
        });
        DWORD result = 0;
        ASSERT_NE(host->RunSheets(OEMCUIP_DOCPROP, nullptr, &result), ERR_CPSUI_GETLASTERROR) << host->error();
        EXPECT_TRUE(opened);
    }
}

}  // namespace
}  // namespace uitest
